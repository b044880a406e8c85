// Search on game-like texts from 64 bytes to 16 MB and replacement on 1 MB,
// each against references in the same run; the ratios are printed at the end
// (below 1 means faster than the reference).
#include <benchmark/benchmark.h>

#include "bench/BenchSupport.h"

#include <cstring>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/rtl/CodePage.h"
#include "text/uQuickStrings.h"

namespace {

AnsiString Cp(const char* utf8) { return FromUtf8Literal(utf8); }

// Spy and combat report lines with varying numbers and names, Cyrillic and
// Latin, Size bytes in all; the words searched for stand only at the very end,
// so every search scans the whole text.
AnsiString MakeGameText(size_t Size) {
    CodePage::SetActive(1251);
    const AnsiString names[] = {Cp("Альфа"), Cp("Бета Центавра"), Cp("Колония"), "Nova", Cp("Ёлкин"), "Homeworld"};
    const AnsiString ships[] = {Cp("Малый транспорт"), Cp("Большой транспорт"), Cp("Лёгкий истребитель"),
                                Cp("Крейсер"), Cp("Линкор"), Cp("Шпионский зонд"), "Recycler"};
    const AnsiString tail = Cp("ОБОРОНА ОТРАЖЕНА защита отражена Лёгкий лазер");
    std::mt19937 rng(7);
    AnsiString t;
    t.reserve(Size + 400);
    while (t.size() + tail.size() < Size) {
        const AnsiString& name = names[rng() % 6];
        t += Cp("Сырьё на ") + name + " [" + std::to_string(1 + rng() % 9) + ":" + std::to_string(rng() % 500) +
             ":" + std::to_string(1 + rng() % 15) + Cp("] на 05-21 12:") + std::to_string(10 + rng() % 50) + "\r\n";
        t += Cp("Металл: ") + std::to_string(rng() % 900000) + Cp("  Кристалл: ") + std::to_string(rng() % 500000) +
             Cp("\r\nДейтерий: ") + std::to_string(rng() % 200000) + Cp("  Энергия: ") +
             std::to_string(rng() % 9000) + "\r\n";
        t += Cp("Флоты\r\n");
        for (int i = 0; i < 3; ++i) t += ships[rng() % 7] + "\t" + std::to_string(rng() % 3000) + (i == 2 ? "\r\n" : "  ");
        t += Cp("Шанс на защиту от шпионажа: ") + std::to_string(rng() % 100) + "%\r\n\r\n";
    }
    t.resize(Size > tail.size() ? Size - tail.size() : 0);
    return t + tail;
}

// Haystacks from 64 bytes (a line) over a spy report's few kilobytes to 16 MB.
constexpr int64_t kSizes[] = {64, 2048, 64 << 10, 1 << 20, 16 << 20};

const AnsiString& GameText(int64_t Size = 1 << 20) {
    static std::map<int64_t, AnsiString> texts;
    auto it = texts.find(Size);
    if (it == texts.end()) it = texts.emplace(Size, MakeGameText(static_cast<size_t>(Size))).first;
    return it->second;
}
// The same text in lower case, for the references of the case-insensitive search.
const AnsiString& LowerGameText(int64_t Size) {
    static std::map<int64_t, AnsiString> texts;
    auto it = texts.find(Size);
    if (it == texts.end()) it = texts.emplace(Size, AnsiLowerCase(GameText(Size))).first;
    return it->second;
}

// Rare capitals, the text's most common small letters, and a word of a spy report.
const AnsiString& Pattern(int which) {
    static const AnsiString p[] = {Cp("ОБОРОНА ОТРАЖЕНА"), Cp("защита отражена"), Cp("Лёгкий лазер")};
    return p[which];
}
// The same words in another case, for the case-insensitive searches.
const AnsiString& PatternOtherCase(int which) {
    static const AnsiString p[] = {Cp("оборона отражена"), Cp("ЗАЩИТА ОТРАЖЕНА"), Cp("лЁГКИЙ ЛАЗЕР")};
    return p[which];
}
constexpr int kPatterns = 3;

int Len(const AnsiString& s) { return static_cast<int>(s.size()); }

void BM_FastPos(benchmark::State& state) {
    const AnsiString& t = GameText(state.range(0));
    const AnsiString& p = Pattern(static_cast<int>(state.range(1)));
    for (auto _ : state) benchmark::DoNotOptimize(FastPos(t, p, Len(t), Len(p), 1));
}
void BM_StdFind(benchmark::State& state) {
    const std::string_view t = GameText(state.range(0));
    const std::string_view p = Pattern(static_cast<int>(state.range(1)));
    for (auto _ : state) benchmark::DoNotOptimize(t.find(p));
}
void BM_Memmem(benchmark::State& state) {
    const AnsiString& t = GameText(state.range(0));
    const AnsiString& p = Pattern(static_cast<int>(state.range(1)));
    for (auto _ : state) benchmark::DoNotOptimize(memmem(t.data(), t.size(), p.data(), p.size()));
}
void BM_FastPosNoCase(benchmark::State& state) {
    const AnsiString& t = GameText(state.range(0));
    const AnsiString& p = PatternOtherCase(static_cast<int>(state.range(1)));
    for (auto _ : state) benchmark::DoNotOptimize(FastPosNoCase(t, p, Len(t), Len(p), 1));
}
// The references of the case-insensitive search run on the text and word already in lower case.
void BM_LowerStdFind(benchmark::State& state) {
    const std::string_view t = LowerGameText(state.range(0));
    const AnsiString p = AnsiLowerCase(Pattern(static_cast<int>(state.range(1))));
    for (auto _ : state) benchmark::DoNotOptimize(t.find(p));
}
void BM_LowerMemmem(benchmark::State& state) {
    const AnsiString& t = LowerGameText(state.range(0));
    const AnsiString p = AnsiLowerCase(Pattern(static_cast<int>(state.range(1))));
    for (auto _ : state) benchmark::DoNotOptimize(memmem(t.data(), t.size(), p.data(), p.size()));
}

// One to eight words searched by turns, as an importer looks for one word
// after another: nothing prepared for one word serves the next call. The
// first three stand at the text's end, two early in it, three nowhere.
const std::vector<AnsiString>& TurnWords() {
    static const std::vector<AnsiString> words = {
        Pattern(0),           Pattern(1),           Pattern(2),
        Cp("Шанс на защиту"), Cp("Дейтерий:"),       Cp("Ракетная установка"),
        Cp("Солнечный спутник"), Cp("Тяжёлый истребитель")};
    return words;
}
constexpr int64_t kMaxTurnWords = 8;

// Each letter in the other case, as a user or a language file may write it.
AnsiString OtherCase(const AnsiString& s) {
    AnsiString out = s;
    for (char& c : out) c = CharUpper(c) != c ? CharUpper(c) : CharLower(c);
    return out;
}

// The first Count words of TurnWords, each as Form writes it.
std::vector<AnsiString> TurnWordsAs(int64_t Count, AnsiString (*Form)(const AnsiString&)) {
    std::vector<AnsiString> words;
    for (int64_t k = 0; k < Count; ++k) words.push_back(Form(TurnWords()[static_cast<size_t>(k)]));
    return words;
}

void BM_FastPosNoCaseTurns(benchmark::State& state) {
    const AnsiString& t = GameText(state.range(0));
    const std::vector<AnsiString> words = TurnWordsAs(state.range(1), OtherCase);
    const size_t count = words.size();
    size_t turn = 0;
    for (auto _ : state) {
        const AnsiString& w = words[turn];
        benchmark::DoNotOptimize(FastPosNoCase(t, w, Len(t), Len(w), 1));
        if (++turn == count) turn = 0;
    }
}
void BM_LowerStdFindTurns(benchmark::State& state) {
    const std::string_view t = LowerGameText(state.range(0));
    const std::vector<AnsiString> words = TurnWordsAs(state.range(1), AnsiLowerCase);
    const size_t count = words.size();
    size_t turn = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(t.find(words[turn]));
        if (++turn == count) turn = 0;
    }
}
void BM_LowerMemmemTurns(benchmark::State& state) {
    const AnsiString& t = LowerGameText(state.range(0));
    const std::vector<AnsiString> words = TurnWordsAs(state.range(1), AnsiLowerCase);
    const size_t count = words.size();
    size_t turn = 0;
    for (auto _ : state) {
        const AnsiString& w = words[turn];
        benchmark::DoNotOptimize(memmem(t.data(), t.size(), w.data(), w.size()));
        if (++turn == count) turn = 0;
    }
}

