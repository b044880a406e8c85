#pragma once
// A small XML document of 8-bit text: a tree of elements with attributes, a
// prolog (declaration, comments, document type, style sheets), a parser that
// reads a document from a stream and a writer that indents with CR LF line
// ends. Bytes are characters: no character set is converted, and the
// declaration's encoding is only carried along.
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/classes/Streams.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtti/TypInfo.h"

TESK_DECLARE_EXCEPTION(EStSimpleXMLError, Exception);

class TStSimpleXML;
class TStSimpleXMLElem;
class TStSimpleXMLElems;
class TStSimpleXMLProps;
class TStXmlReader;

enum TStSimpleXMLOption { sxoAutoCreate, sxoAutoIndent, sxoAutoEncodeValue, sxoAutoEncodeEntity, sxoDoNotSaveProlog };
TESK_ENUM_INFO(TStSimpleXMLOption, sxoAutoCreate, sxoAutoIndent, sxoAutoEncodeValue, sxoAutoEncodeEntity,
               sxoDoNotSaveProlog)

// A set of options: bit i holds option i.
struct TStSimpleXMLOptions {
    uint8_t Bits = 0;
    constexpr TStSimpleXMLOptions() = default;
    constexpr TStSimpleXMLOptions(std::initializer_list<TStSimpleXMLOption> options) {
        for (TStSimpleXMLOption o : options) Bits |= static_cast<uint8_t>(1u << o);
    }
    static constexpr TStSimpleXMLOptions FromBits(unsigned bits) {
        TStSimpleXMLOptions s;
        s.Bits = static_cast<uint8_t>(bits & 0x1F);
        return s;
    }
    constexpr bool Contains(TStSimpleXMLOption o) const { return (Bits >> o) & 1u; }
    friend constexpr bool operator==(TStSimpleXMLOptions, TStSimpleXMLOptions) = default;
};
template <>
struct TSetTraits<TStSimpleXMLOptions> {
    static TSetBits ToBits(const TStSimpleXMLOptions& s) { return OrdToSetBits(s.Bits); }
    static TStSimpleXMLOptions FromBits(const TSetBits& b) { return TStSimpleXMLOptions::FromBits(b[0]); }
};
TESK_SET_INFO(TStSimpleXMLOptions, TStSimpleXMLOption)

using TStOnSimpleProgress = Delegate<void(TObject* Sender, int Position, int Total)>;
using TStOnSimpleXMLParsed = Delegate<void(TObject* Sender, const AnsiString& Name)>;
using TStOnValueParsed = Delegate<void(TObject* Sender, const AnsiString& Name, const AnsiString& Value)>;
using TStSimpleXMLEncodeEvent = Delegate<void(TObject* Sender, AnsiString& Value)>;
using TStSimpleXMLEncodeStreamEvent = Delegate<void(TObject* Sender, TStream* InStream, TStream* OutStream)>;

// Escaping of values. The Entity pair knows the five named entities only; the
// SimpleXML pair also writes characters 128-255 as "&#xHH;" and reads decimal
// and hexadecimal character references.
AnsiString EntityEncode(const AnsiString& S);
AnsiString EntityDecode(const AnsiString& S);
AnsiString SimpleXMLEncode(const AnsiString& S);
AnsiString SimpleXMLDecode(const AnsiString& S);

// Names to items, in order, owning nothing; lookup ignores letter case (the
// code page's rules) and finds the last of equal names.
template <class T>
class TStNamedList {
public:
    int Count() const { return static_cast<int>(entries_.size()); }
    T* Item(int Index) const { return entries_[static_cast<size_t>(Index)].item; }
    const AnsiString& NameOf(int Index) const { return entries_[static_cast<size_t>(Index)].name; }
    void Add(const AnsiString& Name, T* Item);
    void Insert(int Index, const AnsiString& Name, T* Item);
    void Remove(int Index);
    void Rename(int Index, const AnsiString& Name);
    int IndexOfItem(const T* Item) const;
    T* Find(const AnsiString& Name) const;
    void Clear();

private:
    struct Entry {
        AnsiString name;
        T* item;
    };
    void Rebuild() const;
    std::vector<Entry> entries_;
    mutable std::unordered_map<AnsiString, int> index_;
    mutable bool stale_ = false;
};

// ---------------------------------------------------------------------------
// Attributes

