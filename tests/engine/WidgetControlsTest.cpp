// Labels, edits and grids: what they draw, read back from the presented frame, and how the
// edit and the grid take the mouse and the keys.
#include "WidgetFixture.h"

#include "rtl/ListError.h"
#include "rtl/StringList.h"

#include <algorithm>

using namespace engine;
using enginetest::Props;
using enginetest::To565;

namespace {

constexpr uint32_t kRed = 0x0000FF;  // TColor
const uint16_t kRed565 = To565(0xFF0000);

struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1, count = 0;
    bool Empty() const { return count == 0; }
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
};

class WidgetControlsTest : public enginetest::WidgetFixture {
protected:
    WidgetControlsTest() {
        Pictures({{"Menu", datagen::WidgetSheet(600, 400, 1, 1)},
                  {"Rows", datagen::WidgetSheet(40, 20, 4, 3)},     // a row per grid row, four states
                  {"Cols", datagen::WidgetSheet(40, 20, 2, 4)}});  // a column per grid column, states down
        menu = Make<TGPForm>(kernel.get(), {{"Name", "Menu"}, {"Paint", "Menu"}, {"PatternWidth", "600"},
                                            {"PatternHeight", "400"}, {"Visible", "False"}});
        menu->Left = 100, menu->Top = 100;
    }
    void Show() {
        kernel->ShowForm("Menu", nullptr);
        Tick();
    }
    TGPLabel* Label(const std::string& text, Props more = {}) {
        Props props{{"Text", text},         {"PaintAlways", "True"},   {"FontSize", "20"},
                    {"FontColorFront", std::to_string(kRed)}, {"Left", "50"}, {"Top", "40"},
                    {"PatternWidth", "200"}, {"PatternHeight", "60"}};
        props.insert(props.end(), more.begin(), more.end());
        return Make<TGPLabel>(menu, props);
    }
    // The pixels of a colour in the frame.
    Box Find(uint16_t colour) const {
        const auto frame = presenter.ReadFrame();
        Box b;
        for (int y = 0; y < frame.Height; ++y)
            for (int x = 0; x < frame.Width; ++x)
                if (frame.Pixels[size_t(y) * size_t(frame.Width) + size_t(x)] == colour) {
                    b.left = std::min(b.left, x), b.right = std::max(b.right, x);
                    b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
                    ++b.count;
                }
        return b;
    }
    Box RedAfterTick() {
        Tick();
        return Find(kRed565);
    }
    TGPForm* menu = nullptr;
};

}  // namespace

// ---- Labels ----

TEST_F(WidgetControlsTest, ALabelDrawsItsTextInsideItsRectangleInItsColourOverTheFormsPicture) {
    Label("Sprallion");
    Show();
    const Box b = RedAfterTick();
    ASSERT_FALSE(b.Empty());
    EXPECT_GE(b.left, 150);
    EXPECT_GE(b.top, 140);
    EXPECT_LT(b.right, 350);
    EXPECT_LT(b.bottom, 200);
    // Only text and the form's own colour inside the rectangle: the background is kept.
    const uint16_t back = Colour565(0);
    EXPECT_EQ(Count(back, 150, 140, 350, 200) + Count(kRed565, 150, 140, 350, 200), 200 * 60);
    EXPECT_EQ(Pixel(150, 199), back);
    // Two runs draw the same frame.
    const auto first = presenter.ReadFrame();
    Tick();
    EXPECT_EQ(presenter.ReadFrame().Pixels, first.Pixels);
}

TEST_F(WidgetControlsTest, RightAndCentreAlignmentMoveTheTextWithinTheRectangle) {
    // An aligned label starts at its form's corner; its text keeps to the rectangle.
    auto* label = Label("Mid", {{"Alignment", "gaLeftJustify"}});
    Show();
    const Box left = RedAfterTick();
    label->Alignment = gaRightJustify;
    const Box right = RedAfterTick();
    label->Alignment = gaCenter;
    const Box centre = RedAfterTick();
    ASSERT_FALSE(left.Empty());
    EXPECT_LT(left.left, 110);
    EXPECT_GT(right.right, 290);
    EXPECT_LE(right.right, 299);
    EXPECT_EQ(left.Width(), right.Width());
    EXPECT_EQ(centre.Width(), left.Width());
    EXPECT_NEAR((centre.left + centre.right) / 2.0, 200.0, 2.0);
    EXPECT_EQ(left.top, right.top);
}

