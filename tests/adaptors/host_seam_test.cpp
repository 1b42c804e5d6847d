#include <stdexcept>
#include <type_traits>

#include <gtest/gtest.h>

#include "adaptors/host/environment.h"
#include "adaptors/host/penwork_proxy.h"
#include "adaptors/host/recording_host.h"
#include "adaptors/host/vutil.h"

using namespace smarttag::host;
using Veltra::Penwork::Environment::RtdEnvironment;
using Veltra::Util::COM::BSTRUtil;
using Veltra::Util::Windows::WindowFinderImpl;

namespace {

HWND FakeWindow(std::uintptr_t value) { return reinterpret_cast<HWND>(value); }

TEST(HostSeamTest, ScopesInstallAndRestoreInOrder) {
    HostServices* outside = &CurrentHostServices();
    RecordingHostServices outer, inner;
    {
        ScopedHostServices a(outer);
        {
            ScopedHostServices b(inner);
            EXPECT_EQ(&CurrentHostServices(), &inner);
        }
        EXPECT_EQ(&CurrentHostServices(), &outer);
    }
    EXPECT_EQ(&CurrentHostServices(), outside);
}

TEST(HostSeamTest, DefaultServicesAllocateAndFindNothing) {
    BSTR out = nullptr;
    _bstr_t text(OLESTR("Veltra.STRecognizer"));
    ASSERT_EQ(BSTRUtil::HrAllocString(&out, text), S_OK);
    EXPECT_EQ(_bstr_t(out, false), text);
    out = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(BSTRUtil::HrAllocString(&out, nullptr), S_OK);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(BSTRUtil::HrAllocString(nullptr, text), E_POINTER);

    EXPECT_EQ(WindowFinderImpl::Ctor(false, true, L"xl")->FindWindowW(), nullptr);
    EXPECT_EQ(RtdEnvironment::GetUniqueID(_bstr_t(OLESTR("IBM US Equity"))), _bstr_t(OLESTR("IBM US Equity")));
}

TEST(HostSeamTest, RecordingServicesSeeEveryCall) {
    RecordingHostServices services;
    services.window = FakeWindow(0x1234);
    services.uniqueId = [](const _bstr_t& s) { return _bstr_t(OLESTR("ID:")) + s; };
    ScopedHostServices scope(services);

    {
        auto finder = WindowFinderImpl::Ctor(false, true, L"xl");
        EXPECT_EQ(services.findersLive, 1);
        EXPECT_EQ(finder->FindWindowW(), FakeWindow(0x1234));
    }
    ASSERT_EQ(services.findersCreated.size(), 1u);
    EXPECT_FALSE(services.findersCreated[0].first);
    EXPECT_TRUE(services.findersCreated[0].second);
    EXPECT_EQ(services.findersCreated[0].key, L"xl");
    EXPECT_EQ(services.findersLive, 0);

    PenworkProxy::Initialize(0, FakeWindow(0x1234));
    PenworkProxy::InitializeOnChild(FakeWindow(7), FakeWindow(7));
    EXPECT_EQ(RtdEnvironment::GetUniqueID(_bstr_t(OLESTR("X"))), _bstr_t(OLESTR("ID:X")));
    EXPECT_EQ(RtdEnvironment::InstanceCookie(), services.cookie);

    // The tool array is read, not taken: the caller still owns and frees it.
    SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, 0, 3);
    LONG index = 2;
    SafeArrayPutElement(psa, &index, static_cast<BSTR>(_bstr_t(OLESTR("S1"))));
    PenworkProxy::ActivateTool(&psa);
    ASSERT_EQ(services.activateToolCalls.size(), 1u);
    const auto& call = services.activateToolCalls[0];
    EXPECT_EQ(call.dims, 1u);
    EXPECT_EQ(call.lowerBound, 0);
    ASSERT_EQ(call.elements.size(), 3u);
    EXPECT_TRUE(!call.elements[0]);
    EXPECT_EQ(call.elements[2], _bstr_t(OLESTR("S1")));
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);

    EXPECT_EQ(services.journal->lines,
              (std::vector<std::string>{"WindowFinderImpl::Ctor(false, true, \"xl\")",
                                        "WindowFinderImpl::FindWindowW() -> 0x1234",
                                        "PenworkProxy::Initialize(0, 0x1234)",
                                        "PenworkProxy::InitializeOnChild(0x7, 0x7)",
                                        "RtdEnvironment::GetUniqueID(\"X\") -> \"ID:X\"",
                                        "RtdEnvironment::InstanceCookie() -> \"COOKIE-1\"",
                                        "PenworkProxy::ActivateTool([null, null, \"S1\"])"}));
}

TEST(HostSeamTest, ChosenResultsAndFailures) {
    RecordingHostServices services;
    ScopedHostServices scope(services);

    services.overrideAllocResult = true;
    services.allocResult = E_OUTOFMEMORY;
    BSTR out = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(BSTRUtil::HrAllocString(&out, _bstr_t(OLESTR("x"))), E_OUTOFMEMORY);
    EXPECT_EQ(out, nullptr);

    services.FailWith(RecordingHostServices::kGetUniqueID, Throws(std::runtime_error("no terminal")));
    EXPECT_THROW(RtdEnvironment::GetUniqueID(_bstr_t(OLESTR("X"))), std::runtime_error);
    services.FailWith(RecordingHostServices::kWindowFinderCtor, Throws(42));
    EXPECT_THROW(WindowFinderImpl::Ctor(false, true, L"xl"), int);
    EXPECT_EQ(services.findersLive, 0) << "a finder that failed to build is not counted as live";
}

TEST(HostSeamTest, MessageQueueExceptionIsAStandardException) {
    static_assert(std::is_base_of<std::runtime_error, Veltra::Util::IPC::MessageQueueException>::value,
                  "the action adaptor catches it before its std::exception handler");
    Veltra::Util::IPC::MessageQueueException e("queue down");
    EXPECT_STREQ(e.what(), "queue down");
}

TEST(HostSeamTest, ToolChannelRecordsCommands) {
    auto journal = std::make_shared<Journal>();
    RecordingToolCmd tool(false, journal);
    EXPECT_FALSE(tool.IsReady());
    {
        auto command = tool.GetCommand();
        EXPECT_EQ(tool.commandsLive, 1);
        _bstr_t empty(OLESTR(""));
        command->Execute(1, empty, empty, empty, nullptr);
    }
    EXPECT_EQ(tool.commandsLive, 0);
    ASSERT_EQ(tool.executeCalls.size(), 1u);
    EXPECT_EQ(tool.executeCalls[0].justInitialized, 1);
    EXPECT_FALSE(!tool.executeCalls[0].args[0]);
    EXPECT_TRUE(!tool.executeCalls[0].args[3]);
    EXPECT_EQ(journal->lines.back(), "IToolCommandImpl::Execute(1, \"\", \"\", \"\", null)");
}

}  // namespace
