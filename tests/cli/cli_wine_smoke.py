"""A short run of the Windows build of tagwright-cli under wine with code page 932.

Usage: cli_wine_smoke.py EMULATOR PATH-TO-tagwright-cli.exe
Prints 'N passed, N failed'.
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mp3gen  # noqa: E402

EMULATOR, CLI = sys.argv[1], sys.argv[2]
ENV = dict(os.environ, WINEDEBUG="-all", LANG="ja_JP.UTF-8", LC_ALL="ja_JP.UTF-8")


def win(path):
    # wine maps the Linux root to drive Z:.
    return "Z:" + path.replace("/", "\\")


def run(*args):
    proc = subprocess.run([EMULATOR, CLI, *args], capture_output=True, env=ENV,
                          stdin=subprocess.DEVNULL, timeout=300)
    return proc.returncode, proc.stdout.decode("utf-8", "replace")


results = {"passed": 0, "failed": 0}


def expect(name, ok, detail=""):
    results["passed" if ok else "failed"] += 1
    print(("ok    " if ok else "FAIL  ") + name + ("" if ok else f": {detail}"))


root = tempfile.mkdtemp(prefix="tagwright-wine-")
try:
    with open(os.path.join(root, "a.mp3"), "wb") as f:
        f.write(mp3gen.mp3(v2={"TIT2": "夜に駆ける", "TPE1": "YOASOBI", "TALB": "THE BOOK",
                               "TRCK": "1"}))
    with open(os.path.join(root, "東京.mp3"), "wb") as f:
        f.write(mp3gen.mp3(v1={"title": "東京".encode("cp932"), "artist": b"AC/DC",
                               "album": b"X", "track": 3}))

    code, out = run("probe", "--json", win(os.path.join(root, "東京.mp3")))
    rows = [json.loads(line) for line in out.splitlines() if line.strip()]
    expect("probe reads a Japanese file name and Shift_JIS tag",
           code == 0 and rows and rows[0]["v1"]["title"] == "東京", (code, out))

    code, out = run("rename", "--json", "--name-rule", "トラック番号+曲名", win(root))
    expect("rename by the rule", code == 0 and
           sorted(os.listdir(root)) == ["1-夜に駆ける.mp3", "3-東京.mp3"], (code, out, os.listdir(root)))

    lib = os.path.join(root, "lib")
    code, out = run("move", "--yes", "--json", "--to", win(lib), win(root))
    expect("move into artist/album", code == 0 and
           os.path.exists(os.path.join(lib, "AC／DC", "X", "3-東京.mp3")) and
           os.path.exists(os.path.join(lib, "YOASOBI", "THE BOOK", "1-夜に駆ける.mp3")), (code, out))
finally:
    shutil.rmtree(root, ignore_errors=True)

print(f"{results['passed']} passed, {results['failed']} failed")
sys.exit(1 if results["failed"] else 0)
