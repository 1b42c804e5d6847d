#include "actions/transparency_command_action.h"

#include <stdexcept>

#include "actions/action_text.h"
#include "adaptors/host/penwork_proxy.h"
#include "adaptors/host/vutil.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

namespace {

const OLECHAR kCaption[] = OLESTR("Veltra Transparency Functions");
const OLECHAR kVerb[] = OLESTR("Get Transparency Data...");

HWND FindHostWindow() {
    const boost::shared_ptr<Veltra::Util::Windows::WindowFinderImpl> finder =
        Veltra::Util::Windows::WindowFinderImpl::Ctor(false, true, L"xl");
    return finder->FindWindowW();
}

}  // namespace

HWND ActionTransparencyCommandImpl::cachedWindow = nullptr;

HWND ActionTransparencyCommandImpl::CachedWindow() { return cachedWindow; }

void ActionTransparencyCommandImpl::ForgetCachedWindow() { cachedWindow = nullptr; }

ActionTransparencyCommandImpl::ActionTransparencyCommandImpl(
    const _bstr_t& name, boost::shared_ptr<Veltra::Penwork::ToolIPC::IToolCmdImpl> toolCmd)
    : name(name), toolCmd(std::move(toolCmd)) {}

ActionTransparencyCommandImpl::~ActionTransparencyCommandImpl() {}

void ActionTransparencyCommandImpl::GetTagTypes(TagTypeList& types) { types.emplace_back(name, _bstr_t(kCaption)); }

void ActionTransparencyCommandImpl::GetVerbs(const _bstr_t&, VerbList& verbs) {
    const _bstr_t verb(kVerb);
    verbs.emplace_back(verb, verb);
}

void ActionTransparencyCommandImpl::Invoke(const _bstr_t&, const TagPropertyMap&) {
    if (!cachedWindow) cachedWindow = FindHostWindow();

    const _bstr_t empty = ActionText::ToBstr(ActionText::Text());
    int justInitialized = 0;
    if (!toolCmd->IsReady()) {
        if (!cachedWindow) return;
        PenworkProxy::Initialize(0, cachedWindow);
        justInitialized = 1;
    }
    const boost::shared_ptr<Veltra::Penwork::ToolIPC::IToolCommandImpl> command = toolCmd->GetCommand();
    // A channel that hands out no command cannot run one; say so rather
    // than report the verb as done.
    if (!command) throw std::runtime_error("the tool channel gave no command to run");
    command->Execute(justInitialized, empty, empty, empty, empty);
}

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
