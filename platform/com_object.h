// Reference counting for the in-memory COM objects, and a small owning
// pointer for COM interfaces.
//
// ComObject<I> implements IUnknown for an interface chain ending in I: an
// atomic reference count starting at 0, deletion at the last Release, and
// QueryInterface for IUnknown and IDispatch. On Windows, where IDispatch is
// the real one, its automation members answer E_NOTIMPL: nothing in the
// library drives these objects through automation. Every ComObject is counted while
// it lives, and every AddRef/Release is counted, so tests can prove that each
// reference taken was given back (GetComCounters).
//
// ComPtr<I> holds one reference and releases it when it goes.
#pragma once

#include <atomic>
#include <utility>

#include "platform/office_smarttag.h"

namespace smarttag {
namespace platform {

struct ComCounters {
    long live = 0;      // ComObjects constructed and not yet deleted
    long addRefs = 0;   // AddRef calls on any ComObject
    long releases = 0;  // Release calls on any ComObject
};

ComCounters GetComCounters();

namespace detail {
void CountObject(int delta);
void CountAddRef();
void CountRelease();
}  // namespace detail

template <class Interface>
class ComObject : public Interface {
public:
    ComObject() { detail::CountObject(1); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) override {
        if (!ppvObject) return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch) {
            *ppvObject = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *ppvObject = nullptr;
        return E_NOINTERFACE;
    }

    ULONG STDMETHODCALLTYPE AddRef() override {
        detail::CountAddRef();
        return ++refs_;
    }

    ULONG STDMETHODCALLTYPE Release() override {
        detail::CountRelease();
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    ULONG RefCount() const { return refs_.load(); }

#if defined(_WIN32)
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* pctinfo) override {
        if (pctinfo) *pctinfo = 0;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** ppTInfo) override {
        if (ppTInfo) *ppTInfo = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
#endif

protected:
    virtual ~ComObject() { detail::CountObject(-1); }

private:
    std::atomic<ULONG> refs_{0};
};

template <class Interface>
class ComPtr {
public:
    ComPtr() = default;
    // Takes a new reference on `p`.
    explicit ComPtr(Interface* p) : p_(p) {
        if (p_) p_->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p_) {}
    ComPtr(ComPtr&& other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    ~ComPtr() { Reset(); }
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }

    // Adopts `p` without adding a reference (for pointers from out-parameters).
    static ComPtr Attach(Interface* p) {
        ComPtr result;
        result.p_ = p;
        return result;
    }

    void Reset() {
        if (p_) {
            Interface* p = p_;
            p_ = nullptr;
            p->Release();
        }
    }
    // Releases what is held and returns the address for an out-parameter.
    Interface** ReleaseAndGetAddressOf() {
        Reset();
        return &p_;
    }

    Interface* Get() const { return p_; }
    Interface* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    Interface* p_ = nullptr;
};

}  // namespace platform
}  // namespace smarttag
