#pragma once
// Text and file names between the program and Qt. Text is code-page text;
// a file name is kept as the system's own bytes (what readlink and the file
// calls take), never as code-page text, so that a folder with letters outside
// the code page still opens.
#include <QByteArray>
#include <QFile>
#include <QString>

#include "platform/rtl/CodePage.h"

inline QString ToQString(const AnsiString& Text) { return QString::fromStdString(AnsiToUtf8(Text)); }
inline AnsiString FromQString(const QString& Text) { return Utf8ToAnsi(Text.toStdString()); }

inline QString ToQPath(const AnsiString& Path) {
    return QFile::decodeName(QByteArray(Path.data(), static_cast<qsizetype>(Path.size())));
}
inline AnsiString FromQPath(const QString& Path) { return QFile::encodeName(Path).toStdString(); }
