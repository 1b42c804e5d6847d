// Stand-ins for the closed libraries and the host objects that record what
// they are given and can be told what to answer or to throw. Tests install
// them to check the calls the library makes; the host program installs them
// with an echo so it can print what the real libraries would have been asked.
//
// Every stand-in writes one readable line per call into a Journal; stand-ins
// that share a Journal show the order of calls across objects.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "adaptors/host/host_objects.h"
#include "adaptors/host/host_services.h"
#include "platform/codepage.h"

namespace smarttag {
namespace host {

using platform::OleString;

struct Journal {
    std::vector<std::string> lines;
    std::function<void(const std::string&)> echo;  // called with each line when set
    void Add(const std::string& line);
};

// Readable forms used in journal lines.
std::string Describe(const _bstr_t& text);  // "null" or the text in double quotes, UTF-8
std::string Describe(HWND window);          // "null" or the handle in hex

// Makes an exception thrower from an object to throw.
template <class E>
std::function<void()> Throws(E error) {
    return [error] { throw error; };
}

class RecordingHostServices : public HostServices {
public:
    enum Operation {
        kInitialize,
        kInitializeOnChild,
        kActivateTool,
        kWindowFinderCtor,
        kFindWindow,
        kHrAllocString,
        kGetUniqueID,
        kInstanceCookie
    };

    explicit RecordingHostServices(std::shared_ptr<Journal> journal = std::make_shared<Journal>());

    // After recording the call, `op` runs `thrower` instead of answering.
    void FailWith(Operation op, std::function<void()> thrower) { failures_[op] = std::move(thrower); }

    // Chosen answers.
    HWND window = nullptr;             // what FindWindowW finds
    bool overrideAllocResult = false;  // when set, HrAllocString stores null and returns allocResult
    HRESULT allocResult = S_OK;
    std::function<_bstr_t(const _bstr_t&)> uniqueId;  // default: the security text itself
    _bstr_t cookie = _bstr_t(OLESTR("COOKIE-1"));

    // What was received.
    struct Pair {
        HWND first, second;
    };
    struct InitializeCall {
        int reserved;
        HWND window;
    };
    struct ActivateToolCall {
        bool nullArray = false;  // the pointer, or the array it points at, was null
        UINT dims = 0;
        LONG lowerBound = 0;
        std::vector<_bstr_t> elements;  // copies of the array's strings
    };
    struct FinderCall {
        bool first, second;
        std::wstring key;
    };
    std::vector<InitializeCall> initializeCalls;
    std::vector<Pair> initializeOnChildCalls;
    std::vector<ActivateToolCall> activateToolCalls;
    std::vector<FinderCall> findersCreated;
    int findWindowCalls = 0;
    int findersLive = 0;
    std::vector<_bstr_t> allocatedTexts;
    std::vector<_bstr_t> uniqueIdRequests;
    int cookieRequests = 0;

    std::shared_ptr<Journal> journal;

    HRESULT Initialize(int reserved, HWND window) override;
    HRESULT InitializeOnChild(HWND window, HWND child) override;
    HRESULT ActivateTool(SAFEARRAY** tool) override;
    void WindowFinderCreated(bool first, bool second, const std::wstring& key) override;
    HWND FindHostWindow(bool first, bool second, const std::wstring& key) override;
    void WindowFinderReleased() noexcept override;
    HRESULT HrAllocString(OLECHAR** out, OLECHAR* text) override;
    _bstr_t GetUniqueID(const _bstr_t& security) override;
    _bstr_t InstanceCookie() override;

private:
    void MaybeFail(Operation op);
    std::map<Operation, std::function<void()>> failures_;
};

// ILogInfoImpl keeping every line.
class RecordingLogInfo : public Veltra::Util::Log::ILogInfoImpl {
public:
    explicit RecordingLogInfo(std::shared_ptr<Journal> journal = std::make_shared<Journal>());
    bool Log(const std::string& message) override;

    std::vector<std::string> messages;
    std::function<void()> thrower;  // when set, Log records the line and then calls it
    std::shared_ptr<Journal> journal;
};

// IPersistentSettingReaderImpl answering a chosen value.
class FixedSettingReader : public Veltra::Util::PersistentStorage::IPersistentSettingReaderImpl {
public:
    explicit FixedSettingReader(bool enabled) : enabled(enabled) {}
    bool IsEnabled() override;

    bool enabled;
    int calls = 0;
    std::function<void()> thrower;
};

// IStringListImpl over a vector. Item past the end throws std::out_of_range.
class VectorStringList : public Veltra::Util::Collections::IStringListImpl {
public:
    VectorStringList() = default;
    explicit VectorStringList(std::vector<_bstr_t> items) : items(std::move(items)) {}
    // Builds a list from UTF-8 texts.
    static boost::shared_ptr<VectorStringList> FromUtf8(const std::vector<std::string>& texts);

    std::uint32_t Count() override;
    _bstr_t Item(std::uint32_t index) override;

    std::vector<_bstr_t> items;
    int countCalls = 0;
    int itemCalls = 0;
    std::function<void()> thrower;  // when set, every call runs it first
};

// IToolCmdImpl whose commands record their Execute calls.
class RecordingToolCmd : public Veltra::Penwork::ToolIPC::IToolCmdImpl {
public:
    explicit RecordingToolCmd(bool ready = true, std::shared_ptr<Journal> journal = std::make_shared<Journal>());

    HRESULT Open() override { return S_OK; }
    HRESULT Close() override { return S_OK; }
    HRESULT Attach(HWND) override { return S_OK; }
    HRESULT Detach() override { return S_OK; }
    bool IsReady() override;
    boost::shared_ptr<Veltra::Penwork::ToolIPC::IToolCommandImpl> GetCommand() override;

    struct ExecuteCall {
        int justInitialized;
        _bstr_t args[4];  // copies; a null argument stays null
    };
    bool ready;
    int isReadyCalls = 0;
    int getCommandCalls = 0;
    int commandsLive = 0;
    std::vector<ExecuteCall> executeCalls;
    std::function<void()> thrower;  // when set, IsReady and GetCommand run it first
    std::shared_ptr<Journal> journal;
};

}  // namespace host
}  // namespace smarttag
