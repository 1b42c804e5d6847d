// The Office smart-tag interfaces the adaptors call, as abstract classes.
//
// These mirror the published COM interfaces: same names, same member names
// and parameters, reference counting through IUnknown. Only the members this
// library calls are declared (plus IUnknown's); the in-memory implementations
// in in_memory_site.h serve the tests and the host program.
//
// Ownership follows COM: a pointer received as an argument is borrowed for
// the call; a pointer returned through an out-parameter carries one reference
// the receiver must Release; BSTRs returned through out-parameters belong to
// the receiver, BSTRs passed in stay the caller's.
#pragma once

#include "platform/wintypes.h"

#if defined(_WIN32)
#include <unknwn.h>
#include <oaidl.h>
#else

struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppvObject) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;

protected:
    ~IUnknown() = default;
};

// Office hands IDispatch pointers through but the library never calls
// automation members on them.
struct IDispatch : IUnknown {
protected:
    ~IDispatch() = default;
};

extern const IID IID_IUnknown;
extern const IID IID_IDispatch;

#endif  // _WIN32

// Kinds of text Office hands to a recognizer.
enum IF_TYPE {
    IF_TYPE_CHAR = 1,
    IF_TYPE_SINGLE_WD = 2,
    IF_TYPE_REGEXP = 4,
    IF_TYPE_PARA = 8,
    IF_TYPE_CELL = 16,
};

// A tag's property bag: ordered key/value pairs of strings.
struct ISmartTagProperties : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Read(BSTR key, BSTR* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Write(BSTR key, BSTR value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Count(INT* count) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_KeyFromIndex(INT index, BSTR* key) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ValueFromIndex(INT index, BSTR* value) = 0;

protected:
    ~ISmartTagProperties() = default;
};

// Where a recognizer commits the tags it finds in one run of text.
struct ISmartTagRecognizerSite : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE CommitSmartTag(BSTR strSmartTagName, INT iStart, INT iLength,
                                   ISmartTagProperties* pProperties) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNewPropertyBag(ISmartTagProperties** ppProperty) = 0;

protected:
    ~ISmartTagRecognizerSite() = default;
};

// The version-2 site. It extends the first one here, so a version-2 site can
// be used wherever the first is expected.
struct ISmartTagRecognizerSite2 : ISmartTagRecognizerSite {
    virtual HRESULT STDMETHODCALLTYPE CommitSmartTag2(BSTR bstrType, INT Start, INT Length,
                                    ISmartTagProperties* Properties) = 0;

protected:
    ~ISmartTagRecognizerSite2() = default;
};

// Office's tokenization of the text; the library passes it along unread.
struct ISmartTagTokenList : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Count(INT* count) = 0;

protected:
    ~ISmartTagTokenList() = default;
};
