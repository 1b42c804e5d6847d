// Speed of the citation normalizer's entry point and of the catalogue lookups
// the citation recognizer makes for every candidate. Each benchmark reports
// items per second and the heap allocations per call ("allocs/call"); the
// size of the citation grammar's parse tables is printed in the context
// header.
//
// BM_Corpus* run on the candidates a real corpus produces (see FromCorpus),
// also as a fixed number of passes with SMARTTAG_BENCH_PASSES (see main).
//
// The case-citation and other-family mixes run twice: through
// NormalizeCitation as the recognizer calls it (a parser made for every
// parse), and with one parser kept for all parses, which shows what making
// and freeing the parser costs.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <fstream>
#include <new>
#include <string>
#include <vector>

#include "glr/parser.h"
#include "glr/tables.h"
#include "normalizer/normalize_citation.h"
#include "normalizer/parse_citation.h"
#include "normalizer/reporter_catalogue.h"

namespace {

std::atomic<long> g_allocations{0};

}  // namespace

// Counting replacements of the global allocation functions. GCC cannot see
// that the replaced new and delete pair up and warns when both are inlined.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(std::size_t size) {
    g_allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace Veltra::Penwork::Recognizer;

// Candidates as the citation recognizer hands them over: case citations of
// typical length, statute and regulation forms, document identifiers and
// candidates that are no citation at all.
const std::vector<std::string>& Candidates() {
    static const std::vector<std::string> candidates = {
        "410 U.S. 113",
        "123 F. Supp. 2d 456",
        "  347 U.S. 483",
        "5 F.3d 1234",
        "93 S. Ct. 705",
        "35 L. Ed. 2d 147",
        "42 U.S.C. sec. 1983",
        "17 C.F.R. 240.10b-5",
        "2004 UT 45",
        "FRAP 4",
        "akcase 410 U.S. 113",
        "dk 12345",
        "12 and the 45",
    };
    return candidates;
}

// Case citations of every kind the recognizer tags: regional, federal, state,
// nominative and universal reporters, with pin pages and parenthesised courts.
const std::vector<std::string>& CaseCitations() {
    static const std::vector<std::string> candidates = {
        "410 U.S. 113",
        "123 F. Supp. 2d 456",
        "5 F.3d 1234",
        "93 S. Ct. 705",
        "35 L. Ed. 2d 147",
        "12 A.2d 345",
        "234 N.E.2d 567",
        "45 So. 2d 678",
        "789 P.2d 12",
        "321 S.W.3d 654",
        "98 N.W.2d 76",
        "150 Cal. App. 4th 1",
        "25 N.Y.2d 100",
        "77 Ill. 2d 88, 90",
        "5 Wend. 10",
        "3 Johns. Ch. 1",
        "2009-Ohio-1234",
        "2004 UT 45",
        "95-123 (La. 1/2/1996)",
        "123 B.R. 456",
    };
    return candidates;
}

// The other families: statutes, regulations, securities, EU, UK, patents and
// congressional material.
const std::vector<std::string>& OtherFamilies() {
    static const std::vector<std::string> candidates = {
        "42 U.S.C. \xa7 1983",
        "17 C.F.R. 240.10b-5",
        "pub. l. no. 107-204",
        "1 Stat. 2",
        "sr-nyse-04-012",
        "release no. 34-12345",
        "case c-123/04",
        "directive 85/374/eec",
        "us patent 5,123,456",
        "application 10/123,456",
        "H.R. 1234, 108 Cong",
    };
    return candidates;
}

glr::Parser& KeptParser() {
    static glr::Parser parser(CitationGrammarTables());
    return parser;
}

bool ParseWithKeptParser(const std::string& input, std::string& normalized, std::string& category,
                         std::string& error) {
    return ParseCitationWith(KeptParser(), input, normalized, category, error);
}

