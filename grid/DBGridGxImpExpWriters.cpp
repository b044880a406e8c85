// The four output formats of a grid's selection: tab-separated text, CSV, an
// RTF table (its colour and font tables gathered while the body is written,
// then written in front of it) and the binary interchange format.
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "grid/DBGridGxImpExp.h"
#include "grid/GxLibVCL.h"
#include "platform/gui/Gdi.h"

// ---------------------------------------------------------------------------
// Tab-separated text and CSV

void TDBGridGxExportAsText::ExportToStream(TStream* AStream, bool IsExportAll) {
    FirstRec = true;
    TDBGridGxExport::ExportToStream(AStream, IsExportAll);
}

void TDBGridGxExportAsText::WriteRecordSeparator() {
    if (FirstRec) FirstRec = false;
    else Write("\r\n");
}

void TDBGridGxExportAsText::WriteCellSeparator() {
    if (FirstCell) FirstCell = false;
    else Write("\t");
}

void TDBGridGxExportAsText::WriteTitle(TColumnsGxList* ColumnsList) {
    WriteRecordSeparator();
    FirstCell = true;
    for (int i = 0; i < ColumnsList->Count(); ++i) {
        WriteCellSeparator();
        Write(CellText(ColumnsList->Items(i)->Title()->Caption()));
    }
}

void TDBGridGxExportAsText::WriteRecord(TColumnsGxList* ColumnsList) {
    WriteRecordSeparator();
    FirstCell = true;
    TDBGridGxExport::WriteRecord(ColumnsList);
}

void TDBGridGxExportAsText::WriteDataCell(TColumnGx*, TColCellParamsGx* Params) {
    WriteCellSeparator();
    Write(CellText(Params->Text));
}

void TDBGridGxExportAsText::WriteFooter(TColumnsGxList* ColumnsList, int FooterNo) {
    WriteRecordSeparator();
    FirstCell = true;
    TDBGridGxExport::WriteFooter(ColumnsList, FooterNo);
}

void TDBGridGxExportAsText::WriteFooterCell(int, int, TColumnGx*, TFont*, TColor, TAlignment,
                                            const AnsiString& Text) {
    WriteCellSeparator();
    Write(CellText(Text));
}

TDBGridGxExportAsCSV::TDBGridGxExportAsCSV() : Separator(';') {}

void TDBGridGxExportAsCSV::WriteCellSeparator() {
    if (FirstCell) FirstCell = false;
    else Write(AnsiString(1, Separator));
}

AnsiString TDBGridGxExportAsCSV::CellText(const AnsiString& Text) { return AnsiQuotedStr(Text, '"'); }

// ---------------------------------------------------------------------------
// RTF

namespace {

AnsiString EscapedRtfText(const AnsiString& Text) {
    AnsiString out;
    out.reserve(Text.size());
    for (char c : Text) {
        if (c == '\\' || c == '{' || c == '}') out += '\\';
        out += c;
    }
    return out;
}

AnsiString AlignmentText(TAlignment Alignment) {
    switch (Alignment) {
        case taRightJustify: return "\\qr";
        case taCenter: return "\\qc";
        default: return "\\ql";
    }
}

AnsiString Int(long long Value) { return IntToStr(Value); }

}  // namespace

int TDBGridGxExportAsRTF::ColorIndex(TColor Color) {
    const TColor rgb = ColorToRGB(Color);
    const int r = rgb & 0xFF, g = (rgb >> 8) & 0xFF, b = (rgb >> 16) & 0xFF;
    char key[16];
    std::snprintf(key, sizeof key, "%3d%3d%3d", r, g, b);
    for (size_t i = 0; i < colorKeys_.size(); ++i)
        if (colorKeys_[i] == key) return static_cast<int>(i);
    colorKeys_.push_back(key);
    colors_.push_back(rgb);
    return static_cast<int>(colorKeys_.size()) - 1;
}

