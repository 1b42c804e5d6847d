// A host's update of the reporter catalogue: how its rows lie over the
// built-in tables, which rows are refused, how the update file is read, and
// the update bundled in data/.

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "normalizer/catalogue_update.h"
#include "normalizer/normalize_citation.h"
#include "normalizer/reporter_catalogue.h"

namespace Veltra::Penwork::Recognizer {
namespace {

std::string ConstructionError(const std::vector<ReporterCatalogueRow>& rows) {
    try {
        ReporterCatalogue catalogue(rows);
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    return "(accepted)";
}

std::string ParseError(const std::string& text) {
    try {
        ParseCatalogueUpdate(text, "update.tsv");
    } catch (const CatalogueUpdateError& e) {
        return e.what();
    }
    return "(accepted)";
}

const std::string kHeader = "name\thighest_volume\tcategory\tas_of\tsource\n";

TEST(ReporterCatalogueUpdate, RowsReplaceWhatTheTablesSayOfTheirName) {
    const ReporterCatalogue catalogue({
        {"f 3d", "999", "PrimaryFederalReporter"},  // a newer last volume
        {"north eastern 3d", "126", "RegionalReporter"},  // a name the tables lack
        {"supreme court", "142", "SupremeCourtReport"},  // a volume the tables never gave it
        {"atlantic 3d", "175", "none"},  // an explicit none: no category, whatever the tables say
        {"us", "none", "USReport"},  // an explicit none: no volume passes
    });
    EXPECT_EQ(catalogue.UpdatedNames(), 5u);

    EXPECT_TRUE(catalogue.IsValidVolume("f 3d", 999));
    EXPECT_FALSE(catalogue.IsValidVolume("f 3d", 1000));
    EXPECT_FALSE(catalogue.IsValidVolume("f 3d", -1));
    EXPECT_TRUE(catalogue.IsValidVolume("north eastern 3d", 126));
    EXPECT_EQ(catalogue.CategoryOf("north eastern 3d"), "RegionalReporter");
    EXPECT_TRUE(catalogue.IsValidVolume("supreme court", 135));
    EXPECT_EQ(catalogue.CategoryOf("atlantic 3d"), "");
    EXPECT_FALSE(catalogue.IsValidVolume("us", 1));

    // Names the update does not mention keep the tables' answers, and the
    // tables themselves do not change.
    EXPECT_TRUE(catalogue.IsValidVolume("f 2d", 999));
    EXPECT_EQ(catalogue.CategoryOf("f supp"), "PrimaryFederalReporter");
    EXPECT_EQ(catalogue.CategoryOf("nowhere"), "");
    EXPECT_FALSE(IsValidReporterVolume("f 3d", 563));
    EXPECT_TRUE(IsValidReporterVolume("us", 1));
    EXPECT_EQ(ReporterCategoryOf("north eastern 3d"), "");

    // No update: the tables exactly.
    const ReporterCatalogue plain;
    EXPECT_FALSE(plain.IsValidVolume("f 3d", 563));
    EXPECT_EQ(plain.CategoryOf("atlantic 3d"), "");
    EXPECT_EQ(plain.CategoryOf("f supp 2d"), "PrimaryFederalReporter");
}

TEST(ReporterCatalogueUpdate, BadRowsAreRefusedNamingTheRow) {
    struct Case {
        std::vector<ReporterCatalogueRow> rows;
        std::string message;
    } cases[] = {
        {{{"f 3d", "999", "PrimaryFederalReporter"}, {"f 4th", "86x", "PrimaryFederalReporter"}},
         "catalogue update row 2 (\"f 4th\"): the highest volume \"86x\" is neither a number"},
        {{{"f 4th", "", "PrimaryFederalReporter"}}, "row 1 (\"f 4th\"): the highest volume \"\""},
        {{{"f 4th", "-5", "PrimaryFederalReporter"}}, "the highest volume \"-5\""},
        {{{"f 4th", "2147483648", "PrimaryFederalReporter"}}, "the highest volume \"2147483648\""},
        {{{"f 4th", "86", "FederalReporter"}}, "row 1 (\"f 4th\"): the category \"FederalReporter\" is not"},
        {{{"f 4th", "86", "regionalreporter"}}, "the category \"regionalreporter\""},
        {{{"f 4th", "86", ""}}, "the category \"\""},
        {{{"F 4th", "86", "none"}}, "has capitals"},
        {{{" f 4th", "86", "none"}}, "a blank at an end"},
        {{{"f  4th", "86", "none"}}, "two blanks in a row"},
        {{{"f\t4th", "86", "none"}}, "tab, control or non-ASCII"},
        {{{"", "86", "none"}}, "row 1 (\"\"): the reporter name is empty"},
        {{{"us", "598", "USReport"}, {"f 3d", "999", "none"}, {"us", "600", "USReport"}},
         "catalogue update row 3 (\"us\"): the name is already given in row 1"},
    };
    for (const Case& c : cases) {
        const std::string message = ConstructionError(c.rows);
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
    }
    EXPECT_EQ(ConstructionError({{"f 4th", "2147483647", "none"}, {"f 4th x", "none", "none"}}), "(accepted)");
    EXPECT_EQ(ConstructionError({}), "(accepted)");
}

TEST(ReporterCatalogueUpdate, ClassificationUsesTheUpdateOnlyWhereNoActionNamedACategory) {
    const ReporterCatalogue catalogue({
        {"north eastern 3d", "126", "RegionalReporter"},
        {"usc", "none", "RegionalReporter"},  // the statute family's own category must win
    });
    EXPECT_EQ(ClassifyByReporterName("12 north eastern 3d 34", catalogue), "RegionalReporter");
    EXPECT_EQ(ClassifyByReporterName("12 north eastern 3d 34"), "");

    std::string citation = "100 N.E.3d 5", category;
    ASSERT_TRUE(NormalizeCitation(citation, category, catalogue));
    EXPECT_EQ(citation, "100 north eastern 3d 5");
    EXPECT_EQ(category, "RegionalReporter");

    citation = "100 N.E.3d 5";
    category.clear();
    ASSERT_TRUE(NormalizeCitation(citation, category));
    EXPECT_EQ(category, "");

    citation = "15 U.S.C. 78";
    category.clear();
    ASSERT_TRUE(NormalizeCitation(citation, category, catalogue));
    EXPECT_EQ(citation, "15 usc 78");
    EXPECT_EQ(category, "USC");
}

TEST(CatalogueUpdateFile, RowsWithTheirLinesDatesAndSources) {
    const std::string text = "\xEF\xBB\xBF# comment\r\n\r\n" + kHeader +
                             "f 4th\t86\tPrimaryFederalReporter\t2023-12-31\tRobinson v. Ardoin, 86 F.4th 574\r\n"
                             "   \n"
                             "# another comment\n"
                             "us\tnone\tnone\t2024-01-01\tno tags for U.S. Reports";  // no final line end
    const std::vector<CatalogueUpdateEntry> entries = ParseCatalogueUpdate(text, "update.tsv");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].line, 4u);
    EXPECT_EQ(entries[0].row.name, "f 4th");
    EXPECT_EQ(entries[0].row.highestVolume, "86");
    EXPECT_EQ(entries[0].row.category, "PrimaryFederalReporter");
    EXPECT_EQ(entries[0].asOf, "2023-12-31");
    EXPECT_EQ(entries[0].source, "Robinson v. Ardoin, 86 F.4th 574");
    EXPECT_EQ(entries[1].line, 7u);
    EXPECT_EQ(entries[1].row.highestVolume, "none");
    const std::vector<ReporterCatalogueRow> rows = CatalogueRows(entries);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].name, "us");
}

