#pragma once
// Type information as text: sets as bracketed lists of element names (and
// back), and wrapper objects, one class per type kind, that answer questions
// about a type and can describe or declare it.
//
// The wrappers are handed out as shared pointers; the shared ownership stands
// for the reference count of an interface.
#include <memory>

#include "platform/classes/Strings.h"
#include "platform/rtti/TypInfo.h"
#include "text/UtBase.h"

TESK_DECLARE_EXCEPTION(EUtRTTIError, EUtError);

// A text sink for descriptions and declarations, implemented by the caller.
class IUtTypeTextWriter {
public:
    virtual ~IUtTypeTextWriter() = default;
    virtual void Write(const AnsiString& S) = 0;
    virtual void Writeln(const AnsiString& S = AnsiString()) = 0;
};

class TUtTypeInfo;
class TUtPropInfo;
using IUtTypeInfo = std::shared_ptr<TUtTypeInfo>;
using IUtPropInfo = std::shared_ptr<TUtPropInfo>;

// The wrapper of any type; kinds without a class of their own get this one.
class TUtTypeInfo : public TObject {
public:
    explicit TUtTypeInfo(const TTypeInfo* ATypeInfo) : typeInfo_(ATypeInfo) {}
    const char* ClassName() const override { return "TUtTypeInfo"; }

    virtual void DescribeTo(IUtTypeTextWriter& Dest) const;
    virtual void DeclareTo(IUtTypeTextWriter& Dest) const;

    const AnsiString& Name() const { return typeInfo_->Name; }
    TTypeKind TypeKind() const { return typeInfo_->Kind; }
    const TTypeInfo* TypeInfo() const { return typeInfo_; }
    const TTypeData* TypeData() const { return GetTypeData(typeInfo_); }
    // A name starting with '.' marks a type without a name of its own.
    bool IsAnonymous() const { return !Name().empty() && Name()[0] == '.'; }

protected:
    // "Name = ", or nothing for an anonymous type, which is declared inline.
    AnsiString DeclarationHead() const;
    // The name, "???" when there is none.
    AnsiString PrintName() const;

private:
    const TTypeInfo* typeInfo_;
};

class TUtOrdinalTypeInfo : public TUtTypeInfo {
public:
    using TUtTypeInfo::TUtTypeInfo;
    const char* ClassName() const override { return "TUtOrdinalTypeInfo"; }
    void DescribeTo(IUtTypeTextWriter& Dest) const override;
    TOrdType OrdType() const { return TypeData()->OrdType; }
};

// Integers and characters.
class TUtOrdinalRangeTypeInfo : public TUtOrdinalTypeInfo {
public:
    using TUtOrdinalTypeInfo::TUtOrdinalTypeInfo;
    const char* ClassName() const override { return "TUtOrdinalRangeTypeInfo"; }
    void DescribeTo(IUtTypeTextWriter& Dest) const override;
    void DeclareTo(IUtTypeTextWriter& Dest) const override;
    // The 32-bit bounds, zero-extended for an unsigned long type.
    int64_t MinValue() const;
    int64_t MaxValue() const;
};

class TUtEnumerationTypeInfo : public TUtOrdinalRangeTypeInfo {
public:
    using TUtOrdinalRangeTypeInfo::TUtOrdinalRangeTypeInfo;
    const char* ClassName() const override { return "TUtEnumerationTypeInfo"; }
    void DescribeTo(IUtTypeTextWriter& Dest) const override;
    void DeclareTo(IUtTypeTextWriter& Dest) const override;

    AnsiString Names(int64_t Value) const;
    // Ignoring letter case, searching from the highest value down; -1 when no name matches.
    int64_t ValueOf(const AnsiString& Name) const;
    AnsiString UnitName() const;
    const TTypeInfo* BaseType() const;
    // The name of the ordinal at Value, read with the width and sign of the
    // ordinal type; "Value out of range (ordinal=N)." outside the range.
    AnsiString ValueName(const void* Value) const;
};

