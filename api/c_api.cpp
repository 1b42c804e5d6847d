// The C interface: a handle around a smarttag::Tagger, results as JSON text.
// Every entry point catches everything; the message of a failure is kept per
// thread for smarttag_last_error.
#include "smarttag/smarttag_c.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "api/document.h"
#include "platform/comutil.h"
#include "smarttag/smarttag.h"

struct smarttag_tagger {
    smarttag::Tagger tagger;
};

namespace {

// A plain buffer, not a std::string: thread-local objects with destructors
// are not safe everywhere the library runs (MinGW's emulated TLS).
constexpr std::size_t kMessageBytes = 512;
thread_local char lastError[kMessageBytes];

smarttag_status Fail(smarttag_status status, const char* message) noexcept {
    std::size_t n = std::strlen(message);
    if (n >= kMessageBytes) {
        n = kMessageBytes - 1;
        while (n > 0 && (static_cast<unsigned char>(message[n]) & 0xC0) == 0x80) --n;  // keep whole characters
    }
    std::memcpy(lastError, message, n);
    lastError[n] = '\0';
    return status;
}

// Runs `body`, turning whatever it throws into a status and a message.
template <class Body>
smarttag_status Guarded(Body body) noexcept {
    try {
        body();
        return SMARTTAG_OK;
    } catch (const smarttag::InvalidDocument& e) {
        return Fail(SMARTTAG_ERROR_DOCUMENT, e.what());
    } catch (const std::length_error& e) {
        return Fail(SMARTTAG_ERROR_TOO_LONG, e.what());
    } catch (const std::invalid_argument& e) {
        return Fail(SMARTTAG_ERROR_ARGUMENT, e.what());
    } catch (const std::bad_alloc&) {
        return Fail(SMARTTAG_ERROR_MEMORY, "out of memory");
    } catch (const std::exception& e) {
        return Fail(SMARTTAG_ERROR_INTERNAL, e.what());
    } catch (const _com_error& e) {
        return e.Error() == E_OUTOFMEMORY ? Fail(SMARTTAG_ERROR_MEMORY, "out of memory")
                                          : Fail(SMARTTAG_ERROR_INTERNAL, "COM error");
    } catch (...) {
        return Fail(SMARTTAG_ERROR_INTERNAL, "unknown error");
    }
}

// A malloc'd, NUL-terminated copy, for smarttag_free.
char* Copy(const std::string& text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (!copy) throw std::bad_alloc();
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}

// JSON text, written by hand so that the library needs nothing but Boost.
class JsonWriter {
public:
    void Begin(char bracket) {
        Separate();
        out += bracket;
        first = true;
    }
    void End(char bracket) {
        out += bracket;
        first = false;
    }
    void Key(const char* key) {
        String(key);
        out += ':';
        first = true;  // the value follows without a comma
    }
    void Number(long long value) {
        Separate();
        out += std::to_string(value);
    }
    // UTF-8 text as a JSON string; a byte that is not part of well-formed
    // UTF-8 (none should reach here) is written as U+FFFD.
    void String(std::string_view text) {
        Separate();
        out += '"';
        while (!text.empty()) {
            const std::size_t bad = smarttag::api::FirstInvalidUtf8(text);
            const std::string_view good = text.substr(0, bad);
            for (char c : good) Character(c);
            if (bad == std::string_view::npos) break;
            out += "\\ufffd";
            text.remove_prefix(bad + 1);
        }
        out += '"';
    }
    template <class Value>
    void Field(const char* key, const Value& value) {
        Key(key);
        if constexpr (std::is_convertible_v<Value, std::string_view>)
            String(value);
        else
            Number(static_cast<long long>(value));
    }
    void Span(const smarttag::Span& span) {
        Field("byteStart", span.byteStart);
        Field("byteLength", span.byteLength);
        Field("charStart", span.charStart);
        Field("charLength", span.charLength);
        Field("paragraph", span.paragraph);
        Field("utf16Start", span.utf16Start);
        Field("utf16Length", span.utf16Length);
    }
    const std::string& Text() const { return out; }

private:
    void Separate() {
        if (!first) out += ',';
        first = false;
    }
    void Character(char c) {
        switch (c) {
        case '"': out += "\\\""; return;
        case '\\': out += "\\\\"; return;
        case '\n': out += "\\n"; return;
        case '\r': out += "\\r"; return;
        case '\t': out += "\\t"; return;
        default: break;
        }
        if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
            out += escaped;
        } else {
            out += c;
        }
    }

    std::string out;
    bool first = true;
};

