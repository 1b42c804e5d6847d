#include <stdexcept>
#include <string>
#include <vector>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include "tests/support/platform_facilities.h"

#include "actions/ui_invoke_actions.h"
#include "adaptors/host/recording_host.h"
#include "platform/safearray.h"

using namespace Veltra::Penwork::Recognizer;
using namespace smarttag::platform;
using smarttag::host::RecordingHostServices;
using smarttag::host::ScopedHostServices;
using smarttag::host::Throws;

namespace {

_bstr_t B(const OLECHAR* s) { return _bstr_t(s); }
HWND Window(std::uintptr_t value) { return reinterpret_cast<HWND>(value); }

TEST(JurraCommandActionTest, OffersTheCitatorAndSendsItsCommand) {
    std::vector<std::pair<std::string, unsigned short>> sent;
    auto action = ActionUIInvokeJurraCommandImpl::Ctor(B(OLESTR("Citation")), [&](const char* text, unsigned short target) {
        sent.emplace_back(text, target);
        return false;  // a refusal is not looked at
    });

    TagTypeList types;
    action->GetTagTypes(types);
    EXPECT_EQ(types, (TagTypeList{{B(OLESTR("Citation")), B(OLESTR("Jurra Functions"))}}));
    VerbList verbs;
    action->GetVerbs(B(OLESTR("Anything")), verbs);
    EXPECT_EQ(verbs, (VerbList{{B(OLESTR("Jurra Citator (LXCHK)")), B(OLESTR("Jurra Citator (LXCHK)"))}}));

    action->Invoke(B(OLESTR("whatever verb")), {{B(OLESTR("Citation")), B(OLESTR("123 abc 45"))}});
    action->Invoke(_bstr_t(), {{B(OLESTR("Citation")), B(OLESTR("410 us 113 \u00a7 5"))}});
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0], std::make_pair(std::string("LXCHK 123 abc 45<GO>"), (unsigned short)2));
    if (GetACP() == 1252) {  // the section sign in the ANSI code page
        EXPECT_EQ(sent[1].first, "LXCHK 410 us 113 \xa7 5<GO>");
    }

    EXPECT_THROW(action->Invoke(B(OLESTR("x")), {{B(OLESTR("Security")), B(OLESTR("X"))}}), std::invalid_argument);
    EXPECT_EQ(sent.size(), 2u);
}

// An action with verbs A and B that records its invocations.
class InnerAction : public IActionImpl {
public:
    std::vector<_bstr_t> invoked;
    TagPropertyMap lastProperties;
    void GetTagTypes(TagTypeList& types) override {
        types.emplace_back(B(OLESTR("Equity")), B(OLESTR("Equity functions")));
        types.emplace_back(B(OLESTR("Bond")), B(OLESTR("Bond functions")));
    }
    void GetVerbs(const _bstr_t&, VerbList& verbs) override {
        verbs.emplace_back(B(OLESTR("A")), B(OLESTR("A")));
        verbs.emplace_back(B(OLESTR("B")), B(OLESTR("B")));
    }
    void Invoke(const _bstr_t& verb, const TagPropertyMap& properties) override {
        invoked.push_back(verb);
        lastProperties = properties;
    }
};

class UIInvokeCommandActionTest : public ::testing::Test {
protected:
    void SetUp() override { host.window = Window(0x42); }
    boost::shared_ptr<ActionUIInvokeCommandImpl> Make() {
        return ActionUIInvokeCommandImpl::Ctor(inner, [this] { return caption; });
    }
    void TearDown() override {
        EXPECT_EQ(GetSafeArrayCounters().live(), arraysBefore) << "the tool array was not destroyed";
        EXPECT_EQ(host.findersLive, 0);
    }

    const long arraysBefore = GetSafeArrayCounters().live();
    RecordingHostServices host;
    ScopedHostServices scope{host};
    boost::shared_ptr<InnerAction> inner = boost::make_shared<InnerAction>();
    _bstr_t caption = B(OLESTR("Options..."));
};

