#include "platform/classes/IniFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/classes/ProgramFolder.h"
#include "platform/classes/Strings.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

AnsiString TrimBlanks(const AnsiString& s, size_t from, size_t to) {
    while (from < to && IsBlank(s[from])) ++from;
    while (to > from && IsBlank(s[to - 1])) --to;
    return s.substr(from, to - from);
}

AnsiString Unquote(const AnsiString& v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

struct Line {
    enum Kind { Other, Comment, Section, Key };
    size_t start = 0;  // first byte of the line
    size_t end = 0;    // just past its text, before the line break
    size_t next = 0;   // first byte of the next line
    Kind kind = Other;
    AnsiString name;   // section or key name, trimmed
    AnsiString value;  // key value, trimmed and unquoted
};

std::vector<Line> Parse(const AnsiString& b) {
    std::vector<Line> lines;
    size_t pos = 0;
    while (pos < b.size()) {
        Line line;
        line.start = pos;
        size_t brk = b.find_first_of("\r\n", pos);
        if (brk == AnsiString::npos) {
            line.end = line.next = b.size();
        } else {
            line.end = brk;
            line.next = (b[brk] == '\r' && brk + 1 < b.size() && b[brk + 1] == '\n') ? brk + 2 : brk + 1;
        }
        size_t first = line.start;
        while (first < line.end && IsBlank(b[first])) ++first;
        if (first < line.end) {
            if (b[first] == ';') {
                line.kind = Line::Comment;
            } else if (b[first] == '[') {
                size_t close = line.end;
                while (close > first && b[close - 1] != ']') --close;
                if (close > first + 1) {
                    --close;
                    line.kind = Line::Section;
                    line.name = TrimBlanks(b, first + 1, close);
                }
            } else {
                // Only within the line: a search to the end of the file made reading quadratic.
                const void* found = std::memchr(b.data() + first, '=', line.end - first);
                if (found) {
                    const size_t eq = static_cast<size_t>(static_cast<const char*>(found) - b.data());
                    line.name = TrimBlanks(b, first, eq);
                    if (!line.name.empty()) {
                        line.kind = Line::Key;
                        line.value = Unquote(TrimBlanks(b, eq + 1, line.end));
                    }
                }
            }
        }
        lines.push_back(std::move(line));
        pos = lines.back().next;
    }
    return lines;
}

// The first section of that name: its header line and the line just past its
// last line; header -1 when there is none.
struct SectionRange {
    int header = -1;
    int end = 0;
};

SectionRange FindSection(const std::vector<Line>& lines, const AnsiString& section) {
    SectionRange r;
    int count = static_cast<int>(lines.size());
    for (int i = 0; i < count; ++i) {
        if (lines[static_cast<size_t>(i)].kind == Line::Section && AnsiSameText(lines[static_cast<size_t>(i)].name, section)) {
            r.header = i;
            r.end = i + 1;
            while (r.end < count && lines[static_cast<size_t>(r.end)].kind != Line::Section) ++r.end;
            break;
        }
    }
    return r;
}

int FindKey(const std::vector<Line>& lines, const SectionRange& r, const AnsiString& ident) {
    for (int i = r.header + 1; i < r.end; ++i)
        if (lines[static_cast<size_t>(i)].kind == Line::Key && AnsiSameText(lines[static_cast<size_t>(i)].name, ident))
            return i;
    return -1;
}

void AddUnique(std::vector<AnsiString>& names, const AnsiString& name) {
    for (const auto& n : names)
        if (AnsiSameText(n, name)) return;
    names.push_back(name);
}

void FillStrings(TStrings* strings, const std::vector<AnsiString>& names) {
    TUpdateLock lock(strings);
    strings->Clear();
    for (const auto& n : names) strings->Add(n);
}

}  // namespace

AnsiString TIniFile::Load() const {
    // A file that cannot be read reads as empty, as a missing one does.
    AnsiString result;
    int fd = ::open(fileName_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return result;
    char buffer[16384];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        result.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return result;
}

void TIniFile::Save(const AnsiString& bytes) {
    // A full disk or an I/O error leaves the old file untouched, and so it stays.
    const TAtomicWrite whole = TryWriteFileAtomically(fileName_, bytes);
    if (!whole.Error) return;
    if (!whole.PermissionRefused)
        throw EIniFileException("Unable to write to " + fileName_ + ". " + std::strerror(whole.Error));
    // A writable file in a folder we may not create files in: write it in
    // place, but only once the room for the new text is reserved, so that a
    // full disk fails before a byte of the old text is overwritten.
    int error = 0;
    int fd = ::open(fileName_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) error = errno;
    struct stat st {};
    if (!error && ::fstat(fd, &st) != 0) error = errno;
    if (!error && static_cast<off_t>(bytes.size()) > st.st_size) {
        int reserved = ::posix_fallocate(fd, 0, static_cast<off_t>(bytes.size()));
        if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL) error = reserved;
    }
    size_t done = 0;
    while (!error && done < bytes.size()) {
        ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) error = n < 0 ? errno : EIO;
        else done += static_cast<size_t>(n);
    }
    if (!error && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0) error = errno;
    if (!error && ::fsync(fd) != 0) error = errno;
    if (fd >= 0 && ::close(fd) != 0 && !error) error = errno;
    if (error) throw EIniFileException("Unable to write to " + fileName_ + ". " + std::strerror(error));
}

