#pragma once

// The one catch-all shape shared by every adaptor operation that Office can
// reach: whatever the body throws is turned into one log line for the host and
// the result S_FALSE, so no exception ever crosses into Office.
//
// Log line formats (8-bit text):
//   "Exception in <Class>::<operation>: <what()>"  for a std::exception
//   "Unknown exception in <Class>::<operation>"    for anything else (including
//                                                   _com_error, which is not a
//                                                   std::exception)

#include <exception>
#include <string>

#include "adaptors/host/host_objects.h"
#include "adaptors/host/vutil.h"
#include "platform/comutil.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {
namespace Boundary {

// Hands one line to the host's logger. The logger is the host's: when it is
// missing or fails itself there is nowhere left to report, so this never throws.
inline void LogLine(Veltra::Util::Log::ILogInfoImpl* log, const std::string& message) noexcept {
    try {
        if (log) log->Log(message);
    } catch (...) {
    }
}

// Logs an adaptor failure; `what` is null for an exception of unknown type.
inline void LogFailure(Veltra::Util::Log::ILogInfoImpl* log, const char* className, const char* operation,
                       const char* what) noexcept {
    try {
        const std::string where = std::string(className) + "::" + operation;
        LogLine(log, what ? "Exception in " + where + ": " + what : "Unknown exception in " + where);
    } catch (...) {
        // Building the line itself ran out of memory; nothing more can be done.
    }
}

// Runs `body` (returning an HRESULT); anything it throws is logged and S_FALSE
// returned instead.
template <class Body>
HRESULT Guarded(Veltra::Util::Log::ILogInfoImpl* log, const char* className, const char* operation, Body body) {
    try {
        return body();
    } catch (const std::exception& e) {
        LogFailure(log, className, operation, e.what());
    } catch (...) {
        LogFailure(log, className, operation, nullptr);
    }
    return S_FALSE;
}

// Stores a new BSTR copy of `text` through the host's allocation routine and
// returns that routine's result.
inline HRESULT StoreString(BSTR* out, const OLECHAR* text) {
    _bstr_t copy(text);
    return Veltra::Util::COM::BSTRUtil::HrAllocString(out, copy);
}

}  // namespace Boundary
}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
