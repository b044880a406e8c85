// Fuzzes the grid's binary clipboard reader: the input (after its first byte,
// which picks the selection) is the block found on the clipboard.
#include "fuzz/GridPasteFuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gridfuzz::Paste(data, size, ImportClassOf<TDBGridGxImportAsVCLDBIF>());
    return 0;
}
