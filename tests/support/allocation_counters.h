// For tests that count BSTR and SAFEARRAY allocations or make them fail.
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

#define SMARTTAG_REQUIRE_ALLOCATION_COUNTERS()                                                   \
    do {                                                                                         \
        if (!::smarttag::platform::AllocationCountersAvailable())                                \
            GTEST_SKIP() << "BSTR allocation counters and failure injection need the stand-in " \
                            "allocator; the Windows one offers neither";                         \
    } while (0)
