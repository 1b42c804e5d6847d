// Checks the grammar read from the files and lowers its EBNF forms to plain
// productions.
//
// Every group becomes a nonterminal of its own (kind Group) with one production
// per group alternative; `x?` becomes an Option symbol (x | empty), `x*` and
// `x+` left-recursive Repeat symbols (R x | empty, R x | x). Option and Repeat
// symbols over the same element are shared. Rules keep their order, so
// production numbers follow the order in which alternatives were written.
#include <algorithm>
#include <functional>
#include <set>

#include "glr/gen/grammar.h"
#include "glr/gen/regex.h"

namespace glr::gen {

namespace {

std::string display_keyword(const std::string& bytes) {
  std::string s = "\"";
  static const char* hexd = "0123456789abcdef";
  for (unsigned char c : bytes) {
    if (c == '"' || c == '\\') {
      s += '\\';
      s += static_cast<char>(c);
    } else if (c < 0x20 || c >= 0x7f) {
      s += "\\x";
      s += hexd[c >> 4];
      s += hexd[c & 15];
    } else {
      s += static_cast<char>(c);
    }
  }
  return s + "\"";
}

class Lowerer {
 public:
  Lowerer(const GrammarAst& ast, Grammar& g, Diagnostics& d) : ast_(ast), g_(g), diags_(d) {}

  bool run() {
    g_ = Grammar{};
    g_.files = ast_.files;
    g_.routines = ast_.routines;
    g_.actions = ast_.actions;

    // Rule names, duplicates.
    for (size_t i = 0; i < ast_.rules.size(); ++i) {
      const Rule& r = ast_.rules[i];
      auto it = rule_index_.find(r.name);
      if (it != rule_index_.end()) {
        const Loc& first = ast_.rules[it->second].loc;
        diags_.error(r.loc, "duplicate definition of '" + r.name + "' (first defined at " +
                                (first.file ? *first.file : "") + ":" + std::to_string(first.line) + ")");
        continue;
      }
      rule_index_[r.name] = static_cast<int>(i);
    }
    if (ast_.start.empty()) {
      Loc at;
      if (!ast_.files.empty()) at.file = diags_.intern_file(ast_.files.front());
      at.line = 1;
      at.col = 1;
      diags_.error(at, "no %start declaration");
    } else if (!rule_index_.count(ast_.start)) {
      diags_.error(ast_.start_loc, "start symbol '" + ast_.start + "' is not defined");
    }

    // Element and action checks.
    std::set<std::string> used_routines;
    for (const Rule& r : ast_.rules)
      for (const Alternative& a : r.alts) check_alt(a, used_routines);
    for (const auto& [name, decl] : ast_.routines)
      if (!used_routines.count(name)) diags_.warning(decl.loc, "%routine " + name + " is never used");
    for (const auto& [name, decl] : ast_.actions)
      if (!used_routines.count(name)) diags_.warning(decl.loc, "%action " + name + " is never used");

    // Unused rules.
    if (!ast_.start.empty() && rule_index_.count(ast_.start)) {
      std::vector<char> reach(ast_.rules.size(), 0);
      std::vector<int> stack{rule_index_[ast_.start]};
      reach[stack[0]] = 1;
      while (!stack.empty()) {
        int ri = stack.back();
        stack.pop_back();
        std::function<void(const std::vector<Alternative>&)> visit = [&](const std::vector<Alternative>& alts) {
          for (const Alternative& a : alts)
            for (const Element& e : a.elems) {
              if (e.kind == ElemKind::Group) visit(e.alts);
              if (e.kind != ElemKind::Nonterminal) continue;
              auto it = rule_index_.find(e.text);
              if (it != rule_index_.end() && !reach[it->second]) {
                reach[it->second] = 1;
                stack.push_back(it->second);
              }
            }
        };
        visit(ast_.rules[ri].alts);
      }
      for (const auto& [name, idx] : rule_index_)
        if (!reach[idx]) diags_.error(ast_.rules[idx].loc, "unused nonterminal '" + name + "' (not reachable from the start symbol)");
    }
    if (diags_.has_errors()) return false;

    lower();
    check_productive_and_cycles();
    return !diags_.has_errors();
  }

