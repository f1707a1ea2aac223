// Setting published properties by dotted path.
#include <gtest/gtest.h>

#include "engine/gpUtilsProps.h"
#include "rtl/Component.h"

namespace {

enum class TLook : uint8_t { lkPlain, lkBold };
const rtl::EnumType LookType("TLook", {"lkPlain", "lkBold"});

class TFontBox : public rtl::Component {
    RTL_CLASS(TFontBox, rtl::Component)
public:
    int32_t Size = 10;
    std::string Face = "Arial";
    static void DescribeClass(rtl::ClassBuilder<TFontBox>& c) {
        c.Property("Size", &TFontBox::Size).Property("Face", &TFontBox::Face);
    }
};

class TPanelBox : public rtl::Component {
    RTL_CLASS(TPanelBox, rtl::Component)
public:
    int32_t Left = 0;
    double Alpha = 0;
    TLook Look = TLook::lkPlain;
    TFontBox* Font = nullptr;
    std::function<void(rtl::Object*)> OnClick;
    static void DescribeClass(rtl::ClassBuilder<TPanelBox>& c) {
        c.Property("Left", &TPanelBox::Left)
            .Property("Alpha", &TPanelBox::Alpha)
            .Enum("Look", &TPanelBox::Look, LookType)
            .ObjectProperty<TFontBox>("Font", &TPanelBox::Font)
            .Event("OnClick", &TPanelBox::OnClick);
    }
};

TEST(SetPropertyByPath, WalksObjectPropertiesAndSetsByKind) {
    TFontBox font;
    TPanelBox panel;
    using engine::SetPropertyByPath;
    EXPECT_TRUE(SetPropertyByPath(panel, "left", int64_t{42}));
    EXPECT_EQ(panel.Left, 42);
    EXPECT_TRUE(SetPropertyByPath(panel, "Alpha", 0.5));
    EXPECT_EQ(panel.Alpha, 0.5);
    EXPECT_TRUE(SetPropertyByPath(panel, "Look", std::string("lkBold")));
    EXPECT_EQ(panel.Look, TLook::lkBold);
    EXPECT_FALSE(SetPropertyByPath(panel, "Missing", int64_t{1}));
    EXPECT_FALSE(SetPropertyByPath(panel, "Font.Size", int64_t{12}));  // holds no object yet
    panel.Font = &font;
    EXPECT_TRUE(SetPropertyByPath(panel, "Font.Size", int64_t{12}));
    EXPECT_TRUE(SetPropertyByPath(panel, "FONT.face", std::string("Courier")));
    EXPECT_EQ(font.Size, 12);
    EXPECT_EQ(font.Face, "Courier");
    EXPECT_FALSE(SetPropertyByPath(panel, "Font", int64_t{3}));  // no rest of the path
    EXPECT_FALSE(SetPropertyByPath(panel, "Font.Nothing", int64_t{3}));
    EXPECT_TRUE(SetPropertyByPath(panel, "OnClick", int64_t{0}));  // other kinds: accepted
    EXPECT_FALSE(panel.OnClick);
    EXPECT_THROW(SetPropertyByPath(panel, "Look", std::string("lkNone")), rtl::EPropertyError);
}

}  // namespace