TEST_F(WidgetControlsTest, WordBreakTabsAndPrefixesShapeTheText) {
    auto* label = Label("one two three four five");
    Show();
    const Box wide = RedAfterTick();
    label->PatternWidth = 70;
    label->PatternHeight = 200;
    const Box narrow = RedAfterTick();
    EXPECT_GT(narrow.Height(), 2 * wide.Height());
    EXPECT_LT(narrow.right, 150 + 70);

    label->PatternWidth = 200;
    label->Text = "a b";
    const Box space = RedAfterTick();
    label->Text = "a\tb";
    const Box tab = RedAfterTick();
    EXPECT_GT(tab.Width(), space.Width());

    label->Text = "A";
    const Box plain = RedAfterTick();
    label->Text = "&A";
    const Box prefixed = RedAfterTick();
    EXPECT_GT(prefixed.count, plain.count);  // the underline
    EXPECT_EQ(prefixed.left, plain.left);
    label->Text = "&&";  // one ampersand
    const Box doubled = RedAfterTick();
    label->Text = "&&&&";
    const Box two = RedAfterTick();
    EXPECT_GT(doubled.count, 0);
    EXPECT_EQ(two.count, 2 * doubled.count);
    label->Text = "&";
    EXPECT_EQ(RedAfterTick().count, 0);  // a lone prefix at the end goes
}

TEST_F(WidgetControlsTest, TextIsClippedAtTheSurfacesEdge) {
    menu->Left = 0, menu->Top = 0;
    Label("EdgeEdgeEdge", {{"Left", "760"}, {"Top", "580"}});
    Show();
    const Box b = RedAfterTick();
    ASSERT_FALSE(b.Empty());
    EXPECT_GE(b.left, 760);
    EXPECT_LE(b.right, 799);
    EXPECT_LE(b.bottom, 599);
}

TEST_F(WidgetControlsTest, ARotatedLabelRunsItsTextUpwards) {
    auto* label = Label("R", {{"FontRotated", "900"}, {"FontCopiesDirection", "cdUp"}, {"PatternWidth", "60"},
                              {"PatternHeight", "200"}});
    Show();
    const Box one = RedAfterTick();
    label->Text = "RRRR";
    const Box four = RedAfterTick();
    ASSERT_FALSE(one.Empty());
    EXPECT_GT(four.Height(), four.Width());
    EXPECT_NEAR(four.bottom, one.bottom, 1);  // from the bottom ...
    EXPECT_LT(four.top, one.top - 20);        // ... upwards
    EXPECT_NEAR(four.Width(), one.Width(), 1);
}

TEST_F(WidgetControlsTest, ALabelWithoutPaintAlwaysDrawsInOneFramePerShowOfItsForm) {
    auto* label = Label("Once", {{"PaintAlways", "False"}});
    Show();  // drawn nowhere yet: the show ran at the end of that tick
    std::vector<int> frames;
    for (int i = 0; i < 6; ++i) frames.push_back(RedAfterTick().Empty() ? 0 : 1);
    EXPECT_EQ(frames, (std::vector<int>{0, 0, 1, 0, 0, 0}));
    kernel->HideForm("Menu");
    Tick();
    Show();
    frames.clear();
    for (int i = 0; i < 4; ++i) frames.push_back(RedAfterTick().Empty() ? 0 : 1);
    EXPECT_EQ(frames, (std::vector<int>{0, 0, 1, 0}));
    EXPECT_EQ(label->DrawCounter, 4);
}

TEST_F(WidgetControlsTest, ABlinkingLabelShowsForTwinkleFramesAndHidesForHalfAsMany) {
    Label("Blink", {{"Twinkle", "10"}});
    Show();
    std::vector<int> frames;
    for (int i = 0; i < 30; ++i) frames.push_back(RedAfterTick().Empty() ? 0 : 1);
    std::vector<int> expected;
    for (int cycle = 0; cycle < 2; ++cycle) {
        expected.insert(expected.end(), 10, 1);
        expected.insert(expected.end(), 5, 0);
    }
    EXPECT_EQ(frames, expected);
}

