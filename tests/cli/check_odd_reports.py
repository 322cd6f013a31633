#!/usr/bin/env python3
"""Runs cli_odd_reports under Wine in a scratch folder and reads the CSV and
JSON reports it wrote with Python's own csv and json modules: every field must
come back as the UTF-8 the program made of it (expected.txt, in hex).

Usage: check_odd_reports.py <wine-run> <cli_odd_reports.exe>
"""
import csv
import io
import json
import subprocess
import sys
import tempfile
from pathlib import Path

LISTING = ["id", "virus", "fileName", "folder", "formerPath", "time", "fileObjects", "otherObjects"]
OUTCOMES = ["id", "result", "reason", "path", "sha256"]

problems = []


def expect(what, got, wanted):
    if got != wanted:
        problems.append(f"{what}: got {got!r}, wanted {wanted!r}")


def text_of(path):
    data = path.read_bytes()
    expect(f"{path.name} starts without a byte-order mark", data[:3] == b"\xef\xbb\xbf", False)
    expect(f"{path.name} ends with CRLF", data.endswith(b"\r\n"), True)
    return data.decode("utf-8")  # strict: anything but UTF-8 fails here


def check_csv(path, columns, records):
    rows = list(csv.reader(io.StringIO(text_of(path), newline=""), strict=True))
    expect(f"{path.name} header", rows[:1], [columns])
    expect(f"{path.name} record count", len(rows) - 1, len(records))
    for n, (row, (text, files, others)) in enumerate(zip(rows[1:], records)):
        wanted = [text] * len(columns)
        if columns is LISTING:
            wanted[-2:] = [str(files), str(others)]
        expect(f"{path.name} record {n}", row, wanted)


def check_json(path, columns, records, folder):
    document = json.loads(text_of(path))
    expect(f"{path.name} folder", document.get("folder"), folder)
    items = document.get("items", [])
    expect(f"{path.name} record count", len(items), len(records))
    for n, (item, (text, files, others)) in enumerate(zip(items, records)):
        order = columns
        wanted = {column: text for column in columns}
        if columns is LISTING:
            # JSON alone lists every former path, right after the first.
            order = columns[:5] + ["formerPaths"] + columns[5:]
            wanted.update(formerPaths=[text, text], fileObjects=files, otherObjects=others)
        expect(f"{path.name} record {n}", item, wanted)
        expect(f"{path.name} record {n} order", list(item), order)


def main():
    wine_run, exe = sys.argv[1:3]
    with tempfile.TemporaryDirectory(prefix="odd-reports-") as scratch:
        work = Path(scratch)
        subprocess.run([wine_run, exe], cwd=work, check=True, timeout=300,
                       stdout=subprocess.DEVNULL)
        lines = [line.split("\t") for line in (work / "expected.txt").read_text("ascii").splitlines()]
        folder = bytes.fromhex(lines[0][1]).decode("utf-8")
        records = [(bytes.fromhex(h).decode("utf-8"), int(f), int(o)) for h, f, o in lines[1:]]
        if len(records) < 30:
            problems.append(f"only {len(records)} odd strings written")
        # What the program made of an unpaired surrogate: the replacement character.
        expect("a lone surrogate", any("\ufffd" in text for text, _, _ in records), True)
        check_csv(work / "listing.csv", LISTING, records)
        check_csv(work / "outcomes.csv", OUTCOMES, records)
        check_json(work / "listing.json", LISTING, records, folder)
        check_json(work / "outcomes.json", OUTCOMES, records, folder)
    for problem in problems:
        print(problem)
    print(f"{len(records)} odd strings, {len(problems)} problems")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
