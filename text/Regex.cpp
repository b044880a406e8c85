#include "text/Regex.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <string>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

namespace {

// Flags returned by each parsing step.
constexpr int WORST = 0;     // may match the empty string
constexpr int HASWIDTH = 1;  // never matches the empty string
constexpr int SIMPLE = 2;    // exactly one character: STAR, PLUS and BRACES take it directly
constexpr int SPSTART = 4;   // starts with * or +: the must-have text is worth computing

constexpr int kHeader = 5;  // kind byte and next offset
constexpr int32_t kBraceInf = 2147483646;
constexpr int32_t kStarInf = 2147483647;
constexpr int kMaxGroups = TRegex::NSUBEXP - 1;

const char kMeta[] = "^$.[()|?+*\\{";
const char kDefaultWordChars[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_";
const char kDefaultSpaceChars[] = " \t\n\r\f";
const char kDefaultLineSeparators[] = "\r\n";
constexpr int kDefaultModifiers = TRegex::MaskModR | TRegex::MaskModS | TRegex::MaskModG;

// The matcher keeps its choice points on the heap, so input size never reaches
// the thread stack; these bounds turn runaway patterns into errors instead of
// exhausted memory or a frozen window.
constexpr size_t kMaxFrames = size_t(1) << 23;
constexpr int64_t kStepBase = int64_t(1) << 20;
constexpr int64_t kStepsPerChar = 512;

// Backtrack stack entries.
enum : int32_t { fUndoGroup, fUndoLoop, fBranch, fStarGreedy, fStarLazy, fLoopExit, fLoopBody };

inline bool InSet(const uint8_t* set, unsigned char c) { return (set[c >> 3] >> (c & 7)) & 1; }
inline void SetBit(uint8_t* set, unsigned char c) { set[c >> 3] |= uint8_t(1u << (c & 7)); }

bool IsMeta(char c) { return c != '\0' && std::strchr(kMeta, c) != nullptr; }
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int ModifierBit(char c) {
    switch (c) {
        case 'i': case 'I': return TRegex::MaskModI;
        case 'r': case 'R': return TRegex::MaskModR;
        case 's': case 'S': return TRegex::MaskModS;
        case 'g': case 'G': return TRegex::MaskModG;
        case 'm': case 'M': return TRegex::MaskModM;
        case 'x': case 'X': return TRegex::MaskModX;
        default: return 0;
    }
}

inline void WriteInt(unsigned char* p, int32_t v) { std::memcpy(p, &v, 4); }

}  // namespace

// ---------------------------------------------------------------------------
// Object and properties

TRegex::TRegex()
    : WordChars(kDefaultWordChars),
      SpaceChars(kDefaultSpaceChars),
      LineSeparators(kDefaultLineSeparators),
      InvertCase(&TRegex::InvertCaseFunction),
      modifiers_(kDefaultModifiers),
      pairedAssigned_(true),
      pairedHead_('\r'),
      pairedTail_('\n') {
    ClearMatches();
}

TRegex::~TRegex() = default;

char TRegex::InvertCaseFunction(char c) {
    const CodePage& page = CodePage::Active();
    unsigned char u = page.Upper(static_cast<unsigned char>(c));
    if (u != static_cast<unsigned char>(c)) return static_cast<char>(u);
    return static_cast<char>(page.Lower(static_cast<unsigned char>(c)));
}

AnsiString TRegex::Expression() const { return hasExpression_ ? expression_ : AnsiString(); }

void TRegex::SetExpression(const AnsiString& value) {
    // The copy is a zero-terminated string: anything after a zero byte is not part of it.
    AnsiString text(value.c_str());
    if (compiled_ && hasExpression_ && text == expression_) return;
    DiscardProgram();
    expression_ = text;
    hasExpression_ = !text.empty();
}

void TRegex::SetModifierStr(const AnsiString& value) {
    bool on = true;
    for (char c : value) {
        if (c == '-') {
            on = false;
            continue;
        }
        int bit = ModifierBit(c);
        if (bit == 0) Fail(1013);
        if (on)
            modifiers_ |= bit;
        else
            modifiers_ &= ~bit;
    }
}

bool TRegex::Modifier(int index) const {
    if (index < 1 || index > 6) const_cast<TRegex*>(this)->Fail(1013);
    return (modifiers_ >> (index - 1)) & 1;
}

void TRegex::SetModifier(int index, bool value) {
    if (index < 1 || index > 6) Fail(1013);
    int bit = 1 << (index - 1);
    if (value)
        modifiers_ |= bit;
    else
        modifiers_ &= ~bit;
}

void TRegex::SetLinePairedSeparator(const AnsiString& value) {
    if (value.size() == 2 && value[0] != value[1]) {
        unsigned char head = static_cast<unsigned char>(value[0]), tail = static_cast<unsigned char>(value[1]);
        if (pairedAssigned_ && head == pairedHead_ && tail == pairedTail_) return;
        pairedAssigned_ = true;
        pairedHead_ = head;
        pairedTail_ = tail;
        DiscardProgram();
    } else if (value.empty()) {
        if (!pairedAssigned_) return;
        pairedAssigned_ = false;
        pairedHead_ = pairedTail_ = 0;
        DiscardProgram();
    } else {
        Fail(128);
    }
}

void TRegex::SetInputString(const AnsiString& value) {
    ClearMatches();
    input_ = value;
    inputLen_ = std::strlen(input_.c_str());  // the input ends at its first zero
    hasInput_ = true;
}

int TRegex::CompilerErrorOffset() const {
    if (patternStart_ == nullptr || regparse_ == nullptr) return 0;
    return static_cast<int>(regparse_ - patternStart_);
}

// ---------------------------------------------------------------------------
// Errors

void TRegex::Error(int errorCode) {
    lastError_ = errorCode;
    AnsiString message = ErrorMsg(errorCode);
    int offset = CompilerErrorOffset();
    if (errorCode < 1000) message += " (pos " + std::to_string(offset) + ")";
    throw ERegex(message, errorCode, offset);
}

void TRegex::Fail(int errorCode) {
    Error(errorCode);
    // An override of Error that returns must not let the engine go on.
    throw ERegex(ErrorMsg(errorCode), errorCode, CompilerErrorOffset());
}

AnsiString TRegex::ErrorMsg(int errorCode) {
    switch (errorCode) {
        case 0: return "No errors";
        case 100: return "TRegex(comp): Null Argument";
        case 102: return "TRegex(comp): ParseReg Too Many ()";
        case 103: return "TRegex(comp): ParseReg Unmatched ()";
        case 104: return "TRegex(comp): ParseReg Unmatched ()";
        case 105: return "TRegex(comp): ParseReg Junk On End";
        case 106: return "TRegex(comp): *+ Operand Could Be Empty";
        case 107: return "TRegex(comp): Nested *?+";
        case 108: return "TRegex(comp): Bad Hex Digit";
        case 109: return "TRegex(comp): Invalid [] Range";
        case 110: return "TRegex(comp): Parse Atom Trailing \\";
        case 111: return "TRegex(comp): No Hex Code After \\x";
        case 112: return "TRegex(comp): Hex Code After \\x Is Too Big";
        case 113: return "TRegex(comp): Unmatched []";
        case 114: return "TRegex(comp): Internal Urp";
        case 115: return "TRegex(comp): ?+*{ Follows Nothing";
        case 116: return "TRegex(comp): Trailing \\";
        case 119: return "TRegex(comp): RarseAtom Internal Disaster";
        case 122: return "TRegex(comp): BRACES Argument Too Big";
        case 124: return "TRegex(comp): BRACE Min Param Greater then Max";
        case 125: return "TRegex(comp): Unclosed (?#Comment)";
        case 127: return "TRegex(comp): Urecognized Modifier";
        case 128: return "TRegex(comp): LinePairedSeparator must countain two different chars or no chars at all";
        case 129: return "TRegex(comp): Zero Hex Code After \\x";
        case 1000: return "TRegex(exec): RegRepeat Called Inappropriately";
        case 1001: return "TRegex(exec): MatchPrim Memory Corruption";
        case 1002: return "TRegex(exec): MatchPrim Corrupted Pointers";
        case 1003: return "TRegex(exec): Not Assigned Expression Property";
        case 1004: return "TRegex(exec): Corrupted Program";
        case 1005: return "TRegex(exec): No Input String Specified";
        case 1006: return "TRegex(exec): Offset Must Be Greater Then 0";
        case 1007: return "TRegex(exec): ExecNext Without Exec[Pos]";
        case 1014: return "TRegex(exec): Loop Stack Exceeded";
        case 1015: return "TRegex(exec): Loop Without LoopEntry !";
        case reeBacktrackStackExceeded: return "TRegex(exec): Backtrack Stack Exceeded";
        case reeStepLimitExceeded: return "TRegex(exec): Match Step Limit Exceeded";
        default: return "Unknown error";
    }
}

// ---------------------------------------------------------------------------
// Emission

int32_t TRegex::ReadInt(const unsigned char* p) {
    int32_t v;
    std::memcpy(&v, p, 4);
    return v;
}

int TRegex::EmitNode(unsigned char kind) {
    int at = static_cast<int>(program_.size());
    program_.push_back(kind);
    program_.insert(program_.end(), 4, 0);
    return at;
}

void TRegex::EmitByte(unsigned char b) { program_.push_back(b); }

void TRegex::EmitInt(int32_t v) {
    size_t at = program_.size();
    program_.resize(at + 4);
    WriteInt(&program_[at], v);
}

void TRegex::InsertOperator(unsigned char kind, int opnd, int extra) {
    program_.insert(program_.begin() + opnd, static_cast<size_t>(kHeader + extra), 0);
    program_[opnd] = kind;
}

// Links the end of the chain that starts at p to val.
void TRegex::Tail(int p, int val) {
    int scan = p;
    for (;;) {
        int32_t off = ReadInt(&program_[scan + 1]);
        if (off == 0) break;
        scan += off;
    }
    WriteInt(&program_[scan + 1], val - scan);
}

// Links the end of a BRANCH's operand to val.
void TRegex::OpTail(int p, int val) {
    if (p < 0 || program_[p] != BRANCH) return;
    Tail(p + kHeader, val);
}

void TRegex::AddToSet(uint8_t* set, unsigned char c) const {
    SetBit(set, c);
    if (compileModifiers_ & MaskModI) SetBit(set, invTable_[c]);
}

int TRegex::EmitSet(const uint8_t* set, bool negated) {
    int count = 0;
    unsigned char chars[3] = {0, 0, 0};
    int lo = -1, hi = -1;
    for (int c = 0; c < 256; ++c) {
        if (!InSet(set, static_cast<unsigned char>(c))) continue;
        if (count < 3) chars[count] = static_cast<unsigned char>(c);
        ++count;
        if (lo < 0) lo = c;
        hi = c;
    }
    if (count == 0) throw EAssertionFailed("TRegex.ParseAtom(subroutine EmitRangeC): empty range");
    if (lo > hi) throw EAssertionFailed("TRegex.ParseAtom(subroutine EmitRangeC): RangeChMin > RangeChMax");
    int ret;
    if (count <= 3) {
        ret = EmitNode(negated ? ANYBUTTINYSET : ANYOFTINYSET);
        for (int k = 0; k < 3; ++k) EmitByte(k < count ? chars[k] : static_cast<unsigned char>(hi));
    } else {
        ret = EmitNode(ANYOFFULLSET);
        for (int k = 0; k < 32; ++k) EmitByte(negated ? static_cast<unsigned char>(~set[k]) : set[k]);
    }
    return ret;
}

// ---------------------------------------------------------------------------
// Compilation

void TRegex::DiscardProgram() {
    program_.clear();
    program_.shrink_to_fit();
    compiled_ = false;
}

void TRegex::Compile() {
    if (!hasExpression_) Fail(100);
    programModifiers_ = modifiers_;
    patternStart_ = expression_.c_str();
    try {
        PrepareTables();
        program_.clear();
        program_.reserve(expression_.size() * 2 + 16);
        regparse_ = patternStart_;
        regnpar_ = 1;
        compileModifiers_ = modifiers_;
        EmitByte(ProgramMark);
        int flags = 0;
        ParseReg(false, flags);
        ComputeStartInfo(flags);
        compiled_ = true;
    } catch (...) {
        DiscardProgram();
        patternStart_ = nullptr;
        regparse_ = nullptr;
        throw;
    }
    patternStart_ = nullptr;
    regparse_ = nullptr;
}

// A parenthesised group or the whole pattern: branches separated by '|'.
int TRegex::ParseReg(bool paren, int& flagp) {
    flagp = HASWIDTH;
    int ret = -1;
    int parno = 0;
    if (paren) {
        if (regnpar_ > kMaxGroups) Fail(102);
        parno = regnpar_++;
        ret = EmitNode(static_cast<unsigned char>(OPEN + parno));
    }
    const int savedModifiers = compileModifiers_;
    int flags = 0;
    int br = ParseBranch(flags);
    if (ret >= 0)
        Tail(ret, br);
    else
        ret = br;
    if (!(flags & HASWIDTH)) flagp &= ~HASWIDTH;
    flagp |= flags & SPSTART;
    while (*regparse_ == '|') {
        ++regparse_;
        const int last = br;  // the chain of branches ends here: no walk over all of them
        br = ParseBranch(flags);
        Tail(last, br);
        if (!(flags & HASWIDTH)) flagp &= ~HASWIDTH;
        flagp |= flags & SPSTART;
    }
    int ender = EmitNode(paren ? static_cast<unsigned char>(CLOSE + parno) : EEND);
    Tail(ret, ender);
    for (int b = ret;;) {
        OpTail(b, ender);
        int32_t off = ReadInt(&program_[b + 1]);
        if (off == 0) break;
        b += off;
    }
    if (paren) {
        if (*regparse_ != ')') Fail(103);
        ++regparse_;
    } else if (*regparse_ != '\0') {
        if (*regparse_ == ')') Fail(104);
        Fail(105);
    }
    compileModifiers_ = savedModifiers;
    return ret;
}

int TRegex::ParseBranch(int& flagp) {
    flagp = WORST;
    int ret = EmitNode(BRANCH);
    int chain = -1;
    while (*regparse_ != '\0' && *regparse_ != '|' && *regparse_ != ')') {
        int flags = 0;
        int latest = ParsePiece(flags);
        flagp |= flags & HASWIDTH;
        if (chain < 0)
            flagp |= flags & SPSTART;
        else
            Tail(chain, latest);
        chain = latest;
    }
    if (chain < 0) EmitNode(NOTHING);
    return ret;
}

// '{' starts a quantifier only as {n}, {n,} or {n,m}.
bool TRegex::QuantifierAt(const char* p) const {
    char c = *p;
    if (c == '*' || c == '+' || c == '?') return true;
    if (c != '{') return false;
    const char* q = p + 1;
    if (!IsDigit(*q)) return false;
    while (IsDigit(*q)) ++q;
    if (*q == '}') return true;
    if (*q != ',') return false;
    ++q;
    while (IsDigit(*q)) ++q;
    return *q == '}';
}

void TRegex::ParseBraces(int& bmin, int& bmax) {
    auto number = [this]() {
        const char* start = regparse_;
        int32_t v = 0;
        while (IsDigit(*regparse_)) {
            if (regparse_ - start < 8) v = v * 10 + (*regparse_ - '0');
            ++regparse_;
        }
        if (regparse_ - start > 8) Fail(122);
        return v;
    };
    ++regparse_;  // '{'
    bmin = number();
    if (*regparse_ == '}') {
        bmax = bmin;
    } else {
        ++regparse_;  // ','
        bmax = IsDigit(*regparse_) ? number() : kBraceInf;
    }
    if (bmin > bmax) Fail(124);
    ++regparse_;  // '}'
}

int TRegex::ParsePiece(int& flagp) {
    int flags = 0;
    int ret = ParseAtom(flags);
    if (!QuantifierAt(regparse_)) {
        flagp = flags;
        return ret;
    }
    const char op = *regparse_;
    if (!(flags & HASWIDTH) && op != '?') Fail(106);
    int bmin = 0, bmax = 1;
    switch (op) {
        case '*':
            bmin = 0, bmax = kBraceInf, flagp = SPSTART;
            ++regparse_;
            break;
        case '+':
            bmin = 1, bmax = kBraceInf, flagp = HASWIDTH | SPSTART;
            ++regparse_;
            break;
        case '?':
            bmin = 0, bmax = 1, flagp = WORST;
            ++regparse_;
            break;
        default:
            ParseBraces(bmin, bmax);
            flagp = bmax > 0 ? HASWIDTH | SPSTART : WORST;
            break;
    }
    bool greedy = (compileModifiers_ & MaskModG) != 0;
    if (*regparse_ == '?') {
        greedy = false;
        ++regparse_;
    }
    const bool simple = (flags & SIMPLE) != 0;

    auto loopForm = [&](unsigned char kind) {
        InsertOperator(LOOPENTRY, ret, 0);
        int loop = EmitNode(kind);
        EmitInt(bmin);
        EmitInt(bmax);
        EmitInt((ret + kHeader) - loop);
        Tail(ret, loop);
        Tail(ret + kHeader, loop);
    };
    auto braces = [&](unsigned char kind) {
        InsertOperator(kind, ret, 8);
        WriteInt(&program_[ret + kHeader], bmin);
        WriteInt(&program_[ret + kHeader + 4], bmax);
    };

    if (greedy) {
        switch (op) {
            case '*':
                if (simple) {
                    InsertOperator(STAR, ret, 0);
                } else {  // x* as (x&|): & loops back
                    InsertOperator(BRANCH, ret, 0);
                    OpTail(ret, EmitNode(BACK));
                    OpTail(ret, ret);
                    Tail(ret, EmitNode(BRANCH));
                    Tail(ret, EmitNode(NOTHING));
                }
                break;
            case '+':
                if (simple) {
                    InsertOperator(PLUS, ret, 0);
                } else {  // x+ as x(&|)
                    int next = EmitNode(BRANCH);
                    Tail(ret, next);
                    Tail(EmitNode(BACK), ret);
                    Tail(next, EmitNode(BRANCH));
                    Tail(ret, EmitNode(NOTHING));
                }
                break;
            case '?': {  // x? as (x|)
                InsertOperator(BRANCH, ret, 0);
                Tail(ret, EmitNode(BRANCH));
                int next = EmitNode(NOTHING);
                Tail(ret, next);
                OpTail(ret, next);
                break;
            }
            default:
                if (simple)
                    braces(BRACES);
                else
                    loopForm(LOOP);
                break;
        }
    } else if (simple) {
        switch (op) {
            case '*': InsertOperator(STARNG, ret, 0); break;
            case '+': InsertOperator(PLUSNG, ret, 0); break;
            default: braces(BRACESNG); break;  // '?' is {0,1}
        }
    } else {
        loopForm(LOOPNG);
    }
    if (QuantifierAt(regparse_)) Fail(107);
    return ret;
}

int TRegex::ParseAtom(int& flagp) {
    flagp = WORST;
    const bool multiLine =
        (compileModifiers_ & MaskModM) != 0 && (!LineSeparators.empty() || pairedAssigned_);
    const bool ci = (compileModifiers_ & MaskModI) != 0;
    int ret;
    char c = *regparse_++;
    switch (c) {
        case '^':
            ret = EmitNode(multiLine ? BOLML : BOL);
            break;
        case '$':
            ret = EmitNode(multiLine ? EOLML : EOL);
            break;
        case '.':
            if (compileModifiers_ & MaskModS) {
                ret = EmitNode(ANY);
                flagp = HASWIDTH | SIMPLE;
            } else {
                ret = EmitNode(ANYML);
                flagp = HASWIDTH;
            }
            break;
        case '[':
            ret = ParseClass(flagp);
            break;
        case '(':
            if (*regparse_ == '?') {
                if (regparse_[1] == '#') {
                    regparse_ += 2;
                    while (*regparse_ != '\0' && *regparse_ != ')') ++regparse_;
                    if (*regparse_ == '\0') Fail(125);
                    ++regparse_;
                } else {
                    ++regparse_;
                    int mods = compileModifiers_;
                    bool on = true;
                    while (*regparse_ != ')') {
                        char m = *regparse_;
                        if (m == '-') {
                            on = false;
                        } else {
                            int bit = ModifierBit(m);
                            if (bit == 0) Fail(127);
                            if (on)
                                mods |= bit;
                            else
                                mods &= ~bit;
                        }
                        ++regparse_;
                    }
                    ++regparse_;
                    compileModifiers_ = mods;
                }
                ret = EmitNode(COMMENT);
            } else {
                int flags = 0;
                ret = ParseReg(true, flags);
                flagp |= flags & (HASWIDTH | SPSTART);
            }
            break;
        case '\0':
        case '|':
        case ')':
            --regparse_;
            Fail(114);
        case '?':
        case '+':
        case '*':
            Fail(115);
        case '\\': {
            char e = *regparse_;
            if (e == '\0') Fail(116);
            ++regparse_;
            switch (e) {
                case 'b': ret = EmitNode(BOUND); break;
                case 'B': ret = EmitNode(NOTBOUND); break;
                case 'A': ret = EmitNode(BOL); break;
                case 'Z': ret = EmitNode(EOL); break;
                case 'd':
                    ret = EmitNode(ANYDIGIT);
                    flagp = HASWIDTH | SIMPLE;
                    break;
                case 'D':
                    ret = EmitNode(NOTDIGIT);
                    flagp = HASWIDTH | SIMPLE;
                    break;
                case 's':
                case 'S':
                case 'w':
                case 'W': {
                    uint8_t set[32] = {};
                    const AnsiString& chars = (e == 's' || e == 'S') ? SpaceChars : WordChars;
                    for (char ch : chars) AddToSet(set, static_cast<unsigned char>(ch));
                    ret = EmitSet(set, e == 'S' || e == 'W');
                    flagp = HASWIDTH | SIMPLE;
                    break;
                }
                default:
                    if (e >= '1' && e <= '9') {
                        ret = EmitNode(ci ? BSUBEXPCI : BSUBEXP);
                        EmitByte(static_cast<unsigned char>(e - '0'));
                    } else {
                        --regparse_;
                        unsigned char ch = UnQuoteChar();
                        ret = EmitNode(ci ? EXACTLYCI : EXACTLY);
                        EmitByte(ch);
                        EmitByte(0);
                    }
                    flagp = HASWIDTH | SIMPLE;
                    break;
            }
            break;
        }
        default:
            --regparse_;
            ret = ParseLiteralRun(flagp);
            break;
    }
    return ret;
}

// A run of ordinary characters; under x also blank runs and # comments.
int TRegex::ParseLiteralRun(int& flagp) {
    const bool extended = (compileModifiers_ & MaskModX) != 0;
    flagp = WORST;
    if (extended) {
        if (IsBlank(*regparse_)) {
            while (IsBlank(*regparse_)) ++regparse_;
            return EmitNode(COMMENT);
        }
        if (*regparse_ == '#') {
            while (*regparse_ != '\0' && *regparse_ != '\r' && *regparse_ != '\n') ++regparse_;
            while (*regparse_ == '\r' || *regparse_ == '\n') ++regparse_;
            return EmitNode(COMMENT);
        }
    }
    std::string run;
    const char* lastAt = nullptr;
    const char* p = regparse_;
    if (*p == '{') {  // a '{' that is no quantifier is an ordinary character
        run.push_back(*p);
        lastAt = p;
        ++p;
    }
    while (*p != '\0' && !IsMeta(*p) && !(extended && *p == '#')) {
        if (extended && IsBlank(*p)) {
            ++p;
            continue;
        }
        run.push_back(*p);
        lastAt = p;
        ++p;
    }
    if (run.empty()) Fail(119);
    // The quantifier behind a longer run applies to its last character alone.
    if (run.size() > 1 && QuantifierAt(p)) {
        run.pop_back();
        p = lastAt;
    }
    regparse_ = p;
    int ret = EmitNode((compileModifiers_ & MaskModI) ? EXACTLYCI : EXACTLY);
    for (char ch : run) EmitByte(static_cast<unsigned char>(ch));
    EmitByte(0);
    flagp = HASWIDTH | (run.size() == 1 ? SIMPLE : 0);
    return ret;
}

// One escaped character after '\': control letters, \xHH, \x{H...} or the character itself.
unsigned char TRegex::UnQuoteChar() {
    char c = *regparse_++;
    switch (c) {
        case 't': return 9;
        case 'n': return 10;
        case 'r': return 13;
        case 'f': return 12;
        case 'a': return 7;
        case 'e': return 27;
        case 'x': {
            if (*regparse_ == '\0') Fail(111);
            // Literals and sets in the program end at a zero byte, so a zero
            // character cannot be written into them and is refused.
            if (*regparse_ == '{') {
                ++regparse_;
                if (*regparse_ == '}') Fail(111);
                int value = 0;
                while (*regparse_ != '}') {
                    if (*regparse_ == '\0') Fail(111);
                    int d = HexValue(*regparse_);
                    if (d < 0) Fail(108);
                    value = value * 16 + d;
                    if (value > 255) Fail(112);
                    ++regparse_;
                }
                if (value == 0) Fail(129);
                ++regparse_;
                return static_cast<unsigned char>(value);
            }
            int d1 = HexValue(*regparse_);
            if (d1 < 0) Fail(108);
            ++regparse_;
            if (*regparse_ == '\0') Fail(111);
            int d2 = HexValue(*regparse_);
            if (d2 < 0) Fail(108);
            if (d1 == 0 && d2 == 0) Fail(129);
            ++regparse_;
            return static_cast<unsigned char>(d1 * 16 + d2);
        }
        default: return static_cast<unsigned char>(c);
    }
}

int TRegex::ParseClass(int& flagp) {
    uint8_t set[32] = {};
    const bool russian = (compileModifiers_ & MaskModR) != 0;
    bool negated = false;
    if (*regparse_ == '^') {
        negated = true;
        ++regparse_;
    }
    bool prevSingle = false;
    unsigned char prevChar = 0;
    auto single = [&](unsigned char ch) {
        AddToSet(set, ch);
        prevSingle = true;
        prevChar = ch;
    };
    auto range = [&](unsigned char lo, unsigned char hi) {
        const bool lower = lo == 0xE0 && hi == 0xFF, upper = lo == 0xC0 && hi == 0xDF,
                   both = lo == 0xE0 && hi == 0xDF;
        if (russian && (lower || upper || both)) {
            // The 33-letter alphabets: the Yo letters lie outside the contiguous block.
            if (lower || both) {
                for (int ch = 0xE0; ch <= 0xFF; ++ch) AddToSet(set, static_cast<unsigned char>(ch));
                AddToSet(set, 0xB8);
            }
            if (upper || both) {
                for (int ch = 0xC0; ch <= 0xDF; ++ch) AddToSet(set, static_cast<unsigned char>(ch));
                AddToSet(set, 0xA8);
            }
            return;
        }
        if (lo > hi) Fail(109);
        for (int ch = lo; ch <= hi; ++ch) AddToSet(set, static_cast<unsigned char>(ch));
    };
    auto isClassEscape = [](char e) {
        return e == 'd' || e == 'D' || e == 's' || e == 'S' || e == 'w' || e == 'W';
    };

    if (*regparse_ == ']') {
        single(']');
        ++regparse_;
    }
    while (*regparse_ != ']') {
        char c = *regparse_;
        if (c == '\0') Fail(113);
        if (c == '-' && prevSingle && regparse_[1] != '\0' && regparse_[1] != ']') {
            if (regparse_[1] == '\\' && isClassEscape(regparse_[2])) {
                // "a-\d": the '-' is literal and the escape is the next item.
                single('-');
                ++regparse_;
                continue;
            }
            ++regparse_;
            unsigned char hi;
            if (*regparse_ == '\\') {
                ++regparse_;
                if (*regparse_ == '\0') Fail(110);
                hi = UnQuoteChar();
            } else {
                hi = static_cast<unsigned char>(*regparse_++);
            }
            range(prevChar, hi);
            prevSingle = false;
            continue;
        }
        if (c == '\\') {
            ++regparse_;
            char e = *regparse_;
            if (e == '\0') Fail(110);
            if (e == 'd' || e == 'w' || e == 's') {
                ++regparse_;
                if (e == 'd')
                    for (char ch = '0'; ch <= '9'; ++ch) AddToSet(set, static_cast<unsigned char>(ch));
                else
                    for (char ch : (e == 'w' ? WordChars : SpaceChars)) AddToSet(set, static_cast<unsigned char>(ch));
                prevSingle = false;
            } else {
                single(UnQuoteChar());
            }
            continue;
        }
        single(static_cast<unsigned char>(c));
        ++regparse_;
    }
    ++regparse_;  // ']'
    flagp = HASWIDTH | SIMPLE;
    return EmitSet(set, negated);
}

// ---------------------------------------------------------------------------
// Start-position information

void TRegex::ComputeStartInfo(int parseFlags) {
    regstart_ = 0;
    anchored_ = false;
    mustHave_ = -1;
    mustHaveLen_ = 0;
    FillFirstCharSet();
    ComputeFollowSets();

    const unsigned char* prog = program_.data();
    const int size = static_cast<int>(program_.size());
    const int first = 1;
    if (prog[first] != BRANCH) return;
    int32_t off = ReadInt(prog + first + 1);
    if (off == 0 || prog[first + off] != EEND) return;
    const int node = first + kHeader;
    if (prog[node] == EXACTLY)
        regstart_ = prog[node + kHeader];
    else if (prog[node] == BOL)
        anchored_ = true;
    if (!(parseFlags & SPSTART)) return;
    // The longest literal on the top-level chain; every match contains it.
    int best = -1, bestLen = 0;
    for (int n = node, guard = 0; n > 0 && n < size && guard < size; ++guard) {
        if (prog[n] == EEND) break;
        if (prog[n] == EXACTLY) {
            int len = static_cast<int>(std::strlen(reinterpret_cast<const char*>(prog + n + kHeader)));
            if (len > 0 && len >= bestLen) {
                best = n + kHeader;
                bestLen = len;
            }
        }
        int32_t next = ReadInt(prog + n + 1);
        if (next == 0) break;
        n += next;
    }
    mustHave_ = best;
    mustHaveLen_ = bestLen;
}

// Characters with which a match can begin: the nodes that can be reached
// without consuming input, each adding what it can start with.
void TRegex::FillFirstCharSet() {
    std::memset(firstCharSet_, 0, sizeof firstCharSet_);
    const unsigned char* prog = program_.data();
    const int size = static_cast<int>(program_.size());
    std::vector<uint8_t> seen(program_.size(), 0);
    std::vector<int> work{1};
    auto all = [&]() { std::memset(firstCharSet_, 0xFF, sizeof firstCharSet_); };
    auto add = [&](unsigned char c) { SetBit(firstCharSet_, c); };
    // Adds the characters one simple node can match; false for other kinds.
    auto addSimple = [&](const unsigned char* n) {
        const unsigned char* o = n + kHeader;
        switch (*n) {
            case ANY:
            case BSUBEXP:
            case BSUBEXPCI: all(); return true;
            case EXACTLY: add(o[0]); return true;
            case EXACTLYCI:
                add(o[0]);
                add(invTable_[o[0]]);
                return true;
            case ANYDIGIT:
                for (unsigned char c = '0'; c <= '9'; ++c) add(c);
                return true;
            case NOTDIGIT:
                for (int c = 0; c < 256; ++c)
                    if (c < '0' || c > '9') add(static_cast<unsigned char>(c));
                return true;
            case ANYOFTINYSET:
                add(o[0]), add(o[1]), add(o[2]);
                return true;
            case ANYBUTTINYSET:
                for (int c = 0; c < 256; ++c)
                    if (c != o[0] && c != o[1] && c != o[2]) add(static_cast<unsigned char>(c));
                return true;
            case ANYOFFULLSET:
                for (int k = 0; k < 32; ++k) firstCharSet_[k] |= o[k];
                return true;
            default: return false;
        }
    };
    auto next = [&](int n) {
        int32_t off = ReadInt(prog + n + 1);
        if (off == 0) Fail(1002);
        return n + off;
    };
    while (!work.empty()) {
        int n = work.back();
        work.pop_back();
        for (;;) {
            if (n <= 0 || n >= size) Fail(1001);
            const unsigned char kind = prog[n];
            if (seen[n]) {
                // Reaching a loop again from its own body: the body can be empty,
                // so what follows the loop can start a match too.
                if ((kind == LOOP || kind == LOOPNG) && seen[n] == 1) {
                    seen[n] = 2;
                    n = next(n);
                    continue;
                }
                break;
            }
            seen[n] = 1;
            if (kind == EEND || kind == ANYML || kind == EOLML) {
                all();
                break;
            }
            if (kind == BOL || kind == BOLML || kind == BACK || kind == NOTHING || kind == COMMENT ||
                kind == BOUND || kind == NOTBOUND || kind == LOOPENTRY ||
                (kind > OPEN && kind <= OPEN + kMaxGroups) || (kind > CLOSE && kind <= CLOSE + kMaxGroups)) {
                n = next(n);
                continue;
            }
            if (kind == EOL) {
                add(0);
                if (programModifiers_ & MaskModM)
                    for (char c : LineSeparators) add(static_cast<unsigned char>(c));
                break;
            }
            if (kind == EXACTLY || kind == EXACTLYCI) {
                addSimple(prog + n);
                break;
            }
            if (kind == BRANCH) {
                int nx = next(n);
                if (prog[nx] != BRANCH) {
                    n += kHeader;
                    continue;
                }
                for (int b = n; b > 0 && prog[b] == BRANCH;) {
                    work.push_back(b + kHeader);
                    int32_t off = ReadInt(prog + b + 1);
                    if (off == 0) break;
                    b += off;
                }
                break;
            }
            if (kind == STAR || kind == STARNG || kind == PLUS || kind == PLUSNG) {
                if (!addSimple(prog + n + kHeader)) Fail(1001);
                if (kind == PLUS || kind == PLUSNG) break;
                n = next(n);
                continue;
            }
            if (kind == BRACES || kind == BRACESNG) {
                if (!addSimple(prog + n + kHeader + 8)) Fail(1001);
                if (ReadInt(prog + n + kHeader) > 0) break;
                n = next(n);
                continue;
            }
            if (kind == LOOP || kind == LOOPNG) {
                work.push_back(n + ReadInt(prog + n + kHeader + 8));
                if (ReadInt(prog + n + kHeader) > 0) break;
                seen[n] = 2;
                n = next(n);
                continue;
            }
            if (!addSimple(prog + n)) Fail(1001);
            break;
        }
    }
    std::memset(firstByLow_, 0, sizeof firstByLow_);
    for (int c = 0; c < 256; ++c)
        if (InSet(firstCharSet_, static_cast<unsigned char>(c))) firstByLow_[c >> 7][c & 15] |= uint8_t(1u << ((c >> 4) & 7));
    // A quick way through the input for small sets.
    scanCount_ = 0;
    for (int c = 0; c < 256 && scanCount_ <= 2; ++c)
        if (InSet(firstCharSet_, static_cast<unsigned char>(c))) {
            if (scanCount_ < 2) scanChars_[scanCount_] = static_cast<unsigned char>(c);
            ++scanCount_;
        }
}

// The characters with which the rest of the match can go on after each
// repeat node: an attempt at a position whose character is not among them
// would fail, so the matcher does not make it. Group marks are looked through.
void TRegex::ComputeFollowSets() {
    const unsigned char* prog = program_.data();
    const size_t size = program_.size();
    followIndex_.assign(size, -1);
    followSets_.clear();
    // Adds what one node must start with; false when it could start with anything.
    auto addFirst = [&](const unsigned char* n, uint8_t* set) {
        const unsigned char* o = n + kHeader;
        switch (*n) {
            case EXACTLY:
                if (o[0] == 0) return false;
                SetBit(set, o[0]);
                return true;
            case EXACTLYCI:
                if (o[0] == 0) return false;
                SetBit(set, o[0]);
                SetBit(set, invTable_[o[0]]);
                return true;
            case ANY:
                for (int c = 1; c < 256; ++c) SetBit(set, static_cast<unsigned char>(c));
                return true;
            case ANYDIGIT:
                for (unsigned char c = '0'; c <= '9'; ++c) SetBit(set, c);
                return true;
            case NOTDIGIT:
                for (int c = 1; c < 256; ++c)
                    if (c < '0' || c > '9') SetBit(set, static_cast<unsigned char>(c));
                return true;
            case ANYOFTINYSET:
                for (int k = 0; k < 3; ++k)
                    if (o[k] != 0) SetBit(set, o[k]);
                return true;
            case ANYBUTTINYSET:
                for (int c = 1; c < 256; ++c)
                    if (c != o[0] && c != o[1] && c != o[2]) SetBit(set, static_cast<unsigned char>(c));
                return true;
            case ANYOFFULLSET:
                for (int k = 0; k < 32; ++k) set[k] |= o[k];
                set[0] &= 0xFE;
                return true;
            case EOL:
                SetBit(set, 0);
                return true;
            default: return false;
        }
    };
    size_t i = 1;
    while (i + kHeader <= size) {
        const unsigned char* n = prog + i;
        const unsigned char* o = n + kHeader;
        const unsigned char kind = *n;
        size_t operand = 0;
        switch (kind) {
            case EXACTLY:
            case EXACTLYCI: operand = std::strlen(reinterpret_cast<const char*>(o)) + 1; break;
            case ANYOFTINYSET:
            case ANYBUTTINYSET: operand = 3; break;
            case ANYOFFULLSET: operand = 32; break;
            case BRACES:
            case BRACESNG: operand = 8; break;
            case LOOP:
            case LOOPNG: operand = 12; break;
            case BSUBEXP:
            case BSUBEXPCI: operand = 1; break;
            default: break;
        }
        if (kind == STAR || kind == STARNG || kind == PLUS || kind == PLUSNG || kind == BRACES || kind == BRACESNG) {
            int32_t off = ReadInt(n + 1);
            const unsigned char* q = off != 0 ? n + off : nullptr;
            for (int guard = 0; q != nullptr && guard < 64; ++guard) {
                const unsigned char k = *q;
                if (!((k > OPEN && k <= OPEN + kMaxGroups) || (k > CLOSE && k <= CLOSE + kMaxGroups) ||
                      k == COMMENT || k == NOTHING))
                    break;
                off = ReadInt(q + 1);
                q = off != 0 ? q + off : nullptr;
            }
            if (q != nullptr) {
                std::array<uint8_t, 32> set{};
                bool known;
                if (*q == PLUS || *q == PLUSNG)
                    known = addFirst(q + kHeader, set.data());
                else if ((*q == BRACES || *q == BRACESNG) && ReadInt(q + kHeader) > 0)
                    known = addFirst(q + kHeader + 8, set.data());
                else
                    known = addFirst(q, set.data());
                if (known) {
                    followIndex_[i] = static_cast<int32_t>(followSets_.size());
                    followSets_.push_back(set);
                }
            }
        }
        i += kHeader + operand;
    }
}

// ---------------------------------------------------------------------------
// Searching

void TRegex::ClearMatches() {
    for (int i = 0; i < NSUBEXP; ++i) startp_[i] = endp_[i] = -1;
}

void TRegex::PrepareTables() {
    if (InvertCase != invTableFn_ || &CodePage::Active() != invTablePage_) {
        for (int c = 0; c < 256; ++c)
            invTable_[c] = InvertCase ? static_cast<unsigned char>(InvertCase(static_cast<char>(c)))
                                      : static_cast<unsigned char>(c);
        invTableFn_ = InvertCase;
        invTablePage_ = &CodePage::Active();
        // The case partners of a compiled program's start characters follow the table.
        if (!program_.empty() && patternStart_ == nullptr) {
            FillFirstCharSet();
            ComputeFollowSets();
        }
    }
    if (!wordSetValid_ || WordChars != wordSetChars_) {
        std::memset(wordSet_, 0, sizeof wordSet_);
        for (char c : WordChars) SetBit(wordSet_, static_cast<unsigned char>(c));
        wordSetChars_ = WordChars;
        wordSetValid_ = true;
    }
}

void TRegex::CheckProgram() {
    if (!program_.empty() && programModifiers_ != modifiers_) DiscardProgram();
    std::memset(lineSepSet_, 0, sizeof lineSepSet_);
    for (char c : LineSeparators) SetBit(lineSepSet_, static_cast<unsigned char>(c));
    if (program_.empty()) {
        if (!hasExpression_) Fail(1003);
        Compile();
    }
    if (program_[0] != ProgramMark) Fail(1004);
    PrepareTables();
}

bool TRegex::Exec(const AnsiString& input) {
    SetInputString(input);
    return ExecPrim(1);
}

bool TRegex::ExecPos(int offset) { return ExecPrim(offset); }

bool TRegex::ExecNext() {
    if (startp_[0] < 0 || endp_[0] < 0) Fail(1007);
    int offset = endp_[0] + 1;
    if (startp_[0] == endp_[0]) ++offset;  // step over an empty match
    return ExecPrim(offset);
}

bool TRegex::ExecPrim(int offset) {
    ClearMatches();
    CheckProgram();
    if (!hasInput_) Fail(1005);
    const size_t len = inputLen_;
    if (offset < 1) Fail(1006);
    if (static_cast<size_t>(offset) > len + 1) return false;
    // Positions on the backtrack stack are 32-bit.
    if (len > static_cast<size_t>(INT32_MAX) - 16) Fail(reeBacktrackStackExceeded);
    const unsigned char* in = reinterpret_cast<const unsigned char*>(input_.c_str());
    const unsigned char* end = in + len;
    const unsigned char* s = in + offset - 1;
    if (mustHave_ >= 0) {
        if (!memmem(s, static_cast<size_t>(end - s), program_.data() + mustHave_, static_cast<size_t>(mustHaveLen_)))
            return false;
    }
    in_ = in;
    inEnd_ = end;
    loopDepth_ = 0;
    steps_ = kStepBase + kStepsPerChar * static_cast<int64_t>(len);
    bool found = false;
    try {
        if (anchored_) {
            found = MatchAt(s);
        } else if (regstart_ != 0) {
            for (const unsigned char* p = s; p < end; ++p) {
                p = static_cast<const unsigned char*>(std::memchr(p, regstart_, static_cast<size_t>(end - p)));
                if (p == nullptr) break;
                if (MatchAt(p)) {
                    found = true;
                    break;
                }
            }
        } else if (scanCount_ == 1 || scanCount_ == 2) {
            // One or two starting characters: let memchr find the candidates (the
            // terminating zero is searched too, it may start an empty match).
            const size_t span = static_cast<size_t>(end - s) + 1;
            const unsigned char* limit = end + 1;
            const unsigned char* next[2] = {nullptr, nullptr};
            for (int k = 0; k < scanCount_; ++k)
                next[k] = static_cast<const unsigned char*>(std::memchr(s, scanChars_[k], span));
            for (;;) {
                const unsigned char* p = next[0];
                if (scanCount_ == 2 && (p == nullptr || (next[1] != nullptr && next[1] < p))) p = next[1];
                if (p == nullptr) break;
                if (MatchAt(p)) {
                    found = true;
                    break;
                }
                for (int k = 0; k < scanCount_; ++k)
                    if (next[k] == p)
                        next[k] = p + 1 < limit ? static_cast<const unsigned char*>(std::memchr(
                                                      p + 1, scanChars_[k], static_cast<size_t>(limit - p - 1)))
                                                : nullptr;
            }
        } else if (scanCount_ > 2) {
            // The terminating zero is tried too: it may start an empty match.
            for (const unsigned char* p = s;; ++p) {
                p = NextFirstChar(p, end);
                if ((p != end || InSet(firstCharSet_, *p)) && MatchAt(p)) {
                    found = true;
                    break;
                }
                if (p == end) break;
            }
        }
    } catch (...) {
        ClearMatches();
        ReleaseStack();
        throw;
    }
    ReleaseStack();
    if (!found) ClearMatches();
    return found;
}

#if defined(__x86_64__) || defined(__i386__)
namespace {

bool HasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

// The first byte in [p, end) whose bit is set in the nibble tables byLow, or
// nullptr past the last whole block of 32 (the caller looks at the rest).
__attribute__((target("avx2"))) const unsigned char* FindInSetAvx2(const unsigned char* p, const unsigned char* end,
                                                                   const uint8_t (*byLow)[16], const unsigned char*& rest) {
    const __m256i lowRows = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(byLow[0])));
    const __m256i highRows = _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i*>(byLow[1])));
    const __m256i bitOf = _mm256_setr_epi8(1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32, 64, -128, 1, 2, 4, 8, 16, 32,
                                           64, -128, 1, 2, 4, 8, 16, 32, 64, -128);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    for (; end - p >= 32; p += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
        const __m256i low = _mm256_and_si256(x, nibble);
        const __m256i high = _mm256_and_si256(_mm256_srli_epi16(x, 4), nibble);
        // The row of the byte's low nibble, from the table its top bit picks.
        const __m256i row =
            _mm256_blendv_epi8(_mm256_shuffle_epi8(lowRows, low), _mm256_shuffle_epi8(highRows, low), x);
        const __m256i bit = _mm256_shuffle_epi8(bitOf, high);
        const uint32_t mask =
            static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_and_si256(row, bit), bit)));
        if (mask) return p + __builtin_ctz(mask);
    }
    rest = p;
    return nullptr;
}

}  // namespace
#endif

