// The citation recognizer's own steps, over a table-driven normalizer: which
// runs of text become candidates, what happens to a candidate after the
// normalizer answers, and where the tags land.
#include <map>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <boost/make_shared.hpp>
#include <boost/regex.hpp>
#include <gtest/gtest.h>

#include "adaptors/host/recording_host.h"
#include "adaptors/recognizer_adaptor.h"
#include "platform/codepage.h"
#include "platform/debug_output.h"
#include "platform/in_memory_site.h"
#include "recognizers/citation_recognizer.h"

using namespace Veltra::Penwork::Recognizer;
using smarttag::platform::OleString;

namespace {

typedef std::pair<std::size_t, std::size_t> Span;  // (position, length) in code units

std::vector<Span> Candidates(const OleString& text) {
    std::vector<Span> spans;
    CitationCandidateScanner scanner(text.data(), text.size());
    std::size_t position, length;
    while (scanner.Next(position, length)) spans.emplace_back(position, length);
    return spans;
}

// The candidate pattern exactly as written, run the plain way: successive
// matches over the text plus one blank, one wchar_t per code unit.
std::vector<Span> ReferenceCandidates(const OleString& text) {
    static const boost::wregex pattern(
        L"(\\d+[ab]{0,1})\\s+(([.a-zA-Z]{0,4}([0-9])*[.a-zA-Z]{1,4}\\s+){1,5}\\s*)(\\d+)",
        boost::regex_constants::perl | boost::regex_constants::icase);
    std::wstring padded(text.begin(), text.end());
    padded += L' ';
    std::vector<Span> spans;
    for (boost::wsregex_iterator it(padded.begin(), padded.end(), pattern), end; it != end; ++it)
        spans.emplace_back(std::size_t(it->position()), std::size_t(it->length()));
    return spans;
}

OleString W(const std::string& utf8) { return smarttag::platform::Utf8ToWide(utf8); }
std::string U8(const OleString& wide) { return smarttag::platform::WideToUtf8(wide); }

std::vector<std::string> CandidateTexts(const std::string& utf8) {
    const OleString text = W(utf8);
    std::vector<std::string> texts;
    for (const Span& span : Candidates(text)) texts.push_back(U8(text.substr(span.first, span.second)));
    return texts;
}

TEST(CitationCandidatesTest, ShapesOfCandidates) {
    struct Case {
        const char* text;
        std::vector<std::string> candidates;
    } cases[] = {
        {"See 410 U.S. 113 (1973).", {"410 U.S. 113"}},
        {"12a Foo 7", {"12a Foo 7"}},
        {"12B foo 7", {"12B foo 7"}},                   // the letter after the volume in either case
        {"12c Foo 7", {}},                               // only a or b
        {"12 Reporters 7", {}},                          // nine letters is one too many
        {"12 Reporter 7", {"12 Reporter 7"}},
        {"12 a b c d e f 7", {}},                        // six words
        {"12 a b c d e 7", {"12 a b c d e 7"}},          // five
        {"15 U.S.C. 78j(b)", {"15 U.S.C. 78"}},          // the page stops at its last digit
        {"346 F. Supp. 2d 628", {"346 F. Supp. 2d 628"}},
        {"12 F. 2d (1990)", {"12 F. 2"}},                // fewer words when the page is missing
        {"410\tU.S.\n\n113", {"410\tU.S.\n\n113"}},      // any white space
        {"410 U.S.113", {}},                             // the last word needs white space after it
        {"A410 U.S. 113", {"410 U.S. 113"}},             // no word boundary before the volume
        {"1 A 2 B 3 C 4", {"1 A 2", "3 C 4"}},           // the search resumes after a match
        {"in 1997 to 2000 and 42 Ill. 2d 7", {"1997 to 2000", "42 Ill. 2d 7"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CandidateTexts(c.text), c.candidates);
    }
}

TEST(CitationCandidatesTest, OffsetsAreUtf16CodeUnits) {
    // Each emoji is two code units, the accented letter one.
    const OleString text = W("\xF0\x9F\x98\x80\xF0\x9F\x98\x80 caf\xC3\xA9 410 U.S. 113");
    ASSERT_EQ(Candidates(text), (std::vector<Span>{{10, 12}}));
    EXPECT_EQ(Candidates(W("\xF0\x9F\x93\x9C" "5 U.S. 7")), (std::vector<Span>{{2, 8}}));
}

// The scanner skips work the plain pattern does; the matches must not change.
TEST(CitationCandidatesTest, SameMatchesAsThePlainPattern) {
    const std::vector<OleString> pieces = {
        W("1"),  W("42"), W("2d"), W("a"),   W("B"),    W("U.S."),     W("F."),           W("Supp."),
        W("."),  W("x"),  W("abcd"), W("abcde"), W("Reporters"), W(" "), W("  "), W("\t"), W("\n"),
        W("("),  W(")"),  W(","), W("78j"), W("\xC2\xA0"),  // no-break space
        W("\xE2\x80\x83"),                                   // em space
        W("\xE2\x84\xAA"),                                   // Kelvin sign
        W("\xF0\x9F\x98\x80"),                               // outside the BMP
        W("\xD9\xA3"),                                       // Arabic-Indic digit three
    };
    std::mt19937 random(20261208);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1), count(0, 30);
    for (int round = 0; round < 4000; ++round) {
        OleString text;
        for (std::size_t n = count(random); n > 0; --n) {
            text += pieces[pick(random)];
            if (pick(random) % 3 == 0) text += u' ';
        }
        ASSERT_EQ(Candidates(text), ReferenceCandidates(text)) << U8(text);
    }
}

TEST(CitationCandidatesTest, RunsOfNumbersAndShortWordsStayCheap) {
    // Every number here starts five short words and then fails; the plain
    // pattern tries every way of splitting each word.
    OleString text;
    for (int i = 0; i < 2000; ++i) text += OLESTR("1 abab abab abab abab abab abab ");
    text += OLESTR("410 U.S. 113");
    EXPECT_EQ(Candidates(text), (std::vector<Span>{{text.size() - 12, 12}}));
}

// --- the recognizer over a table-driven normalizer -------------------------

struct Answer {
    std::string canonical;
    std::string category;
};

struct Commit {
    std::string type;
    int start, length;
    std::map<std::string, std::string> properties;
    bool operator==(const Commit& o) const {
        return type == o.type && start == o.start && length == o.length && properties == o.properties;
    }
};

void PrintTo(const Commit& c, std::ostream* os) { *os << c.type << "@" << c.start << "+" << c.length; }

std::string Narrow(const _bstr_t& s) { return U8(OleString(static_cast<const OLECHAR*>(s), s.length())); }

class CitationRecognizerTest : public ::testing::Test {
protected:
    // Candidates not in `answers` are refused.
    boost::shared_ptr<RecognizerCitationImpl> Make(std::map<std::string, Answer> table) {
        answers = std::move(table);
        return RecognizerCitationImpl::WithNormalizer(_bstr_t(OLESTR("Citation")),
                                                      [this](std::string& citation, std::string& category) {
                                                          asked.push_back(citation);
                                                          auto it = answers.find(citation);
                                                          if (it == answers.end()) return false;
                                                          citation = it->second.canonical;
                                                          category = it->second.category;
                                                          return true;
                                                      });
    }

