#include <gtest/gtest.h>

#include "platform/comutil.h"
#include "platform/safearray.h"

using smarttag::platform::GetBstrCounters;
using smarttag::platform::GetSafeArrayCounters;

namespace {

TEST(SafeArrayTest, VectorOfBstrLifecycle) {
    const long arraysBefore = GetSafeArrayCounters().live();
    const long stringsBefore = GetBstrCounters().live();

    SAFEARRAY* psa = SafeArrayCreateVector(VT_BSTR, 0, 3);
    ASSERT_NE(psa, nullptr);
    EXPECT_EQ(SafeArrayGetDim(psa), 1u);
    LONG lower = -1, upper = -1;
    EXPECT_EQ(SafeArrayGetLBound(psa, 1, &lower), S_OK);
    EXPECT_EQ(SafeArrayGetUBound(psa, 1, &upper), S_OK);
    EXPECT_EQ(lower, 0);
    EXPECT_EQ(upper, 2);

    LONG index = 1;
    _bstr_t value(OLESTR("cookie"));
    EXPECT_EQ(SafeArrayPutElement(psa, &index, static_cast<BSTR>(value)), S_OK);
    BSTR out = nullptr;
    EXPECT_EQ(SafeArrayGetElement(psa, &index, &out), S_OK);
    EXPECT_EQ(_bstr_t(out, false), value);
    index = 3;
    EXPECT_EQ(SafeArrayGetElement(psa, &index, &out), DISP_E_BADINDEX);

    // A locked array cannot be destroyed; access and unaccess must pair up.
    void* data = nullptr;
    EXPECT_EQ(SafeArrayAccessData(psa, &data), S_OK);
    EXPECT_EQ(static_cast<BSTR*>(data)[0], nullptr);
    EXPECT_EQ(SafeArrayDestroy(psa), DISP_E_ARRAYISLOCKED);
    EXPECT_EQ(SafeArrayUnaccessData(psa), S_OK);
    EXPECT_EQ(SafeArrayUnaccessData(psa), E_UNEXPECTED);

    // Destroying frees the strings the array owns.
    EXPECT_EQ(SafeArrayDestroy(psa), S_OK);
    EXPECT_EQ(GetSafeArrayCounters().live(), arraysBefore);
    value = _bstr_t();
    EXPECT_EQ(GetBstrCounters().live(), stringsBefore);

    EXPECT_EQ(SafeArrayCreateVector(VT_EMPTY, 0, 1), nullptr);
}

}  // namespace
