// smarttag-host: plays the part of the add-in's host and of Office.
//
// It builds the recognizers through their factories, wires them into the
// recognizer adaptor the way the add-in's host does, and hands every
// paragraph of each document (text between blank lines, line breaks turned
// into blanks) to Recognize2 through an in-memory recognizer site. Each
// committed smart tag is printed, as a readable table or as JSON lines:
//
//   {"file":…,"paragraph":N,"name":…,"start":N,"length":N,"text":…,"properties":{…}}
//
// where start is 1-based in UTF-16 code units within the paragraph and text
// is the paragraph's text at that place. Files are read as UTF-8.
//
// The action side is wired as the add-in's host wires it: the Jurra action
// for "Citation", the terminal command action for the sector types wrapped
// by the UI invoke action, and the transparency action. With --verbs the
// program lists, for each tag type, the verbs the action adaptor numbers;
// with --invoke VERB it invokes that verb on every tag through the tag's
// property bag and prints what the host stand-ins received.
//
// The closed libraries are replaced by recording stand-ins whose calls, and
// the adaptors' log lines, go to standard error.
#include <cstdio>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <boost/algorithm/string/classification.hpp>
#include <boost/algorithm/string/split.hpp>
#include <boost/make_shared.hpp>
#include <boost/program_options.hpp>
#include <nlohmann/json.hpp>

#include "actions/terminal_command_action.h"
#include "actions/transparency_command_action.h"
#include "actions/ui_invoke_actions.h"
#include "adaptors/action_adaptor.h"
#include "adaptors/host/recording_host.h"
#include "adaptors/recognizer_adaptor.h"
#include "platform/codepage.h"
#include "platform/in_memory_site.h"
#include "recognizers/citation_recognizer.h"
#include "recognizers/security_recognizer.h"
#include "recognizers/transparency_recognizer.h"

namespace po = boost::program_options;
using namespace Veltra::Penwork::Recognizer;
using smarttag::platform::OleString;

namespace {

const char kDefaultPrefix[] = "urn:veltra:smarttags#";
const char kDefaultSectors[] = "Equity,Corp,Bond,Fund,Index,Currency,Commodity";
const char kDefaultSectorVerbs[] = "1|DES|GP|CN";
const char kOptionsCaption[] = "Options...";

struct Options {
    std::vector<std::string> files;
    std::string format = "table";
    std::string prefix = kDefaultPrefix;
    std::string sectors = kDefaultSectors;
    std::string sectorVerbs = kDefaultSectorVerbs;
    bool verbs = false;
    std::string invoke;  // empty: invoke nothing
};

struct Paragraph {
    int number;  // 1-based within its file
    OleString text;
};

struct Tag {
    std::string file;
    int paragraph;
    std::string name;
    int start, length;
    std::string text;
    std::vector<std::pair<std::string, nlohmann::ordered_json>> properties;
    smarttag::platform::PropertyEntries bag;  // as committed, for invoking verbs
    // Filled by --invoke.
    bool invoked = false;
    int verbId = -1;  // -1: the tag's type offers no such verb
    HRESULT result = S_OK;
    std::vector<std::string> received;  // what the host stand-ins were given
};

struct VerbInfo {
    int id;
    std::string name, caption;
};

struct TypeInfo {
    std::string name, caption;
    std::vector<VerbInfo> verbs;
};

_bstr_t Wide(const std::string& utf8) { return _bstr_t(smarttag::platform::Utf8ToWide(utf8).c_str()); }

std::string Utf8(const _bstr_t& text) {
    return smarttag::platform::WideToUtf8(static_cast<const OLECHAR*>(text), text.length());
}

bool IsBlankLine(const std::string& line) {
    return line.find_first_not_of(" \t\r\f\v") == std::string::npos;
}

// Paragraphs are runs of non-blank lines; the lines of one paragraph are
// joined with one blank each.
std::vector<std::string> SectorWords(const Options& options) {
    std::vector<std::string> words;
    boost::split(words, options.sectors, boost::is_any_of(","));
    std::vector<std::string> sectors;
    for (const auto& word : words)
        if (!word.empty()) sectors.push_back(word);
    return sectors;
}

std::vector<Paragraph> SplitParagraphs(const std::string& document) {
    std::vector<Paragraph> paragraphs;
    std::istringstream in(document);
    std::string line, current;
    bool open = false;
    auto flush = [&] {
        if (open) paragraphs.push_back({int(paragraphs.size()) + 1, smarttag::platform::Utf8ToWide(current)});
        current.clear();
        open = false;
    };
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (IsBlankLine(line)) {
            flush();
            continue;
        }
        if (open) current += ' ';
        current += line;
        open = true;
    }
    flush();
    return paragraphs;
}

