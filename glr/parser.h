// The GLR runtime: parses a byte buffer with generated tables (glr/tables.h),
// picks one tree from the parse forest and runs the grammar's actions over it.
//
// Typical use (one parser per thread, reused for many inputs):
//
//   glr::Parser parser(my_grammar::tables());
//   parser.set_free_node_hook([](void* v, void*) { delete static_cast<std::string*>(v); });
//   parser.set_globals(&record);
//   bool ok = parser.parse(text.data(), text.size());
//
// A parser owns all memory of a parse (an arena reused from one parse to the
// next) and keeps no global state; parsers on different threads share only the
// read-only tables.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "glr/tables.h"

namespace glr {

inline constexpr uint32_t kNoProduction = 0xffffffffu;

// One node of the chosen parse tree, as the actions see it.
struct TreeNode {
  uint32_t symbol;
  uint32_t production;  // kNoProduction for a terminal
  uint32_t start;       // matched bytes [start, end): from the first token's first byte to the
  uint32_t end;         // last token's last byte (white space skipped around tokens is not
                        // included; a token's own bytes are, even blanks an expression matched)
  uint32_t child_count;
  TreeNode** children;  // the child list (options and repetitions inside groups, options
                        // and repetitions already replaced by their own children)
  void* value;          // the user's one-pointer value; null until an action sets it
};

struct SyntaxError {
  unsigned line;    // 1-based
  unsigned column;  // 1-based, in bytes
  size_t offset;    // byte offset where the input stopped making sense
  bool has_after;   // whether a node was parsed before the error
  std::string_view after;  // text of the widest node that ends at the error position
};

struct Ambiguity {
  uint32_t symbol;
  uint32_t start, end;
  unsigned readings;  // number of readings left after greediness and height, >= 2
};

// Caps on one parse. Reaching any of them fails the parse (budget_exceeded()
// reports it); it never crashes or runs on. The chosen tree is built and its
// actions run in one pass, so a limit reached while the tree is built (its
// depth, or the work of deciding ambiguous nodes) can leave some actions run:
// whatever they wrote to the globals belongs to a failed parse. Their node
// values are released through the free-node hook.
struct Limits {
  size_t max_input = size_t{1} << 20;     // bytes (at most 4 MiB - 1)
  size_t max_gss_nodes = 200000;          // stack nodes
  size_t max_forest_nodes = 500000;       // forest nodes and packed alternatives
  size_t max_work = 1000000;              // steps of stack paths, scanners, forest and edge lookups,
                                          // disambiguation; a typical citation takes 50 to 150
  unsigned max_depth = 2000;              // nesting of the chosen tree
};

class Parser {
 public:
  // Releases one node value when its tree is freed.
  using FreeNodeFn = void (*)(void* value, void* user);
  // Called once for a failed parse. The hook may call set_error_recovery(false).
  using SyntaxErrorFn = void (*)(Parser& parser, const SyntaxError& error, void* user);
  // Chooses among the readings left after greediness and height, given in
  // grammar order (the alternative written first comes first). An answer out
  // of range takes reading 0.
  using AmbiguityFn = unsigned (*)(Parser& parser, const Ambiguity& ambiguity, void* user);

  // Throws std::invalid_argument when the tables have another format version.
  explicit Parser(const Tables& tables);
  ~Parser();
  Parser(const Parser&) = delete;
  Parser& operator=(const Parser&) = delete;

  void set_globals(void* globals);
  void* globals() const;
  void set_free_node_hook(FreeNodeFn fn, void* user = nullptr);
  void set_syntax_error_hook(SyntaxErrorFn fn, void* user = nullptr);
  void set_ambiguity_hook(AmbiguityFn fn, void* user = nullptr);
  // The engine does not resynchronise after a syntax error: a parse always
  // ends at its first error. The flag is kept for drivers that switch it off.
  void set_error_recovery(bool on);
  bool error_recovery() const;
  // Keep the chosen tree (and its values) after parse() until free_tree(),
  // the next parse or the parser's destruction. Off by default: values are
  // freed as soon as the actions have run.
  void set_keep_tree(bool keep);
  void set_limits(const Limits& limits);
  // Counts, per production, how often it appears in chosen trees.
  void set_coverage(bool on);
  const std::vector<uint64_t>& coverage() const;

  // Parses input[0, length). True when the whole input parsed and the actions
  // ran; false on a syntax error or an exceeded limit.
  bool parse(const char* input, size_t length);
  unsigned syntax_errors() const;
  bool budget_exceeded() const;
  // The chosen tree of the last successful parse with keep_tree on, else null.
  const TreeNode* tree() const;
  void free_tree();

  const Tables& tables() const;
  std::string_view symbol_name(uint32_t symbol) const;
  // Bytes of arena memory the parser holds (for measurements).
  size_t memory_in_use() const;
  // What the last parse used, in the units of Limits.
  struct Stats {
    size_t gss_nodes, forest_nodes, work;
  };
  Stats stats() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  friend class ActionContext;
};

}  // namespace glr
