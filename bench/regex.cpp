// The regular-expression engine against PCRE2's interpreter (no JIT) and
// std::regex on the same texts: five patterns of the importers and the
// clipboard classifier, and three classic ones. Each pattern is run the way its
// caller runs it (first match, every match, or line by line); the three
// engines must agree on the matches. At the end the time ratios are printed.
#define PCRE2_CODE_UNIT_WIDTH 8
#include <benchmark/benchmark.h>
#include <pcre2.h>
#include <pthread.h>

#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <regex>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "text/Regex.h"

namespace {

// ---------------------------------------------------------------------------
// Texts

const char* const kCyrillicNames[] = {"\xcd\xee\xe2\xe0\xff \xc7\xe5\xec\xeb\xff", "\xc1\xe0\xe7\xe0-2",
                                      "\xc3\xe8\xe3\xe0\xed\xf2", "\xd1\xe5\xe2\xe5\xf0"};
const char* const kLatinNames[] = {"Colony", "Homeworld", "New Hope", "Outpost-7", "Rigel Prime", "Tarsis"};
const char* const kWords[] = {"the",  "fleet", "of",     "planet", "system", "report", "metal", "crystal",
                              "and",  "was",   "seen",   "near",   "moon",   "empire", "with",  "a",
                              "ship", "river", "island", "went",   "down",   "to",     "town",  "said"};

std::string GalaxyPage(size_t size) {
    std::mt19937 rng(7);
    std::string s = "<html><body><table class=\"galaxy\">\r\n";
    for (int row = 0; s.size() < size; ++row) {
        const int pos = row % 15 + 1;
        std::string name = (rng() % 3 == 0) ? kCyrillicNames[rng() % 4] : kLatinNames[rng() % 6];
        s += "<tr>\r\n<th class=\"pos\"><a href=\"#\" onclick=\"debris(" + std::to_string(rng() % 9000) +
             ")\">" + std::to_string(pos) + "</a></th>\r\n";
        s += "<th><img src=\"planet" + std::to_string(rng() % 10) + ".gif\" width=\"30\" height=\"30\"></th>\r\n";
        s += "<th>  " + name + " (" + std::to_string(rng() % 60) + " min)</th>\r\n";
        s += "<th>" + std::string(rng() % 4 == 0 ? "<img src=\"moon.gif\">" : "") + "</th>\r\n<th></th>\r\n";
        s += "<th><a href=\"#\"><span class=\"" + std::string(rng() % 5 == 0 ? "inactive" : "normal") + "\">Player" +
             std::to_string(rng() % 500) + "</span></a></th>\r\n";
        s += "<th><a href=\"#\">ALLY" + std::to_string(rng() % 40) + "</a></th>\r\n</tr>\r\n";
    }
    // The header sits at the end, so the header search reads the whole page.
    return s + "</table><h1>Solar system 3:117</h1></body></html>\r\n";
}

std::vector<std::string> AllianceLines(size_t size) {
    std::mt19937 rng(11);
    std::vector<std::string> lines;
    size_t total = 0;
    for (int rank = 1; total < size; ++rank) {
        std::string line;
        if (rank % 50 == 1)
            line = " Place Alliance Members Points Average";
        else
            line = " " + std::to_string(rank) + " * " + (rng() % 2 ? "Some Name" : "Club") + " " +
                   std::to_string(rng() % 100) + " " + std::to_string(1 + rng() % 60) + " " +
                   std::to_string(rng() % 900000) + " " + std::to_string(rng() % 30000);
        total += line.size() + 2;
        lines.push_back(line);
    }
    return lines;
}

std::string SpyPage(size_t size) {
    std::mt19937 rng(13);
    std::string s = "Resources on Rigel Prime [3:117:8] at 12-05 10:11:12\r\n";
    while (s.size() < size) {
        s += kWords[rng() % 24];
        s += (rng() % 12 == 0) ? "\r\n" : " ";
        if (rng() % 400 == 0 && s.size() < size / 2)
            s += "[" + std::to_string(rng() % 9) + ":" + std::to_string(rng() % 499) + ":" + std::to_string(rng() % 15) +
                 "] ";
    }
    return s;
}

std::string EnglishText(size_t size) {
    std::mt19937 rng(17);
    static const char* const names[] = {"Tom", "Sawyer", "Huckleberry", "Finn"};
    std::string s;
    while (s.size() < size) {
        const unsigned r = rng() % 200;
        if (r == 0)
            s += "mail john.smith" + std::to_string(rng() % 99) + "@example.com";
        else if (r == 1)
            s += std::to_string(rng() % 256) + "." + std::to_string(rng() % 300) + "." + std::to_string(rng() % 256) + "." +
                 std::to_string(rng() % 256);
        else if (r < 6)
            s += names[rng() % 4];
        else
            s += kWords[rng() % 24];
        s += (rng() % 15 == 0) ? ".\r\n" : " ";
    }
    return s;
}

// ---------------------------------------------------------------------------
// Patterns

enum class Mode { First, All, Lines };

struct PatternCase {
    std::string name;
    Mode mode;
    std::string tesk, teskModifiers;
    bool cyrillicWords;
    std::string pcre;
    uint32_t pcreOptions;
    std::string reference;
    std::regex::flag_type referenceFlags;
    const std::string* text;
    const std::vector<std::string>* lines;
};

// Counts the matches and their total length, so the engines can be compared.
struct Tally {
    long matches = 0, length = 0;
    bool operator==(const Tally&) const = default;
};

class TeskEngine {
public:
    explicit TeskEngine(const PatternCase& s) {
        r_.SetModifierStr(s.teskModifiers);
        if (s.cyrillicWords)
            r_.WordChars += "\xc0\xc1\xc2\xc3\xc4\xc5\xa8\xc6\xc7\xc8\xc9\xca\xcb\xcc\xcd\xce\xcf\xd0\xd1\xd2\xd3\xd4\xd5"
                            "\xd6\xd7\xd8\xd9\xda\xdb\xdc\xdd\xde\xdf\xe0\xe1\xe2\xe3\xe4\xe5\xb8\xe6\xe7\xe8\xe9\xea"
                            "\xeb\xec\xed\xee\xef\xf0\xf1\xf2\xf3\xf4\xf5\xf6\xf7\xf8\xf9\xfa\xfb\xfc\xfd\xfe\xff";
        r_.SetExpression(s.tesk);
    }
    void Run(const std::string& text, bool all, Tally& t) {
        for (bool ok = r_.Exec(text); ok; ok = all && r_.ExecNext()) {
            ++t.matches;
            t.length += r_.MatchLen(0);
            if (!all) break;
        }
    }

private:
    TRegex r_;
};

class PcreEngine {
public:
    explicit PcreEngine(const PatternCase& s) {
        int error;
        PCRE2_SIZE offset;
        code_ = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(s.pcre.c_str()), s.pcre.size(), s.pcreOptions, &error, &offset,
                              nullptr);
        if (!code_) {
            std::fprintf(stderr, "pcre2 cannot compile %s\n", s.pcre.c_str());
            std::abort();
        }
        data_ = pcre2_match_data_create_from_pattern(code_, nullptr);
    }
    ~PcreEngine() {
        pcre2_match_data_free(data_);
        pcre2_code_free(code_);
    }
    void Run(const std::string& text, bool all, Tally& t) {
        PCRE2_SIZE start = 0;
        while (start <= text.size()) {
            int rc = pcre2_match(code_, reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), start, 0, data_, nullptr);
            if (rc < 0) break;
            const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data_);
            ++t.matches;
            t.length += static_cast<long>(ov[1] - ov[0]);
            if (!all) break;
            start = ov[1] + (ov[1] == ov[0] ? 1 : 0);
        }
    }

