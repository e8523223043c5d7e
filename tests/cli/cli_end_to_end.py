"""End-to-end checks of tagwright-cli on generated MP3 files.

Usage: cli_end_to_end.py PATH-TO-tagwright-cli
Prints 'N passed, N failed' and exits non-zero when a check failed.
"""

import base64
import errno
import hashlib
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import mp3gen  # noqa: E402

CLI = sys.argv[1]
RESULTS = {"passed": 0, "failed": 0}


def run(*args, stdin=None, env=None):
    proc = subprocess.run([CLI, *args], capture_output=True, text=True, input=stdin,
                          stdin=None if stdin is not None else subprocess.DEVNULL, timeout=120,
                          env=env)
    return proc.returncode, proc.stdout, proc.stderr


def json_lines(text):
    return [json.loads(line) for line in text.splitlines() if line.strip()]


def snapshot(root):
    """Every file under root: relative path -> sha256 of its content."""
    out = {}
    for folder, _, files in os.walk(root):
        for name in files:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                out[os.path.relpath(path, root)] = hashlib.sha256(f.read()).hexdigest()
    return out


def make_library(root):
    files = {
        "a.mp3": mp3gen.mp3(v2={"TIT2": "夜に駆ける", "TPE1": "YOASOBI", "TALB": "THE BOOK",
                                "TRCK": "1", "TYER": "2021"}),
        "b.MP3": mp3gen.mp3(v1={"title": b"Song B", "artist": b"Artist B", "album": b"Album B",
                                "year": b"1999", "track": 2, "genre": 13}),
        "c.mp3": mp3gen.mp3(v1={"title": "\u6771\u4eac".encode("cp932"), "artist": b"AC/DC",
                                "album": b"X", "track": 3}),
        "notag.mp3": mp3gen.audio(3000),
        "tagged.wav": mp3gen.mp3(v2={"TIT2": "wave"}),
        "sub/d.mp3": mp3gen.mp3(v2={"TIT2": "Deep", "TPE1": "Artist D", "TALB": "Album D"}),
    }
    for rel, data in files.items():
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)


def check(name):
    def wrap(fn):
        def runner():
            root = tempfile.mkdtemp(prefix="tagwright-cli-")
            # Each check keeps its own journal, outside the folder it snapshots.
            state = tempfile.mkdtemp(prefix="tagwright-state-")
            os.environ["XDG_STATE_HOME"] = state
            try:
                make_library(root)
                fn(root)
                RESULTS["passed"] += 1
                print("ok   ", name)
            except Exception:  # noqa: BLE001 - every failure is reported and counted
                RESULTS["failed"] += 1
                print("FAIL ", name)
                traceback.print_exc()
            finally:
                shutil.rmtree(root, ignore_errors=True)
                shutil.rmtree(state, ignore_errors=True)
        CHECKS.append(runner)
        return fn
    return wrap


CHECKS = []


@check("probe --json reports tags, kinds and fields")
def _(root):
    code, out, _ = run("probe", "--json", os.path.join(root, "a.mp3"), os.path.join(root, "b.MP3"),
                       os.path.join(root, "notag.mp3"))
    assert code == 0, code
    a, b, n = json_lines(out)
    assert a["tagKind"] == "v2" and a["flags"] == 8 and a["v1"] is None
    assert a["v2"]["title"] == "夜に駆ける" and "TIT2" in a["v2"]["frames"], a
    assert a["fields"]["TrackName"] == "夜に駆ける" and a["fields"]["Genre"] == "", a
    assert b["tagKind"] == "v1.1" and b["v2"] is None
    assert b["v1"]["genre"] == 13 and b["v1"]["track"] == 2 and b["v1"]["version"] == "1.1"
    assert b["fields"] == {"TrackName": "Song B", "ArtistName": "Artist B",
                           "AlbumName": "Album B", "Genre": "Pop", "Year": "1999",
                           "TrackNo": "2"}, b["fields"]
    assert n["tagKind"] == "" and n["v1"] is None and n["v2"] is None