// The first position in [p, end) whose byte can start a match, else end.
const unsigned char* TRegex::NextFirstChar(const unsigned char* p, const unsigned char* end) const {
#if defined(__x86_64__) || defined(__i386__)
    if (end - p >= 32 && HasAvx2()) {
        if (const unsigned char* hit = FindInSetAvx2(p, end, firstByLow_, p)) return hit;
    }
#endif
    while (p != end && !InSet(firstCharSet_, *p)) ++p;
    return p;
}

AnsiString TRegex::Match(int index) const {
    if (index < 0 || index >= NSUBEXP || !hasInput_ || startp_[index] < 0 || endp_[index] < 0) return AnsiString();
    int len = std::max(0, endp_[index] - startp_[index]);
    return input_.substr(static_cast<size_t>(startp_[index]), static_cast<size_t>(len));
}

int TRegex::MatchPos(int index) const {
    if (index < 0 || index >= NSUBEXP || !hasInput_ || startp_[index] < 0 || endp_[index] < 0) return -1;
    return startp_[index] + 1;
}

int TRegex::MatchLen(int index) const {
    if (index < 0 || index >= NSUBEXP || !hasInput_ || startp_[index] < 0 || endp_[index] < 0) return -1;
    return std::max(0, endp_[index] - startp_[index]);
}

