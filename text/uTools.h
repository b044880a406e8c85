#pragma once
// Character conversion for game pages that arrive in KOI8-R.
#include "platform/rtl/CodePage.h"

// The Cyrillic letters of a KOI8-R text turned into their Windows-1251 codes;
// every other byte passes unchanged. The result has Source's length.
AnsiString ConvertKoi8ToWin1251(const AnsiString& Source);
