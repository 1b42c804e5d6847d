// The terminal command action behind the action adaptor, with a verb
// specification, a security and a caption template taken from the input
// (three pieces separated by line feeds, each decoded as DecodeText does).
//
// Each input builds a fresh action and adaptor (the adaptor keeps its verb
// numbering for its life), lists the tag types and captions, numbers the
// verbs of the first type and invokes every one of them. Checked:
//   - the verbs are the verb specification's non-empty "|" fields after the
//     first, in order, each with itself as caption;
//   - each invocation sends exactly one command, "<security><GO><verb><GO>"
//     in the ANSI code page (unless a NUL cuts the 8-bit text short);
//   - nothing is logged and every COM object is released.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <boost/make_shared.hpp>

#include "actions/terminal_command_action.h"
#include "adaptors/action_adaptor.h"
#include "adaptors/host/recording_host.h"
#include "fuzz/fuzz_input.h"
#include "platform/bstr.h"
#include "platform/codepage.h"
#include "platform/com_object.h"
#include "platform/in_memory_site.h"

using namespace Veltra::Penwork::Recognizer;
using smarttag::fuzz::Units;

namespace {

_bstr_t ToBstr(const Units& units) { return _bstr_t(SysAllocStringLen(units.data(), UINT(units.size())), false); }

Units Decode(const std::string& piece) {
    return smarttag::fuzz::DecodeText(reinterpret_cast<const uint8_t*>(piece.data()), piece.size());
}

Units FromBstr(BSTR owned) {
    const _bstr_t held(owned, false);
    const OLECHAR* units = held;
    return units ? Units(units, held.length()) : Units();
}

// The verbs a specification should give: its non-empty "|" fields but the first.
std::vector<Units> ExpectedVerbs(const Units& spec) {
    std::vector<Units> fields;
    Units field;
    for (OLECHAR c : spec) {
        if (c != u'|') {
            field += c;
            continue;
        }
        if (!field.empty()) fields.push_back(field);
        field.clear();
    }
    if (!field.empty()) fields.push_back(field);
    if (!fields.empty()) fields.erase(fields.begin());
    return fields;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> pieces = smarttag::fuzz::SplitInput(data, size, '\n', 3);
    const Units spec = Decode(pieces[0]);
    const Units security = Decode(pieces[1]);
    const Units captionTemplate = Decode(pieces[2]);
    const long liveBefore = smarttag::platform::GetComCounters().live;
    {
        std::vector<std::string> sent;
        auto log = boost::make_shared<smarttag::host::RecordingLogInfo>();
        auto action = ActionTerminalCommandImpl::Ctor(
            _bstr_t(OLESTR("Terminal")), smarttag::host::VectorStringList::FromUtf8({"Equity", "Corp"}),
            ToBstr(captionTemplate), [&](const _bstr_t&) { return ToBstr(spec); },
            [](const _bstr_t& name) { return name; },
            [&](const char* text, unsigned short) {
                sent.emplace_back(text ? text : "");
                return true;
            });
        auto adaptor = SmartTag2ActionAdaptorImpl::Ctor({action}, _bstr_t(OLESTR("urn:fuzz#")), log);

        int types = 0;
        FUZZ_CHECK(adaptor->get_SmartTagCount(&types) == S_OK && types == 2);
        for (int id = 1; id <= types; ++id) {
            BSTR name = nullptr, caption = nullptr;
            FUZZ_CHECK(adaptor->get_SmartTagName(id, &name) == S_OK);
            FUZZ_CHECK(adaptor->get_SmartTagCaption(id, 1033, &caption) == S_OK);
            FromBstr(caption);
            FromBstr(name);
        }

        const _bstr_t tagName(OLESTR("urn:fuzz#Equity"));
        const std::vector<Units> expected = ExpectedVerbs(spec);
        int count = -1;
        FUZZ_CHECK(adaptor->get_VerbCount(tagName, &count) == S_OK);
        FUZZ_CHECK(count == int(expected.size()));

        auto bag = smarttag::platform::InMemoryPropertyBag::Create(
            {{_bstr_t(OLESTR("Security")), ToBstr(security)}});
        const bool cut = security.find(u'\0') != Units::npos;
        for (int index = 1; index <= count; ++index) {
            int verbId = -1;
            FUZZ_CHECK(adaptor->get_VerbID(tagName, index, &verbId) == S_OK);
            BSTR name = nullptr, caption = nullptr;
            FUZZ_CHECK(adaptor->get_VerbNameFromID(verbId, &name) == S_OK);
            FUZZ_CHECK(adaptor->get_VerbCaptionFromID(verbId, nullptr, 1033, &caption) == S_OK);
            const Units verb = FromBstr(name);
            FUZZ_CHECK(verb == expected[std::size_t(index - 1)]);
            FUZZ_CHECK(FromBstr(caption) == verb);

            sent.clear();
            FUZZ_CHECK(adaptor->InvokeVerb(verbId, nullptr, nullptr, bag.Get(), nullptr, nullptr) == S_OK);
            FUZZ_CHECK(sent.size() == 1);
            if (!cut && verb.find(u'\0') == Units::npos) {
                const Units command = security + Units(OLESTR("<GO>")) + verb + Units(OLESTR("<GO>"));
                FUZZ_CHECK(sent[0] == smarttag::platform::WideToAnsi(command.data(), command.size()));
            }
        }
        for (const std::string& line : log->messages) std::fprintf(stderr, "logged: %s\n", line.c_str());
        FUZZ_CHECK(log->messages.empty());
    }
    FUZZ_CHECK(smarttag::platform::GetComCounters().live == liveBefore);
    return 0;
}
