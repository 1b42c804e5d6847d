// Helpers shared by the fuzz targets: turning the fuzzer's bytes into the
// texts the library is given, and checks that abort with a message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/wintypes.h"

namespace smarttag {
namespace fuzz {

typedef std::basic_string<OLECHAR> Units;

// Stops the run with a message when a property that must hold does not; the
// fuzzer saves the input, the replay test fails.
#define FUZZ_CHECK(condition)                                                              \
    do {                                                                                   \
        if (!(condition)) {                                                                \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                  \
        }                                                                                  \
    } while (0)

// UTF-16 code units from bytes read as UTF-8, leniently, so that plain text
// seeds stay readable while every code unit stays reachable: a well-formed
// sequence gives its character (as a surrogate pair above U+FFFF), an encoded
// surrogate (ED A0..BF xx) gives that lone surrogate, and any other byte that
// does not start a well-formed sequence gives the code unit of the same value
// (0x00 gives U+0000, 0x97 gives U+0097).
inline Units DecodeText(const uint8_t* data, std::size_t size) {
    Units out;
    out.reserve(size);
    std::size_t i = 0;
    while (i < size) {
        const uint8_t lead = data[i];
        std::size_t trail = 0;
        uint32_t cp = 0, least = 0;
        if (lead >= 0xC2 && lead <= 0xDF) trail = 1, cp = lead & 0x1F, least = 0x80;
        else if (lead >= 0xE0 && lead <= 0xEF) trail = 2, cp = lead & 0x0F, least = 0x800;
        else if (lead >= 0xF0 && lead <= 0xF4) trail = 3, cp = lead & 0x07, least = 0x10000;
        bool wellFormed = trail > 0 && trail < size - i;
        for (std::size_t k = 1; wellFormed && k <= trail; ++k) {
            if ((data[i + k] & 0xC0) != 0x80) wellFormed = false;
            cp = (cp << 6) | (data[i + k] & 0x3F);
        }
        if (!wellFormed || cp < least || cp > 0x10FFFF) {
            out.push_back(OLECHAR(lead));
            ++i;
        } else if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(OLECHAR(0xD800 + (cp >> 10)));
            out.push_back(OLECHAR(0xDC00 + (cp & 0x3FF)));
            i += trail + 1;
        } else {
            out.push_back(OLECHAR(cp));
            i += trail + 1;
        }
    }
    return out;
}

// Splits the input into `count` pieces at the first `count - 1` occurrences
// of `separator`; the last piece takes the rest, missing pieces are empty.
inline std::vector<std::string> SplitInput(const uint8_t* data, std::size_t size, char separator,
                                           std::size_t count) {
    std::vector<std::string> pieces(count);
    const char* at = reinterpret_cast<const char*>(data);
    const char* const end = at + size;
    for (std::size_t k = 0; k < count; ++k) {
        const char* stop = end;
        if (k + 1 < count)
            for (stop = at; stop != end && *stop != separator;) ++stop;
        pieces[k].assign(at, stop);
        if (stop == end) break;
        at = stop + 1;
    }
    return pieces;
}

}  // namespace fuzz
}  // namespace smarttag
