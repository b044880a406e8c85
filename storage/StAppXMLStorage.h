#pragma once
// The settings store on one XML document, and that document in one file.
// Each path component is an element (names made valid element names); a value
// is the text of its element. With AutoReload and AutoFlush every read reloads
// the whole file and every write rewrites it (whole, through a rename).
//
// Beyond the document's own options, values that the document does not escape
// are written with entity encoding and read with entity decoding, so any text
// survives a reload (an unknown "&" reads as it stands, so older files still
// read). A file that does not parse is reported once, renamed to
// "<name>.bad" and the store goes on empty; a read-only file is never written.
#include "storage/StAppStorage.h"
#include "storage/StSimpleXml.h"

class TStCustomAppXMLStorage;

class TStAppXMLStorageOptions : public TStAppStorageOptions {
    TESK_CLASS(TStAppXMLStorageOptions, TStAppStorageOptions)
public:
    explicit TStAppXMLStorageOptions(TStCustomAppXMLStorage* AStorage = nullptr) : storage_(AStorage) {}
    void Assign(TPersistent* Source) override;

    const AnsiString& WhiteSpaceReplacement() const { return whiteSpaceReplacement_; }
    void SetWhiteSpaceReplacement(const AnsiString& Value);
    // The document's sxoAutoEncodeValue, sxoAutoEncodeEntity and sxoAutoIndent.
    bool AutoEncodeValue() const { return Test(sxoAutoEncodeValue); }
    void SetAutoEncodeValue(bool Value) { Put(sxoAutoEncodeValue, Value); }
    bool AutoEncodeEntity() const { return Test(sxoAutoEncodeEntity); }
    void SetAutoEncodeEntity(bool Value) { Put(sxoAutoEncodeEntity, Value); }
    bool AutoIndent() const { return Test(sxoAutoIndent); }
    void SetAutoIndent(bool Value) { Put(sxoAutoIndent, Value); }
    const AnsiString& InvalidCharReplacement() const { return invalidCharReplacement_; }
    void SetInvalidCharReplacement(const AnsiString& Value);
    TStCustomAppXMLStorage* Storage() const { return storage_; }

private:
    bool Test(TStSimpleXMLOption Option) const;
    void Put(TStSimpleXMLOption Option, bool On);
    TStCustomAppXMLStorage* storage_;
    AnsiString whiteSpaceReplacement_;
    AnsiString invalidCharReplacement_ = "_";
};

class TStCustomAppXMLStorage : public TStCustomAppMemoryFileStorage {
    TESK_CLASS(TStCustomAppXMLStorage, TStCustomAppMemoryFileStorage)
public:
    explicit TStCustomAppXMLStorage(TComponent* AOwner);
    ~TStCustomAppXMLStorage() override;

    TStSimpleXML* Xml() const { return xml_; }
    TStAppXMLStorageOptions* XMLStorageOptions() const {
        return static_cast<TStAppXMLStorageOptions*>(StorageOptions());
    }
    const AnsiString& RootNodeName() const;
    // An empty name raises EPropertyError "The node must be given a name".
    void SetRootNodeName(const AnsiString& Value);

    // Letters, digits, '-', '.', ':' and '_' stay; whitespace and any other
    // character take their replacement (an empty one raises EStkException).
    AnsiString GetValidNodeName(const AnsiString& Name) const;
    // The element the key path names (the root's own name first is skipped), or nullptr.
    TStSimpleXMLElem* GetNodeFromPath(const AnsiString& Path, TStSimpleXMLElem* StartNode = nullptr);
    // The same, creating missing elements.
    TStSimpleXMLElem* CreateAndSetNode(const AnsiString& Path);

    AnsiString AsString() override;
    void SetAsString(const AnsiString& Value) override;

    void SplitKeyPath(const AnsiString& Path, AnsiString& Key, AnsiString& ValueName) override;
    void EnumFolders(const AnsiString& Path, TStrings* Strings, bool ReportListAsValue = true) override;
    void EnumValues(const AnsiString& Path, TStrings* Strings, bool ReportListAsValue = true) override;
    bool IsFolderInt(const AnsiString& Path, bool ListIsValue = true) override;
    bool PathExistsInt(const AnsiString& Path) override;
    bool ValueStoredInt(const AnsiString& Path) override;
    void DeleteValueInt(const AnsiString& Path) override;
    void DeleteSubTreeInt(const AnsiString& Path) override;
    // A text that is no number gives the default.
    int DoReadInteger(const AnsiString& Path, int Default) override;
    void DoWriteInteger(const AnsiString& Path, int Value) override;
    // 20 hexadecimal digits: the 10 bytes of an extended; any other text gives the default.
    long double DoReadFloat(const AnsiString& Path, long double Default) override;
    void DoWriteFloat(const AnsiString& Path, long double Value) override;
    AnsiString DoReadString(const AnsiString& Path, const AnsiString& Default) override;
    void DoWriteString(const AnsiString& Path, const AnsiString& Value) override;
    int DoReadBinary(const AnsiString& Path, void* Buf, int BufSize) override;
    void DoWriteBinary(const AnsiString& Path, const void* Buf, int BufSize) override;
    bool DoReadBoolean(const AnsiString& Path, bool Default) override;
    void DoWriteBoolean(const AnsiString& Path, bool Value) override;

protected:
    AnsiString DefaultExtension() const override { return "xml"; }

private:
    // The child holding the value at Path (no creation), or nullptr.
    TStSimpleXMLElem* ValueNode(const AnsiString& Path, AnsiString* ValueName = nullptr);
    // The value's text, or Default (or the missing-value error).
    AnsiString ReadValue(const AnsiString& Path, const AnsiString& Default, bool& Found);
    void WriteValue(const AnsiString& Path, const AnsiString& Value);
    // Escaping that the document leaves to us.
    bool StoreEscapes() const;
    void ReloadIfNeeded() {
        if (ReloadNeeded()) Reload();
    }
    void FlushIfNeeded() {
        if (FlushNeeded()) Flush();
    }
    [[noreturn]] void PathError(const AnsiString& Path) const;

    TStSimpleXML* xml_;
};

class TStAppXMLFileStorage : public TStCustomAppXMLStorage {
    TESK_CLASS(TStAppXMLFileStorage, TStCustomAppXMLStorage)
public:
    explicit TStAppXMLFileStorage(TComponent* AOwner) : TStCustomAppXMLStorage(AOwner) {}

    void Flush() override;
    void Reload() override;

    // The document's value events.
    TStSimpleXMLEncodeEvent OnEncodeValue() const { return Xml()->OnEncodeValue; }
    void SetOnEncodeValue(const TStSimpleXMLEncodeEvent& Value) { Xml()->OnEncodeValue = Value; }
    TStSimpleXMLEncodeEvent OnDecodeValue() const { return Xml()->OnDecodeValue; }
    void SetOnDecodeValue(const TStSimpleXMLEncodeEvent& Value) { Xml()->OnDecodeValue = Value; }

private:
    // Sets a file that does not parse aside and reports it (once per file).
    void FileDamaged(const AnsiString& FileName, const Exception& E);
    AnsiString reportedFile_;
    AnsiString keptDamagedFile_;  // could not be renamed: never written over
};
