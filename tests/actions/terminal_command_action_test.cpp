#include <map>
#include <string>
#include <vector>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include "actions/terminal_command_action.h"
#include "adaptors/host/recording_host.h"
#include "tests/support/platform_facilities.h"

using namespace Veltra::Penwork::Recognizer;
using smarttag::host::RecordingHostServices;
using smarttag::host::ScopedHostServices;
using smarttag::host::VectorStringList;

namespace {

_bstr_t B(const OLECHAR* s) { return _bstr_t(s); }

struct Sent {
    std::string bytes;
    unsigned short target;
};

class TerminalCommandActionTest : public ::testing::Test {
protected:
    boost::shared_ptr<ActionTerminalCommandImpl> Make(std::vector<_bstr_t> types, _bstr_t captionTemplate) {
        auto list = boost::make_shared<VectorStringList>(std::move(types));
        return ActionTerminalCommandImpl::Ctor(
            B(OLESTR("terminal")), list, captionTemplate, [this](const _bstr_t& type) { return specs.at(type); },
            [](const _bstr_t& s) { return s; },
            [this](const char* text, unsigned short target) {
                sent.push_back({text, target});
                return true;
            });
    }
    boost::shared_ptr<ActionTerminalCommandImpl> Make() { return Make({B(OLESTR("Equity"))}, B(OLESTR("Functions for %s"))); }

    std::map<_bstr_t, _bstr_t> specs;
    std::vector<Sent> sent;
    RecordingHostServices host;
    ScopedHostServices scope{host};
};

TEST_F(TerminalCommandActionTest, CaptionsReplaceOnlyTheFirstPlaceholder) {
    struct Case {
        _bstr_t pattern;
        const OLECHAR* expected;
    } cases[] = {{B(OLESTR("Functions for %s")), OLESTR("Functions for Alpha")},
                 {B(OLESTR("%s and %s")), OLESTR("Alpha and %s")},
                 {B(OLESTR("Plain")), OLESTR("Plain")},
                 {B(OLESTR("100%S of %")), OLESTR("100%S of %")},
                 {_bstr_t(), OLESTR("")}};
    for (const Case& c : cases) {
        TagTypeList types{{B(OLESTR("kept")), B(OLESTR("kept"))}};
        Make({B(OLESTR("Alpha")), B(OLESTR("Beta"))}, c.pattern)->GetTagTypes(types);
        ASSERT_EQ(types.size(), 3u) << "appends without clearing";
        EXPECT_EQ(types[1], std::make_pair(B(OLESTR("Alpha")), B(c.expected)));
        EXPECT_EQ(types[2].first, B(OLESTR("Beta")));
    }

    TagTypeList types;
    Make({_bstr_t()}, B(OLESTR("For %s.")))->GetTagTypes(types);
    ASSERT_EQ(types.size(), 1u);
    EXPECT_FALSE(!types[0].first) << "a null entry becomes an empty name";
    EXPECT_EQ(types[0].second, B(OLESTR("For .")));
}

TEST_F(TerminalCommandActionTest, VerbSpecifications) {
    struct Case {
        _bstr_t spec;
        std::int32_t target;  // after the call, starting from 1
        std::vector<const OLECHAR*> verbs;
    } cases[] = {
        {B(OLESTR("2|AAA|BBB")), 2, {OLESTR("AAA"), OLESTR("BBB")}},
        {B(OLESTR("|3||CCC|")), 3, {OLESTR("CCC")}},
        {B(OLESTR("AAA|BBB")), 0, {OLESTR("BBB")}},  // the first field is always the number
        {B(OLESTR("")), 1, {}},
        {_bstr_t(), 1, {}},
        {B(OLESTR("||")), 1, {}},
        {B(OLESTR("7")), 7, {}},
        {B(OLESTR(" \t12abc| A B |C ")), 12, {OLESTR(" A B "), OLESTR("C ")}},  // no trimming
        {B(OLESTR("-5|X")), -5, {OLESTR("X")}},
        {B(OLESTR("+0x10|X")), 0, {OLESTR("X")}},  // decimal only
        {B(OLESTR("99999999999|X")), 2147483647, {OLESTR("X")}},
        {B(OLESTR("-99999999999|X")), -2147483647 - 1, {OLESTR("X")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(smarttag::host::Describe(c.spec));
        specs[B(OLESTR("Equity"))] = c.spec;
        auto action = Make();
        VerbList verbs;
        action->GetVerbs(B(OLESTR("Equity")), verbs);
        EXPECT_EQ(action->TargetNumber(), c.target);
        ASSERT_EQ(verbs.size(), c.verbs.size());
        for (std::size_t i = 0; i < verbs.size(); ++i) {
            EXPECT_EQ(verbs[i].first, B(c.verbs[i]));
            EXPECT_EQ(verbs[i].second, B(c.verbs[i]));
        }
    }
}

TEST_F(TerminalCommandActionTest, CommandGoesToTheTargetOfTheLatestSpecification) {
    host.uniqueId = [](const _bstr_t& s) { return B(OLESTR("ID[")) + s + B(OLESTR("]")); };
    specs[B(OLESTR("Equity"))] = B(OLESTR("65538|DES"));
    specs[B(OLESTR("Bond"))] = B(OLESTR("4|YAS"));
    specs[B(OLESTR("Corp"))] = B(OLESTR(""));
    auto action = Make({B(OLESTR("Equity")), B(OLESTR("Bond")), B(OLESTR("Corp"))}, B(OLESTR("%s")));
    const TagPropertyMap tag{{B(OLESTR("Security")), B(OLESTR("IBM US Equity"))}, {B(OLESTR("MarketSector")), B(OLESTR("Equity"))}};

    action->Invoke(B(OLESTR("DES")), tag);  // before any specification was read
    VerbList verbs;
    action->GetVerbs(B(OLESTR("Equity")), verbs);
    action->Invoke(B(OLESTR("DES")), tag);
    action->GetVerbs(B(OLESTR("Bond")), verbs);
    action->GetVerbs(B(OLESTR("Corp")), verbs);  // no fields: the target stays
    action->Invoke(B(OLESTR("DES")), tag);
    specs[B(OLESTR("Equity"))] = B(OLESTR("-1|DES"));
    action->GetVerbs(B(OLESTR("Equity")), verbs);
    action->Invoke(B(OLESTR("GP")), tag);

    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0].bytes, "ID[IBM US Equity]<GO>DES<GO>");
    EXPECT_EQ(sent[0].target, 1);
    EXPECT_EQ(sent[1].target, 2) << "low 16 bits of 65538";
    EXPECT_EQ(sent[2].target, 4) << "the type does not matter, the latest reading does";
    EXPECT_EQ(sent[3].target, 65535);
    EXPECT_EQ(sent[3].bytes, "ID[IBM US Equity]<GO>GP<GO>");
    EXPECT_EQ(host.uniqueIdRequests.back(), B(OLESTR("IBM US Equity")));
}

TEST_F(TerminalCommandActionTest, CommandIsAnsiText) {
    auto action = Make();
    // A null unique ID or verb name counts as empty.
    host.uniqueId = [](const _bstr_t&) { return _bstr_t(); };
    action->Invoke(_bstr_t(), {{B(OLESTR("Security")), B(OLESTR("X"))}});
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent.back().bytes, "<GO><GO>");

