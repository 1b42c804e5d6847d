// The GLR runtime against a plain Earley recogniser written for this test.
//
// Both read the same productions and use the same terminal rules (white space
// skipped before every terminal, keywords by their bytes, expressions at their
// maximal runs, taken from the tables' scanner DFAs), so any difference in the
// accepted inputs is a fault of the GLR stack or of the forest.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "glrtest_ref_ambiguous.h"
#include "glrtest_ref_empty.h"
#include "glr/parser.h"
#include "glrtest_ref_nested.h"
#include "glrtest_ref_overlap.h"
#include "glrtest_ref_recursion.h"
#include "tests/glr/test_routines.h"

namespace {

bool space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

size_t skip(const std::string& in, size_t p) {
  for (;;) {
    while (p < in.size() && space(in[p])) ++p;
    if (p + 1 < in.size() && in[p] == '/' && in[p + 1] == '/') {
      while (p < in.size() && in[p] != '\n') ++p;
      continue;
    }
    return p;
  }
}

// (terminal, length) pairs that match at p.
std::vector<std::pair<uint32_t, size_t>> matches(const glr::Tables& t, const std::string& in, size_t p) {
  std::vector<std::pair<uint32_t, size_t>> out;
  for (uint32_t term = 1; term < t.nterminals; ++term) {
    for (uint32_t si = 0; si < t.nscanners; ++si) {
      const glr::ScannerInfo& sc = t.scanners[si];
      auto accepts = [&](uint32_t state) {
        const uint16_t* list = sc.accept_pool + sc.accept_at[state];
        for (uint16_t i = 1; i <= list[0]; ++i)
          if (list[i] == term) return true;
        return false;
      };
      // Which lengths does the terminal match?
      std::vector<bool> at(in.size() - p + 2, false);
      uint32_t state = 1;
      for (size_t len = 1; p + len <= in.size(); ++len) {
        size_t idx = size_t{state} * sc.nclasses + sc.byte_class[static_cast<uint8_t>(in[p + len - 1])];
        state = sc.transitions16 ? sc.transitions16[idx] : sc.transitions[idx];
        if (!state) break;
        at[len] = accepts(state);
      }
      for (size_t len = 1; p + len <= in.size(); ++len)
        if (at[len] && !at[len + 1]) out.push_back({term, len});
    }
  }
  return out;
}

bool earley(const glr::Tables& t, const std::string& in) {
  struct Item {
    uint32_t prod, dot;
    size_t origin;
    bool operator<(const Item& o) const { return std::tie(prod, dot, origin) < std::tie(o.prod, o.dot, o.origin); }
  };
  auto rhs = [&](uint32_t prod, uint32_t dot) { return t.rhs[t.productions[prod].rhs_first + dot]; };
  std::vector<bool> nullable(t.nsymbols, false);
  for (bool changed = true; changed;) {
    changed = false;
    for (uint32_t p = 0; p < t.nproductions; ++p) {
      bool all = true;
      for (uint32_t d = 0; d < t.productions[p].length; ++d) all = all && nullable[rhs(p, d)];
      if (all && !nullable[t.productions[p].lhs]) nullable[t.productions[p].lhs] = changed = true;
    }
  }
  size_t n = in.size();
  std::vector<std::set<Item>> sets(n + 1);
  size_t p0 = skip(in, 0);
  sets[p0].insert({0, 0, p0});
  for (size_t pos = p0; pos <= n; ++pos) {
    std::vector<Item> work(sets[pos].begin(), sets[pos].end());
    while (!work.empty()) {
      Item it = work.back();
      work.pop_back();
      auto add = [&](Item x) {
        if (sets[pos].insert(x).second) work.push_back(x);
      };
      const glr::ProductionInfo& pi = t.productions[it.prod];
      if (it.dot == pi.length) {  // complete
        for (const Item& w : std::vector<Item>(sets[it.origin].begin(), sets[it.origin].end()))
          if (w.dot < t.productions[w.prod].length && rhs(w.prod, w.dot) == pi.lhs) add({w.prod, w.dot + 1, w.origin});
        continue;
      }
      uint32_t x = rhs(it.prod, it.dot);
      if (x >= t.nterminals) {  // predict
        for (uint32_t q = 0; q < t.nproductions; ++q)
          if (t.productions[q].lhs == x) add({q, 0, pos});
        if (nullable[x]) add({it.prod, it.dot + 1, it.origin});
      }
    }
    if (pos == n) break;
    // scan
    for (auto [term, len] : matches(t, in, pos)) {
      size_t next = skip(in, pos + len);
      for (const Item& it : sets[pos])
        if (it.dot < t.productions[it.prod].length && rhs(it.prod, it.dot) == term)
          sets[next].insert({it.prod, it.dot + 1, it.origin});
    }
  }
  return sets[n].count({0, 1, p0}) > 0;
}

void compare_all(const glr::Tables& t, const std::string& alphabet, size_t max_len) {
  glr::Parser parser(t);
  parser.set_free_node_hook(glrtest::free_value);
  glrtest::TestGlobals g;
  parser.set_globals(&g);
  std::vector<size_t> digits;
  int accepted = 0, total = 0;
  for (size_t len = 0; len <= max_len; ++len) {
    digits.assign(len, 0);
    for (;;) {
      std::string s;
      for (size_t d : digits) s += alphabet[d];
      bool glr_ok = parser.parse(s.data(), s.size());
      ASSERT_FALSE(parser.budget_exceeded()) << '"' << s << '"';
      bool ref_ok = earley(t, s);
      ASSERT_EQ(glr_ok, ref_ok) << t.source << ": \"" << s << '"';
      accepted += glr_ok;
      ++total;
      size_t i = 0;
      while (i < len && ++digits[i] == alphabet.size()) digits[i++] = 0;
      if (i == len) break;
    }
  }
  // Make sure the comparison is not vacuous.
  EXPECT_GT(accepted, 0) << t.source;
  EXPECT_LT(accepted, total) << t.source;
}

TEST(Reference, AmbiguousGrammar) { compare_all(glrtest_ref_ambiguous::tables(), "abc ", 7); }
TEST(Reference, NullableSymbols) { compare_all(glrtest_ref_empty::tables(), "abc ", 7); }
TEST(Reference, HiddenLeftRecursion) { compare_all(glrtest_ref_recursion::tables(), "abc ", 7); }
TEST(Reference, NestedEbnf) { compare_all(glrtest_ref_nested::tables(), "abc ", 7); }
TEST(Reference, OverlappingTerminals) { compare_all(glrtest_ref_overlap::tables(), "abc ", 7); }

}  // namespace

// Long inputs make many nodes of one symbol end at the same level, more than
// the runtime finds by walking a list; every span must still get exactly one
// forest node. For s : s s | "a" on n letters: n tokens, one s node per span,
// one reading of each one-letter span and L-1 readings of each span of L > 1
// letters.
TEST(Reference, EverySpanHasOneForestNodeOnLongAmbiguousInputs) {
  glr::Parser parser(glrtest_ref_ambiguous::tables());
  parser.set_free_node_hook(glrtest::free_value);
  glrtest::TestGlobals g;
  parser.set_globals(&g);
  for (size_t n : {1, 8, 9, 10, 17, 24}) {
    const std::string input(n, 'a');
    ASSERT_TRUE(parser.parse(input.data(), input.size())) << n;
    size_t expected = n + n * (n + 1) / 2 + n;
    for (size_t len = 2; len <= n; ++len) expected += (n - len + 1) * (len - 1);
    EXPECT_EQ(parser.stats().forest_nodes, expected) << n;
  }
}
