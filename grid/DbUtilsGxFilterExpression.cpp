#include "grid/DbUtilsGxFilterExpression.h"

#include <cstring>
#include <vector>

#include "platform/rtl/CodePage.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/SysUtils.h"

namespace {

const char* const kOperatorText[] = {"",   "=",   "<>", ">",    "<",    ">=",  "<=",  "~",
                                     "!~", "In",  "!In", "Null", "Null", "AND", "OR",  ""};
const char* const kOperatorSql[] = {"",         "=",  "<>",     ">",       "<",           ">=",  "<=", "LIKE",
                                    "NOT LIKE", "IN", "NOT IN", "IS NULL", "IS NOT NULL", "AND", "OR", ""};

// The string table's texts; each is followed directly by the trimmed expression.
const char* const kQuoteAbsent = "Quote is absent: ";
const char* const kOpenBracketExpected = "'(' expected: ";
const char* const kCloseBracketExpected = "')' expected: ";
const char* const kErrorInExpression = "Error in expression: ";
const char* const kBeforeNull = "Unexpected expression before Null: ";
const char* const kAfterOperator = "Unexpected expression after operator: ";
const char* const kIncorrectExpression = "Incorrect expression: ";
const char* const kUnexpectedRelation = "Unexpected AND or OR: ";

// NOT NOT NOT ... reads itself recursively; a text of nothing else must not exhaust the stack.
constexpr int kMaxNotDepth = 32;

[[noreturn]] void Fail(const char* Message, const AnsiString& Text) { throw Exception(AnsiString(Message) + Text); }

bool IsBlank(char C) { return C == ' ' || C == '\t'; }

bool IsDelimiter(char C) {
    unsigned char u = static_cast<unsigned char>(C);
    return u < 32 || std::strchr(" !\"&'()+,-.<=>|~", C) != nullptr;
}

void SkipBlanks(const AnsiString& T, size_t& P) {
    while (P < T.size() && IsBlank(T[P])) ++P;
}

// The lexeme code that begins at P (0 for a value) and its length; nothing moves.
int RawLexemeAt(const AnsiString& T, size_t P, size_t& Length) {
    Length = 1;
    char c = T[P];
    char d = P + 1 < T.size() ? T[P + 1] : '\0';
    switch (c) {
        case '=': return flxEqualGx;
        case '!':
            if (d == '=') {
                Length = 2;
                return flxNotEqualGx;
            }
            return flxNotGx;
        case '&': return flxAndGx;
        case '(': return flxOpenBracketGx;
        case '<':
            if (d == '=' || d == '>') {
                Length = 2;
                return d == '=' ? flxLessOrEqualGx : flxNotEqualGx;
            }
            return flxLessGx;
        case '>':
            if (d == '=') {
                Length = 2;
                return flxGreaterOrEqualGx;
            }
            return flxGreaterGx;
        case '|': return flxOrGx;
        case '~': return flxLikeGx;
        default: break;
    }
    size_t end = P;
    while (end < T.size() && !IsDelimiter(T[end])) ++end;
    Length = end - P;
    return Length > 0 ? ParseSTFilterKeyword(T.substr(P, Length)) : 0;
}

// One value at P: a quoted text, or an unquoted one up to a blank before an
// operator or keyword, a bracket, a comma in list mode or the end. Null past the end.
Variant ReadValue(const AnsiString& T, size_t& P, bool ListMode) {
    if (P >= T.size()) return Null();
    if (T[P] == '\'') {
        size_t close = T.find('\'', P + 1);
        if (close == AnsiString::npos) Fail(kQuoteAbsent, T);
        AnsiString value = T.substr(P + 1, close - P - 1);
        P = close + 1;
        return value;
    }
    size_t start = P;
    for (; P < T.size(); ++P) {
        char c = T[P];
        if (c == '(' || c == ')' || (ListMode && c == ',')) break;
        if (IsBlank(c)) {
            size_t next = P;
            SkipBlanks(T, next);
            size_t length;
            int code = next < T.size() ? RawLexemeAt(T, next, length) : 0;
            if (code >= flxEqualGx && code <= flxOpenBracketGx) break;
        }
    }
    return T.substr(start, P - start);
}

// Values separated by commas (in list mode): one gives a text, more an array.
Variant ReadValueList(const AnsiString& T, size_t& P, bool ListMode) {
    std::vector<Variant> values;
    for (;;) {
        Variant v = ReadValue(T, P, ListMode);
        if (v.IsNull()) break;
        values.push_back(std::move(v));
        if (!ListMode || P >= T.size() || T[P] != ',') break;
        ++P;
    }
    if (values.empty()) return Null();
    if (values.size() == 1) return values[0];
    Variant list = VarArrayCreate({0, static_cast<int>(values.size()) - 1}, varVariant);
    for (size_t i = 0; i < values.size(); ++i) list.Put({static_cast<int>(i)}, values[i]);
    return list;
}

TSTFilterOperatorGx OperatorOfLexeme(int Code) {
    switch (Code) {
        case flxEqualGx: case flxNotEqualGx: case flxGreaterGx: case flxLessGx:
        case flxGreaterOrEqualGx: case flxLessOrEqualGx: case flxLikeGx:
            return static_cast<TSTFilterOperatorGx>(Code);
        case flxInGx: return fopInGx;
        case flxAndGx: return fopAndGx;
        case flxOrGx: return fopOrGx;
        case flxNullGx: return fopIsNullGx;
        default: return fopNoneGx;
    }
}

void ReadLexeme(const AnsiString& T, size_t& P, TSTFilterOperatorGx& Code, Variant& Value, bool ListMode,
                int Depth) {
    Value = AnsiString();
    Code = fopNoneGx;
    SkipBlanks(T, P);
    if (P >= T.size()) return;
    if (T[P] != '\'') {
        size_t length;
        int raw = RawLexemeAt(T, P, length);
        if (raw != 0) {
            P += length;
            SkipBlanks(T, P);
            if (raw == flxNotGx) {
                if (Depth >= kMaxNotDepth) Fail(kErrorInExpression, T);
                TSTFilterOperatorGx next;
                Variant ignored;
                ReadLexeme(T, P, next, ignored, ListMode, Depth + 1);
                Code = next == fopLikeGx ? fopNotLikeGx
                       : next == fopInGx ? fopNotInGx
                       : next == fopIsNullGx ? fopIsNotNullGx
                                             : fopNoneGx;
                return;
            }
            if (raw == flxInGx) {
                if (P >= T.size() || T[P] != '(') Fail(kOpenBracketExpected, T);
                ++P;
            }
            Code = OperatorOfLexeme(raw);
            return;
        }
    }
    Value = ReadValueList(T, P, ListMode);
    Code = Value.IsNull() ? fopNoneGx : fopValueGx;
}

bool IsListOperator(TSTFilterOperatorGx Op) { return Op == fopInGx || Op == fopNotInGx; }

// One comparison into Op and Operand. The first one must be there; the
// second may be missing at the end of the text.
void ReadComparison(const AnsiString& T, size_t& P, const TSTFilterExpressionGx& Expression, bool ListMode,
                    bool First, TSTFilterOperatorGx& Op, Variant& Operand) {
    SkipBlanks(T, P);
    if (!First && P >= T.size()) return;  // nothing after the relation
    TSTFilterOperatorGx code;
    Variant value;
    ReadLexeme(T, P, code, value, ListMode, 0);
    if (code == fopValueGx) {
        Op = value.IsArray() ? fopInGx : Expression.ValueType == stvStringGx ? fopLikeGx : fopEqualGx;
        Operand = value;
        return;
    }
    if (code == fopNoneGx) Fail(First ? kErrorInExpression : kIncorrectExpression, T);
    // A relation where a comparison belongs would become a comparison that no filter can express.
    if (code == fopAndGx || code == fopOrGx) Fail(First ? kErrorInExpression : kIncorrectExpression, T);
    const bool list = IsListOperator(code);
    TSTFilterOperatorGx next;
    ReadLexeme(T, P, next, value, list || ListMode, 0);
    if (next == fopIsNullGx) {
        if (code == fopEqualGx)
            Op = fopIsNullGx;
        else if (code == fopNotEqualGx)
            Op = fopIsNotNullGx;
        else
            Fail(kBeforeNull, T);
        Operand = Null();
    } else if (next == fopValueGx) {
        // A comma list only means something to In and !In.
        if (value.IsArray() && !list) Fail(kAfterOperator, T);
        Op = code;
        Operand = value;
    } else {
        Fail(kAfterOperator, T);
    }
    if (list) {
        SkipBlanks(T, P);
        if (P >= T.size() || T[P] != ')') Fail(kCloseBracketExpected, T);
        ++P;
    }
}

Variant ConvertOperand(const Variant& Value, TSTFilterValueTypeGx Type) {
    if (Value.IsNull()) return Value;
    if (Value.IsArray()) {
        Variant result = Value;
        for (int i = Value.LowBound(1); i <= Value.HighBound(1); ++i) result.Put({i}, ConvertOperand(Value[i], Type));
        return result;
    }
    switch (Type) {
        case stvNumberGx: return StrToFloat(Trim(Value.AsString()));
        case stvDateTimeGx: return VarFromDateTime(StrToDateTime(Trim(Value.AsString())));
        default: return Value;
    }
}

Variant OperandOf(TSTFilterOperatorGx Op, const Variant& Operand, TSTFilterValueTypeGx Type) {
    if (Op >= fopEqualGx && Op <= fopNotInGx) return ConvertOperand(Operand, Type);
    return Null();
}

AnsiString ValueText(const Variant& Value) {
    TVarType type = VarType(Value);
    if (type == varDate) return DateToStr(Value.AsDateTime());
    if (VarIsFloat(Value) || VarIsOrdinal(Value)) return FloatToStr(Value.AsDouble());
    return "'" + VarToStr(Value) + "'";
}

AnsiString ComparisonText(TSTFilterOperatorGx Op, const Variant& Operand) {
    if (Op == fopIsNullGx) return AnsiString("=") + kOperatorText[fopIsNullGx];
    if (Op == fopIsNotNullGx) return AnsiString("<>") + kOperatorText[fopIsNotNullGx];
    if (IsListOperator(Op)) {
        AnsiString items;
        if (Operand.IsArray()) {
            for (int i = Operand.LowBound(1); i <= Operand.HighBound(1); ++i) {
                if (i > Operand.LowBound(1)) items += ",";
                items += VarToStr(Operand[i]);
            }
        } else {
            items = VarToStr(Operand);
        }
        return AnsiString(kOperatorText[Op]) + " (" + items + ")";
    }
    return AnsiString(kOperatorText[Op]) + " " + ValueText(Operand);
}

}  // namespace

