#!/usr/bin/python3
"""The monitor end to end under a display server: start, a call, its log record, a picture, a
second start answered through its box, a second call, the end. Run inside xvfb-run and
dbus-run-session. Arguments: the built program folder, the picture to write."""
import datetime
import os
import shutil
import subprocess
import sys
import time

import dbfread

from e2e_support import capisim as run_capisim, check, failures, line_answer, scratch_program

program_dir, picture = sys.argv[1], sys.argv[2]
root, folder, env = scratch_program(program_dir, "belverin-e2e-")


def capisim(*args):
    return run_capisim(folder, env, *args)


def records(expected, limit=10):
    end = time.time() + limit
    while True:
        rows = list(dbfread.DBF(os.path.join(folder, "belverinlog.DBF"), char_decode_errors="replace"))
        if len(rows) >= expected or time.time() > end:
            return rows
        time.sleep(0.2)


def check_record(row, what):
    check(row["DATUM"] == datetime.date.today().isoformat(), what + " DATUM today: " + row["DATUM"])
    check(len(row["TIJD"]) == 8 and row["TIJD"][2] == ":", what + " TIJD hh:nn:ss: " + row["TIJD"])
    check(row["NUMMER"] == "0301234567", what + " NUMMER: " + row["NUMMER"])
    check(row["MSN"] == "5551234", what + " MSN: " + row["MSN"])
    check(row["SOORT"] == "telephony (16)", what + " SOORT: " + row["SOORT"])
    check(row["ZOEKSTATUS"].startswith("Niet opgezocht in de KPN-cdfoongids"),
          what + " ZOEKSTATUS: " + row["ZOEKSTATUS"])


first = subprocess.Popen([os.path.join(folder, "belverin")], env=env, stdout=subprocess.PIPE,
                         text=True)
try:
    line = line_answer(first)
    check(line.startswith("Belverin: listening"), "the first copy listens: " + line.strip())

    check("offered to 1" in capisim("call", "0301234567", "5551234"), "the call is offered")
    rows = records(1)
    check(len(rows) == 1, "one record after the first call (%d)" % len(rows))
    if rows:
        check_record(rows[0], "first record")
    time.sleep(1.0)
    subprocess.run(["import", "-window", "root", picture], env=env, timeout=30)
    check(os.path.exists(picture), "picture " + picture)

    second = subprocess.Popen([os.path.join(folder, "belverin")], env=env, stdout=subprocess.DEVNULL)
    box = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--name", "^Belverin$"],
                         env=env, capture_output=True, text=True, timeout=30).stdout.split()
    check(bool(box), "the second copy's box is up")
    if box:
        subprocess.run(["xdotool", "windowfocus", "--sync", box[-1], "key", "Return"], env=env,
                       timeout=30)
    try:
        rc = second.wait(timeout=30)
    except subprocess.TimeoutExpired:
        second.kill()
        rc = None
    check(rc == 0, "the second copy ends with 0 (%s)" % rc)
    check("applications: 1" in capisim("status"), "one application on the line")

    check("offered to 1" in capisim("call", "0301234567", "5551234"), "the second call is offered")
    check(len(records(2)) == 2, "two records after the second call")

    first.terminate()
    check(first.wait(timeout=60) == 0, "SIGTERM ends the first copy with 0")
    rows = records(2, 0)
    check(len(rows) == 2, "both records read back after the end (%d)" % len(rows))
    for i, row in enumerate(rows):
        check_record(row, "record %d" % (i + 1))
finally:
    if first.poll() is None:
        first.kill()
    shutil.rmtree(root, ignore_errors=True)

sys.exit(1 if failures else 0)
