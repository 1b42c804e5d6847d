// The classes of the maker's vutil library the library uses: the window
// finder and the BSTR allocation helper. Both go through the host seam
// (host_services.h).
#pragma once

#include <string>

#include <boost/shared_ptr.hpp>

#include "platform/wintypes.h"

namespace Veltra {
namespace Util {

namespace Windows {

// Finds the window of the hosting application. Callers build one, call
// FindWindowW once and let it go.
class WindowFinderImpl {
public:
    static boost::shared_ptr<WindowFinderImpl> Ctor(bool first, bool second, const std::wstring& key);
    virtual ~WindowFinderImpl();

    // The window the finder was built to find, or null when there is none.
    HWND FindWindowW();

private:
    WindowFinderImpl(bool first, bool second, const std::wstring& key);

    bool first_;
    bool second_;
    std::wstring key_;
};

}  // namespace Windows

namespace COM {

class BSTRUtil {
public:
    // Stores a newly allocated BSTR copy of `text` (which may be null) through
    // `out`. The adaptors return the result to Office unchanged.
    static HRESULT HrAllocString(OLECHAR** out, OLECHAR* text);
};

}  // namespace COM

}  // namespace Util
}  // namespace Veltra
