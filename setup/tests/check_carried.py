"""Reads an old table (from the backup) and the new one with dbfread and checks that every live
old record was carried over byte for byte, field by field by name.

usage: check_carried.py OLD.DBF NEW.DBF [NEWFIELD=OLDFIELD ...]
Exits 0 when all holds; prints the first differences otherwise."""
import sys

from dbfread import DBF


def records(path):
    """Text fields as raw bytes; memos (raw gives their block numbers) decoded, so that their
    bytes come back through surrogateescape."""
    table = DBF(path, raw=True)
    memo = {f.name for f in table.fields if f.type == "M"}
    rows = list(table)
    if memo:
        decoded = DBF(path, encoding="cp1252", char_decode_errors="surrogateescape")
        for row, text_row in zip(rows, decoded):
            for name in memo:
                row[name] = text_row[name]
    return table, memo, rows


def text(value):
    if value is None:
        return b""
    if isinstance(value, str):
        return value.encode("cp1252", "surrogateescape")
    return bytes(value)


def main():
    old_path, new_path = sys.argv[1], sys.argv[2]
    renamed = dict(arg.split("=", 1) for arg in sys.argv[3:])
    old_table, old_memo, old = records(old_path)
    new_table, new_memo, new = records(new_path)
    deleted = len(list(old_table.deleted))
    errors = []
    if len(old) != len(new):
        errors.append(f"{len(old)} live old records, {len(new)} new")
    old_names = {f.name.upper(): f.name for f in old_table.fields}
    for i, (o, n) in enumerate(zip(old, new)):
        for field in new_table.fields:
            source = old_names.get(renamed.get(field.name.upper(), field.name).upper())
            got = text(n[field.name])
            if source is None:
                if got.strip(b" ") != b"":
                    errors.append(f"record {i}: new-only {field.name} not blank: {got!r}")
                continue
            want = text(o[source])
            # Text fields of equal width hold the same bytes, padding included.
            if field.name in new_memo or source in old_memo or len(got) == len(want):
                same = got == want
            else:
                same = got.rstrip(b" ") == want.rstrip(b" ")
            if not same:
                errors.append(f"record {i}: {field.name}: {got[:60]!r} != {want[:60]!r}")
        if len(errors) > 10:
            break
    if errors:
        print("\n".join(errors[:10]))
        return 1
    print(f"carried {len(new)} records, {deleted} deleted left behind")
    return 0


sys.exit(main())
