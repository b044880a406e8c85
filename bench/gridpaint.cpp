// Painting a full-screen grid (1920 x 1080, 30 columns) over 100,000 records,
// then scrolling one page and painting again, against filling the same cells
// with text through QPainter directly (its plain text call, and glyph runs
// made from characters looked up once, with the grid's lines), in the same run.
// The ratios are printed at the end.
#include <benchmark/benchmark.h>

#include "bench/BenchSupport.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QGlyphRun>
#include <QRawFont>
#include <QString>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "grid/DBGridGx.h"
#include "grid/GridRegistration.h"
#include "platform/db/StMemoryDataset.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Platform.h"

namespace {

constexpr int kRows = 100000;
constexpr int kColumns = 30;
constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

AnsiString CellText(int Record, int Column) {
    if (Column % 3 == 1) return "Planet " + std::to_string(Record) + "-" + std::to_string(Column);
    return std::to_string(Record * 37 + Column * 1001);
}

// Counts the data cells a frame paints.
struct TCellCounter : TObject {
    int Cells = 0;
    void Drawn(TObject*, const TRect&, int, TColumnGx*, TGridDrawState) { ++Cells; }
};

// One form with the grid over the records, made once.
struct TGridBench {
    TForm* Form = nullptr;
    TStMemoryData* Data = nullptr;
    TDataSource* Source = nullptr;
    TDBGridGx* Grid = nullptr;
    TBitmap* Target = nullptr;

    TGridBench() {
        Form = CreateForm<TForm>(nullptr);
        Form->SetBounds(0, 0, kWidth + 40, kHeight + 60);
        Data = new TStMemoryData(Form);
        for (int c = 0; c < kColumns; ++c)
            Data->FieldDefs()->Add("F" + std::to_string(c), c % 3 == 1 ? ftString : ftInteger, 24);
        Data->Open();
        std::vector<TField*> fields;
        for (int c = 0; c < kColumns; ++c) fields.push_back(Data->Fields()->Fields(c));
        Data->DisableControls();
        for (int r = 1; r <= kRows; ++r) {
            Data->Append();
            for (int c = 0; c < kColumns; ++c) {
                if (c % 3 == 1)
                    fields[static_cast<size_t>(c)]->SetAsString(CellText(r, c));
                else
                    fields[static_cast<size_t>(c)]->SetAsInteger(r * 37 + c * 1001);
            }
            Data->Post();
        }
        Data->First();
        Data->EnableControls();
        Source = new TDataSource(Form);
        Source->SetDataSet(Data);
        Grid = new TDBGridGx(Form);
        Grid->SetParent(Form);
        Grid->SetBorderStyle(bsNone);
        Grid->SetBounds(0, 0, kWidth, kHeight);
        Form->Show();
        Grid->SetDataSource(Source);
        // All 30 columns on the screen.
        for (int c = 0; c < Grid->Columns()->Count(); ++c) Grid->Columns()->Items(c)->SetWidth(62);
        Target = new TBitmap();
        Target->SetSize(kWidth, kHeight);
    }
    void Frame() { Grid->Perform(WM_PAINT, reinterpret_cast<WPARAM>(Target->Canvas()->Handle()), 0); }
    int PageRows() { return std::max(1, Grid->RowCount() - Grid->TitleOffset()); }
};

TGridBench& Bench() {
    static TGridBench* bench = new TGridBench();
    return *bench;
}

// Two frames per iteration: the view, then the view one page further on.
void BM_GridFrames(benchmark::State& state) {
    TGridBench& b = Bench();
    for (auto _ : state) {
        b.Frame();
        if (b.Data->MoveBy(b.PageRows()) == 0) b.Data->First();
        b.Frame();
    }
    state.counters["frames"] = benchmark::Counter(2.0 * static_cast<double>(state.iterations()));
}

// What both references draw with: the grid's column widths and row heights,
// an image of the screen's size and the grid's font.
struct TReferenceFrame {
    std::vector<int> Widths, Heights;
    QImage Image{kWidth, kHeight, QImage::Format_ARGB32_Premultiplied};
    QFont Font{"Liberation Sans"};

