// Grammar-file checks: every error is reported with file, line and column.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "glr/gen/emit.h"
#include "glr/gen/grammar.h"

namespace {

using testing::HasSubstr;

struct Checked {
  bool ok;
  std::string messages;
};

Checked check(const std::vector<std::pair<std::string, std::string>>& files) {
  glr::gen::Diagnostics diags;
  glr::gen::GrammarAst ast;
  for (const auto& [name, text] : files) glr::gen::read_grammar_text(name, text, ast, diags);
  glr::gen::Grammar g;
  bool ok = !diags.has_errors();
  ok = glr::gen::lower_grammar(ast, g, diags) && ok;
  glr::gen::Tables t;
  if (ok) ok = glr::gen::build_tables(g, t, diags);
  return {ok, diags.format()};
}

Checked check(const std::string& text) { return check({{"g.g", text}}); }

TEST(GrammarErrors, ReferencesAndDefinitions) {
  Checked c = check(
      "%start s\n"
      "s : a b ;\n"
      "a : \"x\" ;\n"
      "a : \"y\" ;\n"
      "d : \"q\" ;\n");
  EXPECT_FALSE(c.ok);
  EXPECT_THAT(c.messages, HasSubstr("g.g:2:7: error: undefined nonterminal 'b'"));
  EXPECT_THAT(c.messages, HasSubstr("g.g:4:1: error: duplicate definition of 'a'"));
  EXPECT_THAT(c.messages, HasSubstr("g.g:5:1: error: unused nonterminal 'd'"));
}

TEST(GrammarErrors, StartSymbol) {
  EXPECT_THAT(check("s : \"x\" ;\n").messages, HasSubstr("g.g:1:1: error: no %start"));
  EXPECT_THAT(check("%start t\ns : \"x\" ;\n").messages, HasSubstr("g.g:1:8: error: start symbol 't'"));
  EXPECT_THAT(check("%start s\n%start t\ns : \"x\" ;\n").messages, HasSubstr("g.g:2:1: error: second start symbol"));
}

TEST(GrammarErrors, RegularExpressions) {
  Checked c = check(
      "%start s\n"
      "s : /[z-a]/ | /(ab/ | /a[bc/ | /*a/ | /a\\x4/ | /()/ ;\n");
  EXPECT_FALSE(c.ok);
  EXPECT_THAT(c.messages, HasSubstr("g.g:2:8: error: bad regular expression /[z-a]/: reversed range"));
  EXPECT_THAT(c.messages, HasSubstr("g.g:2:16: error: bad regular expression /(ab/: unclosed '('"));
  EXPECT_THAT(c.messages, HasSubstr("g.g:2:25: error: bad regular expression /a[bc/: unclosed '['"));
  EXPECT_THAT(c.messages, HasSubstr("g.g:2:33: error: bad regular expression /*a/: nothing to repeat"));
  EXPECT_THAT(c.messages, HasSubstr("g.g:2:41: error: bad regular expression /a\\x4/: \\x must be followed"));
  EXPECT_THAT(c.messages, HasSubstr("g.g:2:48: error: regular expression /()/ matches only the empty string"));
}

TEST(GrammarErrors, StrayClosingParenthesisEndsTheExpressionWithAWarning) {
  Checked c = check("%start s\ns : /holmes(\\')?)/ | /appx\\.?|'appendix')/ ;\n");
  EXPECT_TRUE(c.ok) << c.messages;
  EXPECT_THAT(c.messages, HasSubstr("g.g:2:17: warning: ')' without '('"));
}

TEST(GrammarErrors, ActionItems) {
  Checked c = check(
      "%start s\n"
      "%routine Pad 1\n"
      "s : a \"x\" => $2 _nz($5) Pad($0, $1) Nope($0) @Missing {cat X}\n"
      "  | a => $0 =$0 ;\n"
      "a : \"y\" => txt($1) ;\n");
  EXPECT_FALSE(c.ok);
  EXPECT_THAT(c.messages, HasSubstr("g.g:3:14: error: $2 refers past the alternative's 2 elements"));
  EXPECT_THAT(c.messages, HasSubstr("g.g:3:17: error: $5 refers past"));
  EXPECT_THAT(c.messages, HasSubstr("g.g:3:25: error: routine 'Pad' takes 1 argument(s), given 2"));
  EXPECT_THAT(c.messages, HasSubstr("g.g:3:37: error: routine 'Nope' is not declared"));
  EXPECT_THAT(c.messages, HasSubstr("g.g:3:46: error: action routine 'Missing' is not declared"));
  EXPECT_THAT(c.messages, HasSubstr("g.g:4:13: error: =$k must be the first item"));
  EXPECT_THAT(c.messages, HasSubstr("g.g:5:12: error: $1 refers past the alternative's 1 element"));
}

TEST(GrammarErrors, SyntaxErrorsAreAllReported) {
  Checked c = check(
      "%start s\n"
      "s : \"x\" \n"
      "t : \"unterminated ;\n"
      "u : ( \"a\" ;\n"
      "v : \"\" ;\n");
  EXPECT_FALSE(c.ok);
  EXPECT_THAT(c.messages, HasSubstr("g.g:3:1: error: expected ';' before rule 't'"));
  EXPECT_THAT(c.messages, HasSubstr("g.g:3:5: error: unterminated string"));
  EXPECT_THAT(c.messages, HasSubstr("g.g:4:11: error: expected ')'"));
  EXPECT_THAT(c.messages, HasSubstr("g.g:5:5: error: empty keyword"));
}

TEST(GrammarErrors, CyclesAndUselessRules) {
  Checked c = check(
      "%start s\n"
      "s : a | b | c ;\n"
      "a : a | \"k\" ;\n"
      "b : b \"x\" ;\n"
      "c : ( \"x\"? )* ;\n");
  EXPECT_FALSE(c.ok);
  EXPECT_THAT(c.messages, HasSubstr("g.g:3:1: error: cyclic derivation: 'a'"));
  EXPECT_THAT(c.messages, HasSubstr("g.g:4:1: error: 'b' can never match any input"));
  EXPECT_THAT(c.messages, HasSubstr("g.g:5:5: error: cyclic derivation"));
}

TEST(GrammarErrors, SeveralFilesFormOneGrammar) {
  Checked ok = check({{"a.g", "%start s\n%routine Pad 1\ns : t => Pad($0) $0 ;\n"},
                      {"b.g", "%routine Pad 1\nt : \"x\" ;\n"}});
  EXPECT_TRUE(ok.ok) << ok.messages;
  Checked bad = check({{"a.g", "%start s\n%routine Pad 1\ns : t => Pad($0) ;\n"},
                       {"b.g", "%routine Pad 2\nt : \"x\" ;\ns : \"y\" ;\n"}});
  EXPECT_FALSE(bad.ok);
  EXPECT_THAT(bad.messages, HasSubstr("b.g:1:10: error: 'Pad' redeclared with a different arity"));
  EXPECT_THAT(bad.messages, HasSubstr("b.g:3:1: error: duplicate definition of 's' (first defined at a.g:3)"));
}

}  // namespace