int TDBGridGxExportAsRTF::FontIndex(const AnsiString& Name) {
    for (size_t i = 0; i < fonts_.size(); ++i)
        if (fonts_[i] == Name) return static_cast<int>(i);
    fonts_.push_back(Name);
    return static_cast<int>(fonts_.size()) - 1;
}

AnsiString TDBGridGxExportAsRTF::CellContent(TFont* AFont, TColor Background, const AnsiString& Text) {
    AnsiString s = "\\fs" + Int(AFont->Size() * 2);
    const TFontStyles style = AFont->Style();
    if (style.Contains(fsBold)) s += "\\b";
    if (style.Contains(fsItalic)) s += "\\i";
    if (style.Contains(fsStrikeOut)) s += "\\strike";
    if (style.Contains(fsUnderline)) s += "\\ul";
    s += "\\f" + Int(FontIndex(AFont->Name()));
    s += "\\cf" + Int(ColorIndex(AFont->Color()));
    s += "\\cb" + Int(ColorIndex(Background));
    return s + " " + EscapedRtfText(Text);
}

AnsiString TDBGridGxExportAsRTF::CellFrame(const TBorders& Borders, TColor Shading, int RightEdge) {
    AnsiString s;
    const char* const sides[] = {"\\clbrdrl", "\\clbrdrt", "\\clbrdrb", "\\clbrdrr"};
    const bool has[] = {Borders.Left, Borders.Top, Borders.Bottom, Borders.Right};
    for (int i = 0; i < 4; ++i)
        if (has[i]) s += AnsiString(sides[i]) + "\\brdrs\\brdrcf0\r\n";
    return s + "\\clshdng10000\\clcfpat" + Int(ColorIndex(Shading)) + "\\cellx" + Int(RightEdge) + "\r\n";
}

AnsiString TDBGridGxExportAsRTF::Spacing() const {
    const char* n = DBGrid->Flat() ? "12" : "24";
    return AnsiString("\\sb") + n + "\\sa" + n;
}

int TDBGridGxExportAsRTF::PixelsPerInch() {
    int ppi = 0;
    if (DBGrid->HandleAllocated()) {
        ppi = GetDeviceCaps(DBGrid->Canvas()->Handle(), LOGPIXELSX);
    } else {
        HDC dc = CreateScreenDC();
        ppi = GetDeviceCaps(dc, LOGPIXELSX);
        DeleteDC(dc);
    }
    return ppi > 0 ? ppi : 96;
}

std::vector<int> TDBGridGxExportAsRTF::RightEdges(TColumnsGxList* ColumnsList) {
    const double ppi = PixelsPerInch();
    std::vector<int> edges;
    long long edge = 0;
    for (int i = 0; i < ColumnsList->Count(); ++i) {
        edge += std::llround(ColumnsList->Items(i)->Width() / ppi * 1440.0);
        edges.push_back(static_cast<int>(edge));
    }
    return edges;
}

void TDBGridGxExportAsRTF::ExportToStream(TStream* AStream, bool IsExportAll) {
    if (NothingToExport(IsExportAll)) return;  // no document at all, as the other formats
    colorKeys_.clear();
    colors_.clear();
    fonts_.clear();
    ColorIndex(clBlack);
    ColorIndex(clWhite);
    ColorIndex(clBtnFace);
    TMemoryStreamGx body;
    body.SetCapacityStep(65536);
    TDBGridGxExport::ExportToStream(&body, IsExportAll);
    Stream = AStream;
    AnsiString head = "{\\rtf0\\ansi\r\n{\\colortbl";
    for (TColor c : colors_)
        head += "\\red" + Int(c & 0xFF) + "\\green" + Int((c >> 8) & 0xFF) + "\\blue" + Int((c >> 16) & 0xFF) + ";";
    head += "}\r\n{\\fonttbl";
    for (size_t i = 0; i < fonts_.size(); ++i) head += "\\f" + Int(static_cast<long long>(i)) + "\\fnil " + fonts_[i] + ";";
    head += "}\r\n";
    Write(head);
    if (body.Size() > 0) AStream->WriteBuffer(body.Memory(), body.Size());
}

