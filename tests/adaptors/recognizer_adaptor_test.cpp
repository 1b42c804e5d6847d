#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include "tests/support/platform_facilities.h"

#include "adaptors/host/recording_host.h"
#include "adaptors/recognizer_adaptor.h"
#include "platform/in_memory_site.h"

using namespace Veltra::Penwork::Recognizer;
using namespace smarttag::platform;
using smarttag::host::FixedSettingReader;
using smarttag::host::RecordingHostServices;
using smarttag::host::RecordingLogInfo;
using smarttag::host::ScopedHostServices;

namespace {

_bstr_t B(const OLECHAR* s) { return _bstr_t(s); }

struct Tag {
    _bstr_t type;
    int start, length;
    TagPropertyMap properties;
};

// A recognizer that reports fixed types and tags, and can be made to throw.
class ScriptedRecognizer : public IRecognizerImpl {
public:
    std::vector<_bstr_t> types;
    std::vector<Tag> tags;
    bool disabled = false;
    std::function<void()> throwInGetTagTypes;
    std::function<void()> throwAfterTags;  // in Recognize, after committing
    std::vector<_bstr_t> textsSeen;

    bool IsDisabled() override { return disabled; }
    void GetTagTypes(TagTypeList& list) override {
        if (throwInGetTagTypes) throwInGetTagTypes();
        for (const auto& t : types) list.emplace_back(t, t);
    }
    bool Recognize(const _bstr_t& text, CommitTagFn commit) override {
        textsSeen.push_back(text);
        for (auto& tag : tags) commit(tag.type, tag.start, tag.length, tag.properties);
        if (throwAfterTags) throwAfterTags();
        return !tags.empty();
    }
};

boost::shared_ptr<ScriptedRecognizer> Recognizer(std::vector<_bstr_t> types, std::vector<Tag> tags = {}) {
    auto r = boost::make_shared<ScriptedRecognizer>();
    r->types = std::move(types);
    r->tags = std::move(tags);
    return r;
}

class AdaptorTest : public ::testing::Test {
protected:
    boost::shared_ptr<SmartTag2RecognizerAdaptorImpl> Make(std::vector<boost::shared_ptr<IRecognizerImpl>> list) {
        return SmartTag2RecognizerAdaptorImpl::Ctor(std::move(list), B(OLESTR("urn:p#")), setting, log);
    }
    std::string Name(SmartTag2RecognizerAdaptorImpl& adaptor, int id, HRESULT expect = S_OK) {
        BSTR name = nullptr;
        EXPECT_EQ(adaptor.get_SmartTagName(id, &name), expect) << "id " << id;
        _bstr_t owned(name, false);
        return owned.length() ? std::string(static_cast<const char*>(owned)) : std::string();
    }
    HRESULT RecognizeText(SmartTag2RecognizerAdaptorImpl& adaptor, const OLECHAR* text) {
        return adaptor.Recognize(_bstr_t(text), IF_TYPE_PARA, 1033, site.Get());
    }

    ComCounters comBefore = GetComCounters();
    long stringsBefore = GetBstrCounters().live();
    boost::shared_ptr<FixedSettingReader> setting = boost::make_shared<FixedSettingReader>(true);
    boost::shared_ptr<RecordingLogInfo> log = boost::make_shared<RecordingLogInfo>();
    ComPtr<InMemoryRecognizerSite> site = InMemoryRecognizerSite::Create();

