"""examples/dask_tag_corpus.py on a two-worker LocalCluster writes exactly
the records a serial loop over the same documents gives."""

import importlib.util
import json
import os
import subprocess
import sys

import pytest

from conftest import BUILD, CORPUS, EXAMPLES, REPO

pytest.importorskip("distributed", reason="Debian's python3-distributed is not installed")

SCRIPT = REPO / "examples" / "dask_tag_corpus.py"


def load_script():
    spec = importlib.util.spec_from_file_location("dask_tag_corpus", SCRIPT)
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


def test_cluster_run_equals_a_serial_loop(tmp_path):
    documents = tmp_path / "documents.jsonl"
    with open(documents, "w", encoding="utf-8") as out:
        for number, text in enumerate(["Roe, 410 U.S. 113 (1973), and 🙂 IBM US Equity",
                                       "no tags here", "NUL \0 inside 347 U.S. 483",
                                       "Café\r\n\r\nBrown, 347\r\nU.S. 483"]):
            out.write(json.dumps({"id": number, "text": text}) + "\n")
    inputs = [str(EXAMPLES), str(documents)] + ([str(CORPUS)] if CORPUS.is_dir() else [])

    output = tmp_path / "tags.jsonl"
    # The script finds the module of its own source tree's build without
    # PYTHONPATH; the local workers, fresh processes, must find it too.
    env = dict(os.environ)
    env.pop("PYTHONPATH", None)
    if BUILD != REPO / "build":
        env["PYTHONPATH"] = str(BUILD / "python")
    run = subprocess.run([sys.executable, str(SCRIPT), *inputs, "-o", str(output), "--workers", "2",
                          "--batch-bytes", "300000"], capture_output=True, text=True, env=env, timeout=300)
    # The document with a NUL is named and skipped; the exit status says so.
    assert run.returncode == 1, run.stderr
    assert "2: skipped: the document is not text (NUL byte" in run.stderr
    assert "on 2 workers" in run.stderr

    script = load_script()
    tagger = script.smarttag.Tagger()
    expected, count = [], 0
    for document in script.read_documents(inputs):
        count += 1
        try:
            expected += script.tag_document(document, tagger)
        except ValueError:
            assert document[0] == 2
    got = [json.loads(line) for line in output.read_text(encoding="utf-8").splitlines()]
    assert got == json.loads(json.dumps(expected))
    assert f"dask_tag_corpus: {count} documents, {len(expected)} tags, 1 skipped" in run.stderr
    assert len(expected) > 40
    # Spark's mapPartitions calls it with an iterator of documents.
    assert list(script.tag_partition(iter([("a", "410 U.S. 113"), ("b", b"IBM US Equity")]))) == \
        script.tag_document(("a", "410 U.S. 113")) + script.tag_document(("b", b"IBM US Equity"))