TEST(CatalogueUpdateFile, FaultsNameTheFileAndLine) {
    const std::string row = "f 4th\t86\tPrimaryFederalReporter\t2023-12-31\tsome source\n";
    struct Case {
        std::string text;
        std::string message;
    } cases[] = {
        {"", "update.tsv: no header line (the file is empty)"},
        {"# only a comment\n", "update.tsv: no header line"},
        {row, "update.tsv:1: the first line must be the header"},
        {"name\thighest volume\tcategory\tas_of\tsource\n" + row, "update.tsv:1: the first line must be the header"},
        {kHeader + "f 4th\t86\tPrimaryFederalReporter\t2023-12-31\n", "update.tsv:2: expected 5 tab-separated fields"},
        {kHeader + "f 4th\t86\tPrimaryFederalReporter\t2023-12-31\ta\tb\n", "found 6"},
        {kHeader + "f 4th\tlots\tPrimaryFederalReporter\t2023-12-31\ts\n",
         "update.tsv:2: the highest volume \"lots\""},
        {kHeader + "f 4th\t86\tFederal\t2023-12-31\ts\n", "update.tsv:2: the category \"Federal\""},
        {kHeader + "f 4th\t86\tPrimaryFederalReporter\t31.12.2023\ts\n",
         "update.tsv:2: the as-of date \"31.12.2023\" is not YYYY-MM-DD"},
        {kHeader + "f 4th\t86\tPrimaryFederalReporter\t2023-13-01\ts\n", "the as-of date \"2023-13-01\""},
        {kHeader + "f 4th\t86\tPrimaryFederalReporter\t2023-12-31\t \n", "update.tsv:2: the source is empty"},
        {kHeader + row + "# between\n" + row, "update.tsv:4: \"f 4th\" is already given on line 2"},
    };
    for (const Case& c : cases) {
        const std::string message = ParseError(c.text);
        EXPECT_EQ(message.rfind("update.tsv:", 0), 0u) << message;
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
    }
    try {
        LoadCatalogueUpdateFile("/nonexistent/catalogue-update.tsv");
        ADD_FAILURE() << "a missing file was read";
    } catch (const CatalogueUpdateError& e) {
        EXPECT_EQ(std::string(e.what()), "/nonexistent/catalogue-update.tsv: cannot be read");
    }
}

