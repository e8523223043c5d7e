#!/usr/bin/env python3
"""Differential test of the ID3v2 reader against mutagen.

Makes tagged files with mutagen in versions 2.3 and 2.4 and every text encoding, runs the
reader's dump tool (id3v2_dump) over them and compares its six values, lyrics, comment and
picture with what mutagen reads back. Text in encoding 0 is compared with its bytes decoded as
code page 932, which is how the reader (and the Japanese Windows writers it serves) read it.

Usage: mutagen_diff.py <path to id3v2_dump> [--cases N] [--seed S] [--keep DIR]
Exit status: 0 all agree, 1 differences, 77 mutagen is not installed (skipped).
"""

import argparse
import json
import os
import random
import subprocess
import sys
import tempfile

try:
    from mutagen.id3 import (APIC, COMM, ID3, PRIV, TALB, TCON, TDRC, TIT2, TPE1, TRCK,
                             TXXX, TYER, USLT)
except ImportError:
    print("mutagen is not installed: skipped")
    sys.exit(77)

SKIP = 77

# Characters that code page 932 encodes, including the traps: 0x5C, the wave dash that 932
# maps to U+FF5E, an NEC extension, and half-width katakana (single bytes 0xA1-0xDF).
CP932_CHARS = list("あいうえおカキクケコ日本語音楽東京夜駆ける　～①ｱｲｳｴｵ\\ABCxyz0123 -/()")
UNICODE_CHARS = CP932_CHARS + list("éüßøÅ中文한국어Ωπ") + ["\U0001F3B5", "\U0001F600"]
LATIN1_CHARS = list("ABCDEFabcdef 0123456789-/()&'.")


def random_text(rng, chars, lo=1, hi=12):
    return "".join(rng.choice(chars) for _ in range(rng.randint(lo, hi)))


def as_frame_text(text, encoding):
    """The str mutagen must be given so the frame holds `text` in `encoding`."""
    if encoding == 0:
        # Mutagen writes encoding 0 as Latin-1: hand it the CP932 bytes as Latin-1 characters.
        return text.encode("cp932").decode("latin-1")
    return text


def read_back(text, encoding):
    """What the reader must make of a text mutagen read from a frame of `encoding`."""
    if encoding == 0:
        return text.encode("latin-1").decode("cp932")
    return text


def clean(text):
    return text.replace("\0", " ").strip(" ")


def make_case(rng, index, version, encoding, folder):
    tags = ID3()
    chars = CP932_CHARS if encoding == 0 else UNICODE_CHARS

    def text_values(long=False):
        count = rng.choice([1, 1, 1, 2]) if version == 4 else 1
        hi = 150 if long else 12
        return [as_frame_text(random_text(rng, chars, 1, hi), encoding) for _ in range(count)]

    # Every frame is optional, so absent frames and partial tags are covered too.
    for cls in (TIT2, TPE1, TALB):
        if rng.random() < 0.9:
            tags.add(cls(encoding=encoding, text=text_values(long=rng.random() < 0.3)))
    if rng.random() < 0.8:
        year = str(rng.randint(1950, 2030))
        if rng.random() < 0.5:
            tags.add(TDRC(encoding=encoding, text=[year + rng.choice(["", "-05", "-05-06"])]))
        else:
            tags.add(TYER(encoding=encoding, text=[year]))
    if rng.random() < 0.8:
        genre = rng.choice(["(13)", "(13)Pop", "Rock", as_frame_text("アニメ", encoding)])
        tags.add(TCON(encoding=encoding, text=[genre]))
    if rng.random() < 0.8:
        tags.add(TRCK(encoding=encoding, text=[rng.choice(["3", "3/12", "03", " 7 "])]))
    if rng.random() < 0.6:
        tags.add(USLT(encoding=encoding, lang="jpn", desc=as_frame_text(
            random_text(rng, chars, 0, 6), encoding),
            text=as_frame_text(random_text(rng, chars + ["\n", "\r\n"], 1, 80), encoding)))
    if rng.random() < 0.6:
        tags.add(COMM(encoding=encoding, lang="eng", desc=as_frame_text(
            random_text(rng, chars, 0, 6), encoding),
            text=as_frame_text(random_text(rng, chars, 1, 40), encoding)))
    if rng.random() < 0.5:
        picture = bytes(rng.randrange(256) for _ in range(rng.randint(1, 3000)))
        tags.add(APIC(encoding=encoding, mime=rng.choice(["image/jpeg", "image/png"]), type=3,
                      desc=as_frame_text(random_text(rng, chars, 0, 8), encoding),
                      data=picture))
    # Frames the reader passes over; sometimes more than a hundred of them.
    for k in range(rng.choice([0, 2, 120])):
        tags.add(TXXX(encoding=encoding, desc="key%d" % k, text=["value%d" % k]))
    if rng.random() < 0.3:
        tags.add(PRIV(owner="com.example", data=bytes(range(256))))

    path = os.path.join(folder, "v2%d_enc%d_%03d.mp3" % (version, encoding, index))
    with open(path, "wb") as f:
        f.write(b"\xff\xfb\x90\x64" + bytes(rng.randrange(256) for _ in range(2000)))
    tags.save(path, v2_version=version, padding=lambda info: rng.choice([0, 10, 1024]))
    return path


