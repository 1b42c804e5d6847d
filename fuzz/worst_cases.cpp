// worst_cases: times the normalizer and the citation candidate pattern on
// hostile inputs, and searches for the normalizer inputs that cost the most.
//
//   worst_cases [--search SECONDS] [--cases DIR] [--text FILE...]
//
// Part 1 runs NormalizeCitation on constructed inputs (long runs of
// ambiguous words, 10 KB candidates, nested parentheses, many "//") and
// prints, for each, the parse's work, forest and stack counts (the units of
// glr::Limits), whether a limit stopped it, and the time per call.
// Part 2 (with --search) builds inputs from the words of the golden cases
// (--cases) and keeps mutating the most expensive one found, for the given
// time; it prints the worst inputs it met.
// Part 3 runs the candidate scanner over hostile texts (and any --text
// files) and prints microseconds per KB, and compares with the pattern as
// first written, run with plain regex_search, which is where the regular
// expression library's complexity limit can be reached.

#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <boost/regex.hpp>

#include "glr/parser.h"
#include "normalizer/normalize_citation.h"
#include "normalizer/parse_citation.h"
#include "platform/bstr.h"
#include "platform/codepage.h"
#include "recognizers/citation_recognizer.h"

using namespace Veltra::Penwork::Recognizer;

