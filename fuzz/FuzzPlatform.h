#pragma once
// The windowing platform for the fuzz targets that need it: offscreen unless
// the environment names another, started once per process.
#include <stdlib.h>

#include "platform/gui/Platform.h"

namespace fuzzplatform {

inline void StartOffscreen() {
    static const bool started = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        static int argc = 1;
        static char name[] = "fuzz";
        static char* argv[] = {name, nullptr};
        PlatformInitialize(argc, argv);
        return true;
    }();
    (void)started;
}

}  // namespace fuzzplatform
