// The skinned window's components: the shape cut from the background, dragging by the form's
// own surface, picture buttons, the hyperlink with its "&Copy" menu, and the form's handlers.
#include <gtest/gtest.h>

#include <stdexcept>

#include "app/DrawButton.h"
#include "app/FPUrlLabel.h"
#include "app/fmFormRgn.h"
#include "platform/window/MessageBox.h"
#include "tests/app/DialogFixtures.h"
#include "tests/platform/ProcessHelpers.h"

namespace {

using namespace apptest;
using app::TBitmap32;

class SkinnedWindowTest : public DialogTest {
protected:
    // A skinned form on a 100 x 50 background: an opaque ellipse in the key colour.
    std::unique_ptr<app::TDlg_FormRgn> Skinned() {
        auto form = app::CreateForm<app::TDlg_FormRgn>(*form_, "Skinned");
        form->Bitmap = LoadBitmap(datagen::EllipseBackground(100, 50));
        form->SetupRegion();
        return form;
    }
};

TEST_F(SkinnedWindowTest, TheBackgroundsKeyColourAroundAnEllipseGivesAnEllipticWindow) {
    auto form = Skinned();
    EXPECT_EQ(form->ClientWidth(), 100);
    EXPECT_EQ(form->ClientHeight(), 50);
    ASSERT_TRUE(form->Rgn.has_value());
    int inside = 0;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 100; ++x) {
            const bool in = datagen::InsideEllipse(100, 50, x, y);
            inside += in;
            ASSERT_EQ(form->Rgn->Contains(x, y), in) << x << "," << y;
        }
    EXPECT_GT(inside, 3500);
    EXPECT_EQ(form->Window().Shape(), *form->Rgn);
    EXPECT_TRUE(form->Window().Shaped());
    // The region is made once: a second set-up keeps it.
    form->Rgn = pw::Region(pw::RegionRect{0, 0, 10, 10});
    form->SetupRegion();
    EXPECT_EQ(form->Window().Shape().Bounds(), (pw::RegionRect{0, 0, 10, 10}));
    // Taking the transparent pixels instead gives the corners.
    const pw::Region corners = app::TDlg_FormRgn::CreateRegionFromBitmap(*form->Bitmap, 0xFF00FF, true);
    EXPECT_TRUE(corners.Contains(0, 0));
    EXPECT_FALSE(corners.Contains(50, 25));
}

TEST_F(SkinnedWindowTest, InsideTheShapeTheFormsSurfaceDragsButtonsAndTheLinkDoNot) {
    auto form = Skinned();
    app::TDrawButton button(*form, "Button");
    button.SetPicture(Pixels32(datagen::ButtonSheet(30, 12)));
    button.SetBounds(0, 0, 30, 12);  // its top-left corner lies outside the ellipse
    int clicks = 0;
    button.OnClick = [&](void*) { ++clicks; };
    form->QuorvexUrlLabel.SetVisible(true);
    form->QuorvexUrlLabel.SetBounds(40, 30, 30, 12);
    int surface = 0;
    form->OnMouseDown = [&](void*) { ++surface; };

    int32_t left = 0, top = 0, buttonState = -1;
    Then(10, [] { Click(2, 2); });  // outside the shape, on the button's rectangle
    Then(10, [&] {
        EXPECT_EQ(clicks, 0);
        left = form->Window().Left(), top = form->Window().Top();
        Post(pw::EventType::MouseDown, 25, 10);
        Post(pw::EventType::MouseMove, 27, 11);
    });
    Then(10, [&] {
        buttonState = button.State();
        Post(pw::EventType::MouseUp, 27, 11);
        Post(pw::EventType::MouseDown, 50, 20);  // the form's own surface
        Post(pw::EventType::MouseMove, 60, 25);
        Post(pw::EventType::MouseUp, 60, 25);
    });
    Then(10, [&] {
        EXPECT_EQ(form->Window().Left(), left + 10);
        EXPECT_EQ(form->Window().Top(), top + 5);
        Post(pw::EventType::MouseDown, 50, 35);  // the link
        Post(pw::EventType::MouseMove, 56, 36);
        Post(pw::EventType::MouseUp, 56, 36);
    });
    Then(10, [] { Key(vk::Escape); });
    EXPECT_EQ(form->ShowModal(), app::mrCancel);
    EXPECT_EQ(buttonState, 2) << "pressed, not dragged";
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(form->Window().Left(), left + 10) << "neither the button nor the link dragged";
    EXPECT_EQ(surface, 0) << "the surface's presses were the window manager's";
    EXPECT_EQ(Opened(), std::string("http://") + app::kMakerWebSite + "\n");
    EXPECT_FALSE(form->Window().Visible());
}

