#pragma once
// The filter row's expressions: what a user types into a column's filter cell
// (> 100 AND < 500, ~abc, In(1,2,3), =Null, or a bare value) read into at
// most two comparisons joined by AND or OR. The text is outside input: every
// fault raises the general exception with one of the texts below followed by
// the trimmed expression, and nothing is ever read past the second comparison
// without complaint (text left over raises "Incorrect expression: ").
#include <cstdint>

#include "platform/db/DB.h"
#include "platform/rtl/Variants.h"

// The class of the tested field.
enum TSTFilterValueTypeGx : uint8_t { stvOtherGx, stvStringGx, stvNumberGx, stvDateTimeGx, stvBooleanGx };

// The comparisons and relations; the declaration order is the stored value.
enum TSTFilterOperatorGx : uint8_t {
    fopNoneGx,
    fopEqualGx,           // =
    fopNotEqualGx,        // <> or !=
    fopGreaterGx,         // >
    fopLessGx,            // <
    fopGreaterOrEqualGx,  // >=
    fopLessOrEqualGx,     // <=
    fopLikeGx,            // ~ or LIKE
    fopNotLikeGx,         // !~, NOT LIKE
    fopInGx,              // IN (...)
    fopNotInGx,           // NOT IN (...)
    fopIsNullGx,          // = NULL
    fopIsNotNullGx,       // <> NULL
    fopAndGx,             // & or AND
    fopOrGx,              // | or OR
    fopValueGx            // a value (what the lexer hands on, never stored)
};

// The display text and the SQL form of an operator ("" for none and a value).
const char* STFilterOperatorText(TSTFilterOperatorGx Operator);
const char* STFilterOperatorSql(TSTFilterOperatorGx Operator);

// The lexer's own codes (used between lexer and parser only).
enum TSTFilterLexemeGx : uint8_t {
    flxEndGx = 0,
    flxEqualGx = 1,
    flxNotEqualGx = 2,
    flxGreaterGx = 3,
    flxLessGx = 4,
    flxGreaterOrEqualGx = 5,
    flxLessOrEqualGx = 6,
    flxLikeGx = 7,
    flxInGx = 8,
    flxAndGx = 9,
    flxOrGx = 10,
    flxNotGx = 12,
    flxOpenBracketGx = 14,
    flxNullGx = 17
};

struct TSTFilterExpressionGx {
    TSTFilterValueTypeGx ValueType = stvOtherGx;
    TSTFilterOperatorGx Operator1 = fopNoneGx;
    Variant Operand1 = Null();  // Null, a value, or an array for In and !In
    TSTFilterOperatorGx Relation = fopNoneGx;  // fopAndGx, fopOrGx or none
    TSTFilterOperatorGx Operator2 = fopNoneGx;
    Variant Operand2 = Null();
};

// Both operators and the relation to none, both operands to Null; the value type stays.
void ClearSTFilterExpression(TSTFilterExpressionGx& Expression);

// The value type of a field's data type.
TSTFilterValueTypeGx STFilterValueTypeOf(TFieldType DataType);

// The lexeme code of a word (NOT, AND, OR, LIKE, IN, NULL in any case), 0 for another word.
TSTFilterLexemeGx ParseSTFilterKeyword(const AnsiString& Word);

// Reads one lexeme of Text at Pos (1-based; moved past what was read): Code
// is the operator it stands for (fopValueGx for a value, which goes to
// Value as a text, or an array of texts for a comma list in list mode).
void GetSTFilterLexeme(const AnsiString& Text, int& Pos, TSTFilterOperatorGx& Code, Variant& Value, bool ListMode);

// Parses Text into Expression (whose ValueType says how operands convert);
// True when a second comparison after AND or OR was read.
bool ParseSTFilterExpression(const AnsiString& Text, TSTFilterExpressionGx& Expression);

// The expression as the filter row shows it: "> 5 AND < 10", "In (1,2)", "= Null".
AnsiString STFilterExpressionText(const TSTFilterExpressionGx& Expression);
