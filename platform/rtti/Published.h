#pragma once
// Declaring a class's published properties, event handlers and component
// members, once per class in its source file:
//
//   // TFoo.h
//   class TFoo : public TPersistent {
//       TESK_CLASS(TFoo, TPersistent)
//   public:
//       TAlignment Alignment() const;  void SetAlignment(TAlignment v);
//       TFont* Font() const;           void SetFont(TFont* v);
//       TColor Color() const;          void SetColor(TColor v);
//       bool IsColorStored() const;
//       TNotifyEvent OnChange;
//   };
//   // TFoo.cpp
//   TESK_PUBLISHED(TFoo) {
//       Property("Alignment", &T::Alignment, &T::SetAlignment).Default(taLeftJustify);
//       Property("Color", TypeInfoTColor(), &T::Color, &T::SetColor).Stored(&T::IsColorStored);
//       Property("Font", &T::Font, &T::SetFont);
//       Property("OnChange", &T::OnChange, &T::OnChange);
//   }
//
// A getter is a member function answering the value or a data member; a setter
// is a member function taking the value, a data member, or nullptr (read-only).
// IndexedProperty passes a fixed index to both. Inside a form class:
//   Handler("btnOKClick", &T::btnOKClick);   // names a definition may bind
//   Field("btnOK", &T::btnOK);               // filled when btnOK is created
// Properties that several descendants of a class publish alike are written once
// as a run of that class (TESK_PUBLISHED_RUN) and placed in each descendant's
// block with IncludeRun<Base, Tag>(): the run is compiled once, not per class.
// A property published again under an inherited name replaces the inherited
// one in place. FindClass knows the class once its library's registration
// call (RegisterGuiLibrary, RegisterGridLibrary, ...) lists it: a static
// object would register it only when the linker happened to keep its file.
#include <cmath>
#include <type_traits>
#include <utility>

#include "platform/rtti/TypInfo.h"

// Non-template parts of the builder.
TClassInfo* NewClassInfo(const char* name, const TClassInfo* parent, const char* sourceFile);
void FinishClassInfo(TClassInfo* info);
TPropInfo* AddPropInfo(TClassInfo* info, const char* name, const TTypeInfo* type);
// Raises EPropertyError when the type kind does not fit the C++ value.
enum class TPropValueCategory { Ordinal, Float, String, Object, Method, Set, Variant };
void CheckPropCategory(const TPropInfo* prop, TPropValueCategory category);

template <class Cls>
class TClassBuilder {
public:
    using T = Cls;

    static const TClassInfo* Make(const char* name, const TClassInfo* parent, const char* sourceFile) {
        TClassInfo* info = NewClassInfo(name, parent, sourceFile);
        info->IsInstance = [](const TObject* o) { return dynamic_cast<const Cls*>(o) != nullptr; };
        if constexpr (!std::is_abstract_v<Cls>) {
            if constexpr (std::is_constructible_v<Cls, TComponent*>)
                info->Factory = [](TComponent* owner) -> TObject* { return new Cls(owner); };
            else if constexpr (std::is_default_constructible_v<Cls>)
                info->Factory = [](TComponent*) -> TObject* { return new Cls(); };
        }
        TClassBuilder builder(info);
        builder.Build();
        FinishClassInfo(info);
        return info;
    }

    // Further settings of the property just declared.
    class TPropDecl {
    public:
        explicit TPropDecl(TPropInfo* p) : p_(p) {}
        // The declared default of an ordinal or set property.
        template <class D>
        TPropDecl& Default(D value) {
            if constexpr (std::is_same_v<D, bool>) {
                p_->Default = value ? 1 : 0;
            } else if constexpr (std::is_integral_v<D> || std::is_enum_v<D>) {
                if (p_->Kind() == tkSet) SetDefaultBits(TSetTraits<D>::ToBits(value));
                else p_->Default = static_cast<int32_t>(value);
            } else {
                SetDefaultBits(TSetTraits<D>::ToBits(value));
            }
            return *this;
        }
        TPropDecl& NoDefault() {
            p_->Default = ::NoDefault;
            p_->HasDefaultBits = false;
            return *this;
        }
        TPropDecl& Stored(bool value) {
            p_->Stored = nullptr;
            p_->StoredAccess = akConstant;
            p_->StoredConstant = value;
            return *this;
        }
        // A member function (or any callable on the object) answering whether to store.
        template <class F>
        TPropDecl& Stored(F predicate) requires(!std::is_same_v<F, bool>) {
            p_->Stored = [predicate](TObject* o) { return static_cast<bool>(std::invoke(predicate, *static_cast<Cls*>(o))); };
            p_->StoredAccess = akStaticMethod;
            return *this;
        }

