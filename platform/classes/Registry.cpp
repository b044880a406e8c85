#include "platform/classes/Registry.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

#include "platform/classes/IniFiles.h"
#include "platform/classes/ProgramFolder.h"
#include "platform/classes/Strings.h"
#include "platform/rtl/SysUtils.h"

namespace {

std::mutex folderMutex;
AnsiString testFolder;

AnsiString RegistryFolder() {
    {
        std::lock_guard<std::mutex> lock(folderMutex);
        if (!testFolder.empty()) return testFolder;
    }
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/') return AnsiString(xdg) + "/Tesk/";
    const char* home = std::getenv("HOME");
    return AnsiString(home && *home ? home : "/tmp") + "/.config/Tesk/";
}

// Joins the parts of a key path with single backslashes, dropping empty parts.
AnsiString NormalizePath(const AnsiString& path) {
    AnsiString result, part;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i == path.size() || path[i] == '\\') {
            if (!part.empty()) {
                if (!result.empty()) result += '\\';
                result += part;
            }
            part.clear();
        } else {
            part += path[i];
        }
    }
    return result;
}

bool StartsWithText(const AnsiString& s, const AnsiString& prefix) {
    return s.size() >= prefix.size() && AnsiSameText(s.substr(0, prefix.size()), prefix);
}

std::vector<AnsiString> Sections(TIniFile& ini) {
    TStringList list;
    ini.ReadSections(&list);
    std::vector<AnsiString> result;
    for (int i = 0; i < list.Count(); ++i) result.push_back(list[i]);
    return result;
}

// A key is there when its section or a section below it is.
bool SectionOrChildExists(TIniFile& ini, const AnsiString& section) {
    if (section.empty()) return true;  // the root
    for (const auto& s : Sections(ini))
        if (AnsiSameText(s, section) || StartsWithText(s, section + "\\")) return true;
    return false;
}

void EnsureFolder() {
    std::error_code ec;
    std::filesystem::create_directories(RegistryFolder(), ec);
}

// Adds an empty section, so that a created key exists before it holds values.
void AddSection(const AnsiString& fileName, const AnsiString& section) {
    EnsureFolder();
    AnsiString bytes;
    if (FILE* f = std::fopen(fileName.c_str(), "rb")) {
        char buffer[8192];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
        std::fclose(f);
    }
    if (!bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r') bytes += "\r\n";
    bytes += "[" + section + "]\r\n";
    try {
        WriteFileAtomically(fileName, bytes);
    } catch (const EStreamError& e) {
        throw ERegistryException("Failed to create key " + section + ": " + e.Message());
    }
}

}  // namespace

AnsiString RegistryFileName() { return RegistryFolder() + "registry.ini"; }

void SetRegistryFolderForTests(const AnsiString& Folder) {
    std::lock_guard<std::mutex> lock(folderMutex);
    testFolder = Folder;
    if (!testFolder.empty() && testFolder.back() != '/') testFolder += '/';
}

void TRegistry::SetRootKey(HKEY Value) {
    CloseKey();
    root_ = Value;
}

AnsiString TRegistry::FullPath(const AnsiString& Key) const {
    bool absolute = !Key.empty() && Key[0] == '\\';
    AnsiString base = (!absolute && open_) ? currentPath_ : AnsiString();
    return NormalizePath(base + "\\" + Key);
}

AnsiString TRegistry::Section(const AnsiString& path) const {
    const char* rootName = nullptr;
    switch (root_) {
    case HKEY_CURRENT_USER: return path;
    case HKEY_CLASSES_ROOT: rootName = "HKEY_CLASSES_ROOT"; break;
    case HKEY_LOCAL_MACHINE: rootName = "HKEY_LOCAL_MACHINE"; break;
    case HKEY_USERS: rootName = "HKEY_USERS"; break;
    default: rootName = "HKEY_ROOT"; break;
    }
    return path.empty() ? AnsiString(rootName) : AnsiString(rootName) + "\\" + path;
}