// Recognizers in the order their tag types are numbered.
std::vector<boost::shared_ptr<IRecognizerImpl>> BuildRecognizers(const Options& options) {
    std::vector<boost::shared_ptr<IRecognizerImpl>> recognizers;
    recognizers.push_back(RecognizerCitationImpl::Ctor(Wide("Citation")));
    recognizers.push_back(RecognizerSecurityImpl::Ctor(Wide("Security"),
                                                       smarttag::host::VectorStringList::FromUtf8(SectorWords(options))));
    recognizers.push_back(RecognizerTransparencyImpl::Factory(Wide("Transparency")));
    return recognizers;
}

// Actions in the order their tag types are numbered, matching the recognizers.
std::vector<boost::shared_ptr<IActionImpl>> BuildActions(const Options& options,
                                                         std::shared_ptr<smarttag::host::Journal> journal) {
    // The terminal stand-in: each command is journalled, as the terminal
    // would receive it (8-bit ANSI text), shown here as UTF-8.
    const CommandSenderFn sendCommand = [journal](const char* text, unsigned short target) {
        const std::string shown = smarttag::platform::WideToUtf8(smarttag::platform::AnsiToWide(text ? text : ""));
        journal->Add("CommandSender(" + nlohmann::json(shown).dump() + ", " + std::to_string(target) + ")");
        return true;
    };
    const _bstr_t sectorVerbs = Wide(options.sectorVerbs);
    auto terminal = ActionTerminalCommandImpl::Ctor(
        Wide("Terminal"), smarttag::host::VectorStringList::FromUtf8(SectorWords(options)), Wide("%s Functions"),
        [sectorVerbs](const _bstr_t&) { return sectorVerbs; }, [](const _bstr_t& name) { return name; },
        sendCommand);

    std::vector<boost::shared_ptr<IActionImpl>> actions;
    actions.push_back(ActionUIInvokeJurraCommandImpl::Ctor(Wide("Citation"), sendCommand));
    actions.push_back(ActionUIInvokeCommandImpl::Ctor(terminal, [] { return Wide(kOptionsCaption); }));
    actions.push_back(ActionTransparencyCommandImpl::Factory(
        Wide("Transparency"), boost::make_shared<smarttag::host::RecordingToolCmd>(true, journal)));
    return actions;
}

// What Office does when the add-in loads: learn the action side's tag types.
std::vector<TypeInfo> NameTagTypes(ISmartTagActionImpl& adaptor) {
    std::vector<TypeInfo> types;
    int count = 0;
    adaptor.get_SmartTagCount(&count);
    for (int id = 1; id <= count; ++id) {
        BSTR name = nullptr, caption = nullptr;
        if (adaptor.get_SmartTagName(id, &name) != S_OK) continue;
        const _bstr_t ownedName(name, false);
        adaptor.get_SmartTagCaption(id, 1033, &caption);
        const _bstr_t ownedCaption(caption, false);
        types.push_back({Utf8(ownedName), Utf8(ownedCaption), {}});
    }
    return types;
}

// What Office does when a tag's menu opens: number and caption its verbs.
std::vector<VerbInfo> VerbsOf(ISmartTagActionImpl& adaptor, const std::string& typeName) {
    std::vector<VerbInfo> verbs;
    const _bstr_t name = Wide(typeName);
    int count = 0;
    if (adaptor.get_VerbCount(name, &count) != S_OK) return verbs;
    for (int index = 1; index <= count; ++index) {
        int id = -1;
        if (adaptor.get_VerbID(name, index, &id) != S_OK) continue;
        BSTR verbName = nullptr, caption = nullptr;
        adaptor.get_VerbNameFromID(id, &verbName);
        const _bstr_t ownedName(verbName, false);
        adaptor.get_VerbCaptionFromID(id, nullptr, 1033, &caption);
        const _bstr_t ownedCaption(caption, false);
        verbs.push_back({id, Utf8(ownedName), Utf8(ownedCaption)});
    }
    return verbs;
}

// Invokes the verb named or captioned `verb` on `tag` with a property bag
// holding the tag's committed properties.
void InvokeOnTag(SmartTag2ActionAdaptorImpl& adaptor, const std::string& verb, smarttag::host::Journal& journal,
                 Tag& tag) {
    tag.invoked = true;
    for (const VerbInfo& info : VerbsOf(adaptor, tag.name))
        if (info.name == verb || info.caption == verb) {
            tag.verbId = info.id;
            break;
        }
    if (tag.verbId < 0) return;
    const std::size_t before = journal.lines.size();
    auto bag = smarttag::platform::InMemoryPropertyBag::Create(tag.bag);
    tag.result = adaptor.InvokeVerb2(tag.verbId, _bstr_t(OLESTR("smarttag-host")), nullptr, bag.Get(),
                                     Wide(tag.text), nullptr, 1033);
    tag.received.assign(journal.lines.begin() + std::ptrdiff_t(before), journal.lines.end());
}

