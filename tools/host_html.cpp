// smarttag-host's HTML view (see host_html.h).
#include "tools/host_html.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "smarttag/smarttag.h"
#include "smarttag/version.h"

namespace smarttag::host_program {

namespace {

// `text` with each byte that does not belong to a well-formed UTF-8 sequence
// replaced by U+FFFD.
std::string ValidUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (;;) {
        const std::size_t bad = smarttag::api::FirstInvalidUtf8(text);
        if (bad == std::string_view::npos) break;
        out.append(text.substr(0, bad));
        out += "\xEF\xBF\xBD";
        text.remove_prefix(bad + 1);
    }
    out.append(text);
    return out;
}

// Appends well-formed UTF-8 `text` as HTML text or as a quoted attribute
// value. Control characters other than tab, LF and CR go as references.
void AppendEscaped(std::string& out, std::string_view text) {
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\'': out += "&#39;"; break;
            default:
                if ((u < 0x20 && c != '\t' && c != '\n' && c != '\r') || u == 0x7F) {
                    static const char kHex[] = "0123456789ABCDEF";
                    out += "&#x";
                    if (u >= 0x10) out += kHex[u >> 4];
                    out += kHex[u & 0xF];
                    out += ';';
                } else {
                    out += c;
                }
        }
    }
}

// Any text, escaped: bad UTF-8 becomes U+FFFD first.
std::string Html(std::string_view text) {
    std::string out;
    AppendEscaped(out, ValidUtf8(text));
    return out;
}

// The tag type a tag name stands for: the name without the prefix.
std::string TypeOf(const std::string& name, const HtmlSettings& settings) {
    return name.compare(0, settings.prefix.size(), settings.prefix) == 0 ? name.substr(settings.prefix.size()) : name;
}

// The kind a tag type is highlighted as (a class name of the page).
std::string KindOf(const std::string& type, const HtmlSettings& settings) {
    if (type == "Citation") return "citation";
    if (type == "Transparency") return "transparency";
    for (const std::string& sector : settings.sectors)
        if (type == sector) return "security";
    return "other";
}

const Json* PropertyOf(const Tag& tag, const std::string& name) {
    for (const auto& property : tag.properties)
        if (property.first == name && property.second.is_string()) return &property.second;
    return nullptr;
}

// What the page says about a tag.
struct TagView {
    std::string type, kind, canonical, category;
};

TagView ViewOf(const Tag& tag, const HtmlSettings& settings) {
    TagView view;
    view.type = TypeOf(tag.name, settings);
    view.kind = KindOf(view.type, settings);
    if (view.kind == "citation") {
        if (const Json* citation = PropertyOf(tag, "Citation")) view.canonical = citation->get<std::string>();
        // The tag does not carry the category: the text the recognizer
        // normalized (the paragraph's at the tag), normalized once more.
        view.category = smarttag::Normalize(tag.text).category;
    } else if (const Json* sector = PropertyOf(tag, "MarketSector")) {
        view.category = sector->get<std::string>();
    }
    return view;
}

std::string CategoryShown(const std::string& category) { return category.empty() ? "(none)" : category; }

