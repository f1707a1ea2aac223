// Text widgets of the menus: labels with an optional blink, the focusable controls (a
// one-line edit, and a grid of text cells edited through an edit of the same form).
#pragma once

#include "engine/gpInterfaceMenu.h"
#include "rtl/Exceptions.h"

#include <map>
#include <vector>

namespace rtl {
class StringList;
}

namespace engine {


class TGPLabel : public TGPBaseInterface {
    RTL_CLASS(TGPLabel, TGPBaseInterface)
public:
    TGPLabel();
    void Create(TObject* owner, int32_t id) override;
    // Once per show unless PaintAlways (the third draw after the form showed); with
    // PaintAlways and Twinkle, shown for Twinkle draws and hidden for about half as many.
    void Draw() override;

    std::string Text;
    bool PaintAlways = false;
    uint16_t Twinkle = 0;
    int32_t Phase = 0, Step = 0;  // the blink

    static void DescribeClass(rtl::ClassBuilder<TGPLabel>& c);
};

// The base of the controls that take the keyboard focus.
class TGPControls : public TGPButton {
    RTL_CLASS(TGPControls, TGPButton)
public:
    TGPControls();
    void Move(uint8_t, const TRect&, rtl::List<TGPStructure*>*) override {}
    void Show(TObject* caller) override;

    TKeyEvent OnGPKeyDown;

    static void DescribeClass(rtl::ClassBuilder<TGPControls>& c);
};

class TGPEdit : public TGPControls {
    RTL_CLASS(TGPEdit, TGPControls)
public:
    void Create(TObject* owner, int32_t id) override;
    // A press on the edit takes or gives up the focus (once per debounce); the text in the
    // edit's own rectangle, with a caret blinking while it is focused.
    void Draw() override;

    std::string Text = "Text";
    bool Focused = false;
    bool Editable = true;  // clicks take and drop the focus
    uint8_t CaretPhase = 0;
    TPressTime LastPress;  // the last press, and the last caret change
};

using rtl::Exception;
RTL_EXCEPTION(EInvalidGridOperation, Exception);

class TGPCustomGrid;

// A string list's view of one row (index > 0: row index - 1) or column (index < 0: column
// -index - 1) of a grid. Rows and columns cannot be inserted or deleted.
class TStringGridStrings {
public:
    TStringGridStrings(TGPCustomGrid& grid, int32_t index);

    int32_t Count() const;
    std::string Get(int32_t index) const;
    void Put(int32_t index, const std::string& text);
    TObject* GetObject(int32_t index) const;
    void PutObject(int32_t index, TObject* object);
    // Writes into the first empty cell; its index, or -1 when none is empty.
    int32_t Add(const std::string& text);
    // Row: the row's cells emptied; column: every item and object emptied.
    void Clear();
    // Strings and objects, up to the view's count.
    void Assign(const rtl::StringList& source);
    [[noreturn]] void Insert(int32_t index, const std::string& text);
    [[noreturn]] void Delete(int32_t index);

private:
    // The cell of item index: (column, row).
    void CellOf(int32_t index, int32_t& col, int32_t& row) const;
    TGPCustomGrid& grid_;
    int32_t index_;
};

class TGPCustomGrid : public TGPControls {
    RTL_CLASS(TGPCustomGrid, TGPControls)
public:
    TGPCustomGrid();
    ~TGPCustomGrid() override;
    void Create(TObject* owner, int32_t id) override;
    // Called by its form's Move: a press on a hovered cell opens the editor on it, a second
    // press closes it (once per debounce).
    void Move(uint8_t mode, const TRect& rect, rtl::List<TGPStructure*>* list) override;
    void Hide() override;
    void Draw() override;

    // Cells: an absent cell reads empty; a negative column or row raises the list error.
    std::string GetCell(int32_t col, int32_t row) const;
    void SetCell(int32_t col, int32_t row, const std::string& text);
    TObject* GetCellObject(int32_t col, int32_t row) const;
    void SetCellObject(int32_t col, int32_t row, TObject* object);
    // The views, made on first use; index 0 raises the list error.
    TStringGridStrings& Rows(int32_t row);
    TStringGridStrings& Cols(int32_t col);

    // Closes the editor (only while it is focused): the text goes into the cell unless it is
    // still "?" (when store), and OnGPExit fires.
    void EndEdit(bool store);
    // The hovered row, else the row under edit.
    int32_t GetEditRow() const;
    class TGPEdit* Editor() const { return editor_; }

    int32_t ColCount = 0, RowCount = 0;
    int32_t FixedCols = 0;  // header rows at the top
    int32_t FixedRows = 0;  // header columns at the left
    std::string ColPaint, RowPaint;  // row headers and column headers
    std::string NameEdit;

    bool Toggled = false;
    bool HoverEnabled = true;
    int32_t EditCol = -1, EditRow = -1;
    int32_t HoverCol = -1, HoverRow = -1;
    TPressTime LastPress;

    static void DescribeClass(rtl::ClassBuilder<TGPCustomGrid>& c);

private:
    struct Cell {
        std::string Text;
        TObject* Object = nullptr;
    };
    Cell* FindCell(int32_t col, int32_t row);
    const Cell* FindCell(int32_t col, int32_t row) const;
    Cell& MakeCell(int32_t col, int32_t row);
    void EnsureViews(int32_t col, int32_t row);
    // The editor named by NameEdit in the parent form, looked up once; nil for none.
    TGPEdit* LookUpEditor();
    media::TPictureCollectionItem* HeaderPicture(const std::string& name);

    std::map<int32_t, std::map<int32_t, Cell>> cells_;  // by row, then column
    std::map<int32_t, std::unique_ptr<TStringGridStrings>> rows_, cols_;
    TGPEdit* editor_ = nullptr;
    bool editorLooked_ = false;
    TPressTime toggleTime_;  // a held press toggles the hovered row and column once per debounce
};

}  // namespace engine
