#pragma once
// INI files read and written like the Windows private-profile functions:
// sections and keys match ignoring letter case and the first occurrence wins;
// a value loses the blanks around it and then one pair of enclosing quotes
// (" or '); lines starting with ';' are comments; a UTF-8 byte-order mark at
// the start is no part of the first line. A write changes only the line it
// concerns and keeps every other byte; new lines end in CR LF. Every write
// reaches the file at once. The file is read and parsed once and kept while
// it stays as it was: every call compares the file's identity, size and times
// with what was read (and, for a file changed within the last seconds, where a
// change may leave them as they were, its bytes), so two objects on one file,
// or another program, still see each other's changes. A file that is there but
// cannot be read reads as empty, and a write to it raises rather than replace
// it with a file made from nothing.
//
// Files that people edit by hand (language files) may be saved in UTF-8; with
// SetDetectUtf8 on, a file that starts with the UTF-8 byte-order mark, or
// whose bytes are valid UTF-8 holding some character outside ASCII, is read
// as UTF-8: names and values are converted to the active code page as they
// are read and back to UTF-8 as they are written, so the file keeps its
// encoding and its mark. Any other file is taken as code-page bytes.
#include <memory>
#include <string_view>

#include "platform/classes/Classes.h"
#include "platform/rtl/DateTime.h"

class TStrings;

TESK_DECLARE_EXCEPTION(EIniFileException, Exception);

class TIniFile : public TObject {
public:
    // The name is used as given (relative names against the current folder).
    explicit TIniFile(const AnsiString& FileName);
    ~TIniFile() override;
    const char* ClassName() const override { return "TIniFile"; }
    const AnsiString& FileName() const { return fileName_; }

    // Default when the key is missing; an empty value is returned as it is.
    virtual AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default);
    // Rewrites the first occurrence of the key in place, or adds the key at the
    // end of its section, or the section at the end of the file; a write that
    // would change no byte leaves the file alone. Raises
    // EIniFileException "Unable to write to <file>. <reason>" when the file cannot
    // be written; the file is then as it was.
    virtual void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value);
    // The typed reads ask ReadString (with an empty default) for the text.
    // ReadInteger takes decimal, "$hex" or "0xhex"; anything else gives Default.
    virtual int ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default);
    virtual void WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value);
    // ReadInteger(..., Default ? 1 : 0) != 0; written as "1" or "0".
    virtual bool ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default);
    virtual void WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value);
    virtual double ReadFloat(const AnsiString& Section, const AnsiString& Ident, double Default);
    virtual void WriteFloat(const AnsiString& Section, const AnsiString& Ident, double Value);
    // Dates and times in the short date and long time formats; a text that is
    // no such value gives Default.
    virtual TDateTime ReadDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Default);
    virtual TDateTime ReadDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default);
    virtual TDateTime ReadTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default);
    virtual void WriteDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);
    virtual void WriteDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);
    virtual void WriteTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value);

    // Key names of the section in file order, each once.
    virtual void ReadSection(const AnsiString& Section, TStrings* Strings);
    // Section names in file order, each once.
    virtual void ReadSections(TStrings* Strings);
    // "name=value" for each key of the section, the values through ReadString.
    virtual void ReadSectionValues(const AnsiString& Section, TStrings* Strings);
    // Removes the first section of that name with all its lines.
    virtual void EraseSection(const AnsiString& Section);
    // Removes the first occurrence of the key in the section.
    virtual void DeleteKey(const AnsiString& Section, const AnsiString& Ident);
    // True when the section holds at least one key.
    bool SectionExists(const AnsiString& Section);
    virtual bool ValueExists(const AnsiString& Section, const AnsiString& Ident);
    // Writes are immediate; nothing is pending.
    virtual void UpdateFile() {}

    // Off by default: settings hold file names, which are the system's bytes.
    void SetDetectUtf8(bool On) { detectUtf8_ = On; }
    // The file, as it is now, is read and written as UTF-8.
    bool IsUtf8();
    // "[Section] Key" of every key (the one a read finds) whose value in a
    // UTF-8 file holds a character the code page lacks, in file order.
    void ReadKeysWithLostLetters(TStrings* Strings);

    struct TParsedFile;

private:
    // The file as it is now: the kept parse, or a fresh one when it changed.
    const TParsedFile& Parsed();
    // Writes the whole file, which the kept parse then stands for.
    void Save(AnsiString bytes);
    void WriteBytes(const AnsiString& bytes);
    // Raises when the last read found the file but could not read it.
    void CheckReadable() const;

    // Text of the callers (the code page) as the file holds it, and back.
    std::string_view ToFile(const TParsedFile& f, const AnsiString& Text, AnsiString& Scratch) const;
    AnsiString FromFile(const TParsedFile& f, std::string_view Text) const;
    bool Utf8(const TParsedFile& f) const;

    AnsiString fileName_;
    std::unique_ptr<TParsedFile> parsed_;
    bool detectUtf8_ = false;
};
