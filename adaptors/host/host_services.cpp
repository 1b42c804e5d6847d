#include "adaptors/host/host_services.h"

#include <atomic>

namespace smarttag {
namespace host {

HRESULT HostServices::Initialize(int, HWND) { return S_OK; }
HRESULT HostServices::InitializeOnChild(HWND, HWND) { return S_OK; }
HRESULT HostServices::ActivateTool(SAFEARRAY**) { return S_OK; }
void HostServices::WindowFinderCreated(bool, bool, const std::wstring&) {}
HWND HostServices::FindHostWindow(bool, bool, const std::wstring&) { return nullptr; }
void HostServices::WindowFinderReleased() noexcept {}

HRESULT HostServices::HrAllocString(OLECHAR** out, OLECHAR* text) {
    if (!out) return E_POINTER;
    *out = SysAllocString(text);
    return (*out || !text) ? S_OK : E_OUTOFMEMORY;
}

_bstr_t HostServices::GetUniqueID(const _bstr_t& security) { return security; }
_bstr_t HostServices::InstanceCookie() { return _bstr_t(OLESTR("0")); }

namespace {

HostServices& DefaultServices() {
    static HostServices services;
    return services;
}

std::atomic<HostServices*> g_current{nullptr};

}  // namespace

HostServices& CurrentHostServices() {
    HostServices* current = g_current.load(std::memory_order_acquire);
    return current ? *current : DefaultServices();
}

ScopedHostServices::ScopedHostServices(HostServices& services)
    : previous_(g_current.exchange(&services, std::memory_order_acq_rel)) {}

ScopedHostServices::~ScopedHostServices() { g_current.store(previous_, std::memory_order_release); }

}  // namespace host
}  // namespace smarttag
