// LR automaton construction and C++ output of the generator.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "glr/gen/grammar.h"
#include "glr/gen/regex.h"

namespace glr::gen {

struct Tables {
  struct State {
    std::vector<std::pair<int, int>> shifts;   // terminal -> state, sorted
    std::vector<std::pair<int, int>> gotos;    // nonterminal -> state, sorted
    std::vector<std::pair<int, int>> reduces;  // production, lookahead set
    uint64_t scanners = 0;
    int usable = 0;  // lookahead set: terminals shifted or reduced on
  };
  std::vector<State> states;
  std::vector<std::vector<uint64_t>> lookaheads;
  std::vector<Dfa> scanners;
  int conflicts = 0;  // states where some terminal has more than one action
};

// The productions the LR automaton is built from. Optional elements are
// expanded here: a production with options becomes one parse production per
// combination of present and absent options, so an option costs the parser no
// reduction of its own. Each parse production names the grammar production
// whose forest node it builds and, for each element of that production, where
// the child comes from (see glr::RecipeEntry). An option symbol is expanded
// everywhere or nowhere; options of productions with more than
// kMaxExpandedOptions of them stay symbols (and get their own reductions).
struct ParseProductions {
  static constexpr int kMaxExpandedOptions = 6;
  struct Entry {
    int kind;        // 0 the parse child `kid`; 1 option `production` around parse child `kid`;
                     // 2 option `production` absent, sitting where parse child `kid` starts
                     // (or where the production ends when `kid` is the parse length)
    int kid;
    int production;  // the option's production (present: x? -> x, absent: x? -> empty)
  };
  struct Prod {
    int lhs = 0;
    std::vector<int> rhs;
    int production = 0;          // grammar production built
    std::vector<Entry> recipe;   // empty: the children are the parse children as they are
  };
  std::vector<Prod> prods;
};
void expand_options(const Grammar& g, ParseProductions& out);

// Builds the LR(0) automaton with LALR(1) lookahead sets and the scanners
// over the parse productions of g (reduce entries name parse productions).
bool build_tables(const Grammar& g, const ParseProductions& pp, Tables& out, Diagnostics& diags);

struct EmitOptions {
  std::string routines_header;  // included by the generated source
  std::string routines;         // class or namespace with the routine set
  std::string ns;               // namespace of the generated tables
  std::string header_include;   // how the source includes the generated header
  std::string source_name;      // path of the generated source, for #line
};

void emit(const Grammar& g, const ParseProductions& pp, const Tables& t, const EmitOptions& opt,
          std::string& header, std::string& source);

}  // namespace glr::gen
