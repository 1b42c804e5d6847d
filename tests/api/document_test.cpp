// Cutting documents into paragraphs and mapping places in a paragraph back
// into the document.
#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "api/document.h"

namespace {

using smarttag::api::DocumentSpan;
using smarttag::api::MapToDocument;
using smarttag::api::Paragraph;
using smarttag::api::SplitParagraphs;
using smarttag::platform::OleString;
using smarttag::platform::Utf8ToWide;
using smarttag::platform::WideToUtf8;

std::size_t CodePoints(const std::string& text) {
    std::size_t n = 0;
    for (char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

// The paragraph text a document slice stands for: its line breaks become the
// joining blank.
std::string Joined(std::string text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text.compare(i, 2, "\r\n") == 0) {
            out += ' ';
            ++i;
        } else {
            out += text[i] == '\n' ? ' ' : text[i];
        }
    }
    return out;
}

bool IsLowSurrogate(OLECHAR unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

TEST(SplitParagraphs, CutsAtBlankLinesAndJoinsLinesWithOneBlank) {
    const std::string document = "\xEF\xBB\xBF" "one\r\ntwo\n \t\n\nthree\rstill\n\n\nfour";
    const std::vector<Paragraph> paragraphs = SplitParagraphs(document);
    ASSERT_EQ(paragraphs.size(), 3u);
    EXPECT_EQ(WideToUtf8(paragraphs[0].text), "one two");
    EXPECT_EQ(WideToUtf8(paragraphs[1].text), "three\rstill");
    EXPECT_EQ(WideToUtf8(paragraphs[2].text), "four");
    EXPECT_EQ(paragraphs[0].begin, 3u);  // after the byte-order mark
    EXPECT_EQ(paragraphs[0].charBegin, 1u);
    EXPECT_EQ(document.substr(paragraphs[1].begin, 5), "three");
    EXPECT_EQ(paragraphs[2].end, document.size());
    EXPECT_EQ(paragraphs[2].number, 3);
    EXPECT_TRUE(SplitParagraphs("").empty());
    EXPECT_TRUE(SplitParagraphs("\n \r\n\t").empty());
}

// Every range of every paragraph, in texts mixing ASCII, two- and three-byte
// characters, characters outside the Basic Multilingual Plane, CR LF, LF and
// lone CR: the document bytes found are the paragraph's code units with the
// joining blanks standing for line breaks, and the code point offsets count
// the document's code points up to there.
TEST(MapToDocument, EveryRangeRoundTripsOnMixedTexts) {
    const std::vector<std::string> pieces = {"a", "9", " ", ".", "\xC3\xA9", "\xE2\x80\x94", "\xF0\x9F\x98\x80",
                                             "\r\n", "\n", "\r", "\n\n", "\r\n\r\n", "\t"};
    std::mt19937 random(20261209);
    for (int round = 0; round < 300; ++round) {
        std::string document = round % 7 == 0 ? "\xEF\xBB\xBF" : "";
        const int length = 1 + int(random() % 24);
        for (int i = 0; i < length; ++i) document += pieces[random() % pieces.size()];
        for (const Paragraph& paragraph : SplitParagraphs(document)) {
            const OleString& text = paragraph.text;
            for (std::size_t start = 0; start <= text.size(); ++start) {
                if (start < text.size() && IsLowSurrogate(text[start])) continue;
                for (std::size_t end = start; end <= text.size(); ++end) {
                    if (end < text.size() && IsLowSurrogate(text[end])) continue;
                    const DocumentSpan span = MapToDocument(document, paragraph, start, end - start);
                    const std::string slice = document.substr(span.byteStart, span.byteLength);
                    ASSERT_EQ(Joined(slice), WideToUtf8(text.substr(start, end - start)))
                        << "round " << round << " units " << start << "-" << end;
                    ASSERT_EQ(span.charStart, CodePoints(document.substr(0, span.byteStart)));
                    ASSERT_EQ(span.charLength, CodePoints(slice));
                }
            }
        }
    }
}

TEST(MapToDocument, ClampsAndKeepsSurrogatePairsWhole) {
    const std::string document = "x\xF0\x9F\x98\x80y";
    const Paragraph paragraph = SplitParagraphs(document).at(0);
    ASSERT_EQ(paragraph.text.size(), 4u);
    // The low surrogate alone: its start moves back to the pair's, so the
    // whole character is covered.
    DocumentSpan span = MapToDocument(document, paragraph, 2, 1);
    EXPECT_EQ(span.byteStart, 1u);
    EXPECT_EQ(span.byteLength, 4u);
    EXPECT_EQ(span.charStart, 1u);
    EXPECT_EQ(span.charLength, 1u);
    span = MapToDocument(document, paragraph, 3, 100);
    EXPECT_EQ(document.substr(span.byteStart, span.byteLength), "y");
    span = MapToDocument(document, paragraph, 100, 5);
    EXPECT_EQ(span.byteStart, document.size());
    EXPECT_EQ(span.byteLength, 0u);

    const smarttag::api::UnitRange clamped = smarttag::api::ClampReported(3, 10, 4);
    EXPECT_EQ(clamped.start, 2u);
    EXPECT_EQ(clamped.length, 2u);
    EXPECT_EQ(smarttag::api::ClampReported(0, -1, 4).length, 0u);
}

// The paragraphs of `document` as the cutter defines them, found the slow way:
// line by line, the lines of a paragraph joined with a blank and converted
// whole.
struct Expected {
    std::size_t begin, end, charBegin;
    OleString text;
};
std::vector<Expected> ReferenceSplit(const std::string& document) {
    std::vector<Expected> out;
    std::string joined;
    Expected building{};
    bool open = false;
    std::size_t at = document.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    auto flush = [&] {
        if (open) {
            building.text = Utf8ToWide(joined);
            out.push_back(building);
        }
        joined.clear();
        open = false;
    };
    while (at < document.size()) {
        std::size_t next = document.find('\n', at);
        next = next == std::string::npos ? document.size() : next + 1;
        std::size_t stop = next;
        if (stop > at && document[stop - 1] == '\n') --stop;
        if (stop > at && document[stop - 1] == '\r') --stop;
        const std::string line = document.substr(at, stop - at);
        if (line.find_first_not_of(" \t\r\f\v") == std::string::npos) {
            flush();
        } else {
            if (open) {
                joined += ' ';
            } else {
                building.begin = at;
                building.charBegin = CodePoints(document.substr(0, at));
                open = true;
            }
            joined += line;
            building.end = next;
        }
        at = next;
    }
    flush();
    return out;
}

// Long ASCII runs of every length around the 16-byte blocks the conversion
// takes at once, with multi-byte characters, line breaks (LF, CR LF, lone CR
// inside a line) and blank lines falling on, before and after block edges;
// also bytes that are not UTF-8, which the cutter replaces as Utf8ToWide does.
// Each paragraph must equal the slow reference, and ranges mapped through one
// ParagraphMap in a shuffled order must equal those mapped one at a time.
TEST(ParagraphCutter, MatchesTheLineByLineSplitAcrossBlockEdges) {
    const std::vector<std::string> pieces = {"\xC3\xA9", "\xE2\x80\x94", "\xF0\x9F\x98\x80", "\r\n", "\n", "\r",
                                             "\n\n", "\r\n \r\n", "\t", "\xFF", "\x80", "\xE2\x80", "\xF0\x9F"};
    const std::string ascii = "See 410 U.S. 113, 115 (1973); accord 347 U.S. 483. ";
    std::mt19937 random(20261210);
    for (int round = 0; round < 2000; ++round) {
        const bool valid = round % 3 != 0;
        std::string document = round % 11 == 0 ? "\xEF\xBB\xBF" : "";
        const int runs = 1 + int(random() % 6);
        for (int r = 0; r < runs; ++r) {
            // 13 to 35 ASCII bytes: the next piece lands on each side of a block edge.
            const std::size_t length = 13 + random() % 23;
            for (std::size_t i = 0; i < length; ++i) document += ascii[(r * 7 + i) % ascii.size()];
            const std::size_t piece = random() % (valid ? 9 : pieces.size());
            document += pieces[piece];
        }
        const std::vector<Expected> expected = ReferenceSplit(document);
        const std::vector<Paragraph> paragraphs = SplitParagraphs(document);
        ASSERT_EQ(paragraphs.size(), expected.size()) << "round " << round;
        for (std::size_t p = 0; p < paragraphs.size(); ++p) {
            const Paragraph& paragraph = paragraphs[p];
            ASSERT_EQ(paragraph.text, expected[p].text) << "round " << round << " paragraph " << p;
            EXPECT_EQ(paragraph.begin, expected[p].begin);
            EXPECT_EQ(paragraph.end, expected[p].end);
            EXPECT_EQ(paragraph.charBegin, expected[p].charBegin);
            EXPECT_EQ(paragraph.number, int(p) + 1);
            if (!valid) continue;
            for (const Paragraph::Line& line : paragraph.lines) {
                EXPECT_EQ(line.chars, CodePoints(document.substr(0, line.byte)));
                const std::string bytes = document.substr(line.byte, line.stop - line.byte);
                EXPECT_EQ(line.ascii, std::all_of(bytes.begin(), bytes.end(), [](char c) { return c > 0; }));
            }
            std::vector<std::pair<std::size_t, std::size_t>> ranges;
            for (int i = 0; i < 40; ++i) {
                const std::size_t start = random() % (paragraph.text.size() + 1);
                ranges.emplace_back(start, random() % (paragraph.text.size() + 2 - start));
            }
            std::sort(ranges.begin(), ranges.begin() + 30);  // mostly ascending, then some behind
            smarttag::api::ParagraphMap map(document, paragraph);
            for (const auto& [start, length] : ranges) {
                const DocumentSpan walked = map.Map(start, length);
                const DocumentSpan alone = MapToDocument(document, paragraph, start, length);
                ASSERT_EQ(walked.byteStart, alone.byteStart) << "round " << round;
                ASSERT_EQ(walked.byteLength, alone.byteLength);
                ASSERT_EQ(walked.charStart, alone.charStart);
                ASSERT_EQ(walked.charLength, alone.charLength);
                ASSERT_EQ(alone.charStart, CodePoints(document.substr(0, alone.byteStart)));
            }
        }
    }
}

// A reused paragraph leaves nothing of a longer predecessor behind.
TEST(ParagraphCutter, ReusesItsParagraph) {
    const std::string document = "a long first line \xC3\xA9 of text\nand its second\n\nshort\n";
    smarttag::api::ParagraphCutter cutter(document);
    Paragraph paragraph;
    ASSERT_TRUE(cutter.Next(paragraph));
    EXPECT_EQ(paragraph.lines.size(), 2u);
    ASSERT_TRUE(cutter.Next(paragraph));
    EXPECT_EQ(WideToUtf8(paragraph.text), "short");
    EXPECT_EQ(paragraph.lines.size(), 1u);
    EXPECT_EQ(paragraph.number, 2);
    EXPECT_EQ(paragraph.charBegin, document.size() - 7);  // one two-byte character before
    EXPECT_FALSE(cutter.Next(paragraph));
}

TEST(DocumentProblem, NamesTheFirstFaultAndItsPlace) {
    EXPECT_EQ(smarttag::api::DocumentProblem("plain \xC3\xA9 text\n"), "");
    EXPECT_EQ(smarttag::api::DocumentProblem("ab\ncd\0e"), "");  // a literal stops at the NUL
    EXPECT_EQ(smarttag::api::DocumentProblem(std::string("ab\ncd\0e", 7)), "not text (NUL byte at line 2, byte 3)");
    EXPECT_EQ(smarttag::api::DocumentProblem("\xEF\xBB\xBF" "a\xE9z"),
              "not UTF-8 text (byte 0xE9 at line 1, byte 2 does not start a valid sequence); convert it to UTF-8");
    EXPECT_NE(smarttag::api::DocumentProblem(std::string("\xFF\xFEh\0", 4)).find("UTF-16"), std::string::npos);
    // Overlong forms, surrogates and values past U+10FFFF.
    for (const char* bad : {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF0\x9F\x98"})
        EXPECT_EQ(smarttag::api::FirstInvalidUtf8(std::string("ok") + bad), 2u) << bad;
}

}  // namespace
