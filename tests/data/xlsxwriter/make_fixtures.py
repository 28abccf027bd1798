#!/usr/bin/python3
"""Consent sheets as XlsxWriter (python3-xlsxwriter) writes them, each read
back by LibreOffice and Gnumeric before it is kept:
  inline.xlsx            constant-memory mode: every text cell an inline string
  zeros.xlsx             codes and numbers typed as numbers, shown with leading
                         zeros by their number format (000000, 0000 ...)
  date1904.xlsx          request dates as date cells of a 1904-date-system book
  datetime.xlsx          request dates with a time of day, one shown, one not
  institution-number.xlsx  the institution code typed as the number 1
  no-rows.xlsx           the headings and rows without a name: nothing to read
Usage: tests/data/xlsxwriter/make_fixtures.py"""
import datetime
import os
import subprocess
import sys
import tempfile

import xlsxwriter

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
from consent_rows import ROWS, SHOWN, write_csv  # noqa: E402

work = tempfile.mkdtemp()


def book(name, **options):
    return xlsxwriter.Workbook(os.path.join(HERE, name), options)


def check(name, shown=SHOWN):
    if isinstance(shown, list):
        path = os.path.join(work, name + ".csv")
        write_csv(path, shown)
        shown = path
    subprocess.run([os.path.join(HERE, "..", "read_back.py"), os.path.join(HERE, name), shown],
                   check=True)


def text_rows(ws, rows, skip=()):
    for r, row in enumerate(rows):
        for c, value in enumerate(row):
            if (r, c) not in skip and value != "":
                ws.write_string(r, c, value)


# Inline strings.
wb = book("inline.xlsx", constant_memory=True)
text_rows(wb.add_worksheet("출금동의"), ROWS)
wb.close()
check("inline.xlsx")

# Numbers with leading zeros shown by their format.
wb = book("zeros.xlsx")
ws = wb.add_worksheet("출금동의")
ws.set_column(0, 9, 16)  # wide enough that no reader shows 1.05E+09
fmt = {}


def zeros(width):
    if width not in fmt:
        fmt[width] = wb.add_format({"num_format": "0" * width})
    return fmt[width]


numbered = {}
for r, row in enumerate(ROWS[2:], start=2):
    for c in (1, 2, 3, 4, 8):  # institution, bank, account, payer, branch
        if row[c].isdigit():
            ws.write_number(r, c, int(row[c]), zeros(len(row[c])))
            numbered[(r, c)] = True
    for c in (5, 7):  # real-name number and day as plain numbers
        if row[c].isdigit():
            ws.write_number(r, c, int(row[c]))
            numbered[(r, c)] = True
text_rows(ws, ROWS, skip=numbered)
wb.close()
check("zeros.xlsx")


# Request dates as dates counted from 1904.
wb = book("date1904.xlsx", date_1904=True)
ws = wb.add_worksheet("출금동의")
day = wb.add_format({"num_format": "yyyy-mm-dd"})
dates = {(r, 6) for r in range(2, len(ROWS)) if ROWS[r][6]}
for r, c in dates:
    ws.write_datetime(r, c, datetime.datetime.strptime(ROWS[r][c], "%Y-%m-%d"), day)
text_rows(ws, ROWS, skip=dates)
wb.close()
check("date1904.xlsx")

# The first request at 09:30 shown with its time, the second at 17:45 shown
# as a date only.
wb = book("datetime.xlsx")
ws = wb.add_worksheet("출금동의")
times = {2: ("yyyy-mm-dd hh:mm", datetime.timedelta(hours=9, minutes=30)),
         3: ("yyyy-mm-dd", datetime.timedelta(hours=17, minutes=45))}
for r, (code, when) in times.items():
    d = datetime.datetime.strptime(ROWS[r][6], "%Y-%m-%d") + when
    ws.write_datetime(r, 6, d, wb.add_format({"num_format": code}))
text_rows(ws, ROWS, skip={(2, 6), (3, 6)})
wb.close()
shown = [list(r) for r in ROWS]
shown[2][6] = "2024-03-01 09:30"
check("datetime.xlsx", shown)

# The institution code of the second consent typed as a number without a
# format: the sheet shows 1.
wb = book("institution-number.xlsx")
ws = wb.add_worksheet("출금동의")
ws.write_number(3, 1, 1)
text_rows(ws, ROWS, skip={(3, 1)})
wb.close()
shown = [list(r) for r in ROWS]
shown[3][1] = "1"
check("institution-number.xlsx", shown)

# Only the headings and rows whose name cell is empty.
wb = book("no-rows.xlsx")
ws = wb.add_worksheet("출금동의")
nameless = [ROWS[1]] + [[""] + r[1:] for r in ROWS[2:]]
text_rows(ws, nameless)
wb.close()
check("no-rows.xlsx", nameless)