// ---- Edits ----

namespace {
Props EditProps() {
    return {{"Name", "Player"},      {"PatternWidth", "200"},    {"PatternHeight", "40"},
            {"Enabled", "True"},     {"FontName", "Arial"},      {"FontSize", "20"},
            {"FontColorFront", std::to_string(kRed)}, {"FontColorBackground", "16711680"}};
}
}  // namespace

TEST_F(WidgetControlsTest, AClickedEditTakesTheFocusTypesAndBlinksItsCaret) {
    menu->Left = 0, menu->Top = 0;  // the edit's text goes to its own place: here also its screen place
    auto* edit = Make<TGPEdit>(menu, EditProps());
    edit->Left = 150, edit->Top = 140;
    Show();
    EXPECT_EQ(edit->Text, "Text");
    edit->Text.clear();
    MouseAt(160, 150);
    Tick();
    EXPECT_EQ(mouse->Hovered, edit);
    Press(true);
    Tick();
    EXPECT_TRUE(edit->Focused);
    EXPECT_EQ(kernel->FocusControl, edit);
    Press(false);
    // The caret: shown, then gone after more than 600 ms, then back.
    std::vector<int> caret;
    for (int i = 0; i < 60; ++i) {
        Tick();
        caret.push_back(edit->CaretPhase == 0);
    }
    EXPECT_EQ(std::count(caret.begin(), caret.begin() + 27, 1), 27);
    EXPECT_EQ(caret[27], 0);
    EXPECT_EQ(caret[55], 1);
    uint16_t key = 'A';
    kernel->KeyDown(nullptr, key, 0x1);
    key = 'B';
    kernel->KeyDown(nullptr, key, 0);
    key = '7';
    kernel->KeyDown(nullptr, key, 0);
    EXPECT_EQ(edit->Text, "Ab7");
    key = 8;
    kernel->KeyDown(nullptr, key, 0);
    EXPECT_EQ(edit->Text, "Ab");
    key = 13;
    kernel->KeyDown(nullptr, key, 0);
    EXPECT_FALSE(edit->Focused);
    EXPECT_EQ(kernel->FocusControl, nullptr);
}

TEST_F(WidgetControlsTest, AnEditHoldingCyrillicDrawsItsLettersAndBackspaceRemovesOne) {
    auto* edit = Make<TGPEdit>(menu, EditProps());
    kernel->FontCharset = 204;
    edit->Left = 150, edit->Top = 140;
    Show();
    edit->Text = "\x98";  // a byte the code page leaves unassigned: the missing-glyph box
    const Box missing = [&] {
        Tick();
        return Find(To565(0x0000FF));  // unfocused: ColorBackground
    }();
    edit->Text = "\xC8";  // "И"
    Tick();
    const Box letter = Find(To565(0x0000FF));
    ASSERT_FALSE(missing.Empty());
    ASSERT_FALSE(letter.Empty());
    EXPECT_NE(letter.count, missing.count);
    edit->Text = "\xC8\xE3\xF0\xEE\xEA";  // "Игрок" in Windows-1251
    Tick();
    const Box word = Find(To565(0x0000FF));
    EXPECT_GT(word.Width(), 3 * letter.Width());
    edit->Focused = true;
    kernel->SetFocusControl(edit);
    uint16_t key = 8;
    kernel->KeyDown(nullptr, key, 0);
    EXPECT_EQ(edit->Text, "\xC8\xE3\xF0\xEE");
}

// ---- Grids ----

