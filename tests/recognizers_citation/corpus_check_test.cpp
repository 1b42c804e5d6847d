// The citation recognizer with the bundled catalogue update over the shared
// corpus of real opinions, against the full case citations an independent
// extractor found there (reference-case-citations.tsv: matched text, reporter,
// volume, page, file; one row per occurrence). A reference citation counts as
// tagged when a tag in the same file has its volume as first word and its page
// as last word of the canonical form; each tag answers for one reference row.
//
// Runs where the corpus is at ../shared/corpus beside the source tree (or at
// $SMARTTAG_CORPUS_DIR) and is skipped elsewhere. When the bundled update is
// refreshed the counts may rise: raise the floors with them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "normalizer/catalogue_update.h"
#include "platform/codepage.h"
#include "recognizers/citation_recognizer.h"
#include "api/document.h"

using namespace Veltra::Penwork::Recognizer;

namespace {

namespace fs = std::filesystem;

// What this update reaches on the corpus, and what the built-in catalogue
// reaches (both with the whole-page rule).
const int kTaggedWithUpdate = 2953;
const int kTaggedWithoutUpdate = 2267;
// Tags with no reference citation of their volume and page. Most are short
// forms with a pin page ("172 P.3d at 343") and full
// citations the reference missed; the count guards against new junk.
const int kMostUnmatchedTags = 724;

fs::path CorpusDir() {
    if (const char* dir = std::getenv("SMARTTAG_CORPUS_DIR")) return dir;
    return fs::path(SMARTTAG_SOURCE_DIR) / ".." / "shared" / "corpus";
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

typedef std::pair<std::string, std::string> VolumePage;

// Per file, how many reference citations (with a page) there are of each volume and page.
std::map<std::string, std::map<VolumePage, int>> ReferenceCitations(const fs::path& tsv, int& total) {
    std::map<std::string, std::map<VolumePage, int>> byFile;
    std::istringstream in(ReadAll(tsv));
    std::string line;
    std::getline(in, line);  // header
    total = 0;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::istringstream row(line);
        for (std::string field; std::getline(row, field, '\t');) fields.push_back(field);
        if (fields.size() < 5 || fields[3].empty()) continue;
        ++byFile[fields[4]][{fields[2], fields[3]}];
        ++total;
    }
    return byFile;
}

struct Counts {
    int tags = 0, tagged = 0, unmatched = 0;
};

Counts Compare(RecognizerCitationImpl& recognizer, const fs::path& corpus,
               std::map<std::string, std::map<VolumePage, int>> reference) {
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus))
        if (entry.path().extension() == ".txt") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    Counts counts;
    for (const fs::path& file : files) {
        std::map<VolumePage, int>& left = reference[file.filename().string()];
        for (const smarttag::api::Paragraph& paragraph : smarttag::api::SplitParagraphs(ReadAll(file))) {
            recognizer.Recognize(_bstr_t(paragraph.text.c_str()),
                                 [&](const _bstr_t&, int, int, TagPropertyMap& properties) {
                                     const _bstr_t& value = properties[_bstr_t(OLESTR("Citation"))];
                                     const std::string canonical = smarttag::platform::WideToUtf8(
                                         static_cast<const OLECHAR*>(value), value.length());
                                     const VolumePage key{canonical.substr(0, canonical.find(' ')),
                                                          canonical.substr(canonical.rfind(' ') + 1)};
                                     ++counts.tags;
                                     int& open = left[key];
                                     if (open > 0) {
                                         --open;
                                         ++counts.tagged;
                                     } else {
                                         ++counts.unmatched;
                                     }
                                 });
        }
    }
    return counts;
}

TEST(CorpusCheck, ReferenceCitationsTaggedWithTheBundledUpdate) {
    const fs::path corpus = CorpusDir();
    const fs::path tsv = corpus / "reference-case-citations.tsv";
    if (!fs::exists(tsv)) GTEST_SKIP() << "no corpus at " << corpus.string();

    int withPage = 0;
    const auto reference = ReferenceCitations(tsv, withPage);
    const auto update = CatalogueRows(
        LoadCatalogueUpdateFile((fs::path(SMARTTAG_SOURCE_DIR) / "data" / "catalogue-update.tsv").string()));
    const auto current = RecognizerCitationImpl::Ctor(_bstr_t(OLESTR("Citation")), update);
    const auto plain = RecognizerCitationImpl::Ctor(_bstr_t(OLESTR("Citation")));

    const Counts withUpdate = Compare(*current, corpus, reference);
    const Counts without = Compare(*plain, corpus, reference);
    std::cout << "reference citations with a page: " << withPage << "\n"
              << "with the bundled update: " << withUpdate.tagged << " tagged, " << withUpdate.tags << " tags, "
              << withUpdate.unmatched << " without a reference citation\n"
              << "built-in catalogue only: " << without.tagged << " tagged, " << without.tags << " tags, "
              << without.unmatched << " without a reference citation\n";
    EXPECT_GE(withUpdate.tagged, kTaggedWithUpdate);
    EXPECT_LE(withUpdate.unmatched, kMostUnmatchedTags);
    EXPECT_EQ(without.tagged, kTaggedWithoutUpdate);
}

}  // namespace
