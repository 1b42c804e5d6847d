#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include "tests/support/platform_facilities.h"

#include "adaptors/action_adaptor.h"
#include "adaptors/host/recording_host.h"
#include "platform/in_memory_site.h"

using namespace Veltra::Penwork::Recognizer;
using namespace smarttag::platform;
using smarttag::host::RecordingLogInfo;
using Veltra::Util::IPC::MessageQueueException;

namespace {

_bstr_t B(const OLECHAR* s) { return _bstr_t(s); }

std::string Utf8(const _bstr_t& s) { return WideToUtf8(static_cast<const OLECHAR*>(s), s.length()); }

// An action with fixed types and verbs that records what it is asked.
class ScriptedAction : public IActionImpl {
public:
    TagTypeList types;
    VerbList verbs;
    std::vector<_bstr_t> verbRequests;  // type names GetVerbs was asked for
    struct Invocation {
        _bstr_t verb;
        TagPropertyMap properties;
    };
    std::vector<Invocation> invocations;
    std::function<void()> throwInTypes, throwInVerbs, throwInInvoke;

    void GetTagTypes(TagTypeList& list) override {
        if (throwInTypes) throwInTypes();
        list.insert(list.end(), types.begin(), types.end());
    }
    void GetVerbs(const _bstr_t& typeName, VerbList& list) override {
        verbRequests.push_back(typeName);
        if (throwInVerbs) throwInVerbs();
        list.insert(list.end(), verbs.begin(), verbs.end());
    }
    void Invoke(const _bstr_t& verbName, const TagPropertyMap& properties) override {
        invocations.push_back({verbName, properties});
        if (throwInInvoke) throwInInvoke();
    }
};

// Types named T1, T2 ... captioned "Caption T1" ...; verbs V1 ... captioned
// "Verb caption V1" ...
boost::shared_ptr<ScriptedAction> Action(std::vector<std::string> typeNames, std::vector<std::string> verbNames = {}) {
    auto action = boost::make_shared<ScriptedAction>();
    for (const auto& t : typeNames) action->types.emplace_back(t.c_str(), ("Caption " + t).c_str());
    for (const auto& v : verbNames) action->verbs.emplace_back(v.c_str(), ("Verb caption " + v).c_str());
    return action;
}

class ActionAdaptorTest : public ::testing::Test {
protected:
    boost::shared_ptr<SmartTag2ActionAdaptorImpl> Make(std::vector<boost::shared_ptr<IActionImpl>> actions) {
        return SmartTag2ActionAdaptorImpl::Ctor(std::move(actions), B(OLESTR("urn:p#")), log);
    }
    // Calls get_SmartTagName, checks its result and returns the name.
    std::string Name(ISmartTagActionImpl& adaptor, int id, HRESULT expect = S_OK) {
        BSTR name = nullptr;
        EXPECT_EQ(adaptor.get_SmartTagName(id, &name), expect) << "id " << id;
        return Utf8(_bstr_t(name, false));
    }
    std::string Caption(ISmartTagActionImpl& adaptor, int id, HRESULT expect = S_OK) {
        BSTR caption = nullptr;
        EXPECT_EQ(adaptor.get_SmartTagCaption(id, 1033, &caption), expect) << "id " << id;
        return Utf8(_bstr_t(caption, false));
    }
    int VerbCount(ISmartTagActionImpl& adaptor, const OLECHAR* name, HRESULT expect = S_OK) {
        int count = -1;
        EXPECT_EQ(adaptor.get_VerbCount(_bstr_t(name), &count), expect);
        return count;
    }
    int VerbId(ISmartTagActionImpl& adaptor, const OLECHAR* name, int index, HRESULT expect = S_OK) {
        int id = -1;
        EXPECT_EQ(adaptor.get_VerbID(_bstr_t(name), index, &id), expect) << "index " << index;
        return id;
    }
    std::string VerbName(ISmartTagActionImpl& adaptor, int verbId, HRESULT expect = S_OK) {
        BSTR name = reinterpret_cast<BSTR>(1);
        EXPECT_EQ(adaptor.get_VerbNameFromID(verbId, &name), expect) << "verb " << verbId;
        if (expect != S_OK) {
            EXPECT_EQ(name, nullptr) << "the out-pointer is cleared on failure";
        }
        return Utf8(_bstr_t(expect == S_OK ? name : nullptr, false));
    }
    HRESULT Invoke(ISmartTagActionImpl& adaptor, int verbId, ISmartTagProperties* bag) {
        return adaptor.InvokeVerb(verbId, _bstr_t(OLESTR("Word")), nullptr, bag, _bstr_t(OLESTR("text")), _bstr_t(OLESTR("<xml/>")));
    }

