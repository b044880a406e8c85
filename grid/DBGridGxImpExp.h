#pragma once
// A grid's selection written out and read back: writers of the selected cells
// as tab-separated text, CSV, an RTF table and the grid's binary interchange
// format ("VCLDBIF"), readers of text and of the binary format into the grid's
// data set, and the clipboard operations built on them. A copy places every
// format in one clipboard change; a paste prefers the binary format.
//
// Both readers read outside input. The binary reader checks the whole block
// (every tag, length and the column count) before any record changes; the
// text reader ends at the first zero byte or at the end of the block. Record
// loops stop when a record consumed no input.
//
// Every walk over the data set runs with its controls disabled and puts the
// grid back on its record on every path, errors included.
#include <cstdint>
#include <memory>
#include <vector>

#include "grid/DBGridGx.h"
#include "platform/classes/Streams.h"
#include "platform/gui/Clipboard.h"

// ---------------------------------------------------------------------------
// Writers

class TDBGridGxExport : public TObject {
public:
    TDBGridGxExport();
    ~TDBGridGxExport() override;
    const char* ClassName() const override { return "TDBGridGxExport"; }

    // Writes the selection (or every record and visible column) to Stream;
    // with nothing selected writes nothing.
    virtual void ExportToStream(TStream* AStream, bool IsExportAll);
    // The same into a file, written whole beside it and renamed over it.
    void ExportToFile(const AnsiString& FileName, bool IsExportAll);

    TColCellParamsGx* ColCellParams = nullptr;  // owned
    TCustomDBGridGx* DBGrid = nullptr;
    TColumnsGxList* ExpCols = nullptr;
    TStream* Stream = nullptr;
    // Sums and counts of the fvtSum and fvtCount footers, scaled by 10000: the
    // entry of exported column i and footer row r is i + r * ExpCols->Count().
    std::vector<int64_t> FooterValues;

protected:
    virtual void WritePrefix() {}
    virtual void WriteSuffix() {}
    virtual void WriteTitle(TColumnsGxList* ColumnsList) { (void)ColumnsList; }
    // One data cell per column, after the cell-parameter events.
    virtual void WriteRecord(TColumnsGxList* ColumnsList);
    virtual void WriteDataCell(TColumnGx* Column, TColCellParamsGx* Params) {
        (void)Column;
        (void)Params;
    }
    // One footer cell per column, after the footer-parameter event.
    virtual void WriteFooter(TColumnsGxList* ColumnsList, int FooterNo);
    virtual void WriteFooterCell(int DataCol, int Row, TColumnGx* Column, TFont* AFont, TColor Background,
                                 TAlignment Alignment, const AnsiString& Text) {
        (void)DataCol, (void)Row, (void)Column, (void)AFont, (void)Background, (void)Alignment, (void)Text;
    }

    void Write(const AnsiString& Text);
    // No data, or nothing selected when not all is asked for: nothing at all
    // is written, not even a prefix.
    bool NothingToExport(bool IsExportAll);
    // A data cell's font (a copy of the column's) and background (the
    // column's colour), after the grid's cell-parameter event.
    void CellEventParams(TColumnGx* Column, TFont& Font, TColor& Background);
    // A data cell as written: the cell-parameter event's font and background,
    // then the column's own step for the text and the rest (the background
    // stays the event's). Params->Font must point at Font.
    void DataCellParams(TColumnGx* Column, TFont& Font, TColCellParamsGx* Params);
    // A footer cell as written: the footer's font, colour and alignment (the
    // grid's footer font and colour where the column has no footer) and its
    // text, after the grid's footer-parameter event.
    struct TFooterCell {
        TFont Font;
        TColor Background = clWindow;
        TAlignment Alignment = taLeftJustify;
        AnsiString Text;
    };
    void FooterCellParams(TColumnGx* Column, int ColumnPos, int FooterNo, TFooterCell& Cell);

private:
    // The text of a footer cell: the accumulated sum or count, else the grid's own footer text.
    AnsiString FooterText(TColumnGx* Column, int ColumnPos, int FooterNo);
    void AccumulateFooters();
    void WriteRecords(TDBGridGxSelectionType Kind, TDataSet* DataSet);
};

class TDBGridGxExportAsText : public TDBGridGxExport {
public:
    const char* ClassName() const override { return "TDBGridGxExportAsText"; }
    void ExportToStream(TStream* AStream, bool IsExportAll) override;

