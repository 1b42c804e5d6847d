// The closed libraries' entry points, each forwarding to the installed host
// services.
#include "adaptors/host/environment.h"
#include "adaptors/host/host_services.h"
#include "adaptors/host/penwork_proxy.h"
#include "adaptors/host/vutil.h"

using smarttag::host::CurrentHostServices;

namespace PenworkProxy {

HRESULT Initialize(int reserved, HWND window) { return CurrentHostServices().Initialize(reserved, window); }

HRESULT InitializeOnChild(HWND window, HWND child) {
    return CurrentHostServices().InitializeOnChild(window, child);
}

HRESULT ActivateTool(SAFEARRAY** tool) { return CurrentHostServices().ActivateTool(tool); }

}  // namespace PenworkProxy

namespace Veltra {
namespace Util {

namespace Windows {

WindowFinderImpl::WindowFinderImpl(bool first, bool second, const std::wstring& key)
    : first_(first), second_(second), key_(key) {}

boost::shared_ptr<WindowFinderImpl> WindowFinderImpl::Ctor(bool first, bool second, const std::wstring& key) {
    CurrentHostServices().WindowFinderCreated(first, second, key);
    return boost::shared_ptr<WindowFinderImpl>(new WindowFinderImpl(first, second, key));
}

WindowFinderImpl::~WindowFinderImpl() { CurrentHostServices().WindowFinderReleased(); }

HWND WindowFinderImpl::FindWindowW() { return CurrentHostServices().FindHostWindow(first_, second_, key_); }

}  // namespace Windows

namespace COM {

HRESULT BSTRUtil::HrAllocString(OLECHAR** out, OLECHAR* text) {
    return CurrentHostServices().HrAllocString(out, text);
}

}  // namespace COM

}  // namespace Util

namespace Penwork {
namespace Environment {

_bstr_t RtdEnvironment::GetUniqueID(const _bstr_t& security) { return CurrentHostServices().GetUniqueID(security); }

_bstr_t RtdEnvironment::InstanceCookie() { return CurrentHostServices().InstanceCookie(); }

}  // namespace Environment
}  // namespace Penwork
}  // namespace Veltra