TEST_F(SkinnedWindowTest, APictureButtonShowsAQuarterOfItsPictureFollowingThePointer) {
    app::TForm form("Buttons");
    form.Color = app::clWhite;
    form.SetClientSize(200, 100);
    app::TDrawButton button(form, "Button");
    EXPECT_EQ(button.Width(), 49);
    EXPECT_EQ(button.Height(), 41);
    button.SetPicture(Pixels32(datagen::ButtonSheet(80, 40)));
    EXPECT_EQ(button.Width(), 80);
    EXPECT_EQ(button.Height(), 40);
    button.SetLeft(10);
    button.SetTop(20);
    pw::DialogFrame frame;
    auto shown = [&] {
        form.PaintTo(frame);
        return frame.At(50, 40);  // the button's middle
    };
    using datagen::ButtonFrameColor;
    EXPECT_EQ(shown(), ButtonFrameColor(0));
    EXPECT_EQ(frame.At(10, 20), datagen::kDialogKey) << "drawn as it stands";
    EXPECT_EQ(frame.At(10, 60), 0xFFFFFFu) << "one frame only";
    button.SetTransparent(true);
    EXPECT_EQ(shown(), ButtonFrameColor(0));
    EXPECT_EQ(frame.At(10, 20), 0xFFFFFFu) << "the frame's top-left colour is transparent";
    EXPECT_EQ(frame.At(89, 59), 0xFFFFFFu);

    int clicks = 0;
    button.OnClick = [&](void*) { ++clicks; };
    SendTo(form, pw::EventType::MouseMove, 50, 40);
    EXPECT_EQ(button.State(), 3);
    EXPECT_EQ(shown(), ButtonFrameColor(3));
    SendTo(form, pw::EventType::MouseDown, 50, 40);
    EXPECT_EQ(shown(), ButtonFrameColor(2));
    SendTo(form, pw::EventType::MouseUp, 50, 40);
    EXPECT_EQ(shown(), ButtonFrameColor(3));
    EXPECT_EQ(clicks, 1);
    SendTo(form, pw::EventType::MouseMove, 150, 90);
    EXPECT_EQ(shown(), ButtonFrameColor(0));
    button.SetEnabled(false);
    EXPECT_EQ(shown(), ButtonFrameColor(1));
    SendTo(form, pw::EventType::MouseMove, 50, 40);
    SendTo(form, pw::EventType::MouseDown, 50, 40);
    SendTo(form, pw::EventType::MouseUp, 50, 40);
    EXPECT_EQ(clicks, 1) << "a disabled button takes no press";
    EXPECT_EQ(shown(), ButtonFrameColor(1));
    button.SetEnabled(true);
    EXPECT_EQ(shown(), ButtonFrameColor(3)) << "enabled again, it shows as under the pointer";
    int painted = 0;
    button.OnAfterPaint = [&](app::TDrawButton& sender, app::TCanvas& canvas) {
        ++painted;
        EXPECT_EQ(&sender, &button);
        canvas.Pixel(0, 0, 0x0000FF);  // the handler draws over the button
    };
    shown();
    EXPECT_EQ(painted, 1);
    EXPECT_EQ(frame.At(10, 20), 0xFF0000u);
}