// The opening <mark> of `tag`, with the element id `id`. Its data-pop
// attribute is the pop-up's text, one item a line, which the styles show.
std::string MarkOpen(const Tag& tag, const TagView& view, const std::string& id, const HtmlSettings& settings) {
    std::string pop = view.type + (view.kind == "security" ? " (security)" : "");
    if (view.kind == "citation") pop += "\ncanonical: " + view.canonical;
    pop += "\ncategory: " + CategoryShown(view.category);
    for (const auto& property : tag.properties)
        if (view.kind != "citation" && property.first != "MarketSector")
            pop += "\n" + property.first + ": " +
                   (property.second.is_string() ? property.second.get<std::string>() : std::string("(null)"));
    std::string verbs;
    const auto known = settings.verbsByName.find(tag.name);
    if (known == settings.verbsByName.end() || known->second.empty()) {
        pop += "\nverbs: (none)";
    } else {
        pop += "\nverbs:";
        for (const VerbInfo& verb : known->second) {
            pop += "\n  \xE2\x80\xA2 " + verb.caption;
            verbs += (verbs.empty() ? "" : "|") + verb.caption;
        }
    }
    std::string out = "<mark class=\"tag " + view.kind + "\" tabindex=\"0\" id=\"" + id + "\" data-name=\"" +
                      Html(tag.name) + "\" data-type=\"" + Html(view.type) + "\"";
    if (view.kind == "citation") out += " data-canonical=\"" + Html(view.canonical) + "\"";
    out += " data-category=\"" + Html(view.category) + "\" data-verbs=\"" + Html(verbs) + "\" data-paragraph=\"" +
           std::to_string(tag.paragraph) + "\" data-byte-start=\"" + std::to_string(tag.span.byteStart) +
           "\" data-byte-length=\"" + std::to_string(tag.span.byteLength) + "\" data-pop=\"";
    // Line breaks of the pop-up as references, which attribute values keep.
    std::string escaped = Html(pop);
    std::string::size_type at = 0;
    while ((at = escaped.find('\n', at)) != std::string::npos) escaped.replace(at, 1, "&#10;"), at += 5;
    return out + escaped + "\">";
}

}  // namespace

std::string HtmlDocument(const Document& document, const std::string& name, const std::vector<Tag>& tags,
                         const HtmlSettings& settings, HtmlCounts& counts) {
    std::vector<std::size_t> order(tags.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&tags](std::size_t a, std::size_t b) {
        const auto& x = tags[a].span;
        const auto& y = tags[b].span;
        if (x.byteStart != y.byteStart) return x.byteStart < y.byteStart;
        return x.byteLength > y.byteLength;  // the enclosing one first
    });
    const std::string& text = document.text;
    const std::string section = "doc-" + std::to_string(document.index + 1);
    std::string body;
    std::vector<std::size_t> open;  // ends of the marks open, innermost last
    std::vector<const Tag*> crossing;
    std::size_t at = 0, number = 0;
    const auto textUpTo = [&](std::size_t end) {
        AppendEscaped(body, std::string_view(text).substr(at, end - at));
        at = end;
    };
    for (const std::size_t index : order) {
        const Tag& tag = tags[index];
        const std::size_t start = std::min(tag.span.byteStart, text.size());
        const std::size_t end = std::min(start + tag.span.byteLength, text.size());
        while (!open.empty() && open.back() <= start) {
            textUpTo(open.back());
            body += "</mark>";
            open.pop_back();
        }
        if (!open.empty() && end > open.back()) {
            crossing.push_back(&tag);
            continue;
        }
        textUpTo(start);
        const TagView view = ViewOf(tag, settings);
        body += MarkOpen(tag, view, section + "-tag-" + std::to_string(++number), settings);
        open.push_back(end);
        ++counts.byType[view.type];
        ++counts.byCategory[{view.kind, CategoryShown(view.category)}];
    }
    while (!open.empty()) {
        textUpTo(open.back());
        body += "</mark>";
        open.pop_back();
    }
    textUpTo(text.size());
    counts.overlapping = crossing.size();

    std::string out = "<section class=\"doc\" id=\"" + section + "\" data-name=\"" + Html(name) + "\">\n<h2>" +
                      Html(name) + " <span class=\"count\">" + std::to_string(number) +
                      (number == 1 ? " tag" : " tags") + "</span></h2>\n<div class=\"text\">" + body + "</div>\n";
    if (!crossing.empty()) {
        out += "<p class=\"crossing\">Not highlighted: " + std::to_string(crossing.size()) +
               (crossing.size() == 1 ? " tag crosses" : " tags cross") + " the edge of another:</p>\n<ul>";
        for (const Tag* tag : crossing)
            out += "<li>paragraph " + std::to_string(tag->paragraph) + ", " + Html(tag->name) + ": " +
                   Html(tag->text) + "</li>";
        out += "</ul>\n";
    }
    return out + "</section>\n";
}

