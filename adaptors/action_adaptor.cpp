#include "adaptors/action_adaptor.h"

#include <exception>
#include <string>

#include "adaptors/com_boundary.h"
#include "adaptors/host/vutil.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

using Veltra::Util::COM::BSTRUtil;
using Veltra::Util::IPC::MessageQueueException;

namespace {

const OLECHAR kProgId[] = OLESTR("Veltra.STAction");
const OLECHAR kDisplayName[] = OLESTR("Veltra Office SmartTag Action");
const char kFirewallHint[] = "Please check the firewall configuration.";

using Boundary::StoreString;

}  // namespace

SmartTag2ActionAdaptorImpl::SmartTag2ActionAdaptorImpl(std::vector<boost::shared_ptr<IActionImpl>> actions,
                                                       const _bstr_t& tagPrefix,
                                                       boost::shared_ptr<Veltra::Util::Log::ILogInfoImpl> logInfo)
    : actions(std::move(actions)), tagPrefix(tagPrefix), logInfo(std::move(logInfo)) {}

SmartTag2ActionAdaptorImpl::~SmartTag2ActionAdaptorImpl() {}

void SmartTag2ActionAdaptorImpl::Log(const std::string& message) noexcept {
    Boundary::LogLine(logInfo.get(), message);
}

void SmartTag2ActionAdaptorImpl::LogFailure(const char* operation, const char* what) noexcept {
    Boundary::LogFailure(logInfo.get(), "SmartTag2ActionAdaptorImpl", operation, what);
}

template <class Body>
HRESULT SmartTag2ActionAdaptorImpl::Guarded(const char* operation, Body body) {
    return Boundary::Guarded(logInfo.get(), "SmartTag2ActionAdaptorImpl", operation, body);
}

HRESULT SmartTag2ActionAdaptorImpl::get_ProgId(BSTR* progId) {
    return Guarded("get_ProgId", [&] { return StoreString(progId, kProgId); });
}

HRESULT SmartTag2ActionAdaptorImpl::get_Name(int, BSTR* name) {
    return Guarded("get_Name", [&] { return StoreString(name, kDisplayName); });
}

HRESULT SmartTag2ActionAdaptorImpl::get_Desc(int, BSTR* desc) {
    return Guarded("get_Desc", [&] { return StoreString(desc, kDisplayName); });
}

HRESULT SmartTag2ActionAdaptorImpl::get_SmartTagCount(int* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return Guarded("get_SmartTagCount", [&] {
        for (const auto& action : actions) {
            TagTypeList types;
            action->GetTagTypes(types);
            *count += int(types.size());
        }
        return S_OK;
    });
}

template <class Found>
HRESULT SmartTag2ActionAdaptorImpl::FindTagType(int smartTagId, Found found) {
    if (smartTagId < 1) return ERROR_INVALID_INDEX;
    std::size_t remaining = std::size_t(smartTagId);
    for (std::size_t index = 0; index < actions.size(); ++index) {
        TagTypeList types;
        actions[index]->GetTagTypes(types);
        if (types.size() < remaining) {
            remaining -= types.size();
            continue;
        }
        return found(std::uint32_t(index), types[remaining - 1]);
    }
    return ERROR_INVALID_INDEX;
}

HRESULT SmartTag2ActionAdaptorImpl::get_SmartTagName(int smartTagId, BSTR* name) {
    return Guarded("get_SmartTagName", [&] {
        return FindTagType(smartTagId, [&](std::uint32_t index, const TagTypeList::value_type& entry) {
            const _bstr_t fullName = tagPrefix + entry.first;
            tagActions[fullName] = index;
            return BSTRUtil::HrAllocString(name, fullName);
        });
    });
}

HRESULT SmartTag2ActionAdaptorImpl::get_SmartTagCaption(int smartTagId, int, BSTR* caption) {
    return Guarded("get_SmartTagCaption", [&] {
        return FindTagType(smartTagId, [&](std::uint32_t, const TagTypeList::value_type& entry) {
            return BSTRUtil::HrAllocString(caption, entry.second);
        });
    });
}

HRESULT SmartTag2ActionAdaptorImpl::get_VerbCount(BSTR smartTagName, int* verbCount) {
    if (!verbCount) return E_POINTER;
    if (verbsDisabled) return E_FAIL;
    const char* const operation = "get_VerbCount";
    try {
        const _bstr_t fullName(smartTagName, true);
        const auto known = verbRanges.find(fullName);
        if (known != verbRanges.end()) {
            *verbCount = int(known->second.second);
            return S_OK;
        }
        const auto declared = tagActions.find(fullName);
        if (declared == tagActions.end()) {
            *verbCount = 0;
            return S_OK;
        }

        const unsigned prefixLength = tagPrefix.length();
        const unsigned nameLength = fullName.length();
        const unsigned skip = prefixLength < nameLength ? prefixLength : nameLength;
        BSTR bareName = SysAllocStringLen(static_cast<const OLECHAR*>(fullName) + skip, nameLength - skip);
        if (!bareName) _com_issue_error(E_OUTOFMEMORY);
        const _bstr_t typeName(bareName, false);

        const std::uint32_t actionIndex = declared->second;
        VerbList verbs;
        actions[actionIndex]->GetVerbs(typeName, verbs);

        // Reserve first so the three tables grow together or not at all.
        const std::size_t first = verbNames.size();
        verbActions.reserve(first + verbs.size());
        verbNames.reserve(first + verbs.size());
        verbCaptions.reserve(first + verbs.size());
        for (const auto& verb : verbs) {
            verbActions.push_back(actionIndex);
            verbNames.push_back(verb.first);
            verbCaptions.push_back(verb.second);
        }
        const VerbRange range(std::uint32_t(first), std::uint32_t(verbs.size()));
        verbRanges[fullName] = range;
        *verbCount = int(range.second);
        return S_OK;
    } catch (const MessageQueueException& e) {
        verbsDisabled = true;
        *verbCount = 0;
        Log(std::string("MessageQueueException in SmartTag2ActionAdaptorImpl::get_VerbCount: ") + e.what());
        Log(kFirewallHint);
    } catch (const std::exception& e) {
        LogFailure(operation, e.what());
    } catch (...) {
        LogFailure(operation, nullptr);
    }
    return S_FALSE;
}

