// The normalizer driver's own steps: refusal, preparation, the document
// identifier shortcuts, the clean-up of text the grammar does not accept and
// the reading back of a finished parse. The parse itself is replaced by a fake
// that records what it was given.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "normalizer/normalize_citation.h"
#include "normalizer/parse_citation.h"

namespace Veltra::Penwork::Recognizer {
namespace {

struct FakeParser {
    static inline std::vector<std::string> inputs;
    static inline bool accept = false;
    static inline std::string normalized;
    static inline std::string category;

    static bool Parse(const std::string& input, std::string& outNormalized, std::string& outCategory,
                      std::string& error) {
        inputs.push_back(input);
        if (!accept) {
            error = "Syntax error";
            return false;
        }
        outNormalized = normalized;
        outCategory = category;
        error.clear();
        return true;
    }
};

class Driver : public ::testing::Test {
protected:
    void SetUp() override {
        FakeParser::inputs.clear();
        FakeParser::accept = false;
    }
    void Accept(std::string normalized, std::string category) {
        FakeParser::accept = true;
        FakeParser::normalized = std::move(normalized);
        FakeParser::category = std::move(category);
    }
    // Runs the driver; `category` starts as "unset" so that writes show.
    bool Run(std::string input) {
        citation = std::move(input);
        category = "unset";
        return NormalizeCitationWith(citation, category, &FakeParser::Parse);
    }
    const std::vector<std::string>& parsed() const { return FakeParser::inputs; }

