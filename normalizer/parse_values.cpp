#include "normalizer/parse_values.h"

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "platform/per_thread.h"

namespace Veltra::Penwork::Recognizer {
namespace {

constexpr std::string_view kUniversalStates[] = {
    "maine",    "montana",   "north dakota", "south dakota", "oklahoma criminal", "oklahoma",
    "pennsylvania superior", "connecticut supplement", "utah", "wisconsin", "wyoming",
};

constexpr bool IsDigit(char c) noexcept { return c >= '0' && c <= '9'; }

// Node values are recycled. A parse makes and frees a handful of short
// strings; each thread keeps up to kPooledValues freed ones, buffers and all,
// for the next parse instead of going back to the heap every time. A string
// whose buffer grew past kPooledCapacity is deleted, so a thread holds at most
// a few kilobytes. Once the thread's pool is gone (at thread exit, before or
// after other per-thread objects that still free values), values are simply
// deleted.
constexpr std::size_t kPooledValues = 64;
constexpr std::size_t kPooledCapacity = 256;

class ValuePool {
public:
    ValuePool() noexcept = default;
    ValuePool(const ValuePool&) = delete;
    ValuePool& operator=(const ValuePool&) = delete;
    ~ValuePool() {
        for (std::string* s : free) delete s;
    }
    std::vector<std::string*> free;
};

using Pool = smarttag::platform::PerThread<ValuePool>;

std::string* NewValue() {
    ValuePool* pool = Pool::Get();
    if (!pool) {
        Pool::Reset(std::make_unique<ValuePool>());
        pool = Pool::Get();
        pool->free.reserve(kPooledValues);
    }
    if (!pool->free.empty()) {
        std::string* s = pool->free.back();
        pool->free.pop_back();
        return s;
    }
    return new std::string;
}

void DeleteValue(std::string* value) noexcept {
    if (!value) return;
    if (ValuePool* pool = Pool::Get()) {
        std::vector<std::string*>& free = pool->free;
        // Within the reserved capacity push_back does not allocate.
        if (free.size() < free.capacity() && value->capacity() <= kPooledCapacity) {
            value->clear();
            free.push_back(value);
            return;
        }
    }
    delete value;
}

// The destination slot, created empty when null.
std::string& Destination(std::string*& dest) {
    if (!dest) dest = NewValue();
    return *dest;
}

void AppendWithSpace(std::string*& dest, std::string_view text, bool space) {
    std::string& out = Destination(dest);
    if (space && !out.empty()) out += ' ';
    out.append(text.data(), text.size());
}

// Reads the leading digits of a value as a stream extraction into a long would.
bool ReadDecimal(const std::string& value, long& number) noexcept {
    if (value.empty() || !IsDigit(value[0])) return false;
    long n = 0;
    for (char c : value) {
        if (!IsDigit(c)) break;
        const int digit = c - '0';
        if (n > (LONG_MAX - digit) / 10) return false;
        n = n * 10 + digit;
    }
    number = n;
    return true;
}

bool IsWhite(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v';
}

}  // namespace

void FreeValue(std::string*& value) noexcept {
    DeleteValue(value);
    value = nullptr;
}

void MoveValue(std::string*& node, std::string*& child) noexcept {
    if (&node == &child) return;
    DeleteValue(node);
    node = child;
    child = nullptr;
}

void AppendLiteral(std::string*& dest, std::string_view literal, bool space) {
    AppendWithSpace(dest, literal, space);
}

void AppendValue(std::string*& dest, const std::string* child, bool space) {
    if (!HasText(child)) return;
    AppendWithSpace(dest, *child, space);
}

void AppendValueTrimZeros(std::string*& dest, const std::string* child, bool space) {
    if (!HasText(child)) return;
    std::string_view text = *child;
    text.remove_prefix(std::min(text.find_first_not_of('0'), text.size()));
    AppendWithSpace(dest, text, space);
}

void AppendMatchedText(std::string*& dest, std::string_view matched, bool space) {
    while (!matched.empty() && IsWhite(matched.back())) matched.remove_suffix(1);
    if (matched.empty()) return;
    AppendWithSpace(dest, matched, space);
}

void AppendChildValues(std::string*& dest, const std::string* const* children, std::size_t count,
                       bool spaceBeforeFirst, bool spaceBetween) {
    for (std::size_t i = 0; i < count; ++i) AppendChildValue(dest, children[i], i, spaceBeforeFirst, spaceBetween);
}

void AppendChildValue(std::string*& dest, const std::string* child, std::size_t position,
                      bool spaceBeforeFirst, bool spaceBetween) {
    if (!HasText(child)) return;
    std::string& out = Destination(dest);
    if (position == 0 ? (spaceBeforeFirst && !out.empty()) : spaceBetween) out += ' ';
    out += *child;
}

TableView<std::string_view> UniversalStates() noexcept { return kUniversalStates; }

bool IsUniversalState(std::string_view reporterName) noexcept {
    return std::find(std::begin(kUniversalStates), std::end(kUniversalStates), reporterName) !=
           std::end(kUniversalStates);
}

void MarkUniversal(std::string* reporterName, const std::string* volume) {
    if (!HasText(reporterName) || !HasText(volume)) return;
    if (volume->size() != 4) return;
    const std::string_view century = std::string_view(*volume).substr(0, 2);
    if (century != "19" && century != "18" && century != "20") return;
    if (!IsUniversalState(*reporterName)) return;
    if (*reporterName == "connecticut supplement") {
        *reporterName = "connecticut superior universal";
    } else {
        *reporterName += " universal";
    }
}

void ExpandDirectiveYear(std::string* first, std::string* second) {
    if (!first || !second) return;
    long a = 0;
    long b = 0;
    if (!ReadDecimal(*first, a) || !ReadDecimal(*second, b)) return;
    if (a >= 100 && a < 1900 && (b < 100 || (b >= 1901 && b <= 2499))) {
        first->swap(*second);
        std::swap(a, b);
    }
    if (a < 100) first->insert(0, "19");
}

void ExpandTwoDigitYear(std::string* value) {
    if (!value) return;
    long n = 0;
    if (!ReadDecimal(*value, n)) return;
    if (n >= 51 && n <= 99) {
        value->insert(0, "19");
    } else if (n < 50) {
        value->insert(0, "20");
    }
}

void DropLeadingZero(std::string* value) {
    if (value && value->size() == 3 && (*value)[0] == '0') value->erase(0, 1);
}

void PadTwoDigits(std::string* value) {
    if (value && value->size() < 2) value->insert(0, 2 - value->size(), '0');
}

void DigitsOnly(std::string* value) {
    if (!value) return;
    value->erase(std::remove_if(value->begin(), value->end(), [](char c) { return !IsDigit(c); }),
                 value->end());
    const std::size_t firstNonZero = value->find_first_not_of('0');
    if (firstNonZero != std::string::npos) value->erase(0, firstNonZero);
}

void AfterLastSlash(std::string* value) {
    if (!value || value->size() <= 7) return;
    if (std::count(value->begin(), value->end(), '/') < 2) return;
    value->erase(0, value->rfind('/') + 1);
}

void StoreRoot(CitationRecord& record, const std::string* citeValue) {
    if (citeValue) {
        record.text = *citeValue;
    } else {
        record.text.clear();
    }
}

void SetCategory(CitationRecord& record, std::string_view category) {
    record.category.assign(category.data(), category.size());
}

void Reject(CitationRecord& record) noexcept { record.rejected = true; }

void Reject(CitationRecord& record, std::string_view message) {
    record.rejected = true;
    record.error.assign(message.data(), message.size());
}

void CheckReporterSeparator(CitationRecord& record) noexcept {
    if (record.text.find_first_of(" ,-\t") == std::string::npos) record.rejected = true;
}

void RejectEmptyEcrPage(CitationRecord& record, const std::string* page) {
    if (IsEmptyOrZeros(page)) Reject(record, "empty page id");
}

void RejectZeroPageNumber(CitationRecord& record, const std::string* number) {
    if (IsAllZeros(number)) Reject(record, "empty page id");
}

void RejectZeroPinPage(CitationRecord& record, const std::string* page) {
    if (IsEmptyOrZeros(page)) Reject(record, "Page 0 not allowed");
}

void RequireFourDigitYear(CitationRecord& record, const std::string* year) {
    if (!year || year->size() != 4) Reject(record);
}

void TrimPatentNumber(std::string* number) {
    if (!number) return;
    const auto digit = std::find_if(number->begin(), number->end(), IsDigit);
    if (digit == number->end()) return;
    const std::size_t prefix = static_cast<std::size_t>(digit - number->begin());
    const std::size_t kept = number->find_first_not_of('0', prefix);
    if (kept == std::string::npos) return;
    number->erase(prefix, kept - prefix);
}

bool IsEmptyOrZeros(const std::string* value) noexcept {
    return !value || value->find_first_not_of('0') == std::string::npos;
}

bool IsAllZeros(const std::string* value) noexcept {
    return HasText(value) && value->find_first_not_of('0') == std::string::npos;
}

void AppendSyntaxErrorLine(CitationRecord& record, unsigned line, unsigned column,
                           std::optional<std::string_view> lastParsedText) {
    std::string& error = record.error;
    error += std::to_string(line);
    error += ':';
    error += std::to_string(column);
    error += " syntax error";
    if (lastParsedText) {
        error += " after ";
        error.append(lastParsedText->data(), lastParsedText->size());
    }
    error += '\n';
}

}  // namespace Veltra::Penwork::Recognizer