// The update shipped with the tools: every row is accepted, names a reporter
// the normalizer writes, and says where it comes from.
TEST(BundledCatalogueUpdate, ReadsAndEveryRowNamesAKnownReporterAndASource) {
    const std::vector<CatalogueUpdateEntry> entries =
        LoadCatalogueUpdateFile(std::string(SMARTTAG_SOURCE_DIR) + "/data/catalogue-update.tsv");
    ASSERT_GE(entries.size(), 20u);
    const ReporterCatalogue catalogue(CatalogueRows(entries));
    // The series the built-in tables do not know; the grammar writes them.
    const std::vector<std::string> newSeries = {"north eastern 3d", "f supp 3d", "f 4th"};
    for (const CatalogueUpdateEntry& entry : entries) {
        SCOPED_TRACE(entry.row.name);
        const bool known = !ReporterCategoryOf(entry.row.name).empty() ||
                           FindRow(ReporterVolumeTable(), entry.row.name) != nullptr ||
                           std::find(newSeries.begin(), newSeries.end(), entry.row.name) != newSeries.end();
        EXPECT_TRUE(known) << "a name no normalized citation has";
        EXPECT_GE(entry.source.size(), 20u);
        // A bundled row only ever brings a reporter up to date: it never
        // lowers a highest volume or takes a category away.
        EXPECT_NE(entry.row.highestVolume, "none");
        EXPECT_NE(entry.row.category, "none");
        const ReporterVolumeRow* seed = FindRow(ReporterVolumeTable(), entry.row.name);
        if (seed) {
            EXPECT_GE(std::stoll(entry.row.highestVolume), seed->highestVolume);
        }
        const std::string_view seedCategory = ReporterCategoryOf(entry.row.name);
        if (!seedCategory.empty()) {
            EXPECT_EQ(entry.row.category, seedCategory);
        }
    }
    // The three slips of the built-in tables are mended.
    EXPECT_TRUE(catalogue.IsValidVolume("supreme court", 131));
    EXPECT_EQ(catalogue.CategoryOf("atlantic 3d"), "RegionalReporter");
    EXPECT_EQ(catalogue.CategoryOf("southern 3d"), "RegionalReporter");
    EXPECT_TRUE(catalogue.IsValidVolume("wisconsin universal", 2017));
}

}  // namespace
}  // namespace Veltra::Penwork::Recognizer
