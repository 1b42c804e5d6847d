// A tiny routine set for the engine's own test grammars: node values are
// owned std::string pointers, the globals a TestGlobals record. Every string
// made or freed is counted so tests can check that each value is freed once.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

#include "glr/actions.h"

namespace glrtest {

struct TestGlobals {
  std::string category;
  std::string error;
  bool rejected = false;
  int marks = 0;
};

struct ValueCounts {
  long made = 0;
  long freed = 0;
};

// One per thread, so parsers on different threads count separately.
inline ValueCounts& counts() {
  thread_local ValueCounts c;
  return c;
}

inline void free_value(void* v, void*) {
  ++counts().freed;
  delete static_cast<std::string*>(v);
}

struct Routines {
  static std::string* str(void* v) { return static_cast<std::string*>(v); }
  static TestGlobals& globals(glr::ActionContext& c) { return *static_cast<TestGlobals*>(c.globals()); }

  static std::string& dest(glr::ActionContext& c) {
    if (!c.value()) {
      ++counts().made;
      c.set_value(new std::string);
    }
    return *str(c.value());
  }
  static void space_if(std::string& d, bool space) {
    if (space && !d.empty()) d += ' ';
  }

  static void AppendLiteral(glr::ActionContext& c, std::string_view lit, bool space) {
    std::string& d = dest(c);
    space_if(d, space);
    d += lit;
  }
  static void AppendValue(glr::ActionContext& c, unsigned k, bool space) {
    std::string* v = str(c.child_value(k));
    if (!v || v->empty()) return;
    std::string& d = dest(c);
    space_if(d, space);
    d += *v;
  }
  static void AppendValueTrimZeros(glr::ActionContext& c, unsigned k, bool space) {
    std::string* v = str(c.child_value(k));
    if (!v || v->empty()) return;
    std::string& d = dest(c);
    space_if(d, space);
    d += v->substr(std::min(v->find_first_not_of('0'), v->size()));
  }
  static void AppendMatchedText(glr::ActionContext& c, unsigned k, bool space) {
    std::string_view t = c.child_text(k);
    if (t.empty()) return;
    std::string& d = dest(c);
    space_if(d, space);
    d += t;
  }
  static void AppendChildValues(glr::ActionContext& c, unsigned k, bool first, bool between) {
    glr::TreeNode* list = c.child(k);
    if (!list) return;
    for (uint32_t i = 0; i < list->child_count; ++i) {
      std::string* v = str(list->children[i]->value);
      if (!v || v->empty()) continue;
      std::string& d = dest(c);
      if (i == 0) space_if(d, first);
      else if (between) d += ' ';
      d += *v;
    }
  }
  static void MoveValue(glr::ActionContext& c, unsigned k) {
    glr::TreeNode* ch = c.child(k);
    if (!ch || ch == &c.node()) return;
    c.release(c.value());
    c.set_value(ch->value);
    ch->value = nullptr;
  }
  static void DefaultPassUp(glr::ActionContext& c) { MoveValue(c, 0); }
  static void SetCategory(glr::ActionContext& c, std::string_view cat) { globals(c).category = cat; }
  static void Reject(glr::ActionContext& c) { globals(c).rejected = true; }
  static void Reject(glr::ActionContext& c, std::string_view msg) {
    globals(c).rejected = true;
    globals(c).error = msg;
  }

  // %routine Upper 1
  static void Upper(glr::ActionContext& c, unsigned k) {
    if (std::string* v = str(c.child_value(k)))
      for (char& ch : *v) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
  }
  // %routine Swap 2
  static void Swap(glr::ActionContext& c, unsigned a, unsigned b) {
    void* va = c.child_value(a);
    c.set_child_value(a, c.child_value(b));
    c.set_child_value(b, va);
  }
  // %routine Pad 1: at least two characters, zeros in front
  static void Pad(glr::ActionContext& c, unsigned k) {
    if (std::string* v = str(c.child_value(k)))
      while (v->size() < 2) v->insert(v->begin(), '0');
  }
  static void PadTwoDigits(glr::ActionContext& c, unsigned k) { Pad(c, k); }
  // %action Mark
  static void Mark(glr::ActionContext& c) {
    ++globals(c).marks;
    AppendLiteral(c, "!", false);
  }
};

}  // namespace glrtest