private:
    pcre2_code* code_;
    pcre2_match_data* data_;
};

class StdEngine {
public:
    explicit StdEngine(const PatternCase& s) : re_(s.reference, s.referenceFlags) {}
    void Run(const std::string& text, bool all, Tally& t) {
        auto from = text.begin();
        auto flags = std::regex_constants::match_default;
        std::smatch m;
        while (std::regex_search(from, text.end(), m, re_, flags)) {
            ++t.matches;
            t.length += static_cast<long>(m.length(0));
            if (!all) break;
            auto end = m[0].second;
            if (end == text.end()) break;
            from = m.length(0) == 0 ? end + 1 : end;
            flags = std::regex_constants::match_prev_avail;
        }
    }

private:
    std::regex re_;
};

template <typename Engine>
Tally RunCase(Engine& e, const PatternCase& s) {
    Tally t;
    if (s.mode == Mode::Lines) {
        for (const std::string& line : *s.lines) e.Run(line, false, t);
    } else {
        e.Run(*s.text, s.mode == Mode::All, t);
    }
    return t;
}

size_t CaseBytes(const PatternCase& s) {
    if (s.mode != Mode::Lines) return s.text->size();
    size_t n = 0;
    for (const std::string& line : *s.lines) n += line.size();
    return n;
}

template <typename Engine>
void Bench(benchmark::State& state, const PatternCase* s) {
    Engine e(*s);
    Tally t;
    for (auto _ : state) {
        t = RunCase(e, *s);
        benchmark::DoNotOptimize(t);
    }
    state.counters["matches"] = static_cast<double>(t.matches);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * CaseBytes(*s)));
}

// The table of ratios from the medians of the repetitions.
void PrintRatios(const RatioReporter& reporter, const std::vector<std::string>& names) {
    std::printf("\nMedians of the repetitions, in microseconds:\n");
    std::printf("%-14s %12s %12s %12s %14s %14s\n", "pattern", "tesk", "pcre2", "std::regex", "tesk/pcre2",
                "tesk/std");
    for (const std::string& n : names) {
        auto t = reporter.times.find(n + "/tesk"), p = reporter.times.find(n + "/pcre2"),
             s = reporter.times.find(n + "/std");
        if (t == reporter.times.end() || p == reporter.times.end() || s == reporter.times.end()) continue;
        std::printf("%-14s %12.0f %12.0f %12.0f %13.2fx %13.2fx%s\n", n.c_str(), t->second, p->second, s->second,
                    t->second / p->second, t->second / s->second, t->second <= p->second ? "" : "   (goal: at most 1.0)");
    }
}