AnsiString TIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) {
    auto lines = Parse(Load());
    SectionRange r = FindSection(lines, Section);
    if (r.header < 0) return Default;
    int k = FindKey(lines, r, Ident);
    return k < 0 ? Default : lines[static_cast<size_t>(k)].value;
}

void TIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) {
    AnsiString bytes = Load();
    auto lines = Parse(bytes);
    SectionRange r = FindSection(lines, Section);
    if (r.header < 0) {
        if (!bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r') bytes += "\r\n";
        bytes += "[" + Section + "]\r\n" + Ident + "=" + Value + "\r\n";
    } else if (int k = FindKey(lines, r, Ident); k >= 0) {
        const Line& line = lines[static_cast<size_t>(k)];
        bytes.replace(line.start, line.end - line.start, line.name + "=" + Value);
    } else {
        int after = r.header;
        for (int i = r.header + 1; i < r.end; ++i)
            if (lines[static_cast<size_t>(i)].kind == Line::Key) after = i;
        const Line& line = lines[static_cast<size_t>(after)];
        AnsiString insert = Ident + "=" + Value + "\r\n";
        if (line.next == line.end) insert = "\r\n" + insert;  // the last line had no break
        bytes.insert(line.next, insert);
    }
    Save(bytes);
}

int TIniFile::ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default) {
    return StrToIntDef(ReadString(Section, Ident, AnsiString()), Default);
}

void TIniFile::WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value) {
    WriteString(Section, Ident, IntToStr(Value));
}

bool TIniFile::ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default) {
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value) {
    WriteString(Section, Ident, Value ? "1" : "0");
}

double TIniFile::ReadFloat(const AnsiString& Section, const AnsiString& Ident, double Default) {
    AnsiString s = ReadString(Section, Ident, AnsiString());
    double value;
    return !s.empty() && TryStrToFloat(s, value) ? value : Default;
}

void TIniFile::WriteFloat(const AnsiString& Section, const AnsiString& Ident, double Value) {
    WriteString(Section, Ident, FloatToStr(Value));
}

namespace {

using TDateReader = bool (*)(const AnsiString&, TDateTime&, const TFormatSettings&);

TDateTime ReadDateText(const AnsiString& Text, TDateReader Reader, TDateTime Default) {
    TDateTime value;
    return !Text.empty() && Reader(Text, value, FormatSettings) ? value : Default;
}

}  // namespace

TDateTime TIniFile::ReadDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Default) {
    return ReadDateText(ReadString(Section, Ident, AnsiString()), &TryStrToDate, Default);
}

TDateTime TIniFile::ReadDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default) {
    return ReadDateText(ReadString(Section, Ident, AnsiString()), &TryStrToDateTime, Default);
}

TDateTime TIniFile::ReadTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Default) {
    return ReadDateText(ReadString(Section, Ident, AnsiString()), &TryStrToTime, Default);
}

void TIniFile::WriteDate(const AnsiString& Section, const AnsiString& Ident, TDateTime Value) {
    WriteString(Section, Ident, DateToStr(Value));
}

void TIniFile::WriteDateTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value) {
    WriteString(Section, Ident, DateTimeToStr(Value));
}

void TIniFile::WriteTime(const AnsiString& Section, const AnsiString& Ident, TDateTime Value) {
    WriteString(Section, Ident, TimeToStr(Value));
}

void TIniFile::ReadSection(const AnsiString& Section, TStrings* Strings) {
    auto lines = Parse(Load());
    SectionRange r = FindSection(lines, Section);
    std::vector<AnsiString> names;
    for (int i = r.header + 1; r.header >= 0 && i < r.end; ++i)
        if (lines[static_cast<size_t>(i)].kind == Line::Key) AddUnique(names, lines[static_cast<size_t>(i)].name);
    FillStrings(Strings, names);
}

void TIniFile::ReadSections(TStrings* Strings) {
    std::vector<AnsiString> names;
    for (const auto& line : Parse(Load()))
        if (line.kind == Line::Section) AddUnique(names, line.name);
    FillStrings(Strings, names);
}

void TIniFile::ReadSectionValues(const AnsiString& Section, TStrings* Strings) {
    TStringList keys;
    ReadSection(Section, &keys);
    std::vector<AnsiString> pairs;
    for (int i = 0; i < keys.Count(); ++i) pairs.push_back(keys[i] + "=" + ReadString(Section, keys[i], AnsiString()));
    FillStrings(Strings, pairs);
}

void TIniFile::EraseSection(const AnsiString& Section) {
    AnsiString bytes = Load();
    auto lines = Parse(bytes);
    SectionRange r = FindSection(lines, Section);
    if (r.header < 0) return;
    size_t from = lines[static_cast<size_t>(r.header)].start;
    size_t to = r.end < static_cast<int>(lines.size()) ? lines[static_cast<size_t>(r.end)].start : bytes.size();
    bytes.erase(from, to - from);
    Save(bytes);
}

void TIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident) {
    AnsiString bytes = Load();
    auto lines = Parse(bytes);
    SectionRange r = FindSection(lines, Section);
    if (r.header < 0) return;
    int k = FindKey(lines, r, Ident);
    if (k < 0) return;
    const Line& line = lines[static_cast<size_t>(k)];
    bytes.erase(line.start, line.next - line.start);
    Save(bytes);
}

bool TIniFile::SectionExists(const AnsiString& Section) {
    TStringList keys;
    ReadSection(Section, &keys);
    return keys.Count() > 0;
}

bool TIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident) {
    TStringList keys;
    ReadSection(Section, &keys);
    return keys.IndexOf(Ident) >= 0;
}