bool TRegistry::OpenKey(const AnsiString& Key, bool CanCreate) {
    AnsiString path = FullPath(Key);
    TIniFile ini(RegistryFileName());
    if (!SectionOrChildExists(ini, Section(path))) {
        if (!CanCreate) return false;
        AddSection(RegistryFileName(), Section(path));
    }
    currentPath_ = path;
    open_ = true;
    readOnly_ = false;
    return true;
}

bool TRegistry::OpenKeyReadOnly(const AnsiString& Key) {
    if (!OpenKey(Key, false)) return false;
    readOnly_ = true;
    return true;
}

void TRegistry::CloseKey() {
    currentPath_.clear();
    open_ = false;
    readOnly_ = false;
}

bool TRegistry::KeyExists(const AnsiString& Key) {
    TIniFile ini(RegistryFileName());
    return SectionOrChildExists(ini, Section(FullPath(Key)));
}

bool TRegistry::DeleteKey(const AnsiString& Key) {
    AnsiString section = Section(FullPath(Key));
    if (section.empty()) return false;  // never the whole tree
    TIniFile ini(RegistryFileName());
    bool found = false;
    // One section at a time: each erase takes the first of its name, duplicates included.
    for (;;) {
        AnsiString victim;
        for (const auto& s : Sections(ini))
            if (AnsiSameText(s, section) || StartsWithText(s, section + "\\")) {
                victim = s;
                break;
            }
        if (victim.empty()) break;
        ini.EraseSection(victim);
        found = true;
    }
    return found;
}

void TRegistry::GetKeyNames(TStrings* Strings) {
    AnsiString section = OpenSection();
    AnsiString prefix = section.empty() ? AnsiString() : section + "\\";
    TIniFile ini(RegistryFileName());
    TStringList names;
    names.SetSorted(true);  // unique, ignoring case
    for (const auto& s : Sections(ini)) {
        if (!StartsWithText(s, prefix) || s.size() == prefix.size()) continue;
        AnsiString rest = s.substr(prefix.size());
        names.Add(rest.substr(0, rest.find('\\')));
    }
    Strings->Assign(&names);
}

void TRegistry::GetValueNames(TStrings* Strings) {
    TIniFile ini(RegistryFileName());
    if (open_) ini.ReadSection(OpenSection(), Strings);
    else Strings->Clear();
}

bool TRegistry::ValueExists(const AnsiString& Name) {
    if (!open_) return false;
    TIniFile ini(RegistryFileName());
    return ini.ValueExists(OpenSection(), Name);
}

bool TRegistry::DeleteValue(const AnsiString& Name) {
    if (!open_ || readOnly_ || !ValueExists(Name)) return false;
    TIniFile ini(RegistryFileName());
    ini.DeleteKey(OpenSection(), Name);
    return true;
}

AnsiString TRegistry::ReadString(const AnsiString& Name) {
    if (!open_) return AnsiString();
    TIniFile ini(RegistryFileName());
    return ini.ReadString(OpenSection(), Name, AnsiString());
}

int TRegistry::ReadInteger(const AnsiString& Name) {
    int value = 0;
    if (!ValueExists(Name) || !TryStrToInt(ReadString(Name), value))
        throw ERegistryException("Invalid data type for '" + Name + "'");
    return value;
}

void TRegistry::CheckWritable(const AnsiString& Name) const {
    if (!open_ || readOnly_) throw ERegistryException("Failed to set data for '" + Name + "'");
}

void TRegistry::WriteString(const AnsiString& Name, const AnsiString& Value) {
    CheckWritable(Name);
    EnsureFolder();
    TIniFile ini(RegistryFileName());
    // Quoted, so that blanks and quotes at either end survive the reading rules.
    try {
        ini.WriteString(OpenSection(), Name, "\"" + Value + "\"");
    } catch (const EIniFileException&) {
        throw ERegistryException("Failed to set data for '" + Name + "'");
    }
}

void TRegistry::WriteInteger(const AnsiString& Name, int Value) {
    CheckWritable(Name);
    EnsureFolder();
    TIniFile ini(RegistryFileName());
    try {
        ini.WriteString(OpenSection(), Name, IntToStr(Value));
    } catch (const EIniFileException&) {
        throw ERegistryException("Failed to set data for '" + Name + "'");
    }
}
