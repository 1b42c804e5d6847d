#include "platform/codepage.h"

#include <algorithm>
#include <vector>

#include "platform/cp1252_tables.h"

#if !defined(_WIN32)

namespace {

using smarttag::platform::detail::kCp1252BestFit;
using smarttag::platform::detail::kCp1252BestFitSize;
using smarttag::platform::detail::kCp1252High;

constexpr char16_t kReplacement = 0xFFFD;

bool IsAnsi(UINT codePage) { return codePage == CP_ACP || codePage == 1252; }

// The Windows-1252 byte for `unit`, or -1 when the code page has none.
int Cp1252Byte(char16_t unit, bool bestFit) {
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return unit;
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == unit) return 0x80 + i;
    if (!bestFit) return -1;
    const auto* end = kCp1252BestFit + kCp1252BestFitSize;
    const auto* it = std::lower_bound(kCp1252BestFit, end, unit,
                                      [](const auto& entry, char16_t u) { return entry.unit < u; });
    if (it != end && it->unit == unit) return it->byte;
    return -1;
}

char16_t Cp1252Unit(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0) return kCp1252High[byte - 0x80];
    return byte;
}

// Decodes UTF-16 into code points; an unpaired surrogate becomes U+FFFD.
template <class Sink>
void ForEachCodePoint(const WCHAR* s, int n, Sink sink) {
    for (int i = 0; i < n; ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
        }
        sink(c);
    }
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// Decodes UTF-8 into UTF-16. Returns false on the first malformed sequence
// when `strict`, else replaces each one with U+FFFD.
bool DecodeUtf8(const unsigned char* s, int n, bool strict, std::u16string& out) {
    const std::size_t size = n > 0 ? std::size_t(n) : 0;
    for (std::size_t i = 0; i < size;) {
        if (s[i] < 0x80) {
            out += char16_t(s[i++]);
            continue;
        }
        char32_t c;
        i += smarttag::platform::DecodeUtf8Sequence(s, size, i, c);
        if (c == smarttag::platform::kMalformedUtf8) {
            if (strict) return false;
            out += kReplacement;
        } else if (c >= 0x10000) {
            c -= 0x10000;
            out += char16_t(0xD800 + (c >> 10));
            out += char16_t(0xDC00 + (c & 0x3FF));
        } else {
            out += char16_t(c);
        }
    }
    return true;
}

template <class T>
int Deliver(const std::basic_string<T>& converted, T* dest, int destSize) {
    if (converted.size() > 0x7FFFFFFF) return 0;
    if (!dest || destSize == 0) return int(converted.size());
    if (destSize < 0 || std::size_t(destSize) < converted.size()) return 0;
    std::copy(converted.begin(), converted.end(), dest);
    return int(converted.size());
}

}  // namespace

UINT GetACP() { return 1252; }

int WideCharToMultiByte(UINT CodePage, DWORD dwFlags, const WCHAR* lpWideCharStr, int cchWideChar,
                        char* lpMultiByteStr, int cbMultiByte, const char* lpDefaultChar,
                        BOOL* lpUsedDefaultChar) {
    if (!lpWideCharStr || cchWideChar == 0 || cbMultiByte < 0) return 0;
    int n = cchWideChar;
    if (n < 0) {
        n = 0;
        while (lpWideCharStr[n]) ++n;
        ++n;  // the terminator is converted too
    }
    std::string out;
    out.reserve(std::size_t(n));
    if (IsAnsi(CodePage)) {
        const char fallback = lpDefaultChar ? *lpDefaultChar : '?';
        const bool bestFit = (dwFlags & WC_NO_BEST_FIT_CHARS) == 0;
        bool usedDefault = false;
        for (int i = 0; i < n; ++i) {
            const int byte = Cp1252Byte(lpWideCharStr[i], bestFit);
            if (byte < 0) {
                usedDefault = true;
                out += fallback;
            } else {
                out += char(byte);
            }
        }
        if (lpUsedDefaultChar) *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;
    } else if (CodePage == CP_UTF8) {
        if (lpDefaultChar || lpUsedDefaultChar) return 0;
        ForEachCodePoint(lpWideCharStr, n, [&](char32_t c) { AppendUtf8(out, c); });
    } else {
        return 0;
    }
    return Deliver(out, lpMultiByteStr, cbMultiByte);
}

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, const char* lpMultiByteStr, int cbMultiByte,
                        WCHAR* lpWideCharStr, int cchWideChar) {
    if (!lpMultiByteStr || cbMultiByte == 0 || cchWideChar < 0) return 0;
    int n = cbMultiByte;
    if (n < 0) {
        n = 0;
        while (lpMultiByteStr[n]) ++n;
        ++n;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(lpMultiByteStr);
    std::u16string out;
    out.reserve(std::size_t(n));
    if (IsAnsi(CodePage)) {
        for (int i = 0; i < n; ++i) out += Cp1252Unit(bytes[i]);
    } else if (CodePage == CP_UTF8) {
        if (!DecodeUtf8(bytes, n, (dwFlags & MB_ERR_INVALID_CHARS) != 0, out)) return 0;
    } else {
        return 0;
    }
    return Deliver(out, lpWideCharStr, cchWideChar);
}

#endif  // !_WIN32

namespace smarttag {
namespace platform {

namespace {

std::string WideTo(UINT codePage, const OLECHAR* text, std::size_t length) {
    if (!text || length == 0) return std::string();
    const int n = int(length);
    const int size = WideCharToMultiByte(codePage, 0, text, n, nullptr, 0, nullptr, nullptr);
    std::string out(std::size_t(size), '\0');
    if (size > 0) WideCharToMultiByte(codePage, 0, text, n, &out[0], size, nullptr, nullptr);
    return out;
}

OleString ToWide(UINT codePage, const std::string& text) {
    if (text.empty()) return OleString();
    const int n = int(text.size());
    const int size = MultiByteToWideChar(codePage, 0, text.data(), n, nullptr, 0);
    OleString out(std::size_t(size), OLECHAR(0));
    if (size > 0) MultiByteToWideChar(codePage, 0, text.data(), n, &out[0], size);
    return out;
}

}  // namespace

std::string WideToAnsi(const OLECHAR* text, std::size_t length) { return WideTo(CP_ACP, text, length); }
OleString AnsiToWide(const std::string& text) { return ToWide(CP_ACP, text); }
OleString Utf8ToWide(const std::string& text) { return ToWide(CP_UTF8, text); }
std::string WideToUtf8(const OLECHAR* text, std::size_t length) { return WideTo(CP_UTF8, text, length); }

}  // namespace platform
}  // namespace smarttag
