#include <gtest/gtest.h>

#include "platform/in_memory_site.h"

using namespace smarttag::platform;

namespace {

TEST(InMemorySiteTest, BagsAreReferenceCountedAndFreed) {
    const ComCounters before = GetComCounters();
    {
        ComPtr<InMemoryRecognizerSite> site = InMemoryRecognizerSite::Create();
        EXPECT_EQ(site->RefCount(), 1u);

        ISmartTagProperties* raw = nullptr;
        ASSERT_EQ(site->GetNewPropertyBag(&raw), S_OK);
        ComPtr<ISmartTagProperties> bag = ComPtr<ISmartTagProperties>::Attach(raw);
        _bstr_t key(OLESTR("Security")), value(OLESTR("IBM US Equity"));
        EXPECT_EQ(bag->Write(key, value), S_OK);
        EXPECT_EQ(bag->Write(key, _bstr_t(OLESTR("again"))), S_OK);  // replaces in place
        EXPECT_EQ(site->CommitSmartTag(_bstr_t(OLESTR("p#Equity")), 1, 13, bag.Get()), S_OK);

        ASSERT_EQ(site->Commits().size(), 1u);
        const CommittedTag& tag = site->Commits()[0];
        EXPECT_TRUE(tag.hadBag);
        ASSERT_EQ(tag.properties.size(), 1u);
        EXPECT_EQ(tag.properties[0].second, _bstr_t(OLESTR("again")));

        void* unknown = nullptr;
        EXPECT_EQ(bag->QueryInterface(IID_IUnknown, &unknown), S_OK);
        static_cast<IUnknown*>(unknown)->Release();
    }
    const ComCounters after = GetComCounters();
    EXPECT_EQ(after.live, before.live);
    EXPECT_EQ(after.addRefs - before.addRefs, after.releases - before.releases);
}

TEST(InMemorySiteTest, ChosenFailures) {
    ComPtr<InMemoryRecognizerSite> site = InMemoryRecognizerSite::Create();
    site->SetNewPropertyBagResult(E_FAIL, false);
    ISmartTagProperties* raw = reinterpret_cast<ISmartTagProperties*>(1);
    EXPECT_EQ(site->GetNewPropertyBag(&raw), E_FAIL);
    EXPECT_EQ(raw, nullptr);

    ComPtr<InMemoryPropertyBag> bag = InMemoryPropertyBag::Create({{_bstr_t(OLESTR("k")), _bstr_t(OLESTR("v"))}});
    BSTR key = nullptr;
    EXPECT_EQ(bag->get_KeyFromIndex(1, &key), E_INVALIDARG);
    bag->FailWith(InMemoryPropertyBag::kKeyFromIndex, E_OUTOFMEMORY);
    EXPECT_EQ(bag->get_KeyFromIndex(0, &key), E_OUTOFMEMORY);
    INT count = 0;
    EXPECT_EQ(bag->get_Count(&count), S_OK);
    EXPECT_EQ(count, 1);
}

}  // namespace
