#!/usr/bin/python3
"""Transfer-line files of the shipped layout 기본양식 (records of 98 bytes
and their line end, CP949) with the three line ends text tools write:
  lines.crlf.prn   CR LF (Windows)
  lines.lf.prn     LF (Unix)
  lines.cr.prn     CR alone (old Mac tools)
  lines.long.prn   the same lines with 30 more bytes each: longer than a
                   record of the layout, so its records cannot be counted
Every file holds the same five transfers; each is counted back by its
line ends before it is kept.
Usage: tests/data/text/make_fixtures.py"""
import os

HERE = os.path.dirname(os.path.abspath(__file__))

# 동 1/4, 호 5/4, 입주자명 9/20, 은행코드 29/2, 계좌번호 31/16, 이체금액 47/13.
LINES = [("101", "1203", "홍길동", "11", "30112345678", "15000"),
         ("101", "1204", "김영희", "13", "3021234567890", "22000"),
         ("102", "301", "이철수", "11", "35212345678", "9000"),
         ("102", "302", "박민수", "12", "30198765432", "31000"),
         ("103", "1501", "최지우", "16", "3510001112223", "5000")]


def field(text, width):
    raw = text.encode("cp949")
    assert len(raw) <= width, text
    return raw + b" " * (width - len(raw))


records = []
for dong, ho, name, bank, account, amount in LINES:
    record = (field(dong, 4) + field(ho, 4) + field(name, 20) + field(bank, 2) +
              field(account, 16) + field(amount, 13))
    records.append(record + b" " * (98 - len(record)))

for name, end, extra in (("crlf", b"\r\n", 0), ("lf", b"\n", 0), ("cr", b"\r", 0),
                         ("long", b"\r\n", 30)):
    data = b"".join(r + b" " * extra + end for r in records)
    path = os.path.join(HERE, "lines.%s.prn" % name)
    with open(path, "wb") as f:
        f.write(data)
    with open(path, "rb") as f:
        back = f.read()
    assert len(back.splitlines()) == len(LINES), path
    assert len(back.replace(b"\r\n", b"\n").replace(b"\r", b"\n").split(b"\n")) == len(LINES) + 1
