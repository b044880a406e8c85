#pragma once
// Binary component streaming ("TPF0"): TFiler, TReader and TWriter.
//
// A stream holds one component: signature "TPF0", class name, object name, its
// properties (name, then a tagged value) up to a zero byte, then its child
// components up to a zero byte. Sub-objects that are not components are written
// as dotted property names (Title.Font.Height); collections as tag 14 with one
// list per item; string lists through their defined property "Strings".
// Component references and event handlers go by name and are resolved against
// the root: references once the whole stream is read, handlers through the
// root class's handler table (an unknown handler name fails the read).
#include <functional>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/classes/Collections.h"
#include "platform/classes/Streams.h"
#include "platform/rtti/TypInfo.h"

enum TValueType : uint8_t {
    vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue, vaBinary, vaSet,
    vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString, vaInt64, vaUTF8String
};

class TReader;
class TWriter;
using TReaderProc = std::function<void(TReader& Reader)>;
using TWriterProc = std::function<void(TWriter& Writer)>;
using TStreamProc = std::function<void(TStream& Stream)>;

class TFiler : public TObject {
public:
    explicit TFiler(TStream* Stream) : stream_(Stream) {}
    const char* ClassName() const override { return "TFiler"; }

    // A property that is not published: the reader calls ReadData when the stream
    // holds Name; the writer writes Name and calls WriteData when HasData.
    virtual void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) = 0;
    virtual void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc WriteData,
                                      bool HasData) = 0;

    TStream* Stream() const { return stream_; }
    // The component whose stream this is; names of references and handlers resolve against it.
    TComponent* Root() const { return root_; }
    void SetRoot(TComponent* Value) { root_ = Value; }
    TComponent* LookupRoot() const { return lookupRoot_ ? lookupRoot_ : root_; }
    // Forms are not inherited from other forms here, so there is never an ancestor.
    TPersistent* Ancestor() const { return nullptr; }

protected:
    TStream* stream_;
    TComponent* root_ = nullptr;
    TComponent* lookupRoot_ = nullptr;
};

class TWriter : public TFiler {
public:
    explicit TWriter(TStream* Stream) : TFiler(Stream) {}
    const char* ClassName() const override { return "TWriter"; }

    // Signature, then Root with its properties and the components it owns.
    void WriteRootComponent(TComponent* Root);
    void WriteSignature();
    void WriteComponent(TComponent* Component);
    // The stored published properties (by their stored rules and defaults), then
    // the defined ones.
    void WriteProperties(TPersistent* Instance);
    void WriteProperty(TPersistent* Instance, const TPropInfo* PropInfo);
    void WriteCollection(TCollection* Value);

    void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
    void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc WriteData,
                              bool HasData) override;

    void WriteValue(TValueType Value);
    void WriteListBegin() { WriteValue(vaList); }
    void WriteListEnd() { WriteValue(vaNull); }
    void WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }
    // The smallest of Int8, Int16, Int32 and Int64 that holds Value.
    void WriteInteger(int64_t Value);
    void WriteFloat(long double Value);  // Extended, 10 bytes
    void WriteSingle(float Value);
    void WriteCurrency(long double Value);  // an Int64 of units of 1/10000
    void WriteDate(double Value);
    void WriteChar(char Value) { WriteString(AnsiString(1, Value)); }
    // A short string up to 255 bytes, a long string beyond.
    void WriteString(const AnsiString& Value);
    // False, True and nil have tags of their own.
    void WriteIdent(const AnsiString& Ident);
    // A raw short string (length byte, bytes); names and identifiers.
    void WriteStr(const AnsiString& Value);
    void WriteSet(const TTypeInfo* SetType, const TSetBits& Value);
    // Unassigned as nil, Null, numbers, Booleans, dates and strings; arrays raise EWriteError.
    void WriteVariant(const Variant& Value);
    void Write(const void* Buffer, int64_t Count) { stream_->WriteBuffer(Buffer, Count); }

private:
    void WritePropName(const AnsiString& Name) { WriteStr(propPath_ + Name); }
    AnsiString ReferenceName(TComponent* Component) const;
    AnsiString propPath_;
};

class TReader : public TFiler {
public:
    explicit TReader(TStream* Stream) : TFiler(Stream) {}
    const char* ClassName() const override { return "TReader"; }

    // Reads a whole stream into Root, which must be of the stream's class (or,
    // with Root nullptr, creates the root from the class name; the caller owns it).
    // Child components are created by class name with Root as owner, named,
    // set into the root's fields of the same name and given their enclosing
    // component as parent. Every component is in csLoading and csReading while
    // its properties are set in stream order; then references are resolved, and
    // Loaded is called on each component in creation order. On an error the
    // components created so far are freed and EReadError is raised.
    TComponent* ReadRootComponent(TComponent* Root);
    void ReadSignature();
    void ReadProperty(TPersistent* Instance);
    void ReadCollection(TCollection* Collection);