std::string HtmlError(const Document& document, const std::string& name, const std::string& error) {
    return "<section class=\"doc failed\" id=\"doc-" + std::to_string(document.index + 1) + "\" data-name=\"" +
           Html(name) + "\">\n<h2>" + Html(name) + "</h2>\n<p class=\"error\">Not tagged: " + Html(error) +
           "</p>\n</section>\n";
}

namespace {


const char kHtmlStyle[] =
    "body{margin:0;font:15px/1.5 system-ui,sans-serif;color:#222;background:#f3f3f0;"
    "display:flex;flex-direction:column}\n"
    "header{order:0;padding:14px 24px;background:#263445;color:#fff}\n"
    "header h1{margin:0 0 4px;font-size:22px}\n"
    "header p{margin:4px 0}\n"
    "header a{color:#cfe3ff}\n"
    "#summary{order:1;margin:12px 24px 0;padding:8px 16px;background:#fff;border:1px solid #d8d8d8;"
    "border-radius:6px}\n"
    "#summary h2{font-size:18px;margin:4px 0}\n"
    "#summary h3{font-size:15px;margin:10px 0 4px}\n"
    "#summary .tables{display:flex;flex-wrap:wrap;gap:8px 32px;align-items:flex-start}\n"
    "main{order:2}\n"
    "table{border-collapse:collapse}\n"
    "th,td{border:1px solid #d0d0d0;padding:2px 10px;text-align:left}\n"
    "td.n{text-align:right;font-variant-numeric:tabular-nums}\n"
    ".doc{margin:12px 24px;padding:8px 16px;background:#fff;border:1px solid #d8d8d8;border-radius:6px}\n"
    ".doc h2{font-size:16px;margin:4px 0 8px;word-break:break-all}\n"
    ".doc h2 .count{font-weight:normal;color:#666;font-size:14px}\n"
    ".text{white-space:pre-wrap;overflow-wrap:anywhere;font:14px/1.7 ui-monospace,DejaVu Sans Mono,monospace}\n"
    ".error,.crossing{color:#a40000}\n"
    ".tag{color:inherit;border-radius:3px;padding:1px 0;cursor:pointer}\n"
    ".tag.citation{background:#ffe08a;box-shadow:inset 0 -2px #c99400}\n"
    ".tag.security{background:#bfe0ff;box-shadow:inset 0 -2px #2f7fc8}\n"
    ".tag.transparency{background:#c8eec0;box-shadow:inset 0 -2px #3f9f3a}\n"
    ".tag.other{background:#e6d6ff;box-shadow:inset 0 -2px #7d5cc0}\n"
    ".legend .tag{padding:1px 6px;color:#222}\n"
    "mark.tag{position:relative}\n"
    "mark.tag mark.tag{outline:1px dashed #555}\n"
    "mark.tag:focus{outline:2px solid #263445}\n"
    "mark.tag:hover::after,mark.tag:focus::after,mark.tag:target::after{content:attr(data-pop);position:absolute;"
    "left:0;top:100%;margin-top:6px;z-index:10;white-space:pre;font:13px/1.45 system-ui,sans-serif;"
    "background:#fffef8;color:#222;border:1px solid #8a8a8a;border-radius:5px;padding:6px 10px;"
    "box-shadow:0 3px 10px rgba(0,0,0,.25)}\n"
    // Pointing at a nested tag shows its pop-up alone.
    "mark.tag:has(mark.tag:hover)::after{display:none}\n";

}  // namespace

std::string HtmlHead(const HtmlSettings& settings, const std::vector<TypeInfo>& types) {
    std::string out =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>Smart tags</title>\n<style>\n";
    out += kHtmlStyle;
    out += "</style>\n</head>\n<body>\n<header>\n<h1>Smart tags</h1>\n<p>smarttag-host " SMARTTAG_VERSION ", ";
    out += std::to_string(settings.inputs) + (settings.inputs == 1 ? " input file" : " input files");
    out += ". <a href=\"#summary\">Summary</a></p>\n<p class=\"legend\">";
    std::vector<std::string> kinds;
    std::string sectors;
    for (const TypeInfo& type : types) {
        const std::string name = TypeOf(type.name, settings), kind = KindOf(name, settings);
        if (kind == "security") sectors += (sectors.empty() ? "" : ", ") + name;
        if (std::find(kinds.begin(), kinds.end(), kind) == kinds.end()) kinds.push_back(kind);
    }
    for (const std::string& kind : kinds) {
        std::string label = kind == "security" ? "Security: " + sectors : kind == "other" ? "Other" : kind;
        label[0] = char(std::toupper(static_cast<unsigned char>(label[0])));
        out += "<span class=\"tag " + kind + "\">" + Html(label) + "</span> ";
    }
    out += " Point at a tag, or click it, for its canonical form, category and verbs.</p>\n</header>\n<main>\n";
    return out;
}

