#include "platform/safearray.h"

#if !defined(_WIN32)

#include <atomic>
#include <new>

namespace {

std::atomic<long> g_created{0};
std::atomic<long> g_destroyed{0};

BSTR* Elements(SAFEARRAY* psa) { return static_cast<BSTR*>(psa->pvData); }

// Index of `rgIndices[0]` within the data, or -1 when out of bounds.
long Offset(SAFEARRAY* psa, const LONG* rgIndices) {
    const long index = long(rgIndices[0]) - long(psa->rgsabound[0].lLbound);
    if (index < 0 || index >= long(psa->rgsabound[0].cElements)) return -1;
    return index;
}

}  // namespace

SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lLbound, ULONG cElements) {
    if (vt != VT_BSTR) return nullptr;
    auto* psa = new (std::nothrow) SAFEARRAY();
    if (!psa) return nullptr;
    auto* data = new (std::nothrow) BSTR[cElements ? cElements : 1]();
    if (!data) {
        delete psa;
        return nullptr;
    }
    psa->cDims = 1;
    psa->fFeatures = FADF_BSTR | FADF_HAVEVARTYPE;
    psa->cbElements = sizeof(BSTR);
    psa->cLocks = 0;
    psa->pvData = data;
    psa->rgsabound[0].cElements = cElements;
    psa->rgsabound[0].lLbound = lLbound;
    ++g_created;
    return psa;
}

HRESULT SafeArrayAccessData(SAFEARRAY* psa, void** ppvData) {
    if (!psa || !ppvData) return E_INVALIDARG;
    ++psa->cLocks;
    *ppvData = psa->pvData;
    return S_OK;
}

HRESULT SafeArrayUnaccessData(SAFEARRAY* psa) {
    if (!psa) return E_INVALIDARG;
    if (psa->cLocks == 0) return E_UNEXPECTED;
    --psa->cLocks;
    return S_OK;
}

HRESULT SafeArrayDestroy(SAFEARRAY* psa) {
    if (!psa) return S_OK;
    if (psa->cLocks != 0) return DISP_E_ARRAYISLOCKED;
    BSTR* data = Elements(psa);
    for (ULONG i = 0; i < psa->rgsabound[0].cElements; ++i) SysFreeString(data[i]);
    delete[] data;
    delete psa;
    ++g_destroyed;
    return S_OK;
}

UINT SafeArrayGetDim(SAFEARRAY* psa) { return psa ? psa->cDims : 0; }

HRESULT SafeArrayGetLBound(SAFEARRAY* psa, UINT nDim, LONG* plLbound) {
    if (!psa || !plLbound) return E_INVALIDARG;
    if (nDim != 1) return DISP_E_BADINDEX;
    *plLbound = psa->rgsabound[0].lLbound;
    return S_OK;
}

HRESULT SafeArrayGetUBound(SAFEARRAY* psa, UINT nDim, LONG* plUbound) {
    if (!psa || !plUbound) return E_INVALIDARG;
    if (nDim != 1) return DISP_E_BADINDEX;
    *plUbound = LONG(psa->rgsabound[0].lLbound + LONG(psa->rgsabound[0].cElements) - 1);
    return S_OK;
}

HRESULT SafeArrayGetVartype(SAFEARRAY* psa, VARTYPE* pvt) {
    if (!psa || !pvt) return E_INVALIDARG;
    *pvt = VT_BSTR;
    return S_OK;
}

HRESULT SafeArrayGetElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
    if (!psa || !rgIndices || !pv) return E_INVALIDARG;
    const long at = Offset(psa, rgIndices);
    if (at < 0) return DISP_E_BADINDEX;
    BSTR source = Elements(psa)[at];
    BSTR copy = nullptr;
    if (source) {
        copy = SysAllocStringByteLen(reinterpret_cast<const char*>(source), SysStringByteLen(source));
        if (!copy) return E_OUTOFMEMORY;
    }
    *static_cast<BSTR*>(pv) = copy;
    return S_OK;
}

HRESULT SafeArrayPutElement(SAFEARRAY* psa, LONG* rgIndices, void* pv) {
    if (!psa || !rgIndices) return E_INVALIDARG;
    const long at = Offset(psa, rgIndices);
    if (at < 0) return DISP_E_BADINDEX;
    if (psa->cLocks != 0) return DISP_E_ARRAYISLOCKED;
    BSTR source = static_cast<BSTR>(pv);
    BSTR copy = nullptr;
    if (source) {
        copy = SysAllocStringByteLen(reinterpret_cast<const char*>(source), SysStringByteLen(source));
        if (!copy) return E_OUTOFMEMORY;
    }
    SysFreeString(Elements(psa)[at]);
    Elements(psa)[at] = copy;
    return S_OK;
}

namespace smarttag {
namespace platform {

SafeArrayCounters GetSafeArrayCounters() {
    SafeArrayCounters c;
    c.created = g_created.load();
    c.destroyed = g_destroyed.load();
    return c;
}

}  // namespace platform
}  // namespace smarttag

#endif  // !_WIN32

#if defined(_WIN32)

namespace smarttag {
namespace platform {

SafeArrayCounters GetSafeArrayCounters() { return SafeArrayCounters(); }

}  // namespace platform
}  // namespace smarttag

#endif  // _WIN32
