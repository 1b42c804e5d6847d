#include "adaptors/host/recording_host.h"

#include <cstdio>
#include <stdexcept>

namespace smarttag {
namespace host {

void Journal::Add(const std::string& line) {
    lines.push_back(line);
    if (echo) echo(line);
}

std::string Describe(const _bstr_t& text) {
    if (!text) return "null";
    return "\"" + platform::WideToUtf8(static_cast<const OLECHAR*>(text), text.length()) + "\"";
}

std::string Describe(HWND window) {
    if (!window) return "null";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%#llx", static_cast<unsigned long long>(reinterpret_cast<std::uintptr_t>(window)));
    return buffer;
}

namespace {
std::string DescribeKey(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += (c < 0x80) ? char(c) : '?';
    return "\"" + out + "\"";
}
const char* DescribeFlag(bool flag) { return flag ? "true" : "false"; }
}  // namespace

RecordingHostServices::RecordingHostServices(std::shared_ptr<Journal> journal) : journal(std::move(journal)) {}

void RecordingHostServices::MaybeFail(Operation op) {
    auto it = failures_.find(op);
    if (it != failures_.end() && it->second) it->second();
}

HRESULT RecordingHostServices::Initialize(int reserved, HWND window) {
    initializeCalls.push_back({reserved, window});
    journal->Add("PenworkProxy::Initialize(" + std::to_string(reserved) + ", " + Describe(window) + ")");
    MaybeFail(kInitialize);
    return S_OK;
}

HRESULT RecordingHostServices::InitializeOnChild(HWND window, HWND child) {
    initializeOnChildCalls.push_back({window, child});
    journal->Add("PenworkProxy::InitializeOnChild(" + Describe(window) + ", " + Describe(child) + ")");
    MaybeFail(kInitializeOnChild);
    return S_OK;
}

HRESULT RecordingHostServices::ActivateTool(SAFEARRAY** tool) {
    ActivateToolCall call;
    SAFEARRAY* psa = tool ? *tool : nullptr;
    call.nullArray = psa == nullptr;
    if (psa) {
        call.dims = SafeArrayGetDim(psa);
        SafeArrayGetLBound(psa, 1, &call.lowerBound);
        void* data = nullptr;
        if (SafeArrayAccessData(psa, &data) == S_OK) {
            const BSTR* items = static_cast<const BSTR*>(data);
            for (ULONG i = 0; i < psa->rgsabound[0].cElements; ++i) call.elements.emplace_back(items[i], true);
            SafeArrayUnaccessData(psa);
        }
    }
    std::string line = "PenworkProxy::ActivateTool([";
    for (std::size_t i = 0; i < call.elements.size(); ++i) line += (i ? ", " : "") + Describe(call.elements[i]);
    journal->Add(line + "])");
    activateToolCalls.push_back(std::move(call));
    MaybeFail(kActivateTool);
    return S_OK;
}

void RecordingHostServices::WindowFinderCreated(bool first, bool second, const std::wstring& key) {
    findersCreated.push_back({first, second, key});
    journal->Add(std::string("WindowFinderImpl::Ctor(") + DescribeFlag(first) + ", " + DescribeFlag(second) + ", " +
                 DescribeKey(key) + ")");
    MaybeFail(kWindowFinderCtor);
    ++findersLive;
}

HWND RecordingHostServices::FindHostWindow(bool, bool, const std::wstring&) {
    ++findWindowCalls;
    journal->Add("WindowFinderImpl::FindWindowW() -> " + Describe(window));
    MaybeFail(kFindWindow);
    return window;
}

void RecordingHostServices::WindowFinderReleased() noexcept { --findersLive; }

HRESULT RecordingHostServices::HrAllocString(OLECHAR** out, OLECHAR* text) {
    allocatedTexts.emplace_back(text);
    MaybeFail(kHrAllocString);
    if (overrideAllocResult) {
        if (out) *out = nullptr;
        return allocResult;
    }
    return HostServices::HrAllocString(out, text);
}

_bstr_t RecordingHostServices::GetUniqueID(const _bstr_t& security) {
    uniqueIdRequests.push_back(security);
    MaybeFail(kGetUniqueID);
    _bstr_t id = uniqueId ? uniqueId(security) : security;
    journal->Add("RtdEnvironment::GetUniqueID(" + Describe(security) + ") -> " + Describe(id));
    return id;
}

_bstr_t RecordingHostServices::InstanceCookie() {
    ++cookieRequests;
    MaybeFail(kInstanceCookie);
    journal->Add("RtdEnvironment::InstanceCookie() -> " + Describe(cookie));
    return cookie;
}

RecordingLogInfo::RecordingLogInfo(std::shared_ptr<Journal> journal) : journal(std::move(journal)) {}

bool RecordingLogInfo::Log(const std::string& message) {
    messages.push_back(message);
    journal->Add("Log: " + message);
    if (thrower) thrower();
    return true;
}

bool FixedSettingReader::IsEnabled() {
    ++calls;
    if (thrower) thrower();
    return enabled;
}

boost::shared_ptr<VectorStringList> VectorStringList::FromUtf8(const std::vector<std::string>& texts) {
    auto list = boost::shared_ptr<VectorStringList>(new VectorStringList);
    for (const auto& text : texts) list->items.emplace_back(platform::Utf8ToWide(text).c_str());
    return list;
}

std::uint32_t VectorStringList::Count() {
    ++countCalls;
    if (thrower) thrower();
    return std::uint32_t(items.size());
}

_bstr_t VectorStringList::Item(std::uint32_t index) {
    ++itemCalls;
    if (thrower) thrower();
    if (index >= items.size()) throw std::out_of_range("string list index out of range");
    return items[index];
}

namespace {

class RecordingToolCommand : public Veltra::Penwork::ToolIPC::IToolCommandImpl {
public:
    explicit RecordingToolCommand(RecordingToolCmd& owner) : owner_(owner) { ++owner_.commandsLive; }
    ~RecordingToolCommand() override { --owner_.commandsLive; }

    _bstr_t Name() override { return _bstr_t(OLESTR("RecordingToolCommand")); }

    HRESULT Execute(int justInitialized, BSTR arg1, BSTR arg2, BSTR arg3, BSTR arg4) override {
        RecordingToolCmd::ExecuteCall call;
        call.justInitialized = justInitialized;
        BSTR args[4] = {arg1, arg2, arg3, arg4};
        std::string line = "IToolCommandImpl::Execute(" + std::to_string(justInitialized);
        for (int i = 0; i < 4; ++i) {
            call.args[i] = _bstr_t(args[i], true);
            line += ", " + Describe(call.args[i]);
        }
        owner_.executeCalls.push_back(call);
        owner_.journal->Add(line + ")");
        return S_OK;
    }

private:
    RecordingToolCmd& owner_;
};

}  // namespace

RecordingToolCmd::RecordingToolCmd(bool ready, std::shared_ptr<Journal> journal)
    : ready(ready), journal(std::move(journal)) {}

bool RecordingToolCmd::IsReady() {
    ++isReadyCalls;
    if (thrower) thrower();
    journal->Add(std::string("IToolCmdImpl::IsReady() -> ") + (ready ? "true" : "false"));
    return ready;
}

boost::shared_ptr<Veltra::Penwork::ToolIPC::IToolCommandImpl> RecordingToolCmd::GetCommand() {
    ++getCommandCalls;
    if (thrower) thrower();
    journal->Add("IToolCmdImpl::GetCommand()");
    return boost::shared_ptr<Veltra::Penwork::ToolIPC::IToolCommandImpl>(new RecordingToolCommand(*this));
}

}  // namespace host
}  // namespace smarttag
