#pragma once
// The settings store: values addressed by "\"-separated paths (folders and
// values, like a registry), typed reads that answer a default, typed writes,
// lists, enumerations, sets and whole published objects. A concrete store
// implements the primitives (the XML file store is the one in use).
//
// Where it departs from the letter of its model: a stored value that cannot
// be what it claims to be (an integer that is no number, an enumeration name
// or ordinal the type lacks, a set naming an unknown element) reads as the
// default instead of a wrong value or an error, so that a damaged file never
// breaks the program that reads it.
#include <functional>
#include <initializer_list>
#include <vector>

#include "platform/classes/Collections.h"
#include "platform/classes/Strings.h"
#include "platform/rtl/DateTime.h"
#include "storage/StUtils.h"

TESK_DECLARE_EXCEPTION(EStkAppStorageError, EStkException);

class TStCustomAppStorage;

// Where a store reports a settings file it had to set aside. The reporter is
// called inside the catch block of an exception that says what happened;
// RegisterStorageClasses hands such reports to the application. Without a
// reporter the message goes to the error output.
using TStStorageErrorReporter = void (*)(TObject* Sender);
void SetStorageErrorReporter(TStStorageErrorReporter Reporter);
void ReportStorageError(TObject* Sender);

using TStAppStoragePropTranslateEvent =
    Delegate<void(TStCustomAppStorage* Sender, TPersistent* Instance, AnsiString& Name, bool Reading)>;
using TStAppStorageCryptEvent = Delegate<void(AnsiString& Value)>;
using TStAppStorageGetFileNameEvent = Delegate<void(TStCustomAppStorage* Sender, AnsiString& FileName)>;
TESK_EVENT_INFO(TStAppStoragePropTranslateEvent)
TESK_EVENT_INFO(TStAppStorageCryptEvent)
TESK_EVENT_INFO(TStAppStorageGetFileNameEvent)

// An object that reads and writes itself. Alone it replaces the property
// walk of ReadPersistent/WritePersistent; with IStStorageAwareProps as well,
// the published properties are walked after it.
class IStStorageAware {
public:
    virtual ~IStStorageAware() = default;
    virtual void ReadFromStorage(TStCustomAppStorage* AppStorage, const AnsiString& BasePath) = 0;
    virtual void WriteToStorage(TStCustomAppStorage* AppStorage, const AnsiString& BasePath) = 0;
};
class IStStorageAwareProps {
public:
    virtual ~IStStorageAwareProps() = default;
};

// ---------------------------------------------------------------------------
// Options

class TStCustomAppStorageOptions : public TPersistent {
    TESK_CLASS(TStCustomAppStorageOptions, TPersistent)
public:
    TStCustomAppStorageOptions();
    void Assign(TPersistent* Source) override;

    // Words read as true (false); the first is written.
    const AnsiString& BooleanStringTrueValues() const { return trueValues_; }
    void SetBooleanStringTrueValues(const AnsiString& Value);
    const AnsiString& BooleanStringFalseValues() const { return falseValues_; }
    void SetBooleanStringFalseValues(const AnsiString& Value);
    // Only true while both first words are non-empty.
    bool BooleanAsString() const { return booleanAsString_; }
    void SetBooleanAsString(bool Value);
    bool EnumerationAsString = true;
    bool TypedIntegerAsString = true;
    bool SetAsString = false;
    bool DateTimeAsString = true;
    bool FloatAsString = false;
    bool DefaultIfReadConvertError = false;
    bool DefaultIfValueNotExists = true;

    AnsiString DefaultTrueString() const;
    AnsiString DefaultFalseString() const;
    // Value equals a word of the list, ignoring letter case.
    bool IsValueTrueString(const AnsiString& Value) const;
    bool IsValueFalseString(const AnsiString& Value) const;

private:
    AnsiString trueValues_ = "TRUE, YES, Y";
    AnsiString falseValues_ = "FALSE, NO, N";
    bool booleanAsString_ = true;
};

class TStAppStorageOptions : public TStCustomAppStorageOptions {
    TESK_CLASS(TStAppStorageOptions, TStCustomAppStorageOptions)
public:
    TStAppStorageOptions() = default;
};

// ---------------------------------------------------------------------------
// Sub-storages: a path under RootPath is served by AppStorage.

class TStAppSubStorages;

class TStAppSubStorage : public TCollectionItem {
    TESK_CLASS(TStAppSubStorage, TCollectionItem)
public:
    explicit TStAppSubStorage(TCollection* Collection) : TCollectionItem(Collection) {}
    void Assign(TPersistent* Source) override;

