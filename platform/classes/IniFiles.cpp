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
#include "platform/rtl/CodePage.h"
#include "platform/rtl/ScopeGuard.h"
#include "platform/rtl/SysUtils.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// One line of the file, as offsets into its bytes; the name and the value
// are counted from the line's start.
struct Line {
    enum Kind : unsigned char { Other, Comment, Section, Key };
    size_t start = 0;  // first byte of the line
    size_t end = 0;    // just past its text, before the line break
    uint32_t nameFrom = 0, nameLength = 0;    // section or key name, trimmed
    uint32_t valueFrom = 0, valueLength = 0;  // key value, trimmed and unquoted
    Kind kind = Other;
};

// [from, to) less the blanks at both ends.
void TrimBlanks(const char* b, size_t& from, size_t& to) {
    while (from < to && IsBlank(b[from])) ++from;
    while (to > from && IsBlank(b[to - 1])) --to;
}

void ParseLineText(const char* b, Line& line) {
    // Only a file of gigabytes has a line too long to count in its offsets.
    if (line.end - line.start > UINT32_MAX) return;
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
            line.nameFrom = static_cast<uint32_t>(from - line.start);
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
        line.nameFrom = static_cast<uint32_t>(first - line.start);
        line.nameLength = static_cast<uint32_t>(nameTo - first);
        line.valueFrom = static_cast<uint32_t>(from - line.start);
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

// Calls Each(start, end, next) for every line of b[from, to): its first
// byte, the end of its text and the first byte after its break (LF, CR LF or
// a lone CR).
template <class F>
void ForEachLine(const char* b, size_t from, size_t to, F&& Each) {
    while (from < to) {
        const void* lf = std::memchr(b + from, '\n', to - from);
        const size_t lfAt = lf ? static_cast<size_t>(static_cast<const char*>(lf) - b) : to;
        const void* cr = std::memchr(b + from, '\r', lfAt - from);
        size_t end, next;
        if (cr) {
            end = static_cast<size_t>(static_cast<const char*>(cr) - b);
            next = end + 1 < to && b[end + 1] == '\n' ? end + 2 : end + 1;
        } else {
            end = lfAt;
            next = lf ? lfAt + 1 : to;
        }
        Each(from, end, next);
        from = next;
    }
}

// The bytes of one state of the file. Its sections are found at once; the
// lines of a section are parsed when the section is first asked for, so that
// a read does little more than one pass over the bytes.
struct TIniFile::TParsedFile {
    FileStamp stamp;
    bool recent = false;  // the stamp alone cannot tell a change: compare the bytes
    int readError = 0;    // errno of a file that is there but could not be read
    AnsiString bytes;

    struct Section {
        Line header;
        size_t body = 0;  // just past the header and its line break
        size_t end = 0;   // the next section's header, or the end of the file
        mutable std::vector<Line> lines;  // of the body, once asked for
        mutable std::vector<size_t> keys;  // the key lines among them
        mutable bool parsed = false;
    };
    std::vector<Section> sections;
    mutable signed char utf8 = -1;  // not yet looked at

    explicit TParsedFile(AnsiString Bytes) : bytes(std::move(Bytes)) { FindSections(); }

    // Whether the bytes are UTF-8 as an editor saves it: the mark, or valid
    // UTF-8 beyond ASCII. Looked at once, and only when asked.
    bool HoldsUtf8() const {
        if (utf8 < 0) utf8 = std::string_view(bytes).starts_with(kUtf8Mark) || HoldsUtf8Letters(bytes);
        return utf8 > 0;
    }

    std::string_view Name(const Line& line) const {
        return {bytes.data() + line.start + line.nameFrom, line.nameLength};
    }
    std::string_view Value(const Line& line) const {
        return {bytes.data() + line.start + line.valueFrom, line.valueLength};
    }
    static bool Same(std::string_view a, std::string_view b) {
        return a.size() == b.size() && AnsiCompareText(a, b) == 0;
    }

    // The first section of that name, or nullptr.
    const Section* FindSection(std::string_view name) const {
        for (const Section& s : sections)
            if (Same(Name(s.header), name)) return &s;
        return nullptr;
    }
    const std::vector<Line>& Lines(const Section& s) const {
        if (!s.parsed) {
            ForEachLine(bytes.data(), s.body, s.end, [&](size_t start, size_t end, size_t) {
                Line line;
                line.start = start;
                line.end = end;
                ParseLineText(bytes.data(), line);
                if (line.kind == Line::Key) s.keys.push_back(s.lines.size());
                s.lines.push_back(line);
            });
            s.parsed = true;
        }
        return s.lines;
    }
    // The index of the key's first line in the section, or -1.
    long FindKey(const Section* s, std::string_view ident) const {
        if (!s) return -1;
        const std::vector<Line>& lines = Lines(*s);
        for (size_t i : s->keys)
            if (Same(Name(lines[i]), ident)) return static_cast<long>(i);
        return -1;
    }
    // The first byte after line i of the section and its line break.
    size_t Next(const Section& s, size_t i) const {
        return i + 1 < s.lines.size() ? s.lines[i + 1].start : s.end;
    }

private:
    void FindSections() {
        const char* b = bytes.data();
        const size_t from = std::string_view(bytes).substr(0, kUtf8Mark.size()) == kUtf8Mark ? kUtf8Mark.size() : 0;
        ForEachLine(b, from, bytes.size(), [&](size_t start, size_t end, size_t next) {
            size_t first = start;
            while (first < end && IsBlank(b[first])) ++first;
            if (first == end || b[first] != '[') return;
            Line line;
            line.start = start;
            line.end = end;
            ParseLineText(b, line);
            if (line.kind != Line::Section) return;
            if (!sections.empty()) sections.back().end = start;
            Section& s = sections.emplace_back();
            s.header = line;
            s.body = s.end = next;
        });
        if (!sections.empty()) sections.back().end = bytes.size();
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

void Keep(std::unique_ptr<TParsedFile>& parsed, AnsiString bytes, const FileStamp& stamp, bool recent,
          int readError = 0) {
    parsed = std::make_unique<TParsedFile>(std::move(bytes));
    parsed->stamp = stamp;
    parsed->recent = recent;
    parsed->readError = readError;
}

// The file's bytes and the stamp of what was read; a file that cannot be
// read reads as empty, as a missing one does, and readError tells it apart.
AnsiString ReadBytes(const AnsiString& fileName, FileStamp& stamp, int& readError) {
    AnsiString result;
    stamp = FileStamp();
    readError = 0;
    int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno != ENOENT) readError = errno;
        return result;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0) stamp = StampOf(st);
    // Straight into the text by the size the file had, then whatever it
    // grew by meanwhile.
    size_t done = 0;
    result.resize(st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0);
    char more[16384];
    for (;;) {
        const bool inText = done < result.size();
        ssize_t n = inText ? ::read(fd, result.data() + done, result.size() - done) : ::read(fd, more, sizeof more);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            readError = errno;
            done = 0;
        }
        if (n <= 0) break;
        if (!inText) result.append(more, static_cast<size_t>(n));
        done += static_cast<size_t>(n);
    }
    result.resize(done);
    ::close(fd);
    return result;
}

}  // namespace

