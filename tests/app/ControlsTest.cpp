// The dialogs' plain controls and canvas: drawing stays inside each control and the frame,
// the progress bar keeps any position within its range, and the keyboard reaches only
// controls that can take it.
#include <gtest/gtest.h>

#include "app/StdCtrls.h"
#include "tests/app/DialogFixtures.h"

namespace {

using namespace apptest;

// A form of a given colour and a frame to paint it into.
struct Painted {
    app::TForm form{"Controls"};
    pw::DialogFrame frame;
    Painted() {
        form.Color = 0x102030;
        form.SetClientSize(120, 80);
    }
    // The pixels of the frame that are not the form's colour, outside a rectangle.
    int ChangedOutside(const rtl::TRect& r) {
        form.PaintTo(frame);
        int changed = 0;
        for (int y = 0; y < frame.Height; ++y)
            for (int x = 0; x < frame.Width; ++x)
                if ((x < r.Left || x >= r.Right || y < r.Top || y >= r.Bottom) && frame.At(x, y) != app::PixelOf(0x102030))
                    ++changed;
        return changed;
    }
};

}  // namespace

TEST(DialogControls, EveryControlDrawsInsideItsOwnRectangleEvenPastTheFormsEdge) {
    Painted p;
    app::TLabel label(p.form, "Label");
    label.SetCaption("A long text that runs well past the label's right edge and wraps no more");
    label.Font.Color = 0xFFFFFF;
    label.SetBounds(10, 10, 40, 30);
    EXPECT_EQ(p.ChangedOutside({10, 10, 50, 40}), 0);
    label.WordWrap = true;
    EXPECT_EQ(p.ChangedOutside({10, 10, 50, 40}), 0);
    // Controls reaching past the frame on every side are cut to it.
    app::TListBox list(p.form, "List");
    for (int i = 0; i < 30; ++i) list.Items.Add("item " + std::to_string(i));
    list.SetBounds(-30, -20, 200, 300);
    app::TImage image(p.form, "Image");
    image.SetPicture(app::TBitmap32::Filled(50, 50, 0x00FF00));
    image.SetBounds(100, 60, 50, 50);
    p.form.PaintTo(p.frame);
    EXPECT_EQ(p.frame.At(119, 79), 0x00FF00u);
    image.Stretch = true;
    image.SetBounds(-1000, -1000, 3000, 3000);
    p.form.PaintTo(p.frame);
    EXPECT_EQ(p.frame.At(0, 0), 0x00FF00u);
}

TEST(DialogControls, TheProgressBarKeepsItsPositionInItsRange) {
    Painted p;
    app::TProgressBar bar(p.form, "Bar");
    bar.SetBounds(0, 0, 104, 10);
    bar.SetPosition(50);
    EXPECT_EQ(bar.FilledWidth(), 50);
    bar.SetPosition(-5);
    EXPECT_EQ(bar.Position(), 0);
    bar.SetPosition(101);
    EXPECT_EQ(bar.Position(), 100);
    EXPECT_EQ(bar.FilledWidth(), 100);
    // An empty range (a download of 0 bytes) shows nothing and divides by nothing.
    bar.SetMax(0);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_EQ(bar.FilledWidth(), 0);
    bar.SetPosition(7);
    EXPECT_EQ(bar.FilledWidth(), 0);
    bar.SetRange(10, -10);
    EXPECT_EQ(bar.Position(), 10);
    EXPECT_EQ(bar.FilledWidth(), 0);
    // Sizes beyond 32 bits of bytes' products.
    bar.SetRange(0, 2000000000);
    bar.SetPosition(1999999999);
    EXPECT_EQ(bar.FilledWidth(), 99);
    p.form.PaintTo(p.frame);
}

TEST(DialogControls, ClicksAndKeysReachOnlyControlsThatCanTakeThem) {
    Painted p;
    app::TCheckBox first(p.form, "First"), hidden(p.form, "Hidden"), off(p.form, "Off"), last(p.form, "Last");
    first.SetBounds(0, 0, 20, 20);
    hidden.SetBounds(30, 0, 20, 20);
    off.SetBounds(60, 0, 20, 20);
    last.SetBounds(90, 0, 20, 20);
    hidden.SetVisible(false);
    off.SetEnabled(false);
    int clicks = 0;
    for (app::TCheckBox* c : {&first, &hidden, &off, &last}) c->OnClick = [&](void*) { ++clicks; };
    p.form.SelectNext(true);
    EXPECT_TRUE(first.Focused());
    SendTo(p.form, pw::EventType::KeyDown, 0, 0, 0, vk::Tab);
    EXPECT_TRUE(last.Focused()) << "Tab skips hidden and disabled controls";
    SendTo(p.form, pw::EventType::KeyDown, 0, 0, 0, vk::Space);
    EXPECT_TRUE(last.Checked());
    SendTo(p.form, pw::EventType::KeyDown, 0, 0, 0, vk::Tab);
    EXPECT_TRUE(first.Focused()) << "and comes round";
    for (int x : {40, 70}) {
        SendTo(p.form, pw::EventType::MouseDown, x, 10);
        SendTo(p.form, pw::EventType::MouseUp, x, 10);
    }
    EXPECT_EQ(clicks, 1) << "the hidden and the disabled box took no click";
    EXPECT_FALSE(off.Checked());
    // A press that leaves the control before its release is no click.
    SendTo(p.form, pw::EventType::MouseDown, 5, 5);
    SendTo(p.form, pw::EventType::MouseMove, 50, 50);
    SendTo(p.form, pw::EventType::MouseUp, 50, 50);
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(first.Checked());
    SendTo(p.form, pw::EventType::MouseDown, 5, 5);
    SendTo(p.form, pw::EventType::MouseUp, 6, 6);
    EXPECT_TRUE(first.Checked());
    // A control disabled while it has the focus gives the focus up.
    first.SetEnabled(false);
    EXPECT_EQ(p.form.ActiveControl(), nullptr);
    // A control that goes while the pointer is over it leaves no trace in the form.
    {
        app::TButton gone(p.form, "Gone");
        gone.SetBounds(0, 40, 50, 20);
        SendTo(p.form, pw::EventType::MouseMove, 10, 50);
        SendTo(p.form, pw::EventType::MouseDown, 10, 50);
        EXPECT_TRUE(gone.Pressed());
    }
    SendTo(p.form, pw::EventType::MouseUp, 10, 50);
    SendTo(p.form, pw::EventType::MouseMove, 11, 50);
    EXPECT_EQ(p.form.ControlAt(10, 50), nullptr);
}

TEST(DialogControls, AButtonsModalResultEndsItsFormAndAnEmptyListTakesKeys) {
    Painted p;
    app::TButton ok(p.form, "Ok");
    ok.ModalResult = app::mrOk;
    int clicked = 0;
    ok.OnClick = [&](void*) {
        ++clicked;
        EXPECT_EQ(p.form.ModalResult, app::mrOk) << "the form has the result before the handler runs";
    };
    ok.Click();
    EXPECT_EQ(clicked, 1);
    app::TListBox list(p.form, "List");
    list.SetBounds(0, 0, 100, 60);
    for (uint32_t key : {vk::Up, vk::Down, vk::Home, vk::End, vk::Prior, vk::Next}) EXPECT_TRUE(list.KeyDown(key, 0));
    EXPECT_EQ(list.ItemIndex(), -1);
    EXPECT_TRUE(list.MouseWheel(-3));
    EXPECT_EQ(list.TopIndex(), 0);
    list.SetItemIndex(5);
    EXPECT_EQ(list.ItemIndex(), -1);
    p.form.PaintTo(p.frame);
}
