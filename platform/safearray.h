// One-dimensional OLE Automation arrays of BSTR, for builds without
// <oleauto.h>.
//
// Only what the tool-opening action needs: a vector of VT_BSTR elements,
// access to its data, element get/put, bounds and destruction. As on Windows,
// SafeArrayDestroy frees every BSTR the array holds, so an array whose
// elements merely borrow strings owned elsewhere must not be destroyed without
// clearing them first. Arrays are counted so tests can prove they are freed
// (off Windows only: see AllocationCountersAvailable in bstr.h).
#pragma once

#include "platform/bstr.h"
#include "platform/wintypes.h"

#if !defined(_WIN32)

struct SAFEARRAYBOUND {
    ULONG cElements;
    LONG lLbound;
};

struct SAFEARRAY {
    USHORT cDims;
    USHORT fFeatures;
    ULONG cbElements;
    ULONG cLocks;
    void* pvData;
    SAFEARRAYBOUND rgsabound[1];
};

#define FADF_HAVEVARTYPE 0x0080
#define FADF_BSTR 0x0100

// Returns null for any element type but VT_BSTR, or when memory runs out.
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements);
HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData);
HRESULT SafeArrayUnaccessData(SAFEARRAY* psa);
HRESULT SafeArrayDestroy(SAFEARRAY* psa);
UINT SafeArrayGetDim(SAFEARRAY* psa);
HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound);
HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound);
HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt);
// For VT_BSTR, `pv` receives a new copy (GetElement) or is the BSTR to copy
// into the array (PutElement), as on Windows.
HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv);
HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv);

#endif  // !_WIN32

namespace smarttag {
namespace platform {

struct SafeArrayCounters {
    long created = 0;
    long destroyed = 0;
    long live() const { return created - destroyed; }
};

SafeArrayCounters GetSafeArrayCounters();

}  // namespace platform
}  // namespace smarttag