class TStSimpleXMLProp : public TObject {
public:
    explicit TStSimpleXMLProp(TStSimpleXMLProps* AParent) : parent_(AParent) {}
    const char* ClassName() const override { return "TStSimpleXMLProp"; }

    const AnsiString& Name() const { return name_; }
    void SetName(const AnsiString& Value);
    const AnsiString& Value() const { return value_; }
    void SetValue(const AnsiString& Value) { value_ = Value; }
    const AnsiString& NameSpace() const { return nameSpace_; }
    void SetNameSpace(const AnsiString& Value) { nameSpace_ = Value; }
    TStSimpleXMLProps* Parent() const { return parent_; }
    // The document, through the element that holds the list; nullptr when none.
    TStSimpleXML* GetSimpleXML() const;

private:
    friend class TStSimpleXMLProps;
    AnsiString name_;
    AnsiString value_;
    TStSimpleXMLProps* parent_;
    AnsiString nameSpace_;
};

class TStSimpleXMLProps : public TObject {
public:
    explicit TStSimpleXMLProps(TStSimpleXMLElem* AParent) : parent_(AParent) {}
    ~TStSimpleXMLProps() override;
    const char* ClassName() const override { return "TStSimpleXMLProps"; }

    // Appends; several attributes may share a name.
    TStSimpleXMLProp* Add(const AnsiString& Name, const AnsiString& Value);
    int Count() const { return list_ ? list_->Count() : 0; }
    // An index out of range raises EListError.
    TStSimpleXMLProp* Item(int Index) const;
    TStSimpleXMLProp* ItemNamed(const AnsiString& Name) { return ItemNamedDefault(Name, AnsiString()); }
    // The last attribute of that name; when none, a new one with Default only
    // under sxoAutoCreate, else nullptr.
    TStSimpleXMLProp* ItemNamedDefault(const AnsiString& Name, const AnsiString& Default);
    AnsiString Value(const AnsiString& Name, const AnsiString& Default = AnsiString());
    void Clear();
    TStSimpleXMLElem* Parent() const { return parent_; }
    TStSimpleXML* GetSimpleXML() const;

    // Reads attributes up to (not including) '/', '>' or '?'.
    void LoadFromStream(TStream* Stream);
    void SaveToStream(TStream* Stream);

private:
    friend class TStSimpleXMLProp;
    friend class TStSimpleXMLElem;
    friend class TStSimpleXMLElemHeader;
    friend class TStSimpleXMLElemSheet;
    friend class TStSimpleXMLElemClassic;
    void Load(TStXmlReader& Reader);
    // The attributes as written after a tag's name.
    AnsiString Text() const;
    TStSimpleXMLProp* AddPrefixed(const AnsiString& Name, const AnsiString& Value, const AnsiString& NameSpace);

    TStSimpleXMLElem* parent_;
    std::unique_ptr<TStNamedList<TStSimpleXMLProp>> list_;
};

// ---------------------------------------------------------------------------
// Nodes

class TStSimpleXMLElem : public TObject {
public:
    explicit TStSimpleXMLElem(TStSimpleXMLElem* AOwner) : parent_(AOwner) {}
    ~TStSimpleXMLElem() override;
    const char* ClassName() const override { return "TStSimpleXMLElem"; }

    // A new node of this node's own class (the virtual constructor).
    virtual TStSimpleXMLElem* CreateSame(TStSimpleXMLElem* AOwner) const = 0;
    // Clear, then a deep copy of Value: name, value, attributes (without their
    // prefixes) and every child.
    virtual void Assign(TStSimpleXMLElem* Value);
    // Empties the child and attribute lists; name and value stay.
    virtual void Clear();
    // Parses the node from the stream's position and leaves the stream after
    // its last character. AParent, when given, receives the notifications.
    void LoadFromStream(TStream* Stream, TStSimpleXML* AParent = nullptr);
    // Writes the node (and its children) with Level in front of each line;
    // Parent, when given, counts the save progress.
    void SaveToStream(TStream* Stream, const AnsiString& Level = AnsiString(), TStSimpleXML* Parent = nullptr);
    virtual AnsiString FullName() const;

