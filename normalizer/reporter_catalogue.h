#pragma once

// The reporter catalogue: the normalizer's fixed knowledge of case reporters.
// Reporters are keyed by the name a normalized citation gives them (lower case,
// single blanks: "f supp 2d"). Keys are matched byte for byte; no case folding
// or trimming happens at lookup.
//
// Three constant tables, sorted by key, in static read-only storage:
//   - the category of each reporter name (552 rows);
//   - the highest volume of each reporter name (544 rows); for the public-domain
//     forms, whose "volume" is a year, the last accepted year;
//   - the categories the citation recognizer offers to the user (14 rows).
// A name may stand in only one of the two name tables: such a name either has a
// category but never passes the volume check, or passes the volume check but
// classifies as the empty category.
//
// The tables need no initialisation and are safe to read from any thread.
//
// A host may bring the tables up to date for one recognizer with a catalogue
// update (ReporterCatalogue below): rows that add reporter names or replace
// what the tables say of a name. The update belongs to the object that holds
// it; the tables themselves never change.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "normalizer/sorted_table.h"

namespace Veltra::Penwork::Recognizer {

// Category labels of case reporters and proprietary document numbers. Grammar
// actions that name one of these categories use the same words.
namespace ReporterCategory {
inline constexpr std::string_view PrimaryStateReporter{"PrimaryStateReporter"};
inline constexpr std::string_view SecondaryStateReporter{"SecondaryStateReporter"};
inline constexpr std::string_view RegionalReporter{"RegionalReporter"};
inline constexpr std::string_view PrimaryFederalReporter{"PrimaryFederalReporter"};
inline constexpr std::string_view SecondaryFederalReporter{"SecondaryFederalReporter"};
inline constexpr std::string_view ReporterOfDecisions{"ReporterOfDecisions"};
inline constexpr std::string_view USReport{"USReport"};
inline constexpr std::string_view SupremeCourtReport{"SupremeCourtReport"};
inline constexpr std::string_view LawyersEdition{"LawyersEdition"};
inline constexpr std::string_view BankruptcyReporter{"BankruptcyReporter"};
inline constexpr std::string_view SlipOpinionNumber{"SlipOpinionNumber"};
inline constexpr std::string_view SECJudicialDecisions{"SECJudicialDecisions"};
inline constexpr std::string_view Universal{"Universal"};
inline constexpr std::string_view Veltra{"Veltra"};
inline constexpr std::string_view Veltra1{"Veltra1"};
inline constexpr std::string_view Other{"Other"};

// Every category word a reporter can have, in the order above.
inline constexpr std::string_view kAll[] = {
    PrimaryStateReporter, SecondaryStateReporter, RegionalReporter, PrimaryFederalReporter,
    SecondaryFederalReporter, ReporterOfDecisions, USReport, SupremeCourtReport, LawyersEdition,
    BankruptcyReporter, SlipOpinionNumber, SECJudicialDecisions, Universal, Veltra, Veltra1, Other};
}  // namespace ReporterCategory

struct ReporterCategoryRow {
    std::string_view name;
    std::string_view category;
};

struct ReporterVolumeRow {
    std::string_view name;
    std::int32_t highestVolume;
};

// The category stored for a reporter name, or an empty view when the name has
// none. The view refers to static storage and stays valid for the program's life.
std::string_view ReporterCategoryOf(std::string_view reporterName) noexcept;

// True exactly when the reporter name has a highest volume, `volume` is not
// negative and `volume` does not exceed that highest volume. A name without a
// highest volume never passes. Callers that parse the volume from text may pass
// any 64-bit value; nothing is truncated.
bool IsValidReporterVolume(std::string_view reporterName, std::int64_t volume) noexcept;

// True exactly when the citation recognizer offers citations of this category
// to the user. "Other", "SECJudicialDecisions" and the statute, code and
// regulation families are not offered.
bool IsAcceptedCategory(std::string_view category) noexcept;

// The tables themselves, each strictly ascending by name (byte-wise).
TableView<ReporterCategoryRow> CategoryByReporterTable() noexcept;
TableView<ReporterVolumeRow> ReporterVolumeTable() noexcept;
TableView<std::string_view> AcceptedCategoryTable() noexcept;

// One row of a catalogue update, as text, the way a host writes it.
struct ReporterCatalogueRow {
    std::string name;           // as normalized citations spell it: "f 3d", "north eastern 3d"
    std::string highestVolume;  // a decimal number (a year for the universal forms), or "none"
    std::string category;       // one of ReporterCategory::kAll, or "none"
};

// The word a row uses for "no value" in its volume and category.
inline constexpr std::string_view kNoCatalogueValue{"none"};

// What is wrong with a row taken on its own, or an empty string when nothing
// is. A name must be what a normalized citation can hold: printable ASCII
// without capitals, words one blank apart, no blank at either end. A highest
// volume is "none" or decimal digits that fit a 32-bit int; a category is
// "none" or one of ReporterCategory::kAll, spelled exactly. Header-only, so
// that programs reading an update (which may reach the library only through
// its exported factories) check rows the way the library does.
inline std::string CatalogueRowProblem(const ReporterCatalogueRow& row) {
    const std::string& name = row.name;
    if (name.empty()) return "the reporter name is empty";
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c == ' ') {
            if (i == 0 || i + 1 == name.size() || name[i + 1] == ' ')
                return "the reporter name \"" + name + "\" has a blank at an end or two blanks in a row";
        } else if (c < 0x21 || c > 0x7E) {
            return "the reporter name \"" + name + "\" holds a tab, control or non-ASCII character";
        } else if (c >= 'A' && c <= 'Z') {
            return "the reporter name \"" + name + "\" has capitals (normalized names are lower case)";
        }
    }
    if (row.highestVolume != kNoCatalogueValue) {
        const std::string& volume = row.highestVolume;
        bool digits = !volume.empty() && volume.size() <= 10;
        std::int64_t value = 0;
        for (const char c : volume) {
            if (c < '0' || c > '9') {
                digits = false;
                break;
            }
            value = value * 10 + (c - '0');
        }
        if (!digits || value > std::numeric_limits<std::int32_t>::max())
            return "the highest volume \"" + volume + "\" is neither a number (at most 2147483647) nor none";
    }
    if (row.category != kNoCatalogueValue) {
        bool known = false;
        for (const std::string_view word : ReporterCategory::kAll) known = known || row.category == word;
        if (!known) return "the category \"" + row.category + "\" is not a category word (nor none)";
    }
    return {};
}