namespace {
class GridTest : public WidgetControlsTest {
protected:
    GridTest() {
        grid = Make<TGPCustomGrid>(menu, {{"Name", "Scores"},    {"ColCount", "2"},    {"RowCount", "3"},
                                          {"FixedCols", "1"},    {"FixedRows", "1"},   {"PatternWidth", "40"},
                                          {"PatternHeight", "20"}, {"ColPaint", "Rows"}, {"RowPaint", "Cols"},
                                          {"NameEdit", "Editor"}, {"Enabled", "True"}, {"FontName", "Arial"},
                                          {"FontSize", "12"}});
        editor = Make<TGPEdit>(menu, {{"Name", "Editor"}, {"PatternWidth", "40"}, {"PatternHeight", "20"},
                                      {"Visible", "False"}, {"Enabled", "True"}});
        menu->Left = 0, menu->Top = 0;
    }
    // The cell (c, r) on the screen: after one header column and one header row.
    // Shown with its form as every control; the shell hides the editor until a cell opens it.
    void ShowGrid() {
        Show();
        editor->Visible = false;
    }
    void OverCell(int c, int r) { MouseAt(40 + 40 * c + 5, 20 + 20 * r + 5); }
    void Click() {
        Press(true);
        Tick();
        Press(false);
        Tick(700);
    }
    TGPCustomGrid* grid = nullptr;
    TGPEdit* editor = nullptr;
};
}  // namespace

TEST_F(GridTest, HeadersDrawTheirStateAndTheHoveredCellIsFound) {
    ShowGrid();
    MouseAt(700, 500);
    Tick();
    // Not hovered: state 2. Row headers 4 r + state; column headers c + ColCount x state.
    EXPECT_EQ(Pixel(5, 25), Colour565(4 * 0 + 2));
    EXPECT_EQ(Pixel(5, 65), Colour565(4 * 2 + 2));
    EXPECT_EQ(Pixel(45, 5), Colour565(0 + 2 * 2));
    EXPECT_EQ(Pixel(85, 5), Colour565(1 + 2 * 2));
    int enters = 0;
    grid->OnGPEnter = [&](TObject*) { ++enters; };
    OverCell(1, 2);
    Tick();
    EXPECT_EQ(enters, 2);  // the grid took the hover, and a cell
    EXPECT_EQ(grid->HoverCol, 1);
    EXPECT_EQ(grid->HoverRow, 2);
    EXPECT_EQ(grid->GetEditRow(), 2);
    EXPECT_EQ(Pixel(5, 65), Colour565(4 * 2 + 1));
    EXPECT_EQ(Pixel(85, 5), Colour565(1 + 2 * 1));
    Tick();
    EXPECT_EQ(enters, 2);  // the same cell: nothing
    OverCell(0, 2);
    Tick();
    EXPECT_EQ(enters, 3);
    MouseAt(5, 5);  // the grid, but no cell
    Tick();
    EXPECT_EQ(grid->HoverCol, -1);
}

TEST_F(GridTest, ACellClickedTwiceWithoutTypingIsUnchangedAndTypedTextIsStored) {
    grid->SetCell(0, 1, "old");
    ShowGrid();
    int exits = 0, clicks = 0;
    grid->OnGPExit = [&](TObject*) { ++exits; };
    grid->OnGPClick = [&](TObject*) { ++clicks; };
    OverCell(0, 1);
    Tick();
    Click();
    ASSERT_TRUE(editor->Visible);
    EXPECT_TRUE(editor->Focused);
    EXPECT_FALSE(editor->Editable);  // the grid opens and closes it
    EXPECT_EQ(editor->Text, "?");
    EXPECT_EQ(editor->Left, 40);
    EXPECT_EQ(editor->Top, 40);
    EXPECT_EQ(kernel->FocusControl, grid);
    EXPECT_EQ(grid->EditCol, 0);
    Click();
    EXPECT_FALSE(editor->Visible);
    EXPECT_EQ(grid->GetCell(0, 1), "old");
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(kernel->FocusControl, nullptr);
    Click();
    editor->Text = "new";
    Click();
    EXPECT_EQ(grid->GetCell(0, 1), "new");
    EXPECT_EQ(clicks, 2);
    EXPECT_EQ(grid->EditCol, -1);
}

