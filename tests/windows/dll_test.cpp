// The DLL as the add-in's host uses it: loaded by name, its factories found by
// their exported names, the objects they make driven through their interfaces.
#include <windows.h>

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <boost/make_shared.hpp>
#include <gtest/gtest.h>

#include "actions/ui_invoke_actions.h"
#include "adaptors/action_adaptor.h"
#include "adaptors/host/recording_host.h"
#include "platform/in_memory_site.h"

using namespace Veltra::Penwork::Recognizer;
using smarttag::host::RecordingLogInfo;
using smarttag::platform::InMemoryPropertyBag;
using smarttag::platform::PropertyEntries;

namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string Demangle(const char* name) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> text(abi::__cxa_demangle(name, nullptr, nullptr, &status), std::free);
    return status == 0 && text ? std::string(text.get()) : std::string(name);
}

class Dll {
public:
    Dll() : module_(LoadLibraryA(SMARTTAG_DLL_NAME)) {}
    ~Dll() {
        if (module_) FreeLibrary(module_);
    }
    Dll(const Dll&) = delete;
    Dll& operator=(const Dll&) = delete;

    HMODULE Module() const { return module_; }

    // The names in the export directory, as the linker wrote them.
    std::vector<std::string> ExportedNames() const {
        const auto* base = reinterpret_cast<const unsigned char*>(module_);
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
        std::vector<std::string> names;
        if (!dir.VirtualAddress) return names;
        const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
        const auto* rvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
        for (DWORD i = 0; i < exports->NumberOfNames; ++i)
            names.emplace_back(reinterpret_cast<const char*>(base + rvas[i]));
        return names;
    }

    // The exported function whose demangled name is `qualified` followed by
    // its parameter list, cast to the type of `Function`.
    template <class Function>
    Function Resolve(const std::string& qualified) const {
        for (const std::string& name : ExportedNames())
            if (Demangle(name.c_str()).rfind(qualified + "(", 0) == 0)
                return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name.c_str())));
        return nullptr;
    }

private:
    HMODULE module_;
};

const char* const kNamespace = "Veltra::Penwork::Recognizer::";

// The C++ and C interfaces of include/smarttag/ and NormalizeCitation are
// exported too.
bool IsInterfaceExport(const std::string& readable) {
    static const char* const kPrefixes[] = {"smarttag_", "smarttag::Normalize(", "smarttag::FindCitations(",
                                            "smarttag::FindSecurities(", "smarttag::VersionString(",
                                            "smarttag::Tagger::", "Veltra::Penwork::Recognizer::NormalizeCitation("};
    for (const char* prefix : kPrefixes)
        if (readable.rfind(prefix, 0) == 0) return true;
    return readable.find("smarttag::InvalidDocument") != std::string::npos;
}

TEST(WindowsDllTest, ExportsTheFactoriesAndTheInterfacesOnly) {
    Dll dll;
    ASSERT_NE(dll.Module(), nullptr) << SMARTTAG_DLL_NAME << " did not load: error " << GetLastError();

    std::vector<std::string> factories;
    for (const std::string& name : dll.ExportedNames()) {
        const std::string readable = Demangle(name.c_str());
        const std::string::size_type paren = readable.find('(');
        const std::string function = readable.substr(0, paren);
        const bool isFactory = function.rfind(kNamespace, 0) == 0 &&
                               (EndsWith(function, "::Ctor") || EndsWith(function, "::Factory"));
        EXPECT_TRUE(isFactory || IsInterfaceExport(readable)) << "unexpected export: " << readable;
        if (isFactory) factories.push_back(function.substr(std::string(kNamespace).size()));
        EXPECT_NE(GetProcAddress(dll.Module(), name.c_str()), nullptr) << readable;
    }
    for (const char* expected :
         {"SmartTag2RecognizerAdaptorImpl::Ctor", "SmartTag2ActionAdaptorImpl::Ctor", "RecognizerCitationImpl::Ctor",
          "RecognizerSecurityImpl::Ctor", "RecognizerTransparencyImpl::Factory", "ActionTerminalCommandImpl::Ctor",
          "ActionUIInvokeJurraCommandImpl::Ctor", "ActionUIInvokeCommandImpl::Ctor",
          "ActionTransparencyCommandImpl::Factory"})
        EXPECT_NE(std::find(factories.begin(), factories.end(), expected), factories.end())
            << expected << " is not exported";
}

