// smarttag-host: plays the part of the add-in's host and of Office.
//
// As the add-in's host does at start-up, it builds the recognizers and the
// actions through their exported factories and hands them to the two
// adaptor factories. From then on it talks to the adaptors the way Office
// does, through the Office-mirror interfaces only: every paragraph of each
// document (text between blank lines, line breaks turned into blanks) goes to
// Recognize2 with an in-memory recognizer site, and each committed smart tag
// is printed, as a readable table or as JSON lines:
//
//   {"file":…,"paragraph":N,"name":…,"start":N,"length":N,"text":…,"properties":{…}}
//
// where start is 1-based in UTF-16 code units within the paragraph and text
// is the paragraph's text at that place.
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
//
// Input is UTF-8 text (a leading byte-order mark is dropped). A file that
// cannot be read, or that holds a NUL byte or a byte sequence that is not
// UTF-8, is reported on standard error and left out entirely; the other
// files are still processed and printed, and the exit status is 1.
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

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
#include "api/document.h"
#include "api/catalogue.h"
#include "api/wiring.h"
#include "normalizer/catalogue_update.h"
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

// A run qualifies for the progress line when it has at least this many files
// or at least this many bytes in all.
const std::size_t kProgressFiles = 10;
const std::uintmax_t kProgressBytes = 1u << 20;

struct Options {
    std::vector<std::string> files;
    std::string format = "table";
    std::string prefix = kDefaultPrefix;
    std::string sectors = kDefaultSectors;
    std::string sectorVerbs = kDefaultSectorVerbs;
    bool verbs = false;
    std::string invoke;  // empty: invoke nothing
    bool noProgress = false;
    std::string catalogue;  // empty: the bundled update; "none": the built-in catalogue alone
};

using smarttag::api::Paragraph;
using smarttag::api::SplitParagraphs;

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

