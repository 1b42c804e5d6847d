// smarttag-host: plays the part of the add-in's host and of Office.
//
// As the add-in's host does at start-up, it builds the recognizers and the
// actions through their exported factories and hands them to the two
// adaptor factories. From then on it talks to the adaptors the way Office
// does, through the Office-mirror interfaces only: every paragraph of each
// document (text between blank lines, line breaks turned into blanks) goes to
// Recognize2 with an in-memory recognizer site, and each committed smart tag
// is printed, as a readable table, as JSON lines:
//
//   {"file":…,"paragraph":N,"name":…,"start":N,"length":N,"text":…,"properties":{…}}
//
// or as one HTML page with the documents' text and each tag highlighted over
// its place in the document (the category shown for a citation comes from
// the library's C++ interface, since the tag does not carry it).
//
// where start is 1-based in UTF-16 code units within the paragraph and text
// is the paragraph's text at that place. With --offsets, or with JSON Lines
// input (where "id" takes the place of "file"), the record also carries the
// tag's place in the document: byte_start/byte_length in UTF-8 bytes and
// char_start/char_length in code points, from the start of the document as
// given (a byte-order mark included).
//
// Documents are plain files (or standard input, "-"), one document each, or
// with --input jsonl one JSON object per line. They are tagged in input order
// (with --jobs N on N threads) and each document's output is written as soon
// as it and all before it are done, whole lines in one write, flushed, so the
// program's memory is bounded by the documents in flight, and several
// processes writing one pipe never mix their lines.
//
// A document that cannot be read or decoded gives one error record
// ({"file" or "id":…,"error":…}) and a message on standard error; the others
// are still tagged and the exit status is 1. A write error stops the run with
// a message and exit status 1.
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
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <climits>
#include <cstring>
#include <deque>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
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
#include "smarttag/version.h"
#include "tools/host_document.h"
#include "tools/host_html.h"

namespace po = boost::program_options;
using namespace Veltra::Penwork::Recognizer;
using smarttag::platform::OleString;
using namespace smarttag::host_program;

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
    std::string input = "text";
    std::string idField = "id";
    std::string textField = "text";
    bool offsets = false;
    int jobs = 1;
    std::string prefix = kDefaultPrefix;
    std::string sectors = kDefaultSectors;
    std::string sectorVerbs = kDefaultSectorVerbs;
    bool verbs = false;
    std::string invoke;  // empty: invoke nothing
    bool noProgress = false;
    std::string catalogue;  // empty: the bundled update; "none": the built-in catalogue alone
    // With --format html: what the page needs to know of the run, the verbs
    // the action adaptor numbers for each tag name among it, learnt before
    // any document is tagged.
    HtmlSettings html;
};

using smarttag::api::Paragraph;
using smarttag::api::SplitParagraphs;

// What one document gives: its output lines and its lines for standard error.
struct Result {
    std::size_t index = 0;
    std::string out, err;
    std::size_t tags = 0;
    bool failed = false;
    std::uintmax_t bytesRead = 0;
    std::size_t file = 0;
    // For the summary of the HTML view.
    HtmlCounts html;
    std::string name, error;  // the document's, and why it was not tagged
};

_bstr_t Wide(const std::string& utf8) { return _bstr_t(smarttag::platform::Utf8ToWide(utf8).c_str()); }

std::string Utf8(const _bstr_t& text) {
    return smarttag::platform::WideToUtf8(static_cast<const OLECHAR*>(text), text.length());
}

std::string Dump(const Json& value) { return value.dump(-1, ' ', false, Json::error_handler_t::replace); }

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

// Everything that tags documents on one thread: a recognizer adaptor of its
// own, with a log whose lines go to the error lines of the document at hand.
struct Worker {
    std::shared_ptr<smarttag::host::Journal> journal;
    boost::shared_ptr<SmartTag2RecognizerAdaptorImpl> recognizer;
    std::string* err = nullptr;  // where journal lines go; standard error when null
};

