#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include <gtest/gtest.h>

#include "platform/bstr.h"
#include "platform/comutil.h"
#include "tests/support/platform_facilities.h"

using smarttag::platform::GetBstrCounters;
using smarttag::platform::ScopedBstrAllocationFailure;

namespace {

typedef std::basic_string<OLECHAR> Wide;

Wide W(const _bstr_t& b) {
    const OLECHAR* p = b;
    return p ? Wide(p, b.length()) : Wide();
}

// Fails the test if the strings made inside `body` are not all freed.
template <class F>
void ExpectNoLeak(F body) {
    const long before = GetBstrCounters().live();
    body();
    EXPECT_EQ(GetBstrCounters().live(), before);
}

TEST(SysAllocTest, LengthPrefixTerminatorAndEmbeddedNul) {
    const OLECHAR text[] = {u'a', 0, u'b'};
    BSTR s = SysAllocStringLen(text, 3);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(SysStringLen(s), 3u);
    EXPECT_EQ(SysStringByteLen(s), 6u);
    EXPECT_EQ(s[1], 0);
    EXPECT_EQ(s[2], u'b');
    EXPECT_EQ(s[3], 0);  // terminator after the counted units
    SysFreeString(s);

    BSTR uninitialised = SysAllocStringLen(nullptr, 2);
    EXPECT_EQ(SysStringLen(uninitialised), 2u);
    SysFreeString(uninitialised);

    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    SysFreeString(nullptr);  // harmless
}

TEST(SysAllocTest, CountersBalanceAndFailureInjection) {
    SMARTTAG_REQUIRE_ALLOCATION_COUNTERS();
    const auto before = GetBstrCounters();
    SysFreeString(SysAllocString(OLESTR("x")));
    EXPECT_EQ(GetBstrCounters().allocated, before.allocated + 1);
    EXPECT_EQ(GetBstrCounters().freed, before.freed + 1);

    ScopedBstrAllocationFailure failAfterOne(1);
    BSTR first = SysAllocString(OLESTR("ok"));
    EXPECT_NE(first, nullptr);
    EXPECT_EQ(SysAllocString(OLESTR("fails")), nullptr);
    SysFreeString(first);
}

// use_count() and the guarded Detach belong to the stand-in _bstr_t; the
// compiler's own on Windows has neither.
#if !defined(_WIN32)
TEST(BstrTTest, CopiesShareOneBufferAndTheLastOneFreesIt) {
    ExpectNoLeak([] {
        const long before = GetBstrCounters().allocated;
        _bstr_t a(OLESTR("shared"));
        {
            _bstr_t b = a;
            _bstr_t c;
            c = b;
            EXPECT_EQ(static_cast<const OLECHAR*>(a), static_cast<const OLECHAR*>(c));
            EXPECT_EQ(a.use_count(), 3u);
        }
        EXPECT_EQ(a.use_count(), 1u);
        EXPECT_EQ(GetBstrCounters().allocated, before + 1);
        _bstr_t& alias = a;
        a = alias;  // self-assignment keeps the string
        EXPECT_EQ(W(a), OLESTR("shared"));
    });
}

TEST(BstrTTest, SharingAcrossThreadsKeepsTheCountExact) {
    ExpectNoLeak([] {
        const _bstr_t shared(OLESTR("shared by threads \u00e9"));
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t)
            threads.emplace_back([&shared] {
                for (int i = 0; i < 20000; ++i) {
                    _bstr_t copy = shared;
                    // All threads race to make the 8-bit form; one wins.
                    if (static_cast<const char*>(copy)[0] != 's') std::abort();
                }
            });
        for (auto& thread : threads) thread.join();
        EXPECT_EQ(shared.use_count(), 1u);
    });
}
#endif  // !_WIN32

TEST(BstrTTest, NullEmptyAndOwnership) {
    ExpectNoLeak([] {
        _bstr_t null;
        EXPECT_TRUE(!null);
        EXPECT_EQ(null.length(), 0u);
        EXPECT_EQ(static_cast<const char*>(null), nullptr);
        EXPECT_EQ(null.copy(), nullptr);

        _bstr_t empty(OLESTR(""));
        EXPECT_FALSE(!empty);
        EXPECT_STREQ(static_cast<const char*>(empty), "");

        // Attach takes ownership, copy(false) lends, Detach gives it back.
        _bstr_t owner;
        owner.Attach(SysAllocString(OLESTR("own")));
        BSTR lent = owner.copy(false);
        EXPECT_EQ(lent, static_cast<const OLECHAR*>(owner));
        BSTR mine = owner.Detach();
        EXPECT_TRUE(!owner);
        SysFreeString(mine);

#if !defined(_WIN32)
        _bstr_t shared(OLESTR("s")), other = shared;
        bool threw = false;
        try {
            shared.Detach();
        } catch (const _com_error& e) {
            threw = e.Error() == E_POINTER;
        }
        EXPECT_TRUE(threw) << "detaching a shared buffer would free it under the other copy";
#endif

        // Embedded NULs survive copies and concatenation.
        const OLECHAR raw[] = {u'x', 0, u'y'};
        BSTR withNul = SysAllocStringLen(raw, 3);
        _bstr_t copied(withNul, true);
        SysFreeString(withNul);
        EXPECT_EQ((copied + _bstr_t(OLESTR("z"))).length(), 4u);
    });
}

