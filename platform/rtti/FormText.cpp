#include "platform/rtti/FormText.h"

#include <charconv>
#include <cstring>

namespace {

struct Token {
    enum Kind { End, Ident, Integer, Float, String, Symbol } kind = End;
    AnsiString text;   // identifier, or the bytes of a string
    int64_t integer = 0;
    long double real = 0;
    char suffix = 0;   // of a float: s, c or d
    char symbol = 0;
    int line = 1;
};

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class TParser {
public:
    TParser(std::string_view text, TStream* out, const AnsiString& source, TDefinitionLines* lines)
        : text_(text), writer_(out), out_(out), source_(source), lines_(lines) {
        Next();
    }

    void ParseRoot() {
        writer_.WriteSignature();
        ParseObject();
        if (tok_.kind != Token::End) Error("Text after the end of the definition");
    }

private:
    [[noreturn]] void Error(const AnsiString& what) const {
        throw EParserError(source_ + "(" + std::to_string(tok_.line) + "): " + what);
    }
    [[noreturn]] void ErrorAt(int line, const AnsiString& what) const {
        throw EParserError(source_ + "(" + std::to_string(line) + "): " + what);
    }

    // --- Lexer ---------------------------------------------------------------
    char Peek(size_t ahead = 0) const { return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0'; }
    bool AtEnd() const { return pos_ >= text_.size(); }

    void SkipBlanks() {
        while (!AtEnd()) {
            char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
                ++pos_;
            } else if (pos_ == 0 && text_.substr(0, 3) == "\xEF\xBB\xBF") {
                pos_ += 3;  // a UTF-8 byte-order mark
            } else {
                break;
            }
        }
    }

    void Next() {
        SkipBlanks();
        tok_ = Token();
        tok_.line = line_;
        if (AtEnd()) return;
        const char c = Peek();
        if (IsIdentStart(c)) {
            size_t start = pos_;
            while (IsIdentChar(Peek()) || (Peek() == '.' && IsIdentStart(Peek(1)))) ++pos_;
            tok_.kind = Token::Ident;
            tok_.text = AnsiString(text_.substr(start, pos_ - start));
            // The stream keeps names and identifiers in short strings.
            if (tok_.text.size() > 255) Error("Identifier too long");
        } else if (IsDigit(c) || c == '$' || (c == '-' && (IsDigit(Peek(1)) || Peek(1) == '$'))) {
            LexNumber();
        } else if (c == '\'' || c == '#') {
            LexString();
        } else {
            tok_.kind = Token::Symbol;
            tok_.symbol = c;
            ++pos_;
        }
    }

    void LexNumber() {
        bool negative = false;
        if (Peek() == '-') {
            negative = true;
            ++pos_;
        }
        if (Peek() == '$') {
            ++pos_;
            uint64_t v = 0;
            size_t digits = 0;
            for (int h; (h = HexValue(Peek())) >= 0; ++pos_, ++digits) {
                if (digits >= 16) Error("Number too large");
                v = v * 16 + static_cast<uint64_t>(h);
            }
            if (!digits) Error("Hexadecimal digits expected");
            tok_.kind = Token::Integer;
            tok_.integer = negative ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
            return;
        }
        const size_t start = pos_;
        while (IsDigit(Peek())) ++pos_;
        bool isFloat = false;
        if (Peek() == '.' && IsDigit(Peek(1))) {
            isFloat = true;
            ++pos_;
            while (IsDigit(Peek())) ++pos_;
        }
        if ((Peek() == 'e' || Peek() == 'E') &&
            (IsDigit(Peek(1)) || ((Peek(1) == '+' || Peek(1) == '-') && IsDigit(Peek(2))))) {
            isFloat = true;
            pos_ += 2;
            while (IsDigit(Peek())) ++pos_;
        }
        const std::string_view digits = text_.substr(start, pos_ - start);
        if (isFloat || Peek() == 's' || Peek() == 'c' || Peek() == 'd') {
            long double v = 0;
            auto r = std::from_chars(digits.data(), digits.data() + digits.size(), v);
            if (r.ec != std::errc()) Error("Invalid number");
            tok_.kind = Token::Float;
            tok_.real = negative ? -v : v;
            if (Peek() == 's' || Peek() == 'c' || Peek() == 'd') tok_.suffix = text_[pos_++];
        } else {
            uint64_t v = 0;
            auto r = std::from_chars(digits.data(), digits.data() + digits.size(), v);
            if (r.ec != std::errc() || v > static_cast<uint64_t>(INT64_MAX) + (negative ? 1 : 0))
                Error("Number too large");
            tok_.kind = Token::Integer;
            tok_.integer = negative ? static_cast<int64_t>(0 - v) : static_cast<int64_t>(v);
        }
        if (IsIdentChar(Peek())) Error("Invalid number");
    }

    // Quoted parts ('it''s') and character codes (#13, #$0D) that follow each other.
    void LexString() {
        tok_.kind = Token::String;
        for (;;) {
            if (Peek() == '\'') {
                ++pos_;
                std::string utf8;
                for (;;) {
                    if (AtEnd() || Peek() == '\n' || Peek() == '\r') Error("Unterminated string");
                    char c = text_[pos_++];
                    if (c == '\'') {
                        if (Peek() != '\'') break;
                        ++pos_;
                    }
                    utf8 += c;
                }
                tok_.text += Utf8ToAnsi(utf8);
            } else if (Peek() == '#') {
                ++pos_;
                uint32_t code = 0;
                size_t digits = 0;
                if (Peek() == '$') {
                    ++pos_;
                    for (int h; (h = HexValue(Peek())) >= 0 && digits < 7; ++pos_, ++digits) code = code * 16 + h;
                } else {
                    for (; IsDigit(Peek()) && digits < 8; ++pos_, ++digits) code = code * 10 + (Peek() - '0');
                }
                if (!digits || code > 0x10FFFF) Error("Invalid character code");
                // Codes are Unicode; above ASCII they go through the active code page.
                tok_.text += code < 0x80 ? static_cast<char>(code)
                                         : static_cast<char>(CodePage::Active().FromUnicode(code));
            } else {
                return;
            }
        }
    }

    bool IsSymbol(char c) const { return tok_.kind == Token::Symbol && tok_.symbol == c; }
    bool IsKeyword(const char* word) const { return tok_.kind == Token::Ident && SameText(tok_.text, word); }
    void Expect(char c) {
        if (!IsSymbol(c)) Error(std::string("'") + c + "' expected");
        Next();
    }
    AnsiString ExpectIdent(const char* what) {
        if (tok_.kind != Token::Ident) Error(AnsiString(what) + " expected");
        AnsiString s = tok_.text;
        Next();
        return s;
    }

    // --- Grammar ---------------------------------------------------------------
    void Mark(int line) {
        if (lines_) lines_->emplace_back(out_->Position(), line);
    }

    // Nesting is bounded like the stream reader's.
    struct TDepth {
        TParser& p;
        explicit TDepth(TParser& parser) : p(parser) {
            if (++p.depth_ > 200) p.Error("Definition nested too deep");
        }
        ~TDepth() { --p.depth_; }
    };

    void ParseObject() {
        TDepth depth(*this);
        if (!IsKeyword("object")) Error("'object' expected");
        const int line = tok_.line;
        Next();
        AnsiString name = ExpectIdent("Component name");
        AnsiString className;
        if (IsSymbol(':')) {
            Next();
            className = ExpectIdent("Class name");
        } else {
            className = name;
            name.clear();
        }
        if (name.find('.') != AnsiString::npos || className.find('.') != AnsiString::npos)
            ErrorAt(line, "Invalid component or class name");
        Mark(line);
        writer_.WriteStr(className);
        writer_.WriteStr(name);
        while (!IsKeyword("object") && !IsKeyword("end")) ParseProperty();
        writer_.WriteListEnd();
        while (IsKeyword("object")) ParseObject();
        if (!IsKeyword("end")) Error(tok_.kind == Token::End ? "'end' expected" : "'end' or 'object' expected");
        Next();
        writer_.WriteListEnd();
    }

    void ParseProperty() {
        if (tok_.kind != Token::Ident) Error(tok_.kind == Token::End ? "'end' expected" : "Property name expected");
        const int line = tok_.line;
        const AnsiString name = tok_.text;
        Next();
        Expect('=');
        Mark(line);
        writer_.WriteStr(name);
        ParseValue();
    }

    void ParseValue() {
        TDepth depth(*this);
        switch (tok_.kind) {
        case Token::Integer:
            writer_.WriteInteger(tok_.integer);
            Next();
            return;
        case Token::Float:
            switch (tok_.suffix) {
            case 's': writer_.WriteSingle(static_cast<float>(tok_.real)); break;
            case 'c': writer_.WriteCurrency(tok_.real); break;
            case 'd': writer_.WriteDate(static_cast<double>(tok_.real)); break;
            default: writer_.WriteFloat(tok_.real); break;
            }
            Next();
            return;
        case Token::String: {
            AnsiString s = tok_.text;
            Next();
            while (IsSymbol('+')) {
                Next();
                if (tok_.kind != Token::String) Error("String expected");
                s += tok_.text;
                Next();
            }
            writer_.WriteString(s);
            return;
        }
        case Token::Ident:
            writer_.WriteIdent(tok_.text);
            Next();
            return;
        case Token::Symbol:
            break;
        case Token::End:
            Error("Value expected");
        }
        switch (tok_.symbol) {
        case '[':
            Next();
            writer_.WriteValue(vaSet);
            while (!IsSymbol(']')) {
                writer_.WriteStr(ExpectIdent("Set element"));
                if (!IsSymbol(']')) Expect(',');
            }
            Next();
            writer_.WriteStr(AnsiString());
            return;
        case '(':
            Next();
            writer_.WriteListBegin();
            while (!IsSymbol(')')) ParseValue();
            Next();
            writer_.WriteListEnd();
            return;
        case '<':
            Next();
            writer_.WriteValue(vaCollection);
            while (!IsSymbol('>')) {
                if (!IsKeyword("item")) Error("'item' expected");
                Next();
                writer_.WriteListBegin();
                while (!IsKeyword("end")) ParseProperty();
                Next();
                writer_.WriteListEnd();
            }
            Next();
            writer_.WriteListEnd();
            return;
        case '{': ParseBinary(); return;
        default: Error("Value expected");
        }
    }

    void ParseBinary() {
        std::string bytes;
        int high = -1;
        for (;;) {
            if (AtEnd()) Error("'}' expected");
            const char c = text_[pos_++];
            if (c == '}') break;
            if (c == '\n') ++line_;
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
            const int h = HexValue(c);
            if (h < 0) Error("Invalid binary value");
            if (high < 0) {
                high = h;
            } else {
                bytes += static_cast<char>(high * 16 + h);
                high = -1;
            }
        }
        if (high >= 0) Error("Odd number of hexadecimal digits");
        writer_.WriteValue(vaBinary);
        const uint32_t n = static_cast<uint32_t>(bytes.size());
        const uint8_t len[4] = {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(n >> 16),
                                static_cast<uint8_t>(n >> 24)};
        writer_.Write(len, 4);
        writer_.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
        Next();
    }

    std::string_view text_;
    size_t pos_ = 0;
    int line_ = 1;
    int depth_ = 0;
    Token tok_;
    TWriter writer_;
    TStream* out_;
    AnsiString source_;
    TDefinitionLines* lines_;
};

}  // namespace

void ObjectTextToBinary(std::string_view Text, TStream* Output, const AnsiString& SourceName, TDefinitionLines* Lines) {
    TParser parser(Text, Output, SourceName, Lines);
    parser.ParseRoot();
}

void ReadComponentDefinition(TComponent* Root, std::string_view Text, const AnsiString& SourceName) {
    TMemoryStream binary;
    TDefinitionLines lines;
    ObjectTextToBinary(Text, &binary, SourceName, &lines);
    binary.SetPosition(0);
    TReader reader(&binary);
    reader.SetStrictReferences(true);
    try {
        reader.ReadRootComponent(Root);
    } catch (EReadError& e) {
        int line = lines.empty() ? 1 : lines.front().second;
        for (const auto& [position, l] : lines)
            if (position <= reader.PropertyStart()) line = l;
        e.SetMessage(SourceName + "(" + std::to_string(line) + "): " + e.Message());
        throw;
    }
}
