// The tool-proxy functions of the PenworkProxy library, reached through the
// host seam (host_services.h). Results are returned for completeness; no
// caller in the library looks at them.
#pragma once

#include "platform/safearray.h"
#include "platform/wintypes.h"

namespace PenworkProxy {

// Prepares the tool proxy for `window`.
HRESULT Initialize(int reserved, HWND window);
// Binds the tool proxy to `window` (the library passes the same handle twice).
HRESULT InitializeOnChild(HWND window, HWND child);
// Opens the tool named by a one-dimensional array of three BSTRs (tool
// specification, instance cookie, argument). The array stays the caller's.
HRESULT ActivateTool(SAFEARRAY** tool);

}  // namespace PenworkProxy
