// RecognizerCitationImpl: finds legal citations in a run of document text.
//
// A candidate pattern cuts out runs shaped as a volume, one to five short
// words and a page ("410 U.S. 113", "346 F. Supp. 2d 628"); each candidate
// goes, as 8-bit text in the ANSI code page, to the citation normalizer. A
// candidate becomes a tag only when the normalizer accepts it, its category is
// one the recognizer offers (case reporters, slip opinions and the proprietary
// document numbers; never statutes, regulations or the other families), and,
// for canonical forms of at most ten words, its volume is within the range the
// reporter catalogue knows for the reporter. A candidate that fails any of
// these is skipped and the scan goes on with the next one.
//
// Each tag is committed with the type "Citation", its 1-based start and length
// in UTF-16 code units of the text handed in, and one property, "Citation",
// holding the canonical form. Every candidate leaves one line on the debugger
// output saying what became of it.
//
// A host may hand the recognizer an update of the reporter catalogue (the
// current series and their last volumes): it then classifies and checks
// volumes against the catalogue with the update over it, for this recognizer
// only.
//
// A candidate whose page runs straight on into a letter or digit ("172 P. 3"
// cut out of "172 P. 3d, at 343", "15 U.S.C. 78" out of "78j") is not tagged:
// the page is only the front of a longer word.
//
// The recognizer is immutable after construction and keeps no state between
// calls; the compiled pattern is built once per process and only read after
// that, so concurrent Recognize calls are safe. Whatever the normalizer or the
// regular-expression library throws (the latter, for example, when matching
// exceeds its complexity limit) leaves Recognize for the adaptor to log; tags
// committed before that stay committed.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include <boost/function.hpp>
#include <boost/shared_ptr.hpp>

#include "normalizer/reporter_catalogue.h"
#include "platform/export.h"
#include "recognizers/recognizer.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

// Walks the candidate runs of a text from its start, each search resuming
// where the previous run ended. Positions and lengths are in UTF-16 code
// units. The runs are exactly the successive matches of the pattern
//   (\d+[ab]{0,1})\s+(([.a-zA-Z]{0,4}([0-9])*[.a-zA-Z]{1,4}\s+){1,5}\s*)(\d+)
// matched without regard to case, with the regular-expression library's
// digit and white-space classes. The scanner keeps what it needs of the
// text; the text may go once it is constructed.
class CitationCandidateScanner {
public:
    CitationCandidateScanner(const OLECHAR* text, std::size_t length);

    // The next run; false when there is none. May throw what the
    // regular-expression library throws.
    bool Next(std::size_t& position, std::size_t& length);

private:
    std::string text;  // one byte per code unit for its character class, then a blank's
    std::size_t at = 0;
};

class RecognizerCitationImpl : public IRecognizerImpl {
public:
    // Reads `citation` (8-bit text); on success replaces it with the canonical
    // form, fills `category` (passed in empty) and returns true.
    typedef boost::function<bool(std::string& citation, std::string& category)> NormalizeFn;

    // `typeName` is the tag type reported to the adaptor; commits always use
    // the type "Citation".
    SMARTTAG_EXPORT static boost::shared_ptr<RecognizerCitationImpl> Ctor(const _bstr_t& typeName);

    // The same, with the host's catalogue update (8-bit rows; see
    // ReporterCatalogue) laid over the reporter catalogue for this
    // recognizer: for the category a citation gets by its reporter name when
    // the grammar names none, and for the volume check. Throws
    // std::invalid_argument, naming the row, for a bad row or a name given
    // twice. An empty update gives the plain recognizer's answers.
    SMARTTAG_EXPORT static boost::shared_ptr<RecognizerCitationImpl> Ctor(
        const _bstr_t& typeName, const std::vector<ReporterCatalogueRow>& catalogueUpdate);

    // The same recognizer over another normalizer and, when `catalogue` is
    // given, that catalogue for the volume check; for tests of the
    // recognizer's own steps. Not exported.
    static boost::shared_ptr<RecognizerCitationImpl> WithNormalizer(
        const _bstr_t& typeName, NormalizeFn normalize,
        std::shared_ptr<const ReporterCatalogue> catalogue = nullptr);

    ~RecognizerCitationImpl() override;

    bool IsDisabled() override { return false; }
    void GetTagTypes(TagTypeList& types) override { types.emplace_back(typeName, typeName); }
    // A null text is empty. Returns true when at least one tag was committed.
    bool Recognize(const _bstr_t& text, CommitTagFn commit) override;

    // Whether the volume of a canonical citation is plausible for its
    // reporter: the number at the start of the first word against the highest
    // volume the catalogue knows for the words between the first and the last.
    // Citations of more than ten words pass unchecked; an empty one, one whose
    // first word does not start with a number, or whose number does not fit a
    // 32-bit int, fails.
    static bool HasPlausibleVolume(const std::string& canonical);
    // The same against `catalogue` (null: the plain catalogue).
    static bool HasPlausibleVolume(const std::string& canonical, const ReporterCatalogue* catalogue);

private:
    RecognizerCitationImpl(const _bstr_t& typeName, NormalizeFn normalize,
                           std::shared_ptr<const ReporterCatalogue> catalogue);

    const _bstr_t typeName;
    const NormalizeFn normalize;
    const std::shared_ptr<const ReporterCatalogue> catalogue;  // null: the plain catalogue
};

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
