// The smarttag library's C++ interface: citations and securities in UTF-8 text.
//
//   #include <smarttag/smarttag.h>
//
//   smarttag::Normalized n = smarttag::Normalize("410 U.S. 113");
//   // n.ok == true, n.citation == "410 us 113", n.category == "USReport"
//
//   for (const smarttag::Citation& c : smarttag::FindCitations(document))
//       std::cout << document.substr(c.span.byteStart, c.span.byteLength) << " -> " << c.canonical << '\n';
//
// Nothing here names a Windows or COM type. Underneath, the same recognizers the
// Office add-in uses are built through the library's factories and driven
// through the recognizer adaptor exactly as Office drives it, so the tags found
// here are the tags the add-in commits, one for one.
//
// How a document is read. A document is UTF-8 text; a leading UTF-8 byte-order
// mark is skipped. It is cut into paragraphs, the runs of non-blank lines (a
// blank line holds only blanks, tabs, CR, form feeds or vertical tabs); the
// lines of a paragraph are joined with one blank each, without their LF or
// CR LF, and each paragraph is one run of text handed to the recognizers. So a
// citation may cross a line break but never a blank line. smarttag-host cuts
// documents the same way.
//
// Offsets. Every result says where it is in four ways: UTF-8 byte offsets and
// Unicode code point offsets from the start of the document as given (the
// byte-order mark included), so that document.substr(byteStart, byteLength) in
// C++ and text[charStart:charStart + charLength] in Python are the matched
// text, line breaks and all; and the paragraph (1-based) with the 1-based start
// and the length in UTF-16 code units within it, as the recognizer reported
// them to Office.
//
// Thread safety. A Tagger is immutable once constructed: any number of threads
// may call its members at once. The free functions use one Tagger with the
// default options, built on first use (thread-safe).
//
// Errors. Bad input is refused with an exception derived from std::exception,
// never a crash and never a partial answer:
//   - InvalidDocument (a std::invalid_argument) for text that is not UTF-8: a
//     byte that does not belong to a well-formed UTF-8 sequence, a NUL byte, a
//     UTF-16 byte-order mark. what() says what and where ("not text (NUL byte
//     at line 3, byte 7)").
//   - std::length_error for a document longer than kMaxDocumentBytes.
//   - std::invalid_argument from the Tagger constructor for unusable options.
//   - std::bad_alloc when memory runs out, inside the recognizers too (the
//     add-in's adaptor catches failures there and carries on, which costs
//     Office the paragraph's remaining tags; here the call fails instead).
//   - std::runtime_error for any other failure inside the recognizers.
// Normalize never throws for any input but std::bad_alloc: text that is not
// UTF-8 is converted with U+FFFD for the bad bytes, and a candidate longer than
// kMaxCandidateBytes is simply refused (ok == false).
//
// Limits. The time and memory of a call grow linearly with the length of the
// document; no single citation can make a parse take long.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "smarttag/export.h"
#include "smarttag/version.h"

namespace smarttag {

// The longest document Find and its kin accept, in bytes.
constexpr std::size_t kMaxDocumentBytes = std::size_t(512) << 20;
// The longest candidate Normalize looks at, in bytes of 8-bit text.
constexpr std::size_t kMaxCandidateBytes = 4096;

// The library's version, "MAJOR.MINOR.PATCH"; the same as SMARTTAG_VERSION.
SMARTTAG_API const char* VersionString() noexcept;

class SMARTTAG_API InvalidDocument : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

struct Normalized {
    bool ok = false;        // the normalizer accepts the text as a citation
    std::string citation;   // canonical form when ok, else the cleaned-up text (UTF-8)
    std::string category;   // e.g. "USReport"; may be empty even when ok
};

// Normalizes one candidate citation as the citation recognizer does: the UTF-8
// text is converted to 8-bit Windows-1252 with best fit (characters the code
// page lacks become a near equivalent where one exists, else "?"), then
// normalized; the canonical form is converted back to UTF-8. The same answers
// as citenorm gives for the same bytes when they are plain ASCII.
SMARTTAG_API Normalized Normalize(std::string_view utf8);

struct Span {
    std::size_t byteStart = 0, byteLength = 0;  // UTF-8 bytes in the document
    std::size_t charStart = 0, charLength = 0;  // code points in the document
    int paragraph = 0;                          // 1-based
    int utf16Start = 0, utf16Length = 0;        // as the recognizer reported: 1-based, within the paragraph
};

struct Property {
    std::string key, value;  // UTF-8
};

// One committed smart tag.
struct Tag {
    std::string type;         // "Citation", a market-sector word ("Equity"), ...
    std::string name;         // the full tag name: prefix + type
    std::string matchedText;  // the document's bytes at span
    Span span;
    std::vector<Property> properties;  // as committed, in commit order
};

struct Citation {
    std::string matchedText;
    Span span;
    std::string canonical;  // the tag's "Citation" property: "410 us 113"
    std::string category;   // the normalizer's category for the matched text
    // Split out of the canonical form when it is volume, reporter words and
    // page ("410", "us", "113"); empty otherwise.
    std::string volume, reporter, page;
};

struct Security {
    std::string matchedText;
    Span span;
    std::string sector;    // the tag's "MarketSector" property: "Equity"
    std::string security;  // the tag's "Security" property: "IBM US Equity"
};

struct Options {
    // The market-sector words the security recognizer knows; each is also a tag type.
    std::vector<std::string> sectors = DefaultSectors();
    // Prefix of every tag name.
    std::string prefix = "urn:veltra:smarttags#";
    // The reporter catalogue update the citation recognizer uses: empty for
    // the update built into the library (data/catalogue-update.tsv, which
    // brings the reporters of today's opinions up to date), "none" for the
    // built-in catalogue alone (the tags of the add-in's plain factory), or
    // the path of an update file of the same format. smarttag-host's
    // --catalogue takes the same values with the same default.
    std::string catalogue;

    static std::vector<std::string> DefaultSectors() {
        return {"Equity", "Corp", "Bond", "Fund", "Index", "Currency", "Commodity"};
    }
};

class SMARTTAG_API Tagger {
public:
    // Builds the recognizers. Throws std::invalid_argument when a sector word
    // is empty, holds a blank, or is not UTF-8, when the prefix is not UTF-8,
    // or when the catalogue update cannot be read or has a bad row (the
    // message names the file and line).
    explicit Tagger(Options options = Options());
    ~Tagger();
    Tagger(const Tagger&);
    Tagger& operator=(const Tagger&);

    // Every tag the add-in would commit for `document`, in document order
    // (within a paragraph: all citations, then securities, as the
    // recognizers run).
    std::vector<Tag> Find(std::string_view document) const;
    std::vector<Citation> FindCitations(std::string_view document) const;
    std::vector<Security> FindSecurities(std::string_view document) const;

    const Options& options() const;

private:
    struct Impl;
    std::shared_ptr<const Impl> impl;
};

// The same, with a Tagger of default options (securities: the given sectors).
SMARTTAG_API std::vector<Citation> FindCitations(std::string_view document);
SMARTTAG_API std::vector<Security> FindSecurities(std::string_view document,
                                                  const std::vector<std::string>& sectors = Options::DefaultSectors());

}  // namespace smarttag
