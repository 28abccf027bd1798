#!/usr/bin/python3
"""Consent sheets as odfpy (python3-odf) writes them, read back by
LibreOffice and Gnumeric before they are kept:
  formula.ods   the names and payer numbers as formulas that yield text
                (=CONCATENATE(...), ="0"&"101"), each cell with its result,
                and the day as a formula that yields a number
Usage: tests/data/odfpy/make_fixtures.py"""
import os
import subprocess
import sys

from odf.opendocument import OpenDocumentSpreadsheet
from odf.table import Table, TableCell, TableRow
from odf.text import P

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
from consent_rows import ROWS, SHOWN  # noqa: E402


def quoted(text):
    return '"' + text.replace('"', '""') + '"'


def formula_of(r, c, text):
    """The formula a row's cell is given, or None for a typed value."""
    if r < 2 or text == "":
        return None
    if c == 0:
        return "of:=CONCATENATE(%s;%s)" % (quoted(text[:1]), quoted(text[1:]))
    if c == 4:
        return "of:=%s&%s" % (quoted(text[:1]), quoted(text[1:]))
    return None


doc = OpenDocumentSpreadsheet()
table = Table(name="출금동의")
for r, row in enumerate(ROWS):
    tr = TableRow()
    for c, text in enumerate(row):
        if text == "":
            tr.addElement(TableCell())
            continue
        formula = formula_of(r, c, text)
        if r >= 2 and c == 7:  # the day: a number from a formula
            cell = TableCell(formula="of:=%d+%d" % (int(text) - 1, 1), valuetype="float",
                             value=int(text))
        elif formula:
            cell = TableCell(formula=formula, valuetype="string", stringvalue=text)
        else:
            cell = TableCell(valuetype="string")
        cell.addElement(P(text=text))
        tr.addElement(cell)
    table.addElement(tr)
doc.spreadsheet.addElement(table)
path = os.path.join(HERE, "formula.ods")
doc.save(path)
subprocess.run([os.path.join(HERE, "..", "read_back.py"), path, SHOWN], check=True)