    private:
        void SetDefaultBits(const TSetBits& bits) {
            p_->DefaultBits = bits;
            p_->HasDefaultBits = true;
            bool wide = false;
            for (size_t i = 4; i < bits.size(); ++i) wide = wide || bits[i] != 0;
            p_->Default = wide ? ::NoDefault : static_cast<int32_t>(static_cast<uint32_t>(SetBitsToOrd(bits)));
        }
        TPropInfo* p_;
    };

    void Build();  // the body of TESK_PUBLISHED

    // A run of declarations that several descendants of Cls publish alike,
    // defined once per Tag with TESK_PUBLISHED_RUN.
    template <class Tag>
    void Run();

protected:
    explicit TClassBuilder(TClassInfo* info) : info_(info) {}

    // Declares here, in place, the run Tag written for the base class B. Its
    // accessors are instantiated once for B instead of once per including class.
    template <class B, class Tag>
    void IncludeRun() {
        static_assert(std::is_base_of_v<B, Cls>, "a run is included only by descendants of its class");
        TClassBuilder<B> base(info_);
        base.template Run<Tag>();
    }

    template <class G, class S = std::nullptr_t>
    TPropDecl Property(const char* name, G getter, S setter = nullptr)
        requires(!std::is_convertible_v<G, const TTypeInfo*>) {
        using V = std::remove_cvref_t<std::invoke_result_t<G, Cls&>>;
        return Declare<V>(name, TypeInfoOf<V>(), getter, setter, std::is_member_object_pointer_v<G>,
                          std::is_member_object_pointer_v<S>, [getter](Cls& o) -> V { return std::invoke(getter, o); },
                          MakeSetter<V>(setter));
    }
    // With the type information named, for aliases (TColor) and sets.
    template <class G, class S = std::nullptr_t>
    TPropDecl Property(const char* name, const TTypeInfo* type, G getter, S setter = nullptr) {
        using V = std::remove_cvref_t<std::invoke_result_t<G, Cls&>>;
        return Declare<V>(name, type, getter, setter, std::is_member_object_pointer_v<G>,
                          std::is_member_object_pointer_v<S>, [getter](Cls& o) -> V { return std::invoke(getter, o); },
                          MakeSetter<V>(setter));
    }
    // getter(index) and setter(index, value).
    template <class G, class S = std::nullptr_t>
    TPropDecl IndexedProperty(const char* name, int32_t index, G getter, S setter = nullptr,
                              const TTypeInfo* type = nullptr) {
        using V = std::remove_cvref_t<std::invoke_result_t<G, Cls&, int32_t>>;
        std::function<void(Cls&, const V&)> set;
        if constexpr (!std::is_null_pointer_v<S>)
            set = [setter, index](Cls& o, const V& v) { std::invoke(setter, o, index, v); };
        TPropDecl d = Declare<V>(name, type ? type : TypeInfoOf<V>(), getter, setter, false, false,
                                 [getter, index](Cls& o) -> V { return std::invoke(getter, o, index); }, set);
        info_->OwnProps.back()->Index = index;
        return d;
    }

    template <class B, class R, class... A>
    void Handler(const char* name, R (B::*method)(A...)) {
        static_assert(std::is_base_of_v<B, Cls>, "the handler is not a member of this class");
        using D = Delegate<R(A...)>;
        THandlerInfo h;
        h.Name = name;
        h.EventType = &typeid(D);
        h.Bind = [method](TObject* root) -> TMethod {
            B* b = dynamic_cast<B*>(root);
            return b ? TMethod(D(b, method)) : TMethod();
        };
        info_->Handlers.push_back(std::move(h));
    }

