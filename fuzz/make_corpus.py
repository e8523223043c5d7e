#!/usr/bin/env python3
"""Writes the fuzzers' seed corpus: small MP3 files with every tag layout the reader knows,
code page 932 text, and naming inputs. Standard library only; every byte is made here.

usage: make_corpus.py OUTPUT_FOLDER   (makes OUTPUT_FOLDER/<fuzzer>/ for each fuzzer)
"""
import os
import struct
import sys


def synchsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def frame(version, fid, body, flags=0):
    if version == 2:
        return fid.encode() + struct.pack(">I", len(body))[1:] + body
    size = synchsafe(len(body)) if version == 4 else struct.pack(">I", len(body))
    return fid.encode() + size + struct.pack(">H", flags) + body


def tag(version, frames, padding=0, flags=0):
    body = b"".join(frames) + b"\0" * padding
    return b"ID3" + bytes([version, 0, flags]) + synchsafe(len(body)) + body


def text(encoding, s):
    codec = {0: "cp932", 1: "utf-16", 2: "utf-16-be", 3: "utf-8"}[encoding]
    return bytes([encoding]) + s.encode(codec)


def trailer(title, artist, album, year=b"2001", comment=b"", track=None, genre=13):
    def field(b, n):
        return b[:n].ljust(n, b"\0")
    if track is None:
        tail = field(comment, 30)
    else:
        tail = field(comment, 28) + b"\0" + bytes([track])
    return b"TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4) + tail + bytes([genre])


def unsynchronise(b):
    return b.replace(b"\xff", b"\xff\x00")


AUDIO = b"\xff\xfb\x90\x64" + bytes(range(256)) * 2

JA = "曲名テスト"
IDS = {2: ("TT2", "TP1", "TAL", "TYE", "TCO", "TRK", "ULT", "COM", "PIC"),
       3: ("TIT2", "TPE1", "TALB", "TYER", "TCON", "TRCK", "USLT", "COMM", "APIC"),
       4: ("TIT2", "TPE1", "TALB", "TDRC", "TCON", "TRCK", "USLT", "COMM", "APIC")}


def full_tag(version, encoding, padding=16):
    tit, tpe, tal, tye, tco, trk, uslt, comm, apic = IDS[version]
    lang = b"jpn"
    if version == 2:
        picture = bytes([0]) + b"JPG" + b"\x03" + b"cover\0" + b"\xff\xd8\xff\xe0JFIF" + b"\x00\x10" * 8
    else:
        picture = bytes([encoding]) + b"image/jpeg\0\x03" + text(encoding, "cover")[1:] + (b"\0\0" if encoding in (1, 2) else b"\0") + b"\xff\xd8\xff\xe0JFIF" + b"\x00\x10" * 8
    term = b"\0\0" if encoding in (1, 2) else b"\0"
    frames = [
        frame(version, tit, text(encoding, JA)),
        frame(version, tpe, text(encoding, "アーティスト")),
        frame(version, tal, text(encoding, "Album/Name?")),
        frame(version, tye, text(encoding, "1999")),
        frame(version, tco, text(encoding, "(13)")),
        frame(version, trk, text(encoding, "3/12")),
        frame(version, uslt, bytes([encoding]) + lang + term + text(encoding, "歌詞\r\n二行目")[1:]),
        frame(version, comm, bytes([encoding]) + lang + text(encoding, "desc")[1:] + term + text(encoding, "comment")[1:]),
        frame(version, apic, picture),
    ]
    return tag(version, frames, padding)


