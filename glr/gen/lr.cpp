// LR(0) automaton with SLR(1) reduce lookaheads, and the scanners.
//
// Conflicts are expected and kept: the runtime follows every action. The
// lookahead sets only prune reductions that cannot lead anywhere; a state's
// scanner mask says which DFAs hold terminals it can shift or reduce on.
#include <algorithm>
#include <functional>
#include <map>

#include "glr/gen/emit.h"

namespace glr::gen {

namespace {

constexpr int kMaxScannerStates = 60000;

void set_bit(std::vector<uint64_t>& bits, int i) { bits[i >> 6] |= uint64_t{1} << (i & 63); }
bool has_bit(const std::vector<uint64_t>& bits, int i) { return (bits[i >> 6] >> (i & 63)) & 1; }

// Splits the terminal list until every part fits one DFA of bounded size.
void build_scanners(const Grammar& g, const std::vector<int>& terms, Tables& out, std::vector<int>& scanner_of) {
  if (terms.empty()) return;
  Nfa nfa;
  std::vector<int> starts;
  for (int t : terms) {
    const Symbol& s = g.symbols[t];
    if (s.is_regex) {
      RegexError err;
      int st = add_regex(nfa, s.bytes, t, err);
      if (st >= 0) starts.push_back(st);
    } else {
      starts.push_back(add_keyword(nfa, s.bytes, t));
    }
  }
  Dfa dfa;
  if (build_dfa(nfa, starts, kMaxScannerStates, dfa) || terms.size() == 1) {
    int id = static_cast<int>(out.scanners.size());
    for (int t : terms) scanner_of[t] = id;
    out.scanners.push_back(std::move(dfa));
    return;
  }
  std::vector<int> a(terms.begin(), terms.begin() + terms.size() / 2);
  std::vector<int> b(terms.begin() + terms.size() / 2, terms.end());
  build_scanners(g, a, out, scanner_of);
  build_scanners(g, b, out, scanner_of);
}

}  // namespace

bool build_tables(const Grammar& g, Tables& out, Diagnostics& diags) {
  out = Tables{};
  const int nt = g.nterminals;
  const int ns = static_cast<int>(g.symbols.size());
  const int np = static_cast<int>(g.productions.size());
  const int words = (nt + 63) / 64;

  // Items are numbered prod_offset[p] + dot.
  std::vector<int> prod_offset(np + 1, 0), item_prod;
  for (int p = 0; p < np; ++p) {
    prod_offset[p + 1] = prod_offset[p] + static_cast<int>(g.productions[p].rhs.size()) + 1;
    for (size_t d = 0; d <= g.productions[p].rhs.size(); ++d) item_prod.push_back(p);
  }
  auto next_sym = [&](int item) {
    int p = item_prod[item];
    int dot = item - prod_offset[p];
    const auto& rhs = g.productions[p].rhs;
    return dot < static_cast<int>(rhs.size()) ? rhs[dot] : -1;
  };

  std::vector<std::vector<int>> prods_of(ns);
  for (int p = 0; p < np; ++p) prods_of[g.productions[p].lhs].push_back(p);

  // Nullable, FIRST, FOLLOW.
  std::vector<char> nullable(ns, 0);
  for (bool changed = true; changed;) {
    changed = false;
    for (const auto& p : g.productions) {
      bool all = std::all_of(p.rhs.begin(), p.rhs.end(), [&](int x) { return x >= nt && nullable[x]; });
      if (all && !nullable[p.lhs]) nullable[p.lhs] = changed = true;
    }
  }
  std::vector<std::vector<uint64_t>> first(ns, std::vector<uint64_t>(words, 0));
  for (int t = 0; t < nt; ++t) set_bit(first[t], t);
  auto merge = [&](std::vector<uint64_t>& dst, const std::vector<uint64_t>& src) {
    bool ch = false;
    for (int w = 0; w < words; ++w) {
      uint64_t v = dst[w] | src[w];
      if (v != dst[w]) {
        dst[w] = v;
        ch = true;
      }
    }
    return ch;
  };
  for (bool changed = true; changed;) {
    changed = false;
    for (const auto& p : g.productions)
      for (int x : p.rhs) {
        changed |= merge(first[p.lhs], first[x]);
        if (!(x >= nt && nullable[x])) break;
      }
  }
  std::vector<std::vector<uint64_t>> follow(ns, std::vector<uint64_t>(words, 0));
  set_bit(follow[g.productions[0].lhs], 0);
  set_bit(follow[g.start], 0);
  for (bool changed = true; changed;) {
    changed = false;
    for (const auto& p : g.productions) {
      for (size_t i = 0; i < p.rhs.size(); ++i) {
        int x = p.rhs[i];
        if (x < nt) continue;
        bool rest_nullable = true;
        for (size_t j = i + 1; j < p.rhs.size(); ++j) {
          changed |= merge(follow[x], first[p.rhs[j]]);
          if (!(p.rhs[j] >= nt && nullable[p.rhs[j]])) {
            rest_nullable = false;
            break;
          }
        }
        if (rest_nullable) changed |= merge(follow[x], follow[p.lhs]);
      }
    }
  }
  // One lookahead set per left-hand side that is reduced somewhere.
  std::vector<int> la_of(ns, -1);

  // Nonterminals predicted by the closure of each nonterminal.
  std::vector<std::vector<int>> predict(ns);
  for (int a = nt; a < ns; ++a) {
    std::vector<char> seen(ns, 0);
    std::vector<int> stack{a};
    seen[a] = 1;
    while (!stack.empty()) {
      int b = stack.back();
      stack.pop_back();
      predict[a].push_back(b);
      for (int p : prods_of[b]) {
        const auto& rhs = g.productions[p].rhs;
        if (!rhs.empty() && rhs[0] >= nt && !seen[rhs[0]]) {
          seen[rhs[0]] = 1;
          stack.push_back(rhs[0]);
        }
      }
    }
    std::sort(predict[a].begin(), predict[a].end());
  }

  std::map<std::vector<int>, int> state_of;
  std::vector<std::vector<int>> kernels;
  kernels.push_back({prod_offset[0]});
  state_of[kernels[0]] = 0;
  std::vector<char> pred_mark(ns, 0);
  for (size_t si = 0; si < kernels.size(); ++si) {
    std::vector<int> kernel = kernels[si];
    // Closure: kernel items plus dot-0 items of predicted nonterminals.
    std::vector<int> predicted;
    for (int it : kernel) {
      int x = next_sym(it);
      if (x >= nt)
        for (int b : predict[x])
          if (!pred_mark[b]) {
            pred_mark[b] = 1;
            predicted.push_back(b);
          }
    }
    std::sort(predicted.begin(), predicted.end());
    for (int b : predicted) pred_mark[b] = 0;
    std::vector<int> items = kernel;
    for (int b : predicted)
      for (int p : prods_of[b]) items.push_back(prod_offset[p]);

    std::map<int, std::vector<int>> moves;
    Tables::State st;
    for (int it : items) {
      int x = next_sym(it);
      if (x >= 0) {
        moves[x].push_back(it + 1);
      } else {
        int p = item_prod[it];
        int lhs = g.productions[p].lhs;
        if (la_of[lhs] < 0) {
          la_of[lhs] = static_cast<int>(out.lookaheads.size());
          out.lookaheads.push_back(follow[lhs]);
          if (p == 0) {  // $accept reduces on the end of input only
            out.lookaheads.back().assign(words, 0);
            set_bit(out.lookaheads.back(), 0);
          }
        }
        st.reduces.push_back({p, la_of[lhs]});
      }
    }
    std::sort(st.reduces.begin(), st.reduces.end());
    for (auto& [x, k] : moves) {
      std::sort(k.begin(), k.end());
      k.erase(std::unique(k.begin(), k.end()), k.end());
      auto found = state_of.find(k);
      int target;
      if (found == state_of.end()) {
        target = static_cast<int>(kernels.size());
        state_of.emplace(k, target);
        kernels.push_back(k);
      } else {
        target = found->second;
      }
      (x < nt ? st.shifts : st.gotos).push_back({x, target});
    }
    out.states.push_back(std::move(st));
  }

  // Conflicts (for the statistics only).
  for (const auto& st : out.states) {
    bool conflict = false;
    std::vector<int> count(nt, 0);
    for (const auto& [t, s] : st.shifts) ++count[t];
    for (const auto& [p, la] : st.reduces)
      for (int t = 0; t < nt; ++t)
        if (has_bit(out.lookaheads[la], t) && ++count[t] > 1) conflict = true;
    if (conflict) ++out.conflicts;
  }

  // Scanners.
  std::vector<int> terms;
  for (int t = 1; t < nt; ++t) terms.push_back(t);
  std::vector<int> scanner_of(nt, -1);
  build_scanners(g, terms, out, scanner_of);
  if (out.scanners.size() > 64) {
    diags.error(g.symbols[g.start].loc, "too many terminals for the scanner tables");
    return false;
  }
  // Per state, the terminals it can use at all; identical sets are shared.
  std::map<std::vector<uint64_t>, int> usable_sets;
  for (auto& st : out.states) {
    std::vector<uint64_t> bits(words, 0);
    for (const auto& [t, s] : st.shifts) set_bit(bits, t);
    for (const auto& [p, la] : st.reduces)
      for (int w = 0; w < words; ++w) bits[w] |= out.lookaheads[la][w];
    auto found = usable_sets.find(bits);
    if (found == usable_sets.end()) {
      found = usable_sets.emplace(bits, static_cast<int>(out.lookaheads.size())).first;
      out.lookaheads.push_back(bits);
    }
    st.usable = found->second;
  }
  for (auto& st : out.states) {
    for (const auto& [t, s] : st.shifts)
      if (scanner_of[t] >= 0) st.scanners |= uint64_t{1} << scanner_of[t];
    for (const auto& [p, la] : st.reduces)
      for (int t = 1; t < nt; ++t)
        if (has_bit(out.lookaheads[la], t) && scanner_of[t] >= 0) st.scanners |= uint64_t{1} << scanner_of[t];
  }
  return true;
}

}  // namespace glr::gen
