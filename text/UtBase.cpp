#include "text/UtBase.h"

#include <algorithm>
#include <cstring>

void MoveChar(const AnsiString& Source, int FromIndex, AnsiString& Dest, int ToIndex, int Count) {
    if (Count <= 0 || FromIndex < 1 || ToIndex < 1) return;
    const size_t from = static_cast<size_t>(FromIndex) - 1;
    const size_t to = static_cast<size_t>(ToIndex) - 1;
    if (from >= Source.size() || to >= Dest.size()) return;
    const size_t n = std::min({static_cast<size_t>(Count), Source.size() - from, Dest.size() - to});
    std::memmove(Dest.data() + to, Source.data() + from, n);
}