 private:
  void check_alt(const Alternative& a, std::set<std::string>& used) {
    int n = static_cast<int>(a.elems.size());
    for (const Element& e : a.elems) {
      if (e.kind == ElemKind::Nonterminal && !rule_index_.count(e.text))
        diags_.error(e.loc, "undefined nonterminal '" + e.text + "'");
      if (e.kind == ElemKind::Regex) {
        Nfa scratch;
        RegexError err;
        add_regex(scratch, e.text, 0, err);
        Loc at = e.loc;
        if (err.offset >= 0) {
          at.col += 1 + err.offset;
          diags_.error(at, "bad regular expression /" + e.text + "/: " + err.message);
        } else {
          if (err.warning_offset >= 0) {
            Loc w = e.loc;
            w.col += 1 + err.warning_offset;
            diags_.warning(w, "')' without '(' ends the regular expression; the rest is ignored");
          }
          if (err.matches_empty_only)
            diags_.error(at, "regular expression /" + e.text + "/ matches only the empty string");
        }
      }
      if (e.kind == ElemKind::Group)
        for (const Alternative& ga : e.alts) check_alt(ga, used);
    }
    auto check_k = [&](const ActionItem& it, int k) {
      if (k < 0 || k >= n)
        diags_.error(it.loc, "$" + std::to_string(k) + " refers past the alternative's " +
                                 std::to_string(n) + " element" + (n == 1 ? "" : "s"));
    };
    for (const ActionItem& it : a.action.items) {
      switch (it.kind) {
        case ItemKind::Value:
        case ItemKind::TrimZeros:
        case ItemKind::Text:
        case ItemKind::Children:
        case ItemKind::Move:
          check_k(it, it.k);
          break;
        case ItemKind::Routine: {
          used.insert(it.name);
          auto r = ast_.routines.find(it.name);
          if (r == ast_.routines.end()) {
            diags_.error(it.loc, "routine '" + it.name + "' is not declared with %routine");
          } else if (r->second.arity != static_cast<int>(it.args.size())) {
            diags_.error(it.loc, "routine '" + it.name + "' takes " + std::to_string(r->second.arity) +
                                     " argument(s), given " + std::to_string(it.args.size()));
          }
          for (int k : it.args) check_k(it, k);
          break;
        }
        case ItemKind::ActionRoutine:
          used.insert(it.name);
          if (!ast_.actions.count(it.name))
            diags_.error(it.loc, "action routine '" + it.name + "' is not declared with %action");
          break;
        default:
          break;
      }
    }
  }

  int add_symbol(Symbol s) {
    g_.symbols.push_back(std::move(s));
    return static_cast<int>(g_.symbols.size()) - 1;
  }

  int terminal(const Element& e) {
    bool re = e.kind == ElemKind::Regex;
    auto key = std::make_pair(re, e.text);
    auto it = terminals_.find(key);
    if (it != terminals_.end()) return it->second;
    Symbol s;
    s.kind = SymKind::Terminal;
    s.is_regex = re;
    s.bytes = e.text;
    s.name = re ? "/" + e.text + "/" : display_keyword(e.text);
    s.loc = e.loc;
    int id = static_cast<int>(term_syms_.size());
    term_syms_.push_back(std::move(s));
    terminals_[key] = id;
    return id;  // provisional terminal number, fixed up in lower()
  }

  // Terminals are collected first, so nonterminal ids are known only after a
  // first pass; symbols are encoded as >= 0 terminal ids and < 0 for
  // nonterminals (-1 - index into nonterm_) during lowering.
  struct PendingProd {
    int lhs;  // nonterminal index
    std::vector<int> rhs;
    Action action;
    bool default_passup;
    Loc loc;
  };