namespace {

typedef std::chrono::steady_clock Clock;

std::string Repeat(const std::string& piece, std::size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (std::size_t i = 0; i < times; ++i) out += piece;
    return out;
}

// Runs `body` until it has used at least `minSeconds` of processor time (and
// at least 3 times); returns processor microseconds per run. Processor time
// rather than wall time, so that other work on a busy machine does not count.
double MicrosPerRun(const std::function<void()>& body, double minSeconds = 0.05) {
    const std::clock_t start = std::clock();
    long runs = 0;
    double elapsed = 0;
    do {
        body();
        ++runs;
        elapsed = double(std::clock() - start) / CLOCKS_PER_SEC;
    } while (elapsed < minSeconds || runs < 3);
    return elapsed * 1e6 / double(runs);
}

struct ParseCost {
    bool ok = false;
    bool capped = false;
    glr::Parser::Stats stats{};
};

// The prepared text's parse, as NormalizeCitation would run it.
ParseCost Cost(glr::Parser& parser, const std::string& candidate) {
    std::string prepared;
    for (char c : candidate) {
        if (prepared.empty() && static_cast<signed char>(c) < '!') continue;
        prepared += (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
    }
    std::string normalized, category, error;
    ParseCost cost;
    cost.ok = ParseCitationWith(parser, prepared, normalized, category, error);
    cost.capped = parser.budget_exceeded();
    cost.stats = parser.stats();
    return cost;
}

void Normalizer(glr::Parser& parser) {
    struct Case {
        std::string name;
        std::string input;
    };
    std::vector<Case> cases;
    for (std::size_t n : {10, 100, 1000}) {
        cases.push_back({"'f. supp.' x" + std::to_string(n), "1 " + Repeat("f. supp. ", n) + "2"});
        cases.push_back({"'u. s.' x" + std::to_string(n), "410 " + Repeat("u. s. ", n) + "113"});
        cases.push_back({"'2d' x" + std::to_string(n), "1 f. " + Repeat("2d ", n) + "3"});
        cases.push_back({"'app. ct.' x" + std::to_string(n), "1 " + Repeat("app. ct. ", n) + "2"});
        cases.push_back({"'1 ' x" + std::to_string(n), Repeat("1 ", n) + "1"});
        cases.push_back({"'(' x" + std::to_string(n) + " ')'", "1 f. " + Repeat("(", n) + "2d" + Repeat(")", n) + " 3"});
        cases.push_back({"'(2d)' x" + std::to_string(n), "123 f. supp. " + Repeat("(2d) ", n) + "456"});
        cases.push_back({"'// ' x" + std::to_string(n), "410 u.s. " + Repeat("// ", n) + "113"});
        cases.push_back({"'//\\n' x" + std::to_string(n), "410 u.s. " + Repeat("//\n", n) + "113"});
        cases.push_back({"'sec. ' x" + std::to_string(n), "15 u.s.c. " + Repeat("sec. ", n) + "78"});
    }
    // 10 KB candidates.
    cases.push_back({"10KB digits", std::string(10240, '7')});
    cases.push_back({"10KB letters", std::string(10240, 'a')});
    cases.push_back({"10KB '1 u.s. 2 '", Repeat("1 u.s. 2 ", 10240 / 9)});
    cases.push_back({"10KB 'a '", "1 " + Repeat("a ", 5120) + "2"});
    cases.push_back({"10KB words", "1 " + Repeat("ab. cd ", 10240 / 7) + "2"});
    cases.push_back({"10KB '('", "1 " + std::string(10240, '(') + " 2"});
    cases.push_back({"10KB '//'", "1 u.s. " + Repeat("//", 5120) + "\n2"});
    // Up to the parser's input limit (1 MiB), and just past it.
    for (std::size_t kb : {100, 500, 1023}) {
        cases.push_back({std::to_string(kb) + "KB '('", "1 " + std::string(kb * 1024, '(') + " 2"});
        cases.push_back({std::to_string(kb) + "KB digits", std::string(kb * 1024, '7')});
        cases.push_back({std::to_string(kb) + "KB '1 u.s. 2 '", Repeat("1 u.s. 2 ", kb * 1024 / 9)});
    }
    cases.push_back({"1MB+1 digits", std::string((1u << 20) + 1, '1')});

    std::printf("%-26s %8s %5s %6s %9s %8s %8s %10s\n", "input", "bytes", "ok", "capped", "work", "forest", "stacks",
                "us/call");
    for (const Case& c : cases) {
        const ParseCost cost = Cost(parser, c.input);
        const double us = MicrosPerRun([&] {
            std::string citation = c.input, category;
            NormalizeCitation(citation, category);
        });
        std::printf("%-26s %8zu %5s %6s %9zu %8zu %8zu %10.1f\n", c.name.c_str(), c.input.size(),
                    cost.ok ? "true" : "false", cost.capped ? "yes" : "no", cost.stats.work,
                    cost.stats.forest_nodes, cost.stats.gss_nodes, us);
    }
}

std::vector<std::string> GoldenWords(const std::string& dir) {
    std::set<std::string> words;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        if (entry.path().extension() != ".tsv") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        for (std::string line; std::getline(in, line);) {
            const auto tab = line.find('\t');
            if (tab == std::string::npos || line[0] == '#') continue;
            std::istringstream candidate(line.substr(0, tab));
            for (std::string word; candidate >> word;) words.insert(word);
        }
    }
    for (const char* extra : {"(", ")", "//", ",", "-", "&", "2d", "1", "12"}) words.insert(extra);
    return std::vector<std::string>(words.begin(), words.end());
}

void Search(glr::Parser& parser, const std::string& casesDir, double seconds) {
    const std::vector<std::string> vocabulary = GoldenWords(casesDir);
    if (vocabulary.empty()) {
        std::printf("no words found under %s\n", casesDir.c_str());
        return;
    }
    std::mt19937 random(20261208);
    auto word = [&] { return vocabulary[random() % vocabulary.size()]; };
    auto join = [](const std::vector<std::string>& words) {
        std::string text;
        for (const auto& w : words) text += (text.empty() ? "" : " ") + w;
        return text;
    };

    struct Found {
        std::size_t work;
        std::string input;
    };
    std::vector<Found> worst;
    std::vector<std::string> best{"1", word(), "2"};
    std::size_t bestWork = 0;
    const auto stop = Clock::now() + std::chrono::duration<double>(seconds);
    long tried = 0;
    while (Clock::now() < stop) {
        std::vector<std::string> next = best;
        // Mutate: insert, replace, delete or duplicate a word; keep it short
        // enough to be a candidate the pattern could cut out (at most 40 words).
        const int how = int(random() % 4);
        const std::size_t at = random() % (next.size() + 1);
        if (how == 0 && next.size() < 40) next.insert(next.begin() + long(at), word());
        else if (how == 1 && at < next.size()) next[at] = word();
        else if (how == 2 && next.size() > 2 && at < next.size()) next.erase(next.begin() + long(at));
        else if (how == 3 && at < next.size() && next.size() < 40) next.insert(next.begin() + long(at), next[at]);
        if (random() % 50 == 0) next = {std::to_string(random() % 1000), word(), word(), std::to_string(random() % 1000)};
        const std::string input = join(next);
        const ParseCost cost = Cost(parser, input);
        ++tried;
        worst.push_back({cost.stats.work, input});
        if (worst.size() > 2000) {
            std::sort(worst.begin(), worst.end(), [](const Found& a, const Found& b) { return a.work > b.work; });
            worst.resize(20);
        }
        if (cost.stats.work >= bestWork) {
            bestWork = cost.stats.work;
            best = next;
        }
    }
    std::sort(worst.begin(), worst.end(), [](const Found& a, const Found& b) { return a.work > b.work; });
    std::set<std::string> shown;
    std::printf("\nsearch: %ld inputs in %.0f s; the most expensive:\n", tried, seconds);
    std::printf("%9s %8s %10s  %s\n", "work", "forest", "us/call", "input");
    for (const Found& f : worst) {
        if (shown.size() == 8) break;
        if (!shown.insert(f.input).second) continue;
        const ParseCost cost = Cost(parser, f.input);
        const double us = MicrosPerRun([&] {
            std::string citation = f.input, category;
            NormalizeCitation(citation, category);
        });
        std::printf("%9zu %8zu %10.1f  %s\n", cost.stats.work, cost.stats.forest_nodes, us, f.input.c_str());
    }
}

typedef std::basic_string<OLECHAR> Units;

Units Widen(const std::string& text) { return Units(text.begin(), text.end()); }

// The candidate pattern as first written, run as a plain search over the
// whole text.
const wchar_t kOriginalPattern[] = L"(\\d+[ab]{0,1})\\s+(([.a-zA-Z]{0,4}([0-9])*[.a-zA-Z]{1,4}\\s+){1,5}\\s*)(\\d+)";

void Pattern(const std::vector<std::string>& files) {
    struct Text {
        std::string name;
        Units units;
    };
    std::vector<Text> texts;
    const std::size_t kb64 = 64 * 1024;
    texts.push_back({"digits", Widen(std::string(kb64, '1'))});
    texts.push_back({"'1 ' runs", Widen(Repeat("1 ", kb64 / 2))});
    texts.push_back({"'1 a '", Widen(Repeat("1 a ", kb64 / 4))});
    texts.push_back({"'1 ab ab ab ab ab ab '", Widen(Repeat("1 ab ab ab ab ab ab ", kb64 / 20))});
    texts.push_back({"'12 a1a1 ' (six words)", Widen(Repeat("12 a1a1 a1a1 a1a1 a1a1 a1a1 a1a1 ", kb64 / 34))});
    texts.push_back({"'1 ....9999....' words", Widen(Repeat("1 ....9999.... ....9999.... ", kb64 / 28))});
    texts.push_back({"'1' + blanks", Widen("1" + std::string(kb64, ' '))});
    texts.push_back({"'1 a' + blanks", Widen(Repeat("1 a" + std::string(1000, ' '), kb64 / 1003))});
    texts.push_back({"'1 abcd1111abcd'+4000 blanks", Widen("1 " + Repeat("abcd1111abcd" + std::string(4000, ' '), 6) + "x")});
    texts.push_back({"citations", Widen(Repeat("See 410 U.S. 113, 346 F. Supp. 2d 628 (1973). ", kb64 / 46))});
    texts.push_back({"letters", Widen(std::string(kb64, 'a'))});
    for (const std::string& file : files) {
        std::ifstream in(file, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        texts.push_back({std::filesystem::path(file).filename().string(), smarttag::platform::Utf8ToWide(text)});
    }

    const boost::wregex original(kOriginalPattern, boost::regex_constants::perl | boost::regex_constants::icase);
    const auto recognizer = RecognizerCitationImpl::Ctor(_bstr_t(OLESTR("Citation")));
    std::printf("\n%-26s %8s %10s %12s %14s %14s\n", "text", "KB", "matches", "scan us/KB", "Recognize us/KB",
                "original us/KB");
    for (const Text& t : texts) {
        const double kb = double(t.units.size()) / 1024.0;
        std::size_t matches = 0;
        const double us = MicrosPerRun([&] {
            CitationCandidateScanner scanner(t.units.data(), t.units.size());
            std::size_t position, length;
            matches = 0;
            while (scanner.Next(position, length)) ++matches;
        }, 0.2);
        const _bstr_t text(SysAllocStringLen(t.units.data(), UINT(t.units.size())), false);
        const double whole = MicrosPerRun([&] {
            recognizer->Recognize(text, [](const _bstr_t&, int, int, TagPropertyMap&) {});
        }, 0.2);
        // The original pattern over the first 16 KB of the same text, one
        // search after another.
        std::string originalResult;
        const std::size_t prefix = std::min<std::size_t>(t.units.size(), 16 * 1024);
        const std::wstring wide(t.units.begin(), t.units.begin() + long(prefix));
        const double prefixKb = double(prefix) / 1024.0;
        std::size_t prefixMatches = 0;
        {
            CitationCandidateScanner scanner(t.units.data(), prefix);
            std::size_t position, length;
            while (scanner.Next(position, length)) ++prefixMatches;
        }
        const std::clock_t start = std::clock();
        try {
            std::size_t originalMatches = 0;
            for (boost::wsregex_iterator it(wide.begin(), wide.end(), original), end; it != end; ++it)
                ++originalMatches;
            const double seconds = double(std::clock() - start) / CLOCKS_PER_SEC;
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.1f%s", seconds * 1e6 / prefixKb,
                          originalMatches == prefixMatches ? "" : " (other matches!)");
            originalResult = buffer;
        } catch (const std::exception& e) {
            const double seconds = double(std::clock() - start) / CLOCKS_PER_SEC;
            originalResult = "threw after " + std::to_string(int(seconds * 1000)) + " ms: " + e.what();
        }
        std::printf("%-26s %8.1f %10zu %12.1f %14.1f %14s\n", t.name.c_str(), kb, matches, us / kb, whole / kb,
                    originalResult.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    double searchSeconds = 0;
    std::string casesDir = "tests/normalizer/cases";
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--search" && i + 1 < argc) searchSeconds = std::atof(argv[++i]);
        else if (arg == "--cases" && i + 1 < argc) casesDir = argv[++i];
        else if (arg == "--text") {
            while (i + 1 < argc && argv[i + 1][0] != '-') files.push_back(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: worst_cases [--search SECONDS] [--cases DIR] [--text FILE...]\n");
            return 2;
        }
    }
    glr::Parser parser(CitationGrammarTables());
    Normalizer(parser);
    if (searchSeconds > 0) Search(parser, casesDir, searchSeconds);
    Pattern(files);
    return 0;
}
