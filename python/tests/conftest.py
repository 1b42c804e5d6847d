"""Where the tests find the module, the build's programs and the corpus.

The module is imported from $SMARTTAG_BUILD_DIR/python (default build/python
in the repository), unless it is already importable from PYTHONPATH. It not
being found is an error, never a reason to skip.
"""

import json
import os
import pathlib
import subprocess
import sys

import pytest

REPO = pathlib.Path(__file__).resolve().parents[2]
BUILD = pathlib.Path(os.environ.get("SMARTTAG_BUILD_DIR", REPO / "build")).resolve()
EXAMPLES = REPO / "examples"
CORPUS = REPO.parent / "shared" / "corpus"

sys.path.insert(0, str(BUILD / "python"))
import smarttag  # noqa: E402  (a failure here stops the run: the module was not built)


def host_records(files, *options):
    """smarttag-host --format jsonl's records for files, run from the repository, grouped by file."""
    host = BUILD / "bin" / "smarttag-host"
    if not host.exists():
        pytest.fail(f"{host} is missing: build the project first")
    out = subprocess.run([str(host), "--format", "jsonl", "--no-progress", *options, *map(str, files)],
                         cwd=REPO, check=True, capture_output=True).stdout
    grouped = {str(f): [] for f in files}
    for line in out.decode("utf-8").splitlines():
        record = json.loads(line)
        grouped[record.pop("file")].append(record)
    return grouped


@pytest.fixture(scope="session")
def corpus_files():
    files = sorted(CORPUS.glob("*.txt"))
    if not files:
        pytest.skip(f"no corpus at {CORPUS}")
    return files


@pytest.fixture(scope="session")
def example_files():
    files = sorted(EXAMPLES.glob("*.txt"))
    assert files, f"no examples in {EXAMPLES}"
    return files