const char* STFilterOperatorText(TSTFilterOperatorGx Operator) {
    return Operator <= fopValueGx ? kOperatorText[Operator] : "";
}

const char* STFilterOperatorSql(TSTFilterOperatorGx Operator) {
    return Operator <= fopValueGx ? kOperatorSql[Operator] : "";
}

void ClearSTFilterExpression(TSTFilterExpressionGx& Expression) {
    Expression.Operator1 = fopNoneGx;
    Expression.Operand1 = Null();
    Expression.Relation = fopNoneGx;
    Expression.Operator2 = fopNoneGx;
    Expression.Operand2 = Null();
}

TSTFilterValueTypeGx STFilterValueTypeOf(TFieldType DataType) {
    switch (DataType) {
        case ftString: case ftMemo: case ftFmtMemo: case ftFixedChar: case ftWideString: case ftGuid:
            return stvStringGx;
        case ftSmallint: case ftInteger: case ftWord: case ftFloat: case ftCurrency: case ftBCD: case ftAutoInc:
        case ftLargeint: case ftFMTBcd:
            return stvNumberGx;
        case ftDate: case ftTime: case ftDateTime: case ftTimeStamp:
            return stvDateTimeGx;
        case ftBoolean:
            return stvBooleanGx;
        default:
            return stvOtherGx;
    }
}

