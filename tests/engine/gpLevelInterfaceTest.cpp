// The interface description: widget trees written by datagen from live widgets and read back
// into a headless kernel, events bound by name, and every damaged file refused whole.
#include "WidgetFixture.h"

#include "engine/gpClasses.h"
#include "engine/gpLevelInterface.h"
#include "rtl/Format.h"
#include "tools/datagen/Interface.h"

using namespace engine;
using enginetest::Props;

namespace {

class TTestForm : public rtl::Object {
    RTL_CLASS(TTestForm, rtl::Object)
public:
    void Go(TObject*) { ++clicks; }
    void Keys(TObject*, TDXInputStates&) { ++keys; }
    static void DescribeClass(rtl::ClassBuilder<TTestForm>& c) { c.Method("Go", &TTestForm::Go).Method("Keys", &TTestForm::Keys); }
    int clicks = 0, keys = 0;
};

// A widget made as the demo writer makes it (no container), its values set by name, and
// its record written through its type information.
datagen::WidgetRecord Live(const std::string& className, const Props& props, const datagen::WidgetEvents& events = {},
                           std::vector<datagen::WidgetRecord> children = {}) {
    std::unique_ptr<rtl::Object> made = InterfaceClass(className)->Create();
    auto& widget = made->As<TGPBaseInterface>();
    widget.Create(nullptr, InterfaceWidgetId);
    for (const auto& [name, value] : props) rtl::SetPropValue(widget, *rtl::GetPropInfo(widget, name), rtl::PropValue{value});
    datagen::WidgetRecord record = datagen::WidgetRecordOf(widget, events);
    record.children = std::move(children);
    return record;
}

// A form three levels deep: Menu > Inner > Deep button > Deep label, with a button, a check
// box, a track bar and a label beside Inner.
datagen::InterfaceFile SampleFile() {
    using datagen::WidgetRecord;
    WidgetRecord deepLabel = Live("TGPLabel", {{"Name", "Lb_Deep"}, {"Text", "\xC3\xEB\xF3\xE1\xEE\xEA\xEE"}, {"FontDX", "1.5"}});
    WidgetRecord deepButton = Live("TGPButton", {{"Name", "BT_Deep"}, {"Left", "5"}}, {}, {deepLabel});
    WidgetRecord inner = Live("TGPForm", {{"Name", "Inner"}, {"Visible", "False"}}, {}, {deepButton});
    WidgetRecord button = Live("TGPButton", {{"Name", "BT_Go"}, {"Left", "10"}, {"Top", "20"}, {"PatternWidth", "100"}},
                               {{"OnGPClick", "Go"}, {"OnDXKeyDown", "Keys"}});
    WidgetRecord check = Live("TGPCheckBox", {{"Name", "CB_Sound"}, {"Checked", "True"}}, {{"OnGPClick", "Go"}});
    WidgetRecord track = Live("TGPTrackBar", {{"Name", "TB_Volume"}, {"Min", "0"}, {"Max", "100"}, {"Value", "40"}});
    WidgetRecord label = Live("TGPLabel", {{"Name", "Lb_Title"}, {"Text", "Options"}, {"Alignment", "gaCenter"}});
    WidgetRecord menu = Live("TGPForm", {{"Name", "Menu"}, {"Paint", "Menu"}, {"Condition", "ck_Interface"}, {"MIDIFile", "Menu.mid"},
                                         {"Visible", "False"}},
                             {{"OnGPShow", "Go"}}, {button, check, track, label, inner});
    WidgetRecord second = Live("TGPForm", {{"Name", "Pause"}});
    datagen::InterfaceFile file;
    file.strings = {"one", "two"};
    file.widgets = {menu, second};
    return file;
}

// The pair of a record by property name.
std::string& Pair(datagen::WidgetRecord& record, const std::string& name) {
    for (auto& pair : record.pairs)
        if (pair.first == name) return pair.second;
    throw std::out_of_range(name);
}
std::string& PairName(datagen::WidgetRecord& record, const std::string& name) {
    for (auto& pair : record.pairs)
        if (pair.first == name) return pair.first;
    throw std::out_of_range(name);
}

class InterfaceReaderTest : public enginetest::WidgetFixture {
protected:
    std::unique_ptr<TBaseInterfacesStream> Read(const std::string& bytes, TGPKernel* k = nullptr) {
        stream = std::make_unique<rtl::MemoryStream>(std::vector<uint8_t>(bytes.begin(), bytes.end()));
        header = TInterfaceHeader{};
        header.Version = InterfaceFileVersion;
        return std::make_unique<TBaseInterfacesStream>("menus.gi", *stream, true, &handlers, k ? k : kernel.get(), header);
    }
    template <class W> W& Widget(const std::string& path) {
        TGPStructure* at = kernel.get();
        std::string rest = path;
        while (!rest.empty()) {
            const size_t dot = rest.find('.');
            at = at->FindChild(rest.substr(0, dot));
            if (!at) throw std::out_of_range(path);
            rest = dot == std::string::npos ? "" : rest.substr(dot + 1);
        }
        return at->As<W>();
    }
    // A damaged file is refused and leaves the kernel as it was.
    template <class E> void ExpectRefused(const std::string& bytes, const std::string& why) {
        const int before = kernel->ChildCount();
        EXPECT_THROW(Read(bytes), E) << why;
        EXPECT_EQ(kernel->ChildCount(), before) << why;
    }

