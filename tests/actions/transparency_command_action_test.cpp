#include <stdexcept>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include "actions/transparency_command_action.h"
#include "adaptors/host/recording_host.h"

using namespace Veltra::Penwork::Recognizer;
using smarttag::host::RecordingHostServices;
using smarttag::host::RecordingToolCmd;
using smarttag::host::ScopedHostServices;

namespace {

_bstr_t B(const OLECHAR* s) { return _bstr_t(s); }
HWND Window(std::uintptr_t value) { return reinterpret_cast<HWND>(value); }

class TransparencyActionTest : public ::testing::Test {
protected:
    // Every test starts as if the library had just been loaded.
    void SetUp() override { ActionTransparencyCommandImpl::ForgetCachedWindow(); }
    void TearDown() override {
        ActionTransparencyCommandImpl::ForgetCachedWindow();
        EXPECT_EQ(host.findersLive, 0);
        EXPECT_EQ(tool->commandsLive, 0);
    }
    boost::shared_ptr<ActionTransparencyCommandImpl> Make() { return ActionTransparencyCommandImpl::Factory(B(OLESTR("T")), tool); }

    RecordingHostServices host;
    ScopedHostServices scope{host};
    boost::shared_ptr<RecordingToolCmd> tool = boost::make_shared<RecordingToolCmd>(true, host.journal);
};

TEST_F(TransparencyActionTest, DeclaresOneTypeAndOneVerb) {
    auto action = Make();
    TagTypeList types;
    action->GetTagTypes(types);
    EXPECT_EQ(types, (TagTypeList{{B(OLESTR("T")), B(OLESTR("Veltra Transparency Functions"))}}));
    VerbList verbs;
    action->GetVerbs(B(OLESTR("Other")), verbs);
    EXPECT_EQ(verbs, (VerbList{{B(OLESTR("Get Transparency Data...")), B(OLESTR("Get Transparency Data..."))}}));
}

TEST_F(TransparencyActionTest, ReadyChannelRunsTheCommandAtOnce) {
    auto action = Make();
    action->Invoke(B(OLESTR("Get Transparency Data...")), {});
    ASSERT_EQ(tool->executeCalls.size(), 1u);
    EXPECT_EQ(tool->executeCalls[0].justInitialized, 0);
    for (const _bstr_t& arg : tool->executeCalls[0].args) {
        EXPECT_FALSE(!arg) << "empty strings, not null ones";
        EXPECT_EQ(arg.length(), 0u);
    }
    EXPECT_TRUE(host.initializeCalls.empty());
    EXPECT_EQ(host.findWindowCalls, 1) << "the window is looked for even when the channel is ready";
}

TEST_F(TransparencyActionTest, ChannelNotReadyInitializesOnTheWindowFirst) {
    tool->ready = false;
    host.window = Window(0x77);
    Make()->Invoke(_bstr_t(), {});
    EXPECT_EQ(host.journal->lines,
              (std::vector<std::string>{"WindowFinderImpl::Ctor(false, true, \"xl\")",
                                        "WindowFinderImpl::FindWindowW() -> 0x77", "IToolCmdImpl::IsReady() -> false",
                                        "PenworkProxy::Initialize(0, 0x77)", "IToolCmdImpl::GetCommand()",
                                        "IToolCommandImpl::Execute(1, \"\", \"\", \"\", \"\")"}));
}

TEST_F(TransparencyActionTest, WithoutWindowNothingRunsAndTheNextCallLooksAgain) {
    tool->ready = false;
    auto action = Make();
    action->Invoke(_bstr_t(), {});
    EXPECT_EQ(tool->getCommandCalls, 0);
    EXPECT_TRUE(host.initializeCalls.empty());
    action->Invoke(_bstr_t(), {});
    EXPECT_EQ(host.findWindowCalls, 2);
    EXPECT_EQ(ActionTransparencyCommandImpl::CachedWindow(), nullptr);
}

TEST_F(TransparencyActionTest, AWindowFoundOnceServesEveryObject) {
    tool->ready = false;
    auto first = Make();
    first->Invoke(_bstr_t(), {});  // nothing found yet
    host.window = Window(0x10);
    first->Invoke(_bstr_t(), {});
    host.window = Window(0x20);  // a later lookup would find another window
    auto second = Make();
    second->Invoke(_bstr_t(), {});
    first->Invoke(_bstr_t(), {});

    EXPECT_EQ(host.findWindowCalls, 2);
    EXPECT_EQ(host.findersCreated.size(), 2u);
    ASSERT_EQ(host.initializeCalls.size(), 3u);
    for (const auto& call : host.initializeCalls) {
        EXPECT_EQ(call.reserved, 0);
        EXPECT_EQ(call.window, Window(0x10));
    }
    EXPECT_EQ(tool->executeCalls.size(), 3u);
}

// A channel that is ready but hands out no command.
class EmptyToolCmd : public RecordingToolCmd {
public:
    EmptyToolCmd() : RecordingToolCmd(true) {}
    boost::shared_ptr<Veltra::Penwork::ToolIPC::IToolCommandImpl> GetCommand() override { return {}; }
};

TEST_F(TransparencyActionTest, AMissingCommandIsReportedNotCalled) {
    auto action = ActionTransparencyCommandImpl::Factory(B(OLESTR("T")), boost::make_shared<EmptyToolCmd>());
    EXPECT_THROW(action->Invoke(_bstr_t(), {}), std::runtime_error);
}

}  // namespace
