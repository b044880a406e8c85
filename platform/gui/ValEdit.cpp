#include "platform/gui/ValEdit.h"

#include <algorithm>

#include "platform/gui/ControlProps_p.h"
#include "platform/gui/Graphics.h"
#include "platform/gui/Widgets_p.h"
#include "platform/rtti/Streaming.h"

namespace {
bool Has(TDisplayOptions set, TDisplayOption o) { return (set & DisplayOptionBit(o)) != 0; }
}  // namespace

TValueListEditor::TValueListEditor(TComponent* AOwner) : TCustomControl(AOwner) {
    controlStyle_ = csCaptureMouse | csOpaque | csDoubleClicks | csClickEvents;
    strings_ = new TStringList();
    strings_->OnChanging = MakeEvent(this, &TValueListEditor::StringsChanging);
    strings_->OnChange = MakeEvent(this, &TValueListEditor::StringsChanged);
    titleCaptions_ = new TStringList();
    titleCaptions_->Add("Key");
    titleCaptions_->Add("Value");
    titleCaptions_->OnChange = MakeEvent(this, &TValueListEditor::TitlesChanged);
    SetBounds(0, 0, 306, 300);
    SetTabStop(true);
    SetParentColor(false);
    SetColor(clWindow);
}

TValueListEditor::~TValueListEditor() {
    delete titleCaptions_;
    delete strings_;
}

void TValueListEditor::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.ExStyle |= WS_EX_CLIENTEDGE;
}

int TValueListEditor::FixedRows() const { return Has(displayOptions_, doColumnTitles) ? 1 : 0; }

int TValueListEditor::RowCount() const { return std::max(strings_->Count() + FixedRows(), FixedRows() + 1); }

void TValueListEditor::SetDisplayOptions(TDisplayOptions Value) {
    int oldFixed = FixedRows();
    displayOptions_ = Value;
    int shift = FixedRows() - oldFixed;
    row_ = std::max(FixedRows(), row_ + shift);
    topRow_ = std::max(FixedRows(), topRow_ + shift);
    UpdateScrollBar();
    Invalidate();
}

AnsiString TValueListEditor::Cells(int ACol, int ARow) const {
    if (ACol < 0 || ACol > 1) return AnsiString();
    if (ARow < FixedRows()) return titleCaptions_->Count() > ACol ? titleCaptions_->Strings(ACol) : AnsiString();
    int i = ARow - FixedRows();
    if (i >= strings_->Count()) return AnsiString();
    return ACol == 0 ? strings_->Names(i) : strings_->ValueFromIndex(i);
}

void TValueListEditor::SetCells(int ACol, int ARow, const AnsiString& Value) {
    if (ACol < 0 || ACol > 1) return;
    if (ARow < FixedRows()) {
        while (titleCaptions_->Count() <= ACol) titleCaptions_->Add(AnsiString());
        titleCaptions_->SetStrings(ACol, Value);
        return;
    }
    int i = ARow - FixedRows();
    if (i < 0 || i >= strings_->Count()) return;
    AnsiString key = ACol == 0 ? Value : strings_->Names(i);
    AnsiString value = ACol == 1 ? Value : strings_->ValueFromIndex(i);
    strings_->SetStrings(i, key + "=" + value);
}

void TValueListEditor::SetValues(const AnsiString& Key, const AnsiString& Value) {
    int row = 0;
    if (FindRow(Key, row)) SetCells(1, row, Value);
    else InsertRow(Key, Value, true);
}

int TValueListEditor::InsertRow(const AnsiString& KeyName, const AnsiString& Value, bool Append) {
    AnsiString line = KeyName + "=" + Value;
    if (Append || strings_->Count() == 0) {
        strings_->Add(line);
        return strings_->Count() - 1 + FixedRows();
    }
    int at = std::clamp(row_ - FixedRows(), 0, strings_->Count());
    strings_->Insert(at, line);
    return at + FixedRows();
}

