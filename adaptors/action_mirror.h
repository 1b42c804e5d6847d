// The library's mirror of Office's action interfaces.
//
// The host's COM objects forward every call Office makes on ISmartTagAction
// and ISmartTagAction2 to these two interfaces, member for member and with
// the same parameters. Implementations return HRESULTs and never let an
// exception out.
#pragma once

#include "platform/office_smarttag.h"
#include "platform/wintypes.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

class ISmartTagActionImpl {
public:
    virtual HRESULT get_ProgId(BSTR* progId) = 0;
    virtual HRESULT get_Name(int localeId, BSTR* name) = 0;
    virtual HRESULT get_Desc(int localeId, BSTR* desc) = 0;
    virtual HRESULT get_SmartTagCount(int* count) = 0;
    virtual HRESULT get_SmartTagName(int smartTagId, BSTR* name) = 0;
    virtual HRESULT get_SmartTagCaption(int smartTagId, int localeId, BSTR* caption) = 0;
    virtual HRESULT get_VerbCount(BSTR smartTagName, int* verbCount) = 0;
    virtual HRESULT get_VerbID(BSTR smartTagName, int verbIndex, int* verbId) = 0;
    virtual HRESULT get_VerbCaptionFromID(int verbId, BSTR applicationName, int localeId, BSTR* caption) = 0;
    virtual HRESULT get_VerbNameFromID(int verbId, BSTR* name) = 0;
    virtual HRESULT InvokeVerb(int verbId, BSTR applicationName, IDispatch* target, ISmartTagProperties* properties,
                               BSTR text, BSTR xml) = 0;
    virtual ~ISmartTagActionImpl() {}
};

class ISmartTagAction2Impl {
public:
    virtual HRESULT get_VerbCaptionFromID2(int verbId, BSTR applicationName, int localeId,
                                           ISmartTagProperties* properties, BSTR text, BSTR xml, IDispatch* target,
                                           BSTR* caption) = 0;
    virtual HRESULT InvokeVerb2(int verbId, BSTR applicationName, IDispatch* target, ISmartTagProperties* properties,
                                BSTR text, BSTR xml, int localeId) = 0;
    virtual HRESULT get_IsCaptionDynamic(int verbId, BSTR applicationName, int localeId, VARIANT_BOOL* dynamic) = 0;
    virtual HRESULT get_ShowSmartTagIndicator(int verbId, BSTR applicationName, int localeId,
                                              VARIANT_BOOL* visible) = 0;
    virtual HRESULT SmartTagInitialize(BSTR applicationName) = 0;
    virtual ~ISmartTagAction2Impl() {}
};

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