    TStCustomAppStorage* AppStorage() const { return appStorage_; }
    // Refuses the owning store, or one that serves the owning store (at any depth).
    void SetAppStorage(TStCustomAppStorage* Value);
    const AnsiString& RootPath() const { return rootPath_; }
    // Normalised; refuses a root that equals or lies inside another's.
    void SetRootPath(const AnsiString& Value);

protected:
    AnsiString GetDisplayName() const override;

private:
    TStCustomAppStorage* OwnerStore() const;
    TStCustomAppStorage* appStorage_ = nullptr;
    AnsiString rootPath_;
};

class TStAppSubStorages : public TOwnedCollection {
    TESK_CLASS(TStAppSubStorages, TOwnedCollection)
public:
    explicit TStAppSubStorages(TStCustomAppStorage* AOwner);
    TStAppSubStorage* Items(int Index) const { return static_cast<TStAppSubStorage*>(TCollection::Items(Index)); }
    TStCustomAppStorage* Store() const { return store_; }
    // The sub-storage serving an absolute path (leading "\"): the longest
    // matching root, the first of equal length; nullptr when none.
    TStAppSubStorage* MatchingStorage(const AnsiString& Path) const;
    bool RootPathIsUnique(const AnsiString& RootPath, const TStAppSubStorage* IgnoreIndex) const;
    void Delete(TStCustomAppStorage* AppStorage);

private:
    TStCustomAppStorage* store_;
};

// ---------------------------------------------------------------------------
// Property engines: objects that some engine stores in its own way. None is
// registered by the program.

class TStAppStoragePropertyBaseEngine {
public:
    virtual ~TStAppStoragePropertyBaseEngine() = default;
    virtual bool Supports(TObject* AObject, TObject* AProperty) = 0;
    virtual void ReadProperty(TStCustomAppStorage* AStorage, const AnsiString& APath, TObject* AObject,
                              TObject* AProperty, bool Recursive, bool ClearFirst) = 0;
    virtual void WriteProperty(TStCustomAppStorage* AStorage, const AnsiString& APath, TObject* AObject,
                               TObject* AProperty, bool Recursive) = 0;
};

class TStAppStoragePropertyEngineList {
public:
    ~TStAppStoragePropertyEngineList();
    // The list owns the engine.
    void RegisterEngine(TStAppStoragePropertyBaseEngine* Engine);
    void UnregisterEngine(TStAppStoragePropertyBaseEngine* Engine);
    TStAppStoragePropertyBaseEngine* EngineFor(TObject* AObject, TObject* AProperty) const;
    int Count() const { return static_cast<int>(engines_.size()); }

private:
    std::vector<TStAppStoragePropertyBaseEngine*> engines_;
};
TStAppStoragePropertyEngineList& RegisteredAppStoragePropertyEngines();

// ---------------------------------------------------------------------------
// The store

// Called for each item of a list: Index counts from 0.
using TStAppStorageListItemEvent =
    std::function<void(TStCustomAppStorage* Sender, const AnsiString& Path, TObject* List, int Index,
                       const AnsiString& ItemName)>;
using TStAppStorageListDeleteEvent =
    std::function<void(TStCustomAppStorage* Sender, const AnsiString& Path, TObject* List, int First, int Last,
                       const AnsiString& ItemName)>;

class TStCustomAppStorage : public TStComponent {
    TESK_CLASS(TStCustomAppStorage, TStComponent)
public:
    explicit TStCustomAppStorage(TComponent* AOwner);
    ~TStCustomAppStorage() override;
    void BeforeDestruction() override;
    void Loaded() override;

    // Joins paths: the last piece that starts with "\" restarts the path;
    // ".." drops the previous name ("..." two, and so on), "." is skipped;
    // the result has no leading or trailing "\".
    static AnsiString ConcatPaths(std::initializer_list<AnsiString> Paths);
    static AnsiString ConcatPaths(const std::vector<AnsiString>& Paths);
    // A name of a list item: "Item" (any case) and a digit.
    static bool NameIsListItem(const AnsiString& Name);

