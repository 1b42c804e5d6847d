// The types recognizers, actions and the two adaptors exchange.
//
// TagTypeList: (name, second) pairs in insertion order. A recognizer appends
//   one (type, type) pair per smart-tag type it can produce; on the action
//   side the second member is the caption Office shows for the type.
// TagPropertyMap: a tag's properties, ordered by key as _bstr_t compares
//   (UTF-16 code unit, prefix first, null first). Written by a recognizer and
//   read by the adaptor when it commits the tag.
// CommitTagFn: how a recognizer reports a tag: the bare type name (the
//   adaptor adds its prefix), the 1-based start and the length, both in UTF-16
//   code units of the text the recognizer was given, and the properties. It
//   runs synchronously and returns normally even when committing failed.
#pragma once

#include <map>
#include <utility>
#include <vector>

#include <boost/function.hpp>

#include "platform/comutil.h"

namespace Veltra {
namespace Penwork {
namespace Recognizer {

typedef std::vector<std::pair<_bstr_t, _bstr_t>> TagTypeList;
typedef std::map<_bstr_t, _bstr_t> TagPropertyMap;
typedef boost::function<void(const _bstr_t& typeName, int start, int length, TagPropertyMap& properties)>
    CommitTagFn;

}  // namespace Recognizer
}  // namespace Penwork
}  // namespace Veltra
