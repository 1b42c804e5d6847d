// Terminal matchers at generation time: the regular-expression dialect of the
// grammar files, compiled with the keywords into one or more byte DFAs.
#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

namespace glr::gen {

// Thompson NFA shared by every terminal of a scanner.
struct Nfa {
  struct State {
    std::vector<int> eps;
    int set = -1;  // index into sets, or -1
    int to = -1;
    int accept = -1;  // terminal id accepted here, or -1
  };
  std::vector<State> states;
  std::vector<std::bitset<256>> sets;

  int add_state() {
    states.emplace_back();
    return static_cast<int>(states.size()) - 1;
  }
};

struct RegexError {
  int offset = -1;  // byte offset into the source; -1 = no error
  std::string message;
  int warning_offset = -1;  // set when a stray ')' ended the expression
  bool matches_empty_only = false;
};

// Parses `source` in the grammar's regex dialect and adds it to `nfa` as a
// fragment from a new start state to a state accepting `terminal`.
// Returns the fragment's start state, or -1 with `err` set.
int add_regex(Nfa& nfa, const std::string& source, int terminal, RegexError& err);
// Adds a keyword (exact bytes).
int add_keyword(Nfa& nfa, const std::string& bytes, int terminal);

// Dense DFA over byte classes. State 0 is dead, state 1 the start.
struct Dfa {
  std::vector<uint8_t> byte_class;      // 256 entries
  int nclasses = 0;
  std::vector<uint32_t> trans;          // nstates * nclasses
  std::vector<uint32_t> accept_first;   // nstates + 1
  std::vector<uint16_t> accept_terms;   // sorted per state
  int nstates() const { return static_cast<int>(accept_first.size()) - 1; }
};

// Builds the DFA of the given fragment starts. Returns false when more than
// `max_states` states would be needed.
bool build_dfa(const Nfa& nfa, const std::vector<int>& starts, int max_states, Dfa& out);

}  // namespace glr::gen