    TTestForm handlers;
    TInterfaceHeader header;
    std::unique_ptr<rtl::MemoryStream> stream;
};

}  // namespace

TEST_F(InterfaceReaderTest, BuildsTheWidgetTreeWithItsPropertiesAndBindsEvents) {
    datagen::InterfaceFile file = SampleFile();
    file.header.packName = "pack";
    auto reader = Read(datagen::BuildInterfaceFile(file));
    EXPECT_EQ(reader->Strings().Count(), 2);
    EXPECT_EQ(reader->Strings()[1], "two");
    ASSERT_EQ(reader->Widgets().size(), 2u);
    EXPECT_EQ(header.PackName, "pack");
    EXPECT_EQ(header.Version, 1);

    auto& menu = Widget<TGPForm>("Menu");
    EXPECT_EQ(reader->Widgets()[0], &menu);
    EXPECT_EQ(menu.Paint, "Menu");
    EXPECT_EQ(menu.Condition, ck_Interface);
    EXPECT_EQ(menu.MIDIFile, "Menu.mid");
    EXPECT_FALSE(menu.Visible);
    EXPECT_EQ(menu.ChildCount(), 5);
    auto& button = Widget<TGPButton>("Menu.BT_Go");
    EXPECT_EQ(button.Left, 10);
    EXPECT_EQ(button.Top, 20);
    EXPECT_EQ(button.PatternWidth, 100);
    EXPECT_EQ(button.ParentWidget(), &menu);
    EXPECT_TRUE(Widget<TGPCheckBox>("Menu.CB_Sound").Checked);
    EXPECT_EQ(Widget<TGPTrackBar>("Menu.TB_Volume").Value, 40);
    EXPECT_EQ(Widget<TGPTrackBar>("Menu.TB_Volume").Max, 100);
    EXPECT_EQ(Widget<TGPLabel>("Menu.Lb_Title").Alignment, gaCenter);
    auto& deep = Widget<TGPLabel>("Menu.Inner.BT_Deep.Lb_Deep");
    EXPECT_EQ(deep.Text, "\xC3\xEB\xF3\xE1\xEE\xEA\xEE");
    EXPECT_FLOAT_EQ(deep.GetFontDX(), 1.5f);
    EXPECT_EQ(Widget<TGPButton>("Menu.Inner.BT_Deep").Left, 5);
    EXPECT_FALSE(Widget<TGPForm>("Menu.Inner").Visible);
    EXPECT_TRUE(Widget<TGPForm>("Pause").Visible);

    // Events call the owner form's published methods.
    ASSERT_TRUE(button.OnGPClick);
    button.OnGPClick(&button);
    Widget<TGPCheckBox>("Menu.CB_Sound").OnGPClick(nullptr);
    menu.OnGPShow(nullptr);
    TDXInputStates keys{};
    button.OnDXKeyDown(&button, keys);
    EXPECT_EQ(handlers.clicks, 3);
    EXPECT_EQ(handlers.keys, 1);
    EXPECT_FALSE(Widget<TGPTrackBar>("Menu.TB_Volume").OnGPClick);
}

