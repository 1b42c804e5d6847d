// A program outside the tree using the installed library three ways: the C++
// interface, the C interface and one of the add-in's factories. Prints what
// each found; scripts/consumer-test.sh compares it with expected.txt.
#include <cstdio>
#include <cstring>
#include <string>

#include <smarttag/smarttag.h>
#include <smarttag/smarttag_c.h>
#include <smarttag/version.h>

#include "recognizers/citation_recognizer.h"

int main() {
    const std::string document = "See Roe v. Wade, 410 U.S. 113 (1973).\n\nAlso IBM US Equity\n";

    std::printf("version %s %d\n", smarttag::VersionString(), SMARTTAG_VERSION_MAJOR);
    smarttag::Normalized n = smarttag::Normalize("347 U. S. 483");
    std::printf("normalize %d %s %s\n", n.ok, n.citation.c_str(), n.category.c_str());
    for (const smarttag::Citation& c : smarttag::FindCitations(document))
        std::printf("citation %zu %zu %s -> %s\n", c.span.byteStart, c.span.byteLength,
                    document.substr(c.span.byteStart, c.span.byteLength).c_str(), c.canonical.c_str());
    for (const smarttag::Security& s : smarttag::FindSecurities(document))
        std::printf("security %s %s\n", s.sector.c_str(), s.security.c_str());

    smarttag_tagger* tagger = nullptr;
    char* json = nullptr;
    if (smarttag_tagger_create(nullptr, 0, nullptr, &tagger) != SMARTTAG_OK ||
        smarttag_find_json(tagger, "5 F.3d 77", 9, &json) != SMARTTAG_OK) {
        std::printf("C error: %s\n", smarttag_last_error());
        return 1;
    }
    std::printf("c find %s\n", std::strstr(json, "[\"Citation\",\"5 f 3d 77\"]") ? "5 f 3d 77" : json);
    smarttag_free(json);
    if (smarttag_find_json(tagger, "a\0b", 3, &json) != SMARTTAG_ERROR_DOCUMENT) return 1;
    smarttag_tagger_free(tagger);

    using Veltra::Penwork::Recognizer::RecognizerCitationImpl;
    auto recognizer = RecognizerCitationImpl::Ctor("Citation");
    int tags = 0;
    recognizer->Recognize(_bstr_t("cited at 410 U.S. 113 and 5 F.3d 77"), [&](auto&&...) { ++tags; });
    std::printf("factory %d tags\n", tags);
    return 0;
}
