// Scannerless generalized LR parsing.
//
// The input is read position by position. A *level* is a byte offset where
// some stack can continue: the start (after leading white space) and the end
// of every accepted token (again after white space). Each level holds the
// graph-structured stack (GSS) nodes that have reached it, one per LR state.
//
// At a level the scanners run once: every DFA whose terminals some state of
// the level can use walks forward from the level and reports each terminal at
// each of its maximal-run lengths (a length L where it matches and L+1 does
// not). Those tokens drive the level's work:
//
//  1. Reductions. Every node is reduced by each parse production whose
//     lookahead set holds one of the level's terminals (or the end of input),
//     along every stack path of the parse production's length. A reduction
//     finds or makes the forest node (symbol, start, level) and adds the
//     packed alternative (production, children) to it; equal subtrees are
//     therefore shared. A parse production is a grammar production with its
//     optional elements expanded (glr/tables.h): the option nodes among the
//     children are made by the reduction, one per option and span, as the
//     options' own reductions would have made them.
//     A stack state whose one action is a one-element reduction is passed
//     through: its node is not made, and the reduction into it goes on with
//     the next one at once (see reducer()).
//     When a reduction adds an edge to a node whose reductions have already
//     run, those reductions are redone for the paths through the new edge
//     only (the Farshi/Rekers correction that makes empty productions and
//     hidden left recursion work).
//  2. Shifts. Every node shifts every token its state accepts onto the node
//     of the target state at the level where the token ends.
//
// Levels are visited in increasing order; tokens are never empty, so shifts
// only ever create later levels. The parse succeeds when the start symbol is
// reduced over the whole input at the end level. Otherwise the furthest level
// reached is where the syntax error is reported.
//
// Disambiguation and actions are in forest.cpp.
#include <algorithm>
#include <stdexcept>

#include "glr/internal.h"

