// Windows base types, HRESULTs and the Windows error numbers the adaptors
// return, for builds without <windows.h>.
//
// Names, values and meanings are those of the Windows SDK so that the rest of
// the code reads the same on both platforms. The one deliberate difference:
// OLECHAR is a UTF-16 code unit (char16_t) here, wchar_t on Windows; write
// wide literals with OLESTR("...") and wide characters as OLECHAR to stay
// portable. COM methods are declared with STDMETHODCALLTYPE, which is
// __stdcall on 32-bit Windows and empty here.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#include <oleauto.h>
#else

#include <cstdint>

typedef std::int32_t HRESULT;
typedef std::int32_t LONG;
typedef std::uint32_t ULONG;
typedef std::uint32_t DWORD;
typedef std::uint32_t UINT;
typedef std::uint16_t USHORT;
typedef std::uint16_t WORD;
typedef int INT;
typedef int BOOL;
typedef char16_t OLECHAR;
typedef char16_t WCHAR;
typedef OLECHAR* BSTR;
typedef short VARIANT_BOOL;
typedef unsigned short VARTYPE;

// Window handles are opaque pointers, as DECLARE_HANDLE makes them.
struct HWND__;
typedef HWND__* HWND;

#define OLESTR(str) u##str

// COM methods use the stdcall convention on 32-bit Windows; declare and
// override them with STDMETHODCALLTYPE so both platforms read the same.
#define STDMETHODCALLTYPE

#define VARIANT_TRUE ((VARIANT_BOOL)-1)
#define VARIANT_FALSE ((VARIANT_BOOL)0)
#define TRUE 1
#define FALSE 0

#define SUCCEEDED(hr) (((HRESULT)(hr)) >= 0)
#define FAILED(hr) (((HRESULT)(hr)) < 0)

#define S_OK ((HRESULT)0)
#define S_FALSE ((HRESULT)1)
#define E_NOTIMPL ((HRESULT)0x80004001u)
#define E_NOINTERFACE ((HRESULT)0x80004002u)
#define E_POINTER ((HRESULT)0x80004003u)
#define E_FAIL ((HRESULT)0x80004005u)
#define E_UNEXPECTED ((HRESULT)0x8000FFFFu)
#define E_ACCESSDENIED ((HRESULT)0x80070005u)
#define E_OUTOFMEMORY ((HRESULT)0x8007000Eu)
#define E_INVALIDARG ((HRESULT)0x80070057u)
#define DISP_E_BADINDEX ((HRESULT)0x8002000Bu)
#define DISP_E_ARRAYISLOCKED ((HRESULT)0x8002000Du)

// Windows error numbers. The adaptors return these as plain numbers, not
// wrapped into failure HRESULTs.
#define ERROR_INVALID_NAME 123L
#define ERROR_INVALID_INDEX 1413L

// Variant types (only the one this library puts in arrays).
enum VARENUM { VT_EMPTY = 0, VT_BSTR = 8 };

// COM interface identifiers.
struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
typedef GUID IID;
#define REFIID const IID&

inline bool operator==(const GUID& a, const GUID& b) {
    if (a.Data1 != b.Data1 || a.Data2 != b.Data2 || a.Data3 != b.Data3) return false;
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i]) return false;
    return true;
}
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }

#endif  // _WIN32
