// RtdEnvironment of the Veltra.Penwork.Environment library, reached through
// the host seam (host_services.h).
#pragma once

#include "platform/comutil.h"

namespace Veltra {
namespace Penwork {
namespace Environment {

class RtdEnvironment {
public:
    // The text that names the security `security` at the start of a terminal
    // command.
    static _bstr_t GetUniqueID(const _bstr_t& security);
    // Identifies this running instance to a tool being opened.
    static _bstr_t InstanceCookie();
};

}  // namespace Environment
}  // namespace Penwork
}  // namespace Veltra
