#!/usr/bin/python3
"""Reads a spreadsheet back with independent readers and checks that each
shows the expected cells. Used by the fixture scripts beside it, so that no
fixture is committed holding other than what it was built to hold.

    read_back.py FILE EXPECTED.csv [READER...]

READER is libreoffice (soffice, the text as shown), gnumeric (ssconvert,
the text as shown) or openpyxl (.xlsx values: a date as yyyy-mm-dd, with
hh:mm when it has a time of day); libreoffice and gnumeric by default. Trailing empty cells and rows do not
count. Exits 1 and prints both grids when a reader sees otherwise."""
import csv
import os
import subprocess
import sys
import tempfile


def trimmed(rows):
    out = [list(r) for r in rows]
    for r in out:
        while r and r[-1] == "":
            r.pop()
    while out and not out[-1]:
        out.pop()
    return out


def libreoffice(path, work):
    subprocess.run(
        ["soffice", "-env:UserInstallation=file://" + work + "/profile", "--headless",
         "--convert-to", "csv:Text - txt - csv (StarCalc):44,34,76,1", "--outdir", work, path],
        check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return os.path.join(work, os.path.splitext(os.path.basename(path))[0] + ".csv")


def gnumeric(path, work):
    # One file per sheet: the first is the one the program reads.
    out = os.path.join(work, "gnumeric.%n.csv")
    subprocess.run(
        ["ssconvert", "-S", "-T", "Gnumeric_stf:stf_assistant", "-O",
         "separator=, format=preserve quoting-mode=auto charset=UTF-8", path, out],
        check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return out.replace("%n", "0")


def openpyxl(path, work):
    import datetime
    import warnings
    import openpyxl as op
    warnings.simplefilter("ignore")
    out = os.path.join(work, "openpyxl.csv")
    rows = []
    for row in op.load_workbook(path).worksheets[0].iter_rows(values_only=True):
        cells = []
        for v in row:
            if isinstance(v, datetime.datetime):
                v = v.strftime("%Y-%m-%d %H:%M" if v.time() != datetime.time() else "%Y-%m-%d")
            cells.append("" if v is None else str(v))
        rows.append(cells)
    with open(out, "w", newline="", encoding="utf-8") as f:
        csv.writer(f).writerows(rows)
    return out


def read_csv(path):
    with open(path, newline="", encoding="utf-8-sig") as f:
        return trimmed(csv.reader(f))


def main():
    path, expected_path = sys.argv[1], sys.argv[2]
    readers = sys.argv[3:] or ["libreoffice", "gnumeric"]
    expected = read_csv(expected_path)
    failed = False
    for name in readers:
        with tempfile.TemporaryDirectory() as work:
            seen = read_csv({"libreoffice": libreoffice, "gnumeric": gnumeric, "openpyxl": openpyxl}[name](path, work))
        if seen != expected:
            failed = True
            print(f"{path}: {name} reads otherwise:\n  seen     {seen}\n  expected {expected}",
                  file=sys.stderr)
    sys.exit(1 if failed else 0)


if __name__ == "__main__":
    main()