    const AnsiString& Name() const { return name_; }
    // An empty name or the current one changes nothing; the entry in the
    // parent's child list follows the new name.
    void SetName(const AnsiString& Value);
    const AnsiString& Value() const { return value_; }
    void SetValue(const AnsiString& Value) { value_ = Value; }
    const AnsiString& NameSpace() const { return nameSpace_; }
    void SetNameSpace(const AnsiString& Value) { nameSpace_ = Value; }
    TStSimpleXMLElem* Parent() const { return parent_; }
    TStSimpleXMLElems* Container() const { return container_; }
    // Created on first use.
    TStSimpleXMLElems* Items();
    TStSimpleXMLProps* Properties();
    bool HasItems() const;

    // Value as a decimal integer; -1 when it is not one.
    int64_t IntValue() const;
    void SetIntValue(int64_t Value);
    // Value as a Boolean (a number or a Boolean word); false when it is neither.
    bool BoolValue() const;
    void SetBoolValue(bool Value);  // "-1" or "0"
    // This node and all its descendants.
    int GetChildsCount() const;
    // The document at the root of the parent chain; nullptr when the chain ends elsewhere.
    TStSimpleXML* GetSimpleXML() const;

    [[noreturn]] static void Error(const AnsiString& Message);
    [[noreturn]] static void FmtError(const AnsiString& Message, std::initializer_list<TVarRec> Args);

protected:
    friend class TStSimpleXMLElems;
    friend class TStSimpleXMLElemsProlog;
    friend class TStSimpleXML;
    virtual void Load(TStXmlReader& Reader, TStSimpleXML* AParent) = 0;
    virtual void Save(TStream* Stream, const AnsiString& Level, TStSimpleXML* Parent) = 0;
    void DecodeValue(AnsiString& Value) const;
    void EncodeValue(AnsiString& Value) const;
    // Reads the characters of Literal one by one, raising Message (expected and
    // found character) on a difference and EndMessage at the end of the data.
    void ExpectLiteral(TStXmlReader& Reader, const char* Literal, const char* Message, const char* EndMessage);

    AnsiString name_;
    TStSimpleXMLElem* parent_;
    std::unique_ptr<TStSimpleXMLElems> items_;
    std::unique_ptr<TStSimpleXMLProps> props_;
    AnsiString value_;
    AnsiString nameSpace_;
    TStSimpleXML* document_ = nullptr;  // set on the root only
    TStSimpleXMLElems* container_ = nullptr;
};

class TStSimpleXMLElemClassic : public TStSimpleXMLElem {
public:
    using TStSimpleXMLElem::TStSimpleXMLElem;
    const char* ClassName() const override { return "TStSimpleXMLElemClassic"; }
    TStSimpleXMLElem* CreateSame(TStSimpleXMLElem* AOwner) const override;

protected:
    friend class TStSimpleXML;
    void Load(TStXmlReader& Reader, TStSimpleXML* AParent) override;
    void Save(TStream* Stream, const AnsiString& Level, TStSimpleXML* Parent) override;
};

class TStSimpleXMLElemText : public TStSimpleXMLElem {
public:
    using TStSimpleXMLElem::TStSimpleXMLElem;
    const char* ClassName() const override { return "TStSimpleXMLElemText"; }
    TStSimpleXMLElem* CreateSame(TStSimpleXMLElem* AOwner) const override;

protected:
    void Load(TStXmlReader& Reader, TStSimpleXML* AParent) override;
    void Save(TStream* Stream, const AnsiString& Level, TStSimpleXML* Parent) override;
};

class TStSimpleXMLElemComment : public TStSimpleXMLElem {
public:
    using TStSimpleXMLElem::TStSimpleXMLElem;
    const char* ClassName() const override { return "TStSimpleXMLElemComment"; }
    TStSimpleXMLElem* CreateSame(TStSimpleXMLElem* AOwner) const override;

protected:
    void Load(TStXmlReader& Reader, TStSimpleXML* AParent) override;
    void Save(TStream* Stream, const AnsiString& Level, TStSimpleXML* Parent) override;
};

class TStSimpleXMLElemCData : public TStSimpleXMLElem {
public:
    using TStSimpleXMLElem::TStSimpleXMLElem;
    const char* ClassName() const override { return "TStSimpleXMLElemCData"; }
    TStSimpleXMLElem* CreateSame(TStSimpleXMLElem* AOwner) const override;

protected:
    void Load(TStXmlReader& Reader, TStSimpleXML* AParent) override;
    void Save(TStream* Stream, const AnsiString& Level, TStSimpleXML* Parent) override;
};

