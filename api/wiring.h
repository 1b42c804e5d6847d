#pragma once

// The recognizer side of the add-in, wired as the add-in's host wires it, for
// the C++ interface and smarttag-host alike: the citation recognizer
// ("Citation"), the security recognizer over the given market-sector words and
// the transparency recognizer ("Transparency"), in that order, each built by
// its exported factory. The host objects here are immutable and safe to share
// between threads.

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "adaptors/host/host_objects.h"
#include "recognizers/recognizer.h"

namespace smarttag::api {

// A host string list that never changes: Item past the end throws std::out_of_range.
class FixedStringList : public Veltra::Util::Collections::IStringListImpl {
public:
    explicit FixedStringList(const std::vector<std::string>& utf8);
    std::uint32_t Count() override;
    _bstr_t Item(std::uint32_t index) override;

private:
    const std::vector<_bstr_t> items;
};

std::vector<boost::shared_ptr<Veltra::Penwork::Recognizer::IRecognizerImpl>> StandardRecognizers(
    const std::vector<std::string>& sectors);

// A setting reader that always says recognition is enabled.
boost::shared_ptr<Veltra::Util::PersistentStorage::IPersistentSettingReaderImpl> AlwaysEnabled();
// A logger that drops every line.
boost::shared_ptr<Veltra::Util::Log::ILogInfoImpl> DiscardingLog();

}  // namespace smarttag::api