def with_plain_sizes(path):
    """Rewrites the frame sizes of a version 2.4 tag as plain 32-bit numbers, as many writers
    store them; returns how many frames it rewrote."""
    with open(path, "rb") as f:
        data = bytearray(f.read())

    def synchsafe(b):
        return (b[0] << 21) | (b[1] << 14) | (b[2] << 7) | b[3]

    end = 10 + synchsafe(data[6:10])
    pos, count = 10, 0
    while pos + 10 <= end and 0x41 <= data[pos] <= 0x5A:
        size = synchsafe(data[pos + 4:pos + 8])
        data[pos + 4:pos + 8] = size.to_bytes(4, "big")
        pos += 10 + size
        count += 1
    with open(path, "wb") as f:
        f.write(data)
    return count


def expected(path):
    """The reader's values for a file, from mutagen's reading of it."""
    tags = ID3(path, translate=False)

    def value(frame_id):
        frames = tags.getall(frame_id)
        if not frames:
            return None
        f = frames[-1]
        return clean("\0".join(read_back(str(t), f.encoding) for t in f.text))

    year = value("TYER")
    if year is None and value("TDRC") is not None:
        year = clean(value("TDRC")[:4])
    out = {
        "title": value("TIT2") or "", "artist": value("TPE1") or "",
        "album": value("TALB") or "", "year": year or "",
        "genre": value("TCON") or "", "track": value("TRCK") or "",
    }
    lyrics = tags.getall("USLT")
    out["lyrics"] = read_back(lyrics[-1].text, lyrics[-1].encoding) if lyrics else ""
    comments = tags.getall("COMM")
    out["comment"] = ("\0".join(read_back(t, comments[0].encoding) for t in comments[0].text)
                      if comments else "")
    pictures = tags.getall("APIC")
    out["picture"] = pictures[0].data if pictures else None
    out["frames"] = len(tags)  # every frame mutagen kept
    return out


def compare(got, want):
    problems = []
    if not got.get("ok"):
        return ["ReadID3v2Tag returned false"]
    if "error" in got:
        return ["error: " + got["error"]]
    for key in ("title", "artist", "album", "year", "genre", "track"):
        if got[key] != want[key]:
            problems.append("%s: got %r, mutagen %r" % (key, got[key], want[key]))
    for key in ("lyrics", "comment"):
        # The reader keeps the text as stored, with the terminator some writers add.
        text = got[key][:-1] if got[key].endswith("\0") else got[key]
        if text != want[key]:
            problems.append("%s: got %r, mutagen %r" % (key, got[key], want[key]))
    if want["picture"] is None:
        if got["picture"]:
            problems.append("picture written where mutagen finds none")
    else:
        written = open(got["path"] + ".pic", "rb").read() if got["picture"] else None
        if written != want["picture"]:
            problems.append("picture bytes differ")
    if got["frames"] != want["frames"]:
        problems.append("frames: got %d, mutagen %d" % (got["frames"], want["frames"]))
    return problems


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("dump")
    parser.add_argument("--cases", type=int, default=25, help="files per version and encoding")
    parser.add_argument("--seed", type=int, default=20261207)
    parser.add_argument("--keep", help="make the files in this folder and keep them")
    args = parser.parse_args()

    rng = random.Random(args.seed)
    with tempfile.TemporaryDirectory() as temp:
        folder = args.keep or temp
        os.makedirs(folder, exist_ok=True)
        paths = [make_case(rng, i, version, encoding, folder)
                 for version in (3, 4) for encoding in (0, 1, 2, 3)
                 for i in range(args.cases)]
        wants = [expected(path) for path in paths]
        # Half the version 2.4 files as writers that store plain frame sizes leave them: the
        # reader must find the same values.
        for path in paths:
            if "v24_" in os.path.basename(path) and rng.random() < 0.5:
                with_plain_sizes(path)
        run = subprocess.run([args.dump] + paths, capture_output=True, text=True, check=True)
        results = [json.loads(line) for line in run.stdout.splitlines()]
        failures = 0
        for path, got, want in zip(paths, results, wants):
            problems = compare(got, want)
            if problems:
                failures += 1
                print("%s:\n  %s" % (os.path.basename(path), "\n  ".join(problems)))
    print("%d of %d files agree with mutagen %s" % (len(paths) - failures, len(paths),
                                                    ".".join(map(str, __import__("mutagen").version))))
    return 1 if failures or len(results) != len(paths) else 0


if __name__ == "__main__":
    sys.exit(main())
