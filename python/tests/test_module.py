"""The Python module against the host program and the normalizer tool, its
offsets on text that is not plain ASCII, its answers to bad input, and
threads calling it at once."""

import concurrent.futures
import json
import pickle
import subprocess
import sys

import pytest

import smarttag
from conftest import BUILD, EXAMPLES, REPO, host_records


def as_host_record(tag):
    """A tag as smarttag-host prints it: the paragraph's text, whose joining
    blanks stand where the document has its line breaks."""
    return {
        "paragraph": tag.paragraph,
        "name": tag.name,
        "start": tag.utf16_start,
        "length": tag.utf16_length,
        "text": tag.matched_text.replace("\r\n", " ").replace("\n", " "),
        "properties": tag.properties,
    }


def check_like_host(files, tagger=None, options=()):
    tagger = tagger or smarttag.Tagger()
    expected = host_records(files, *options)
    for file in files:
        data = file.read_bytes()
        tags = tagger.find(data)
        assert [as_host_record(t) for t in tags] == expected[str(file)], file
        for t in tags:
            assert data[slice(*t.span())].decode("utf-8") == t.matched_text
        # The same document as str: the same tags, at code point indices.
        text = data.decode("utf-8")
        as_str = tagger.find(text)
        assert [as_host_record(t) for t in as_str] == expected[str(file)]
        for t, b in zip(as_str, tags):
            assert text[slice(*t.span())] == t.matched_text
            assert t.span() == b.char_span() and b.span() == t.byte_span()


def check_split(tagger, document):
    """find_citations and find_securities are find's tags of their kind, with the same places."""
    tags = tagger.find(document)
    citations = tagger.find_citations(document)
    securities = tagger.find_securities(document)
    cited = [t for t in tags if t.type == "Citation"]
    assert [(c.span(), c.matched_text, c.paragraph, c.utf16_start, c.utf16_length, c.canonical) for c in citations] == [
        (t.span(), t.matched_text, t.paragraph, t.utf16_start, t.utf16_length, t.properties["Citation"]) for t in cited]
    held = [t for t in tags if "MarketSector" in t.properties]
    assert [(s.span(), s.matched_text, s.sector, s.security) for s in securities] == [
        (t.span(), t.matched_text, t.properties["MarketSector"], t.properties["Security"]) for t in held]
    return citations, securities


def test_examples_give_the_hosts_tags(example_files):
    check_like_host(example_files)
    tagger = smarttag.Tagger()
    for file in example_files:
        check_split(tagger, file.read_bytes())


def test_corpus_gives_the_hosts_tags(corpus_files):
    check_like_host(corpus_files)


def test_options_reach_the_recognizers():
    files = [EXAMPLES / "securities_note.txt", EXAMPLES / "sample.txt"]
    tagger = smarttag.Tagger(sectors=["Equity", "Govt"], prefix="urn:test#")
    assert tagger.sectors == ("Equity", "Govt") and tagger.prefix == "urn:test#"
    check_like_host(files, tagger, ["--sectors", "Equity,Govt", "--prefix", "urn:test#"])
    document = (EXAMPLES / "securities_note.txt").read_text()
    assert smarttag.find_securities(document, sectors=["Equity", "Govt"]) == tagger.find_securities(document)
    assert smarttag.find_securities(document) == smarttag.Tagger().find_securities(document)
    assert smarttag.find_citations(document) == smarttag.Tagger().find_citations(document)


def test_citation_fields():
    text = "See Roe v. Wade, 410 U.S. 113 (1973), and Brown, 347 U.S. 483."
    first, second = smarttag.find_citations(text)
    assert (first.matched_text, first.canonical, first.category) == ("410 U.S. 113", "410 us 113", "USReport")
    assert (first.volume, first.reporter, first.page) == ("410", "us", "113")
    assert text[slice(*second.span())] == "347 U.S. 483"
    assert smarttag.normalize("410 U.S. 113") == smarttag.normalize(b"410 U.S. 113")
    n = smarttag.normalize("410 U.S. 113")
    assert (n.ok, n.citation, n.category) == (True, "410 us 113", "USReport")
    assert not smarttag.normalize("not a citation").ok


