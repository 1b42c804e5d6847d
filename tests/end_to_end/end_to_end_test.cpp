// The whole library as the add-in's host wires it: recognizers and actions
// built through their factories, both adaptors under one prefix, the real
// citation normalizer. Text goes in through Recognize2 on an in-memory site;
// verbs are invoked on the property bags the commits left behind.
#include <string>
#include <utility>
#include <vector>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include "actions/terminal_command_action.h"
#include "actions/transparency_command_action.h"
#include "actions/ui_invoke_actions.h"
#include "adaptors/action_adaptor.h"
#include "adaptors/host/recording_host.h"
#include "adaptors/recognizer_adaptor.h"
#include "platform/codepage.h"
#include "platform/in_memory_site.h"
#include "recognizers/citation_recognizer.h"
#include "recognizers/security_recognizer.h"
#include "recognizers/transparency_recognizer.h"

using namespace Veltra::Penwork::Recognizer;
using smarttag::host::VectorStringList;
using smarttag::platform::CommittedTag;
using smarttag::platform::InMemoryPropertyBag;
using smarttag::platform::InMemoryRecognizerSite;

namespace {

const char kPrefix[] = "urn:veltra:smarttags#";

_bstr_t W(const std::string& utf8) { return _bstr_t(smarttag::platform::Utf8ToWide(utf8).c_str()); }
std::string U8(const _bstr_t& s) {
    return smarttag::platform::WideToUtf8(static_cast<const OLECHAR*>(s), s.length());
}

struct Tag {
    std::string name;
    int start, length;
    std::vector<std::pair<std::string, std::string>> properties;
    bool operator==(const Tag& o) const {
        return name == o.name && start == o.start && length == o.length && properties == o.properties;
    }
};

void PrintTo(const Tag& t, std::ostream* os) {
    *os << t.name << "@" << t.start << "+" << t.length;
    for (const auto& p : t.properties) *os << " " << p.first << "=" << p.second;
}

Tag CitationTag(int start, int length, const std::string& canonical) {
    return {std::string(kPrefix) + "Citation", start, length, {{"Citation", canonical}}};
}

class EndToEndTest : public ::testing::Test {
protected:
    EndToEndTest() {
        const std::vector<std::string> sectorWords = {"Equity", "Corp", "Bond", "Fund", "Index", "Currency",
                                                      "Commodity"};
        const auto sectors = VectorStringList::FromUtf8(sectorWords);
        const auto send = [this](const char* text, unsigned short target) {
            sent.emplace_back(text, target);
            return true;
        };

        recognizers = SmartTag2RecognizerAdaptorImpl::Ctor(
            {RecognizerCitationImpl::Ctor(W("Citation")), RecognizerSecurityImpl::Ctor(W("Security"), sectors),
             RecognizerTransparencyImpl::Factory(W("Transparency"))},
            W(kPrefix), boost::make_shared<smarttag::host::FixedSettingReader>(true), log);

        auto terminal = ActionTerminalCommandImpl::Ctor(
            W("Terminal"), sectors, W("%s functions"), [](const _bstr_t&) { return W("1|DES|GP"); },
            [](const _bstr_t& name) { return name; }, send);
        actions = SmartTag2ActionAdaptorImpl::Ctor(
            {ActionUIInvokeJurraCommandImpl::Ctor(W("Citation"), send),
             ActionUIInvokeCommandImpl::Ctor(terminal, [] { return W("Options..."); }),
             ActionTransparencyCommandImpl::Factory(W("Transparency"),
                                                    boost::make_shared<smarttag::host::RecordingToolCmd>())},
            W(kPrefix), log);
    }

    // The tags Office would be told about for one run of text.
    std::vector<Tag> Recognize(const std::string& utf8) {
        site = InMemoryRecognizerSite::Create();
        EXPECT_EQ(recognizers->Recognize2(W(utf8), IF_TYPE_PARA, 1033, site.Get(), W("test"), nullptr), S_OK);
        std::vector<Tag> tags;
        for (const CommittedTag& commit : site->Commits()) {
            Tag tag{U8(commit.name), commit.start, commit.length, {}};
            for (const auto& p : commit.properties) tag.properties.emplace_back(U8(p.first), U8(p.second));
            tags.push_back(tag);
        }
        return tags;
    }

