#include "api/document.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace smarttag::api {

namespace {

static_assert(sizeof(OLECHAR) == 2, "paragraph text is UTF-16");

bool IsBlankLine(const char* from, const char* to) {
    for (; from < to; ++from)
        if (*from != ' ' && *from != '\t' && *from != '\r' && *from != '\f' && *from != '\v') return false;
    return true;
}

bool IsContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

// UTF-16 code units of the UTF-8 sequence that starts with `lead`, as the
// cutter produces them: four-byte sequences become a surrogate pair,
// everything else one unit.
std::size_t UnitsOf(unsigned char lead) { return lead >= 0xF0 && lead <= 0xF4 ? 2 : 1; }

// Length in bytes of the UTF-8 sequence starting at `at`, as far as it is well
// formed; 1 for a stray byte.
std::size_t SequenceLength(std::string_view text, std::size_t at) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    const std::size_t expected = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : 1;
    std::size_t n = 1;
    while (n < expected && at + n < text.size() && IsContinuationByte(static_cast<unsigned char>(text[at + n]))) ++n;
    return n;
}

constexpr OLECHAR kReplacement = 0xFFFD;

// Decodes the sequence at s[i] (not ASCII) of a text of n bytes into out[k],
// advancing both; a malformed sequence becomes one U+FFFD, exactly as
// Utf8ToWide replaces it. Returns how many of the bytes taken do not count as
// a code point of the document: the continuation bytes.
std::size_t DecodeSequence(const unsigned char* s, std::size_t n, std::size_t& i, OLECHAR* out, std::size_t& k) {
    const unsigned char lead = s[i];
    char32_t c;
    const std::size_t taken = smarttag::platform::DecodeUtf8Sequence(s, n, i, c);
    i += taken;
    if (c == smarttag::platform::kMalformedUtf8) {
        out[k++] = kReplacement;
    } else if (c >= 0x10000) {
        c -= 0x10000;
        out[k++] = OLECHAR(0xD800 + (c >> 10));
        out[k++] = OLECHAR(0xDC00 + (c & 0x3FF));
    } else {
        out[k++] = OLECHAR(c);
    }
    // A lone byte is a continuation byte or a byte that starts nothing.
    return taken == 1 ? (IsContinuationByte(lead) ? 1 : 0) : taken - 1;
}

// Appends the UTF-8 bytes [s, s + n) to `text` as UTF-16; returns the code
// points they count for and sets `ascii` when they are all ASCII. A byte never
// becomes more than one code unit (a four-byte sequence, two), so `text` grows
// by at most n.
std::size_t AppendUtf16(const unsigned char* s, std::size_t n, smarttag::platform::OleString& text, bool& ascii) {
    const std::size_t base = text.size();
    text.resize(base + n);
    OLECHAR* const out = &text[0] + base;
    std::size_t i = 0, k = 0, chars = n;
    ascii = true;
#if defined(__SSE2__)
    // Sixteen bytes at a time while they are ASCII: each widened to its unit.
    const __m128i zero = _mm_setzero_si128();
    while (i + 16 <= n) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        if (_mm_movemask_epi8(block) == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k), _mm_unpacklo_epi8(block, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k + 8), _mm_unpackhi_epi8(block, zero));
            i += 16;
            k += 16;
            continue;
        }
        // The block holds a byte that is not ASCII: the ASCII before it, then
        // its sequence, and on from there.
        while (s[i] < 0x80) out[k++] = OLECHAR(s[i++]);
        chars -= DecodeSequence(s, n, i, out, k);
        ascii = false;
    }
#endif
    while (i < n) {
        if (s[i] < 0x80) {
            out[k++] = OLECHAR(s[i++]);
            continue;
        }
        chars -= DecodeSequence(s, n, i, out, k);
        ascii = false;
    }
    text.resize(base + k);
    return chars;
}

}  // namespace

ParagraphCutter::ParagraphCutter(std::string_view document) noexcept
    : document_(document), at_(document.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0), chars_(at_ ? 1 : 0) {}

bool ParagraphCutter::Next(Paragraph& paragraph) {
    const char* const s = document_.data();
    const std::size_t size = document_.size();
    paragraph.text.clear();
    paragraph.lines.clear();
    bool open = false;
    while (at_ < size) {
        const void* newline = std::memchr(s + at_, '\n', size - at_);
        const std::size_t next = newline ? std::size_t(static_cast<const char*>(newline) - s) + 1 : size;
        std::size_t stop = next;
        if (stop > at_ && s[stop - 1] == '\n') --stop;
        if (stop > at_ && s[stop - 1] == '\r') --stop;
        if (IsBlankLine(s + at_, s + stop)) {
            // Blank lines hold nothing but ASCII.
            chars_ += next - at_;
            at_ = next;
            if (open) break;
            continue;
        }
        if (open) {
            paragraph.text.push_back(OLECHAR(' '));
        } else {
            paragraph.begin = at_;
            paragraph.charBegin = chars_;
            open = true;
        }
        Paragraph::Line line{paragraph.text.size(), at_, stop, chars_, false};
        chars_ += AppendUtf16(reinterpret_cast<const unsigned char*>(s) + at_, stop - at_, paragraph.text, line.ascii) +
                  (next - stop);  // the line break is ASCII
        paragraph.lines.push_back(line);
        paragraph.end = next;
        at_ = next;
    }
    if (!open) return false;
    paragraph.number = ++number_;
    return true;
}

std::vector<Paragraph> SplitParagraphs(std::string_view document) {
    std::vector<Paragraph> paragraphs;
    ParagraphCutter cutter(document);
    Paragraph paragraph;
    while (cutter.Next(paragraph)) paragraphs.push_back(paragraph);
    return paragraphs;
}