    bool FirstRec = true;   // no line written yet
    bool FirstCell = true;  // no cell written yet in this line

protected:
    void WriteTitle(TColumnsGxList* ColumnsList) override;
    void WriteRecord(TColumnsGxList* ColumnsList) override;
    void WriteDataCell(TColumnGx* Column, TColCellParamsGx* Params) override;
    void WriteFooter(TColumnsGxList* ColumnsList, int FooterNo) override;
    void WriteFooterCell(int DataCol, int Row, TColumnGx* Column, TFont* AFont, TColor Background,
                         TAlignment Alignment, const AnsiString& Text) override;
    void WriteRecordSeparator();
    virtual void WriteCellSeparator();
    // A caption or cell text as it goes between the separators.
    virtual AnsiString CellText(const AnsiString& Text) { return Text; }
};

class TDBGridGxExportAsCSV : public TDBGridGxExportAsText {
public:
    TDBGridGxExportAsCSV();
    const char* ClassName() const override { return "TDBGridGxExportAsCSV"; }
    char Separator;

protected:
    void WriteCellSeparator() override;
    AnsiString CellText(const AnsiString& Text) override;
};

class TDBGridGxExportAsRTF : public TDBGridGxExport {
public:
    const char* ClassName() const override { return "TDBGridGxExportAsRTF"; }
    void ExportToStream(TStream* AStream, bool IsExportAll) override;

protected:
    void WriteSuffix() override;
    void WriteTitle(TColumnsGxList* ColumnsList) override;
    void WriteRecord(TColumnsGxList* ColumnsList) override;
    void WriteDataCell(TColumnGx* Column, TColCellParamsGx* Params) override;
    void WriteFooter(TColumnsGxList* ColumnsList, int FooterNo) override;
    void WriteFooterCell(int DataCol, int Row, TColumnGx* Column, TFont* AFont, TColor Background,
                         TAlignment Alignment, const AnsiString& Text) override;

private:
    struct TBorders {
        bool Left = true, Top = true, Bottom = true, Right = true;
    };
    int ColorIndex(TColor Color);
    int FontIndex(const AnsiString& Name);
    AnsiString CellContent(TFont* AFont, TColor Background, const AnsiString& Text);
    AnsiString CellFrame(const TBorders& Borders, TColor Shading, int RightEdge);
    AnsiString Spacing() const;
    // The right edges of the columns in twips.
    std::vector<int> RightEdges(TColumnsGxList* ColumnsList);
    int PixelsPerInch();
    // False (and nothing written) when the grid has no title tree for the columns.
    bool WriteMultiTitle(TColumnsGxList* ColumnsList);

    std::vector<AnsiString> colorKeys_;
    std::vector<TColor> colors_;
    std::vector<AnsiString> fonts_;
};

// The binary format's cell tags: a tag byte, then the value it announces
// (none for the end, no value and null; 4, 8 or a 32-bit length and that many
// bytes for the others).
enum TVCLDBIFTagGx : uint8_t {
    vdtEnd = 0,
    vdtNoValue = 1,
    vdtNull = 2,
    vdtInteger = 3,
    vdtFloat = 4,
    vdtText = 5,
    vdtBinary = 6
};

class TDBGridGxExportAsVCLDBIF : public TDBGridGxExport {
public:
    const char* ClassName() const override { return "TDBGridGxExportAsVCLDBIF"; }

protected:
    void WritePrefix() override;
    void WriteSuffix() override;
    void WriteDataCell(TColumnGx* Column, TColCellParamsGx* Params) override;
};

// ---------------------------------------------------------------------------
// Readers

class TDBGridGxImport : public TObject {
public:
    const char* ClassName() const override { return "TDBGridGxImport"; }

    // Reads Stream into the selection; with nothing selected into the current
    // record and the ones after it from the current column on, appending the
    // rest when the grid allows appending. IsImportAll starts at the first
    // record and column with the selection cleared.
    virtual void ImportFromStream(TStream* AStream, bool IsImportAll);
    void ImportFromFile(const AnsiString& FileName, bool IsImportAll);

    TCustomDBGridGx* DBGrid = nullptr;
    TStream* Stream = nullptr;
    TColumnsGxList* ImpCols = nullptr;
    bool Eof = false;  // the input data ended

protected:
    virtual void ReadPrefix() {}
    virtual void ReadSuffix() {}
    virtual void ReadRecord(TColumnsGxList* ColumnsList);
    virtual void ReadDataCell(TColumnGx* Column) { (void)Column; }

    // The field a value for Column goes to (the key field of a lookup field),
    // with the data set put into edit; nullptr when the value must be dropped.
    TField* EditTarget(TColumnGx* Column);
    // Runs an assignment; a failure asks whether to ignore it (Yes), stop the
    // paste (No: EAbort) or ignore it and every later one (All).
    template <class F>
    void Guarded(F Assign);
    bool IgnoreAllErrors = false;

private:
    void InsertRecords(bool AppendMode);
};