void TDBGridGxExportAsRTF::WriteSuffix() { Write("}"); }

// The row's frame needs every cell's background before the cells: the cells'
// parameters are asked once each, kept, and written after the frame.
void TDBGridGxExportAsRTF::WriteRecord(TColumnsGxList* ColumnsList) {
    const std::vector<int> edges = RightEdges(ColumnsList);
    const size_t count = static_cast<size_t>(ColumnsList->Count());
    std::vector<std::unique_ptr<TFont>> fonts(count);
    std::vector<std::unique_ptr<TColCellParamsGx>> cells(count);
    AnsiString row = "\\trowd\\trgaph40\r\n";
    for (size_t i = 0; i < count; ++i) {
        fonts[i] = std::make_unique<TFont>();
        cells[i] = std::make_unique<TColCellParamsGx>();
        DataCellParams(ColumnsList->Items(static_cast<int>(i)), *fonts[i], cells[i].get());
        row += CellFrame(TBorders(), cells[i]->Background, edges[i]);
    }
    Write(row + "{\\trrh0\r\n");
    for (size_t i = 0; i < count; ++i) WriteDataCell(ColumnsList->Items(static_cast<int>(i)), cells[i].get());
    Write("\\pard\\intbl\\row}\r\n");
}

void TDBGridGxExportAsRTF::WriteDataCell(TColumnGx*, TColCellParamsGx* Params) {
    Write("\\pard\\intbl{" + AlignmentText(Params->Alignment) + Spacing() +
          CellContent(Params->Font, Params->Background, Params->Text) + "\\cell}\r\n");
}

void TDBGridGxExportAsRTF::WriteFooter(TColumnsGxList* ColumnsList, int FooterNo) {
    const std::vector<int> edges = RightEdges(ColumnsList);
    const size_t count = static_cast<size_t>(ColumnsList->Count());
    std::vector<std::unique_ptr<TFooterCell>> cells(count);
    AnsiString row = "\\trowd\\trgaph40\r\n";
    for (size_t i = 0; i < count; ++i) {
        cells[i] = std::make_unique<TFooterCell>();
        FooterCellParams(ColumnsList->Items(static_cast<int>(i)), static_cast<int>(i), FooterNo, *cells[i]);
        row += CellFrame(TBorders(), cells[i]->Background, edges[i]);
    }
    Write(row + "{\\trrh0\r\n");
    for (size_t i = 0; i < count; ++i) {
        TColumnGx* column = ColumnsList->Items(static_cast<int>(i));
        WriteFooterCell(static_cast<int>(i), FooterNo, column, &cells[i]->Font, cells[i]->Background,
                        cells[i]->Alignment, cells[i]->Text);
    }
    Write("\\pard\\intbl\\row}\r\n");
}

void TDBGridGxExportAsRTF::WriteFooterCell(int, int, TColumnGx*, TFont* AFont, TColor Background,
                                           TAlignment Alignment, const AnsiString& Text) {
    Write("\\pard\\intbl{" + AlignmentText(Alignment) + Spacing() + CellContent(AFont, Background, Text) +
          "\\cell}\r\n");
}

void TDBGridGxExportAsRTF::WriteTitle(TColumnsGxList* ColumnsList) {
    if (DBGrid->UseMultiTitle() && WriteMultiTitle(ColumnsList)) return;
    const std::vector<int> edges = RightEdges(ColumnsList);
    AnsiString row = "\\trowd\\trgaph40\r\n";
    for (int i = 0; i < ColumnsList->Count(); ++i)
        row += CellFrame(TBorders(), ColumnsList->Items(i)->Title()->Color(), edges[static_cast<size_t>(i)]);
    Write(row + "{\\trrh0\r\n");
    for (int i = 0; i < ColumnsList->Count(); ++i) {
        TColumnTitleGx* title = ColumnsList->Items(i)->Title();
        Write("\\pard\\intbl{" + AlignmentText(title->Alignment()) + Spacing() +
              CellContent(title->Font(), title->Color(), title->Caption()) + "\\cell}\r\n");
    }
    Write("\\pard\\intbl\\row}\r\n");
}

