#pragma once

// Reading a catalogue update from its file: tab-separated text, one reporter
// per line, for the programs that hand an update to the citation recognizer
// (RecognizerCitationImpl::Ctor with rows). The library itself reads no
// files; this header is self-contained so that such programs, which may reach
// the library only through its exported factories, can parse a file
// themselves and get the same row checks the recognizer makes.
//
// The format:
//   - lines starting with "#" and blank lines are skipped;
//   - the first other line is the header, exactly
//       name<TAB>highest_volume<TAB>category<TAB>as_of<TAB>source
//   - every further line is one row with those five fields: the reporter name
//     as normalized citations spell it, its highest volume (a year for the
//     universal forms) or "none", its category word or "none", the date the
//     row was last checked (YYYY-MM-DD) and where its values come from (not
//     empty);
//   - a byte-order mark before the first line and a carriage return at the end
//     of a line are ignored.
// Any fault stops the reading with a CatalogueUpdateError whose message starts
// with "<where>:<line>: ".

#include <cstddef>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "normalizer/reporter_catalogue.h"

namespace Veltra::Penwork::Recognizer {

// One row of the file: what the recognizer takes, and what the file says of it.
struct CatalogueUpdateEntry {
    std::size_t line = 0;  // 1-based
    ReporterCatalogueRow row;
    std::string asOf;
    std::string source;
};

class CatalogueUpdateError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::string_view kCatalogueUpdateHeader{"name\thighest_volume\tcategory\tas_of\tsource"};

namespace catalogue_update_detail {

inline bool IsDate(const std::string& text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (std::size_t i = 0; i < text.size(); ++i)
        if (i != 4 && i != 7 && (text[i] < '0' || text[i] > '9')) return false;
    const int month = (text[5] - '0') * 10 + (text[6] - '0');
    const int day = (text[8] - '0') * 10 + (text[9] - '0');
    return month >= 1 && month <= 12 && day >= 1 && day <= 31;
}

inline std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', from);
        fields.push_back(line.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
        if (tab == std::string::npos) return fields;
        from = tab + 1;
    }
}

}  // namespace catalogue_update_detail

// Parses the text of an update file. `where` names it in error messages.
inline std::vector<CatalogueUpdateEntry> ParseCatalogueUpdate(std::string_view text, const std::string& where) {
    namespace detail = catalogue_update_detail;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::vector<CatalogueUpdateEntry> entries;
    std::map<std::string, std::size_t> lines;  // name -> line
    bool headerSeen = false;
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        std::string line(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto fail = [&](const std::string& problem) {
            return CatalogueUpdateError(where + ":" + std::to_string(number) + ": " + problem);
        };
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') continue;
        if (!headerSeen) {
            if (line != kCatalogueUpdateHeader)
                throw fail("the first line must be the header \"name<TAB>highest_volume<TAB>category<TAB>as_of<TAB>"
                           "source\"");
            headerSeen = true;
            continue;
        }
        const std::vector<std::string> fields = detail::SplitTabs(line);
        if (fields.size() != 5)
            throw fail("expected 5 tab-separated fields (name, highest volume, category, as-of date, source), found " +
                       std::to_string(fields.size()));
        CatalogueUpdateEntry entry{number, {fields[0], fields[1], fields[2]}, fields[3], fields[4]};
        const std::string problem = CatalogueRowProblem(entry.row);
        if (!problem.empty()) throw fail(problem);
        if (!detail::IsDate(entry.asOf)) throw fail("the as-of date \"" + entry.asOf + "\" is not YYYY-MM-DD");
        if (entry.source.find_first_not_of(' ') == std::string::npos) throw fail("the source is empty");
        const auto earlier = lines.emplace(entry.row.name, number);
        if (!earlier.second)
            throw fail("\"" + entry.row.name + "\" is already given on line " + std::to_string(earlier.first->second));
        entries.push_back(std::move(entry));
    }
    if (!headerSeen) throw CatalogueUpdateError(where + ": no header line (the file is empty)");
    return entries;
}

// Reads and parses the file at `path`; a file that cannot be read is a
// CatalogueUpdateError too.
inline std::vector<CatalogueUpdateEntry> LoadCatalogueUpdateFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw CatalogueUpdateError(path + ": cannot be read");
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) throw CatalogueUpdateError(path + ": cannot be read");
    return ParseCatalogueUpdate(text.str(), path);
}

// The rows the recognizer takes, in file order.
inline std::vector<ReporterCatalogueRow> CatalogueRows(const std::vector<CatalogueUpdateEntry>& entries) {
    std::vector<ReporterCatalogueRow> rows;
    rows.reserve(entries.size());
    for (const CatalogueUpdateEntry& entry : entries) rows.push_back(entry.row);
    return rows;
}

}  // namespace Veltra::Penwork::Recognizer