    void TearDown() override {
        EXPECT_EQ(GetComCounters().live, comBefore.live) << "an Office object was not released";
        EXPECT_EQ(GetBstrCounters().live(), stringsBefore) << "a string was leaked or freed twice";
    }

    ComCounters comBefore = GetComCounters();
    long stringsBefore = GetBstrCounters().live();
    boost::shared_ptr<RecordingLogInfo> log = boost::make_shared<RecordingLogInfo>();
};

TEST_F(ActionAdaptorTest, IdentityAndFixedAnswers) {
    auto adaptor = Make({});
    BSTR text = nullptr;
    ASSERT_EQ(adaptor->get_ProgId(&text), S_OK);
    EXPECT_EQ(_bstr_t(text, false), B(OLESTR("Veltra.STAction")));
    ASSERT_EQ(adaptor->get_Name(1033, &text), S_OK);
    EXPECT_EQ(_bstr_t(text, false), B(OLESTR("Veltra Office SmartTag Action")));
    ASSERT_EQ(adaptor->get_Desc(1036, &text), S_OK);
    EXPECT_EQ(_bstr_t(text, false), B(OLESTR("Veltra Office SmartTag Action")));

    VARIANT_BOOL flag = 7;
    EXPECT_EQ(adaptor->get_IsCaptionDynamic(0, nullptr, 0, &flag), S_OK);
    EXPECT_EQ(flag, VARIANT_FALSE);
    EXPECT_EQ(adaptor->get_ShowSmartTagIndicator(0, nullptr, 0, &flag), S_OK);
    EXPECT_EQ(flag, VARIANT_TRUE);
    EXPECT_EQ(adaptor->get_IsCaptionDynamic(0, nullptr, 0, nullptr), E_POINTER);
    EXPECT_EQ(adaptor->get_ShowSmartTagIndicator(0, nullptr, 0, nullptr), E_POINTER);
    EXPECT_EQ(adaptor->SmartTagInitialize(nullptr), S_OK);
}

TEST_F(ActionAdaptorTest, WithoutActions) {
    auto adaptor = Make({});
    int count = -1;
    EXPECT_EQ(adaptor->get_SmartTagCount(&count), S_OK);
    EXPECT_EQ(count, 0);
    Name(*adaptor, 1, ERROR_INVALID_INDEX);
    Caption(*adaptor, 1, ERROR_INVALID_INDEX);
    EXPECT_EQ(VerbCount(*adaptor, OLESTR("urn:p#X")), 0);
    VerbId(*adaptor, OLESTR("urn:p#X"), 1, ERROR_INVALID_NAME);
    EXPECT_EQ(adaptor->get_SmartTagCount(nullptr), E_POINTER);
    EXPECT_EQ(adaptor->get_VerbCount(nullptr, nullptr), E_POINTER);
    EXPECT_EQ(adaptor->get_VerbID(nullptr, 1, nullptr), E_POINTER);
}

TEST_F(ActionAdaptorTest, TagTypesAreNumberedAcrossActions) {
    auto first = Action({"A"}, {"V"});
    auto second = Action({"B", "C"}, {"W"});
    auto adaptor = Make({first, Action({}), second});

    int count = 0;
    EXPECT_EQ(adaptor->get_SmartTagCount(&count), S_OK);
    EXPECT_EQ(count, 3);
    EXPECT_EQ(Name(*adaptor, 2), "urn:p#B");
    EXPECT_EQ(Name(*adaptor, 3), "urn:p#C");
    EXPECT_EQ(Caption(*adaptor, 2), "Caption B") << "captions carry no prefix";
    for (int bad : {0, -1, 4}) {
        Name(*adaptor, bad, ERROR_INVALID_INDEX);
        Caption(*adaptor, bad, ERROR_INVALID_INDEX);
    }

    // Only naming a type records its action; a caption request does not.
    auto fresh = Make({first, second});
    Caption(*fresh, 1);
    EXPECT_EQ(VerbCount(*fresh, OLESTR("urn:p#A")), 0);
    EXPECT_TRUE(first->verbRequests.empty()) << "an unnamed type asks no action";
    Name(*fresh, 1);
    EXPECT_EQ(VerbCount(*fresh, OLESTR("urn:p#A")), 1);
    ASSERT_EQ(first->verbRequests.size(), 1u);
    EXPECT_EQ(first->verbRequests[0], B(OLESTR("A"))) << "the action is given the bare type name";
    EXPECT_EQ(VerbCount(*fresh, OLESTR("urn:p#B")), 0) << "B was never named by this adaptor";
    EXPECT_TRUE(second->verbRequests.empty());
}

TEST_F(ActionAdaptorTest, VerbsAreNumberedInFirstRequestOrderAndKept) {
    auto first = Action({"A"}, {"a1", "a2", "a3"});
    auto second = Action({"B"}, {"b1", "b2"});
    auto adaptor = Make({first, second});
    Name(*adaptor, 1);
    Name(*adaptor, 2);

    EXPECT_EQ(VerbCount(*adaptor, OLESTR("urn:p#A")), 3);
    EXPECT_EQ(VerbCount(*adaptor, OLESTR("urn:p#B")), 2);
    EXPECT_EQ(VerbId(*adaptor, OLESTR("urn:p#A"), 1), 0);
    EXPECT_EQ(VerbId(*adaptor, OLESTR("urn:p#A"), 3), 2);
    EXPECT_EQ(VerbId(*adaptor, OLESTR("urn:p#B"), 1), 3);
    EXPECT_EQ(VerbId(*adaptor, OLESTR("urn:p#B"), 2), 4);
    for (int bad : {0, -1, 3}) VerbId(*adaptor, OLESTR("urn:p#B"), bad, ERROR_INVALID_INDEX);

    // Asking again neither asks the action again nor grows the tables, and
    // renaming the type does not renumber it.
    Name(*adaptor, 2);
    EXPECT_EQ(VerbCount(*adaptor, OLESTR("urn:p#B")), 2);
    EXPECT_EQ(VerbCount(*adaptor, OLESTR("urn:p#A")), 3);
    EXPECT_EQ(first->verbRequests.size(), 1u);
    EXPECT_EQ(second->verbRequests.size(), 1u);
    EXPECT_EQ(VerbName(*adaptor, 4), "b2");
    VerbName(*adaptor, 5, ERROR_INVALID_INDEX);
    VerbName(*adaptor, -1, ERROR_INVALID_INDEX);

    BSTR caption = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(adaptor->get_VerbCaptionFromID(3, nullptr, 0, &caption), S_OK);
    EXPECT_EQ(_bstr_t(caption, false), B(OLESTR("Verb caption b1")));
    caption = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(adaptor->get_VerbCaptionFromID(5, nullptr, 0, &caption), ERROR_INVALID_INDEX);
    EXPECT_EQ(caption, nullptr);
    EXPECT_EQ(adaptor->get_VerbCaptionFromID2(0, nullptr, 0, nullptr, nullptr, nullptr, nullptr, &caption), S_OK);
    EXPECT_EQ(_bstr_t(caption, false), B(OLESTR("Verb caption a1")));
    EXPECT_EQ(adaptor->get_VerbCaptionFromID(0, nullptr, 0, nullptr), E_POINTER);
    EXPECT_EQ(adaptor->get_VerbNameFromID(0, nullptr), E_POINTER);
}

TEST_F(ActionAdaptorTest, VerbIdCountsFirstWhenNeeded) {
    auto action = Action({"A"}, {"a1", "a2"});
    auto empty = Action({"E"});
    auto adaptor = Make({action, empty});
    Name(*adaptor, 1);
    Name(*adaptor, 2);

    EXPECT_EQ(VerbId(*adaptor, OLESTR("urn:p#A"), 2), 1);
    EXPECT_EQ(action->verbRequests.size(), 1u);
    VerbId(*adaptor, OLESTR("urn:p#Other"), 1, ERROR_INVALID_NAME);
    // A type with no verbs keeps its empty range: every index is out of it.
    VerbId(*adaptor, OLESTR("urn:p#E"), 1, ERROR_INVALID_INDEX);
    EXPECT_EQ(VerbCount(*adaptor, OLESTR("urn:p#E")), 0);
    EXPECT_EQ(empty->verbRequests.size(), 1u);
}

TEST_F(ActionAdaptorTest, NullVerbTextsStayNull) {
    auto action = boost::make_shared<ScriptedAction>();
    action->types.emplace_back(B(OLESTR("A")), B(OLESTR("A")));
    action->verbs.emplace_back(_bstr_t(), _bstr_t());
    auto adaptor = Make({action});
    Name(*adaptor, 1);
    ASSERT_EQ(VerbCount(*adaptor, OLESTR("urn:p#A")), 1);
    BSTR text = reinterpret_cast<BSTR>(1);
    EXPECT_EQ(adaptor->get_VerbCaptionFromID(0, nullptr, 0, &text), S_OK);
    EXPECT_EQ(text, nullptr);
}

TEST_F(ActionAdaptorTest, InvokeVerbHandsTheActionTheVerbNameAndAllProperties) {
    auto first = Action({"A"}, {"a1"});
    auto second = Action({"B"}, {"b1", "b2"});
    auto adaptor = Make({first, second});
    Name(*adaptor, 1);
    Name(*adaptor, 2);
    VerbCount(*adaptor, OLESTR("urn:p#A"));
    VerbCount(*adaptor, OLESTR("urn:p#B"));

    // A repeated key keeps its last value.
    auto bag = InMemoryPropertyBag::Create({{B(OLESTR("Security")), B(OLESTR("IBM US Equity"))},
                                            {B(OLESTR("MarketSector")), B(OLESTR("Equity"))},
                                            {B(OLESTR("Security")), B(OLESTR("MSFT US Equity"))}});
    EXPECT_EQ(Invoke(*adaptor, 2, bag.Get()), S_OK);
    EXPECT_TRUE(first->invocations.empty());
    ASSERT_EQ(second->invocations.size(), 1u);
    EXPECT_EQ(second->invocations[0].verb, B(OLESTR("b2"))) << "the name, not the caption";
    EXPECT_EQ(second->invocations[0].properties,
              (TagPropertyMap{{B(OLESTR("MarketSector")), B(OLESTR("Equity"))}, {B(OLESTR("Security")), B(OLESTR("MSFT US Equity"))}}));

    EXPECT_EQ(adaptor->InvokeVerb2(0, nullptr, nullptr, bag.Get(), nullptr, nullptr, 1033), S_OK);
    ASSERT_EQ(first->invocations.size(), 1u);
    EXPECT_EQ(first->invocations[0].verb, B(OLESTR("a1")));

    for (int never : {3, -1}) EXPECT_EQ(Invoke(*adaptor, never, bag.Get()), ERROR_INVALID_INDEX);
    EXPECT_EQ(Invoke(*adaptor, 0, nullptr), E_POINTER);
    EXPECT_EQ(first->invocations.size() + second->invocations.size(), 2u);
    EXPECT_EQ(bag->RefCount(), 1u) << "the adaptor keeps no reference to the bag";
}

TEST_F(ActionAdaptorTest, PropertyBagFailuresPassThroughWithoutLeaks) {
    auto action = Action({"A"}, {"a1"});
    auto adaptor = Make({action});
    Name(*adaptor, 1);
    VerbCount(*adaptor, OLESTR("urn:p#A"));

    const InMemoryPropertyBag::Operation calls[] = {InMemoryPropertyBag::kCount, InMemoryPropertyBag::kKeyFromIndex,
                                                    InMemoryPropertyBag::kValueFromIndex};
    const HRESULT failure = HRESULT(0x80070008u);
    for (auto op : calls) {
        SCOPED_TRACE(int(op));
        auto bag = InMemoryPropertyBag::Create({{B(OLESTR("Security")), B(OLESTR("X"))}, {B(OLESTR("MarketSector")), B(OLESTR("Y"))}});
        bag->FailWith(op, failure);
        EXPECT_EQ(Invoke(*adaptor, 0, bag.Get()), failure);
        // S_FALSE is no failure, yet it is not S_OK either: it stops too.
        bag = InMemoryPropertyBag::Create({{B(OLESTR("Security")), B(OLESTR("X"))}});
        bag->FailWith(op, S_FALSE);
        EXPECT_EQ(Invoke(*adaptor, 0, bag.Get()), S_FALSE);
    }
    EXPECT_TRUE(action->invocations.empty());
    EXPECT_TRUE(log->messages.empty());
    // TearDown checks that the key fetched before a failing value was freed.
}

// One row of the failure table: what is thrown, and the line expected.
struct FailureCase {
    const char* label;
    std::function<void()> thrower;
    std::string logged;  // the what() text; empty for the unknown form
};

std::vector<FailureCase> FailureCases() {
    return {{"std", [] { throw std::runtime_error("boom"); }, "boom"},
            {"other", [] { throw 7; }, ""},
            {"com", [] { throw _com_error(E_OUTOFMEMORY); }, ""}};
}

std::string Expected(const char* operation, const FailureCase& c) {
    const std::string where = std::string("SmartTag2ActionAdaptorImpl::") + operation;
    return c.logged.empty() ? "Unknown exception in " + where : "Exception in " + where + ": " + c.logged;
}

TEST_F(ActionAdaptorTest, FailuresInActionsAreLoggedAndGiveSFalse) {
    for (const FailureCase& c : FailureCases()) {
        SCOPED_TRACE(c.label);
        log->messages.clear();
        auto good = Action({"A", "B"}, {"a1"});
        auto failing = Action({"X"}, {"x1"});
        auto adaptor = Make({good, failing});
        Name(*adaptor, 3);

        failing->throwInVerbs = c.thrower;
        int count = -1;
        EXPECT_EQ(adaptor->get_VerbCount(_bstr_t(OLESTR("urn:p#X")), &count), S_FALSE);
        EXPECT_EQ(count, -1) << "the count is not written";
        VerbId(*adaptor, OLESTR("urn:p#X"), 1, ERROR_INVALID_NAME);  // its counting fails again, logged by get_VerbCount
        failing->throwInVerbs = nullptr;
        EXPECT_EQ(VerbCount(*adaptor, OLESTR("urn:p#X")), 1) << "a failed count is not remembered";

        failing->throwInInvoke = c.thrower;
        auto bag = InMemoryPropertyBag::Create();
        EXPECT_EQ(Invoke(*adaptor, 0, bag.Get()), S_FALSE);

        failing->throwInTypes = c.thrower;
        count = -1;
        EXPECT_EQ(adaptor->get_SmartTagCount(&count), S_FALSE);
        EXPECT_EQ(count, 2) << "the sum reached before the failure stays";
        Name(*adaptor, 3, S_FALSE);
        Caption(*adaptor, 3, S_FALSE);
        Name(*adaptor, 2);  // types before the failing action still answer

        EXPECT_EQ(log->messages,
                  (std::vector<std::string>{Expected("get_VerbCount", c), Expected("get_VerbCount", c),
                                            Expected("InvokeVerb", c), Expected("get_SmartTagCount", c),
                                            Expected("get_SmartTagName", c), Expected("get_SmartTagCaption", c)}));
    }
}

TEST_F(ActionAdaptorTest, OutOfMemoryInsideVerbIdIsAnUnknownException) {
    SMARTTAG_REQUIRE_ALLOCATION_COUNTERS();
    auto adaptor = Make({Action({"A"}, {"a1"})});
    Name(*adaptor, 1);
    _bstr_t name(OLESTR("urn:p#A"));
    int id = -1;
    {
        ScopedBstrAllocationFailure noStrings;
        EXPECT_EQ(adaptor->get_VerbID(name, 1, &id), S_FALSE);
    }
    EXPECT_EQ(log->messages, std::vector<std::string>{"Unknown exception in SmartTag2ActionAdaptorImpl::get_VerbID"});
    EXPECT_EQ(adaptor->get_VerbID(name, 1, &id), S_OK);
}

TEST_F(ActionAdaptorTest, ALoggerThatThrowsDoesNotEscape) {
    auto failing = Action({"X"});
    failing->throwInTypes = [] { throw std::runtime_error("boom"); };
    log->thrower = [] { throw std::logic_error("log full"); };
    auto adaptor = Make({failing});
    int count = 0;
    EXPECT_EQ(adaptor->get_SmartTagCount(&count), S_FALSE);
    EXPECT_EQ(log->messages.size(), 1u);
}

TEST_F(ActionAdaptorTest, MessageQueueFailureTurnsVerbCountingOffForGood) {
    auto reachable = Action({"A"}, {"a1", "a2"});
    auto terminal = Action({"B", "C"}, {"b1"});
    auto adaptor = Make({reachable, terminal});
    for (int id : {1, 2, 3}) Name(*adaptor, id);
    EXPECT_EQ(VerbCount(*adaptor, OLESTR("urn:p#A")), 2);

    terminal->throwInVerbs = [] { throw MessageQueueException("queue unreachable"); };
    int count = -1;
    EXPECT_EQ(adaptor->get_VerbCount(_bstr_t(OLESTR("urn:p#B")), &count), S_FALSE);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(log->messages,
              (std::vector<std::string>{"MessageQueueException in SmartTag2ActionAdaptorImpl::get_VerbCount: "
                                        "queue unreachable",
                                        "Please check the firewall configuration."}));

    // From now on counting is refused at once, even where the terminal would answer.
    terminal->throwInVerbs = nullptr;
    const auto asked = terminal->verbRequests.size();
    EXPECT_EQ(VerbCount(*adaptor, OLESTR("urn:p#C"), E_FAIL), -1);
    EXPECT_EQ(VerbCount(*adaptor, OLESTR("urn:p#A"), E_FAIL), -1);
    VerbId(*adaptor, OLESTR("urn:p#C"), 1, ERROR_INVALID_NAME);
    EXPECT_EQ(terminal->verbRequests.size(), asked);

    // What was numbered before still works.
    EXPECT_EQ(VerbId(*adaptor, OLESTR("urn:p#A"), 2), 1);
    EXPECT_EQ(VerbName(*adaptor, 1), "a2");
    auto bag = InMemoryPropertyBag::Create();
    EXPECT_EQ(Invoke(*adaptor, 1, bag.Get()), S_OK);
    ASSERT_EQ(reachable->invocations.size(), 1u);
    EXPECT_EQ(log->messages.size(), 2u);
}

}  // namespace
