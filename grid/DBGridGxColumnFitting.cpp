// Fitting columns to their contents (a double click on a title edge): each
// column's width becomes the widest of what its title, its records and its
// footer rows need, measured as they are painted. The records are walked once
// for all the columns, with the data set's controls off and the view put back
// where it was.
#include <algorithm>

#include "grid/DBGridGx.h"
#include "grid/DBGridGxTitles.h"
#include "grid/GxLibVCL.h"
#include "grid/ToolCtrlsGx.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

constexpr int kFitMargin = 4;

// Text extents on a screen device context, in the font given.
class TFitMeasure {
public:
    TFitMeasure() : dc_(CreateScreenDC()) {}
    ~TFitMeasure() { DeleteDC(dc_); }
    TFitMeasure(const TFitMeasure&) = delete;
    TFitMeasure& operator=(const TFitMeasure&) = delete;

    // The width of Text on one line, or of its widest line when it may wrap
    // within WrapWidth pixels.
    int Width(TFont* Font, const AnsiString& Text, bool Wrap, int WrapWidth) {
        HGDIOBJ old = SelectObject(dc_, Font->Handle());
        int width;
        if (Wrap) {
            TRect r(0, 0, std::max(WrapWidth, 1), 0);
            DrawTextGx(dc_, Text, -1, r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
            width = r.Right - r.Left;
        } else {
            TSize size;
            GetTextExtentPoint32(dc_, Text.c_str(), static_cast<int>(Text.size()), &size);
            width = size.cx;
        }
        SelectObject(dc_, old);
        return width;
    }
    int Height(TFont* Font, const AnsiString& Text) {
        HGDIOBJ old = SelectObject(dc_, Font->Handle());
        TSize size;
        GetTextExtentPoint32(dc_, Text.empty() ? "W" : Text.c_str(), Text.empty() ? 1 : static_cast<int>(Text.size()),
                             &size);
        SelectObject(dc_, old);
        return size.cy;
    }

private:
    HDC dc_;
};

}  // namespace

std::vector<int> TCustomDBGridGx::NeededColumnWidths(TColumnsGxList* Columns) {
    const int count = Columns ? Columns->Count() : 0;
    std::vector<int> widths(static_cast<size_t>(count), 0);
    if (count == 0) return widths;
    TFitMeasure measure;

    auto titleNeed = [&](TColumnGx* Column) {
        TColumnTitleGx* title = Column->Title();
        int sortWidth = title->GetSortMarkingWidth();
        int margin = sortWidth > 2 ? kFitMargin + sortWidth - 2 : kFitMargin;
        if (titleImages_ && title->ImageIndex() >= 0) return margin + titleImages_->Width();
        AnsiString caption = title->Caption();
        if (useMultiTitle_)
            if (THeadTreeNode* leaf = TitleLeaf(Column->Index())) caption = leaf->Text;
        if (title->Orientation() == tohVertical) return measure.Height(title->Font(), caption) + margin;
        bool wrap = titleHeight_ > 0 || titleLines_ > 0 || useMultiTitle_;
        return measure.Width(title->Font(), caption, wrap, Column->Width() - margin) + margin;
    };

    auto cellNeed = [&](TColumnGx* Column) {
        int margin = kFitMargin;
        if (Column->AlwaysShowEditButton()) margin += Column->GetEditButtonsWidth();
        if (TreeViewActive() && Column->Index() == 0) margin += GetTreeIndent();
        switch (Column->GetColumnType()) {
            case ctKeyImageList: return (Column->ImageList() ? Column->ImageList()->Width() : 0) + margin;
            case ctCheckboxes: return DefaultCheckBoxWidth() + margin;
            default: break;
        }
        // The text and font the cell would be painted with, after the events.
        TFont font;
        font.Assign(Column->Font());
        TColCellParamsGx params;
        params.Font = &font;
        params.Text = Column->GetDisplayText();
        params.Alignment = Column->Alignment();
        params.Background = Column->Color();
        params.ImageIndex = Column->GetImageIndex();
        params.CheckboxState = Column->GetCheckboxState();
        GetCellParams(Column, params.Font, params.Background, params.State);
        Column->GetColCellParams(false, &params);
        bool wrap = Column->WordWrap() && MultiLineRows();
        return measure.Width(&font, params.Text, wrap, Column->Width() - margin) + margin;
    };

    for (int i = 0; i < count; ++i) widths[static_cast<size_t>(i)] = titleNeed(Columns->Items(i));

    if (DataLinkActive()) {
        TDataSet* ds = dataLink_->DataSet();
        // The walk leaves the record: a pending cell edit is written and posted
        // first, as leaving the cell would, so a text the field refuses calls
        // the fit off with its message and the edit kept.
        ds->CheckBrowseMode();
        TControlsDisabled disabled(ds);
        SaveBookmark();
        auto restore = MakeScopeGuard([this] { RestoreBookmark(); });
        for (ds->First(); !ds->Eof(); ds->Next())
            for (int i = 0; i < count; ++i) {
                int& width = widths[static_cast<size_t>(i)];
                width = std::max(width, cellNeed(Columns->Items(i)));
            }
    }

    for (int row = 0; row < footerRowCount_; ++row)
        for (int i = 0; i < count; ++i) {
            TColumnGx* column = Columns->Items(i);
            TColumnFooterGx* footer = column->UsedFooter(row);
            bool wrap = footer->WordWrap() && MultiLineRows();
            int need = measure.Width(footer->Font(), GetFooterValue(row, column), wrap, column->Width() - kFitMargin);
            int& width = widths[static_cast<size_t>(i)];
            width = std::max(width, need + kFitMargin);
        }
    return widths;
}

void TCustomDBGridGx::OptimizeColsWidth(TColumnsGxList* ColumnsToOptimize) {
    if (!ColumnsToOptimize || ColumnsToOptimize->Count() == 0) return;
    const std::vector<int> widths = NeededColumnWidths(ColumnsToOptimize);
    BeginLayout();
    auto end = MakeScopeGuard([this] { EndLayout(); });
    for (int i = 0; i < ColumnsToOptimize->Count(); ++i)
        ColumnsToOptimize->Items(i)->SetWidth(widths[static_cast<size_t>(i)]);
}

int TColumnGx::OptimizeWidth() {
    TCustomDBGridGx* grid = GetGrid();
    if (!grid) return Width();
    TColumnsGxList one;
    one.Add(this);
    return grid->NeededColumnWidths(&one)[0];
}
