#include "recognizers/transparency_recognizer.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

boost::shared_ptr<RecognizerTransparencyImpl> RecognizerTransparencyImpl::Factory(const _bstr_t& typeName) {
    return boost::shared_ptr<RecognizerTransparencyImpl>(new RecognizerTransparencyImpl(typeName));
}

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