UnitRange ClampReported(int start, int length, std::size_t size) {
    const std::size_t from = start > 0 ? std::min(std::size_t(start - 1), size) : 0;
    const std::size_t count = length > 0 ? std::min(std::size_t(length), size - from) : 0;
    return {from, count};
}

ParagraphMap::ParagraphMap(std::string_view document, const Paragraph& paragraph) noexcept
    : document_(document), paragraph_(paragraph), at_{0, 0, paragraph.begin, paragraph.charBegin} {
    if (!paragraph.lines.empty()) MoveTo(0);
}

void ParagraphMap::MoveTo(std::size_t line) {
    const Paragraph::Line& l = paragraph_.lines[line];
    at_ = {line, l.unit, l.byte, l.chars};
}

// Moves to the document byte and code point of code unit `unit`.
void ParagraphMap::Locate(std::size_t unit) {
    const std::vector<Paragraph::Line>& lines = paragraph_.lines;
    if (lines.empty()) return;
    // A place never lies past the unit asked for, so a unit behind it lies
    // behind the place itself.
    if (unit < at_.unit) MoveTo(0);
    while (at_.line + 1 < lines.size() && lines[at_.line + 1].unit <= unit) MoveTo(at_.line + 1);
    // Past the line's last character is its joining blank, which stands for
    // the line break.
    const Paragraph::Line& line = lines[at_.line];
    if (line.ascii) {
        const std::size_t step = std::min(unit - at_.unit, line.stop - at_.byte);
        at_.unit += step;
        at_.byte += step;
        at_.chars += step;
        return;
    }
    while (at_.unit < unit && at_.byte < line.stop) {
#if defined(__SSE2__)
        // Sixteen ASCII bytes at a time: each one code unit and one code point.
        if (at_.unit + 16 <= unit && at_.byte + 16 <= line.stop &&
            _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(document_.data() + at_.byte))) == 0) {
            at_.unit += 16;
            at_.byte += 16;
            at_.chars += 16;
            continue;
        }
#endif
        const std::size_t step = UnitsOf(static_cast<unsigned char>(document_[at_.byte]));
        if (at_.unit + step > unit) break;  // inside a surrogate pair
        at_.unit += step;
        at_.byte += SequenceLength(document_, at_.byte);
        ++at_.chars;
    }
}

DocumentSpan ParagraphMap::Map(std::size_t unitStart, std::size_t unitLength) {
    const std::size_t size = paragraph_.text.size();
    unitStart = std::min(unitStart, size);
    unitLength = std::min(unitLength, size - unitStart);
    Locate(unitStart);
    const Place start = at_;
    if (unitLength) Locate(unitStart + unitLength);
    return {start.byte, at_.byte - start.byte, start.chars, at_.chars - start.chars};
}

DocumentSpan MapToDocument(std::string_view document, const Paragraph& paragraph, std::size_t unitStart,
                           std::size_t unitLength) {
    return ParagraphMap(document, paragraph).Map(unitStart, unitLength);
}

std::size_t FirstInvalidUtf8(std::string_view text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    auto continuation = [&](std::size_t i) { return i < n && (s[i] & 0xC0) == 0x80; };
    for (std::size_t i = 0; i < n;) {
#if defined(__SSE2__)
        // Sixteen ASCII bytes at a time.
        while (i + 16 <= n && _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i))) == 0) i += 16;
        if (i == n) break;
#endif
        const unsigned char c = s[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;  // range of the second byte
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0) low = 0xA0;
            if (c == 0xED) high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0) low = 0x90;
            if (c == 0xF4) high = 0x8F;
        } else {
            return i;
        }
        if (i + 1 >= n || s[i + 1] < low || s[i + 1] > high) return i;
        for (std::size_t k = 2; k < length; ++k)
            if (!continuation(i + k)) return i;
        i += length;
    }
    return std::string_view::npos;
}

namespace {

// "line L, byte B" of `offset` in `text`, both 1-based.
std::string LineAndByte(std::string_view text, std::size_t offset) {
    const std::size_t line = 1 + std::size_t(std::count(text.begin(), text.begin() + std::ptrdiff_t(offset), '\n'));
    const std::size_t newline = offset == 0 ? std::string_view::npos : text.rfind('\n', offset - 1);
    const std::size_t column = newline == std::string_view::npos ? offset + 1 : offset - newline;
    return "line " + std::to_string(line) + ", byte " + std::to_string(column);
}

}  // namespace

std::string DocumentProblem(std::string_view document) {
    if (document.compare(0, 2, "\xFF\xFE") == 0 || document.compare(0, 2, "\xFE\xFF") == 0)
        return "not UTF-8 text (UTF-16 byte-order mark); convert it to UTF-8";
    // Places are counted from after a UTF-8 byte-order mark.
    if (document.compare(0, 3, "\xEF\xBB\xBF") == 0) document.remove_prefix(3);
    const std::size_t nul = document.find('\0');
    if (nul != std::string_view::npos) return "not text (NUL byte at " + LineAndByte(document, nul) + ")";
    const std::size_t bad = FirstInvalidUtf8(document);
    if (bad != std::string_view::npos) {
        char byte[8];
        std::snprintf(byte, sizeof byte, "0x%02X", static_cast<unsigned char>(document[bad]));
        return std::string("not UTF-8 text (byte ") + byte + " at " + LineAndByte(document, bad) +
               " does not start a valid sequence); convert it to UTF-8";
    }
    return std::string();
}

}  // namespace smarttag::api
