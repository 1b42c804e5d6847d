// SmartTag2ActionAdaptorImpl: the library's one action object.
//
// It owns an ordered list of actions and reports the union of their tag types
// to Office, numbered from 1 across the actions in list order, each with the
// caption its action gives. Tag types are asked of the actions afresh on
// every request; the adaptor remembers only which action declared each full
// tag name it has handed out (tagPrefix + type name).
//
// Verbs are numbered from 0 in the order Office first asks for a tag type's
// verbs: the declaring action's verbs are appended to the verb tables and the
// range recorded, and from then on that tag type's verbs are those entries.
// The tables only grow, so a verb ID keeps its name, caption and action for
// the adaptor's life. InvokeVerb copies the tag's Office property bag into a
// TagPropertyMap and hands it, with the verb's name, to the owning action.
//
// Failures: no exception leaves an operation. Whatever an action, a host
// object or the string wrapper throws is logged as one line,
// "Exception in SmartTag2ActionAdaptorImpl::<operation>: <what()>" or
// "Unknown exception in SmartTag2ActionAdaptorImpl::<operation>", and the
// operation returns S_FALSE. A MessageQueueException from an action's
// GetVerbs means the terminal cannot be reached: get_VerbCount logs it and a
// firewall hint, answers 0 and S_FALSE, and from then on refuses with E_FAIL;
// verbs numbered before still work. A bad tag ID, verb index or verb ID gives
// the plain Windows error number 1413; get_VerbID for a tag type without
// verbs on record gives 123.
//
// Threads: the maps and tables change during calls; the host calls the
// adaptor one call at a time.
#pragma once

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "actions/action.h"
#include "adaptors/action_mirror.h"
#include "adaptors/host/host_objects.h"
#include "platform/export.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

class SmartTag2ActionAdaptorImpl : public ISmartTagActionImpl, public ISmartTagAction2Impl {
public:
    SMARTTAG_EXPORT static boost::shared_ptr<SmartTag2ActionAdaptorImpl> Ctor(
        std::vector<boost::shared_ptr<IActionImpl>> actions, const _bstr_t& tagPrefix,
        boost::shared_ptr<Veltra::Util::Log::ILogInfoImpl> logInfo);

    ~SmartTag2ActionAdaptorImpl() override;

    // ISmartTagActionImpl
    HRESULT get_ProgId(BSTR* progId) override;
    HRESULT get_Name(int localeId, BSTR* name) override;
    HRESULT get_Desc(int localeId, BSTR* desc) override;
    HRESULT get_SmartTagCount(int* count) override;
    // Also records which action declared the name, for get_VerbCount.
    HRESULT get_SmartTagName(int smartTagId, BSTR* name) override;
    HRESULT get_SmartTagCaption(int smartTagId, int localeId, BSTR* caption) override;
    // A name never handed out by get_SmartTagName has 0 verbs (S_OK).
    HRESULT get_VerbCount(BSTR smartTagName, int* verbCount) override;
    // `verbIndex` is 1-based within the tag type; counts the verbs first when
    // that was not done yet.
    HRESULT get_VerbID(BSTR smartTagName, int verbIndex, int* verbId) override;
    // Null out-pointer: E_POINTER. Otherwise `*caption` is cleared first and
    // receives a new copy, or stays null for a null caption.
    HRESULT get_VerbCaptionFromID(int verbId, BSTR applicationName, int localeId, BSTR* caption) override;
    HRESULT get_VerbNameFromID(int verbId, BSTR* name) override;
    // Null property bag: E_POINTER. A failure of the bag is returned as it
    // came; every string the bag hands out is freed.
    HRESULT InvokeVerb(int verbId, BSTR applicationName, IDispatch* target, ISmartTagProperties* properties,
                       BSTR text, BSTR xml) override;

    // ISmartTagAction2Impl
    HRESULT get_VerbCaptionFromID2(int verbId, BSTR applicationName, int localeId, ISmartTagProperties* properties,
                                   BSTR text, BSTR xml, IDispatch* target, BSTR* caption) override;
    HRESULT InvokeVerb2(int verbId, BSTR applicationName, IDispatch* target, ISmartTagProperties* properties,
                        BSTR text, BSTR xml, int localeId) override;
    // Captions never change: stores VARIANT_FALSE.
    HRESULT get_IsCaptionDynamic(int verbId, BSTR applicationName, int localeId, VARIANT_BOOL* dynamic) override;
    // Stores VARIANT_TRUE.
    HRESULT get_ShowSmartTagIndicator(int verbId, BSTR applicationName, int localeId,
                                      VARIANT_BOOL* visible) override;
    HRESULT SmartTagInitialize(BSTR applicationName) override;

private:
    SmartTag2ActionAdaptorImpl(std::vector<boost::shared_ptr<IActionImpl>> actions, const _bstr_t& tagPrefix,
                               boost::shared_ptr<Veltra::Util::Log::ILogInfoImpl> logInfo);

    // Walks the actions' tag types to the 1-based `smartTagId` and calls
    // `found(action index, entry)`; 1413 when there is no such type.
    template <class Found>
    HRESULT FindTagType(int smartTagId, Found found);
    // Copies verb table entry `verbId` of `table` out through `out`.
    HRESULT CopyVerbText(const std::vector<_bstr_t>& table, int verbId, BSTR* out);

    template <class Body>
    HRESULT Guarded(const char* operation, Body body);
    void Log(const std::string& message) noexcept;
    void LogFailure(const char* operation, const char* what) noexcept;

    typedef std::pair<std::uint32_t, std::uint32_t> VerbRange;  // (first verb ID, verb count)

    const std::vector<boost::shared_ptr<IActionImpl>> actions;
    const _bstr_t tagPrefix;
    const boost::shared_ptr<Veltra::Util::Log::ILogInfoImpl> logInfo;
    bool verbsDisabled = false;
    std::map<_bstr_t, std::uint32_t> tagActions;
    std::map<_bstr_t, VerbRange> verbRanges;
    // Indexed by verb ID; always of equal length.
    std::vector<std::uint32_t> verbActions;
    std::vector<_bstr_t> verbNames;
    std::vector<_bstr_t> verbCaptions;
};

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
