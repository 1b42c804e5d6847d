// What smarttag-host passes between its parts: a document to tag, a smart
// tag committed in it, and the tag types with the verbs the action adaptor
// numbers for them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "api/document.h"
#include "platform/in_memory_site.h"

namespace smarttag::host_program {

using Json = nlohmann::ordered_json;

struct VerbInfo {
    int id;
    std::string name, caption;
};

struct TypeInfo {
    std::string name, caption;
    std::vector<VerbInfo> verbs;
};

// One document to tag: a file, or a line of a JSON Lines file.
struct Document {
    std::size_t index = 0;  // in input order
    std::string file;       // the file it came from
    std::size_t line = 0;   // its line there, 0 for a whole file
    bool jsonl = false;     // named by `id` rather than by `file`
    Json id;
    std::string text;   // the document as given
    std::string error;  // why it cannot be tagged; empty when it can
    std::uintmax_t bytesRead = 0;  // of `file`, after this document
    std::size_t fileIndex = 0;     // of `file` among the files named

    // How messages name it.
    std::string Where() const { return line ? file + ":" + std::to_string(line) : file; }
};

// A smart tag as the recognizer site received it, with its place in the
// document.
struct Tag {
    int paragraph;
    std::string name;
    int start, length;
    smarttag::api::DocumentSpan span;
    std::string text;
    std::vector<std::pair<std::string, Json>> properties;
    smarttag::platform::PropertyEntries bag;  // as committed, for invoking verbs
    // Filled by --invoke.
    bool invoked = false;
    int verbId = -1;  // -1: the tag's type offers no such verb
    HRESULT result = S_OK;
    std::vector<std::string> received;  // what the host stand-ins were given
};

}  // namespace smarttag::host_program