    // Invokes verb `verbIndex` (1-based) of the committed tag's type on its
    // property bag, the way Office does from the tag's menu.
    void InvokeVerb(const CommittedTag& commit, int verbIndex) {
        int count = 0;
        ASSERT_EQ(actions->get_SmartTagCount(&count), S_OK);
        bool declared = false;
        for (int id = 1; id <= count && !declared; ++id) {
            _bstr_t name;
            ASSERT_EQ(actions->get_SmartTagName(id, name.GetAddress()), S_OK);
            declared = name == commit.name;
        }
        ASSERT_TRUE(declared) << U8(commit.name);
        int verbs = 0, verbId = -1;
        ASSERT_EQ(actions->get_VerbCount(commit.name, &verbs), S_OK);
        ASSERT_GE(verbs, verbIndex);
        ASSERT_EQ(actions->get_VerbID(commit.name, verbIndex, &verbId), S_OK);
        auto bag = InMemoryPropertyBag::Create(commit.properties);
        ASSERT_EQ(actions->InvokeVerb(verbId, W("test"), nullptr, bag.Get(), W(""), W("")), S_OK);
    }

    smarttag::host::RecordingHostServices host;
    smarttag::host::ScopedHostServices scope{host};
    boost::shared_ptr<smarttag::host::RecordingLogInfo> log = boost::make_shared<smarttag::host::RecordingLogInfo>();
    boost::shared_ptr<SmartTag2RecognizerAdaptorImpl> recognizers;
    boost::shared_ptr<SmartTag2ActionAdaptorImpl> actions;
    smarttag::platform::ComPtr<InMemoryRecognizerSite> site;
    std::vector<std::pair<std::string, unsigned short>> sent;
};

TEST_F(EndToEndTest, ParagraphOfCitations) {
    // A statute reference first, then two case citations; the statute is a
    // candidate the normalizer accepts but the recognizer does not tag.
    const std::string text =
        "Under 15 U.S.C. 78j(b), see Roe v. Wade, 410 U.S. 113 (1973), and Ganino v. Citizens Utilities Co., "
        "228 F.3d 154 (2d Cir. 2000).";
    EXPECT_EQ(Recognize(text), (std::vector<Tag>{CitationTag(42, 12, "410 us 113"),
                                                 CitationTag(int(text.find("228")) + 1, 12, "228 f 3d 154")}));
    EXPECT_TRUE(log->messages.empty());
}

TEST_F(EndToEndTest, ReportersOfSeveralFamiliesAndTheVolumeCheck) {
    EXPECT_EQ(Recognize("Avery, 216 Ill. 2d 100, 835 N.E.2d 801 (2005); Small, 30 Cal. 4th 167; "
                        "Kleczek, 328 Ill. App. 3d 1012; 2009 NY Slip Op 12; 253 F. Supp. 2d 102."),
              (std::vector<Tag>{CitationTag(8, 15, "216 illinois 2d 100"),
                                CitationTag(25, 14, "835 north eastern 2d 801"),
                                CitationTag(55, 15, "30 california 4th 167"),
                                CitationTag(81, 21, "328 illinois appellate 3d 1012"),
                                CitationTag(104, 18, "2009 ny slip op 12"),
                                CitationTag(124, 19, "253 f supp 2d 102")}));
    // Volumes beyond the last one the catalogue knows for the reporter.
    EXPECT_TRUE(Recognize("563 F.3d 12 and 547 U.S. 633 and 17 C.F.R. 240.10b-5").empty());
    EXPECT_EQ(Recognize("562 F.3d 12").size(), 1u);
}

TEST_F(EndToEndTest, OffsetsCountUtf16CodeUnits) {
    // Two characters outside the BMP (two code units each) and an accented
    // letter (one) before the citation.
    EXPECT_EQ(Recognize("\xF0\x9F\x93\x9C\xF0\x9F\x93\x9C Caf\xC3\xA9 v. Wade, 410 U.S. 113."),
              (std::vector<Tag>{CitationTag(20, 12, "410 us 113")}));
}

TEST_F(EndToEndTest, SecurityLineGivesItsSectorTag) {
    EXPECT_EQ(Recognize("IBM US Equity"),
              (std::vector<Tag>{{std::string(kPrefix) + "Equity",
                                 1,
                                 13,
                                 {{"MarketSector", "Equity"}, {"Security", "IBM US Equity"}}}}));
    EXPECT_TRUE(Recognize("IBM US Equities").empty());
}

TEST_F(EndToEndTest, CitatorOnACommittedCitation) {
    ASSERT_EQ(Recognize("See 485 U.S. 224 (1988).").size(), 1u);
    InvokeVerb(site->Commits()[0], 1);
    EXPECT_EQ(sent, (std::vector<std::pair<std::string, unsigned short>>{{"LXCHK 485 us 224<GO>", 2}}));
    EXPECT_TRUE(log->messages.empty()) << log->messages[0];
}

TEST_F(EndToEndTest, TerminalVerbOnACommittedSecurity) {
    ASSERT_EQ(Recognize("IBM US Equity").size(), 1u);
    InvokeVerb(site->Commits()[0], 2);  // DES, GP, then the options verb
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], std::make_pair(std::string("IBM US Equity<GO>GP<GO>"), (unsigned short)1));
}

}  // namespace
