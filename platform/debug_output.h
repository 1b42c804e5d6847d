// OutputDebugStringW, for builds without <windows.h>.
//
// Off Windows the debug stream goes to one process-wide sink, which writes
// nothing unless a test or the host program installs one. ScopedDebugCapture
// collects every line written while it lives, for tests.
//
// On Windows OutputDebugStringW is the system's. While a sink is installed,
// the lines are also handed to it: OutputDebugString reports each line to a
// debugger as a first-chance exception, and a vectored exception handler
// takes those, as a debugger would, before they reach the system's default
// output.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "platform/wintypes.h"

#if !defined(_WIN32)
void OutputDebugStringW(const OLECHAR* lpOutputString);
#endif

namespace smarttag {
namespace platform {

typedef std::function<void(const std::basic_string<OLECHAR>&)> DebugSink;

// Installs `sink` (an empty function restores the silent default) and returns
// the one it replaces.
DebugSink SetDebugSink(DebugSink sink);

class ScopedDebugCapture {
public:
    ScopedDebugCapture();
    ~ScopedDebugCapture();
    ScopedDebugCapture(const ScopedDebugCapture&) = delete;
    ScopedDebugCapture& operator=(const ScopedDebugCapture&) = delete;

    std::vector<std::basic_string<OLECHAR>> Lines() const;

private:
    mutable std::mutex mutex_;
    std::vector<std::basic_string<OLECHAR>> lines_;
    DebugSink previous_;
};

}  // namespace platform
}  // namespace smarttag
