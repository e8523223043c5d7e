"""Writes a tree of N generated files (80 % .mp3 with ID3v2.3 tags of 1-2 KB and an ID3v1.1
trailer, the rest other files) in nested artist/album folders.

Usage: make_tree.py ROOT [N]
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "cli"))
import mp3gen  # noqa: E402

root = sys.argv[1]
count = int(sys.argv[2]) if len(sys.argv) > 2 else 100_000
audio = mp3gen.audio(4000)
made = 0
artist = 0
while made < count:
    for album in range(5):
        folder = os.path.join(root, f"Artist {artist:04d}", f"Album {album}")
        os.makedirs(folder, exist_ok=True)
        for track in range(20):
            if made >= count:
                break
            if made % 5 == 4:
                name, data = f"cover {track}.jpg", b"\xff\xd8" + audio[:3000]
            else:
                title = f"曲 {made} " + "x" * (made % 700)
                tag = mp3gen.id3v23([
                    mp3gen.text_frame("TIT2", title),
                    mp3gen.text_frame("TPE1", f"Artist {artist:04d}"),
                    mp3gen.text_frame("TALB", f"Album {album}"),
                    mp3gen.text_frame("TRCK", str(track + 1)),
                    mp3gen.text_frame("TYER", "2001"),
                    mp3gen.text_frame("TCON", "Pop"),
                ], padding=512)
                trailer = mp3gen.id3v1(title=b"t", artist=b"a", album=b"b", track=track + 1, genre=13)
                name, data = f"{track + 1:02d} Track.mp3", tag + audio + trailer
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
            made += 1
    artist += 1
print(made)
