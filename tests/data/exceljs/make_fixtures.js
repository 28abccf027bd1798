// Consent sheets as the npm package exceljs writes them, each read back by
// LibreOffice and Gnumeric before it is kept:
//   filled.xlsx       the list on the only sheet
//   second-part.xlsx  a notes sheet made first and the list made second but
//                     moved to the front: the workbook lists
//                     xl/worksheets/sheet2.xml first
// Usage: NODE_PATH=DIR/node_modules node tests/data/exceljs/make_fixtures.js
// (DIR: a folder where `npm install exceljs` ran).
const ExcelJS = require('exceljs');
const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');

const here = __dirname;
const shown = path.join(here, '..', 'libreoffice', 'filled.csv');
const rows = fs.readFileSync(shown, 'utf8').trim().split(/\r?\n/).map((l) => l.split(','));

function check(name) {
    execFileSync(path.join(here, '..', 'read_back.py'), [path.join(here, name), shown],
                 { stdio: 'inherit' });
}

function fill(ws) {
    rows.forEach((row) => ws.addRow(row.map((cell) => (cell === '' ? null : cell))));
}

(async () => {
    let wb = new ExcelJS.Workbook();
    fill(wb.addWorksheet('출금동의'));
    await wb.xlsx.writeFile(path.join(here, 'filled.xlsx'));
    check('filled.xlsx');

    wb = new ExcelJS.Workbook();
    const notes = wb.addWorksheet('안내');
    notes.addRow(['작성 안내: 다음 시트에 한 사람씩 적습니다']);
    const list = wb.addWorksheet('출금동의');
    fill(list);
    list.orderNo = 0;
    notes.orderNo = 1;
    await wb.xlsx.writeFile(path.join(here, 'second-part.xlsx'));
    check('second-part.xlsx');
})().catch((e) => {
    console.error(e);
    process.exit(1);
});
