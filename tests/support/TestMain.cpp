// Shared entry of every test program: the windowing platform is started once
// (offscreen under ctest) so that GUI and non-GUI tests share one process.
#include <gtest/gtest.h>

#include "platform/gui/Platform.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    PlatformInitialize(argc, argv);
    return RUN_ALL_TESTS();
}
