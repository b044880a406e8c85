#pragma once
// Declared column types of a file's tables. The engine keeps a table's
// declaration as the text of its CREATE TABLE statement and cannot alter a
// column's type. A new type of the same affinity (an integer type for an
// integer type) leaves every stored value as it is, so the declaration is
// rewritten in place, the engine's own way for changes that touch no stored
// row: the schema text is updated and its version cookie raised, in the
// caller's transaction.
#include <vector>

#include "platform/rtl/SysUtils.h"

class TADOConnection;

// CreateSql with the declared type of each column named in Columns (matched
// without regard to case) replaced by Type, when that type is an integer type
// ("INTEGER", "Int", ...) other than Type; everything else as it stood.
AnsiString RetypeIntegerColumns(const AnsiString& CreateSql, const std::vector<AnsiString>& Columns,
                                const AnsiString& Type);

// Gives the named integer columns of Table the declared Type in the open
// file. False when nothing needed changing (nothing is written then);
// EDatabaseError when the engine refuses.
bool SetIntegerColumnTypes(TADOConnection* Connection, const AnsiString& Table, const std::vector<AnsiString>& Columns,
                           const AnsiString& Type);
