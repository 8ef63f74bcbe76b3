#!/usr/bin/python3
"""The setup program as a user runs it, under a display server: a first installation from the
distribution the build lays out into an empty home folder, clicked and answered through xdotool.
Run inside xvfb-run. Arguments: the distribution folder, the picture to write."""
import filecmp
import os
import shutil
import subprocess
import sys
import tempfile
import time

import dbfread

dist, picture = sys.argv[1], sys.argv[2]
root = tempfile.mkdtemp(prefix="belverin-setup-e2e-")
home = os.path.join(root, "home")
runtime = os.path.join(root, "runtime")
os.mkdir(home)
os.mkdir(runtime, 0o700)
env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=runtime, ASAN_OPTIONS="detect_leaks=0")
for name in ("QT_QPA_PLATFORM", "XDG_CONFIG_HOME", "XDG_DATA_HOME"):
    env.pop(name, None)
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)


def xdotool(*args, timeout=30):
    return subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True,
                          timeout=timeout).stdout


def window(title, limit=30):
    """The visible window whose name is `title`, waited for."""
    end = time.time() + limit
    while time.time() < end:
        found = xdotool("search", "--onlyvisible", "--name", "^%s$" % title).split()
        if found:
            return found[-1]
        time.sleep(0.2)
    return None


def click(win, x_of_width, y_from_bottom):
    """A click at a fraction of the window's width and a distance from its bottom."""
    geometry = dict(line.split("=") for line in
                    xdotool("getwindowgeometry", "--shell", win).split())
    x = int(int(geometry["WIDTH"]) * x_of_width)
    y = int(geometry["HEIGHT"]) - y_from_bottom
    xdotool("mousemove", "--window", win, str(x), str(y), "click", "1")


def answer(title, key):
    box = window(title)
    check(box is not None, "box " + title)
    if box:
        xdotool("windowfocus", "--sync", box, "key", key)
        time.sleep(0.3)


setup = subprocess.Popen([os.path.join(dist, "setup")], env=env, stdout=subprocess.DEVNULL)
try:
    main = window("Belverin Setup   .*")
    check(main is not None, "the main form is up")
    # Start: the button left of Sluiten at the bottom right.
    xdotool("windowfocus", "--sync", main, "key", "Tab", "Tab", "space")
    answer("Belverin Setup ", "Return")  # close a running monitor first
    directory = window("Setup voor Belverin")
    check(directory is not None, "the directory form is up at the home folder")
    if directory:
        click(directory, 0.25, 22)  # OK, bottom left
    # No to the menu entry, the desktop and the autostart, and to starting the monitor.
    for _ in range(3):
        answer("Bevestigen", "Escape")
    time.sleep(0.5)
    subprocess.run(["import", "-window", "root", picture], env=env, timeout=30)
    if main:
        click(main, 0.93, 22)  # Sluiten, bottom right
    try:
        rc = setup.wait(timeout=30)
    except subprocess.TimeoutExpired:
        setup.kill()
        rc = None
    check(rc == 0, "the setup ends with 0 (%s)" % rc)
finally:
    if setup.poll() is None:
        setup.kill()

listed = ["belverin", "libxbase32.so", "libcapi2032.so", "capisim", "belverintel.DBF",
          "belverintel.FPT", "belverinlog.DBF", "belverinlog.FPT", "belverin.svg"]
for name in listed:
    installed = os.path.join(home, name)
    check(os.path.isfile(installed) and filecmp.cmp(os.path.join(dist, name), installed,
                                                    shallow=False), name + " installed byte-equal")
check(os.access(os.path.join(home, "belverin"), os.X_OK), "belverin is executable")
check(not os.path.exists(os.path.join(home, "belvo.ini")), "no belvo.ini is installed")
for table in ("belverintel.DBF", "belverinlog.DBF"):
    try:
        rows = list(dbfread.DBF(os.path.join(home, table), encoding="cp1252"))
        check(rows == [], table + " reads as an empty table")
    except Exception as e:  # noqa: BLE001 - any failure to read is the finding
        check(False, "%s does not read: %s" % (table, e))
entries = os.path.join(home, ".local", "share", "applications", "belverin")
desktop = os.listdir(entries) if os.path.isdir(entries) else []
check(len(desktop) == 1 and desktop[0].endswith(".desktop"), "the menu entry: %s" % desktop)
if desktop:
    with open(os.path.join(entries, desktop[0]), encoding="utf-8") as f:
        text = f.read()
    check('Exec="%s"' % os.path.join(home, "belverin") in text, "the menu entry starts belverin")
    icon = os.path.join(home, "belverin.svg")
    check("\nIcon=%s\n" % icon in text and os.path.isfile(icon), "the menu entry's icon is installed")
    check("\nCategories=Network;Telephony;\n" in text, "the menu entry's categories")
    valid = subprocess.run(["desktop-file-validate", os.path.join(entries, desktop[0])],
                           capture_output=True, text=True)
    check(valid.returncode == 0 and not valid.stdout.strip(),
          "desktop-file-validate: " + valid.stdout.strip())
check(not os.path.exists(os.path.join(home, ".config", "autostart")) or
      not os.listdir(os.path.join(home, ".config", "autostart")), "no autostart entry on No")




# The installed monitor runs in another runtime folder (another login): an update of its folder
# is refused, and the folder stays as it was.
other_runtime = os.path.join(root, "runtime-elders")
os.mkdir(other_runtime, 0o700)
monitor_env = dict(env, XDG_RUNTIME_DIR=other_runtime, QT_QPA_PLATFORM="offscreen",
                   CAPISIM_SOCKET=os.path.join(other_runtime, "capisim.sock"))
monitor = subprocess.Popen([os.path.join(home, "belverin")], env=monitor_env, cwd=home,
                           stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
try:
    first = monitor.stdout.readline()
    check(first.startswith("Belverin: "), "the monitor runs in another runtime folder: %r" % first)
    with open(os.path.join(home, "belverin"), "rb") as f:
        program = f.read()
    setup = subprocess.Popen([os.path.join(dist, "setup")], env=env, stdout=subprocess.DEVNULL)
    try:
        main = window("Belverin Setup   .*")
        check(main is not None, "the main form is up again")
        xdotool("windowfocus", "--sync", main, "key", "Tab", "Tab", "space")
        answer("Belverin Setup ", "Return")
        directory = window("Setup voor Belverin")
        check(directory is not None, "the directory form is up at the installation")
        if directory:
            click(directory, 0.25, 22)
        # The refusal is a box of the setup's; the directory form stays.
        answer("Belverin Setup ", "Return")
        check(window("Setup voor Belverin", 10) is not None, "the directory form stays")
        # The monitor itself writes its tables meanwhile; what an update makes is not there.
        with open(os.path.join(home, "belverin"), "rb") as f:
            check(f.read() == program, "the program is not replaced while the monitor runs")
        for made in ("backup", ".belverin-setup-nieuw", ".belverin-setup-journaal"):
            check(not os.path.exists(os.path.join(home, made)), "no %s is made" % made)
    finally:
        setup.kill()
        setup.wait()
finally:
    monitor.kill()
    monitor.wait()

shutil.rmtree(root, ignore_errors=True)
print("%d failure(s)" % len(failures))
sys.exit(1 if failures else 0)
