// The grid's keyboard: the key tables with and without Ctrl, moving between
// rows and columns, the edit actions that EditActions lets through, and the
// incremental search with its time-out (window timer 2).
#include "grid/DBGridGx.h"

#include <algorithm>

#include "grid/GxLibVCL.h"
#include "platform/classes/ShortCuts.h"
#include "platform/gui/ActnList.h"
#include "platform/gui/Clipboard.h"
#include "platform/gui/Services.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

TDBGridGxClipboardHooks& ClipboardHooks() {
    static TDBGridGxClipboardHooks hooks;
    return hooks;
}

bool CheckedOrImageColumn(TColumnGx* Column) {
    TColumnGxType kind = Column->GetColumnType();
    return kind == ctCheckboxes || kind == ctKeyImageList;
}

// The framework's standard paste action, known by its class name (no form of ours has one).
bool IsEditPasteAction(TBasicAction* Action) {
    return Action && std::string(Action->ClassName()) == "TEditPaste";
}

void SetActionEnabled(TBasicAction* Action, bool Enabled) {
    if (auto* action = dynamic_cast<TCustomAction*>(Action)) action->SetEnabled(Enabled);
}

bool IsLeadByte(unsigned char C) {
    // The code pages we run in are all single-byte.
    (void)C;
    return false;
}

}  // namespace

void SetDBGridGxClipboardHooks(const TDBGridGxClipboardHooks& Hooks) { ClipboardHooks() = Hooks; }
const TDBGridGxClipboardHooks& DBGridGxClipboardHooks() { return ClipboardHooks(); }

// ---------------------------------------------------------------------------
// Edit actions

bool TCustomDBGridGx::CanCopyAction() { return DataLinkActive() && selection_->SelectionType() != gstNon; }

bool TCustomDBGridGx::CanDeleteAction() {
    if (!DataLinkActive() || readOnly_) return false;
    TDataSet* ds = dataLink_->DataSet();
    if (ds->IsEmpty() || !ds->CanModify()) return false;
    switch (selection_->SelectionType()) {
        case gstRecordBookmarks:
        case gstAll: return allowedOperations_.Contains(alopDeleteGx);
        case gstRectangle:
        case gstColumns: return allowedOperations_.Contains(alopUpdateGx);
        default: return false;
    }
}

bool TCustomDBGridGx::CanCutAction() { return CanCopyAction() && CanDeleteAction(); }

bool TCustomDBGridGx::CanPasteAction() {
    if (!DataLinkActive() || readOnly_) return false;
    TDataSet* ds = dataLink_->DataSet();
    if (!ds->CanModify()) return false;
    static const TClipboardFormat gridFormat = RegisterClipboardFormat("VCLDBIF");
    bool hasData = Clipboard()->HasFormat(gridFormat) || Clipboard()->HasFormat(CF_TEXT);
    return hasData && (ds->State() == dsInsert || allowedOperations_.Contains(alopUpdateGx));
}

bool TCustomDBGridGx::CanSelectAllAction() {
    return DataLinkActive() && !dataLink_->DataSet()->IsEmpty() && allowedSelections_.Contains(gstAll);
}

void TCustomDBGridGx::ClipboardAction(TClipboardActionGx Action) {
    const TDBGridGxClipboardHooks& hooks = ClipboardHooks();
    switch (Action) {
        case caCopyGx:
            if (hooks.Copy) hooks.Copy(this, false);
            break;
        case caCutGx:
            if (hooks.Cut) hooks.Cut(this, false);
            break;
        case caPasteGx:
            if (hooks.Paste) hooks.Paste(this, false);
            break;
        case caDeleteGx:
            if (hooks.DeleteSelection) hooks.DeleteSelection(this, false);
            break;
    }
}

bool TCustomDBGridGx::ExecuteAction(TBasicAction* Action) {
    if (dataLink_->ExecuteAction(Action)) return true;
    if (Focused() && IsEditPasteAction(Action) && editActions_.Contains(geaPasteGx) && CanPasteAction()) {
        ClipboardAction(caPasteGx);
        return true;
    }
    return false;
}

