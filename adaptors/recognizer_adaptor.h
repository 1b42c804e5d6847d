// SmartTag2RecognizerAdaptorImpl: the library's one recognizer object.
//
// It owns an ordered list of recognizers, reports the union of their tag
// types to Office (numbered from 1 across the recognizers in list order),
// hands each run of text to every recognizer that is not disabled, and turns
// each tag a recognizer reports into a property bag and a commit on the
// Office site under the tag prefix.
//
// Ownership: the adaptor shares its recognizers, setting reader and logger
// for its whole life and is immutable after construction. The Office site and
// the bags it hands out are borrowed for the call that received them; every
// bag obtained is released before the commit callback returns.
//
// Failures: no exception leaves an operation. Whatever a recognizer, the
// site, the string wrapper or a host object throws is logged as one line,
// "Exception in SmartTag2RecognizerAdaptorImpl::<operation>: <what()>" or
// "Unknown exception in SmartTag2RecognizerAdaptorImpl::<operation>", and the
// operation returns S_FALSE; a failed commit is logged and the recognizer's
// scan goes on. A failure inside Recognize ends the scan of that text: the
// remaining recognizers do not run, tags already committed stay committed.
#pragma once

#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "adaptors/host/host_objects.h"
#include "adaptors/recognizer_mirror.h"
#include "platform/export.h"
#include "recognizers/recognizer.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

class SmartTag2RecognizerAdaptorImpl : public ISmartTagRecognizerImpl, public ISmartTagRecognizer2Impl {
public:
    SMARTTAG_EXPORT static boost::shared_ptr<SmartTag2RecognizerAdaptorImpl> Ctor(
        std::vector<boost::shared_ptr<IRecognizerImpl>> recognizers, const _bstr_t& tagPrefix,
        boost::shared_ptr<Veltra::Util::PersistentStorage::IPersistentSettingReaderImpl> settingReader,
        boost::shared_ptr<Veltra::Util::Log::ILogInfoImpl> logInfo);

    ~SmartTag2RecognizerAdaptorImpl() override;

    // ISmartTagRecognizerImpl
    HRESULT get_ProgId(BSTR* progId) override;
    HRESULT get_Name(int localeId, BSTR* name) override;
    HRESULT get_Desc(int localeId, BSTR* desc) override;
    HRESULT get_SmartTagCount(int* count) override;
    // 1413 (the plain Windows error number) for an ID outside 1..count.
    HRESULT get_SmartTagName(int smartTagId, BSTR* name) override;
    HRESULT get_SmartTagDownloadURL(int smartTagId, BSTR* url) override;
    // A null site gives E_POINTER and runs no recognizer.
    HRESULT Recognize(BSTR text, IF_TYPE dataType, int localeId, ISmartTagRecognizerSite* site) override;

    // ISmartTagRecognizer2Impl
    HRESULT Recognize2(BSTR text, IF_TYPE dataType, int localeId, ISmartTagRecognizerSite2* site,
                       BSTR applicationName, ISmartTagTokenList* tokenList) override;
    // There is no property page: stores VARIANT_FALSE.
    HRESULT get_PropertyPage(int smartTagId, int localeId, VARIANT_BOOL* hasPropertyPage) override;
    HRESULT DisplayPropertyPage(int smartTagId, int localeId) override;
    // S_OK when the host's setting enables recognition, else logs
    // "Smart tag recognition disabled by configuration" and returns
    // E_ACCESSDENIED. Recognition itself is not switched off.
    HRESULT SmartTagInitialize(BSTR applicationName) override;

private:
    SmartTag2RecognizerAdaptorImpl(std::vector<boost::shared_ptr<IRecognizerImpl>> recognizers,
                                   const _bstr_t& tagPrefix,
                                   boost::shared_ptr<Veltra::Util::PersistentStorage::IPersistentSettingReaderImpl>
                                       settingReader,
                                   boost::shared_ptr<Veltra::Util::Log::ILogInfoImpl> logInfo);

    // The body of the commit callback handed to the recognizers.
    void RecognizeOne(const _bstr_t& typeName, int start, int length, TagPropertyMap& properties,
                      ISmartTagRecognizerSite* site);

    template <class Body>
    HRESULT Guarded(const char* operation, Body body);
    void LogFailure(const char* operation, const char* what) noexcept;

    const _bstr_t tagPrefix;
    const std::vector<boost::shared_ptr<IRecognizerImpl>> recognizers;
    const boost::shared_ptr<Veltra::Util::PersistentStorage::IPersistentSettingReaderImpl> settingReader;
    const boost::shared_ptr<Veltra::Util::Log::ILogInfoImpl> logInfo;
};

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