// The XML declaration.
class TStSimpleXMLElemHeader : public TStSimpleXMLElem {
public:
    explicit TStSimpleXMLElemHeader(TStSimpleXMLElem* AOwner);
    const char* ClassName() const override { return "TStSimpleXMLElemHeader"; }
    TStSimpleXMLElem* CreateSame(TStSimpleXMLElem* AOwner) const override;
    void Assign(TStSimpleXMLElem* Value) override;

    bool Standalone() const { return standalone_; }
    void SetStandalone(bool Value) { standalone_ = Value; }
    const AnsiString& Encoding() const { return encoding_; }
    void SetEncoding(const AnsiString& Value) { encoding_ = Value; }
    const AnsiString& Version() const { return version_; }
    void SetVersion(const AnsiString& Value) { version_ = Value; }

protected:
    void Load(TStXmlReader& Reader, TStSimpleXML* AParent) override;
    void Save(TStream* Stream, const AnsiString& Level, TStSimpleXML* Parent) override;

private:
    bool standalone_ = false;
    AnsiString encoding_ = "iso-8859-1";
    AnsiString version_ = "1.0";
};

class TStSimpleXMLElemDocType : public TStSimpleXMLElem {
public:
    using TStSimpleXMLElem::TStSimpleXMLElem;
    const char* ClassName() const override { return "TStSimpleXMLElemDocType"; }
    TStSimpleXMLElem* CreateSame(TStSimpleXMLElem* AOwner) const override;

protected:
    void Load(TStXmlReader& Reader, TStSimpleXML* AParent) override;
    void Save(TStream* Stream, const AnsiString& Level, TStSimpleXML* Parent) override;
};

// A style-sheet instruction; its attributes stay in Properties.
class TStSimpleXMLElemSheet : public TStSimpleXMLElem {
public:
    using TStSimpleXMLElem::TStSimpleXMLElem;
    const char* ClassName() const override { return "TStSimpleXMLElemSheet"; }
    TStSimpleXMLElem* CreateSame(TStSimpleXMLElem* AOwner) const override;

protected:
    void Load(TStXmlReader& Reader, TStSimpleXML* AParent) override;
    void Save(TStream* Stream, const AnsiString& Level, TStSimpleXML* Parent) override;
};

// ---------------------------------------------------------------------------
// Lists of nodes

// The children of an element; it owns them.
class TStSimpleXMLElems : public TObject {
public:
    explicit TStSimpleXMLElems(TStSimpleXMLElem* AParent) : parent_(AParent) {}
    ~TStSimpleXMLElems() override;
    const char* ClassName() const override { return "TStSimpleXMLElems"; }

    // A new element (Name, Value) at the end.
    TStSimpleXMLElem* Add(const AnsiString& Name, const AnsiString& Value = AnsiString());
    // Moves Value here, to the end (out of the list that held it); nullptr is ignored.
    TStSimpleXMLElem* Add(TStSimpleXMLElem* Value);
    int Count() const { return list_ ? list_->Count() : 0; }
    // nullptr for an index outside 0..Count-1.
    TStSimpleXMLElem* Item(int Index) const;
    TStSimpleXMLElem* ItemNamed(const AnsiString& Name) { return ItemNamedDefault(Name, AnsiString()); }
    // The last child of that name, ignoring letter case; when none, a new
    // element with Default as its value only under sxoAutoCreate, else nullptr.
    TStSimpleXMLElem* ItemNamedDefault(const AnsiString& Name, const AnsiString& Default);
    // Frees the element; an index out of range changes nothing.
    void Delete(int Index);
    void DeleteByName(const AnsiString& Name);
    void Clear();
    TStSimpleXMLElem* Parent() const { return parent_; }

