"""What the monitor's end-to-end scripts share: a scratch copy of the program folder with a
runtime folder and environment of its own, and the checks with their failures."""
import os
import shutil
import subprocess
import tempfile
import time

failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)


def scratch_program(program_dir, prefix):
    """The scratch root, its program folder and the environment to run it in (on the display)."""
    root = tempfile.mkdtemp(prefix=prefix)
    folder = os.path.join(root, "program")
    runtime = os.path.join(root, "runtime")
    shutil.copytree(program_dir, folder)
    os.mkdir(runtime, 0o700)
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime,
               CAPISIM_SOCKET=os.path.join(runtime, "capisim.sock"),
               HOME=os.path.join(root, "home"), ASAN_OPTIONS="detect_leaks=0")
    env.pop("QT_QPA_PLATFORM", None)
    return root, folder, env


def capisim(folder, env, *args):
    return subprocess.run([os.path.join(folder, "capisim"), *args], env=env, capture_output=True,
                          text=True, timeout=20).stdout


def line_answer(process, limit=60):
    """The program's line on whether it listens, read from its output; empty when none came."""
    line = ""
    deadline = time.time() + limit
    while time.time() < deadline:
        line = process.stdout.readline()
        if not line or line.startswith("Belverin: listening") or line.startswith("Belverin: no line"):
            break
    return line