TEST_F(InterfaceReaderTest, MisnamedPairsLeaveThePropertyAndTheReaderInStep) {
    datagen::InterfaceFile file = SampleFile();
    datagen::WidgetRecord& button = file.widgets[0].children[0];
    Pair(button, "Left") = "77";
    PairName(button, "Left") = "left";  // names compare exactly
    PairName(button, "OnGPClick") = "Whatever";  // an event binds whatever its pair's name
    Pair(button, "OnDXKeyDown") = "NoSuchMethod";
    Pair(file.widgets[0].children[3], "Alignment") = "gaSideways";  // an unknown value name
    Pair(file.widgets[0].children[3], "FontDX") = "1.5e400";         // no real
    auto reader = Read(datagen::BuildInterfaceFile(file));
    auto& read = Widget<TGPButton>("Menu.BT_Go");
    EXPECT_EQ(read.Left, 0);
    EXPECT_EQ(read.Top, 20);  // the next pair is read in step
    ASSERT_TRUE(read.OnGPClick);
    read.OnGPClick(nullptr);
    EXPECT_EQ(handlers.clicks, 1);
    EXPECT_FALSE(read.OnDXKeyDown);
    TGPLabel fresh;
    fresh.Create(nullptr, InterfaceWidgetId);
    EXPECT_EQ(Widget<TGPLabel>("Menu.Lb_Title").Alignment, fresh.Alignment);
    EXPECT_FLOAT_EQ(Widget<TGPLabel>("Menu.Lb_Title").GetFontDX(), 0.0f);
    EXPECT_EQ(Widget<TGPLabel>("Menu.Inner.BT_Deep.Lb_Deep").Text, "\xC3\xEB\xF3\xE1\xEE\xEA\xEE");
    EXPECT_NE(kernel->FindChild("Pause"), nullptr);
}

TEST_F(InterfaceReaderTest, DamagedRecordsAreRefusedAndEveryWidgetMadeIsFreed) {
    const datagen::InterfaceFile sample = SampleFile();
    for (const auto& [name, bytes] : datagen::DamagedInterfaceFiles(sample)) {
        if (name == "name_table_in_folder") continue;  // read from a container: no name table
        const int before = kernel->ChildCount();
        EXPECT_THROW(Read(bytes), rtl::EStreamError) << name;
        EXPECT_EQ(kernel->ChildCount(), before) << name;
    }
    // The unknown class is named; widgets before it go as well.
    datagen::InterfaceFile stray = sample;
    stray.widgets.insert(stray.widgets.begin() + 1, datagen::WidgetRecord{"", "", "TGPWindow", {}, {}, {}});
    try {
        Read(datagen::BuildInterfaceFile(stray));
        ADD_FAILURE() << "an unknown class was read";
    } catch (const EFLInterfacesCreat& e) {
        EXPECT_NE(std::string(e.what()).find("TGPWindow"), std::string::npos);
    }
    EXPECT_EQ(kernel->FindChild("Menu"), nullptr);
    // Class names compare exactly.
    datagen::InterfaceFile lower = sample;
    lower.widgets[1].className = "tgpform";
    ExpectRefused<EFLInterfacesCreat>(datagen::BuildInterfaceFile(lower), "lower-case class");
    // A bad integer is a conversion error.
    datagen::InterfaceFile badNumber = sample;
    Pair(badNumber.widgets[0].children[0], "Top") = "twenty";
    ExpectRefused<rtl::EConvertError>(datagen::BuildInterfaceFile(badNumber), "bad integer");
    // Two widgets of one name in one container.
    datagen::InterfaceFile twice = sample;
    Pair(twice.widgets[1], "Name") = "Menu";
    ExpectRefused<rtl::EComponentError>(datagen::BuildInterfaceFile(twice), "duplicate name");
    // Nesting is bounded at 64 records.
    datagen::InterfaceFile deep;
    datagen::WidgetRecord chain = Live("TGPForm", {});
    for (int i = 0; i < 64; ++i) chain = Live("TGPForm", {}, {}, {chain});
    deep.widgets = {chain};
    ExpectRefused<rtl::EReadError>(datagen::BuildInterfaceFile(deep), "65 deep");
    deep.widgets = {chain.children[0]};
    EXPECT_NO_THROW(Read(datagen::BuildInterfaceFile(deep)));
}

