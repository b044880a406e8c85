#pragma once
// Text form definitions: how each window and data module is built.
//
//   object frmMain: TfrmMain
//     Caption = 'Tesk'#13#10'second line'     quoted UTF-8 text, #n character codes
//     Width = 640                             integers (also $1F hex, -5)
//     Ratio = 0.75                            floats (suffix d for a TDateTime)
//     Font.Height = -11                       sub-objects by dotted names
//     Options = [fpState, fpSize]             sets
//     Color = clWindow                        identifiers: enumerations, colours,
//     DataSource = dsMain                     component references,
//     OnCreate = FormCreate                   event handlers of the root class
//     Lines.Strings = ('one' 'two')           lists (string lists)
//     Columns = <                             collections
//       item
//         FieldName = 'Name'
//       end>
//     Data = {0A1B}                           binary data
//     object Panel1: TPanel                   owned components, after the
//       Caption = 'Panel'                     properties, nested as they are
//     end                                     parented
//   end
//
// A definition is turned into the binary component stream and read from it:
// components are created by class name with the root as owner, csLoading is set,
// properties are set in definition order, handler names are bound through the
// root class's handler table (an unknown name fails the load, naming it),
// component references are resolved once the whole definition is read (an
// unknown name fails too), then Loaded is called on every component in
// creation order. Errors name the source and line.
#include <string_view>
#include <utility>
#include <vector>

#include "platform/rtti/Streaming.h"

TESK_DECLARE_EXCEPTION(EParserError, EReadError);

// Where each property and object of the text landed in the binary stream:
// (stream position, line number), in stream order.
using TDefinitionLines = std::vector<std::pair<int64_t, int>>;

// Converts a text definition to the binary stream at Output's position. Raises
// EParserError "<SourceName>(<line>): <what>" for text it cannot parse.
void ObjectTextToBinary(std::string_view Text, TStream* Output, const AnsiString& SourceName = "definition",
                        TDefinitionLines* Lines = nullptr);

// Builds Root (of the definition's root class) from a text definition.
void ReadComponentDefinition(TComponent* Root, std::string_view Text, const AnsiString& SourceName = "definition");