class TUtSetTypeInfo : public TUtOrdinalTypeInfo {
public:
    using TUtOrdinalTypeInfo::TUtOrdinalTypeInfo;
    const char* ClassName() const override { return "TUtSetTypeInfo"; }
    void DescribeTo(IUtTypeTextWriter& Dest) const override;
    void DeclareTo(IUtTypeTextWriter& Dest) const override;

    // The element type: a range or an enumeration.
    std::shared_ptr<TUtOrdinalRangeTypeInfo> BaseType() const;
    // One line per element, or per run of elements "a .. b" with WantRanges.
    void SetToStrings(const TSetBits& Value, bool WantRanges, TStrings* Strings) const;
    // Lines "a" or "a..b" (names of an enumeration, numbers otherwise). Every
    // line is checked before SetVar changes: an unknown name or a value outside
    // the element type raises EUtRTTIError and leaves SetVar as it was.
    void StringsToSet(TSetBits& SetVar, TStrings* Strings) const;
};

class TUtFloatTypeInfo : public TUtTypeInfo {
public:
    using TUtTypeInfo::TUtTypeInfo;
    const char* ClassName() const override { return "TUtFloatTypeInfo"; }
    void DescribeTo(IUtTypeTextWriter& Dest) const override;
    void DeclareTo(IUtTypeTextWriter& Dest) const override;
    TFloatType FloatType() const { return TypeData()->FloatType; }
};

class TUtStringTypeInfo : public TUtTypeInfo {
public:
    using TUtTypeInfo::TUtTypeInfo;
    const char* ClassName() const override { return "TUtStringTypeInfo"; }
    void DescribeTo(IUtTypeTextWriter& Dest) const override;
    void DeclareTo(IUtTypeTextWriter& Dest) const override;
    int MaxLength() const { return TypeData()->MaxLength; }
};

class TUtClassTypeInfo : public TUtTypeInfo {
public:
    using TUtTypeInfo::TUtTypeInfo;
    const char* ClassName() const override { return "TUtClassTypeInfo"; }
    void DescribeTo(IUtTypeTextWriter& Dest) const override;
    void DeclareTo(IUtTypeTextWriter& Dest) const override;

    const TClassInfo* ClassType() const { return TypeData()->ClassType; }
    const TClassInfo* ParentClass() const;
    // The class's own published properties, and all of them with the inherited ones first.
    int OwnPropCount() const;
    int PropCount() const;
    IUtPropInfo Properties(int Index) const;  // 0 .. PropCount-1
    AnsiString UnitName() const;
};

class TUtEventTypeInfo : public TUtTypeInfo {
public:
    using TUtTypeInfo::TUtTypeInfo;
    const char* ClassName() const override { return "TUtEventTypeInfo"; }
    void DescribeTo(IUtTypeTextWriter& Dest) const override;
    void DeclareTo(IUtTypeTextWriter& Dest) const override;
    TMethodKind MethodKind() const { return TypeData()->MethodKind; }
    int ParamCount() const { return static_cast<int>(TypeData()->ParamList.size()); }
    const TParamInfo& Params(int Index) const { return TypeData()->ParamList.at(static_cast<size_t>(Index)); }
    const AnsiString& ResultType() const { return TypeData()->ResultType; }
};

class TUtInterfaceTypeInfo : public TUtTypeInfo {
public:
    using TUtTypeInfo::TUtTypeInfo;
    const char* ClassName() const override { return "TUtInterfaceTypeInfo"; }
    void DescribeTo(IUtTypeTextWriter& Dest) const override;
    void DeclareTo(IUtTypeTextWriter& Dest) const override;
    const TTypeInfo* Parent() const { return TypeData()->IntfParent; }
    const AnsiString& GUID() const { return TypeData()->Guid; }
    uint8_t Flags() const { return TypeData()->IntfFlags; }
    const AnsiString& UnitName() const { return TypeData()->IntfUnit; }
};

