// Input no document should hold but any document may: parses that reach the
// parser's limits, candidates far longer than a citation, text with NULs,
// lone surrogates and characters outside the BMP, and a recognizer that gives
// up half-way through a text. Whatever happens must stay inside the call: a
// failed parse, no tag, or one log line, and the next call as good as new.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <boost/make_shared.hpp>
#include <boost/regex.hpp>

#include "adaptors/host/recording_host.h"
#include "adaptors/recognizer_adaptor.h"
#include "glr/parser.h"
#include "normalizer/normalize_citation.h"
#include "normalizer/parse_citation.h"
#include "platform/bstr.h"
#include "platform/com_object.h"
#include "platform/in_memory_site.h"
#include "recognizers/citation_recognizer.h"
#include "recognizers/security_recognizer.h"

namespace Veltra::Penwork::Recognizer {
namespace {

using smarttag::platform::InMemoryRecognizerSite;
typedef std::basic_string<OLECHAR> Units;

std::string Repeat(const std::string& piece, std::size_t times) {
    std::string out;
    for (std::size_t i = 0; i < times; ++i) out += piece;
    return out;
}

_bstr_t Bstr(const Units& units) { return _bstr_t(SysAllocStringLen(units.data(), UINT(units.size())), false); }

Units Wide(const std::string& ascii) { return Units(ascii.begin(), ascii.end()); }

// ---- The parser's limits on the citation grammar ---------------------------

struct NamedLimits {
    const char* name;
    glr::Limits limits;
};

std::vector<NamedLimits> TightLimits() {
    std::vector<NamedLimits> all(5, NamedLimits{"", glr::Limits{}});
    all[0].name = "work";
    all[0].limits.max_work = 10;
    all[1].name = "forest nodes";
    all[1].limits.max_forest_nodes = 4;
    all[2].name = "stack nodes";
    all[2].limits.max_gss_nodes = 3;
    all[3].name = "tree depth";
    all[3].limits.max_depth = 2;
    all[4].name = "input size";
    all[4].limits.max_input = 8;
    return all;
}

// A parse stopped by a limit is a failed parse like a syntax error: the
// outputs keep what they held, an error is reported, no node value is left
// behind (the sanitizer build checks that), and the parser parses normally
// again once the limit is lifted.
TEST(ParseLimits, ReachingALimitFailsTheParseAndTheParserStaysUsable) {
    glr::Parser parser(CitationGrammarTables());
    for (const NamedLimits& tight : TightLimits()) {
        SCOPED_TRACE(tight.name);
        parser.set_limits(tight.limits);
        std::string normalized = "kept", category = "kept", error;
        EXPECT_FALSE(ParseCitationWith(parser, "346 f. supp. 2d 628", normalized, category, error));
        EXPECT_TRUE(parser.budget_exceeded());
        EXPECT_EQ("kept", normalized);
        EXPECT_EQ("kept", category);
        EXPECT_FALSE(error.empty());

        parser.set_limits(glr::Limits{});
        EXPECT_TRUE(ParseCitationWith(parser, "346 f. supp. 2d 628", normalized, category, error));
        EXPECT_FALSE(parser.budget_exceeded());
        EXPECT_EQ("346 f supp 2d 628", normalized);
        EXPECT_EQ("PrimaryFederalReporter", category);
    }
}

// None of these is a citation; each must come back refused, with no category,
// however long or deeply nested it is.
TEST(HostileCandidates, DegenerateCandidatesAreRefused) {
    const std::vector<std::string> inputs = {
        std::string((1u << 20) + 1, '7'),                      // past the parser's input limit
        "1 " + std::string(10240, '(') + "2d" + std::string(10240, ')') + " 3",
        "410 u.s. " + Repeat("//", 5000) + " 113",             // comments out the page
        "1 " + Repeat("f. supp. ", 1200) + "2",                // one reporter word after another
        "1 " + Repeat("u.s. 2, ", 1200) + "3",
        Repeat("1 ", 5000) + "1",
    };
    for (const std::string& input : inputs) {
        SCOPED_TRACE(input.substr(0, 40));
        std::string citation = input, category;
        EXPECT_FALSE(NormalizeCitation(citation, category));
        EXPECT_TRUE(category.empty());
    }
}

// ---- The recognizers on hostile text, through the adaptor ------------------

struct Wired {
    boost::shared_ptr<smarttag::host::RecordingLogInfo> log = boost::make_shared<smarttag::host::RecordingLogInfo>();
    boost::shared_ptr<SmartTag2RecognizerAdaptorImpl> adaptor;

    explicit Wired(std::vector<boost::shared_ptr<IRecognizerImpl>> recognizers) {
        adaptor = SmartTag2RecognizerAdaptorImpl::Ctor(recognizers, _bstr_t(OLESTR("urn:t#")),
                                                      boost::make_shared<smarttag::host::FixedSettingReader>(true),
                                                      log);
    }

