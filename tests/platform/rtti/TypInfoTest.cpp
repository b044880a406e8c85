// Type information, property tables and typed property access.
#include <gtest/gtest.h>

#include <bitset>
#include <cmath>
#include <cstring>

#include "platform/classes/Strings.h"
#include "platform/rtti/Extended.h"
#include "platform/rtti/Published.h"

namespace {

enum TShade { shLight, shMedium, shDark };
enum class TPart { Head, Body, Tail, Fin, Wing };

}  // namespace

TESK_ENUM_INFO(TShade, shLight, shMedium, shDark)
TESK_ENUM_INFO(TPart, Head, Body, Tail, Fin, Wing)

namespace {

using TParts = std::bitset<5>;

}  // namespace

TESK_SET_INFO(TParts, TPart)

namespace {

class TAnimal : public TPersistent {
    TESK_CLASS(TAnimal, TPersistent)
public:
    int Legs() const { return legs_; }
    void SetLegs(int v) { legs_ = v; }
    TShade Shade() const { return shade_; }
    void SetShade(TShade v) { shade_ = v; }
    const AnsiString& Name() const { return name_; }
    void SetName(const AnsiString& v) { name_ = v; }
    int32_t Color = 0;
    double Weight = 0;
    TParts Parts;
    int Slot(int i) const { return slots_[i]; }
    void SetSlot(int i, int v) { slots_[i] = v; }
    bool IsNameStored() const { return name_ != "anonymous"; }
    TNotifyEvent OnChange;
    int64_t Serial = 0;

private:
    int legs_ = 4;
    TShade shade_ = shLight;
    AnsiString name_;
    int slots_[2] = {0, 0};
};

class TBird : public TAnimal {
    TESK_CLASS(TBird, TAnimal)
public:
    explicit TBird(TComponent* = nullptr) {}
    bool CanFly = true;
    TAnimal* Mate = nullptr;
};

class TRoot : public TComponent {
    TESK_CLASS(TRoot, TComponent)
public:
    using TComponent::TComponent;
    void Clicked(TObject*) {}
    void Other(TObject*) {}
    void Keyed(TObject*, int) {}
};

}  // namespace

TESK_PUBLISHED(TAnimal) {
    Property("Legs", &T::Legs, &T::SetLegs).Default(4);
    Property("Shade", &T::Shade, &T::SetShade).Default(shLight);
    Property("Name", &T::Name, &T::SetName).Stored(&T::IsNameStored);
    Property("Color", TypeInfoTColor(), &T::Color, &T::Color);
    Property("Weight", &T::Weight, &T::Weight);
    Property("Parts", &T::Parts, &T::Parts).Default(TParts("00011"));
    IndexedProperty("SlotA", 0, &T::Slot, &T::SetSlot);
    IndexedProperty("SlotB", 1, &T::Slot, &T::SetSlot);
    Property("OnChange", &T::OnChange, &T::OnChange);
    Property("Serial", &T::Serial, nullptr);
}

TESK_PUBLISHED(TBird) {
    Property("CanFly", &T::CanFly, &T::CanFly).Default(true);
    Property("Legs", &T::Legs, &T::SetLegs).Default(2);
    Property("Mate", &T::Mate, &T::Mate);
}

TESK_PUBLISHED(TRoot) {
    Handler("Clicked", &T::Clicked);
    Handler("Other", &T::Other);
    Handler("Keyed", &T::Keyed);
}

TEST(TypInfo, EnumerationNamesAndValues) {
    const TTypeInfo* ti = TypeInfoOf<TShade>();
    EXPECT_EQ(ti->Kind, tkEnumeration);
    EXPECT_EQ(ti->Name, "TShade");
    EXPECT_EQ(GetTypeData(ti)->MinValue, 0);
    EXPECT_EQ(GetTypeData(ti)->MaxValue, 2);
    EXPECT_EQ(GetTypeData(ti)->BaseType, ti);
    EXPECT_EQ(GetTypeData(ti)->EnumUnitName, "TypInfoTest");
    EXPECT_EQ(GetEnumName(ti, 1), "shMedium");
    EXPECT_EQ(GetEnumName(ti, 7), "");
    struct Case { const char* name; int value; } cases[] = {
        {"shDark", 2}, {"SHDARK", 2}, {"shlight", 0}, {"shBright", -1}, {"", -1}};
    for (const Case& c : cases) EXPECT_EQ(GetEnumValue(ti, c.name), c.value) << c.name;

    // A scoped enumeration loses its qualification in the names.
    EXPECT_EQ(GetEnumName(TypeInfoOf<TPart>(), 4), "Wing");

    // Boolean and the boolean-like types answer True for any non-zero value.
    for (const TTypeInfo* b : {TypeInfoOf<bool>(), TypeInfoByteBool(), TypeInfoWordBool(), TypeInfoLongBool()}) {
        EXPECT_TRUE(IsBooleanType(b)) << b->Name;
        EXPECT_EQ(GetEnumName(b, 0), "False");
        EXPECT_EQ(GetEnumName(b, -1), "True");
        EXPECT_EQ(GetEnumValue(b, "true"), 1);
    }
    EXPECT_LT(GetTypeData(TypeInfoByteBool())->MinValue, 0);
    EXPECT_FALSE(IsBooleanType(TypeInfoOf<TShade>()));
}

