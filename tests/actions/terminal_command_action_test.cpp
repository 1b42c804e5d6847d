#include <map>
#include <string>
#include <vector>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include "actions/terminal_command_action.h"
#include "adaptors/host/recording_host.h"

using namespace Veltra::Penwork::Recognizer;
using smarttag::host::RecordingHostServices;
using smarttag::host::ScopedHostServices;
using smarttag::host::VectorStringList;

namespace {

_bstr_t B(const char16_t* s) { return _bstr_t(s); }

struct Sent {
    std::string bytes;
    unsigned short target;
};

class TerminalCommandActionTest : public ::testing::Test {
protected:
    boost::shared_ptr<ActionTerminalCommandImpl> Make(std::vector<_bstr_t> types, _bstr_t captionTemplate) {
        auto list = boost::make_shared<VectorStringList>(std::move(types));
        return ActionTerminalCommandImpl::Ctor(
            B(u"terminal"), list, captionTemplate, [this](const _bstr_t& type) { return specs.at(type); },
            [](const _bstr_t& s) { return s; },
            [this](const char* text, unsigned short target) {
                sent.push_back({text, target});
                return true;
            });
    }
    boost::shared_ptr<ActionTerminalCommandImpl> Make() { return Make({B(u"Equity")}, B(u"Functions for %s")); }

