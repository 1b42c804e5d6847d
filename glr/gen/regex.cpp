// Regular expressions of the grammar files and their compilation.
//
// The dialect is small: bytes, backslash escapes (C escapes and \xHH give
// bytes, any other escaped character stands for itself), classes with ranges
// and a leading '^', grouping, '|', and the postfix operators ? * +. A '.' is
// an ordinary byte. A ')' that closes no '(' ends the expression; the rest of
// the source is ignored (the caller warns).
//
// Every terminal of a scanner becomes a Thompson fragment in one NFA, and the
// subset construction turns the union into a DFA over byte classes whose
// states list the terminals that accept there. The runtime walks that DFA once
// per input position and derives the maximal-run matches of every terminal
// from the accept lists (see glr/scanner.h).
#include "glr/gen/regex.h"

#include <algorithm>
#include <map>
#include <unordered_map>

namespace glr::gen {

namespace {

struct Frag {
  int start, end;
};

class RegexParser {
 public:
  RegexParser(Nfa& nfa, const std::string& src, RegexError& err) : nfa_(nfa), src_(src), err_(err) {}

  bool parse(Frag& out) {
    if (!alternation(out)) return false;
    if (pos_ < src_.size()) {
      // Only a stray ')' stops alternation() early.
      err_.warning_offset = static_cast<int>(pos_);
    }
    return true;
  }

 private:
  bool fail(size_t at, const std::string& msg) {
    if (err_.offset < 0) {
      err_.offset = static_cast<int>(at);
      err_.message = msg;
    }
    return false;
  }

  Frag single(const std::bitset<256>& set) {
    int s = nfa_.add_state(), e = nfa_.add_state();
    nfa_.sets.push_back(set);
    nfa_.states[s].set = static_cast<int>(nfa_.sets.size()) - 1;
    nfa_.states[s].to = e;
    return {s, e};
  }
  Frag empty() {
    int s = nfa_.add_state(), e = nfa_.add_state();
    nfa_.states[s].eps.push_back(e);
    return {s, e};
  }

  bool alternation(Frag& out) {
    Frag first;
    if (!sequence(first)) return false;
    if (pos_ >= src_.size() || src_[pos_] != '|') {
      out = first;
      return true;
    }
    int s = nfa_.add_state(), e = nfa_.add_state();
    nfa_.states[s].eps.push_back(first.start);
    nfa_.states[first.end].eps.push_back(e);
    while (pos_ < src_.size() && src_[pos_] == '|') {
      ++pos_;
      Frag f;
      if (!sequence(f)) return false;
      nfa_.states[s].eps.push_back(f.start);
      nfa_.states[f.end].eps.push_back(e);
    }
    out = {s, e};
    return true;
  }

  bool sequence(Frag& out) {
    bool have = false;
    while (pos_ < src_.size() && src_[pos_] != '|' && src_[pos_] != ')') {
      Frag f;
      if (!postfixed(f)) return false;
      if (!have) {
        out = f;
        have = true;
      } else {
        nfa_.states[out.end].eps.push_back(f.start);
        out.end = f.end;
      }
    }
    if (!have) out = empty();
    return true;
  }

  bool postfixed(Frag& out) {
    char c = src_[pos_];
    if (c == '?' || c == '*' || c == '+') return fail(pos_, std::string("nothing to repeat before '") + c + "'");
    if (!atom(out)) return false;
    while (pos_ < src_.size() && (src_[pos_] == '?' || src_[pos_] == '*' || src_[pos_] == '+')) {
      char op = src_[pos_++];
      int s = nfa_.add_state(), e = nfa_.add_state();
      nfa_.states[s].eps.push_back(out.start);
      nfa_.states[out.end].eps.push_back(e);
      if (op != '+') nfa_.states[s].eps.push_back(e);
      if (op != '?') nfa_.states[out.end].eps.push_back(out.start);
      out = {s, e};
    }
    return true;
  }