TEST_F(UIInvokeCommandActionTest, AddsTheOptionsVerbAfterTheWrappedOnes) {
    auto action = Make();
    TagTypeList types;
    action->GetTagTypes(types);
    EXPECT_EQ(types.size(), 2u);
    EXPECT_EQ(types[1].second, B(OLESTR("Bond functions")));
    for (const OLECHAR* type : {OLESTR("Equity"), OLESTR("Bond")}) {
        VerbList verbs;
        action->GetVerbs(B(type), verbs);
        EXPECT_EQ(verbs, (VerbList{{B(OLESTR("A")), B(OLESTR("A"))}, {B(OLESTR("B")), B(OLESTR("B"))}, {B(OLESTR("Options...")), B(OLESTR("Options..."))}}));
    }
}

TEST_F(UIInvokeCommandActionTest, OtherVerbsGoToTheWrappedAction) {
    auto action = Make();
    VerbList verbs;
    action->GetVerbs(B(OLESTR("Equity")), verbs);
    const TagPropertyMap tag{{B(OLESTR("Security")), B(OLESTR("IBM US Equity"))}};
    action->Invoke(B(OLESTR("A")), tag);
    action->Invoke(B(OLESTR("options...")), tag);  // case matters
    EXPECT_EQ(inner->invoked, (std::vector<_bstr_t>{B(OLESTR("A")), B(OLESTR("options..."))}));
    EXPECT_EQ(inner->lastProperties, tag);
    EXPECT_TRUE(host.activateToolCalls.empty());
}

TEST_F(UIInvokeCommandActionTest, OptionsVerbOpensTheToolWithTheMarketSector) {
    auto action = Make();
    VerbList verbs;
    action->GetVerbs(B(OLESTR("Equity")), verbs);
    host.cookie = B(OLESTR("COOKIE-7"));

    action->Invoke(B(OLESTR("Options...")), {{B(OLESTR("MarketSector")), B(OLESTR("S1"))}, {B(OLESTR("Security")), B(OLESTR("X"))}});
    action->Invoke(B(OLESTR("Options...")), {{B(OLESTR("Security")), B(OLESTR("X"))}});
    action->Invoke(B(OLESTR("Options...")), {{B(OLESTR("MarketSector")), B(OLESTR(""))}});
    action->Invoke(B(OLESTR("Options...")), {{B(OLESTR("MarketSector")), _bstr_t()}});
    EXPECT_TRUE(inner->invoked.empty());

    ASSERT_EQ(host.activateToolCalls.size(), 4u);
    const auto& first = host.activateToolCalls[0];
    EXPECT_FALSE(first.nullArray);
    EXPECT_EQ(first.dims, 1u);
    EXPECT_EQ(first.lowerBound, 0);
    EXPECT_EQ(first.elements, (std::vector<_bstr_t>{B(ActionUIInvokeCommandImpl::ToolSpecification()),
                                                    B(OLESTR("COOKIE-7")), B(OLESTR("S1"))}));
    EXPECT_EQ(host.activateToolCalls[0].elements[0],
              B(OLESTR("NoVBA|OptionsDialog|Veltra.Penwork.OptionsDialog|Veltra.Penwork.OptionsDialog.OptionsTool")));
    for (std::size_t i = 1; i < 4; ++i) {
        ASSERT_EQ(host.activateToolCalls[i].elements.size(), 3u);
        EXPECT_FALSE(!host.activateToolCalls[i].elements[2]) << "an empty string, not a null one";
        EXPECT_EQ(host.activateToolCalls[i].elements[2].length(), 0u);
    }

    // Bound to the window found once, when the action was built.
    ASSERT_EQ(host.initializeOnChildCalls.size(), 4u);
    EXPECT_EQ(host.initializeOnChildCalls[3].first, Window(0x42));
    EXPECT_EQ(host.initializeOnChildCalls[3].second, Window(0x42));
    EXPECT_EQ(host.findWindowCalls, 1);
    ASSERT_EQ(host.findersCreated.size(), 1u);
    EXPECT_EQ(host.findersCreated[0].key, L"xl");
    EXPECT_EQ(host.journal->lines[0], "WindowFinderImpl::Ctor(false, true, \"xl\")");
}

TEST_F(UIInvokeCommandActionTest, AWindowMissingAtConstructionStaysMissing) {
    host.window = nullptr;
    auto action = Make();
    host.window = Window(0x99);
    VerbList verbs;
    action->GetVerbs(B(OLESTR("Equity")), verbs);
    action->Invoke(B(OLESTR("Options...")), {});
    ASSERT_EQ(host.initializeOnChildCalls.size(), 1u);
    EXPECT_EQ(host.initializeOnChildCalls[0].first, nullptr);
    EXPECT_EQ(host.findWindowCalls, 1);
}