void EchoTo(Worker& worker) {
    Worker* target = &worker;
    worker.journal->echo = [target](const std::string& line) {
        if (target->err)
            target->err->append("host: " + line + "\n");
        else
            std::cerr << "host: " << line << '\n';
    };
}

std::vector<Tag> RecognizeDocument(ISmartTagRecognizer2Impl& adaptor, const std::string& document) {
    std::vector<Tag> tags;
    const _bstr_t application(OLESTR("smarttag-host"));
    for (const Paragraph& paragraph : SplitParagraphs(document)) {
        auto site = smarttag::platform::InMemoryRecognizerSite::Create();
        const _bstr_t text(paragraph.text.c_str());
        adaptor.Recognize2(text, IF_TYPE_PARA, 1033, site.Get(), application, nullptr);
        for (const auto& commit : site->Commits()) {
            Tag tag;
            tag.paragraph = paragraph.number;
            tag.name = Utf8(commit.name);
            tag.start = commit.start;
            tag.length = commit.length;
            tag.bag = commit.properties;
            // The recognizer's span, clamped to the paragraph.
            const smarttag::api::UnitRange units =
                smarttag::api::ClampReported(commit.start, commit.length, paragraph.text.size());
            tag.text = smarttag::platform::WideToUtf8(paragraph.text.substr(units.start, units.length));
            tag.span = smarttag::api::MapToDocument(document, paragraph, units.start, units.length);
            for (const auto& property : commit.properties) {
                Json value = nullptr;
                if (!!property.second) value = Utf8(property.second);
                tag.properties.emplace_back(Utf8(property.first), value);
            }
            tags.push_back(std::move(tag));
        }
    }
    return tags;
}

// The member that names the document: "file" for a file, "id" for a line.
void NameMember(Json& record, const Document& document) {
    if (document.jsonl)
        record["id"] = document.id;
    else
        record["file"] = document.file;
}

std::string JsonLines(const Document& document, const std::vector<Tag>& tags, bool offsets) {
    std::string out;
    for (const Tag& tag : tags) {
        Json properties = Json::object();
        for (const auto& property : tag.properties) properties[property.first] = property.second;
        Json line;
        NameMember(line, document);
        line["paragraph"] = tag.paragraph;
        line["name"] = tag.name;
        line["start"] = tag.start;
        line["length"] = tag.length;
        if (offsets || document.jsonl) {
            line["byte_start"] = tag.span.byteStart;
            line["byte_length"] = tag.span.byteLength;
            line["char_start"] = tag.span.charStart;
            line["char_length"] = tag.span.charLength;
        }
        line["text"] = tag.text;
        line["properties"] = properties;
        if (tag.invoked) {
            Json invocation;
            invocation["verbId"] = tag.verbId < 0 ? Json(nullptr) : Json(tag.verbId);
            invocation["result"] = tag.result;
            invocation["received"] = tag.received;
            line["invoke"] = invocation;
        }
        out += Dump(line);
        out += '\n';
    }
    return out;
}

std::string DocumentName(const Document& document) {
    if (!document.jsonl) return document.file;
    return document.id.is_string() ? document.id.get<std::string>() : Dump(document.id);
}

std::string TagPlace(const Document& document, const Tag& tag) {
    return DocumentName(document) + ":" + std::to_string(tag.paragraph);
}

// One document's rows, columns as wide as their longest entry, so long names
// never run into the next column.
std::string Table(const Document& document, const std::vector<Tag>& tags) {
    if (tags.empty()) return std::string();
    std::size_t whereWidth = 5, nameWidth = 4;
    for (const Tag& tag : tags) {
        whereWidth = std::max(whereWidth, TagPlace(document, tag).size());
        nameWidth = std::max(nameWidth, tag.name.size());
    }
    whereWidth += 2;
    nameWidth += 2;
    const std::string indent(whereWidth + 14, ' ');
    std::ostringstream out;
    out << std::left << std::setw(int(whereWidth)) << "where" << std::setw(7) << "start" << std::setw(7) << "length"
        << std::setw(int(nameWidth)) << "name" << "text" << '\n';
    for (const Tag& tag : tags) {
        out << std::setw(int(whereWidth)) << TagPlace(document, tag) << std::setw(7) << tag.start << std::setw(7)
            << tag.length << std::setw(int(nameWidth)) << tag.name << tag.text << '\n';
        for (const auto& property : tag.properties)
            out << indent << property.first << " = "
                << (property.second.is_null() ? std::string("(null)") : property.second.get<std::string>()) << '\n';
    }
    return out.str();
}

