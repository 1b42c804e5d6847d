// ActionTerminalCommandImpl: the action for securities.
//
// It declares one tag type per entry of the host's list, each captioned by
// the caption template with its first "%s" replaced by the type name. The
// verbs of a type come from the host's verb source as a specification
// "target|verb|verb...": fields separated by "|", empty fields dropped, no
// trimming; the first field is the terminal target number, read the way
// wcstol reads a decimal number, each further field one verb whose caption
// is its name. Invoking a verb sends the terminal
// "<unique ID of the tag's Security><GO><verb name><GO>" in the ANSI code
// page, with the target number reduced to its low 16 bits.
//
// The target number belongs to the object, not to a tag type: it starts at
// 1 and each GetVerbs that finds a first field replaces it. Null strings from
// the host (template, list entries, specifications) count as empty. A tag
// without a "Security" property is refused with std::invalid_argument and
// nothing is sent. Everything else thrown (an empty callback, the host's
// MessageQueueException from the verb source) goes to the adaptor.
#pragma once

#include <cstdint>

#include <boost/shared_ptr.hpp>

#include "actions/action.h"
#include "adaptors/host/host_objects.h"
#include "platform/export.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

class ActionTerminalCommandImpl : public IActionImpl {
public:
    SMARTTAG_EXPORT static boost::shared_ptr<ActionTerminalCommandImpl> Ctor(
        const _bstr_t& name, boost::shared_ptr<Veltra::Util::Collections::IStringListImpl> tagTypes,
        _bstr_t captionTemplate, boost::function<_bstr_t(const _bstr_t&)> verbSource,
        const boost::function<_bstr_t(const _bstr_t&)>& nameMapper,
        const boost::function<bool(const char*, unsigned short)>& sendCommand);

    ~ActionTerminalCommandImpl() override;

    void GetTagTypes(TagTypeList& types) override;
    void Invoke(const _bstr_t& verbName, const TagPropertyMap& properties) override;
    void GetVerbs(const _bstr_t& typeName, VerbList& verbs) override;

    // The target number the next command goes to.
    std::int32_t TargetNumber() const { return targetNumber; }

private:
    ActionTerminalCommandImpl(const _bstr_t& name,
                              boost::shared_ptr<Veltra::Util::Collections::IStringListImpl> tagTypes,
                              const _bstr_t& captionTemplate, VerbSourceFn verbSource, NameMapperFn nameMapper,
                              CommandSenderFn sendCommand);

    const _bstr_t name;  // kept for the host; not consulted
    const boost::shared_ptr<Veltra::Util::Collections::IStringListImpl> tagTypes;
    const _bstr_t captionTemplate;
    const VerbSourceFn verbSource;
    const NameMapperFn nameMapper;  // kept for the host; never called
    const CommandSenderFn sendCommand;
    std::int32_t targetNumber = 1;
};

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