    // ---- typed values (paths relative to Path) ----
    int ReadInteger(const AnsiString& Path, int Default = 0);
    void WriteInteger(const AnsiString& Path, int Value);
    long double ReadFloat(const AnsiString& Path, long double Default = 0);
    void WriteFloat(const AnsiString& Path, long double Value);
    AnsiString ReadString(const AnsiString& Path, const AnsiString& Default = AnsiString());
    void WriteString(const AnsiString& Path, const AnsiString& Value);
    TDateTime ReadDateTime(const AnsiString& Path, TDateTime Default);
    void WriteDateTime(const AnsiString& Path, TDateTime Value);
    bool ReadBoolean(const AnsiString& Path, bool Default);
    void WriteBoolean(const AnsiString& Path, bool Value);
    int ReadBinary(const AnsiString& Path, void* Buf, int BufSize);
    void WriteBinary(const AnsiString& Path, const void* Buf, int BufSize);
    // Value points at an ordinal of the type's size (enumerations, integers,
    // characters, Booleans).
    void ReadEnumeration(const AnsiString& Path, const TTypeInfo* TypeInfo, const void* Default, void* Value);
    void WriteEnumeration(const AnsiString& Path, const TTypeInfo* TypeInfo, const void* Value);
    // The same for an ordinal held in an int64 (what the property accessors give).
    int64_t ReadEnumerationValue(const AnsiString& Path, const TTypeInfo* TypeInfo, int64_t Default);
    void WriteEnumerationValue(const AnsiString& Path, const TTypeInfo* TypeInfo, int64_t Value);
    TSetBits ReadSet(const AnsiString& Path, const TTypeInfo* TypeInfo, const TSetBits& Default);
    void WriteSet(const AnsiString& Path, const TTypeInfo* TypeInfo, const TSetBits& Value);

    // ---- lists ----
    // Reads the items the list holds (below its "Count"); answers how many.
    int ReadList(const AnsiString& Path, TObject* List, const TStAppStorageListItemEvent& OnReadItem,
                 const AnsiString& ItemName = "Item");
    std::vector<int> StoredItemIndexes(const AnsiString& Path, const AnsiString& ItemName, int Limit);
    void WriteList(const AnsiString& Path, TObject* List, int ItemCount, const TStAppStorageListItemEvent& OnWriteItem,
                   const TStAppStorageListDeleteEvent& OnDeleteItems = nullptr, const AnsiString& ItemName = "Item");
    int ReadStringList(const AnsiString& Path, TStrings* SL, bool ClearFirst = true,
                       const AnsiString& ItemName = "Item");
    void WriteStringList(const AnsiString& Path, TStrings* SL, const AnsiString& ItemName = "Item");
    // Reads into a scratch collection of the same items and assigns it to
    // List only when every item was read; on failure List is as it was.
    int ReadCollection(const AnsiString& Path, TCollection* List, bool ClearFirst = true,
                       const AnsiString& ItemName = "Item");
    void WriteCollection(const AnsiString& Path, TCollection* List, const AnsiString& ItemName = "Item");
    bool ListStored(const AnsiString& Path);

    // ---- published objects ----
    void ReadPersistent(const AnsiString& Path, TPersistent* PersObj, bool Recursive = true, bool ClearFirst = true,
                        TStrings* IgnoreProperties = nullptr);
    void WritePersistent(const AnsiString& Path, TPersistent* PersObj, bool Recursive = true,
                         TStrings* IgnoreProperties = nullptr);
    void ReadProperty(const AnsiString& Path, TPersistent* PersObj, const AnsiString& PropName, bool Recursive,
                      bool ClearFirst);
    void WriteProperty(const AnsiString& Path, TPersistent* PersObj, const AnsiString& PropName, bool Recursive);
    AnsiString TranslatePropertyName(TPersistent* Instance, const AnsiString& AName, bool Reading);

    // ---- presence and removal ----
    bool ValueStored(const AnsiString& Path);
    bool PathExists(const AnsiString& Path);
    bool IsFolder(const AnsiString& Path, bool ListIsValue = true);
    void DeleteValue(const AnsiString& Path);
    void DeleteSubTree(const AnsiString& Path);
    // Names of the folders (values) below Path; lists count as values when asked.
    void GetStoredValues(const AnsiString& Path, TStrings* Strings, bool ReportListAsValue = true);

    virtual void Flush() {}
    virtual void Reload() {}
    void BeginUpdate();
    void EndUpdate();
    // Many values at once: one reload first and, when Written, one flush at
    // the end, instead of one per value (a form's placement and its grid's
    // columns are hundreds of values).
    void BeginBatch();
    void EndBatch(bool Written);
    bool IsUpdating() const { return updateCount_ > 0; }

