// The seam between the generated actions and the code that owns node values.
//
// glrgen turns every action template into calls on a routine set, a class
// (static member functions) or namespace named at generation time with
// glr_add_grammar(... ROUTINES <name>). The engine only moves one opaque
// pointer per node; what a value is, and how it is built, belongs to the
// routine set. A routine set provides:
//
//   AppendLiteral(ActionContext&, std::string_view literal, bool space)
//       "text" / _"text"
//   AppendValue(ActionContext&, unsigned k, bool space)            $k / _$k
//   AppendValueTrimZeros(ActionContext&, unsigned k, bool space)   nz($k)
//   AppendMatchedText(ActionContext&, unsigned k, bool space)      txt($k)
//   AppendChildValues(ActionContext&, unsigned k, bool space_before_first,
//                     bool space_between)                          all($k) and flagged forms
//   MoveValue(ActionContext&, unsigned k)                          =$k
//   DefaultPassUp(ActionContext&)  for a rule alternative of exactly one
//                                  nonterminal element written without "=>"
//   SetCategory(ActionContext&, std::string_view)                  {cat X}
//   Reject(ActionContext&) / Reject(ActionContext&, std::string_view message)
//   Name(ActionContext&, unsigned k1, ...)   each %routine Name N, in place on
//                                            the children's values
//   Name(ActionContext&)                     each %action Name (@Name)
//
// Items are called in the order written. Element numbers k are the
// alternative's elements as written; in a group alternative they index the
// group node's child list, in which options and repetitions are replaced by
// their own children. A k past the child list is a child without value:
// child() returns null. Alternatives without an action and without default
// pass-up call nothing.
//
// Actions run once per parse, children before parents, after the whole input
// has parsed. Values set on nodes are released through the parser's free-node
// hook when the tree is freed; a routine that drops a value must release it
// itself (or hand it to release()).
#pragma once

#include <string_view>

#include "glr/parser.h"

namespace glr {

class ActionContext {
 public:
  TreeNode& node() const { return *node_; }
  void* value() const { return node_->value; }
  void set_value(void* v) const { node_->value = v; }

  unsigned child_count() const { return node_->child_count; }
  // Element k's node, or null when the child list is shorter.
  TreeNode* child(unsigned k) const { return k < node_->child_count ? node_->children[k] : nullptr; }
  void* child_value(unsigned k) const {
    TreeNode* c = child(k);
    return c ? c->value : nullptr;
  }
  // Does nothing when there is no child k.
  void set_child_value(unsigned k, void* v) const {
    if (TreeNode* c = child(k)) c->value = v;
  }
  // The input a node matched (see TreeNode::start).
  std::string_view text(const TreeNode& n) const { return std::string_view(input_ + n.start, n.end - n.start); }
  std::string_view child_text(unsigned k) const {
    TreeNode* c = child(k);
    return c ? text(*c) : std::string_view();
  }

  void* globals() const { return globals_; }
  Parser& parser() const { return *parser_; }
  // Passes a value to the free-node hook.
  void release(void* v) const;

 private:
  friend class Parser;
  friend struct Parser::Impl;
  ActionContext(Parser* p, const char* input, void* globals) : parser_(p), input_(input), globals_(globals) {}
  Parser* parser_;
  const char* input_;
  void* globals_;
  TreeNode* node_ = nullptr;
};

}  // namespace glr
