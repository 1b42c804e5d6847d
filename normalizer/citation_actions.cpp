#include "normalizer/citation_actions.h"

namespace Veltra::Penwork::Recognizer {
namespace {

std::string* AsString(void* value) noexcept { return static_cast<std::string*>(value); }

// The reducing node's value as the `std::string*&` the string routines append
// to; whatever the routine leaves there is stored back on the node, also when
// it throws.
class NodeSlot {
public:
    explicit NodeSlot(glr::TreeNode& node) noexcept : node_(node), value_(AsString(node.value)) {}
    ~NodeSlot() { node_.value = value_; }
    NodeSlot(const NodeSlot&) = delete;
    NodeSlot& operator=(const NodeSlot&) = delete;
    std::string*& get() noexcept { return value_; }

private:
    glr::TreeNode& node_;
    std::string* value_;
};

std::string* ChildString(const glr::ActionContext& c, unsigned k) noexcept { return AsString(c.child_value(k)); }

CitationRecord& Record(const glr::ActionContext& c) noexcept { return *static_cast<CitationRecord*>(c.globals()); }

}  // namespace

void CitationActions::AppendLiteral(glr::ActionContext& c, std::string_view literal, bool space) {
    NodeSlot dest(c.node());
    Recognizer::AppendLiteral(dest.get(), literal, space);
}

void CitationActions::AppendValue(glr::ActionContext& c, unsigned k, bool space) {
    NodeSlot dest(c.node());
    Recognizer::AppendValue(dest.get(), ChildString(c, k), space);
}

void CitationActions::AppendValueTrimZeros(glr::ActionContext& c, unsigned k, bool space) {
    NodeSlot dest(c.node());
    Recognizer::AppendValueTrimZeros(dest.get(), ChildString(c, k), space);
}

void CitationActions::AppendMatchedText(glr::ActionContext& c, unsigned k, bool space) {
    const std::string_view matched = c.child_text(k);
    if (matched.empty()) return;  // an absent or empty element leaves the value alone
    NodeSlot dest(c.node());
    Recognizer::AppendMatchedText(dest.get(), matched, space);
}

void CitationActions::AppendChildValues(glr::ActionContext& c, unsigned k, bool spaceBeforeFirst,
                                        bool spaceBetween) {
    const glr::TreeNode* list = c.child(k);
    if (!list) return;
    NodeSlot dest(c.node());
    for (unsigned i = 0; i < list->child_count; ++i) {
        Recognizer::AppendChildValue(dest.get(), AsString(list->children[i]->value), i, spaceBeforeFirst,
                                     spaceBetween);
    }
}

void CitationActions::MoveValue(glr::ActionContext& c, unsigned k) {
    glr::TreeNode* child = c.child(k);
    if (!child || child == &c.node()) return;
    NodeSlot dest(c.node());
    NodeSlot source(*child);
    Recognizer::MoveValue(dest.get(), source.get());
}

void CitationActions::DefaultPassUp(glr::ActionContext& c) { MoveValue(c, 0); }

void CitationActions::SetCategory(glr::ActionContext& c, std::string_view category) {
    Recognizer::SetCategory(Record(c), category);
}

void CitationActions::Reject(glr::ActionContext& c) { Recognizer::Reject(Record(c)); }

void CitationActions::Reject(glr::ActionContext& c, std::string_view message) {
    Recognizer::Reject(Record(c), message);
}

void CitationActions::MarkUniversal(glr::ActionContext& c, unsigned reporterName, unsigned volume) {
    Recognizer::MarkUniversal(ChildString(c, reporterName), ChildString(c, volume));
}

void CitationActions::ExpandDirectiveYear(glr::ActionContext& c, unsigned first, unsigned second) {
    Recognizer::ExpandDirectiveYear(ChildString(c, first), ChildString(c, second));
}

void CitationActions::ExpandTwoDigitYear(glr::ActionContext& c, unsigned k) {
    Recognizer::ExpandTwoDigitYear(ChildString(c, k));
}

void CitationActions::DropLeadingZero(glr::ActionContext& c, unsigned k) {
    Recognizer::DropLeadingZero(ChildString(c, k));
}

void CitationActions::PadTwoDigits(glr::ActionContext& c, unsigned k) { Recognizer::PadTwoDigits(ChildString(c, k)); }

void CitationActions::DigitsOnly(glr::ActionContext& c, unsigned k) { Recognizer::DigitsOnly(ChildString(c, k)); }

void CitationActions::AfterLastSlash(glr::ActionContext& c, unsigned k) {
    Recognizer::AfterLastSlash(ChildString(c, k));
}

void CitationActions::StoreRoot(glr::ActionContext& c) { Recognizer::StoreRoot(Record(c), ChildString(c, 0)); }

void CitationActions::CheckReporterSeparator(glr::ActionContext& c) {
    Recognizer::CheckReporterSeparator(Record(c));
}

void CitationActions::RejectEmptyEcrPage(glr::ActionContext& c) {
    Recognizer::RejectEmptyEcrPage(Record(c), ChildString(c, 4));
}

void CitationActions::RejectZeroPageNumber(glr::ActionContext& c) {
    Recognizer::RejectZeroPageNumber(Record(c), ChildString(c, 1));
}

void CitationActions::RejectZeroPinPage(glr::ActionContext& c) {
    Recognizer::RejectZeroPinPage(Record(c), AsString(c.value()));
}

void CitationActions::RequireFourDigitYear(glr::ActionContext& c) {
    Recognizer::RequireFourDigitYear(Record(c), ChildString(c, 1));
}

void CitationActions::TrimPatentNumber(glr::ActionContext& c) { Recognizer::TrimPatentNumber(ChildString(c, 2)); }

void CitationActions::FreeNodeValue(void* value, void* /*user*/) noexcept {
    std::string* slot = AsString(value);
    FreeValue(slot);
}

}  // namespace Veltra::Penwork::Recognizer