void RunMix(benchmark::State& state, const std::vector<std::string>& candidates, ParseFunction parse) {
    std::string citation;
    std::string category;
    std::size_t i = 0;
    long calls = 0;
    long accepted = 0;
    const long before = g_allocations.load();
    for (auto _ : state) {
        citation = candidates[i];
        category.clear();
        const bool ok = NormalizeCitationWith(citation, category, parse);
        benchmark::DoNotOptimize(citation.data());
        accepted += ok;
        if (++i == candidates.size()) i = 0;
        ++calls;
    }
    if (accepted != calls) state.SkipWithError("a candidate of the mix was not accepted");
    state.SetItemsProcessed(calls);
    state.counters["allocs/call"] = double(g_allocations.load() - before) / double(calls ? calls : 1);
}

void BM_NormalizeCitation(benchmark::State& state) {
    const std::vector<std::string>& candidates = Candidates();
    std::string citation;
    std::string category;
    std::size_t i = 0;
    long calls = 0;
    const long before = g_allocations.load();
    for (auto _ : state) {
        citation = candidates[i];
        category.clear();
        benchmark::DoNotOptimize(NormalizeCitation(citation, category));
        benchmark::DoNotOptimize(citation.data());
        if (++i == candidates.size()) i = 0;
        ++calls;
    }
    state.SetItemsProcessed(calls);
    state.counters["allocs/call"] = double(g_allocations.load() - before) / double(calls ? calls : 1);
}
BENCHMARK(BM_NormalizeCitation);

void BM_CaseCitations(benchmark::State& state) { RunMix(state, CaseCitations(), &ParseCitation); }
BENCHMARK(BM_CaseCitations);

void BM_CaseCitationsKeptParser(benchmark::State& state) { RunMix(state, CaseCitations(), &ParseWithKeptParser); }
BENCHMARK(BM_CaseCitationsKeptParser);

void BM_OtherFamilies(benchmark::State& state) { RunMix(state, OtherFamilies(), &ParseCitation); }
BENCHMARK(BM_OtherFamilies);

void BM_OtherFamiliesKeptParser(benchmark::State& state) {
    RunMix(state, OtherFamilies(), &ParseWithKeptParser);
}
BENCHMARK(BM_OtherFamiliesKeptParser);

// The candidates a corpus produces, as written by corpus_bench --candidates,
// from the file named by SMARTTAG_BENCH_CANDIDATES: those the recognizer would
// tag (accepted, in a tagged category) and all the others (other families,
// refused candidates, prose that only looked like a citation).
struct CorpusCandidates {
    std::vector<std::string> cases, others;
};

const CorpusCandidates& FromCorpus() {
    static const CorpusCandidates loaded = [] {
        CorpusCandidates set;
        const char* path = std::getenv("SMARTTAG_BENCH_CANDIDATES");
        if (!path) return set;
        std::ifstream in(path, std::ios::binary);
        std::string line;
        while (std::getline(in, line)) {
            std::string citation = line, category;
            const bool tagged = NormalizeCitation(citation, category) && IsAcceptedCategory(category);
            (tagged ? set.cases : set.others).push_back(line);
        }
        return set;
    }();
    return loaded;
}

void RunCorpus(benchmark::State& state, const std::vector<std::string>& candidates) {
    if (candidates.empty()) {
        state.SkipWithError("set SMARTTAG_BENCH_CANDIDATES to a file written by corpus_bench --candidates");
        return;
    }
    std::string citation;
    std::string category;
    std::size_t i = 0;
    long calls = 0;
    const long before = g_allocations.load();
    for (auto _ : state) {
        citation = candidates[i];
        category.clear();
        benchmark::DoNotOptimize(NormalizeCitation(citation, category));
        benchmark::DoNotOptimize(citation.data());
        if (++i == candidates.size()) i = 0;
        ++calls;
    }
    state.SetItemsProcessed(calls);
    state.counters["allocs/call"] = double(g_allocations.load() - before) / double(calls ? calls : 1);
    state.counters["candidates"] = double(candidates.size());
}

void BM_CorpusCaseCitations(benchmark::State& state) { RunCorpus(state, FromCorpus().cases); }
BENCHMARK(BM_CorpusCaseCitations);

void BM_CorpusOtherCandidates(benchmark::State& state) { RunCorpus(state, FromCorpus().others); }
BENCHMARK(BM_CorpusOtherCandidates);

