// Fuzzes the INI file on a file of random bytes. Input layout: one byte of
// choices (bits 0-1: the section to write, 0 the one given, else one of the
// file's; bits 2-3 the same for the key), then the file up to the first zero
// byte, then the section, the key and the value, each ended by a zero byte.
// Names and values are cut to what a line can hold (no line breaks, no blanks
// around them, no '=' or leading ';' '[' in a key, no enclosing quotes in a
// value). Every key listed must read; a written value must read back; the
// keys and values of every other section and the section list must stay as
// they were, also when the key is deleted again; an integer written reads
// back. A violation aborts.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz/FuzzScratch.h"
#include "platform/classes/IniFiles.h"
#include "platform/classes/Strings.h"

namespace {

const AnsiString kMissing = "\nmissing";  // no value can hold a line break

class Folder {
public:
    Folder() {
        std::string pattern = (fuzzscratch::Root() / "tesk-fuzz-ini-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        path_ = pattern;
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    std::string File() const { return path_ + "/fuzz.ini"; }

private:
    std::string path_;
};

Folder& TheFolder() {
    static Folder folder;
    return folder;
}

void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) std::abort();
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f'; }

AnsiString OneLine(const AnsiString& s) {
    AnsiString out;
    for (char c : s)
        if (c != '\r' && c != '\n') out += c;
    size_t b = 0, e = out.size();
    while (b < e && IsBlank(out[b])) ++b;
    while (e > b && IsBlank(out[e - 1])) --e;
    return out.substr(b, e - b);
}

std::vector<AnsiString> List(const TStringList& s) {
    std::vector<AnsiString> v;
    for (int i = 0; i < s.Count(); ++i) v.push_back(s[i]);
    return v;
}

std::vector<AnsiString> Sections(TIniFile& ini) {
    TStringList s;
    ini.ReadSections(&s);
    return List(s);
}

std::vector<AnsiString> Keys(TIniFile& ini, const AnsiString& section) {
    TStringList s;
    ini.ReadSection(section, &s);
    return List(s);
}

std::vector<AnsiString> Values(TIniFile& ini, const AnsiString& section) {
    TStringList s;
    ini.ReadSectionValues(section, &s);
    return List(s);
}

// The values of every section but one.
std::vector<std::vector<AnsiString>> Others(TIniFile& ini, const std::vector<AnsiString>& sections,
                                            const AnsiString& except) {
    std::vector<std::vector<AnsiString>> all;
    for (const AnsiString& s : sections)
        if (!AnsiSameText(s, except)) all.push_back(Values(ini, s));
    return all;
}

// A section's "key=value" lines without the one key.
std::vector<AnsiString> Without(const std::vector<AnsiString>& values, const AnsiString& key) {
    std::vector<AnsiString> out;
    for (const AnsiString& v : values)
        if (!AnsiSameText(v.substr(0, v.find('=')), key)) out.push_back(v);
    return out;
}

// Splits off the text up to the next zero byte.
AnsiString Take(const char*& p, const char* end) {
    const char* q = p;
    while (q < end && *q) ++q;
    AnsiString s(p, static_cast<size_t>(q - p));
    p = q < end ? q + 1 : end;
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t choice = data[0];
    const char* p = reinterpret_cast<const char*>(data + 1);
    const char* end = reinterpret_cast<const char*>(data + size);
    const AnsiString file = Take(p, end);
    AnsiString section = OneLine(Take(p, end));
    AnsiString ident = OneLine(Take(p, end));
    AnsiString value = OneLine(AnsiString(p, static_cast<size_t>(end - p)));

    const std::string name = TheFolder().File();
    WriteFile(name, file);
    TIniFile ini(name);

    const std::vector<AnsiString> sections = Sections(ini);
    for (const AnsiString& s : sections)
        for (const AnsiString& k : Keys(ini, s))
            if (ini.ReadString(s, k, kMissing) == kMissing || !ini.ValueExists(s, k)) std::abort();

    if ((choice & 3) && !sections.empty()) section = sections[(choice & 3) % sections.size()];
    const std::vector<AnsiString> keysBefore = Keys(ini, section);
    if ((choice & 12) && !keysBefore.empty()) ident = keysBefore[((choice >> 2) & 3) % keysBefore.size()];
    ident = OneLine(ident.substr(0, ident.find('=')));
    while (!ident.empty() && (ident[0] == ';' || ident[0] == '[')) ident = OneLine(ident.substr(1));
    if (ident.empty()) ident = "k";
    while (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
        value.pop_back();
        value = OneLine(value);
    }

    const auto othersBefore = Others(ini, sections, section);
    const auto valuesBefore = Values(ini, section);
    bool known = false;
    for (const AnsiString& s : sections) known = known || AnsiSameText(s, section);

    ini.WriteString(section, ident, value);
    if (ini.ReadString(section, ident, kMissing) != value) std::abort();
    ini.ReadInteger(section, ident, 0);
    ini.ReadFloat(section, ident, 0);
    std::vector<AnsiString> expectSections = sections;
    if (!known) expectSections.push_back(section);
    if (Sections(ini) != expectSections) std::abort();
    if (Others(ini, expectSections, section) != othersBefore) std::abort();
    if (Without(Values(ini, section), ident) != Without(valuesBefore, ident)) std::abort();

    // Typed values read back as written.
    uint32_t hash = 0;
    for (char c : value) hash = hash * 31 + static_cast<unsigned char>(c);
    const int number = static_cast<int>(hash);
    ini.WriteInteger(section, ident, number);
    if (ini.ReadInteger(section, ident, ~number) != number || ini.ReadBool(section, ident, number == 0) != (number != 0))
        std::abort();

    ini.DeleteKey(section, ident);
    if (Others(ini, expectSections, section) != othersBefore) std::abort();
    return 0;
}
