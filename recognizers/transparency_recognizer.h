// RecognizerTransparencyImpl: contributes one tag type, chosen by the host,
// so that Office knows the type; it never tags any text.
#pragma once

#include <boost/shared_ptr.hpp>

#include "platform/export.h"
#include "recognizers/recognizer.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

class RecognizerTransparencyImpl : public IRecognizerImpl {
public:
    SMARTTAG_EXPORT static boost::shared_ptr<RecognizerTransparencyImpl> Factory(const _bstr_t& typeName);

    ~RecognizerTransparencyImpl() override;

    bool IsDisabled() override { return false; }
    void GetTagTypes(TagTypeList& types) override { types.emplace_back(typeName, typeName); }
    bool Recognize(const _bstr_t&, CommitTagFn) override { return false; }

private:
    explicit RecognizerTransparencyImpl(const _bstr_t& typeName) : typeName(typeName) {}

    const _bstr_t typeName;
};

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
