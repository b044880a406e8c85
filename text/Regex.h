#pragma once
// The program's regular-expression object: a compiler from the pattern dialect
// to a byte-coded node program, and a backtracking matcher over single-byte
// code-page text. Positions seen by callers are 1-based.
#include <array>
#include <cstdint>
#include <vector>

#include "platform/classes/Classes.h"
#include "platform/rtl/CodePage.h"
#include "platform/rtl/Exceptions.h"

class ERegex : public Exception {
public:
    ERegex(const AnsiString& message, int errorCode, int compilerErrorOffset)
        : Exception(message), ErrorCode(errorCode), CompilerErrorOffset(compilerErrorOffset) {}
    const char* ClassName() const override { return "ERegex"; }

    int ErrorCode;
    int CompilerErrorOffset;  // position in the pattern; 0 outside compilation
};

class TRegex : public TObject {
public:
    using TInvertCaseFunction = char (*)(char);

    // Node kinds of the compiled program.
    static constexpr unsigned char EEND = 0, BOL = 1, EOL = 2, ANY = 3, ANYOF = 4, ANYBUT = 5, BRANCH = 6,
                                   BACK = 7, EXACTLY = 8, NOTHING = 9, STAR = 10, PLUS = 11, ANYDIGIT = 12,
                                   NOTDIGIT = 13, BRACES = 18, COMMENT = 19, EXACTLYCI = 20, ANYOFCI = 21,
                                   ANYBUTCI = 22, LOOPENTRY = 23, LOOP = 24, ANYOFTINYSET = 25,
                                   ANYBUTTINYSET = 26, ANYOFFULLSET = 27, BSUBEXP = 28, BSUBEXPCI = 29,
                                   STARNG = 30, PLUSNG = 31, BRACESNG = 32, LOOPNG = 33, BOLML = 34, EOLML = 35,
                                   ANYML = 36, BOUND = 37, NOTBOUND = 38, OPEN = 39, CLOSE = 54;
    static constexpr unsigned char ProgramMark = 216;
    static constexpr int NSUBEXP = 15;   // group 0 (the whole match) .. 14
    static constexpr int LoopMax = 10;   // nesting of counted loops

    // Modifier bits; index n of Modifier() is bit 1 << (n - 1).
    static constexpr int MaskModI = 1, MaskModR = 2, MaskModS = 4, MaskModG = 8, MaskModM = 16, MaskModX = 32;

    // Error codes beyond the classic ones: the matcher's own bounds.
    static constexpr int reeBacktrackStackExceeded = 1016;
    static constexpr int reeStepLimitExceeded = 1017;

    TRegex();
    ~TRegex() override;
    const char* ClassName() const override { return "TRegex"; }

    // The default InvertCase: the upper-case partner when there is one, else the lower-case one.
    static char InvertCaseFunction(char c);

    AnsiString Expression() const;
    void SetExpression(const AnsiString& value);

    // Letters "iIrRsSgGmMxX", "-" switches to clearing; an unknown letter raises 1013.
    void SetModifierStr(const AnsiString& value);
    bool Modifier(int index) const;
    void SetModifier(int index, bool value);

    // Two different characters, or empty for none.
    void SetLinePairedSeparator(const AnsiString& value);

    const AnsiString& InputString() const { return input_; }
    void SetInputString(const AnsiString& value);

    int CompilerErrorOffset() const;

    bool Exec(const AnsiString& input);
    bool ExecPos(int offset = 1);
    bool ExecNext();

    AnsiString Match(int index) const;
    int MatchPos(int index) const;
    int MatchLen(int index) const;

    // Raises ERegex with the code's message (" (pos N)" appended below 1000).
    virtual void Error(int errorCode);
    virtual AnsiString ErrorMsg(int errorCode);

    // Read when a pattern is compiled (\w \W \s \S) and, for \b and \B, while matching.
    AnsiString WordChars;
    AnsiString SpaceChars;
    AnsiString LineSeparators;
    TInvertCaseFunction InvertCase;

protected:
    // The compiled program (empty before compilation), for inspection.
    const std::vector<unsigned char>& ProgramCode() const { return program_; }
    bool FirstCharSetHas(unsigned char c) const { return (firstCharSet_[c >> 3] >> (c & 7)) & 1; }

private:
    struct Frame {
        int32_t kind, a, b, c;
    };

    [[noreturn]] void Fail(int errorCode);