std::string Invocations(const std::string& verb, const Document& document, const std::vector<Tag>& tags) {
    if (tags.empty()) return std::string();
    std::ostringstream out;
    out << "\ninvoke " << nlohmann::json(verb).dump() << '\n';
    for (const Tag& tag : tags) {
        out << TagPlace(document, tag) << "  " << tag.name << "  " << tag.text << '\n';
        if (tag.verbId < 0) {
            out << "    (no such verb for this tag type)\n";
            continue;
        }
        if (tag.result != S_OK) out << "    result " << tag.result << '\n';
        for (const std::string& line : tag.received) out << "    " << line << '\n';
    }
    return out.str();
}

std::string Verbs(const std::vector<TypeInfo>& types, bool json) {
    std::ostringstream out;
    if (!json) out << "\nverbs\n";
    for (const TypeInfo& type : types) {
        if (json) {
            Json line, verbs = Json::array();
            line["type"] = type.name;
            line["caption"] = type.caption;
            for (const VerbInfo& verb : type.verbs)
                verbs.push_back({{"id", verb.id}, {"name", verb.name}, {"caption", verb.caption}});
            line["verbs"] = verbs;
            out << Dump(line) << '\n';
            continue;
        }
        out << type.name << "  (" << type.caption << ")\n";
        for (const VerbInfo& verb : type.verbs)
            out << "  " << std::setw(4) << verb.id << verb.caption
                << (verb.name == verb.caption ? std::string() : "  [" + verb.name + "]") << '\n';
    }
    return out.str();
}

// The action side, for --invoke (one thread only: the stand-ins record).
struct Invoker {
    ISmartTagActionImpl* action = nullptr;
    ISmartTagAction2Impl* action2 = nullptr;
    smarttag::host::Journal* journal = nullptr;
};

Result Process(const Options& options, Worker& worker, const Invoker* invoker, const Document& document) {
    Result result;
    result.index = document.index;
    result.bytesRead = document.bytesRead;
    result.file = document.fileIndex;
    result.name = DocumentName(document);
    if (!document.error.empty()) {
        result.failed = true;
        result.error = document.error;
        result.err = "smarttag-host: " + document.Where() + ": " + document.error + "\n";
        if (options.format == "html") {
            result.out = HtmlError(document, result.name, result.error);
        } else if (options.format == "jsonl") {
            Json record;
            NameMember(record, document);
            record["error"] = document.error;
            result.out = Dump(record) + "\n";
        } else {
            result.out = DocumentName(document) + "  error: " + document.error + "\n";
        }
        return result;
    }
    worker.err = &result.err;
    std::vector<Tag> tags = RecognizeDocument(*worker.recognizer, document.text);
    if (invoker)
        for (Tag& tag : tags) InvokeOnTag(*invoker->action, *invoker->action2, options.invoke, *invoker->journal, tag);
    worker.err = nullptr;
    worker.journal->lines.clear();  // echoed already; kept per document only
    result.tags = tags.size();
    if (options.format == "jsonl") {
        result.out = JsonLines(document, tags, options.offsets);
    } else if (options.format == "html") {
        result.out = HtmlDocument(document, result.name, tags, options.html, result.html);
    } else {
        result.out = Table(document, tags);
        if (invoker) result.out += Invocations(options.invoke, document, tags);
    }
    return result;
}