    SMARTTAG_REQUIRE_ANSI_CODE_PAGE_1252();
    host.uniqueId = [](const _bstr_t& s) { return s; };
    action->Invoke(B(OLESTR("Caf\u00e9 \u2014 \u0151")), {{B(OLESTR("Security")), B(OLESTR("Soci\u00e9t\u00e9 G\u00e9n\u00e9rale FP Equity"))}});
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent.back().bytes, "Soci\xe9t\xe9 G\xe9n\xe9rale FP Equity<GO>Caf\xe9 \x97 o<GO>");
}

TEST_F(TerminalCommandActionTest, RefusesATagWithoutSecurityAndSendsNothing) {
    auto action = Make();
    try {
        action->Invoke(B(OLESTR("DES")), {{B(OLESTR("MarketSector")), B(OLESTR("Equity"))}});
        FAIL() << "expected std::invalid_argument";
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("\"Security\""), std::string::npos) << e.what();
    }
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(host.uniqueIdRequests.empty());
}

TEST_F(TerminalCommandActionTest, EmptyCallbacksRaiseTheBadCallError) {
    auto action = ActionTerminalCommandImpl::Ctor(B(OLESTR("t")), boost::make_shared<VectorStringList>(), B(OLESTR("%s")), {}, {}, {});
    VerbList verbs;
    EXPECT_THROW(action->GetVerbs(B(OLESTR("Equity")), verbs), boost::bad_function_call);
    try {
        action->Invoke(B(OLESTR("DES")), {{B(OLESTR("Security")), B(OLESTR("X"))}});
        FAIL() << "expected boost::bad_function_call";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "call to empty boost::function");
    }
}

}  // namespace