@check("probe decodes Shift_JIS ID3v1 text")
def _(root):
    code, out, _ = run("probe", "--json", os.path.join(root, "c.mp3"))
    assert code == 0
    assert json_lines(out)[0]["v1"]["title"] == "東京"


@check("probe as text names each file once, then its kind, fields and frames")
def _(root):
    a = os.path.join(root, "a.mp3")
    code, out, _ = run("probe", a, os.path.join(root, "notag.mp3"))
    assert code == 0, code
    lines = out.splitlines()
    assert lines.count(a) == 1, lines
    assert "  tag kind: v2" in lines and "  tag kind: (none)" in lines, lines
    assert "  TrackName: 夜に駆ける" in lines, lines
    assert any(line.startswith("  ID3v2 frames: TIT2") for line in lines), lines


@check("probe of a missing file exits 1 and names it")
def _(root):
    missing = os.path.join(root, "gone.mp3")
    code, out, err = run("probe", missing)
    assert code == 1, code
    assert missing in err, err


@check("a batch over a path that names nothing says so and exits 1; a non-MP3 passes quietly")
def _(root):
    before = snapshot(root)
    typo = os.path.join(root, "Musci")
    for dry in (["--dry-run"], []):
        code, out, err = run("rename", *dry, typo, os.path.join(root, "a.mp3"))
        assert code == 1 and typo in err, (code, err)
        assert "a.mp3" in out, out
    # The files listed beside the typo were still done.
    os.rename(os.path.join(root, "夜に駆ける.mp3"), os.path.join(root, "a.mp3"))
    code, out, err = run("rename", "--dry-run", os.path.join(root, "tagged.wav"))
    assert code == 0 and err == "", (code, err)
    assert snapshot(root) == before


@check("search by extension and by tag, with and without sub-folders")
def _(root):
    code, out, _ = run("search", "--json", root)
    assert code == 0
    names = sorted(r["FileName"] for r in json_lines(out))
    assert names == ["a.mp3", "b.MP3", "c.mp3", "notag.mp3"], names
    code, out, _ = run("search", "--json", "--recursive", "--tags", root)
    rows = json_lines(out)
    names = sorted(r["FileName"] for r in rows)
    assert names == ["a.mp3", "b.MP3", "c.mp3", "d.mp3", "notag.mp3", "tagged.wav"], names
    wav = [r for r in rows if r["FileName"] == "tagged.wav"][0]
    assert wav["TagType"] == "v2" and wav["Path"] == os.path.join(root, "tagged.wav")
    assert set(rows[0]) == {"R", "M", "FileName", "TagType", "NewName", "Path"}


@check("rename --dry-run changes nothing, then rename does it")
def _(root):
    before = snapshot(root)
    code, out, _ = run("rename", "--dry-run", "--json", "--name-rule", "トラック番号+曲名",
                       "--separator", " - ", os.path.join(root, "a.mp3"), os.path.join(root, "b.MP3"))
    assert code == 0, code
    rows = json_lines(out)
    assert [r["NewName"] for r in rows] == ["1 - 夜に駆ける.mp3", "2 - Song B.mp3"], rows
    assert all(r["R"] == "○" for r in rows)
    assert snapshot(root) == before, "dry run touched the disk"
    code, out, _ = run("rename", "--json", "--name-rule", "トラック番号+曲名", "--separator", " - ",
                       os.path.join(root, "a.mp3"), os.path.join(root, "b.MP3"))
    assert code == 0
    assert os.path.exists(os.path.join(root, "1 - 夜に駆ける.mp3"))
    assert os.path.exists(os.path.join(root, "2 - Song B.mp3"))
    assert sorted(snapshot(root).values()) == sorted(before.values())