    explicit TReferenceFrame(TDBGridGx* Grid) {
        for (int c = 0; c < Grid->ColCount(); ++c) Widths.push_back(Grid->ColWidths(c));
        for (int r = 0; r < Grid->RowCount(); ++r) Heights.push_back(Grid->RowHeights(r));
        Font.setPixelSize(11);
    }
};

// The text of a reference cell: the field names in the title row, below it
// the records from First on (column 0 is the indicator and has none).
std::string ReferenceCellText(size_t Row, size_t Column, int First) {
    if (Row == 0) return "F" + std::to_string(Column - 1);
    return CellText(First + static_cast<int>(Row) - 1, static_cast<int>(Column) - 1);
}

// The same cells (sizes taken from the grid) filled and written with QPainter.
void BM_QPainterFrames(benchmark::State& state) {
    TReferenceFrame f(Bench().Grid);
    int first = 1;
    auto frame = [&] {
        QPainter p(&f.Image);
        p.setFont(f.Font);
        int y = 0;
        for (size_t r = 0; r < f.Heights.size() && y < kHeight; ++r) {
            int x = 0;
            for (size_t c = 0; c < f.Widths.size() && x < kWidth; ++c) {
                QRect cell(x, y, f.Widths[c], f.Heights[r]);
                p.fillRect(cell, r == 0 || c == 0 ? QColor(192, 192, 192) : QColor(255, 255, 255));
                if (c > 0) {
                    const std::string text = ReferenceCellText(r, c, first);
                    p.drawText(cell.adjusted(2, 2, -2, 0), Qt::AlignLeft | Qt::AlignTop,
                               QString::fromLatin1(text.data(), static_cast<int>(text.size())));
                }
                x += f.Widths[c] + 1;
            }
            y += f.Heights[r] + 1;
        }
    };
    for (auto _ : state) {
        frame();
        first += static_cast<int>(f.Heights.size()) - 1;
        frame();
    }
}

// The fastest text path QPainter has: each cell's text turned into a glyph
// run from the glyphs, advances and ink boxes of the 256 characters, looked
// up once before the frames (no layout, no shaping, no character map per
// cell), drawn under a clip only where its ink reaches past its cell, with
// the grid's lines drawn as the grid draws them (one line under each row and
// right of each column). That is what the grid's own text path does.
void BM_GlyphRunFrames(benchmark::State& state) {
    TReferenceFrame f(Bench().Grid);
    const QRawFont raw = QRawFont::fromFont(f.Font);
    const qreal ascent = raw.ascent();
    struct TCharacter {
        quint32 Glyph = 0;
        qreal Advance = 0;
        QRectF Ink;  // relative to the pen on the base line
    };
    std::vector<TCharacter> map(256);
    for (int c = 0; c < 256; ++c) {
        const QList<quint32> g = raw.glyphIndexesForString(QString(QChar(static_cast<char16_t>(c))));
        if (g.isEmpty()) continue;
        map[static_cast<size_t>(c)].Glyph = g[0];
        map[static_cast<size_t>(c)].Advance = raw.advancesForGlyphIndexes(g)[0].x();
        map[static_cast<size_t>(c)].Ink = raw.boundingRect(g[0]);
    }
    int first = 1;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    auto frame = [&] {
        QPainter p(&f.Image);
        p.setPen(QColor(0, 0, 0));
        int y = 0;
        for (size_t r = 0; r < f.Heights.size() && y < kHeight; ++r) {
            int x = 0;
            for (size_t c = 0; c < f.Widths.size() && x < kWidth; ++c) {
                const QRect cell(x, y, f.Widths[c], f.Heights[r]);
                p.fillRect(cell, r == 0 || c == 0 ? QColor(192, 192, 192) : QColor(255, 255, 255));
                if (c > 0) {
                    const std::string text = ReferenceCellText(r, c, first);
                    glyphs.resize(static_cast<qsizetype>(text.size()));
                    positions.resize(static_cast<qsizetype>(text.size()));
                    const QPointF origin(x + 2, y + 2 + ascent);
                    QRectF ink;
                    qreal pen = 0;
                    for (size_t i = 0; i < text.size(); ++i) {
                        const TCharacter& ch = map[static_cast<unsigned char>(text[i])];
                        glyphs[static_cast<qsizetype>(i)] = ch.Glyph;
                        positions[static_cast<qsizetype>(i)] = QPointF(pen, 0);
                        if (!ch.Ink.isEmpty()) ink |= ch.Ink.translated(pen, 0);
                        pen += ch.Advance;
                    }
                    QGlyphRun run;
                    run.setRawFont(raw);
                    run.setGlyphIndexes(glyphs);
                    run.setPositions(positions);
                    const bool inside = QRectF(cell).contains(ink.translated(origin));
                    if (!inside) p.setClipRect(cell);
                    p.drawGlyphRun(origin, run);
                    if (!inside) p.setClipping(false);
                }
                x += f.Widths[c] + 1;
            }
            y += f.Heights[r] + 1;
        }
        p.setPen(QColor(128, 128, 128));
        int lineY = 0;
        for (size_t r = 0; r < f.Heights.size() && lineY < kHeight; ++r) {
            lineY += f.Heights[r];
            p.drawLine(0, lineY, kWidth, lineY);
            ++lineY;
        }
        int lineX = 0;
        for (size_t c = 0; c < f.Widths.size() && lineX < kWidth; ++c) {
            lineX += f.Widths[c];
            p.drawLine(lineX, 0, lineX, kHeight);
            ++lineX;
        }
    };
    for (auto _ : state) {
        frame();
        first += static_cast<int>(f.Heights.size()) - 1;
        frame();
    }
}

BENCHMARK(BM_QPainterFrames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GlyphRunFrames)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridFrames)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    UseOffscreenDisplay();
    benchmark::Initialize(&argc, argv);
    PlatformInitialize(argc, argv);
    RegisterGridLibrary();
    {
        TGridBench& b = Bench();
        TCellCounter counter;
        b.Grid->OnDrawColumnCell = TDrawColumnCellEventGx(&counter, &TCellCounter::Drawn);
        b.Frame();
        b.Grid->OnDrawColumnCell = nullptr;
        std::printf("Data cells per frame: %d (%d rows shown)\n", counter.Cells, b.PageRows());
        // The first frame as a picture, to compare the pixels of two builds.
        if (const char* png = getenv("GRIDPAINT_FRAME_PNG")) {
            QImage frame(kWidth, kHeight, QImage::Format_RGB32);
            HDC dc = b.Target->Canvas()->Handle();
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x) {
                    const COLORREF c = GetPixel(dc, x, y);
                    frame.setPixel(x, y, qRgb(GetRValue(c), GetGValue(c), GetBValue(c)));
                }
            std::printf("First frame written to %s: %s\n", png, frame.save(png) ? "done" : "FAILED");
        }
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto grid = reporter.times.find("BM_GridFrames"), direct = reporter.times.find("BM_QPainterFrames");
    if (grid != reporter.times.end() && direct != reporter.times.end() && direct->second > 0) {
        std::printf("\nTime per frame (%d x %d, %d columns, %d records): grid %.2f ms, QPainter %.2f ms\n", kWidth,
                    kHeight, kColumns, kRows, grid->second / 2, direct->second / 2);
        reporter.PrintRatio("BM_GridFrames", "BM_QPainterFrames", "drawText, for comparison", 0);
        reporter.PrintRatio("BM_GridFrames", "BM_GlyphRunFrames", "goal: at most 1.5", 0);
    }
    benchmark::Shutdown();
    return 0;
}