// The title tree as rows: level 0 holds the columns' own titles; each level
// above moves the columns with the lowest titles so far up to their parents.
// A title standing in several rows or columns is one block, shown by leaving
// out the borders inside it and writing its text only in its top-left cell.
bool TDBGridGxExportAsRTF::WriteMultiTitle(TColumnsGxList* ColumnsList) {
    const int n = ColumnsList->Count();
    THeadTreeNode* root = DBGrid->TitleTreeRoot();
    std::vector<THeadTreeNode*> current(static_cast<size_t>(n));
    std::vector<int> height(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        current[static_cast<size_t>(i)] = DBGrid->TitleLeaf(ColumnsList->Items(i)->Index());
        if (!current[static_cast<size_t>(i)]) return false;  // never laid out: no tree yet
        height[static_cast<size_t>(i)] = current[static_cast<size_t>(i)]->Height;
    }
    auto parentOf = [root](THeadTreeNode* node) {
        return node->Host && node->Host != root ? node->Host : nullptr;
    };
    std::vector<std::vector<THeadTreeNode*>> levels{current};
    for (;;) {
        int lowest = 0;
        for (int i = 0; i < n; ++i)
            if (i == 0 || height[static_cast<size_t>(i)] < lowest) lowest = height[static_cast<size_t>(i)];
        bool moved = false;
        for (int i = 0; i < n; ++i) {
            THeadTreeNode*& node = current[static_cast<size_t>(i)];
            THeadTreeNode* parent = parentOf(node);
            if (height[static_cast<size_t>(i)] != lowest || !parent) continue;
            node = parent;
            height[static_cast<size_t>(i)] += parent->Height;
            moved = true;
        }
        if (!moved) break;
        levels.push_back(current);
    }

    // Rows top-down: row 0 is the highest level.
    const int rows = static_cast<int>(levels.size());
    auto at = [&](int r, int c) -> THeadTreeNode*& {
        return levels[static_cast<size_t>(rows - 1 - r)][static_cast<size_t>(c)];
    };
    struct TBlock {
        int Top, Bottom, Left, Right;
    };
    std::vector<TBlock> blocks(static_cast<size_t>(rows * n), TBlock{-1, -1, -1, -1});
    std::vector<bool> hasText(static_cast<size_t>(rows * n), false);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < n; ++c) {
            if (blocks[static_cast<size_t>(r * n + c)].Top >= 0) continue;
            THeadTreeNode* node = at(r, c);
            int bottom = r, right = c;
            while (bottom + 1 < rows && at(bottom + 1, c) == node) ++bottom;
            while (right + 1 < n && at(r, right + 1) == node &&
                   blocks[static_cast<size_t>(r * n + right + 1)].Top < 0)
                ++right;
            for (int rr = r; rr <= bottom; ++rr)
                for (int cc = c; cc <= right; ++cc) {
                    TBlock& b = blocks[static_cast<size_t>(rr * n + cc)];
                    if (b.Top >= 0) continue;
                    b = TBlock{r, bottom, c, right};
                }
            hasText[static_cast<size_t>(r * n + c)] = true;
        }
    }

    const std::vector<int> edges = RightEdges(ColumnsList);
    const double ppi = PixelsPerInch();
    const AnsiString margin = Int(std::llround(std::fabs(DBGrid->VTitleMargin() / 2.0 / ppi * 1440.0 - 20.0)));
    for (int r = 0; r < rows; ++r) {
        const bool leaves = r == rows - 1;
        AnsiString row = "\\trowd\\trgaph40\r\n";
        for (int c = 0; c < n; ++c) {
            const TBlock& b = blocks[static_cast<size_t>(r * n + c)];
            TBorders borders;
            borders.Left = c == b.Left;
            borders.Right = c == b.Right;
            borders.Top = r == b.Top;
            borders.Bottom = r == b.Bottom;
            TColor shading = leaves ? ColumnsList->Items(c)->Title()->Color() : DBGrid->FixedColor();
            row += CellFrame(borders, shading, edges[static_cast<size_t>(c)]);
        }
        Write(row + "{\\trrh0\r\n");
        for (int c = 0; c < n; ++c) {
            TColumnTitleGx* title = ColumnsList->Items(c)->Title();
            TFont* font = leaves ? title->Font() : DBGrid->TitleFont();
            TColor shading = leaves ? title->Color() : DBGrid->FixedColor();
            AnsiString cell = "\\pard\\intbl{\\qc";
            if (hasText[static_cast<size_t>(r * n + c)])
                cell += "\\sb" + margin + "\\sa" + margin + CellContent(font, shading, at(r, c)->Text);
            else
                cell += CellContent(font, shading, "");
            Write(cell + "\\cell}\r\n");
        }
        Write("\\pard\\intbl\\row}\r\n");
    }
    return true;
}

