// Small text helpers the actions share.
#pragma once

#include <cstdint>
#include <string>

#include "adaptors/tag_types.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {
namespace ActionText {

typedef std::basic_string<OLECHAR> Text;

// The string's code units; a null string is empty.
Text Units(const _bstr_t& s);
// A new non-null _bstr_t holding `text`, embedded NULs included.
_bstr_t ToBstr(const Text& text);

// The value stored under `key`; throws std::invalid_argument naming the key
// when the tag has no such property.
const _bstr_t& RequiredProperty(const TagPropertyMap& properties, const OLECHAR* key);

// Reads a decimal number the way wcstol does on Windows, where long has 32
// bits: white space skipped, an optional sign, digits up to the first
// non-digit; no digits gives 0, and values out of range saturate.
std::int32_t ReadDecimal(const Text& text);

}  // namespace ActionText
}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
