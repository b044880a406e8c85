#pragma once
// Files of resources/forms/, embedded in the executable at build time (the
// generated source links into the program and the test programs).
#include <string_view>

#include "platform/classes/Classes.h"


// The embedded file's bytes, or an empty view when there is none.
std::string_view EmbeddedResource(std::string_view name);

// The name of a class's form definition: "<ClassName>.form".
AnsiString FormResourceName(const TComponent* Root);

// Builds Root from its embedded definition (ResourceName, by default
// FormResourceName(Root)); raises EResNotFound "Resource <name> not found".
void ReadComponentResource(TComponent* Root, const AnsiString& ResourceName = AnsiString());
