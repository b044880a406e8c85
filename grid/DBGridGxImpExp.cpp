// The walks that writers and readers share: which records and columns a
// selection covers, the footer sums gathered on the way, the insert and
// append loops of a paste; and the clipboard operations over them.
#include "grid/DBGridGxImpExp.h"

#include <cmath>

#include "grid/GxLibVCL.h"
#include "platform/classes/ProgramFolder.h"
#include "platform/gui/Services.h"
#include "platform/rtl/ScopeGuard.h"

namespace {

// The visible columns among Columns[From..To].
void VisibleColumnsBetween(TCustomDBGridGx* Grid, int From, int To, TColumnsGxList& List) {
    TDBGridColumnsGx* columns = Grid->Columns();
    for (int i = std::max(0, From); i <= To && i < columns->Count(); ++i)
        if (columns->Items(i)->Visible()) List.Add(columns->Items(i));
}

void CopyColumns(TColumnsGxList* From, TColumnsGxList& To) {
    for (int i = 0; i < From->Count(); ++i) To.Add(From->Items(i));
}

// The columns a selection kind covers.
void SelectionColumns(TCustomDBGridGx* Grid, TDBGridGxSelectionType Kind, TColumnsGxList& List) {
    switch (Kind) {
        case gstRectangle: {
            TDBGridGxSelectionRect* rect = Grid->Selection()->Rect();
            VisibleColumnsBetween(Grid, rect->LeftCol(), rect->RightCol(), List);
            break;
        }
        case gstColumns: CopyColumns(Grid->Selection()->Columns(), List); break;
        default: CopyColumns(Grid->VisibleColumns(), List); break;
    }
}

bool IsRectangleEnd(TDataSet* DataSet, const TBookmarkStr& BottomRow) {
    return DataSet->CompareBookmarks(DataSet->Bookmark(), BottomRow) == 0;
}

// Visits the records a selection kind covers, in order: the selected rows,
// the rectangle's rows from its top to its bottom, or every record from the
// first. GoOn is asked before each record.
template <class Visit, class GoOn>
void ForEachSelectedRecord(TCustomDBGridGx* Grid, TDBGridGxSelectionType Kind, TDataSet* DataSet, Visit VisitRecord,
                           GoOn GoingOn) {
    switch (Kind) {
        case gstRecordBookmarks: {
            TBookmarkListGx* rows = Grid->SelectedRows();
            for (int i = 0; i < rows->Count() && GoingOn(); ++i) {
                DataSet->GotoBookmark(rows->Items(i));
                VisitRecord();
            }
            break;
        }
        case gstRectangle: {
            TDBGridGxSelectionRect* rect = Grid->Selection()->Rect();
            const TBookmarkStr bottom = rect->BottomRow();
            DataSet->GotoBookmark(rect->TopRow());
            while (!DataSet->Eof() && GoingOn()) {
                VisitRecord();
                if (IsRectangleEnd(DataSet, bottom)) break;
                DataSet->Next();
            }
            break;
        }
        default:
            DataSet->First();
            while (!DataSet->Eof() && GoingOn()) {
                VisitRecord();
                DataSet->Next();
            }
            break;
    }
}

template <class Visit>
void ForEachSelectedRecord(TCustomDBGridGx* Grid, TDBGridGxSelectionType Kind, TDataSet* DataSet, Visit VisitRecord) {
    ForEachSelectedRecord(Grid, Kind, DataSet, VisitRecord, [] { return true; });
}

// The field a paste or a clear writes for Column, with the data set put into
// edit; nullptr when the column or the data set cannot be changed.
TField* EditableValueField(TColumnGx* Column, TDataSet* DataSet) {
    if (!Column || !Column->CanModify(false)) return nullptr;
    TField* field = ColumnValueField(Column, DataSet);
    if (!field || !DataSet->CanModify()) return nullptr;
    DataSet->Edit();
    return DataSet->State() == dsEdit || DataSet->State() == dsInsert ? field : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------
// Writers

TDBGridGxExport::TDBGridGxExport() : ColCellParams(new TColCellParamsGx()) {}

TDBGridGxExport::~TDBGridGxExport() { delete ColCellParams; }

void TDBGridGxExport::Write(const AnsiString& Text) {
    if (!Text.empty()) Stream->WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
}

bool TDBGridGxExport::NothingToExport(bool IsExportAll) {
    return !DBGrid || !DBGrid->DataLinkActive() || (!IsExportAll && DBGrid->Selection()->SelectionType() == gstNon);
}

void TDBGridGxExport::ExportToStream(TStream* AStream, bool IsExportAll) {
    Stream = AStream;
    if (NothingToExport(IsExportAll)) return;
    const TDBGridGxSelectionType kind = IsExportAll ? gstAll : DBGrid->Selection()->SelectionType();
    TDataSet* ds = DBGrid->DataLink()->DataSet();
    TColumnsGxList columns;
    {
        TControlsDisabled<TDataSet> disabled(ds);
        DBGrid->SaveBookmark();
        auto restore = MakeScopeGuard([this] { DBGrid->RestoreBookmark(); });
        SelectionColumns(DBGrid, kind, columns);
        ExpCols = &columns;
        const int footerRows = std::max(0, DBGrid->FooterRowCount());
        FooterValues.assign(static_cast<size_t>(footerRows * columns.Count()), 0);
        WritePrefix();
        if (DBGrid->Options().Contains(dgTitles)) WriteTitle(ExpCols);
        WriteRecords(kind, ds);
        for (int footerNo = 0; footerNo < footerRows; ++footerNo) WriteFooter(ExpCols, footerNo);
    }
    WriteSuffix();
    ExpCols = nullptr;
}

void TDBGridGxExport::WriteRecords(TDBGridGxSelectionType Kind, TDataSet* DataSet) {
    ForEachSelectedRecord(DBGrid, Kind, DataSet, [&] {
        AccumulateFooters();
        WriteRecord(ExpCols);
    });
}

void TDBGridGxExport::AccumulateFooters() {
    TDataSet* ds = DBGrid->DataLink()->DataSet();
    const int count = ExpCols->Count();
    const int footerRows = static_cast<int>(FooterValues.size()) / std::max(1, count);
    for (int row = 0; row < footerRows; ++row) {
        for (int i = 0; i < count; ++i) {
            TColumnGx* column = ExpCols->Items(i);
            TColumnFooterGx* footer = column->UsedFooter(row);
            if (!footer) continue;
            TField* field = ds->FindField(footer->SumFieldName());
            if (!field) continue;
            int64_t& entry = FooterValues[static_cast<size_t>(i + row * count)];
            if (footer->ValueType() == fvtSum && !field->IsNull())
                entry += std::llround(field->AsFloat() * 10000.0);
            else if (footer->ValueType() == fvtCount)
                entry += 10000;
        }
    }
}

void TDBGridGxExport::DataCellParams(TColumnGx* Column, TFont& Font, TColCellParamsGx* Params) {
    Params->Row = -1;
    Params->Col = -1;
    Params->State = TGridDrawState();
    Params->Font = &Font;
    Params->Alignment = Column->Alignment();
    Params->ImageIndex = Column->GetImageIndex();
    Params->CheckboxState = Column->GetCheckboxState();
    Params->Text = Column->GetDisplayText();
    CellEventParams(Column, Font, Params->Background);
    const TColor background = Params->Background;
    Column->GetColCellParams(false, Params);
    Params->Background = background;
}

void TDBGridGxExport::WriteRecord(TColumnsGxList* ColumnsList) {
    for (int i = 0; i < ColumnsList->Count(); ++i) {
        TColumnGx* column = ColumnsList->Items(i);
        TFont font;
        TColCellParamsGx* p = ColCellParams;
        DataCellParams(column, font, p);
        WriteDataCell(column, p);
        p->Font = nullptr;
    }
}

void TDBGridGxExport::CellEventParams(TColumnGx* Column, TFont& Font, TColor& Background) {
    Font.Assign(Column->Font());
    Background = Column->Color();
    if (DBGrid->OnGetCellParams) DBGrid->OnGetCellParams(DBGrid, Column, &Font, Background, TGridDrawState());
}

AnsiString TDBGridGxExport::FooterText(TColumnGx* Column, int ColumnPos, int FooterNo) {
    TColumnFooterGx* footer = Column->UsedFooter(FooterNo);
    if (!footer) return AnsiString();
    const int64_t value = FooterValues[static_cast<size_t>(ColumnPos + FooterNo * ExpCols->Count())];
    if (footer->ValueType() == fvtCount) {
        const double count = static_cast<double>(value) / 10000.0;
        return footer->DisplayFormat().empty() ? FloatToStr(count) : FormatFloat(footer->DisplayFormat(), count);
    }
    if (footer->ValueType() == fvtSum) {
        TField* field = DBGrid->DataLink()->DataSet()->FindField(footer->SumFieldName());
        if (!field) return "0";
        return FooterAggregateTextGx(footer, field, Currency::FromScaled(value));
    }
    return DBGrid->GetFooterValue(FooterNo, Column);
}

void TDBGridGxExport::FooterCellParams(TColumnGx* Column, int ColumnPos, int FooterNo, TFooterCell& Cell) {
    TColumnFooterGx* footer = Column->UsedFooter(FooterNo);
    Cell.Font.Assign(footer ? footer->Font() : DBGrid->FooterFont());
    Cell.Background = footer ? footer->Color() : DBGrid->FooterColor();
    Cell.Alignment = footer ? footer->Alignment() : taLeftJustify;
    Cell.Text = FooterText(Column, ColumnPos, FooterNo);
    if (DBGrid->OnGetFooterParams)
        DBGrid->OnGetFooterParams(DBGrid, Column->Index(), FooterNo, Column, &Cell.Font, Cell.Background,
                                  Cell.Alignment, TGridDrawState(), Cell.Text);
}

void TDBGridGxExport::WriteFooter(TColumnsGxList* ColumnsList, int FooterNo) {
    for (int i = 0; i < ColumnsList->Count(); ++i) {
        TColumnGx* column = ColumnsList->Items(i);
        TFooterCell cell;
        FooterCellParams(column, i, FooterNo, cell);
        WriteFooterCell(i, FooterNo, column, &cell.Font, cell.Background, cell.Alignment, cell.Text);
    }
}

void TDBGridGxExport::ExportToFile(const AnsiString& FileName, bool IsExportAll) {
    TStringStream bytes;
    ExportToStream(&bytes, IsExportAll);
    WriteFileAtomically(FileName, bytes.DataString());
}

// ---------------------------------------------------------------------------
// Readers

void TDBGridGxImport::ReadRecord(TColumnsGxList* ColumnsList) {
    for (int i = 0; i < ColumnsList->Count(); ++i) ReadDataCell(ColumnsList->Items(i));
}

TField* TDBGridGxImport::EditTarget(TColumnGx* Column) {
    return EditableValueField(Column, DBGrid->DataLink()->DataSet());
}

void TDBGridGxImport::InsertRecords(bool AppendMode) {
    TDataSet* ds = DBGrid->DataLink()->DataSet();
    while (!Eof) {
        const int64_t before = Stream->Position();
        if (AppendMode) ds->Append();
        else ds->Insert();
        ReadRecord(ImpCols);
        if (Stream->Position() == before) {
            // Input that gives no record would append empty ones for ever.
            ds->Cancel();
            break;
        }
        ds->Post();
        if (!AppendMode) ds->Next();
    }
}

void TDBGridGxImport::ImportFromStream(TStream* AStream, bool IsImportAll) {
    Stream = AStream;
    Eof = false;
    if (!DBGrid || !DBGrid->DataLinkActive()) return;
    TDataSet* ds = DBGrid->DataLink()->DataSet();
    if (IsImportAll) {
        DBGrid->Selection()->Clear();
        ds->First();
        TColumnsGxList* visible = DBGrid->VisibleColumns();
        if (visible->Count() > 0) DBGrid->SetSelectedIndex(visible->Items(0)->Index());
    }
    bool appendMode = ds->Eof();
    bool insertMode = ds->State() == dsInsert;
    if (!insertMode) DBGrid->SaveBookmark();
    TColumnsGxList columns;
    ImpCols = &columns;
    {
        TControlsDisabled<TDataSet> disabled(ds);
        auto restore = MakeScopeGuard([&] {
            if (!insertMode) DBGrid->RestoreBookmark();
        });
        const TDBGridGxSelectionType kind = DBGrid->Selection()->SelectionType();
        if (kind == gstNon) {
            const int selected = DBGrid->SelectedIndex();
            VisibleColumnsBetween(DBGrid, selected, DBGrid->Columns()->Count() - 1, columns);
        } else {
            SelectionColumns(DBGrid, kind, columns);
        }
        ReadPrefix();
        if (insertMode) {
            InsertRecords(appendMode);
        } else {
            switch (kind) {
                case gstRecordBookmarks:
                case gstRectangle:
                case gstColumns:
                case gstAll:
                    ForEachSelectedRecord(DBGrid, kind, ds, [this] { ReadRecord(ImpCols); }, [this] { return !Eof; });
                    break;
                case gstNon:
                    DBGrid->RestoreBookmark();
                    while (!ds->Eof() && !Eof) {
                        ReadRecord(ImpCols);
                        ds->Next();
                    }
                    if (DBGrid->AllowedOperations().Contains(alopAppendGx)) {
                        insertMode = true;
                        appendMode = true;
                        InsertRecords(true);
                    }
                    break;
            }
        }
    }
    ReadSuffix();
    ImpCols = nullptr;
}

void TDBGridGxImport::ImportFromFile(const AnsiString& FileName, bool IsImportAll) {
    TFileStream file(FileName, fmOpenRead | fmShareDenyWrite);
    ImportFromStream(&file, IsImportAll);
}

// ---------------------------------------------------------------------------
// Routines

TField* ColumnValueField(TColumnGx* Column, TDataSet* DataSet) {
    TField* field = Column->Field();
    if (field && field->Lookup()) return field->KeyFields().empty() ? nullptr : DataSet->FindField(field->KeyFields());
    return field;
}

void WriteGridToExportStream(TDBGridGxExportClass ExportClass, TCustomDBGridGx* Grid, TStream* Stream,
                             bool IsExportAll) {
    std::unique_ptr<TDBGridGxExport> exporter = ExportClass();
    exporter->DBGrid = Grid;
    exporter->ExportToStream(Stream, IsExportAll);
}

void ReadGridFromImportStream(TDBGridGxImportClass ImportClass, TCustomDBGridGx* Grid, TStream* Stream,
                              bool IsImportAll) {
    std::unique_ptr<TDBGridGxImport> importer = ImportClass();
    importer->DBGrid = Grid;
    importer->ImportFromStream(Stream, IsImportAll);
}

namespace {

struct TGridFormats {
    TClipboardFormat Binary, Csv, Rtf;
};

const TGridFormats& GridFormats() {
    static const TGridFormats formats = [] {
        TGridFormats f;
        f.Binary = RegisterClipboardFormat("VCLDBIF");
        f.Csv = RegisterClipboardFormat("Csv");
        f.Rtf = RegisterClipboardFormat("Rich Text Format");
        return f;
    }();
    return formats;
}

TDataSet* GridDataSet(TCustomDBGridGx* Grid) {
    TDataSource* source = Grid->DataSource();
    return source ? source->DataSet() : nullptr;
}

void PutExportOnClipboard(TDBGridGxExportClass ExportClass, TCustomDBGridGx* Grid, bool IsWholeGrid,
                          TClipboardFormat Format, bool ZeroEnded, TMemoryStreamGx& Stream) {
    Stream.Clear();
    WriteGridToExportStream(ExportClass, Grid, &Stream, IsWholeGrid);
    if (ZeroEnded) {
        const char zero = 0;
        Stream.WriteBuffer(&zero, 1);
    }
    if (Format == CF_TEXT) PutUnicodeTextOnClipboard(&Stream);
    else PutStreamOnClipboard(Format, &Stream);
}

bool ConfirmGridDelete(TCustomDBGridGx* Grid, TDBGridGxSelectionType Kind) {
    if (!Grid->Options().Contains(dgConfirmDelete)) return true;
    AnsiString question;
    switch (Kind) {
        case gstRecordBookmarks:
            question = Grid->SelectedRows()->Count() >= 2 ? "Delete all selected records?" : "Delete record?";
            break;
        case gstRectangle: question = SClearSelectedCellsGx(); break;
        // Every record goes: as grave as deleting selected ones.
        case gstAll: question = "Delete all selected records?"; break;
        default: return true;
    }
    return MessageDlg(question, mtConfirmation, MsgDlgButtons({mbOK, mbCancel})) != mrCancel;
}

void ClearRecordColumns(TDataSet* DataSet, TColumnsGxList& Columns) {
    for (int i = 0; i < Columns.Count(); ++i)
        if (TField* field = EditableValueField(Columns.Items(i), DataSet)) field->Clear();
}

}  // namespace

void PutStreamOnClipboard(TClipboardFormat Format, TMemoryStream* Stream) {
    Clipboard()->SetBuffer(Format, Stream->Memory(), static_cast<size_t>(Stream->Size()));
}

void GetStreamFromClipboard(TClipboardFormat Format, TStream* Stream) {
    std::string block;
    if (!Clipboard()->HasFormat(Format) || !Clipboard()->GetBuffer(Format, block)) return;
    Stream->Seek(0, soEnd);
    Stream->WriteBuffer(block.data(), static_cast<int64_t>(block.size()));
}

void PutUnicodeTextOnClipboard(TMemoryStream* Stream) {
    // The platform's plain text is the system's Unicode text, converted from the code page.
    Clipboard()->SetBuffer(CF_TEXT, Stream->Memory(), static_cast<size_t>(Stream->Size()));
}

TClipboardFormat CF_VCLDBIF() { return GridFormats().Binary; }
TClipboardFormat CF_CSV() { return GridFormats().Csv; }
TClipboardFormat CF_RTF() { return GridFormats().Rtf; }

void GridCopyToClipboard(TCustomDBGridGx* Grid, bool IsWholeGrid) {
    const TGridFormats& formats = GridFormats();
    TClipboard* clipboard = Clipboard();
    clipboard->Open();
    auto close = MakeScopeGuard([clipboard] { clipboard->Close(); });
    TDataSet* ds = GridDataSet(Grid);
    std::unique_ptr<TControlsDisabled<TDataSet>> disabled;
    if (ds) disabled = std::make_unique<TControlsDisabled<TDataSet>>(ds);
    TMemoryStreamGx stream;
    stream.SetCapacityStep(65536);
    PutExportOnClipboard(ExportClassOf<TDBGridGxExportAsText>(), Grid, IsWholeGrid, CF_TEXT, true, stream);
    PutExportOnClipboard(ExportClassOf<TDBGridGxExportAsCSV>(), Grid, IsWholeGrid, formats.Csv, true, stream);
    PutExportOnClipboard(ExportClassOf<TDBGridGxExportAsRTF>(), Grid, IsWholeGrid, formats.Rtf, true, stream);
    PutExportOnClipboard(ExportClassOf<TDBGridGxExportAsVCLDBIF>(), Grid, IsWholeGrid, formats.Binary, false,
                         stream);
}

void GridPasteFromClipboard(TCustomDBGridGx* Grid, bool IsWholeGrid) {
    const TGridFormats& formats = GridFormats();
    TClipboard* clipboard = Clipboard();
    clipboard->Open();
    auto close = MakeScopeGuard([clipboard] { clipboard->Close(); });
    TDBGridGxImportClass reader = nullptr;
    TMemoryStream stream;
    GetStreamFromClipboard(formats.Binary, &stream);
    if (stream.Size() > 0) {
        reader = ImportClassOf<TDBGridGxImportAsVCLDBIF>();
    } else if (clipboard->HasFormat(CF_TEXT)) {
        GetStreamFromClipboard(CF_TEXT, &stream);
        reader = ImportClassOf<TDBGridGxImportAsText>();
    }
    if (!reader) return;
    stream.SetPosition(0);
    ReadGridFromImportStream(reader, Grid, &stream, IsWholeGrid);
}

void GridCutToClipboard(TCustomDBGridGx* Grid, bool IsWholeGrid) {
    GridCopyToClipboard(Grid, IsWholeGrid);
    GridDeleteSelection(Grid, IsWholeGrid);
}

void GridDeleteSelection(TCustomDBGridGx* Grid, bool IsWholeGrid) {
    TDataSet* ds = GridDataSet(Grid);
    if (!ds || !Grid->DataLinkActive()) return;
    const TDBGridGxSelectionType kind = IsWholeGrid ? gstAll : Grid->Selection()->SelectionType();
    if (kind == gstNon || !ConfirmGridDelete(Grid, kind)) return;
    Grid->SaveBookmark();
    TControlsDisabled<TDataSet> disabled(ds);
    switch (kind) {
        case gstRecordBookmarks: {
            // Copied first: the list follows the data set's deletes.
            std::vector<TBookmarkStr> rows;
            for (int i = 0; i < Grid->SelectedRows()->Count(); ++i) rows.push_back(Grid->SelectedRows()->Items(i));
            for (const TBookmarkStr& row : rows) {
                if (!ds->BookmarkValid(row)) continue;
                ds->GotoBookmark(row);
                ds->Delete();
            }
            Grid->Selection()->Clear();
            break;
        }
        case gstRectangle:
        case gstColumns: {
            auto restore = MakeScopeGuard([Grid] { Grid->RestoreBookmark(); });
            TColumnsGxList columns;
            SelectionColumns(Grid, kind, columns);
            ForEachSelectedRecord(Grid, kind, ds, [&] { ClearRecordColumns(ds, columns); });
            break;
        }
        case gstAll:
            ds->First();
            while (!ds->Eof() && !ds->IsEmpty()) {
                const int before = ds->RecordCount();
                ds->Delete();
                if (ds->RecordCount() >= before) break;
            }
            break;
        default: break;
    }
}

void RegisterGridClipboardRoutines() {
    GridFormats();
    TDBGridGxClipboardHooks hooks;
    hooks.Copy = GridCopyToClipboard;
    hooks.Cut = GridCutToClipboard;
    hooks.Paste = GridPasteFromClipboard;
    hooks.DeleteSelection = GridDeleteSelection;
    SetDBGridGxClipboardHooks(hooks);
}
