// ActionTransparencyCommandImpl: the action for the transparency tag type.
//
// It declares one tag type, captioned "Veltra Transparency Functions", and
// offers one verb for any type, "Get Transparency Data...". Invoking it runs
// the host tool channel's command: at once when the channel is ready
// (Execute(0, ...)), otherwise after initializing the tool proxy on the host
// window (Initialize(0, window), then Execute(1, ...)); with the channel not
// ready and no window, nothing happens.
//
// The host window is looked up on invocation while none has been found, and
// once found it is kept for the whole process and shared by every object of
// the class. Nothing is caught here; the adaptor logs what is thrown.
#pragma once

#include <boost/shared_ptr.hpp>

#include "actions/action.h"
#include "adaptors/host/host_objects.h"
#include "platform/export.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

class ActionTransparencyCommandImpl : public IActionImpl {
public:
    SMARTTAG_EXPORT static boost::shared_ptr<ActionTransparencyCommandImpl> Factory(
        const _bstr_t& name, boost::shared_ptr<Veltra::Penwork::ToolIPC::IToolCmdImpl> toolCmd);

    ~ActionTransparencyCommandImpl() override;

    void GetTagTypes(TagTypeList& types) override;
    void Invoke(const _bstr_t& verbName, const TagPropertyMap& properties) override;
    void GetVerbs(const _bstr_t& typeName, VerbList& verbs) override;

    // The window kept for the process (null while none was found), and a way
    // to forget it so that tests start from a freshly loaded library.
    static HWND CachedWindow();
    static void ForgetCachedWindow();

private:
    ActionTransparencyCommandImpl(const _bstr_t& name,
                                  boost::shared_ptr<Veltra::Penwork::ToolIPC::IToolCmdImpl> toolCmd);

    const _bstr_t name;
    const boost::shared_ptr<Veltra::Penwork::ToolIPC::IToolCmdImpl> toolCmd;

    static HWND cachedWindow;
};

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
