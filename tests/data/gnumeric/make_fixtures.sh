#!/bin/sh
# Consent sheets as Gnumeric's ssconvert writes them, made from XlsxWriter's
# list of text cells (../xlsxwriter/inline.xlsx) and read back before they
# are kept (LibreOffice, and openpyxl or Gnumeric itself):
#   filled.xlsx   every text cell an inline string
#   filled.xls    the old binary format
#   filled.ods
# Usage: tests/data/gnumeric/make_fixtures.sh
set -eu
here=$(cd "$(dirname "$0")" && pwd)
for format in xlsx xls ods; do
    ssconvert "$here/../xlsxwriter/inline.xlsx" "$here/filled.$format" >/dev/null 2>&1
done
"$here/../read_back.py" "$here/filled.xlsx" "$here/../libreoffice/filled.csv" libreoffice openpyxl
for format in xls ods; do
    "$here/../read_back.py" "$here/filled.$format" "$here/../libreoffice/filled.csv"
done