TIniFile::TIniFile(const AnsiString& FileName) : fileName_(FileName) {}

TIniFile::~TIniFile() = default;

const TIniFile::TParsedFile& TIniFile::Parsed() {
    if (parsed_ && parsed_->stamp == StampOf(fileName_) && !parsed_->recent) return *parsed_;
    FileStamp stamp;
    int readError = 0;
    AnsiString bytes = ReadBytes(fileName_, stamp, readError);
    if (parsed_ && parsed_->stamp == stamp && parsed_->bytes == bytes && parsed_->readError == readError) {
        parsed_->recent = stamp.Recent();
        return *parsed_;
    }
    Keep(parsed_, std::move(bytes), stamp, stamp.Recent(), readError);
    return *parsed_;
}

void TIniFile::CheckReadable() const {
    // A change built on what could be read would hold nothing of the file's own.
    if (parsed_ && parsed_->readError)
        throw EIniFileException("Unable to write to " + fileName_ + ". " + std::strerror(parsed_->readError));
}

bool TIniFile::Utf8(const TParsedFile& f) const { return detectUtf8_ && f.HoldsUtf8(); }

namespace {

bool IsAscii(std::string_view s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

// The caller's text as the file holds it: the text itself, or its UTF-8 form
// kept in Scratch.
std::string_view TIniFile::ToFile(const TParsedFile& f, const AnsiString& Text, AnsiString& Scratch) const {
    if (!Utf8(f) || IsAscii(Text)) return Text;
    Scratch = AnsiToUtf8(Text);
    return Scratch;
}

AnsiString TIniFile::FromFile(const TParsedFile& f, std::string_view Text) const {
    if (!Utf8(f) || IsAscii(Text)) return AnsiString(Text);
    bool lost = false;
    return Utf8ToAnsi(Text, lost);
}

bool TIniFile::IsUtf8() { return Utf8(Parsed()); }

void TIniFile::ReadKeysWithLostLetters(TStrings* Strings) {
    const TParsedFile& f = Parsed();
    std::vector<AnsiString> found;
    if (Utf8(f)) {
        // Only the key a read finds counts: the read's own lookups tell it.
        for (const TParsedFile::Section& s : f.sections) {
            if (f.FindSection(f.Name(s.header)) != &s) continue;
            const std::vector<Line>& lines = f.Lines(s);
            for (size_t i : s.keys) {
                const std::string_view value = f.Value(lines[i]);
                if (IsAscii(value)) continue;
                bool lost = false;
                Utf8ToAnsi(value, lost);
                if (lost && f.FindKey(&s, f.Name(lines[i])) == static_cast<long>(i))
                    found.push_back("[" + FromFile(f, f.Name(s.header)) + "] " + FromFile(f, f.Name(lines[i])));
            }
        }
    }
    FillStrings(Strings, found);
}

void TIniFile::Save(AnsiString bytes) {
    CheckReadable();
    WriteBytes(bytes);
    // What was written is what the next read finds, unless the file changes
    // again. Its stamp is trusted: a change made in the same tick by another
    // writer would have raced with this write anyway.
    const FileStamp stamp = StampOf(fileName_);
    Keep(parsed_, std::move(bytes), stamp, false);
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
    AnsiString sectionScratch, identScratch;
    const TParsedFile::Section* s = f.FindSection(ToFile(f, Section, sectionScratch));
    const long k = f.FindKey(s, ToFile(f, Ident, identScratch));
    return k < 0 ? Default : FromFile(f, f.Value(s->lines[static_cast<size_t>(k)]));
}

void TIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) {
    const TParsedFile& f = Parsed();
    AnsiString sectionScratch, identScratch, valueScratch;
    const AnsiString section(ToFile(f, Section, sectionScratch));
    const AnsiString ident(ToFile(f, Ident, identScratch));
    const AnsiString value(ToFile(f, Value, valueScratch));
    const TParsedFile::Section* s = f.FindSection(section);
    const long k = s ? f.FindKey(s, ident) : -1;
    AnsiString line;
    if (k >= 0) {
        // A key written back as it stands (an empty value read and refilled
        // with an empty default) leaves the file as it is; told by its line
        // alone, as a language load writes back some twenty such keys and
        // its file may hold megabytes.
        const Line& at = s->lines[static_cast<size_t>(k)];
        line = AnsiString(f.Name(at)) + "=" + value;
        if (f.bytes.compare(at.start, at.end - at.start, line) == 0) return;
    }
    AnsiString bytes = f.bytes;
    if (!s) {
        // A file of the byte-order mark alone has no line to end.
        if (!bytes.empty() && bytes != kUtf8Mark && bytes.back() != '\n' && bytes.back() != '\r') bytes += "\r\n";
        bytes += "[" + section + "]\r\n" + ident + "=" + value + "\r\n";
    } else if (k >= 0) {
        const Line& at = s->lines[static_cast<size_t>(k)];
        bytes.replace(at.start, at.end - at.start, line);
    } else {
        // After the section's last key, or its header when it has none.
        size_t at = s->body, end = s->header.end;
        if (!s->keys.empty()) {
            at = f.Next(*s, s->keys.back());
            end = s->lines[s->keys.back()].end;
        }
        AnsiString insert = ident + "=" + value + "\r\n";
        if (at == end) insert = "\r\n" + insert;  // the last line had no break
        bytes.insert(at, insert);
    }
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
    std::vector<AnsiString> names;
    AnsiString scratch;
    if (const TParsedFile::Section* s = f.FindSection(ToFile(f, Section, scratch))) {
        const std::vector<Line>& lines = f.Lines(*s);
        for (size_t i : s->keys) AddUnique(names, FromFile(f, f.Name(lines[i])));
    }
    FillStrings(Strings, names);
}

void TIniFile::ReadSections(TStrings* Strings) {
    const TParsedFile& f = Parsed();
    std::vector<AnsiString> names;
    for (const TParsedFile::Section& s : f.sections) AddUnique(names, FromFile(f, f.Name(s.header)));
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
    AnsiString scratch;
    const TParsedFile::Section* s = f.FindSection(ToFile(f, Section, scratch));
    if (!s) {
        CheckReadable();  // the section may well be there
        return;
    }
    AnsiString bytes = f.bytes;
    bytes.erase(s->header.start, s->end - s->header.start);
    Save(std::move(bytes));
}

void TIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident) {
    const TParsedFile& f = Parsed();
    AnsiString sectionScratch, identScratch;
    const TParsedFile::Section* s = f.FindSection(ToFile(f, Section, sectionScratch));
    const long k = f.FindKey(s, ToFile(f, Ident, identScratch));
    if (k < 0) {
        CheckReadable();  // the key may well be there
        return;
    }
    const size_t start = s->lines[static_cast<size_t>(k)].start;
    AnsiString bytes = f.bytes;
    bytes.erase(start, f.Next(*s, static_cast<size_t>(k)) - start);
    Save(std::move(bytes));
}

bool TIniFile::SectionExists(const AnsiString& Section) {
    const TParsedFile& f = Parsed();
    AnsiString scratch;
    const TParsedFile::Section* s = f.FindSection(ToFile(f, Section, scratch));
    if (!s) return false;
    f.Lines(*s);
    return !s->keys.empty();
}

bool TIniFile::ValueExists(const AnsiString& Section, const AnsiString& Ident) {
    const TParsedFile& f = Parsed();
    AnsiString sectionScratch, identScratch;
    return f.FindKey(f.FindSection(ToFile(f, Section, sectionScratch)), ToFile(f, Ident, identScratch)) >= 0;
}
