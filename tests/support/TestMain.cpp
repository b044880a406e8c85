// Shared entry of every test program: the windowing platform is started once
// (offscreen unless a platform is named) so that GUI and non-GUI tests share one process.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/gui/Platform.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!getenv("XDG_RUNTIME_DIR")) {
        std::string runtime = "/tmp/tesk-tests-runtime-" + std::to_string(getuid());
        mkdir(runtime.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    testing::InitGoogleTest(&argc, argv);
    PlatformInitialize(argc, argv);
    return RUN_ALL_TESTS();
}
