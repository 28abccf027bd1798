// Consent sheets as the npm package xlsx (SheetJS) writes them, each read
// back by LibreOffice and Gnumeric before it is kept:
//   filled.xlsx        the default: every text cell t="str" without a formula
//   dates.xlsx         request dates as ISO date cells (t="d", cellDates)
//   serial-dates.xlsx  request dates as date numbers, written in Seoul time:
//                      the package's date numbers carry the 52 seconds of the
//                      zone's old local mean time, a time of day on the date
//   filled.xls         the old binary format (BIFF8) as the package writes it:
//                      a small workbook in the container's mini stream, text
//                      in LABEL records, an empty one for each empty cell
//   shared-strings.xls the same with the text in a shared string table
//                      (bookSST), an empty string among them
//   long.xls           a list of 300 consents with its text in a shared
//                      string table spread over CONTINUE records; long.csv
//                      is the list it was made from
//   filled.ods
// Usage: NODE_PATH=DIR/node_modules node tests/data/sheetjs/make_fixtures.js
// (DIR: a folder where `npm install xlsx` ran).
process.env.TZ = 'Asia/Seoul';
const XLSX = require('xlsx');
const fs = require('fs');
const path = require('path');
const os = require('os');
const { execFileSync } = require('child_process');

const here = __dirname;
const shown = path.join(here, '..', 'libreoffice', 'filled.csv');
const rows = fs.readFileSync(shown, 'utf8').trim().split(/\r?\n/).map((l) => l.split(','));

function check(name, readers = [], expected = shown) {
    execFileSync(path.join(here, '..', 'read_back.py'), [path.join(here, name), expected, ...readers],
                 { stdio: 'inherit' });
}

function write(name, sheetRows, options, readers, expected = shown) {
    const ws = XLSX.utils.aoa_to_sheet(sheetRows, { cellDates: true, dateNF: 'yyyy-mm-dd' });
    const wb = XLSX.utils.book_new();
    XLSX.utils.book_append_sheet(wb, ws, '출금동의');
    XLSX.writeFile(wb, path.join(here, name), options);
    check(name, readers, expected);
}

// Dates typed as dates, shown as the list shows them.
function datedRows() {
    return rows.map((row, r) => row.map((cell, c) => {
        if (r < 2 || c !== 6 || cell === '')
            return cell;
        const [y, m, d] = cell.split('-').map(Number);
        return new Date(y, m - 1, d);
    }));
}

write('filled.xlsx', rows);
write('filled.xls', rows, { bookType: 'biff8' });
write('shared-strings.xls', rows, { bookType: 'biff8', bookSST: true });
// The filled list's consents again and again, each with a name and payer
// number of its own, so that the table of strings outgrows one record.
const longRows = rows.slice(0, 2);
for (let i = 0; i < 100; ++i)
    for (const row of rows.slice(2)) {
        const copy = row.slice();
        copy[0] = `${row[0]}${i + 1}`;
        copy[4] = `${row[4]}-${i + 1}`;
        longRows.push(copy);
    }
const longCsv = path.join(here, 'long.csv');
fs.writeFileSync(longCsv, longRows.map((r) => r.join(',')).join('\n') + '\n');
write('long.xls', longRows, { bookType: 'biff8', bookSST: true }, [], longCsv);
write('filled.ods', rows);
// Gnumeric 1.12 does not read ISO date cells: openpyxl is the second reader.
write('dates.xlsx', datedRows(), { cellDates: true }, ['libreoffice', 'openpyxl']);
const dates = XLSX.utils.aoa_to_sheet(datedRows(), { cellDates: true, dateNF: 'yyyy-mm-dd' });
const wb = XLSX.utils.book_new();
XLSX.utils.book_append_sheet(wb, dates, '출금동의');
XLSX.writeFile(wb, path.join(here, 'serial-dates.xlsx'));
check('serial-dates.xlsx');
