#include "platform/classes/IniFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "platform/classes/ProgramFolder.h"
#include "platform/classes/Strings.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// One line of the file, as offsets into its bytes.
struct Line {
    enum Kind : unsigned char { Other, Comment, Section, Key };
    size_t start = 0;  // first byte of the line
    size_t end = 0;    // just past its text, before the line break
    size_t next = 0;   // first byte of the next line
    size_t nameFrom = 0, valueFrom = 0;
    uint32_t nameLength = 0, valueLength = 0;  // section or key name, trimmed; value trimmed and unquoted
    Kind kind = Other;
};

// [from, to) less the blanks at both ends.
void TrimBlanks(const char* b, size_t& from, size_t& to) {
    while (from < to && IsBlank(b[from])) ++from;
    while (to > from && IsBlank(b[to - 1])) --to;
}

void ParseLineText(const char* b, Line& line) {
    size_t first = line.start;
    while (first < line.end && IsBlank(b[first])) ++first;
    if (first == line.end) return;
    if (b[first] == ';') {
        line.kind = Line::Comment;
    } else if (b[first] == '[') {
        size_t close = line.end;
        while (close > first && b[close - 1] != ']') --close;
        if (close > first + 1) {
            size_t from = first + 1, to = close - 1;
            TrimBlanks(b, from, to);
            line.kind = Line::Section;
            line.nameFrom = from;
            line.nameLength = static_cast<uint32_t>(to - from);
        }
    } else if (const void* found = std::memchr(b + first, '=', line.end - first)) {
        const size_t eq = static_cast<size_t>(static_cast<const char*>(found) - b);
        size_t nameTo = eq;
        TrimBlanks(b, first, nameTo);
        if (nameTo == first) return;
        size_t from = eq + 1, to = line.end;
        TrimBlanks(b, from, to);
        if (to - from >= 2 && (b[from] == '"' || b[from] == '\'') && b[to - 1] == b[from]) {
            ++from;
            --to;
        }
        line.kind = Line::Key;
        line.nameFrom = first;
        line.nameLength = static_cast<uint32_t>(nameTo - first);
        line.valueFrom = from;
        line.valueLength = static_cast<uint32_t>(to - from);
    }
}

// What identifies one state of a file: a change shows in its inode, size or
// times, unless it came within the clock tick of the state it replaced.
struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{}, changed{};
    bool operator==(const FileStamp& o) const {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
               modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
               changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
    // Changed so lately that a change of the same size in the same tick of
    // the file system's clock would leave the stamp as it is.
    bool Recent() const {
        timespec now{};
        ::clock_gettime(CLOCK_REALTIME, &now);
        return exists && std::max(modified.tv_sec, changed.tv_sec) >= now.tv_sec - 2;
    }
};

FileStamp StampOf(const struct stat& st) {
    FileStamp s;
    s.exists = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.modified = st.st_mtim;
    s.changed = st.st_ctim;
    return s;
}

FileStamp StampOf(const AnsiString& fileName) {
    struct stat st {};
    return ::stat(fileName.c_str(), &st) == 0 ? StampOf(st) : FileStamp();
}

}  // namespace

// The bytes of one state of the file and their lines.
struct TIniFile::TParsedFile {
    FileStamp stamp;
    bool recent = false;  // the stamp alone cannot tell a change: compare the bytes
    AnsiString bytes;
    std::vector<Line> lines;
    std::vector<size_t> sections;  // the section lines, in file order

    explicit TParsedFile(AnsiString Bytes) : bytes(std::move(Bytes)) { Parse(); }

    std::string_view Name(const Line& line) const { return {bytes.data() + line.nameFrom, line.nameLength}; }
    std::string_view Value(const Line& line) const { return {bytes.data() + line.valueFrom, line.valueLength}; }
    static bool Same(std::string_view a, std::string_view b) {
        return a.size() == b.size() && AnsiCompareText(a, b) == 0;
    }

    // The first section of that name: its header line and the line just past
    // its last line; header -1 when there is none.
    struct Range {
        long header = -1;
        size_t end = 0;
    };
    Range FindSection(std::string_view name) const {
        for (size_t s = 0; s < sections.size(); ++s) {
            if (!Same(Name(lines[sections[s]]), name)) continue;
            return {static_cast<long>(sections[s]), s + 1 < sections.size() ? sections[s + 1] : lines.size()};
        }
        return {};
    }
    long FindKey(const Range& r, std::string_view ident) const {
        for (size_t i = static_cast<size_t>(r.header) + 1; r.header >= 0 && i < r.end; ++i)
            if (lines[i].kind == Line::Key && Same(Name(lines[i]), ident)) return static_cast<long>(i);
        return -1;
    }

private:
    void Parse() {
        const char* b = bytes.data();
        const size_t size = bytes.size();
        size_t pos = std::string_view(bytes).substr(0, kUtf8Mark.size()) == kUtf8Mark ? kUtf8Mark.size() : 0;
        lines.reserve(size / 32 + 1);
        while (pos < size) {
            Line line;
            line.start = pos;
            // A line ends at LF, CR LF or a lone CR.
            const void* lf = std::memchr(b + pos, '\n', size - pos);
            const size_t lfAt = lf ? static_cast<size_t>(static_cast<const char*>(lf) - b) : size;
            const void* cr = std::memchr(b + pos, '\r', lfAt - pos);
            if (cr) {
                line.end = static_cast<size_t>(static_cast<const char*>(cr) - b);
                line.next = line.end + 1 < size && b[line.end + 1] == '\n' ? line.end + 2 : line.end + 1;
            } else {
                line.end = lfAt;
                line.next = lf ? lfAt + 1 : size;
            }
            ParseLineText(b, line);
            if (line.kind == Line::Section) sections.push_back(lines.size());
            lines.push_back(line);
            pos = line.next;
        }
    }
};

