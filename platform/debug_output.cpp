#include "platform/debug_output.h"

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

DebugSink SetDebugSink(DebugSink sink) {
    std::lock_guard<std::mutex> lock(SinkMutex());
    DebugSink previous = std::move(Sink());
    Sink() = std::move(sink);
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
