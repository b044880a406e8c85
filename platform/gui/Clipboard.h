#pragma once
// The system clipboard in the framework's shape: formats by number, nested
// Open/Close, and every format written during one Open/Close handed over as one
// piece of data. The data itself lives behind TClipboardBackend, keyed by MIME
// type: an in-memory backend by default (and in tests); the windowing layer
// installs the system one.
//
// Formats: CF_TEXT is "text/plain", carried as UTF-8 with LF line ends and seen
// by the program as code-page text with CR LF. A registered "HTML Format" is
// "text/html", its bytes passed through unchanged (UTF-8 from other programs).
// Any other registered name is "application/x-tesk-<name>" (characters other
// than letters, digits and "+-._" in the name become "-"), bytes unchanged.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "platform/classes/Classes.h"

using TClipboardFormat = uint32_t;

constexpr TClipboardFormat CF_TEXT = 1;

// The same number for the same name (letter case ignored) for the life of the process;
// registered numbers start at 0xC000.
TClipboardFormat RegisterClipboardFormat(const AnsiString& Name);
// The MIME type under which a format's data is kept.
std::string ClipboardFormatMimeType(TClipboardFormat Format);

class TClipboardBackend {
public:
    virtual ~TClipboardBackend() = default;
    // Exclusive use from the first Open to the last Close; false while another program holds it.
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual bool HasFormat(const std::string& MimeType) = 0;
    // False when the clipboard holds nothing of that type.
    virtual bool GetData(const std::string& MimeType, std::string& Data) = 0;
    // Replaces the whole clipboard content by these formats (none: empties it).
    virtual void SetData(const std::map<std::string, std::string>& Formats) = 0;
};

class TMemoryClipboardBackend : public TClipboardBackend {
public:
    bool Open() override { return !heldByOther_; }
    void Close() override {}
    bool HasFormat(const std::string& MimeType) override { return data_.count(MimeType) != 0; }
    bool GetData(const std::string& MimeType, std::string& Data) override;
    void SetData(const std::map<std::string, std::string>& Formats) override;

    // Lets tests stand in for another program that keeps the clipboard open.
    void SetHeldByOther(bool Held) { heldByOther_ = Held; }
    // How many times the content was replaced.
    int ChangeCount() const { return changes_; }

private:
    std::map<std::string, std::string> data_;
    bool heldByOther_ = false;
    int changes_ = 0;
};

// The backend all clipboard objects use; installing nullptr goes back to a fresh in-memory one.
TClipboardBackend& ClipboardBackend();
void SetClipboardBackend(std::shared_ptr<TClipboardBackend> Backend);

class TClipboard : public TPersistent {
public:
    TClipboard() = default;
    ~TClipboard() override;
    const char* ClassName() const override { return "TClipboard"; }

    // Nested: only the outermost pair reaches the system. Open raises EOSError
    // "Cannot open clipboard" when another program holds it.
    void Open();
    void Close();
    // Empties the clipboard.
    void Clear();
    bool HasFormat(TClipboardFormat Format);

    AnsiString AsText();
    void SetAsText(const AnsiString& Value);

    // The bytes on the clipboard in a format; false when there are none.
    bool GetBuffer(TClipboardFormat Format, std::string& Data);
    // Puts Size bytes in a format; the first write of an Open empties the clipboard first.
    void SetBuffer(TClipboardFormat Format, const void* Buffer, size_t Size);

private:
    void Adding();

    int openCount_ = 0;
    bool emptied_ = false;
    std::shared_ptr<TClipboardBackend> backend_;  // held from the first Open to the last Close
    std::map<std::string, std::string> pending_;  // what this Open/Close has written
};

// The process-wide clipboard object.
TClipboard* Clipboard();
