// Internal: Windows-1252 data used by codepage.cpp.
#pragma once

namespace smarttag {
namespace platform {
namespace detail {

struct BestFitEntry {
    char16_t unit;
    unsigned char byte;
};

extern const char16_t kCp1252High[32];
extern const BestFitEntry kCp1252BestFit[];
extern const unsigned kCp1252BestFitSize;

}  // namespace detail
}  // namespace platform
}  // namespace smarttag
