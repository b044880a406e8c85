// Classifying 256 KiB and 2 MiB clipboards that hold no game page (both forms the same
// text): junk of text, markup and bytes above 127; prose that holds the spy
// header word a few hundred times; and the header word repeated without
// coordinates. The reference is PCRE2's interpreter running the same three
// classifier patterns with the same modifiers on the same texts, each form
// converted once per reading as ours is (as it stands, from KOI8-R, from
// UTF-8). The ratios of the medians are printed at the end.
#include <benchmark/benchmark.h>

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdio>
#include <map>
#include <utility>
#include <random>
#include <string>

#include "app/uClipboardImport.h"
#include "app/uSolarSystemImport.h"
#include "app/uVocabulary.h"
#include "bench/BenchSupport.h"
#include "platform/classes/IniFiles.h"

namespace {

constexpr size_t kSize = 2u << 20;

const std::string& Junk() {
    static std::string junk = [] {
        std::mt19937 rng(7);
        const char* words[] = {"<td class=\"x\">", "Intel", "system", "clashed", "Metal: 12", " [1:2", "</tr>\r\n",
                               "\xD0\xA1\xD0\xB8", "\xF3\xC9", "lorem ipsum ", "1:234", "Solar ", "at "};
        std::string s;
        while (s.size() < kSize) {
            s += words[rng() % (sizeof words / sizeof *words)];
            s += static_cast<char>('a' + rng() % 26);
        }
        return s;
    }();
    return junk;
}

// A forum thread: prose with the header word about every 5 KiB, and
// brackets that hold no coordinates.
const std::string& Prose() {
    static std::string prose = [] {
        std::mt19937 rng(11);
        const char* words[] = {"the ", "fleet ", "came ", "back ", "with ", "nothing ", "[sic] ", "and ", "we ",
                               "laughed, ", "again. ", "\r\n", "who ", "knew ", "1:2 ", "[1:2:x] "};
        std::string s;
        while (s.size() < kSize) {
            for (int i = 0; i < 800 && s.size() < kSize; ++i) s += words[rng() % (sizeof words / sizeof *words)];
            s += "I got Intel on you ";
        }
        return s;
    }();
    return prose;
}

// The header word over and over, never followed by coordinates.
const std::string& RepeatedHeaders() {
    static std::string repeated = [] {
        std::string s;
        while (s.size() < kSize) s += "Intel on Intel on [ ";
        return s;
    }();
    return repeated;
}

// Each text whole (2 MiB) or its first 256 KiB.
constexpr int64_t kSizes[] = {256 << 10, static_cast<int64_t>(kSize)};

const std::string& Text(int64_t Index, int64_t Size) {
    const std::string& whole = Index == 0 ? Junk() : Index == 1 ? Prose() : RepeatedHeaders();
    if (Size >= static_cast<int64_t>(whole.size())) return whole;
    static std::map<std::pair<int64_t, int64_t>, std::string> parts;
    auto it = parts.find({Index, Size});
    if (it == parts.end()) it = parts.emplace(std::make_pair(Index, Size), whole.substr(0, static_cast<size_t>(Size))).first;
    return it->second;
}
const char* const kTextNames[] = {"junk", "prose with header words", "repeated header words"};

std::vector<AnsiString> Patterns() {
    return {SolarSystemHeaderPattern(), ESHeaderResources + " .* \\[\\d+:\\d+:\\d+\\]",
            BREachOtherOn + "|" + BREachOtherAt};
}

void BM_Classify(benchmark::State& state) {
    const std::string& text = Text(state.range(0), state.range(1));
    state.SetLabel(kTextNames[state.range(0)]);
    for (auto _ : state) {
        int kind = ClassifyClipboard(text, text);
        if (kind != ckNone) state.SkipWithError("a text without a game page classified as one");
        benchmark::DoNotOptimize(kind);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

// The same work with PCRE2: each pattern on the HTML form in the three
// readings, stopping at the first match, as the classifier does; each reading
// converted once, on first use. A pattern that hits PCRE2's match limit counts
// as no match.
void BM_Pcre2Interpreter(benchmark::State& state) {
    const std::string& text = Text(state.range(0), state.range(1));
    state.SetLabel(kTextNames[state.range(0)]);
    std::vector<pcre2_code*> codes;
    for (const AnsiString& p : Patterns()) {
        int error;
        PCRE2_SIZE offset;
        codes.push_back(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(p.data()), p.size(),
                                      PCRE2_CASELESS | PCRE2_DOTALL, &error, &offset, nullptr));
    }
    pcre2_match_data* data = pcre2_match_data_create(16, nullptr);
    auto matches = [&](pcre2_code* code, const std::string& subject) {
        return pcre2_match(code, reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), 0, 0, data, nullptr) >=
               0;
    };
    for (auto _ : state) {
        int kind = 0;
        std::string koi8, utf8;
        bool koi8Made = false, utf8Made = false;
        for (pcre2_code* code : codes) {
            // HTML and text are the same: the text form is tried only after a match.
            bool any = matches(code, text);
            if (!any) {
                if (!koi8Made) koi8 = ConvertByEncoding(text, teKoi8), koi8Made = true;
                any = matches(code, koi8);
            }
            if (!any) {
                if (!utf8Made) utf8 = ConvertByEncoding(text, teUtf8), utf8Made = true;
                any = matches(code, utf8);
            }
            if (any) kind = 1;
        }
        benchmark::DoNotOptimize(kind);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    pcre2_match_data_free(data);
    for (pcre2_code* c : codes) pcre2_code_free(c);
}

BENCHMARK(BM_Pcre2Interpreter)->ArgsProduct({{0, 1, 2}, {kSizes[0], kSizes[1]}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Classify)->ArgsProduct({{0, 1, 2}, {kSizes[0], kSizes[1]}})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    TIniFile ini(AnsiString(TESK_SOURCE_DIR) + "/resources/lang/English.lng");
    ReadGameVocabulary(ini);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatios (time / reference time, medians; the second number is the clipboard's bytes):\n");
    for (int64_t size : kSizes)
        for (int i = 0; i < 3; ++i) {
            const std::string n = "/" + std::to_string(i) + "/" + std::to_string(size);
            reporter.PrintRatio("BM_Classify" + n, "BM_Pcre2Interpreter" + n, "goal: at most 2", 28);
        }
    std::printf("\nClassifier time per text (goal: well under 100 ms, linear in the length):\n");
    for (int i = 0; i < 3; ++i)
        for (int64_t size : kSizes) {
            auto it = reporter.times.find("BM_Classify/" + std::to_string(i) + "/" + std::to_string(size));
            if (it != reporter.times.end())
                std::printf("  %-26s %8lld bytes %8.2f ms\n", kTextNames[i], static_cast<long long>(size), it->second);
        }
    benchmark::Shutdown();
    return 0;
}
