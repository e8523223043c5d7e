"""Builds MP3 test files byte by byte: fake audio, ID3v1/ID3v1.1 trailers, ID3v2.3 tags."""

import struct


def audio(n=2000):
    out = bytearray()
    for i in range(n):
        out.append(0xFF if i % 2 == 0 else 0xFB - (i // 2) % 7)
    return bytes(out)


def id3v1(title=b"", artist=b"", album=b"", year=b"", comment=b"", track=None, genre=255):
    def field(value, width):
        return value[:width].ljust(width, b"\0")

    body = b"TAG" + field(title, 30) + field(artist, 30) + field(album, 30) + field(year, 4)
    if track is None:
        body += field(comment, 30)
    else:
        body += field(comment, 28) + b"\0" + bytes([track])
    return body + bytes([genre])


def synchsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def text_frame(frame_id, text, encoding=1):
    if encoding == 0:
        payload = text if isinstance(text, bytes) else text.encode("cp932")
    elif encoding == 1:
        payload = b"\xff\xfe" + text.encode("utf-16-le")
    elif encoding == 3:
        payload = text.encode("utf-8")
    else:
        payload = text.encode("utf-16-be")
    body = bytes([encoding]) + payload
    return frame_id.encode("ascii") + struct.pack(">I", len(body)) + b"\0\0" + body


def id3v23(frames, padding=256):
    body = b"".join(frames) + b"\0" * padding
    return b"ID3\x03\x00\x00" + synchsafe(len(body)) + body


def mp3(v2=None, v1=None, audio_bytes=2000):
    """v2: dict of frame id -> text (UTF-16); v1: dict of id3v1 keyword arguments."""
    data = b""
    if v2 is not None:
        data += id3v23([text_frame(k, v) for k, v in v2.items()])
    data += audio(audio_bytes)
    if v1 is not None:
        data += id3v1(**v1)
    return data
