#!/usr/bin/env python3
"""Writes benchmark MP3 files: an ID3v2.3 tag, MPEG-1 Layer III frames and an
ID3v1 tag, both tags naming the same title and artist.

  make_files.py DIR COUNT            COUNT files trackNNNNN.mp3 in DIR
  make_files.py DIR COUNT cover=BYTES
                                     the same with an ID3v2.4 tag whose cover
                                     art (APIC) of BYTES comes before the title,
                                     as eyeD3 writes it, and no ID3v1 tag
  make_files.py DIR COUNT frames=N   the same with N small frames (TXXX) before
                                     the title instead of the picture
  make_files.py --zeros FILE MB      MB MiB of zero bytes, then a tagged file
"""
import os
import struct
import sys

FRAME_HEADER = b"\xff\xfb\x90\x64"  # MPEG-1 Layer III, 128 kbit/s, 44.1 kHz
FRAME_SIZE = 417
FRAMES = 40  # about one second of audio
PADDING = 512


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def text_frame(frame_id, text):
    body = b"\x00" + text.encode("latin-1")  # encoding 0: ISO-8859-1
    return frame_id + struct.pack(">I", len(body)) + b"\x00\x00" + body


def tagged_file(title, artist, before=None):
    frames = text_frame(b"TIT2", title) + text_frame(b"TPE1", artist) + b"\x00" * PADDING
    version = b"\x03"
    if before:
        kind, size = before.split("=")
        version = b"\x04"
        if kind == "cover":
            picture = b"\x00image/jpeg\x00\x03\x00" + (b"\xff\xd8\xff\xe0" + b"\x00" * int(size))[:int(size)]
            frames = b"APIC" + syncsafe(len(picture)) + b"\x00\x00" + picture + frames
        else:
            frames = (b"TXXX\x00\x00\x00\x04\x00\x00\x00k\x00v") * int(size) + frames
    v2 = b"ID3" + version + b"\x00\x00" + syncsafe(len(frames)) + frames
    audio = (FRAME_HEADER + b"\x00" * (FRAME_SIZE - 4)) * FRAMES
    v1 = (b"TAG" + title.encode("latin-1").ljust(30, b"\x00") + artist.encode("latin-1").ljust(30, b"\x00")
          + b"\x00" * 30 + b"2024" + b"\x00" * 30 + b"\xff")
    assert len(v1) == 128
    # Behind other frames only the ID3v2 tag names the file, so that a title
    # not found there cannot pass unnoticed.
    return v2 + audio + (b"" if before else v1)


def title_artist(i):
    return "Song %05d" % i, "Band %05d" % i


def main(argv):
    if len(argv) == 4 and argv[1] == "--zeros":
        path, mib = argv[2], int(argv[3])
        block = b"\x00" * (1 << 20)
        with open(path, "wb") as f:
            for _ in range(mib):
                f.write(block)
            f.write(tagged_file("Long Silence", "Nobody"))
        return 0
    if len(argv) not in (3, 4):
        sys.stderr.write(__doc__)
        return 2
    folder, count = argv[1], int(argv[2])
    before = argv[3] if len(argv) == 4 else None
    os.makedirs(folder, exist_ok=True)
    for i in range(1, count + 1):
        with open(os.path.join(folder, "track%05d.mp3" % i), "wb") as f:
            f.write(tagged_file(*title_artist(i), before=before))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
