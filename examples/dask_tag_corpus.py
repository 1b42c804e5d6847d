#!/usr/bin/python3
"""Tags a corpus on a Dask cluster and writes one JSON line per tag.

    PYTHONPATH=build/python /usr/bin/python3 examples/dask_tag_corpus.py examples/ -o tags.jsonl
    /usr/bin/python3 examples/dask_tag_corpus.py --scheduler tcp://10.0.0.5:8786 corpus.jsonl -o tags.jsonl

INPUT is a folder (its *.txt files, in name order), a .txt file, or a JSON
Lines file of documents, one object per line with "id" and "text". A file's
id is its path as given on the command line (a folder's name joined with the
file's). Files are tagged as bytes, exactly as smarttag-host reads them.

Without --scheduler the script starts a LocalCluster of --workers worker
processes (2 by default) on this machine; with it, it connects to the
scheduler of a running cluster, whose workers must be able to import
smarttag (install it there with `cmake --install`, or point PYTHONPATH at
the folder holding it). Local workers are given this process's PYTHONPATH,
with the folder smarttag was imported from put first.

Each output line is one tag:

    {"id": "examples/brief.txt", "paragraph": 3, "name": "urn:veltra:smarttags#Citation",
     "start": 12, "length": 12, "text": "410 U.S. 113", "properties": {"Citation": "410 us 113"},
     "span": [1423, 1435], "byte_span": [1425, 1437]}

"paragraph", "name", "start", "length" (UTF-16 code units within the
paragraph), "text" (line breaks as blanks) and "properties" are what
`smarttag-host --format jsonl` prints for the tag; "span" is its place in the
document in code points (Python str indices), "byte_span" in UTF-8 bytes.
Lines come in input order, each document's tags in document order: the
output is the same whatever the cluster. A document that is not text is
named on standard error and skipped, and the exit status is then 1.

The work is one plain function, tag_document((id, text)) -> records, which
knows nothing of Dask. tag_partition() applies it to an iterable of
documents, so on Spark, with the module installed on the executors:

    records = sc.parallelize(documents).mapPartitions(tag_partition)   # documents: (id, text) pairs

and with a DataFrame of id and text columns,
df.rdd.map(tuple).mapPartitions(tag_partition).
"""

import argparse
import collections
import json
import os
import pathlib
import sys
import time

try:
    import smarttag
except ImportError:  # run from a source tree: use its build
    sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "build" / "python"))
    import smarttag


def _host_text(matched_text):
    """The matched text as the recognizer saw it: each line break a blank."""
    return matched_text.replace("\r\n", " ").replace("\n", " ")


def tag_document(document, tagger=None):
    """All tags of one document as records (dicts ready for JSON).

    document is an (id, text) pair; text is str or bytes (UTF-8). tagger is a
    smarttag.Tagger (default options when None). Raises ValueError when the
    text is not text.
    """
    doc_id, text = document
    tags = (tagger or smarttag.Tagger()).find(text)
    return [
        {
            "id": doc_id,
            "paragraph": tag.paragraph,
            "name": tag.name,
            "start": tag.utf16_start,
            "length": tag.utf16_length,
            "text": _host_text(tag.matched_text),
            "properties": tag.properties,
            "span": list(tag.char_span()),
            "byte_span": list(tag.byte_span()),
        }
        for tag in tags
    ]


def tag_partition(documents, tagger=None):
    """tag_document over an iterable of (id, text) pairs: a mapPartitions function."""
    tagger = tagger or smarttag.Tagger()
    for document in documents:
        yield from tag_document(document, tagger)


def _tag_batch(batch, tagger):
    """Runs on a worker: (id, records) or (id, error message) for each document."""
    results = []
    for document in batch:
        try:
            results.append((document[0], tag_document(document, tagger), None))
        except ValueError as error:
            results.append((document[0], None, str(error)))
    return results


def read_documents(inputs):
    """(id, text) pairs from folders, text files and JSON Lines files, in order."""
    for name in inputs:
        path = pathlib.Path(name)
        if path.is_dir():
            for file in sorted(path.glob("*.txt")):
                yield os.path.join(name, file.name), file.read_bytes()
        elif path.suffix == ".jsonl":
            with open(path, encoding="utf-8") as lines:
                for number, line in enumerate(lines, 1):
                    if not line.strip():
                        continue
                    record = json.loads(line)
                    if not isinstance(record, dict) or "id" not in record or not isinstance(record.get("text"), str):
                        raise SystemExit(f"{name}:{number}: expected an object with \"id\" and \"text\" (a string)")
                    yield record["id"], record["text"]
        else:
            yield name, path.read_bytes()