// ---------------------------------------------------------------------------
// The matcher. It walks the nodes as a depth-first search over the same
// alternatives, in the same order, as a recursive walk would; every change of a
// group, a loop counter or the loop depth is recorded on the backtrack stack and
// undone when the search backs up past it.

inline void TRegex::Push(int32_t kind, int32_t a, int32_t b, int32_t c) {
    if (top_ == stack_.size()) GrowStack();
    stack_[top_++] = Frame{kind, a, b, c};
}

void TRegex::GrowStack() {
    if (stack_.size() >= kMaxFrames) Fail(reeBacktrackStackExceeded);
    stack_.resize(std::min(kMaxFrames, std::max<size_t>(1024, stack_.size() * 2)));
}

// A search that needed a very deep stack does not keep it.
void TRegex::ReleaseStack() {
    top_ = 0;
    if (stack_.size() > (size_t(1) << 16)) std::vector<Frame>().swap(stack_);
}

inline const unsigned char* TRegex::NextNode(const unsigned char* node) const {
    int32_t off = ReadInt(node + 1);
    if (off == 0) const_cast<TRegex*>(this)->Fail(1002);
    return node + off;
}

// How often the simple node matches in a row at p, up to max; width receives
// the characters per repetition (a back-reference repeats its group's text).
int TRegex::RegRepeat(const unsigned char* node, int max, const unsigned char* p, int& width) const {
    width = 1;
    const int64_t left = inEnd_ - p;
    const int limit = static_cast<int>(std::min<int64_t>(max, left));
    const unsigned char* o = node + kHeader;
    int n = 0;
    switch (*node) {
        case ANY: return limit;
        case EXACTLY: {
            const unsigned char c = o[0];
            while (n < limit && p[n] == c) ++n;
            return n;
        }
        case EXACTLYCI: {
            const unsigned char c = o[0], ic = invTable_[c];
            while (n < limit && (p[n] == c || p[n] == ic)) ++n;
            return n;
        }
        case ANYDIGIT:
            while (n < limit && p[n] >= '0' && p[n] <= '9') ++n;
            return n;
        case NOTDIGIT:
            while (n < limit && (p[n] < '0' || p[n] > '9')) ++n;
            return n;
        case ANYOFTINYSET:
            while (n < limit && (p[n] == o[0] || p[n] == o[1] || p[n] == o[2])) ++n;
            return n;
        case ANYBUTTINYSET:
            while (n < limit && p[n] != o[0] && p[n] != o[1] && p[n] != o[2]) ++n;
            return n;
        case ANYOFFULLSET:
            while (n < limit && InSet(o, p[n])) ++n;
            return n;
        case BSUBEXP:
        case BSUBEXPCI: {
            const int g = o[0];
            if (g < 1 || g > kMaxGroups) const_cast<TRegex*>(this)->Fail(1001);
            if (startp_[g] < 0 || endp_[g] < 0) return 0;
            const int len = endp_[g] - startp_[g];
            if (len <= 0) {  // copies of an empty text: any number, none consuming input
                width = 0;
                return max;
            }
            width = len;
            const unsigned char* text = in_ + startp_[g];
            const bool ci = *node == BSUBEXPCI;
            while (n < max && inEnd_ - p >= len) {
                int k = 0;
                if (ci) {
                    while (k < len && (p[k] == text[k] || p[k] == invTable_[text[k]])) ++k;
                } else {
                    while (k < len && p[k] == text[k]) ++k;
                }
                if (k < len) break;
                p += len;
                ++n;
            }
            return n;
        }
        default: const_cast<TRegex*>(this)->Fail(1000);
    }
}

