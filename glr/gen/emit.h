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

// Builds the LR(0) automaton with SLR(1) lookahead sets and the scanners.
bool build_tables(const Grammar& g, Tables& out, Diagnostics& diags);

struct EmitOptions {
  std::string routines_header;  // included by the generated source
  std::string routines;         // class or namespace with the routine set
  std::string ns;               // namespace of the generated tables
  std::string header_include;   // how the source includes the generated header
  std::string source_name;      // path of the generated source, for #line
};

void emit(const Grammar& g, const Tables& t, const EmitOptions& opt, std::string& header,
          std::string& source);

}  // namespace glr::gen
