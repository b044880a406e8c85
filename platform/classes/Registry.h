#pragma once
// The registry, kept in one INI file: registry.ini in ~/.config/Tesk (or
// $XDG_CONFIG_HOME/Tesk). A key is a section named by its path below the root
// ("Software\Tesk"; roots other than the current user's put their name first,
// "HKEY_LOCAL_MACHINE\Software\..."); values are the section's entries. Values
// carry no type: strings are written quoted, numbers and booleans as decimals.
#include <cstdint>

#include "platform/classes/Classes.h"

class TStrings;

using HKEY = uintptr_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr HKEY HKEY_USERS = 0x80000003u;

TESK_DECLARE_EXCEPTION(ERegistryException, Exception);

// The file behind the registry, and a way for tests to move its folder
// (an empty Folder returns to the real one).
AnsiString RegistryFileName();
void SetRegistryFolderForTests(const AnsiString& Folder);

class TRegistry : public TObject {
public:
    TRegistry() = default;
    const char* ClassName() const override { return "TRegistry"; }

    HKEY RootKey() const { return root_; }
    // Closes the open key.
    void SetRootKey(HKEY Value);
    // The open key's path below the root, without a leading '\'.
    const AnsiString& CurrentPath() const { return currentPath_; }

    // A Key starting with '\' is taken from the root, any other from the open
    // key. False when the key is missing and CanCreate is not set.
    bool OpenKey(const AnsiString& Key, bool CanCreate);
    // Opens an existing key for reading only.
    bool OpenKeyReadOnly(const AnsiString& Key);
    void CloseKey();
    bool KeyExists(const AnsiString& Key);
    // Removes the key with its subkeys.
    bool DeleteKey(const AnsiString& Key);
    void GetKeyNames(TStrings* Strings);
    void GetValueNames(TStrings* Strings);

    bool ValueExists(const AnsiString& Name);
    bool DeleteValue(const AnsiString& Name);
    // '' when the value is missing.
    AnsiString ReadString(const AnsiString& Name);
    // ERegistryException "Invalid data type for '<name>'" when the value is
    // missing or no integer.
    int ReadInteger(const AnsiString& Name);
    bool ReadBool(const AnsiString& Name) { return ReadInteger(Name) != 0; }
    // Writes need a key opened with OpenKey (ERegistryException
    // "Failed to set data for '<name>'" otherwise).
    void WriteString(const AnsiString& Name, const AnsiString& Value);
    void WriteInteger(const AnsiString& Name, int Value);
    void WriteBool(const AnsiString& Name, bool Value) { WriteInteger(Name, Value ? 1 : 0); }

private:
    AnsiString FullPath(const AnsiString& Key) const;
    AnsiString Section(const AnsiString& path) const;
    AnsiString OpenSection() const { return Section(currentPath_); }
    void CheckWritable(const AnsiString& Name) const;

    HKEY root_ = HKEY_CURRENT_USER;
    AnsiString currentPath_;
    bool open_ = false;
    bool readOnly_ = false;
};
