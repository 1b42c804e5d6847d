// Internal data of the runtime, shared by parser.cpp (scanning, the graph-
// structured stack, the forest) and forest.cpp (disambiguation, the chosen
// tree, actions). Everything lives in the parser's arena and dies with the
// parse; nothing here is visible outside glr/.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "glr/actions.h"
#include "glr/parser.h"

#if defined(__GNUC__)
#  define GLR_NOINLINE __attribute__((noinline))
#  define GLR_UNLIKELY(x) __builtin_expect(!!(x), 0)
#else
#  define GLR_NOINLINE
#  define GLR_UNLIKELY(x) (x)
#endif

namespace glr {

// Bump allocator. Chunks are kept across parses, so a parser that has warmed
// up allocates nothing from the heap.
class Arena {
 public:
  Arena() = default;
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;
  ~Arena() {
    for (auto& c : chunks_) ::operator delete(c.data);
  }
  void* allocate(size_t bytes) {
    bytes = (bytes + 7) & ~size_t{7};
    if (GLR_UNLIKELY(used_ + bytes > cap_)) next_chunk(bytes);
    void* p = cur_ + used_;
    used_ += bytes;
    return p;
  }
  // Uninitialised storage for a T: callers set every field.
  template <typename T>
  T* make() {
    return new (allocate(sizeof(T))) T;
  }
  template <typename T>
  T* array(size_t n) {
    return static_cast<T*>(allocate(sizeof(T) * (n ? n : 1)));
  }
  void reset() {
    index_ = 0;
    if (chunks_.empty()) {
      cur_ = nullptr;
      cap_ = used_ = 0;
    } else {
      cur_ = chunks_[0].data;
      cap_ = chunks_[0].size;
      used_ = 0;
    }
  }
  size_t held() const {
    size_t n = 0;
    for (auto& c : chunks_) n += c.size;
    return n;
  }

 private:
  struct Chunk {
    char* data;
    size_t size;
  };
  GLR_NOINLINE void next_chunk(size_t bytes) {
    // Reuse the next kept chunk if it is big enough, else insert a new one.
    while (index_ + 1 < chunks_.size()) {
      ++index_;
      if (chunks_[index_].size >= bytes) {
        cur_ = chunks_[index_].data;
        cap_ = chunks_[index_].size;
        used_ = 0;
        return;
      }
    }
    size_t size = chunks_.empty() ? 16384 : chunks_.back().size * 2;
    while (size < bytes) size *= 2;
    chunks_.push_back({static_cast<char*>(::operator new(size)), size});
    index_ = chunks_.size() - 1;
    cur_ = chunks_.back().data;
    cap_ = size;
    used_ = 0;
  }
  std::vector<Chunk> chunks_;
  size_t index_ = 0;
  char* cur_ = nullptr;
  size_t cap_ = 0;
  size_t used_ = 0;
};

struct SymNode;

// One way of deriving a forest node: a production and its children.
struct Packed {
  uint32_t production;
  uint32_t nkids;
  SymNode** kids;
  Packed* next;
};

// A forest node: one symbol over one span of the input. Terminal nodes have
// no packed alternatives.
struct SymNode {
  uint32_t symbol;
  uint32_t start;     // first byte
  uint32_t end;       // stack level the node ends at (after white space)
  uint32_t text_end;  // end of the matched bytes
  Packed* alts;
  // Disambiguation state.
  Packed* chosen;
  uint32_t height;
  uint32_t mark_a, mark_b;
  uint8_t resolved;  // 0 no, 1 in progress, 2 done
  SymNode* next_same;  // next node of the same symbol ending at the same level
  SymNode* option;     // the option node over this one (x? -> x), once made; see option_over()
};

struct GssNode;

struct Edge {
  GssNode* to;
  SymNode* label;
  Edge* next;
};

struct GssNode {
  uint32_t state;
  uint32_t pos;
  Edge* edges;
  GssNode* next_in_level;
};

// Open addressing map from a 64-bit key to a pointer. Cleared in O(1) by
// bumping a generation stamp; storage is reused across parses.
class StampedMap {
 public:
  void clear() {
    if (++stamp_ == 0) {
      for (auto& s : slots_) s.stamp = 0;
      stamp_ = 1;
    }
    count_ = 0;
  }
  void* find(uint64_t key) const {
    if (slots_.empty()) return nullptr;
    size_t mask = slots_.size() - 1;
    for (size_t i = hash(key) & mask;; i = (i + 1) & mask) {
      const Slot& s = slots_[i];
      if (s.stamp != stamp_) return nullptr;
      if (s.key == key) return s.value;
    }
  }
  void insert(uint64_t key, void* value) {
    if ((count_ + 1) * 2 > slots_.size()) grow();
    size_t mask = slots_.size() - 1;
    for (size_t i = hash(key) & mask;; i = (i + 1) & mask) {
      Slot& s = slots_[i];
      if (s.stamp != stamp_) {
        s = {key, value, stamp_};
        ++count_;
        return;
      }
    }
  }

