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

}  // namespace