TEST(BstrTTest, ConcatenationKeepsBothOperands) {
    ExpectNoLeak([] {
        _bstr_t prefix(OLESTR("urn:x#"));
        _bstr_t name = prefix + _bstr_t(OLESTR("Citation"));
        EXPECT_EQ(W(name), OLESTR("urn:x#Citation"));
        EXPECT_EQ(W(prefix), OLESTR("urn:x#"));
        EXPECT_EQ(W(_bstr_t() + _bstr_t()), OLESTR(""));
        _bstr_t grow = prefix;
        grow += _bstr_t("T");
        EXPECT_EQ(W(grow), OLESTR("urn:x#T"));
        EXPECT_EQ(W(prefix), OLESTR("urn:x#")) << "+= must not write into the shared buffer";
        EXPECT_EQ(W("a" + _bstr_t(OLESTR("b"))), OLESTR("ab"));
    });
}

TEST(BstrTTest, OrderIsByUnsignedCodeUnitWithPrefixFirst) {
    const OLECHAR high[] = {0x8000, 0};
    const OLECHAR low[] = {0x7FFF, 0};
    EXPECT_LT(_bstr_t(low), _bstr_t(high)) << "units above 0x7FFF compare unsigned";
    EXPECT_LT(_bstr_t(OLESTR("Security")), _bstr_t(OLESTR("SecurityX")));
    EXPECT_LT(_bstr_t(OLESTR("MarketSector")), _bstr_t(OLESTR("Security")));
    EXPECT_LT(_bstr_t(OLESTR("Z")), _bstr_t(OLESTR("a"))) << "case-sensitive, by code unit";
    EXPECT_LT(_bstr_t(), _bstr_t(OLESTR("a")));
    EXPECT_GT(_bstr_t(OLESTR("a")), _bstr_t());
#if defined(_WIN32)
    EXPECT_LT(_bstr_t(), _bstr_t(OLESTR(""))) << "the compiler's _bstr_t puts null before empty";
#else
    EXPECT_EQ(_bstr_t(), _bstr_t(OLESTR("")));
#endif
    EXPECT_NE(_bstr_t(OLESTR("ab")), _bstr_t(OLESTR("abc")));

    std::map<_bstr_t, int> keys{{_bstr_t(OLESTR("Security")), 1}, {_bstr_t(OLESTR("")), 2},
                                {_bstr_t(OLESTR("MarketSector")), 3}, {_bstr_t(high), 4}};
    Wide order;
    for (const auto& entry : keys) order += W(entry.first) + OLESTR("|");
    EXPECT_EQ(order, Wide(OLESTR("|MarketSector|Security|")) + high + OLESTR("|"));
}

TEST(BstrTTest, AnsiConversionUsesWindows1252WithBestFit) {
    SMARTTAG_REQUIRE_ANSI_CODE_PAGE_1252();
    ExpectNoLeak([] {
        // é is in the code page, ő best-fits to o, the em dash is byte 0x97,
        // a CJK character has no equivalent.
        const OLECHAR text[] = {u'é', u'ő', 0x2014, 0x4E2D, 0};
        _bstr_t wide(text);
        EXPECT_EQ(std::string(static_cast<const char*>(wide)), "\xE9o\x97?");

        _bstr_t back("caf\xE9 \x80");
        EXPECT_EQ(W(back), OLESTR("café €"));

        // The 8-bit form is made once and shared by all copies.
        _bstr_t copy = wide;
        EXPECT_EQ(static_cast<const char*>(copy), static_cast<const char*>(wide));
    });
}

TEST(BstrTTest, AllocationFailureThrowsComErrorNotStdException) {
    static_assert(!std::is_base_of<std::exception, _com_error>::value,
                  "the adaptors rely on _com_error not being a std::exception");
    SMARTTAG_REQUIRE_ALLOCATION_COUNTERS();
    ExpectNoLeak([] {
        _bstr_t left(OLESTR("a"));
        ScopedBstrAllocationFailure fail;
        HRESULT error = S_OK;
        try {
            _bstr_t joined = left + left;
        } catch (const _com_error& e) {
            error = e.Error();
        }
        EXPECT_EQ(error, E_OUTOFMEMORY);
        EXPECT_THROW(_bstr_t("x"), _com_error);
        EXPECT_THROW(_bstr_t(OLESTR("x")), _com_error);
        EXPECT_NO_THROW(_bstr_t(static_cast<const OLECHAR*>(nullptr)));
    });
}

}  // namespace
