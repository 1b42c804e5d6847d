// Cutting documents into paragraphs and mapping places in a paragraph back
// into the document.
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
