#include "platform/debug_output.h"

#if defined(_WIN32)
#include "platform/codepage.h"
#endif

namespace smarttag {
namespace platform {

namespace {

std::mutex& SinkMutex() {
    static std::mutex mutex;
    return mutex;
}

DebugSink& Sink() {
    static DebugSink sink;
    return sink;
}

}  // namespace

void WriteDebugLine(const OLECHAR* text);

namespace {

#if defined(_WIN32)

// What OutputDebugStringW and OutputDebugStringA raise for a debugger. The
// wide one carries the UTF-16 line in its second parameter; the 8-bit one
// (raised when nobody took the wide one) carries ANSI text.
constexpr DWORD kDebugPrintWide = 0x4001000AUL;
constexpr DWORD kDebugPrintAnsi = 0x40010006UL;

// Only the sink is called here, never OutputDebugString, so the handler
// cannot re-enter itself.
LONG CALLBACK TakeDebugLine(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
    if (record->ExceptionCode == kDebugPrintWide) {
        WriteDebugLine(reinterpret_cast<const OLECHAR*>(record->ExceptionInformation[1]));
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    if (record->ExceptionCode == kDebugPrintAnsi) {
        const char* text = reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        const OleString wide = AnsiToWide(text ? std::string(text) : std::string());
        WriteDebugLine(wide.c_str());
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

// Registered while a sink is installed.
void* g_handler = nullptr;

void WatchDebugOutput(bool on) {
    if (on && !g_handler) g_handler = AddVectoredExceptionHandler(1, TakeDebugLine);
    if (!on && g_handler) {
        RemoveVectoredExceptionHandler(g_handler);
        g_handler = nullptr;
    }
}

#endif  // _WIN32

}  // namespace

DebugSink SetDebugSink(DebugSink sink) {
    std::lock_guard<std::mutex> lock(SinkMutex());
    DebugSink previous = std::move(Sink());
    Sink() = std::move(sink);
#if defined(_WIN32)
    WatchDebugOutput(bool(Sink()));
#endif
    return previous;
}

ScopedDebugCapture::ScopedDebugCapture() {
    previous_ = SetDebugSink([this](const std::basic_string<OLECHAR>& line) {
        std::lock_guard<std::mutex> lock(mutex_);
        lines_.push_back(line);
    });
}

ScopedDebugCapture::~ScopedDebugCapture() { SetDebugSink(std::move(previous_)); }

std::vector<std::basic_string<OLECHAR>> ScopedDebugCapture::Lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
}

// Called by OutputDebugStringW; holds the sink lock while the sink runs so a
// capture cannot go away under a writer.
void WriteDebugLine(const OLECHAR* text) {
    std::lock_guard<std::mutex> lock(SinkMutex());
    if (Sink()) Sink()(text ? std::basic_string<OLECHAR>(text) : std::basic_string<OLECHAR>());
}

}  // namespace platform
}  // namespace smarttag

#if !defined(_WIN32)
void OutputDebugStringW(const OLECHAR* lpOutputString) { smarttag::platform::WriteDebugLine(lpOutputString); }
#endif