    std::string citation;
    std::string category;
};

TEST_F(Driver, RefusesStarUnderscoreAndBareHashWithoutParsing) {
    for (const char* input : {"123_456", "*foo", "#12 foo", "12 f.2d 3#", "12 f&2d #3"}) {
        EXPECT_FALSE(Run(input)) << input;
        EXPECT_EQ(citation, input);
        EXPECT_EQ(category, "unset");
    }
    EXPECT_TRUE(parsed().empty());
}

TEST_F(Driver, OverlongCandidateIsRefusedUntouched) {
    const std::string longest = "dk " + std::string(kMaxCandidateLength - 3, '7');
    EXPECT_TRUE(Run(longest));
    EXPECT_EQ(citation, longest.substr(3));

    const std::string overlong = longest + "7";
    EXPECT_FALSE(Run(overlong));
    EXPECT_EQ(citation, overlong);
    EXPECT_EQ(category, "unset");
    EXPECT_TRUE(parsed().empty());
}

TEST_F(Driver, CharacterReferenceReachesTheParser) {
    EXPECT_FALSE(Run("12 I&#38;N Dec. 34"));
    ASSERT_EQ(parsed().size(), 1u);
    EXPECT_EQ(parsed()[0], "12 i&#38;n dec. 34");
    // Only the first of "*_#" decides.
    EXPECT_FALSE(Run("a&#38; b_c"));
    EXPECT_EQ(parsed().size(), 2u);
}

TEST_F(Driver, PreparationLowerCasesAndDropsLeadingBytes) {
    Accept("410 us 113", "USReport");
    EXPECT_TRUE(Run("  410 U.S. 113"));
    EXPECT_EQ(parsed().back(), "410 u.s. 113");
    EXPECT_EQ(citation, "410 us 113");
    EXPECT_EQ(category, "USReport");

    // Control characters and high bytes are dropped only before the text starts.
    Run("\t\x01\xA0\xC2" "F.\xC2\xA7 1\x01");
    EXPECT_EQ(parsed().back(), "f.\xC2\xA7 1\x01");
}

TEST_F(Driver, FailedParseComesBackCleaned) {
    EXPECT_FALSE(Run("12 U.S.C. sec. 1"));
    EXPECT_EQ(citation, "12 u.s.c sec 1");
    EXPECT_EQ(category, "unset");
}

TEST_F(Driver, DocketShortcut) {
    EXPECT_TRUE(Run("dk 12345"));
    EXPECT_EQ(citation, "12345");
    EXPECT_TRUE(Run("  DK:Ab 12"));
    EXPECT_EQ(citation, "ab 12");
    EXPECT_EQ(category, "unset");
    EXPECT_TRUE(parsed().empty());
    // Three characters or fewer skip the shortcuts.
    EXPECT_FALSE(Run("dk:"));
    EXPECT_EQ(parsed().size(), 1u);
}

TEST_F(Driver, WorkProductShortcutKeepsTheWholeInput) {
    EXPECT_TRUE(Run("  WKakcase Foo, Bar"));
    EXPECT_EQ(citation, "  wkakcase foo, bar");
    EXPECT_EQ(category, "unset");
    EXPECT_TRUE(parsed().empty());
    EXPECT_FALSE(Run("wkzzzz foo"));
    EXPECT_EQ(parsed().size(), 1u);
}

TEST_F(Driver, SourceIdentifierWithoutParse) {
    EXPECT_TRUE(Run("frap 4"));
    EXPECT_EQ(citation, "frapproc 4");
    EXPECT_TRUE(Run("FRAP  4(a)/5, n.3."));
    EXPECT_EQ(citation, "frapproc 4(a) 5 n.3");
    EXPECT_TRUE(Run("akregs"));
    EXPECT_EQ(citation, "akregs");
    EXPECT_TRUE(Run("akcode 42 \xA7" "1983"));
    EXPECT_EQ(citation, "akcode 42 sc1983");
    EXPECT_TRUE(Run("akregs 12%u20145 %u2014 6"));
    EXPECT_EQ(citation, "akregs 12 - 5 %u2014 6");
    EXPECT_EQ(category, "unset");
    EXPECT_TRUE(parsed().empty());
}

TEST_F(Driver, CaseLawIdentifierParsesTheRest) {
    Accept("410 us 113", "USReport");
    EXPECT_TRUE(Run("AKCASE 410 U.S. 113"));
    EXPECT_EQ(parsed().back(), "410 u.s. 113");
    EXPECT_EQ(citation, "410 us 113");
    EXPECT_EQ(category, "USReport");

    EXPECT_TRUE(Run("f1case:12%u20143"));
    EXPECT_EQ(parsed().back(), "12 - 3");
}

TEST_F(Driver, CaseLawIdentifierFallsBackWhenTheRestDoesNotParse) {
    EXPECT_TRUE(Run("akcase 410 U.S. 113."));
    EXPECT_EQ(parsed().back(), "410 u.s. 113.");
    EXPECT_EQ(citation, "akcase 410 u.s 113");
    EXPECT_EQ(category, "unset");
    // Alone, the identifier is not parsed at all.
    EXPECT_TRUE(Run("akcase"));
    EXPECT_EQ(parsed().size(), 1u);
}

TEST_F(Driver, RealEntryPointFallsBackOnTextThatIsNoCitation) {
    std::string text = "See, e.g., the Brief's  reply*3";
    std::string cat = "unset";
    EXPECT_FALSE(NormalizeCitation(text, cat));
    EXPECT_EQ(text, "See, e.g., the Brief's  reply*3");  // refused before parsing: untouched
    text = "See, e.g., the Brief's  reply.";
    EXPECT_FALSE(NormalizeCitation(text, cat));
    EXPECT_EQ(text, "see e.g the briefs reply");
    EXPECT_EQ(cat, "unset");
}

TEST(CleanFallback, Separators) {
    const std::pair<const char*, const char*> cases[] = {
        {"12 u.s.c. sec. 1", "12 u.s.c sec 1"},
        {"a, b//c\\\\d__e\tf", "a b c d e f"},
        {"a,. ", "a"},
        {"o'brien's", "obriens"},
        {"42 usc 1983*note", "42 usc 1983"},
        {"42 \xC2\xA7\xA7 1983", "42 scsc 1983"},
        {",a", " a"},
        {"", ""},
    };
    for (const auto& [in, out] : cases) {
        std::string text = in;
        CleanFallback(text);
        EXPECT_EQ(text, out) << in;
    }
}

TEST(ClassifyByReporterName, KeyBetweenVolumeAndPage) {
    EXPECT_EQ(ClassifyByReporterName("123 f supp 2d 456"), "PrimaryFederalReporter");
    EXPECT_EQ(ClassifyByReporterName("410 us 113"), "USReport");
    EXPECT_EQ(ClassifyByReporterName("us 113"), "USReport");
    EXPECT_EQ(ClassifyByReporterName("410 us"), "");
    EXPECT_EQ(ClassifyByReporterName("410"), "");
    EXPECT_EQ(ClassifyByReporterName("123 unknown 5"), "");
    EXPECT_EQ(ClassifyByReporterName(""), "");
}

TEST(ReadBackParse, CategoryFromActionsOrReporter) {
    std::string normalized = "old", category = "old", error = "old";
    CitationRecord record{"410 us 113", "", "", false};
    EXPECT_TRUE(ReadBackParse(record, true, 0, normalized, category, error));
    EXPECT_EQ(normalized, "410 us 113");
    EXPECT_EQ(category, "USReport");
    EXPECT_EQ(error, "");

    CitationRecord withCategory{"42 usc 1983", "USC", "", false};
    EXPECT_TRUE(ReadBackParse(withCategory, true, 0, normalized, category, error));
    EXPECT_EQ(category, "USC");

    CitationRecord unknown{"1 nowhere 2", "", "", false};
    EXPECT_TRUE(ReadBackParse(unknown, true, 0, normalized, category, error));
    EXPECT_EQ(category, "");
}

TEST(ReadBackParse, FailuresLeaveTheOutputs) {
    struct Case { CitationRecord record; bool tree; unsigned errors; const char* error; };
    Case cases[] = {
        {{"1 us 0", "", "Page 0 not allowed", true}, true, 0, "Page 0 not allowed"},
        {{"x", "", "1:2 syntax error\n", false}, true, 1, "1:2 syntax error\n"},
        {{"x", "", "", false}, false, 0, "Syntax error"},
    };
    for (Case& c : cases) {
        std::string normalized = "n", category = "c", error;
        EXPECT_FALSE(ReadBackParse(c.record, c.tree, c.errors, normalized, category, error));
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(normalized, "n");
        EXPECT_EQ(category, "c");
    }
}

}  // namespace
}  // namespace Veltra::Penwork::Recognizer