def test_normalize_gives_citenorms_answers():
    candidates = []
    for cases in sorted((REPO / "tests" / "normalizer" / "cases").glob("*.tsv")):
        for line in cases.read_bytes().decode("latin-1").splitlines():  # 8-bit text
            if line and not line.startswith("#"):
                candidate = line.split("\t")[0]
                if candidate.isascii():
                    candidates.append(candidate)
    assert len(candidates) > 500
    out = subprocess.run([str(BUILD / "bin" / "citenorm"), "--json"], input="\n".join(candidates) + "\n",
                         capture_output=True, text=True, check=True).stdout.splitlines()
    assert len(out) == len(candidates)
    for candidate, line in zip(candidates, out):
        expected = json.loads(line)
        n = smarttag.normalize(candidate)
        assert (n.ok, n.citation, n.category) == (expected["ok"], expected["citation"], expected["category"]), candidate


# Text whose code points, UTF-8 bytes and UTF-16 code units all differ
# before the citations: accents (2 bytes, 1 unit), emoji outside the Basic
# Multilingual Plane (4 bytes, 2 units), CR LF line breaks inside and between
# paragraphs, a byte-order mark.
AWKWARD = [
    "Café société — see 410 U.S. 113 and IBM US Equity",
    "🙂🎉 Held: 347 U.S. 483 (1954) 😀 and 410 U.S. 113.",
    "Para one 🙂\r\n\r\nsee Brown v. Board, 347\r\nU.S. 483, and 😀 Roe,\r\n410 U.S. 113.\r\n\r\nIBM US Equity\r\n",
    "\ufeffÀ propos 🇺🇸: 5 F.3d 123\n\n𝔘𝔖 Ω 12 F. Supp. 2d 345\n",
]


def utf16_place(text, start, end):
    """1-based start and length in UTF-16 code units within the paragraph."""
    lines = text[:start].lstrip("\ufeff").split("\n")
    first = len(lines) - 1
    while first > 0 and lines[first - 1].strip(" \t\r\f\v"):
        first -= 1
    before = " ".join(line.rstrip("\r") if i < len(lines) - 1 else line for i, line in enumerate(lines) if i >= first)
    match = text[start:end].replace("\r\n", " ").replace("\n", " ")
    return len(before.encode("utf-16-le")) // 2 + 1, len(match.encode("utf-16-le")) // 2


@pytest.mark.parametrize("text", AWKWARD)
def test_spans_slice_the_document(text):
    tagger = smarttag.Tagger()
    citations, securities = check_split(tagger, text)
    data = text.encode("utf-8")
    byte_citations, byte_securities = check_split(tagger, data)
    found = citations + securities
    assert found, text
    for r, b in zip(found, byte_citations + byte_securities):
        assert text[slice(*r.span())] == r.matched_text
        assert data[slice(*b.span())] == r.matched_text.encode("utf-8")
        assert r.byte_span() == b.span() and b.char_span() == r.span()
        # The recognizer's place: UTF-16 code units within the paragraph,
        # whose lines are joined with one blank each.
        assert (r.utf16_start, r.utf16_length) == utf16_place(text, *r.span())


def test_crlf_citation_keeps_the_line_break():
    text = AWKWARD[2]
    brown = [c for c in smarttag.find_citations(text) if c.canonical == "347 us 483"]
    assert brown and brown[0].matched_text == "347\r\nU.S. 483"


BAD_VALUES = [
    (b"See 410 U.S. 113 \xc3(", "not UTF-8"),
    (b"\xff\xfeS\x00e\x00e\x00", "not UTF-8"),
    (b"410 U.S. 113\x00", "NUL"),
    ("410 U.S. 113\0 more", "NUL"),
    ("lone \ud83d surrogate", "surrogate"),
    (bytearray(b"\xed\xa0\x80"), "not UTF-8"),  # a surrogate encoded in UTF-8
]


@pytest.mark.parametrize("value,reason", BAD_VALUES)
def test_text_that_is_not_text_raises_value_error(value, reason):
    tagger = smarttag.Tagger()
    for call in (smarttag.find_citations, smarttag.find_securities, tagger.find, tagger.find_citations,
                 tagger.find_securities):
        with pytest.raises(ValueError, match=reason):
            call(value)
    if reason == "surrogate":
        with pytest.raises(ValueError, match=reason):
            smarttag.normalize(value)
    if isinstance(value, bytes) and reason != "NUL":
        with pytest.raises(smarttag.InvalidDocument):
            smarttag.find_citations(value)
        with pytest.raises(ValueError):
            smarttag.normalize(value)


@pytest.mark.parametrize("value", [None, 410, 4.5, ["410 U.S. 113"], memoryview(b"410 U.S. 113"), object()])
def test_wrong_types_raise_type_error(value):
    for call in (smarttag.normalize, smarttag.find_citations, smarttag.find_securities, smarttag.Tagger().find):
        with pytest.raises(TypeError):
            call(value)