std::vector<Tag> RecognizeDocument(SmartTag2RecognizerAdaptorImpl& adaptor, const std::string& file,
                                   const std::string& document) {
    std::vector<Tag> tags;
    const _bstr_t application(OLESTR("smarttag-host"));
    for (const Paragraph& paragraph : SplitParagraphs(document)) {
        auto site = smarttag::platform::InMemoryRecognizerSite::Create();
        const _bstr_t text(paragraph.text.c_str());
        adaptor.Recognize2(text, IF_TYPE_PARA, 1033, site.Get(), application, nullptr);
        for (const auto& commit : site->Commits()) {
            Tag tag;
            tag.file = file;
            tag.paragraph = paragraph.number;
            tag.name = Utf8(commit.name);
            tag.start = commit.start;
            tag.length = commit.length;
            tag.bag = commit.properties;
            // The recognizer's span, clamped to the paragraph.
            const std::size_t size = paragraph.text.size();
            const std::size_t from = commit.start > 0 ? std::min(std::size_t(commit.start - 1), size) : 0;
            const std::size_t count = commit.length > 0 ? std::min(std::size_t(commit.length), size - from) : 0;
            tag.text = smarttag::platform::WideToUtf8(paragraph.text.substr(from, count));
            for (const auto& property : commit.properties) {
                nlohmann::ordered_json value = nullptr;
                if (!!property.second) value = Utf8(property.second);
                tag.properties.emplace_back(Utf8(property.first), value);
            }
            tags.push_back(std::move(tag));
        }
    }
    return tags;
}

void PrintJsonLines(const std::vector<Tag>& tags) {
    for (const Tag& tag : tags) {
        nlohmann::ordered_json properties = nlohmann::ordered_json::object();
        for (const auto& property : tag.properties) properties[property.first] = property.second;
        nlohmann::ordered_json line;
        line["file"] = tag.file;
        line["paragraph"] = tag.paragraph;
        line["name"] = tag.name;
        line["start"] = tag.start;
        line["length"] = tag.length;
        line["text"] = tag.text;
        line["properties"] = properties;
        if (tag.invoked) {
            nlohmann::ordered_json invocation;
            invocation["verbId"] = tag.verbId < 0 ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(tag.verbId);
            invocation["result"] = tag.result;
            invocation["received"] = tag.received;
            line["invoke"] = invocation;
        }
        std::cout << line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
    }
}

void PrintTable(const std::vector<Tag>& tags) {
    std::cout << std::left << std::setw(24) << "where" << std::setw(7) << "start" << std::setw(7) << "length"
              << std::setw(36) << "name" << "text" << '\n';
    for (const Tag& tag : tags) {
        std::cout << std::setw(24) << (tag.file + ":" + std::to_string(tag.paragraph)) << std::setw(7) << tag.start
                  << std::setw(7) << tag.length << std::setw(36) << tag.name << tag.text << '\n';
        for (const auto& property : tag.properties)
            std::cout << std::string(38, ' ') << property.first << " = "
                      << (property.second.is_null() ? std::string("(null)") : property.second.get<std::string>())
                      << '\n';
    }
    std::cout << tags.size() << (tags.size() == 1 ? " tag" : " tags") << '\n';
}

void PrintInvocations(const std::string& verb, const std::vector<Tag>& tags) {
    std::cout << "\ninvoke " << nlohmann::json(verb).dump() << '\n';
    for (const Tag& tag : tags) {
        std::cout << (tag.file + ":" + std::to_string(tag.paragraph)) << "  " << tag.name << "  " << tag.text << '\n';
        if (tag.verbId < 0) {
            std::cout << "    (no such verb for this tag type)\n";
            continue;
        }
        if (tag.result != S_OK) std::cout << "    result " << tag.result << '\n';
        for (const std::string& line : tag.received) std::cout << "    " << line << '\n';
    }
}

void PrintVerbs(const std::vector<TypeInfo>& types, bool json) {
    if (!json) std::cout << "\nverbs\n";
    for (const TypeInfo& type : types) {
        if (json) {
            nlohmann::ordered_json line, verbs = nlohmann::ordered_json::array();
            line["type"] = type.name;
            line["caption"] = type.caption;
            for (const VerbInfo& verb : type.verbs)
                verbs.push_back({{"id", verb.id}, {"name", verb.name}, {"caption", verb.caption}});
            line["verbs"] = verbs;
            std::cout << line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
            continue;
        }
        std::cout << type.name << "  (" << type.caption << ")\n";
        for (const VerbInfo& verb : type.verbs)
            std::cout << "  " << std::setw(4) << verb.id << verb.caption
                      << (verb.name == verb.caption ? std::string() : "  [" + verb.name + "]") << '\n';
    }
}

