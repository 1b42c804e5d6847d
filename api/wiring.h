#pragma once

// The recognizer side of the add-in, wired as the add-in's host wires it, for
// the C++ interface and smarttag-host alike: the citation recognizer
// ("Citation"), the security recognizer over the given market-sector words and
// the transparency recognizer ("Transparency"), in that order, each built by
// its exported factory. The host objects here are immutable and safe to share
// between threads. Everything is inline, so that a program using this header
// reaches the library through the exported factories alone.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include <boost/make_shared.hpp>
#include <boost/shared_ptr.hpp>

#include "adaptors/host/host_objects.h"
#include "platform/codepage.h"
#include "recognizers/citation_recognizer.h"
#include "recognizers/recognizer.h"
#include "recognizers/security_recognizer.h"
#include "recognizers/transparency_recognizer.h"

namespace smarttag::api {

inline _bstr_t WideText(const std::string& utf8) { return _bstr_t(smarttag::platform::Utf8ToWide(utf8).c_str()); }

// A host string list that never changes: Item past the end throws std::out_of_range.
class FixedStringList : public Veltra::Util::Collections::IStringListImpl {
public:
    explicit FixedStringList(const std::vector<std::string>& utf8) {
        for (const std::string& text : utf8) items.push_back(WideText(text));
    }
    std::uint32_t Count() override { return std::uint32_t(items.size()); }
    _bstr_t Item(std::uint32_t index) override {
        if (index >= items.size()) throw std::out_of_range("string list index out of range");
        return items[index];
    }

private:
    std::vector<_bstr_t> items;
};

// `citation` stands in for the citation recognizer the plain factory builds
// (one with a catalogue update, say) when it is given.
inline std::vector<boost::shared_ptr<Veltra::Penwork::Recognizer::IRecognizerImpl>> StandardRecognizers(
    const std::vector<std::string>& sectors,
    boost::shared_ptr<Veltra::Penwork::Recognizer::IRecognizerImpl> citation = nullptr) {
    using namespace Veltra::Penwork::Recognizer;
    std::vector<boost::shared_ptr<IRecognizerImpl>> recognizers;
    recognizers.push_back(citation ? std::move(citation) : RecognizerCitationImpl::Ctor(WideText("Citation")));
    recognizers.push_back(
        RecognizerSecurityImpl::Ctor(WideText("Security"), boost::make_shared<FixedStringList>(sectors)));
    recognizers.push_back(RecognizerTransparencyImpl::Factory(WideText("Transparency")));
    return recognizers;
}

// A setting reader that always says recognition is enabled.
class AlwaysEnabled : public Veltra::Util::PersistentStorage::IPersistentSettingReaderImpl {
public:
    bool IsEnabled() override { return true; }
};

// A logger that drops every line.
class DiscardingLog : public Veltra::Util::Log::ILogInfoImpl {
public:
    bool Log(const std::string&) override { return true; }
};

}  // namespace smarttag::api
