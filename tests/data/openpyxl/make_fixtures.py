#!/usr/bin/python3
"""Consent sheets as openpyxl (python3-openpyxl of Debian 12) writes them,
read back by LibreOffice and Gnumeric before they are kept:
  filled.xlsx   the default: inline strings, parts named by absolute targets
                (/xl/worksheets/sheet1.xml)
Usage: tests/data/openpyxl/make_fixtures.py"""
import os
import subprocess
import sys

import openpyxl

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.dirname(HERE))
from consent_rows import ROWS, SHOWN  # noqa: E402

wb = openpyxl.Workbook()
ws = wb.active
ws.title = "출금동의"
for row in ROWS:
    ws.append([cell if cell != "" else None for cell in row])
wb.save(os.path.join(HERE, "filled.xlsx"))
subprocess.run([os.path.join(HERE, "..", "read_back.py"), os.path.join(HERE, "filled.xlsx"),
                SHOWN], check=True)