  int nonterm(const std::string& name, SymKind kind, const Loc& loc) {
    Symbol s;
    s.name = name;
    s.kind = kind;
    s.loc = loc;
    nonterm_.push_back(std::move(s));
    return static_cast<int>(nonterm_.size()) - 1;
  }

  int lower_element(const Element& e, const std::string& owner) {
    int base;
    std::string base_name;
    if (e.kind == ElemKind::Nonterminal) {
      base = -1 - rule_index_.at(e.text);
      base_name = e.text;
    } else if (e.kind == ElemKind::Keyword || e.kind == ElemKind::Regex) {
      base = terminal(e);
      base_name = term_syms_[base].name;
    } else {
      int gi = nonterm(owner + "__group" + std::to_string(++group_count_[owner]), SymKind::Group, e.loc);
      for (const Alternative& a : e.alts) {
        PendingProd p{gi, {}, a.action, false, a.loc};
        for (const Element& ge : a.elems) p.rhs.push_back(lower_element(ge, owner));
        pending_.push_back(std::move(p));
      }
      base = -1 - gi;
      base_name = nonterm_[gi].name;
    }
    for (char op : e.postfix) {
      auto key = std::make_pair(op, base);
      auto it = wrapped_.find(key);
      if (it != wrapped_.end()) {
        base = it->second;
        base_name = nonterm_[-1 - base].name;
        continue;
      }
      std::string name = base_name + op;
      int wi = nonterm(name, op == '?' ? SymKind::Option : SymKind::Repeat, e.loc);
      int w = -1 - wi;
      if (op == '?') {
        pending_.push_back({wi, {base}, Action{}, false, e.loc});
        pending_.push_back({wi, {}, Action{}, false, e.loc});
      } else {
        pending_.push_back({wi, {w, base}, Action{}, false, e.loc});
        if (op == '*') pending_.push_back({wi, {}, Action{}, false, e.loc});
        else pending_.push_back({wi, {base}, Action{}, false, e.loc});
      }
      wrapped_[key] = w;
      base = w;
      base_name = name;
    }
    return base;
  }

  void lower() {
    // Rules first, in order, so that their symbol numbers follow the files.
    for (const Rule& r : ast_.rules) nonterm(r.name, SymKind::Rule, r.loc);
    std::vector<std::vector<PendingProd>> by_rule(ast_.rules.size());
    for (size_t ri = 0; ri < ast_.rules.size(); ++ri) {
      const Rule& r = ast_.rules[ri];
      if (rule_index_.at(r.name) != static_cast<int>(ri)) continue;  // duplicate, reported
      for (const Alternative& a : r.alts) {
        PendingProd p{static_cast<int>(ri), {}, a.action, false, a.loc};
        for (const Element& e : a.elems) p.rhs.push_back(lower_element(e, r.name));
        p.default_passup = !a.action.present && p.rhs.size() == 1 && p.rhs[0] < 0;
        pending_.push_back(std::move(p));
      }
    }
    int accept = nonterm("$accept", SymKind::Rule, ast_.start_loc);

    // Final numbering: $end, terminals, nonterminals.
    Symbol end;
    end.name = "$end";
    g_.symbols.push_back(end);
    for (auto& s : term_syms_) g_.symbols.push_back(s);
    g_.nterminals = static_cast<int>(g_.symbols.size());
    for (auto& s : nonterm_) g_.symbols.push_back(s);
    auto map_sym = [&](int x) { return x >= 0 ? x + 1 : g_.nterminals + (-1 - x); };

    Production p0;
    p0.lhs = g_.nterminals + accept;
    p0.rhs = {g_.nterminals + rule_index_.at(ast_.start)};
    p0.loc = ast_.start_loc;
    g_.productions.push_back(p0);
    // Productions grouped by left-hand side in symbol order keep every
    // nonterminal's alternatives in the order written.
    std::vector<std::vector<const PendingProd*>> by_lhs(nonterm_.size());
    for (const PendingProd& p : pending_) by_lhs[p.lhs].push_back(&p);
    for (const auto& list : by_lhs)
      for (const PendingProd* p : list) {
        Production q;
        q.lhs = g_.nterminals + p->lhs;
        for (int x : p->rhs) q.rhs.push_back(map_sym(x));
        q.action = p->action;
        q.default_passup = p->default_passup;
        q.loc = p->loc;
        g_.productions.push_back(std::move(q));
      }
    g_.start = g_.nterminals + rule_index_.at(ast_.start);
  }