    // Compilation.
    void Compile();
    void DiscardProgram();
    int ParseReg(bool paren, int& flagp);
    int ParseBranch(int& flagp);
    int ParsePiece(int& flagp);
    int ParseAtom(int& flagp);
    int ParseLiteralRun(int& flagp);
    int ParseClass(int& flagp);
    void ParseBraces(int& bmin, int& bmax);
    bool QuantifierAt(const char* p) const;
    unsigned char UnQuoteChar();
    int EmitNode(unsigned char kind);
    void EmitByte(unsigned char b);
    void EmitInt(int32_t v);
    void InsertOperator(unsigned char kind, int opnd, int extra);
    void Tail(int p, int val);
    void OpTail(int p, int val);
    int EmitSet(const uint8_t* set, bool negated);
    void AddToSet(uint8_t* set, unsigned char c) const;
    void ComputeStartInfo(int parseFlags);
    void FillFirstCharSet();
    void ComputeFollowSets();

    // Matching.
    void CheckProgram();
    void PrepareTables();
    bool ExecPrim(int offset);
    const unsigned char* NextFirstChar(const unsigned char* p, const unsigned char* end) const;
    bool MatchAt(const unsigned char* start);
    // The steps of MatchAt: a repetition node read once, the count a greedy or
    // lazy repetition tries first (-1: none), one node tried at p, and backing
    // up to the latest choice point.
    struct TRepeat;
    enum TNodeResult { kNodeNext, kNodeFailed, kNodeMatched };
    TRepeat DecodeRepeat(const unsigned char* node) const;
    int GreedyCount(const TRepeat& r, const unsigned char* s, int from, int width);
    int LazyCount(const TRepeat& r, const unsigned char* s, int from, int width);
    TNodeResult MatchNode(const unsigned char*& scan, const unsigned char*& p, const unsigned char* start);
    bool Backtrack(const unsigned char*& scan, const unsigned char*& p);
    int RegRepeat(const unsigned char* node, int max, const unsigned char* p, int& width) const;
    int RepeatWidth(const unsigned char* node) const;
    bool MatchOnce(const unsigned char* node, const unsigned char* p) const;
    void Push(int32_t kind, int32_t a, int32_t b, int32_t c);
    void GrowStack();
    void ReleaseStack();
    void ClearMatches();

    static int32_t ReadInt(const unsigned char* p);
    const unsigned char* NextNode(const unsigned char* node) const;

    // Pattern and program.
    AnsiString expression_;
    bool hasExpression_ = false;
    bool compiled_ = false;
    std::vector<unsigned char> program_;
    int modifiers_ = 0;
    int compileModifiers_ = 0;
    int programModifiers_ = 0;
    int lastError_ = 0;

    // Compile state.
    const char* regparse_ = nullptr;
    const char* patternStart_ = nullptr;
    int regnpar_ = 0;

    // Start-position information.
    unsigned char regstart_ = 0;
    bool anchored_ = false;
    int mustHave_ = -1;  // offset of the must-have text in the program, -1 = none
    int mustHaveLen_ = 0;
    uint8_t firstCharSet_[32] = {};
    std::vector<int32_t> followIndex_;  // per program offset: index into followSets_, -1 = none
    std::vector<std::array<uint8_t, 32>> followSets_;
    int scanCount_ = 0;  // members of FirstCharSet, counted up to 3
    unsigned char scanChars_[2] = {};
    // FirstCharSet by low nibble: bit h of firstByLow_[0][l] is set when the
    // byte h * 16 + l is a member, of firstByLow_[1][l] when (h + 8) * 16 + l
    // is; a vector scan looks up sixteen bytes at a time in them.
    alignas(16) uint8_t firstByLow_[2][16] = {};

    // Line breaks.
    bool pairedAssigned_ = false;
    unsigned char pairedHead_ = 0, pairedTail_ = 0;
    uint8_t lineSepSet_[32] = {};

    // Case partners and word characters as tables.
    unsigned char invTable_[256] = {};
    TInvertCaseFunction invTableFn_ = nullptr;
    const CodePage* invTablePage_ = nullptr;
    uint8_t wordSet_[32] = {};
    AnsiString wordSetChars_;
    bool wordSetValid_ = false;

    // Input and the match.
    AnsiString input_;
    size_t inputLen_ = 0;
    bool hasInput_ = false;
    const unsigned char* in_ = nullptr;  // start of the input being searched
    const unsigned char* inEnd_ = nullptr;
    int32_t startp_[NSUBEXP];
    int32_t endp_[NSUBEXP];
    int32_t loopCount_[LoopMax + 1] = {};
    int loopDepth_ = 0;
    std::vector<Frame> stack_;  // the backtrack stack: stack_[0 .. top_)
    size_t top_ = 0;
    int64_t steps_ = 0;
};

// Text with every metacharacter of the pattern dialect escaped, so that it
// matches only itself when it becomes part of a pattern (a name from a page).
AnsiString QuoteRegExprMetaChars(const AnsiString& Text);