TEST_F(InterfaceReaderTest, HeadersAndKernelAreChecked) {
    const std::string good = datagen::BuildInterfaceFile(SampleFile());
    ExpectRefused<EFLReadHeder>(good.substr(0, 135), "short header");
    try {
        rtl::MemoryStream none(std::vector<uint8_t>(good.begin(), good.end()));
        TBaseInterfacesStream("menus.gi", none, true, &handlers, nullptr, header);
        ADD_FAILURE() << "no kernel";
    } catch (const EFLInterfacesCreat& e) {
        EXPECT_NE(std::string(e.what()).find("aKernel = nil"), std::string::npos);
    }
    try {
        datagen::InterfaceFile v2 = SampleFile();
        v2.header.version = 2;
        Read(datagen::BuildInterfaceFile(v2));
        ADD_FAILURE() << "version 2";
    } catch (const EFLReadHeder& e) {
        EXPECT_EQ(std::string(e.what()), rtl::Format(texts::SFLReadHeader, {std::string("menus.gi")}));
    }

    // A loose file: its name table is loaded from the resource folder, a stored file is
    // never replaced by fmCreate, and a name with a folder is refused.
    datagen::NameTables names;
    names.tables[4] = {"Side", "Bottom"};
    dir.Write("Resource/Menus.gp", datagen::WriteNameTables(names));
    datagen::InterfaceFile loose = SampleFile();
    loose.header = datagen::InterfaceFile::InterfaceHeader("Menus.gp");
    dir.Write("menus.gi", datagen::BuildInterfaceFile(loose));
    TInterfaceHeader h;
    h.Version = 1;
    {
        TBaseInterfacesStream file(dir.File("menus.gi"), nullptr, &handlers, kernel.get(), h, rtl::fmOpenRead);
        EXPECT_EQ(h.NameTableFile(), "Menus.gp");
        EXPECT_EQ(InterfaceName(2), "Bottom");
        EXPECT_EQ(file.Widgets().size(), 2u);
    }
    const std::string stored = dir.Read("menus.gi");
    const int before = kernel->ChildCount();
    TInterfaceHeader caller;
    caller.Version = 1;
    caller.Title = "given";
    TBaseInterfacesStream created(dir.File("menus.gi"), nullptr, &handlers, kernel.get(), caller, rtl::fmCreate);
    EXPECT_EQ(created.Header().Title, "given");
    EXPECT_EQ(dir.Read("menus.gi"), stored);
    EXPECT_EQ(kernel->ChildCount(), before);
    loose.header = datagen::InterfaceFile::InterfaceHeader("..\\Menus.gp");
    dir.Write("bad.gi", datagen::BuildInterfaceFile(loose));
    EXPECT_THROW(TBaseInterfacesStream(dir.File("bad.gi"), nullptr, &handlers, kernel.get(), h, rtl::fmOpenRead), EFLReadHeder);
    EXPECT_EQ(kernel->ChildCount(), before);
}

TEST_F(InterfaceReaderTest, TheGameDataEntryIsReadThroughItsBoundedView) {
    const std::string description = datagen::BuildInterfaceFile(SampleFile());
    // The description is followed by another entry: the reader never runs into it.
    GameData({{"Forms", {{"GPInterface", description}}}, {"Strings", {{"Other", datagen::LenString("x")}}}});
    TInterfaceHeader h;
    h.Version = 1;
    TBaseInterfacesStream forms("", gameData.get(), &handlers, kernel.get(), h, rtl::fmOpenRead);
    EXPECT_EQ(forms.Widgets().size(), 2u);
    EXPECT_EQ(Widget<TGPCheckBox>("Menu.CB_Sound").Checked, true);
    GameData({{"Strings", {{"Other", datagen::LenString("x")}}}});
    EXPECT_THROW(TBaseInterfacesStream("", gameData.get(), &handlers, kernel.get(), h, rtl::fmOpenRead), EFLReadHeder);
}