    // ---- properties ----
    const AnsiString& Path() const { return currentPath_; }
    void SetPath(const AnsiString& Value);
    const AnsiString& Root() const { return root_; }
    void SetRoot(const AnsiString& Value);
    TStCustomAppStorageOptions* StorageOptions() const { return storageOptions_; }
    void SetStorageOptions(TStCustomAppStorageOptions* Value);
    TStAppSubStorages* SubStorages() const { return subStorages_; }
    void SetSubStorages(TStAppSubStorages* Value);
    bool AutoFlush() const { return autoFlush_; }
    void SetAutoFlush(bool Value) { autoFlush_ = Value; }
    bool AutoReload() const { return autoReload_; }
    void SetAutoReload(bool Value) { autoReload_ = Value; }
    bool FlushOnDestroy() const { return flushOnDestroy_; }
    virtual void SetFlushOnDestroy(bool Value) { flushOnDestroy_ = Value; }
    // True when set, or when the file behind the store cannot be written.
    bool ReadOnly() const;
    void SetReadOnly(bool Value) { readOnly_ = Value; }
    // Values pass OnEncrypt/OnDecryptPropertyValue (and base64) while positive.
    void EnablePropertyValueCrypt() { ++cryptEnabled_; }
    void DisablePropertyValueCrypt() { if (cryptEnabled_ > 0) --cryptEnabled_; }
    bool IsPropertyValueCryptEnabled() const { return cryptEnabled_ > 0; }

    TStAppStoragePropTranslateEvent OnTranslatePropertyName;
    TStAppStorageCryptEvent OnEncryptPropertyValue;
    TStAppStorageCryptEvent OnDecryptPropertyValue;

    // ---- what a concrete store implements (absolute paths) ----
    virtual void SplitKeyPath(const AnsiString& Path, AnsiString& Key, AnsiString& ValueName);
    virtual void EnumFolders(const AnsiString& Path, TStrings* Strings, bool ReportListAsValue = true) = 0;
    virtual void EnumValues(const AnsiString& Path, TStrings* Strings, bool ReportListAsValue = true) = 0;
    virtual bool IsFolderInt(const AnsiString& Path, bool ListIsValue = true) = 0;
    virtual bool PathExistsInt(const AnsiString& Path) = 0;
    virtual bool ValueStoredInt(const AnsiString& Path) = 0;
    virtual void DeleteValueInt(const AnsiString& Path) = 0;
    virtual void DeleteSubTreeInt(const AnsiString& Path) = 0;
    virtual int DoReadInteger(const AnsiString& Path, int Default) = 0;
    virtual void DoWriteInteger(const AnsiString& Path, int Value) = 0;
    virtual long double DoReadFloat(const AnsiString& Path, long double Default) = 0;
    virtual void DoWriteFloat(const AnsiString& Path, long double Value) = 0;
    virtual AnsiString DoReadString(const AnsiString& Path, const AnsiString& Default) = 0;
    virtual void DoWriteString(const AnsiString& Path, const AnsiString& Value) = 0;
    virtual int DoReadBinary(const AnsiString& Path, void* Buf, int BufSize) = 0;
    virtual void DoWriteBinary(const AnsiString& Path, const void* Buf, int BufSize) = 0;
    virtual TDateTime DoReadDateTime(const AnsiString& Path, TDateTime Default);
    virtual void DoWriteDateTime(const AnsiString& Path, TDateTime Value);
    virtual bool DoReadBoolean(const AnsiString& Path, bool Default);
    virtual void DoWriteBoolean(const AnsiString& Path, bool Value);

    // The "Int" layer: defaults, guards, words and encryption, on absolute paths.
    virtual int ReadIntegerInt(const AnsiString& Path, int Default);
    virtual void WriteIntegerInt(const AnsiString& Path, int Value);
    virtual long double ReadFloatInt(const AnsiString& Path, long double Default);
    virtual void WriteFloatInt(const AnsiString& Path, long double Value);
    virtual AnsiString ReadStringInt(const AnsiString& Path, const AnsiString& Default);
    virtual void WriteStringInt(const AnsiString& Path, const AnsiString& Value);
    virtual int ReadBinaryInt(const AnsiString& Path, void* Buf, int BufSize);
    virtual void WriteBinaryInt(const AnsiString& Path, const void* Buf, int BufSize);
    virtual TDateTime ReadDateTimeInt(const AnsiString& Path, TDateTime Default);
    virtual void WriteDateTimeInt(const AnsiString& Path, TDateTime Value);
    virtual bool ReadBooleanInt(const AnsiString& Path, bool Default);
    virtual void WriteBooleanInt(const AnsiString& Path, bool Value);
    virtual int64_t ReadEnumerationInt(const AnsiString& Path, const TTypeInfo* TypeInfo, int64_t Default);
    virtual void WriteEnumerationInt(const AnsiString& Path, const TTypeInfo* TypeInfo, int64_t Value);
    virtual TSetBits ReadSetInt(const AnsiString& Path, const TTypeInfo* TypeInfo, const TSetBits& Default);
    virtual void WriteSetInt(const AnsiString& Path, const TTypeInfo* TypeInfo, const TSetBits& Value);

