// LR(0) automaton with LALR(1) reduce lookaheads, and the scanners.
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


// LALR(1) lookaheads by propagation: for each kernel item, an LR(1) closure
// seeded with a marker lookahead shows which lookaheads arise spontaneously in
// the successor states and which are passed on from the item; a fixed point
// then spreads them. Reductions by empty productions (items outside the
// kernels) take their lookaheads from a final closure of each state.
void compute_lalr(const Grammar& g, int nt, int words, const std::vector<int>& prod_offset,
                  const std::vector<int>& item_prod, const std::vector<std::vector<int>>& prods_of,
                  const std::vector<char>& nullable, const std::vector<std::vector<uint64_t>>& first,
                  const std::vector<std::vector<int>>& kernels, Tables& out) {
  const int marker = nt;  // the extra lookahead bit
  const int lw = (nt + 1 + 63) / 64;
  const int nitems = static_cast<int>(item_prod.size());
  auto rhs_at = [&](int item) {
    int p = item_prod[item];
    int dot = item - prod_offset[p];
    const auto& rhs = g.productions[p].rhs;
    return dot < static_cast<int>(rhs.size()) ? rhs[dot] : -1;
  };
  // FIRST and nullability of each item's remainder (from its dot on).
  std::vector<std::vector<uint64_t>> suffix_first(nitems, std::vector<uint64_t>(lw, 0));
  std::vector<char> suffix_nullable(nitems, 1);
  for (int p = 0; p < static_cast<int>(g.productions.size()); ++p) {
    int len = static_cast<int>(g.productions[p].rhs.size());
    for (int dot = len - 1; dot >= 0; --dot) {
      int it = prod_offset[p] + dot;
      int x = g.productions[p].rhs[dot];
      for (int w = 0; w < words; ++w) suffix_first[it][w] = first[x][w];
      bool x_null = x >= nt && nullable[x];
      if (x_null) {
        for (int w = 0; w < lw; ++w) suffix_first[it][w] |= suffix_first[it + 1][w];
        suffix_nullable[it] = suffix_nullable[it + 1];
      } else {
        suffix_nullable[it] = 0;
      }
    }
  }

  // Transitions and kernel positions.
  const int nstates = static_cast<int>(kernels.size());
  std::vector<std::map<int, int>> trans(nstates);
  for (int s = 0; s < nstates; ++s) {
    for (auto [t, target] : out.states[s].shifts) trans[s][t] = target;
    for (auto [x, target] : out.states[s].gotos) trans[s][x] = target;
  }
  auto kernel_index = [&](int state, int item) {
    const auto& k = kernels[state];
    return static_cast<int>(std::lower_bound(k.begin(), k.end(), item) - k.begin());
  };

  // LR(1) closure: items with lookahead sets. Non-kernel items have dot 0
  // and are keyed by production.
  std::vector<int> slot_of(g.productions.size(), -1);
  std::vector<int> used_slots;
  std::vector<std::vector<uint64_t>> slot_la;
  std::vector<int> slot_item;
  auto closure = [&](const std::vector<std::pair<int, std::vector<uint64_t>>>& seeds) {
    for (int p : used_slots) slot_of[p] = -1;
    used_slots.clear();
    slot_la.clear();
    slot_item.clear();
    std::vector<int> work;
    for (const auto& [item, la] : seeds) {
      slot_item.push_back(item);
      slot_la.push_back(la);
      work.push_back(static_cast<int>(slot_item.size()) - 1);
    }
    std::vector<uint64_t> add(lw);
    while (!work.empty()) {
      int sl = work.back();
      work.pop_back();
      int it = slot_item[sl];
      int x = rhs_at(it);
      if (x < nt) continue;
      for (int w = 0; w < lw; ++w) add[w] = suffix_first[it + 1][w];
      if (suffix_nullable[it + 1])
        for (int w = 0; w < lw; ++w) add[w] |= slot_la[sl][w];
      for (int q : prods_of[x]) {
        int& target = slot_of[q];
        if (target < 0) {
          target = static_cast<int>(slot_item.size());
          used_slots.push_back(q);
          slot_item.push_back(prod_offset[q]);
          slot_la.push_back(add);
          work.push_back(target);
          continue;
        }
        bool changed = false;
        for (int w = 0; w < lw; ++w) {
          uint64_t v = slot_la[target][w] | add[w];
          if (v != slot_la[target][w]) {
            slot_la[target][w] = v;
            changed = true;
          }
        }
        if (changed) work.push_back(target);
      }
    }
  };

  // Kernel lookaheads and propagation links.
  std::vector<int> kernel_base(nstates + 1, 0);
  for (int s = 0; s < nstates; ++s) kernel_base[s + 1] = kernel_base[s] + static_cast<int>(kernels[s].size());
  std::vector<std::vector<uint64_t>> kla(kernel_base[nstates], std::vector<uint64_t>(lw, 0));
  std::vector<std::vector<int>> links(kernel_base[nstates]);
  set_bit(kla[0], 0);  // $accept -> . start, on the end of input
  std::vector<uint64_t> marker_only(lw, 0);
  set_bit(marker_only, marker);
  for (int s = 0; s < nstates; ++s) {
    for (size_t ki = 0; ki < kernels[s].size(); ++ki) {
      closure({{kernels[s][ki], marker_only}});
      int from = kernel_base[s] + static_cast<int>(ki);
      for (size_t sl = 0; sl < slot_item.size(); ++sl) {
        int it = slot_item[sl];
        int x = rhs_at(it);
        if (x < 0) continue;
        int t = trans[s].at(x);
        int to = kernel_base[t] + kernel_index(t, it + 1);
        const auto& la = slot_la[sl];
        for (int w = 0; w < lw; ++w) kla[to][w] |= la[w];
        if (has_bit(la, marker)) links[from].push_back(to);
      }
    }
  }
  for (auto& la : kla) la[marker >> 6] &= ~(uint64_t{1} << (marker & 63));
  for (auto& l : links) {
    std::sort(l.begin(), l.end());
    l.erase(std::unique(l.begin(), l.end()), l.end());
  }
  std::vector<int> work;
  for (int i = 0; i < kernel_base[nstates]; ++i) work.push_back(i);
  std::vector<char> queued(kernel_base[nstates], 1);
  while (!work.empty()) {
    int i = work.back();
    work.pop_back();
    queued[i] = 0;
    for (int j : links[i]) {
      bool changed = false;
      for (int w = 0; w < lw; ++w) {
        uint64_t v = kla[j][w] | kla[i][w];
        if (v != kla[j][w]) {
          kla[j][w] = v;
          changed = true;
        }
      }
      if (changed && !queued[j]) {
        queued[j] = 1;
        work.push_back(j);
      }
    }
  }

  // Reduce lookaheads, shared between equal sets.
  std::map<std::vector<uint64_t>, int> set_index;
  auto intern = [&](std::vector<uint64_t> la) {
    la.resize(words);
    auto it = set_index.find(la);
    if (it != set_index.end()) return it->second;
    int id = static_cast<int>(out.lookaheads.size());
    out.lookaheads.push_back(la);
    set_index.emplace(std::move(la), id);
    return id;
  };
  for (int s = 0; s < nstates; ++s) {
    std::vector<std::pair<int, std::vector<uint64_t>>> seeds;
    for (size_t ki = 0; ki < kernels[s].size(); ++ki) seeds.push_back({kernels[s][ki], kla[kernel_base[s] + ki]});
    closure(seeds);
    for (auto& [p, la] : out.states[s].reduces) {
      int end_item = prod_offset[p] + static_cast<int>(g.productions[p].rhs.size());
      for (size_t sl = 0; sl < slot_item.size(); ++sl)
        if (slot_item[sl] == end_item) {
          la = intern(slot_la[sl]);
          break;
        }
    }
  }
}

}  // namespace

