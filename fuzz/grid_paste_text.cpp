// Fuzzes the grid's text paste reader: the input (after its first byte, which
// picks the selection) is the clipboard's text.
#include "fuzz/GridPasteFuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    gridfuzz::Paste(data, size, ImportClassOf<TDBGridGxImportAsText>());
    return 0;
}
