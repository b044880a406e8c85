// Classifying a 2 MiB clipboard that holds no game page (both forms the same
// junk: text, markup and bytes above 127), against PCRE2's interpreter running
// the same three classifier patterns with the same modifiers on the same
// texts, converted the same way (as they stand, from KOI8-R, from UTF-8).
#include <benchmark/benchmark.h>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdio>
#include <random>
#include <string>

#include "app/uClipboardImport.h"
#include "app/uSolarSystemImport.h"
#include "app/uVocabulary.h"
#include "bench/BenchSupport.h"
#include "platform/classes/IniFiles.h"

namespace {

const std::string& Junk() {
    static std::string junk = [] {
        std::mt19937 rng(7);
        const char* words[] = {"<td class=\"x\">", "Intel", "system", "clashed", "Metal: 12", " [1:2", "</tr>\r\n",
                               "\xD0\xA1\xD0\xB8", "\xF3\xC9", "lorem ipsum ", "1:234", "Solar ", "at "};
        std::string s;
        while (s.size() < (2u << 20)) {
            s += words[rng() % (sizeof words / sizeof *words)];
            s += static_cast<char>('a' + rng() % 26);
        }
        return s;
    }();
    return junk;
}

std::vector<AnsiString> Patterns() {
    return {SolarSystemHeaderPattern(), ESHeaderResources + " .* \\[\\d+:\\d+:\\d+\\]",
            BREachOtherOn + "|" + BREachOtherAt};
}

void BM_Classify(benchmark::State& state) {
    for (auto _ : state) {
        int kind = ClassifyClipboard(Junk(), Junk());
        if (kind != ckNone) state.SkipWithError("junk classified as a game page");
        benchmark::DoNotOptimize(kind);
    }
}

// The same work with PCRE2: each pattern on the HTML form in the three
// encodings, stopping at the first match, as the classifier does.
void BM_Pcre2Interpreter(benchmark::State& state) {
    std::vector<pcre2_code*> codes;
    for (const AnsiString& p : Patterns()) {
        int error;
        PCRE2_SIZE offset;
        codes.push_back(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(p.data()), p.size(),
                                      PCRE2_CASELESS | PCRE2_DOTALL, &error, &offset, nullptr));
    }
    pcre2_match_data* data = pcre2_match_data_create(16, nullptr);
    auto matches = [&](pcre2_code* code, const std::string& text) {
        return pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), 0, 0, data, nullptr) >= 0;
    };
    for (auto _ : state) {
        int kind = 0;
        for (pcre2_code* code : codes) {
            // HTML and text are the same junk: the text form is tried only after a match.
            bool any = matches(code, Junk()) || matches(code, ConvertByEncoding(Junk(), teKoi8)) ||
                       matches(code, ConvertByEncoding(Junk(), teUtf8));
            if (any) kind = 1;
        }
        benchmark::DoNotOptimize(kind);
    }
    pcre2_match_data_free(data);
    for (pcre2_code* c : codes) pcre2_code_free(c);
}

BENCHMARK(BM_Pcre2Interpreter)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Classify)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    TIniFile ini(AnsiString(TESK_SOURCE_DIR) + "/resources/lang/English.lng");
    ReadGameVocabulary(ini);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatio (time / reference time, a 2 MiB clipboard of junk):\n");
    reporter.PrintRatio("BM_Classify", "BM_Pcre2Interpreter", "goal: at most 2");
    benchmark::Shutdown();
    return 0;
}
