// Disambiguation of the parse forest, the chosen tree, and the actions.
//
// Every forest node with more than one packed alternative is decided once,
// after its children's own choices (so each reading is one definite tree),
// when the chosen tree is copied out and reaches it:
//
//  1. Greediness. Take the nodes of each reading's tree that the other reading
//     lacks, together with the two competing readings themselves (the node
//     being decided, once with each derivation: same symbol, same span,
//     different children). Walk them from the left, by start and then by
//     symbol. At the first start where both readings have a node of the same
//     symbol, the reading whose node ends later wins; with equal ends, the one
//     whose node has fewer children wins. So where nothing below tells two
//     readings apart, the one with fewer children at the contested node wins
//     ("hr" as one keyword rather than "h" then "r").
//     Where a node ends, for this rule: at the end of its last token, except
//     when its last child, followed down the last children, is empty (an
//     absent option, an empty repetition). Such a node ends where that empty
//     node sits, which is after the white space that follows the last token,
//     before the next one. A reading that stops at a token therefore loses to
//     one that ends with an absent option and is followed by a blank.
//  2. Height. The flatter reading (smaller tree height) wins. A terminal has
//     height 0, any other node one more than its highest child; a node
//     without children (an empty production) has height 1.
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
// A node's action runs as soon as its children are copied, so actions run
// children first, in the order of a walk of the finished tree: an option or
// repetition dropped from a child list has no action of its own, and its
// children's actions have run by then as they would have in their new place.
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

uint32_t child_count(const Packed* d) { return d ? d->nkids : 0; }

// Where node n, derived by d, ends for the greediness rule (see above).
// Below a node being decided every node has its derivation chosen.
uint32_t greedy_end(const SymNode* n, const Packed* d) {
  for (const Packed* at = d; at; at = at->kids[at->nkids - 1]->chosen)
    if (at->nkids == 0) return n->end;
  return n->text_end;
}

}  // namespace

// Appends the nodes of reading p of node n: first n itself with derivation p,
// then the nodes below in pre-order, which is also an order of non-decreasing
// start. With `prune`, a node the other reading has (marked with prune_stamp
// in `other`) is recorded in `mark` but neither listed nor descended into: its
// subtree is the same in both readings. n is listed in both readings, since
// there the readings differ.
void Parser::Impl::collect(SymNode* n, Packed* p, std::vector<ReadingNode>& out, uint32_t SymNode::*mark,
                           uint32_t stamp, uint32_t SymNode::*other, uint32_t prune_stamp) {
  out.clear();
  out.push_back({n, p});
  stack.assign(p->kids, p->kids + p->nkids);
  std::reverse(stack.begin(), stack.end());
  while (!stack.empty()) {
    SymNode* k = stack.back();
    stack.pop_back();
    if (k->*mark == stamp) continue;
    k->*mark = stamp;
    charge_work(1);
    if (other && k->*other == prune_stamp) continue;
    out.push_back({k, k->chosen});
    if (k->chosen)
      for (uint32_t c = k->chosen->nkids; c-- > 0;) stack.push_back(k->chosen->kids[c]);
  }
}

// Readings a and b of node n. < 0: a wins, > 0: b wins, 0: undecided.
int Parser::Impl::compare(SymNode* n, Packed* a, Packed* b) {
  uint32_t sa = ++mark_stamp, sb = ++mark_stamp, sa2 = ++mark_stamp;
  // All of a; then b without what a has; then a without what b has.
  collect(n, a, set_a, &SymNode::mark_a, sa, nullptr, 0);
  collect(n, b, set_b, &SymNode::mark_b, sb, &SymNode::mark_a, sa);
  collect(n, a, set_a, &SymNode::mark_a, sa2, &SymNode::mark_b, sb);

  // Both lists are ordered by start. At each start, look for a symbol both
  // readings have there, lowest symbol first.
  size_t i = 0, j = 0;
  while (i < set_a.size() && j < set_b.size()) {
    uint32_t s = std::min(set_a[i].node->start, set_b[j].node->start);
    size_t i_end = i, j_end = j;
    while (i_end < set_a.size() && set_a[i_end].node->start == s) ++i_end;
    while (j_end < set_b.size() && set_b[j_end].node->start == s) ++j_end;
    uint32_t done_below = 0;  // symbols below this are settled
    for (;;) {
      uint32_t sym = 0xffffffffu;
      for (size_t x = i; x < i_end; ++x) {
        uint32_t cand = set_a[x].node->symbol;
        if (cand < done_below || cand >= sym) continue;
        for (size_t y = j; y < j_end; ++y)
          if (set_b[y].node->symbol == cand) {
            sym = cand;
            break;
          }
      }
      if (sym == 0xffffffffu) break;
      // Of several nodes of the symbol at this start, the one ending last.
      const ReadingNode* na = nullptr;
      const ReadingNode* nb = nullptr;
      uint32_t end_a = 0, end_b = 0;
      for (size_t x = i; x < i_end; ++x) {
        if (set_a[x].node->symbol != sym) continue;
        uint32_t e = greedy_end(set_a[x].node, set_a[x].derivation);
        if (!na || e > end_a) {
          na = &set_a[x];
          end_a = e;
        }
      }
      for (size_t y = j; y < j_end; ++y) {
        if (set_b[y].node->symbol != sym) continue;
        uint32_t e = greedy_end(set_b[y].node, set_b[y].derivation);
        if (!nb || e > end_b) {
          nb = &set_b[y];
          end_b = e;
        }
      }
      if (end_a != end_b) return end_a > end_b ? -1 : 1;
      uint32_t ca = child_count(na->derivation), cb = child_count(nb->derivation);
      if (ca != cb) return ca < cb ? -1 : 1;
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
        int c = compare(n, survivors[j], a);
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
    run_action(t);
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
  run_action(t);
  return t;
}

void Parser::Impl::run_action(TreeNode* t) {
  if (uint32_t id = tables.productions[t->production].action) {
    actions_ctx->node_ = t;
    tables.actions[id](*actions_ctx);
  }
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