namespace {

using TParsedFile = TIniFile::TParsedFile;

void AddUnique(std::vector<AnsiString>& names, std::string_view name) {
    for (const auto& n : names)
        if (TParsedFile::Same(n, name)) return;
    names.emplace_back(name);
}

void FillStrings(TStrings* strings, const std::vector<AnsiString>& names) {
    TUpdateLock lock(strings);
    strings->Clear();
    for (const auto& n : names) strings->Add(n);
}

void Keep(std::unique_ptr<TParsedFile>& parsed, AnsiString bytes, const FileStamp& stamp) {
    parsed = std::make_unique<TParsedFile>(std::move(bytes));
    parsed->stamp = stamp;
    parsed->recent = stamp.Recent();
}

// The file's bytes and the stamp of what was read; a file that cannot be
// read reads as empty, as a missing one does.
AnsiString ReadBytes(const AnsiString& fileName, FileStamp& stamp) {
    AnsiString result;
    stamp = FileStamp();
    int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return result;
    struct stat st {};
    if (::fstat(fd, &st) == 0) {
        stamp = StampOf(st);
        if (st.st_size > 0) result.reserve(static_cast<size_t>(st.st_size));
    }
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        result.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return result;
}

}  // namespace

TIniFile::TIniFile(const AnsiString& FileName) : fileName_(FileName) {}

TIniFile::~TIniFile() = default;

const TIniFile::TParsedFile& TIniFile::Parsed() {
    if (parsed_ && parsed_->stamp == StampOf(fileName_) && !parsed_->recent) return *parsed_;
    FileStamp stamp;
    AnsiString bytes = ReadBytes(fileName_, stamp);
    if (parsed_ && parsed_->stamp == stamp && parsed_->bytes == bytes) {
        parsed_->recent = stamp.Recent();
        return *parsed_;
    }
    Keep(parsed_, std::move(bytes), stamp);
    return *parsed_;
}



void TIniFile::Save(AnsiString bytes) {
    WriteBytes(bytes);
    // What was written is what the next read finds, unless the file changes again.
    const FileStamp stamp = StampOf(fileName_);
    Keep(parsed_, std::move(bytes), stamp);
}

void TIniFile::WriteBytes(const AnsiString& bytes) {
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
    const TParsedFile& f = Parsed();
    const long k = f.FindKey(f.FindSection(Section), Ident);
    return k < 0 ? Default : AnsiString(f.Value(f.lines[static_cast<size_t>(k)]));
}

void TIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) {
    const TParsedFile& f = Parsed();
    AnsiString bytes = f.bytes;
    const TParsedFile::Range r = f.FindSection(Section);
    if (r.header < 0) {
        // A file of the byte-order mark alone has no line to end.
        if (!bytes.empty() && bytes != kUtf8Mark && bytes.back() != '\n' && bytes.back() != '\r') bytes += "\r\n";
        bytes += "[" + Section + "]\r\n" + Ident + "=" + Value + "\r\n";
    } else if (const long k = f.FindKey(r, Ident); k >= 0) {
        const Line& line = f.lines[static_cast<size_t>(k)];
        bytes.replace(line.start, line.end - line.start, AnsiString(f.Name(line)) + "=" + Value);
    } else {
        size_t after = static_cast<size_t>(r.header);
        for (size_t i = after + 1; i < r.end; ++i)
            if (f.lines[i].kind == Line::Key) after = i;
        const Line& line = f.lines[after];
        AnsiString insert = Ident + "=" + Value + "\r\n";
        if (line.next == line.end) insert = "\r\n" + insert;  // the last line had no break
        bytes.insert(line.next, insert);
    }
    // A key written back as it stands (an empty value read and refilled
    // with an empty default) leaves the file as it is.
    if (bytes == f.bytes) return;
    Save(std::move(bytes));
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
    const TParsedFile& f = Parsed();
    const TParsedFile::Range r = f.FindSection(Section);
    std::vector<AnsiString> names;
    for (size_t i = static_cast<size_t>(r.header) + 1; r.header >= 0 && i < r.end; ++i)
        if (f.lines[i].kind == Line::Key) AddUnique(names, f.Name(f.lines[i]));
    FillStrings(Strings, names);
}

void TIniFile::ReadSections(TStrings* Strings) {
    const TParsedFile& f = Parsed();
    std::vector<AnsiString> names;
    for (size_t s : f.sections) AddUnique(names, f.Name(f.lines[s]));
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
    const TParsedFile& f = Parsed();
    const TParsedFile::Range r = f.FindSection(Section);
    if (r.header < 0) return;
    AnsiString bytes = f.bytes;
    const size_t from = f.lines[static_cast<size_t>(r.header)].start;
    const size_t to = r.end < f.lines.size() ? f.lines[r.end].start : bytes.size();
    bytes.erase(from, to - from);
    Save(std::move(bytes));
}

void TIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident) {
    const TParsedFile& f = Parsed();
    const long k = f.FindKey(f.FindSection(Section), Ident);
    if (k < 0) return;
    const Line& line = f.lines[static_cast<size_t>(k)];
    AnsiString bytes = f.bytes;
    bytes.erase(line.start, line.next - line.start);
    Save(std::move(bytes));
}

bool TIniFile::SectionExists(const AnsiString& Section) {
    const TParsedFile& f = Parsed();
    const TParsedFile::Range r = f.FindSection(Section);
    for (size_t i = static_cast<size_t>(r.header) + 1; r.header >= 0 && i < r.end; ++i)
        if (f.lines[i].kind == Line::Key) return true;
    return false;
}

bool TIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident) {
    const TParsedFile& f = Parsed();
    return f.FindKey(f.FindSection(Section), Ident) >= 0;
}