// Reads documents one at a time, in input order, from the files named.
class Reader {
public:
    explicit Reader(const Options& options) : options_(options) {}
    ~Reader() {
        Close();
#if !defined(_WIN32)
        std::free(buffer_);
#endif
    }
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // The next document, false at the end of the input.
    bool Next(Document& document) {
        if (!Read(document)) return false;
        document.fileIndex = file_;
        return true;
    }

private:
    bool Read(Document& document) {
        while (fileIndex_ < options_.files.size()) {
            const std::string& name = options_.files[fileIndex_];
            if (options_.input == "text") {
                document = Document();
                document.file = name;
                Load(name, document.text, document.error);
                if (document.error.empty()) document.error = smarttag::api::DocumentProblem(document.text);
                document.bytesRead = document.text.size();
                document.index = count_++;
                file_ = fileIndex_++;
                return true;
            }
            if (!open_ && !Open(name, document)) return true;
            std::string line;
            if (ReadLine(line)) {
                Decode(name, line, document);
                return true;
            }
            const bool failed = std::ferror(in_) != 0;
            const int readErrno = errno;
            Close();
            file_ = fileIndex_++;
            if (failed) {
                document = Document();
                document.file = name;
                document.jsonl = true;
                document.id = name;
                document.error = std::strerror(readErrno);
                document.index = count_++;
                return true;
            }
        }
        return false;
    }

    // Reads a whole file, or standard input for "-".
    static void Load(const std::string& path, std::string& contents, std::string& error) {
        std::error_code code;
        if (path != "-" && std::filesystem::is_directory(path, code)) {
            error = std::strerror(EISDIR);
            return;
        }
        std::FILE* file = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
        if (!file) {
            error = std::strerror(errno);
            return;
        }
        char buffer[1 << 16];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) contents.append(buffer, n);
        if (std::ferror(file)) error = std::strerror(errno);
        if (file != stdin) std::fclose(file);
    }

    bool Open(const std::string& name, Document& document) {
        std::error_code code;
        std::string error;
        if (name != "-" && std::filesystem::is_directory(name, code)) {
            error = std::strerror(EISDIR);
        } else {
            in_ = name == "-" ? stdin : std::fopen(name.c_str(), "rb");
            if (!in_) error = std::strerror(errno);
        }
        if (error.empty()) {
            open_ = true;
            line_ = 0;
            bytes_ = 0;
            return true;
        }
        document = Document();
        document.file = name;
        document.jsonl = true;
        document.id = name;
        document.error = error;
        document.index = count_++;
        file_ = fileIndex_++;
        return false;
    }

    void Close() {
        if (in_ && in_ != stdin) std::fclose(in_);
        in_ = nullptr;
        open_ = false;
    }

    bool ReadLine(std::string& line) {
        line.clear();
#if defined(_WIN32)
        int c;
        bool any = false;
        while ((c = std::getc(in_)) != EOF) {
            any = true;
            if (c == '\n') break;
            line += char(c);
        }
        if (!any) return false;
        bytes_ += line.size() + (c == '\n');
#else
        const ssize_t n = ::getline(&buffer_, &capacity_, in_);
        if (n < 0) return false;
        line.assign(buffer_, std::size_t(n));
        bytes_ += std::uintmax_t(n);
        if (!line.empty() && line.back() == '\n') line.pop_back();
#endif
        ++line_;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
    }

    // One JSON Lines document; blank lines are documents too, and bad ones.
    void Decode(const std::string& name, const std::string& line, Document& document) {
        document = Document();
        document.file = name;
        document.line = line_;
        document.jsonl = true;
        document.id = name + ":" + std::to_string(line_);
        document.bytesRead = bytes_;
        document.index = count_++;
        file_ = fileIndex_;
        if (const std::size_t bad = smarttag::api::FirstInvalidUtf8(line); bad != std::string::npos) {
            document.error = "not UTF-8 (byte " + std::to_string(bad + 1) + " of the line)";
            return;
        }
        Json object;
        try {
            object = Json::parse(line);
        } catch (const Json::exception& e) {
            document.error = std::string("not a JSON object (") + e.what() + ")";
            return;
        }
        if (!object.is_object()) {
            document.error = "not a JSON object";
            return;
        }
        if (auto id = object.find(options_.idField); id != object.end()) document.id = *id;
        const auto text = object.find(options_.textField);
        if (text == object.end() || !text->is_string()) {
            document.error = "no string member \"" + options_.textField + "\"";
            return;
        }
        document.text = text->get<std::string>();
        document.error = smarttag::api::DocumentProblem(document.text);
    }

    const Options& options_;
    std::size_t fileIndex_ = 0, file_ = 0, count_ = 0;
    std::FILE* in_ = nullptr;
    bool open_ = false;
    std::size_t line_ = 0;
    std::uintmax_t bytes_ = 0;
