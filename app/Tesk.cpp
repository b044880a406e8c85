// The program's entry.
#include "platform/gui/Platform.h"

int main(int argc, char** argv) {
    PlatformInitialize(argc, argv);
    PlatformUseNativeServices();
    return RunPlaceholderMainWindow("Tesk");
}
