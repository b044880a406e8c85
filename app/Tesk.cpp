// The program's entry. An exception that escapes the start-up or the message
// loop ends the process without a message.
#include "app/TeskStartUp.h"
#include "app/uProgram.h"
#include "platform/gui/Platform.h"

int main(int argc, char** argv) {
    try {
        StartTesk(argc, argv);
        PlatformUseNativeServices();
        return RunProgram();
    } catch (...) {
        return 1;
    }
}
