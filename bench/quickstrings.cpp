// Search and replace on a 1 MB game-like text, each against a reference in the
// same run; the ratios are printed at the end (below 1 means faster than the reference).
#include <benchmark/benchmark.h>

#include "bench/BenchSupport.h"

#include <cstring>
#include <map>
#include <random>
#include <string>

#include "platform/rtl/CodePage.h"
#include "text/uQuickStrings.h"

namespace {

AnsiString Cp(const char* utf8) { return FromUtf8Literal(utf8); }

// Spy and combat report lines with varying numbers and names, Cyrillic and Latin.
const AnsiString& GameText() {
    static const AnsiString text = [] {
        CodePage::SetActive(1251);
        const AnsiString names[] = {Cp("Альфа"), Cp("Бета Центавра"), Cp("Колония"), "Nova", Cp("Ёлкин"),
                                    "Homeworld"};
        const AnsiString ships[] = {Cp("Малый транспорт"), Cp("Большой транспорт"), Cp("Лёгкий истребитель"),
                                    Cp("Крейсер"), Cp("Линкор"), Cp("Шпионский зонд"), "Recycler"};
        std::mt19937 rng(7);
        AnsiString t;
        t.reserve(1 << 20);
        while (t.size() < (1u << 20) - 200) {
            const AnsiString& name = names[rng() % 6];
            t += Cp("Сырьё на ") + name + " [" + std::to_string(1 + rng() % 9) + ":" + std::to_string(rng() % 500) +
                 ":" + std::to_string(1 + rng() % 15) + Cp("] на 05-21 12:") + std::to_string(10 + rng() % 50) +
                 "\r\n";
            t += Cp("Металл: ") + std::to_string(rng() % 900000) + Cp("  Кристалл: ") +
                 std::to_string(rng() % 500000) + Cp("\r\nДейтерий: ") + std::to_string(rng() % 200000) +
                 Cp("  Энергия: ") + std::to_string(rng() % 9000) + "\r\n";
            t += Cp("Флоты\r\n");
            for (int i = 0; i < 3; ++i)
                t += ships[rng() % 7] + "\t" + std::to_string(rng() % 3000) + (i == 2 ? "\r\n" : "  ");
            t += Cp("Шанс на защиту от шпионажа: ") + std::to_string(rng() % 100) + "%\r\n\r\n";
        }
        t += Cp("ОБОРОНА ОТРАЖЕНА защита отражена");
        return t;
    }();
    return text;
}

// Found only at the very end, so every search scans the whole megabyte: one
// pattern of rare capitals, one of the text's most common small letters.
const AnsiString& Pattern(int which) {
    static const AnsiString p[] = {Cp("ОБОРОНА ОТРАЖЕНА"), Cp("защита отражена")};
    return p[which];
}
// The same words in the other case, for the case-insensitive searches.
const AnsiString& PatternOtherCase(int which) {
    static const AnsiString p[] = {Cp("оборона отражена"), Cp("ЗАЩИТА ОТРАЖЕНА")};
    return p[which];
}

int Len(const AnsiString& s) { return static_cast<int>(s.size()); }

void BM_FastPos(benchmark::State& state) {
    const AnsiString& t = GameText();
    const AnsiString& p = Pattern(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(FastPos(t, p, Len(t), Len(p), 1));
}
void BM_StdFind(benchmark::State& state) {
    const AnsiString& t = GameText();
    const AnsiString& p = Pattern(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(t.find(p));
}
void BM_Memmem(benchmark::State& state) {
    const AnsiString& t = GameText();
    const AnsiString& p = Pattern(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(memmem(t.data(), t.size(), p.data(), p.size()));
}
void BM_FastPosNoCase(benchmark::State& state) {
    const AnsiString& t = GameText();
    const AnsiString& p = PatternOtherCase(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(FastPosNoCase(t, p, Len(t), Len(p), 1));
}
void BM_LowerThenMemmem(benchmark::State& state) {
    const AnsiString& t = GameText();
    const AnsiString& p = PatternOtherCase(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const AnsiString lower = AnsiLowerCase(t);
        const AnsiString pattern = AnsiLowerCase(p);
        benchmark::DoNotOptimize(memmem(lower.data(), lower.size(), pattern.data(), pattern.size()));
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

BENCHMARK(BM_FastPos)->Arg(0)->Arg(1);
BENCHMARK(BM_StdFind)->Arg(0)->Arg(1);
BENCHMARK(BM_Memmem)->Arg(0)->Arg(1);
BENCHMARK(BM_FastPosNoCase)->Arg(0)->Arg(1);
BENCHMARK(BM_LowerThenMemmem)->Arg(0)->Arg(1);
BENCHMARK(BM_FastReplace);
BENCHMARK(BM_NaiveReplace);
BENCHMARK(BM_FastReplaceNoCase);
BENCHMARK(BM_NaiveReplaceNoCase);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    GameText();
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    auto ratio = [&](const std::string& a, const std::string& b, const char* goal) {
        reporter.PrintRatio(a, b, goal, 24);
    };
    std::printf("\nRatios (time / reference time, %zu bytes of text):\n", GameText().size());
    for (const char* arg : {"/0", "/1"}) {
        auto name = [&](const char* base) { return std::string(base) + arg; };
        ratio(name("BM_FastPos").c_str(), name("BM_Memmem").c_str(), "goal: at most 1.5");
        ratio(name("BM_FastPos").c_str(), name("BM_StdFind").c_str(), "for comparison");
        ratio(name("BM_FastPosNoCase").c_str(), name("BM_LowerThenMemmem").c_str(), "goal: at most 0.33");
    }
    ratio("BM_FastReplace", "BM_NaiveReplace", "for comparison");
    ratio("BM_FastReplaceNoCase", "BM_NaiveReplaceNoCase", "for comparison");
    benchmark::Shutdown();
    return 0;
}
