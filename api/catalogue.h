#pragma once

// The reporter catalogue update the library is built with
// (data/catalogue-update.tsv, compiled in), and how the C++ interface and
// smarttag-host pick the citation recognizer's update from one option.

#include <string>
#include <string_view>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "normalizer/catalogue_update.h"
#include "platform/codepage.h"
#include "recognizers/citation_recognizer.h"

namespace smarttag::api {

// The text of data/catalogue-update.tsv as it was when the library was built.
std::string_view BundledCatalogueUpdate() noexcept;

// The update for `catalogue` (empty: the bundled one; a path: that file), as
// CitationRecognizerFor reads it. Throws as CitationRecognizerFor does.
inline std::vector<Veltra::Penwork::Recognizer::CatalogueUpdateEntry> CatalogueUpdateFor(
    const std::string& catalogue) {
    using namespace Veltra::Penwork::Recognizer;
    return catalogue.empty() ? ParseCatalogueUpdate(BundledCatalogueUpdate(), "bundled catalogue-update.tsv")
                             : LoadCatalogueUpdateFile(catalogue);
}

// The citation recognizer ("Citation") for `catalogue`: empty for the bundled
// update, "none" for the built-in catalogue alone, else the path of an update
// file. Throws Veltra::Penwork::Recognizer::CatalogueUpdateError for a file
// that cannot be read or has a bad line, naming file and line.
inline boost::shared_ptr<Veltra::Penwork::Recognizer::RecognizerCitationImpl> CitationRecognizerFor(
    const std::string& catalogue) {
    using namespace Veltra::Penwork::Recognizer;
    const _bstr_t type(smarttag::platform::Utf8ToWide("Citation").c_str());
    if (catalogue == "none") return RecognizerCitationImpl::Ctor(type);
    return RecognizerCitationImpl::Ctor(type, CatalogueRows(CatalogueUpdateFor(catalogue)));
}

}  // namespace smarttag::api
