#include "platform/gui/Platform.h"

#include <QApplication>
#include <QMainWindow>

void PlatformInitialize(int& argc, char** argv) {
    if (QCoreApplication::instance()) return;
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
}

int RunPlaceholderMainWindow(const AnsiString& title) {
    QMainWindow window;
    window.setWindowTitle(QString::fromStdString(AnsiToUtf8(title)));
    window.resize(800, 600);
    window.show();
    return QApplication::exec();
}