#if !defined(_WIN32)
    char* buffer_ = nullptr;  // getline's
    std::size_t capacity_ = 0;
#endif
};

// Standard output, written a document at a time. On a pipe a write of at
// most PIPE_BUF bytes is never mixed with another process's writes, so the
// text goes out in pieces of whole lines of at most that size (a longer line
// alone). A write that fails (full disk, closed pipe) makes Write return false.
bool Write(const std::string& text) {
#if defined(_WIN32)
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) return false;
    return std::fflush(stdout) == 0;
#else
    const std::size_t kAtomic = PIPE_BUF;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = at;
        while (end < text.size()) {
            std::size_t next = text.find('\n', end);
            next = next == std::string::npos ? text.size() : next + 1;
            if (end > at && next - at > kAtomic) break;
            end = next;
        }
        while (at < end) {
            const ssize_t n = ::write(STDOUT_FILENO, text.data() + at, end - at);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            at += std::size_t(n);
        }
    }
    return true;
#endif
}

void WriteError() {
    const int code = errno;
    std::cerr << "smarttag-host: cannot write the output: " << std::strerror(code) << '\n';
}

// Tags documents on `jobs` threads and hands their results back in input
// order, with at most `window` documents in flight.
class Pipeline {
public:
    Pipeline(const Options& options, std::vector<Worker>& workers) : window_(2 * workers.size()) {
        for (Worker& worker : workers)
            threads_.emplace_back([this, &options, &worker] { Run(options, worker); });
    }
    ~Pipeline() { Stop(); }

    // Queues `document`; first hands finished results to `emit` while the
    // window is full. False when `emit` failed.
    template <class Emit>
    bool Submit(Document document, Emit&& emit) {
        std::unique_lock<std::mutex> lock(mutex_);
        while (submitted_ - emitted_ >= window_) {
            if (!EmitReady(lock, emit)) return false;
            if (submitted_ - emitted_ >= window_) done_.wait(lock);
        }
        queue_.push_back(std::move(document));
        ++submitted_;
        work_.notify_one();
        return EmitReady(lock, emit);
    }

    // Hands every result still due to `emit`.
    template <class Emit>
    bool Finish(Emit&& emit) {
        std::unique_lock<std::mutex> lock(mutex_);
        while (emitted_ < submitted_) {
            if (!EmitReady(lock, emit)) return false;
            if (emitted_ < submitted_) done_.wait(lock);
        }
        return true;
    }

    void Stop() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closed_ = true;
            queue_.clear();
        }
        work_.notify_all();
        for (std::thread& thread : threads_)
            if (thread.joinable()) thread.join();
    }

private:
    void Run(const Options& options, Worker& worker) {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            work_.wait(lock, [this] { return closed_ || !queue_.empty(); });
            if (closed_) return;
            Document document = std::move(queue_.front());
            queue_.pop_front();
            lock.unlock();
            Result result = Process(options, worker, nullptr, document);
            lock.lock();
            ready_.emplace(result.index, std::move(result));
            done_.notify_all();
        }
    }

    template <class Emit>
    bool EmitReady(std::unique_lock<std::mutex>& lock, Emit& emit) {
        for (auto next = ready_.find(emitted_); next != ready_.end(); next = ready_.find(emitted_)) {
            Result result = std::move(next->second);
            ready_.erase(next);
            ++emitted_;
            lock.unlock();
            const bool written = emit(result);
            lock.lock();
            if (!written) return false;
        }
        return true;
    }

    const std::size_t window_;
    std::mutex mutex_;
    std::condition_variable work_, done_;
    std::deque<Document> queue_;
    std::map<std::size_t, Result> ready_;
    std::size_t submitted_ = 0, emitted_ = 0;
    bool closed_ = false;
    std::vector<std::thread> threads_;
};

