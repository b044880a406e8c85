#include "platform/gui/Platform.h"

#include <QApplication>

#include "platform/gui/ClipboardWatch.h"
#include "platform/gui/Forms.h"
#include "platform/gui/Services.h"

void PlatformInitialize(int& argc, char** argv) {
    if (!QCoreApplication::instance()) {
        static QApplication* app = new QApplication(argc, argv);
        (void)app;
    }
    InitializeForms();
}

void PlatformUseNativeServices() {
    UseNativeServices();
    UseSystemClipboard();
}