TEST_F(GridTest, KeysReachTheFocusedGridsHandlerAndAConsumedKeyStopsThere) {
    std::vector<uint16_t> keys;
    grid->OnGPKeyDown = [&](TObject* sender, uint16_t& key, uint32_t) {
        EXPECT_EQ(sender, grid);
        keys.push_back(key);
        if (key == 'X') key = 266;
    };
    ShowGrid();
    OverCell(1, 0);
    Tick();
    Click();
    uint16_t key = 'Q';
    kernel->KeyDown(nullptr, key, 0);
    key = 'X';
    kernel->KeyDown(nullptr, key, 0);
    EXPECT_EQ(keys, (std::vector<uint16_t>{'Q', 'X'}));
    EXPECT_EQ(editor->Text, "?");  // the grid's handler writes into the editor, not the kernel
    kernel->Condition = ck_Play;   // only in the interface conditions
    key = 'Z';
    kernel->KeyDown(nullptr, key, 0);
    EXPECT_EQ(keys.size(), 2u);
}

TEST_F(GridTest, AGridWhoseEditorNameFindsNoEditActsAsWithoutOne) {
    grid->NameEdit = "NoSuchEdit";
    ShowGrid();
    int clicks = 0;
    grid->OnGPClick = [&](TObject*) { ++clicks; };
    OverCell(0, 0);
    Tick();
    Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(grid->EditCol, -1);
    grid->EndEdit(true);  // no editor: nothing
    grid->Hide();
    EXPECT_FALSE(grid->Visible);
}

TEST_F(GridTest, CellTextsDrawInTheirColumnsExceptTheCellUnderEdit) {
    grid->Font->ColorFront = int32_t(kRed);
    grid->SetCell(1, 0, "Hi");
    ShowGrid();
    MouseAt(700, 500);
    const Box b = RedAfterTick();
    ASSERT_FALSE(b.Empty());
    EXPECT_GE(b.left, 40 + 60);  // column 1 of cells PatternWidth + 20 wide
    EXPECT_GE(b.top, 20);
    EXPECT_LT(b.bottom, 40);
    grid->EditCol = 1, grid->EditRow = 0;
    EXPECT_TRUE(RedAfterTick().Empty());
}

TEST_F(GridTest, RowAndColumnViewsReadAndWriteCellsAndRefuseBadIndexes) {
    TStringGridStrings& row = grid->Rows(1);
    TStringGridStrings& col = grid->Cols(0);
    EXPECT_EQ(row.Count(), 2);
    EXPECT_EQ(col.Count(), 3);
    row.Put(1, "b");
    EXPECT_EQ(grid->GetCell(1, 1), "b");
    EXPECT_EQ(row.Add("a"), 0);
    EXPECT_EQ(row.Add("c"), -1);  // full
    EXPECT_EQ(col.Get(1), "a");
    TGPStructure marker;
    col.PutObject(2, &marker);
    EXPECT_EQ(grid->GetCellObject(0, 2), &marker);
    rtl::StringList source;
    source.AddObject("x", static_cast<TObject*>(&marker));
    source.Add("y");
    source.Add("z");
    source.Add("beyond");
    col.Assign(source);
    EXPECT_EQ(grid->GetCell(0, 0), "x");
    EXPECT_EQ(grid->GetCell(0, 2), "z");
    EXPECT_EQ(grid->GetCellObject(0, 0), &marker);
    EXPECT_EQ(grid->GetCellObject(0, 2), nullptr);
    col.Clear();
    EXPECT_EQ(grid->GetCell(0, 1), "");
    EXPECT_EQ(grid->GetCell(1, 1), "b");
    EXPECT_THROW(TStringGridStrings(*grid, 0), rtl::EListError);
    EXPECT_THROW(row.Get(-1), rtl::EListError);
    EXPECT_THROW(row.Get(2), rtl::EListError);
    EXPECT_THROW(grid->GetCell(-1, 0), rtl::EListError);
    EXPECT_THROW(grid->SetCell(0, -1, "x"), rtl::EListError);
    try {
        row.Insert(0, "x");
        FAIL();
    } catch (const EInvalidGridOperation& e) {
        EXPECT_STREQ(e.className(), "EInvalidGridOperation");
        EXPECT_EQ(e.message(), "Cannot insert or delete rows from grid");
    }
    EXPECT_THROW(col.Delete(0), EInvalidGridOperation);
}