    void TearDown() override {
        site.Reset();
        EXPECT_EQ(GetComCounters().live, comBefore.live) << "an Office object was not released";
    }
};

TEST_F(AdaptorTest, WithoutRecognizers) {
    auto adaptor = Make({});
    int count = -1;
    EXPECT_EQ(adaptor->get_SmartTagCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    Name(*adaptor, 1, ERROR_INVALID_INDEX);
    EXPECT_EQ(RecognizeText(*adaptor, OLESTR("IBM US Equity")), S_OK);
    EXPECT_TRUE(site->Commits().empty());
    EXPECT_EQ(adaptor->get_SmartTagCount(nullptr), E_POINTER);
}

TEST_F(AdaptorTest, TypesAreNumberedAcrossRecognizersAndDisabledOnesStillCount) {
    auto first = Recognizer({B(OLESTR("A"))});
    auto empty = Recognizer({});
    auto third = Recognizer({B(OLESTR("B")), B(OLESTR("C"))}, {{B(OLESTR("B")), 1, 1, {}}});
    third->disabled = true;
    auto adaptor = Make({first, empty, third});

    int count = 0;
    EXPECT_EQ(adaptor->get_SmartTagCount(&count), S_OK);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(Name(*adaptor, 1), "urn:p#A");
    EXPECT_EQ(Name(*adaptor, 2), "urn:p#B");
    EXPECT_EQ(Name(*adaptor, 3), "urn:p#C");
    for (int bad : {0, -1, 4}) Name(*adaptor, bad, ERROR_INVALID_INDEX);

    EXPECT_EQ(RecognizeText(*adaptor, OLESTR("text")), S_OK);
    EXPECT_EQ(first->textsSeen.size(), 1u);
    EXPECT_TRUE(third->textsSeen.empty()) << "a disabled recognizer is never handed text";
    EXPECT_TRUE(site->Commits().empty());
}

TEST_F(AdaptorTest, CommitWritesPropertiesInKeyOrderUnderThePrefix) {
    TagPropertyMap properties{{B(OLESTR("Security")), B(OLESTR("IBM US Equity"))}, {B(OLESTR("MarketSector")), B(OLESTR("Equity"))},
                              {B(OLESTR("")), B(OLESTR("dropped"))}, {B(OLESTR("Null")), _bstr_t()}};
    auto r = Recognizer({B(OLESTR("Equity"))}, {{B(OLESTR("Equity")), 3, 13, properties}, {B(OLESTR("Plain")), 20, 2, {}}});
    auto adaptor = Make({r});
    EXPECT_EQ(RecognizeText(*adaptor, OLESTR("xx IBM US Equity")), S_OK);

    ASSERT_EQ(site->Commits().size(), 2u);
    const CommittedTag& tag = site->Commits()[0];
    EXPECT_EQ(tag.name, B(OLESTR("urn:p#Equity")));
    EXPECT_EQ(tag.start, 3);
    EXPECT_EQ(tag.length, 13);
    ASSERT_EQ(tag.properties.size(), 3u);
    EXPECT_EQ(tag.properties[0].first, B(OLESTR("MarketSector")));
    EXPECT_EQ(tag.properties[1].first, B(OLESTR("Null")));
    EXPECT_TRUE(!tag.properties[1].second) << "a null value is written as a null BSTR";
    EXPECT_EQ(tag.properties[2].first, B(OLESTR("Security")));

    // No properties: no bag is asked for and the commit carries none.
    EXPECT_EQ(site->BagsHandedOut(), 1);
    EXPECT_FALSE(site->Commits()[1].hadBag);
    EXPECT_EQ(site->Commits()[1].name, B(OLESTR("urn:p#Plain")));
}

TEST_F(AdaptorTest, BagFailuresStillCommitWithoutABag) {
    auto r = Recognizer({B(OLESTR("T"))}, {{B(OLESTR("T")), 1, 1, {{B(OLESTR("k")), B(OLESTR("v"))}}}});
    auto adaptor = Make({r});

    site->SetNewPropertyBagResult(E_FAIL, false);
    RecognizeText(*adaptor, OLESTR("x"));
    // A bag handed out with S_FALSE is not used, but it must still be released.
    site->SetNewPropertyBagResult(S_FALSE, true);
    RecognizeText(*adaptor, OLESTR("x"));

    ASSERT_EQ(site->Commits().size(), 2u);
    EXPECT_FALSE(site->Commits()[0].hadBag);
    EXPECT_FALSE(site->Commits()[1].hadBag);
    EXPECT_TRUE(log->messages.empty());
}

TEST_F(AdaptorTest, TextIsCopiedAndNullTextStaysNull) {
    auto r = Recognizer({B(OLESTR("T"))});
    auto adaptor = Make({r});
    _bstr_t text(OLESTR("abc"));
    adaptor->Recognize(text, IF_TYPE_PARA, 0, site.Get());
    adaptor->Recognize(nullptr, IF_TYPE_PARA, 0, site.Get());
    ASSERT_EQ(r->textsSeen.size(), 2u);
    EXPECT_EQ(r->textsSeen[0], text);
    EXPECT_NE(static_cast<const OLECHAR*>(r->textsSeen[0]), static_cast<const OLECHAR*>(text));
    EXPECT_TRUE(!r->textsSeen[1]);
}

// One row of the failure table: what is thrown, and the line expected.
struct FailureCase {
    const char* label;
    std::function<void()> thrower;
    std::string logged;  // after "...Impl::<operation>" (empty: unknown form)
};

std::vector<FailureCase> FailureCases() {
    return {{"std", [] { throw std::runtime_error("boom"); }, "boom"},
            {"other", [] { throw 7; }, ""},
            {"com", [] { throw _com_error(E_OUTOFMEMORY); }, ""}};
}

std::string Expected(const char* operation, const FailureCase& c) {
    const std::string where = std::string("SmartTag2RecognizerAdaptorImpl::") + operation;
    return c.logged.empty() ? "Unknown exception in " + where : "Exception in " + where + ": " + c.logged;
}

TEST_F(AdaptorTest, FailureInCountingOrNamingIsLoggedAndGivesSFalse) {
    for (const FailureCase& c : FailureCases()) {
        SCOPED_TRACE(c.label);
        log->messages.clear();
        auto failing = Recognizer({B(OLESTR("X"))});
        failing->throwInGetTagTypes = c.thrower;
        auto adaptor = Make({Recognizer({B(OLESTR("A")), B(OLESTR("B"))}), failing, Recognizer({B(OLESTR("C"))})});

        int count = 0;
        EXPECT_EQ(adaptor->get_SmartTagCount(&count), S_FALSE);
        EXPECT_EQ(count, 2) << "the sum reached before the failure stays";
        EXPECT_EQ(Name(*adaptor, 3, S_FALSE), "");
        EXPECT_EQ(Name(*adaptor, 2), "urn:p#B") << "IDs before the failing recognizer still resolve";
        EXPECT_EQ(log->messages, (std::vector<std::string>{Expected("get_SmartTagCount", c),
                                                           Expected("get_SmartTagName", c)}));
    }
}

TEST_F(AdaptorTest, FailureInRecognizeStopsTheRemainingRecognizers) {
    for (const FailureCase& c : FailureCases()) {
        SCOPED_TRACE(c.label);
        log->messages.clear();
        site->Clear();
        auto first = Recognizer({B(OLESTR("A"))}, {{B(OLESTR("A")), 1, 1, {}}});
        auto second = Recognizer({B(OLESTR("B"))}, {{B(OLESTR("B")), 2, 1, {}}});
        second->throwAfterTags = c.thrower;
        auto third = Recognizer({B(OLESTR("C"))});
        auto adaptor = Make({first, second, third});

        EXPECT_EQ(RecognizeText(*adaptor, OLESTR("ab")), S_FALSE);
        EXPECT_TRUE(third->textsSeen.empty());
        EXPECT_EQ(site->Commits().size(), 2u) << "tags committed before the failure stay";
        EXPECT_EQ(log->messages, std::vector<std::string>{Expected("Recognize", c)});
    }
}

// A site whose commits throw, to reach the commit callback's handler.
class ThrowingSite : public ComObject<ISmartTagRecognizerSite2> {
public:
    std::function<void()> thrower;
    int commits = 0;
    HRESULT STDMETHODCALLTYPE CommitSmartTag(BSTR, INT, INT, ISmartTagProperties*) override {
        ++commits;
        thrower();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CommitSmartTag2(BSTR a, INT b, INT c, ISmartTagProperties* d) override { return CommitSmartTag(a, b, c, d); }
    HRESULT STDMETHODCALLTYPE GetNewPropertyBag(ISmartTagProperties** bag) override {
        ComPtr<InMemoryPropertyBag> made = InMemoryPropertyBag::Create();
        made->AddRef();  // the caller's reference
        *bag = made.Get();
        return S_OK;
    }
};

TEST_F(AdaptorTest, FailedCommitIsLoggedAndTheScanGoesOn) {
    for (const FailureCase& c : FailureCases()) {
        SCOPED_TRACE(c.label);
        log->messages.clear();
        ComPtr<ThrowingSite> throwing(new ThrowingSite);
        throwing->thrower = c.thrower;
        auto r = Recognizer({B(OLESTR("T"))}, {{B(OLESTR("T")), 1, 1, {{B(OLESTR("k")), B(OLESTR("v"))}}}, {B(OLESTR("T")), 2, 1, {}}});
        auto adaptor = Make({r});

        EXPECT_EQ(adaptor->Recognize(_bstr_t(OLESTR("ab")), IF_TYPE_PARA, 0, throwing.Get()), S_OK);
        EXPECT_EQ(throwing->commits, 2);
        EXPECT_EQ(log->messages,
                  std::vector<std::string>(2, Expected("RecognizeOne", c)));
    }
}

TEST_F(AdaptorTest, OutOfMemoryWhileCommittingIsAnUnknownException) {
    SMARTTAG_REQUIRE_ALLOCATION_COUNTERS();
    auto r = Recognizer({B(OLESTR("T"))}, {{B(OLESTR("T")), 1, 1, {}}});
    auto adaptor = Make({r});
    _bstr_t text(OLESTR("x"));
    {
        // The copy of the text succeeds; building the tag name does not.
        ScopedBstrAllocationFailure failure(1);
        EXPECT_EQ(adaptor->Recognize(text, IF_TYPE_PARA, 0, site.Get()), S_OK);
    }
    EXPECT_TRUE(site->Commits().empty());
    EXPECT_EQ(log->messages,
              std::vector<std::string>{"Unknown exception in SmartTag2RecognizerAdaptorImpl::RecognizeOne"});
}

TEST_F(AdaptorTest, InitializeAsksTheSettingEachTime) {
    auto r = Recognizer({B(OLESTR("T"))}, {{B(OLESTR("T")), 1, 1, {}}});
    auto adaptor = Make({r});
    EXPECT_EQ(adaptor->SmartTagInitialize(nullptr), S_OK);
    EXPECT_TRUE(log->messages.empty());

    setting->enabled = false;
    EXPECT_EQ(adaptor->SmartTagInitialize(nullptr), E_ACCESSDENIED);
    EXPECT_EQ(adaptor->SmartTagInitialize(nullptr), E_ACCESSDENIED);
    EXPECT_EQ(log->messages, std::vector<std::string>(2, "Smart tag recognition disabled by configuration"));
    EXPECT_EQ(setting->calls, 3);

    RecognizeText(*adaptor, OLESTR("x"));
    EXPECT_EQ(site->Commits().size(), 1u) << "the switch is reported, not enforced";

    setting->thrower = [] { throw std::runtime_error("no registry"); };
    EXPECT_EQ(adaptor->SmartTagInitialize(nullptr), S_FALSE);
    EXPECT_EQ(log->messages.back(), "Exception in SmartTag2RecognizerAdaptorImpl::SmartTagInitialize: no registry");
}

TEST_F(AdaptorTest, IdentityStringsAndSimpleOperations) {
    auto adaptor = Make({});
    auto text = [](BSTR s) { return std::string(static_cast<const char*>(_bstr_t(s, false))); };
    BSTR out = nullptr;
    EXPECT_EQ(adaptor->get_ProgId(&out), S_OK);
    EXPECT_EQ(text(out), "Veltra.STRecognizer");
    EXPECT_EQ(adaptor->get_Name(1031, &out), S_OK);
    EXPECT_EQ(text(out), "Veltra Office SmartTag Recognizer");
    EXPECT_EQ(adaptor->get_Desc(1033, &out), S_OK);
    EXPECT_EQ(text(out), "Veltra Office SmartTag Recognizer");
    EXPECT_EQ(adaptor->get_SmartTagDownloadURL(99, &out), S_OK);
    EXPECT_EQ(text(out), " ");
    EXPECT_EQ(adaptor->get_SmartTagDownloadURL(1, nullptr), E_POINTER);

    VARIANT_BOOL hasPage = VARIANT_TRUE;
    EXPECT_EQ(adaptor->get_PropertyPage(1, 1033, &hasPage), S_OK);
    EXPECT_EQ(hasPage, VARIANT_FALSE);
    EXPECT_EQ(adaptor->get_PropertyPage(1, 1033, nullptr), E_POINTER);
    EXPECT_EQ(adaptor->DisplayPropertyPage(1, 1033), S_OK);
    EXPECT_EQ(adaptor->Recognize(_bstr_t(OLESTR("x")), IF_TYPE_PARA, 0, nullptr), E_POINTER);

    // The allocator's result reaches Office unchanged.
    RecordingHostServices services;
    services.overrideAllocResult = true;
    services.allocResult = E_OUTOFMEMORY;
    ScopedHostServices scope(services);
    EXPECT_EQ(adaptor->get_ProgId(&out), E_OUTOFMEMORY);
    EXPECT_EQ(services.allocatedTexts.back(), _bstr_t(OLESTR("Veltra.STRecognizer")));
}

TEST_F(AdaptorTest, Recognize2UsesTheVersionTwoSiteAndAFailingLoggerIsContained) {
    auto r = Recognizer({B(OLESTR("T"))}, {{B(OLESTR("T")), 1, 1, {}}});
    r->throwAfterTags = [] { throw std::runtime_error("late"); };
    auto adaptor = Make({r});
    log->thrower = [] { throw std::runtime_error("log down"); };
    EXPECT_EQ(adaptor->Recognize2(_bstr_t(OLESTR("x")), IF_TYPE_PARA, 0, site.Get(), nullptr, nullptr), S_FALSE);
    EXPECT_EQ(site->Commits().size(), 1u);
    EXPECT_EQ(log->messages.size(), 1u);
}

}  // namespace