bool TCustomDBGridGx::UpdateAction(TBasicAction* Action) {
    if (dataLink_->UpdateAction(Action)) return true;
    if (Focused() && IsEditPasteAction(Action)) {
        SetActionEnabled(Action, editActions_.Contains(geaPasteGx) && CanPasteAction());
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Keys

bool TCustomDBGridGx::DeletePromptAgrees() {
    if (!dbOptions_.Contains(dgConfirmDelete)) return true;
    const char* text = selectedRows_->Count() < 2 ? "Delete record?" : "Delete all selected records?";
    return MessageDlg(text, mtConfirmation, MsgDlgButtons({mbOK, mbCancel})) != mrCancel;
}

void TCustomDBGridGx::DeleteByKey() {
    if (editActions_.Contains(geaDeleteGx) && selection_->SelectionType() != gstNon) {
        if (CanDeleteAction()) ClipboardAction(caDeleteGx);
        return;
    }
    TDataSet* ds = dataLink_->DataSet();
    if (readOnly_ || ds->IsEmpty() || !ds->CanModify() || !allowedOperations_.Contains(alopDeleteGx)) return;
    if (!DeletePromptAgrees()) return;
    if (selectedRows_->Count() > 0) selectedRows_->Delete();
    else ds->Delete();
}

void TCustomDBGridGx::KeyDownWithCtrl(WORD& Key, TShiftState Shift) {
    TDataSet* ds = dataLink_->DataSet();
    bool extend = (Shift & ssShift) && dbOptions_.Contains(dgMultiSelect);
    int active = dataLink_->ActiveRecord();
    int buffered = dataLink_->RecordCount();
    switch (Key) {
        case VK_UP:
        case VK_PRIOR:
            if (extend) DoSelection(true, -active, false, false);
            else dataLink_->MoveBy(-active);
            break;
        case VK_DOWN:
        case VK_NEXT:
            if (extend) DoSelection(true, buffered - active - 1, false, false);
            else dataLink_->MoveBy(buffered - active - 1);
            break;
        case VK_LEFT: MoveCol(indicatorOffset_, 1, false); break;
        case VK_RIGHT: MoveCol(ColCount() - 1, -1, false); break;
        case VK_HOME:
            if (extend) DoSelection(true, -1, true, false);
            else ds->First();
            break;
        case VK_END:
            if (extend) DoSelection(true, 1, true, false);
            else ds->Last();
            break;
        case VK_DELETE: DeleteByKey(); break;
        case VK_INSERT:
        case 'C':
            if (CanCopyAction() && editActions_.Contains(geaCopyGx)) ClipboardAction(caCopyGx);
            break;
        case 'X':
            if (CanCutAction() && editActions_.Contains(geaCutGx)) ClipboardAction(caCutGx);
            break;
        case 'V':
            if (incSearching_) IncrementalSearch(Clipboard()->AsText(), incSearchTimeOut_, 0);
            else if (CanPasteAction() && editActions_.Contains(geaPasteGx)) ClipboardAction(caPasteGx);
            break;
        case 'A':
            if (CanSelectAllAction() && editActions_.Contains(geaSelectAllGx)) selection_->SelectAll();
            break;
        default: break;
    }
}

void TCustomDBGridGx::KeyDownPlain(WORD& Key, TShiftState Shift) {
    TDataSet* ds = dataLink_->DataSet();
    bool shift = Shift & ssShift;
    bool extend = shift && dbOptions_.Contains(dgMultiSelect);
    bool rowSelect = dbOptions_.Contains(dgRowSelect);
    bool rowOnly = !allowedSelections_.Contains(gstRectangle);
    bool oneDataColumn = ColCount() - indicatorOffset_ <= 1;
    switch (Key) {
        case VK_MULTIPLY:
        case VK_ADD:
        case VK_SUBTRACT:
            // In a tree: toggle, open or close the current node.
            if (TreeViewActive()) SetTreeNodeExpanded(Row(), Key == VK_MULTIPLY ? -1 : Key == VK_ADD ? 1 : 0);
            break;
        case VK_UP: PriorRow(shift); break;
        case VK_DOWN: NextRow(shift); break;
        case VK_LEFT:
            if (rowSelect) {
                if (LeftCol() > FixedCols()) SetLeftCol(LeftCol() - 1);
            } else if (extend) {
                MoveCol(Col() - 1, -1, true);
            } else {
                ClearSelection();
                MoveCol(Col() - 1, -1, false);
            }
            break;
        case VK_RIGHT:
            if (rowSelect) {
                if (VisibleColCount() + LeftCol() < ColCount()) SetLeftCol(LeftCol() + 1);
            } else if (extend) {
                MoveCol(Col() + 1, 1, true);
            } else {
                ClearSelection();
                MoveCol(Col() + 1, 1, false);
            }
            break;
        case VK_HOME:
            if (rowSelect || oneDataColumn) {
                if (extend) {
                    DoSelection(true, -1, true, false);
                } else {
                    ClearSelection();
                    ds->First();
                }
            } else {
                MoveCol(indicatorOffset_, 1, extend);
            }
            break;
        case VK_END:
            if (rowSelect || oneDataColumn) {
                if (extend) {
                    DoSelection(true, 1, true, false);
                } else {
                    ClearSelection();
                    ds->Last();
                }
            } else {
                MoveCol(ColCount() - 1, -1, extend);
            }
            break;
        case VK_NEXT:
            if (extend) {
                DoSelection(true, VisibleDataRowCount(), false, rowOnly);
            } else {
                ClearSelection();
                dataLink_->MoveBy(VisibleDataRowCount());
            }
            break;
        case VK_PRIOR:
            if (extend) {
                DoSelection(true, -VisibleDataRowCount(), false, rowOnly);
            } else {
                ClearSelection();
                dataLink_->MoveBy(-VisibleDataRowCount());
            }
            break;
        case VK_TAB:
            if (!(Shift & ssAlt)) Tab(!shift);
            break;
        case VK_RETURN:
            if (optionsGx_.Contains(dghEnterAsTab)) Tab(!shift);
            break;
        case VK_ESCAPE: {
            dataLink_->Reset();
            ClearSelection();
            if (!dbOptions_.Contains(dgAlwaysShowEditor)) HideEditor();
            TGridState state = GridState();
            if (state == gsRowSizing || state == gsColSizing || state == gsRowMoving || gridDragState_ == 6 ||
                gridDragState_ == 7)
                Perform(WM_CANCELMODE, 0, 0);
            break;
        }
        case VK_INSERT:
            if (shift) {
                if (incSearching_) IncrementalSearch(Clipboard()->AsText(), incSearchTimeOut_, 0);
                else if (CanPasteAction() && editActions_.Contains(geaPasteGx)) ClipboardAction(caPasteGx);
            } else if (ds->CanModify() && !readOnly_ && dbOptions_.Contains(dgEditing)) {
                ClearSelection();
                if (allowedOperations_.Contains(alopInsertGx)) ds->Insert();
                else if (allowedOperations_.Contains(alopAppendGx)) ds->Append();
            }
            break;
        case VK_DELETE:
            if (shift && CanCutAction() && editActions_.Contains(geaCutGx)) ClipboardAction(caCutGx);
            break;
        case VK_F2: SetEditorMode(true); break;
        default: break;
    }
}

void TCustomDBGridGx::KeyDown(WORD& Key, TShiftState Shift) {
    invertMode_ = (Shift & ssCtrl) || !optionsGx_.Contains(dghClearSelection);
    TWinControl::KeyDown(Key, Shift);  // OnKeyDown
    if (Key == 0) return;
    // Up from the first record (or with Ctrl), Shift or not, enters the filter row.
    if (Key == VK_UP && FilterRowVisible() && dataLink_->Active() &&
        ((Shift & ssCtrl) || dataLink_->DataSet()->Bof() || dataLink_->DataSet()->RecNo() == 1)) {
        int index = -1;
        if (dbOptions_.Contains(dgRowSelect))
            index = NextFilterColumn(filterEditColumn_ < 0 ? columns_->Count() - 1 : filterEditColumn_ - 1, 1);
        else if (SelectedIndex() >= 0 && ColumnFilterVisible(SelectedIndex()))
            index = SelectedIndex();
        if (index >= 0) {
            ShowFilterEditor(index);
            Key = 0;
            return;
        }
    }
    if (UseRightToLeftAlignment()) {
        if (Key == VK_LEFT) Key = VK_RIGHT;
        else if (Key == VK_RIGHT) Key = VK_LEFT;
    }
    if (!dataLink_->Active() || !CanGridAcceptKey(Key, Shift)) return;

    const TDBGridGxUnitSettings& s = DBGridGxSettings();
    TShortCut shortCut = ShortCut(Key, Shift);
    if (shortCut == s.CopyPriorValueKey) {
        CopyPriorValue();
    } else if (shortCut == s.IncSearchKey && optionsGx_.Contains(dghIncSearch)) {
        if (incSearching_ && optionsGx_.Contains(dghDialogFind) && s.FindDialogKey == s.IncSearchKey) {
            StopIncrementalSearch();
            if (ShowGridFindDialogHook) ShowGridFindDialogHook(this, "", nullptr, FindDialogModal());
        } else {
            IncrementalSearch("", -1, 0);
        }
    } else if (shortCut == s.FindDialogKey && optionsGx_.Contains(dghDialogFind)) {
        if (ShowGridFindDialogHook) ShowGridFindDialogHook(this, "", nullptr, FindDialogModal());
    } else if (incSearching_) {
        bool plain = (Shift & (ssShift | ssCtrl | ssAlt)) == 0;
        if (plain && (Key == VK_RETURN || Key == VK_ESCAPE || Key == VK_F2)) {
            StopIncrementalSearch();
        } else if (plain && Key == VK_BACK) {
            if (!incSearchText_.empty()) {
                size_t cut = 1;
                if (incSearchText_.size() >= 2 && IsLeadByte(static_cast<unsigned char>(incSearchText_.end()[-2])))
                    cut = 2;
                incSearchText_.erase(incSearchText_.size() - cut);
            }
            InvalidateRow(Row());
            RestartSearchTimer();
        } else if (shortCut == s.IncSearchNextKey) {
            IncrementalSearch("", incSearchTimeOut_, 1);
        } else if (shortCut == s.IncSearchPriorKey) {
            IncrementalSearch("", incSearchTimeOut_, 2);
        }
    }

    if (Shift & ssCtrl) {
        bool moveKey = Key == VK_PRIOR || Key == VK_NEXT || Key == VK_END || Key == VK_HOME || Key == VK_UP ||
                       Key == VK_DOWN;
        if (moveKey && !(Shift & ssShift)) ClearSelection();
        KeyDownWithCtrl(Key, Shift);
    } else {
        KeyDownPlain(Key, Shift);
    }

    if (Key == VK_DELETE && !(Shift & ssCtrl) && !dbOptions_.Contains(dgRowSelect) && SelectedIndex() >= 0) {
        TColumnGx* column = columns_->Items(SelectedIndex());
        TField* field = column->Field();
        if (CheckedOrImageColumn(column) && field && !field->ReadOnly() && column->CanModify(true))
            column->UpdateDataValues("", Null(), false);
    }
}

void TCustomDBGridGx::KeyUp(WORD& Key, TShiftState Shift) {
    if (sortChangePending_ && Key == VK_CONTROL) {
        sortChangePending_ = false;
        SortMarkingChanged();
    }
    TCustomGrid::KeyUp(Key, Shift);
}

bool TCustomDBGridGx::SearchEligible() {
    if (incSearching_) return true;
    if (optionsGx_.Contains(dghIncSearch)) {
        int index = SelectedIndex();
        bool typing = index >= 0 && columns_->Items(index)->CanModify(false) && dbOptions_.Contains(dgEditing);
        if (!typing) return true;
    }
    return optionsGx_.Contains(dghPreferIncSearch) && !dbOptions_.Contains(dgAlwaysShowEditor) &&
           !(InplaceEditor() && InplaceEditor()->Visible());
}

bool TCustomDBGridGx::DataSetBrowsing() {
    if (!dataLink_->Active()) return false;
    TDataSetState state = dataLink_->DataSet()->State();
    return state != dsEdit && state != dsInsert && state != dsSetKey;
}

void TCustomDBGridGx::KeyPress(char& Key) {
    if (optionsGx_.Contains(dghEnterAsTab) && Key == '\r') Key = '\t';
    if (!dbOptions_.Contains(dgAlwaysShowEditor) && Key == '\r') dataLink_->NotifyUpdateData();
    TCustomGrid::KeyPress(Key);
    if (Key == 0 || !SearchEligible()) return;
    if (static_cast<unsigned char>(Key) >= 32 && DataSetBrowsing()) {
        AnsiString text = charText_.empty() ? AnsiString(1, Key) : charText_;
        IncrementalSearch(text, incSearching_ ? incSearchTimeOut_ : DBGridGxSettings().IncSearchTimeOut, 0);
        Key = 0;
    }
}

void TCustomDBGridGx::WMChar(TMessage& Message) {
    unsigned char ch = static_cast<unsigned char>(Message.WParam);
    charText_ = AnsiString(1, static_cast<char>(ch));
    auto clearText = MakeScopeGuard([this] { charText_.clear(); });
    if (FilterEditorAllowed() && filterEditor_ && (ch == 8 || ch >= 32)) {
        filterEditor_->Show();
        PostMessage(filterEditor_->Handle(), WM_CHAR, Message.WParam, Message.LParam);
        return;
    }
    int index = SelectedIndex();
    if (index >= 0 && ch == ' ' && !dbOptions_.Contains(dgRowSelect) && CheckedOrImageColumn(columns_->Items(index))) {
        char key = ' ';
        if (OnKeyPress) OnKeyPress(this, key);
        if (key == ' ') columns_->Items(index)->SetNextFieldValue((GetKeyState(VK_SHIFT) & 0x8000) ? -1 : 1);
        return;
    }
    if (SearchEligible() && (ch >= 32 || ch == 8) && DataSetBrowsing()) {
        // KeyPress raises OnKeyPress itself, once, before the search takes the key.
        char key = static_cast<char>(ch);
        KeyPress(key);
        return;
    }
    if (TreeViewActive() && (ch == '*' || ch == '+' || ch == '-')) {
        // The node keys: no editor opens for them.
        char key = static_cast<char>(ch);
        if (OnKeyPress) OnKeyPress(this, key);
        return;
    }
    TCustomGrid::WMChar(Message);
}

// ---------------------------------------------------------------------------
// Moving

void TCustomDBGridGx::NextRow(bool Select) {
    TDataSet* ds = dataLink_->DataSet();
    if (ds->State() == dsInsert && !ds->Modified() && !dataLink_->IsModified()) {
        if (InsertingAtEnd()) return;
        ds->Cancel();
        return;
    }
    bool rowOnly = !allowedSelections_.Contains(gstRectangle);
    if (Select) DoSelection(true, 1, false, rowOnly);
    else DoSelection(false, 1, false, true);
    if (ds->Eof() && ds->CanModify() && !readOnly_ && dbOptions_.Contains(dgEditing) &&
        allowedOperations_.Contains(alopAppendGx))
        ds->Append();
}

void TCustomDBGridGx::PriorRow(bool Select) {
    TDataSet* ds = dataLink_->DataSet();
    if (ds->State() == dsInsert && !ds->Modified() && InsertingAtEnd() && !dataLink_->IsModified()) {
        ds->Cancel();
        return;
    }
    bool rowOnly = !allowedSelections_.Contains(gstRectangle);
    if (Select) DoSelection(true, -1, false, rowOnly);
    else DoSelection(false, -1, false, true);
}

bool TCustomDBGridGx::InsertingAtEnd() {
    // A record being appended sits in the last row of the window, with no record after it.
    return dataLink_->DataSet()->State() == dsInsert && dataLink_->ActiveRecord() == dataLink_->RecordCount() - 1;
}

void TCustomDBGridGx::Tab(bool GoForward) {
    ClearSelection();
    BeginUpdate();
    auto unlock = MakeScopeGuard([this] { EndUpdate(); });
    int start = Col();
    int c = start;
    for (int guard = 0; guard < 2 * ColCount() + 2; ++guard) {
        c += GoForward ? 1 : -1;
        if (c >= ColCount()) {
            NextRow(false);
            c = indicatorOffset_;
        } else if (c < indicatorOffset_) {
            PriorRow(false);
            c = ColCount() - 1;
        }
        if (c == start) return;
        if (TabStops(c)) {
            MoveCol(c, 0, false);
            return;
        }
    }
}

void TCustomDBGridGx::MoveCol(int RawCol, int Direction, bool Select) {
    bool selectRect = Select && !dbOptions_.Contains(dgRowSelect) && CanSelectType(gstRectangle) &&
                      dataLink_->Active();
    if (selectRect && selection_->SelectionType() != gstRectangle)
        selection_->Rect()->Select(SelectedIndex(), CurrentBookmark(), false);
    dataLink_->NotifyUpdateData();
    if (ColCount() <= indicatorOffset_) return;
    RawCol = std::clamp(RawCol, indicatorOffset_, ColCount() - 1);
    if (Direction != 0) {
        while (RawCol >= indicatorOffset_ && RawCol < ColCount() && ColWidths(RawCol) <= 0) RawCol += Direction;
        if (RawCol < indicatorOffset_ || RawCol >= ColCount()) return;
    }
    if (RawCol != Col()) {
        if (!inColExit_) {
            inColExit_ = true;
            int before = Col();
            {
                auto reset = MakeScopeGuard([this] { inColExit_ = false; });
                ColExit();
            }
            if (Col() != before) return;
        }
        if (!dbOptions_.Contains(dgAlwaysShowEditor)) HideEditor();
        if (!dbOptions_.Contains(dgRowSelect)) {
            if (RawCol < FixedCols()) MoveColRow(RawCol, Row(), true, false);
            else FocusCell(RawCol, Row(), true);
        }
        if (dbOptions_.Contains(dgAlwaysShowEditor)) {
            int data = RawToDataColumn(RawCol);
            bool special = data >= 0 && data < columns_->Count() && CheckedOrImageColumn(columns_->Items(data));
            if (!special && !filterEditing_) ShowEditor();
        }
        ColEnter();
    }
    if (selectRect) selection_->Rect()->Select(SelectedIndex(), CurrentBookmark(), true);
    StopIncrementalSearch();
}

// ---------------------------------------------------------------------------
// Incremental search

void TCustomDBGridGx::RestartSearchTimer() {
    if (!HandleAllocated()) return;
    KillTimer(Handle(), kSearchTimerId);
    searchTimerRunning_ = false;
    if (incSearchTimeOut_ < 0) return;
    SetTimer(Handle(), kSearchTimerId, static_cast<UINT>(incSearchTimeOut_));
    searchTimerRunning_ = true;
}

bool TCustomDBGridGx::SearchMatches(const AnsiString& Text, AnsiString& Match) {
    int index = SelectedIndex();
    if (index < 0) return false;
    AnsiString display = columns_->Items(index)->GetDisplayText();
    AnsiString cut = display.substr(0, Text.size());
    if (AnsiUpperCaseGx(cut) != AnsiUpperCaseGx(Text)) return false;
    Match = cut;
    return true;
}

void TCustomDBGridGx::IncrementalSearch(const AnsiString& Text, int TimeOut, int Kind) {
    if (!dataLink_->Active()) return;
    AnsiString wanted = incSearchText_ + Text;
    bool found = false;
    if (!wanted.empty()) {
        AnsiString match;
        if (Kind == 0 && SearchMatches(wanted, match)) {
            found = true;
            wanted = match;
        } else {
            TDataSet* ds = dataLink_->DataSet();
            ds->DisableControls();
            {
                // The re-enabled controls' UpdateActive must not end the search.
                auto enable = MakeScopeGuard([&] {
                    insideSearchPositioning_ = true;
                    auto reset = MakeScopeGuard([this] { insideSearchPositioning_ = false; });
                    ds->EnableControls();
                });
                SaveBookmark();
                if (Kind == 1) ds->Next();
                else if (Kind == 2) ds->Prior();
                else ds->First();
                while (Kind == 2 ? !ds->Bof() : !ds->Eof()) {
                    if (SearchMatches(wanted, match)) {
                        found = true;
                        wanted = match;
                        break;
                    }
                    if (Kind == 2) ds->Prior();
                    else ds->Next();
                }
                // Bof/Eof is set one step after the last record: it may still match.
                if (!found && SearchMatches(wanted, match)) {
                    found = true;
                    wanted = match;
                }
                if (!found) RestoreBookmark();
            }
        }
    }
    HideEditor();
    incSearching_ = true;
    if (found) incSearchText_ = wanted;
    InvalidateRow(Row());
    incSearchTimeOut_ = TimeOut;
    RestartSearchTimer();
}

void TCustomDBGridGx::StopIncrementalSearch() {
    if (HandleAllocated() && searchTimerRunning_) KillTimer(Handle(), kSearchTimerId);
    searchTimerRunning_ = false;
    bool was = incSearching_;
    incSearching_ = false;
    incSearchText_.clear();
    if (was) InvalidateRow(Row());
    if (dbOptions_.Contains(dgAlwaysShowEditor) && EditorAlwaysShown()) ShowEditor();
}

void TCustomDBGridGx::CopyPriorValue() {
    if (!dataLink_->Active() || dataLink_->ActiveRecord() < 1 || SelectedIndex() < 0) return;
    TColumnGx* column = columns_->Items(SelectedIndex());
    if (!column->CanModify(false)) return;
    TField* field = column->Field();
    if (!field) return;
    TDataSet* ds = dataLink_->DataSet();
    bool lookup = field->Lookup() && !field->KeyFields().empty();
    Variant value;
    {
        int saved = dataLink_->ActiveRecord();
        auto back = MakeScopeGuard([&] { dataLink_->SetActiveRecord(saved); });
        dataLink_->SetActiveRecord(saved - 1);
        value = lookup ? ds->FieldValues(field->KeyFields()) : field->Value();
    }
    ClearSelection();
    if (!column->CanModify(true)) return;
    if (lookup) ds->SetFieldValues(field->KeyFields(), value);
    else field->SetValue(value);
    ShowEditor();
    if (InplaceEditor()) InplaceEditor()->SelectAll();
}
