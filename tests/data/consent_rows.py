"""The filled consent list of libreoffice/filled.csv, which every writer's
fixture holds in its own way: the rows as the sheet shows them."""
import csv
import os

HERE = os.path.dirname(os.path.abspath(__file__))
SHOWN = os.path.join(HERE, "libreoffice", "filled.csv")

with open(SHOWN, newline="", encoding="utf-8") as f:
    ROWS = [row for row in csv.reader(f)]  # title line, headings, three consents


def write_csv(path, rows):
    with open(path, "w", newline="", encoding="utf-8") as f:
        csv.writer(f).writerows(rows)