// Characters per repetition of a simple node: a back-reference repeats its
// group's text (0 when that is empty).
int TRegex::RepeatWidth(const unsigned char* node) const {
    if (*node != BSUBEXP && *node != BSUBEXPCI) return 1;
    const int g = node[kHeader];
    if (g < 1 || g > kMaxGroups || startp_[g] < 0 || endp_[g] < 0) return 1;
    return std::max(0, endp_[g] - startp_[g]);
}

// Whether the simple node matches once more at p.
bool TRegex::MatchOnce(const unsigned char* node, const unsigned char* p) const {
    const unsigned char c = *p;
    const unsigned char* o = node + kHeader;
    switch (*node) {
        case ANY: return c != 0;
        case EXACTLY: return c != 0 && c == o[0];
        case EXACTLYCI: return c != 0 && (c == o[0] || c == invTable_[o[0]]);
        case ANYDIGIT: return c >= '0' && c <= '9';
        case NOTDIGIT: return c != 0 && (c < '0' || c > '9');
        case ANYOFTINYSET: return c != 0 && (c == o[0] || c == o[1] || c == o[2]);
        case ANYBUTTINYSET: return c != 0 && c != o[0] && c != o[1] && c != o[2];
        case ANYOFFULLSET: return c != 0 && InSet(o, c);
        case BSUBEXP:
        case BSUBEXPCI: {
            int width;
            return RegRepeat(node, 1, p, width) == 1;
        }
        default: const_cast<TRegex*>(this)->Fail(1000);
    }
}

