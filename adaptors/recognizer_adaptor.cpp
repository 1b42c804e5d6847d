#include "adaptors/recognizer_adaptor.h"

#include <exception>

#include <boost/bind/bind.hpp>

#include "adaptors/com_boundary.h"
#include "adaptors/host/vutil.h"
#include "platform/com_object.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

using Veltra::Util::COM::BSTRUtil;

namespace {

const OLECHAR kProgId[] = OLESTR("Veltra.STRecognizer");
const OLECHAR kDisplayName[] = OLESTR("Veltra Office SmartTag Recognizer");
const OLECHAR kDownloadUrl[] = OLESTR(" ");
const char kDisabledMessage[] = "Smart tag recognition disabled by configuration";

using Boundary::StoreString;

}  // namespace

SmartTag2RecognizerAdaptorImpl::SmartTag2RecognizerAdaptorImpl(
    std::vector<boost::shared_ptr<IRecognizerImpl>> recognizers, const _bstr_t& tagPrefix,
    boost::shared_ptr<Veltra::Util::PersistentStorage::IPersistentSettingReaderImpl> settingReader,
    boost::shared_ptr<Veltra::Util::Log::ILogInfoImpl> logInfo)
    : tagPrefix(tagPrefix),
      recognizers(std::move(recognizers)),
      settingReader(std::move(settingReader)),
      logInfo(std::move(logInfo)) {}

SmartTag2RecognizerAdaptorImpl::~SmartTag2RecognizerAdaptorImpl() {}

void SmartTag2RecognizerAdaptorImpl::LogFailure(const char* operation, const char* what) noexcept {
    Boundary::LogFailure(logInfo.get(), "SmartTag2RecognizerAdaptorImpl", operation, what);
}

template <class Body>
HRESULT SmartTag2RecognizerAdaptorImpl::Guarded(const char* operation, Body body) {
    return Boundary::Guarded(logInfo.get(), "SmartTag2RecognizerAdaptorImpl", operation, body);
}

HRESULT SmartTag2RecognizerAdaptorImpl::get_ProgId(BSTR* progId) {
    return Guarded("get_ProgId", [&] { return StoreString(progId, kProgId); });
}

HRESULT SmartTag2RecognizerAdaptorImpl::get_Name(int, BSTR* name) {
    return Guarded("get_Name", [&] { return StoreString(name, kDisplayName); });
}

HRESULT SmartTag2RecognizerAdaptorImpl::get_Desc(int, BSTR* desc) {
    return Guarded("get_Desc", [&] { return StoreString(desc, kDisplayName); });
}

HRESULT SmartTag2RecognizerAdaptorImpl::get_SmartTagCount(int* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return Guarded("get_SmartTagCount", [&] {
        for (const auto& recognizer : recognizers) {
            TagTypeList types;
            recognizer->GetTagTypes(types);
            *count += int(types.size());
        }
        return S_OK;
    });
}

HRESULT SmartTag2RecognizerAdaptorImpl::get_SmartTagName(int smartTagId, BSTR* name) {
    if (smartTagId < 1) return ERROR_INVALID_INDEX;
    return Guarded("get_SmartTagName", [&]() -> HRESULT {
        std::size_t remaining = std::size_t(smartTagId);
        for (const auto& recognizer : recognizers) {
            TagTypeList types;
            recognizer->GetTagTypes(types);
            if (types.size() < remaining) {
                remaining -= types.size();
                continue;
            }
            const _bstr_t fullName = tagPrefix + types[remaining - 1].first;
            return BSTRUtil::HrAllocString(name, fullName);
        }
        return ERROR_INVALID_INDEX;
    });
}

HRESULT SmartTag2RecognizerAdaptorImpl::get_SmartTagDownloadURL(int, BSTR* url) {
    if (!url) return E_POINTER;
    return Guarded("get_SmartTagDownloadURL", [&] { return StoreString(url, kDownloadUrl); });
}

HRESULT SmartTag2RecognizerAdaptorImpl::Recognize(BSTR text, IF_TYPE, int, ISmartTagRecognizerSite* site) {
    if (!site) return E_POINTER;
    return Guarded("Recognize", [&] {
        namespace ph = boost::placeholders;
        for (const auto& recognizer : recognizers) {
            if (recognizer->IsDisabled()) continue;
            const _bstr_t textCopy(text, true);
            CommitTagFn commit =
                boost::bind(&SmartTag2RecognizerAdaptorImpl::RecognizeOne, this, ph::_1, ph::_2, ph::_3, ph::_4, site);
            recognizer->Recognize(textCopy, commit);
        }
        return S_OK;
    });
}

void SmartTag2RecognizerAdaptorImpl::RecognizeOne(const _bstr_t& typeName, int start, int length,
                                                  TagPropertyMap& properties, ISmartTagRecognizerSite* site) {
    Guarded("RecognizeOne", [&] {
        // Holds whatever bag the site hands out, so it is released on every path.
        smarttag::platform::ComPtr<ISmartTagProperties> bag;
        if (!properties.empty()) {
            ISmartTagProperties* raw = nullptr;
            const HRESULT hr = site->GetNewPropertyBag(&raw);
            bag = smarttag::platform::ComPtr<ISmartTagProperties>::Attach(raw);
            // A bag that came with anything but S_OK is released unused.
            if (hr != S_OK) bag.Reset();
            if (bag)
                for (const auto& property : properties) {
                    if (property.first.length() == 0) continue;
                    bag->Write(property.first, property.second);
                }
        }
        const _bstr_t tagName = tagPrefix + typeName;
        site->CommitSmartTag(tagName, start, length, bag.Get());
        return S_OK;
    });
}

HRESULT SmartTag2RecognizerAdaptorImpl::Recognize2(BSTR text, IF_TYPE dataType, int localeId,
                                                   ISmartTagRecognizerSite2* site, BSTR, ISmartTagTokenList*) {
    return Recognize(text, dataType, localeId, site);
}

HRESULT SmartTag2RecognizerAdaptorImpl::get_PropertyPage(int, int, VARIANT_BOOL* hasPropertyPage) {
    if (!hasPropertyPage) return E_POINTER;
    *hasPropertyPage = VARIANT_FALSE;
    return S_OK;
}

HRESULT SmartTag2RecognizerAdaptorImpl::DisplayPropertyPage(int, int) { return S_OK; }

HRESULT SmartTag2RecognizerAdaptorImpl::SmartTagInitialize(BSTR) {
    return Guarded("SmartTagInitialize", [&] {
        if (settingReader && settingReader->IsEnabled()) return S_OK;
        if (logInfo) logInfo->Log(kDisabledMessage);
        return E_ACCESSDENIED;
    });
}

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