    void DefineProperty(const AnsiString& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;
    void DefineBinaryProperty(const AnsiString& Name, TStreamProc ReadData, TStreamProc WriteData,
                              bool HasData) override;

    TValueType ReadValue();
    TValueType NextValue();
    void CheckValue(TValueType Value);
    // Peeks at the next byte: a property or class name starts with its length,
    // which is not a value tag.
    bool EndOfList();
    void ReadListBegin() { CheckValue(vaList); }
    void ReadListEnd() { CheckValue(vaNull); }
    bool ReadBoolean();
    int32_t ReadInteger();
    int64_t ReadInt64();
    // Extended, Single, Currency, Date or an integer.
    long double ReadFloat();
    float ReadSingle();
    long double ReadCurrency();
    double ReadDate();
    char ReadChar();
    // Short, long, wide and UTF-8 strings, in the active code page.
    AnsiString ReadString();
    // An identifier, or False, True, nil and Null by their tags.
    AnsiString ReadIdent();
    // A raw short string.
    AnsiString ReadStr();
    TSetBits ReadSet(const TTypeInfo* SetType);
    Variant ReadVariant();
    void SkipValue();
    void Read(void* Buffer, int64_t Count);

    // With StrictReferences an unknown component name fails the read; otherwise
    // the reference stays nil.
    bool StrictReferences() const { return strictReferences_; }
    void SetStrictReferences(bool Value) { strictReferences_ = Value; }
    // For streams from outside (layout files): a root that holds no components
    // of its own, so that a child in the stream fails the read before anything
    // is created; and a bound on the collection items of the whole stream,
    // since each item costs far more memory than the two bytes it takes.
    void SetRootTakesChildren(bool Value) { rootTakesChildren_ = Value; }
    void SetMaxCollectionItems(int64_t Value) { maxCollectionItems_ = Value; }
    // Where the property or component being read starts in the stream (for error positions).
    int64_t PropertyStart() const { return propertyStart_; }
    // The component whose properties are being read, and its enclosing one.
    TComponent* Owner() const { return root_; }
    TComponent* Parent() const { return parent_; }

    // Raises EReadError with the component and property being read.
    [[noreturn]] void Error(const AnsiString& Message) const;

private:
    struct Fixup {
        TPersistent* instance;
        const TPropInfo* prop;
        AnsiString name;
        AnsiString context;
        int64_t position;
    };
    TComponent* ReadChildComponent(TComponent* Parent);
    void ReadComponentData(TComponent* Component);
    void ReadPropValue(TPersistent* Instance, const TPropInfo* PropInfo);
    void ReadStringsData(TStrings* Strings);
    void ResolveFixups();
    TComponent* FindReference(const AnsiString& Name) const;
    uint8_t ReadByte();
    AnsiString Context() const;

    class TDepth;
    int depth_ = 0;
    TComponent* parent_ = nullptr;
    TComponent* current_ = nullptr;
    std::vector<AnsiString> pathStack_;
    std::vector<TComponent*> loaded_;
    std::vector<TComponent*> created_;
    // The root's fields set to created components, by the name they were
    // created with: a failed read clears them even after a rename.
    std::vector<const TFieldInfo*> boundFields_;
    std::vector<Fixup> fixups_;
    AnsiString definedName_;
    bool definedFound_ = false;
    bool strictReferences_ = false;
    bool rootTakesChildren_ = true;
    int64_t maxCollectionItems_ = -1;  // no bound
    int64_t collectionItems_ = 0;
    int64_t propertyStart_ = 0;
};

// Writes Instance as a whole component stream at the stream's position.
void WriteComponent(TStream* Stream, TComponent* Instance);
// Reads a component stream into Instance (nullptr: creates it from the class
// name; the caller owns it) and answers the component.
TComponent* ReadComponent(TStream* Stream, TComponent* Instance);

// Components that a reference "Form.Component" may name outside the root:
// finders registered here are asked in turn (the application registers its
// forms and data modules).
using TFindGlobalComponent = std::function<TComponent*(const AnsiString& Name)>;
// Answers a handle for UnRegisterFindGlobalComponent.
int RegisterFindGlobalComponent(TFindGlobalComponent Finder);
void UnRegisterFindGlobalComponent(int Handle);
TComponent* FindGlobalComponent(const AnsiString& Name);