const char kUsage[] =
    "Usage: smarttag-host [options] FILE...\n"
    "\n"
    "Runs the smart-tag library on text documents the way Office and the add-in's\n"
    "host would, and prints the smart tags it commits.\n"
    "\n"
    "Each FILE ('-' for standard input) is a UTF-8 document (a byte-order mark is\n"
    "allowed), or with --input jsonl a file of documents, one JSON object per line\n"
    "({\"id\":...,\"text\":...}). Each paragraph, that is each run of non-blank lines\n"
    "with its line breaks turned into blanks, is one run of text handed to the\n"
    "recognizers: the citation recognizer, the security recognizer (tag types named\n"
    "after the market sectors) and the transparency recognizer, in that order.\n";

const char kEpilogue[] =
    "\n"
    "Output (standard output), written document by document in input order: with\n"
    "--format table, one row per tag with its properties below it and a count at\n"
    "the end; with --format jsonl, one JSON object per tag:\n"
    "  {\"file\":...,\"paragraph\":N,\"name\":...,\"start\":N,\"length\":N,\"text\":...,\n"
    "   \"properties\":{...}}\n"
    "where start (1-based) and length are in UTF-16 code units within the\n"
    "paragraph, as the recognizer reported them, and text is the paragraph's text\n"
    "there. With --input jsonl \"id\" (the document's id, or FILE:LINE when it has\n"
    "none) takes the place of \"file\". With --offsets or --input jsonl each object\n"
    "also has byte_start, byte_length (UTF-8 bytes) and char_start, char_length\n"
    "(code points) after \"length\", counted from the start of the document as\n"
    "given. --invoke adds an \"invoke\" member (verbId, result, received) to each\n"
    "object; --verbs adds one object per tag type (type, caption, verbs). A\n"
    "document that cannot be read or decoded gives one {\"file\" or \"id\":...,\n"
    "\"error\":...} object (a row in the table) instead of its tags.\n"
    "\n"
    "With --format html the output is one self-contained HTML page (inline styles,\n"
    "no scripts, nothing fetched): each document's text as given, every tag a\n"
    "<mark> coloured by kind (citation, security, transparency) whose pop-up, on\n"
    "pointing or clicking, gives its type, canonical form (citations), category\n"
    "(the normalizer's for citations, the market sector for securities) and the\n"
    "verbs the action adaptor offers for it; then a summary of tags per type and\n"
    "per category and of the documents with errors, shown at the top. A document\n"
    "that could not be tagged is named in its place with the reason. The page is\n"
    "written document by document like the other formats.\n"
    "\n"
    "Standard error: what the stand-ins for the closed host libraries are asked,\n"
    "the adaptors' log lines, messages about documents, and a progress line when\n"
    "standard error is a terminal and the run has at least 10 files or 1 MiB.\n"
    "\n"
    "Exit status: 0 when every document was tagged; 1 when a document could not\n"
    "be read or decoded (it is not UTF-8, holds a NUL, or with --input jsonl is\n"
    "not a JSON object with a string text member): it is reported and the others\n"
    "are still tagged and printed; 1 also when the output cannot be written (the\n"
    "run stops there); 2 for a usage error, or a catalogue update that cannot be\n"
    "read or has a bad row (the message names the file and line).\n";

// An empty string when `spec` is TARGET|VERB|VERB... with a target number
// and at least one verb, none empty; otherwise what is wrong with it.
std::string SectorVerbsProblem(const std::string& spec) {
    std::vector<std::string> parts;
    boost::split(parts, spec, boost::is_any_of("|"));
    if (parts[0].empty() || parts[0].find_first_not_of("0123456789") != std::string::npos || parts[0].size() > 5)
        return "must start with a target number";
    if (parts.size() < 2) return "needs at least one verb after the target number";
    for (std::size_t i = 1; i < parts.size(); ++i)
        if (parts[i].empty()) return "has an empty verb";
    return std::string();
}