@check("rename --dry-run flags names one only by case or by composed kana")
def _(root):
    titles = {"p1.mp3": "Song", "p2.mp3": "SONG", "p3.mp3": "\u30ac", "p4.mp3": "\u30ab\u3099",
              "p5.mp3": "other"}
    paths = []
    for name, title in titles.items():
        paths.append(os.path.join(root, name))
        with open(paths[-1], "wb") as f:
            f.write(mp3gen.mp3(v2={"TIT2": title}))
    before = snapshot(root)
    code, out, _ = run("rename", "--dry-run", "--json", *paths)
    assert code == 0, code
    rows = json_lines(out)
    assert [r.get("collision") for r in rows] == [[paths[1]], [paths[0]], [paths[3]], [paths[2]],
                                                 None], rows
    assert [r["NewName"] for r in rows][:2] == ["Song.mp3", "SONG.mp3"], rows
    assert all(r["clash"] == -1 for r in rows), rows
    code, out, _ = run("rename", "--dry-run", *paths)
    lines = out.splitlines()[1:]
    assert lines[0].endswith("\t[collides with: " + paths[1] + "]"), lines
    assert "collides" not in lines[4], lines
    assert snapshot(root) == before, "dry run touched the disk"


@check("move --dry-run never asks; --no-create shows the files that would stay")
def _(root):
    store = os.path.join(root, "library")
    code, out, _ = run("move", "--to", store, "--dry-run", "--ask", "--json",
                       os.path.join(root, "a.mp3"))
    assert code == 0, code
    row = json_lines(out)[0]
    assert row["asksFolder"] is True and row["M"] == "○", row
    code, out, _ = run("move", "--to", store, "--dry-run", "--no-create", "--json",
                       os.path.join(root, "a.mp3"))
    assert code == 1, code
    row = json_lines(out)[0]
    assert row["M"] == "×" and row["errorCode"] == "cancelled", row
    assert not os.path.exists(store)


@check("rename refuses a blank tag and exits 1; the file stays")
def _(root):
    code, out, _ = run("rename", "--json", os.path.join(root, "notag.mp3"))
    assert code == 1, code
    row = json_lines(out)[0]
    assert row["R"] == "×" and row["NewName"] == "Faild:lack of TagInfo", row
    assert os.path.exists(os.path.join(root, "notag.mp3"))


@check("rename numbers a clash instead of overwriting")
def _(root):
    with open(os.path.join(root, "Song B.mp3"), "wb") as f:
        f.write(b"someone else's file")
    code, out, _ = run("rename", "--json", os.path.join(root, "b.MP3"))
    assert code == 0, code
    assert json_lines(out)[0]["NewName"] == "Song B(0).mp3"
    with open(os.path.join(root, "Song B.mp3"), "rb") as f:
        assert f.read() == b"someone else's file"
    # The user guide's example of the first clash is the name the program gives.
    manual = os.path.join(os.path.dirname(__file__), "..", "..", "docs", "manual.html")
    with open(manual, encoding="utf-8") as f:
        guide = f.read()
    first = re.search(r"「名前\((\d+)\)\.mp3」", guide)
    assert first and first.group(1) == "0", first and first.group(0)


@check("move --dry-run then move files a folder into artist/album")
def _(root):
    store = os.path.join(root, "library")
    before = snapshot(root)
    code, out, _ = run("move", "--to", store, "--dry-run", "--json", root)
    assert code == 1, (code, out)  # notag.mp3 has no artist: refused
    assert snapshot(root) == before, "dry run touched the disk"
    assert not os.path.exists(store)
    code, out, _ = run("move", "--to", store, "--yes", "--json", root)
    rows = {r["FileName"]: r for r in json_lines(out)}
    assert rows["a.mp3"]["M"] == "○"
    assert rows["a.mp3"]["Path"] == os.path.join(store, "YOASOBI", "THE BOOK", "a.mp3")
    assert rows["c.mp3"]["Path"] == os.path.join(store, "AC／DC", "X", "c.mp3"), rows["c.mp3"]
    assert rows["notag.mp3"]["M"] == "×"
    assert os.path.exists(os.path.join(store, "Artist D", "Album D", "d.mp3"))
    assert sorted(snapshot(root).values()) == sorted(before.values())


