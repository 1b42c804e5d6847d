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

#include <cstddef>
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

// The code point DecodeUtf8Sequence gives for a malformed sequence.
constexpr char32_t kMalformedUtf8 = 0xFFFFFFFF;

// Decodes the UTF-8 sequence that starts at s[i] (not ASCII) of a text of n
// bytes: sets `point` to its code point and returns the bytes it takes. A
// byte that cannot start a sequence takes itself alone; a sequence that is
// cut short, overlong, a surrogate or beyond U+10FFFF takes its lead byte and
// the continuation bytes after it, up to as many as the lead promised, and
// gives kMalformedUtf8.
inline std::size_t DecodeUtf8Sequence(const unsigned char* s, std::size_t n, std::size_t i,
                                      char32_t& point) noexcept {
    const unsigned char b = s[i];
    std::size_t extra;
    char32_t c, min;
    if (b >= 0xC2 && b <= 0xDF) {
        extra = 1, c = b & 0x1F, min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        extra = 2, c = b & 0x0F, min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        extra = 3, c = b & 0x07, min = 0x10000;
    } else {
        point = kMalformedUtf8;
        return 1;
    }
    std::size_t j = 1;
    for (; j <= extra && i + j < n && (s[i + j] & 0xC0) == 0x80; ++j) c = (c << 6) | (s[i + j] & 0x3F);
    point = j <= extra || c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) ? kMalformedUtf8 : c;
    return j;
}

// UTF-8 <-> UTF-16; malformed input becomes U+FFFD.
OleString Utf8ToWide(const std::string& text);
std::string WideToUtf8(const OLECHAR* text, std::size_t length);
inline std::string WideToUtf8(const OleString& text) { return WideToUtf8(text.data(), text.size()); }

}  // namespace platform
}  // namespace smarttag
