// Conversion between UTF-16 and 8-bit text, for builds without <windows.h>.
//
// WideCharToMultiByte and MultiByteToWideChar follow the Windows contract
// (lengths in units, -1 for a NUL-terminated source whose NUL is converted
// too, a null or zero-sized destination asks for the size needed, 0 on
// failure). Supported code pages: CP_ACP, which is Windows-1252 here as on a
// Western-European Windows, 1252 itself, and CP_UTF8.
//
// Windows-1252 output uses the best-fit behaviour of Windows: a character the
// code page lacks becomes a near equivalent where one exists ('ő' -> 'o') and
// the default character '?' otherwise, unless WC_NO_BEST_FIT_CHARS is given.
//
// The helpers in smarttag::platform wrap these for std::string use and work on
// both platforms.
#pragma once

#include <string>

#include "platform/wintypes.h"

#if !defined(_WIN32)

#define CP_ACP 0
#define CP_UTF8 65001
#define WC_NO_BEST_FIT_CHARS 0x00000400
#define MB_ERR_INVALID_CHARS 0x00000008

UINT GetACP();

int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, const WCHAR* lpWideCharStr, int cchWideChar,
                        char* lpMultiByteStr, int cbMultiByte, const char* lpDefaultChar,
                        BOOL* lpUsedDefaultChar);

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, const char* lpMultiByteStr, int cbMultiByte,
                        WCHAR* lpWideCharStr, int cchWideChar);

#endif  // !_WIN32

namespace smarttag {
namespace platform {

typedef std::basic_string<OLECHAR> OleString;

// `length` code units of `text` (a null `text` is empty) in the ANSI code page.
std::string WideToAnsi(const OLECHAR* text, std::size_t length);
OleString AnsiToWide(const std::string& text);

// UTF-8 <-> UTF-16; malformed input becomes U+FFFD.
OleString Utf8ToWide(const std::string& text);
std::string WideToUtf8(const OLECHAR* text, std::size_t length);
inline std::string WideToUtf8(const OleString& text) { return WideToUtf8(text.data(), text.size()); }

}  // namespace platform
}  // namespace smarttag
