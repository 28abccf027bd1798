#!/bin/sh
# Makes the spreadsheet files of LibreOffice Calc that the tests read, from
# the program's own files and the hand-made sheets beside this script:
#   template.xlsx         the consent template as the program writes it
#   lines.xlsx            a lines export as the program writes it
#   filled.csv            a filled-in consent sheet as typed (the original)
#   odd.fods              merged title, formula, dates, empty rows, hidden column
# and each of them saved by LibreOffice as *.lo.ods, *.lo.xlsx, *.lo.xls,
# *.lo.csv (UTF-8) and *.lo.cp949.csv; and odfpy's sheet of formulas that
# yield text (../odfpy/formula.ods) saved by LibreOffice as formula.lo.ods.
# Usage: tests/data/libreoffice/make_fixtures.sh BUILD_DIR
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:?usage: make_fixtures.sh BUILD_DIR}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export PELMAR_REGISTRY_DIR="$work/registry" PELMAR_NOW="2024-03-15 10:30:00"
tool() { "$build/bin/pelmar-tool" --quiet "$@"; }

# soffice IN FORMAT NAME: IN saved by LibreOffice as $here/NAME.
lo() {
    rm -rf "$work/out"
    soffice -env:UserInstallation="file://$work/profile" --headless ${4:-} \
        --convert-to "$2" --outdir "$work/out" "$1" >/dev/null 2>&1
    mv "$work/out/"* "$here/$3"
}
utf8='csv:Text - txt - csv (StarCalc):44,34,76,1'
cp949='csv:Text - txt - csv (StarCalc):44,34,62,1'
every() { # SOURCE BASE: the source saved in every format
    [ "${1##*.}" = ods ] || lo "$1" ods "$2.lo.ods"
    lo "$1" 'xlsx:Calc MS Excel 2007 XML' "$2.lo.xlsx"
    lo "$1" 'xls:MS Excel 97' "$2.lo.xls"
    lo "$1" "$utf8" "$2.lo.csv"
    lo "$1" "$cp949" "$2.lo.cp949.csv"
}

tool --home "$work/branch" consent-template "$here/template.xlsx"
every "$here/template.xlsx" template

# The first batch of the seeded demo installation, exported and saved back.
tool --home "$work/demo" make-demo --seed 7 >/dev/null
tool --home "$work/demo" export-lines --batch 1 "$here/lines.xlsx" >/dev/null
lo "$here/lines.xlsx" ods lines.lo.ods
lo "$here/lines.xlsx" 'xlsx:Calc MS Excel 2007 XML' lines.lo.xlsx

# The filled sheet as Calc opens a CSV whose columns are set to text, so the
# leading zeros stay, but the dates (column 7) and days (8) as typed values.
cp "$here/filled.csv" "$work/filled.csv"
lo "$work/filled.csv" ods filled.lo.ods \
    '--infilter=CSV:44,34,76,1,1/2/2/2/3/2/4/2/5/2/6/2/7/1/8/1/9/2/10/2'
every "$here/filled.lo.ods" filled

every "$here/odd.fods" odd

# Formulas that yield text, as Calc keeps them with their results.
lo "$here/../odfpy/formula.ods" ods formula.lo.ods
"$here/../read_back.py" "$here/formula.lo.ods" "$here/filled.csv" gnumeric
