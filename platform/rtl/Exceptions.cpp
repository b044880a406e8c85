#include "platform/rtl/Exceptions.h"

void Abort() { throw EAbort("Operation aborted"); }

void AssertAt(bool condition, const char* unit, int line) {
    if (condition) return;
    throw EAssertionFailed("Assertion failure (" + AnsiString(unit) + ", line " + std::to_string(line) + ")");
}
