// Shared entry of every test program: the windowing platform is started once
// (offscreen unless a platform is named) so that GUI and non-GUI tests share one
// process, and the library under test registers its classes as the program's
// start-up does (TESK_REGISTER_LIBRARY names its registration call; the app's
// tests run the program's own start-up, StartTesk).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "platform/gui/Platform.h"
#ifdef TESK_TEST_STARTS_PROGRAM
#include "app/TeskStartUp.h"
#else
void TESK_REGISTER_LIBRARY();
#endif

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!getenv("XDG_RUNTIME_DIR")) {
        std::string runtime = "/tmp/tesk-tests-runtime-" + std::to_string(getuid());
        mkdir(runtime.c_str(), 0700);
        setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    testing::InitGoogleTest(&argc, argv);
#ifdef TESK_TEST_STARTS_PROGRAM
    StartTesk(argc, argv);
#else
    PlatformInitialize(argc, argv);
    TESK_REGISTER_LIBRARY();
#endif
    return RUN_ALL_TESTS();
}
