#include "api/wiring.h"

#include <stdexcept>

#include <boost/make_shared.hpp>

#include "platform/codepage.h"
#include "recognizers/citation_recognizer.h"
#include "recognizers/security_recognizer.h"
#include "recognizers/transparency_recognizer.h"

namespace smarttag::api {

namespace {

_bstr_t Wide(const std::string& utf8) { return _bstr_t(smarttag::platform::Utf8ToWide(utf8).c_str()); }

std::vector<_bstr_t> WideAll(const std::vector<std::string>& utf8) {
    std::vector<_bstr_t> wide;
    for (const std::string& text : utf8) wide.push_back(Wide(text));
    return wide;
}

class Enabled : public Veltra::Util::PersistentStorage::IPersistentSettingReaderImpl {
public:
    bool IsEnabled() override { return true; }
};

class Discarding : public Veltra::Util::Log::ILogInfoImpl {
public:
    bool Log(const std::string&) override { return true; }
};

}  // namespace

FixedStringList::FixedStringList(const std::vector<std::string>& utf8) : items(WideAll(utf8)) {}

std::uint32_t FixedStringList::Count() { return std::uint32_t(items.size()); }

_bstr_t FixedStringList::Item(std::uint32_t index) {
    if (index >= items.size()) throw std::out_of_range("string list index out of range");
    return items[index];
}

std::vector<boost::shared_ptr<Veltra::Penwork::Recognizer::IRecognizerImpl>> StandardRecognizers(
    const std::vector<std::string>& sectors) {
    using namespace Veltra::Penwork::Recognizer;
    std::vector<boost::shared_ptr<IRecognizerImpl>> recognizers;
    recognizers.push_back(RecognizerCitationImpl::Ctor(Wide("Citation")));
    recognizers.push_back(RecognizerSecurityImpl::Ctor(Wide("Security"), boost::make_shared<FixedStringList>(sectors)));
    recognizers.push_back(RecognizerTransparencyImpl::Factory(Wide("Transparency")));
    return recognizers;
}

boost::shared_ptr<Veltra::Util::PersistentStorage::IPersistentSettingReaderImpl> AlwaysEnabled() {
    return boost::make_shared<Enabled>();
}

boost::shared_ptr<Veltra::Util::Log::ILogInfoImpl> DiscardingLog() { return boost::make_shared<Discarding>(); }

}  // namespace smarttag::api
