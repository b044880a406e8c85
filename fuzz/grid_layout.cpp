// Fuzzes the grid's layout files: the input is read into the columns of a
// grid (with the window system offscreen). EReadError is the expected answer
// to a damaged file, and then the columns must be exactly as before; a read
// that succeeds must write a layout that reads back to the same layout. A
// crash, a hang, an unbounded allocation or any other exception is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/FuzzPlatform.h"
#include "grid/DBGridGx.h"
#include "grid/GridRegistration.h"
#include "platform/classes/Streams.h"
#include "platform/gui/Forms.h"

namespace {

std::string Layout(TDBGridColumnsGx* Columns) {
    TStringStream m;
    Columns->SaveToStream(&m);
    return m.DataString();
}

TDBGridGx* Grid() {
    static TDBGridGx* grid = [] {
        fuzzplatform::StartOffscreen();
        RegisterGridLibrary();
        auto* g = new TDBGridGx(nullptr);
        g->SetFooterRowCount(2);
        return g;
    }();
    return grid;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TDBGridGx* grid = Grid();
    // A known starting set: two columns, one with a footer.
    grid->Columns()->Clear();
    grid->Columns()->Add()->SetFieldName("Name");
    grid->Columns()->Add()->Footer()->SetValueType(fvtSum);
    const std::string before = Layout(grid->Columns());

    TMemoryStream input;
    input.Write(data, static_cast<int64_t>(size));
    input.SetPosition(0);
    try {
        grid->Columns()->LoadFromStream(&input);
    } catch (const EReadError&) {
        if (Layout(grid->Columns()) != before) std::abort();
        return 0;
    }
    const std::string written = Layout(grid->Columns());
    TStringStream again(written);
    grid->Columns()->LoadFromStream(&again);
    if (Layout(grid->Columns()) != written) std::abort();
    return 0;
}