// Returns false when the program should stop with `exitCode`.
bool ParseOptions(int argc, char** argv, Options& options, int& exitCode) {
    po::options_description visible("Options", 80);
    visible.add_options()
        ("help,h", "show this help and exit")
        ("version", "show the version and exit")
        ("format", po::value(&options.format)->default_value(options.format)->value_name("FMT"),
         "output format: 'table' (readable), 'jsonl' (one JSON object per line) or 'html' (one page showing "
         "the documents with their tags highlighted)")
        ("input", po::value(&options.input)->default_value(options.input)->value_name("KIND"),
         "input: 'text' (each FILE is one document) or 'jsonl' (each line of each FILE is one document)")
        ("id-field", po::value(&options.idField)->default_value(options.idField)->value_name("NAME"),
         "with --input jsonl: the member holding the document's id")
        ("text-field", po::value(&options.textField)->default_value(options.textField)->value_name("NAME"),
         "with --input jsonl: the member holding the document's text")
        ("offsets", po::bool_switch(&options.offsets),
         "with --format jsonl: add the document offsets (always there with --input jsonl)")
        ("jobs,j", po::value(&options.jobs)->default_value(options.jobs)->value_name("N"),
         "tag documents on N threads; the output is the same as with 1")
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
         "(a tag whose type has no such verb is shown as such; only with --jobs 1)")
        ("no-progress", po::bool_switch(&options.noProgress), "never show the progress line")
        ("catalogue", po::value(&options.catalogue)->value_name("FILE|none"),
         "reporter catalogue update for the citation recognizer: a TSV file (name, highest_volume, category, "
         "as_of, source), or 'none' for the built-in catalogue alone (default: the update built into the "
         "library from data/catalogue-update.tsv)");
    po::options_description all;
    all.add(visible).add_options()("file", po::value(&options.files));
    po::positional_options_description positional;
    positional.add("file", -1);

    const auto usageError = [&exitCode](const std::string& message) {
        std::cerr << "smarttag-host: " << message << "\nTry 'smarttag-host --help'.\n";
        exitCode = 2;
        return false;
    };
    po::variables_map vm;
    try {
        const int style = po::command_line_style::default_style & ~po::command_line_style::allow_guessing;
        po::store(po::command_line_parser(argc, argv).options(all).positional(positional).style(style).run(), vm);
        po::notify(vm);
    } catch (const po::error& e) {
        return usageError(e.what());
    }
    if (vm.count("help")) {
        std::cout << kUsage << '\n' << visible << kEpilogue << std::flush;
        exitCode = std::cout ? 0 : 1;
        return false;
    }
    if (vm.count("version")) {
        std::cout << "smarttag-host " SMARTTAG_VERSION "\n" << std::flush;
        exitCode = std::cout ? 0 : 1;
        return false;
    }
    if (options.format != "table" && options.format != "jsonl" && options.format != "html")
        return usageError("unknown format '" + options.format + "' (table, jsonl or html)");
    if (options.input != "text" && options.input != "jsonl")
        return usageError("unknown input '" + options.input + "' (text or jsonl)");
    if (options.jobs < 1 || options.jobs > 256) return usageError("--jobs must be between 1 and 256");
    if (options.format == "html" && !options.invoke.empty())
        return usageError("--invoke works with --format table or jsonl only");
    if (options.jobs > 1 && !options.invoke.empty())
        return usageError("--invoke works with --jobs 1 only (the host stand-ins record on one thread)");
    if (SectorWords(options).empty()) return usageError("--sectors needs at least one market-sector word");
    if (const std::string problem = SectorVerbsProblem(options.sectorVerbs); !problem.empty())
        return usageError("--sector-verbs '" + options.sectorVerbs + "' " + problem + " (TARGET|VERB|VERB...)");
    if (options.files.empty()) return usageError("no input files");
    return true;
}

}  // namespace