  static int hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  // Reads one possibly escaped byte at pos_.
  bool byte(unsigned char& b) {
    if (src_[pos_] != '\\') {
      b = static_cast<unsigned char>(src_[pos_++]);
      return true;
    }
    size_t at = pos_++;
    if (pos_ >= src_.size()) return fail(at, "backslash at the end of the expression");
    char e = src_[pos_++];
    switch (e) {
      case 'n': b = '\n'; break;
      case 't': b = '\t'; break;
      case 'r': b = '\r'; break;
      case 'f': b = '\f'; break;
      case 'v': b = '\v'; break;
      case 'a': b = '\a'; break;
      case '0': b = 0; break;
      case 'x': {
        int h1 = pos_ < src_.size() ? hex(src_[pos_]) : -1;
        int h2 = pos_ + 1 < src_.size() ? hex(src_[pos_ + 1]) : -1;
        if (h1 < 0 || h2 < 0) return fail(at, "\\x must be followed by two hexadecimal digits");
        b = static_cast<unsigned char>(h1 * 16 + h2);
        pos_ += 2;
        break;
      }
      default: b = static_cast<unsigned char>(e);
    }
    return true;
  }

  bool atom(Frag& out) {
    char c = src_[pos_];
    if (c == '(') {
      size_t open = pos_++;
      if (!alternation(out)) return false;
      if (pos_ >= src_.size()) return fail(open, "unclosed '('");
      ++pos_;  // ')'
      return true;
    }
    if (c == '[') {
      size_t open = pos_++;
      std::bitset<256> set;
      bool negate = false;
      if (pos_ < src_.size() && src_[pos_] == '^') {
        negate = true;
        ++pos_;
      }
      bool first = true;
      for (;;) {
        if (pos_ >= src_.size()) return fail(open, "unclosed '['");
        if (src_[pos_] == ']' && !first) {
          ++pos_;
          break;
        }
        first = false;
        unsigned char lo;
        if (!byte(lo)) return false;
        if (pos_ + 1 < src_.size() && src_[pos_] == '-' && src_[pos_ + 1] != ']') {
          size_t dash = pos_++;
          unsigned char hi;
          if (!byte(hi)) return false;
          if (hi < lo) return fail(dash, "reversed range in a class");
          for (int b = lo; b <= hi; ++b) set.set(b);
        } else {
          set.set(lo);
        }
      }
      if (negate) set.flip();
      if (set.none()) return fail(open, "empty class");
      out = single(set);
      return true;
    }
    unsigned char b;
    if (!byte(b)) return false;
    std::bitset<256> set;
    set.set(b);
    out = single(set);
    return true;
  }

