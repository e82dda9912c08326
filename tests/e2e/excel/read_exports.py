#!/usr/bin/python3
"""Opens what the letter of credit's exports left in the user's folder with the spreadsheet reader:
read_exports.py FOLDER DATABASE.

The folder must hold two workbooks, the browse table's and the lines', one file each. The first has the
browse grid's titles in row 1 and one row per credit of the database; the second the lines' titles and
one row per line. Files are told apart by their first title row, not by name or order."""
import io
import sqlite3
import sys
from pathlib import Path

import openpyxl

HEAD_TITLES = [
    "选定", "单别", "单别名称", "单号", "开证日期", "L/C单号", "供应商", "供应商名称", "结束", "审核日", "审核者",
    "审核者名称", "开证银行", "银行名称", "额度别", "远期天数", "有效日期", "许可证号", "工厂", "工厂名称",
    "装船期限", "运送方式", "E.T.D", "E.T.A", "开证币种", "开证汇率", "开证金额", "更改金额", "总金额",
    "已到货额", "自筹比率 ", "原币自筹金额", "自筹金额", "手续费", "保险费", "签证费", "邮电费", "杂项费用",
    "其他费用", "费用合计", "已摊费用", "已摊自筹额", "备注", "打印", "审核码",
]
BODY_TITLES = [
    "单别", "单号", "序号", "采购单别", "采购单号", "采购序号", "入库仓库", "仓库名称", "品号", "品名", "规格",
    "采购量", "未交量", "单位", "采购单价", "采购金额", "预交货日",
]


def rows_of(path):
    # The reader tells the format by the content; the exports keep the ".xls" name the module gives.
    sheet = openpyxl.load_workbook(io.BytesIO(path.read_bytes()), read_only=True).active
    return [list(row) for row in sheet.iter_rows(values_only=True)]


def main():
    folder, database = Path(sys.argv[1]), sys.argv[2]
    files = sorted(p for p in folder.iterdir() if p.is_file())
    if len(files) != 2:
        sys.exit("expected the two exports' files in %s, found %s" % (folder, [p.name for p in files]))
    db = sqlite3.connect(database)
    credits = sorted(db.execute("SELECT TRIM(TA001), TRIM(TA002) FROM KVRTA"))
    lines = sorted(db.execute("SELECT TRIM(TB001), TRIM(TB002), TRIM(TB003) FROM KVRTB"))
    by_titles = {}
    for path in files:
        rows = rows_of(path)
        if not rows:
            sys.exit("%s is empty" % path.name)
        by_titles[tuple(rows[0])] = (path, rows[1:])
    failures = []
    for titles, key_titles, expected in ((HEAD_TITLES, ("单别", "单号"), credits),
                                         (BODY_TITLES, ("单别", "单号", "序号"), lines)):
        keys = [titles.index(title) for title in key_titles]
        if tuple(titles) not in by_titles:
            failures.append("no workbook has the titles %s; first rows: %s" % (titles, list(by_titles)))
            continue
        path, rows = by_titles[tuple(titles)]
        found = sorted(tuple(str(row[k]).strip() for k in keys) for row in rows)
        if found != expected:
            failures.append("%s: rows %s, the database has %s" % (path.name, found, expected))
        if any(len(row) != len(titles) for row in rows):
            failures.append("%s: rows of another width than the titles" % path.name)
    if not expected or not credits:
        failures.append("the database has no credits")
    if failures:
        sys.exit("\n".join(failures))
    print("read %d credits and %d lines back" % (len(credits), len(lines)))


if __name__ == "__main__":
    main()
