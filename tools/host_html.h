// smarttag-host's HTML view: one self-contained page per run (inline styles,
// nothing fetched), written as the documents are done. HtmlHead goes out
// first (styles, legend), then one HtmlDocument or HtmlError section per
// document in input order, then HtmlEnd with the summary, which the styles
// show above the documents. Each tag is a <mark> over exactly its bytes of
// the document as given; pointing at it, or clicking it, shows its kind,
// canonical form, category and verbs.
//
// Everything taken from the input is escaped, and bytes that are not
// well-formed UTF-8 (in file names, ids or messages; documents with such
// bytes are not tagged) are shown as U+FFFD, so the page always parses as
// intended.
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tools/host_document.h"

namespace smarttag::host_program {

// What the page needs to know of the run.
struct HtmlSettings {
    std::string prefix;                // of the tag names, left out of the tag types shown
    std::vector<std::string> sectors;  // the market-sector words: their tags are securities
    std::map<std::string, std::vector<VerbInfo>> verbsByName;  // by tag name
    std::size_t inputs = 0;                                     // files named
};

// One document's share of the summary.
struct HtmlCounts {
    std::map<std::string, std::size_t> byType;
    std::map<std::pair<std::string, std::string>, std::size_t> byCategory;  // by kind and category
    std::size_t overlapping = 0;  // tags not highlighted: they cross another one
};

// What the summary counts, over the documents written.
struct HtmlSummary {
    std::size_t documents = 0, tags = 0, overlapping = 0;
    std::map<std::string, std::size_t> byType;
    std::map<std::pair<std::string, std::string>, std::size_t> byCategory;
    std::vector<std::pair<std::size_t, std::pair<std::string, std::string>>> failed;  // index, name, error

    // A document written: its index, name, why it was not tagged (empty
    // when it was), its tags and its counts.
    void Add(std::size_t index, const std::string& name, const std::string& error, std::size_t tagCount,
             const HtmlCounts& counts);
};

// The page up to the first document.
std::string HtmlHead(const HtmlSettings& settings, const std::vector<TypeInfo>& types);

// One document's section, named `name`: its text as given with every tag
// marked. A tag inside another is nested in its mark; one that crosses
// another's edge cannot be marked and is listed below the text instead.
std::string HtmlDocument(const Document& document, const std::string& name, const std::vector<Tag>& tags,
                         const HtmlSettings& settings, HtmlCounts& counts);

// The section of a document that could not be tagged.
std::string HtmlError(const Document& document, const std::string& name, const std::string& error);

// The rest of the page: the summary.
std::string HtmlEnd(const HtmlSummary& summary, const std::vector<TypeInfo>& types, const HtmlSettings& settings);

}  // namespace smarttag::host_program
