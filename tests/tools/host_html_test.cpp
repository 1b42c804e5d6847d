// Runs smarttag-host --format html and reads the page back with a strict
// little reader: every element closed in order, attribute values quoted,
// no bare '<', '>' or '&' in text, so that what the page says is exactly
// what a browser would build from it.
#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "tests/tools/host_process.h"

namespace {

using smarttag_test::HostRun;
using smarttag_test::JsonLines;
using smarttag_test::RunHost;
using smarttag_test::Contains;
using smarttag_test::ShellQuote;
using smarttag_test::TempFile;

struct Mark {
    std::map<std::string, std::string> attributes;
    std::string text;     // unescaped, nested marks' text included
    std::string section;  // data-name of the section it stands in
    int depth = 0;        // marks around it
};

struct Page {
    std::string problem;  // empty when the page reads cleanly
    std::vector<Mark> marks;
    std::map<std::string, std::string> byId;  // text of the elements with an id
};

// The character references the host writes: the five named ones and numeric ones.
bool Unescape(const std::string& html, std::size_t& at, std::string& out) {
    static const std::map<std::string, std::string> kNamed = {
        {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}};
    const std::size_t end = html.find(';', at);
    if (end == std::string::npos || end - at > 10) return false;
    const std::string name = html.substr(at + 1, end - at - 1);
    if (const auto found = kNamed.find(name); found != kNamed.end()) {
        out += found->second;
    } else if (name.size() > 1 && name[0] == '#') {
        const bool hex = name[1] == 'x';
        const unsigned long code = std::stoul(name.substr(hex ? 2 : 1), nullptr, hex ? 16 : 10);
        if (code >= 0x80) return false;  // the host writes UTF-8 as it is
        out += char(code);
    } else {
        return false;
    }
    at = end + 1;
    return true;
}

Page ReadPage(const std::string& html) {
    static const std::vector<std::string> kVoid = {"meta", "br", "hr", "link", "img", "input"};
    Page page;
    struct Open {
        std::string name, id, text;
        int mark = -1;
    };
    std::vector<Open> open;
    std::string section;
    std::size_t at = html.compare(0, 15, "<!DOCTYPE html>") == 0 ? 15 : 0;
    if (at == 0) page.problem = "no doctype";
    const auto fail = [&](const std::string& why) {
        if (page.problem.empty()) page.problem = why + " at byte " + std::to_string(at);
    };
    const auto addText = [&](const std::string& text) {
        for (Open& element : open) {
            element.text += text;
            if (element.mark >= 0) page.marks[std::size_t(element.mark)].text += text;
        }
    };
    while (at < html.size() && page.problem.empty()) {
        const char c = html[at];
        if (c == '&') {
            std::string text;
            if (!Unescape(html, at, text)) fail("a bare '&'");
            addText(text);
        } else if (c == '>') {
            fail("a bare '>'");
        } else if (c != '<') {
            addText(std::string(1, c));
            ++at;
        } else if (html.compare(at, 2, "</") == 0) {
            const std::size_t end = html.find('>', at);
            const std::string name = html.substr(at + 2, end - at - 2);
            if (open.empty() || open.back().name != name) return fail("</" + name + "> closes nothing open"), page;
            if (!open.back().id.empty()) page.byId[open.back().id] = open.back().text;
            open.pop_back();
            at = end + 1;
        } else {
            std::size_t p = at + 1;
            while (p < html.size() && std::isalnum(static_cast<unsigned char>(html[p]))) ++p;
            Open element;
            element.name = html.substr(at + 1, p - at - 1);
            if (element.name.empty()) return fail("a bare '<'"), page;
            std::map<std::string, std::string> attributes;
            for (;;) {
                while (p < html.size() && html[p] == ' ') ++p;
                if (p >= html.size()) return fail("an unclosed tag"), page;
                if (html[p] == '>') break;
                const std::size_t equals = html.find('=', p);
                if (equals == std::string::npos || html.compare(equals, 2, "=\"") != 0)
                    return fail("an unquoted attribute"), page;
                const std::string name = html.substr(p, equals - p);
                std::string value;
                p = equals + 2;
                while (p < html.size() && html[p] != '"') {
                    if (html[p] == '<' || html[p] == '>') return fail("'<' or '>' in an attribute"), page;
                    if (html[p] == '&') {
                        if (!Unescape(html, p, value)) return fail("a bare '&' in an attribute"), page;
                    } else {
                        value += html[p++];
                    }
                }
                attributes[name] = value;
                ++p;
            }
            at = p + 1;
            element.id = attributes["id"];
            if (element.name == "style") {  // raw text up to its end tag
                at = html.find("</style>", at);
                if (at == std::string::npos) return fail("an unclosed style"), page;
                at += 8;
                continue;
            }
            if (element.name == "section") section = attributes["data-name"];
            if (element.name == "mark") {
                Mark mark;
                mark.attributes = attributes;
                mark.section = section;
                for (const Open& outer : open) mark.depth += outer.mark >= 0;
                element.mark = int(page.marks.size());
                page.marks.push_back(mark);
            }
            if (std::find(kVoid.begin(), kVoid.end(), element.name) == kVoid.end()) open.push_back(element);
        }
    }
    if (page.problem.empty() && !open.empty()) page.problem = "<" + open.back().name + "> never closed";
    return page;
}

std::string Collapsed(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const bool blank = c == ' ' || c == '\n' || c == '\r' || c == '\t';
        if (blank && (out.empty() || out.back() == ' ')) continue;
        out += blank ? ' ' : c;
    }
    if (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

TEST(HostHtmlTest, EveryTagOfTheExamplesIsMarkedOverItsTextWithItsCanonicalForm) {
    std::string files;
    for (const char* name : {"brief.txt", "sample.txt", "securities_note.txt"})
        files += " " + ShellQuote(std::string(SMARTTAG_SOURCE_DIR) + "/examples/" + name);
    const auto records = JsonLines(RunHost("--format jsonl --offsets" + files).out);
    const HostRun run = RunHost("--format html" + files);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(RunHost("--format html --jobs 2" + files).out, run.out);

    const Page page = ReadPage(run.out);
    ASSERT_EQ(page.problem, "");
    ASSERT_GT(records.size(), 20u);
    ASSERT_EQ(page.marks.size(), records.size());
    // Marks come in document order, as do the records.
    std::size_t citations = 0;
    for (std::size_t i = 0; i < records.size(); ++i) {
        const auto& record = records[i];
        const Mark& mark = page.marks[i];
        const std::string file = record["file"];
        SCOPED_TRACE(file + ": " + record["text"].get<std::string>());
        EXPECT_EQ(mark.section, file);
        EXPECT_EQ(mark.attributes.at("data-name"), record["name"]);
        EXPECT_EQ(mark.attributes.at("data-byte-start"), std::to_string(record["byte_start"].get<int>()));
        EXPECT_EQ(mark.text, FileText(file).substr(record["byte_start"], record["byte_length"]));
        EXPECT_EQ(Collapsed(mark.text), record["text"]);
        if (record["properties"].contains("Citation")) {
            ++citations;
            EXPECT_EQ(mark.attributes.at("class"), "tag citation");
            EXPECT_EQ(mark.attributes.at("data-canonical"), record["properties"]["Citation"]);
            EXPECT_TRUE(Contains(mark.attributes.at("data-pop"), "canonical: " + record["properties"]["Citation"].get<std::string>()));
            EXPECT_TRUE(Contains(mark.attributes.at("data-verbs"), "Jurra")) << mark.attributes.at("data-verbs");
        } else {
            EXPECT_EQ(mark.attributes.at("class"), "tag security");
            EXPECT_EQ(mark.attributes.at("data-category"), record["properties"]["MarketSector"]);
            EXPECT_EQ(mark.attributes.at("data-verbs"), "DES|GP|CN|Options...");
        }
    }
    EXPECT_GT(citations, 10u);
    EXPECT_EQ(page.byId.at("tags"), std::to_string(records.size()));
    EXPECT_EQ(page.byId.at("failed"), "0");
}

// File names with markup in them. Windows refuses < > and " in a file name;
// there the names carry the & and ' that still need escaping.
#if defined(_WIN32)
const char* const kHostileName = "a&b'i'.txt";
const char* const kAnsiName = "ansi&'b'.txt";
#else
const char* const kHostileName = "a&b<i>.txt";
const char* const kAnsiName = "ansi\"<b>.txt";
#endif

TEST(HostHtmlTest, MarkupInDocumentsAndNamesIsEscapedAndFailedDocumentsAreListed) {
    const TempFile hostile(kHostileName,
                           "<script>alert(\"x\")</script> & 'y' \x1B\n\n485 U.S. 224 Equity\n\nIBM US\r\nEquity\n");
    const TempFile ansi(kAnsiName, "Smith\x92s note\n");
    const HostRun run = RunHost("--format html " + ShellQuote(hostile.path()) + " " + ShellQuote(ansi.path()));
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.err, "not UTF-8")) << run.err;
    EXPECT_FALSE(Contains(run.out, "<script"));
    EXPECT_FALSE(Contains(run.out, "<i>"));
    EXPECT_FALSE(Contains(run.out, "<b>"));

