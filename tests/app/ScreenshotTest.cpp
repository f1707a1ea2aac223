// Screenshots of the game's back surface: "Pal<time>.bmp" in the screenshot folder; a failure
// is reported once and turns screenshots off for the run.
#include <filesystem>
#include <fstream>

#include "app/fmPallidor.h"
#include "media/DIB.h"
#include "tests/engine/WorldFixture.h"

namespace {

class ScreenshotTest : public enginetest::WorldFixture {
protected:
    ScreenshotTest() : form(std::make_unique<app::TDlg_Sprallion>()) {
        form->Kernel = std::move(kernel);
        form->Kernel->Condition = engine::ck_Play;
        platform::window::App().SetExceptionHandler([this](std::exception_ptr) { ++reports; });
    }
    ~ScreenshotTest() override {
        platform::window::App().SetExceptionHandler(nullptr);
        form->Kernel.reset();
        form.reset();
    }
    std::vector<std::filesystem::path> Shots() const {
        std::vector<std::filesystem::path> found;
        const std::filesystem::path folder = dir.File("Resource/PRNSCR");
        if (!std::filesystem::is_directory(folder)) return found;
        for (const auto& e : std::filesystem::directory_iterator(folder))
            if (e.path().filename().string().rfind("Pal", 0) == 0) found.push_back(e.path());
        return found;
    }

    std::unique_ptr<app::TDlg_Sprallion> form;
    int reports = 0;
};

TEST_F(ScreenshotTest, TheBackSurfaceIsSavedAsABitmapInTheScreenshotFolder) {
    dxdraw.Surface()->Fill(0x1234);
    form->TakeScreenshot();
    const auto shots = Shots();
    ASSERT_EQ(shots.size(), 1u);
    EXPECT_EQ(shots[0].extension(), ".bmp");
    media::TDIB picture;
    picture.LoadFromFile(shots[0].string());
    EXPECT_EQ(picture.Width(), kWidth);
    EXPECT_EQ(picture.Height(), kHeight);
    EXPECT_TRUE(form->ScreenshotsEnabled);
    EXPECT_EQ(reports, 0);
}

TEST_F(ScreenshotTest, AFailureIsReportedOnceAndEndsScreenshotsForTheRun) {
    std::filesystem::remove_all(dir.File("Resource/PRNSCR"));
    std::ofstream(dir.File("Resource/PRNSCR")) << "a file where the folder should be";
    form->TakeScreenshot();
    EXPECT_FALSE(form->ScreenshotsEnabled);
    EXPECT_EQ(reports, 1);
    form->TakeScreenshot();
    EXPECT_EQ(reports, 1);
}

}  // namespace