// Objects made by the DLL's factories work through their interfaces, and an
// exception thrown inside the DLL is caught there: the action adaptor logs
// it and answers S_FALSE instead of letting it reach the caller.
//
// Host objects that throw (site, logger, settings reader, callbacks) are
// tested through the static library in tests/adaptors and
// tests/adaptors_action. Through the DLL they cannot be: each module carries
// its own copy of the compiler's runtime, and a DWARF unwinder in one module
// does not know the other's frames, so an exception thrown in the test
// program ends it at the DLL's frames instead of reaching the adaptors'
// handlers. Host objects must not throw out of their calls into the DLL.
TEST(WindowsDllTest, FactoriesMakeWorkingObjectsWhoseFailuresStayInside) {
    Dll dll;
    ASSERT_NE(dll.Module(), nullptr);
    const auto makeAction = dll.Resolve<decltype(&ActionUIInvokeJurraCommandImpl::Ctor)>(
        std::string(kNamespace) + "ActionUIInvokeJurraCommandImpl::Ctor");
    const auto makeAdaptor = dll.Resolve<decltype(&SmartTag2ActionAdaptorImpl::Ctor)>(
        std::string(kNamespace) + "SmartTag2ActionAdaptorImpl::Ctor");
    ASSERT_NE(makeAction, nullptr);
    ASSERT_NE(makeAdaptor, nullptr);

    std::vector<std::string> sent;
    auto log = boost::make_shared<RecordingLogInfo>();
    {
        boost::shared_ptr<SmartTag2ActionAdaptorImpl> adaptor = makeAdaptor(
            {makeAction(_bstr_t(OLESTR("Citation")),
                        [&sent](const char* command, unsigned short) {
                            sent.push_back(command);
                            return true;
                        })},
            _bstr_t(OLESTR("urn:test#")), log);
        ASSERT_TRUE(adaptor);

        int types = 0;
        ASSERT_EQ(adaptor->get_SmartTagCount(&types), S_OK);
        ASSERT_EQ(types, 1);
        BSTR name = nullptr;
        ASSERT_EQ(adaptor->get_SmartTagName(1, &name), S_OK);
        const _bstr_t tagName(name, false);
        EXPECT_EQ(tagName, _bstr_t(OLESTR("urn:test#Citation")));
        int verbId = 0;
        ASSERT_EQ(adaptor->get_VerbID(tagName, 1, &verbId), S_OK);

        auto tag = InMemoryPropertyBag::Create(
            PropertyEntries{{_bstr_t(OLESTR("Citation")), _bstr_t(OLESTR("410 us 113"))}});
        EXPECT_EQ(adaptor->InvokeVerb(verbId, _bstr_t(OLESTR("Word")), nullptr, tag.Get(), nullptr, nullptr), S_OK);
        ASSERT_EQ(sent.size(), 1u);
        EXPECT_NE(sent[0].find("410 us 113"), std::string::npos) << sent[0];

        // Without the property the action throws std::invalid_argument.
        auto bare = InMemoryPropertyBag::Create();
        EXPECT_EQ(adaptor->InvokeVerb(verbId, _bstr_t(OLESTR("Word")), nullptr, bare.Get(), nullptr, nullptr),
                  S_FALSE);
    }
    ASSERT_EQ(log->messages.size(), 1u);
    EXPECT_EQ(log->messages[0].rfind("Exception in SmartTag2ActionAdaptorImpl::InvokeVerb: ", 0), 0u)
        << log->messages[0];
    EXPECT_EQ(sent.size(), 1u);
}

}  // namespace
