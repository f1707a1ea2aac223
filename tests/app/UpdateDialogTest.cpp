// The update dialog against an internet object whose download keeps the message loop going:
// the progress, the outcome, and Cancel, Esc or the close box while the download runs.
#include <gtest/gtest.h>

#include "app/fmPuDate.h"
#include "tests/app/DialogFixtures.h"

namespace {

using namespace apptest;

class UpdateDialogTest : public DialogTest {
protected:
    UpdateDialogTest() {
        GameData data;
        data.Text("Message_20_419", "All updates are here.").Text("Message_21_419", "Some updates did not come.");
        OpenData(data);
        internet_ = &GiveInternet();
    }
    static app::TGlg_UpDate& Dialog() { return *dynamic_cast<app::TGlg_UpDate*>(app::ActiveForm()); }
    int32_t Run() { return app::ShowUpdateDialog(*form_, internet_); }
    FakeInternet* internet_;
};

TEST_F(UpdateDialogTest, EveryFileDownloadedShowsSuccessAndEnablesOk) {
    internet_->FileSizes = {1000, 3000, 2000};
    struct Seen {
        std::string file;
        int32_t max, position;
    };
    std::vector<Seen> progress;
    internet_->WhileFile = [&](int) {
        const app::TGlg_UpDate& d = Dialog();
        progress.push_back({d.MessageText.Caption(), d.ProgressBar1.Max(), d.ProgressBar1.Position()});
    };
    bool okAtFirst = true, decorated = false;
    std::string caption;
    Then(1, [&] {
        okAtFirst = Dialog().DB_Ok.Enabled();
        decorated = Dialog().Window().Decorated();
        caption = Dialog().Caption();
    });
    std::string text;
    bool ok = false;
    Then(2000, [&] {
        text = Dialog().MessageText.Caption();
        ok = Dialog().DB_Ok.Enabled();
        Key(vk::Return);
    });
    EXPECT_EQ(Run(), app::mrOk);
    EXPECT_FALSE(okAtFirst);
    EXPECT_TRUE(decorated);
    EXPECT_EQ(caption, "Load Update");
    EXPECT_EQ(text, "All updates are here.");
    EXPECT_TRUE(ok);
    EXPECT_EQ(internet_->Downloads, 1) << "the first tick only";
    // The bar follows the bytes of the whole download; the text names the file.
    ASSERT_EQ(progress.size(), 3u);
    EXPECT_EQ(progress[1].max, 6000);
    EXPECT_EQ(progress[1].position, 1000) << "the first file's bytes";
    EXPECT_EQ(progress[1].file, "file1.exe");
    EXPECT_EQ(progress[2].position, 4000);
    EXPECT_EQ(progress[2].file, "file2.exe");
    EXPECT_EQ(internet_->Cancels, 0);
}

TEST_F(UpdateDialogTest, AMissingFileOrNoFilesShowTheFailureAndKeepOkDisabled) {
    internet_->FileSizes = {100, 200, 300};
    internet_->Failing = {2};
    std::string text;
    bool ok = true;
    Then(2000, [&] {
        text = Dialog().MessageText.Caption();
        ok = Dialog().DB_Ok.Enabled();
        Key(vk::Return);  // Ok is disabled: nothing
        Key(vk::Escape);
    });
    EXPECT_EQ(Run(), app::mrCancel);
    EXPECT_EQ(text, "Some updates did not come.");
    EXPECT_FALSE(ok);
    EXPECT_EQ(internet_->Cancels, 0) << "no download runs any more";

    internet_->FileSizes.clear();
    internet_->Failing.clear();
    Then(2000, [&] {
        text = Dialog().MessageText.Caption();
        ok = Dialog().DB_Ok.Enabled();
        ClickOn(Dialog().DB_Cancel);
    });
    EXPECT_EQ(Run(), app::mrCancel);
    EXPECT_EQ(text, "Some updates did not come.") << "0 of 0 is no success";
    EXPECT_FALSE(ok);
}

TEST_F(UpdateDialogTest, CancelDuringTheDownloadStopsItAndTheDialogEndsAfterTheLibraryReturned) {
    internet_->FileSizes = {100, 200, 300};
    for (const auto& cancel : std::vector<std::function<void()>>{
             [] { ClickOn(Dialog().DB_Cancel); },
             [] { Key(vk::Escape); },
             [] { Post(pw::EventType::Close); },
         }) {
        internet_->StopAll = false;
        internet_->Cancels = 0;
        bool shownAfterCancel = false;
        int filesStarted = 0;
        internet_->WhileFile = [&](int file) {
            filesStarted = file;
            if (file != 2) return;
            cancel();
            // The library goes on waiting a while after the cancel: the dialog is still there.
            pw::After(1, [&] { shownAfterCancel = app::ActiveForm() != nullptr; });
        };
        EXPECT_EQ(Run(), app::mrCancel);
        EXPECT_EQ(internet_->Cancels, 1);
        EXPECT_TRUE(internet_->StopAll) << "every file stops";
        EXPECT_EQ(filesStarted, 2) << "the third is not fetched";
        EXPECT_TRUE(shownAfterCancel);
    }
    EXPECT_EQ(internet_->References(), 2u) << "each dialog let its reference go";
}

TEST_F(UpdateDialogTest, WithoutAnInternetObjectTheDialogTellsOfTheFailure) {
    std::string text;
    Then(2000, [&] {
        text = Dialog().MessageText.Caption();
        Key(vk::Escape);
    });
    EXPECT_EQ(app::ShowUpdateDialog(*form_, nullptr), app::mrCancel);
    EXPECT_EQ(text, "Some updates did not come.");
}

}  // namespace
