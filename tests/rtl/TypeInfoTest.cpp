// The type-information registry: declaration order, names, access by name, factory, events.
#include <gtest/gtest.h>

#include "rtl/Component.h"
#include "rtl/TypeInfo.h"

namespace {

enum class TStyle : uint8_t { stNo, stOne, stTwo };
const rtl::EnumType TStyleType("TStyle", {"stNo", "stOne", "stTwo"});
const rtl::EnumType TStateType("TState", {"psUp", "psDown", "psLeft"});

using TNotifyEvent = std::function<void(rtl::Object*)>;
using TKeyEvent = std::function<void(rtl::Object*, uint16_t&)>;

class TBase : public rtl::Component {
    RTL_CLASS(TBase, rtl::Component)
public:
    int32_t Width = 7;
    bool Visible = true;
    TNotifyEvent OnClick;
    static void DescribeClass(rtl::ClassBuilder<TBase>& c) {
        c.Property("Width", &TBase::Width).Property("Visible", &TBase::Visible).Event("OnClick", &TBase::OnClick);
    }
};

class TWidget : public TBase {
    RTL_CLASS(TWidget, TBase)
public:
    uint8_t Speed = 0;
    int16_t Delta = 0;
    int64_t Big = 0;
    char Letter = 'a';
    TStyle Style = TStyle::stNo;
    uint32_t States = 0;
    double Real = 0;
    float Single = 0;
    std::string Caption;
    TKeyEvent OnKey;
    int setCount = 0;
    int32_t Height() const { return height_; }
    void SetHeight(int32_t h) { height_ = h; ++setCount; }
    static void DescribeClass(rtl::ClassBuilder<TWidget>& c) {
        c.Property("Speed", &TWidget::Speed)
            .Property("Height", &TWidget::Height, &TWidget::SetHeight)
            .Property("Delta", &TWidget::Delta)
            .Property("Big", &TWidget::Big)
            .Property("Letter", &TWidget::Letter)
            .Enum("Style", &TWidget::Style, TStyleType)
            .Set("States", &TWidget::States, TStateType)
            .Property("Real", &TWidget::Real)
            .Property("Single", &TWidget::Single)
            .Property("Caption", &TWidget::Caption)
            .Property("Area", &TWidget::Area, nullptr)
            .Event("OnKey", &TWidget::OnKey);
    }
    int32_t Area() const { return Width * height_; }

private:
    int32_t height_ = 3;
};

class TShell : public rtl::Component {
    RTL_CLASS(TShell, rtl::Component)
public:
    rtl::Object* clicked = nullptr;
    uint16_t lastKey = 0;
    void On_Link_MainPanel_Play(rtl::Object* sender) { clicked = sender; }
    void On_Link_Main_DXKey_Ok(rtl::Object*, uint16_t& key) { lastKey = key; key = 266; }
    static void DescribeClass(rtl::ClassBuilder<TShell>& c) {
        c.Method("On_Link_MainPanel_Play", &TShell::On_Link_MainPanel_Play)
            .Method("On_Link_Main_DXKey_Ok", &TShell::On_Link_Main_DXKey_Ok);
    }
};

RTL_REGISTER_CLASS(TWidget);
RTL_REGISTER_CLASS(TShell);

std::vector<std::string> Names(const rtl::TypeInfo& info) {
    std::vector<std::string> out;
    for (const rtl::PropInfo* p : info.Properties()) out.push_back(p->Name);
    return out;
}

TEST(TypeInfo, ClassTreeOrderAndLookup) {
    const rtl::TypeInfo& w = TWidget::StaticClassInfo();
    EXPECT_EQ(w.Name(), "TWidget");
    EXPECT_EQ(w.Parent(), &TBase::StaticClassInfo());
    EXPECT_EQ(rtl::Component::StaticClassInfo().Name(), "TComponent");
    EXPECT_EQ(rtl::Component::StaticClassInfo().Parent()->Name(), "TObject");
    EXPECT_TRUE(w.InheritsFrom(rtl::Component::StaticClassInfo()));
    EXPECT_FALSE(TBase::StaticClassInfo().InheritsFrom(w));
    // Inherited first, each class in declaration order.
    EXPECT_EQ(Names(w), (std::vector<std::string>{"Name", "Tag", "Width", "Visible", "OnClick", "Speed",
                                                  "Height", "Delta", "Big", "Letter", "Style", "States",
                                                  "Real", "Single", "Caption", "Area", "OnKey"}));
    ASSERT_NE(w.FindProperty("vIsIbLe"), nullptr);
    EXPECT_EQ(w.FindProperty("vIsIbLe")->Kind, rtl::PropKind::Boolean);
    EXPECT_EQ(w.FindProperty("Speed")->OrdSize, 1);
    EXPECT_FALSE(w.FindProperty("Speed")->Signed);
    EXPECT_EQ(w.FindProperty("Delta")->OrdSize, 2);
    EXPECT_EQ(w.FindProperty("Big")->Kind, rtl::PropKind::Int64);
    EXPECT_EQ(w.FindProperty("Letter")->Kind, rtl::PropKind::Char);
    EXPECT_EQ(w.FindProperty("Single")->OrdSize, 4);
    EXPECT_EQ(w.FindProperty("Style")->Enum->ValueName(2), "stTwo");
    EXPECT_EQ(w.FindProperty("Style")->Enum->Value("STONE"), 1);
    EXPECT_EQ(w.FindProperty("Style")->Enum->Value("stThree"), -1);
    EXPECT_FALSE(w.FindProperty("Area")->IsWritable());
    EXPECT_EQ(w.FindProperty("Nothing"), nullptr);
    EXPECT_EQ(rtl::GetClass("twidget"), &w);
    EXPECT_EQ(rtl::GetClass("TNoSuchClass"), nullptr);
    EXPECT_THROW(rtl::FindClass("TNoSuchClass"), rtl::EClassNotFound);
}

TEST(TypeInfo, FactoryAndChecks) {
    std::unique_ptr<rtl::Object> o = rtl::CreateObject("TWIDGET");
    ASSERT_TRUE(o);
    EXPECT_EQ(o->ClassName(), "TWidget");
    EXPECT_TRUE(o->InheritsFrom<TBase>());
    EXPECT_NO_THROW(o->As<TBase>());
    EXPECT_THROW(o->As<TShell>(), rtl::EInvalidCast);
    // A property of another class cannot be applied to this instance.
    TShell shell;
    EXPECT_THROW(rtl::GetOrdProp(shell, *TWidget::StaticClassInfo().FindProperty("Speed")), rtl::EPropertyError);
}

TEST(TypeInfo, AccessByName) {
    TWidget w;
    rtl::SetOrdProp(w, "height", 40);
    EXPECT_EQ(w.Height(), 40);
    EXPECT_EQ(w.setCount, 1);
    EXPECT_EQ(rtl::GetOrdProp(w, "Area"), 7 * 40);
    EXPECT_THROW(rtl::SetOrdProp(w, "Area", 1), rtl::EPropertyError);
    rtl::SetOrdProp(w, "Speed", 300);  // the low byte, as the class library keeps it
    EXPECT_EQ(w.Speed, 44);
    rtl::SetOrdProp(w, "Delta", 0xFFFF);
    EXPECT_EQ(w.Delta, -1);
    rtl::SetOrdProp(w, "Visible", 5);
    EXPECT_TRUE(w.Visible);
    rtl::SetEnumProp(w, "Style", "sttwo");
    EXPECT_EQ(w.Style, TStyle::stTwo);
    EXPECT_EQ(rtl::GetEnumProp(w, "Style"), "stTwo");
    EXPECT_THROW(rtl::SetEnumProp(w, "Style", "stNine"), rtl::EPropertyError);
    EXPECT_THROW(rtl::SetOrdProp(w, "Style", 3), rtl::ERangeError);
    EXPECT_EQ(w.Style, TStyle::stTwo);
    rtl::SetEnumProp(w, "Visible", "FALSE");
    EXPECT_FALSE(w.Visible);
    const rtl::PropInfo& states = *rtl::GetPropInfo(w, "States");
    rtl::SetSetProp(w, states, "[psUp, psLeft]");
    EXPECT_EQ(w.States, 5u);
    EXPECT_EQ(rtl::GetSetProp(w, states), "psUp,psLeft");
    EXPECT_THROW(rtl::SetSetProp(w, states, "psUp,psNone"), rtl::EPropertyError);
    rtl::SetFloatProp(w, "Real", 2.5);
    EXPECT_EQ(w.Real, 2.5);
    rtl::SetStrProp(w, "Caption", "Play");
    EXPECT_EQ(rtl::GetStrProp(w, "caption"), "Play");
    EXPECT_THROW(rtl::GetStrProp(w, "Speed"), rtl::EPropertyError);
    EXPECT_THROW(rtl::GetOrdProp(w, "Caption"), rtl::EPropertyError);
    EXPECT_THROW(rtl::GetOrdProp(w, "Missing"), rtl::EPropertyError);
    // Variants convert where the meaning is plain.
    rtl::SetPropValue(w, *rtl::GetPropInfo(w, "Real"), int64_t{3});
    EXPECT_EQ(w.Real, 3.0);
    rtl::SetPropValue(w, *rtl::GetPropInfo(w, "Style"), std::string("stOne"));
    EXPECT_EQ(w.Style, TStyle::stOne);
    rtl::SetPropValue(w, *rtl::GetPropInfo(w, "Width"), std::string("-12"));
    EXPECT_EQ(w.Width, -12);
    EXPECT_THROW(rtl::SetPropValue(w, *rtl::GetPropInfo(w, "Width"), std::string("12x")), rtl::EConvertError);
    EXPECT_EQ(std::get<int64_t>(rtl::GetPropValue(w, *rtl::GetPropInfo(w, "Width"))), -12);
}

TEST(TypeInfo, EventsBindByNameOnlyWhenSignaturesMatch) {
    TWidget w;
    TShell shell;
    EXPECT_TRUE(rtl::BindEvent(shell, w, "on_link_mainpanel_play", "OnClick"));
    ASSERT_TRUE(w.OnClick);
    w.OnClick(&w);
    EXPECT_EQ(shell.clicked, &w);
    // A key handler does not fit a notify event: the event stays unset.
    EXPECT_TRUE(rtl::BindEvent(shell, w, "On_Link_Main_DXKey_Ok", "OnKey"));
    EXPECT_FALSE(rtl::BindEvent(shell, w, "On_Link_Main_DXKey_Ok", "OnClick"));
    EXPECT_TRUE(w.OnClick);  // left as it was
    TWidget fresh;
    EXPECT_FALSE(rtl::BindEvent(shell, fresh, "On_Link_MainPanel_Play", "OnKey"));
    EXPECT_FALSE(fresh.OnKey);
    EXPECT_FALSE(rtl::BindEvent(shell, fresh, "On_Link_Missing", "OnClick"));
    EXPECT_FALSE(rtl::BindEvent(shell, fresh, "On_Link_MainPanel_Play", "OnMissing"));
    EXPECT_FALSE(rtl::BindEvent(shell, fresh, "On_Link_MainPanel_Play", "Width"));
    EXPECT_FALSE(fresh.OnClick);
    uint16_t key = 13;
    w.OnKey(&w, key);
    EXPECT_EQ(shell.lastKey, 13);
    EXPECT_EQ(key, 266);
    const rtl::PropInfo& onClick = *rtl::GetPropInfo(w, "OnClick");
    EXPECT_TRUE(rtl::IsEventAssigned(w, onClick));
    rtl::ClearEvent(w, onClick);
    EXPECT_FALSE(w.OnClick);
    // A method bound to an object of another class is refused.
    TWidget notShell;
    EXPECT_FALSE(rtl::BindEvent(fresh, onClick, notShell, *TShell::StaticClassInfo().FindMethod("On_Link_MainPanel_Play")));
}

}  // namespace
