#include "recognizers/security_recognizer.h"

#include <algorithm>

namespace Veltra {
namespace Penwork {
namespace Recognizer {

namespace {

typedef std::basic_string<OLECHAR> Wide;

const std::size_t kMaxTagUnits = 64;

// ASCII letters only: every other code unit is left as it is.
Wide ToUpper(const OLECHAR* s, std::size_t n) {
    Wide out(s, n);
    for (auto& c : out)
        if (c >= u'a' && c <= u'z') c = OLECHAR(c - (u'a' - u'A'));
    return out;
}

Wide ToUpper(const Wide& s) { return ToUpper(s.data(), s.size()); }

// The keys the identifier-type keywords are compared against.
const std::vector<Wide>& IdentifierTypeKeys() {
    static const std::vector<Wide> keys = [] {
        std::vector<Wide> upper;
        for (const Wide& type : RecognizerSecurityImpl::IdentifierTypes()) upper.push_back(ToUpper(type));
        return upper;
    }();
    return keys;
}

bool IsIdentifierType(const Wide& upperWord) {
    const auto& keys = IdentifierTypeKeys();
    return std::find(keys.begin(), keys.end(), upperWord) != keys.end();
}

struct Token {
    std::size_t begin;
    std::size_t length;
};

}  // namespace

const std::vector<Wide>& RecognizerSecurityImpl::IdentifierTypes() {
    static const std::vector<Wide> types = {
        OLESTR("AIBD"),     OLESTR("AUSTRIA"),  OLESTR("BELG"),     OLESTR("CEDE_T"),    OLESTR("CINS"),
        OLESTR("COMNUM"),   OLESTR("CUSIP"),    OLESTR("CUSIP8"),   OLESTR("CUSIPX"),    OLESTR("DENMRK"),
        OLESTR("DUTCH"),    OLESTR("EUROCLR"),  OLESTR("FIRMID"),   OLESTR("FRENCH"),    OLESTR("IRISH"),
        OLESTR("ISIN"),     OLESTR("ISMA"),     OLESTR("ITALY"),    OLESTR("JAPAN"),     OLESTR("JNCOMNUM"),
        OLESTR("LUXEMBRG"), OLESTR("MALAYSIA"), OLESTR("MISC"),     OLESTR("NORWAY"),    OLESTR("RGA"),
        OLESTR("SCM"),      OLESTR("STCM"),     OLESTR("SEDOL1"),   OLESTR("SEDOL2"),    OLESTR("SPAIN"),
        OLESTR("SWEDEN"),   OLESTR("TCA"),      OLESTR("TCM"),      OLESTR("TICKERDIV"), OLESTR("TICKERX"),
        OLESTR("TICKER"),   OLESTR("VALOREN"),  OLESTR("WERTP"),
    };
    return types;
}

RecognizerSecurityImpl::RecognizerSecurityImpl(
    const _bstr_t& typeName, boost::shared_ptr<Veltra::Util::Collections::IStringListImpl> sectors)
    : typeName(typeName), sectors(std::move(sectors)) {
    IdentifierTypeKeys();
    const std::uint32_t n = this->sectors ? this->sectors->Count() : 0;
    for (std::uint32_t k = 0; k < n; ++k) {
        const _bstr_t sector = this->sectors->Item(k);
        sectorKeys.push_back(ToUpper(sector, sector.length()));
    }
}

RecognizerSecurityImpl::~RecognizerSecurityImpl() {}

bool RecognizerSecurityImpl::IsDisabled() { return !sectors || sectors->Count() == 0; }

void RecognizerSecurityImpl::GetTagTypes(TagTypeList& types) {
    const std::uint32_t n = sectors ? sectors->Count() : 0;
    for (std::uint32_t i = 0; i < n; ++i) {
        const _bstr_t sector = sectors->Item(i);
        types.emplace_back(sector, sector);
    }
}

long RecognizerSecurityImpl::FindSector(const Wide& upperWord) const {
    auto it = std::find(sectorKeys.begin(), sectorKeys.end(), upperWord);
    return it == sectorKeys.end() ? -1 : long(it - sectorKeys.begin());
}

bool RecognizerSecurityImpl::Recognize(const _bstr_t& text, CommitTagFn commit) {
    // Everything up to the first NUL; a null text is empty.
    const OLECHAR* chars = text;
    std::size_t n = 0;
    if (chars)
        while (n < text.length() && chars[n]) ++n;

    // Only the last two words can be the sector word or the identifier-type
    // keyword: every word before them is a name word whatever it says, so
    // those are measured, not looked up. words[0] is the last word, words[1]
    // the one before it; `i` ends where the earlier words end.
    Token words[2];
    std::size_t found = 0;
    std::size_t i = n;
    while (found < 2) {
        while (i > 0 && chars[i - 1] == u' ') --i;
        if (i == 0) break;
        const std::size_t end = i;
        while (i > 0 && chars[i - 1] != u' ') --i;
        words[found++] = {i, end - i};
    }
    if (found == 0) return false;

    // Each name word with the blank after it. Past kMaxTagUnits the text can
    // no longer be tagged, so the count stops there.
    std::size_t nameUnits = 0;
    for (std::size_t j = 0; j < i && nameUnits <= kMaxTagUnits; ++j)
        if (chars[j] != u' ') nameUnits += (j == 0 || chars[j - 1] == u' ') ? 2 : 1;

    const Token& last = words[0];
    const Wide lastKey = ToUpper(chars + last.begin, last.length);
    const bool lastIsIdType = IsIdentifierType(lastKey);
    bool sectorFound = false;
    _bstr_t sector;
    if (found == 2) {
        // Before a trailing keyword the sector word counts; otherwise it is a name word.
        const Token& word = words[1];
        const long k = FindSector(ToUpper(chars + word.begin, word.length));
        if (k >= 0 && lastIsIdType) {
            sector = sectors->Item(std::uint32_t(k));
            sectorFound = true;
        } else {
            nameUnits += word.length + 1;
        }
    }
    const long k = FindSector(lastKey);
    if (k >= 0) {
        sector = sectors->Item(std::uint32_t(k));
        sectorFound = true;
    } else if (!lastIsIdType) {
        // A trailing identifier-type keyword is not part of the name.
        nameUnits += last.length + 1;
    }

    // A text ending in a keyword without a sector word before it
    // ('XYZ US CUSIP') names no market sector and is not tagged.
    if (nameUnits == 0 || !sectorFound) return false;
    if (sector.length() + nameUnits + 2 > kMaxTagUnits) return false;

    TagPropertyMap properties;
    properties[_bstr_t(OLESTR("Security"))] = text;
    properties[_bstr_t(OLESTR("MarketSector"))] = sector;
    commit(sector, 1, int(n), properties);
    return true;
}

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