void HtmlSummary::Add(std::size_t index, const std::string& name, const std::string& error, std::size_t tagCount,
                      const HtmlCounts& counts) {
    ++documents;
    tags += tagCount - counts.overlapping;
    overlapping += counts.overlapping;
    for (const auto& entry : counts.byType) byType[entry.first] += entry.second;
    for (const auto& entry : counts.byCategory) byCategory[entry.first] += entry.second;
    if (!error.empty()) failed.push_back({index, {name, error}});
}

namespace {

std::string CountRow(const std::string& label, std::size_t count, const std::string* more = nullptr) {
    return "<tr><td>" + Html(label) + "</td><td class=\"n\">" + std::to_string(count) + "</td>" +
           (more ? "<td>" + Html(*more) + "</td>" : std::string()) + "</tr>\n";
}

}  // namespace

std::string HtmlEnd(const HtmlSummary& summary, const std::vector<TypeInfo>& types, const HtmlSettings& settings) {
    std::string out = "</main>\n<section id=\"summary\">\n<h2>Summary</h2>\n<p>";
    out += "<span id=\"documents\">" + std::to_string(summary.documents) + "</span> document" +
           (summary.documents == 1 ? "" : "s") + ", <span id=\"tagged\">" +
           std::to_string(summary.documents - summary.failed.size()) + "</span> tagged, <span id=\"failed\">" +
           std::to_string(summary.failed.size()) + "</span> with errors; <span id=\"tags\">" +
           std::to_string(summary.tags) + "</span> tags highlighted";
    if (summary.overlapping)
        out += ", <span id=\"overlapping\">" + std::to_string(summary.overlapping) +
               "</span> not highlighted (they cross another tag)";
    out += ".</p>\n<div class=\"tables\">\n<table id=\"by-kind\">\n"
           "<tr><th>tag type</th><th>tags</th><th>verbs</th></tr>\n";
    std::map<std::string, std::size_t> byType = summary.byType;
    for (const TypeInfo& type : types) {
        const std::string name = TypeOf(type.name, settings);
        const auto found = byType.find(name);
        std::string verbs;
        for (const VerbInfo& verb : type.verbs) verbs += (verbs.empty() ? "" : ", ") + verb.caption;
        out += CountRow(name, found == byType.end() ? 0 : found->second, &verbs);
        if (found != byType.end()) byType.erase(found);
    }
    const std::string none;
    for (const auto& entry : byType) out += CountRow(entry.first, entry.second, &none);
    out += "</table>\n<table id=\"by-category\">\n<tr><th>kind</th><th>category</th><th>tags</th></tr>\n";
    for (const auto& entry : summary.byCategory)
        out += "<tr><td>" + Html(entry.first.first) + "</td><td>" + Html(entry.first.second) + "</td><td class=\"n\">" +
               std::to_string(entry.second) + "</td></tr>\n";
    out += "</table>\n</div>\n<h3>Documents with errors</h3>\n";
    if (summary.failed.empty()) {
        out += "<p>None.</p>\n";
    } else {
        out += "<ul id=\"errors\">\n";
        for (const auto& entry : summary.failed)
            out += "<li><a href=\"#doc-" + std::to_string(entry.first + 1) + "\">" + Html(entry.second.first) +
                   "</a>: <span class=\"error\">" + Html(entry.second.second) + "</span></li>\n";
        out += "</ul>\n";
    }
    return out + "</section>\n</body>\n</html>\n";
}

}  // namespace smarttag::host_program
