// Both adaptors driven together the way Office drives them: recognize a run
// of text, then ask the action side about the committed tag and pick a verb.
#include <map>
#include <string>
#include <vector>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include "actions/terminal_command_action.h"
#include "actions/transparency_command_action.h"
#include "actions/ui_invoke_actions.h"
#include "adaptors/action_adaptor.h"
#include "adaptors/host/recording_host.h"
#include "adaptors/recognizer_adaptor.h"
#include "platform/in_memory_site.h"
#include "recognizers/security_recognizer.h"
#include "recognizers/transparency_recognizer.h"

using namespace Veltra::Penwork::Recognizer;
using namespace smarttag::platform;
using namespace smarttag::host;

namespace {

_bstr_t B(const OLECHAR* s) { return _bstr_t(s); }

struct Sent {
    std::string bytes;
    unsigned short target;
};

TEST(OfficeRoundTripTest, ASecurityTagLeadsToATerminalCommand) {
    RecordingHostServices host;
    ScopedHostServices scope(host);
    host.uniqueId = [](const _bstr_t& security) { return B(OLESTR("/isin/")) + security; };
    ActionTransparencyCommandImpl::ForgetCachedWindow();
    const ComCounters comBefore = GetComCounters();

    std::vector<Sent> sent;
    const CommandSenderFn sender = [&](const char* text, unsigned short target) {
        sent.push_back({text, target});
        return true;
    };
    const _bstr_t prefix = B(OLESTR("urn:veltra:smarttags#"));
    auto sectors = VectorStringList::FromUtf8({"Equity", "Corp"});
    auto log = boost::make_shared<RecordingLogInfo>();

    auto recognizers = SmartTag2RecognizerAdaptorImpl::Ctor(
        {RecognizerSecurityImpl::Ctor(B(OLESTR("Security")), sectors), RecognizerTransparencyImpl::Factory(B(OLESTR("Transparency")))},
        prefix, boost::make_shared<FixedSettingReader>(true), log);
    const std::map<_bstr_t, _bstr_t> specs{{B(OLESTR("Equity")), B(OLESTR("3|DES|GP"))}, {B(OLESTR("Corp")), B(OLESTR("5|YAS"))}};
    auto terminal = ActionTerminalCommandImpl::Ctor(
        B(OLESTR("Terminal")), sectors, B(OLESTR("%s Functions")), [&](const _bstr_t& type) { return specs.at(type); },
        [](const _bstr_t& s) { return s; }, sender);
    auto actions = SmartTag2ActionAdaptorImpl::Ctor(
        {ActionUIInvokeJurraCommandImpl::Ctor(B(OLESTR("Citation")), sender),
         ActionUIInvokeCommandImpl::Ctor(terminal, [] { return B(OLESTR("Options...")); }),
         ActionTransparencyCommandImpl::Factory(B(OLESTR("Transparency")), boost::make_shared<RecordingToolCmd>(true))},
        prefix, log);

    // Office recognizes a paragraph.
    {
        auto site = InMemoryRecognizerSite::Create();
        ASSERT_EQ(recognizers->Recognize2(_bstr_t(OLESTR("IBM US Equity")), IF_TYPE_PARA, 1033, site.Get(), B(OLESTR("Word")),
                                          nullptr),
                  S_OK);
        ASSERT_EQ(site->Commits().size(), 1u);
        const CommittedTag& tag = site->Commits()[0];
        EXPECT_EQ(tag.name, B(OLESTR("urn:veltra:smarttags#Equity")));

        // Office learns the action side's tag types and their captions.
        int typeCount = 0;
        ASSERT_EQ(actions->get_SmartTagCount(&typeCount), S_OK);
        ASSERT_EQ(typeCount, 4);  // Citation, Equity, Corp, Transparency
        std::vector<std::pair<_bstr_t, _bstr_t>> types;
        for (int id = 1; id <= typeCount; ++id) {
            BSTR name = nullptr, caption = nullptr;
            ASSERT_EQ(actions->get_SmartTagName(id, &name), S_OK);
            ASSERT_EQ(actions->get_SmartTagCaption(id, 1033, &caption), S_OK);
            types.emplace_back(_bstr_t(name, false), _bstr_t(caption, false));
        }
        EXPECT_EQ(types[1], std::make_pair(tag.name, B(OLESTR("Equity Functions"))));
        EXPECT_EQ(types[0].second, B(OLESTR("Jurra Functions")));

        // The user opens the tag's menu: Office counts and captions its verbs.
        int verbCount = 0;
        ASSERT_EQ(actions->get_VerbCount(tag.name, &verbCount), S_OK);
        ASSERT_EQ(verbCount, 3);
        std::vector<_bstr_t> captions;
        std::vector<int> ids;
        for (int index = 1; index <= verbCount; ++index) {
            int id = -1;
            BSTR caption = nullptr;
            ASSERT_EQ(actions->get_VerbID(tag.name, index, &id), S_OK);
            ASSERT_EQ(actions->get_VerbCaptionFromID2(id, B(OLESTR("Word")), 1033, nullptr, nullptr, nullptr, nullptr,
                                                      &caption),
                      S_OK);
            ids.push_back(id);
            captions.emplace_back(caption, false);
        }
        EXPECT_EQ(ids, (std::vector<int>{0, 1, 2}));
        EXPECT_EQ(captions, (std::vector<_bstr_t>{B(OLESTR("DES")), B(OLESTR("GP")), B(OLESTR("Options..."))}));

        // The user picks "GP", then the options verb, on the committed tag.
        auto bag = InMemoryPropertyBag::Create(tag.properties);
        EXPECT_EQ(actions->InvokeVerb2(ids[1], B(OLESTR("Word")), nullptr, bag.Get(), B(OLESTR("IBM US Equity")), nullptr, 1033),
                  S_OK);
        EXPECT_EQ(actions->InvokeVerb2(ids[2], B(OLESTR("Word")), nullptr, bag.Get(), B(OLESTR("IBM US Equity")), nullptr, 1033),
                  S_OK);
        EXPECT_EQ(bag->RefCount(), 1u);
    }

    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].bytes, "/isin/IBM US Equity<GO>GP<GO>");
    EXPECT_EQ(sent[0].target, 3);
    ASSERT_EQ(host.activateToolCalls.size(), 1u);
    EXPECT_EQ(host.activateToolCalls[0].elements[2], B(OLESTR("Equity")));
    EXPECT_TRUE(log->messages.empty());

    // The transparency type has its verb too, though no text carries the tag.
    int count = 0;
    ASSERT_EQ(actions->get_VerbCount(B(OLESTR("urn:veltra:smarttags#Transparency")), &count), S_OK);
    EXPECT_EQ(count, 1);

    EXPECT_EQ(GetComCounters().live, comBefore.live) << "an Office object was not released";
}

}  // namespace