def mp3_seeds():
    seeds = {}
    for version in (2, 3, 4):
        for encoding in (0, 1, 2, 3):
            seeds[f"v2{version}_enc{encoding}"] = full_tag(version, encoding) + AUDIO[:64]
    seeds["v23_with_v11"] = full_tag(3, 0) + AUDIO + trailer("タイトル".encode("cp932"), b"Artist", b"Album", track=7)
    seeds["v10_only"] = AUDIO + trailer(b"Title", b"Artist", b"Album", comment=b"c" * 30)
    seeds["v11_only"] = AUDIO + trailer(b"T", b"A", b"B", track=1, genre=255)
    seeds["empty"] = b""
    seeds["id3_only"] = b"ID3"
    seeds["header_only"] = b"ID3\x03\x00\x00\x00\x00\x00\x00"
    seeds["claims_256mb"] = b"ID3\x03\x00\x00\x7f\x7f\x7f\x7f" + frame(3, "TIT2", text(0, "x")) + AUDIO[:32]
    seeds["size_bytes_ff"] = b"ID3\x03\x00\x00\xff\xff\xff\xff" + frame(3, "TIT2", text(0, "x"))
    seeds["frame_size_huge"] = tag(3, [b"TIT2\xff\xff\xff\xff\x00\x00\x00abc"], 8)
    seeds["many_small_frames"] = tag(3, [frame(3, "TXXX", b"\x00") for _ in range(150)])
    seeds["apic_no_terminators"] = tag(3, [frame(3, "APIC", b"\x00image/jpeg" + b"\x01" * 64)])
    seeds["ext_header_v23"] = b"ID3\x03\x00\x40" + synchsafe(40) + struct.pack(">I", 6) + b"\0" * 6 + frame(3, "TIT2", text(0, "ext")) + b"\0" * 10
    seeds["ext_header_v24"] = b"ID3\x04\x00\x40" + synchsafe(40) + synchsafe(6) + b"\x01\x00" + frame(4, "TIT2", text(3, "ext")) + b"\0" * 12
    body = b"".join([frame(3, "TIT2", text(0, "unsync")),
                     frame(3, "APIC", b"\x00image/png\0\x03\0\xff\xe0\xff\x00\xff")])
    seeds["unsync_v23"] = b"ID3\x03\x00\x80" + synchsafe(len(unsynchronise(body))) + unsynchronise(body)
    seeds["unsync_frame_v24"] = tag(4, [frame(4, "TIT2", unsynchronise(text(1, "ÿ")), flags=0x0002),
                                        frame(4, "TPE1", b"\x01\x02\x03\x04" + text(0, "grp"), flags=0x0041)])
    seeds["compressed_v23"] = tag(3, [frame(3, "TIT2", b"\0\0\0\x10xyz", flags=0x0080), frame(3, "TALB", text(0, "ok"))])
    seeds["v24_size_not_synchsafe"] = tag(4, [b"TIT2\x00\x00\x00\x90\x00\x00" + text(0, "a" * 143)])
    seeds["utf16_surrogates"] = tag(3, [frame(3, "TIT2", b"\x01\xff\xfe\x3c\xd8\x00\xdf\x00\xd8A\x00"), frame(3, "TPE1", b"\x01\xfe\xff\x00A\x00\x00\xfe\xff\x00B")])
    return seeds


def cp932_seeds():
    return {
        "ascii": b"Hello, world \\ ~",
        "kana": "曲名テストｱｲｳ".encode("cp932"),
        "nec_ibm": b"\x87\x40\x87\x90\xed\x40\xfa\x40",
        "wave_dash": b"\x81\x60\x81\x5f",
        "bad_leads": b"\x80\xa0\xfd\xfe\xffA\x81",
        "cut_pair": b"abc\x82",
        "lead_then_ascii": b"\x82\x20\x82\xa0",
        "nul": b"a\0b\0",
    }


def naming_seeds():
    # Opaque to the fuzzer's data provider, but they bring the token words and dividers in.
    words = "年 曲名 ジャンル アルバム アーティスト トラック番号 \\ / .. CON".encode()
    return {
        "words": words,
        "rule_like": "アーティスト\\アルバム\\\\年\x00\x01AC/DC\x02 \x03..\x04con.mp3".encode() * 2,
        "long": ("曲名" * 50 + "x" * 300).encode(),
        "invalid_utf8": b"\xff\xfe\xc3\x28\xe2\x82\x01\x02\x03\x04\x05",
    }


def main():
    out = sys.argv[1]
    for name, seeds in (("tag_reader", mp3_seeds()), ("cp932", cp932_seeds()), ("naming", naming_seeds())):
        folder = os.path.join(out, name)
        os.makedirs(folder, exist_ok=True)
        for seed, data in seeds.items():
            with open(os.path.join(folder, seed), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