    template <class B, class C>
    void Field(const char* name, C* B::*member) {
        static_assert(std::is_base_of_v<B, Cls>, "the field is not a member of this class");
        static_assert(std::is_base_of_v<TComponent, C>, "a component field holds a TComponent descendant");
        TFieldInfo f;
        f.Name = name;
        f.Set = [member](TObject* root, TComponent* value) {
            B* b = dynamic_cast<B*>(root);
            C* c = dynamic_cast<C*>(value);
            if (!b || (value && !c)) return false;
            b->*member = c;
            return true;
        };
        info_->Fields.push_back(std::move(f));
    }

private:
    template <class V, class S>
    static std::function<void(Cls&, const V&)> MakeSetter(S setter) {
        if constexpr (std::is_null_pointer_v<S>) {
            return nullptr;
        } else if constexpr (std::is_member_object_pointer_v<S>) {
            return [setter](Cls& o, const V& v) { std::invoke(setter, o) = v; };
        } else {
            return [setter](Cls& o, const V& v) { std::invoke(setter, o, v); };
        }
    }

    template <class V, class G, class S>
    TPropDecl Declare(const char* name, const TTypeInfo* type, G, S, bool getIsField, bool setIsField,
                      std::function<V(Cls&)> get, std::function<void(Cls&, const V&)> set) {
        TPropInfo* p = AddPropInfo(info_, name, type);
        p->ReadAccess = getIsField ? akField : akStaticMethod;
        p->WriteAccess = set ? (setIsField ? akField : akStaticMethod) : akNone;
        auto self = [](TObject* o) -> Cls& { return *static_cast<Cls*>(o); };
        if constexpr (std::is_integral_v<V> || std::is_enum_v<V>) {
            if (type->Kind == tkFloat && type->Data.FloatType == ftCurr) {
                // Currency kept as an integer scaled by 10000.
                CheckPropCategory(p, TPropValueCategory::Float);
                p->GetFloat = [get, self](TObject* o) { return static_cast<long double>(get(self(o))) / 10000.0L; };
                if (set)
                    p->SetFloat = [set, self](TObject* o, long double v) {
                        set(self(o), static_cast<V>(std::llround(v * 10000.0L)));
                    };
                return TPropDecl(p);
            }
            if (!std::is_same_v<V, bool> && type->Kind == tkSet) {
                CheckPropCategory(p, TPropValueCategory::Set);
                if constexpr (!std::is_same_v<V, bool>) {
                    p->GetSet = [get, self](TObject* o) { return TSetTraits<V>::ToBits(get(self(o))); };
                    if (set)
                        p->SetSet = [set, self](TObject* o, const TSetBits& b) {
                            set(self(o), TSetTraits<V>::FromBits(b));
                        };
                }
            } else {
                CheckPropCategory(p, TPropValueCategory::Ordinal);
            }
            p->GetOrd = [get, self](TObject* o) { return static_cast<int64_t>(get(self(o))); };
            if (set) p->SetOrd = [set, self](TObject* o, int64_t v) { set(self(o), static_cast<V>(v)); };
        } else if constexpr (std::is_floating_point_v<V>) {
            CheckPropCategory(p, TPropValueCategory::Float);
            p->GetFloat = [get, self](TObject* o) { return static_cast<long double>(get(self(o))); };
            if (set) p->SetFloat = [set, self](TObject* o, long double v) { set(self(o), static_cast<V>(v)); };
        } else if constexpr (std::is_same_v<V, Currency>) {
            CheckPropCategory(p, TPropValueCategory::Float);
            p->GetFloat = [get, self](TObject* o) { return static_cast<long double>(get(self(o)).Scaled) / 10000.0L; };
            if (set)
                p->SetFloat = [set, self](TObject* o, long double v) {
                    set(self(o), Currency::FromScaled(std::llround(v * 10000.0L)));
                };
        } else if constexpr (std::is_same_v<V, Variant>) {
            CheckPropCategory(p, TPropValueCategory::Variant);
            p->GetVariant = [get, self](TObject* o) { return get(self(o)); };
            if (set) p->SetVariant = [set, self](TObject* o, const Variant& v) { set(self(o), v); };
        } else if constexpr (std::is_same_v<V, AnsiString>) {
            CheckPropCategory(p, TPropValueCategory::String);
            p->GetStr = [get, self](TObject* o) { return get(self(o)); };
            if (set) p->SetStr = [set, self](TObject* o, const AnsiString& v) { set(self(o), v); };
        } else if constexpr (std::is_pointer_v<V>) {
            using C = std::remove_cv_t<std::remove_pointer_t<V>>;
            static_assert(std::is_base_of_v<TObject, C>, "an object property holds a TObject descendant");
            CheckPropCategory(p, TPropValueCategory::Object);
            p->GetObj = [get, self](TObject* o) -> TObject* { return const_cast<C*>(get(self(o))); };
            if (set)
                p->SetObj = [set, self](TObject* o, TObject* v) {
                    C* c = dynamic_cast<C*>(v);
                    if (v && !c) throw EPropertyError("Invalid property value");
                    set(self(o), c);
                };
        } else if constexpr (TeskIsDelegate<V>::value) {
            CheckPropCategory(p, TPropValueCategory::Method);
            p->GetMethod = [get, self](TObject* o) { return TMethod(get(self(o))); };
            if (set) p->SetMethod = [set, self](TObject* o, const TMethod& m) { set(self(o), m.template As<V>()); };
        } else {
            CheckPropCategory(p, TPropValueCategory::Set);
            p->GetSet = [get, self](TObject* o) { return TSetTraits<V>::ToBits(get(self(o))); };
            if (set) p->SetSet = [set, self](TObject* o, const TSetBits& b) { set(self(o), TSetTraits<V>::FromBits(b)); };
            p->GetOrd = [get, self](TObject* o) { return SetBitsToOrd(TSetTraits<V>::ToBits(get(self(o)))); };
            if (set)
                p->SetOrd = [set, self](TObject* o, int64_t v) { set(self(o), TSetTraits<V>::FromBits(OrdToSetBits(v))); };
        }
        return TPropDecl(p);
    }

