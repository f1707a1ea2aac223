// The grid of text cells with picture headers, and the string-list views of its rows and
// columns.
#include "engine/gpInterface.h"

#include "engine/gpMouse.h"
#include "engine/gpRegisters.h"
#include "platform/text/Text.h"
#include "rtl/ListError.h"
#include "rtl/StringList.h"

#include <algorithm>

namespace engine {

RTL_REGISTER_CLASS(TGPCustomGrid);

// ---- Views ----

TStringGridStrings::TStringGridStrings(TGPCustomGrid& grid, int32_t index) : grid_(grid), index_(index) {
    if (index == 0) rtl::ListIndexError(index);  // neither a row nor a column
}

int32_t TStringGridStrings::Count() const { return index_ > 0 ? grid_.ColCount : grid_.RowCount; }

void TStringGridStrings::CellOf(int32_t index, int32_t& col, int32_t& row) const {
    if (index < 0 || index >= Count()) rtl::ListIndexError(index);
    if (index_ > 0) {
        col = index, row = index_ - 1;
    } else {
        col = -(index_ + 1), row = index;
    }
}

std::string TStringGridStrings::Get(int32_t index) const {
    int32_t col, row;
    CellOf(index, col, row);
    return grid_.GetCell(col, row);
}

void TStringGridStrings::Put(int32_t index, const std::string& text) {
    int32_t col, row;
    CellOf(index, col, row);
    grid_.SetCell(col, row, text);
}

TObject* TStringGridStrings::GetObject(int32_t index) const {
    int32_t col, row;
    CellOf(index, col, row);
    return grid_.GetCellObject(col, row);
}

void TStringGridStrings::PutObject(int32_t index, TObject* object) {
    int32_t col, row;
    CellOf(index, col, row);
    grid_.SetCellObject(col, row, object);
}

int32_t TStringGridStrings::Add(const std::string& text) {
    for (int32_t i = 0; i < Count(); ++i) {
        if (Get(i).empty()) {
            Put(i, text);
            return i;
        }
    }
    return -1;
}

void TStringGridStrings::Clear() {
    for (int32_t i = 0; i < Count(); ++i) {
        Put(i, {});
        PutObject(i, nullptr);
    }
}

void TStringGridStrings::Assign(const rtl::StringList& source) {
    const int32_t n = std::min<int32_t>(Count(), source.Count());
    for (int32_t i = 0; i < n; ++i) {
        Put(i, source[i]);
        const std::any& o = source.Objects(i);
        const auto* object = std::any_cast<TObject*>(&o);
        PutObject(i, object ? *object : nullptr);
    }
}

void TStringGridStrings::Insert(int32_t, const std::string&) {
    throw EInvalidGridOperation("Cannot insert or delete rows from grid");
}

void TStringGridStrings::Delete(int32_t) { throw EInvalidGridOperation("Cannot insert or delete rows from grid"); }

// ---- Grid ----

void TGPCustomGrid::DescribeClass(rtl::ClassBuilder<TGPCustomGrid>& c) {
    using T = TGPCustomGrid;
    c.Property("ColCount", &T::ColCount)
        .Property("RowCount", &T::RowCount)
        .Property("FixedCols", &T::FixedCols)
        .Property("FixedRows", &T::FixedRows)
        .Property("ColPaint", &T::ColPaint)
        .Property("RowPaint", &T::RowPaint)
        .Property("NameEdit", &T::NameEdit);
}

TGPCustomGrid::TGPCustomGrid() = default;
TGPCustomGrid::~TGPCustomGrid() = default;

void TGPCustomGrid::Create(TObject* owner, int32_t id) {
    TGPControls::Create(owner, id);
    Toggled = false;
    HoverEnabled = true;
    EditCol = EditRow = -1;
    HoverCol = HoverRow = -1;
    editor_ = nullptr;
    editorLooked_ = false;
}

TGPCustomGrid::Cell* TGPCustomGrid::FindCell(int32_t col, int32_t row) {
    return const_cast<Cell*>(static_cast<const TGPCustomGrid*>(this)->FindCell(col, row));
}

const TGPCustomGrid::Cell* TGPCustomGrid::FindCell(int32_t col, int32_t row) const {
    if (col < 0) rtl::ListIndexError(col);
    if (row < 0) rtl::ListIndexError(row);
    const auto r = cells_.find(row);
    if (r == cells_.end()) return nullptr;
    const auto c = r->second.find(col);
    return c == r->second.end() ? nullptr : &c->second;
}

TGPCustomGrid::Cell& TGPCustomGrid::MakeCell(int32_t col, int32_t row) {
    if (col < 0) rtl::ListIndexError(col);
    if (row < 0) rtl::ListIndexError(row);
    EnsureViews(col, row);
    return cells_[row][col];
}

void TGPCustomGrid::EnsureViews(int32_t col, int32_t row) {
    Rows(row);
    Cols(col);
}

TStringGridStrings& TGPCustomGrid::Rows(int32_t row) {
    if (row < 0) rtl::ListIndexError(row);
    auto& view = rows_[row];
    if (!view) view = std::make_unique<TStringGridStrings>(*this, row + 1);
    return *view;
}

TStringGridStrings& TGPCustomGrid::Cols(int32_t col) {
    if (col < 0) rtl::ListIndexError(col);
    auto& view = cols_[col];
    if (!view) view = std::make_unique<TStringGridStrings>(*this, -col - 1);
    return *view;
}

std::string TGPCustomGrid::GetCell(int32_t col, int32_t row) const {
    const Cell* cell = FindCell(col, row);
    return cell ? cell->Text : std::string();
}

void TGPCustomGrid::SetCell(int32_t col, int32_t row, const std::string& text) { MakeCell(col, row).Text = text; }

TObject* TGPCustomGrid::GetCellObject(int32_t col, int32_t row) const {
    const Cell* cell = FindCell(col, row);
    return cell ? cell->Object : nullptr;
}

void TGPCustomGrid::SetCellObject(int32_t col, int32_t row, TObject* object) { MakeCell(col, row).Object = object; }

TGPEdit* TGPCustomGrid::LookUpEditor() {
    if (!editorLooked_) {
        editorLooked_ = true;
        if (auto* form = dynamic_cast<TGPForm*>(ParentForm)) editor_ = dynamic_cast<TGPEdit*>(form->FindChild(NameEdit));
    }
    return editor_;
}

void TGPCustomGrid::EndEdit(bool store) {
    TGPEdit* editor = editor_;
    if (!editor || !editor->Focused) return;
    if (Kernel) Kernel->SetFocusControl(nullptr);
    if (store && editor->Text != "?" && EditCol >= 0 && EditRow >= 0) SetCell(EditCol, EditRow, editor->Text);
    editor->Visible = false;
    editor->Focused = false;
    EditCol = EditRow = -1;
    editor->Text.clear();
    Toggled = false;
    if (OnGPExit) OnGPExit(this);
}

int32_t TGPCustomGrid::GetEditRow() const { return HoverCol >= 0 && HoverRow >= 0 ? HoverRow : EditRow; }

void TGPCustomGrid::Move(uint8_t, const TRect&, rtl::List<TGPStructure*>*) {
    if (!Kernel || !Kernel->Mouse || !Kernel->Mouse->Pressed) return;
    if (HoverCol < 0 || HoverRow < 0 || !LastPress.Due(PressDebounce)) return;
    LastPress.Mark();
    // Without an editor (none named, or the name finds no edit) a press is a click.
    TGPEdit* editor = NameEdit.empty() ? nullptr : LookUpEditor();
    if (!editor) {
        Kernel->SetFocusControl(nullptr);
        if (OnGPClick) OnGPClick(this);
        return;
    }
    editor->Editable = false;
    if (editor->Visible) {
        EndEdit(true);
        editor->Visible = false;
        editor->Focused = false;
        return;
    }
    EditCol = HoverCol, EditRow = HoverRow;
    const TPoint p = WidgetScreenPos(*this);
    editor->Left = p.X + PatternWidth * (FixedRows + EditCol);
    editor->Top = p.Y + PatternHeight * (FixedCols + EditRow);
    editor->Text.assign(1, '?');  // the cell shows "?" until something is typed
    Kernel->SetFocusControl(this);  // keys reach the grid's OnGPKeyDown
    editor->Focused = true;
    editor->Visible = true;
    if (OnGPClick) OnGPClick(this);
}

void TGPCustomGrid::Hide() {
    EndEdit(true);
    Visible = false;
    if (Kernel) {
        FreeFormsPicture(*Kernel, ColPaint);
        FreeFormsPicture(*Kernel, RowPaint);
    }
    DropCachedPicture();
}

media::TPictureCollectionItem* TGPCustomGrid::HeaderPicture(const std::string& name) {
    if (name.empty() || !Kernel || !Kernel->FormsRegister) return nullptr;
    if (!Kernel->InterfaceResource && !IsPlainFileName(name)) return nullptr;
    return FindNamedPicture(*Kernel->FormsRegister, *Kernel, name, WidgetPictureOf(*this), true, Kernel->Display());
}

namespace {
// floor((v - start) / size) when v lies in [start, start + count * size); else -1.
int32_t CellIndex(int32_t v, int64_t start, int32_t size, int32_t count) {
    const int64_t d = int64_t(v) - start;
    if (d < 0 || size <= 0) return -1;
    const int64_t i = d / size;
    return i < count ? int32_t(i) : -1;
}
}  // namespace

void TGPCustomGrid::Draw() {
    // Sizes and counts from data: below 1 there is nothing to draw.
    if (!Visible || !Kernel || PatternWidth <= 0 || PatternHeight <= 0 || ColCount <= 0 || RowCount <= 0) return;
    media::TPictureCollectionItem* rowHeaders = HeaderPicture(ColPaint);
    media::TPictureCollectionItem* colHeaders = HeaderPicture(RowPaint);
    const TPoint p = WidgetScreenPos(*this);
    const int64_t cellsX = int64_t(p.X) + int64_t(FixedRows) * PatternWidth;
    const int64_t cellsY = int64_t(p.Y) + int64_t(FixedCols) * PatternHeight;
    const int64_t width = (int64_t(ColCount) + FixedRows) * PatternWidth;
    const int64_t height = (int64_t(RowCount) + FixedCols) * PatternHeight;
    TrackMouse(p, int32_t(std::clamp<int64_t>(width, 0, INT32_MAX)), int32_t(std::clamp<int64_t>(height, 0, INT32_MAX)));

    int s = 0;
    if (Enabled && HoverEnabled) {
        s = 2;
        int32_t col = -1, row = -1;
        if (IsHovered()) {
            // The cells do not overlap: the cell under the mouse is the first that holds it.
            col = CellIndex(Kernel->MouseX, cellsX, PatternWidth, ColCount);
            row = CellIndex(Kernel->MouseY, cellsY, PatternHeight, RowCount);
            if (col < 0 || row < 0) col = row = -1;
            if (Kernel->Mouse->Pressed && toggleTime_.Due(PressDebounce)) {
                toggleTime_.Mark();
                Toggled = !Toggled;
            }
        }
        if (col >= 0 && (col != HoverCol || row != HoverRow) && OnGPEnter) OnGPEnter(this);
        HoverCol = col, HoverRow = row;
    } else {
        HoverCol = HoverRow = -1;
    }

    // Only what can reach the surface is drawn: the counts come from data.
    const int32_t surfaceW = Kernel->SurfaceWidth(), surfaceH = Kernel->SurfaceHeight();
    auto stateOf = [&](bool hovered) { return hovered && Toggled ? 3 : hovered ? 1 : s; };
    if (rowHeaders && FixedRows > 0) {
        for (int32_t r = 0; r < RowCount && cellsY + int64_t(r) * PatternHeight < surfaceH; ++r) {
            const int64_t y = cellsY + int64_t(r) * PatternHeight;
            if (y + PatternHeight <= 0) continue;
            DrawPicture(*Kernel, *rowHeaders, {p.X, int32_t(y)}, 4 * r + stateOf(r == HoverRow));
        }
    }
    if (colHeaders && FixedCols > 0) {
        for (int32_t c = 0; c < ColCount && cellsX + int64_t(c) * PatternWidth < surfaceW; ++c) {
            const int64_t x = cellsX + int64_t(c) * PatternWidth;
            if (x + PatternWidth <= 0) continue;
            DrawPicture(*Kernel, *colHeaders, {int32_t(x), p.Y}, int(c + int64_t(ColCount) * stateOf(c == HoverCol)));
        }
    }
    if (!Font) return;
    const int64_t cellW = int64_t(PatternWidth) + 20;
    for (const auto& [row, cols] : cells_) {
        if (row >= RowCount) break;
        const int64_t y = cellsY + int64_t(row) * PatternHeight;
        if (y >= surfaceH) break;
        if (y + PatternHeight <= 0) continue;
        for (const auto& [col, cell] : cols) {
            if (col >= ColCount) break;
            const int64_t x = cellsX + int64_t(col) * cellW;
            if (x >= surfaceW) break;
            if (x + cellW <= 0) continue;
            if ((col == EditCol && row == EditRow) || cell.Text.empty()) continue;
            TWidgetText t;
            t.Text = cell.Text;
            t.Rect = rtl::Bounds(int32_t(x), int32_t(y), int32_t(cellW), PatternHeight);
            t.Format = platform::text::DT_WORDBREAK;
            const bool hovered = col == HoverCol && row == HoverRow;
            t.Color = uint32_t(hovered ? Font->ColorBackground : Font->ColorFront);
            DrawWidgetText(*Kernel, *Font, t);
        }
    }
}

}  // namespace engine
