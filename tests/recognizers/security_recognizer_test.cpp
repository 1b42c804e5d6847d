#include <random>
#include <string>
#include <vector>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include "adaptors/host/recording_host.h"
#include "adaptors/recognizer_adaptor.h"
#include "platform/in_memory_site.h"
#include "recognizers/security_recognizer.h"

using namespace Veltra::Penwork::Recognizer;
using smarttag::host::VectorStringList;

namespace {

struct Commit {
    std::string type;
    int start, length;
    TagPropertyMap properties;
};

std::string Narrow(const _bstr_t& s) { return s.length() ? std::string(static_cast<const char*>(s)) : std::string(); }

class SecurityRecognizerTest : public ::testing::Test {
protected:
    boost::shared_ptr<RecognizerSecurityImpl> Make(std::vector<std::string> sectors) {
        return RecognizerSecurityImpl::Ctor(_bstr_t(OLESTR("Security")), VectorStringList::FromUtf8(sectors));
    }
    // Runs the recognizer on `text` and returns what it committed.
    std::vector<Commit> Run(IRecognizerImpl& recognizer, const _bstr_t& text, bool* result = nullptr) {
        std::vector<Commit> commits;
        const bool found = recognizer.Recognize(text, [&](const _bstr_t& type, int start, int length,
                                                          TagPropertyMap& properties) {
            commits.push_back({Narrow(type), start, length, properties});
        });
        EXPECT_EQ(found, !commits.empty());
        if (result) *result = found;
        return commits;
    }
    std::vector<Commit> Run(IRecognizerImpl& recognizer, const char* text) { return Run(recognizer, _bstr_t(text)); }