    std::vector<Commit> Run(IRecognizerImpl& recognizer, const _bstr_t& text, bool* result = nullptr) {
        std::vector<Commit> commits;
        const bool found = recognizer.Recognize(text, [&](const _bstr_t& type, int start, int length,
                                                          TagPropertyMap& properties) {
            Commit commit{Narrow(type), start, length, {}};
            for (const auto& p : properties) commit.properties[Narrow(p.first)] = Narrow(p.second);
            commits.push_back(commit);
        });
        EXPECT_EQ(found, !commits.empty());
        if (result) *result = found;
        return commits;
    }
    std::vector<Commit> Run(IRecognizerImpl& recognizer, const char* utf8) {
        return Run(recognizer, _bstr_t(W(utf8).c_str()));
    }

    std::vector<std::string> DebugLines() const {
        std::vector<std::string> lines;
        for (const auto& line : debug.Lines()) lines.push_back(U8(line));
        return lines;
    }

    static Commit Tag(int start, int length, const std::string& canonical) {
        return {"Citation", start, length, {{"Citation", canonical}}};
    }

    std::map<std::string, Answer> answers;
    std::vector<std::string> asked;
    smarttag::platform::ScopedDebugCapture debug;
};

const char kValid[] = "Yes we have a valid cite.\n";
const char kNotACite[] = "Not a valid cite. Not recognized by cnormalizer.\n";
const char kBadVolume[] = "Not a valid volume for this reporter.\n";
const char kNotTagged[] = "Not a citation category the recognizer tags.\n";
const char kCutPage[] = "The page runs on into a longer word; not tagged.\n";

TEST_F(CitationRecognizerTest, TagsTheCandidateWhereItStands) {
    auto recognizer = Make({{"410 U.S. 113", {"410 us 113", "USReport"}}});
    EXPECT_EQ(Run(*recognizer, "See 410 U.S. 113 (1973)."), (std::vector<Commit>{Tag(5, 12, "410 us 113")}));
    EXPECT_EQ(DebugLines(), (std::vector<std::string>{kValid}));
    // Positions count UTF-16 code units: the emoji before it takes two.
    EXPECT_EQ(Run(*recognizer, "\xF0\x9F\x98\x80 See 410 U.S. 113"), (std::vector<Commit>{Tag(8, 12, "410 us 113")}));
}

TEST_F(CitationRecognizerTest, RejectedCandidatesAreSkippedAndTheScanGoesOn) {
    auto recognizer = Make({
        {"15 U.S.C. 78", {"15 usc 78", "USC"}},       // a statute: not tagged by this recognizer
        {"17 C.F.R. 240", {"17 cfr 240", ""}},          // accepted without a category
        {"2 Foo 3", {"2 foo 3", "Other"}},
        {"410 U.S. 113", {"410 us 113", "USReport"}},
        {"999 U.S. 1", {"999 us 1", "USReport"}},       // beyond the last volume
        {"228 F.3d 154", {"228 f 3d 154", "PrimaryFederalReporter"}},
    });
    const std::string text =
        "Under 15 U.S.C. 78j(b) and 17 C.F.R. 240.10b-5, see 2 Foo 3, 410 U.S. 113, 999 U.S. 1, 8 Nix 9 "
        "and 228 F.3d 154.";
    bool result = false;
    const auto commits = Run(*recognizer, _bstr_t(W(text).c_str()), &result);
    EXPECT_TRUE(result);
    const int first = int(text.find("410 U.S. 113")) + 1, second = int(text.find("228 F.3d 154")) + 1;
    EXPECT_EQ(commits, (std::vector<Commit>{Tag(first, 12, "410 us 113"), Tag(second, 12, "228 f 3d 154")}));
    EXPECT_EQ(asked, (std::vector<std::string>{"15 U.S.C. 78", "17 C.F.R. 240", "2 Foo 3", "410 U.S. 113",
                                               "999 U.S. 1", "8 Nix 9", "228 F.3d 154"}));
    EXPECT_EQ(DebugLines(), (std::vector<std::string>{kNotTagged, kNotTagged, kNotTagged, kValid, kBadVolume,
                                                      kNotACite, kValid}));

    // Nothing accepted: false, and no commit.
    EXPECT_TRUE(Run(*recognizer, "15 U.S.C. 78 and 999 U.S. 1 and 8 Nix 9").empty());
}

TEST_F(CitationRecognizerTest, EachCommitCarriesOnlyItsOwnCitation) {
    auto recognizer = Make({{"410 U.S. 113", {"410 us 113", "USReport"}},
                            {"485 U.S. 224", {"485 us 224", "USReport"}}});
    std::vector<TagPropertyMap> seen;
    const bool found = recognizer->Recognize(
        _bstr_t(OLESTR("410 U.S. 113; 485 U.S. 224")),
        [&](const _bstr_t&, int, int, TagPropertyMap& properties) {
            seen.push_back(properties);
            properties[_bstr_t(OLESTR("Scribble"))] = _bstr_t(OLESTR("left by the callee"));
        });
    EXPECT_TRUE(found);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1].size(), 1u);
    EXPECT_EQ(Narrow(seen[1].at(_bstr_t(OLESTR("Citation")))), "485 us 224");
}