  Nfa& nfa_;
  const std::string& src_;
  RegexError& err_;
  size_t pos_ = 0;
};

void eps_closure(const Nfa& nfa, std::vector<int>& set, std::vector<uint32_t>& mark, uint32_t stamp) {
  std::vector<int> stack(set.begin(), set.end());
  for (int s : set) mark[s] = stamp;
  while (!stack.empty()) {
    int s = stack.back();
    stack.pop_back();
    for (int t : nfa.states[s].eps) {
      if (mark[t] != stamp) {
        mark[t] = stamp;
        set.push_back(t);
        stack.push_back(t);
      }
    }
  }
  std::sort(set.begin(), set.end());
}

// Can the fragment from `start` reach its accept state through a non-empty path?
bool matches_nonempty(const Nfa& nfa, int start) {
  std::vector<char> seen(nfa.states.size(), 0);
  std::vector<int> stack{start};
  seen[start] = 1;
  while (!stack.empty()) {
    int s = stack.back();
    stack.pop_back();
    const auto& st = nfa.states[s];
    if (st.set >= 0) return true;
    for (int t : st.eps)
      if (!seen[t]) {
        seen[t] = 1;
        stack.push_back(t);
      }
  }
  return false;
}

}  // namespace

int add_regex(Nfa& nfa, const std::string& source, int terminal, RegexError& err) {
  if (source.empty()) {
    err.offset = 0;
    err.message = "empty regular expression";
    return -1;
  }
  RegexParser p(nfa, source, err);
  Frag f;
  if (!p.parse(f)) return -1;
  int acc = nfa.add_state();
  nfa.states[acc].accept = terminal;
  nfa.states[f.end].eps.push_back(acc);
  if (!matches_nonempty(nfa, f.start)) err.matches_empty_only = true;
  return f.start;
}

int add_keyword(Nfa& nfa, const std::string& bytes, int terminal) {
  int start = nfa.add_state();
  int cur = start;
  for (unsigned char c : bytes) {
    int nxt = nfa.add_state();
    std::bitset<256> set;
    set.set(c);
    nfa.sets.push_back(set);
    nfa.states[cur].set = static_cast<int>(nfa.sets.size()) - 1;
    nfa.states[cur].to = nxt;
    cur = nxt;
  }
  nfa.states[cur].accept = terminal;
  return start;
}

bool build_dfa(const Nfa& nfa, const std::vector<int>& starts, int max_states, Dfa& out) {
  // Byte classes: bytes that every transition set treats alike.
  std::vector<int> cls(256, 0);
  int ncls = 1;
  {
    std::vector<char> used_set(nfa.sets.size(), 0);
    for (const auto& st : nfa.states)
      if (st.set >= 0) used_set[st.set] = 1;
    for (size_t si = 0; si < nfa.sets.size(); ++si) {
      if (!used_set[si]) continue;
      const auto& set = nfa.sets[si];
      std::map<std::pair<int, bool>, int> remap;
      for (int b = 0; b < 256; ++b) {
        auto key = std::make_pair(cls[b], static_cast<bool>(set[b]));
        auto it = remap.find(key);
        if (it == remap.end()) it = remap.emplace(key, static_cast<int>(remap.size())).first;
        cls[b] = it->second;
      }
      ncls = static_cast<int>(remap.size());
    }
  }
  std::vector<int> class_rep(ncls, -1);
  for (int b = 0; b < 256; ++b)
    if (class_rep[cls[b]] < 0) class_rep[cls[b]] = b;

  out = Dfa{};
  out.byte_class.resize(256);
  for (int b = 0; b < 256; ++b) out.byte_class[b] = static_cast<uint8_t>(cls[b]);
  out.nclasses = ncls;

  std::vector<uint32_t> mark(nfa.states.size(), 0);
  uint32_t stamp = 0;
  std::map<std::vector<int>, uint32_t> ids;
  std::vector<std::vector<int>> sets;
  // state 0: dead
  sets.emplace_back();
  out.trans.assign(ncls, 0);
  out.accept_first.push_back(0);
  out.accept_first.push_back(0);

  std::vector<int> init(starts.begin(), starts.end());
  eps_closure(nfa, init, mark, ++stamp);
  ids[init] = 1;
  sets.push_back(init);

  auto add_accepts = [&](const std::vector<int>& set) {
    std::vector<uint16_t> acc;
    for (int s : set)
      if (nfa.states[s].accept >= 0) acc.push_back(static_cast<uint16_t>(nfa.states[s].accept));
    std::sort(acc.begin(), acc.end());
    acc.erase(std::unique(acc.begin(), acc.end()), acc.end());
    out.accept_terms.insert(out.accept_terms.end(), acc.begin(), acc.end());
    out.accept_first.push_back(static_cast<uint32_t>(out.accept_terms.size()));
  };
  add_accepts(init);
  out.trans.resize(2 * static_cast<size_t>(ncls), 0);

  for (size_t i = 1; i < sets.size(); ++i) {
    for (int c = 0; c < ncls; ++c) {
      int b = class_rep[c];
      std::vector<int> next;
      ++stamp;
      for (int s : sets[i]) {
        const auto& st = nfa.states[s];
        if (st.set >= 0 && nfa.sets[st.set][b] && mark[st.to] != stamp) {
          mark[st.to] = stamp;
          next.push_back(st.to);
        }
      }
      if (next.empty()) continue;
      eps_closure(nfa, next, mark, ++stamp);
      auto it = ids.find(next);
      uint32_t id;
      if (it == ids.end()) {
        if (static_cast<int>(sets.size()) >= max_states) return false;
        id = static_cast<uint32_t>(sets.size());
        ids.emplace(next, id);
        add_accepts(next);
        sets.push_back(std::move(next));
        out.trans.resize(sets.size() * ncls, 0);
      } else {
        id = it->second;
      }
      out.trans[i * ncls + c] = id;
    }
    sets[i].clear();
    sets[i].shrink_to_fit();
  }
  return true;
}

}  // namespace glr::gen