@check("move --no-create refuses missing folders and creates none")
def _(root):
    store = os.path.join(root, "library")
    os.mkdir(store)
    code, out, _ = run("move", "--to", store, "--no-create", "--json", os.path.join(root, "a.mp3"))
    assert code == 1
    assert json_lines(out)[0]["M"] == "×"
    assert os.listdir(store) == []


@check("names with a leading dash, a line break or bytes that are not UTF-8")
def _(root):
    names = [b"-rf.mp3", b"line\nbreak.mp3", b"bad\xff.mp3"]
    paths = []
    for i, name in enumerate(names):
        path = os.path.join(os.fsencode(root), name)
        with open(path, "wb") as f:
            f.write(mp3gen.mp3(v2={"TIT2": f"t{i}", "TPE1": "-A", "TALB": "B"}))
        paths.append(path)
    before = snapshot(root)
    code, out, _ = run("search", "--json", root)
    listed = {os.fsencode(r["Path"]) for r in json_lines(out)}
    # JSON holds text: the two UTF-8 names come out exactly, line break and all.
    assert set(paths[:2]) <= listed, listed
    code, out, err = run("rename", "--json", "--", *paths)
    assert code == 0, (code, err)
    rows = json_lines(out)
    assert [r["NewName"] for r in rows] == ["t0.mp3", "t1.mp3", "t2.mp3"], rows
    assert rows[1]["FileName"] == "line\nbreak.mp3"
    assert all(os.path.exists(os.path.join(root, f"t{i}.mp3")) for i in range(3))
    assert sorted(snapshot(root).values()) == sorted(before.values())


@check("a path through a link and '..' names what the kernel opens")
def _(root):
    os.makedirs(os.path.join(root, "other", "sub"))
    os.symlink(os.path.join("other", "sub"), os.path.join(root, "lnk"))
    shutil.copy(os.path.join(root, "b.MP3"), os.path.join(root, "other", "x.mp3"))
    shutil.copy(os.path.join(root, "a.mp3"), os.path.join(root, "x.mp3"))
    before = snapshot(root)
    code, out, err = run("rename", "--json", os.path.join(root, "lnk", "..", "x.mp3"))
    assert code == 0, (code, err)
    row = json_lines(out)[0]
    assert row["Path"] == os.path.join(root, "other", "Song B.mp3"), row
    assert snapshot(root)["x.mp3"] == before["x.mp3"], "the file named by text was touched"
    code, out, err = run("move", "--yes", "--json", "--to", os.path.join(root, "lnk", "..", "lib"),
                         os.path.join(root, "c.mp3"))
    assert code == 0, (code, err)
    assert json_lines(out)[0]["Path"].startswith(os.path.join(root, "other", "lib") + os.sep)


@check("a file named twice on the command line is one row")
def _(root):
    a, b = os.path.join(root, "a.mp3"), os.path.join(root, "b.MP3")
    os.link(a, os.path.join(root, "hard.mp3"))
    code, out, err = run("rename", "--json", a, b, a, os.path.join(root, "hard.mp3"))
    assert code == 0, (code, err)
    rows = json_lines(out)
    assert [r["NewName"] for r in rows] == ["夜に駆ける.mp3", "Song B.mp3"], rows


@check("every refused row carries its reason and a stable code")
def _(root):
    code, out, _ = run("rename", "--json", os.path.join(root, "notag.mp3"))
    row = json_lines(out)[0]
    assert code == 1 and row["errorCode"] == "blank-tag" and row["error"], row
    store = os.path.join(root, "library")
    os.mkdir(store)
    code, out, _ = run("move", "--to", store, "--no-create", "--json", os.path.join(root, "a.mp3"))
    row = json_lines(out)[0]
    assert code == 1 and row["M"] == "×" and row["errorCode"] == "cancelled", row
    code, out, _ = run("rename", os.path.join(root, "notag.mp3"))
    assert "(blank-tag: " in out.splitlines()[1], out