TEST_F(CitationRecognizerTest, VolumeCheck) {
    struct Case {
        const char* canonical;
        bool tagged;
    } cases[] = {
        {"546 us 1", true},   {"547 us 1", false},       // the last volume of the reporter
        {"0 us 1", true},     {"-1 us 1", false},        // no negative volumes
        {"+5 us 1", true},
        {"12a f 3d 7", true},                            // the number at the start of the word
        {"562 f 3d 7", true}, {"563 f 3d 7", false},
        {"5 nowhere 7", false},                          // not in the catalogue
        {"5 curtis 7", false},                           // a category but no last volume
        {"a5 us 1", false},   {"us 5", false},           // no number to read
        {"2147483648 us 1", false}, {"-2147483649 us 1", false}, {"99999999999999999999 us 1", false},
        {"5 us", false},      {"5", false},              // no reporter between first and last word
        {"", false},          {"   ", false},            // nothing at all
        {"5  us   1 ", true},                            // repeated blanks are one separator
        {"1 2 3 4 5 6 7 8 9 10", false},                 // ten words are still checked
        {"1 2 3 4 5 6 7 8 9 10 11", true},               // eleven are not
        {"x 2 3 4 5 6 7 8 9 10 11", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.canonical);
        EXPECT_EQ(RecognizerCitationImpl::HasPlausibleVolume(c.canonical), c.tagged);
    }

    // Through Recognize: the volume line and no tag.
    auto recognizer = Make({{"547 U.S. 1", {"547 us 1", "USReport"}}, {"5 U.S. 1", {"", "USReport"}}});
    EXPECT_TRUE(Run(*recognizer, "547 U.S. 1 and 5 U.S. 1").empty());
    EXPECT_EQ(DebugLines(), (std::vector<std::string>{kBadVolume, kBadVolume}));
}

