#include "platform/db/SqliteColumnTypes.h"

#include <sqlite3.h>

#include <cctype>

#include "platform/db/DB.h"
#include "platform/db/SqliteConnection.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

bool IsWordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '$' || (c & 0x80); }

// The end of a quoted name or literal starting at Pos (its quote doubled inside).
size_t QuotedEnd(const AnsiString& Sql, size_t Pos) {
    const char close = Sql[Pos] == '[' ? ']' : Sql[Pos];
    for (size_t i = Pos + 1; i < Sql.size(); ++i) {
        if (Sql[i] != close) continue;
        if (close != ']' && i + 1 < Sql.size() && Sql[i + 1] == close) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return Sql.size();
}

// Past blanks and comments.
size_t SkipSpace(const AnsiString& Sql, size_t Pos) {
    while (Pos < Sql.size()) {
        if (IsBlank(Sql[Pos])) {
            ++Pos;
        } else if (Sql.compare(Pos, 2, "--") == 0) {
            const size_t end = Sql.find('\n', Pos);
            Pos = end == AnsiString::npos ? Sql.size() : end + 1;
        } else if (Sql.compare(Pos, 2, "/*") == 0) {
            const size_t end = Sql.find("*/", Pos + 2);
            Pos = end == AnsiString::npos ? Sql.size() : end + 2;
        } else {
            break;
        }
    }
    return Pos;
}

bool IsQuote(char c) { return c == '"' || c == '\'' || c == '`' || c == '['; }

// One token from Pos: a quoted name, a word, or a single character.
size_t TokenEnd(const AnsiString& Sql, size_t Pos) {
    if (IsQuote(Sql[Pos])) return QuotedEnd(Sql, Pos);
    if (!IsWordChar(Sql[Pos])) return Pos + 1;
    while (Pos < Sql.size() && IsWordChar(Sql[Pos])) ++Pos;
    return Pos;
}

AnsiString Unquoted(const AnsiString& Token) {
    if (Token.size() < 2 || !IsQuote(Token[0])) return Token;
    const char close = Token[0] == '[' ? ']' : Token[0];
    AnsiString name = Token.substr(1, Token.size() - 2);
    if (close != ']') name = StringReplace(name, AnsiString(2, close), AnsiString(1, close), rfReplaceAll);
    return name;
}

// Words that end a column's type and begin its constraints.
bool IsConstraintWord(const AnsiString& Word) {
    static const char* const words[] = {"CONSTRAINT", "PRIMARY", "NOT",        "NULL",      "UNIQUE", "CHECK",
                                        "DEFAULT",    "COLLATE", "REFERENCES", "GENERATED", "AS"};
    for (const char* w : words)
        if (SameText(Word, w)) return true;
    return false;
}

bool Named(const std::vector<AnsiString>& Columns, const AnsiString& Name) {
    for (const AnsiString& c : Columns)
        if (SameText(c, Name)) return true;
    return false;
}

}  // namespace

AnsiString RetypeIntegerColumns(const AnsiString& CreateSql, const std::vector<AnsiString>& Columns,
                                const AnsiString& Type) {
    const AnsiString& sql = CreateSql;
    // The column list: from the first "(" outside names to its closing one.
    size_t pos = SkipSpace(sql, 0);
    while (pos < sql.size() && sql[pos] != '(') pos = SkipSpace(sql, TokenEnd(sql, pos));
    if (pos >= sql.size()) return CreateSql;
    AnsiString out = sql.substr(0, pos + 1);
    size_t copied = pos + 1;
    ++pos;
    while (pos < sql.size()) {
        // One definition: a name, then the type's words, then constraints.
        pos = SkipSpace(sql, pos);
        if (pos >= sql.size()) break;
        const size_t nameEnd = TokenEnd(sql, pos);
        const AnsiString name = Unquoted(sql.substr(pos, nameEnd - pos));
        size_t typeStart = SkipSpace(sql, nameEnd), typeEnd = typeStart;
        for (size_t at = typeStart; at < sql.size() && IsWordChar(sql[at]);) {
            const size_t end = TokenEnd(sql, at);
            if (IsConstraintWord(sql.substr(at, end - at))) break;
            typeEnd = end;
            at = SkipSpace(sql, end);
        }
        const AnsiString type = sql.substr(typeStart, typeEnd - typeStart);
        if (typeEnd > typeStart && Named(Columns, name) && Pos("INT", UpperCase(type)) > 0 && !SameText(type, Type)) {
            out += sql.substr(copied, typeStart - copied) + Type;
            copied = typeEnd;
        }
        // On to the comma that ends the definition, past parentheses and quotes.
        int depth = 0;
        for (pos = typeEnd; pos < sql.size(); pos = SkipSpace(sql, pos)) {
            const char c = sql[pos];
            if (c == ',' && depth == 0) break;
            if (c == ')' && depth-- == 0) break;
            if (c == '(') ++depth;
            pos = TokenEnd(sql, pos);
        }
        if (pos >= sql.size() || sql[pos] == ')') break;
        ++pos;
    }
    return out + sql.substr(copied);
}

bool SetIntegerColumnTypes(TADOConnection* Connection, const AnsiString& Table, const std::vector<AnsiString>& Columns,
                           const AnsiString& Type) {
    AnsiString create;
    {
        TSqliteStatement read(*Connection, "SELECT sql FROM sqlite_master WHERE type='table' AND name=?1");
        sqlite3_bind_text(read.Handle(), 1, Table.data(), static_cast<int>(Table.size()), SQLITE_TRANSIENT);
        if (!read.Step()) return false;
        const char* text = reinterpret_cast<const char*>(sqlite3_column_text(read.Handle(), 0));
        create = text ? text : "";
    }
    const AnsiString retyped = RetypeIntegerColumns(create, Columns, Type);
    if (retyped == create) return false;
    int cookie = 0;
    {
        TSqliteStatement read(*Connection, "PRAGMA schema_version");
        if (read.Step()) cookie = sqlite3_column_int(read.Handle(), 0);
    }
    TTransactionScope transaction(Connection);
    Connection->Execute("PRAGMA writable_schema=ON");
    try {
        TSqliteStatement write(*Connection, "UPDATE sqlite_master SET sql=?1 WHERE type='table' AND name=?2");
        sqlite3_bind_text(write.Handle(), 1, retyped.data(), static_cast<int>(retyped.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(write.Handle(), 2, Table.data(), static_cast<int>(Table.size()), SQLITE_TRANSIENT);
        write.Step();
        // Other connections to the file read the schema again.
        Connection->Execute("PRAGMA schema_version=" + IntToStr(cookie + 1));
        Connection->Execute("PRAGMA writable_schema=RESET");
    } catch (...) {
        Connection->Execute("PRAGMA writable_schema=RESET");
        throw;
    }
    transaction.Commit();
    return true;
}
