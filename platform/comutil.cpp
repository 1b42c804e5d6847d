#include "platform/comutil.h"

#include <cstring>
#include <new>

#include "platform/codepage.h"

#if defined(_WIN32)

namespace _com_util {

BSTR WINAPI ConvertStringToBSTR(const char* pSrc) {
    if (!pSrc) return nullptr;
    const int bytes = int(std::strlen(pSrc));
    const int units = bytes ? MultiByteToWideChar(CP_ACP, 0, pSrc, bytes, nullptr, 0) : 0;
    if (bytes && !units) _com_issue_error(HRESULT_FROM_WIN32(GetLastError()));
    BSTR out = SysAllocStringLen(nullptr, UINT(units));
    if (!out) _com_issue_error(E_OUTOFMEMORY);
    if (units) MultiByteToWideChar(CP_ACP, 0, pSrc, bytes, out, units);
    return out;
}

char* WINAPI ConvertBSTRToString(BSTR pSrc) {
    if (!pSrc) return nullptr;
    // The whole string plus its terminator, so embedded NULs survive too.
    const int units = int(SysStringLen(pSrc)) + 1;
    const int bytes = WideCharToMultiByte(CP_ACP, 0, pSrc, units, nullptr, 0, nullptr, nullptr);
    if (!bytes) _com_issue_error(HRESULT_FROM_WIN32(GetLastError()));
    char* out = new (std::nothrow) char[std::size_t(bytes)];
    if (!out) _com_issue_error(E_OUTOFMEMORY);
    WideCharToMultiByte(CP_ACP, 0, pSrc, units, out, bytes, nullptr, nullptr);
    return out;
}

}  // namespace _com_util

#else

const char* _com_error::ErrorMessage() const noexcept {
    switch (hr_) {
    case E_OUTOFMEMORY: return "Out of memory";
    case E_POINTER: return "Invalid pointer";
    case E_INVALIDARG: return "Invalid argument";
    case E_ACCESSDENIED: return "Access denied";
    case E_FAIL: return "Unspecified error";
    default: return "Unknown error";
    }
}

void _com_issue_error(HRESULT hr) { throw _com_error(hr); }

namespace _com_util {

BSTR ConvertStringToBSTR(const char* src) {
    if (!src) return nullptr;
    const int bytes = int(std::strlen(src));
    const int units = bytes ? MultiByteToWideChar(CP_ACP, 0, src, bytes, nullptr, 0) : 0;
    BSTR out = SysAllocStringLen(nullptr, UINT(units));
    if (!out) _com_issue_error(E_OUTOFMEMORY);
    if (units) MultiByteToWideChar(CP_ACP, 0, src, bytes, out, units);
    return out;
}

char* ConvertBSTRToString(BSTR src) {
    if (!src) return nullptr;
    // The whole string plus its terminator, so embedded NULs survive too.
    const int units = int(SysStringLen(src)) + 1;
    const int bytes = WideCharToMultiByte(CP_ACP, 0, src, units, nullptr, 0, nullptr, nullptr);
    char* out = new (std::nothrow) char[std::size_t(bytes > 0 ? bytes : 1)];
    if (!out) _com_issue_error(E_OUTOFMEMORY);
    if (bytes > 0)
        WideCharToMultiByte(CP_ACP, 0, src, units, out, bytes, nullptr, nullptr);
    else
        out[0] = '\0';
    return out;
}

}  // namespace _com_util

_bstr_t::Data* _bstr_t::NewData(BSTR wide) {
    Data* data = new (std::nothrow) Data;
    if (!data) {
        SysFreeString(wide);
        _com_issue_error(E_OUTOFMEMORY);
    }
    data->wide = wide;
    return data;
}

_bstr_t::_bstr_t(const _bstr_t& other) noexcept : data_(other.data_) {
    if (data_) data_->refs.fetch_add(1, std::memory_order_relaxed);
}

_bstr_t::_bstr_t(const char* s) : data_(NewData(_com_util::ConvertStringToBSTR(s))) {}

_bstr_t::_bstr_t(const OLECHAR* s) : data_(nullptr) {
    BSTR wide = SysAllocString(s);
    if (!wide && s) _com_issue_error(E_OUTOFMEMORY);
    data_ = NewData(wide);
}

_bstr_t::_bstr_t(BSTR bstr, bool fCopy) : data_(nullptr) {
    BSTR wide = bstr;
    if (fCopy && bstr) {
        wide = SysAllocStringByteLen(reinterpret_cast<const char*>(bstr), SysStringByteLen(bstr));
        if (!wide) _com_issue_error(E_OUTOFMEMORY);
    }
    data_ = NewData(wide);
}