// A page that runs straight on into a letter or digit is only the front of a
// longer word: "3" of "3d", "78" of "78j". Whatever the normalizer says, no
// tag; the candidate still goes to the normalizer and the scan goes on.
TEST_F(CitationRecognizerTest, NoTagWhereThePageRunsOnIntoALongerWord) {
    auto recognizer = Make({
        {"172 P. 3", {"172 pacific 3", "RegionalReporter"}},
        {"172 P.3d 343", {"172 pacific 3d 343", "RegionalReporter"}},
        {"15 U.S.C. 78", {"15 us 78", "USReport"}},  // as if it were a case citation
        {"5 U.S. 7", {"5 us 7", "USReport"}},
    });
    // A period, comma or bracket after the page, or the end of the text, is
    // no longer word.
    const std::string text = "See 172 P. 3d, at 343; 172 P.3d 343; 15 U.S.C. 78j; 5 U.S. 7, 5 U.S. 7) and 5 U.S. 7.";
    const auto commits = Run(*recognizer, _bstr_t(W(text).c_str()));
    std::vector<Commit> expected = {Tag(int(text.find("172 P.3d")) + 1, 12, "172 pacific 3d 343")};
    for (std::size_t at = text.find("5 U.S. 7"); at != std::string::npos; at = text.find("5 U.S. 7", at + 1))
        expected.push_back(Tag(int(at) + 1, 8, "5 us 7"));
    EXPECT_EQ(commits, expected);
    EXPECT_EQ(asked, (std::vector<std::string>{"172 P. 3", "172 P.3d 343", "15 U.S.C. 78", "5 U.S. 7", "5 U.S. 7",
                                               "5 U.S. 7"}));
    EXPECT_EQ(DebugLines(), (std::vector<std::string>{kCutPage, kValid, kCutPage, kValid, kValid, kValid}));
    EXPECT_EQ(Run(*recognizer, "5 U.S. 7"), (std::vector<Commit>{Tag(1, 8, "5 us 7")}));

    // A candidate the normalizer refuses keeps its own line, cut or not.
    const std::size_t before = DebugLines().size();
    EXPECT_TRUE(Run(*recognizer, "9 Nix 9x").empty());
    EXPECT_EQ(DebugLines().size(), before + 1);
    EXPECT_EQ(DebugLines().back(), kNotACite);
}

