#include "adaptors/recognizer_adaptor.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

boost::shared_ptr<SmartTag2RecognizerAdaptorImpl> SmartTag2RecognizerAdaptorImpl::Ctor(
    std::vector<boost::shared_ptr<IRecognizerImpl>> recognizers, const _bstr_t& tagPrefix,
    boost::shared_ptr<Veltra::Util::PersistentStorage::IPersistentSettingReaderImpl> settingReader,
    boost::shared_ptr<Veltra::Util::Log::ILogInfoImpl> logInfo) {
    return boost::shared_ptr<SmartTag2RecognizerAdaptorImpl>(new SmartTag2RecognizerAdaptorImpl(
        std::move(recognizers), tagPrefix, std::move(settingReader), std::move(logInfo)));
}

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
