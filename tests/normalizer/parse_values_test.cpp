// Node values and the routines grammar actions build them with.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "normalizer/parse_values.h"

namespace Veltra::Penwork::Recognizer {
namespace {

// An owned node value slot that frees itself, as a parse node would.
struct Slot {
    std::string* value = nullptr;
    Slot() = default;
    explicit Slot(const char* text) : value(new std::string(text)) {}
    Slot(const Slot&) = delete;
    Slot& operator=(const Slot&) = delete;
    ~Slot() { FreeValue(value); }
    std::string str() const { return value ? *value : "<null>"; }
};

// Freed values are kept for reuse on the thread: one that comes back must be
// empty, whatever it held, and values moved or freed in any order must stay
// distinct strings.
TEST(NodeValues, ReusedValuesStartEmptyAndStayDistinct) {
    for (int round = 0; round < 3; ++round) {
        std::vector<std::string*> values(100, nullptr);
        for (std::size_t i = 0; i < values.size(); ++i) {
            AppendLiteral(values[i], std::string(i % 2 ? 300 : 10, 'x'), false);
            AppendLiteral(values[i], std::to_string(i), false);
        }
        for (std::size_t i = 0; i < values.size(); ++i) {
            EXPECT_EQ(*values[i], std::string(i % 2 ? 300 : 10, 'x') + std::to_string(i));
        }
        MoveValue(values[0], values[1]);
        EXPECT_EQ(values[1], nullptr);
        for (std::string*& v : values) FreeValue(v);

        std::vector<std::string*> again(100, nullptr);
        for (std::string*& v : again) {
            AppendLiteral(v, "", false);
            EXPECT_EQ(*v, "");
        }
        std::sort(again.begin(), again.end());
        EXPECT_EQ(std::adjacent_find(again.begin(), again.end()), again.end());
        for (std::string*& v : again) FreeValue(v);
    }
}

TEST(StringRoutines, SpaceFlagNeverWritesALeadingBlank) {
    Slot dest;
    AppendLiteral(dest.value, "usc", true);
    EXPECT_EQ(dest.str(), "usc");

    Slot empty("");
    Slot child("42");
    AppendValue(empty.value, child.value, true);
    EXPECT_EQ(empty.str(), "42");
}

TEST(StringRoutines, EmptyLiteralStillCreatesTheValue) {
    Slot dest;
    AppendLiteral(dest.value, "", true);
    ASSERT_NE(dest.value, nullptr);
    EXPECT_EQ(*dest.value, "");
}

TEST(StringRoutines, MissingOptionalElementLeavesSingleSpacing) {
    // "_$0 _$1 _$2" with element 1 absent (null) or present but empty.
    Slot a("42"), missing, empty(""), c("1983");
    for (std::string* middle : {missing.value, empty.value}) {
        Slot dest;
        AppendValue(dest.value, a.value, true);
        AppendValue(dest.value, middle, true);
        AppendValue(dest.value, c.value, true);
        EXPECT_EQ(dest.str(), "42 1983");
    }
    Slot untouched;
    AppendValue(untouched.value, missing.value, true);
    EXPECT_EQ(untouched.value, nullptr);
}

TEST(StringRoutines, TrimZeros) {
    Slot dest("usacts"), num("0042"), zeros("000");
    AppendValueTrimZeros(dest.value, num.value, true);
    EXPECT_EQ(dest.str(), "usacts 42");
    // Only zeros: nothing appended, but the blank of the space flag is.
    AppendValueTrimZeros(dest.value, zeros.value, true);
    EXPECT_EQ(dest.str(), "usacts 42 ");
}

TEST(StringRoutines, MatchedTextDropsTrailingWhiteSpace) {
    Slot dest("f");
    AppendMatchedText(dest.value, "supp.  \t", true);
    EXPECT_EQ(dest.str(), "f supp.");
    AppendMatchedText(dest.value, "", true);
    AppendMatchedText(dest.value, " \t", true);
    EXPECT_EQ(dest.str(), "f supp.");
    Slot fresh;
    AppendMatchedText(fresh.value, "", true);
    EXPECT_EQ(fresh.value, nullptr);
}

TEST(StringRoutines, ChildValuesSpacing) {
    Slot x("x"), y("y"), none, empty("");

    Slot joined("a");
    AppendChildValues(joined.value, {x.value, none.value, y.value}, false, false);
    EXPECT_EQ(joined.str(), "axy");

    Slot both("a");
    AppendChildValues(both.value, {x.value, empty.value, y.value}, true, true);
    EXPECT_EQ(both.str(), "a x y");

    // The first flag only applies to a non-empty destination.
    Slot fresh;
    AppendChildValues(fresh.value, {x.value, y.value}, true, true);
    EXPECT_EQ(fresh.str(), "x y");

    // The between flag writes its blank even when nothing came before: a group
    // whose first child is empty leaves a leading blank.
    Slot leading;
    AppendChildValues(leading.value, {empty.value, y.value}, false, true);
    EXPECT_EQ(leading.str(), " y");

    Slot nothing;
    AppendChildValues(nothing.value, {none.value, empty.value}, true, true);
    EXPECT_EQ(nothing.value, nullptr);
}

TEST(NodeValues, MoveTransfersOwnership) {
    Slot node("old"), child("new");
    MoveValue(node.value, child.value);
    EXPECT_EQ(node.str(), "new");
    EXPECT_EQ(child.value, nullptr);
    MoveValue(node.value, node.value);
    EXPECT_EQ(node.str(), "new");
    Slot absent;
    MoveValue(node.value, absent.value);
    EXPECT_EQ(node.value, nullptr);
}

TEST(PostProcessing, MarkUniversal) {
    struct Case { const char* name; const char* volume; const char* expected; };
    const Case cases[] = {
        {"utah", "2004", "utah universal"},
        {"utah", "204", "utah"},
        {"utah", "2104", "utah"},
        {"maine", "1850", "maine universal"},
        {"connecticut supplement", "1999", "connecticut superior universal"},
        {"virginia", "2004", "virginia"},
        {"utah", "", "utah"},
    };
    for (const Case& c : cases) {
        Slot name(c.name), volume(c.volume);
        MarkUniversal(name.value, volume.value);
        EXPECT_EQ(name.str(), c.expected) << c.name << " " << c.volume;
    }
    Slot name("utah"), noVolume, noName;
    MarkUniversal(name.value, noVolume.value);
    EXPECT_EQ(name.str(), "utah");
    MarkUniversal(noName.value, name.value);
    EXPECT_EQ(noName.value, nullptr);
}

TEST(PostProcessing, ExpandTwoDigitYear) {
    const std::pair<const char*, const char*> cases[] = {
        {"99", "1999"}, {"51", "1951"}, {"49", "2049"}, {"50", "50"}, {"07", "2007"},
        {"7", "207"},   {"0", "200"},   {"100", "100"}, {"x9", "x9"}, {"", ""},
    };
    for (const auto& [in, out] : cases) {
        Slot v(in);
        ExpandTwoDigitYear(v.value);
        EXPECT_EQ(v.str(), out) << in;
    }
    ExpandTwoDigitYear(nullptr);
}

TEST(PostProcessing, ExpandDirectiveYear) {
    struct Case { const char* a; const char* b; const char* first; const char* second; };
    const Case cases[] = {
        {"85", "337", "1985", "337"},     // year first already
        {"337", "85", "1985", "337"},     // number first: exchanged, then widened
        {"123", "1999", "1999", "123"},   // four-digit year second
        {"123", "1850", "123", "1850"},   // not a year the rule knows
        {"2001", "42", "2001", "42"},
        {"05", "1", "1905", "1"},
        {"5", "100", "195", "100"},
        {"x", "85", "x", "85"},
        {"99999999999999999999999", "85", "99999999999999999999999", "85"},
    };
    for (const Case& c : cases) {
        Slot a(c.a), b(c.b);
        ExpandDirectiveYear(a.value, b.value);
        EXPECT_EQ(a.str(), c.first) << c.a << "/" << c.b;
        EXPECT_EQ(b.str(), c.second) << c.a << "/" << c.b;
    }
    Slot a("85"), none;
    ExpandDirectiveYear(a.value, none.value);
    EXPECT_EQ(a.str(), "85");
}

TEST(PostProcessing, SmallRewrites) {
    auto apply = [](void (*routine)(std::string*), const char* in) {
        Slot v(in);
        routine(v.value);
        return v.str();
    };
    EXPECT_EQ(apply(DropLeadingZero, "012"), "12");
    EXPECT_EQ(apply(DropLeadingZero, "0123"), "0123");
    EXPECT_EQ(apply(DropLeadingZero, "01"), "01");

    EXPECT_EQ(apply(PadTwoDigits, "5"), "05");
    EXPECT_EQ(apply(PadTwoDigits, ""), "00");
    EXPECT_EQ(apply(PadTwoDigits, "123"), "123");

    EXPECT_EQ(apply(DigitsOnly, "01/02/2004"), "1022004");
    EXPECT_EQ(apply(DigitsOnly, "0/00"), "000");
    EXPECT_EQ(apply(DigitsOnly, "abc"), "");

    EXPECT_EQ(apply(AfterLastSlash, "01/02/2004"), "2004");
    EXPECT_EQ(apply(AfterLastSlash, "1/2/2004"), "2004");
    EXPECT_EQ(apply(AfterLastSlash, "1/2/200"), "1/2/200");
    EXPECT_EQ(apply(AfterLastSlash, "2004/1234"), "2004/1234");

    EXPECT_EQ(apply(TrimPatentNumber, "d0123"), "d123");
    EXPECT_EQ(apply(TrimPatentNumber, "000123"), "123");
    EXPECT_EQ(apply(TrimPatentNumber, "0000"), "0000");
    EXPECT_EQ(apply(TrimPatentNumber, "re00"), "re00");
    EXPECT_EQ(apply(TrimPatentNumber, "1023"), "1023");
    EXPECT_EQ(apply(TrimPatentNumber, "abc"), "abc");

    for (auto routine : {DropLeadingZero, PadTwoDigits, DigitsOnly, AfterLastSlash, TrimPatentNumber}) {
        routine(nullptr);
    }
}

TEST(Refusals, ReporterCitationNeedsASeparator) {
    for (const char* text : {"410 u.s. 113", "410,us,113", "410-us-113", "410\tus\t113"}) {
        CitationRecord record{text, "", "", false};
        CheckReporterSeparator(record);
        EXPECT_FALSE(record.rejected) << text;
    }
    CitationRecord record{"410u.s.113", "", "", false};
    CheckReporterSeparator(record);
    EXPECT_TRUE(record.rejected);
    EXPECT_EQ(record.error, "");
}

TEST(Refusals, ZeroPages) {
    Slot none, empty(""), zeros("000"), page("0012");
    auto rejected = [](void (*check)(CitationRecord&, const std::string*), const std::string* v) {
        CitationRecord record;
        check(record, v);
        return record.rejected ? "rejected: " + record.error : std::string("accepted");
    };
    EXPECT_EQ(rejected(RejectZeroPinPage, none.value), "rejected: Page 0 not allowed");
    EXPECT_EQ(rejected(RejectZeroPinPage, zeros.value), "rejected: Page 0 not allowed");
    EXPECT_EQ(rejected(RejectZeroPinPage, page.value), "accepted");
    EXPECT_EQ(rejected(RejectEmptyEcrPage, empty.value), "rejected: empty page id");
    EXPECT_EQ(rejected(RejectEmptyEcrPage, page.value), "accepted");
    EXPECT_EQ(rejected(RejectZeroPageNumber, zeros.value), "rejected: empty page id");
    EXPECT_EQ(rejected(RejectZeroPageNumber, none.value), "accepted");
    EXPECT_EQ(rejected(RejectZeroPageNumber, empty.value), "accepted");
}

TEST(Refusals, PatentApplicationYear) {
    Slot year("2004"), shortYear("04"), none;
    for (auto [v, expected] : {std::pair{year.value, false}, {shortYear.value, true}, {none.value, true}}) {
        CitationRecord record;
        record.error = "kept";
        RequireFourDigitYear(record, v);
        EXPECT_EQ(record.rejected, expected);
        EXPECT_EQ(record.error, "kept");
    }
}

TEST(Record, RootAndSyntaxErrorLines) {
    CitationRecord record{"410 u.s. 113", "", "", false};
    Slot cite("410 us 113"), none;
    StoreRoot(record, cite.value);
    EXPECT_EQ(record.text, "410 us 113");
    StoreRoot(record, none.value);
    EXPECT_EQ(record.text, "");

    AppendSyntaxErrorLine(record, 1, 5, std::string_view("410"));
    AppendSyntaxErrorLine(record, 2, 1, std::nullopt);
    EXPECT_EQ(record.error, "1:5 syntax error after 410\n2:1 syntax error\n");
}

}  // namespace
}  // namespace Veltra::Penwork::Recognizer
