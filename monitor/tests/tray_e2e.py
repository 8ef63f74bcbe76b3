#!/usr/bin/python3
"""The monitor in a desktop tray: started, its icon docked in trayer, "Sluiten" clicked in the
icon's menu with the mouse, the program ended with status 0. Run inside xvfb-run and
dbus-run-session. Arguments: the built program folder, the picture of the open menu to write."""
import os
import shutil
import subprocess
import sys
import time

from e2e_support import capisim, check, failures, line_answer, scratch_program

program_dir, picture = sys.argv[1], sys.argv[2]
root, folder, env = scratch_program(program_dir, "belverin-tray-")
env["QT_QPA_PLATFORM"] = "xcb"


def xdotool(*args):
    return subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True,
                          timeout=30).stdout


def windows(pid):
    return xdotool("search", "--onlyvisible", "--pid", str(pid)).split()


def geometry(window):
    shell = dict(line.split("=", 1) for line in xdotool("getwindowgeometry", "--shell",
                                                        window).split())
    return {k: int(v) for k, v in shell.items() if k in ("X", "Y", "WIDTH", "HEIGHT")}


def wait_for(condition, limit=20):
    end = time.time() + limit
    while time.time() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.2)
    return None


tray = subprocess.Popen(["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel",
                         "--width", "120", "--height", "32", "--transparent", "false"], env=env)
program = None
try:
    time.sleep(1)
    program = subprocess.Popen([os.path.join(folder, "belverin")], env=env,
                               stdout=subprocess.PIPE, text=True)
    line = line_answer(program)
    check(line.startswith("Belverin: listening"), "the monitor listens: " + line.strip())

    # Its one visible window is the icon, docked in the tray: the monitor window stays hidden.
    shown = wait_for(lambda: windows(program.pid))
    check(shown is not None and len(shown) == 1, "one visible window, the icon: %s" % shown)
    if shown:
        icon = shown[0]
        g = geometry(icon)
        xdotool("mousemove", str(g["X"] + g["WIDTH"] // 2), str(g["Y"] + g["HEIGHT"] // 2),
                "click", "3")
        menu = wait_for(lambda: [w for w in windows(program.pid) if w != icon])
        check(bool(menu), "the icon's menu opens")
        if menu:
            time.sleep(0.5)
            subprocess.run(["import", "-window", "root", picture], env=env, timeout=30)
            m = geometry(menu[-1])
            # "&Sluiten" is the menu's last item.
            x, y = m["X"] + m["WIDTH"] // 2, m["Y"] + m["HEIGHT"] - 12
            xdotool("mousemove", str(x), str(y))
            time.sleep(0.3)
            xdotool("click", "1")
    try:
        rc = program.wait(timeout=60)
    except subprocess.TimeoutExpired:
        rc = None
    check(rc == 0, "Sluiten from the tray menu ends the monitor with 0 (%s)" % rc)
    check("applications: 1" not in capisim(folder, env, "status"), "nothing is left on the line")
finally:
    if program is not None and program.poll() is None:
        program.kill()
    tray.kill()
    shutil.rmtree(root, ignore_errors=True)

sys.exit(1 if failures else 0)
