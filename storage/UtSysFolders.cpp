// The folder queries of the system information, apart from the rest so that
// readers of settings files build without the window system.
#include <cstdlib>
#include <filesystem>

#include "platform/classes/ProgramFolder.h"
#include "storage/UtSysInfo.h"

namespace {

AnsiString WithoutTrailingSlash(AnsiString folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

// An XDG base folder: the variable when it holds an absolute path, else the
// default below the home folder.
AnsiString XdgFolder(const char* variable, const char* homeRelative) {
    const char* value = std::getenv(variable);
    if (value && value[0] == '/') return WithoutTrailingSlash(value);
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') return AnsiString();
    return WithoutTrailingSlash(home) + "/" + homeRelative;
}

}  // namespace

AnsiString GetWindowsFolder() {
    // There is no Windows folder; the program's own folder takes its place.
    try {
        return WithoutTrailingSlash(ProgramFolder());
    } catch (const std::exception&) {
        return AnsiString();
    }
}

AnsiString GetWindowsTempFolder() {
    std::error_code ec;
    const auto temp = std::filesystem::temp_directory_path(ec);
    return ec ? AnsiString() : WithoutTrailingSlash(temp.string());
}

AnsiString GetAppdataFolder() { return GetSpecialFolderLocation(CSIDL_APPDATA); }

AnsiString GetSpecialFolderLocation(int Folder) {
    switch (Folder) {
        case CSIDL_APPDATA: return XdgFolder("XDG_CONFIG_HOME", ".config");
        case CSIDL_LOCAL_APPDATA: return XdgFolder("XDG_DATA_HOME", ".local/share");
        default: return AnsiString();
    }
}
