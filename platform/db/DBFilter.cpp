#include "platform/db/DBFilter.h"

#include <cmath>
#include <cstdlib>
#include <map>
#include <string_view>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/DateTime.h"

namespace {

bool g_dayFirst = false;

// Brackets nested deeper than this are refused: parsing and evaluating nest
// once per level, and no filter a person writes comes near it.
constexpr int kMaxNesting = 128;
// A message quotes this much of the text at most; the rest is in the edit.
constexpr size_t kQuotedLength = 120;

[[noreturn]] void FilterError(const AnsiString& text, const AnsiString& detail) {
    AnsiString quoted = text.size() > kQuotedLength ? text.substr(0, kQuotedLength) + "..." : text;
    throw EDatabaseError("Invalid filter \"" + quoted + "\": " + detail);
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsNameStart(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' || u >= 0x80;
}
bool IsNameChar(char c) { return IsNameStart(c) || IsDigit(c) || c == '.' || c == '-'; }

// Reads an unsigned run of digits; false when there is none.
bool ReadInt(const AnsiString& t, size_t& pos, int& value, size_t& count) {
    size_t start = pos;
    int64_t v = 0;
    while (pos < t.size() && IsDigit(t[pos])) {
        if (v < 100000000) v = v * 10 + (t[pos] - '0');
        ++pos;
    }
    count = pos - start;
    value = static_cast<int>(v);
    return count > 0;
}

// Parses a decimal number with '.' as the separator; the whole text must be used.
bool ParseNumber(const AnsiString& text, double& value) {
    size_t b = 0, e = text.size();
    while (b < e && IsSpace(text[b])) ++b;
    while (e > b && IsSpace(text[e - 1])) --e;
    if (b == e) return false;
    AnsiString s = text.substr(b, e - b);
    for (char c : s)
        if (!(IsDigit(c) || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E')) return false;
    char* end = nullptr;
    value = std::strtod(s.c_str(), &end);
    return end == s.c_str() + s.size() && std::isfinite(value);
}

}  // namespace

void SetFilterDateFormat(const AnsiString& dateFormat) {
    // The first of 'd' and 'm' outside quotes decides.
    char quote = 0;
    for (char c : dateFormat) {
        if (quote) {
            if (c == quote) quote = 0;
            continue;
        }
        if (c == '"' || c == '\'') {
            quote = c;
            continue;
        }
        char l = static_cast<char>(c | 0x20);
        if (l == 'd') {
            g_dayFirst = true;
            return;
        }
        if (l == 'm') {
            g_dayFirst = false;
            return;
        }
    }
}

bool FilterDateDayFirst() { return g_dayFirst; }

bool ParseFilterDate(const AnsiString& text, double& value) {
    size_t pos = 0;
    while (pos < text.size() && IsSpace(text[pos])) ++pos;
    int a, b, c;
    size_t na, nb, nc;
    if (!ReadInt(text, pos, a, na)) return false;
    if (pos >= text.size()) return false;
    char sep = text[pos];
    if (sep != '/' && sep != '.' && sep != '-') return false;
    ++pos;
    if (!ReadInt(text, pos, b, nb) || pos >= text.size() || text[pos] != sep) return false;
    ++pos;
    if (!ReadInt(text, pos, c, nc)) return false;
    int year, month, day;
    if (na == 4) {
        year = a, month = b, day = c;
    } else {
        year = c;
        if (nc <= 2) year += year < 50 ? 2000 : 1900;
        if (g_dayFirst)
            day = a, month = b;
        else
            month = a, day = b;
    }
    double date;
    if (!TryEncodeDate(year, month, day, date)) return false;
    double time = 0;
    while (pos < text.size() && IsSpace(text[pos])) ++pos;
    if (pos < text.size()) {
        int h, mi, s = 0, ms = 0;
        size_t n;
        if (!ReadInt(text, pos, h, n) || pos >= text.size() || text[pos] != ':') return false;
        ++pos;
        if (!ReadInt(text, pos, mi, n)) return false;
        if (pos < text.size() && text[pos] == ':') {
            ++pos;
            if (!ReadInt(text, pos, s, n)) return false;
            // Milliseconds: a point and up to three digits.
            if (pos < text.size() && text[pos] == '.') {
                ++pos;
                int scale = 100;
                size_t digits = 0;
                for (; pos < text.size() && IsDigit(text[pos]) && digits < 3; ++pos, ++digits, scale /= 10)
                    ms += (text[pos] - '0') * scale;
                if (digits == 0) return false;
            }
        }
        while (pos < text.size() && IsSpace(text[pos])) ++pos;
        if (pos != text.size() || !TryEncodeTime(h, mi, s, ms, time)) return false;
    }
    value = date < 0 ? date - time : date + time;
    return true;
}

// A comparison, or an AND or OR group whose terms are children_[first ..
// first + count). Kept small: a chain of a million terms is a million nodes.
struct TDbFilter::Node {
    enum Op : uint8_t { And, Or, Eq, Ne, Lt, Gt, Le, Ge, Like, NotLike } op = And;
    enum Lit : uint8_t { LitString, LitNumber, LitDate, LitNull } lit = LitString;
    TDbKind kind = TDbKind::Text;  // bound
    bool integral = false;         // bound
    int name = -1;                 // into names_
    int field = -1;                // bound
    int first = 0, count = 0;      // a group's terms
    int64_t iv = 0;                // bound
    double dv = 0;                 // LitNumber, LitDate; bound: the value to compare with
    // The literal as written (strings unquoted); bound: the text to compare
    // with, for LIKE the upper-cased pattern.
    AnsiString text;

    bool IsGroup() const { return op == And || op == Or; }
};

namespace {

class Parser {
public:
    Parser(const AnsiString& text, std::vector<TDbFilter::Node>& nodes, std::vector<int>& children,
           std::vector<AnsiString>& names)
        : t_(text), nodes_(nodes), children_(children), names_(names) {}

    int Parse() {
        int root = ParseOr(0);
        SkipSpace();
        if (pos_ < t_.size()) {
            if (t_[pos_] == ')') Fail("unbalanced ')'");
            Fail("AND or OR expected at position " + std::to_string(pos_ + 1));
        }
        return root;
    }

private:
    using Node = TDbFilter::Node;

    [[noreturn]] void Fail(const AnsiString& detail) { FilterError(t_, detail); }

    void SkipSpace() {
        while (pos_ < t_.size() && IsSpace(t_[pos_])) ++pos_;
    }

    // A keyword (AND, OR, NOT, LIKE, NULL) as a whole word at the position.
    bool Keyword(const char* word) {
        SkipSpace();
        size_t n = std::char_traits<char>::length(word);
        if (pos_ + n > t_.size()) return false;
        for (size_t i = 0; i < n; ++i)
            if ((t_[pos_ + i] & ~0x20) != word[i]) return false;
        if (pos_ + n < t_.size() && IsNameChar(t_[pos_ + n])) return false;
        pos_ += n;
        return true;
    }

    int Add(Node n) {
        nodes_.push_back(std::move(n));
        return static_cast<int>(nodes_.size()) - 1;
    }

    // The terms of one AND or OR chain are gathered in a loop into one group,
    // so a long chain costs no depth. A chain's terms wait on terms_ above
    // those of the chains around it.
    int Group(Node::Op op, size_t mark) {
        int result = terms_[mark];
        if (terms_.size() - mark > 1) {
            Node n;
            n.op = op;
            n.first = static_cast<int>(children_.size());
            n.count = static_cast<int>(terms_.size() - mark);
            children_.insert(children_.end(), terms_.begin() + static_cast<std::ptrdiff_t>(mark), terms_.end());
            result = Add(std::move(n));
        }
        terms_.resize(mark);
        return result;
    }

    int ParseOr(int depth) {
        const size_t mark = terms_.size();
        terms_.push_back(ParseAnd(depth));
        while (Keyword("OR")) terms_.push_back(ParseAnd(depth));
        return Group(Node::Or, mark);
    }

    int ParseAnd(int depth) {
        const size_t mark = terms_.size();
        terms_.push_back(ParsePrimary(depth));
        while (Keyword("AND")) terms_.push_back(ParsePrimary(depth));
        return Group(Node::And, mark);
    }

    int ParsePrimary(int depth) {
        SkipSpace();
        if (pos_ >= t_.size()) Fail("unexpected end of the expression");
        if (t_[pos_] == '(') {
            if (depth >= kMaxNesting) Fail("brackets nested deeper than " + std::to_string(kMaxNesting));
            ++pos_;
            int inner = ParseOr(depth + 1);
            SkipSpace();
            if (pos_ >= t_.size() || t_[pos_] != ')') Fail("')' expected at position " + std::to_string(pos_ + 1));
            ++pos_;
            return inner;
        }
        return ParseComparison();
    }

    AnsiString ParseName() {
        SkipSpace();
        AnsiString name;
        size_t start = pos_;
        for (;;) {
            if (pos_ < t_.size() && t_[pos_] == '[') {
                size_t close = t_.find(']', pos_ + 1);
                if (close == AnsiString::npos) Fail("']' expected");
                name += t_.substr(pos_ + 1, close - pos_ - 1);
                pos_ = close + 1;
            } else if (pos_ < t_.size() && IsNameStart(t_[pos_])) {
                while (pos_ < t_.size() && IsNameChar(t_[pos_]) && t_[pos_] != '.') name += t_[pos_++];
            } else {
                break;
            }
            if (pos_ < t_.size() && t_[pos_] == '.') {
                name += '.';
                ++pos_;
                continue;
            }
            break;
        }
        if (name.empty() || pos_ == start) Fail("field name expected at position " + std::to_string(start + 1));
        return name;
    }

    int NameIndex(const AnsiString& name) {
        auto it = nameIndex_.find(name);
        if (it != nameIndex_.end()) return it->second;
        names_.push_back(name);
        return nameIndex_[name] = static_cast<int>(names_.size()) - 1;
    }

    int ParseComparison() {
        Node n;
        const AnsiString name = ParseName();
        n.name = NameIndex(name);
        SkipSpace();
        if (Keyword("NOT")) {
            if (!Keyword("LIKE")) Fail("LIKE expected after NOT at position " + std::to_string(pos_ + 1));
            n.op = Node::NotLike;
        } else if (Keyword("LIKE")) {
            n.op = Node::Like;
        } else {
            if (pos_ >= t_.size()) Fail("operator expected after " + name);
            char c = t_[pos_];
            char d = pos_ + 1 < t_.size() ? t_[pos_ + 1] : 0;
            if (c == '=') {
                n.op = Node::Eq;
                pos_ += 1;
            } else if (c == '<' && d == '>') {
                n.op = Node::Ne;
                pos_ += 2;
            } else if (c == '<' && d == '=') {
                n.op = Node::Le;
                pos_ += 2;
            } else if (c == '>' && d == '=') {
                n.op = Node::Ge;
                pos_ += 2;
            } else if (c == '<') {
                n.op = Node::Lt;
                pos_ += 1;
            } else if (c == '>') {
                n.op = Node::Gt;
                pos_ += 1;
            } else {
                Fail("operator expected after " + name);
            }
        }
        ParseValue(n, name);
        if (n.lit == Node::LitNull && n.op != Node::Eq && n.op != Node::Ne) Fail("NULL can only be compared with = or <>");
        return Add(std::move(n));
    }

    void ParseValue(Node& n, const AnsiString& name) {
        SkipSpace();
        if (pos_ >= t_.size()) Fail("value expected after " + name);
        char c = t_[pos_];
        if (c == '\'') {
            ++pos_;
            AnsiString s;
            for (;;) {
                if (pos_ >= t_.size()) Fail("unterminated string");
                if (t_[pos_] == '\'') {
                    if (pos_ + 1 < t_.size() && t_[pos_ + 1] == '\'') {
                        s += '\'';
                        pos_ += 2;
                        continue;
                    }
                    ++pos_;
                    break;
                }
                s += t_[pos_++];
            }
            n.lit = Node::LitString;
            n.text = s;
            return;
        }
        if (c == '#') {
            size_t close = t_.find('#', pos_ + 1);
            if (close == AnsiString::npos) Fail("unterminated date");
            n.text = t_.substr(pos_ + 1, close - pos_ - 1);
            if (!ParseFilterDate(n.text, n.dv)) Fail("invalid date #" + n.text + "#");
            n.lit = Node::LitDate;
            pos_ = close + 1;
            return;
        }
        if (Keyword("NULL")) {
            n.lit = Node::LitNull;
            return;
        }
        size_t start = pos_;
        if (c == '-' || c == '+') ++pos_;
        if (pos_ >= t_.size() || !(IsDigit(t_[pos_]) || t_[pos_] == '.')) Fail("value expected after " + name);
        // An unquoted date: digits '/' digits '/' digits.
        size_t p = pos_;
        while (p < t_.size() && IsDigit(t_[p])) ++p;
        if (start == pos_ && p < t_.size() && t_[p] == '/') {
            size_t end = p;
            int slashes = 0;
            while (end < t_.size() && (IsDigit(t_[end]) || t_[end] == '/')) {
                if (t_[end] == '/') ++slashes;
                ++end;
            }
            n.text = t_.substr(start, end - start);
            if (slashes != 2 || !ParseFilterDate(n.text, n.dv)) Fail("invalid date " + n.text);
            n.lit = Node::LitDate;
            pos_ = end;
            return;
        }
        size_t end = pos_;
        while (end < t_.size() && (IsDigit(t_[end]) || t_[end] == '.')) ++end;
        if (end < t_.size() && (t_[end] == 'e' || t_[end] == 'E')) {
            size_t e = end + 1;
            if (e < t_.size() && (t_[e] == '+' || t_[e] == '-')) ++e;
            if (e < t_.size() && IsDigit(t_[e])) {
                end = e;
                while (end < t_.size() && IsDigit(t_[end])) ++end;
            }
        }
        n.text = t_.substr(start, end - start);
        if (end < t_.size() && IsNameChar(t_[end])) Fail("invalid number at position " + std::to_string(start + 1));
        if (!ParseNumber(n.text, n.dv)) Fail("invalid number " + n.text);
        n.lit = Node::LitNumber;
        pos_ = end;
    }

    const AnsiString& t_;
    std::vector<TDbFilter::Node>& nodes_;
    std::vector<int>& children_;
    std::vector<AnsiString>& names_;
    std::map<AnsiString, int> nameIndex_;
    std::vector<int> terms_;
    size_t pos_ = 0;
};

bool IsIntegral(double v) { return std::fabs(v) < 9.0e18 && v == std::trunc(v); }

// '*' and '%' match any run; the pattern is upper-cased already.
bool LikeMatch(std::string_view s, std::string_view p) {
    const unsigned char* up = CodePage::Active().UpperTable();
    size_t si = 0, pi = 0, starP = std::string_view::npos, starS = 0;
    while (si < s.size()) {
        if (pi < p.size() && (p[pi] == '*' || p[pi] == '%')) {
            starP = pi++;
            starS = si;
        } else if (pi < p.size() && up[static_cast<unsigned char>(s[si])] == static_cast<unsigned char>(p[pi])) {
            ++si;
            ++pi;
        } else if (starP != std::string_view::npos) {
            pi = starP + 1;
            si = ++starS;
        } else {
            return false;
        }
    }
    while (pi < p.size() && (p[pi] == '*' || p[pi] == '%')) ++pi;
    return pi == p.size();
}

template <typename T>
int Cmp(T a, T b) {
    return a < b ? -1 : (b < a ? 1 : 0);
}

}  // namespace

TDbFilter::TDbFilter(const AnsiString& text) : text_(text) {
    Parser parser(text_, nodes_, children_, names_);
    root_ = parser.Parse();
}

TDbFilter::~TDbFilter() = default;

void TDbFilter::Fail(const AnsiString& detail) const { FilterError(text_, detail); }

void TDbFilter::Bind(TDbRowSource& source) {
    std::vector<int> fields(names_.size());
    std::vector<TDbKind> kinds(names_.size(), TDbKind::Text);
    for (size_t i = 0; i < names_.size(); ++i) {
        fields[i] = source.ResolveField(names_[i], kinds[i]);
        if (fields[i] < 0) Fail("field '" + names_[i] + "' not found");
    }
    for (Node& n : nodes_) {
        if (n.IsGroup()) continue;
        const AnsiString& name = names_[static_cast<size_t>(n.name)];
        n.field = fields[static_cast<size_t>(n.name)];
        n.kind = kinds[static_cast<size_t>(n.name)];
        if (n.lit == Node::LitNull) continue;
        if (n.op == Node::Like || n.op == Node::NotLike) {
            if (n.kind != TDbKind::Text) Fail("LIKE needs a text field: " + name);
            if (n.lit == Node::LitDate) Fail("LIKE needs a text pattern");
            n.text = AnsiUpperCase(n.text);
            continue;
        }
        switch (n.kind) {
        case TDbKind::Text:
            if (n.lit == Node::LitDate) Fail("a date cannot be compared with the text field " + name);
            break;
        case TDbKind::Integer:
        case TDbKind::Boolean:
        case TDbKind::Float: {
            double v = n.dv;
            if (n.lit == Node::LitString && !ParseNumber(n.text, v))
                Fail("'" + n.text + "' is not a number for " + name);
            n.dv = v;
            n.integral = n.kind != TDbKind::Float && IsIntegral(v);
            n.iv = n.integral ? static_cast<int64_t>(v) : 0;
            break;
        }
        case TDbKind::DateTime: {
            double v = n.dv;
            if (n.lit == Node::LitString && !ParseFilterDate(n.text, v))
                Fail("'" + n.text + "' is not a date for " + name);
            n.dv = v;
            break;
        }
        }
    }
    source_ = &source;
}

bool TDbFilter::Matches(uint32_t row) const { return root_ < 0 || Eval(root_, row); }

// Recurses only into bracketed groups, whose depth the parser bounds.
bool TDbFilter::Eval(int index, uint32_t row) const {
    const Node& n = nodes_[static_cast<size_t>(index)];
    if (n.IsGroup()) {
        // AND stops at the first false term, OR at the first true one.
        const bool stopAt = n.op == Node::Or;
        for (int i = n.first; i < n.first + n.count; ++i)
            if (Eval(children_[static_cast<size_t>(i)], row) == stopAt) return stopAt;
        return !stopAt;
    }
    return Compare(n, row);
}

bool TDbFilter::Compare(const Node& n, uint32_t row) const {
    TDbCell cell;
    source_->ReadCell(n.field, row, cell, scratch_);
    if (n.lit == Node::LitNull) return cell.null == (n.op == Node::Eq);
    if (cell.null) return false;
    int c;
    switch (n.kind) {
    case TDbKind::Text:
        if (n.op == Node::Like) return LikeMatch(cell.s, n.text);
        if (n.op == Node::NotLike) return !LikeMatch(cell.s, n.text);
        c = AnsiCompareText(cell.s, n.text);
        break;
    case TDbKind::Integer:
    case TDbKind::Boolean:
        c = n.integral ? Cmp(cell.i, n.iv) : Cmp(static_cast<double>(cell.i), n.dv);
        break;
    default:
        c = Cmp(cell.d, n.dv);
        break;
    }
    switch (n.op) {
    case Node::Eq: return c == 0;
    case Node::Ne: return c != 0;
    case Node::Lt: return c < 0;
    case Node::Gt: return c > 0;
    case Node::Le: return c <= 0;
    case Node::Ge: return c >= 0;
    default: return false;
    }
}
