#include "platform/bstr.h"

#if !defined(_WIN32)

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace {

std::atomic<long> g_allocated{0};
std::atomic<long> g_freed{0};
// Allocations still allowed before failing; negative means no failure scope.
std::atomic<long> g_allowance{-1};

// Largest length that keeps the byte count within 32 bits with room for the
// prefix and the terminator.
constexpr UINT kMaxBytes = 0x7FFFFFF0u;

bool AllocationAllowed() {
    long current = g_allowance.load();
    while (current >= 0) {
        if (current == 0) return false;
        if (g_allowance.compare_exchange_weak(current, current - 1)) return true;
    }
    return true;
}

// Allocates prefix + `bytes` + a two-byte terminator; copies `bytes` bytes from
// `src` when it is non-null, else zero-fills.
BSTR AllocateBytes(const void* src, UINT bytes) {
    if (bytes > kMaxBytes || !AllocationAllowed()) return nullptr;
    const std::size_t total = sizeof(std::uint32_t) + std::size_t(bytes) + sizeof(OLECHAR) + 1;
    auto* block = static_cast<unsigned char*>(std::malloc(total));
    if (!block) return nullptr;
    const std::uint32_t prefix = bytes;
    std::memcpy(block, &prefix, sizeof prefix);
    unsigned char* data = block + sizeof prefix;
    if (src)
        std::memcpy(data, src, bytes);
    else
        std::memset(data, 0, bytes);
    // An odd byte length still ends in a full NUL code unit.
    std::memset(data + bytes, 0, sizeof(OLECHAR) + 1);
    ++g_allocated;
    return reinterpret_cast<BSTR>(data);
}

}  // namespace

BSTR SysAllocString(const OLECHAR* psz) {
    if (!psz) return nullptr;
    UINT len = 0;
    while (psz[len]) ++len;
    return SysAllocStringLen(psz, len);
}

BSTR SysAllocStringLen(const OLECHAR* strIn, UINT ui) {
    if (ui > kMaxBytes / sizeof(OLECHAR)) return nullptr;
    return AllocateBytes(strIn, ui * UINT(sizeof(OLECHAR)));
}

BSTR SysAllocStringByteLen(const char* psz, UINT len) { return AllocateBytes(psz, len); }

void SysFreeString(BSTR bstrString) {
    if (!bstrString) return;
    ++g_freed;
    std::free(reinterpret_cast<unsigned char*>(bstrString) - sizeof(std::uint32_t));
}

UINT SysStringByteLen(BSTR bstr) {
    if (!bstr) return 0;
    std::uint32_t prefix;
    std::memcpy(&prefix, reinterpret_cast<unsigned char*>(bstr) - sizeof prefix, sizeof prefix);
    return prefix;
}

UINT SysStringLen(BSTR pbstr) { return SysStringByteLen(pbstr) / UINT(sizeof(OLECHAR)); }

namespace smarttag {
namespace platform {

bool AllocationCountersAvailable() { return true; }

BstrCounters GetBstrCounters() {
    BstrCounters c;
    c.allocated = g_allocated.load();
    c.freed = g_freed.load();
    return c;
}

ScopedBstrAllocationFailure::ScopedBstrAllocationFailure(long succeed) {
    g_allowance.store(succeed < 0 ? 0 : succeed);
}

ScopedBstrAllocationFailure::~ScopedBstrAllocationFailure() { g_allowance.store(-1); }

}  // namespace platform
}  // namespace smarttag

#endif  // !_WIN32

#if defined(_WIN32)

namespace smarttag {
namespace platform {

// The system allocator can be neither counted nor made to fail.
bool AllocationCountersAvailable() { return false; }
BstrCounters GetBstrCounters() { return BstrCounters(); }
ScopedBstrAllocationFailure::ScopedBstrAllocationFailure(long) {}
ScopedBstrAllocationFailure::~ScopedBstrAllocationFailure() {}

}  // namespace platform
}  // namespace smarttag

#endif  // _WIN32
