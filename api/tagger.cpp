// The C++ interface over the add-in's own objects.
//
// A Tagger holds the recognizer adaptor, built the way the add-in's host
// builds it: the citation, security and transparency recognizers handed to
// the adaptor factory, the last two from their exported factories, the
// citation recognizer as its factory builds it but with its normalizer's
// answers noted (see NotingCitationRecognizer). Each paragraph of a
// document goes to Recognize2 with a fresh in-memory recognizer site, as
// smarttag-host does, and what the site received is turned into results with
// document offsets. The only things added are the citation's category, which
// the tag does not carry (the plain normalizer's category of the matched
// candidate, taken from what the recognizer's normalizer noted when that is
// the same, else from normalizing the candidate once more), and the split of
// the canonical form.
//
// The adaptor catches whatever fails inside it, logs it and carries on, as
// Office needs; Office then simply gets fewer tags. Here such a failure must
// not pass for a shorter answer: the adaptor's logger notes it for the call in
// progress on its thread, and the call throws instead.
#include "smarttag/smarttag.h"

#include <algorithm>
#include <mutex>
#include <utility>

#include <boost/make_shared.hpp>

#include "adaptors/recognizer_adaptor.h"
#include "api/catalogue.h"
#include "api/document.h"
#include "api/wiring.h"
#include "normalizer/normalize_citation.h"
#include "platform/codepage.h"
#include "platform/in_memory_site.h"

namespace smarttag {

namespace {

using namespace Veltra::Penwork::Recognizer;
using smarttag::platform::OleString;

std::string Utf8(const _bstr_t& text) {
    const OLECHAR* units = text;
    const std::size_t n = text.length();
    if (std::all_of(units, units + n, [](OLECHAR u) { return u < 0x80; })) return std::string(units, units + n);
    return smarttag::platform::WideToUtf8(units, n);
}

// Whether `text` is the ASCII text `ascii`.
bool IsAscii(const _bstr_t& text, std::string_view ascii) {
    const OLECHAR* units = text;
    return text.length() == ascii.size() &&
           std::equal(ascii.begin(), ascii.end(), units, [](char c, OLECHAR u) { return OLECHAR(c) == u; });
}

// The candidates the citation recognizer's normalizer accepted during one
// Recognize2 call, in order: what it was given, what it gave back and the
// category. The entries' strings are kept from call to call and overwritten.
struct NormalizationLog {
    struct Entry {
        std::string input, canonical, category;
    };
    std::vector<Entry> entries;
    std::size_t used = 0;  // entries of the call in progress
    std::size_t next = 0;  // where the search for the next commit's entry starts

