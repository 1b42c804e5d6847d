#include "adaptors/action_adaptor.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

boost::shared_ptr<SmartTag2ActionAdaptorImpl> SmartTag2ActionAdaptorImpl::Ctor(
    std::vector<boost::shared_ptr<IActionImpl>> actions, const _bstr_t& tagPrefix,
    boost::shared_ptr<Veltra::Util::Log::ILogInfoImpl> logInfo) {
    return boost::shared_ptr<SmartTag2ActionAdaptorImpl>(
        new SmartTag2ActionAdaptorImpl(std::move(actions), tagPrefix, std::move(logInfo)));
}

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
