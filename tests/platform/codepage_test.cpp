#include <string>

#include <gtest/gtest.h>

#include "platform/codepage.h"
#include "platform/debug_output.h"
#include "tests/support/platform_facilities.h"

using smarttag::platform::OleString;

namespace {

TEST(CodePageTest, AnsiBestFitAndDefaultCharacter) {
    SMARTTAG_REQUIRE_ANSI_CODE_PAGE_1252();
    // Latin-1 and the 0x80..0x9F block are native; letters with diacritics the
    // code page lacks fall back to their base letter; the rest become '?'.
    const OLECHAR text[] = {u'Ä', 0x20AC, 0x0141, 0x0151, 0x201C, 0xFF21, 0x0416, 0xD83D, 0xDE00};
    BOOL usedDefault = FALSE;
    char out[16] = {};
    const int n = WideCharToMultiByte(CP_ACP, 0, text, 9, out, sizeof out, nullptr, &usedDefault);
    ASSERT_EQ(n, 9);
    EXPECT_EQ(std::string(out, 9), "\xC4\x80Lo\x93" "A???");
    EXPECT_TRUE(usedDefault);

    // Without best fit, the letters that lack an exact byte become '?'.
    const int strict = WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, text, 4, out, sizeof out, "#", nullptr);
    EXPECT_EQ(std::string(out, std::size_t(strict)), "\xC4\x80##");
}

TEST(CodePageTest, SizesAndTerminators) {
    // -1 converts the terminator too; a null destination asks for the size.
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, OLESTR("abc"), -1, nullptr, 0, nullptr, nullptr), 4);
    char small[2];
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, OLESTR("abc"), 3, small, 2, nullptr, nullptr), 0);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, "abc", -1, nullptr, 0), 4);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, OLESTR("abc"), 3, nullptr, 0, nullptr, nullptr), 3);
    EXPECT_EQ(WideCharToMultiByte(9999, 0, OLESTR("abc"), 3, nullptr, 0, nullptr, nullptr), 0);  // no such code page
}

TEST(CodePageTest, AnsiRoundTripOfEveryByte) {
    SMARTTAG_REQUIRE_ANSI_CODE_PAGE_1252();
    std::string all;
    for (int b = 1; b < 256; ++b) all += char(b);
    EXPECT_EQ(smarttag::platform::WideToAnsi(smarttag::platform::AnsiToWide(all).c_str(), all.size()), all);
}

TEST(CodePageTest, Utf8BothWaysWithReplacement) {
    const std::string utf8 = "a\xC3\xA9\xE2\x80\x94\xF0\x9F\x98\x80";  // a é — 😀
    const OleString wide = smarttag::platform::Utf8ToWide(utf8);
    EXPECT_EQ(wide, (OleString{u'a', u'é', 0x2014, 0xD83D, 0xDE00}));
    EXPECT_EQ(smarttag::platform::WideToUtf8(wide), utf8);

    // Truncated, overlong and stray bytes each become U+FFFD; a lone
    // surrogate is replaced on the way out.
    EXPECT_EQ(smarttag::platform::Utf8ToWide("x\xE2\x80"), (OleString{u'x', 0xFFFD}));
    EXPECT_EQ(smarttag::platform::Utf8ToWide("\xC0\xAF"), (OleString{0xFFFD, 0xFFFD}));
    EXPECT_EQ(smarttag::platform::WideToUtf8(OleString{0xD800, u'b'}), "\xEF\xBF\xBD" "b");
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, "\xFF", 1, nullptr, 0), 0);
}

TEST(DebugOutputTest, CaptureSeesLinesOnlyWhileItLives) {
    {
        smarttag::platform::ScopedDebugCapture capture;
        OutputDebugStringW(OLESTR("one"));
        OutputDebugStringW(nullptr);
        ASSERT_EQ(capture.Lines().size(), 2u);
        EXPECT_EQ(capture.Lines()[0], OLESTR("one"));
        EXPECT_EQ(capture.Lines()[1], OLESTR(""));
    }
    OutputDebugStringW(OLESTR("nobody listens"));  // must not reach a dead capture
}

}  // namespace