class TDBGridGxImportAsText : public TDBGridGxImport {
public:
    const char* ClassName() const override { return "TDBGridGxImportAsText"; }
    void ImportFromStream(TStream* AStream, bool IsImportAll) override;

    char Ch = 0;
    // 0 ordinary character, 1 cell end (TAB), 2 line end (CR LF), 3 end of data.
    uint8_t State = 3;
    AnsiString Value;

protected:
    void ReadPrefix() override { CheckState(); }
    void ReadRecord(TColumnsGxList* ColumnsList) override;
    void ReadDataCell(TColumnGx* Column) override;
    void CheckState();

private:
    bool ReadChar(char& C);
    void ReadValue();
    bool ended_ = false;  // a zero byte or the end of the block was met
};

class TDBGridGxImportAsVCLDBIF : public TDBGridGxImport {
public:
    const char* ClassName() const override { return "TDBGridGxImportAsVCLDBIF"; }
    void ImportFromStream(TStream* AStream, bool IsImportAll) override;

    struct TPrefix {
        char Signature[7] = {};
        uint8_t Version = 0;
        int32_t ColCount = 0;
    };
    TPrefix Prefix;
    Variant Value;  // the next cell's value, read ahead; unassigned for "no value"
    // The stream's column names with their flag bytes (the writer leaves names empty).
    std::vector<std::pair<AnsiString, uint8_t>> ColNames;
    bool HasColNames = false;

protected:
    void ReadPrefix() override;
    void ReadRecord(TColumnsGxList* ColumnsList) override;
    void ReadDataCell(TColumnGx* Column) override;

private:
    [[noreturn]] void FormatError();
    void ReadExact(void* Buffer, int64_t Count);
    void ReadValue();
    // Walks the cells from the current position without keeping them: every
    // tag known, every length inside the block, an end tag present.
    void CheckCells();
};

// ---------------------------------------------------------------------------
// Routines

using TDBGridGxExportClass = std::unique_ptr<TDBGridGxExport> (*)();
using TDBGridGxImportClass = std::unique_ptr<TDBGridGxImport> (*)();
template <class T>
TDBGridGxExportClass ExportClassOf() {
    return [] { return std::unique_ptr<TDBGridGxExport>(new T()); };
}
template <class T>
TDBGridGxImportClass ImportClassOf() {
    return [] { return std::unique_ptr<TDBGridGxImport>(new T()); };
}

void WriteGridToExportStream(TDBGridGxExportClass ExportClass, TCustomDBGridGx* Grid, TStream* Stream,
                             bool IsExportAll);
void ReadGridFromImportStream(TDBGridGxImportClass ImportClass, TCustomDBGridGx* Grid, TStream* Stream,
                              bool IsImportAll);

// The field that holds Column's value in DataSet: the column's own field, or
// the key field of a lookup field; nullptr when there is none.
TField* ColumnValueField(TColumnGx* Column, TDataSet* DataSet);

// The registered formats, registered in this order when first asked for.
TClipboardFormat CF_VCLDBIF();
TClipboardFormat CF_CSV();
TClipboardFormat CF_RTF();

// IsWholeGrid: every record and visible column instead of the selection.
// The clipboard helpers of the formats, served by the platform clipboard:
// a stream's bytes under a format; a format's bytes appended to a stream
// (nothing when the clipboard lacks it); code-page text up to its zero as the
// system's Unicode text (the platform supplies the plain text from it).
void PutStreamOnClipboard(TClipboardFormat Format, TMemoryStream* Stream);
void GetStreamFromClipboard(TClipboardFormat Format, TStream* Stream);
void PutUnicodeTextOnClipboard(TMemoryStream* Stream);

void GridCopyToClipboard(TCustomDBGridGx* Grid, bool IsWholeGrid);
void GridPasteFromClipboard(TCustomDBGridGx* Grid, bool IsWholeGrid);
void GridCutToClipboard(TCustomDBGridGx* Grid, bool IsWholeGrid);
// Deletes the selected records (all records for the whole grid) or clears
// the selected cells, after asking when the grid's dgConfirmDelete is set;
// a column selection is cleared without asking.
void GridDeleteSelection(TCustomDBGridGx* Grid, bool IsWholeGrid);

// Makes the grid's clipboard keys call the routines above (the grid library's registration does it).
void RegisterGridClipboardRoutines();
