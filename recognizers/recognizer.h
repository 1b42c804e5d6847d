// The recognizer contract.
//
// A recognizer finds one kind of thing in a run of document text and reports
// each find through the commit callback. It is owned by the recognizer adaptor
// (through a shared pointer) for the adaptor's whole life, is immutable after
// construction, and leaves catching to the adaptor: whatever it throws is
// logged there and ends the scan of that text.
#pragma once

#include "adaptors/tag_types.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

class IRecognizerImpl {
public:
    // True when the adaptor should not hand it any text. Type counting and
    // naming ignore this.
    virtual bool IsDisabled() = 0;
    // Appends this recognizer's tag types to `types`; never clears it, and
    // gives the same list, in the same order, every time.
    virtual void GetTagTypes(TagTypeList& types) = 0;
    // Scans `text` (a null text is an empty one) and calls `commit` once per
    // tag found, before returning. Returns true when it committed a tag.
    virtual bool Recognize(const _bstr_t& text, CommitTagFn commit) = 0;
    virtual ~IRecognizerImpl() {}
};

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
