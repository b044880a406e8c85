#include "platform/rtti/Resources.h"

#include "platform/rtti/FormText.h"

AnsiString FormResourceName(const TComponent* Root) { return AnsiString(Root->ClassName()) + ".form"; }

void ReadComponentResource(TComponent* Root, const AnsiString& ResourceName) {
    const AnsiString name = ResourceName.empty() ? FormResourceName(Root) : ResourceName;
    const std::string_view text = EmbeddedResource(name);
    if (text.empty()) throw EResNotFound("Resource " + name + " not found");
    ReadComponentDefinition(Root, text, name);
}
