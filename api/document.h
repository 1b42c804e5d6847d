#pragma once

// How a document is cut into the runs of text the recognizer adaptor is handed,
// and how a place in one of those runs maps back into the document.
//
// A document is well-formed UTF-8 text (callers check that first). Its paragraphs are the runs of non-blank lines (a
// blank line holds nothing but blanks, tabs, CR, form feeds and vertical
// tabs); the lines of a paragraph are joined with one blank each, without
// their LF or CR LF. A leading byte-order mark is not part of the first line.
// Each paragraph is handed to the recognizers as UTF-16.
//
// The recognizers report places as a 1-based start and a length in UTF-16
// code units of the paragraph. Document offsets are counted in UTF-8 bytes and
// in Unicode code points from the start of the document as given (a byte-order
// mark counts as 3 bytes and one code point), so that the bytes
// [byteStart, byteStart + byteLength) of the document are the tagged text, with
// the document's own line breaks where the paragraph had a joining blank.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/codepage.h"

namespace smarttag::api {

struct Paragraph {
    int number = 0;             // 1-based within its document
    std::size_t begin = 0;      // byte offset of its first character in the document
    std::size_t end = 0;        // byte offset just past its last line, line break included
    std::size_t charBegin = 0;  // code points of the document before `begin`
    smarttag::platform::OleString text;
    // The paragraph's lines; each after the first follows a joining blank.
    struct Line {
        std::size_t unit;   // first code unit in `text`
        std::size_t byte;   // first byte in the document
        std::size_t stop;   // byte just past its last character, before its LF or CR LF
        std::size_t chars;  // code points of the document before `byte`
        bool ascii;         // nothing but ASCII in [byte, stop): one byte, one code unit
    };
    std::vector<Line> lines;
};

// Cuts a document into its paragraphs one at a time, in one pass over its
// bytes: the lines are found, converted to UTF-16 and counted as they are
// read. The document must outlive the cutter.
class ParagraphCutter {
public:
    explicit ParagraphCutter(std::string_view document) noexcept;
    // Fills `paragraph` with the next paragraph, reusing its buffers; false,
    // leaving `paragraph` unspecified, when there is none left.
    bool Next(Paragraph& paragraph);

private:
    std::string_view document_;
    std::size_t at_;     // start of the next line
    std::size_t chars_;  // code points before `at_`
    int number_ = 0;
};

// All of a document's paragraphs at once.
std::vector<Paragraph> SplitParagraphs(std::string_view document);

// Why `document` cannot be tagged, as a phrase to follow its name ("not text
// (NUL byte at line 3, byte 7)"), or empty when it can: it must be UTF-8 (a
// UTF-8 byte-order mark is allowed, a UTF-16 one is refused), hold no NUL byte
// and no byte that does not belong to a well-formed UTF-8 sequence (overlong
// forms, surrogates and values past U+10FFFF are not well formed).
std::string DocumentProblem(std::string_view document);

// Offset of the first byte of `text` that does not belong to a well-formed
// UTF-8 sequence, or npos.
std::size_t FirstInvalidUtf8(std::string_view text);

struct DocumentSpan {
    std::size_t byteStart = 0, byteLength = 0;
    std::size_t charStart = 0, charLength = 0;
};

// Maps code units [unitStart, unitStart + unitLength) of `paragraph`'s text
// (0-based; clamped to the text) to the document. An edge that falls inside a
// surrogate pair, or on the code unit of a multi-byte sequence's second half,
// moves to the start of its code point.
DocumentSpan MapToDocument(std::string_view document, const Paragraph& paragraph, std::size_t unitStart,
                           std::size_t unitLength);

// The same for many ranges of one paragraph: each place is found by walking
// on from the last one asked for (from the paragraph's start when it lies
// behind), so ranges in ascending order cost one walk over the paragraph in
// all. The document and the paragraph must outlive the map.
class ParagraphMap {
public:
    ParagraphMap(std::string_view document, const Paragraph& paragraph) noexcept;
    DocumentSpan Map(std::size_t unitStart, std::size_t unitLength);

private:
    struct Place {
        std::size_t line, unit, byte, chars;
    };
    void MoveTo(std::size_t line);
    void Locate(std::size_t unit);

    std::string_view document_;
    const Paragraph& paragraph_;
    Place at_;
};

// The code unit range [start - 1, start - 1 + length) a recognizer reported,
// clamped to a text of `size` units: the same clamp the host program applies.
struct UnitRange {
    std::size_t start, length;
};
UnitRange ClampReported(int start, int length, std::size_t size);

}  // namespace smarttag::api
