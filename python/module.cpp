// The Python module `smarttag`: the library's C++ interface (smarttag/smarttag.h)
// with Python types, Python string indices and Python exceptions.
//
// Every call converts its text argument to UTF-8 in a std::string while it
// holds the GIL, releases the GIL for the library's work, and builds the
// Python results once it holds the GIL again; so threads tagging at once run
// in parallel. The results are the C++ results, field for field, with their
// offsets turned into Python indices: code points for a str document, bytes
// for a bytes document.
#include <cstddef>
#include <cstdio>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include <pybind11/pybind11.h>

#include "smarttag/smarttag.h"

namespace py = pybind11;

namespace {

// A text argument as the library takes it.
struct Text {
    std::string utf8;
    bool bytes = false;  // given as bytes (offsets then count bytes) rather than str
};

std::string TypeName(py::handle object) { return Py_TYPE(object.ptr())->tp_name; }

// str (any code points but lone surrogates, which have no UTF-8 form), or
// bytes / bytearray holding UTF-8. Whether bytes are well-formed UTF-8 is
// left to the library, which says where they are not.
Text TextArgument(py::handle object, const char* what) {
    Text text;
    PyObject* raw = object.ptr();
    if (PyUnicode_Check(raw)) {
        Py_ssize_t size = 0;
        const char* data = PyUnicode_AsUTF8AndSize(raw, &size);
        if (data == nullptr) {
            if (!PyErr_ExceptionMatches(PyExc_UnicodeEncodeError)) throw py::error_already_set();
            PyErr_Clear();
            const Py_ssize_t length = PyUnicode_GetLength(raw);
            Py_ssize_t at = 0;
            Py_UCS4 unit = 0;
            for (; at < length; ++at) {
                unit = PyUnicode_ReadChar(raw, at);
                if (unit >= 0xD800 && unit <= 0xDFFF) break;
            }
            char code[8];
            std::snprintf(code, sizeof code, "%04X", static_cast<unsigned>(unit));
            throw py::value_error(std::string(what) + " holds a lone surrogate (U+" + code + " at index " +
                                  std::to_string(at) + "), which is not text and has no UTF-8 form");
        }
        text.utf8.assign(data, static_cast<std::size_t>(size));
    } else if (PyBytes_Check(raw)) {
        text.utf8.assign(PyBytes_AS_STRING(raw), static_cast<std::size_t>(PyBytes_GET_SIZE(raw)));
        text.bytes = true;
    } else if (PyByteArray_Check(raw)) {
        text.utf8.assign(PyByteArray_AS_STRING(raw), static_cast<std::size_t>(PyByteArray_GET_SIZE(raw)));
        text.bytes = true;
    } else {
        throw py::type_error(std::string(what) + " must be str or bytes, not " + TypeName(object));
    }
    return text;
}

// Normalize converts bytes that are not UTF-8 with U+FFFD; from Python such
// bytes are refused instead, as everywhere else in the module.
void RequireUtf8(const Text& text, const char* what) {
    if (!text.bytes) return;
    PyObject* decoded = PyUnicode_DecodeUTF8(text.utf8.data(), static_cast<Py_ssize_t>(text.utf8.size()), "strict");
    if (decoded != nullptr) {
        Py_DECREF(decoded);
        return;
    }
    if (!PyErr_ExceptionMatches(PyExc_UnicodeDecodeError)) throw py::error_already_set();
    py::error_already_set error;
    throw py::value_error(std::string(what) + " is not UTF-8 text (" + py::str(error.value()).cast<std::string>() +
                          ")");
}

std::vector<std::string> SectorsArgument(py::handle object) {
    if (PyUnicode_Check(object.ptr()) || PyBytes_Check(object.ptr()))
        throw py::type_error("sectors must be an iterable of str, not one " + TypeName(object));
    if (!py::isinstance<py::iterable>(object))
        throw py::type_error("sectors must be an iterable of str, not " + TypeName(object));
    std::vector<std::string> sectors;
    for (py::handle item : object) {
        if (!PyUnicode_Check(item.ptr()))
            throw py::type_error("sectors must hold str, not " + TypeName(item));
        sectors.push_back(TextArgument(item, "a market-sector word").utf8);
    }
    return sectors;
}

py::tuple AsTuple(const std::vector<std::string>& words) {
    py::tuple tuple(words.size());
    for (std::size_t i = 0; i < words.size(); ++i) tuple[i] = py::str(words[i]);
    return tuple;
}

std::string Repr(const std::string& utf8) { return py::repr(py::str(utf8)).cast<std::string>(); }

// A result with the kind of document it came from, so that span() gives
// indices into that document.
template <class Value>
struct Found {
    Value value;
    bool bytes = false;

