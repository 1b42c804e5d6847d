#include "actions/terminal_command_action.h"

#include <boost/algorithm/string/replace.hpp>
#include <boost/tokenizer.hpp>

#include "actions/action_text.h"
#include "adaptors/host/environment.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

using ActionText::Text;

namespace {

const OLECHAR kTypePlaceholder[] = OLESTR("%s");
const OLECHAR kFieldSeparator[] = OLESTR("|");
const OLECHAR kGo[] = OLESTR("<GO>");
const OLECHAR kSecurity[] = OLESTR("Security");

}  // namespace

ActionTerminalCommandImpl::ActionTerminalCommandImpl(
    const _bstr_t& name, boost::shared_ptr<Veltra::Util::Collections::IStringListImpl> tagTypes,
    const _bstr_t& captionTemplate, VerbSourceFn verbSource, NameMapperFn nameMapper, CommandSenderFn sendCommand)
    : name(name),
      tagTypes(std::move(tagTypes)),
      captionTemplate(captionTemplate),
      verbSource(std::move(verbSource)),
      nameMapper(std::move(nameMapper)),
      sendCommand(std::move(sendCommand)) {}

ActionTerminalCommandImpl::~ActionTerminalCommandImpl() {}

void ActionTerminalCommandImpl::GetTagTypes(TagTypeList& types) {
    const Text pattern = ActionText::Units(captionTemplate);
    const std::uint32_t count = tagTypes->Count();
    for (std::uint32_t index = 0; index < count; ++index) {
        const Text type = ActionText::Units(tagTypes->Item(index));
        types.emplace_back(ActionText::ToBstr(type),
                           ActionText::ToBstr(boost::algorithm::replace_first_copy(pattern, Text(kTypePlaceholder), type)));
    }
}

void ActionTerminalCommandImpl::GetVerbs(const _bstr_t& typeName, VerbList& verbs) {
    const Text spec = ActionText::Units(verbSource(typeName));
    typedef boost::char_separator<OLECHAR> Separator;
    const boost::tokenizer<Separator, Text::const_iterator, Text> fields(spec, Separator(kFieldSeparator));

    auto field = fields.begin();
    if (field == fields.end()) return;
    const std::int32_t target = ActionText::ReadDecimal(*field);
    VerbList found;
    for (++field; field != fields.end(); ++field) {
        const _bstr_t verb = ActionText::ToBstr(*field);
        found.emplace_back(verb, verb);
    }
    verbs.insert(verbs.end(), found.begin(), found.end());
    targetNumber = target;
}

void ActionTerminalCommandImpl::Invoke(const _bstr_t& verbName, const TagPropertyMap& properties) {
    const _bstr_t& security = ActionText::RequiredProperty(properties, kSecurity);
    const _bstr_t id = Veltra::Penwork::Environment::RtdEnvironment::GetUniqueID(security);
    const _bstr_t command = id + _bstr_t(kGo) + verbName + _bstr_t(kGo);
    const char* text = command;
    sendCommand(text, static_cast<unsigned short>(static_cast<std::uint32_t>(targetNumber) & 0xFFFFu));
}

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