HRESULT SmartTag2ActionAdaptorImpl::get_VerbID(BSTR smartTagName, int verbIndex, int* verbId) {
    if (!verbId) return E_POINTER;
    return Guarded("get_VerbID", [&]() -> HRESULT {
        const _bstr_t fullName(smartTagName, true);
        auto range = verbRanges.find(fullName);
        if (range == verbRanges.end()) {
            int scratch = 0;
            get_VerbCount(smartTagName, &scratch);
            range = verbRanges.find(fullName);
            if (range == verbRanges.end()) return ERROR_INVALID_NAME;
        }
        const VerbRange& verbs = range->second;
        if (verbIndex < 1 || std::uint32_t(verbIndex) > verbs.second) return ERROR_INVALID_INDEX;
        *verbId = int(verbs.first + std::uint32_t(verbIndex) - 1);
        return S_OK;
    });
}

HRESULT SmartTag2ActionAdaptorImpl::CopyVerbText(const std::vector<_bstr_t>& table, int verbId, BSTR* out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (verbId < 0 || std::size_t(verbId) >= table.size()) return ERROR_INVALID_INDEX;
    const _bstr_t& text = table[std::size_t(verbId)];
    if (!text) return S_OK;
    const BSTR source = text;
    *out = SysAllocStringByteLen(reinterpret_cast<const char*>(source), SysStringByteLen(source));
    return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT SmartTag2ActionAdaptorImpl::get_VerbCaptionFromID(int verbId, BSTR, int, BSTR* caption) {
    return CopyVerbText(verbCaptions, verbId, caption);
}

HRESULT SmartTag2ActionAdaptorImpl::get_VerbNameFromID(int verbId, BSTR* name) {
    return CopyVerbText(verbNames, verbId, name);
}

HRESULT SmartTag2ActionAdaptorImpl::InvokeVerb(int verbId, BSTR, IDispatch*, ISmartTagProperties* properties, BSTR,
                                               BSTR) {
    if (!properties) return E_POINTER;
    return Guarded("InvokeVerb", [&]() -> HRESULT {
        TagPropertyMap map;
        INT count = 0;
        HRESULT hr = properties->get_Count(&count);
        if (hr != S_OK) return hr;
        for (INT index = 0; index < count; ++index) {
            // Each string the bag hands out is owned by a _bstr_t from the
            // moment it arrives, so it is freed on every path.
            _bstr_t key, value;
            hr = properties->get_KeyFromIndex(index, key.GetAddress());
            if (hr != S_OK) return hr;
            hr = properties->get_ValueFromIndex(index, value.GetAddress());
            if (hr != S_OK) return hr;
            map[key] = value;
        }

        _bstr_t verbName;
        hr = get_VerbNameFromID(verbId, verbName.GetAddress());
        if (hr != S_OK) return hr;
        actions[verbActions[std::size_t(verbId)]]->Invoke(verbName, map);
        return S_OK;
    });
}

HRESULT SmartTag2ActionAdaptorImpl::get_VerbCaptionFromID2(int verbId, BSTR applicationName, int localeId,
                                                           ISmartTagProperties*, BSTR, BSTR, IDispatch*,
                                                           BSTR* caption) {
    return get_VerbCaptionFromID(verbId, applicationName, localeId, caption);
}

HRESULT SmartTag2ActionAdaptorImpl::InvokeVerb2(int verbId, BSTR applicationName, IDispatch* target,
                                                ISmartTagProperties* properties, BSTR text, BSTR xml, int) {
    return InvokeVerb(verbId, applicationName, target, properties, text, xml);
}

HRESULT SmartTag2ActionAdaptorImpl::get_IsCaptionDynamic(int, BSTR, int, VARIANT_BOOL* dynamic) {
    if (!dynamic) return E_POINTER;
    *dynamic = VARIANT_FALSE;
    return S_OK;
}

HRESULT SmartTag2ActionAdaptorImpl::get_ShowSmartTagIndicator(int, BSTR, int, VARIANT_BOOL* visible) {
    if (!visible) return E_POINTER;
    *visible = VARIANT_TRUE;
    return S_OK;
}

HRESULT SmartTag2ActionAdaptorImpl::SmartTagInitialize(BSTR) { return S_OK; }

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
