// RecognizerSecurityImpl: recognizes a whole run of text as a security.
//
// The text must read: one or more name words, then a market-sector word from
// the host's list, optionally followed by one identifier-type keyword
// ("XYZ US Equity", "XYZ Equity TICKER"). Words are separated by U+0020 only;
// sector words and keywords match regardless of ASCII letter case. The whole
// text is tagged from position 1, under the sector word as the list spells
// it, with the properties "Security" (the text as given) and "MarketSector"
// (the sector word). Sector plus name words, each name word counted with one
// following blank, plus 2 must fit in 64 UTF-16 code units.
//
// Each sector word is also one tag type. The recognizer is disabled when the
// list is empty. The upper-cased sector keys are taken from the list when the
// recognizer is built and kept with it, so recognizers on different lists do
// not disturb each other; the identifier-type keys are shared and built once.
#pragma once

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "adaptors/host/host_objects.h"
#include "platform/export.h"
#include "recognizers/recognizer.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

class RecognizerSecurityImpl : public IRecognizerImpl {
public:
    SMARTTAG_EXPORT static boost::shared_ptr<RecognizerSecurityImpl> Ctor(
        const _bstr_t& typeName, boost::shared_ptr<Veltra::Util::Collections::IStringListImpl> sectors);

    ~RecognizerSecurityImpl() override;

    bool IsDisabled() override;
    void GetTagTypes(TagTypeList& types) override;
    bool Recognize(const _bstr_t& text, CommitTagFn commit) override;

    // The identifier-type keywords that may follow the sector word, in order.
    static const std::vector<std::basic_string<OLECHAR>>& IdentifierTypes();

private:
    RecognizerSecurityImpl(const _bstr_t& typeName,
                           boost::shared_ptr<Veltra::Util::Collections::IStringListImpl> sectors);

    // Index of the sector whose key equals the upper-cased `word`, or -1.
    long FindSector(const std::basic_string<OLECHAR>& upperWord) const;

    const _bstr_t typeName;  // kept for the host; not consulted
    const boost::shared_ptr<Veltra::Util::Collections::IStringListImpl> sectors;
    std::vector<std::basic_string<OLECHAR>> sectorKeys;  // upper-cased, list order
};

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
