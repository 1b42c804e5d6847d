#include "actions/ui_invoke_actions.h"
#include "adaptors/host/vutil.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

boost::shared_ptr<ActionUIInvokeCommandImpl> ActionUIInvokeCommandImpl::Ctor(
    boost::shared_ptr<IActionImpl> inner, const boost::function<_bstr_t()>& captionSource) {
    // The window is looked up once, here; a window that is not there yet
    // stays unknown for the action's life.
    boost::shared_ptr<Veltra::Util::Windows::WindowFinderImpl> finder =
        Veltra::Util::Windows::WindowFinderImpl::Ctor(false, true, L"xl");
    boost::shared_ptr<ActionUIInvokeCommandImpl> action(new ActionUIInvokeCommandImpl(std::move(inner), captionSource));
    action->hostWindow = finder->FindWindowW();
    return action;
}

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