// The reporter catalogue one recognizer consults: the tables above, with a
// host's update laid over them. A row of the update stands for its name in
// both tables, whatever they said of it: the row's highest volume (none: the
// name never passes the volume check) and its category (none: the name
// classifies as the empty category). Names the update does not mention keep
// what the tables say.
//
// Immutable once built; safe to read from any thread.
class ReporterCatalogue {
public:
    // The tables exactly.
    ReporterCatalogue() = default;

    // The tables with `update` over them. Throws std::invalid_argument for
    // the first bad row (CatalogueRowProblem, or a name given twice), naming
    // it by its 1-based number and its name.
    explicit ReporterCatalogue(const std::vector<ReporterCatalogueRow>& update);

    // As ReporterCategoryOf, with the update first. The view refers to static
    // storage.
    std::string_view CategoryOf(std::string_view reporterName) const noexcept;

    // As IsValidReporterVolume, with the update first.
    bool IsValidVolume(std::string_view reporterName, std::int64_t volume) const noexcept;

    // How many names the update covers.
    std::size_t UpdatedNames() const noexcept { return rows_.size(); }

private:
    struct Row {
        std::string name;
        std::int64_t highestVolume;    // -1: none
        std::string_view category;     // one of ReporterCategory::kAll, or empty
    };
    const Row* Find(std::string_view reporterName) const noexcept;

    std::vector<Row> rows_;  // ascending by name
};

}  // namespace Veltra::Penwork::Recognizer
