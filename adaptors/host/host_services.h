// The seam between the library and the maker's closed libraries.
//
// Every call the library makes into PenworkProxy, vutil and
// Veltra.Penwork.Environment (see penwork_proxy.h, vutil.h, environment.h)
// lands in the HostServices object installed for the process. The base class
// is the quiet default used when nothing is installed: it allocates strings
// for real, finds no window, and does nothing for the tool proxy. Tests and
// the host program install their own (see recording_host.h) for the life of a
// ScopedHostServices; the previous one comes back when the scope ends, so no
// test sees what another left behind.
//
// The installed object is borrowed: it must outlive its scope.
#pragma once

#include <string>

#include "platform/comutil.h"
#include "platform/safearray.h"
#include "platform/wintypes.h"

namespace smarttag {
namespace host {

class HostServices {
public:
    virtual ~HostServices() {}

    // PenworkProxy
    virtual HRESULT Initialize(int reserved, HWND window);
    virtual HRESULT InitializeOnChild(HWND window, HWND child);
    // `tool` points at the caller's array pointer; the array and its strings
    // stay the caller's.
    virtual HRESULT ActivateTool(SAFEARRAY** tool);

    // vutil: a window finder is built, asked once or more, then released.
    virtual void WindowFinderCreated(bool first, bool second, const std::wstring& key);
    virtual HWND FindHostWindow(bool first, bool second, const std::wstring& key);
    virtual void WindowFinderReleased() noexcept;
    // Stores a new BSTR copy of `text` (null stays null) through `out`.
    virtual HRESULT HrAllocString(OLECHAR** out, OLECHAR* text);

    // Veltra.Penwork.Environment
    virtual _bstr_t GetUniqueID(const _bstr_t& security);
    virtual _bstr_t InstanceCookie();
};

// The services currently installed (the default when none is).
HostServices& CurrentHostServices();

class ScopedHostServices {
public:
    explicit ScopedHostServices(HostServices& services);
    ~ScopedHostServices();
    ScopedHostServices(const ScopedHostServices&) = delete;
    ScopedHostServices& operator=(const ScopedHostServices&) = delete;

private:
    HostServices* previous_;
};

}  // namespace host
}  // namespace smarttag
