#include "actions/terminal_command_action.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

boost::shared_ptr<ActionTerminalCommandImpl> ActionTerminalCommandImpl::Ctor(
    const _bstr_t& name, boost::shared_ptr<Veltra::Util::Collections::IStringListImpl> tagTypes,
    _bstr_t captionTemplate, boost::function<_bstr_t(const _bstr_t&)> verbSource,
    const boost::function<_bstr_t(const _bstr_t&)>& nameMapper,
    const boost::function<bool(const char*, unsigned short)>& sendCommand) {
    return boost::shared_ptr<ActionTerminalCommandImpl>(new ActionTerminalCommandImpl(
        name, std::move(tagTypes), captionTemplate, std::move(verbSource), nameMapper, sendCommand));
}

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