    std::map<_bstr_t, _bstr_t> specs;
    std::vector<Sent> sent;
    RecordingHostServices host;
    ScopedHostServices scope{host};
};

TEST_F(TerminalCommandActionTest, CaptionsReplaceOnlyTheFirstPlaceholder) {
    struct Case {
        _bstr_t pattern;
        const char16_t* expected;
    } cases[] = {{B(u"Functions for %s"), u"Functions for Alpha"},
                 {B(u"%s and %s"), u"Alpha and %s"},
                 {B(u"Plain"), u"Plain"},
                 {B(u"100%S of %"), u"100%S of %"},
                 {_bstr_t(), u""}};
    for (const Case& c : cases) {
        TagTypeList types{{B(u"kept"), B(u"kept")}};
        Make({B(u"Alpha"), B(u"Beta")}, c.pattern)->GetTagTypes(types);
        ASSERT_EQ(types.size(), 3u) << "appends without clearing";
        EXPECT_EQ(types[1], std::make_pair(B(u"Alpha"), B(c.expected)));
        EXPECT_EQ(types[2].first, B(u"Beta"));
    }

    TagTypeList types;
    Make({_bstr_t()}, B(u"For %s."))->GetTagTypes(types);
    ASSERT_EQ(types.size(), 1u);
    EXPECT_FALSE(!types[0].first) << "a null entry becomes an empty name";
    EXPECT_EQ(types[0].second, B(u"For ."));
}

TEST_F(TerminalCommandActionTest, VerbSpecifications) {
    struct Case {
        _bstr_t spec;
        std::int32_t target;  // after the call, starting from 1
        std::vector<const char16_t*> verbs;
    } cases[] = {
        {B(u"2|AAA|BBB"), 2, {u"AAA", u"BBB"}},
        {B(u"|3||CCC|"), 3, {u"CCC"}},
        {B(u"AAA|BBB"), 0, {u"BBB"}},  // the first field is always the number
        {B(u""), 1, {}},
        {_bstr_t(), 1, {}},
        {B(u"||"), 1, {}},
        {B(u"7"), 7, {}},
        {B(u" \t12abc| A B |C "), 12, {u" A B ", u"C "}},  // no trimming
        {B(u"-5|X"), -5, {u"X"}},
        {B(u"+0x10|X"), 0, {u"X"}},  // decimal only
        {B(u"99999999999|X"), 2147483647, {u"X"}},
        {B(u"-99999999999|X"), -2147483647 - 1, {u"X"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(smarttag::host::Describe(c.spec));
        specs[B(u"Equity")] = c.spec;
        auto action = Make();
        VerbList verbs;
        action->GetVerbs(B(u"Equity"), verbs);
        EXPECT_EQ(action->TargetNumber(), c.target);
        ASSERT_EQ(verbs.size(), c.verbs.size());
        for (std::size_t i = 0; i < verbs.size(); ++i) {
            EXPECT_EQ(verbs[i].first, B(c.verbs[i]));
            EXPECT_EQ(verbs[i].second, B(c.verbs[i]));
        }
    }
}

TEST_F(TerminalCommandActionTest, CommandGoesToTheTargetOfTheLatestSpecification) {
    host.uniqueId = [](const _bstr_t& s) { return B(u"ID[") + s + B(u"]"); };
    specs[B(u"Equity")] = B(u"65538|DES");
    specs[B(u"Bond")] = B(u"4|YAS");
    specs[B(u"Corp")] = B(u"");
    auto action = Make({B(u"Equity"), B(u"Bond"), B(u"Corp")}, B(u"%s"));
    const TagPropertyMap tag{{B(u"Security"), B(u"IBM US Equity")}, {B(u"MarketSector"), B(u"Equity")}};

    action->Invoke(B(u"DES"), tag);  // before any specification was read
    VerbList verbs;
    action->GetVerbs(B(u"Equity"), verbs);
    action->Invoke(B(u"DES"), tag);
    action->GetVerbs(B(u"Bond"), verbs);
    action->GetVerbs(B(u"Corp"), verbs);  // no fields: the target stays
    action->Invoke(B(u"DES"), tag);
    specs[B(u"Equity")] = B(u"-1|DES");
    action->GetVerbs(B(u"Equity"), verbs);
    action->Invoke(B(u"GP"), tag);

    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0].bytes, "ID[IBM US Equity]<GO>DES<GO>");
    EXPECT_EQ(sent[0].target, 1);
    EXPECT_EQ(sent[1].target, 2) << "low 16 bits of 65538";
    EXPECT_EQ(sent[2].target, 4) << "the type does not matter, the latest reading does";
    EXPECT_EQ(sent[3].target, 65535);
    EXPECT_EQ(sent[3].bytes, "ID[IBM US Equity]<GO>GP<GO>");
    EXPECT_EQ(host.uniqueIdRequests.back(), B(u"IBM US Equity"));
}

TEST_F(TerminalCommandActionTest, CommandIsAnsiText) {
    host.uniqueId = [](const _bstr_t& s) { return s; };
    auto action = Make();
    action->Invoke(B(u"Caf\u00e9 \u2014 \u0151"), {{B(u"Security"), B(u"Soci\u00e9t\u00e9 G\u00e9n\u00e9rale FP Equity")}});
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].bytes, "Soci\xe9t\xe9 G\xe9n\xe9rale FP Equity<GO>Caf\xe9 \x97 o<GO>");

    // A null unique ID or verb name counts as empty.
    host.uniqueId = [](const _bstr_t&) { return _bstr_t(); };
    action->Invoke(_bstr_t(), {{B(u"Security"), B(u"X")}});
    EXPECT_EQ(sent.back().bytes, "<GO><GO>");
}

TEST_F(TerminalCommandActionTest, RefusesATagWithoutSecurityAndSendsNothing) {
    auto action = Make();
    try {
        action->Invoke(B(u"DES"), {{B(u"MarketSector"), B(u"Equity")}});
        FAIL() << "expected std::invalid_argument";
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("\"Security\""), std::string::npos) << e.what();
    }
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(host.uniqueIdRequests.empty());
}

TEST_F(TerminalCommandActionTest, EmptyCallbacksRaiseTheBadCallError) {
    auto action = ActionTerminalCommandImpl::Ctor(B(u"t"), boost::make_shared<VectorStringList>(), B(u"%s"), {}, {}, {});
    VerbList verbs;
    EXPECT_THROW(action->GetVerbs(B(u"Equity"), verbs), boost::bad_function_call);
    try {
        action->Invoke(B(u"DES"), {{B(u"Security"), B(u"X")}});
        FAIL() << "expected boost::bad_function_call";
    } catch (const std::exception& e) {
        EXPECT_STREQ(e.what(), "call to empty boost::function");
    }
}

}  // namespace