    py::tuple Span() const { return bytes ? ByteSpan() : CharSpan(); }
    py::tuple ByteSpan() const {
        return py::make_tuple(value.span.byteStart, value.span.byteStart + value.span.byteLength);
    }
    py::tuple CharSpan() const {
        return py::make_tuple(value.span.charStart, value.span.charStart + value.span.charLength);
    }
    std::string SpanRepr() const { return py::repr(Span()).template cast<std::string>(); }
};

bool operator==(const smarttag::Span& a, const smarttag::Span& b) {
    return a.byteStart == b.byteStart && a.byteLength == b.byteLength && a.charStart == b.charStart &&
           a.charLength == b.charLength && a.paragraph == b.paragraph && a.utf16Start == b.utf16Start &&
           a.utf16Length == b.utf16Length;
}

py::tuple SpanState(const smarttag::Span& s) {
    return py::make_tuple(s.byteStart, s.byteLength, s.charStart, s.charLength, s.paragraph, s.utf16Start,
                          s.utf16Length);
}

smarttag::Span SpanFromState(const py::tuple& t) {
    return {t[0].cast<std::size_t>(), t[1].cast<std::size_t>(), t[2].cast<std::size_t>(), t[3].cast<std::size_t>(),
            t[4].cast<int>(),         t[5].cast<int>(),         t[6].cast<int>()};
}

using Citation = Found<smarttag::Citation>;
using Security = Found<smarttag::Security>;
using Tag = Found<smarttag::Tag>;

bool Equal(const Citation& a, const Citation& b) {
    const smarttag::Citation &x = a.value, &y = b.value;
    return a.bytes == b.bytes && x.matchedText == y.matchedText && x.span == y.span && x.canonical == y.canonical &&
           x.category == y.category && x.volume == y.volume && x.reporter == y.reporter && x.page == y.page;
}

bool Equal(const Security& a, const Security& b) {
    const smarttag::Security &x = a.value, &y = b.value;
    return a.bytes == b.bytes && x.matchedText == y.matchedText && x.span == y.span && x.sector == y.sector &&
           x.security == y.security;
}

bool Equal(const Tag& a, const Tag& b) {
    const smarttag::Tag &x = a.value, &y = b.value;
    if (a.bytes != b.bytes || x.type != y.type || x.name != y.name || x.matchedText != y.matchedText ||
        !(x.span == y.span) || x.properties.size() != y.properties.size())
        return false;
    for (std::size_t i = 0; i < x.properties.size(); ++i)
        if (x.properties[i].key != y.properties[i].key || x.properties[i].value != y.properties[i].value) return false;
    return true;
}

template <class Value>
py::list ToList(std::vector<Value>&& values, bool bytes) {
    py::list list(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) list[i] = py::cast(Found<Value>{std::move(values[i]), bytes});
    return list;
}

// Runs `work` on the converted text without the GIL.
template <class Work>
auto WithoutGil(Work&& work) {
    py::gil_scoped_release release;
    return work();
}

py::list FindCitations(const smarttag::Tagger* tagger, py::handle document) {
    const Text text = TextArgument(document, "the document");
    auto found = WithoutGil([&] {
        return tagger ? tagger->FindCitations(text.utf8) : smarttag::FindCitations(text.utf8);
    });
    return ToList(std::move(found), text.bytes);
}

py::list FindSecurities(const smarttag::Tagger& tagger, const py::object& document) {
    const Text text = TextArgument(document, "the document");
    auto found = WithoutGil([&] { return tagger.FindSecurities(text.utf8); });
    return ToList(std::move(found), text.bytes);
}

py::list FindTags(const smarttag::Tagger& tagger, const py::object& document) {
    const Text text = TextArgument(document, "the document");
    auto found = WithoutGil([&] { return tagger.Find(text.utf8); });
    return ToList(std::move(found), text.bytes);
}

smarttag::Options OptionsOf(py::handle sectors, py::handle prefix) {
    smarttag::Options options;
    options.sectors = SectorsArgument(sectors);
    if (!PyUnicode_Check(prefix.ptr())) throw py::type_error("prefix must be str, not " + TypeName(prefix));
    options.prefix = TextArgument(prefix, "the prefix").utf8;
    return options;
}

smarttag::Tagger MakeTagger(smarttag::Options options) {
    return WithoutGil([&] { return smarttag::Tagger(std::move(options)); });
}

// The Tagger's options as keyword arguments of its constructor: its pickled
// state, and what its repr shows.
py::dict OptionsState(const smarttag::Tagger& tagger) {
    py::dict state;
    state["sectors"] = AsTuple(tagger.options().sectors);
    state["prefix"] = py::str(tagger.options().prefix);
    return state;
}

// The span accessors every result type has.
template <class Class>
void AddSpans(Class& cls) {
    using T = typename Class::type;
    cls.def("span", &T::Span,
            "(start, end) of the match in the document as given: code point indices for a str document, byte "
            "offsets for a bytes document; document[slice(*span())] is the matched text (its UTF-8 bytes for a "
            "bytes document).")
        .def("byte_span", &T::ByteSpan, "(start, end) in UTF-8 bytes of the document, whatever its type.")
        .def("char_span", &T::CharSpan, "(start, end) in code points of the document, whatever its type.")
        .def_property_readonly(
            "paragraph", [](const T& r) { return r.value.span.paragraph; },
            "1-based number of the paragraph (a run of non-blank lines) the match is in.")
        .def_property_readonly(
            "utf16_start", [](const T& r) { return r.value.span.utf16Start; },
            "1-based start in UTF-16 code units within the paragraph, as the recognizer reported it.")
        .def_property_readonly(
            "utf16_length", [](const T& r) { return r.value.span.utf16Length; },
            "Length in UTF-16 code units, as the recognizer reported it.")
        .def_property_readonly(
            "matched_text", [](const T& r) { return r.value.matchedText; },
            "The document's text at span(), its own line breaks included.")
        .def("__eq__", [](const T& a, const T& b) { return Equal(a, b); }, py::is_operator())
        .def("__ne__", [](const T& a, const T& b) { return !Equal(a, b); }, py::is_operator());
}

}  // namespace

