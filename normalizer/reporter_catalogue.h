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

#include <cstdint>
#include <string_view>

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

}  // namespace Veltra::Penwork::Recognizer
