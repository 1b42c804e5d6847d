// The regular-expression compiler against std::regex: on every string over a
// small alphabet up to a length, the DFA must accept exactly the strings the
// equivalent ECMAScript expression matches as a whole.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "glr/gen/regex.h"

namespace {

bool dfa_matches(const glr::gen::Dfa& d, const std::string& s) {
  uint32_t state = 1;
  for (unsigned char c : s) {
    state = d.trans[size_t{state} * d.nclasses + d.byte_class[c]];
    if (!state) return false;
  }
  return d.accept_first[state + 1] > d.accept_first[state];
}

void agree(const std::string& dialect, const std::string& ecma, const std::string& alphabet, size_t max_len) {
  glr::gen::Nfa nfa;
  glr::gen::RegexError err;
  int start = glr::gen::add_regex(nfa, dialect, 1, err);
  ASSERT_GE(start, 0) << dialect << ": " << err.message;
  glr::gen::Dfa dfa;
  ASSERT_TRUE(glr::gen::build_dfa(nfa, {start}, 10000, dfa));
  std::regex re(ecma);
  std::vector<size_t> digits;
  for (size_t len = 1; len <= max_len; ++len) {
    digits.assign(len, 0);
    for (;;) {
      std::string s;
      for (size_t d : digits) s += alphabet[d];
      ASSERT_EQ(dfa_matches(dfa, s), std::regex_match(s, re)) << "/" << dialect << "/ on \"" << s << '"';
      size_t i = 0;
      while (i < len && ++digits[i] == alphabet.size()) digits[i++] = 0;
      if (i == len) break;
    }
  }
}

TEST(Regex, OperatorsAgreeWithStdRegex) {
  agree("a(bc)?", "a(bc)?", "abc", 5);
  agree("(ab|a)(c|bcd)*", "(ab|a)(c|bcd)*", "abcd", 6);
  agree("a+b*a?", "a+b*a?", "ab", 7);
  agree("((a|b)c)+|c", "((a|b)c)+|c", "abc", 6);
  agree("x(|y)z", "x(|y)z", "xyz", 4);
}

TEST(Regex, ClassesAndEscapes) {
  agree("[a-c]+x", "[a-c]+x", "abdx", 5);
  agree("[^a-b]+", "[^a-b]+", "abc.", 4);
  agree("[]a]+", "[\\]a]+", "]ab", 4);
  agree("[a-]+", "[a\\-]+", "a-b", 4);
  agree("a.b", "a\\.b", "ab.x", 4);
  agree("a\\.b\\+", "a\\.b\\+", "ab.+", 5);
  agree("\\x61\\x2e?", "a\\.?", "a.b", 4);
  agree("[\\x61-\\x63]\\t", "[a-c]\\t", "abd\t", 3);
}

TEST(Regex, StrayClosingParenthesisEndsTheExpression) {
  agree("holmes(\\')?)", "holmes(')?", "holmes'", 8);
  agree("ab)c", "ab", "abc", 4);
}

}  // namespace