struct Args {
    int argc;
    char** argv;
    int result;
};

void* RunAll(void* arg) {
    Args* args = static_cast<Args*>(arg);
    CodePage::SetActive(1251);
    static const std::string galaxy = GalaxyPage(512 << 10);
    static const std::string spy = SpyPage(256 << 10);
    static const std::string english = EnglishText(1 << 20);
    static const std::vector<std::string> alliance = AllianceLines(256 << 10);

    const auto ecma = std::regex::ECMAScript;
    const auto icase = std::regex::ECMAScript | std::regex::icase;
    const std::string cyrWord = "\\w\\xC0-\\xFF\\xA8\\xB8";
    const std::string ip = "(25[0-5]|2[0-4]\\d|1\\d\\d|[1-9]?\\d)";
    const std::string ipAll = ip + "\\." + ip + "\\." + ip + "\\." + ip;
    static const std::vector<PatternCase> cases = {
        {"header", Mode::First, "Solar system (\\d+):(\\d+)", "igs", false, "Solar system (\\d+):(\\d+)",
         PCRE2_CASELESS | PCRE2_DOTALL, "Solar system (\\d+):(\\d+)", icase, &galaxy, nullptr},
        {"cells", Mode::All, "<TH.*>(.*)</TH>\\s+", "ris-g", false, "<TH.*>(.*)</TH>\\s+",
         PCRE2_CASELESS | PCRE2_DOTALL | PCRE2_UNGREEDY, "<TH[\\s\\S]*?>([\\s\\S]*?)</TH>\\s+?", icase, &galaxy, nullptr},
        {"name-cell", Mode::All, ">\\s*([\\w\\s\\-]*\\w).*<", "-s", true,
         ">\\s*([" + cyrWord + "\\s\\-]*[" + cyrWord + "]).*<", 0, ">\\s*([" + cyrWord + "\\s\\-]*[" + cyrWord + "]).*<",
         ecma, &galaxy, nullptr},
        {"alliance", Mode::Lines, "(\\d+)\\s+.\\s+([\\w.\\s-]+)\\s+(\\d+)\\s+(\\d+)\\s+(\\d+)", "igs", false,
         "(\\d+)\\s+.\\s+([\\w.\\s-]+)\\s+(\\d+)\\s+(\\d+)\\s+(\\d+)", PCRE2_CASELESS | PCRE2_DOTALL,
         "(\\d+)\\s+[\\s\\S]\\s+([\\w.\\s-]+)\\s+(\\d+)\\s+(\\d+)\\s+(\\d+)", icase, nullptr, &alliance},
        {"spy-header", Mode::First, "Resources on .* \\[\\d+:\\d+:\\d+\\]", "igs", false,
         "Resources on .* \\[\\d+:\\d+:\\d+\\]", PCRE2_CASELESS | PCRE2_DOTALL,
         "Resources on [\\s\\S]* \\[\\d+:\\d+:\\d+\\]", icase, &spy, nullptr},
        {"email", Mode::All, "[\\w.+-]+@[\\w.-]+\\.[\\w.-]+", "", false, "[\\w.+-]+@[\\w.-]+\\.[\\w.-]+", 0,
         "[\\w.+-]+@[\\w.-]+\\.[\\w.-]+", ecma, &english, nullptr},
        {"ipv4", Mode::All, ipAll, "", false, ipAll, 0, ipAll, ecma, &english, nullptr},
        {"names", Mode::All, "Tom|Sawyer|Huckleberry|Finn", "", false, "Tom|Sawyer|Huckleberry|Finn", 0,
         "Tom|Sawyer|Huckleberry|Finn", ecma, &english, nullptr},
    };

    std::vector<std::string> names;
    for (const PatternCase& s : cases) {
        TeskEngine t(s);
        PcreEngine p(s);
        StdEngine r(s);
        const Tally a = RunCase(t, s), b = RunCase(p, s), c = RunCase(r, s);
        if (!(a == b) || !(a == c)) {
            std::fprintf(stderr, "%s: the engines disagree: tesk %ld/%ld, pcre2 %ld/%ld, std %ld/%ld\n", s.name.c_str(),
                         a.matches, a.length, b.matches, b.length, c.matches, c.length);
            args->result = 1;
        }
        names.push_back(s.name);
        benchmark::RegisterBenchmark((s.name + "/tesk").c_str(), Bench<TeskEngine>, &s)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((s.name + "/pcre2").c_str(), Bench<PcreEngine>, &s)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((s.name + "/std").c_str(), Bench<StdEngine>, &s)->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&args->argc, args->argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter, names);
    benchmark::Shutdown();
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    // std::regex recurses once per repeated character; give it room.
    Args args{argc, argv, 0};
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setstacksize(&attr, size_t(1) << 30);
    pthread_t thread;
    if (pthread_create(&thread, &attr, RunAll, &args) != 0) {
        RunAll(&args);
        return args.result;
    }
    pthread_join(thread, nullptr);
    return args.result;
}
