// Layout files of the grid's columns: the collection written as the binary
// component stream of a temporary TColumnsWrapper, and read back all or nothing.
//
// A layout file comes from outside: the reader takes no child components and
// a bounded number of collection items, reads into a collection that belongs
// to no grid (so nothing in the grid changes while it reads), and only a
// complete read is assigned to the columns.
#include <memory>

#include "grid/DBGridGx.h"
#include "platform/classes/ProgramFolder.h"
#include "platform/classes/Streams.h"
#include "platform/rtti/Published.h"
#include "platform/rtti/Streaming.h"

namespace {

// Far beyond any real layout (columns, their footers and edit buttons), and
// small enough that a hostile file cannot make the columns exhaust memory.
constexpr int64_t kMaxLayoutItems = 20000;

}  // namespace

TESK_PUBLISHED(TColumnsWrapper) { Property("Columns", &T::Columns, &T::SetColumns); }

void TDBGridColumnsGx::SaveToStream(TStream* Stream) {
    TColumnsWrapper wrapper(nullptr);
    wrapper.SetColumns(this);
    WriteComponent(Stream, &wrapper);
}

void TDBGridColumnsGx::SaveToFile(const AnsiString& FileName) {
    TStringStream stream;
    SaveToStream(&stream);
    WriteFileAtomically(FileName, stream.DataString());
}

void TDBGridColumnsGx::LoadFromStream(TStream* Stream) {
    // Same column class, but no grid: setters of the scratch columns must not
    // reach the grid's layout, sum list or editor.
    auto scratch = std::make_unique<TDBGridColumnsGx>(nullptr, ItemClass());
    TColumnsWrapper wrapper(nullptr);
    wrapper.SetColumns(scratch.get());
    TReader reader(Stream);
    reader.SetRootTakesChildren(false);
    reader.SetMaxCollectionItems(kMaxLayoutItems);
    reader.ReadRootComponent(&wrapper);
    Assign(scratch.get());
}

void TDBGridColumnsGx::LoadFromFile(const AnsiString& FileName) {
    TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
    try {
        LoadFromStream(&stream);
    } catch (const EReadError& e) {
        throw EReadError(FileName + ": " + e.Message());
    }
}
