// ParseCitation over the generated grammar: what it hands back beside the
// normalized text (the error text of a syntax error or of a refusing action),
// and that a parser reused for many parses gives each one a clean start.

#include <gtest/gtest.h>

#include <string>

#include "glr/parser.h"
#include "normalizer/parse_citation.h"

namespace Veltra::Penwork::Recognizer {
namespace {

struct Result {
    bool ok = false;
    std::string normalized = "untouched";
    std::string category = "untouched";
    std::string error = "stale";
};

Result Parse(const std::string& input) {
    Result r;
    r.ok = ParseCitation(input, r.normalized, r.category, r.error);
    return r;
}

TEST(ParseCitation, SuccessWritesTextAndCategoryAndClearsTheError) {
    const Result set = Parse("42 u.s.c. \xa7 1983");
    EXPECT_TRUE(set.ok);
    EXPECT_EQ(set.normalized, "42 usc 1983");
    EXPECT_EQ(set.category, "USC");
    EXPECT_EQ(set.error, "");

    // No action names the category of a case citation: the catalogue does.
    const Result byReporter = Parse("123 f. supp. 2d 456");
    EXPECT_TRUE(byReporter.ok);
    EXPECT_EQ(byReporter.normalized, "123 f supp 2d 456");
    EXPECT_EQ(byReporter.category, "PrimaryFederalReporter");
}

TEST(ParseCitation, SyntaxErrorGivesOneLineWithPositionAndLastNode) {
    const Result r = Parse("410 u.s. 113 xyz!");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.normalized, "untouched");
    EXPECT_EQ(r.category, "untouched");
    // One line only: the parse stops at its first error.
    ASSERT_FALSE(r.error.empty());
    EXPECT_EQ(r.error.back(), '\n');
    EXPECT_EQ(r.error.find('\n'), r.error.size() - 1) << r.error;
    EXPECT_EQ(r.error.rfind("1:", 0), 0u) << r.error;
    EXPECT_NE(r.error.find(" syntax error after "), std::string::npos) << r.error;

    const Result empty = Parse("");
    EXPECT_FALSE(empty.ok);
    EXPECT_EQ(empty.error, "1:1 syntax error\n");

    // The widest node ending where the parse stopped is the reporter name
    // with its series, "ohio app. 3d", and not the series alone: the engine
    // passes straight through the stack states that only reduce one symbol to
    // another, and the names built there still count for the report.
    const Result cut = Parse("42 ohio app. 3d-128");
    EXPECT_FALSE(cut.ok);
    EXPECT_EQ(cut.error, "1:16 syntax error after ohio app. 3d\n");
}

TEST(ParseCitation, RefusingActionsFailTheParseWithTheirMessage) {
    const Result pinPage = Parse("410 u.s. p. 0");
    EXPECT_FALSE(pinPage.ok);
    EXPECT_EQ(pinPage.error, "Page 0 not allowed");
    EXPECT_EQ(pinPage.normalized, "untouched");

    const Result ecrPage = Parse("[1999] ecr 000");
    EXPECT_FALSE(ecrPage.ok);
    EXPECT_EQ(ecrPage.error, "empty page id");

    // Refusals without a message leave the error text as it was: empty.
    const Result year = Parse("us 204/123456");
    EXPECT_FALSE(year.ok);
    EXPECT_EQ(year.error, "");
    // A reporter citation typed as one word parses, and is refused.
    const Result oneWord = Parse("410us113");
    EXPECT_FALSE(oneWord.ok);
    EXPECT_EQ(oneWord.error, "");
    EXPECT_TRUE(Parse("410 us 113").ok);
}

TEST(ParseCitation, AReusedParserStartsEveryParseAfresh) {
    glr::Parser parser(CitationGrammarTables());
    std::string normalized, category, error;
    // A refused parse, then a good one: neither the refusal nor the category
    // of the one before leaks into the next.
    EXPECT_FALSE(ParseCitationWith(parser, "410 u.s. p. 0", normalized, category, error));
    EXPECT_TRUE(ParseCitationWith(parser, "5 wend. 10", normalized, category, error));
    EXPECT_EQ(normalized, "5 wendell 10");
    EXPECT_EQ(category, "PrimaryStateReporter");
    EXPECT_TRUE(ParseCitationWith(parser, "17 c.f.r. 240.10b-5", normalized, category, error));
    EXPECT_EQ(normalized, "17 cfr 240 10b-5");
    EXPECT_EQ(category, "CFR");
    category.clear();
    EXPECT_TRUE(ParseCitationWith(parser, "410 u.s. 113", normalized, category, error));
    EXPECT_EQ(category, "USReport");
    EXPECT_EQ(parser.globals(), nullptr);
}

}  // namespace
}  // namespace Veltra::Penwork::Recognizer