// The steps below are forced inline: MatchAt runs them once per node and a
// call per node would cost the matcher its speed.

// A repetition node (STAR, PLUS, BRACES, greedy or lazy) read once.
struct TRegex::TRepeat {
    int32_t min, max;
    const unsigned char* opnd;
    const unsigned char* next;
    int la;  // look-ahead character of a following EXACTLY, -1 = none
    const uint8_t* follow;  // else the characters the rest can start with, nullptr = any
    bool Accepts(unsigned char c) const { return la >= 0 ? c == la : follow == nullptr || InSet(follow, c); }
};

[[gnu::always_inline]] inline TRegex::TRepeat TRegex::DecodeRepeat(const unsigned char* node) const {
    const unsigned char* const prog = program_.data();
    TRepeat r;
    switch (*node) {
        case STAR:
        case STARNG:
            r.min = 0, r.max = kStarInf, r.opnd = node + kHeader;
            break;
        case PLUS:
        case PLUSNG:
            r.min = 1, r.max = kStarInf, r.opnd = node + kHeader;
            break;
        default:
            r.min = ReadInt(node + kHeader), r.max = ReadInt(node + kHeader + 4), r.opnd = node + kHeader + 8;
            break;
    }
    r.next = NextNode(node);
    r.la = (*r.next == EXACTLY && r.next[kHeader] != 0) ? r.next[kHeader] : -1;
    const int32_t f = r.la < 0 ? followIndex_[static_cast<size_t>(node - prog)] : -1;
    r.follow = f >= 0 ? followSets_[static_cast<size_t>(f)].data() : nullptr;
    return r;
}

