// The runtime on the fixture grammars: disambiguation, scanning, child lists
// and values, syntax errors, limits, threads and coverage.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "glrtest_ambiguity.h"
#include "glrtest_epsilon.h"
#include "glrtest_greediness.h"
#include "glrtest_readme.h"
#include "glrtest_ref_ambiguous.h"
#include "glr/parser.h"
#include "glrtest_scanning.h"
#include "tests/glr/test_routines.h"

namespace {

using glrtest::TestGlobals;

struct Outcome {
  bool ok = false;
  std::string value;  // the root's value
  bool has_value = false;
  unsigned errors = 0;
  unsigned line = 0, column = 0;
  std::string after;
  bool has_after = false;
  std::vector<unsigned> ambiguities;  // readings offered to the hook
  TestGlobals globals;
};

struct Harness {
  explicit Harness(const glr::Tables& t) : parser(t) {
    parser.set_free_node_hook(glrtest::free_value);
    parser.set_keep_tree(true);
    parser.set_syntax_error_hook(
        [](glr::Parser& p, const glr::SyntaxError& e, void* user) {
          auto* o = static_cast<Outcome*>(user);
          o->line = e.line;
          o->column = e.column;
          o->has_after = e.has_after;
          o->after = std::string(e.after);
          p.set_error_recovery(false);
        },
        &out);
  }

  Outcome run(std::string_view input, int pick = -1) {
    out = Outcome{};
    pick_ = pick;
    if (pick >= 0) {
      parser.set_ambiguity_hook(
          [](glr::Parser&, const glr::Ambiguity& a, void* user) {
            auto* h = static_cast<Harness*>(user);
            h->out.ambiguities.push_back(a.readings);
            return static_cast<unsigned>(h->pick_);
          },
          this);
    } else {
      parser.set_ambiguity_hook(nullptr);
    }
    parser.set_globals(&out.globals);
    out.ok = parser.parse(input.data(), input.size());
    out.errors = parser.syntax_errors();
    if (out.ok && parser.tree()->value) {
      out.has_value = true;
      out.value = *static_cast<std::string*>(parser.tree()->value);
    }
    parser.free_tree();
    return out;
  }