    void Clear() { used = next = 0; }
    // The entry of the accepted candidate `units` (the code units of a
    // commit, as the recognizer converted them to 8-bit text): the first
    // one from `next` on with that input. Commits come in the order of their
    // candidates, so each search goes on from the last one found.
    const Entry* Find(const OLECHAR* units, std::size_t n, std::string& scratch) {
        bool ascii = true;
        for (std::size_t i = 0; i < n && ascii; ++i) ascii = units[i] < 0x80;
        if (!ascii) scratch = smarttag::platform::WideToAnsi(units, n);
        for (std::size_t k = next; k < used; ++k) {
            const std::string& input = entries[k].input;
            const bool same = ascii ? input.size() == n && std::equal(input.begin(), input.end(), units,
                                                                      [](char c, OLECHAR u) { return OLECHAR(c) == u; })
                                    : input == scratch;
            if (same) {
                next = k + 1;
                return &entries[k];
            }
        }
        return nullptr;
    }
};

// What the adaptor logged during the Recognize2 call in progress on this
// thread, and where the citation recognizer's normalizations go during it
// (plain pointers: thread-local objects with destructors are not safe
// everywhere the library runs).
struct CallFailure {
    bool failed = false;
    std::string line;
    NormalizationLog* normalizations = nullptr;
};
thread_local CallFailure* callInProgress = nullptr;

// The citation recognizer exactly as its exported factory builds it for
// `catalogue` (null: the plain one), except that the candidates it accepts
// are also noted in the log of the call in progress, if it keeps one: the
// category the tag does not carry need not be found by normalizing the
// candidate a second time.
boost::shared_ptr<RecognizerCitationImpl> NotingCitationRecognizer(
    std::shared_ptr<const ReporterCatalogue> catalogue) {
    const _bstr_t type(OLESTR("Citation"));
    return RecognizerCitationImpl::WithNormalizer(
        type,
        [catalogue](std::string& citation, std::string& category) {
            NormalizationLog* log = callInProgress ? callInProgress->normalizations : nullptr;
            if (!log) return catalogue ? NormalizeCitation(citation, category, *catalogue)
                                       : NormalizeCitation(citation, category);
            if (log->used == log->entries.size()) log->entries.emplace_back();
            NormalizationLog::Entry& entry = log->entries[log->used];
            entry.input = citation;
            const bool ok = catalogue ? NormalizeCitation(citation, category, *catalogue)
                                      : NormalizeCitation(citation, category);
            if (ok) {
                entry.canonical = citation;
                entry.category = category;
                ++log->used;
            }
            return ok;
        },
        catalogue);
}

class FailureLog : public Veltra::Util::Log::ILogInfoImpl {
public:
    bool Log(const std::string& line) override {
        if (callInProgress && !callInProgress->failed) {
            callInProgress->failed = true;
            callInProgress->line = line;  // may run out of memory; the adaptor catches that
        }
        return true;
    }
};

// Out of memory in a _bstr_t (a _com_error) becomes std::bad_alloc, as the
// interface promises.
template <class Body>
auto Translated(Body body) {
    try {
        return body();
    } catch (const _com_error& e) {
        if (e.Error() == E_OUTOFMEMORY) throw std::bad_alloc();
        throw std::runtime_error(std::string("COM error: ") + e.ErrorMessage());
    }
}

void CheckUtf8(const std::string& text, const char* what) {
    if (api::FirstInvalidUtf8(text) != std::string::npos || text.find('\0') != std::string::npos)
        throw std::invalid_argument(std::string(what) + " is not UTF-8 text");
}

}  // namespace

struct Tagger::Impl {
    Options options;
    std::shared_ptr<const ReporterCatalogue> catalogue;  // null: the built-in catalogue alone
    boost::shared_ptr<SmartTag2RecognizerAdaptorImpl> adaptor;
};

Tagger::Tagger(Options options) {
    for (const std::string& sector : options.sectors) {
        CheckUtf8(sector, "a market-sector word");
        if (sector.empty() || sector.find_first_of(" \t\r\n\f\v") != std::string::npos)
            throw std::invalid_argument("market-sector word '" + sector + "' is empty or holds white space");
    }
    CheckUtf8(options.prefix, "the tag-name prefix");
    auto impl = std::make_shared<Impl>();
    Translated([&] {
        try {
            if (options.catalogue != "none")
                impl->catalogue = std::make_shared<const ReporterCatalogue>(
                    CatalogueRows(api::CatalogueUpdateFor(options.catalogue)));
        } catch (const CatalogueUpdateError& e) {
            throw std::invalid_argument(std::string("catalogue update: ") + e.what());
        }
        const boost::shared_ptr<RecognizerCitationImpl> citation = NotingCitationRecognizer(impl->catalogue);
        impl->adaptor = SmartTag2RecognizerAdaptorImpl::Ctor(
            api::StandardRecognizers(options.sectors, citation), api::WideText(options.prefix),
            boost::make_shared<api::AlwaysEnabled>(), boost::make_shared<FailureLog>());
        CallFailure failure;
        callInProgress = &failure;
        const HRESULT hr = impl->adaptor->SmartTagInitialize(nullptr);
        callInProgress = nullptr;
        if (hr != S_OK) throw std::runtime_error("the recognizers could not start: " + failure.line);
    });
    impl->options = std::move(options);
    this->impl = std::move(impl);
}

Tagger::~Tagger() = default;
Tagger::Tagger(const Tagger&) = default;
Tagger& Tagger::operator=(const Tagger&) = default;

const Options& Tagger::options() const { return impl->options; }

namespace {

// Runs the adaptor over each paragraph of `document` and hands `take` each
// committed tag, its place and the code units of the paragraph it covers.
// The paragraph's buffers are reused from one paragraph to the next, and the
// places of a paragraph's tags are found in one walk over it.
// `normalizations`, when given, notes the citation recognizer's accepted
// candidates of the paragraph in progress.
template <class Take>
void Walk(ISmartTagRecognizer2Impl& recognizer, std::string_view document, Take take,
          NormalizationLog* normalizations = nullptr) {
    if (document.size() > kMaxDocumentBytes)
        throw std::length_error("document of " + std::to_string(document.size()) + " bytes is longer than the " +
                                std::to_string(kMaxDocumentBytes) + " bytes accepted");
    const std::string problem = api::DocumentProblem(document);
    if (!problem.empty()) throw InvalidDocument(problem);

    Translated([&] {
        const _bstr_t application(OLESTR("smarttag"));
        api::ParagraphCutter cutter(document);
        api::Paragraph paragraph;
        while (cutter.Next(paragraph)) {
            auto site = smarttag::platform::InMemoryRecognizerSite::Create();
            // The paragraph's length is known (and it holds no NUL): no need
            // to measure it again.
            const BSTR copy = SysAllocStringLen(paragraph.text.data(), UINT(paragraph.text.size()));
            if (!copy) throw std::bad_alloc();
            const _bstr_t text(copy, false);
            CallFailure failure;
            if (normalizations) normalizations->Clear();
            failure.normalizations = normalizations;
            callInProgress = &failure;
            const HRESULT hr = recognizer.Recognize2(text, IF_TYPE_PARA, 1033, site.Get(), application, nullptr);
            callInProgress = nullptr;
            if (failure.failed || hr != S_OK) {
                if (failure.line.empty() || failure.line.find("bad_alloc") != std::string::npos) throw std::bad_alloc();
                throw std::runtime_error("paragraph " + std::to_string(paragraph.number) + ": " + failure.line);
            }
            api::ParagraphMap map(document, paragraph);
            for (const auto& commit : site->Commits()) {
                const api::UnitRange units = api::ClampReported(commit.start, commit.length, paragraph.text.size());
                const api::DocumentSpan place = map.Map(units.start, units.length);
                const Span span{place.byteStart, place.byteLength, place.charStart, place.charLength,
                                paragraph.number,  commit.start,     commit.length};
                take(commit, span, paragraph.text.data() + units.start, units.length);
            }
        }
    });
}

// The tag's type: its name without the prefix.
std::string TypeOf(std::string name, const std::string& prefix) {
    if (name.compare(0, prefix.size(), prefix) == 0) name.erase(0, prefix.size());
    return name;
}

// The value of the first property named `key` (ASCII), or empty.
std::string PropertyOf(const smarttag::platform::PropertyEntries& properties, std::string_view key) {
    for (const auto& property : properties)
        if (IsAscii(property.first, key)) return Utf8(property.second);
    return std::string();
}

}  // namespace

std::vector<Tag> Tagger::Find(std::string_view document) const {
    std::vector<Tag> tags;
    const std::string& prefix = impl->options.prefix;
    Walk(*impl->adaptor, document,
         [&](const smarttag::platform::CommittedTag& commit, const Span& span, const OLECHAR*, std::size_t) {
             Tag& tag = tags.emplace_back();
             tag.name = Utf8(commit.name);
             tag.type = TypeOf(tag.name, prefix);
             tag.span = span;
             tag.matchedText.assign(document, span.byteStart, span.byteLength);
             tag.properties.reserve(commit.properties.size());
             for (const auto& property : commit.properties)
                 tag.properties.push_back({Utf8(property.first), Utf8(property.second)});
         });
    return tags;
}

std::vector<Citation> Tagger::FindCitations(std::string_view document) const {
    std::vector<Citation> citations;
    const std::string& prefix = impl->options.prefix;
    const ReporterCatalogue* catalogue = impl->catalogue.get();
    NormalizationLog normalizations;
    std::string candidate;
    Walk(
        *impl->adaptor, document,
        [&](const smarttag::platform::CommittedTag& commit, const Span& span, const OLECHAR* units, std::size_t n) {
            if (TypeOf(Utf8(commit.name), prefix) != "Citation") return;
            Citation& citation = citations.emplace_back();
            citation.canonical = PropertyOf(commit.properties, "Citation");
            // The category, which the tag does not carry, is the one the plain
            // normalizer gives the candidate. The catalogue update only
            // decides the category the grammar leaves unnamed: that one is
            // the update's category of the reporter name. So the recognizer's
            // own normalizer gave the candidate the plain category too when
            // it gave another than the update's for the name (the grammar
            // named it) or when the update classifies the name as the
            // built-in catalogue does; else the candidate is normalized once
            // more.
            const NormalizationLog::Entry* noted = normalizations.Find(units, n, candidate);
            bool same = noted != nullptr;
            if (same && catalogue) {
                const std::string_view updated = ClassifyByReporterName(noted->canonical, *catalogue);
                same = noted->category != updated || ClassifyByReporterName(noted->canonical) == updated;
            }
            if (same) {
                citation.category = noted->category;
            } else {
                candidate = smarttag::platform::WideToAnsi(units, n);
                NormalizeCitation(candidate, citation.category);
            }
            const std::string& canonical = citation.canonical;
            const std::size_t first = canonical.find(' '), last = canonical.rfind(' ');
            if (first != std::string::npos && last > first && canonical[0] >= '0' && canonical[0] <= '9') {
                citation.volume.assign(canonical, 0, first);
                citation.reporter.assign(canonical, first + 1, last - first - 1);
                citation.page.assign(canonical, last + 1);
            }
            citation.matchedText.assign(document, span.byteStart, span.byteLength);
            citation.span = span;
        },
        &normalizations);
    return citations;
}

std::vector<Security> Tagger::FindSecurities(std::string_view document) const {
    std::vector<Security> securities;
    Walk(*impl->adaptor, document,
         [&](const smarttag::platform::CommittedTag& commit, const Span& span, const OLECHAR*, std::size_t) {
             std::string sector = PropertyOf(commit.properties, "MarketSector");
             if (sector.empty()) return;
             securities.push_back({std::string(document.substr(span.byteStart, span.byteLength)), span,
                                   std::move(sector), PropertyOf(commit.properties, "Security")});
         });
    return securities;
}

const char* VersionString() noexcept { return SMARTTAG_VERSION; }

Normalized Normalize(std::string_view utf8) {
    const OleString wide = smarttag::platform::Utf8ToWide(std::string(utf8));
    std::string citation = smarttag::platform::WideToAnsi(wide.data(), wide.size());
    Normalized result;
    result.ok = NormalizeCitation(citation, result.category);
    result.citation = smarttag::platform::WideToUtf8(smarttag::platform::AnsiToWide(citation));
    return result;
}

namespace {

const Tagger& DefaultTagger() {
    static const Tagger tagger;
    return tagger;
}

}  // namespace

std::vector<Citation> FindCitations(std::string_view document) { return DefaultTagger().FindCitations(document); }

std::vector<Security> FindSecurities(std::string_view document, const std::vector<std::string>& sectors) {
    if (sectors == DefaultTagger().options().sectors) return DefaultTagger().FindSecurities(document);
    Options options;
    options.sectors = sectors;
    return Tagger(options).FindSecurities(document);
}

}  // namespace smarttag
