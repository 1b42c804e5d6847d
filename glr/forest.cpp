// Disambiguation of the parse forest, the chosen tree, and the actions.
//
// Every forest node with more than one packed alternative is decided once,
// after its children's own choices (so each reading is one definite tree),
// when the chosen tree is copied out and reaches it:
//
//  1. Greediness. Take the nodes of each reading's tree that the other reading
//     lacks and walk them from the left, by start and then by symbol. At the
//     first start where both readings have a node of the same symbol, the
//     reading whose node ends later wins; with equal ends, the one whose node
//     has fewer children wins.
//  2. Height. The flatter reading (smaller tree height) wins.
//  3. The ambiguity hook chooses among the readings neither rule separated,
//     given in grammar order; without a hook the first is taken.
//
// Nothing here depends on addresses or hash order, so the same input gives the
// same tree on every run.
//
// The chosen tree is then copied into TreeNodes with the child lists the
// actions see: a group, option or repetition node has each child that is an
// option or repetition replaced by that child's own children (recursively, as
// those are flattened already); rule nodes keep one child per element.
// Actions run children first.
#include <algorithm>

#include "glr/internal.h"

namespace glr {

namespace {

bool flattens(uint8_t kind) { return kind == kGroup || kind == kOption || kind == kRepeat; }
bool is_list(uint8_t kind) { return kind == kOption || kind == kRepeat; }

uint32_t packed_height(const Packed* a) {
  uint32_t h = 0;
  for (uint32_t i = 0; i < a->nkids; ++i) h = std::max(h, a->kids[i]->height);
  return h + 1;
}

uint32_t child_count(const SymNode* n) { return n->chosen ? n->chosen->nkids : 0; }

}  // namespace

// Appends the nodes of the reading's tree in pre-order, which is also an
// order of non-decreasing start. With `prune`, a node the other reading has
// (marked with prune_stamp in `other`) is recorded in `mark` but neither
// listed nor descended into: its subtree is the same in both readings.
void Parser::Impl::collect(Packed* p, std::vector<SymNode*>& out, uint32_t SymNode::*mark, uint32_t stamp,
                           uint32_t SymNode::*other, uint32_t prune_stamp) {
  stack.assign(p->kids, p->kids + p->nkids);
  std::reverse(stack.begin(), stack.end());
  while (!stack.empty()) {
    SymNode* n = stack.back();
    stack.pop_back();
    if (n->*mark == stamp) continue;
    n->*mark = stamp;
    charge_work(1);
    if (other && n->*other == prune_stamp) continue;
    out.push_back(n);
    if (n->chosen)
      for (uint32_t k = n->chosen->nkids; k-- > 0;) stack.push_back(n->chosen->kids[k]);
  }
}

// < 0: a wins, > 0: b wins, 0: undecided.
int Parser::Impl::compare(Packed* a, Packed* b) {
  uint32_t sa = ++mark_stamp, sb = ++mark_stamp, sa2 = ++mark_stamp;
  // All of a; then b without what a has; then a without what b has.
  set_a.clear();
  collect(a, set_a, &SymNode::mark_a, sa, nullptr, 0);
  set_b.clear();
  collect(b, set_b, &SymNode::mark_b, sb, &SymNode::mark_a, sa);
  set_a.clear();
  collect(a, set_a, &SymNode::mark_a, sa2, &SymNode::mark_b, sb);

  // Both lists are ordered by start. At each start, look for a symbol both
  // readings have there, lowest symbol first.
  size_t i = 0, j = 0;
  while (i < set_a.size() && j < set_b.size()) {
    uint32_t s = std::min(set_a[i]->start, set_b[j]->start);
    size_t i_end = i, j_end = j;
    while (i_end < set_a.size() && set_a[i_end]->start == s) ++i_end;
    while (j_end < set_b.size() && set_b[j_end]->start == s) ++j_end;
    uint32_t done_below = 0;  // symbols below this are settled
    for (;;) {
      uint32_t sym = 0xffffffffu;
      for (size_t x = i; x < i_end; ++x) {
        uint32_t cand = set_a[x]->symbol;
        if (cand < done_below || cand >= sym) continue;
        for (size_t y = j; y < j_end; ++y)
          if (set_b[y]->symbol == cand) {
            sym = cand;
            break;
          }
      }
      if (sym == 0xffffffffu) break;
      SymNode* na = nullptr;
      SymNode* nb = nullptr;
      for (size_t x = i; x < i_end; ++x)
        if (set_a[x]->symbol == sym && (!na || set_a[x]->text_end > na->text_end)) na = set_a[x];
      for (size_t y = j; y < j_end; ++y)
        if (set_b[y]->symbol == sym && (!nb || set_b[y]->text_end > nb->text_end)) nb = set_b[y];
      if (na->text_end != nb->text_end) return na->text_end > nb->text_end ? -1 : 1;
      if (child_count(na) != child_count(nb)) return child_count(na) < child_count(nb) ? -1 : 1;
      done_below = sym + 1;
    }
    i = i_end;
    j = j_end;
  }
  uint32_t ha = packed_height(a), hb = packed_height(b);
  if (ha != hb) return ha < hb ? -1 : 1;
  return 0;
}

void Parser::Impl::resolve(SymNode* n, unsigned depth) {
  if (n->resolved) return;  // done, or a cycle through a node being resolved
  if (depth > limits.max_depth) throw BudgetExceeded{};
  n->resolved = 1;
  for (Packed* a = n->alts; a; a = a->next)
    for (uint32_t k = 0; k < a->nkids; ++k) resolve(a->kids[k], depth + 1);
  if (!n->alts->next) {
    n->chosen = n->alts;
  } else {
    std::vector<Packed*> survivors;
    for (Packed* a = n->alts; a; a = a->next) {
      bool beaten = false;
      for (size_t j = 0; j < survivors.size();) {
        int c = compare(survivors[j], a);
        if (c < 0) {
          beaten = true;
          break;
        }
        if (c > 0) survivors.erase(survivors.begin() + static_cast<std::ptrdiff_t>(j));
        else ++j;
      }
      if (!beaten) survivors.push_back(a);
    }
    // Survivors are in the forest's alternative order: production order.
    unsigned pick = 0;
    if (survivors.size() > 1 && ambiguity_fn) {
      Ambiguity amb{n->symbol, n->start, n->text_end, static_cast<unsigned>(survivors.size())};
      pick = ambiguity_fn(*self, amb, ambiguity_user);
      if (pick >= survivors.size()) pick = 0;
    }
    n->chosen = survivors[pick];
  }
  n->height = packed_height(n->chosen);
  n->resolved = 2;
}

TreeNode* Parser::Impl::materialize(SymNode* n, unsigned depth) {
  if (depth > limits.max_depth) throw BudgetExceeded{};
  charge_work(1);
  TreeNode* t = arena.make<TreeNode>();
  tree_nodes.push_back(t);
  t->symbol = n->symbol;
  t->start = n->start;
  t->end = n->text_end;
  t->value = nullptr;
  t->child_count = 0;
  t->children = nullptr;
  if (!n->alts) {
    t->production = kNoProduction;
    return t;
  }
  // A node with one derivation needs no disambiguation; an ambiguous one is
  // decided here, before its children are copied, with everything below it.
  if (n->resolved != 2) {
    if (!n->alts->next) n->chosen = n->alts;
    else resolve(n, depth);
  }
  Packed* a = n->chosen;
  t->production = a->production;
  if (coverage_on) ++coverage[a->production];
  if (!flattens(tables.symbol_kinds[n->symbol])) {
    // A rule node keeps one child per element.
    t->child_count = a->nkids;
    t->children = arena.array<TreeNode*>(a->nkids);
    for (uint32_t k = 0; k < a->nkids; ++k) t->children[k] = materialize(a->kids[k], depth + 1);
    return t;
  }
  size_t base = scratch.size();
  for (uint32_t k = 0; k < a->nkids; ++k) {
    TreeNode* c = materialize(a->kids[k], depth + 1);
    if (is_list(tables.symbol_kinds[c->symbol])) {
      scratch.insert(scratch.end(), c->children, c->children + c->child_count);
    } else {
      scratch.push_back(c);
    }
  }
  t->child_count = static_cast<uint32_t>(scratch.size() - base);
  t->children = arena.array<TreeNode*>(t->child_count);
  std::copy(scratch.begin() + static_cast<std::ptrdiff_t>(base), scratch.end(), t->children);
  scratch.resize(base);
  return t;
}

void Parser::Impl::run_actions(TreeNode* n, ActionContext& ctx, unsigned depth) {
  for (uint32_t k = 0; k < n->child_count; ++k) run_actions(n->children[k], ctx, depth + 1);
  if (n->production == kNoProduction) return;
  uint32_t id = tables.productions[n->production].action;
  if (!id) return;
  ctx.node_ = n;
  tables.actions[id](ctx);
}

void Parser::Impl::release_tree() {
  for (TreeNode* t : tree_nodes) {
    if (t->value && free_fn) free_fn(t->value, free_user);
    t->value = nullptr;
  }
  tree_nodes.clear();
  tree = nullptr;
}

}  // namespace glr