    const Page page = ReadPage(run.out);
    ASSERT_EQ(page.problem, "");
    EXPECT_TRUE(Contains(page.byId.at("doc-1"), "<script>alert(\"x\")</script> & 'y' \x1B\n"));
    // A citation inside a security: the citation's mark nests in the other.
    ASSERT_EQ(page.marks.size(), 3u);
    EXPECT_EQ(page.marks[0].text, "485 U.S. 224 Equity");
    EXPECT_EQ(page.marks[1].text, "485 U.S. 224");
    EXPECT_EQ(page.marks[1].depth, 1);
    EXPECT_EQ(page.marks[1].attributes.at("data-category"), "USReport");
    // The document's own line break stays inside the mark.
    EXPECT_EQ(page.marks[2].text, "IBM US\r\nEquity");

    EXPECT_EQ(page.byId.at("failed"), "1");
    EXPECT_EQ(page.byId.at("tagged"), "1");
    EXPECT_TRUE(Contains(page.byId.at("errors"), ansi.path() + ": not UTF-8")) << page.byId.at("errors");
    EXPECT_TRUE(Contains(page.byId.at("doc-2"), "Not tagged: not UTF-8"));
    EXPECT_TRUE(Contains(page.byId.at("by-category"), "citationUSReport1"));
}

