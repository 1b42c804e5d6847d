// The constant tables: reporter catalogue and source identifier lists.

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>

#include "normalizer/parse_values.h"
#include "normalizer/reporter_catalogue.h"
#include "normalizer/source_identifiers.h"

namespace Veltra::Penwork::Recognizer {
namespace {

template <class Table>
void ExpectStrictlyAscending(const Table& table) {
    for (std::size_t i = 1; i < table.size(); ++i) {
        EXPECT_LT(RowKey(table[i - 1]), RowKey(table[i])) << "at row " << i;
    }
}

TEST(ReporterCatalogue, TablesHaveTheirSizesAndStaySorted) {
    EXPECT_EQ(CategoryByReporterTable().size(), 552u);
    EXPECT_EQ(ReporterVolumeTable().size(), 544u);
    EXPECT_EQ(AcceptedCategoryTable().size(), 14u);
    ExpectStrictlyAscending(CategoryByReporterTable());
    ExpectStrictlyAscending(ReporterVolumeTable());
    ExpectStrictlyAscending(AcceptedCategoryTable());

    // 581 names in all: 515 in both tables, 37 with a category only, 29 with a
    // volume only.
    std::set<std::string_view> categorized;
    for (const auto& row : CategoryByReporterTable()) categorized.insert(row.name);
    std::size_t both = 0;
    for (const auto& row : ReporterVolumeTable()) both += categorized.count(row.name);
    EXPECT_EQ(both, 515u);
}

TEST(ReporterCatalogue, EveryCategoryIsAKnownLabel) {
    const std::set<std::string_view> vocabulary = {
        "PrimaryStateReporter", "SecondaryStateReporter", "RegionalReporter", "PrimaryFederalReporter",
        "SecondaryFederalReporter", "ReporterOfDecisions", "USReport", "SupremeCourtReport",
        "LawyersEdition", "BankruptcyReporter", "SlipOpinionNumber", "SECJudicialDecisions",
        "Universal", "Veltra", "Veltra1", "Other"};
    for (const auto& row : CategoryByReporterTable()) EXPECT_EQ(vocabulary.count(row.category), 1u) << row.name;
    for (std::string_view category : AcceptedCategoryTable()) EXPECT_EQ(vocabulary.count(category), 1u) << category;
}

TEST(ReporterCatalogue, VolumeCheck) {
    EXPECT_TRUE(IsValidReporterVolume("f 3d", 562));
    EXPECT_FALSE(IsValidReporterVolume("f 3d", 563));
    EXPECT_TRUE(IsValidReporterVolume("f 3d", 0));
    EXPECT_FALSE(IsValidReporterVolume("f 3d", -1));
    EXPECT_TRUE(IsValidReporterVolume("og", 1145));
    EXPECT_TRUE(IsValidReporterVolume("new york supplement 2d", 868));
    EXPECT_TRUE(IsValidReporterVolume("massachusetts app div", 2009));
    EXPECT_FALSE(IsValidReporterVolume("massachusetts app div", 2010));
    // A volume that would wrap to a small number in 32 bits is still too big.
    EXPECT_FALSE(IsValidReporterVolume("us", (std::int64_t{1} << 32) + 5));
    // Keys match byte for byte only.
    EXPECT_FALSE(IsValidReporterVolume("F 3d", 1));
    EXPECT_FALSE(IsValidReporterVolume("f 3d ", 1));
    EXPECT_FALSE(IsValidReporterVolume("", 1));
}

TEST(ReporterCatalogue, CategoryLookup) {
    EXPECT_EQ(ReporterCategoryOf("f supp"), "PrimaryFederalReporter");
    EXPECT_EQ(ReporterCategoryOf("us"), "USReport");
    EXPECT_EQ(ReporterCategoryOf("hasb idaho"), "SecondaryStateReporter");
    EXPECT_EQ(ReporterCategoryOf("no such reporter"), "");
    EXPECT_EQ(ReporterCategoryOf("F SUPP"), "");
}

TEST(ReporterCatalogue, NamesInOnlyOneTable) {
    // A category but no highest volume: classified, never a valid volume.
    EXPECT_EQ(ReporterCategoryOf("curtis"), "ReporterOfDecisions");
    EXPECT_FALSE(IsValidReporterVolume("curtis", 1));
    // A highest volume but no category.
    EXPECT_TRUE(IsValidReporterVolume("atlantic 3d", 52));
    EXPECT_EQ(ReporterCategoryOf("atlantic 3d"), "");
}

TEST(ReporterCatalogue, CategoryCheck) {
    EXPECT_TRUE(IsAcceptedCategory("PrimaryStateReporter"));
    EXPECT_TRUE(IsAcceptedCategory("Veltra1"));
    EXPECT_FALSE(IsAcceptedCategory("Other"));
    EXPECT_FALSE(IsAcceptedCategory("SECJudicialDecisions"));
    EXPECT_FALSE(IsAcceptedCategory("USC"));
    EXPECT_FALSE(IsAcceptedCategory(""));
}

TEST(ReporterCatalogue, UniversalFormsOfTheUniversalStatesAreUniversalReporters) {
    for (std::string_view state : UniversalStates()) {
        std::string* name = new std::string(state);
        const std::string year = "2004";
        MarkUniversal(name, &year);
        EXPECT_EQ(ReporterCategoryOf(*name), "Universal") << *name;
        FreeValue(name);
    }
}

TEST(SourceIdentifiers, ListsHaveTheirSizesAndStaySorted) {
    EXPECT_EQ(SourceIdentifierTable().size(), 1736u);
    EXPECT_EQ(CaseLawIdentifierTable().size(), 112u);
    ExpectStrictlyAscending(SourceIdentifierTable());
    ExpectStrictlyAscending(CaseLawIdentifierTable());
    for (std::string_view id : CaseLawIdentifierTable()) EXPECT_TRUE(IsSourceIdentifier(id)) << id;
}

TEST(SourceIdentifiers, LookupIsExact) {
    EXPECT_TRUE(IsSourceIdentifier("akacjcrp"));  // first
    EXPECT_TRUE(IsSourceIdentifier("wyurudct"));  // last
    EXPECT_TRUE(IsSourceIdentifier("frapproc"));
    EXPECT_FALSE(IsCaseLawIdentifier("frapproc"));
    EXPECT_TRUE(IsCaseLawIdentifier("usfr12"));
    EXPECT_TRUE(IsCaseLawIdentifier("f10case"));
    EXPECT_FALSE(IsSourceIdentifier("akcas"));
    EXPECT_FALSE(IsSourceIdentifier("akcase "));
    EXPECT_FALSE(IsSourceIdentifier("AKCASE"));
    EXPECT_FALSE(IsSourceIdentifier(""));
    EXPECT_FALSE(IsSourceIdentifier("410"));       // below the range
    EXPECT_FALSE(IsSourceIdentifier("akacjcr"));   // a prefix of the first
    EXPECT_FALSE(IsSourceIdentifier("wyurudctx"));  // past the last
    for (std::string_view id : SourceIdentifierTable()) EXPECT_TRUE(IsSourceIdentifier(id)) << id;
}

TEST(SortedTables, FindRowAtAndAroundTheEnds) {
    constexpr std::string_view rows[] = {"b", "bb", "d"};
    const TableView<std::string_view> table(rows);
    for (std::string_view key : {"b", "bb", "d"}) {
        ASSERT_NE(FindRow(table, key), nullptr) << key;
        EXPECT_EQ(*FindRow(table, key), key);
    }
    for (std::string_view key : {"", "a", "ba", "c", "bbb", "da", "e", "\xff"})
        EXPECT_EQ(FindRow(table, key), nullptr) << key;
    EXPECT_EQ(FindRow(TableView<std::string_view>(rows, 0), "b"), nullptr);
}

}  // namespace
}  // namespace Veltra::Penwork::Recognizer