// With a catalogue update the volume check reads the update first.
TEST_F(CitationRecognizerTest, VolumeCheckAgainstACatalogueUpdate) {
    const auto catalogue = std::make_shared<const ReporterCatalogue>(std::vector<ReporterCatalogueRow>{
        {"us", "600", "USReport"}, {"f 4th", "86", "PrimaryFederalReporter"}, {"f 3d", "none", "none"}});
    EXPECT_TRUE(RecognizerCitationImpl::HasPlausibleVolume("598 us 1", catalogue.get()));
    EXPECT_FALSE(RecognizerCitationImpl::HasPlausibleVolume("601 us 1", catalogue.get()));
    EXPECT_TRUE(RecognizerCitationImpl::HasPlausibleVolume("86 f 4th 1", catalogue.get()));
    EXPECT_FALSE(RecognizerCitationImpl::HasPlausibleVolume("10 f 3d 1", catalogue.get()));
    EXPECT_TRUE(RecognizerCitationImpl::HasPlausibleVolume("10 f 2d 1", catalogue.get()));  // not in the update
    EXPECT_FALSE(RecognizerCitationImpl::HasPlausibleVolume("598 us 1", nullptr));
    EXPECT_FALSE(RecognizerCitationImpl::HasPlausibleVolume("86 f 4th 1"));

    auto recognizer = RecognizerCitationImpl::WithNormalizer(
        _bstr_t(OLESTR("Citation")),
        [](std::string& citation, std::string& category) {
            citation = "598 us 1";
            category = "USReport";
            return true;
        },
        catalogue);
    EXPECT_EQ(Run(*recognizer, "598 U.S. 1"), (std::vector<Commit>{Tag(1, 10, "598 us 1")}));
}

std::vector<std::string> TaggedCitations(IRecognizerImpl& recognizer, const OLECHAR* text) {
    std::vector<std::string> tagged;
    recognizer.Recognize(_bstr_t(text), [&](const _bstr_t&, int, int, TagPropertyMap& properties) {
        tagged.push_back(Narrow(properties[_bstr_t(OLESTR("Citation"))]));
    });
    return tagged;
}

// Each recognizer answers from its own update; one without an update gives the
// built-in catalogue's answers, also while the others are in use on other
// threads.
TEST(CitationRecognizerCatalogueTest, EachRecognizerHasItsOwnUpdate) {
    const OLECHAR* text = OLESTR("See 600 U.S. 1, 100 N.E.3d 5, 410 U.S. 113 and 700 F.3d 1.");
    auto plain = RecognizerCitationImpl::Ctor(_bstr_t(OLESTR("Citation")));
    auto current = RecognizerCitationImpl::Ctor(
        _bstr_t(OLESTR("Citation")),
        {{"us", "600", "USReport"}, {"north eastern 3d", "126", "RegionalReporter"}, {"f 3d", "999", "PrimaryFederalReporter"}});
    auto narrow = RecognizerCitationImpl::Ctor(_bstr_t(OLESTR("Citation")),
                                               {{"us", "none", "USReport"}, {"north eastern 3d", "126", "none"}});
    auto empty = RecognizerCitationImpl::Ctor(_bstr_t(OLESTR("Citation")), {});

    const std::vector<std::string> plainTags = {"410 us 113"};
    const std::vector<std::string> currentTags = {"600 us 1", "100 north eastern 3d 5", "410 us 113", "700 f 3d 1"};
    const std::vector<std::string> narrowTags = {};
    EXPECT_EQ(TaggedCitations(*plain, text), plainTags);
    EXPECT_EQ(TaggedCitations(*current, text), currentTags);
    EXPECT_EQ(TaggedCitations(*narrow, text), narrowTags);
    EXPECT_EQ(TaggedCitations(*empty, text), plainTags);

    std::vector<std::thread> threads;
    std::vector<int> wrong(4, 0);
    const std::pair<IRecognizerImpl*, const std::vector<std::string>*> runs[] = {
        {plain.get(), &plainTags}, {current.get(), &currentTags}, {narrow.get(), &narrowTags}, {empty.get(), &plainTags}};
    for (std::size_t t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i)
                if (TaggedCitations(*runs[t].first, text) != *runs[t].second) ++wrong[t];
        });
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(wrong, (std::vector<int>{0, 0, 0, 0}));
}