    template <class>
    friend class TClassBuilder;
    TClassInfo* info_;
};

// Defines the class information of a TESK_CLASS class; the block that follows
// declares its properties, handlers and fields (T names the class).
#define TESK_PUBLISHED(ClassT)                                                                        \
    template <>                                                                                       \
    void TClassBuilder<ClassT>::Build();                                                              \
    const TClassInfo* ClassT::StaticClassInfo() {                                                     \
        static_assert(std::is_base_of_v<ClassT::TeskParentClass, ClassT>,                             \
                      "TESK_CLASS names a parent that is not a base class");                          \
        static const TClassInfo* info =                                                               \
            TClassBuilder<ClassT>::Make(#ClassT, ClassInfoOf<ClassT::TeskParentClass>(), __FILE__);   \
        return info;                                                                                  \
    }                                                                                                 \
    template <>                                                                                       \
    void TClassBuilder<ClassT>::Build()

// A run of ClassT's builder (see IncludeRun): TESK_PUBLISHED_RUN(ClassT, Tag)
// { Property(...); ... } in one source, and where other sources include it,
// TESK_PUBLISHED_RUN_DECL(ClassT, Tag) in a header they share.
#define TESK_PUBLISHED_RUN_DECL(ClassT, Tag) \
    struct Tag;                               \
    template <>                               \
    template <>                               \
    void TClassBuilder<ClassT>::Run<Tag>()
#define TESK_PUBLISHED_RUN(ClassT, Tag) \
    TESK_PUBLISHED_RUN_DECL(ClassT, Tag); \
    template <>                          \
    template <>                          \
    void TClassBuilder<ClassT>::Run<Tag>()
