// BSTR allocation functions (OLE Automation), for builds without <oleauto.h>.
//
// A BSTR points at the first UTF-16 code unit of a buffer that is preceded by
// its length in bytes (32 bits) and followed by a NUL, exactly as on Windows.
// A null BSTR is a valid empty string for SysStringLen and SysFreeString.
// Whoever receives a BSTR from SysAlloc* owns it and frees it with
// SysFreeString.
//
// Off Windows the allocator also counts allocations and frees, and can be told
// to fail, so tests can prove that every string is freed exactly once and can
// provoke the out-of-memory paths (see smarttag::platform below). On Windows
// the real OLE Automation allocator is used, which offers neither: there
// AllocationCountersAvailable() is false, the counters stay at zero and a
// failure scope has no effect, so tests that need them skip themselves.
#pragma once

#include "platform/export.h"
#include "platform/wintypes.h"

#if !defined(_WIN32)

SMARTTAG_EXPORT BSTR SysAllocString(const OLECHAR* psz);
SMARTTAG_EXPORT BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui);
SMARTTAG_EXPORT BSTR SysAllocStringByteLen(const char* psz, UINT len);
SMARTTAG_EXPORT void SysFreeString(BSTR bstrString);
SMARTTAG_EXPORT UINT SysStringLen(BSTR pbstr);
SMARTTAG_EXPORT UINT SysStringByteLen(BSTR bstr);

#endif  // !_WIN32

namespace smarttag {
namespace platform {

// True where the counters and failure scopes below work (everywhere but
// Windows).
bool AllocationCountersAvailable();

struct BstrCounters {
    long allocated = 0;  // successful SysAlloc* calls
    long freed = 0;      // SysFreeString calls with a non-null string
    long live() const { return allocated - freed; }
};

// Totals since the process started.
BstrCounters GetBstrCounters();

// While an object of this class lives, the first `succeed` BSTR allocations
// work and every later one returns null, as SysAllocString does when memory
// runs out. Scopes do not nest.
class ScopedBstrAllocationFailure {
public:
    explicit ScopedBstrAllocationFailure(long succeed = 0);
    ~ScopedBstrAllocationFailure();
    ScopedBstrAllocationFailure(const ScopedBstrAllocationFailure&) = delete;
    ScopedBstrAllocationFailure& operator=(const ScopedBstrAllocationFailure&) = delete;
};

}  // namespace platform
}  // namespace smarttag