int main(int argc, char** argv) {
#if !defined(_WIN32)
    // A closed pipe is a write error like any other, reported and not fatal.
    std::signal(SIGPIPE, SIG_IGN);
#endif
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

    // What the closed libraries and the host's logger are asked goes to
    // stderr, with each document's output.
    std::vector<Worker> workers(std::size_t(options.jobs));
    for (Worker& worker : workers) {
        worker.journal = std::make_shared<smarttag::host::Journal>();
        EchoTo(worker);
    }
    const auto journal = workers[0].journal;
    smarttag::host::RecordingHostServices services(journal);
    // The window the window finder stands in for.
    services.window = reinterpret_cast<HWND>(std::uintptr_t(0x10010));
    smarttag::host::ScopedHostServices installed(services);
    auto setting = boost::make_shared<smarttag::host::FixedSettingReader>(true);

    // From here on the adaptors are reached as Office reaches them.
    // One citation recognizer serves every worker: recognizers are immutable.
    for (Worker& worker : workers) {
        worker.recognizer = SmartTag2RecognizerAdaptorImpl::Ctor(
            BuildRecognizers(options, citation), Wide(options.prefix), setting,
            boost::make_shared<smarttag::host::RecordingLogInfo>(worker.journal));
        static_cast<ISmartTagRecognizer2Impl&>(*worker.recognizer).SmartTagInitialize(nullptr);
    }
    auto log = boost::make_shared<smarttag::host::RecordingLogInfo>(journal);
    const boost::shared_ptr<SmartTag2ActionAdaptorImpl> actionObject =
        SmartTag2ActionAdaptorImpl::Ctor(BuildActions(options, journal), Wide(options.prefix), log);
    ISmartTagActionImpl& action = *actionObject;
    ISmartTagAction2Impl& action2 = *actionObject;
    Invoker invoker{&action, &action2, journal.get()};

    std::vector<TypeInfo> types = NameTagTypes(action);
    // Numbered in type order before any tag is seen, so the IDs listed do
    // not depend on the documents.
    const bool html = options.format == "html";
    if (options.verbs || html)
        for (TypeInfo& type : types) type.verbs = VerbsOf(action, type.name);
    if (html) {
        options.html.prefix = options.prefix;
        options.html.sectors = SectorWords(options);
        options.html.inputs = options.files.size();
        for (const TypeInfo& type : types) options.html.verbsByName[type.name] = type.verbs;
    }
    HtmlSummary summary;

    std::size_t tagCount = 0;
    std::size_t shownFile = std::size_t(-1);
    const auto emit = [&](const Result& result) {
        if (result.file != shownFile) {
            if (shownFile != std::size_t(-1)) progress.FinishFile(sizes[shownFile]);
            shownFile = result.file;
            progress.StartFile(result.file, options.files[result.file]);
        }
        if (!result.err.empty()) {
            progress.Clear();
            std::cerr << result.err << std::flush;
        }
        if (result.failed) exitCode = 1;
        tagCount += result.tags;
        if (html) summary.Add(result.index, result.name, result.error, result.tags, result.html);
        if (!Write(result.out)) {
            progress.Clear();
            WriteError();
            return false;
        }
        progress.Advance(result.bytesRead);
        return true;
    };

    Reader reader(options);
    Document document;
    bool written = !html || Write(HtmlHead(options.html, types));
    if (!written) WriteError();
    if (options.jobs == 1) {
        const Invoker* invoke = options.invoke.empty() ? nullptr : &invoker;
        while (written && reader.Next(document)) written = emit(Process(options, workers[0], invoke, document));
    } else {
        Pipeline pipeline(options, workers);
        while (written && reader.Next(document)) written = pipeline.Submit(std::move(document), emit);
        if (written) written = pipeline.Finish(emit);
        pipeline.Stop();
    }
    progress.Clear();
    if (!written) return 1;

    std::string end;
    if (html) {
        end = HtmlEnd(summary, types, options.html);
    } else if (options.format == "jsonl") {
        if (options.verbs) end += Verbs(types, true);
    } else {
        end += std::to_string(tagCount) + (tagCount == 1 ? " tag" : " tags") + "\n";
        if (options.verbs) end += Verbs(types, false);
    }
    if (!Write(end)) {
        WriteError();
        return 1;
    }
    return exitCode;
}
