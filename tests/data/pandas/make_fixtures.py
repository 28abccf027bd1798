#!/usr/bin/python3
"""Consent sheets as pandas (python3-pandas) DataFrame.to_excel writes them,
with the engines Debian 12 gives it, read back by LibreOffice and Gnumeric
before they are kept:
  filled.xlsx   the default engine (XlsxWriter when it is installed)
(Its .ods, through odfpy, keeps text cells in office:value, which Gnumeric
reads as numbers: no second reader agrees, so none is kept.)
Usage: tests/data/pandas/make_fixtures.py"""
import os
import subprocess
import sys

import pandas

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
from consent_rows import ROWS, write_csv  # noqa: E402

# pandas writes the headings in the first row, without the title line.
frame = pandas.DataFrame(ROWS[2:], columns=ROWS[1], dtype=str)
shown = os.path.join(HERE, "shown.csv")
write_csv(shown, ROWS[1:])
try:
    for name in ("filled.xlsx",):
        frame.to_excel(os.path.join(HERE, name), sheet_name="출금동의", index=False)
        subprocess.run([os.path.join(HERE, "..", "read_back.py"), os.path.join(HERE, name), shown],
                       check=True)
finally:
    os.remove(shown)
