#include "normalizer/normalize_citation.h"
#include "recognizers/citation_recognizer.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

boost::shared_ptr<RecognizerCitationImpl> RecognizerCitationImpl::Ctor(const _bstr_t& typeName) {
    return WithNormalizer(typeName, &NormalizeCitation);
}

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
