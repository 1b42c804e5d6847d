// In-memory stand-ins for Office's property bag and recognizer site, used by
// the tests and by the host program.
//
// InMemoryPropertyBag keeps its entries in the order first written (writing a
// key again replaces its value in place). InMemoryRecognizerSite hands out new
// bags and records each commit with a snapshot of the bag's entries taken at
// commit time; it keeps no reference to the bag, so a caller that forgets to
// Release one leaves it alive, which the counters in com_object.h reveal.
// Either object can be told to fail an operation with a chosen HRESULT.
//
// Both are created with Create(), which returns a ComPtr holding the first
// reference.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/com_object.h"
#include "platform/comutil.h"

namespace smarttag {
namespace platform {

typedef std::vector<std::pair<_bstr_t, _bstr_t>> PropertyEntries;

class InMemoryPropertyBag : public ComObject<ISmartTagProperties> {
public:
    static ComPtr<InMemoryPropertyBag> Create(PropertyEntries entries = PropertyEntries());

    HRESULT STDMETHODCALLTYPE get_Read(BSTR key, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE Write(BSTR key, BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_Count(INT* count) override;
    HRESULT STDMETHODCALLTYPE get_KeyFromIndex(INT index, BSTR* key) override;
    HRESULT STDMETHODCALLTYPE get_ValueFromIndex(INT index, BSTR* value) override;

    const PropertyEntries& Entries() const { return entries_; }

    enum Operation { kCount, kKeyFromIndex, kValueFromIndex, kWrite };
    // Makes every later call of `op` return `hr` without doing anything.
    void FailWith(Operation op, HRESULT hr);

private:
    InMemoryPropertyBag() = default;
    HRESULT Failure(Operation op) const;

    PropertyEntries entries_;
    std::vector<std::pair<Operation, HRESULT>> failures_;
};

struct CommittedTag {
    _bstr_t name;
    int start = 0;
    int length = 0;
    bool hadBag = false;         // a non-null bag was passed
    PropertyEntries properties;  // the bag's entries at commit time
};

class InMemoryRecognizerSite : public ComObject<ISmartTagRecognizerSite2> {
public:
    static ComPtr<InMemoryRecognizerSite> Create();

    HRESULT STDMETHODCALLTYPE CommitSmartTag(BSTR strSmartTagName, INT iStart, INT iLength,
                           ISmartTagProperties* pProperties) override;
    HRESULT STDMETHODCALLTYPE CommitSmartTag2(BSTR bstrType, INT Start, INT Length, ISmartTagProperties* Properties) override;
    HRESULT STDMETHODCALLTYPE GetNewPropertyBag(ISmartTagProperties** ppProperty) override;

    // GetNewPropertyBag returns `hr`; it hands out a bag too when `withBag`.
    void SetNewPropertyBagResult(HRESULT hr, bool withBag);

    const std::vector<CommittedTag>& Commits() const { return commits_; }
    int BagsHandedOut() const { return bagsHandedOut_; }
    void Clear() { commits_.clear(); }

private:
    InMemoryRecognizerSite() = default;

    std::vector<CommittedTag> commits_;
    HRESULT bagResult_ = S_OK;
    bool bagWithResult_ = true;
    int bagsHandedOut_ = 0;
};

}  // namespace platform
}  // namespace smarttag
