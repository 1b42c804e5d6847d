#pragma once

// How the host program cuts a document into the runs of text it hands to the
// recognizer adaptor; shared with the corpus benchmark, which must feed the
// library exactly as the host does.

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "platform/codepage.h"

namespace smarttag::tools {

struct Paragraph {
    int number;       // 1-based within its document
    std::size_t end;  // byte offset in the document just past its last line
    smarttag::platform::OleString text;
};

inline bool IsBlankLine(const std::string& document, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i)
        if (!std::strchr(" \t\r\f\v", document[i])) return false;
    return true;
}

// Paragraphs are runs of non-blank lines of a UTF-8 document; the lines of one
// paragraph are joined with one blank each, without their CR LF or LF.
inline std::vector<Paragraph> SplitParagraphs(const std::string& document) {
    std::vector<Paragraph> paragraphs;
    std::string current;
    bool open = false;
    std::size_t end = 0;
    auto flush = [&] {
        if (open) paragraphs.push_back({int(paragraphs.size()) + 1, end, smarttag::platform::Utf8ToWide(current)});
        current.clear();
        open = false;
    };
    for (std::size_t at = 0; at < document.size();) {
        std::size_t next = document.find('\n', at);
        next = next == std::string::npos ? document.size() : next + 1;
        std::size_t stop = next;
        if (stop > at && document[stop - 1] == '\n') --stop;
        if (stop > at && document[stop - 1] == '\r') --stop;
        if (IsBlankLine(document, at, stop)) {
            flush();
        } else {
            if (open) current += ' ';
            current.append(document, at, stop - at);
            open = true;
            end = next;
        }
        at = next;
    }
    flush();
    return paragraphs;
}

}  // namespace smarttag::tools
