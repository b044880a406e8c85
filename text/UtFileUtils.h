#pragma once
// Path, file and version helpers. The path routines use "\" as the separator:
// the settings storage builds its key paths with them. The routines that touch
// files use the native file system.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/classes/Classes.h"
#include "text/UtBase.h"

class TStringList;

using HMODULE = void*;

TESK_DECLARE_EXCEPTION(EUtFileVersionInfoError, EUtError);

AnsiString PathAddSeparator(const AnsiString& Path);
AnsiString PathRemoveSeparator(const AnsiString& Path);
// Adds the extension only to a non-empty path that has none.
AnsiString PathAddExtension(const AnsiString& Path, const AnsiString& Extension);
// A UNC path, or a drive letter with ":\" (after an optional "\\.\").
bool PathIsAbsolute(const AnsiString& Path);

// Never raise: a file or folder that cannot be looked at gives false or -1.
bool FileExists(const AnsiString& FileName);
// A regular file (not a folder or a device) at FileName.
bool IsRegularFile(const AnsiString& FileName);
int64_t GetSizeOfFile(const AnsiString& FileName);
// The regular file of Folder (which ends in a separator) whose name reads as
// Title + "." + Extension, the extension in any letter case; a name is read
// as text through FileNameAsText, so a listed name finds its file again. The
// name made the usual way (Title in the system's bytes, the extension as
// given) comes first, then the others in byte order; with no such file, the
// usual name.
AnsiString FileOfTitle(const AnsiString& Folder, const AnsiString& Title, const AnsiString& Extension);
// The full file name of the running program (its only module).
AnsiString GetModulePath(HMODULE Module);

// The fixed part of a version resource: 13 32-bit values, 52 bytes.
struct TVSFixedFileInfo {
    uint32_t dwSignature;  // 0xFEEF04BD
    uint32_t dwStrucVersion;
    uint32_t dwFileVersionMS;
    uint32_t dwFileVersionLS;
    uint32_t dwProductVersionMS;
    uint32_t dwProductVersionLS;
    uint32_t dwFileFlagsMask;
    uint32_t dwFileFlags;
    uint32_t dwFileOS;
    uint32_t dwFileType;
    uint32_t dwFileSubtype;
    uint32_t dwFileDateMS;
    uint32_t dwFileDateLS;
};
static_assert(sizeof(TVSFixedFileInfo) == 52);

// The version resource of a file. There are no version resources on this
// platform: the running program's own file carries one made from the build's
// version, every other file has none.
bool GetFileVersionResource(const AnsiString& FileName, std::string& Resource);

// True, with FixedInfo filled, when the file has a version resource whose root value is 52 bytes.
bool VersionResourceAvailable(const AnsiString& FileName, TVSFixedFileInfo& FixedInfo);

enum TUtFileFlag : unsigned {
    ffDebug = 1u << 0,
    ffInfoInferred = 1u << 1,
    ffPatched = 1u << 2,
    ffPreRelease = 1u << 3,
    ffPrivateBuild = 1u << 4,
    ffSpecialBuild = 1u << 5,
};
using TUtFileFlags = unsigned;

struct TUtLangAndCodePage {
    uint16_t Language;
    uint16_t CodePage;
};

// Reads a version resource (32-bit or 16-bit form) into its fixed information,
// its string tables (per language) and its translations. Raises
// EUtFileVersionInfoError "File contains no version information".
class TUtFileVersionInfo : public TObject {
public:
    explicit TUtFileVersionInfo(const AnsiString& FileName);
    // From a resource already in memory.
    static std::unique_ptr<TUtFileVersionInfo> FromResource(const std::string& Resource);
    ~TUtFileVersionInfo() override;
    const char* ClassName() const override { return "TUtFileVersionInfo"; }

    const TVSFixedFileInfo& FixedInfo() const { return fixed_; }
    TUtFileFlags FileFlags() const { return fileFlags_; }
    // "%u.%u.%u.%u" of the fixed information's file version.
    AnsiString GetFileVersion() const;

    // Every "key=value" line of every language, with the index of its language.
    struct TItem {
        AnsiString Line;
        int LanguageIndex;
    };
    const std::vector<TItem>& ItemList() const { return itemList_; }
    // The lines of the selected language.
    TStringList* Items() const { return items_; }
    const std::vector<TUtLangAndCodePage>& Languages() const { return languages_; }
    int LanguageIndex() const { return languageIndex_; }
    void SetLanguageIndex(int Index);
    const std::vector<uint32_t>& Translations() const { return translations_; }

private:
    struct FromBuffer {};
    TUtFileVersionInfo(FromBuffer, const std::string& Resource);
    void Parse();
    void FillItems();

    std::string buffer_;
    TVSFixedFileInfo fixed_{};
    TUtFileFlags fileFlags_ = 0;
    std::vector<TItem> itemList_;
    TStringList* items_;
    std::vector<TUtLangAndCodePage> languages_;
    int languageIndex_ = 0;
    std::vector<uint32_t> translations_;
};
