// Picture widgets: the plain image, the rolling image, the slide show and the fading logo.
#include "WidgetFixture.h"

#include <fstream>

using namespace engine;
using enginetest::Props;
using enginetest::To565;

namespace {

class WidgetImageTest : public enginetest::WidgetFixture {
protected:
    WidgetImageTest() {
        Pictures({{"Menu", datagen::WidgetSheet(600, 400, 1, 1)},
                  {"Roll", datagen::WidgetSheet(30, 30, 3, 1)},
                  {"Logo", datagen::SolidPicture(50, 50, 0xFFFFFF)},
                  {"Wide", datagen::SolidPicture(80, 20, 0x00FF00)},
                  {"Slide0", datagen::SolidPicture(20, 20, 0xFF0000)},
                  {"Slide1", datagen::SolidPicture(20, 20, 0x00FF00)},
                  {"Slide2", datagen::SolidPicture(20, 20, 0x0000FF)}});
        menu = Make<TGPForm>(kernel.get(), {{"Name", "Menu"}, {"Paint", "Menu"}, {"PatternWidth", "600"},
                                            {"PatternHeight", "400"}, {"Visible", "False"}});
    }
    void Show() {
        kernel->ShowForm("Menu", nullptr);
        Tick();
    }
    TGPForm* menu = nullptr;
};

}  // namespace

TEST_F(WidgetImageTest, ALogoFadesInStandsAndFadesOutOncePerShow) {
    auto* logo = Make<TGPLogo>(menu, {{"Paint", "Logo"}, {"PatternWidth", "50"}, {"PatternHeight", "50"},
                                      {"StepUp", "51"}, {"Stand", "0"}, {"StepDown", "255"}});
    std::vector<std::string> events;
    logo->OnBeginStand = [&](TObject*) { events.push_back("begin"); };
    logo->OnEndStand = [&](TObject*) { events.push_back("end"); };
    logo->OnGPHide = [&](TObject*) { events.push_back("hide"); };
    Show();
    std::vector<int> alphas;
    for (int i = 0; i < 5; ++i) {
        Tick();
        alphas.push_back(logo->Alpha);
    }
    EXPECT_EQ(alphas, (std::vector<int>{51, 102, 153, 204, 255}));
    EXPECT_EQ(events, (std::vector<std::string>{"begin"}));
    EXPECT_EQ(Pixel(25, 25), To565(0xFFFFFF));  // at 255 drawn as it is
    Tick();
    EXPECT_EQ(events, (std::vector<std::string>{"begin", "end"}));
    EXPECT_TRUE(logo->Visible);
    Tick();
    EXPECT_FALSE(logo->Visible);
    EXPECT_EQ(events, (std::vector<std::string>{"begin", "end", "hide"}));
    EXPECT_EQ(Pixel(25, 25), Colour565(0));  // not drawn on the frame it hid
    // Shown again, it starts over.
    logo->Show(menu);
    EXPECT_EQ(logo->Alpha, 0);
    EXPECT_EQ(logo->Phase, 0);
}

TEST_F(WidgetImageTest, ALogoHalfWayBlendsWithWhatLiesBehind) {
    auto* logo = Make<TGPLogo>(menu, {{"Paint", "Logo"}, {"PatternWidth", "50"}, {"PatternHeight", "50"},
                                      {"StepUp", "128"}, {"Stand", "10"}, {"StepDown", "1"}});
    Show();
    Tick();
    ASSERT_EQ(logo->Alpha, 128);
    const uint16_t p = Pixel(25, 25);
    EXPECT_NE(p, To565(0xFFFFFF));
    EXPECT_NE(p, Colour565(0));
}

TEST_F(WidgetImageTest, ALogoWithAStepBelowOneEndsItsFadeInOneFrame) {
    auto* logo = Make<TGPLogo>(menu, {{"Paint", "Logo"}, {"StepUp", "0"}, {"Stand", "1"}, {"StepDown", "-5"}});
    Show();
    Tick();
    EXPECT_EQ(logo->Alpha, 255);
    EXPECT_EQ(logo->Phase, 2);
    Tick();
    Tick();
    EXPECT_EQ(logo->Phase, 1);
    Tick();
    EXPECT_FALSE(logo->Visible);
    // Steps that would overflow still end the fade.
    logo->Show(menu);
    logo->StepUp = 2147483647;
    Tick();
    EXPECT_EQ(logo->Alpha, 255);
    logo->SetStand(5);
    EXPECT_EQ(logo->StandCounter, 0);
}

