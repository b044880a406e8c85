// Fuzzes the data-set filter texts (see FilterFuzzSupport.h) at sizes no
// typed filter reaches: brackets nested far past the bound, or chains of many
// terms. Input layout: one byte of options (bit 0: dates read day first), two
// bytes giving a count n (times 4, up to 262,140), then the filter text up to
// the first zero byte, then the sort text. The filter text, cut at its first
// two 0x01 bytes into a head, a middle and a tail, becomes
// head x n + middle + tail x n.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "fuzz/FilterFuzzSupport.h"

namespace {

// head x count + middle + tail x count, from "head\1middle\1tail"; at most
// two megabytes, so that one input stays well inside the run's time limit.
AnsiString Grown(const AnsiString& text, size_t count) {
    const size_t a = text.find('\x01');
    const size_t b = a == AnsiString::npos ? AnsiString::npos : text.find('\x01', a + 1);
    if (b == AnsiString::npos) return text;
    const AnsiString head = text.substr(0, a), middle = text.substr(a + 1, b - a - 1), tail = text.substr(b + 1);
    const size_t unit = head.size() + tail.size();
    if (unit > 0) count = std::min(count, (size_t{2} << 20) / unit);
    AnsiString grown;
    grown.reserve(unit * count + middle.size());
    for (size_t i = 0; i < count; ++i) grown += head;
    grown += middle;
    for (size_t i = 0; i < count; ++i) grown += tail;
    return grown;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const auto [text, sort] = SplitTexts(reinterpret_cast<const char*>(data + 3), size - 3);
    const size_t count = (static_cast<size_t>(data[1]) | static_cast<size_t>(data[2]) << 8) * 4;
    CheckFilterAndSort(data[0], Grown(text, count), sort);
    return 0;
}