std::string Json(const std::vector<smarttag::Tag>& tags) {
    JsonWriter json;
    json.Begin('[');
    for (const smarttag::Tag& tag : tags) {
        json.Begin('{');
        json.Field("type", tag.type);
        json.Field("name", tag.name);
        json.Field("text", tag.matchedText);
        json.Span(tag.span);
        json.Key("properties");
        json.Begin('[');
        for (const smarttag::Property& property : tag.properties) {
            json.Begin('[');
            json.String(property.key);
            json.String(property.value);
            json.End(']');
        }
        json.End(']');
        json.End('}');
    }
    json.End(']');
    return json.Text();
}

std::string Json(const std::vector<smarttag::Citation>& citations) {
    JsonWriter json;
    json.Begin('[');
    for (const smarttag::Citation& citation : citations) {
        json.Begin('{');
        json.Field("text", citation.matchedText);
        json.Span(citation.span);
        json.Field("canonical", citation.canonical);
        json.Field("category", citation.category);
        json.Field("volume", citation.volume);
        json.Field("reporter", citation.reporter);
        json.Field("page", citation.page);
        json.End('}');
    }
    json.End(']');
    return json.Text();
}

std::string Json(const std::vector<smarttag::Security>& securities) {
    JsonWriter json;
    json.Begin('[');
    for (const smarttag::Security& security : securities) {
        json.Begin('{');
        json.Field("text", security.matchedText);
        json.Span(security.span);
        json.Field("sector", security.sector);
        json.Field("security", security.security);
        json.End('}');
    }
    json.End(']');
    return json.Text();
}

template <class Find>
smarttag_status FindAsJson(const smarttag_tagger* tagger, const char* document, size_t length, char** json,
                           Find find) noexcept {
    if (!json) return Fail(SMARTTAG_ERROR_ARGUMENT, "no place for the result");
    *json = nullptr;
    if (!tagger) return Fail(SMARTTAG_ERROR_ARGUMENT, "no tagger");
    if (!document && length) return Fail(SMARTTAG_ERROR_ARGUMENT, "a length without a document");
    return Guarded([&] {
        const std::string_view text = document ? std::string_view(document, length) : std::string_view();
        *json = Copy(Json(find(tagger->tagger, text)));
    });
}

}  // namespace

extern "C" {

const char* smarttag_version(void) { return smarttag::VersionString(); }

const char* smarttag_last_error(void) { return lastError; }

smarttag_status smarttag_tagger_create(const char* const* sectors, size_t sector_count, const char* prefix,
                                       smarttag_tagger** out) {
    if (!out) return Fail(SMARTTAG_ERROR_ARGUMENT, "no place for the tagger");
    *out = nullptr;
    if (!sectors && sector_count) return Fail(SMARTTAG_ERROR_ARGUMENT, "sector_count without sectors");
    return Guarded([&] {
        smarttag::Options options;
        if (sectors) {
            options.sectors.clear();
            for (size_t i = 0; i < sector_count; ++i) {
                if (!sectors[i]) throw std::invalid_argument("a market-sector word is NULL");
                options.sectors.emplace_back(sectors[i]);
            }
        }
        if (prefix) options.prefix = prefix;
        *out = new smarttag_tagger{smarttag::Tagger(std::move(options))};
    });
}

void smarttag_tagger_free(smarttag_tagger* tagger) { delete tagger; }

smarttag_status smarttag_find_json(const smarttag_tagger* tagger, const char* document, size_t length, char** json) {
    return FindAsJson(tagger, document, length, json,
                      [](const smarttag::Tagger& t, std::string_view text) { return t.Find(text); });
}

smarttag_status smarttag_find_citations_json(const smarttag_tagger* tagger, const char* document, size_t length,
                                             char** json) {
    return FindAsJson(tagger, document, length, json,
                      [](const smarttag::Tagger& t, std::string_view text) { return t.FindCitations(text); });
}

smarttag_status smarttag_find_securities_json(const smarttag_tagger* tagger, const char* document, size_t length,
                                              char** json) {
    return FindAsJson(tagger, document, length, json,
                      [](const smarttag::Tagger& t, std::string_view text) { return t.FindSecurities(text); });
}

smarttag_status smarttag_normalize(const char* text, size_t length, int* accepted, char** citation, char** category) {
    if (!accepted || !citation) return Fail(SMARTTAG_ERROR_ARGUMENT, "no place for the result");
    *accepted = 0;
    *citation = nullptr;
    if (category) *category = nullptr;
    if (!text && length) return Fail(SMARTTAG_ERROR_ARGUMENT, "a length without a text");
    return Guarded([&] {
        smarttag::Normalized n = smarttag::Normalize(text ? std::string_view(text, length) : std::string_view());
        char* canonical = Copy(n.citation);
        if (category) {
            try {
                *category = Copy(n.category);
            } catch (...) {
                std::free(canonical);
                throw;
            }
        }
        *citation = canonical;
        *accepted = n.ok ? 1 : 0;
    });
}

void smarttag_free(char* text) { std::free(text); }

}  // extern "C"
