#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include "adaptors/host/recording_host.h"
#include "adaptors/recognizer_adaptor.h"
#include "platform/in_memory_site.h"
#include "recognizers/transparency_recognizer.h"

using namespace Veltra::Penwork::Recognizer;

namespace {

std::string NameOf(SmartTag2RecognizerAdaptorImpl& adaptor, int id) {
    BSTR name = nullptr;
    EXPECT_EQ(adaptor.get_SmartTagName(id, &name), S_OK);
    _bstr_t owned(name, false);
    return std::string(static_cast<const char*>(owned));
}

TEST(TransparencyRecognizerTest, NamesItsTypeAndNeverTags) {
    auto log = boost::make_shared<smarttag::host::RecordingLogInfo>();
    auto setting = boost::make_shared<smarttag::host::FixedSettingReader>(true);
    auto adaptor = SmartTag2RecognizerAdaptorImpl::Ctor(
        {RecognizerTransparencyImpl::Factory(_bstr_t(OLESTR("Transparency")))}, _bstr_t(OLESTR("urn:p#")), setting, log);
    int count = 0;
    EXPECT_EQ(adaptor->get_SmartTagCount(&count), S_OK);
    EXPECT_EQ(count, 1);
    EXPECT_EQ(NameOf(*adaptor, 1), "urn:p#Transparency");

    auto site = smarttag::platform::InMemoryRecognizerSite::Create();
    EXPECT_EQ(adaptor->Recognize(_bstr_t(OLESTR("Transparency IBM US Equity")), IF_TYPE_PARA, 0, site.Get()), S_OK);
    EXPECT_TRUE(site->Commits().empty());

    // An empty type name leaves the bare prefix.
    auto bare = SmartTag2RecognizerAdaptorImpl::Ctor({RecognizerTransparencyImpl::Factory(_bstr_t(OLESTR("")))},
                                                     _bstr_t(OLESTR("urn:p#")), setting, log);
    EXPECT_EQ(NameOf(*bare, 1), "urn:p#");
    EXPECT_FALSE(RecognizerTransparencyImpl::Factory(_bstr_t(OLESTR("T")))->IsDisabled());
}

}  // namespace
