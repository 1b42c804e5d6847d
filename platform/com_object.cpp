#include "platform/com_object.h"

#if !defined(_WIN32)
const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
#endif

namespace smarttag {
namespace platform {

namespace {
std::atomic<long> g_live{0};
std::atomic<long> g_addRefs{0};
std::atomic<long> g_releases{0};
}  // namespace

namespace detail {
void CountObject(int delta) { g_live += delta; }
void CountAddRef() { ++g_addRefs; }
void CountRelease() { ++g_releases; }
}  // namespace detail

ComCounters GetComCounters() {
    ComCounters c;
    c.live = g_live.load();
    c.addRefs = g_addRefs.load();
    c.releases = g_releases.load();
    return c;
}

}  // namespace platform
}  // namespace smarttag
