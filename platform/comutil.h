// _bstr_t and _com_error, for builds without <comutil.h>.
//
// _bstr_t is the counted, shared wide string that crosses every interface to
// Office and the host. Copies share one buffer through an atomic reference
// count; the buffer is freed when the last copy goes. A _bstr_t is either null
// (no string at all) or holds a BSTR, which may be empty.
//
// - 8-bit text is converted through the ANSI code page (see codepage.h), both
//   when constructing from `const char*` and when reading `const char*` back;
//   the 8-bit form is made on first use and kept with the shared buffer.
// - Comparison is by UTF-16 code unit, unsigned, the first differing unit
//   deciding; a string that is a prefix of another sorts first; a null string
//   compares equal to an empty one and below every non-empty one. This is the
//   key order of the library's tag maps.
// - Allocation failure throws _com_error(E_OUTOFMEMORY). _com_error is not a
//   std::exception: the adaptors log it as an unknown exception.
#pragma once

#include "platform/bstr.h"
#include "platform/export.h"
#include "platform/wintypes.h"

#if defined(_WIN32)
// The compiler's own _bstr_t and _com_error (comdef.h, whose _com_issue_error
// throws _com_error). They leave the two conversion functions of _com_util
// to a support library, which comutil.cpp supplies: conversion through the
// system ANSI code page, the 8-bit copy allocated with new[] as _bstr_t frees
// it with delete[].
#include <comdef.h>
#include <comutil.h>
#else

#include <atomic>

class SMARTTAG_EXPORT _com_error {
public:
    explicit _com_error(HRESULT hr) noexcept : hr_(hr) {}
    HRESULT Error() const noexcept { return hr_; }
    // A short description of the error code ("Out of memory" ...).
    const char* ErrorMessage() const noexcept;

private:
    HRESULT hr_;
};

[[noreturn]] SMARTTAG_EXPORT void _com_issue_error(HRESULT hr);

namespace _com_util {
// A new BSTR holding `src` converted from the ANSI code page (null for null).
SMARTTAG_EXPORT BSTR ConvertStringToBSTR(const char* src);
// A new[]-allocated ANSI copy of the whole BSTR (null for null).
SMARTTAG_EXPORT char* ConvertBSTRToString(BSTR src);
}  // namespace _com_util

class SMARTTAG_EXPORT _bstr_t {
public:
    _bstr_t() noexcept : data_(nullptr) {}
    _bstr_t(const _bstr_t& other) noexcept;
    _bstr_t(_bstr_t&& other) noexcept : data_(other.data_) { other.data_ = nullptr; }
    _bstr_t(const char* s);
    _bstr_t(const OLECHAR* s);
    // Wraps `bstr`: copies it when `fCopy`, else takes ownership of it.
    _bstr_t(BSTR bstr, bool fCopy);
    ~_bstr_t() { Release(); }

    _bstr_t& operator=(const _bstr_t& other) noexcept;
    _bstr_t& operator=(_bstr_t&& other) noexcept;
    _bstr_t& operator=(const char* s);
    _bstr_t& operator=(const OLECHAR* s);

    _bstr_t& operator+=(const _bstr_t& s);
    _bstr_t operator+(const _bstr_t& s) const;
    friend SMARTTAG_EXPORT _bstr_t operator+(const char* s1, const _bstr_t& s2);
    friend SMARTTAG_EXPORT _bstr_t operator+(const OLECHAR* s1, const _bstr_t& s2);

    operator const OLECHAR*() const noexcept { return data_ ? data_->wide : nullptr; }
    operator OLECHAR*() const noexcept { return data_ ? data_->wide : nullptr; }
    operator const char*() const;
    operator char*() const;

    // True when there is no string (null BSTR); an empty string is not null.
    bool operator!() const noexcept { return !data_ || !data_->wide; }
    bool operator==(const _bstr_t& s) const noexcept { return Compare(s) == 0; }
    bool operator!=(const _bstr_t& s) const noexcept { return Compare(s) != 0; }
    bool operator<(const _bstr_t& s) const noexcept { return Compare(s) < 0; }
    bool operator>(const _bstr_t& s) const noexcept { return Compare(s) > 0; }
    bool operator<=(const _bstr_t& s) const noexcept { return Compare(s) <= 0; }
    bool operator>=(const _bstr_t& s) const noexcept { return Compare(s) >= 0; }

    // Number of UTF-16 code units, embedded NULs included.
    unsigned int length() const noexcept { return data_ ? SysStringLen(data_->wide) : 0; }
    // A new BSTR with the same content (fCopy) or the shared one itself.
    BSTR copy(bool fCopy = true) const;
    void Assign(BSTR s);
    // Takes ownership of `s` without copying.
    void Attach(BSTR s);
    // Gives up ownership of the BSTR; the _bstr_t becomes null. Fails with
    // _com_error(E_POINTER) when the buffer is shared with another copy.
    BSTR Detach();
    // The address of the BSTR, for use as an out-parameter: frees the current
    // string first.
    BSTR* GetAddress();
    BSTR& GetBSTR();

    // Number of _bstr_t sharing this buffer (0 for a default-constructed one).
    unsigned long use_count() const noexcept { return data_ ? data_->refs.load() : 0; }

private:
    struct Data {
        std::atomic<unsigned long> refs{1};
        BSTR wide = nullptr;
        std::atomic<char*> narrow{nullptr};
    };

    explicit _bstr_t(Data* data) noexcept : data_(data) {}
    static Data* NewData(BSTR wide);  // owns `wide`; frees it if this throws
    static _bstr_t Concat(const OLECHAR* a, unsigned la, const OLECHAR* b, unsigned lb);
    void Release() noexcept;
    int Compare(const _bstr_t& s) const noexcept;

    Data* data_;
};

#endif  // !_WIN32