void TValueListEditor::DeleteRow(int ARow) {
    int i = ARow - FixedRows();
    if (i < 0 || i >= strings_->Count()) return;
    strings_->Delete(i);
}

bool TValueListEditor::FindRow(const AnsiString& KeyName, int& ARow) const {
    int i = strings_->IndexOfName(KeyName);
    ARow = i >= 0 ? i + FixedRows() : -1;
    return i >= 0;
}

void TValueListEditor::StringsChanging(TObject*) {
    if (OnStringsChanging) OnStringsChanging(this);
}

void TValueListEditor::StringsChanged(TObject*) {
    // The current row stays within the rows there are.
    if (row_ >= RowCount()) row_ = RowCount() - 1;
    if (row_ < FixedRows()) row_ = FixedRows();
    UpdateScrollBar();
    Invalidate();
    if (OnStringsChange) OnStringsChange(this);
}

void TValueListEditor::TitlesChanged(TObject*) { Invalidate(); }

int TValueListEditor::ColWidths(int Index) const {
    if (Index < 0 || Index > 1) return 0;
    return colWidths_[static_cast<size_t>(Index)];
}

void TValueListEditor::SetColWidths(int Index, int Value) {
    if (Index < 0 || Index > 1) return;
    colWidths_[static_cast<size_t>(Index)] = std::max(0, Value);
    colWidthSet_[Index] = true;
    Invalidate();
}

void TValueListEditor::SetDefaultRowHeight(int Value) {
    defaultRowHeight_ = std::max(1, Value);
    UpdateScrollBar();
    Invalidate();
}

void TValueListEditor::SetDefaultColWidth(int Value) {
    defaultColWidth_ = std::max(0, Value);
    for (int i = 0; i < 2; ++i)
        if (!colWidthSet_[i]) colWidths_[static_cast<size_t>(i)] = defaultColWidth_;
    Invalidate();
}

int TValueListEditor::FirstDataRowY() { return FixedRows() * (defaultRowHeight_ + 1); }

int TValueListEditor::VisibleRowCount() {
    int h = ClientHeight() - FirstDataRowY();
    return std::max(1, h / (defaultRowHeight_ + 1));
}

TRect TValueListEditor::CellRect(int ACol, int ARow) {
    int w0 = colWidths_[0];
    int w1 = colWidths_[1];
    // The value column fills the rest unless its width was given.
    if (Has(displayOptions_, doAutoColResize) && !colWidthSet_[1]) w1 = std::max(w1, ClientWidth() - w0 - 1);
    int left = ACol == 0 ? 0 : w0 + 1;
    int right = ACol == 0 ? w0 : left + w1;
    int top;
    if (ARow < FixedRows()) top = ARow * (defaultRowHeight_ + 1);
    else top = FirstDataRowY() + (ARow - topRow_) * (defaultRowHeight_ + 1);
    return TRect(left, top, right, top + defaultRowHeight_);
}

bool TValueListEditor::MouseToCell(int X, int Y, int& ACol, int& ARow) {
    ACol = -1;
    ARow = -1;
    if (Y < 0 || X < 0) return false;
    int rowHeight = defaultRowHeight_ + 1;
    if (Y < FirstDataRowY()) ARow = Y / rowHeight;
    else ARow = topRow_ + (Y - FirstDataRowY()) / rowHeight;
    if (ARow >= RowCount()) {
        ARow = -1;
        return false;
    }
    ACol = X <= colWidths_[0] ? 0 : 1;
    return true;
}

void TValueListEditor::SetTopRow(int Value) {
    int maxTop = std::max(FixedRows(), RowCount() - VisibleRowCount());
    Value = std::clamp(Value, FixedRows(), maxTop);
    if (topRow_ == Value) return;
    topRow_ = Value;
    UpdateScrollBar();
    Invalidate();
}

void TValueListEditor::MakeVisible(int ARow) {
    if (ARow < topRow_) SetTopRow(ARow);
    else if (ARow >= topRow_ + VisibleRowCount()) SetTopRow(ARow - VisibleRowCount() + 1);
}

