// Speed of the parser engine: typical citation-shaped inputs, growth with
// input length and with ambiguity, and the worst 200-byte inputs found.
#include <benchmark/benchmark.h>

#include <string>

#include "glr/parser.h"
#include "glrbench_ambiguous.h"
#include "glrbench_citations.h"
#include "normalizer/parse_citation.h"
#include "tests/glr/test_routines.h"

namespace {

void parse_loop(benchmark::State& state, const glr::Tables& tables, const std::string& input, bool must_parse) {
  glr::Parser parser(tables);
  parser.set_free_node_hook(glrtest::free_value);
  glrtest::TestGlobals globals;
  parser.set_globals(&globals);
  bool ok = false;
  for (auto _ : state) {
    ok = parser.parse(input.data(), input.size());
    benchmark::DoNotOptimize(ok);
  }
  if (must_parse && !ok) state.SkipWithError("input did not parse");
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(input.size()));
  state.counters["bytes"] = static_cast<double>(input.size());
  state.counters["arena_bytes"] = static_cast<double>(parser.memory_in_use());
  state.counters["parsed"] = ok;
  state.counters["budget_hit"] = parser.budget_exceeded();
  state.counters["work"] = static_cast<double>(parser.stats().work);
  state.counters["forest"] = static_cast<double>(parser.stats().forest_nodes);
}

void BM_ShortCitation(benchmark::State& state) {
  parse_loop(state, glrbench_citations::tables(), "410 u.s. 113", true);
}
BENCHMARK(BM_ShortCitation);

// Twelve tokens: 123 cal. app. 2d 456 , 458 ( cal. ct. 1999 )
void BM_TwelveTokens(benchmark::State& state) {
  parse_loop(state, glrbench_citations::tables(), "123 cal. app. 2d 456, 458 (cal. ct. 1999)", true);
}
BENCHMARK(BM_TwelveTokens);

void BM_CodeCitation(benchmark::State& state) {
  parse_loop(state, glrbench_citations::tables(), "42 u.s.c. \xc2\xa7 1983(a)(1)", true);
}
BENCHMARK(BM_CodeCitation);

// Growth with length: a code citation with more and more subsections.
void BM_Length(benchmark::State& state) {
  std::string in = "42 u.s.c. 1983";
  for (int i = 0; in.size() + 3 <= static_cast<size_t>(state.range(0)); ++i) in += i % 2 ? "(1)" : "(a)";
  parse_loop(state, glrbench_citations::tables(), in, true);
}
BENCHMARK(BM_Length)->RangeMultiplier(2)->Range(16, 1024);

// Growth with ambiguity: "a a ... a" under s : s s | "a".
void BM_Ambiguity(benchmark::State& state) {
  std::string in;
  for (int i = 0; i < state.range(0); ++i) in += "a ";
  parse_loop(state, glrbench_ambiguous::tables(), in, false);
}
BENCHMARK(BM_Ambiguity)->DenseRange(4, 40, 4)->Arg(60)->Arg(100);

// The worst 200-byte inputs found: the maximally ambiguous grammar (stopped by
// the parser's limits), and on the citation grammar a long run of court
// words inside a parenthetical after a name that reads several ways.
void BM_Worst200Ambiguous(benchmark::State& state) {
  std::string in;
  while (in.size() < 200) in += "a";
  parse_loop(state, glrbench_ambiguous::tables(), in, false);
}
BENCHMARK(BM_Worst200Ambiguous)->Unit(benchmark::kMillisecond);

void BM_Worst200Citation(benchmark::State& state) {
  std::string in = "1 s. ct. 2";
  while (in.size() < 190) in += " (s.ct.)";
  in += " (s ct 1999)";
  in.resize(200, ' ');
  parse_loop(state, glrbench_citations::tables(), in, false);
}
BENCHMARK(BM_Worst200Citation);

// The citation grammar itself, through the normalizer's parse routine, on a
// parser reused from one parse to the next.
void BM_CitationGrammar(benchmark::State& state, const char* text) {
  namespace rec = Veltra::Penwork::Recognizer;
  glr::Parser parser(rec::CitationGrammarTables());
  std::string input = text, normalized, category, error;
  bool ok = false;
  for (auto _ : state) {
    ok = rec::ParseCitationWith(parser, input, normalized, category, error);
    benchmark::DoNotOptimize(ok);
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["parsed"] = ok;
  state.counters["work"] = static_cast<double>(parser.stats().work);
  state.counters["forest"] = static_cast<double>(parser.stats().forest_nodes);
  state.counters["arena_bytes"] = static_cast<double>(parser.memory_in_use());
}
BENCHMARK_CAPTURE(BM_CitationGrammar, us, "410 u.s. 113");

// The same with a new parser for every parse, as a driver without a cached
// parser does.
void BM_CitationGrammarFreshParser(benchmark::State& state) {
  namespace rec = Veltra::Penwork::Recognizer;
  std::string input = "410 u.s. 113", normalized, category, error;
  for (auto _ : state) {
    glr::Parser parser(rec::CitationGrammarTables());
    benchmark::DoNotOptimize(rec::ParseCitationWith(parser, input, normalized, category, error));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CitationGrammarFreshParser);
BENCHMARK_CAPTURE(BM_CitationGrammar, f_supp, "123 f. supp. 2d 456");
BENCHMARK_CAPTURE(BM_CitationGrammar, regional, "12 a.2d 345");
BENCHMARK_CAPTURE(BM_CitationGrammar, state_app, "45 cal. app. 4th 1234");
BENCHMARK_CAPTURE(BM_CitationGrammar, usc, "42 u.s.c. 1983");
BENCHMARK_CAPTURE(BM_CitationGrammar, eleven_words, "5 reports of the united states board of tax appeals 10");
BENCHMARK_CAPTURE(BM_CitationGrammar, ten_tokens, "42 usc ch 6a sc iii pt 2 sp c");
BENCHMARK_CAPTURE(BM_CitationGrammar, eu_journal, "official journal c 364 e, 1/2/2000, p. 0001-0022");
BENCHMARK_CAPTURE(BM_CitationGrammar, no_parse, "410u.s.113");

}  // namespace

BENCHMARK_MAIN();