TEST(TypInfo, NamedAliasTypesAreDistinct) {
    EXPECT_NE(TypeInfoTColor(), TypeInfoOf<int32_t>());
    EXPECT_EQ(TypeInfoTColor()->Kind, tkInteger);
    EXPECT_EQ(TypeInfoTColor()->Name, "TColor");
    EXPECT_NE(TypeInfoTDateTime(), TypeInfoOf<double>());
    EXPECT_EQ(TypeInfoTDateTime()->Kind, tkFloat);
    EXPECT_EQ(TypeInfoTDateTime()->Data.FloatType, ftDouble);
    EXPECT_EQ(TypeInfoTCursor()->Data.OrdType, otSWord);
    EXPECT_EQ(TypeInfoTFontCharset()->Data.MaxValue, 255);
    EXPECT_EQ(TypeInfoOf<uint32_t>()->Data.OrdType, otULong);
    EXPECT_EQ(TypeInfoOf<int64_t>()->Kind, tkInt64);
}

TEST(TypInfo, SetsAsBitBuffers) {
    const TTypeInfo* parts = TypeInfoOf<TParts>();
    EXPECT_EQ(parts->Kind, tkSet);
    EXPECT_EQ(GetTypeData(parts)->CompType, TypeInfoOf<TPart>());
    EXPECT_EQ(GetTypeData(parts)->OrdType, otUByte);

    // A set of the sub-range 10..20 keeps bit v - 8 for value v.
    // Made type information lives as long as the program, as the declared kinds' does.
    static const TTypeInfo* range = MakeOrdinalTypeInfo("TTen", tkInteger, otUByte, 10, 20);
    static const TTypeInfo* set = MakeSetTypeInfo("TTenSet", range);
    EXPECT_EQ(SetBitOfValue(set, 10), 2);
    EXPECT_EQ(SetBitOfValue(set, 20), 12);
    EXPECT_EQ(SetBitOfValue(set, 9), -1);
    EXPECT_EQ(SetBitOfValue(set, 21), -1);
    EXPECT_EQ(SetValueOfBit(set, 2), 10);
    EXPECT_EQ(GetTypeData(set)->SetSize, 2);
}

TEST(TypInfo, PropertyListInheritedFirstAndRepublishedInPlace) {
    std::vector<AnsiString> names;
    for (const TPropInfo* p : GetPropList(TBird::StaticClassInfo())) names.push_back(p->Name);
    std::vector<AnsiString> expected = {"Legs",  "Shade",    "Name",   "Color", "Weight", "Parts", "SlotA",
                                        "SlotB", "OnChange", "Serial", "CanFly", "Mate"};
    EXPECT_EQ(names, expected);
    const TPropInfo* legs = GetPropInfo(TBird::StaticClassInfo(), "LEGS");
    ASSERT_TRUE(legs);
    EXPECT_EQ(legs->Default, 2);
    EXPECT_EQ(GetPropInfo(TAnimal::StaticClassInfo(), "Legs")->Default, 4);

    auto methods = GetPropList(TBird::StaticClassInfo(), tkMethods);
    ASSERT_EQ(methods.size(), 1u);
    EXPECT_EQ(methods[0]->Name, "OnChange");
    EXPECT_EQ(methods[0]->PropType->Name, "TNotifyEvent");
    EXPECT_EQ(GetPropList(TBird::StaticClassInfo(), TypeKinds({tkClass})).size(), 1u);
    EXPECT_EQ(GetPropInfo(TBird::StaticClassInfo(), "Legs", tkStrings), nullptr);

    const TPropInfo* slot = GetPropInfo(TBird::StaticClassInfo(), "SlotB");
    EXPECT_EQ(slot->Index, 1);
    EXPECT_EQ(GetPropInfo(TBird::StaticClassInfo(), "Shade")->Index, NoIndex);
    EXPECT_FALSE(GetPropInfo(TBird::StaticClassInfo(), "Serial")->Writable());
    EXPECT_TRUE(GetPropInfo(TBird::StaticClassInfo(), "Mate")->Writable());
    EXPECT_EQ(GetPropInfo(TBird::StaticClassInfo(), "Mate")->PropType->Data.ClassType, TAnimal::StaticClassInfo());
    EXPECT_EQ(TBird::StaticClassInfo()->UnitName, "TypInfoTest");
}