TEST(HostHtmlTest, NamesThatAreNotUtf8AndOptionsThatDoNotApply) {
    const TempFile lines("ids.jsonl", "{\"id\":\"<y>&\",\"text\":\"IBM US Equity\"}\n{\"text\":1}\n");
    const HostRun run = RunHost("--format html --input jsonl " + ShellQuote(lines.path()));
    EXPECT_EQ(run.status, 1);
    Page page = ReadPage(run.out);
    ASSERT_EQ(page.problem, "");
    ASSERT_EQ(page.marks.size(), 1u);
    EXPECT_EQ(page.marks[0].section, "<y>&");
    EXPECT_TRUE(Contains(page.byId.at("errors"), lines.path() + ":2: no string member \"text\""))
        << page.byId.at("errors");

#if !defined(_WIN32)
    // A file name is bytes here, and may be no UTF-8 at all (on Windows it is
    // UTF-16 and always converts).
    const TempFile file("\xFF<x>.txt", "IBM US Equity\n");
    page = ReadPage(RunHost("--format html " + ShellQuote(file.path())).out);
    ASSERT_EQ(page.problem, "");
    ASSERT_EQ(page.marks.size(), 1u);
    EXPECT_TRUE(Contains(page.marks[0].section, "\xEF\xBF\xBD<x>.txt")) << page.marks[0].section;
#endif

    EXPECT_EQ(RunHost("--format html --invoke DES " + ShellQuote(lines.path())).status, 2);
    EXPECT_TRUE(Contains(RunHost("--help").out, "--format html"));
}

#if !defined(_WIN32)
TEST(HostHtmlTest, OutputThatCannotBeWrittenFailsTheRun) {
    const TempFile document("full.txt", "IBM US Equity\n");
    for (const char* jobs : {"", " --jobs 2"}) {
        const HostRun full = RunHost(ShellQuote(document.path()) + jobs + " --format html > /dev/full");
        EXPECT_EQ(full.status, 1);
        EXPECT_TRUE(Contains(full.err, "cannot write the output")) << full.err;
    }
}
#endif

}  // namespace