// Each search and its references run one after the other for every size and
// word, so that a machine slowing down in the middle of a run shifts both
// sides of a ratio alike.
void RegisterSearches() {
    using TSearch = void (*)(benchmark::State&);
    const std::pair<const char*, TSearch> searches[] = {
        {"BM_FastPos", BM_FastPos},         {"BM_StdFind", BM_StdFind},           {"BM_Memmem", BM_Memmem},
        {"BM_FastPosNoCase", BM_FastPosNoCase}, {"BM_LowerStdFind", BM_LowerStdFind}, {"BM_LowerMemmem", BM_LowerMemmem}};
    const std::pair<const char*, TSearch> turns[] = {{"BM_FastPosNoCaseTurns", BM_FastPosNoCaseTurns},
                                                     {"BM_LowerStdFindTurns", BM_LowerStdFindTurns},
                                                     {"BM_LowerMemmemTurns", BM_LowerMemmemTurns}};
    for (int64_t size : kSizes) {
        for (int p = 0; p < kPatterns; ++p)
            for (const auto& [name, fn] : searches) benchmark::RegisterBenchmark(name, fn)->Args({size, p})->MinTime(0.1);
        for (int64_t k = 1; k <= kMaxTurnWords; ++k)
            for (const auto& [name, fn] : turns) benchmark::RegisterBenchmark(name, fn)->Args({size, k})->MinTime(0.1);
    }
}