    boost::shared_ptr<RecognizerSecurityImpl> equityCorp = Make({"Equity", "Corp"});
};

TEST_F(SecurityRecognizerTest, TagsTheWholeTextUnderTheSectorAsListed) {
    struct Case {
        const char* text;
        const char* sector;  // null: not tagged
    } cases[] = {
        {"XYZ US Equity", "Equity"},
        {"xyz us EQUITY", "Equity"},      // sector word in any ASCII case
        {"XYZ Equity TICKER", "Equity"},  // trailing identifier type
        {"XYZ Corp cusip", "Corp"},       // keywords in any case too
        {"XYZ Corp Equity", "Equity"},    // an earlier sector word is a name word
        {"XYZ  US   Equity ", "Equity"},  // repeated and trailing blanks
        {" A Equity", "Equity"},
        {"XYZ Equity US", nullptr},       // sector neither last nor before a keyword
        {"XYZ Equity TICKER ISIN", nullptr},
        {"Equity", nullptr},              // no name words
        {"Equity TICKER", nullptr},
        {"XYZ US\tEquity", nullptr},      // only U+0020 separates words
        {"XYZ US Equities", nullptr},
        {"XYZ US CUSIP", nullptr},        // keyword but no sector word
        {"", nullptr},
        {"   ", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const std::vector<Commit> commits = Run(*equityCorp, c.text);
        if (!c.sector) {
            EXPECT_TRUE(commits.empty());
            continue;
        }
        ASSERT_EQ(commits.size(), 1u);
        EXPECT_EQ(commits[0].type, c.sector);
        EXPECT_EQ(commits[0].start, 1);
        EXPECT_EQ(commits[0].length, int(std::string(c.text).size()));
        ASSERT_EQ(commits[0].properties.size(), 2u);
        EXPECT_EQ(Narrow(commits[0].properties.at(_bstr_t(OLESTR("Security")))), c.text);
        EXPECT_EQ(Narrow(commits[0].properties.at(_bstr_t(OLESTR("MarketSector")))), c.sector);
    }
    EXPECT_TRUE(Run(*equityCorp, _bstr_t()).empty()) << "a null text is an empty text";
}

TEST_F(SecurityRecognizerTest, SecurityPropertySharesTheTextGiven) {
    _bstr_t text(OLESTR("IBM US Equity"));
    const std::vector<Commit> commits = Run(*equityCorp, text);
    ASSERT_EQ(commits.size(), 1u);
    EXPECT_EQ(static_cast<const OLECHAR*>(commits[0].properties.at(_bstr_t(OLESTR("Security")))),
              static_cast<const OLECHAR*>(text));
}

TEST_F(SecurityRecognizerTest, SixtyFourUnitLimit) {
    // 6 (sector) + 56 (name words, a blank after each) + 2 = 64 fits.
    const std::string fits = std::string(27, 'A') + " " + std::string(27, 'B') + " Equity";
    EXPECT_EQ(Run(*equityCorp, fits.c_str()).size(), 1u);
    const std::string tooLong = std::string(28, 'A') + " " + std::string(27, 'B') + " Equity";
    EXPECT_TRUE(Run(*equityCorp, tooLong.c_str()).empty());
    // Extra blanks and the keyword do not count towards the limit.
    const std::string padded = std::string(27, 'A') + "    " + std::string(27, 'B') + "  Equity TICKERDIV  ";
    EXPECT_EQ(Run(*equityCorp, padded.c_str()).size(), 1u);
}

TEST_F(SecurityRecognizerTest, LengthStopsAtTheFirstNul) {
    const OLECHAR raw[] = {u'A', u' ', u'C', u'o', u'r', u'p', 0, u'x'};
    _bstr_t text(SysAllocStringLen(raw, 8), false);
    const std::vector<Commit> commits = Run(*equityCorp, text);
    ASSERT_EQ(commits.size(), 1u);
    EXPECT_EQ(commits[0].length, 6);
}

TEST_F(SecurityRecognizerTest, SectorWordsAreTheTagTypes) {
    TagTypeList types{{_bstr_t(OLESTR("Earlier")), _bstr_t(OLESTR("Earlier"))}};
    equityCorp->GetTagTypes(types);
    ASSERT_EQ(types.size(), 3u) << "types are appended, never cleared";
    EXPECT_EQ(types[1], std::make_pair(_bstr_t(OLESTR("Equity")), _bstr_t(OLESTR("Equity"))));
    EXPECT_EQ(types[2].first, _bstr_t(OLESTR("Corp")));
    EXPECT_FALSE(equityCorp->IsDisabled());
}

TEST_F(SecurityRecognizerTest, EmptyListDisablesTheRecognizer) {
    auto none = Make({});
    EXPECT_TRUE(none->IsDisabled());
    TagTypeList types;
    none->GetTagTypes(types);
    EXPECT_TRUE(types.empty());
    EXPECT_TRUE(Run(*none, "XYZ US Equity").empty());

    auto log = boost::make_shared<smarttag::host::RecordingLogInfo>();
    auto adaptor = SmartTag2RecognizerAdaptorImpl::Ctor({none}, _bstr_t(OLESTR("p#")),
                                                        boost::make_shared<smarttag::host::FixedSettingReader>(true), log);
    auto site = smarttag::platform::InMemoryRecognizerSite::Create();
    EXPECT_EQ(adaptor->Recognize(_bstr_t(OLESTR("XYZ US Equity")), IF_TYPE_PARA, 0, site.Get()), S_OK);
    EXPECT_TRUE(site->Commits().empty());
}

TEST_F(SecurityRecognizerTest, EachRecognizerKeepsItsOwnSectors) {
    // A second recognizer on a shorter, different list must neither miss its
    // own sectors nor report another list's word.
    auto bonds = Make({"Govt"});
    const std::vector<Commit> commits = Run(*bonds, "T 2 05/15/30 Govt");
    ASSERT_EQ(commits.size(), 1u);
    EXPECT_EQ(commits[0].type, "Govt");
    EXPECT_TRUE(Run(*bonds, "XYZ US Corp").empty());
    EXPECT_EQ(Run(*equityCorp, "XYZ US Corp").size(), 1u);
}

TEST_F(SecurityRecognizerTest, ThirtyEightIdentifierTypesAllAccepted) {
    const auto& types = RecognizerSecurityImpl::IdentifierTypes();
    ASSERT_EQ(types.size(), 38u);
    for (const auto& type : types) {
        const _bstr_t text = _bstr_t(OLESTR("XYZ Equity ")) + _bstr_t(type.c_str());
        EXPECT_EQ(Run(*equityCorp, text).size(), 1u) << Narrow(text);
    }
}

TEST_F(SecurityRecognizerTest, ListErrorsLeaveTheRecognizer) {
    auto list = VectorStringList::FromUtf8({"Equity"});
    auto recognizer = RecognizerSecurityImpl::Ctor(_bstr_t(OLESTR("Security")), list);
    list->thrower = [] { throw std::runtime_error("list gone"); };
    EXPECT_THROW(Run(*recognizer, "XYZ US Equity"), std::runtime_error);
}

// The recognizer looks up only the last two words. Every word, one by one, as
// the rule is written: tokens at U+0020, each looked up, the sector word
// counted only as the last word or before a trailing keyword. Returns the
// sector word as listed, or null when the text is not tagged.
const char* TagByEveryWord(const std::string& text, const std::vector<std::string>& sectors) {
    auto upper = [](std::string w) {
        for (char& c : w)
            if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        return w;
    };
    std::vector<std::string> tokens;
    for (std::size_t i = 0; i < text.size();) {
        while (i < text.size() && text[i] == ' ') ++i;
        const std::size_t b = i;
        while (i < text.size() && text[i] != ' ') ++i;
        if (i > b) tokens.push_back(text.substr(b, i - b));
    }
    auto sectorOf = [&](const std::string& w) -> long {
        for (std::size_t k = 0; k < sectors.size(); ++k)
            if (upper(sectors[k]) == upper(w)) return long(k);
        return -1;
    };
    auto isIdType = [&](const std::string& w) {
        for (const auto& t : RecognizerSecurityImpl::IdentifierTypes())
            if (std::string(t.begin(), t.end()) == upper(w)) return true;
        return false;
    };
    if (tokens.empty()) return nullptr;
    const std::size_t last = tokens.size() - 1;
    const bool lastIsIdType = isIdType(tokens[last]);
    std::size_t nameUnits = 0;
    const char* sector = nullptr;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const long k = sectorOf(tokens[i]);
        if (k >= 0 && (i == last || (lastIsIdType && i + 1 == last))) sector = sectors[std::size_t(k)].c_str();
        else if (k < 0 && i == last && lastIsIdType) continue;
        else nameUnits += tokens[i].size() + 1;
    }
    if (nameUnits == 0 || !sector || std::string(sector).size() + nameUnits + 2 > 64) return nullptr;
    return sector;
}

TEST_F(SecurityRecognizerTest, SameTagsAsLookingUpEveryWord) {
    const std::vector<std::string> sectors = {"Equity", "Corp", "Govt", "cusip"};
    auto recognizer = Make(sectors);
    const char* vocabulary[] = {"XYZ", "us", "Equity", "EQUITY", "corp", "Govt", "TICKER", "cusip", "Isin",
                                "a", "longer-name-word", "Equities", "\t", "", " ", "  "};
    std::mt19937 random(20261208);
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int words = int(random() % 9);
        for (int w = 0; w < words; ++w) {
            text += vocabulary[random() % (sizeof vocabulary / sizeof *vocabulary)];
            if (random() % 4) text += ' ';
        }
        const char* expected = TagByEveryWord(text, sectors);
        const auto commits = Run(*recognizer, text.c_str());
        if (!expected) {
            EXPECT_TRUE(commits.empty()) << '"' << text << '"';
            continue;
        }
        ASSERT_EQ(commits.size(), 1u) << '"' << text << '"';
        EXPECT_EQ(commits[0].type, expected) << '"' << text << '"';
        EXPECT_EQ(commits[0].start, 1);
        EXPECT_EQ(commits[0].length, int(text.size()));
    }
}

}  // namespace
