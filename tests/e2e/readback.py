#!/usr/bin/python3
"""Reads a session's database back: readback.py DATABASE CHECKS.

CHECKS holds queries, one a line, each followed by the rows it must give, all of them and in order, one a
line as "= " and the columns joined by "|" (texts as the database holds them, UTF-8). Blank lines and
lines starting with "#" are skipped."""
import sqlite3
import sys


def checks(path):
    query, rows = None, []
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            if line.startswith("= ") or line == "=":
                if query is None:
                    raise ValueError(f"{path}: a row before any query: {line}")
                rows.append(line[2:])
                continue
            if query is not None:
                yield query, rows
            query, rows = line, []
    if query is not None:
        yield query, rows


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    database, path = sys.argv[1], sys.argv[2]
    # Read only: a check never changes what the session left.
    connection = sqlite3.connect(f"file:{database}?mode=ro", uri=True)
    failed = False
    for query, expected in checks(path):
        found = ["|".join("" if v is None else str(v) for v in row) for row in connection.execute(query)]
        if found != expected:
            failed = True
            print(f"{query}\n  found:    {found}\n  expected: {expected}")
        else:
            print(f"{query}: {len(found)} rows as expected")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