    std::vector<smarttag::platform::CommittedTag> Recognize(const Units& text, HRESULT expected = S_OK) {
        auto site = InMemoryRecognizerSite::Create();
        EXPECT_EQ(expected, adaptor->Recognize2(Bstr(text), IF_TYPE_PARA, 1033, site.Get(), nullptr, nullptr));
        return site->Commits();
    }
};

Wired CitationAndSecurity() {
    return Wired({RecognizerCitationImpl::Ctor(_bstr_t(OLESTR("Citation"))),
                  RecognizerSecurityImpl::Ctor(_bstr_t(OLESTR("Security")),
                                               smarttag::host::VectorStringList::FromUtf8({"Equity", "Corp"}))});
}

// Positions are UTF-16 code units of the text as given: a NUL, a lone
// surrogate or a pair before the citation each count as what they are.
TEST(HostileText, TagPositionsCountCodeUnitsWhateverPrecedesThem) {
    Wired wired = CitationAndSecurity();
    const std::vector<Units> prefixes = {
        Units(1, OLECHAR(0)) + Wide(" "),            // NUL
        Units(1, OLECHAR(0xD800)) + Wide(" "),       // lone high surrogate
        Units(1, OLECHAR(0xDC00)) + Wide(" "),       // lone low surrogate
        Units{OLECHAR(0xD83D), OLECHAR(0xDE00), OLECHAR(' ')},  // a pair (U+1F600)
        Units{OLECHAR(0x00E9), OLECHAR(0x2014), OLECHAR(0x0151), OLECHAR(' ')},
    };
    for (const Units& prefix : prefixes) {
        SCOPED_TRACE(prefix.size());
        const Units text = prefix + Wide("See 410 U.S. 113 (1973).") + Units(1, OLECHAR(0xD801));
        const auto tags = wired.Recognize(text);
        ASSERT_EQ(1u, tags.size());
        EXPECT_EQ(int(prefix.size() + 5), tags[0].start);
        EXPECT_EQ(12, tags[0].length);
    }
    EXPECT_TRUE(wired.log->messages.empty());
}

// A candidate far past any citation's size is refused on its own and the
// scan goes on to the citation after it.
TEST(HostileText, AHugeCandidateDoesNotStopTheScan) {
    Wired wired = CitationAndSecurity();
    const std::string huge = "1" + std::string(1u << 20, '9') + " U.S. 1";
    const std::string after = " and 410 U.S. 113";
    const auto tags = wired.Recognize(Wide(huge + after));
    ASSERT_EQ(1u, tags.size());
    EXPECT_EQ(int(huge.size() + 6), tags[0].start);
    EXPECT_TRUE(wired.log->messages.empty());
}

// Text built to make the candidate pattern try hardest: numbers followed by
// short words that never reach a page, digit runs, long blank runs. The last
// one makes the pattern as first written, searched with plain backtracking,
// give up with the library's complexity error after seconds of work.
TEST(HostileText, PatternStressTextsGiveNoTagAndNoFailure) {
    Wired wired = CitationAndSecurity();
    const std::vector<std::string> texts = {
        Repeat("1 ab ab ab ab ab ab ", 2000), Repeat("1 ", 20000), std::string(40000, '1'),
        "1 a" + std::string(40000, ' ') + "x", Repeat("12 a1a1 a1a1 a1a1 a1a1 a1a1 a1a1 ", 1000),
        "1 " + Repeat("abcd1111abcd" + std::string(4000, ' '), 6) + "x",
    };
    for (const std::string& text : texts) {
        SCOPED_TRACE(text.substr(0, 30));
        EXPECT_TRUE(wired.Recognize(Wide(text)).empty());
    }
    EXPECT_TRUE(wired.log->messages.empty());
}

// A recognizer whose pattern search gives up (the regular-expression
// library's complexity limit) after it committed a tag.
class GivesUpAfterOneTag : public IRecognizerImpl {
public:
    bool giveUp = true;
    bool IsDisabled() override { return false; }
    void GetTagTypes(TagTypeList& types) override { types.emplace_back(_bstr_t(OLESTR("X")), _bstr_t(OLESTR("X"))); }
    bool Recognize(const _bstr_t&, CommitTagFn commit) override {
        TagPropertyMap properties;
        properties[_bstr_t(OLESTR("X"))] = _bstr_t(OLESTR("1"));
        commit(_bstr_t(OLESTR("X")), 1, 1, properties);
        if (giveUp) throw boost::regex_error(boost::regex_constants::error_complexity);
        return true;
    }
};

// The failure is logged once, the tag committed before it stays, every bag
// is released, and the next text is recognized in full.
TEST(HostileText, PatternLimitIsLoggedAndLosesNothingCommitted) {
    auto givesUp = boost::make_shared<GivesUpAfterOneTag>();
    Wired wired({givesUp, RecognizerCitationImpl::Ctor(_bstr_t(OLESTR("Citation")))});
    const long live = smarttag::platform::GetComCounters().live;

    auto tags = wired.Recognize(Wide("410 U.S. 113"), S_FALSE);
    ASSERT_EQ(1u, tags.size());
    EXPECT_EQ(_bstr_t(OLESTR("urn:t#X")), tags[0].name);
    ASSERT_EQ(1u, wired.log->messages.size());
    EXPECT_EQ(std::string("Exception in SmartTag2RecognizerAdaptorImpl::Recognize: ") +
                  boost::regex_error(boost::regex_constants::error_complexity).what(),
              wired.log->messages[0]);
    EXPECT_EQ(live, smarttag::platform::GetComCounters().live);

    givesUp->giveUp = false;
    tags = wired.Recognize(Wide("410 U.S. 113"));
    ASSERT_EQ(2u, tags.size());
    EXPECT_EQ(_bstr_t(OLESTR("urn:t#Citation")), tags[1].name);
    EXPECT_EQ(1u, wired.log->messages.size());
}

}  // namespace
}  // namespace Veltra::Penwork::Recognizer