bool StderrIsTerminal() {
#if defined(_WIN32)
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

// One self-erasing status line on standard error: files done, bytes done and
// the file at hand, redrawn at most ten times a second. Anything else written
// to standard error must call Clear() first; the next update redraws.
class Progress {
public:
    Progress(bool enabled, std::size_t files, std::uintmax_t bytes) : enabled_(enabled), files_(files), bytes_(bytes) {}
    ~Progress() { Clear(); }

    void StartFile(std::size_t index, const std::string& name) {
        file_ = index;
        name_ = name;
        fileDone_ = 0;
        Draw(index == 0);
    }

    // `done` bytes of the file at hand are processed.
    void Advance(std::uintmax_t done) {
        fileDone_ = done;
        Draw(false);
    }

    void FinishFile(std::uintmax_t size) { before_ += size; }

    void Clear() {
        if (!shown_) return;
        std::cerr << "\r\033[K" << std::flush;
        shown_ = false;
    }

private:
    void Draw(bool force) {
        if (!enabled_) return;
        const auto now = std::chrono::steady_clock::now();
        if (!force && shown_ && now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        const std::uintmax_t done = before_ + fileDone_;
        // Both amounts in the unit that suits the total.
        const bool megabytes = bytes_ >= 1000000;
        const double unit = megabytes ? 1e6 : 1e3;
        std::ostringstream line;
        line << "smarttag-host: file " << file_ + 1 << " of " << files_ << ", " << std::fixed
             << std::setprecision(megabytes ? 1 : 0) << double(done) / unit << " of " << double(bytes_) / unit
             << (megabytes ? " MB" : " kB");
        if (bytes_ > 0) line << " (" << std::min<std::uintmax_t>(100, done * 100 / bytes_) << "%)";
        line << "  " << Shortened(name_, 78 - std::min<std::size_t>(60, line.str().size()));
        std::cerr << '\r' << line.str() << "\033[K" << std::flush;
        shown_ = true;
    }

    // The tail of `name` in at most `width` bytes, cut at a character start.
    static std::string Shortened(const std::string& name, std::size_t width) {
        if (name.size() <= width) return name;
        std::size_t from = name.size() - (width > 3 ? width - 3 : 0);
        while (from < name.size() && (static_cast<unsigned char>(name[from]) & 0xC0) == 0x80) ++from;
        return "..." + name.substr(from);
    }

    bool enabled_;
    std::size_t files_;
    std::uintmax_t bytes_;
    std::size_t file_ = 0;
    std::string name_;
    std::uintmax_t before_ = 0;  // bytes of the files already finished
    std::uintmax_t fileDone_ = 0;
    bool shown_ = false;
    std::chrono::steady_clock::time_point last_;
};

std::vector<std::string> SectorWords(const Options& options) {
    std::vector<std::string> words;
    boost::split(words, options.sectors, boost::is_any_of(","));
    std::vector<std::string> sectors;
    for (const auto& word : words)
        if (!word.empty()) sectors.push_back(word);
    return sectors;
}

// Recognizers in the order their tag types are numbered.
std::vector<boost::shared_ptr<IRecognizerImpl>> BuildRecognizers(const Options& options,
                                                                 boost::shared_ptr<IRecognizerImpl> citation) {
    return smarttag::api::StandardRecognizers(SectorWords(options), std::move(citation));
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
void InvokeOnTag(ISmartTagActionImpl& adaptor, ISmartTagAction2Impl& adaptor2, const std::string& verb,
                 smarttag::host::Journal& journal, Tag& tag) {
    tag.invoked = true;
    for (const VerbInfo& info : VerbsOf(adaptor, tag.name))
        if (info.name == verb || info.caption == verb) {
            tag.verbId = info.id;
            break;
        }
    if (tag.verbId < 0) return;
    const std::size_t before = journal.lines.size();
    auto bag = smarttag::platform::InMemoryPropertyBag::Create(tag.bag);
    tag.result = adaptor2.InvokeVerb2(tag.verbId, _bstr_t(OLESTR("smarttag-host")), nullptr, bag.Get(),
                                      Wide(tag.text), nullptr, 1033);
    tag.received.assign(journal.lines.begin() + std::ptrdiff_t(before), journal.lines.end());
}

std::vector<Tag> RecognizeDocument(ISmartTagRecognizer2Impl& adaptor, const std::string& file,
                                   const std::string& document, Progress& progress) {
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
            const smarttag::api::UnitRange units =
                smarttag::api::ClampReported(commit.start, commit.length, paragraph.text.size());
            tag.text = smarttag::platform::WideToUtf8(paragraph.text.substr(units.start, units.length));
            for (const auto& property : commit.properties) {
                nlohmann::ordered_json value = nullptr;
                if (!!property.second) value = Utf8(property.second);
                tag.properties.emplace_back(Utf8(property.first), value);
            }
            tags.push_back(std::move(tag));
        }
        progress.Advance(paragraph.end);
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

std::string TagPlace(const Tag& tag) { return tag.file + ":" + std::to_string(tag.paragraph); }

// Columns as wide as their longest entry, so long file or tag names never
// run into the next column.
void PrintTable(const std::vector<Tag>& tags) {
    std::size_t whereWidth = 5, nameWidth = 4;
    for (const Tag& tag : tags) {
        whereWidth = std::max(whereWidth, TagPlace(tag).size());
        nameWidth = std::max(nameWidth, tag.name.size());
    }
    whereWidth += 2;
    nameWidth += 2;
    const std::string indent(whereWidth + 14, ' ');
    std::cout << std::left << std::setw(int(whereWidth)) << "where" << std::setw(7) << "start" << std::setw(7)
              << "length" << std::setw(int(nameWidth)) << "name" << "text" << '\n';
    for (const Tag& tag : tags) {
        std::cout << std::setw(int(whereWidth)) << TagPlace(tag) << std::setw(7) << tag.start << std::setw(7)
                  << tag.length << std::setw(int(nameWidth)) << tag.name << tag.text << '\n';
        for (const auto& property : tag.properties)
            std::cout << indent << property.first << " = "
                      << (property.second.is_null() ? std::string("(null)") : property.second.get<std::string>())
                      << '\n';
    }
    std::cout << tags.size() << (tags.size() == 1 ? " tag" : " tags") << '\n';
}

void PrintInvocations(const std::string& verb, const std::vector<Tag>& tags) {
    std::cout << "\ninvoke " << nlohmann::json(verb).dump() << '\n';
    for (const Tag& tag : tags) {
        std::cout << TagPlace(tag) << "  " << tag.name << "  " << tag.text << '\n';
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

// Reads `path` as a UTF-8 document without its byte-order mark. On failure
// `error` says why, for a message after the file's name.
bool LoadDocument(const std::string& path, std::string& contents, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    contents.clear();
    char buffer[1 << 16];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) contents.append(buffer, n);
    const bool failed = std::ferror(file) != 0;
    const int readErrno = errno;
    std::fclose(file);
    if (failed) {
        error = std::strerror(readErrno);
        return false;
    }

    error = smarttag::api::DocumentProblem(contents);
    if (!error.empty()) return false;
    if (contents.compare(0, 3, "\xEF\xBB\xBF") == 0) contents.erase(0, 3);
    return true;
}

const char kUsage[] =
    "Usage: smarttag-host [options] FILE...\n"
    "\n"
    "Runs the smart-tag library on text documents the way Office and the add-in's\n"
    "host would, and prints the smart tags it commits.\n"
    "\n"
    "Each FILE is a UTF-8 document (a byte-order mark is allowed). Each paragraph,\n"
    "that is each run of non-blank lines with its line breaks turned into blanks,\n"
    "is one run of text handed to the recognizers: the citation recognizer, the\n"
    "security recognizer (tag types named after the market sectors) and the\n"
    "transparency recognizer, in that order.\n";

const char kEpilogue[] =
    "\n"
    "Output (standard output): with --format table, one row per tag with its\n"
    "properties below it and a count; with --format jsonl, one JSON object per tag:\n"
    "  {\"file\":...,\"paragraph\":N,\"name\":...,\"start\":N,\"length\":N,\"text\":...,\n"
    "   \"properties\":{...}}\n"
    "where start (1-based) and length are in UTF-16 code units within the\n"
    "paragraph, as the recognizer reported them, and text is the paragraph's text\n"
    "there. --invoke adds an \"invoke\" member (verbId, result, received) to each\n"
    "object; --verbs adds one object per tag type (type, caption, verbs).\n"
    "\n"
    "Standard error: what the stand-ins for the closed host libraries are asked,\n"
    "the adaptors' log lines, messages about files, and a progress line when\n"
    "standard error is a terminal and the run has at least 10 files or 1 MiB.\n"
    "\n"
    "Exit status: 0 when every file was processed; 1 when a file could not be\n"
    "read or is not text (it holds a NUL byte or bytes that are not UTF-8): it is\n"
    "reported and skipped, and the other files are still processed and printed;\n"
    "2 for a usage error, or a catalogue update that cannot be read or has a bad\n"
    "row (the message names the file and line).\n";

// Returns false when the program should stop with `exitCode`.
bool ParseOptions(int argc, char** argv, Options& options, int& exitCode) {
    po::options_description visible("Options", 80);
    visible.add_options()
        ("help,h", "show this help and exit")
        ("format", po::value(&options.format)->default_value(options.format)->value_name("FMT"),
         "output format: 'table' (readable) or 'jsonl' (one JSON object per line)")
        ("sectors", po::value(&options.sectors)->default_value(options.sectors)->value_name("LIST"),
         "comma-separated market-sector words: a paragraph ending in one of them (optionally followed by an "
         "identifier type such as SEDOL1 or CUSIP) is tagged as a security of that sector")
        ("prefix", po::value(&options.prefix)->default_value(options.prefix)->value_name("TEXT"),
         "prefix of every tag name (the tag name is the prefix followed by the tag type)")
        ("sector-verbs", po::value(&options.sectorVerbs)->default_value(options.sectorVerbs)->value_name("SPEC"),
         "verbs offered on every market-sector tag, as TARGET|VERB|VERB...: each verb sends "
         "'<security><GO>VERB<GO>' to the terminal with target number TARGET; an 'Options...' verb follows them")
        ("verbs", po::bool_switch(&options.verbs),
         "after the tags, list each tag type with its caption and the verbs the action adaptor numbers for it")
        ("invoke", po::value(&options.invoke)->value_name("VERB"),
         "invoke the verb with this name or caption on every tag and print what the host stand-ins received "
         "(a tag whose type has no such verb is shown as such)")
        ("no-progress", po::bool_switch(&options.noProgress), "never show the progress line")
        ("catalogue", po::value(&options.catalogue)->value_name("FILE|none"),
         "reporter catalogue update for the citation recognizer: a TSV file (name, highest_volume, category, "
         "as_of, source), or 'none' for the built-in catalogue alone (default: the update built into the "
         "library from data/catalogue-update.tsv)");
    po::options_description all;
    all.add(visible).add_options()("file", po::value(&options.files));
    po::positional_options_description positional;
    positional.add("file", -1);

    po::variables_map vm;
    try {
        po::store(po::command_line_parser(argc, argv).options(all).positional(positional).run(), vm);
        po::notify(vm);
    } catch (const po::error& e) {
        std::cerr << "smarttag-host: " << e.what() << "\nTry 'smarttag-host --help'.\n";
        exitCode = 2;
        return false;
    }
    if (vm.count("help")) {
        std::cout << kUsage << '\n' << visible << kEpilogue;
        exitCode = 0;
        return false;
    }
    if (options.format != "table" && options.format != "jsonl") {
        std::cerr << "smarttag-host: unknown format '" << options.format << "' (table or jsonl)\n";
        exitCode = 2;
        return false;
    }
    if (options.files.empty()) {
        std::cerr << "smarttag-host: no input files\nTry 'smarttag-host --help'.\n";
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
    boost::shared_ptr<IRecognizerImpl> citation;
    try {
        citation = smarttag::api::CitationRecognizerFor(options.catalogue);
    } catch (const std::exception& e) {
        std::cerr << "smarttag-host: --catalogue: " << e.what() << '\n';
        return 2;
    }

    // Sizes for the progress line; what is not a regular file counts as empty.
    std::vector<std::uintmax_t> sizes;
    std::uintmax_t totalBytes = 0;
    for (const std::string& file : options.files) {
        std::error_code error;
        std::uintmax_t size = 0;
        if (std::filesystem::is_regular_file(file, error)) size = std::filesystem::file_size(file, error);
        sizes.push_back(error ? 0 : size);
        totalBytes += sizes.back();
    }
    Progress progress(!options.noProgress && StderrIsTerminal() &&
                          (options.files.size() >= kProgressFiles || totalBytes >= kProgressBytes),
                      options.files.size(), totalBytes);

    // What the closed libraries and the host's logger are asked goes to stderr.
    auto journal = std::make_shared<smarttag::host::Journal>();
    journal->echo = [&progress](const std::string& line) {
        progress.Clear();
        std::cerr << "host: " << line << '\n';
    };
    smarttag::host::RecordingHostServices services(journal);
    // The window the window finder stands in for.
    services.window = reinterpret_cast<HWND>(std::uintptr_t(0x10010));
    smarttag::host::ScopedHostServices installed(services);
    auto log = boost::make_shared<smarttag::host::RecordingLogInfo>(journal);
    auto setting = boost::make_shared<smarttag::host::FixedSettingReader>(true);

    // From here on the adaptors are reached as Office reaches them.
    const boost::shared_ptr<SmartTag2RecognizerAdaptorImpl> recognizerObject =
        SmartTag2RecognizerAdaptorImpl::Ctor(BuildRecognizers(options, citation), Wide(options.prefix), setting, log);
    ISmartTagRecognizer2Impl& recognizer = *recognizerObject;
    recognizer.SmartTagInitialize(nullptr);
    const boost::shared_ptr<SmartTag2ActionAdaptorImpl> actionObject =
        SmartTag2ActionAdaptorImpl::Ctor(BuildActions(options, journal), Wide(options.prefix), log);
    ISmartTagActionImpl& action = *actionObject;
    ISmartTagAction2Impl& action2 = *actionObject;

    std::vector<TypeInfo> types = NameTagTypes(action);
    // Numbered in type order before any tag is seen, so the IDs listed do
    // not depend on the documents.
    if (options.verbs)
        for (TypeInfo& type : types) type.verbs = VerbsOf(action, type.name);

    std::vector<Tag> tags;
    for (std::size_t index = 0; index < options.files.size(); ++index) {
        const std::string& file = options.files[index];
        progress.StartFile(index, file);
        std::string document, error;
        if (!LoadDocument(file, document, error)) {
            progress.Clear();
            std::cerr << "smarttag-host: " << file << ": " << error << '\n';
            exitCode = 1;
        } else {
            std::vector<Tag> found = RecognizeDocument(recognizer, file, document, progress);
            tags.insert(tags.end(), std::make_move_iterator(found.begin()), std::make_move_iterator(found.end()));
        }
        progress.FinishFile(sizes[index]);
    }

    if (!options.invoke.empty())
        for (Tag& tag : tags) InvokeOnTag(action, action2, options.invoke, *journal, tag);
    progress.Clear();

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
