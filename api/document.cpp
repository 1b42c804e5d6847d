#include "api/document.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace smarttag::api {

namespace {

bool IsBlankLine(std::string_view document, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i)
        if (!std::strchr(" \t\r\f\v", document[i])) return false;
    return true;
}

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::size_t CodePoints(std::string_view text) {
    return std::size_t(std::count_if(text.begin(), text.end(), [](char c) { return !IsContinuationByte(c); }));
}

// UTF-16 code units of the UTF-8 sequence that starts with `lead`, as
// Utf8ToWide produces them: four-byte sequences become a surrogate pair,
// everything else one unit.
std::size_t UnitsOf(unsigned char lead) { return lead >= 0xF0 && lead <= 0xF4 ? 2 : 1; }

// Length in bytes of the UTF-8 sequence starting at `at`, as far as it is well
// formed; 1 for a stray byte.
std::size_t SequenceLength(std::string_view text, std::size_t at) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    const std::size_t expected = lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF8 ? 4 : 1;
    std::size_t n = 1;
    while (n < expected && at + n < text.size() && IsContinuationByte(text[at + n])) ++n;
    return n;
}

}  // namespace

std::vector<Paragraph> SplitParagraphs(std::string_view document) {
    std::vector<Paragraph> paragraphs;
    std::string current;
    Paragraph building{};
    bool open = false;
    std::size_t chars = 0, charsAt = 0;  // code points before `charsAt`
    auto charsBefore = [&](std::size_t byte) {
        chars += CodePoints(document.substr(charsAt, byte - charsAt));
        charsAt = byte;
        return chars;
    };
    auto flush = [&] {
        if (open) {
            building.number = int(paragraphs.size()) + 1;
            building.text = smarttag::platform::Utf8ToWide(current);
            paragraphs.push_back(std::move(building));
        }
        building = Paragraph{};
        current.clear();
        open = false;
    };
    std::size_t at = document.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (at < document.size()) {
        std::size_t next = document.find('\n', at);
        next = next == std::string_view::npos ? document.size() : next + 1;
        std::size_t stop = next;
        if (stop > at && document[stop - 1] == '\n') --stop;
        if (stop > at && document[stop - 1] == '\r') --stop;
        if (IsBlankLine(document, at, stop)) {
            flush();
        } else {
            if (open) {
                current += ' ';
            } else {
                building.begin = at;
                building.charBegin = charsBefore(at);
            }
            // Code units so far: the UTF-16 length of `current`, counted as
            // Utf8ToWide will count it.
            std::size_t units = 0;
            if (!building.lines.empty()) {
                const Paragraph::Line& last = building.lines.back();
                units = last.unit + 1;  // the joining blank
                for (std::size_t i = last.byte; i < last.stop; i += SequenceLength(document, i))
                    units += UnitsOf(static_cast<unsigned char>(document[i]));
            }
            building.lines.push_back({units, at, stop});
            current.append(document, at, stop - at);
            open = true;
            building.end = next;
        }
        at = next;
    }
    flush();
    return paragraphs;
}

UnitRange ClampReported(int start, int length, std::size_t size) {
    const std::size_t from = start > 0 ? std::min(std::size_t(start - 1), size) : 0;
    const std::size_t count = length > 0 ? std::min(std::size_t(length), size - from) : 0;
    return {from, count};
}

namespace {

// The document byte and code point of code unit `unit` of the paragraph.
std::pair<std::size_t, std::size_t> Locate(std::string_view document, const Paragraph& paragraph, std::size_t unit) {
    auto line = std::upper_bound(paragraph.lines.begin(), paragraph.lines.end(), unit,
                                 [](std::size_t u, const Paragraph::Line& l) { return u < l.unit; });
    if (line != paragraph.lines.begin()) --line;
    // The code points between the paragraph's start and the line's.
    std::size_t chars = paragraph.charBegin + CodePoints(document.substr(paragraph.begin, line->byte - paragraph.begin));
    std::size_t byte = line->byte, units = line->unit;
    // Past the line's last character is its joining blank, which stands for
    // the line break.
    while (units < unit && byte < line->stop) {
        const std::size_t step = UnitsOf(static_cast<unsigned char>(document[byte]));
        if (units + step > unit) break;  // inside a surrogate pair
        units += step;
        byte += SequenceLength(document, byte);
        ++chars;
    }
    return {byte, chars};
}

}  // namespace

DocumentSpan MapToDocument(std::string_view document, const Paragraph& paragraph, std::size_t unitStart,
                           std::size_t unitLength) {
    const std::size_t size = paragraph.text.size();
    unitStart = std::min(unitStart, size);
    unitLength = std::min(unitLength, size - unitStart);
    const auto start = Locate(document, paragraph, unitStart);
    const auto end = unitLength ? Locate(document, paragraph, unitStart + unitLength) : start;
    return {start.first, end.first - start.first, start.second, end.second - start.second};
}

std::size_t FirstInvalidUtf8(std::string_view text) {
    const auto* s = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    auto continuation = [&](std::size_t i) { return i < n && (s[i] & 0xC0) == 0x80; };
    for (std::size_t i = 0; i < n;) {
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