PYBIND11_MODULE(smarttag, m) {
    m.doc() =
        "Legal citations and securities in text.\n\n"
        "    >>> import smarttag\n"
        "    >>> text = 'See Roe v. Wade, 410 U.S. 113 (1973).'\n"
        "    >>> [c.canonical for c in smarttag.find_citations(text)]\n"
        "    ['410 us 113']\n\n"
        "A document is str, or bytes holding UTF-8. It is read in paragraphs, the runs of non-blank lines; a\n"
        "citation may cross a line break but not a blank line. Every result's span() indexes the document as\n"
        "given: code points for str, bytes for bytes, so document[slice(*r.span())] is the match.\n\n"
        "Text that is not text (bytes that are not UTF-8, a NUL character, a lone surrogate) raises ValueError\n"
        "(InvalidDocument for what the tagger refuses); an argument of the wrong type raises TypeError.\n"
        "The library runs without the GIL: threads calling at once run in parallel.";

    m.attr("__version__") = smarttag::VersionString();
    m.attr("DEFAULT_SECTORS") = AsTuple(smarttag::Options::DefaultSectors());
    m.attr("DEFAULT_PREFIX") = smarttag::Options().prefix;
    m.attr("MAX_DOCUMENT_BYTES") = smarttag::kMaxDocumentBytes;

    // Kept for the life of the process, as the module's other types are.
    static PyObject* const invalidDocument = PyErr_NewExceptionWithDoc(
        "smarttag.InvalidDocument",
        "The document is not text: bytes that are not well-formed UTF-8, a NUL character or a UTF-16 "
        "byte-order mark. A ValueError.",
        PyExc_ValueError, nullptr);
    if (invalidDocument == nullptr) throw py::error_already_set();
    m.add_object("InvalidDocument", py::handle(invalidDocument));
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown) std::rethrow_exception(thrown);
        } catch (const smarttag::InvalidDocument& e) {
            PyErr_SetString(invalidDocument, (std::string("the document is ") + e.what()).c_str());
        }
    });

    py::class_<smarttag::Normalized>(m, "Normalized", "What normalize() made of a candidate citation.")
        .def_readonly("ok", &smarttag::Normalized::ok, "Whether the normalizer accepts the text as a citation.")
        .def_readonly("citation", &smarttag::Normalized::citation,
                      "The canonical form when ok, else the cleaned-up text.")
        .def_readonly("category", &smarttag::Normalized::category, "The category, e.g. 'USReport'; may be empty.")
        .def("__eq__",
             [](const smarttag::Normalized& a, const smarttag::Normalized& b) {
                 return a.ok == b.ok && a.citation == b.citation && a.category == b.category;
             },
             py::is_operator())
        .def("__repr__",
             [](const smarttag::Normalized& n) {
                 return std::string("Normalized(ok=") + (n.ok ? "True" : "False") + ", citation=" +
                        Repr(n.citation) + ", category=" + Repr(n.category) + ")";
             })
        .def(py::pickle(
            [](const smarttag::Normalized& n) { return py::make_tuple(n.ok, n.citation, n.category); },
            [](const py::tuple& t) {
                return smarttag::Normalized{t[0].cast<bool>(), t[1].cast<std::string>(), t[2].cast<std::string>()};
            }));

    py::class_<Citation> citation(m, "Citation", "A case citation found in a document.");
    AddSpans(citation);
    citation
        .def_property_readonly(
            "canonical", [](const Citation& c) { return c.value.canonical; },
            "The canonical form, e.g. '410 us 113' (the smart tag's Citation property).")
        .def_property_readonly(
            "category", [](const Citation& c) { return c.value.category; },
            "The normalizer's category, e.g. 'USReport'.")
        .def_property_readonly(
            "volume", [](const Citation& c) { return c.value.volume; },
            "The volume of a volume-reporter-page canonical form ('410'), else ''.")
        .def_property_readonly(
            "reporter", [](const Citation& c) { return c.value.reporter; }, "Its reporter words ('us'), else ''.")
        .def_property_readonly(
            "page", [](const Citation& c) { return c.value.page; }, "Its page ('113'), else ''.")
        .def("__hash__",
             [](const Citation& c) {
                 return py::hash(py::make_tuple(c.value.matchedText, c.value.canonical, c.value.span.byteStart));
             })
        .def("__repr__",
             [](const Citation& c) {
                 return "Citation(" + Repr(c.value.matchedText) + ", canonical=" + Repr(c.value.canonical) +
                        ", category=" + Repr(c.value.category) + ", span=" + c.SpanRepr() + ")";
             })
        .def(py::pickle(
            [](const Citation& c) {
                const smarttag::Citation& v = c.value;
                return py::make_tuple(v.matchedText, SpanState(v.span), v.canonical, v.category, v.volume, v.reporter,
                                      v.page, c.bytes);
            },
            [](const py::tuple& t) {
                return Citation{{t[0].cast<std::string>(), SpanFromState(t[1].cast<py::tuple>()),
                                 t[2].cast<std::string>(), t[3].cast<std::string>(), t[4].cast<std::string>(),
                                 t[5].cast<std::string>(), t[6].cast<std::string>()},
                                t[7].cast<bool>()};
            }));

    py::class_<Security> security(m, "Security", "A security (a run of text ending in a market-sector word).");
    AddSpans(security);
    security
        .def_property_readonly(
            "security", [](const Security& s) { return s.value.security; },
            "The smart tag's Security property, e.g. 'IBM US Equity'.")
        .def_property_readonly(
            "sector", [](const Security& s) { return s.value.sector; },
            "The market sector (the tag's MarketSector property), e.g. 'Equity'.")
        .def("__hash__",
             [](const Security& s) { return py::hash(py::make_tuple(s.value.matchedText, s.value.span.byteStart)); })
        .def("__repr__",
             [](const Security& s) {
                 return "Security(" + Repr(s.value.matchedText) + ", sector=" + Repr(s.value.sector) +
                        ", span=" + s.SpanRepr() + ")";
             })
        .def(py::pickle(
            [](const Security& s) {
                const smarttag::Security& v = s.value;
                return py::make_tuple(v.matchedText, SpanState(v.span), v.sector, v.security, s.bytes);
            },
            [](const py::tuple& t) {
                return Security{{t[0].cast<std::string>(), SpanFromState(t[1].cast<py::tuple>()),
                                 t[2].cast<std::string>(), t[3].cast<std::string>()},
                                t[4].cast<bool>()};
            }));

    py::class_<Tag> tag(m, "Tag", "A smart tag as the add-in commits it, of any type.");
    AddSpans(tag);
    tag.def_property_readonly(
           "type", [](const Tag& t) { return t.value.type; }, "The tag type: 'Citation' or a market-sector word.")
        .def_property_readonly(
            "name", [](const Tag& t) { return t.value.name; }, "The full tag name: the prefix and the type.")
        .def_property_readonly(
            "properties",
            [](const Tag& t) {
                py::dict properties;
                for (const smarttag::Property& p : t.value.properties) properties[py::str(p.key)] = py::str(p.value);
                return properties;
            },
            "The tag's properties, in the order they were committed (a new dict on each access).")
        .def("__hash__", [](const Tag& t) { return py::hash(py::make_tuple(t.value.name, t.value.span.byteStart)); })
        .def("__repr__",
             [](const Tag& t) {
                 return "Tag(" + Repr(t.value.matchedText) + ", type=" + Repr(t.value.type) + ", span=" + t.SpanRepr() +
                        ")";
             })
        .def(py::pickle(
            [](const Tag& t) {
                py::list properties;
                for (const smarttag::Property& p : t.value.properties)
                    properties.append(py::make_tuple(p.key, p.value));
                return py::make_tuple(t.value.type, t.value.name, t.value.matchedText, SpanState(t.value.span),
                                      properties, t.bytes);
            },
            [](const py::tuple& state) {
                Tag t;
                t.value.type = state[0].cast<std::string>();
                t.value.name = state[1].cast<std::string>();
                t.value.matchedText = state[2].cast<std::string>();
                t.value.span = SpanFromState(state[3].cast<py::tuple>());
                for (py::handle p : state[4]) {
                    const auto pair = p.cast<py::tuple>();
                    t.value.properties.push_back({pair[0].cast<std::string>(), pair[1].cast<std::string>()});
                }
                t.bytes = state[5].cast<bool>();
                return t;
            }));

    // Options are keyword arguments: a new option is one more keyword with
    // its default, here, in OptionsOf, OptionsState and the stub.
    py::class_<smarttag::Tagger>(m, "Tagger",
                                 "The recognizers with one set of options, built once and reused; immutable, and "
                                 "safe to share between threads.")
        .def(py::init([](py::object sectors, py::object prefix) { return MakeTagger(OptionsOf(sectors, prefix)); }),
             py::kw_only(), py::arg("sectors") = py::object(m.attr("DEFAULT_SECTORS")),
             py::arg("prefix") = py::object(m.attr("DEFAULT_PREFIX")),
             "sectors: the market-sector words the security recognizer knows (each also a tag type); prefix: the "
             "prefix of every tag name. ValueError for a sector word that is empty or holds white space.")
        .def_property_readonly(
            "sectors", [](const smarttag::Tagger& t) { return AsTuple(t.options().sectors); }, "The sector words.")
        .def_property_readonly(
            "prefix", [](const smarttag::Tagger& t) { return t.options().prefix; }, "The tag-name prefix.")
        .def("find", &FindTags, py::arg("document"),
             "Every tag the add-in would commit for the document, in document order (within a paragraph: "
             "citations, then securities).")
        .def(
            "find_citations", [](const smarttag::Tagger& t, const py::object& d) { return FindCitations(&t, d); },
            py::arg("document"), "The case citations in the document, in document order.")
        .def("find_securities", &FindSecurities, py::arg("document"),
             "The securities in the document, in document order.")
        .def("__repr__",
             [](const smarttag::Tagger& t) {
                 return "Tagger(sectors=" + py::repr(AsTuple(t.options().sectors)).cast<std::string>() +
                        ", prefix=" + Repr(t.options().prefix) + ")";
             })
        .def(py::pickle([](const smarttag::Tagger& t) { return OptionsState(t); },
                        [](const py::dict& state) {
                            return MakeTagger(OptionsOf(state["sectors"], state["prefix"]));
                        }));

    m.def(
        "normalize",
        [](const py::object& text) {
            const Text candidate = TextArgument(text, "the candidate");
            RequireUtf8(candidate, "the candidate");
            return WithoutGil([&] { return smarttag::Normalize(candidate.utf8); });
        },
        py::arg("text"),
        "Normalizes one candidate citation as the citation recognizer does: normalize('410 U.S. 113') is "
        "Normalized(ok=True, citation='410 us 113', category='USReport').");

    m.def(
        "find_citations", [](const py::object& document) { return FindCitations(nullptr, document); },
        py::arg("document"),
        "The case citations in the document, in document order, with the default options.");

    m.def(
        "find_securities",
        [](const py::object& document, const py::object& sectors) {
            const Text text = TextArgument(document, "the document");
            const std::vector<std::string> words = SectorsArgument(sectors);
            auto found = WithoutGil([&] { return smarttag::FindSecurities(text.utf8, words); });
            return ToList(std::move(found), text.bytes);
        },
        py::arg("document"), py::arg("sectors") = py::object(m.attr("DEFAULT_SECTORS")),
        "The securities in the document, in document order. Other sectors than the default build the recognizers "
        "on each call: make a Tagger(sectors=...) once instead when calling often.");
}
