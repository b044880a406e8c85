#include "platform/gui/Clipboard.h"

#include "platform/rtl/ScopeGuard.h"

#include <cctype>
#include <vector>

namespace {

const TClipboardFormat kFirstRegisteredFormat = 0xC000;

std::vector<AnsiString>& RegisteredNames() {
    static std::vector<AnsiString> names;
    return names;
}

std::shared_ptr<TClipboardBackend>& BackendSlot() {
    static std::shared_ptr<TClipboardBackend> backend = std::make_shared<TMemoryClipboardBackend>();
    return backend;
}

// Program text (code page, CR LF) to the system's plain text (UTF-8, LF), and back.
std::string TextToSystem(const std::string& ansi) {
    std::string lf;
    lf.reserve(ansi.size());
    for (size_t i = 0; i < ansi.size(); ++i) {
        if (ansi[i] == '\r' && i + 1 < ansi.size() && ansi[i + 1] == '\n') continue;
        lf += ansi[i];
    }
    return AnsiToUtf8(lf);
}

AnsiString TextFromSystem(const std::string& utf8) {
    const AnsiString ansi = Utf8ToAnsi(utf8);
    AnsiString crlf;
    crlf.reserve(ansi.size() + ansi.size() / 16);
    for (size_t i = 0; i < ansi.size(); ++i) {
        if (ansi[i] == '\n' && (i == 0 || ansi[i - 1] != '\r')) crlf += '\r';
        crlf += ansi[i];
    }
    return crlf;
}

AnsiString CutAtZero(const std::string& s) {
    const size_t zero = s.find('\0');
    return zero == std::string::npos ? s : s.substr(0, zero);
}

}  // namespace

TClipboardFormat RegisterClipboardFormat(const AnsiString& Name) {
    std::vector<AnsiString>& names = RegisteredNames();
    for (size_t i = 0; i < names.size(); ++i)
        if (AnsiSameText(names[i], Name)) return kFirstRegisteredFormat + static_cast<TClipboardFormat>(i);
    names.push_back(Name);
    return kFirstRegisteredFormat + static_cast<TClipboardFormat>(names.size() - 1);
}

std::string ClipboardFormatMimeType(TClipboardFormat Format) {
    if (Format == CF_TEXT) return "text/plain";
    const std::vector<AnsiString>& names = RegisteredNames();
    if (Format >= kFirstRegisteredFormat && Format - kFirstRegisteredFormat < names.size()) {
        const AnsiString& name = names[Format - kFirstRegisteredFormat];
        if (AnsiSameText(name, "HTML Format")) return "text/html";
        std::string mime = "application/x-tesk-";
        for (char c : name) {
            const bool plain = std::isalnum(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 0x80;
            mime += plain || c == '+' || c == '-' || c == '.' || c == '_' ? c : '-';
        }
        return mime;
    }
    return "application/x-tesk-format-" + std::to_string(Format);
}

bool TMemoryClipboardBackend::GetData(const std::string& MimeType, std::string& Data) {
    auto it = data_.find(MimeType);
    if (it == data_.end()) return false;
    Data = it->second;
    return true;
}

void TMemoryClipboardBackend::SetData(const std::map<std::string, std::string>& Formats) {
    data_ = Formats;
    ++changes_;
}

TClipboardBackend& ClipboardBackend() { return *BackendSlot(); }

void SetClipboardBackend(std::shared_ptr<TClipboardBackend> Backend) {
    BackendSlot() = Backend ? std::move(Backend) : std::make_shared<TMemoryClipboardBackend>();
}

TClipboard::~TClipboard() {
    if (openCount_ == 0) return;
    openCount_ = 1;
    try {
        Close();
    } catch (...) {
        // A destructor must not throw; the backend has been released either way.
    }
}

void TClipboard::Open() {
    if (openCount_ == 0) {
        std::shared_ptr<TClipboardBackend> backend = BackendSlot();
        if (!backend->Open()) throw EOSError("Cannot open clipboard");
        backend_ = std::move(backend);
        emptied_ = false;
        pending_.clear();
    }
    ++openCount_;
}

void TClipboard::Close() {
    if (openCount_ == 0) return;
    if (--openCount_ > 0) return;
    std::shared_ptr<TClipboardBackend> backend = std::move(backend_);
    backend_.reset();
    std::map<std::string, std::string> formats;
    formats.swap(pending_);
    const bool emptied = emptied_;
    emptied_ = false;
    TScopeGuard close([&backend] { backend->Close(); });
    if (emptied) backend->SetData(formats);
}

void TClipboard::Adding() {
    if (!emptied_) {
        pending_.clear();
        emptied_ = true;
    }
}

void TClipboard::Clear() {
    Open();
    Adding();
    pending_.clear();
    Close();
}

bool TClipboard::HasFormat(TClipboardFormat Format) {
    const std::string mime = ClipboardFormatMimeType(Format);
    if (openCount_ > 0 && emptied_) return pending_.count(mime) != 0;
    return (openCount_ > 0 ? *backend_ : ClipboardBackend()).HasFormat(mime);
}

bool TClipboard::GetBuffer(TClipboardFormat Format, std::string& Data) {
    const std::string mime = ClipboardFormatMimeType(Format);
    std::string raw;
    bool found;
    if (openCount_ > 0 && emptied_) {
        auto it = pending_.find(mime);
        found = it != pending_.end();
        if (found) raw = it->second;
    } else {
        Open();
        TScopeGuard close([this] { Close(); });
        found = backend_->GetData(mime, raw);
    }
    if (!found) return false;
    Data = Format == CF_TEXT ? TextFromSystem(raw) : raw;
    return true;
}

void TClipboard::SetBuffer(TClipboardFormat Format, const void* Buffer, size_t Size) {
    std::string bytes(static_cast<const char*>(Buffer), Size);
    if (Format == CF_TEXT) bytes = TextToSystem(CutAtZero(bytes));
    Open();
    Adding();
    pending_[ClipboardFormatMimeType(Format)] = std::move(bytes);
    Close();
}

AnsiString TClipboard::AsText() {
    std::string text;
    if (!GetBuffer(CF_TEXT, text)) return AnsiString();
    return CutAtZero(text);
}

void TClipboard::SetAsText(const AnsiString& Value) { SetBuffer(CF_TEXT, Value.c_str(), Value.size() + 1); }

TClipboard* Clipboard() {
    static TClipboard clipboard;
    return &clipboard;
}