// The size of the generated parse tables: states, productions, the action,
// goto and lookahead arrays and the scanners' transition tables (the scanners'
// small accept lists are left out of the byte count).
std::string ParseTableSummary() {
    const glr::Tables& t = CitationGrammarTables();
    std::size_t shifts = 0, gotos = 0, reduces = 0, rhs = 0, lookaheadSets = 0;
    for (uint32_t s = 0; s < t.nstates; ++s) {
        const glr::StateInfo& st = t.states[s];
        shifts += st.shift_count;
        gotos += st.goto_count;
        reduces += st.reduce_count;
        lookaheadSets = std::max<std::size_t>(lookaheadSets, st.usable + 1);
        for (uint32_t r = 0; r < st.reduce_count; ++r) {
            lookaheadSets = std::max<std::size_t>(lookaheadSets, t.reduces[st.reduce_first + r].lookahead + 1);
        }
    }
    for (uint32_t p = 0; p < t.nproductions; ++p) rhs += t.productions[p].length;
    std::size_t scannerStates = 0;
    std::size_t bytes = t.nstates * sizeof(glr::StateInfo) + shifts * sizeof(glr::ShiftEntry) +
                        gotos * sizeof(glr::GotoEntry) + reduces * sizeof(glr::ReduceEntry) +
                        t.nproductions * sizeof(glr::ProductionInfo) + rhs * sizeof(uint32_t) +
                        lookaheadSets * t.lookahead_words * sizeof(uint64_t);
    for (uint32_t i = 0; i < t.nscanners; ++i) {
        const glr::ScannerInfo& sc = t.scanners[i];
        scannerStates += sc.nstates;
        bytes += 256 + std::size_t(sc.nstates) * sc.nclasses * sizeof(uint32_t) + sc.nstates * sizeof(uint32_t);
    }
    return std::to_string(t.nstates) + " LR states, " + std::to_string(t.nproductions) + " productions, " +
           std::to_string(t.nterminals) + " terminals, " + std::to_string(shifts) + " shifts, " +
           std::to_string(gotos) + " gotos, " + std::to_string(reduces) + " reduces, " +
           std::to_string(lookaheadSets) + " lookahead sets, " + std::to_string(scannerStates) +
           " scanner states; " + std::to_string(bytes / 1024) + " KiB";
}

void BM_ReporterLookups(benchmark::State& state) {
    const char* const normalized[] = {"410 us 113", "123 f supp 2d 456", "5 f 3d 1234",
                                      "35 l ed 2d 147", "2004 utah universal 45", "12 unknown 3"};
    std::size_t i = 0;
    long calls = 0;
    const long before = g_allocations.load();
    for (auto _ : state) {
        const std::string_view text = normalized[i];
        const std::string_view category = ClassifyByReporterName(text);
        benchmark::DoNotOptimize(IsAcceptedCategory(category));
        benchmark::DoNotOptimize(IsValidReporterVolume("f 3d", 562));
        if (++i == std::size(normalized)) i = 0;
        ++calls;
    }
    state.SetItemsProcessed(calls);
    state.counters["allocs/call"] = double(g_allocations.load() - before) / double(calls ? calls : 1);
}
BENCHMARK(BM_ReporterLookups);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::AddCustomContext("citation parse tables", ParseTableSummary());
    // SMARTTAG_BENCH_PASSES=n adds the corpus benchmarks as exactly n passes
    // over their candidates, for counting instructions under callgrind (where
    // timed runs stop after a few hundred calls, all from the file's start).
    if (const char* passes = std::getenv("SMARTTAG_BENCH_PASSES")) {
        const long n = std::atol(passes);
        if (n > 0 && !FromCorpus().cases.empty()) {
            benchmark::RegisterBenchmark("BM_CorpusCaseCitations/passes", BM_CorpusCaseCitations)
                ->Iterations(n * long(FromCorpus().cases.size()));
            benchmark::RegisterBenchmark("BM_CorpusOtherCandidates/passes", BM_CorpusOtherCandidates)
                ->Iterations(n * long(FromCorpus().others.size()));
        }
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