namespace glr {

namespace {

// Blank, tab, line end, carriage return, form feed, vertical tab.
struct SpaceTable {
  bool space[256] = {};
  constexpr SpaceTable() {
    for (unsigned char c : {' ', '\t', '\n', '\r', '\f', '\v'}) space[c] = true;
  }
};
constexpr SpaceTable kSpace;

inline bool is_space(char c) { return kSpace.space[static_cast<unsigned char>(c)]; }

}  // namespace

void ActionContext::release(void* v) const {
  if (v && parser_->impl_->free_fn) parser_->impl_->free_fn(v, parser_->impl_->free_user);
}

// ---- Public interface -------------------------------------------------------

Parser::Parser(const Tables& tables) : impl_(std::make_unique<Impl>(tables)) {
  if (tables.format != kTablesFormat)
    throw std::invalid_argument("glr::Parser: parse tables have another format version");
  impl_->self = this;
  // state_node is read only where state_stamp matches, so it needs no initial values.
  impl_->state_stamp.reset(new uint32_t[tables.nstates]());
  impl_->state_node.reset(new GssNode*[tables.nstates]);
  impl_->sym_stamp.reset(new uint32_t[tables.nsymbols]());
  impl_->sym_head.reset(new SymNode*[tables.nsymbols]);
  impl_->sym_count.reset(new uint32_t[tables.nsymbols]);
  uint32_t longest = 1, longest_parse = 1;
  for (uint32_t i = 0; i < tables.nproductions; ++i) longest = std::max(longest, tables.productions[i].length);
  for (uint32_t i = 0; i < tables.nparse_productions; ++i)
    longest_parse = std::max(longest_parse, tables.parse_productions[i].length);
  impl_->kids_buffer.resize(longest_parse);
  impl_->fold.reset(new uint32_t[tables.nstates]);
  for (uint32_t i = 0; i < tables.nstates; ++i) {
    const StateInfo& st = tables.states[i];
    uint32_t f = Impl::kNoFold;
    if (st.shift_count == 0 && st.goto_count == 0 && st.reduce_count == 1) {
      const uint32_t prod = tables.reduces[st.reduce_first].production;
      if (prod != 0 && tables.parse_productions[prod].length == 1) f = st.reduce_first;
    }
    impl_->fold[i] = f;
  }
  impl_->tree_kids.resize(longest);
}

Parser::~Parser() { impl_->release_tree(); }

void Parser::set_globals(void* g) { impl_->globals = g; }
void* Parser::globals() const { return impl_->globals; }
void Parser::set_free_node_hook(FreeNodeFn fn, void* user) {
  impl_->free_fn = fn;
  impl_->free_user = user;
}
void Parser::set_syntax_error_hook(SyntaxErrorFn fn, void* user) {
  impl_->error_fn = fn;
  impl_->error_user = user;
}
void Parser::set_ambiguity_hook(AmbiguityFn fn, void* user) {
  impl_->ambiguity_fn = fn;
  impl_->ambiguity_user = user;
}
void Parser::set_error_recovery(bool on) { impl_->recovery = on; }
bool Parser::error_recovery() const { return impl_->recovery; }
void Parser::set_keep_tree(bool keep) { impl_->keep_tree = keep; }
void Parser::set_limits(const Limits& limits) { impl_->limits = limits; }
void Parser::set_coverage(bool on) {
  impl_->coverage_on = on;
  if (on) impl_->coverage.resize(impl_->tables.nproductions, 0);
}
const std::vector<uint64_t>& Parser::coverage() const { return impl_->coverage; }
unsigned Parser::syntax_errors() const { return impl_->errors; }
bool Parser::budget_exceeded() const { return impl_->exceeded; }
const TreeNode* Parser::tree() const { return impl_->tree; }
void Parser::free_tree() { impl_->release_tree(); }
const Tables& Parser::tables() const { return impl_->tables; }
std::string_view Parser::symbol_name(uint32_t symbol) const {
  return symbol < impl_->tables.nsymbols ? impl_->tables.symbol_names[symbol] : "";
}
size_t Parser::memory_in_use() const { return impl_->arena.held(); }
Parser::Stats Parser::stats() const { return {impl_->gss_count, impl_->forest_count, impl_->work}; }

bool Parser::parse(const char* input, size_t length) { return impl_->run(input, length); }

// ---- Parse ------------------------------------------------------------------

void Parser::Impl::reset() {
  release_tree();
  arena.reset();
  gss_map.clear();
  sym_map.clear();
  empty_options.clear();
  errors = 0;
  exceeded = false;
  gss_count = forest_count = work = 0;
  root = nullptr;
  initial = nullptr;
  level_open = false;
  folded.clear();
}

uint32_t Parser::Impl::skip_space(uint32_t p) const {
  for (;;) {
    while (p < length && is_space(input[p])) ++p;
    if (p + 1 < length && input[p] == '/' && input[p + 1] == '/') {
      while (p < length && input[p] != '\n') ++p;
      continue;
    }
    return p;
  }
}

bool Parser::Impl::run(const char* in, size_t len) {
  reset();
  input = in;
  if (len > limits.max_input || len >= (size_t{1} << 22)) {
    exceeded = true;
    return false;
  }
  length = static_cast<uint32_t>(len);
  level_head.assign(length + 1, nullptr);
  level_tail.assign(length + 1, nullptr);
  shifted_count.assign(length + 1, 0);
  empty_at.assign(length + 1, EmptyList{});
  try {
    uint32_t p0 = skip_space(0);
    bool created;
    initial = gss_node(0, p0, created);
    uint32_t furthest = p0;
    for (uint32_t p = p0; p <= length; ++p) {
      if (!level_head[p]) continue;
      furthest = p;
      process_level(p);
    }
    if (!root) {
      report_error(furthest);
      return false;
    }
  } catch (BudgetExceeded&) {
    exceeded = true;
    return false;
  }
  // The chosen tree is copied out and its actions run in the same walk.
  ActionContext ctx(self, input, globals);
  actions_ctx = &ctx;
  try {
    tree = materialize(root, 0);
  } catch (BudgetExceeded&) {
    release_tree();
    exceeded = true;
    return false;
  } catch (...) {
    release_tree();
    throw;
  }
  if (!keep_tree) release_tree();
  return true;
}

GssNode* Parser::Impl::new_gss_node(uint32_t state, uint32_t pos) {
  if (++gss_count > limits.max_gss_nodes) throw BudgetExceeded{};
  GssNode* n = arena.make<GssNode>();
  n->state = state;
  n->pos = pos;
  n->edges = nullptr;
  // Appended at the tail of its level, so levels are processed in creation order.
  n->next_in_level = nullptr;
  if (level_tail[pos]) level_tail[pos]->next_in_level = n;
  else level_head[pos] = n;
  level_tail[pos] = n;
  return n;
}

// Nodes of the level being processed (made by reductions) are found through a
// table indexed by state, valid while state_stamp matches.
GssNode* Parser::Impl::current_node(uint32_t state, bool& created) {
  if (state_stamp[state] == level_stamp) {
    created = false;
    return state_node[state];
  }
  GssNode* n = new_gss_node(state, level);
  state_stamp[state] = level_stamp;
  state_node[state] = n;
  created = true;
  return n;
}

// Nodes of later levels, made by shifts, are found by walking the level's
// list while it is short (a level rarely has more than two), and through the
// hash map once it is not.
GssNode* Parser::Impl::gss_node(uint32_t state, uint32_t pos, bool& created) {
  constexpr uint32_t kShortLevel = 8;
  auto key_of = [](uint32_t s, uint32_t p) { return (uint64_t{s} << 32) | p; };
  if (shifted_count[pos] <= kShortLevel) {
    for (GssNode* n = level_head[pos]; n; n = n->next_in_level)
      if (n->state == state) {
        created = false;
        return n;
      }
  } else if (void* found = gss_map.find(key_of(state, pos))) {
    created = false;
    return static_cast<GssNode*>(found);
  }
  GssNode* n = new_gss_node(state, pos);
  if (++shifted_count[pos] == kShortLevel + 1) {
    for (GssNode* m = level_head[pos]; m; m = m->next_in_level) gss_map.insert(key_of(m->state, pos), m);
  } else if (shifted_count[pos] > kShortLevel + 1) {
    gss_map.insert(key_of(state, pos), n);
  }
  created = true;
  return n;
}

SymNode* Parser::Impl::symnode(uint32_t sym, uint32_t start, uint32_t end) {
  // Up to kShortList nodes of one symbol per level are found by walking their
  // list; past that, the symbol's nodes at this level go to the hash map.
  constexpr uint32_t kShortList = 8;
  auto key_of = [](uint32_t s, uint32_t b, uint32_t e) { return (uint64_t{s} << 44) | (uint64_t{b} << 22) | e; };
  if (sym_stamp[sym] == level_stamp) {
    if (sym_count[sym] <= kShortList) {
      for (SymNode* n = sym_head[sym]; n; n = n->next_same)
        if (n->start == start) return n;
    } else if (void* found = sym_map.find(key_of(sym, start, end))) {
      return static_cast<SymNode*>(found);
    }
  } else {
    sym_stamp[sym] = level_stamp;
    sym_head[sym] = nullptr;
    sym_count[sym] = 0;
  }
  SymNode* n = new_symnode(sym, start, end);
  n->next_same = sym_head[sym];
  sym_head[sym] = n;
  if (++sym_count[sym] == kShortList + 1) {
    for (SymNode* m = n; m; m = m->next_same) sym_map.insert(key_of(sym, m->start, end), m);
  } else if (sym_count[sym] > kShortList + 1) {
    sym_map.insert(key_of(sym, start, end), n);
  }
  return n;
}

SymNode* Parser::Impl::new_symnode(uint32_t sym, uint32_t start, uint32_t end) {
  if (++forest_count > limits.max_forest_nodes) throw BudgetExceeded{};
  SymNode* n = arena.make<SymNode>();
  n->symbol = sym;
  n->start = start;
  n->end = end;
  n->text_end = start;
  n->alts = nullptr;
  n->chosen = nullptr;
  n->height = 0;
  n->mark_a = n->mark_b = 0;
  n->resolved = 0;
  n->next_same = nullptr;
  n->option = nullptr;
  return n;
}

// The option node (symbol of production `prod`, x? -> x) over node x: the
// node the option's own reduction would have made, with the same span as x.
// Over a non-empty span it is kept in x; over an empty one it may also be the
// absent option at that position, so it is found by position.
SymNode* Parser::Impl::option_over(uint32_t prod, SymNode* x) {
  if (x->start != x->end) {
    if (!x->option) {
      x->option = new_symnode(tables.productions[prod].lhs, x->start, x->end);
      add_packed(x->option, prod, &x, 1);
    }
    return x->option;
  }
  SymNode* n = empty_option(tables.productions[prod].lhs, x->start);
  add_packed(n, prod, &x, 1);
  return n;
}

// The absent option (production `prod`, x? -> empty) at pos.
SymNode* Parser::Impl::absent_option(uint32_t prod, uint32_t pos) {
  SymNode* n = empty_option(tables.productions[prod].lhs, pos);
  add_packed(n, prod, nullptr, 0);
  return n;
}

// Empty option nodes are listed per position (linked through next_same, which
// only nodes made by reductions use otherwise); a position with many of them
// moves to the hash map.
SymNode* Parser::Impl::empty_option(uint32_t sym, uint32_t pos) {
  constexpr uint32_t kShortList = 8;
  const uint64_t key = (uint64_t{sym} << 32) | pos;
  EmptyList& list = empty_at[pos];
  if (list.count <= kShortList) {
    for (SymNode* n = list.head; n; n = n->next_same)
      if (n->symbol == sym) return n;
  } else if (void* found = empty_options.find(key)) {
    return static_cast<SymNode*>(found);
  }
  SymNode* n = new_symnode(sym, pos, pos);
  n->next_same = list.head;
  list.head = n;
  if (++list.count == kShortList + 1) {
    for (SymNode* m = n; m; m = m->next_same) empty_options.insert((uint64_t{m->symbol} << 32) | pos, m);
  } else if (list.count > kShortList + 1) {
    empty_options.insert(key, n);
  }
  return n;
}

void Parser::Impl::add_packed(SymNode* n, uint32_t prod, SymNode** kids, uint32_t nkids) {
  for (Packed* a = n->alts; a; a = a->next) {
    charge_work(1);
    if (a->production != prod) continue;
    bool same = true;
    for (uint32_t i = 0; i < nkids && same; ++i) same = a->kids[i] == kids[i];
    if (same) return;
  }
  if (++forest_count > limits.max_forest_nodes) throw BudgetExceeded{};
  // The children are stored right after the alternative, in one allocation.
  Packed* a = static_cast<Packed*>(arena.allocate(sizeof(Packed) + sizeof(SymNode*) * nkids));
  a->production = prod;
  a->nkids = nkids;
  a->kids = reinterpret_cast<SymNode**>(a + 1);
  std::copy(kids, kids + nkids, a->kids);
  // Keep alternatives in grammar order so later steps see a stable order.
  Packed** at = &n->alts;
  while (*at && (*at)->production <= prod) at = &(*at)->next;
  a->next = *at;
  *at = a;
  if (n->text_end == n->start) {
    for (uint32_t i = nkids; i-- > 0;)
      if (kids[i]->text_end > kids[i]->start) {
        n->text_end = kids[i]->text_end;
        break;
      }
  }
}

uint32_t Parser::Impl::goto_state(uint32_t state, uint32_t sym) {
  GotoSlot& slot = goto_cache[(state * 31u + sym) & (kGotoCacheSize - 1)];
  if (slot.state == state && slot.symbol == sym) return slot.target;
  const StateInfo& st = tables.states[state];
  const GotoEntry* first = tables.gotos + st.goto_first;
  const GotoEntry* last = first + st.goto_count;
  const GotoEntry* it =
      std::lower_bound(first, last, sym, [](const GotoEntry& e, uint32_t s) { return e.symbol < s; });
  slot.state = state;
  slot.symbol = sym;
  slot.target = (it != last && it->symbol == sym) ? it->target : 0xffffffffu;
  return slot.target;
}

uint32_t Parser::Impl::shift_state(uint32_t state, uint32_t terminal) {
  GotoSlot& slot = shift_cache[(state * 31u + terminal) & (kGotoCacheSize - 1)];
  if (slot.state == state && slot.symbol == terminal) return slot.target;
  const StateInfo& st = tables.states[state];
  const ShiftEntry* first = tables.shifts + st.shift_first;
  const ShiftEntry* last = first + st.shift_count;
  const ShiftEntry* it =
      std::lower_bound(first, last, terminal, [](const ShiftEntry& e, uint32_t term) { return e.terminal < term; });
  slot.state = state;
  slot.symbol = terminal;
  slot.target = (it != last && it->terminal == terminal) ? it->target : 0xffffffffu;
  return slot.target;
}

bool Parser::Impl::lookahead_allows(uint32_t la_set) const {
  const uint64_t* bits = tables.lookaheads + size_t{la_set} * tables.lookahead_words;
  for (const LookaheadWord& w : lookahead)
    if (bits[w.word] & w.bits) return true;
  return false;
}

// The union of the terminal sets of a level's states (several of them), and
// of their scanners in `mask`. Levels see the same few combinations of states
// over and over, so unions are kept, by the sets they are made of.
const uint64_t* Parser::Impl::union_of_level(GssNode* first, uint64_t& mask) {
  const uint32_t words = tables.lookahead_words;
  uint32_t ids[UnionSlot::kMaxSets];
  uint32_t count = 0;
  uint64_t hash = 0;
  for (GssNode* n = first; n; n = n->next_in_level) {
    const StateInfo& st = tables.states[n->state];
    mask |= st.scanners;
    if (count < UnionSlot::kMaxSets) ids[count] = st.usable;
    ++count;
    hash = (hash + st.usable) * 0x9e3779b97f4a7c15ULL;
  }
  UnionSlot* slot = nullptr;
  usable_id = kNoUsableId;
  if (count <= UnionSlot::kMaxSets) {
    slot = &union_cache[(hash >> 58) & (kUnionCacheSize - 1)];
    if (slot->count == count && std::equal(ids, ids + count, slot->ids)) {
      usable_id = slot->id;
      return slot->bits.data();
    }
  }
  usable_union.assign(words, 0);
  for (GssNode* n = first; n; n = n->next_in_level) {
    const uint64_t* bits = tables.lookaheads + size_t{tables.states[n->state].usable} * words;
    for (uint32_t w = 0; w < words; ++w) usable_union[w] |= bits[w];
  }
  if (!slot) return usable_union.data();
  if (++union_number == kUnionId) {
    // Numbers are about to repeat: forget the unions numbered so far and the
    // lists cut down by them.
    for (size_t i = 0; i < kAcceptCacheSize; ++i) accept_cache[i].scanner = 0xffffffffu;
    for (size_t i = 0; i < kUnionCacheSize; ++i) union_cache[i].count = 0;
    union_number = 1;
  }
  slot->count = count;
  std::copy(ids, ids + count, slot->ids);
  slot->bits = usable_union;
  slot->id = usable_id = kUnionId | union_number;
  return slot->bits.data();
}

// The accept list at offset `at` of scanner `scanner`'s pool, cut down to the
// terminals in `usable` where that is kept, else the pool's own list.
const uint16_t* Parser::Impl::usable_accepts(uint32_t scanner, const uint16_t* pool, uint32_t at) {
  if (usable_id == kNoUsableId) return pool + at;
  AcceptSlot& slot = accept_cache[(at * 0x9e3779b1u + usable_id * 0x85ebca6bu + scanner) & (kAcceptCacheSize - 1)];
  if (slot.at != at || slot.usable_id != usable_id || slot.scanner != scanner) {
    slot.scanner = scanner;
    slot.at = at;
    slot.usable_id = usable_id;
    uint32_t n = 0;
    const uint16_t* a = pool + at + 1;
    for (const uint16_t* a_end = a + a[-1]; a != a_end; ++a) {
      if (!((usable[*a >> 6] >> (*a & 63)) & 1)) continue;
      if (n == AcceptSlot::kMaxTerminals) {
        n = AcceptSlot::kMaxTerminals + 1;
        break;
      }
      slot.list[1 + n++] = *a;
    }
    slot.fits = n <= AcceptSlot::kMaxTerminals;
    slot.list[0] = static_cast<uint16_t>(n);
  }
  return slot.fits ? slot.list : pool + at;
}

void Parser::Impl::scan(uint32_t p) {
  tokens.clear();
  lookahead.clear();
  if (p >= length) {
    lookahead.push_back({0, 1});
    return;
  }
  // The scanners and the terminals that the level's states can use. States
  // that reductions add here only shift terminals in the lookahead of the
  // reduction that made them, so the level's first nodes cover them.
  uint64_t mask = 0;
  const uint32_t words = tables.lookahead_words;
  GssNode* first = level_head[p];
  if (!first->next_in_level) {
    const StateInfo& st = tables.states[first->state];
    mask = st.scanners;
    usable = tables.lookaheads + size_t{st.usable} * words;
    usable_id = st.usable;
  } else {
    usable = union_of_level(first, mask);
  }
  for (uint32_t si = 0; mask; ++si, mask >>= 1) {
    if (!(mask & 1)) continue;
    const ScannerInfo& sc = tables.scanners[si];
    if (sc.transitions16) run_scanner(si, sc.transitions16, p);
    else run_scanner(si, sc.transitions, p);
  }
  for (const Token& t : tokens) {
    const uint32_t word = t.terminal >> 6;
    const uint64_t bit = uint64_t{1} << (t.terminal & 63);
    auto same = std::find_if(lookahead.begin(), lookahead.end(), [&](const LookaheadWord& w) { return w.word == word; });
    if (same == lookahead.end()) lookahead.push_back({word, bit});
    else same->bits |= bit;
  }
}

template <typename T>
void Parser::Impl::run_scanner(uint32_t scanner, const T* transitions, uint32_t p) {
  const ScannerInfo& sc = tables.scanners[scanner];
  // Locals, so that the loop does not reload them after every push_back.
  const uint64_t* const use = usable;
  auto wanted = [use](uint32_t t) { return (use[t >> 6] >> (t & 63)) & 1; };
  const uint8_t* const byte_class = sc.byte_class;
  const uint32_t* const accept_at = sc.accept_at;
  const uint16_t* const pool = sc.accept_pool;
  const size_t nclasses = sc.nclasses;
  const char* const text = input + p;
  const uint32_t avail = length - p;
  uint32_t state = 1;
  uint32_t prev_at = accept_at[1];
  uint32_t len = 0;
  while (len < avail) {
    uint32_t next = transitions[size_t{state} * nclasses + byte_class[static_cast<uint8_t>(text[len])]];
    if (!next) break;
    ++len;
    uint32_t cur_at = accept_at[next];
    // Terminals accepting at len-1 but not at len end a maximal run there.
    if (cur_at != prev_at && len > 1) {
      const uint16_t* a = usable_accepts(scanner, pool, prev_at) + 1;
      const uint16_t* a_end = a + a[-1];
      const uint16_t* c = usable_accepts(scanner, pool, cur_at) + 1;
      const uint16_t* c_end = c + c[-1];
      // Terminals of no use here are skipped first (the pool's own lists
      // still hold them).
      for (; a != a_end; ++a) {
        if (!wanted(*a)) continue;
        while (c != c_end && *c < *a) ++c;
        if (c == c_end || *c != *a) tokens.push_back({*a, len - 1, nullptr});
      }
    }
    prev_at = cur_at;
    state = next;
  }
  charge_work(len + 1);
  if (len > 0) {
    const uint16_t* a = usable_accepts(scanner, pool, prev_at) + 1;
    for (const uint16_t* a_end = a + a[-1]; a != a_end; ++a)
      if (wanted(*a)) tokens.push_back({*a, len, nullptr});
  }
}

void Parser::Impl::process_level(uint32_t p) {
  level = p;
  folded.clear();  // only the last level's are ever reported
  if (++level_stamp == 0) {
    std::fill(state_stamp.get(), state_stamp.get() + tables.nstates, 0);
    std::fill(sym_stamp.get(), sym_stamp.get() + tables.nsymbols, 0);
    level_stamp = 1;
  }
  for (GssNode* n = level_head[p]; n; n = n->next_in_level) {
    state_stamp[n->state] = level_stamp;
    state_node[n->state] = n;
  }
  level_open = true;
  scan(p);
  queue.clear();
  for (GssNode* n = level_head[p]; n; n = n->next_in_level) queue.push_back(n);
  // Nodes created by reductions are appended to the level and to the queue.
  // Edges added to nodes already reduced are redone from a worklist rather
  // than recursively, so the depth of the C++ stack stays bounded.
  pending.clear();
  for (size_t qi = 0; qi < queue.size(); ++qi) {
    GssNode* x = queue[qi];
    processed_count = qi + 1;
    if (tables.states[x->state].reduce_count) reduce_node(x, nullptr);
    while (!pending.empty()) {
      PendingEdge pe = pending.back();
      pending.pop_back();
      for (size_t i = 0; i < pe.processed; ++i) reduce_node(queue[i], pe.edge);
    }
  }
  level_open = false;
  if (!tokens.empty()) shift_level(p);
}

void Parser::Impl::reduce_node(GssNode* x, Edge* via) {
  const StateInfo& st = tables.states[x->state];
  const ReduceEntry* r = tables.reduces + st.reduce_first;
  SymNode** kids = kids_buffer.data();
  for (uint32_t i = 0; i < st.reduce_count; ++i) {
    uint32_t prod = r[i].production;  // a parse production
    uint32_t n = tables.parse_productions[prod].length;
    if (via && n == 0) continue;
    if (!lookahead_allows(r[i].lookahead)) continue;
    // Empty and one-element productions, the most common, without the
    // recursion of paths(); the work charged is the same.
    if (n == 0) {
      charge_work(1);
      reducer(x, prod, kids);
    } else if (n == 1) {
      charge_work(1);
      for (Edge* e = x->edges; e; e = e->next) {
        charge_work(1);
        if (via && e != via) continue;
        kids[0] = e->label;
        reducer(e->to, prod, kids);
      }
    } else {
      paths(x, prod, n, kids, via, via == nullptr);
    }
  }
}

void Parser::Impl::paths(GssNode* v, uint32_t prod, uint32_t remaining, SymNode** kids, Edge* via,
                         bool via_seen) {
  charge_work(1);
  if (remaining == 0) {
    if (via_seen) reducer(v, prod, kids);
    return;
  }
  for (Edge* e = v->edges; e; e = e->next) {
    kids[remaining - 1] = e->label;
    paths(e->to, prod, remaining - 1, kids, via, via_seen || e == via);
  }
}

// The forest node that parse production pi builds over [start, level) from
// its parse children.
SymNode* Parser::Impl::reduced_node(const ParseProductionInfo& pi, uint32_t start, SymNode** kids) {
  SymNode* sn = symnode(pi.lhs, start, level);
  if (pi.recipe_first == kNoRecipe) {
    add_packed(sn, pi.production, kids, pi.length);
    return sn;
  }
  // The production's children: the options it leaves out of the parse
  // production are made here, present over their parse child, absent where
  // the next parse child starts (or where the production ends).
  const uint32_t n = tables.productions[pi.production].length;
  const RecipeEntry* r = tables.recipes + pi.recipe_first;
  SymNode** out = tree_kids.data();
  for (uint32_t i = 0; i < n; ++i) {
    switch (r[i].kind) {
      case RecipeEntry::kChild:
        out[i] = kids[r[i].kid];
        break;
      case RecipeEntry::kPresent:
        out[i] = option_over(r[i].production, kids[r[i].kid]);
        break;
      default:
        out[i] = absent_option(r[i].production, r[i].kid < pi.length ? kids[r[i].kid]->start : level);
        break;
    }
  }
  add_packed(sn, pi.production, out, n);
  return sn;
}

void Parser::Impl::reducer(GssNode* u, uint32_t parse_prod, SymNode** kids) {
  if (parse_prod == 0) {
    if (u == initial && level == length) root = kids[0];
    return;
  }
  const ParseProductionInfo* pi = &tables.parse_productions[parse_prod];
  uint32_t target = goto_state(u->state, pi->lhs);
  if (target == 0xffffffffu) return;
  SymNode* sn = reduced_node(*pi, u->pos, kids);
  // A target state whose one action is a one-element reduction is passed
  // through: its node would have a single kind of edge, from u and labelled
  // sn, and its one reduction would build the next node over sn and go to
  // goto(u, that symbol). Nothing else can reach the node (the state has no
  // shifts and no gotos, so no edge leads into it from this level), so
  // skipping it changes neither the forest nor the other stack nodes. Where
  // the lookahead rules that reduction out, the node would be a dead end.
  for (uint32_t f = fold[target]; f != kNoFold; f = fold[target]) {
    charge_work(2);  // the node's reduction and its one edge
    folded.push_back({level, sn});
    const ReduceEntry& re = tables.reduces[f];
    if (!lookahead_allows(re.lookahead)) return;
    pi = &tables.parse_productions[re.production];
    target = goto_state(u->state, pi->lhs);
    if (target == 0xffffffffu) return;
    sn = reduced_node(*pi, u->pos, &sn);
  }
  bool created;
  GssNode* w = current_node(target, created);
  if (!created) {
    for (Edge* e = w->edges; e; e = e->next) {
      charge_work(1);
      if (e->to == u) return;  // same span, so the same forest node: already recorded
    }
  }
  Edge* e = arena.make<Edge>();
  e->to = u;
  e->label = sn;
  e->next = w->edges;
  w->edges = e;
  if (created) {
    queue.push_back(w);
    return;
  }
  // A new path through w: nodes already reduced must take it into account.
  pending.push_back({e, processed_count});
}

void Parser::Impl::shift_level(uint32_t p) {
  // The level's nodes that shift at all, in level order, with their states'
  // usable terminals: a superset of those they shift, so most pairs of token
  // and node are ruled out without looking the shift up.
  shifters.clear();
  for (GssNode* x = level_head[p]; x; x = x->next_in_level) {
    const StateInfo& st = tables.states[x->state];
    if (st.shift_count) shifters.push_back({x, tables.lookaheads + size_t{st.usable} * tables.lookahead_words});
  }
  for (Token& t : tokens) {
    uint32_t next = 0;
    bool next_known = false;
    const uint32_t word = t.terminal >> 6;
    const uint64_t bit = uint64_t{1} << (t.terminal & 63);
    for (const Shifter& sh : shifters) {
      if (!(sh.usable[word] & bit)) continue;
      GssNode* x = sh.node;
      const uint32_t target = shift_state(x->state, t.terminal);
      if (target == 0xffffffffu) continue;
      if (!next_known) {
        next = skip_space(p + t.length);
        next_known = true;
      }
      if (!t.node) {
        if (++forest_count > limits.max_forest_nodes) throw BudgetExceeded{};
        SymNode* n = arena.make<SymNode>();
        n->symbol = t.terminal;
        n->start = p;
        n->end = next;
        n->text_end = p + t.length;
        n->alts = nullptr;
        n->chosen = nullptr;
        n->height = 0;
        n->mark_a = n->mark_b = 0;
        n->resolved = 2;
        n->next_same = nullptr;
        n->option = nullptr;
        t.node = n;
      }
      bool created;
      GssNode* w = gss_node(target, next, created);
      bool dup = false;
      for (Edge* e = w->edges; e && !dup; e = e->next) dup = e->to == x && e->label == t.node;
      if (dup) continue;
      Edge* e = arena.make<Edge>();
      e->to = x;
      e->label = t.node;
      e->next = w->edges;
      w->edges = e;
    }
  }
}

void Parser::Impl::report_error(uint32_t furthest) {
  errors = 1;
  if (!error_fn) return;
  SyntaxError err{};
  err.offset = furthest;
  err.line = 1;
  size_t line_start = 0;
  for (uint32_t i = 0; i < furthest; ++i)
    if (input[i] == '\n') {
      ++err.line;
      line_start = i + 1;
    }
  err.column = static_cast<unsigned>(furthest - line_start + 1);
  // The widest non-empty node that ends where the parse stopped.
  // Folded states' nodes were never made; their edges' labels are kept aside.
  SymNode* best = nullptr;
  auto consider = [&best](SymNode* s) {
    if (s->text_end == s->start) return;
    if (!best || s->start < best->start || (s->start == best->start && s->symbol < best->symbol)) best = s;
  };
  for (GssNode* n = level_head[furthest]; n; n = n->next_in_level)
    for (Edge* e = n->edges; e; e = e->next) consider(e->label);
  for (const FoldedLabel& f : folded)
    if (f.level == furthest) consider(f.label);
  if (best) {
    err.has_after = true;
    err.after = std::string_view(input + best->start, best->text_end - best->start);
  }
  error_fn(*self, err, error_user);
}

}  // namespace glr