    // Root + "\" + ConcatPaths(current path, Path), without leading "\".
    AnsiString GetAbsPath(const AnsiString& Path) const;
    // The store serving Path and the path within it.
    void ResolvePath(const AnsiString& InPath, TStCustomAppStorage*& TargetStore, AnsiString& TargetPath);
    // Whether Store serves this store's paths (directly or deeper).
    bool HasSubStorage(const TStCustomAppStorage* Store) const;

protected:
    // A store with options of its own kind hands them over here (owned).
    void ReplaceStorageOptions(TStCustomAppStorageOptions* Options);
    // Whether destruction writes the file: FlushOnDestroy, and something to write.
    virtual bool FlushOnDestroyNeeded() const { return flushOnDestroy_; }
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual bool GetPhysicalReadOnly() const { return false; }
    virtual bool ReloadNeeded() const { return autoReload_ && !IsUpdating(); }
    virtual bool FlushNeeded() const { return autoFlush_ && !IsUpdating(); }
    // "Char_x" for codes 33..122, else "Char#n"; "Int_n".
    static AnsiString GetCharName(int Ch);
    static AnsiString GetIntName(int Value);
    // A set element's name as a folder's value: by the base type's kind.
    static AnsiString SetElementName(const TTypeInfo* BaseType, int Value);
    AnsiString EncryptPropertyValue(const AnsiString& Value);
    AnsiString DecryptPropertyValue(const AnsiString& Value);

private:
    bool EnterObject(const TPersistent* Object);
    std::vector<const TPersistent*> objectWalk_;  // the objects being read or written, outermost first

    template <class T, class F>
    T GuardedRead(const AnsiString& Path, const T& Default, F read);
    void ReadPropertyInt(const AnsiString& Path, TPersistent* PersObj, const TPropInfo* Prop, bool Recursive,
                         bool ClearFirst);
    void WritePropertyInt(const AnsiString& Path, TPersistent* PersObj, const TPropInfo* Prop, bool Recursive);
    int ReadCollectionInt(const AnsiString& Path, TCollection* List, bool ClearFirst, const AnsiString& ItemName);

    AnsiString root_;
    AnsiString currentPath_;
    TStCustomAppStorageOptions* storageOptions_ = nullptr;
    TStAppSubStorages* subStorages_ = nullptr;
    int cryptEnabled_ = 0;
    bool autoFlush_ = false;
    int updateCount_ = 0;
    bool autoReload_ = false;
    bool readOnly_ = false;
    bool flushOnDestroy_ = true;
};

// ---------------------------------------------------------------------------
// A store whose content lives in memory and in one file.

enum TFileLocation { flCustom, flWindows, flTemp, flExeFile, flUserFolder };
TESK_ENUM_INFO(TFileLocation, flCustom, flWindows, flTemp, flExeFile, flUserFolder)

class TStCustomAppMemoryFileStorage : public TStCustomAppStorage {
    TESK_CLASS(TStCustomAppMemoryFileStorage, TStCustomAppStorage)
public:
    explicit TStCustomAppMemoryFileStorage(TComponent* AOwner);

    void Reload() override;
    // The file's full name from FileName and Location ('' when there is none).
    AnsiString FullFileName();
    const AnsiString& FileName() const { return fileName_; }
    // Gets DefaultExtension when it has none; at run time the old file is
    // flushed first and the new one read.
    void SetFileName(const AnsiString& Value);
    TFileLocation Location() const { return location_; }
    void SetLocation(TFileLocation Value);
    TStAppStorageGetFileNameEvent OnGetFileName;
    void SetOnGetFileName(const TStAppStorageGetFileNameEvent& Value);
    virtual AnsiString AsString() = 0;
    virtual void SetAsString(const AnsiString& Value) = 0;
    bool IsLoaded() const { return loaded_; }

protected:
    bool GetPhysicalReadOnly() const override { return physicalReadOnly_; }
    bool ReloadNeeded() const override;
    // Never write a file that was not read first.
    bool FlushOnDestroyNeeded() const override { return TStCustomAppStorage::FlushOnDestroyNeeded() && loaded_; }
    virtual AnsiString DefaultExtension() const { return AnsiString(); }
    virtual AnsiString DoGetFileName();
    // The file cannot be written: it has no write permission for anybody.
    static bool FileIsReadOnly(const AnsiString& FileName);
    // Flushes to the old file, runs Change, then reads the new one.
    void ChangeFile(const std::function<void()>& Change);
    bool loaded_ = false;
    bool physicalReadOnly_ = false;

private:
    AnsiString fileName_;
    TFileLocation location_ = flExeFile;
};
