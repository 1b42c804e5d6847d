#include <memory>
#include <string>
#include <vector>

#include "normalizer/normalize_citation.h"
#include "normalizer/reporter_catalogue.h"
#include "recognizers/citation_recognizer.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

boost::shared_ptr<RecognizerCitationImpl> RecognizerCitationImpl::Ctor(const _bstr_t& typeName) {
    return WithNormalizer(typeName, static_cast<bool (*)(std::string&, std::string&)>(&NormalizeCitation));
}

boost::shared_ptr<RecognizerCitationImpl> RecognizerCitationImpl::Ctor(
    const _bstr_t& typeName, const std::vector<ReporterCatalogueRow>& catalogueUpdate) {
    const auto catalogue = std::make_shared<const ReporterCatalogue>(catalogueUpdate);
    return WithNormalizer(
        typeName,
        [catalogue](std::string& citation, std::string& category) {
            return NormalizeCitation(citation, category, *catalogue);
        },
        catalogue);
}

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