// ---------------------------------------------------------------------------
// The binary interchange format

namespace {

uint8_t TagOfFieldType(TFieldType Type) {
    switch (Type) {
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftAutoInc: return vdtInteger;
        case ftFloat:
        case ftCurrency:
        case ftBCD:
        case ftDate:
        case ftTime:
        case ftDateTime:
        case ftTimeStamp:
        case ftFMTBcd: return vdtFloat;
        case ftString:
        case ftBoolean:
        case ftMemo:
        case ftFixedChar:
        case ftLargeint:
        case ftOraClob:
        case ftGuid: return vdtText;
        case ftBytes:
        case ftVarBytes:
        case ftBlob:
        case ftGraphic:
        case ftFmtMemo:
        case ftParadoxOle:
        case ftDBaseOle:
        case ftTypedBinary:
        case ftWideString:
        case ftOraBlob: return vdtBinary;
        default: return vdtNoValue;
    }
}

void PutLE(AnsiString& Out, uint64_t Value, int Bytes) {
    for (int i = 0; i < Bytes; ++i) Out += static_cast<char>((Value >> (8 * i)) & 0xFF);
}

}  // namespace

void TDBGridGxExportAsVCLDBIF::WritePrefix() {
    AnsiString head("VCLDBIF\x01", 8);
    PutLE(head, static_cast<uint32_t>(ExpCols->Count()), 4);
    for (int i = 0; i < ExpCols->Count(); ++i) {
        head += ExpCols->Items(i)->Visible() ? '\x01' : '\x00';
        head += '\0';  // the name, always empty
    }
    Write(head);
}

void TDBGridGxExportAsVCLDBIF::WriteSuffix() { Write(AnsiString(1, '\0')); }

void TDBGridGxExportAsVCLDBIF::WriteDataCell(TColumnGx* Column, TColCellParamsGx*) {
    TField* field = ColumnValueField(Column, DBGrid->DataLink()->DataSet());
    AnsiString cell;
    uint8_t tag = field ? TagOfFieldType(field->DataType()) : static_cast<uint8_t>(vdtNoValue);
    // A stored integer past 32 bits goes as a large integer does: as its text.
    if (tag == vdtInteger && !field->IsNull()) {
        const int64_t value = field->AsLargeInt();
        if (value < INT32_MIN || value > INT32_MAX) tag = vdtText;
    }
    if (tag == vdtNoValue) {
        cell += static_cast<char>(vdtNoValue);
    } else if (field->IsNull()) {
        cell += static_cast<char>(vdtNull);
    } else if (tag == vdtInteger) {
        cell += static_cast<char>(tag);
        PutLE(cell, static_cast<uint32_t>(field->AsInteger()), 4);
    } else if (tag == vdtFloat) {
        cell += static_cast<char>(tag);
        const double value = field->AsFloat();
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        PutLE(cell, bits, 8);
    } else {
        const AnsiString text = field->AsString();
        cell += static_cast<char>(tag);
        PutLE(cell, static_cast<uint32_t>(text.size()), 4);
        cell += text;
    }
    Write(cell);
}