TEST_F(SkinnedWindowTest, TheLinksAddressForEachKindOfTarget) {
    app::TForm form("Links");
    app::TFPUrlLabel link(form, "Link");
    link.SetCaption("www.example.org");
    const std::pair<app::TLabelType, std::string> expected[] = {
        {app::TLabelType::hmHTTP, "http://www.example.org"},
        {app::TLabelType::hmFTP, "ftp://www.example.org"},
        {app::TLabelType::hmNews, "news://www.example.org"},
        {app::TLabelType::hmCUSTOM, "www.example.org"},
        {app::TLabelType::hmMAIL, "mailto:www.example.org?subject="},
    };
    for (const auto& [type, address] : expected) {
        link.SetLabelType(type);
        EXPECT_EQ(link.Address(), address);
    }
    link.SetCaption("x");
    link.MailSubject = "y";
    EXPECT_EQ(link.Address(), "mailto:x?subject=y");
    // The address and subject go out percent-encoded (UTF-8), the address's own marks kept.
    link.URL = "ann smith@mail.example?cc=boss";
    link.MailSubject = "Hi & bye \xCF\xF0\xE8\xE2\xE5\xF2";  // "Привет" in the game's code page
    EXPECT_EQ(link.Address(),
              "mailto:ann%20smith@mail.example%3Fcc%3Dboss?subject=Hi%20%26%20bye%20%D0%9F%D1%80%D0%B8%D0%B2%D0%B5%D1%82");
    EXPECT_EQ(link.Target(), "ann smith@mail.example?cc=boss") << "the URL before the caption";
    // A target with a scheme of its own gets no second one.
    link.URL = "https://secure.example/a";
    link.SetLabelType(app::TLabelType::hmHTTP);
    EXPECT_EQ(link.Address(), "https://secure.example/a");
    link.SetLabelType(app::TLabelType::hmFTP);
    EXPECT_EQ(link.Address(), "https://secure.example/a");
}

TEST_F(SkinnedWindowTest, TheLinksLookFollowsThePointerAndItsEffect) {
    app::TForm form("Links");
    form.SetClientSize(200, 60);
    app::TFPUrlLabel link(form, "Link");
    link.SetBounds(10, 10, 100, 20);
    link.AllowDown = true;
    EXPECT_TRUE(link.Font.Underline);
    EXPECT_EQ(link.Font.Color, 0xFF0000u);
    link.SetEffect98(true);
    EXPECT_FALSE(link.Font.Underline);
    SendTo(form, pw::EventType::MouseMove, 20, 15);
    EXPECT_EQ(link.Font.Color, link.URLColPre);
    EXPECT_TRUE(link.Font.Underline);
    EXPECT_EQ(form.Window().Cursor(), pw::PointerShape::Hand);
    SendTo(form, pw::EventType::MouseDown, 20, 15);
    EXPECT_EQ(link.Top(), 11) << "a press moves it down a pixel";
    SendTo(form, pw::EventType::MouseUp, 20, 15);
    EXPECT_EQ(link.Top(), 10);
    EXPECT_EQ(Opened(), "http://\n") << "an empty caption still opens its address";
    SendTo(form, pw::EventType::MouseMove, 150, 50);
    EXPECT_EQ(link.Font.Color, link.URLColStd());
    EXPECT_FALSE(link.Font.Underline);
    EXPECT_EQ(form.Window().Cursor(), pw::PointerShape::Arrow);
    link.SetLabelType(app::TLabelType::hmCUSTOM);
    link.SetEffect98(false);
    EXPECT_FALSE(link.Font.Underline) << "a custom link's underline is its own";
    app::TFont font;
    font.Color = 0x123456;
    link.SetFont(font);
    EXPECT_EQ(link.URLColStd(), 0x123456u);
}

TEST_F(SkinnedWindowTest, CopyFromTheLinksMenuFillsTheClipboardForWebMailAndNewsOnly) {
    auto form = Skinned();
    app::TFPUrlLabel& link = form->QuorvexUrlLabel;
    link.SetVisible(true);
    link.SetBounds(30, 20, 40, 12);
    link.URL = "www.example.org/page";
    uint32_t formWindow = 0, menuWindow = 0, afterFtp = 0;
    Then(10, [&] {
        formWindow = pw::MainPump().ModalWindow();
        Click(40, 25, 1);  // the right button
    });
    Then(10, [&] {
        menuWindow = pw::MainPump().ModalWindow();
        Click(20, 10);  // the menu's one item
    });
    Then(10, [&] {
        link.SetLabelType(app::TLabelType::hmFTP);
        Click(40, 25, 1);
    });
    Then(10, [&] {
        afterFtp = pw::MainPump().ModalWindow();
        Key(vk::Escape);
    });
    form->ShowModal();
    EXPECT_NE(menuWindow, formWindow) << "the menu is a window of its own above the dialog";
    EXPECT_EQ(afterFtp, formWindow) << "no menu for other kinds of links";
    EXPECT_EQ(pw::TheClipboard().GetText(), "www.example.org/page");
    EXPECT_EQ(Opened(), "") << "the right button opens nothing";
}

