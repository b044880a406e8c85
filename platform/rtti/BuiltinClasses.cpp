// Class information for the classes of platform/classes, which cannot carry
// TESK_CLASS themselves (that library sits below this one).
#include "platform/classes/Collections.h"
#include "platform/classes/Strings.h"
#include "platform/rtti/Published.h"

#define TESK_BUILTIN_CLASS(ClassT, ParentInfo)                                               \
    template <>                                                                              \
    const TClassInfo* ClassInfoOf<ClassT>() {                                                \
        static const TClassInfo* info = TClassBuilder<ClassT>::Make(#ClassT, ParentInfo, "Classes"); \
        return info;                                                                         \
    }

template <> void TClassBuilder<TObject>::Build() {}
template <> void TClassBuilder<TPersistent>::Build() {}
template <> void TClassBuilder<TComponent>::Build() {
    Property("Name", TypeInfoTComponentName(), &T::Name, &T::SetName).Stored(false);
    Property("Tag", TypeInfoOf<int32_t>(), &T::Tag, &T::SetTag).Default(0);
}
template <> void TClassBuilder<TCollection>::Build() {}
template <> void TClassBuilder<TCollectionItem>::Build() {}
template <> void TClassBuilder<TOwnedCollection>::Build() {}
template <> void TClassBuilder<TStrings>::Build() {}
template <> void TClassBuilder<TStringList>::Build() {}

TESK_BUILTIN_CLASS(TObject, nullptr)
TESK_BUILTIN_CLASS(TPersistent, ClassInfoOf<TObject>())
TESK_BUILTIN_CLASS(TComponent, ClassInfoOf<TPersistent>())
TESK_BUILTIN_CLASS(TCollection, ClassInfoOf<TPersistent>())
TESK_BUILTIN_CLASS(TCollectionItem, ClassInfoOf<TPersistent>())
TESK_BUILTIN_CLASS(TOwnedCollection, ClassInfoOf<TCollection>())
TESK_BUILTIN_CLASS(TStrings, ClassInfoOf<TPersistent>())
TESK_BUILTIN_CLASS(TStringList, ClassInfoOf<TStrings>())

void RegisterBuiltinClasses() {
    RegisterClasses({ClassInfoOf<TObject>(), ClassInfoOf<TPersistent>(), ClassInfoOf<TComponent>(),
                     ClassInfoOf<TCollection>(), ClassInfoOf<TCollectionItem>(), ClassInfoOf<TOwnedCollection>(),
                     ClassInfoOf<TStrings>(), ClassInfoOf<TStringList>()});
}
