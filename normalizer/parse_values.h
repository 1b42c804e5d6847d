#pragma once

// Parse values: what the grammar's actions build while they run bottom-up over
// the chosen parse tree, and the routines they build it with.
//
// Node values. Every parse node carries one optional, owned 8-bit string: a
// `std::string*` that is null until an action gives the node text. Each string
// has exactly one owner: a value is freed with its node (FreeValue), and moving a
// child's value up (MoveValue) leaves the child without one. Every routine that
// reads a child treats a null value and an empty string alike: both mean "no
// text". Terminals never get values; text enters values only through literals
// and through the text a node matched (AppendMatchedText).
//
// The routines here know nothing of the parser: the generated actions call them
// with the reducing node's value slot, its children's values and the matched
// text the engine supplies. None of them throws except on allocation failure.

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "normalizer/sorted_table.h"

namespace Veltra::Penwork::Recognizer {

// The record shared by all actions of one parse; the parse's globals.
struct CitationRecord {
    // Before the parse: the prepared input. After the root action: the
    // normalized citation.
    std::string text;
    // Empty until an action sets it; the last action to run wins, so an outer
    // production overrides what an inner one set.
    std::string category;
    // Message text: syntax-error lines are appended, rejecting actions that
    // give a message overwrite it.
    std::string error;
    // Set by an action to discard the parse; the driver then treats the parse
    // exactly like a syntax error.
    bool rejected = false;
};

// ---------------------------------------------------------------------------
// Ownership of node values

// Frees the value (keeping the string for reuse on this thread, or deleting
// it) and leaves the slot null. Safe on a null slot.
void FreeValue(std::string*& value) noexcept;

// Moves the child's value to the node: the node's previous value is freed, the
// node takes the child's string and the child is left null. Moving a slot onto
// itself changes nothing.
void MoveValue(std::string*& node, std::string*& child) noexcept;

// True when the value holds at least one character.
inline bool HasText(const std::string* value) noexcept { return value && !value->empty(); }

// ---------------------------------------------------------------------------
// String routines. Each appends to the destination slot `dest` (the reducing
// node's value), creating it as an empty string when it must write and it is
// null. "space" means: put one blank before the appended text if the
// destination is non-empty at that moment, so nothing ever starts with a blank
// written by a space flag.

// Appends the literal. Always leaves `dest` non-null, even for an empty literal.
void AppendLiteral(std::string*& dest, std::string_view literal, bool space);

// Appends the child's value. A child without text changes nothing at all (a
// null destination stays null), so a missing optional element leaves no double
// blank.
void AppendValue(std::string*& dest, const std::string* child, bool space);

// As AppendValue, without the value's leading "0" characters. A value made only
// of zeros appends nothing, though the blank of the space flag is still written.
void AppendValueTrimZeros(std::string*& dest, const std::string* child, bool space);

// Appends the input text a child matched, without trailing white space. An
// empty (or all-white) match appends nothing and writes no blank.
void AppendMatchedText(std::string*& dest, std::string_view matched, bool space);

// Appends the values of a group's or list's children, in order, skipping those
// without text. Before the first child's value (position 0) a blank is written
// if `spaceBeforeFirst` is set and the destination is non-empty. Before the value
// of any later child a blank is written whenever `spaceBetween` is set, even if
// nothing was appended before it: a group whose first child has no text thus
// leaves a leading blank. The grammar's templates rely on this.
void AppendChildValues(std::string*& dest, const std::string* const* children, std::size_t count,
                       bool spaceBeforeFirst, bool spaceBetween);
// One step of AppendChildValues, for callers that walk the children
// themselves: `position` is the child's index in its group or list.
void AppendChildValue(std::string*& dest, const std::string* child, std::size_t position,
                      bool spaceBeforeFirst, bool spaceBetween);
inline void AppendChildValues(std::string*& dest, std::initializer_list<const std::string*> children,
                              bool spaceBeforeFirst, bool spaceBetween) {
    AppendChildValues(dest, children.begin(), children.size(), spaceBeforeFirst, spaceBetween);
}

// ---------------------------------------------------------------------------
// Post-processing of child values, in place, before they are appended. Each
// does nothing when the value it changes is null.
//
// "Reads as a decimal integer" below means: the value starts with a digit and
// its leading digits are taken, as a stream extraction would; a value that does
// not start with a digit, or whose digits overflow a long, is not read and the
// routine leaves the values alone.

// The reporter names whose public-domain citations carry a year as volume, in
// their fixed order: "maine", "montana", "north dakota", "south dakota",
// "oklahoma criminal", "oklahoma", "pennsylvania superior",
// "connecticut supplement", "utah", "wisconsin", "wyoming".
TableView<std::string_view> UniversalStates() noexcept;
bool IsUniversalState(std::string_view reporterName) noexcept;

// When the reporter name is one of UniversalStates and the volume is a year
// (exactly 4 characters beginning with "18", "19" or "20"), turns the name into
// its public-domain form: "connecticut supplement" becomes
// "connecticut superior universal", any other name gets " universal" appended.
// Otherwise nothing changes (also when either value has no text).
void MarkUniversal(std::string* reporterName, const std::string* volume);

// For directive-style numbers "a/b". Reads both values (either unreadable:
// nothing happens). If 100 <= a < 1900 and (b < 100 or 1901 <= b <= 2499), the
// two values are exchanged. Then, if the first number is below 100, "19" is put
// in front of the first value: 85 becomes 1985, 05 becomes 1905 and 5 becomes
// 195 (the digits are prefixed, not the year computed).
void ExpandDirectiveYear(std::string* first, std::string* second);

// Reads the value; 51 to 99 get "19" in front, 0 to 49 get "20" in front
// (07 becomes 2007, 7 becomes 207); 50 and anything above 99 stay.
void ExpandTwoDigitYear(std::string* value);

// A value of exactly 3 characters whose first character is "0" loses it.
void DropLeadingZero(std::string* value);

// Puts "0" in front until the value is at least 2 characters long.
void PadTwoDigits(std::string* value);

// Keeps only the decimal digits, in order, then drops leading zeros unless the
// digits are all zeros (those stay as they are).
void DigitsOnly(std::string* value);

// A value longer than 7 characters holding at least two "/" is replaced by the
// text after its last "/".
void AfterLastSlash(std::string* value);

// ---------------------------------------------------------------------------
// Record-level actions

// The root action: the normalized citation is the start symbol's value (empty
// when it has none).
void StoreRoot(CitationRecord& record, const std::string* citeValue);

// Names the parse's category; a later call (an outer production) overrides it.
void SetCategory(CitationRecord& record, std::string_view category);

// Discards the parse; with a message, the message replaces the error text.
void Reject(CitationRecord& record) noexcept;
void Reject(CitationRecord& record, std::string_view message);

// A reporter citation must have been typed with a separator: rejects (without
// a message) when the record's text, which still holds the input while the
// actions run, contains no blank, ",", "-" or tab.
void CheckReporterSeparator(CitationRecord& record) noexcept;

// The page of a bracketed "[year] ecr page" citation: rejected with "empty page
// id" when it has no text or only zeros.
void RejectEmptyEcrPage(CitationRecord& record, const std::string* page);

// The number of a page id: rejected with "empty page id" when it is present and
// made only of zeros (an absent number is not refused here).
void RejectZeroPageNumber(CitationRecord& record, const std::string* number);

// A pin page introduced by "p.", "p" or "page": rejected with "Page 0 not
// allowed" when it has no text or only zeros.
void RejectZeroPinPage(CitationRecord& record, const std::string* page);

// The year of a "us year/number" patent application: rejected (error text
// unchanged) unless it is exactly 4 characters long.
void RequireFourDigitYear(CitationRecord& record, const std::string* year);

// A patent number loses the zeros after its letter prefix: what comes before
// the first digit stays, followed by everything from the first later character
// that is not "0" ("d0123" -> "d123", "000123" -> "123"). A number without a
// digit, or with nothing but zeros after its prefix ("0000"), is left alone.
void TrimPatentNumber(std::string* number);

// True when the value has no text or only "0" characters.
bool IsEmptyOrZeros(const std::string* value) noexcept;
// True when the value has text made only of "0" characters.
bool IsAllZeros(const std::string* value) noexcept;

// Appends one syntax-error line to the error text: "<line>:<column> syntax
// error", then " after <text>" when the text of the last node parsed
// successfully is known, then a newline.
void AppendSyntaxErrorLine(CitationRecord& record, unsigned line, unsigned column,
                           std::optional<std::string_view> lastParsedText);

}  // namespace Veltra::Penwork::Recognizer