// Greedy: the largest n <= from (and >= min) whose end meets the look-ahead, -1 = none.
[[gnu::always_inline]] inline int TRegex::GreedyCount(const TRepeat& r, const unsigned char* s, int from, int width) {
    if (r.la < 0 && r.follow == nullptr) return from >= r.min ? from : -1;
    if (r.la >= 0 && width == 1) {
        if (from < r.min) return -1;
        const void* hit = memrchr(s + r.min, r.la, static_cast<size_t>(from - r.min + 1));
        steps_ -= (from - r.min) >> 4;
        return hit ? static_cast<int>(static_cast<const unsigned char*>(hit) - s) : -1;
    }
    for (int n = from; n >= r.min; --n) {
        if (r.Accepts(s[static_cast<int64_t>(n) * width])) return n;
        --steps_;
    }
    return -1;
}

// Lazy: the smallest n >= from that still repeats the node and meets the look-ahead, -1 = none.
[[gnu::always_inline]] inline int TRegex::LazyCount(const TRepeat& r, const unsigned char* s, int from, int width) {
    int n = from;
    if (r.la >= 0 && width == 1 && *r.opnd == ANY) {
        const int64_t room = std::min<int64_t>(r.max, inEnd_ - s);
        if (n > room) return -1;
        const void* hit = std::memchr(s + n, r.la, static_cast<size_t>(room - n + 1));
        if (!hit) return -1;
        int m = static_cast<int>(static_cast<const unsigned char*>(hit) - s);
        steps_ -= (m - n) >> 4;
        return m;
    }
    for (;;) {
        if (r.Accepts(s[static_cast<int64_t>(n) * width])) return n;
        if (n >= r.max || !MatchOnce(r.opnd, s + static_cast<int64_t>(n) * width)) return -1;
        ++n;
        --steps_;
    }
}

