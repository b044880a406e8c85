#pragma once
// The system's own exception class for failures the user should read about
// (bad or incomplete game text, duplicate rows, a rename that cannot be done).
// The import actions catch it and log its message; anything else goes to the
// application's handler.
#include "platform/rtl/Exceptions.h"

TESK_DECLARE_EXCEPTION(ETeskException, Exception);
