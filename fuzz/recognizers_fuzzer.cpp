// The citation, security and transparency recognizers behind the recognizer
// adaptor, on arbitrary UTF-16 text (see DecodeText for how bytes become code
// units: plain text stays readable, lone surrogates and NULs are reachable).
//
// The adaptor is built once, as Office keeps it, and every input goes through
// Recognize2 on a fresh in-memory site. Checked for every input:
//   - every committed tag lies inside the text, has a length, and the
//     citation tags come in text order without overlapping;
//   - every property bag handed out is released (no COM object outlives
//     the call);
//   - nothing was logged: an exception caught by the adaptor is a fault
//     here, except the regular-expression library's complexity limit,
//     which is the one documented way for a scan to give up.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <boost/make_shared.hpp>

#include "adaptors/host/recording_host.h"
#include "adaptors/recognizer_adaptor.h"
#include "fuzz/fuzz_input.h"
#include "platform/bstr.h"
#include "platform/com_object.h"
#include "platform/in_memory_site.h"
#include "recognizers/citation_recognizer.h"
#include "recognizers/security_recognizer.h"
#include "recognizers/transparency_recognizer.h"

using namespace Veltra::Penwork::Recognizer;
using smarttag::platform::InMemoryRecognizerSite;

namespace {

struct Wiring {
    boost::shared_ptr<smarttag::host::RecordingLogInfo> log;
    boost::shared_ptr<SmartTag2RecognizerAdaptorImpl> adaptor;

    Wiring() : log(boost::make_shared<smarttag::host::RecordingLogInfo>()) {
        std::vector<boost::shared_ptr<IRecognizerImpl>> recognizers;
        recognizers.push_back(RecognizerCitationImpl::Ctor(_bstr_t(OLESTR("Citation"))));
        recognizers.push_back(RecognizerSecurityImpl::Ctor(
            _bstr_t(OLESTR("Security")),
            smarttag::host::VectorStringList::FromUtf8(
                {"Equity", "Corp", "Bond", "Fund", "Index", "Currency", "Commodity"})));
        recognizers.push_back(RecognizerTransparencyImpl::Factory(_bstr_t(OLESTR("Transparency"))));
        adaptor = SmartTag2RecognizerAdaptorImpl::Ctor(recognizers, _bstr_t(OLESTR("urn:fuzz#")),
                                                      boost::make_shared<smarttag::host::FixedSettingReader>(true),
                                                      log);
    }
};

bool IsComplexityLimit(const std::string& line) {
    return line.find("complexity") != std::string::npos || line.find("Memory exhausted") != std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Wiring wiring;
    const smarttag::fuzz::Units units = smarttag::fuzz::DecodeText(data, size);
    const long liveBefore = smarttag::platform::GetComCounters().live;
    {
        const _bstr_t text(SysAllocStringLen(units.data(), UINT(units.size())), false);
        auto site = InMemoryRecognizerSite::Create();
        wiring.log->messages.clear();
        const HRESULT hr = wiring.adaptor->Recognize2(text, IF_TYPE_PARA, 1033, site.Get(),
                                                      _bstr_t(OLESTR("fuzz")), nullptr);
        FUZZ_CHECK(hr == S_OK || hr == S_FALSE);
        for (const std::string& line : wiring.log->messages) {
            if (IsComplexityLimit(line)) continue;
            std::fprintf(stderr, "logged: %s\n", line.c_str());
            FUZZ_CHECK(!"the adaptor caught an exception");
        }

        const long n = long(units.size());
        long citationEnd = 0;  // 1-based end of the previous citation tag
        for (const auto& tag : site->Commits()) {
            FUZZ_CHECK(tag.start >= 1);
            FUZZ_CHECK(tag.length >= 1);
            FUZZ_CHECK(long(tag.start) - 1 + tag.length <= n);
            if (tag.name == _bstr_t(OLESTR("urn:fuzz#Citation"))) {
                FUZZ_CHECK(tag.start > citationEnd);
                citationEnd = long(tag.start) + tag.length - 1;
                FUZZ_CHECK(tag.hadBag && tag.properties.size() == 1);
            }
        }
    }
    FUZZ_CHECK(smarttag::platform::GetComCounters().live == liveBefore);
    return 0;
}