@check("a refusal by the file system is told on its own row with the system's reason")
def _(root):
    blocker = os.path.join(root, "blocker")
    with open(blocker, "wb") as f:
        f.write(b"a file where a folder should be")
    a, b = os.path.join(root, "a.mp3"), os.path.join(root, "b.MP3")
    code, out, _ = run("move", "--yes", "--json", "--to", blocker, a, b)
    rows = json_lines(out)
    assert code == 1 and len(rows) == 2, (code, rows)
    for row in rows:
        assert row["M"] == "×" and row["errorCode"] == "exists", row
        assert os.strerror(errno.EEXIST) in row["error"], row
    assert os.path.exists(a) and os.path.exists(b)
    code, out, _ = run("rename", "--json", os.path.join(root, "notag.mp3"), a)
    rows = json_lines(out)
    assert code == 1 and "error" in rows[0] and "error" not in rows[1], rows


@check("a name that is not UTF-8 is given in JSON by its exact bytes")
def _(root):
    name = b"bad\xff.mp3"
    with open(os.path.join(os.fsencode(root), name), "wb") as f:
        f.write(mp3gen.mp3(v2={"TIT2": "t"}))
    code, out, _ = run("search", "--json", root)
    rows = [r for r in json_lines(out) if "PathBytes" in r]
    assert len(rows) == 1, rows
    assert base64.b64decode(rows[0]["FileNameBytes"]) == name
    assert base64.b64decode(rows[0]["PathBytes"]) == os.path.join(os.fsencode(root), name)


@check("a write error on standard output is no success")
def _(root):
    if not os.path.exists("/dev/full"):
        return
    with open("/dev/full", "w") as full:
        proc = subprocess.run([CLI, "search", "--json", root], stdout=full,
                              stderr=subprocess.PIPE, text=True, timeout=60)
    assert proc.returncode != 0 and "standard output" in proc.stderr, proc