  void check_productive_and_cycles() {
    size_t ns = g_.symbols.size();
    std::vector<char> productive(ns, 0), nullable(ns, 0);
    for (int t = 0; t < g_.nterminals; ++t) productive[t] = 1;
    for (bool changed = true; changed;) {
      changed = false;
      for (const Production& p : g_.productions) {
        bool prod = true, null = true;
        for (int x : p.rhs) {
          prod = prod && productive[x];
          null = null && x >= g_.nterminals && nullable[x];
        }
        if (prod && !productive[p.lhs]) productive[p.lhs] = changed = true;
        if (null && !nullable[p.lhs]) nullable[p.lhs] = changed = true;
      }
    }
    for (size_t s = g_.nterminals; s < ns; ++s)
      if (!productive[s])
        diags_.error(g_.symbols[s].loc, "'" + g_.symbols[s].name + "' can never match any input");

    // A derives A through one production whose other symbols are nullable.
    std::vector<std::vector<int>> unit(ns);
    for (const Production& p : g_.productions)
      for (size_t i = 0; i < p.rhs.size(); ++i) {
        int x = p.rhs[i];
        if (x < g_.nterminals) continue;
        bool others = true;
        for (size_t j = 0; j < p.rhs.size(); ++j)
          if (j != i && !(p.rhs[j] >= g_.nterminals && nullable[p.rhs[j]])) others = false;
        if (others) unit[p.lhs].push_back(x);
      }
    // Tarjan's strongly connected components.
    std::vector<int> index(ns, -1), low(ns, 0), stack;
    std::vector<char> on(ns, 0);
    int counter = 0;
    std::function<void(int)> strong = [&](int v) {
      index[v] = low[v] = counter++;
      stack.push_back(v);
      on[v] = 1;
      for (int w : unit[v]) {
        if (index[w] < 0) {
          strong(w);
          low[v] = std::min(low[v], low[w]);
        } else if (on[w]) {
          low[v] = std::min(low[v], index[w]);
        }
      }
      if (low[v] == index[v]) {
        std::vector<int> comp;
        int w;
        do {
          w = stack.back();
          stack.pop_back();
          on[w] = 0;
          comp.push_back(w);
        } while (w != v);
        bool self = std::find(unit[v].begin(), unit[v].end(), v) != unit[v].end();
        if (comp.size() > 1 || self) {
          int first = *std::min_element(comp.begin(), comp.end());
          std::string names;
          for (int c : comp) names += (names.empty() ? "" : ", ") + g_.symbols[c].name;
          diags_.error(g_.symbols[first].loc,
                       "cyclic derivation: '" + g_.symbols[first].name + "' can derive itself (" + names +
                           "); a repeated element must not match the empty input");
        }
      }
    };
    for (size_t s = g_.nterminals; s < ns; ++s)
      if (index[s] < 0) strong(static_cast<int>(s));
  }

  const GrammarAst& ast_;
  Grammar& g_;
  Diagnostics& diags_;
  std::map<std::string, int> rule_index_;
  std::map<std::pair<bool, std::string>, int> terminals_;
  std::vector<Symbol> term_syms_;
  std::vector<Symbol> nonterm_;
  std::vector<PendingProd> pending_;
  std::map<std::pair<char, int>, int> wrapped_;
  std::map<std::string, int> group_count_;
};

}  // namespace

bool lower_grammar(const GrammarAst& ast, Grammar& out, Diagnostics& diags) {
  Lowerer l(ast, out, diags);
  return l.run();
}

}  // namespace glr::gen
