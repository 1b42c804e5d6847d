// The action contract.
//
// An action offers menu verbs for one or more smart-tag types and carries
// them out. It is owned by the action adaptor (through a shared pointer) for
// the adaptor's whole life and is driven only by it, one call at a time.
// Actions throw on failure and leave catching to the adaptor, which logs what
// it caught; the host's MessageQueueException raised from GetVerbs also turns
// verb listing off for good (see adaptors/action_adaptor.h).
#pragma once

#include "adaptors/tag_types.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

// (verb name, verb caption) pairs in insertion order. The name is what the
// action later receives in Invoke; the caption is what Office shows.
typedef TagTypeList VerbList;

class IActionImpl {
public:
    // Appends this action's (type name, caption) pairs to `types`; never
    // clears it. Asked afresh on every count, name and caption request, so it
    // must give the same list, in the same order, every time.
    virtual void GetTagTypes(TagTypeList& types) = 0;
    // Carries out the verb named `verbName` on a tag whose properties are
    // `properties`.
    virtual void Invoke(const _bstr_t& verbName, const TagPropertyMap& properties) = 0;
    // Appends the verbs offered for the bare tag type `typeName` (the
    // adaptor's prefix removed).
    virtual void GetVerbs(const _bstr_t& typeName, VerbList& verbs) = 0;
    virtual ~IActionImpl() {}
};

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