TEST(CitationRecognizerCatalogueTest, BadUpdateRowsAreRefusedAtConstruction) {
    const std::pair<std::vector<ReporterCatalogueRow>, std::string> cases[] = {
        {{{"us", "600", "USReport"}, {"f 4th", "eighty", "PrimaryFederalReporter"}},
         "catalogue update row 2 (\"f 4th\"): the highest volume \"eighty\""},
        {{{"f 4th", "86", "Federal"}}, "catalogue update row 1 (\"f 4th\"): the category \"Federal\""},
        {{{"us", "600", "USReport"}, {"us", "601", "USReport"}},
         "catalogue update row 2 (\"us\"): the name is already given in row 1"},
    };
    for (const auto& c : cases) {
        try {
            RecognizerCitationImpl::Ctor(_bstr_t(OLESTR("Citation")), c.first);
            ADD_FAILURE() << "accepted: " << c.second;
        } catch (const std::invalid_argument& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.second, 0), 0u) << e.what();
        }
    }
}

TEST_F(CitationRecognizerTest, NullAndEmptyTextsFindNothing) {
    auto recognizer = Make({});
    EXPECT_TRUE(Run(*recognizer, _bstr_t()).empty());
    EXPECT_TRUE(Run(*recognizer, _bstr_t(OLESTR(""))).empty());
    EXPECT_TRUE(asked.empty());
    EXPECT_TRUE(DebugLines().empty());
}

TEST_F(CitationRecognizerTest, TextPastAnEmbeddedNulIsScanned) {
    auto recognizer = Make({{"410 U.S. 113", {"410 us 113", "USReport"}}});
    const OleString raw = OleString(OLESTR("x")) + OLECHAR(0) + OLESTR("410 U.S. 113");
    _bstr_t text(SysAllocStringLen(raw.data(), UINT(raw.size())), false);
    EXPECT_EQ(Run(*recognizer, text), (std::vector<Commit>{Tag(3, 12, "410 us 113")}));
}

TEST_F(CitationRecognizerTest, CommitsUseTheCitationTypeWhateverTheName) {
    auto recognizer = RecognizerCitationImpl::WithNormalizer(
        _bstr_t(OLESTR("LegalCite")), [](std::string& citation, std::string& category) {
            citation = "410 us 113";
            category = "USReport";
            return true;
        });
    TagTypeList types;
    recognizer->GetTagTypes(types);
    EXPECT_EQ(types, (TagTypeList{{_bstr_t(OLESTR("LegalCite")), _bstr_t(OLESTR("LegalCite"))}}));
    EXPECT_FALSE(recognizer->IsDisabled());
    EXPECT_EQ(Run(*recognizer, "410 U.S. 113"), (std::vector<Commit>{Tag(1, 12, "410 us 113")}));
}

// Whatever the normalizer or the pattern throws ends the scan of that text;
// the adaptor logs it and the next text is recognized as usual.
TEST_F(CitationRecognizerTest, AFailureLeavesRecognizeAndTheAdaptorCarriesOn) {
    auto failing = RecognizerCitationImpl::WithNormalizer(
        _bstr_t(OLESTR("Citation")), [](std::string& citation, std::string& category) {
            if (citation == "9 X 9") throw boost::regex_error(boost::regex_constants::error_complexity);
            if (citation != "410 U.S. 113") return false;
            citation = "410 us 113";
            category = "USReport";
            return true;
        });
    auto log = boost::make_shared<smarttag::host::RecordingLogInfo>();
    auto adaptor = SmartTag2RecognizerAdaptorImpl::Ctor(
        {failing}, _bstr_t(OLESTR("p#")), boost::make_shared<smarttag::host::FixedSettingReader>(true), log);

    auto site = smarttag::platform::InMemoryRecognizerSite::Create();
    EXPECT_EQ(adaptor->Recognize(_bstr_t(OLESTR("410 U.S. 113, 9 X 9, 410 U.S. 113")), IF_TYPE_PARA, 0, site.Get()),
              S_FALSE);
    ASSERT_EQ(site->Commits().size(), 1u) << "the tag before the failure stays";
    ASSERT_EQ(log->messages.size(), 1u);
    EXPECT_EQ(log->messages[0].rfind("Exception in SmartTag2RecognizerAdaptorImpl::Recognize: ", 0), 0u)
        << log->messages[0];

    site->Clear();
    EXPECT_EQ(adaptor->Recognize(_bstr_t(OLESTR("See 410 U.S. 113.")), IF_TYPE_PARA, 0, site.Get()), S_OK);
    ASSERT_EQ(site->Commits().size(), 1u);
    EXPECT_EQ(site->Commits()[0].start, 5);
    EXPECT_EQ(log->messages.size(), 1u);
}

}  // namespace
