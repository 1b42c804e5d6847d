#include "platform/in_memory_site.h"

namespace smarttag {
namespace platform {

ComPtr<InMemoryPropertyBag> InMemoryPropertyBag::Create(PropertyEntries entries) {
    auto* bag = new InMemoryPropertyBag;
    bag->entries_ = std::move(entries);
    return ComPtr<InMemoryPropertyBag>(bag);
}

void InMemoryPropertyBag::FailWith(Operation op, HRESULT hr) { failures_.emplace_back(op, hr); }

HRESULT InMemoryPropertyBag::Failure(Operation op) const {
    for (const auto& f : failures_)
        if (f.first == op) return f.second;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InMemoryPropertyBag::get_Read(BSTR key, BSTR* value) {
    if (!value) return E_POINTER;
    *value = nullptr;
    const _bstr_t wanted(key);
    for (const auto& entry : entries_)
        if (entry.first == wanted) {
            *value = entry.second.copy();
            return S_OK;
        }
    return E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE InMemoryPropertyBag::Write(BSTR key, BSTR value) {
    if (HRESULT hr = Failure(kWrite)) return hr;
    try {
        const _bstr_t k(key), v(value);
        for (auto& entry : entries_)
            if (entry.first == k) {
                entry.second = v;
                return S_OK;
            }
        entries_.emplace_back(k, v);
        return S_OK;
    } catch (const _com_error& e) {
        return e.Error();
    }
}

HRESULT STDMETHODCALLTYPE InMemoryPropertyBag::get_Count(INT* count) {
    if (HRESULT hr = Failure(kCount)) return hr;
    if (!count) return E_POINTER;
    *count = INT(entries_.size());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InMemoryPropertyBag::get_KeyFromIndex(INT index, BSTR* key) {
    if (HRESULT hr = Failure(kKeyFromIndex)) return hr;
    if (!key) return E_POINTER;
    *key = nullptr;
    if (index < 0 || std::size_t(index) >= entries_.size()) return E_INVALIDARG;
    try {
        *key = entries_[std::size_t(index)].first.copy();
    } catch (const _com_error& e) {
        return e.Error();
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InMemoryPropertyBag::get_ValueFromIndex(INT index, BSTR* value) {
    if (HRESULT hr = Failure(kValueFromIndex)) return hr;
    if (!value) return E_POINTER;
    *value = nullptr;
    if (index < 0 || std::size_t(index) >= entries_.size()) return E_INVALIDARG;
    try {
        *value = entries_[std::size_t(index)].second.copy();
    } catch (const _com_error& e) {
        return e.Error();
    }
    return S_OK;
}

ComPtr<InMemoryRecognizerSite> InMemoryRecognizerSite::Create() {
    return ComPtr<InMemoryRecognizerSite>(new InMemoryRecognizerSite);
}

HRESULT STDMETHODCALLTYPE InMemoryRecognizerSite::CommitSmartTag(BSTR strSmartTagName, INT iStart, INT iLength,
                                               ISmartTagProperties* pProperties) {
    CommittedTag tag;
    tag.name = _bstr_t(strSmartTagName, true);
    tag.start = iStart;
    tag.length = iLength;
    tag.hadBag = pProperties != nullptr;
    if (pProperties) {
        INT count = 0;
        if (pProperties->get_Count(&count) == S_OK)
            for (INT i = 0; i < count; ++i) {
                BSTR key = nullptr, value = nullptr;
                pProperties->get_KeyFromIndex(i, &key);
                pProperties->get_ValueFromIndex(i, &value);
                tag.properties.emplace_back(_bstr_t(key, false), _bstr_t(value, false));
            }
    }
    commits_.push_back(std::move(tag));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InMemoryRecognizerSite::CommitSmartTag2(BSTR bstrType, INT Start, INT Length,
                                                ISmartTagProperties* Properties) {
    return CommitSmartTag(bstrType, Start, Length, Properties);
}

HRESULT STDMETHODCALLTYPE InMemoryRecognizerSite::GetNewPropertyBag(ISmartTagProperties** ppProperty) {
    if (!ppProperty) return E_POINTER;
    *ppProperty = nullptr;
    if (bagWithResult_) {
        ComPtr<InMemoryPropertyBag> bag = InMemoryPropertyBag::Create();
        bag->AddRef();  // the caller's reference
        *ppProperty = bag.Get();
        ++bagsHandedOut_;
    }
    return bagResult_;
}

void InMemoryRecognizerSite::SetNewPropertyBagResult(HRESULT hr, bool withBag) {
    bagResult_ = hr;
    bagWithResult_ = withBag;
}

}  // namespace platform
}  // namespace smarttag
