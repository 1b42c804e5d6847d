#include "recognizers/security_recognizer.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

boost::shared_ptr<RecognizerSecurityImpl> RecognizerSecurityImpl::Ctor(
    const _bstr_t& typeName, boost::shared_ptr<Veltra::Util::Collections::IStringListImpl> sectors) {
    return boost::shared_ptr<RecognizerSecurityImpl>(new RecognizerSecurityImpl(typeName, std::move(sectors)));
}

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
