// The two UI invoke actions.
//
// ActionUIInvokeJurraCommandImpl: the action for legal citations. It declares
// one tag type, captioned "Jurra Functions", and offers one verb for any type,
// the citator; invoking it, whatever the verb, sends the terminal
// "LXCHK <the tag's Citation><GO>" in the ANSI code page with target 2. A tag
// without a "Citation" property is refused with std::invalid_argument.
//
// ActionUIInvokeCommandImpl: wraps another action, passing its tag types and
// verbs through and adding to every tag type one options verb, named and
// captioned by the host's caption source. The options verb is recognised by
// the caption fetched most recently (each GetVerbs fetches it again); any
// other verb goes to the wrapped action. Invoking it opens the add-in's
// options tool through the tool proxy, bound to the host window found once
// when the action was built, handing the tool
// [tool specification, instance cookie, the tag's MarketSector or ""].
//
// Neither action catches anything; the adaptor logs what they throw.
#pragma once

#include <boost/shared_ptr.hpp>

#include "actions/action.h"
#include "adaptors/host/host_objects.h"
#include "platform/export.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

class ActionUIInvokeJurraCommandImpl : public IActionImpl {
public:
    SMARTTAG_EXPORT static boost::shared_ptr<ActionUIInvokeJurraCommandImpl> Ctor(
        const _bstr_t& name, const boost::function<bool(const char*, unsigned short)>& sendCommand);

    ~ActionUIInvokeJurraCommandImpl() override;

    void GetTagTypes(TagTypeList& types) override;
    void Invoke(const _bstr_t& verbName, const TagPropertyMap& properties) override;
    void GetVerbs(const _bstr_t& typeName, VerbList& verbs) override;

private:
    ActionUIInvokeJurraCommandImpl(const _bstr_t& name, CommandSenderFn sendCommand);

    const CommandSenderFn sendCommand;
    const _bstr_t name;
};

class ActionUIInvokeCommandImpl : public IActionImpl {
public:
    // Looks the host window up once, now.
    SMARTTAG_EXPORT static boost::shared_ptr<ActionUIInvokeCommandImpl> Ctor(
        boost::shared_ptr<IActionImpl> inner, const boost::function<_bstr_t()>& captionSource);

    ~ActionUIInvokeCommandImpl() override;

    void GetTagTypes(TagTypeList& types) override;
    void Invoke(const _bstr_t& verbName, const TagPropertyMap& properties) override;
    void GetVerbs(const _bstr_t& typeName, VerbList& verbs) override;

    // What the tool proxy is asked to open.
    static const OLECHAR* ToolSpecification();

private:
    ActionUIInvokeCommandImpl(boost::shared_ptr<IActionImpl> inner, CaptionSourceFn captionSource);

    void OpenOptionsTool(const TagPropertyMap& properties);

    const boost::shared_ptr<IActionImpl> inner;
    const CaptionSourceFn captionSource;
    HWND hostWindow = nullptr;
    _bstr_t optionsVerb;  // null until the first GetVerbs
    _bstr_t toolSpec;     // null until the first GetVerbs
};

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
