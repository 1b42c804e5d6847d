// Speed of the citation normalizer's entry point and of the catalogue lookups
// the citation recognizer makes for every candidate. Each benchmark reports
// items per second and the heap allocations per call ("allocs/call").

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "normalizer/normalize_citation.h"
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

BENCHMARK_MAIN();
