#pragma once

// The routine set the generated citation actions call. The engine hands every
// action a glr::ActionContext over the node being reduced; the routines here
// read and write the nodes' values as the owned `std::string*` of
// parse_values.h and reach the parse's CitationRecord through the parser's
// globals. Each routine only adapts the context to the matching function of
// parse_values.h; what a value becomes is decided there.
//
// Element numbers k are the alternative's elements as the grammar writes
// them. A k past the child list stands for an absent element: a child without
// value, which every routine treats as "no text".

#include <string>
#include <string_view>

#include "glr/actions.h"
#include "normalizer/parse_values.h"

namespace Veltra::Penwork::Recognizer {

struct CitationActions {
    // Template items.
    static void AppendLiteral(glr::ActionContext& c, std::string_view literal, bool space);
    static void AppendValue(glr::ActionContext& c, unsigned k, bool space);
    static void AppendValueTrimZeros(glr::ActionContext& c, unsigned k, bool space);
    static void AppendMatchedText(glr::ActionContext& c, unsigned k, bool space);
    static void AppendChildValues(glr::ActionContext& c, unsigned k, bool spaceBeforeFirst, bool spaceBetween);
    static void MoveValue(glr::ActionContext& c, unsigned k);
    static void DefaultPassUp(glr::ActionContext& c);
    static void SetCategory(glr::ActionContext& c, std::string_view category);
    static void Reject(glr::ActionContext& c);
    static void Reject(glr::ActionContext& c, std::string_view message);

    // Value routines, in place on the children's values.
    static void MarkUniversal(glr::ActionContext& c, unsigned reporterName, unsigned volume);
    static void ExpandDirectiveYear(glr::ActionContext& c, unsigned first, unsigned second);
    static void ExpandTwoDigitYear(glr::ActionContext& c, unsigned k);
    static void DropLeadingZero(glr::ActionContext& c, unsigned k);
    static void PadTwoDigits(glr::ActionContext& c, unsigned k);
    static void DigitsOnly(glr::ActionContext& c, unsigned k);
    static void AfterLastSlash(glr::ActionContext& c, unsigned k);

    // Named action routines. Which element each one reads is fixed by the
    // production it is written in (see the comment blocks of the grammar files).
    static void StoreRoot(glr::ActionContext& c);               // element 0: cite
    static void CheckReporterSeparator(glr::ActionContext& c);  // the record's text
    static void RejectEmptyEcrPage(glr::ActionContext& c);      // element 4: page_number
    static void RejectZeroPageNumber(glr::ActionContext& c);    // element 1: number
    static void RejectZeroPinPage(glr::ActionContext& c);       // the node's own value
    static void RequireFourDigitYear(glr::ActionContext& c);    // element 1: number
    static void TrimPatentNumber(glr::ActionContext& c);        // element 2: identifier

    // The parser's free-node hook: frees one node value (see FreeValue).
    static void FreeNodeValue(void* value, void* user) noexcept;
};

}  // namespace Veltra::Penwork::Recognizer
