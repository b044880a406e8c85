#include "text/UtFileUtils.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/classes/Strings.h"
#include "platform/rtl/Version.h"

namespace {

const char kSeparator = '\\';

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Runs to the next "\" or the end; at least one character, none of the forbidden ones.
bool IsShareName(const AnsiString& path, size_t from) {
    const size_t end = std::min(path.find(kSeparator, from), path.size());
    if (end == from) return false;
    for (size_t i = from; i < end; ++i)
        if (std::strchr("\"'*+,/:;<=>?[]|", path[i]) && path[i] != '\0') return false;
    return true;
}

bool IsUncPath(const AnsiString& path) {
    if (path.compare(0, 2, "\\\\") != 0) return false;
    if (path.compare(0, 7, "\\\\?\\UNC") == 0) return path.size() > 7 && path[7] == kSeparator && IsShareName(path, 8);
    // A machine name: letters, digits, "-", "_", "."; not digits only.
    size_t i = 2;
    bool nonDigit = false;
    for (; i < path.size() && path[i] != kSeparator; ++i) {
        const char c = path[i];
        if (!IsAsciiLetter(c) && !IsDigit(c) && c != '-' && c != '_' && c != '.') return false;
        if (!IsDigit(c)) nonDigit = true;
    }
    if (i == 2 || !nonDigit || i >= path.size()) return false;
    return IsShareName(path, i + 1);
}

[[noreturn]] void NoVersionInformation() { throw EUtFileVersionInfoError("File contains no version information"); }

bool SameFile(const AnsiString& a, const char* b) {
    struct stat sa, sb;
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b, &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

void Put16(std::string& r, uint16_t v) {
    r += static_cast<char>(v & 0xFF);
    r += static_cast<char>(v >> 8);
}
void Put32(std::string& r, uint32_t v) {
    Put16(r, static_cast<uint16_t>(v & 0xFFFF));
    Put16(r, static_cast<uint16_t>(v >> 16));
}

// The running program's resource: a 32-bit form root with the build's version.
std::string OwnVersionResource() {
    std::string r;
    Put16(r, 0);   // total length, set below
    Put16(r, 52);  // value length
    Put16(r, 0);   // binary
    for (const char* k = "VS_VERSION_INFO"; *k; ++k) Put16(r, static_cast<uint16_t>(*k));
    Put16(r, 0);
    while (r.size() % 4) r += '\0';
    const uint32_t ms = (uint32_t{TESK_VERSION_MAJOR} << 16) | TESK_VERSION_MINOR;
    const uint32_t ls = (uint32_t{TESK_VERSION_PATCH} << 16) | TESK_VERSION_BUILD;
    const uint32_t fixed[13] = {0xFEEF04BD, 0x00010000, ms, ls, ms, ls, 0x3F, 0, 0, 1 /* application */, 0, 0, 0};
    for (uint32_t v : fixed) Put32(r, v);
    r[0] = static_cast<char>(r.size() & 0xFF);
    r[1] = static_cast<char>(r.size() >> 8);
    return r;
}

// One entry of the version tree: total length, value length, type (32-bit
// form only), key, padding, value, padding, children.
struct Entry {
    size_t end = 0;  // offset behind the entry
    uint16_t valueLength = 0;
    uint16_t type = 0;
    AnsiString key;
    size_t value = 0;  // offset of the value
};

class TreeReader {
public:
    explicit TreeReader(const std::string& b) : b_(b), wide_(b.size() >= 6 && U16(4) < 2) {}

    bool Wide() const { return wide_; }
    size_t HeaderSize() const { return wide_ ? 6 : 4; }
    static size_t Align(size_t p) { return (p + 3) & ~size_t{3}; }

    uint16_t U16(size_t at) const {
        return static_cast<uint16_t>(static_cast<unsigned char>(b_[at]) | static_cast<unsigned char>(b_[at + 1]) << 8);
    }
    uint32_t U32(size_t at) const { return U16(at) | static_cast<uint32_t>(U16(at + 2)) << 16; }

    // The entry at `at`, which must lie wholly before `limit`.
    Entry Read(size_t at, size_t limit) const {
        if (at + HeaderSize() > limit) NoVersionInformation();
        Entry e;
        const uint16_t length = U16(at);
        if (length == 0 || at + length > limit) NoVersionInformation();
        e.end = at + length;
        e.valueLength = U16(at + 2);
        size_t p = at + 4;
        if (wide_) {
            e.type = U16(p);
            p += 2;
        }
        size_t keyEnd;
        e.key = Text(p, e.end, keyEnd);
        if (keyEnd > e.end) NoVersionInformation();  // no terminator inside the entry
        e.value = Align(keyEnd);
        return e;
    }

    // A zero-terminated text from `at`, read at most up to `limit`; `next` is
    // set behind its terminator (beyond `limit` when there is none).
    AnsiString Text(size_t at, size_t limit, size_t& next) const {
        if (wide_) {
            WideString w;
            size_t p = at;
            for (; p + 2 <= limit && U16(p) != 0; p += 2) w += static_cast<char16_t>(U16(p));
            next = p + 2;
            return WideToAnsi(w);
        }
        size_t p = at;
        while (p < limit && b_[p] != '\0') ++p;
        next = p + 1;
        return b_.substr(at, p - at);
    }

private:
    const std::string& b_;
    bool wide_;
};

AnsiString HexKey(const AnsiString& key) {
    AnsiString k = key;
    for (size_t at; (at = k.find("0x")) != AnsiString::npos || (at = k.find("0X")) != AnsiString::npos;)
        k.erase(at, 2);
    AnsiString hex;
    for (char c : k)
        if (IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) hex += c;
    return hex;
}

}  // namespace

AnsiString PathAddSeparator(const AnsiString& Path) {
    if (!Path.empty() && Path.back() == kSeparator) return Path;
    return Path + kSeparator;
}

AnsiString PathRemoveSeparator(const AnsiString& Path) {
    if (!Path.empty() && Path.back() == kSeparator) return Path.substr(0, Path.size() - 1);
    return Path;
}

AnsiString PathAddExtension(const AnsiString& Path, const AnsiString& Extension) {
    if (Path.empty() || Extension.empty()) return Path;
    // The extension is what follows the last dot of the last name ("/" counts
    // as a separator too, for the native file names that come this way).
    const size_t mark = Path.find_last_of(".\\/:");
    if (mark != AnsiString::npos && Path[mark] == '.') return Path;
    return Extension[0] == '.' ? Path + Extension : Path + "." + Extension;
}

bool PathIsAbsolute(const AnsiString& Path) {
    if (Path.empty()) return false;
    if (IsUncPath(Path)) return true;
    const size_t offset = Path.compare(0, 4, "\\\\.\\") == 0 ? 4 : 0;
    return Path.size() > offset + 2 && IsAsciiLetter(Path[offset]) && Path[offset + 1] == ':' &&
           Path[offset + 2] == kSeparator;
}

AnsiString FileOfTitle(const AnsiString& Folder, const AnsiString& Title, const AnsiString& Extension) {
    const AnsiString usual = Folder + AnsiToUtf8(Title) + "." + Extension;
    if (IsRegularFile(usual)) return usual;
    std::vector<AnsiString> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(Folder.empty() ? "." : Folder.c_str(), error)) {
        if (!entry.is_regular_file(error)) continue;
        const AnsiString name = entry.path().filename().string();
        if (name.size() < Extension.size() + 1) continue;
        const size_t dot = name.size() - Extension.size() - 1;
        if (name[dot] == '.' && SameText(name.substr(dot + 1), Extension) &&
            FileNameAsText(name.substr(0, dot)) == Title)
            found.push_back(name);
    }
    if (found.empty()) return usual;
    return Folder + *std::min_element(found.begin(), found.end());
}