TEST_F(SkinnedWindowTest, TheMenuClosesWithoutChoosingOnEscOrAPressElsewhere) {
    auto form = Skinned();
    form->QuorvexUrlLabel.SetVisible(true);
    form->QuorvexUrlLabel.SetBounds(30, 20, 40, 12);
    form->QuorvexUrlLabel.SetCaption("caption");
    uint32_t formWindow = 0, menuAfterEsc = 0, menuAfterPress = 0;
    Then(10, [&] {
        formWindow = pw::MainPump().ModalWindow();
        Click(40, 25, 1);
    });
    Then(10, [] { Key(vk::Escape); });
    Then(10, [&] {
        menuAfterEsc = pw::MainPump().ModalWindow();
        Click(40, 25, 1);
    });
    Then(10, [&] {
        // A press on the dialog while the menu is open closes the menu.
        pw::WindowEvent e;
        e.Type = pw::EventType::MouseDown;
        e.WindowId = formWindow;
        e.X = 50, e.Y = 25;
        pw::MainPump().Post(e);
    });
    Then(10, [&] {
        menuAfterPress = pw::MainPump().ModalWindow();
        Key(vk::Return);  // the dialog's own keys work again: no default button, so nothing
        Key(vk::Escape);
    });
    EXPECT_EQ(form->ShowModal(), app::mrCancel);
    EXPECT_EQ(menuAfterEsc, formWindow);
    EXPECT_EQ(menuAfterPress, formWindow);
    EXPECT_FALSE(pw::TheClipboard().GetText().has_value());
}

TEST_F(SkinnedWindowTest, WithoutABrowserTheLinkSaysSo) {
    testproc::ScopedEnv env;
    env.Unset("SPRALLION_SHELL");
    std::filesystem::create_directory(dir_.File("empty"));
    env.Set("PATH", dir_.File("empty"));
    app::TForm form("Links");
    app::TFPUrlLabel link(form, "Link");
    link.SetCaption("www.example.org");
    EXPECT_FALSE(link.OpenURL(link.Address()));
    const auto boxes = pw::RecordedMessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Sorry your browser could not be found");
    link.SetLabelType(app::TLabelType::hmMAIL);
    EXPECT_FALSE(link.OpenURL(link.Address()));
    EXPECT_EQ(pw::RecordedMessageBoxes().size(), 1u) << "only the web has a browser to look for";
}

// A background whose drawing fails.
class BrokenSkin final : public app::TDlg_FormRgn {
public:
    using TDlg_FormRgn::TDlg_FormRgn;
    int tries = 0;

protected:
    void PaintBackground(app::TCanvas&) override {
        ++tries;
        throw std::runtime_error("no picture");
    }
};

TEST_F(SkinnedWindowTest, AFailingBackgroundIsTriedOnceAndLoggedOnce) {
    auto form = app::CreateForm<BrokenSkin>(*form_, "Broken");
    form->Bitmap = LoadBitmap(datagen::EllipseBackground(40, 20));
    form->SetupRegion();
    pw::DialogFrame frame;
    form->PaintTo(frame);
    form->PaintTo(frame);
    EXPECT_TRUE(form->PaintError);
    EXPECT_EQ(form->tries, 1);
    EXPECT_EQ(Log(), "Class FormPaint with message 'no picture'.\r\n");
}

TEST_F(SkinnedWindowTest, OnShowEveryFontTakesTheLanguagesCharsetAndADisplayChangeCentresAgain) {
    form_->TextCharset = 204;
    auto form = Skinned();
    app::TLabel label(*form, "Label");
    Then(10, [&] {
        EXPECT_EQ(form->QuorvexUrlLabel.Font.Height, -16);
        EXPECT_EQ(label.Font.Charset, 204);
        EXPECT_EQ(form->QuorvexUrlLabel.Font.Charset, 204);
        EXPECT_EQ(form->Window().Left(), (800 - 100) / 2);
        form->Window().MoveTo(3, 4);
        pw::SetHeadlessScreen(1280, 1024);
        pw::WindowEvent e;
        e.Type = pw::EventType::DisplayChanged;
        pw::MainPump().Post(e);
    });
    Then(10, [&] {
        EXPECT_EQ(form->Window().Left(), (1280 - 100) / 2);
        EXPECT_EQ(form->Window().Top(), (1024 - 50) / 2);
        Key(vk::Escape);
    });
    form->ShowModal();
    EXPECT_NE(Log().find("The display changed"), std::string::npos);
    EXPECT_FALSE(pw::TerminateRequested()) << "the game goes on";
}

}  // namespace
