// Grammar model used by the table generator: the syntax tree of the .g files
// as read, the diagnostics collected while reading and checking them, and the
// plain (BNF) grammar that the EBNF forms are lowered to.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace glr::gen {

struct Loc {
  const std::string* file = nullptr;  // owned by the Diagnostics' file list
  int line = 0;
  int col = 0;
};

struct Diag {
  Loc loc;
  bool error = true;
  std::string message;
};

// Collects errors and warnings; every message carries file:line:column.
class Diagnostics {
 public:
  const std::string* intern_file(const std::string& name);
  void error(const Loc& loc, std::string message);
  void warning(const Loc& loc, std::string message);
  bool has_errors() const { return errors_ > 0; }
  int error_count() const { return errors_; }
  const std::vector<Diag>& all() const { return diags_; }
  // "file:line:col: error: message" lines, in the order reported.
  std::string format() const;

 private:
  std::vector<std::unique_ptr<std::string>> files_;
  std::vector<Diag> diags_;
  int errors_ = 0;
};

// ---- Syntax tree of the grammar files -------------------------------------

enum class ItemKind {
  Literal,        // "text" / _"text"
  Value,          // $k / _$k
  TrimZeros,      // nz($k)
  Text,           // txt($k)
  Children,       // all($k) and flagged forms
  Move,           // =$k
  Category,       // {cat X}
  Reject,         // {reject} / {reject "msg"}
  Routine,        // Name($a, $b, ...)
  ActionRoutine,  // @Name
};

struct ActionItem {
  ItemKind kind = ItemKind::Literal;
  bool space = false;          // leading '_' (space before / before first child)
  bool space_between = false;  // all_(...) forms
  int k = -1;                  // element index for the one-argument forms
  std::string text;            // literal, category, reject message
  bool has_text = false;       // {reject "msg"} as opposed to {reject}
  std::string name;            // routine name
  std::vector<int> args;       // routine arguments (element indexes)
  Loc loc;
};

struct Action {
  bool present = false;  // written with "=>"
  std::vector<ActionItem> items;
  Loc loc;
};

enum class ElemKind { Nonterminal, Keyword, Regex, Group };

struct Alternative;

struct Element {
  ElemKind kind = ElemKind::Nonterminal;
  std::string text;  // name, keyword bytes, or regex source (unescaped \/)
  std::vector<Alternative> alts;  // Group only
  std::vector<char> postfix;      // '?', '*', '+' in the order written
  Loc loc;
};

struct Alternative {
  std::vector<Element> elems;
  Action action;
  Loc loc;
};

struct Rule {
  std::string name;
  Loc loc;
  std::vector<Alternative> alts;
};

struct RoutineDecl {
  int arity = 0;  // -1 for %action
  Loc loc;
};

struct GrammarAst {
  std::vector<Rule> rules;
  std::string start;
  Loc start_loc;
  std::map<std::string, RoutineDecl> routines;  // %routine
  std::map<std::string, RoutineDecl> actions;   // %action
  std::vector<std::string> files;
};

// Reads one grammar file into `ast` (appending). Reports syntax errors.
void read_grammar_file(const std::string& path, GrammarAst& ast, Diagnostics& diags);
// Same, from text already in memory (used by tests).
void read_grammar_text(const std::string& name, const std::string& text, GrammarAst& ast,
                       Diagnostics& diags);

// ---- Lowered grammar ------------------------------------------------------

enum class SymKind : uint8_t { Terminal = 0, Rule = 1, Group = 2, Option = 3, Repeat = 4 };

struct Symbol {
  std::string name;  // display name: rule name, "keyword", /regex/, generated names
  SymKind kind = SymKind::Terminal;
  bool is_regex = false;
  std::string bytes;  // keyword bytes or regex source
  Loc loc;
};

struct Production {
  int lhs = 0;
  std::vector<int> rhs;
  Action action;              // copy of the alternative's action (may be absent)
  bool default_passup = false;  // rule alternative of one nonterminal element, no action
  Loc loc;
};

struct Grammar {
  std::vector<Symbol> symbols;  // terminals first (0 = end of input), then nonterminals
  int nterminals = 0;
  std::vector<Production> productions;  // 0 is the augmented start production
  int start = -1;
  std::vector<std::string> files;
  std::map<std::string, RoutineDecl> routines;
  std::map<std::string, RoutineDecl> actions;
};

// Checks the syntax tree and lowers it. Returns false (with errors in `diags`)
// when the grammar cannot be used.
bool lower_grammar(const GrammarAst& ast, Grammar& out, Diagnostics& diags);

}  // namespace glr::gen
