// For tests that count BSTR and SAFEARRAY allocations or make them fail, and
// for tests that assume the ANSI code page is Windows-1252.
//
// Those facilities belong to the stand-in allocator; the system allocator on
// Windows has neither, so such tests skip themselves there:
//
//   TEST(X, FreesEveryString) {
//       SMARTTAG_REQUIRE_ALLOCATION_COUNTERS();
//       ...
//   }
//
// Leak checks that merely compare counters before and after need nothing:
// on Windows the counters stay at zero and the check holds trivially.
#pragma once

#include <gtest/gtest.h>

#include "platform/bstr.h"
#include "platform/codepage.h"

#define SMARTTAG_REQUIRE_ALLOCATION_COUNTERS()                                                   \
    do {                                                                                         \
        if (!::smarttag::platform::AllocationCountersAvailable())                                \
            GTEST_SKIP() << "BSTR allocation counters and failure injection need the stand-in " \
                            "allocator; the Windows one offers neither";                         \
    } while (0)

// For tests of the conversions in the ANSI code page: the stand-in's is
// always Windows-1252, Windows' is the system's (Wine's follows the locale).
#define SMARTTAG_REQUIRE_ANSI_CODE_PAGE_1252()                                                 \
    do {                                                                                       \
        if (GetACP() != 1252)                                                                  \
            GTEST_SKIP() << "the system ANSI code page is " << GetACP() << ", not Windows-1252"; \
    } while (0)
