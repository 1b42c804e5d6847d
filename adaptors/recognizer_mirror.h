// The library's mirror of Office's recognizer interfaces.
//
// The host's COM objects forward every call Office makes on
// ISmartTagRecognizer and ISmartTagRecognizer2 to these two interfaces, member
// for member and with the same parameters. Implementations return HRESULTs
// and never let an exception out.
#pragma once

#include "platform/office_smarttag.h"
#include "platform/wintypes.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

class ISmartTagRecognizerImpl {
public:
    virtual HRESULT get_ProgId(BSTR* progId) = 0;
    virtual HRESULT get_Name(int localeId, BSTR* name) = 0;
    virtual HRESULT get_Desc(int localeId, BSTR* desc) = 0;
    virtual HRESULT get_SmartTagCount(int* count) = 0;
    virtual HRESULT get_SmartTagName(int smartTagId, BSTR* name) = 0;
    virtual HRESULT get_SmartTagDownloadURL(int smartTagId, BSTR* url) = 0;
    virtual HRESULT Recognize(BSTR text, IF_TYPE dataType, int localeId, ISmartTagRecognizerSite* site) = 0;
    virtual ~ISmartTagRecognizerImpl() {}
};

class ISmartTagRecognizer2Impl {
public:
    virtual HRESULT Recognize2(BSTR text, IF_TYPE dataType, int localeId, ISmartTagRecognizerSite2* site,
                               BSTR applicationName, ISmartTagTokenList* tokenList) = 0;
    virtual HRESULT get_PropertyPage(int smartTagId, int localeId, VARIANT_BOOL* hasPropertyPage) = 0;
    virtual HRESULT DisplayPropertyPage(int smartTagId, int localeId) = 0;
    virtual HRESULT SmartTagInitialize(BSTR applicationName) = 0;
    virtual ~ISmartTagRecognizer2Impl() {}
};

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
