// Fuzzes the data-set filter and sort texts (see FilterFuzzSupport.h) with
// inputs of ordinary size. Input layout: one byte of options (bit 0: dates
// read day first), then the filter text up to the first zero byte, then the
// sort text. Filters nested past the bound and chains of many terms are
// filter_deep's: here an input stays small, so that a run tries many shapes.
#include <cstddef>
#include <cstdint>

#include "fuzz/FilterFuzzSupport.h"

namespace {

constexpr size_t kMaxInput = 4096;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > kMaxInput) return 0;
    const auto [filter, sort] = SplitTexts(reinterpret_cast<const char*>(data + 1), size - 1);
    CheckFilterAndSort(data[0], filter, sort);
    return 0;
}