@check("an interrupted batch prints the rows of the files it moved and stops")
def _(root):
    many = os.path.join(root, "many")
    os.mkdir(many)
    # More rows than the output buffer and the pipe hold together, so that the batch is still
    # at work (waiting for its reader) when the signal comes, however fast it moves files.
    count = 1500
    for i in range(count):
        with open(os.path.join(many, f"{i}.mp3"), "wb") as f:
            f.write(mp3gen.mp3(v2={"TIT2": f"t{i}", "TPE1": "A", "TALB": f"B{i % 7}"}))
    before = sorted(snapshot(root).values())
    store = os.path.join(root, "library")
    proc = subprocess.Popen([CLI, "move", "--yes", "--json", "--to", store, many],
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    first = proc.stdout.readline()
    proc.send_signal(signal.SIGINT)
    rest, err = proc.communicate(timeout=60)
    rows = json_lines(first + rest)
    assert proc.returncode == 128 + signal.SIGINT, (proc.returncode, err)
    assert 1 <= len(rows) < count, len(rows)
    for r in rows:
        assert r["M"] == "○" and os.path.exists(r["Path"]), r
    assert sorted(snapshot(root).values()) == before, "a file was lost or doubled"
    assert not [p for p in snapshot(root) if ".tagwright-" in p]


@check("usage errors exit 2 with a one-line message naming the argument")
def _(root):
    code, _, err = run("rename", "--source", "v3", os.path.join(root, "a.mp3"))
    assert code == 2 and "--source" in err and len(err.strip().splitlines()) == 1, (code, err)
    code, _, err = run("move", os.path.join(root, "a.mp3"))
    assert code == 2 and "--to" in err, (code, err)
    code, _, err = run("frobnicate")
    assert code == 2, code
    code, out, _ = run("--version")
    assert code == 0 and out.startswith("tagwright-cli "), out
    code, out, _ = run("--help")
    assert code == 0 and "rename" in out


@check("a folder whose name ends in mp3 is searched as a folder")
def _(root):
    folder = os.path.join(root, "Music", "mp3")
    os.makedirs(folder)
    shutil.move(os.path.join(root, "b.MP3"), os.path.join(folder, "b.MP3"))
    code, out, _ = run("rename", "--json", folder)
    assert code == 0, (code, out)
    rows = json_lines(out)
    assert [r["NewName"] for r in rows] == ["Song B.mp3"], rows


# The converter made to fail through the dynamic linker, as on a system without it.
NO_ICONV = r"""
#include <errno.h>
#include <iconv.h>
iconv_t iconv_open(const char* to, const char* from) {
    (void)to; (void)from;
    errno = EINVAL;
    return (iconv_t)-1;
}
"""


@check("without a code page 932 decoder the CLI refuses to start and renames nothing")
def _(root):
    compiler = shutil.which("cc")
    if compiler is None or not sys.platform.startswith("linux"):
        return
    source = os.path.join(root, "no_iconv.c")
    shim = os.path.join(root, "no_iconv.so")
    with open(source, "w") as f:
        f.write(NO_ICONV)
    subprocess.run([compiler, "-shared", "-fPIC", "-o", shim, source], check=True)
    before = snapshot(root)
    # A sanitizer build wants its runtime first among the libraries; the shim comes first here.
    asan = os.environ.get("ASAN_OPTIONS", "")
    env = dict(os.environ, LD_PRELOAD=shim,
               ASAN_OPTIONS=(asan + ":" if asan else "") + "verify_asan_link_order=0")
    code, out, err = run("rename", os.path.join(root, "c.mp3"), env=env)
    assert code == 3 and "932" in err and out == "", (code, out, err)
    assert snapshot(root) == before


@check("undo takes back a move with its new folders; history lists it; a second undo is a no-op")
def _(root):
    store = os.path.join(root, "library")
    before = snapshot(root)
    code, _, _ = run("move", "--to", store, "--yes", root)
    assert code == 1  # notag.mp3 stays
    assert snapshot(root) != before
    code, out, _ = run("history", "--json")
    assert code == 0
    [batch] = json_lines(out)
    assert batch["kind"] == "move" and batch["steps"] == 4 and not batch["undone"], batch
    code, out, _ = run("undo", "--dry-run", "--json")
    assert code == 0 and snapshot(root) != before
    planned = json_lines(out)
    assert planned[-1]["reverted"] == 4 and planned[-1]["dryRun"], planned[-1]
    code, out, err = run("undo", "--json")
    assert code == 0, (code, out, err)
    assert snapshot(root) == before
    assert not os.path.exists(os.path.join(store, "YOASOBI")), "a folder the move made is left"
    code, out, _ = run("history", "--json")
    assert json_lines(out)[0]["undone"]
    code, out, _ = run("undo")
    assert code == 0 and out.strip() == "Nothing to undo.", out
    assert snapshot(root) == before


@check("history and undo write compact JSON lines, keys in their fixed order, names escaped")
def _(root):
    step = ["status", "from", "to"]
    keys = {"would-revert": step, "reverted": step, "skipped": step + ["error", "errorCode"],
            "would-remove-folder": ["status", "folder"], "removed-folder": ["status", "folder"],
            "kept-folder": ["status", "folder", "error"]}
    keys["summary"] = ["batch", "kind", "time", "dryRun", "reverted", "skipped"]
    keys["history"] = ["batch", "time", "kind", "steps", "undone"]
    seen = set()

    def lines(*args):
        _, out, _ = run(*args, "--json")
        for line in out.splitlines():
            obj = json.loads(line)
            assert line == json.dumps(obj, ensure_ascii=False, separators=(",", ":")), line
            kind = obj.get("status", "summary" if "dryRun" in obj else "history")
            assert list(obj) == keys[kind], line
            seen.add(kind)
        return out

    assert run("undo", "--json")[1] == '{"batch":null}\n'
    with open(os.path.join(root, 'q"\\\u6771.mp3'), "wb") as f:
        f.write(mp3gen.mp3(v2={"TIT2": "Quoted", "TPE1": "Q", "TALB": "Q"}))
    run("move", "--to", os.path.join(root, "library"), "--yes", root)
    with open(os.path.join(root, "a.mp3"), "wb") as f:
        f.write(b"a newcomer")
    lines("history")
    lines("undo", "--dry-run")
    assert '\\"\\\\\u6771.mp3' in lines("undo"), "a quote or backslash is not escaped"
    lines("history")
    assert seen >= {"history", "summary", "would-revert", "reverted", "skipped",
                    "removed-folder"}, seen


@check("undo reports a step it cannot take back and overwrites nothing")
def _(root):
    before = snapshot(root)
    code, _, _ = run("rename", "--name-rule", "曲名", os.path.join(root, "b.MP3"),
                     os.path.join(root, "a.mp3"))
    assert code == 0
    with open(os.path.join(root, "b.MP3"), "wb") as f:
        f.write(b"a newcomer")
    code, out, _ = run("undo", "--json")
    assert code == 1, code
    lines = json_lines(out)
    skipped = [x for x in lines if x.get("status") == "skipped"]
    assert len(skipped) == 1 and skipped[0]["errorCode"] == "exists", lines
    assert lines[-1]["reverted"] == 1 and lines[-1]["skipped"] == 1
    with open(os.path.join(root, "b.MP3"), "rb") as f:
        assert f.read() == b"a newcomer"
    assert sorted(snapshot(root).values()) == sorted(list(before.values()) + [
        hashlib.sha256(b"a newcomer").hexdigest()])


@check("a rename killed with SIGKILL midway leaves a journal that matches the disk; undo restores")
def _(root):
    many = os.path.join(root, "many")
    os.makedirs(many)
    count = 1500
    for i in range(count):
        with open(os.path.join(many, f"f{i:04}.mp3"), "wb") as f:
            f.write(mp3gen.mp3(v2={"TIT2": f"t{i:04}"}))
    before = snapshot(many)
    proc = subprocess.Popen([CLI, "rename", "--json", "--name-rule", "曲名", many],
                            stdout=subprocess.PIPE, stdin=subprocess.DEVNULL, text=True)
    for _ in range(100):
        proc.stdout.readline()
    proc.send_signal(signal.SIGKILL)
    proc.wait()
    proc.stdout.close()
    after = snapshot(many)
    assert sorted(after.values()) == sorted(before.values()), "a file is lost or doubled"
    renamed = {p for p in after if p not in before}
    assert 100 <= len(renamed) < count, f"not killed midway: {len(renamed)} renamed"
    code, out, _ = run("undo", "--dry-run", "--json")
    assert code == 0
    plan = [x for x in json_lines(out) if "status" in x]
    # The journal names each renamed file once, where it is, and nothing else.
    assert sorted(os.path.relpath(x["from"], many) for x in plan) == sorted(renamed), plan[:3]
    assert all(after[os.path.relpath(x["from"], many)] == before[os.path.relpath(x["to"], many)]
               for x in plan)
    code, out, _ = run("undo", "--json")
    assert code == 0, out[-300:]
    assert snapshot(many) == before
    code, out, _ = run("undo")
    assert out.strip() == "Nothing to undo."


for c in CHECKS:
    c()
print(f"{RESULTS['passed']} passed, {RESULTS['failed']} failed")
sys.exit(1 if RESULTS["failed"] else 0)
