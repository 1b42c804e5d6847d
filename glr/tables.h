// Format of the parse tables that glrgen writes and the runtime reads.
//
// A generated grammar source defines one `const glr::Tables` object with
// static storage; everything it points to is read-only data, so any number of
// parsers on any number of threads may share it. The runtime refuses tables
// whose `format` differs from kTablesFormat.
#pragma once

#include <cstdint>

namespace glr {

class ActionContext;

inline constexpr uint32_t kTablesFormat = 7;

using ActionFn = void (*)(ActionContext&);

enum SymbolKind : uint8_t {
  kTerminal = 0,
  kRule = 1,    // a nonterminal written in the grammar
  kGroup = 2,   // a parenthesised group
  kOption = 3,  // x?
  kRepeat = 4,  // x* or x+
};

struct ProductionInfo {
  uint32_t lhs;
  uint32_t length;      // number of right-hand side symbols
  uint32_t rhs_first;   // index of the first symbol in Tables::rhs
  uint32_t action;      // index into Tables::actions; 0 = no action
  const char* where;    // "file:line" of the alternative, for diagnostics and coverage
};

// What the parser reduces by. Optional elements are expanded at generation
// time: a production with options has one parse production per combination
// of present and absent options, each building the forest node of its
// production (the option nodes are made on the way, as the production's
// children). A parse production without a recipe has the production's own
// children.
struct ParseProductionInfo {
  uint32_t lhs;
  uint32_t length;        // number of symbols the parser pops
  uint32_t production;    // index into Tables::productions
  uint32_t recipe_first;  // index of the first entry in Tables::recipes, or kNoRecipe
};

inline constexpr uint32_t kNoRecipe = 0xffffffffu;

// One child of a production built by a parse production with a recipe.
struct RecipeEntry {
  enum Kind : uint32_t {
    kChild = 0,    // parse child `kid`
    kPresent = 1,  // option node (production `production`, x? -> x) over parse child `kid`
    kAbsent = 2,   // empty option node (production `production`) where parse child `kid`
                   // starts, or where the production ends when `kid` is the parse length
  };
  uint32_t kind;
  uint32_t kid;
  uint32_t production;
};

struct ShiftEntry {
  uint32_t terminal;
  uint32_t target;
};

struct GotoEntry {
  uint32_t symbol;
  uint32_t target;
};

struct ReduceEntry {
  uint32_t production;  // index into Tables::parse_productions
  uint32_t lookahead;  // index of the lookahead bit set
};

struct StateInfo {
  uint32_t shift_first, shift_count;    // sorted by terminal
  uint32_t goto_first, goto_count;      // sorted by symbol
  uint32_t reduce_first, reduce_count;  // in production order
  uint64_t scanners;                    // bit i: scanner i has a terminal this state can use
  uint32_t usable;                      // lookahead set of the terminals the state shifts or reduces on
};

// One DFA over byte classes. State 0 is dead, state 1 the start; a state's
// accept list names the terminals whose expression matches the bytes read so
// far. Lists live in a pool as a count followed by the terminals in ascending
// order; equal lists are stored once, so equal offsets mean equal lists.
struct ScannerInfo {
  uint32_t nstates;
  uint32_t nclasses;
  const uint8_t* byte_class;      // [256]
  const uint32_t* transitions;    // [nstates * nclasses], or null when transitions16 is used
  const uint16_t* transitions16;  // the same for scanners of fewer than 65536 states
  const uint32_t* accept_at;      // [nstates]: offset of the state's list in accept_pool
  const uint16_t* accept_pool;
  uint32_t accept_pool_size;      // entries in accept_pool
};

struct Tables {
  uint32_t format;
  uint32_t nterminals;  // terminal 0 is the end of input
  uint32_t nsymbols;
  uint32_t nproductions;  // production 0 is $accept -> start
  uint32_t nstates;
  uint32_t start_symbol;
  const char* const* symbol_names;
  const uint8_t* symbol_kinds;  // SymbolKind
  const uint8_t* keyword;       // per terminal: 1 keyword, 0 regular expression
  const ProductionInfo* productions;  // the grammar's productions: forest nodes, actions, coverage
  const uint32_t* rhs;
  const StateInfo* states;
  const ShiftEntry* shifts;
  const GotoEntry* gotos;
  const ReduceEntry* reduces;
  uint32_t lookahead_words;  // 64-bit words per lookahead set
  const uint64_t* lookaheads;
  uint32_t nscanners;
  const ScannerInfo* scanners;
  const ActionFn* actions;
  const char* source;  // the grammar files the tables were generated from
  uint32_t nparse_productions;  // parse production 0 is production 0
  const ParseProductionInfo* parse_productions;
  const RecipeEntry* recipes;
};

}  // namespace glr
