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
  glr::gen::ParseProductions parse;
  if (ok) {
    glr::gen::expand_options(g, parse);
    ok = glr::gen::build_tables(g, parse, t, diags);
  }
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

// Option expansion: one parse production per combination of options, each
// building the grammar production's node; an option symbol that some
// production with too many options uses stays a symbol everywhere.
TEST(OptionExpansion, CombinationsAndTheLimit) {
  auto expand = [](const std::string& text, glr::gen::Grammar& g, glr::gen::ParseProductions& parse) {
    glr::gen::Diagnostics diags;
    glr::gen::GrammarAst ast;
    glr::gen::read_grammar_text("g.g", text, ast, diags);
    ASSERT_TRUE(glr::gen::lower_grammar(ast, g, diags)) << diags.format();
    glr::gen::expand_options(g, parse);
  };
  glr::gen::Grammar g;
  glr::gen::ParseProductions parse;
  expand("%start s\ns : \"a\"? \"b\" \"c\"? ;\n", g, parse);
  // $accept, then s with both, without the first, without the last, without both.
  ASSERT_EQ(parse.prods.size(), 5u);
  EXPECT_EQ(parse.prods[1].rhs.size(), 3u);
  EXPECT_EQ(parse.prods[4].rhs.size(), 1u);
  for (size_t i = 1; i < parse.prods.size(); ++i) EXPECT_EQ(parse.prods[i].production, parse.prods[1].production);
  // Without the first option: it sits where parse child 0 ("b") starts; the
  // last one, present, is an option node over parse child 1.
  const auto& r = parse.prods[2].recipe;
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].kind, 2);
  EXPECT_EQ(r[0].kid, 0);
  EXPECT_EQ(r[1].kind, 0);
  EXPECT_EQ(r[2].kind, 1);
  EXPECT_EQ(r[2].kid, 1);
  // Without the last one: it sits where the production ends.
  EXPECT_EQ(parse.prods[3].recipe[2].kind, 2);
  EXPECT_EQ(parse.prods[3].recipe[2].kid, 2);

  std::string many = "%start s\ns : t | \"a\"? \"b\"? \"c\"? \"d\"? \"e\"? \"f\"? \"g\"? ;\nt : \"a\"? \"z\" ;\n";
  glr::gen::Grammar g2;
  glr::gen::ParseProductions parse2;
  expand(many, g2, parse2);
  // Nothing expanded: seven options in one production, and t's "a"? is the same symbol.
  EXPECT_EQ(parse2.prods.size(), g2.productions.size());
  for (const auto& p : parse2.prods) EXPECT_TRUE(p.recipe.empty());
}
