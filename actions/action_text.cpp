#include "actions/action_text.h"

#include <cwchar>
#include <limits>
#include <stdexcept>

#include "platform/codepage.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {
namespace ActionText {

Text Units(const _bstr_t& s) {
    const OLECHAR* units = s;
    return units ? Text(units, s.length()) : Text();
}

_bstr_t ToBstr(const Text& text) {
    BSTR made = SysAllocStringLen(text.data(), UINT(text.size()));
    if (!made) _com_issue_error(E_OUTOFMEMORY);
    return _bstr_t(made, false);
}

const _bstr_t& RequiredProperty(const TagPropertyMap& properties, const OLECHAR* key) {
    const _bstr_t wanted(key);
    const auto found = properties.find(wanted);
    if (found == properties.end()) {
        const Text name(key);
        throw std::invalid_argument("the tag has no \"" + smarttag::platform::WideToUtf8(name.data(), name.size()) +
                                    "\" property");
    }
    return found->second;
}

std::int32_t ReadDecimal(const Text& text) {
    // Each code unit widened as it is; a surrogate is no digit or blank
    // either way, so the reading stops there as it would on Windows.
    const std::wstring wide(text.begin(), text.end());
    const long value = std::wcstol(wide.c_str(), nullptr, 10);
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return std::int32_t(value);
}

}  // namespace ActionText
}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