def batches(documents, batch_bytes):
    """Groups documents into batches of about batch_bytes of text (at least one document each)."""
    batch, size = [], 0
    for document in documents:
        batch.append(document)
        size += len(document[1])
        if size >= batch_bytes:
            yield batch
            batch, size = [], 0
    if batch:
        yield batch


def _module_folder():
    return os.path.dirname(os.path.abspath(smarttag.__file__))


def _check_workers(client):
    def where():
        import smarttag as module

        return module.__file__, module.__version__

    try:
        found = client.run(where)
    except ImportError as error:
        raise SystemExit(f"a worker cannot import smarttag ({error}); install it on the workers "
                         "(cmake --install) or set PYTHONPATH there")
    versions = {version for _, version in found.values()}
    if versions != {smarttag.__version__}:
        raise SystemExit(f"the workers have smarttag {sorted(versions)}, this process {smarttag.__version__}")


def run(client, documents, out, tagger, batch_bytes, in_flight):
    """Tags the documents on the client's cluster and writes the records to out.

    At most in_flight batches are on the cluster at once, so the corpus is
    never held in memory whole. Returns (documents, tags, refused documents).
    """
    pending = collections.deque()
    counts = [0, 0, 0]

    def write_oldest():
        for doc_id, records, error in pending.popleft().result():
            counts[0] += 1
            if error is not None:
                counts[2] += 1
                print(f"dask_tag_corpus: {doc_id}: skipped: {error}", file=sys.stderr)
                continue
            counts[1] += len(records)
            for record in records:
                out.write(json.dumps(record, ensure_ascii=False, separators=(",", ":")) + "\n")

    for batch in batches(documents, batch_bytes):
        pending.append(client.submit(_tag_batch, batch, tagger, pure=False))
        if len(pending) >= in_flight:
            write_oldest()
    while pending:
        write_oldest()
    return tuple(counts)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("inputs", nargs="+", metavar="INPUT", help="folder, .txt file or .jsonl file of documents")
    parser.add_argument("-o", "--output", default="-", help="JSON Lines output file (default: standard output)")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler (default: start a LocalCluster)")
    parser.add_argument("--workers", type=int, default=2, help="LocalCluster worker processes (default 2)")
    parser.add_argument("--threads-per-worker", type=int, default=1, help="LocalCluster threads per worker (default 1)")
    parser.add_argument("--batch-bytes", type=int, default=1 << 20, help="text per task, in bytes (default 1 MiB)")
    parser.add_argument("--sectors", help="market-sector words, comma-separated (default: smarttag's)")
    parser.add_argument("--prefix", default=smarttag.DEFAULT_PREFIX, help="tag-name prefix")
    args = parser.parse_args(argv)

    sectors = args.sectors.split(",") if args.sectors else smarttag.DEFAULT_SECTORS
    tagger = smarttag.Tagger(sectors=sectors, prefix=args.prefix)

    from distributed import Client, LocalCluster

    cluster = None
    if args.scheduler:
        client = Client(args.scheduler)
    else:
        # Worker processes start afresh. Python's multiprocessing hands them
        # this process's sys.path; PYTHONPATH is set as well, so that whatever
        # they start in turn (a worker restarted by its nanny, a subprocess)
        # finds the module too.
        paths = [_module_folder()] + [p for p in os.environ.get("PYTHONPATH", "").split(os.pathsep) if p]
        os.environ["PYTHONPATH"] = os.pathsep.join(dict.fromkeys(paths))
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=args.threads_per_worker,
                               processes=True, host="127.0.0.1", dashboard_address=None)
        client = Client(cluster)
    try:
        _check_workers(client)
        threads = sum(client.nthreads().values())
        started = time.perf_counter()
        out = sys.stdout if args.output == "-" else open(args.output, "w", encoding="utf-8")
        try:
            documents, tags, refused = run(client, read_documents(args.inputs), out, tagger,
                                           args.batch_bytes, in_flight=max(2, 2 * threads))
        finally:
            if out is not sys.stdout:
                out.close()
        seconds = time.perf_counter() - started
        print(f"dask_tag_corpus: {documents} documents, {tags} tags, {refused} skipped, {seconds:.2f} s "
              f"on {len(client.nthreads())} workers ({threads} threads)", file=sys.stderr)
    finally:
        client.close()
        if cluster is not None:
            cluster.close()
    return 1 if refused else 0


if __name__ == "__main__":
    sys.exit(main())
