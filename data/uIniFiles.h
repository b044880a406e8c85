#pragma once
// TMyIniFile: the settings and language files' reader. A key that is missing
// or empty is written back with the caller's default, so the file shows every
// key it should hold, and is listed, so that one warning can name them all.
// The typed reads (integer, Boolean, float, date and time) ask ReadString
// with an empty default: a missing number or date is written back empty,
// listed, and the caller's default is used. A write-back that fails (a full
// disk, a file that cannot be replaced) raises nothing: the read answers its
// default all the same, no later read tries to write, and WriteBackFailure
// keeps the message for the caller to pass on once.
#include <memory>

#include "platform/classes/IniFiles.h"
#include "platform/classes/Strings.h"

class TMyIniFile : public TIniFile {
public:
    explicit TMyIniFile(const AnsiString& FileName) : TIniFile(FileName) {}
    const char* ClassName() const override { return "TMyIniFile"; }

    AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) override;
    // The same write-back, without listing the key.
    AnsiString ReadOptionalString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default);
    // Lines of the missing-key list: 0 without one, else a header, an empty
    // line and one "[Section] Key" line per key filled in.
    int GetMissingCount() const;
    // The list (made empty when there is none yet); the object keeps it.
    TStrings* GetMissingList();
    // The first failed write-back's message; empty while none failed.
    const AnsiString& WriteBackFailure() const { return writeBackFailure_; }

private:
    AnsiString ReadFilled(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default,
                          bool& Missing);
    std::unique_ptr<TStringList> missing_;
    AnsiString writeBackFailure_;
};