TSTFilterLexemeGx ParseSTFilterKeyword(const AnsiString& Word) {
    // Each fixed word, then its localised form (an empty one is skipped).
    static const struct {
        const char* Word;
        const char* Localised;
        TSTFilterLexemeGx Code;
    } keywords[] = {{"NOT", "Not", flxNotGx}, {"AND", "AND", flxAndGx}, {"OR", "OR", flxOrGx},
                    {"LIKE", "", flxLikeGx},  {"IN", "In", flxInGx},    {"NULL", "Null", flxNullGx}};
    const AnsiString upper = AnsiUpperCase(Word);
    for (const auto& k : keywords) {
        if (upper == k.Word) return k.Code;
        if (*k.Localised && upper == AnsiUpperCase(k.Localised)) return k.Code;
    }
    return flxEndGx;
}

void GetSTFilterLexeme(const AnsiString& Text, int& Pos, TSTFilterOperatorGx& Code, Variant& Value, bool ListMode) {
    size_t p = Pos < 1 ? 0 : static_cast<size_t>(Pos - 1);
    ReadLexeme(Text, p, Code, Value, ListMode, 0);
    Pos = static_cast<int>(p) + 1;
}

bool ParseSTFilterExpression(const AnsiString& Text, TSTFilterExpressionGx& Expression) {
    ClearSTFilterExpression(Expression);
    const AnsiString t = Trim(Text);
    if (t.empty()) return false;
    // A comma is the decimal separator of a number, not a list, where the locale says so.
    const bool listMode = !(Expression.ValueType == stvNumberGx && FormatSettings.DecimalSeparator == ',');
    size_t p = 0;
    ReadComparison(t, p, Expression, listMode, true, Expression.Operator1, Expression.Operand1);
    Expression.Operand1 = OperandOf(Expression.Operator1, Expression.Operand1, Expression.ValueType);
    SkipBlanks(t, p);
    if (p >= t.size()) return false;
    TSTFilterOperatorGx code;
    Variant value;
    ReadLexeme(t, p, code, value, listMode, 0);
    if (code == fopNoneGx) Fail(kIncorrectExpression, t);
    if (code != fopAndGx && code != fopOrGx) Fail(kUnexpectedRelation, t);
    Expression.Relation = code;
    ReadComparison(t, p, Expression, listMode, false, Expression.Operator2, Expression.Operand2);
    Expression.Operand2 = OperandOf(Expression.Operator2, Expression.Operand2, Expression.ValueType);
    // Nothing may be left after the second comparison: a third one would be dropped unseen.
    SkipBlanks(t, p);
    if (p < t.size()) Fail(kIncorrectExpression, t);
    return Expression.Operator2 != fopNoneGx;
}

AnsiString STFilterExpressionText(const TSTFilterExpressionGx& Expression) {
    if (Expression.ValueType == stvOtherGx || Expression.Operator1 == fopNoneGx) return AnsiString();
    AnsiString text = ComparisonText(Expression.Operator1, Expression.Operand1);
    if (Expression.Relation != fopNoneGx && Expression.Operator2 != fopNoneGx)
        text += AnsiString(" ") + kOperatorText[Expression.Relation] + " " +
                ComparisonText(Expression.Operator2, Expression.Operand2);
    return text;
}
