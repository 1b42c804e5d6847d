#include "actions/ui_invoke_actions.h"

#include <new>

#include "actions/action_text.h"
#include "adaptors/host/environment.h"
#include "adaptors/host/penwork_proxy.h"
#include "platform/safearray.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

namespace {

const OLECHAR kJurraCaption[] = OLESTR("Jurra Functions");
const OLECHAR kCitatorVerb[] = OLESTR("Jurra Citator (LXCHK)");
const OLECHAR kCitatorHead[] = OLESTR("LXCHK ");
const OLECHAR kGo[] = OLESTR("<GO>");
const OLECHAR kCitation[] = OLESTR("Citation");
const unsigned short kCitatorTarget = 2;

const OLECHAR kToolSpecification[] =
    OLESTR("NoVBA|OptionsDialog|Veltra.Penwork.OptionsDialog|Veltra.Penwork.OptionsDialog.OptionsTool");
const OLECHAR kMarketSector[] = OLESTR("MarketSector");
const LONG kToolArgumentCount = 3;

// Null equals only null; two strings are equal when their code units are.
bool SameVerb(const _bstr_t& a, const _bstr_t& b) {
    if (!a || !b) return !a && !b;
    return a == b;
}

// The array handed to the tool proxy. Its elements borrow strings owned
// elsewhere, so it is emptied before it is destroyed: destroying it as it
// stands would free them under their owners.
class BorrowingToolArray {
public:
    BorrowingToolArray() : array_(SafeArrayCreateVector(VT_BSTR, 0, ULONG(kToolArgumentCount))) {
        if (!array_) throw std::bad_alloc();
    }
    ~BorrowingToolArray() {
        Fill(nullptr, nullptr, nullptr);
        SafeArrayDestroy(array_);
    }
    BorrowingToolArray(const BorrowingToolArray&) = delete;
    BorrowingToolArray& operator=(const BorrowingToolArray&) = delete;

    void Fill(BSTR spec, BSTR cookie, BSTR argument) noexcept {
        void* data = nullptr;
        if (SafeArrayAccessData(array_, &data) != S_OK || !data) return;
        BSTR* items = static_cast<BSTR*>(data);
        items[0] = spec;
        items[1] = cookie;
        items[2] = argument;
        SafeArrayUnaccessData(array_);
    }
    SAFEARRAY* Get() const { return array_; }

private:
    SAFEARRAY* const array_;
};

}  // namespace

ActionUIInvokeJurraCommandImpl::ActionUIInvokeJurraCommandImpl(const _bstr_t& name, CommandSenderFn sendCommand)
    : sendCommand(std::move(sendCommand)), name(name) {}

ActionUIInvokeJurraCommandImpl::~ActionUIInvokeJurraCommandImpl() {}

void ActionUIInvokeJurraCommandImpl::GetTagTypes(TagTypeList& types) { types.emplace_back(name, _bstr_t(kJurraCaption)); }

void ActionUIInvokeJurraCommandImpl::GetVerbs(const _bstr_t&, VerbList& verbs) {
    const _bstr_t verb(kCitatorVerb);
    verbs.emplace_back(verb, verb);
}

void ActionUIInvokeJurraCommandImpl::Invoke(const _bstr_t&, const TagPropertyMap& properties) {
    const _bstr_t& citation = ActionText::RequiredProperty(properties, kCitation);
    const _bstr_t command = _bstr_t(kCitatorHead) + citation + _bstr_t(kGo);
    const char* text = command;
    sendCommand(text, kCitatorTarget);
}

ActionUIInvokeCommandImpl::ActionUIInvokeCommandImpl(boost::shared_ptr<IActionImpl> inner,
                                                     CaptionSourceFn captionSource)
    : inner(std::move(inner)), captionSource(std::move(captionSource)) {}

ActionUIInvokeCommandImpl::~ActionUIInvokeCommandImpl() {}

const OLECHAR* ActionUIInvokeCommandImpl::ToolSpecification() { return kToolSpecification; }

void ActionUIInvokeCommandImpl::GetTagTypes(TagTypeList& types) { inner->GetTagTypes(types); }

void ActionUIInvokeCommandImpl::GetVerbs(const _bstr_t& typeName, VerbList& verbs) {
    inner->GetVerbs(typeName, verbs);
    optionsVerb = captionSource();
    if (!toolSpec) toolSpec = _bstr_t(kToolSpecification);
    verbs.emplace_back(optionsVerb, optionsVerb);
}

void ActionUIInvokeCommandImpl::Invoke(const _bstr_t& verbName, const TagPropertyMap& properties) {
    if (!SameVerb(verbName, optionsVerb)) {
        inner->Invoke(verbName, properties);
        return;
    }
    OpenOptionsTool(properties);
}

void ActionUIInvokeCommandImpl::OpenOptionsTool(const TagPropertyMap& properties) {
    _bstr_t sector = ActionText::ToBstr(ActionText::Text());
    const auto found = properties.find(_bstr_t(kMarketSector));
    if (found != properties.end() && found->second.length() > 0) sector = found->second;

    BorrowingToolArray tool;
    const _bstr_t cookie = Veltra::Penwork::Environment::RtdEnvironment::InstanceCookie();
    tool.Fill(toolSpec, cookie, sector);

    PenworkProxy::InitializeOnChild(hostWindow, hostWindow);
    // The proxy gets the address of a pointer of its own, so the array
    // destroyed afterwards is the one made here whatever the proxy does.
    SAFEARRAY* handed = tool.Get();
    PenworkProxy::ActivateTool(&handed);
}

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