TEST_F(WidgetImageTest, ASlideShowOfThreeShowsZeroOneTwoZeroEveryIntervalPlusOneFrames) {
    auto* show = Make<TGPSlideShow>(menu, {{"Paint", "Slide"}, {"CountSlide", "3"}, {"Interval", "2"},
                                           {"Enabled", "True"}, {"PatternWidth", "20"}, {"PatternHeight", "20"}});
    EXPECT_EQ(TGPSlideShow().Interval, 1000);
    Show();
    std::vector<int> slides;
    std::vector<uint16_t> colours;
    for (int i = 0; i < 10; ++i) {
        Tick();
        slides.push_back(show->CurrentSlide);
        colours.push_back(Pixel(5, 5));
    }
    EXPECT_EQ(slides, (std::vector<int>{0, 0, 1, 1, 1, 2, 2, 2, 0, 0}));
    EXPECT_EQ(colours[2], To565(0x00FF00));
    EXPECT_EQ(colours[5], To565(0x0000FF));
    EXPECT_EQ(colours[8], To565(0xFF0000));
}

TEST_F(WidgetImageTest, ASlideShowOfNoSlidesStaysOnSlideZeroAndAMissingSlideHidesIt) {
    auto* show = Make<TGPSlideShow>(menu, {{"Paint", "Slide"}, {"CountSlide", "0"}, {"Interval", "0"},
                                           {"Enabled", "True"}});
    Show();
    for (int i = 0; i < 5; ++i) Tick();
    EXPECT_EQ(show->CurrentSlide, 0);
    EXPECT_TRUE(show->Visible);
    show->CountSlide = 5;
    for (int i = 0; i < 3; ++i) Tick();
    EXPECT_FALSE(show->Visible);  // "Slide3" is missing
    EXPECT_EQ(show->CurrentSlide, 0);
}

TEST_F(WidgetImageTest, ARollImageStepsItsPatternEveryRollTickPlusOneDraws) {
    auto* roll = Make<TGPRollImage>(menu, {{"Paint", "Roll"}, {"PatternWidth", "30"}, {"PatternHeight", "30"},
                                           {"RollTick", "1"}});
    Show();
    std::vector<int> patterns;
    for (int i = 0; i < 7; ++i) {
        Tick();
        patterns.push_back(roll->RollPattern);
    }
    EXPECT_EQ(patterns, (std::vector<int>{0, 1, 1, 2, 2, 0, 0}));
    EXPECT_EQ(Pixel(5, 5), Colour565(0));
}

TEST_F(WidgetImageTest, AnImageFiresItsClickEveryFrameWhilePressedAndDrawsItsChildren) {
    auto* image = Make<TGPImage>(menu, {{"Paint", "Wide"}, {"PatternWidth", "80"}, {"PatternHeight", "20"}});
    auto* inner = Make<TGPLabel>(image, {{"Text", "x"}, {"PaintAlways", "True"}});
    int clicks = 0;
    image->OnGPClick = [&](TObject*) { ++clicks; };
    Show();
    EXPECT_EQ(image->ParentForm, menu);
    inner->FlagChange = false;
    image->FlagChange = true;
    MouseAt(10, 10);
    Press(true);
    Tick();
    Tick();
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(inner->FlagChange);  // copied from the image
    EXPECT_EQ(Pixel(70, 15), To565(0x00FF00));
}

TEST_F(WidgetImageTest, SettingPaintUnderAVisibleFormSwapsThePictureAndTakesItsSize) {
    auto* image = Make<TGPImage>(menu, {{"Paint", "Logo"}});
    image->SetPaint("Wide");  // no visible parent form yet: only stored
    EXPECT_EQ(image->Paint, "Wide");
    EXPECT_EQ(image->PatternWidth, 0);
    image->SetPaint("Logo");
    Show();
    Tick();
    ASSERT_NE(kernel->FormsRegister->Items().Find("Logo"), nullptr);
    image->SetPaint("Wide");
    EXPECT_EQ(kernel->FormsRegister->Items().Find("Logo"), nullptr);  // the old one freed
    EXPECT_EQ(image->PatternWidth, 80);
    EXPECT_EQ(image->PatternHeight, 20);
    Tick();
    EXPECT_EQ(Pixel(75, 15), To565(0x00FF00));
}

TEST_F(WidgetImageTest, AnImageFromAFileLoadsOnlyAPlainNameOfTheResourceFolder) {
    {
        std::ofstream out(dir.File("Resource/Shot.BMP"), std::ios::binary);
        const std::string bmp = datagen::SolidPicture(16, 16, 0x0000FF);
        out.write(bmp.data(), std::streamsize(bmp.size()));
    }
    auto* image = Make<TGPImage>(menu, {{"Paint", "Shot"}, {"PatternWidth", "16"}, {"PatternHeight", "16"}});
    image->FromFile = true;
    auto* sneaky = Make<TGPImage>(menu, {{"Paint", "..\\Resource\\Shot"}, {"Left", "100"}});
    sneaky->FromFile = true;
    Show();
    Tick();
    EXPECT_EQ(Pixel(5, 5), To565(0x0000FF));
    EXPECT_TRUE(sneaky->Paint.empty());  // failed as a missing file: cleared
    EXPECT_EQ(Pixel(105, 5), Colour565(0));
    auto* missing = Make<TGPImage>(menu, {{"Paint", "Nothing"}, {"Left", "200"}});
    missing->FromFile = true;
    missing->Show(menu);
    Tick();
    EXPECT_TRUE(missing->Paint.empty());
}