// One node of the program tried at p: on to the next node, failed, or the
// whole pattern matched from start.
[[gnu::always_inline]] inline TRegex::TNodeResult TRegex::MatchNode(const unsigned char*& scan, const unsigned char*& p, const unsigned char* start) {
    const unsigned char* const prog = program_.data();
    const unsigned char* const in = in_;
    const unsigned char op = *scan;
    switch (op) {
        case EEND:
            startp_[0] = static_cast<int32_t>(start - in);
            endp_[0] = static_cast<int32_t>(p - in);
            top_ = 0;
            return kNodeMatched;
        case BOL:
            if (p != in) return kNodeFailed;
            scan = NextNode(scan);
            return kNodeNext;
        case EOL:
            if (*p != 0) return kNodeFailed;
            scan = NextNode(scan);
            return kNodeNext;
        case BOLML:
            if (p != in) {
                const unsigned char prev = p[-1];
                bool ok;
                if (pairedAssigned_ && prev == pairedTail_ && p - 1 > in && p[-2] == pairedHead_)
                    ok = true;
                else if (pairedAssigned_ && prev == pairedHead_ && *p == pairedTail_)
                    ok = false;  // no line start between the two halves of a pair
                else
                    ok = InSet(lineSepSet_, prev);
                if (!ok) return kNodeFailed;
            }
            scan = NextNode(scan);
            return kNodeNext;
        case EOLML:
            if (*p != 0) {
                const unsigned char c = *p;
                bool ok;
                if (pairedAssigned_ && c == pairedHead_ && p[1] == pairedTail_)
                    ok = true;
                else if (pairedAssigned_ && c == pairedTail_ && p > in && p[-1] == pairedHead_)
                    ok = false;
                else
                    ok = InSet(lineSepSet_, c);
                if (!ok) return kNodeFailed;
            }
            scan = NextNode(scan);
            return kNodeNext;
        case ANY:
            if (*p == 0) return kNodeFailed;
            ++p;
            scan = NextNode(scan);
            return kNodeNext;
        case ANYML: {
            const unsigned char c = *p;
            if (c == 0 || (pairedAssigned_ && c == pairedHead_ && p[1] == pairedTail_) || InSet(lineSepSet_, c))
                return kNodeFailed;
            ++p;
            scan = NextNode(scan);
            return kNodeNext;
        }
        case BOUND:
        case NOTBOUND: {
            const bool before = p > in && InSet(wordSet_, p[-1]);
            const bool after = *p != 0 && InSet(wordSet_, *p);
            if ((before != after) != (op == BOUND)) return kNodeFailed;
            scan = NextNode(scan);
            return kNodeNext;
        }
        case EXACTLY: {
            const unsigned char* o = scan + kHeader;
            while (*o != 0) {
                if (*p != *o) return kNodeFailed;
                ++p, ++o;
            }
            scan = NextNode(scan);
            return kNodeNext;
        }
        case EXACTLYCI: {
            const unsigned char* o = scan + kHeader;
            while (*o != 0) {
                if (*p == 0 || (*p != *o && *p != invTable_[*o])) return kNodeFailed;
                ++p, ++o;
            }
            scan = NextNode(scan);
            return kNodeNext;
        }
        case ANYDIGIT:
        case NOTDIGIT:
        case ANYOFTINYSET:
        case ANYBUTTINYSET:
        case ANYOFFULLSET:
            if (!MatchOnce(scan, p)) return kNodeFailed;
            ++p;
            scan = NextNode(scan);
            return kNodeNext;
        case BSUBEXP:
        case BSUBEXPCI: {
            const int g = scan[kHeader];
            if (g < 1 || g > kMaxGroups) Fail(1001);
            if (startp_[g] < 0 || endp_[g] < 0) return kNodeFailed;
            const int len = std::max(0, endp_[g] - startp_[g]);
            if (len > 0) {
                int width;
                if (RegRepeat(scan, 1, p, width) != 1) return kNodeFailed;
                p += len;
                steps_ -= len >> 4;
            }
            scan = NextNode(scan);
            return kNodeNext;
        }
        case BRANCH: {
            const unsigned char* next = NextNode(scan);
            if (*next == BRANCH) Push(fBranch, static_cast<int32_t>(next - prog), static_cast<int32_t>(p - in), 0);
            scan += kHeader;
            return kNodeNext;
        }
        case BACK:
        case NOTHING:
        case COMMENT:
            scan = NextNode(scan);
            return kNodeNext;
        case STAR:
        case PLUS:
        case BRACES: {
            const TRepeat r = DecodeRepeat(scan);
            int width;
            const int count = RegRepeat(r.opnd, r.max, p, width);
            if (count < r.min) return kNodeFailed;
            if (width != 0) steps_ -= count >> 4;
            int n;
            if (width == 0) {  // an empty back-reference: every count ends at p
                if (!r.Accepts(*p)) return kNodeFailed;
                n = 0;
            } else {
                n = GreedyCount(r, p, count, width);
                if (n < 0) return kNodeFailed;
                if (n > r.min)
                    Push(fStarGreedy, static_cast<int32_t>(scan - prog), static_cast<int32_t>(p - in), n);
            }
            p += static_cast<int64_t>(n) * width;
            scan = r.next;
            return kNodeNext;
        }
        case STARNG:
        case PLUSNG:
        case BRACESNG: {
            const TRepeat r = DecodeRepeat(scan);
            const int width = RepeatWidth(r.opnd);
            if (r.min > 0) {
                int w;
                if (RegRepeat(r.opnd, r.min, p, w) < r.min) return kNodeFailed;
            }
            int n;
            if (width == 0) {
                if (!r.Accepts(*p)) return kNodeFailed;
                n = 0;
            } else {
                n = LazyCount(r, p, r.min, width);
                if (n < 0) return kNodeFailed;
                Push(fStarLazy, static_cast<int32_t>(scan - prog), static_cast<int32_t>(p - in), n);
            }
            p += static_cast<int64_t>(n) * width;
            scan = r.next;
            return kNodeNext;
        }
        case LOOPENTRY: {
            const int d = loopDepth_ + 1;
            if (d > LoopMax) Fail(1014);
            Push(fUndoLoop, loopDepth_, d, loopCount_[d]);
            loopDepth_ = d;
            loopCount_[d] = 0;
            scan = NextNode(scan);
            return kNodeNext;
        }
        case LOOP:
        case LOOPNG: {
            if (loopDepth_ <= 0) Fail(1015);
            const int32_t bmin = ReadInt(scan + kHeader), bmax = ReadInt(scan + kHeader + 4);
            const unsigned char* body = scan + ReadInt(scan + kHeader + 8);
            const int d = loopDepth_;
            const int32_t c = loopCount_[d];
            if (c < bmin) {
                Push(fUndoLoop, d, d, c);
                loopCount_[d] = c + 1;
                scan = body;
                return kNodeNext;
            }
            const int32_t at = static_cast<int32_t>(scan - prog);
            if (op == LOOP) {
                if (c < bmax) {
                    Push(fLoopExit, at, static_cast<int32_t>(p - in), 0);
                    Push(fUndoLoop, d, d, c);
                    loopCount_[d] = c + 1;
                    scan = body;
                } else {
                    Push(fUndoLoop, d, d, c);
                    loopDepth_ = d - 1;
                    scan = NextNode(scan);
                }
            } else {
                // Lazy: leave the loop first, one more turn of the body when that fails.
                Push(fLoopBody, at, static_cast<int32_t>(p - in), 0);
                Push(fUndoLoop, d, d, c);
                loopDepth_ = d - 1;
                scan = NextNode(scan);
            }
            return kNodeNext;
        }
        default:
            if (op > OPEN && op <= OPEN + kMaxGroups) {
                const int g = op - OPEN;
                Push(fUndoGroup, g, startp_[g], 0);
                startp_[g] = static_cast<int32_t>(p - in);
                scan = NextNode(scan);
                return kNodeNext;
            }
            if (op > CLOSE && op <= CLOSE + kMaxGroups) {
                const int g = op - CLOSE;
                Push(fUndoGroup, NSUBEXP + g, endp_[g], 0);
                endp_[g] = static_cast<int32_t>(p - in);
                scan = NextNode(scan);
                return kNodeNext;
            }
            Fail(1001);
    }
}