static bool build_lr(const Grammar& g, Tables& out, Diagnostics& diags) {
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
        st.reduces.push_back({p, -1});  // lookahead set filled in below
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

  compute_lalr(g, nt, words, prod_offset, item_prod, prods_of, nullable, first, kernels, out);

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
  // Expressions that can match a blank may run far past the next word; they
  // get scanners of their own, which only levels that can use them run.
  std::vector<int> narrow, wide;
  for (int t = 1; t < nt; ++t) {
    bool blank = false;
    if (g.symbols[t].is_regex) {
      Nfa probe;
      RegexError err;
      add_regex(probe, g.symbols[t].bytes, t, err);
      for (const auto& set : probe.sets) blank = blank || set[' '];
    }
    (blank ? wide : narrow).push_back(t);
  }
  std::vector<int> scanner_of(nt, -1);
  build_scanners(g, narrow, out, scanner_of);
  build_scanners(g, wide, out, scanner_of);
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

void expand_options(const Grammar& g, ParseProductions& out) {
  out.prods.clear();
  const int nt = g.nterminals;
  const int ns = static_cast<int>(g.symbols.size());
  auto is_option = [&](int x) { return x >= nt && g.symbols[x].kind == SymKind::Option; };
  // Each option symbol's two productions: x? -> x and x? -> empty.
  std::vector<int> present(ns, -1), absent(ns, -1);
  for (size_t p = 0; p < g.productions.size(); ++p) {
    const Production& q = g.productions[p];
    if (!is_option(q.lhs)) continue;
    (q.rhs.empty() ? absent : present)[q.lhs] = static_cast<int>(p);
  }
  std::vector<char> expanded(ns, 0);
  for (int x = nt; x < ns; ++x) expanded[x] = is_option(x) && present[x] >= 0 && absent[x] >= 0;
  for (const Production& q : g.productions) {
    int k = 0;
    for (int x : q.rhs) k += is_option(x);
    if (k > ParseProductions::kMaxExpandedOptions)
      for (int x : q.rhs)
        if (is_option(x)) expanded[x] = 0;
  }
  for (size_t p = 0; p < g.productions.size(); ++p) {
    const Production& q = g.productions[p];
    if (expanded[q.lhs]) continue;  // never predicted: its uses are expanded
    std::vector<int> opts;
    for (size_t i = 0; i < q.rhs.size(); ++i)
      if (expanded[q.rhs[i]]) opts.push_back(static_cast<int>(i));
    if (opts.empty()) {
      ParseProductions::Prod pr;
      pr.lhs = q.lhs;
      pr.rhs = q.rhs;
      pr.production = static_cast<int>(p);
      out.prods.push_back(std::move(pr));
      continue;
    }
    // Every combination, all options present first.
    for (unsigned mask = 0; mask < (1u << opts.size()); ++mask) {
      ParseProductions::Prod pr;
      pr.lhs = q.lhs;
      pr.production = static_cast<int>(p);
      std::vector<int> pending_absent;  // recipe entries waiting for the next parse child
      size_t oi = 0;
      for (size_t i = 0; i < q.rhs.size(); ++i) {
        int x = q.rhs[i];
        const int kid = static_cast<int>(pr.rhs.size());
        if (oi < opts.size() && opts[oi] == static_cast<int>(i)) {
          bool absent_here = (mask >> oi) & 1;
          ++oi;
          if (absent_here) {
            pr.recipe.push_back({2, kid, absent[x]});
          } else {
            pr.recipe.push_back({1, kid, present[x]});
            pr.rhs.push_back(g.productions[present[x]].rhs[0]);
          }
        } else {
          pr.recipe.push_back({0, kid, -1});
          pr.rhs.push_back(x);
        }
      }
      out.prods.push_back(std::move(pr));
    }
  }
}

bool build_tables(const Grammar& g, const ParseProductions& pp, Tables& out, Diagnostics& diags) {
  Grammar parse = g;
  parse.productions.clear();
  for (const auto& pr : pp.prods) {
    Production q;
    q.lhs = pr.lhs;
    q.rhs = pr.rhs;
    q.loc = g.productions[pr.production].loc;
    parse.productions.push_back(std::move(q));
  }
  return build_lr(parse, out, diags);
}

}  // namespace glr::gen