void _bstr_t::Release() noexcept {
    if (!data_) return;
    if (data_->refs.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        SysFreeString(data_->wide);
        delete[] data_->narrow.load();
        delete data_;
    }
    data_ = nullptr;
}

_bstr_t& _bstr_t::operator=(const _bstr_t& other) noexcept {
    if (data_ != other.data_) {
        _bstr_t copy(other);
        std::swap(data_, copy.data_);
    }
    return *this;
}

_bstr_t& _bstr_t::operator=(_bstr_t&& other) noexcept {
    if (this != &other) {
        Release();
        data_ = other.data_;
        other.data_ = nullptr;
    }
    return *this;
}

_bstr_t& _bstr_t::operator=(const char* s) {
    _bstr_t fresh(s);
    std::swap(data_, fresh.data_);
    return *this;
}

_bstr_t& _bstr_t::operator=(const OLECHAR* s) {
    if (!data_ || s != data_->wide) {
        _bstr_t fresh(s);
        std::swap(data_, fresh.data_);
    }
    return *this;
}

_bstr_t _bstr_t::Concat(const OLECHAR* a, unsigned la, const OLECHAR* b, unsigned lb) {
    BSTR wide = SysAllocStringLen(nullptr, la + lb);
    if (!wide) _com_issue_error(E_OUTOFMEMORY);
    if (la) std::memcpy(wide, a, la * sizeof(OLECHAR));
    if (lb) std::memcpy(wide + la, b, lb * sizeof(OLECHAR));
    return _bstr_t(NewData(wide));
}

namespace {
unsigned UnitLength(const OLECHAR* s) {
    unsigned n = 0;
    if (s)
        while (s[n]) ++n;
    return n;
}
}  // namespace

_bstr_t& _bstr_t::operator+=(const _bstr_t& s) {
    *this = *this + s;
    return *this;
}

_bstr_t _bstr_t::operator+(const _bstr_t& s) const {
    return Concat(*this, length(), s, s.length());
}

_bstr_t operator+(const char* s1, const _bstr_t& s2) {
    const _bstr_t left(s1);
    return left + s2;
}

_bstr_t operator+(const OLECHAR* s1, const _bstr_t& s2) {
    return _bstr_t::Concat(s1, UnitLength(s1), s2, s2.length());
}

_bstr_t::operator const char*() const {
    if (!data_ || !data_->wide) return nullptr;
    char* narrow = data_->narrow.load(std::memory_order_acquire);
    if (narrow) return narrow;
    char* made = _com_util::ConvertBSTRToString(data_->wide);
    // Another copy on another thread may have made it first; keep theirs.
    if (!data_->narrow.compare_exchange_strong(narrow, made, std::memory_order_acq_rel)) {
        delete[] made;
        return narrow;
    }
    return made;
}

_bstr_t::operator char*() const { return const_cast<char*>(static_cast<const char*>(*this)); }

BSTR _bstr_t::copy(bool fCopy) const {
    if (!data_ || !data_->wide) return nullptr;
    if (!fCopy) return data_->wide;
    BSTR out = SysAllocStringByteLen(reinterpret_cast<const char*>(data_->wide), SysStringByteLen(data_->wide));
    if (!out) _com_issue_error(E_OUTOFMEMORY);
    return out;
}

void _bstr_t::Assign(BSTR s) {
    _bstr_t fresh(s, true);
    std::swap(data_, fresh.data_);
}

void _bstr_t::Attach(BSTR s) {
    _bstr_t fresh(s, false);
    std::swap(data_, fresh.data_);
}

BSTR _bstr_t::Detach() {
    if (!data_) return nullptr;
    if (data_->refs.load() != 1) _com_issue_error(E_POINTER);
    BSTR wide = data_->wide;
    data_->wide = nullptr;
    Release();
    return wide;
}

BSTR* _bstr_t::GetAddress() {
    Attach(nullptr);
    return &data_->wide;
}

BSTR& _bstr_t::GetBSTR() {
    if (!data_) data_ = NewData(nullptr);
    return data_->wide;
}

int _bstr_t::Compare(const _bstr_t& s) const noexcept {
    if (data_ == s.data_) return 0;
    const unsigned l1 = length();
    const unsigned l2 = s.length();
    const OLECHAR* a = data_ ? data_->wide : nullptr;
    const OLECHAR* b = s.data_ ? s.data_->wide : nullptr;
    const unsigned common = l1 < l2 ? l1 : l2;
    for (unsigned i = 0; i < common; ++i)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return l1 < l2 ? -1 : (l1 == l2 ? 0 : 1);
}

#endif  // !_WIN32