bool ReadFile(const std::string& path, std::string& contents) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream buffer;
    buffer << in.rdbuf();
    contents = buffer.str();
    if (contents.compare(0, 3, "\xEF\xBB\xBF") == 0) contents.erase(0, 3);
    return true;
}

// Returns false when the program should stop with `exitCode`.
bool ParseOptions(int argc, char** argv, Options& options, int& exitCode) {
    po::options_description visible("smarttag-host [options] FILE...\n\nOptions");
    visible.add_options()
        ("help,h", "show this help")
        ("format", po::value(&options.format)->default_value(options.format), "output: table or jsonl")
        ("sectors", po::value(&options.sectors)->default_value(options.sectors),
         "comma-separated market-sector words for the security recognizer")
        ("prefix", po::value(&options.prefix)->default_value(options.prefix), "tag-name prefix")
        ("sector-verbs", po::value(&options.sectorVerbs)->default_value(options.sectorVerbs),
         "verb specification of every market-sector type: target|verb|verb...")
        ("verbs", po::bool_switch(&options.verbs), "list the verbs of each tag type")
        ("invoke", po::value(&options.invoke), "invoke the verb with this name or caption on every tag");
    po::options_description all;
    all.add(visible).add_options()("file", po::value(&options.files));
    po::positional_options_description positional;
    positional.add("file", -1);

    po::variables_map vm;
    try {
        po::store(po::command_line_parser(argc, argv).options(all).positional(positional).run(), vm);
        po::notify(vm);
    } catch (const po::error& e) {
        std::cerr << "smarttag-host: " << e.what() << "\n" << visible;
        exitCode = 2;
        return false;
    }
    if (vm.count("help")) {
        std::cout << visible;
        exitCode = 0;
        return false;
    }
    if (options.format != "table" && options.format != "jsonl") {
        std::cerr << "smarttag-host: unknown format '" << options.format << "' (table or jsonl)\n";
        exitCode = 2;
        return false;
    }
    if (options.files.empty()) {
        std::cerr << "smarttag-host: no input files\n" << visible;
        exitCode = 2;
        return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    int exitCode = 0;
    if (!ParseOptions(argc, argv, options, exitCode)) return exitCode;

    // What the closed libraries and the host's logger are asked goes to stderr.
    auto journal = std::make_shared<smarttag::host::Journal>();
    journal->echo = [](const std::string& line) { std::cerr << "host: " << line << '\n'; };
    smarttag::host::RecordingHostServices services(journal);
    // The window the window finder stands in for.
    services.window = reinterpret_cast<HWND>(std::uintptr_t(0x10010));
    smarttag::host::ScopedHostServices installed(services);
    auto log = boost::make_shared<smarttag::host::RecordingLogInfo>(journal);
    auto setting = boost::make_shared<smarttag::host::FixedSettingReader>(true);

    auto recognizerAdaptor =
        SmartTag2RecognizerAdaptorImpl::Ctor(BuildRecognizers(options), Wide(options.prefix), setting, log);
    recognizerAdaptor->SmartTagInitialize(nullptr);
    auto actionAdaptor = SmartTag2ActionAdaptorImpl::Ctor(BuildActions(options, journal), Wide(options.prefix), log);
    std::vector<TypeInfo> types = NameTagTypes(*actionAdaptor);
    // Numbered in type order before any tag is seen, so the IDs listed do
    // not depend on the documents.
    if (options.verbs)
        for (TypeInfo& type : types) type.verbs = VerbsOf(*actionAdaptor, type.name);

    std::vector<Tag> tags;
    for (const std::string& file : options.files) {
        std::string document;
        if (!ReadFile(file, document)) {
            std::cerr << "smarttag-host: cannot read " << file << '\n';
            exitCode = 1;
            continue;
        }
        std::vector<Tag> found = RecognizeDocument(*recognizerAdaptor, file, document);
        tags.insert(tags.end(), found.begin(), found.end());
    }

    if (!options.invoke.empty())
        for (Tag& tag : tags) InvokeOnTag(*actionAdaptor, options.invoke, *journal, tag);

    if (options.format == "jsonl") {
        PrintJsonLines(tags);
        if (options.verbs) PrintVerbs(types, true);
    } else {
        PrintTable(tags);
        if (!options.invoke.empty()) PrintInvocations(options.invoke, tags);
        if (options.verbs) PrintVerbs(types, false);
    }
    return exitCode;
}