TEST(TypInfo, TypedAccessThroughTheTable) {
    TBird bird;
    SetOrdProp(&bird, "Legs", 3);
    EXPECT_EQ(bird.Legs(), 3);
    SetEnumProp(&bird, "Shade", "SHDARK");
    EXPECT_EQ(bird.Shade(), shDark);
    EXPECT_EQ(GetEnumProp(&bird, "Shade"), "shDark");
    EXPECT_THROW(SetEnumProp(&bird, "Shade", "shNone"), EPropertyError);
    SetStrProp(&bird, "Name", "Robin");
    EXPECT_EQ(GetStrProp(&bird, "Name"), "Robin");
    SetFloatProp(&bird, "Weight", 0.25L);
    EXPECT_EQ(bird.Weight, 0.25);
    SetOrdProp(&bird, "Color", 0x00FF00);
    EXPECT_EQ(bird.Color, 0x00FF00);
    SetOrdProp(&bird, "SlotB", 9);
    EXPECT_EQ(bird.Slot(1), 9);
    EXPECT_EQ(bird.Slot(0), 0);

    const TPropInfo* parts = FindPropInfo(&bird, "Parts");
    TSetBits bits{};
    IncludeSetBit(bits, 1);
    IncludeSetBit(bits, 4);
    SetSetProp(&bird, parts, bits);
    EXPECT_EQ(bird.Parts, TParts("10010"));
    EXPECT_EQ(GetOrdProp(&bird, parts), 0x12);

    TAnimal mate;
    SetObjectProp(&bird, "Mate", &mate);
    EXPECT_EQ(bird.Mate, &mate);
    TComponent notAnAnimal(nullptr);
    EXPECT_THROW(SetObjectProp(&bird, "Mate", &notAnAnimal), EPropertyError);
    EXPECT_EQ(bird.Mate, &mate);

    bird.Serial = 5;
    EXPECT_EQ(GetInt64Prop(&bird, FindPropInfo(&bird, "Serial")), 5);
    EXPECT_THROW(SetInt64Prop(&bird, FindPropInfo(&bird, "Serial"), 6), EPropertyError);
    EXPECT_THROW(GetOrdProp(&bird, "Wings"), EPropertyError);
    // A property of another class is refused, not reinterpreted.
    TRoot root(nullptr);
    EXPECT_THROW(GetOrdProp(&root, FindPropInfo(&bird, "Legs")), EPropertyError);
}

TEST(TypInfo, StoredAndDefaultRules) {
    TBird bird;
    const TPropInfo* name = FindPropInfo(&bird, "Name");
    bird.SetName("anonymous");
    EXPECT_FALSE(IsStoredProp(&bird, name));
    bird.SetName("x");
    EXPECT_TRUE(IsStoredProp(&bird, name));
    EXPECT_FALSE(IsDefaultPropValue(&bird, name));

    EXPECT_FALSE(IsDefaultPropValue(&bird, FindPropInfo(&bird, "Legs")));  // 4, the bird's default is 2
    bird.SetLegs(2);
    EXPECT_TRUE(IsDefaultPropValue(&bird, FindPropInfo(&bird, "Legs")));
    bird.Parts = TParts("00011");
    EXPECT_TRUE(IsDefaultPropValue(&bird, FindPropInfo(&bird, "Parts")));
    bird.Parts.set(4);
    EXPECT_FALSE(IsDefaultPropValue(&bird, FindPropInfo(&bird, "Parts")));
    EXPECT_TRUE(IsDefaultPropValue(&bird, FindPropInfo(&bird, "Weight")));
    EXPECT_TRUE(IsDefaultPropValue(&bird, FindPropInfo(&bird, "OnChange")));
    // Without a declared default an ordinal is never "default".
    EXPECT_FALSE(IsDefaultPropValue(&bird, FindPropInfo(&bird, "Color")));
}