def test_bad_options():
    with pytest.raises(TypeError):
        smarttag.Tagger(sectors="Equity")  # one str, not a list of words
    with pytest.raises(TypeError):
        smarttag.Tagger(sectors=[1])
    with pytest.raises(TypeError):
        smarttag.Tagger(["Equity"])  # options are keywords
    with pytest.raises(TypeError):
        smarttag.Tagger(prefix=b"urn:")
    with pytest.raises(ValueError):
        smarttag.Tagger(sectors=["Equity", "two words"])
    with pytest.raises(ValueError):
        smarttag.Tagger(sectors=[""])
    with pytest.raises(ValueError):
        smarttag.find_securities("IBM US Equity", sectors=["\udc80"])
    assert smarttag.find_citations("") == [] and smarttag.find_citations(b"\xef\xbb\xbf") == []


def test_results_pickle_compare_and_print():
    tagger = smarttag.Tagger(sectors=("Equity", "Govt"), prefix="urn:x#")
    document = "See 410 U.S. 113.\n\nIBM US Equity"
    for found in (tagger.find(document), tagger.find_citations(document), tagger.find_securities(document),
                  tagger.find_citations(document.encode())):
        assert found and pickle.loads(pickle.dumps(found)) == found
        assert len(set(found)) == len(found)
    again = pickle.loads(pickle.dumps(tagger))
    assert (again.sectors, again.prefix) == (tagger.sectors, tagger.prefix)
    assert again.find(document) == tagger.find(document)
    # str and bytes results index different things, so they differ.
    assert tagger.find_citations(document) != tagger.find_citations(document.encode())
    n = smarttag.normalize("410 U.S. 113")
    assert pickle.loads(pickle.dumps(n)) == n
    assert repr(n) == "Normalized(ok=True, citation='410 us 113', category='USReport')"
    assert repr(tagger).startswith("Tagger(sectors=('Equity', 'Govt'), prefix='urn:x#')")


def test_readme_command_prints_the_citation():
    out = subprocess.run(
        [sys.executable, "-c", "import smarttag; print(smarttag.find_citations('See 410 U.S. 113 (1973).'))"],
        capture_output=True, text=True, check=True, env={"PYTHONPATH": str(BUILD / "python")}).stdout
    assert out == "[Citation('410 U.S. 113', canonical='410 us 113', category='USReport', span=(4, 16))]\n"


def test_version_is_the_librarys():
    version = (REPO / "CMakeLists.txt").read_text().split("project(smarttag", 1)[1].split("VERSION", 1)[1].split(")")[0]
    assert smarttag.__version__ == version.strip()


def test_threads_at_once_give_one_threads_answers(example_files, request):
    corpus = request.getfixturevalue("corpus_files") if (REPO.parent / "shared" / "corpus").is_dir() else []
    documents = [f.read_bytes() for f in example_files] + [f.read_text() for f in corpus[:30]] + AWKWARD
    tagger = smarttag.Tagger()
    expected = [(tagger.find(d), smarttag.find_citations(d), smarttag.find_securities(d)) for d in documents]

    def work(shift):
        shift %= len(documents)  # the rotations below hold for shifts within the list
        order = documents[shift:] + documents[:shift]
        found = [(tagger.find(d), smarttag.find_citations(d), smarttag.find_securities(d)) for d in order]
        return found[len(documents) - shift:] + found[:len(documents) - shift]

    with concurrent.futures.ThreadPoolExecutor(4) as pool:
        results = list(pool.map(work, [0, 1, 2, 3, 5, 7, 11, 13]))
    for result in results:
        assert result == expected


def test_install_puts_the_module_where_python_finds_it(tmp_path):
    cache = (BUILD / "CMakeCache.txt").read_text()
    folder = cache.split("SMARTTAG_PYTHON_INSTALL_DIR:STRING=", 1)[1].splitlines()[0]
    prefix = cache.split("CMAKE_INSTALL_PREFIX:PATH=", 1)[1].splitlines()[0]
    if prefix in ("/usr", "/usr/local"):  # the interpreter's own search path, without PYTHONPATH
        assert f"{prefix}/{folder}" in sys.path
    subprocess.run(["cmake", "--install", str(BUILD), "--prefix", str(tmp_path), "--component", "python"],
                   check=True, capture_output=True)
    installed = tmp_path / folder
    assert (installed / "smarttag.pyi").is_file()
    out = subprocess.run([sys.executable, "-c", "import smarttag; print(smarttag.__file__, smarttag.normalize('410 U.S. 113').ok)"],
                         capture_output=True, text=True, check=True, env={"PYTHONPATH": str(installed)}).stdout
    assert out.startswith(str(installed)) and out.endswith(" True\n")