// Cleaning a copied page: line breaks to blanks, then double blanks to one.
AnsiString NaiveReplace(const AnsiString& s, const AnsiString& find, const AnsiString& repl) {
    AnsiString out;
    size_t from = 0;
    for (size_t at; (at = s.find(find, from)) != AnsiString::npos; from = at + find.size()) {
        out.append(s, from, at - from);
        out += repl;
    }
    out.append(s, from, AnsiString::npos);
    return out;
}
AnsiString NaiveReplaceNoCase(const AnsiString& s, const AnsiString& find, const AnsiString& repl) {
    const AnsiString upper = AnsiUpperCase(s);
    const AnsiString f = AnsiUpperCase(find);
    AnsiString out;
    size_t from = 0;
    for (size_t at; (at = upper.find(f, from)) != AnsiString::npos; from = at + f.size()) {
        out.append(s, from, at - from);
        out += repl;
    }
    out.append(s, from, AnsiString::npos);
    return out;
}

void BM_FastReplace(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(FastReplace(FastReplace(GameText(), "\r\n", " ", true), "  ", " ", true));
}
void BM_NaiveReplace(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(NaiveReplace(NaiveReplace(GameText(), "\r\n", " "), "  ", " "));
}
void BM_FastReplaceNoCase(benchmark::State& state) {
    const AnsiString find = Cp("металл:");
    for (auto _ : state) benchmark::DoNotOptimize(FastReplace(GameText(), find, "Metal:", false));
}
void BM_NaiveReplaceNoCase(benchmark::State& state) {
    const AnsiString find = Cp("металл:");
    for (auto _ : state) benchmark::DoNotOptimize(NaiveReplaceNoCase(GameText(), find, "Metal:"));
}

BENCHMARK(BM_FastReplace);
BENCHMARK(BM_NaiveReplace);
BENCHMARK(BM_FastReplaceNoCase);
BENCHMARK(BM_NaiveReplaceNoCase);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    for (int64_t size : kSizes) LowerGameText(size);
    RegisterSearches();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    // Against the faster of the two references of each size and word.
    auto vsFaster = [&](const std::string& ours, const std::string& ref1, const std::string& ref2, double goal) {
        auto a = reporter.times.find(ours), b = reporter.times.find(ref1), c = reporter.times.find(ref2);
        if (a == reporter.times.end() || b == reporter.times.end() || c == reporter.times.end()) return;
        const bool first = b->second <= c->second;
        const double ratio = a->second / (first ? b->second : c->second);
        std::printf("%-34s / %-34s = %5.2f   (goal: at most %.1f%s)\n", ours.c_str(),
                    (first ? ref1 : ref2).c_str(), ratio, goal, ratio <= goal ? "" : ", MISSED");
    };
    std::printf("\nRatios (time / the faster reference's time; medians of the repetitions):\n");
    for (int64_t size : kSizes)
        for (int p = 0; p < kPatterns; ++p) {
            const std::string arg = "/" + std::to_string(size) + "/" + std::to_string(p);
            vsFaster("BM_FastPos" + arg, "BM_Memmem" + arg, "BM_StdFind" + arg, 1.2);
            vsFaster("BM_FastPosNoCase" + arg, "BM_LowerMemmem" + arg, "BM_LowerStdFind" + arg, 1.5);
        }
    for (int64_t size : kSizes)
        for (int64_t k = 1; k <= kMaxTurnWords; ++k) {
            const std::string arg = "/" + std::to_string(size) + "/" + std::to_string(k);
            vsFaster("BM_FastPosNoCaseTurns" + arg, "BM_LowerMemmemTurns" + arg, "BM_LowerStdFindTurns" + arg, 1.5);
        }
    reporter.PrintRatio("BM_FastReplace", "BM_NaiveReplace", "for comparison", 30);
    reporter.PrintRatio("BM_FastReplaceNoCase", "BM_NaiveReplaceNoCase", "for comparison", 30);
    benchmark::Shutdown();
    return 0;
}