// Backs up to the latest choice point, undoing what was done since; false
// when no choice is left.
[[gnu::always_inline]] inline bool TRegex::Backtrack(const unsigned char*& scan, const unsigned char*& p) {
    const unsigned char* const prog = program_.data();
    const unsigned char* const in = in_;
    for (;;) {
        if (top_ == 0) return false;
        const Frame f = stack_[--top_];
        switch (f.kind) {
            case fUndoGroup:
                if (f.a < NSUBEXP)
                    startp_[f.a] = f.b;
                else
                    endp_[f.a - NSUBEXP] = f.b;
                continue;
            case fUndoLoop:
                loopDepth_ = f.a;
                loopCount_[f.b] = f.c;
                continue;
            case fBranch: {
                const unsigned char* b = prog + f.a;
                p = in + f.b;
                const unsigned char* next = NextNode(b);
                if (*next == BRANCH) Push(fBranch, static_cast<int32_t>(next - prog), f.b, 0);
                scan = b + kHeader;
                break;
            }
            case fStarGreedy: {
                const unsigned char* node = prog + f.a;
                const TRepeat r = DecodeRepeat(node);
                const unsigned char* s = in + f.b;
                const int width = RepeatWidth(r.opnd);
                const int n = GreedyCount(r, s, f.c - 1, width);
                if (n < 0) continue;
                if (n > r.min) Push(fStarGreedy, f.a, f.b, n);
                p = s + static_cast<int64_t>(n) * width;
                scan = r.next;
                break;
            }
            case fStarLazy: {
                const unsigned char* node = prog + f.a;
                const TRepeat r = DecodeRepeat(node);
                const unsigned char* s = in + f.b;
                const int width = RepeatWidth(r.opnd);
                if (f.c >= r.max || !MatchOnce(r.opnd, s + static_cast<int64_t>(f.c) * width)) continue;
                const int n = LazyCount(r, s, f.c + 1, width);
                if (n < 0) continue;
                Push(fStarLazy, f.a, f.b, n);
                p = s + static_cast<int64_t>(n) * width;
                scan = r.next;
                break;
            }
            case fLoopExit: {
                const unsigned char* node = prog + f.a;
                p = in + f.b;
                const int d = loopDepth_;
                Push(fUndoLoop, d, d, loopCount_[d]);
                loopDepth_ = d - 1;
                scan = NextNode(node);
                break;
            }
            case fLoopBody: {
                const unsigned char* node = prog + f.a;
                p = in + f.b;
                const int d = loopDepth_;
                const int32_t c = loopCount_[d];
                if (c >= ReadInt(node + kHeader + 4)) continue;
                Push(fUndoLoop, d, d, c);
                loopCount_[d] = c + 1;
                scan = node + ReadInt(node + kHeader + 8);
                break;
            }
            default: Fail(1001);
        }
        return true;
    }
}

// Tries the program at start: node after node, backing up to the latest
// choice point whenever a node fails, until the end node or no choice is left.
bool TRegex::MatchAt(const unsigned char* start) {
    const unsigned char* p = start;
    const unsigned char* scan = program_.data() + 1;
    top_ = 0;
    for (;;) {
        if (--steps_ < 0) Fail(reeStepLimitExceeded);
        switch (MatchNode(scan, p, start)) {
            case kNodeNext: break;
            case kNodeMatched: return true;
            case kNodeFailed:
                if (!Backtrack(scan, p)) return false;
                break;
        }
    }
}

AnsiString QuoteRegExprMetaChars(const AnsiString& Text) {
    AnsiString out;
    out.reserve(Text.size());
    for (char c : Text) {
        if (std::strchr("\\^$.|?*+()[]{}", c) && c != '\0') out += '\\';
        out += c;
    }
    return out;
}