 private:
  struct Slot {
    uint64_t key;
    void* value;
    uint32_t stamp;
  };
  static size_t hash(uint64_t k) {
    k ^= k >> 33;
    k *= 0xff51afd7ed558ccdULL;
    k ^= k >> 33;
    return static_cast<size_t>(k);
  }
  void grow() {
    std::vector<Slot> old;
    old.swap(slots_);
    slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{0, nullptr, 0});
    uint32_t live = stamp_;
    count_ = 0;
    for (const Slot& s : old)
      if (s.stamp == live) insert(s.key, s.value);
  }
  std::vector<Slot> slots_;
  uint32_t stamp_ = 1;
  size_t count_ = 0;
};

struct BudgetExceeded {};

struct Token {
  uint32_t terminal;
  uint32_t length;
  SymNode* node;  // created on first shift
};

struct Parser::Impl {
  explicit Impl(const Tables& t) : tables(t) {}

  const Tables& tables;
  Parser* self = nullptr;
  void* globals = nullptr;
  FreeNodeFn free_fn = nullptr;
  void* free_user = nullptr;
  SyntaxErrorFn error_fn = nullptr;
  void* error_user = nullptr;
  AmbiguityFn ambiguity_fn = nullptr;
  void* ambiguity_user = nullptr;
  bool recovery = true;
  bool keep_tree = false;
  bool coverage_on = false;
  Limits limits;
  std::vector<uint64_t> coverage;

  // Per parse.
  const char* input = nullptr;
  uint32_t length = 0;
  unsigned errors = 0;
  bool exceeded = false;
  size_t gss_count = 0, forest_count = 0, work = 0;
  Arena arena;
  StampedMap gss_map, sym_map;
  StampedMap empty_options;  // option nodes over empty spans, by (symbol, position), at crowded positions
  struct EmptyList {
    SymNode* head = nullptr;  // option nodes over the empty span at a position
    uint32_t count = 0;
  };
  std::vector<EmptyList> empty_at;
  std::vector<GssNode*> level_head, level_tail;
  std::vector<uint32_t> shifted_count;  // per level: nodes made before it was processed
  std::vector<GssNode*> active;     // nodes of the current level
  std::vector<GssNode*> queue;      // nodes of the level in the order their reductions run
  size_t processed_count = 0;       // queue[0, processed_count) have had their reductions
  struct PendingEdge {
    Edge* edge;
    size_t processed;  // the nodes reduced before the edge existed
  };
  std::vector<PendingEdge> pending;  // new edges into reduced nodes, to reduce through
  std::vector<Token> tokens;        // tokens at the current level
  struct Shifter {
    GssNode* node;
    const uint64_t* usable;
  };
  std::vector<Shifter> shifters;  // see shift_level()
  // The terminals at the current level, as the non-zero words of their bit set.
  struct LookaheadWord {
    uint32_t word;
    uint64_t bits;
  };
  std::vector<LookaheadWord> lookahead;
  std::vector<uint64_t> usable_union;  // storage for `usable` when a level has several nodes
  // Unions made before, by the terminal sets (StateInfo::usable) of the level's
  // states in level order; kept across parses, as the tables do not change.
  struct UnionSlot {
    static constexpr uint32_t kMaxSets = 8;
    uint32_t count = 0;  // 0: empty
    uint32_t ids[kMaxSets] = {};
    uint32_t id = 0;  // usable_id while the slot holds this union
    std::vector<uint64_t> bits;
  };
  static constexpr size_t kUnionCacheSize = 64;
  std::unique_ptr<UnionSlot[]> union_cache{new UnionSlot[kUnionCacheSize]};
  const uint64_t* usable = nullptr;    // terminals the current level's states can use
  // Names `usable` for the accept-list cache below: the lookahead set's index
  // for one state's set, kUnionId | a number given to a union when it is
  // made, kNoUsableId for a union that is not kept.
  static constexpr uint32_t kUnionId = 0x80000000u, kNoUsableId = 0xffffffffu;
  uint32_t usable_id = kNoUsableId;
  uint32_t union_number = 0;
  // A scanner's accept lists cut down to the terminals in `usable`, in the
  // pool's form (a count, then the terminals in ascending order). Lists are
  // long (a run of digits matches many expressions) and few of their
  // terminals are of use at a level, so the scanner walks these instead.
  // Kept across parses, like the tables they are made from.
  struct AcceptSlot {
    static constexpr uint32_t kMaxTerminals = 7;
    uint32_t scanner = 0xffffffffu, at = 0, usable_id = 0;
    bool fits = false;  // false: more than kMaxTerminals, walk the pool's list
    uint16_t list[1 + kMaxTerminals] = {};
  };
  static constexpr size_t kAcceptCacheSize = 512;
  std::unique_ptr<AcceptSlot[]> accept_cache{new AcceptSlot[kAcceptCacheSize]};
  inline const uint16_t* usable_accepts(uint32_t scanner, const uint16_t* pool, uint32_t at);
  std::vector<SymNode*> kids_buffer;   // children of the reduction being made (parse production)
  std::vector<SymNode*> tree_kids;     // the same as the production's children, options made
  uint32_t level = 0;
  bool level_open = false;  // reductions of `level` are running
  uint32_t level_stamp = 0;
  std::unique_ptr<uint32_t[]> state_stamp;  // per LR state: level_stamp when state_node is valid
  std::unique_ptr<GssNode*[]> state_node;
  // Forest nodes made by reductions end at the level being processed, so they
  // are found by symbol: sym_head[s] lists the level's nodes of symbol s while
  // sym_stamp[s] == level_stamp. A symbol with many nodes at one level (highly
  // ambiguous grammars) moves to the hash map instead.
  std::unique_ptr<uint32_t[]> sym_stamp;
  std::unique_ptr<SymNode*[]> sym_head;
  std::unique_ptr<uint32_t[]> sym_count;
  SymNode* root = nullptr;
  GssNode* initial = nullptr;

