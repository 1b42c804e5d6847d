#include "actions/transparency_command_action.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

boost::shared_ptr<ActionTransparencyCommandImpl> ActionTransparencyCommandImpl::Factory(
    const _bstr_t& name, boost::shared_ptr<Veltra::Penwork::ToolIPC::IToolCmdImpl> toolCmd) {
    return boost::shared_ptr<ActionTransparencyCommandImpl>(new ActionTransparencyCommandImpl(name, std::move(toolCmd)));
}

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