int64_t GetSizeOfFile(const AnsiString& FileName) {
    struct stat st;
    if (FileName.empty() || ::stat(FileName.c_str(), &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

bool FileExists(const AnsiString& FileName) { return GetSizeOfFile(FileName) != -1; }

bool IsRegularFile(const AnsiString& FileName) {
    struct stat st;
    return !FileName.empty() && ::stat(FileName.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

AnsiString GetModulePath(HMODULE /*Module*/) {
    std::string path(256, '\0');
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
        if (n < 0) return AnsiString();
        if (static_cast<size_t>(n) < path.size()) {
            path.resize(static_cast<size_t>(n));
            return path;
        }
        path.resize(path.size() * 2);
    }
}

bool GetFileVersionResource(const AnsiString& FileName, std::string& Resource) {
    if (!SameFile(FileName, "/proc/self/exe")) return false;
    Resource = OwnVersionResource();
    return true;
}

bool VersionResourceAvailable(const AnsiString& FileName, TVSFixedFileInfo& FixedInfo) {
    try {
        std::string resource;
        if (!GetFileVersionResource(FileName, resource)) return false;
        std::unique_ptr<TUtFileVersionInfo> info = TUtFileVersionInfo::FromResource(resource);
        FixedInfo = info->FixedInfo();
        return true;
    } catch (const Exception&) {
        return false;
    }
}

TUtFileVersionInfo::TUtFileVersionInfo(const AnsiString& FileName) : items_(new TStringList) {
    try {
        if (!GetFileVersionResource(FileName, buffer_)) NoVersionInformation();
        Parse();
    } catch (...) {
        delete items_;
        throw;
    }
}

TUtFileVersionInfo::TUtFileVersionInfo(FromBuffer, const std::string& Resource)
    : buffer_(Resource), items_(new TStringList) {
    try {
        Parse();
    } catch (...) {
        delete items_;
        throw;
    }
}

std::unique_ptr<TUtFileVersionInfo> TUtFileVersionInfo::FromResource(const std::string& Resource) {
    return std::unique_ptr<TUtFileVersionInfo>(new TUtFileVersionInfo(FromBuffer{}, Resource));
}

TUtFileVersionInfo::~TUtFileVersionInfo() { delete items_; }

void TUtFileVersionInfo::Parse() {
    AssertAt(reinterpret_cast<uintptr_t>(buffer_.data()) % 4 == 0, "UtFileUtils", 4475);
    const TreeReader r(buffer_);
    const Entry root = r.Read(0, buffer_.size());
    if (root.key != "VS_VERSION_INFO" || root.valueLength != sizeof(TVSFixedFileInfo) ||
        root.value + sizeof(TVSFixedFileInfo) > root.end || r.U32(root.value) != 0xFEEF04BD)
        NoVersionInformation();
    uint32_t* fields = &fixed_.dwSignature;
    for (size_t i = 0; i < 13; ++i) fields[i] = r.U32(root.value + 4 * i);

    for (size_t at = TreeReader::Align(root.value + root.valueLength); at + r.HeaderSize() <= root.end;) {
        const Entry child = r.Read(at, root.end);
        if (child.key == "StringFileInfo") {
            for (size_t t = TreeReader::Align(child.value + child.valueLength); t + r.HeaderSize() <= child.end;) {
                const Entry table = r.Read(t, child.end);
                const AnsiString hex = HexKey(table.key);
                if (hex.size() != 8 || table.valueLength != 0) NoVersionInformation();
                const uint32_t id = static_cast<uint32_t>(std::stoul(hex, nullptr, 16));
                languages_.push_back({static_cast<uint16_t>(id >> 16), static_cast<uint16_t>(id & 0xFFFF)});
                const int language = static_cast<int>(languages_.size()) - 1;
                for (size_t s = table.value; s + r.HeaderSize() <= table.end;) {
                    const Entry str = r.Read(s, table.end);
                    AnsiString value;
                    if (r.Wide() && str.type == 0) {
                        // A binary value of 1 to 4 16-bit words, as hex digits.
                        const size_t words = str.valueLength;
                        if (words >= 1 && words <= 4 && str.value + 2 * words <= str.end) {
                            uint64_t v = 0;
                            for (size_t w = 0; w < words; ++w) v |= uint64_t{r.U16(str.value + 2 * w)} << (16 * w);
                            char digits[24];
                            std::snprintf(digits, sizeof digits, "$%.*llX", static_cast<int>(4 * words),
                                          static_cast<unsigned long long>(v));
                            value = digits;
                        }
                    } else {
                        const size_t bytes = r.Wide() ? 2u * str.valueLength : str.valueLength;
                        size_t next;
                        value = r.Text(str.value, std::min(str.value + bytes, str.end), next);
                    }
                    itemList_.push_back({str.key + "=" + value, language});
                    s = TreeReader::Align(str.end);
                }
                t = TreeReader::Align(table.end);
            }
        } else if (child.key == "VarFileInfo") {
            for (size_t v = TreeReader::Align(child.value + child.valueLength); v + r.HeaderSize() <= child.end;) {
                const Entry var = r.Read(v, child.end);
                if (var.key == "Translation")
                    for (size_t i = 0; i < var.valueLength / 4u && var.value + 4 * i + 4 <= var.end; ++i)
                        translations_.push_back(r.U32(var.value + 4 * i));
                v = TreeReader::Align(var.end);
            }
        } else {
            break;
        }
        at = TreeReader::Align(child.end);
    }

    const uint32_t flags = fixed_.dwFileFlags & fixed_.dwFileFlagsMask;
    const struct {
        uint32_t bit;
        TUtFileFlag flag;
    } map[] = {{0x01, ffDebug},        {0x10, ffInfoInferred}, {0x04, ffPatched},
               {0x02, ffPreRelease},   {0x08, ffPrivateBuild}, {0x20, ffSpecialBuild}};
    for (const auto& m : map)
        if (flags & m.bit) fileFlags_ |= m.flag;
    FillItems();
}

void TUtFileVersionInfo::FillItems() {
    items_->BeginUpdate();
    items_->Clear();
    for (const TItem& item : itemList_)
        if (item.LanguageIndex == languageIndex_) items_->Add(item.Line);
    items_->EndUpdate();
}

void TUtFileVersionInfo::SetLanguageIndex(int Index) {
    languageIndex_ = Index;
    FillItems();
}

AnsiString TUtFileVersionInfo::GetFileVersion() const {
    return std::to_string(fixed_.dwFileVersionMS >> 16) + "." + std::to_string(fixed_.dwFileVersionMS & 0xFFFF) +
           "." + std::to_string(fixed_.dwFileVersionLS >> 16) + "." + std::to_string(fixed_.dwFileVersionLS & 0xFFFF);
}
