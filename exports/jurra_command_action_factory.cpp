#include "actions/ui_invoke_actions.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

boost::shared_ptr<ActionUIInvokeJurraCommandImpl> ActionUIInvokeJurraCommandImpl::Ctor(
    const _bstr_t& name, const boost::function<bool(const char*, unsigned short)>& sendCommand) {
    return boost::shared_ptr<ActionUIInvokeJurraCommandImpl>(new ActionUIInvokeJurraCommandImpl(name, sendCommand));
}

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