    // Reads nodes up to the first end tag and answers its name ('' at the end of the data).
    AnsiString LoadFromStream(TStream* Stream, TStSimpleXML* AParent = nullptr);
    void SaveToStream(TStream* Stream, const AnsiString& Level = AnsiString(), TStSimpleXML* Parent = nullptr);

private:
    friend class TStSimpleXMLElem;
    friend class TStSimpleXMLElemClassic;
    AnsiString Load(TStXmlReader& Reader, TStSimpleXML* AParent);
    void Save(TStream* Stream, const AnsiString& Level, TStSimpleXML* Parent);
    void AddChild(TStSimpleXMLElem* Value);
    // Drops the element's entry without freeing it.
    void Extract(TStSimpleXMLElem* Value);
    void RenameChild(TStSimpleXMLElem* Value, const AnsiString& Name);
    TStNamedList<TStSimpleXMLElem>& List();

    TStSimpleXMLElem* parent_;
    std::unique_ptr<TStNamedList<TStSimpleXMLElem>> list_;
};

// The items before the root element; they have no parent.
class TStSimpleXMLElemsProlog : public TObject {
public:
    TStSimpleXMLElemsProlog();
    ~TStSimpleXMLElemsProlog() override;
    const char* ClassName() const override { return "TStSimpleXMLElemsProlog"; }

    int Count() const { return list_.Count(); }
    // nullptr for an index outside 0..Count-1.
    TStSimpleXMLElem* Item(int Index) const;
    void Clear();
    // The first declaration; a new one ('xml', version 1.0, encoding
    // iso-8859-1, not standalone) is placed first when there is none.
    TStSimpleXMLElemHeader* FindHeader();
    // Leaves the stream at the '<' of the markup that ends the prolog.
    void LoadFromStream(TStream* Stream, TStSimpleXML* AParent = nullptr);
    void SaveToStream(TStream* Stream, TStSimpleXML* Parent = nullptr);

private:
    friend class TStSimpleXML;
    void Load(TStXmlReader& Reader, TStSimpleXML* AParent);
    void Save(TStream* Stream, TStSimpleXML* Parent);
    TStNamedList<TStSimpleXMLElem> list_;
};

// ---------------------------------------------------------------------------
// The document

class TStSimpleXML : public TComponent {
    TESK_CLASS(TStSimpleXML, TComponent)
public:
    explicit TStSimpleXML(TComponent* AOwner = nullptr);
    ~TStSimpleXML() override;

    void LoadFromStream(TStream* Stream);
    void LoadFromFile(const AnsiString& FileName);
    void LoadFromString(const AnsiString& Text);
    void SaveToStream(TStream* Stream);
    // Replaces the file whole (written beside it, then renamed over it).
    void SaveToFile(const AnsiString& FileName);
    AnsiString SaveToString();

    // The root element: the same object for the document's whole life.
    TStSimpleXMLElemClassic* Root() const { return root_; }
    TStSimpleXMLElemsProlog* Prolog() const { return prolog_; }

    const AnsiString& FileName() const { return fileName_; }
    // Stores the name and loads that file at once.
    void SetFileName(const AnsiString& Value);
    const AnsiString& IndentString() const { return indentString_; }
    // Only blanks and tabs are taken; any other text leaves the old value.
    void SetIndentString(const AnsiString& Value);
    TStSimpleXMLOptions Options() const { return options_; }
    void SetOptions(TStSimpleXMLOptions Value) { options_ = Value; }

    TStOnSimpleProgress OnSaveProgress;
    TStOnSimpleProgress OnLoadProgress;
    TStOnSimpleXMLParsed OnTagParsed;
    TStOnValueParsed OnValueParsed;
    TStSimpleXMLEncodeEvent OnEncodeValue;
    TStSimpleXMLEncodeEvent OnDecodeValue;
    TStSimpleXMLEncodeStreamEvent OnEncodeStream;
    TStSimpleXMLEncodeStreamEvent OnDecodeStream;

    virtual void DoEncodeValue(AnsiString& Value);
    virtual void DoDecodeValue(AnsiString& Value);
    void DoLoadProgress(int Position, int Total);
    void DoSaveProgress();
    void DoTagParsed(const AnsiString& Name);
    void DoValueParsed(const AnsiString& Name, const AnsiString& Value);

private:
    void Parse(TStream* Stream);

    AnsiString fileName_;
    AnsiString indentString_ = "  ";
    TStSimpleXMLOptions options_{sxoAutoIndent, sxoAutoEncodeValue, sxoAutoEncodeEntity};
    TStSimpleXMLElemClassic* root_;
    TStSimpleXMLElemsProlog* prolog_;
    int saveCount_ = 0;
    int saveCurrent_ = 0;
};