TEST(TypInfo, EventsCopyCompareAndNameThroughTheHandlerTable) {
    TRoot root(nullptr);
    TBird bird;
    const TPropInfo* onChange = FindPropInfo(&bird, "OnChange");
    bird.OnChange = TNotifyEvent(&root, &TRoot::Other);
    TMethod m = GetMethodProp(&bird, onChange);
    EXPECT_TRUE(m.Assigned());
    EXPECT_EQ(m.Data(), &root);
    EXPECT_EQ(TRoot::StaticClassInfo()->HandlerName(&root, m), "Other");

    TBird copy;
    SetMethodProp(&copy, onChange, m);
    EXPECT_TRUE(copy.OnChange == bird.OnChange);

    const THandlerInfo* clicked = TRoot::StaticClassInfo()->FindHandler("CLICKED");
    ASSERT_TRUE(clicked);
    SetMethodProp(&copy, onChange, clicked->Bind(&root));
    EXPECT_TRUE(copy.OnChange == TNotifyEvent(&root, &TRoot::Clicked));
    // A handler of another event type cannot be assigned.
    const THandlerInfo* keyed = TRoot::StaticClassInfo()->FindHandler("Keyed");
    EXPECT_THROW(SetMethodProp(&copy, onChange, keyed->Bind(&root)), EPropertyError);
    // A handler bound to another root has no name in this one.
    TRoot other(nullptr);
    EXPECT_EQ(TRoot::StaticClassInfo()->HandlerName(&other, m), "");
}

TEST(TypInfo, ClassRegistry) {
    // Type information alone makes no class known by name: registration does.
    EXPECT_EQ(GetClass("TBird"), nullptr);
    RegisterClasses({TAnimal::StaticClassInfo(), TBird::StaticClassInfo(), TRoot::StaticClassInfo()});
    EXPECT_EQ(FindClass("tbird"), TBird::StaticClassInfo());
    EXPECT_EQ(GetClass("TNoSuchThing"), nullptr);
    EXPECT_THROW(FindClass("TNoSuchThing"), EClassNotFound);
    EXPECT_TRUE(TBird::StaticClassInfo()->InheritsFrom(ClassInfoOf<TPersistent>()));
    EXPECT_TRUE(TBird::StaticClassInfo()->InheritsFrom("TANIMAL"));
    EXPECT_FALSE(TAnimal::StaticClassInfo()->InheritsFrom(TBird::StaticClassInfo()));
    EXPECT_EQ(TBird::StaticClassInfo()->ClassParent(), TAnimal::StaticClassInfo());

    // The factory passes the owner to components and builds other classes plainly.
    TObject* made = FindClass("TBird")->Create(nullptr);
    ASSERT_TRUE(dynamic_cast<TBird*>(made));
    EXPECT_EQ(ClassInfoOf(made), TBird::StaticClassInfo());
    FreeObject(made);
    TComponent owner(nullptr);
    auto* root = dynamic_cast<TRoot*>(FindClass("TRoot")->Create(&owner));
    ASSERT_TRUE(root);
    EXPECT_EQ(root->Owner(), &owner);

    // Classes of the platform without TESK_CLASS are found by name.
    TStringList list;
    EXPECT_EQ(ClassInfoOf(&list), ClassInfoOf<TStringList>());
    EXPECT_TRUE(InheritsFrom(&list, ClassInfoOf<TPersistent>()));
    EXPECT_EQ(GetPropInfo(&owner, "Name")->StoredConstant, false);
}

TEST(Extended, TenByteConversionBothWays) {
    struct Case { long double value; uint8_t bytes[10]; } cases[] = {
        {1.0L, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}},
        {-2.0L, {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}},
        {0.5L, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x3F}},
        {10.0L, {0, 0, 0, 0, 0, 0, 0, 0xA0, 0x02, 0x40}},
        {0.0L, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        uint8_t out[10];
        ExtendedToBytes(c.value, out);
        EXPECT_EQ(std::memcmp(out, c.bytes, 10), 0) << static_cast<double>(c.value);
        EXPECT_EQ(BytesToExtended(c.bytes), c.value);
    }
    for (double v : {0.1, -123456.789, 1e300, 5e-324, 3.0e-310}) {
        uint8_t out[10];
        ExtendedToBytes(v, out);
        EXPECT_EQ(static_cast<double>(BytesToExtended(out)), v) << v;
    }
    uint8_t out[10];
    ExtendedToBytes(HUGE_VALL, out);
    EXPECT_TRUE(std::isinf(BytesToExtended(out)));
    ExtendedToBytes(NAN, out);
    EXPECT_TRUE(std::isnan(BytesToExtended(out)));
}