void TValueListEditor::UpdateScrollBar() {
    if (!HandleAllocated()) return;
    int rows = RowCount() - FixedRows();
    int visible = VisibleRowCount();
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = std::max(0, rows - 1);
    si.nPage = static_cast<UINT>(visible);
    si.nPos = topRow_ - FixedRows();
    SetScrollInfo(Handle(), SB_VERT, &si, 1);
    ShowScrollBar(Handle(), SB_VERT, rows > visible);
}

bool TValueListEditor::SelectCell(int ACol, int ARow) {
    bool can = true;
    if (OnSelectCell) OnSelectCell(this, ACol, ARow, can);
    return can;
}

void TValueListEditor::MoveCurrent(int ACol, int ARow) {
    if (ACol < 0 || ACol > 1 || ARow < FixedRows() || ARow >= RowCount())
        throw EInvalidOperation("Grid index out of range");
    if (!SelectCell(ACol, ARow)) return;
    col_ = ACol;
    row_ = ARow;
    MakeVisible(ARow);
    Invalidate();
    Click();
}

void TValueListEditor::Paint() {
    TCanvas* canvas = Canvas();
    TRect client = ClientRect();
    canvas->Brush()->SetColor(Color());
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(client);
    canvas->Font()->Assign(Font());
    auto drawCell = [&](int col, int row, bool fixed) {
        TRect r = CellRect(col, row);
        bool current = !fixed && col == col_ && row == row_;
        canvas->Font()->Assign(Font());
        if (fixed) canvas->Brush()->SetColor(clBtnFace);
        else if (current) {
            canvas->Brush()->SetColor(clHighlight);
            canvas->Font()->SetColor(clHighlightText);
        } else canvas->Brush()->SetColor(Color());
        canvas->Brush()->SetStyle(bsSolid);
        canvas->FillRect(r);
        if (fixed) {
            TRect edge = r;
            DrawEdge(canvas->Handle(), &edge, BDR_RAISEDINNER, BF_RECT);
        }
        AnsiString text = Cells(col, row);
        TRect t = r;
        t.Left += 2;
        t.Right -= 2;
        canvas->Brush()->SetStyle(bsClear);
        DrawText(TextDC(canvas), text.c_str(), static_cast<int>(text.size()), &t,
                 DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        canvas->Brush()->SetStyle(bsSolid);
        if (current && Focused()) canvas->DrawFocusRect(r);
    };
    // Grid lines between the cells.
    canvas->Pen()->SetColor(clBtnFace);
    canvas->Pen()->SetWidth(1);
    bool keyFixed = Has(displayOptions_, doKeyColFixed);
    for (int row = 0; row < FixedRows(); ++row) {
        drawCell(0, row, true);
        drawCell(1, row, true);
    }
    int last = std::min(RowCount(), topRow_ + VisibleRowCount() + 1);
    for (int row = topRow_; row < last; ++row) {
        drawCell(0, row, keyFixed);
        drawCell(1, row, false);
        TRect r0 = CellRect(0, row);
        TRect r1 = CellRect(1, row);
        canvas->Pen()->SetColor(clBtnFace);
        canvas->MoveTo(r0.Left, r0.Bottom);
        canvas->LineTo(r1.Right, r1.Bottom);
        canvas->MoveTo(r0.Right, r0.Top);
        canvas->LineTo(r0.Right, r0.Bottom + 1);
    }
}

void TValueListEditor::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Button == mbLeft) {
        if (CanFocus() && !Focused()) SetFocus();
        int col = 0, row = 0;
        if (MouseToCell(X, Y, col, row) && row >= FixedRows()) MoveCurrent(col, row);
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TValueListEditor::DoEnter() {
    Invalidate();
    TCustomControl::DoEnter();
}

void TValueListEditor::DoExit() {
    Invalidate();
    TCustomControl::DoExit();
}

void TValueListEditor::WMKeyDown(TMessage& Message) {
    if (DoKeyDown(Message)) return;
    int row = row_, col = col_;
    int page = std::max(1, VisibleRowCount() - 1);
    switch (Message.WParam) {
        case VK_UP: --row; break;
        case VK_DOWN: ++row; break;
        case VK_PRIOR: row -= page; break;
        case VK_NEXT: row += page; break;
        case VK_HOME: row = FixedRows(); break;
        case VK_END: row = RowCount() - 1; break;
        case VK_LEFT: col = 0; break;
        case VK_RIGHT: col = 1; break;
        default: return;
    }
    row = std::clamp(row, FixedRows(), RowCount() - 1);
    if (row != row_ || col != col_) MoveCurrent(col, row);
}

void TValueListEditor::WMVScroll(TMessage& Message) {
    int page = VisibleRowCount();
    switch (LOWORD(Message.WParam)) {
        case SB_LINEUP: SetTopRow(topRow_ - 1); break;
        case SB_LINEDOWN: SetTopRow(topRow_ + 1); break;
        case SB_PAGEUP: SetTopRow(topRow_ - page); break;
        case SB_PAGEDOWN: SetTopRow(topRow_ + page); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: SetTopRow(HIWORD(Message.WParam) + FixedRows()); break;
        case SB_TOP: SetTopRow(0); break;
        case SB_BOTTOM: SetTopRow(RowCount()); break;
        default: break;
    }
}

void TValueListEditor::WMSize(TMessage& Message) {
    TCustomControl::WMSize(Message);
    UpdateScrollBar();
    Invalidate();
}

void TValueListEditor::Dispatch(TMessage& Message) {
    if (Message.Msg == WM_GETDLGCODE) {
        Message.Result = DLGC_WANTARROWS;
        return;
    }
    if (Message.Msg == WM_MOUSEWHEEL) {
        SetTopRow(topRow_ - GET_WHEEL_DELTA_WPARAM(Message.WParam) / 120 * 3);
        Message.Result = 1;
        return;
    }
    TCustomControl::Dispatch(Message);
}

void TValueListEditor::DefineProperties(TFiler& Filer) {
    TCustomControl::DefineProperties(Filer);
    bool set = colWidthSet_[0] || colWidthSet_[1];
    Filer.DefineProperty(
        "ColWidths",
        [this](TReader& r) {
            r.ReadListBegin();
            int i = 0;
            while (!r.EndOfList()) SetColWidths(i++, r.ReadInteger());
            r.ReadListEnd();
        },
        [this](TWriter& w) {
            w.WriteListBegin();
            for (int width : colWidths_) w.WriteInteger(width);
            w.WriteListEnd();
        },
        set);
}

TESK_PUBLISHED(TValueListEditor) {
    TESK_PUBLISH_CONTROL_COMMON();
    TESK_PUBLISH_WINCONTROL_COMMON();
    Property("DefaultColWidth", &T::DefaultColWidth, &T::SetDefaultColWidth).Default(150);
    Property("DefaultRowHeight", &T::DefaultRowHeight, &T::SetDefaultRowHeight).Default(18);
    Property("DisplayOptions", &T::DisplayOptions, &T::SetDisplayOptions)
        .Default(DisplayOptionBit(doColumnTitles) | DisplayOptionBit(doAutoColResize) | DisplayOptionBit(doKeyColFixed));
    Property("KeyOptions", &T::KeyOptions, &T::SetKeyOptions);
    Property("Strings", &T::Strings, &T::SetStrings);
    Property("TitleCaptions", &T::TitleCaptions, &T::SetTitleCaptions);
    Property("OnSelectCell", &T::OnSelectCell, &T::OnSelectCell);
    Property("OnStringsChange", &T::OnStringsChange, &T::OnStringsChange);
    Property("OnStringsChanging", &T::OnStringsChanging, &T::OnStringsChanging);
}