  // Chosen tree.
  TreeNode* tree = nullptr;
  std::vector<TreeNode*> tree_nodes;
  std::vector<TreeNode*> scratch;
  uint32_t mark_stamp = 0;
  // A node of one reading as the greediness rule sees it: the forest node and
  // the derivation the reading takes for it (null for a terminal).
  struct ReadingNode {
    SymNode* node;
    Packed* derivation;
  };
  std::vector<ReadingNode> set_a, set_b;
  std::vector<SymNode*> stack;

  // parser.cpp
  void reset();
  bool run(const char* in, size_t len);
  uint32_t skip_space(uint32_t p) const;
  void scan(uint32_t p);
  const uint64_t* union_of_level(GssNode* first, uint64_t& mask);
  template <typename T>
  void run_scanner(uint32_t scanner, const T* transitions, uint32_t p);
  void process_level(uint32_t p);
  void reduce_node(GssNode* x, Edge* via);
  void paths(GssNode* v, uint32_t prod, uint32_t remaining, SymNode** kids, Edge* via, bool via_seen);
  inline void reducer(GssNode* u, uint32_t prod, SymNode** kids);
  inline SymNode* reduced_node(const ParseProductionInfo& pi, uint32_t start, SymNode** kids);
  // States whose one action is a single one-element reduction (no shift, no
  // goto): fold[state] is that reduction's index in Tables::reduces, or
  // kNoFold. A reduction into such a state goes straight on through it, so
  // its stack node is never made (see reducer()).
  static constexpr uint32_t kNoFold = 0xffffffffu;
  std::unique_ptr<uint32_t[]> fold;
  // Forest nodes that labelled the edge into a folded state's node at the
  // level being processed: edges a failed parse's report looks at
  // (report_error()), which is always about the last level processed.
  struct FoldedLabel {
    uint32_t level;
    SymNode* label;
  };
  std::vector<FoldedLabel> folded;
  void shift_level(uint32_t p);
  inline bool lookahead_allows(uint32_t la_set) const;
  inline SymNode* symnode(uint32_t sym, uint32_t start, uint32_t end);
  inline void add_packed(SymNode* n, uint32_t prod, SymNode** kids, uint32_t nkids);
  inline SymNode* new_symnode(uint32_t sym, uint32_t start, uint32_t end);
  SymNode* option_over(uint32_t prod, SymNode* x);
  SymNode* absent_option(uint32_t prod, uint32_t pos);
  SymNode* empty_option(uint32_t sym, uint32_t pos);
  inline GssNode* new_gss_node(uint32_t state, uint32_t pos);
  inline GssNode* current_node(uint32_t state, bool& created);
  GssNode* gss_node(uint32_t state, uint32_t pos, bool& created);
  inline uint32_t goto_state(uint32_t state, uint32_t sym);
  // A direct-mapped cache of goto lookups, kept across parses (the tables do
  // not change): a parse asks for few distinct (state, symbol) pairs, over and
  // over, and a hit costs far less than searching the state's goto list.
  struct GotoSlot {
    uint32_t state = 0xffffffffu, symbol = 0, target = 0;
  };
  static constexpr size_t kGotoCacheSize = 1024;
  std::unique_ptr<GotoSlot[]> goto_cache{new GotoSlot[kGotoCacheSize]};
  // The same for shifts (state, terminal).
  std::unique_ptr<GotoSlot[]> shift_cache{new GotoSlot[kGotoCacheSize]};
  inline uint32_t shift_state(uint32_t state, uint32_t terminal);
  void report_error(uint32_t furthest);
  void charge_work(size_t n) {
    work += n;
    if (work > limits.max_work) throw BudgetExceeded{};
  }

  // forest.cpp
  void resolve(SymNode* n, unsigned depth);
  int compare(SymNode* n, Packed* a, Packed* b);
  void collect(SymNode* n, Packed* p, std::vector<ReadingNode>& out, uint32_t SymNode::*mark, uint32_t stamp,
               uint32_t SymNode::*other, uint32_t prune_stamp);
  TreeNode* materialize(SymNode* n, unsigned depth);
  inline void run_action(TreeNode* t);
  ActionContext* actions_ctx = nullptr;  // materialize() runs the actions through it
  void release_tree();
};

}  // namespace glr
