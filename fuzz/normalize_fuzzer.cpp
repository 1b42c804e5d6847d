// NormalizeCitation on arbitrary bytes.
//
// Beyond not crashing, hanging or leaking, it checks what holds for every
// input: the same input gives the same answer twice (no state carried over
// from one call to the next, nothing read uninitialised); the category is
// written only when the answer is true; and whatever the normalizer writes
// back into the citation is lower case, since it is built from the prepared
// (lower-cased) text.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "normalizer/normalize_citation.h"

using Veltra::Penwork::Recognizer::NormalizeCitation;

namespace {

bool HasUpperCase(const std::string& text) {
    for (char c : text)
        if (c >= 'A' && c <= 'Z') return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    std::string citation = input;
    std::string category = "unchanged";
    const bool ok = NormalizeCitation(citation, category);
    if (!ok) FUZZ_CHECK(category == "unchanged");
    if (citation != input) FUZZ_CHECK(!HasUpperCase(citation));

    std::string again = input;
    std::string againCategory = "unchanged";
    FUZZ_CHECK(NormalizeCitation(again, againCategory) == ok);
    FUZZ_CHECK(again == citation);
    FUZZ_CHECK(againCategory == category);
    return 0;
}
