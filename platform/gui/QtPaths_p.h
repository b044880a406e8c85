#pragma once
// File names between the program and Qt. A file name is kept as the system's
// own bytes (what readlink and the file calls take), never as code-page text,
// so that a folder with letters outside the code page still opens.
#include <QByteArray>
#include <QFile>
#include <QString>

#include "platform/rtl/CodePage.h"

inline QString ToQPath(const AnsiString& Path) {
    return QFile::decodeName(QByteArray(Path.data(), static_cast<qsizetype>(Path.size())));
}
inline AnsiString FromQPath(const QString& Path) { return QFile::encodeName(Path).toStdString(); }