  glr::Parser parser;
  Outcome out;
  int pick_ = -1;
};

std::string value_of(const glr::Tables& t, std::string_view input) {
  Harness h(t);
  Outcome o = h.run(input);
  EXPECT_TRUE(o.ok) << "input: " << input;
  return o.value;
}

// ---- Disambiguation -----------------------------------------------------------

TEST(Disambiguation, GreedinessPrefersTheReadingWhoseNodeEndsLater) {
  EXPECT_EQ(value_of(glrtest_ambiguity::tables(), "1 x x x"), "[xx][x]");
  EXPECT_EQ(value_of(glrtest_ambiguity::tables(), "4 f supp (2d) 456"), "f supp (2d)|456");
  // Without the series only one reading exists.
  EXPECT_EQ(value_of(glrtest_ambiguity::tables(), "4 f supp (a) 456"), "f supp|456");
}

// The contested node itself takes part in the walk: where nothing below
// separates two readings, fewer children there wins before height or the hook
// would decide.
TEST(Disambiguation, FewerChildrenAtTheContestedNodeWins) {
  Harness h(glrtest_greediness::tables());
  Outcome o = h.run("1 hr 7", 0);
  EXPECT_EQ(o.value, "hr");  // not "h" then "r"
  EXPECT_TRUE(o.ambiguities.empty());
  EXPECT_EQ(h.run("1 h r 7").value, "h+r");  // only one reading
  EXPECT_EQ(h.run("2 5p", 0).value, "nl5p");  // one token, not the number and "p"
  EXPECT_EQ(h.run("2 5 p").value, "n5");
}

// A reading whose last child is empty ends after the white space that follows
// its last token, so it beats one that stops at the token, but only where a
// blank follows.
TEST(Disambiguation, AReadingEndingInAnEmptyNodeEndsAfterTheBlank) {
  Harness h(glrtest_greediness::tables());
  EXPECT_EQ(h.run("3 f r 5", 0).value, "reporter");
  EXPECT_EQ(h.run("3 fed r. 5", 0).value, "reporter");
  EXPECT_EQ(h.run("3 f r 2d 5").value, "reporter");  // only one reading
  // At the end of the input the empty node sits right after "r": the ends
  // are equal and the reading with fewer children wins; a trailing blank
  // moves the empty node past it.
  EXPECT_EQ(h.run("5 f r", 0).value, "register");
  EXPECT_EQ(h.run("5 f r ", 0).value, "reporter");
  // The empty node is looked for down the last children.
  Outcome o = h.run("4 rob 5", 0);
  EXPECT_EQ(o.value, "robertson");
  EXPECT_TRUE(o.ambiguities.empty());
  EXPECT_EQ(h.run("4 robinson 5").value, "robinson");
  EXPECT_EQ(h.run("4 rob marine 5").value, "robertson");
}

TEST(Disambiguation, HeightPrefersTheFlatterTree) {
  Harness h(glrtest_ambiguity::tables());
  Outcome o = h.run("2 k", 0);
  EXPECT_EQ(o.value, "q");
  EXPECT_TRUE(o.ambiguities.empty());
}

TEST(Disambiguation, HookSeesTheRemainingReadingsInGrammarOrder) {
  Harness h(glrtest_ambiguity::tables());
  EXPECT_EQ(h.run("3 k").value, "u");  // no hook: the first reading
  Outcome first = h.run("3 k", 0);
  EXPECT_EQ(first.value, "u");
  EXPECT_THAT(first.ambiguities, testing::ElementsAre(2u));
  EXPECT_EQ(h.run("3 k", 1).value, "v");
  EXPECT_EQ(h.run("3 k", 7).value, "u");  // out of range: the first
}

TEST(Disambiguation, SameTreeOnEveryRun) {
  Harness h(glrtest_ambiguity::tables());
  for (int i = 0; i < 50; ++i) {
    ASSERT_EQ(h.run("1 x x x").value, "[xx][x]");
    ASSERT_EQ(h.run("4 f supp (2d) 456").value, "f supp (2d)|456");
  }
}

// ---- Scanning -----------------------------------------------------------------

TEST(Scanning, KeywordWithABlankMatchesExactly) {
  Harness h(glrtest_scanning::tables());
  EXPECT_EQ(h.run("a common position").value, "kw:cp");
  EXPECT_FALSE(h.run("a common  position").ok);
  EXPECT_FALSE(h.run("a commonposition").ok);
}

TEST(Scanning, ExpressionReportsEveryMaximalRun) {
  Harness h(glrtest_scanning::tables());
  // /a(bc)?/ on "abc" yields "a" and "abc"; greediness keeps the longer.
  EXPECT_EQ(h.run("b abc").value, "alt:abc/");
  EXPECT_EQ(h.run("b abcbc").value, "alt:abc/BC");
  EXPECT_EQ(h.run("b a bc").value, "alt:a/BC");
  // "ab" is no run of /a(bc)?/: "a" is extended by "b", "ab" does not match.
  EXPECT_FALSE(h.run("b ab").ok);
}

TEST(Scanning, OverlappingKeywordsAndExpressions) {
  Harness h(glrtest_scanning::tables());
  EXPECT_EQ(h.run("c 410 u.s. 113").value, "410 us 113");
  EXPECT_EQ(h.run("c 42 usc").value, "42 us roman c");
  EXPECT_EQ(h.run("c 42 us 7").value, "42 us 7");
  // The number takes the letter after it, so nothing is left for "us".
  EXPECT_FALSE(h.run("c 410u.s.113").ok);
}

TEST(Scanning, WhiteSpaceAndCommentsBetweenTerminals) {
  Harness h(glrtest_scanning::tables());
  EXPECT_EQ(h.run("d x y").value, "xy");
  EXPECT_EQ(h.run("  d\tx // a comment\n\f y  \n").value, "xy");
  EXPECT_EQ(h.run("dxy").value, "xy");
  EXPECT_EQ(h.run("d x y // trailing comment").value, "xy");
}

TEST(Scanning, ExpressionsWithBlanksHaveTheirOwnScanner) {
  EXPECT_EQ(glrtest_scanning::tables().nscanners, 2u);
  Harness h(glrtest_scanning::tables());
  EXPECT_EQ(h.run("e (some words here)").value, "remark:some words here");
  EXPECT_EQ(h.run("e(x)").value, "remark:x");
  EXPECT_FALSE(h.run("e (two) (remarks)").ok);
  EXPECT_EQ(h.run("d x y").value, "xy");
}

TEST(Scanning, LeftoverInputIsASyntaxErrorWithItsPosition) {
  Harness h(glrtest_scanning::tables());
  Outcome o = h.run("d x y z");
  EXPECT_FALSE(o.ok);
  EXPECT_EQ(o.errors, 1u);
  EXPECT_EQ(o.line, 1u);
  EXPECT_EQ(o.column, 7u);
  EXPECT_TRUE(o.has_after);
  EXPECT_EQ(o.after, "y");

  o = h.run("d x\n  q");
  EXPECT_FALSE(o.ok);
  EXPECT_EQ(o.line, 2u);
  EXPECT_EQ(o.column, 3u);
  EXPECT_EQ(o.after, "x");

  o = h.run("zzz");
  EXPECT_FALSE(o.ok);
  EXPECT_EQ(o.column, 1u);
  EXPECT_FALSE(o.has_after);

  o = h.run("d x");  // input ends too early
  EXPECT_FALSE(o.ok);
  EXPECT_EQ(o.column, 4u);

  o = h.run("");
  EXPECT_FALSE(o.ok);
  EXPECT_EQ(o.errors, 1u);
}

// ---- Empty productions, child lists and values ----------------------------------

TEST(ChildLists, OptionalElementsAndNestedGroups) {
  Harness h(glrtest_epsilon::tables());
  EXPECT_EQ(h.run("<h t>").value, "H t");
  EXPECT_EQ(h.run("<e h e x 5 y 7 y z 8 x ; 1 t 2>").value, "HEE X5 YZ YZ8 X 1t2");
  EXPECT_EQ(h.run("<h e ; t 3>").value, "HE t3");
  EXPECT_EQ(h.run("<h;t>").value, "H t");
}

// Options are expanded at generation time, but the tree keeps one child per
// element: an absent option is an empty node where the next element starts
// (or where the production ends), a present one a node over its element.
TEST(ChildLists, OptionNodesAreChildrenAsWritten) {
  Harness h(glrtest_epsilon::tables());
  glr::Parser& p = h.parser;
  p.set_globals(&h.out.globals);
  const char* in = "<h t 5>";
  ASSERT_TRUE(p.parse(in, std::strlen(in)));
  const glr::TreeNode* s = p.tree();
  ASSERT_EQ(s->child_count, 5u);
  const glr::TreeNode* mid = s->children[2];
  EXPECT_EQ(p.symbol_name(mid->symbol), "mid?");
  EXPECT_EQ(mid->child_count, 0u);
  EXPECT_EQ(mid->start, 3u);  // where "t" starts, after the blank
  EXPECT_EQ(mid->end, 3u);
  const glr::TreeNode* tail = s->children[3];
  ASSERT_EQ(tail->child_count, 3u);
  EXPECT_EQ(tail->children[0]->child_count, 0u);  // n? absent before "t"
  EXPECT_EQ(tail->children[0]->start, 3u);
  const glr::TreeNode* last = tail->children[2];  // n? present over "5"
  ASSERT_EQ(last->child_count, 1u);
  EXPECT_EQ(last->start, 5u);
  EXPECT_EQ(last->end, 6u);
  EXPECT_EQ(p.symbol_name(last->children[0]->symbol), "n");
  p.free_tree();
}

TEST(ChildLists, HiddenLeftRecursion) {
  Harness h(glrtest_epsilon::tables());
  EXPECT_EQ(h.run("[y]").value, "y");
  EXPECT_EQ(h.run("[ y x x ]").value, "((yx)x)");
  EXPECT_FALSE(h.run("[x]").ok);
}

TEST(Actions, RoutinesCategoriesRejectionAndPassUp) {
  Harness h(glrtest_epsilon::tables());
  Outcome o = h.run("^ ab 007");
  EXPECT_EQ(o.value, "AB 7");
  EXPECT_EQ(o.globals.category, "Caps");
  o = h.run("! one two");
  EXPECT_EQ(o.value, "two-one!");
  EXPECT_EQ(o.globals.marks, 1);
  o = h.run("~");
  EXPECT_TRUE(o.ok);
  EXPECT_TRUE(o.globals.rejected);
  EXPECT_EQ(o.globals.error, "no tilde");
  EXPECT_EQ(h.run("= hello").value, "hello");
}

TEST(Actions, EveryValueIsFreedOnce) {
  auto& c = glrtest::counts();
  long made = c.made, freed = c.freed;
  {
    glr::Parser p(glrtest_epsilon::tables());
    p.set_free_node_hook(glrtest::free_value);
    TestGlobals g;
    p.set_globals(&g);
    for (const char* in : {"<e h e x 5 y 7 y z 8 x ; 1 t 2>", "! a b", "^ x 1", "[ y x x x ]", "= q"}) {
      ASSERT_TRUE(p.parse(in, std::strlen(in))) << in;
      EXPECT_EQ(c.made - made, c.freed - freed) << in;  // freed right after the actions
    }
    p.set_keep_tree(true);
    ASSERT_TRUE(p.parse("! a b", 5));
    EXPECT_GT(c.made - made, c.freed - freed);  // the kept tree still holds values
    ASSERT_TRUE(p.parse("= q", 3));             // the next parse frees them
    p.free_tree();
    p.free_tree();
    EXPECT_EQ(c.made - made, c.freed - freed);
    ASSERT_TRUE(p.parse("! a b", 5));
  }  // destruction frees a kept tree
  EXPECT_EQ(c.made - made, c.freed - freed);
  EXPECT_GT(c.made - made, 0);
}

TEST(Actions, TheWorkedExampleOfTheReadme) {
  Harness h(glrtest_readme::tables());
  EXPECT_EQ(h.run("410 u.s. 113").value, "410 us 113");
  EXPECT_EQ(h.run("5 u. s. 7, 9").value, "5 us 7 at 9");
  EXPECT_EQ(h.run("123 f. supp. (2d) 456").value, "123 f supp 2d 456");
  EXPECT_EQ(h.run("1 f 2").value, "1 f 2");
  Outcome date = h.run("7/4/1976");
  EXPECT_EQ(date.value, "07/04/1976");
  EXPECT_EQ(date.globals.category, "Date");
}

// ---- Limits, threads, coverage ------------------------------------------------------

TEST(Limits, ExceededBudgetFailsTheParseAndTheParserStaysUsable) {
  Harness h(glrtest_ambiguity::tables());
  glr::Limits tight;
  tight.max_work = 50;
  h.parser.set_limits(tight);
  Outcome o = h.run("4 f supp (2d) 456");
  EXPECT_FALSE(o.ok);
  EXPECT_TRUE(h.parser.budget_exceeded());
  h.parser.set_limits(glr::Limits{});
  EXPECT_EQ(h.run("4 f supp (2d) 456").value, "f supp (2d)|456");
  EXPECT_FALSE(h.parser.budget_exceeded());

  glr::Limits small_input;
  small_input.max_input = 4;
  h.parser.set_limits(small_input);
  EXPECT_FALSE(h.run("1 x x x").ok);
  EXPECT_TRUE(h.parser.budget_exceeded());
}

TEST(Limits, PathologicalInputsStopAtTheDefaultLimits) {
  glr::Parser p(glrtest_ref_ambiguous::tables());
  p.set_free_node_hook(glrtest::free_value);
  TestGlobals g;
  p.set_globals(&g);
  std::string as(200, 'a');  // every split of the input is a reading
  EXPECT_FALSE(p.parse(as.data(), as.size()));
  EXPECT_TRUE(p.budget_exceeded());
  EXPECT_EQ(p.syntax_errors(), 0u);
  EXPECT_TRUE(p.parse("a a a", 5));

  // A tree deeper than the depth limit fails instead of exhausting the stack.
  Harness h(glrtest_epsilon::tables());
  std::string deep = "[y";
  for (int i = 0; i < 5000; ++i) deep += " x";
  deep += "]";
  EXPECT_FALSE(h.run(deep).ok);
  EXPECT_TRUE(h.parser.budget_exceeded());
  EXPECT_EQ(h.run("[ y x x ]").value, "((yx)x)");

  // Here the limit is reached in the repetition after `head` has been built,
  // its action run and its value made: the failed parse releases that value
  // itself, before any later parse.
  std::string wide = "< h";
  for (int i = 0; i < 3000; ++i) wide += " x";
  wide += " ; t >";
  auto& c = glrtest::counts();
  const long made = c.made;
  EXPECT_FALSE(h.parser.parse(wide.data(), wide.size()));
  EXPECT_TRUE(h.parser.budget_exceeded());
  EXPECT_GT(c.made, made);
  EXPECT_EQ(c.made, c.freed);
  EXPECT_EQ(h.run("< h ; t >").value, "H t");
}

TEST(Limits, ArbitraryBytesNeverBreakTheParser) {
  const glr::Tables* grammars[] = {&glrtest_ambiguity::tables(), &glrtest_scanning::tables(),
                                   &glrtest_epsilon::tables(), &glrtest_readme::tables()};
  const std::string alphabet = "abcdefhkqstuxyz0123456789 \t\n/.,;:()[]<>!^=~-\xa7\xc2";
  uint32_t seed = 12345;
  auto next = [&] { return seed = seed * 1103515245u + 12345u; };
  for (const glr::Tables* t : grammars) {
    Harness h(*t);
    for (int i = 0; i < 2000; ++i) {
      std::string in;
      size_t len = (next() >> 8) % 40;
      for (size_t k = 0; k < len; ++k) in += alphabet[(next() >> 8) % alphabet.size()];
      Outcome o = h.run(in, 0);
      ASSERT_EQ(o.ok, o.errors == 0 && !h.parser.budget_exceeded()) << in;
    }
  }
  EXPECT_EQ(glrtest::counts().made, glrtest::counts().freed);
}

TEST(Threads, ParsersOnTwoThreadsShareOnlyTheTables) {
  auto work = [](std::string* result) {
    Harness h(glrtest_epsilon::tables());
    for (int i = 0; i < 200; ++i) {
      Outcome o = h.run("<e h e x 5 y 7 y z 8 x ; 1 t 2>");
      if (o.value != "HEE X5 YZ YZ8 X 1t2") {
        *result = o.value;
        return;
      }
    }
    *result = "ok";
    EXPECT_EQ(glrtest::counts().made, glrtest::counts().freed);
  };
  std::string r1, r2;
  std::thread t1(work, &r1), t2(work, &r2);
  t1.join();
  t2.join();
  EXPECT_EQ(r1, "ok");
  EXPECT_EQ(r2, "ok");
}

TEST(Coverage, CountsProductionsOfChosenTrees) {
  const glr::Tables& t = glrtest_ambiguity::tables();
  glr::Parser p(t);
  TestGlobals g;
  p.set_globals(&g);
  p.set_free_node_hook(glrtest::free_value);
  p.set_coverage(true);
  ASSERT_TRUE(p.parse("2 k", 3));
  ASSERT_TRUE(p.parse("2 k", 3));
  std::vector<std::string> used, unused;
  for (uint32_t i = 1; i < t.nproductions; ++i)
    (p.coverage()[i] ? used : unused).push_back(std::string(p.symbol_name(t.productions[i].lhs)));
  EXPECT_THAT(used, testing::UnorderedElementsAre("top", "flat", "q"));
  EXPECT_EQ(p.coverage()[1], 0u);  // top : "1" greedy
  // flat : q  was chosen twice; flat : p  lost and is not counted.
  uint32_t flat_q = 0;
  for (uint32_t i = 1; i < t.nproductions; ++i)
    if (p.symbol_name(t.productions[i].lhs) == "flat" && p.coverage()[i]) flat_q = i;
  EXPECT_EQ(p.coverage()[flat_q], 2u);
  EXPECT_THAT(std::string(t.productions[flat_q].where), testing::HasSubstr("grammar.g:16"));
}

TEST(Tables, RuntimeRefusesAnotherFormat) {
  glr::Tables copy = glrtest_scanning::tables();
  copy.format = glr::kTablesFormat + 1;
  EXPECT_THROW(glr::Parser p(copy), std::invalid_argument);
}

}  // namespace