class TUtInt64TypeInfo : public TUtTypeInfo {
public:
    using TUtTypeInfo::TUtTypeInfo;
    const char* ClassName() const override { return "TUtInt64TypeInfo"; }
    void DescribeTo(IUtTypeTextWriter& Dest) const override;
    void DeclareTo(IUtTypeTextWriter& Dest) const override;
    int64_t MinValue() const { return TypeData()->MinInt64Value; }
    int64_t MaxValue() const { return TypeData()->MaxInt64Value; }
};

class TUtDynArrayTypeInfo : public TUtTypeInfo {
public:
    using TUtTypeInfo::TUtTypeInfo;
    const char* ClassName() const override { return "TUtDynArrayTypeInfo"; }
    void DescribeTo(IUtTypeTextWriter& Dest) const override;
    void DeclareTo(IUtTypeTextWriter& Dest) const override;
    int ElementSize() const { return TypeData()->ElSize; }
    const TTypeInfo* ElementType() const { return TypeData()->ElType; }
    bool ElementsNeedCleanup() const { return TypeData()->ElNeedsCleanup; }
    int VarType() const { return TypeData()->VarType; }
    const AnsiString& UnitName() const { return TypeData()->DynUnitName; }
};

// One published property of a class.
class TUtPropInfo : public TObject {
public:
    explicit TUtPropInfo(const TPropInfo* APropInfo) : propInfo_(APropInfo) {}
    const char* ClassName() const override { return "TUtPropInfo"; }

    const AnsiString& Name() const { return propInfo_->Name; }
    IUtTypeInfo PropType() const;
    const TPropInfo* PropInfo() const { return propInfo_; }
    // How an accessor reaches its value, and what stands for its address: the
    // platform keeps accessors as function objects, so the address is that
    // object's. A constant stored rule has no address.
    TPropAccessKind ReaderType() const { return propInfo_->ReadAccess; }
    TPropAccessKind WriterType() const { return propInfo_->WriteAccess; }
    TPropAccessKind StoredType() const;
    const void* ReaderValue() const;
    const void* WriterValue() const;
    const void* StoredValue() const;
    bool StoredConstant() const { return propInfo_->StoredConstant; }
    bool HasIndex() const { return propInfo_->Index != NoIndex; }
    int32_t Index() const { return propInfo_->Index; }
    bool HasDefault() const { return propInfo_->Default != NoDefault; }
    int32_t Default() const { return propInfo_->Default; }
    int NameIndex() const { return propInfo_->NameIndex; }

private:
    const TPropInfo* propInfo_;
};

// The wrapper for the type's kind.
IUtTypeInfo UtTypeInfo(const TTypeInfo* TypeInfo);

// "[a, b, c]" (WantBrackets) or "a, b, c"; with WantRanges a run of two or
// more consecutive elements is written "a .. c".
AnsiString UtSetToStr(const TTypeInfo* TypeInfo, const TSetBits& Value, bool WantBrackets = true,
                      bool WantRanges = false);
// The same, appending the lines to Strings on the way.
AnsiString UtSetToStr(const TTypeInfo* TypeInfo, const TSetBits& Value, bool WantBrackets, bool WantRanges,
                      TStrings* Strings);
// Reads what UtSetToStr writes, with or without brackets and blanks; "[]" and
// '' are the empty set. Raises EUtRTTIError "Unknown identifier '<name>'." for
// a name the enumeration lacks.
void UtStrToSet(const TTypeInfo* TypeInfo, TSetBits& SetVar, const AnsiString& Value);

// Type information made at run time, kept in a thread-safe registry by
// reference counts. The registry owns an added block; releasing the last
// reference frees it, releasing also the element type of a set and the base
// type of an enumeration when the registry holds those. What is left at
// program end is freed then.
void UtAddGeneratedTypeInfo(TTypeInfo* Info);
void UtAddRefGeneratedTypeInfo(const TTypeInfo* Info);
void UtReleaseGeneratedTypeInfo(const TTypeInfo* Info);
// The block's reference count; 0 when the registry does not hold it.
int UtGeneratedTypeInfoRefCount(const TTypeInfo* Info);