TEST_F(UIInvokeCommandActionTest, OnlyTheLatestCaptionIsTheOptionsVerb) {
    auto action = Make();
    VerbList verbs;
    action->GetVerbs(B(OLESTR("Equity")), verbs);
    caption = B(OLESTR("Settings..."));
    action->GetVerbs(B(OLESTR("Bond")), verbs);
    EXPECT_EQ(verbs.back(), std::make_pair(B(OLESTR("Settings...")), B(OLESTR("Settings..."))));

    action->Invoke(B(OLESTR("Options...")), {});
    EXPECT_EQ(inner->invoked, std::vector<_bstr_t>{B(OLESTR("Options..."))}) << "the old caption is no longer recognised";
    action->Invoke(B(OLESTR("Settings...")), {});
    EXPECT_EQ(host.activateToolCalls.size(), 1u);
}

TEST_F(UIInvokeCommandActionTest, NullAndEmptyVerbsAreDifferent) {
    caption = B(OLESTR(""));
    auto action = Make();
    VerbList verbs;
    action->GetVerbs(B(OLESTR("Equity")), verbs);
    action->Invoke(_bstr_t(), {});
    EXPECT_EQ(inner->invoked.size(), 1u);
    action->Invoke(B(OLESTR("")), {});
    EXPECT_EQ(host.activateToolCalls.size(), 1u);

    caption = _bstr_t();
    action->GetVerbs(B(OLESTR("Equity")), verbs);
    action->Invoke(_bstr_t(), {});
    EXPECT_EQ(host.activateToolCalls.size(), 2u);
    action->Invoke(B(OLESTR("")), {});
    EXPECT_EQ(inner->invoked.size(), 2u);
}

// Host services that keep nothing, so that every string the action makes
// can be counted; the tool proxy can be made to fail.
class QuietHost : public smarttag::host::HostServices {
public:
    bool failTool = false, failCookie = false;
    _bstr_t InstanceCookie() override {
        if (failCookie) throw 7;
        return HostServices::InstanceCookie();
    }
    HWND FindHostWindow(bool, bool, const std::wstring&) override { return Window(0x42); }
    HRESULT ActivateTool(SAFEARRAY** tool) override {
        if (failTool) throw std::runtime_error("proxy down");
        // The strings are readable while the call lasts.
        LONG index = 2;
        BSTR sector = nullptr;
        SafeArrayGetElement(*tool, &index, &sector);
        sectors.emplace_back(sector, false);
        return S_OK;
    }
    std::vector<_bstr_t> sectors;
};

TEST(UIInvokeToolArrayTest, NeitherLeaksNorFreesTheStringsItBorrows) {
    SMARTTAG_REQUIRE_ALLOCATION_COUNTERS();
    QuietHost quiet;
    ScopedHostServices scope(quiet);
    auto action = ActionUIInvokeCommandImpl::Ctor(boost::make_shared<InnerAction>(), [] { return B(OLESTR("Options...")); });
    VerbList verbs;
    action->GetVerbs(B(OLESTR("Equity")), verbs);
    const TagPropertyMap tag{{B(OLESTR("MarketSector")), B(OLESTR("S1"))}};
    const _bstr_t options = B(OLESTR("Options..."));

    const long arrays = GetSafeArrayCounters().live();
    const long strings = GetBstrCounters().live();
    for (int i = 0; i < 3; ++i) action->Invoke(options, tag);
    quiet.failTool = true;
    EXPECT_THROW(action->Invoke(options, tag), std::runtime_error);
    quiet.failTool = false;
    quiet.failCookie = true;
    EXPECT_THROW(action->Invoke(options, tag), int);
    quiet.failCookie = false;
    EXPECT_EQ(GetSafeArrayCounters().live(), arrays) << "every array made is destroyed";
    EXPECT_EQ(GetBstrCounters().live(), strings + 3) << "only the host's own copies remain";
    quiet.sectors.clear();
    EXPECT_EQ(GetBstrCounters().live(), strings);
    // The borrowed strings are intact: a double free would have shown here
    // (or under the sanitizer build).
    EXPECT_EQ(tag.at(B(OLESTR("MarketSector"))), B(OLESTR("S1")));
    action->Invoke(options, tag);
    EXPECT_EQ(quiet.sectors.back(), B(OLESTR("S1")));
}

}  // namespace
