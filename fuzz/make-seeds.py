#!/usr/bin/env python3
"""Writes the seed corpus of each fuzz target into fuzz/corpus/<target>/.

Seeds are small, real tag layouts; libFuzzer mutates from them. Run again after
changing a layout here; the files are committed with this script.
"""
import os
import shutil
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def frame23(fid, encoding, text, flags=b"\0\0"):
    data = bytes([encoding]) + text
    return fid + struct.pack(">I", len(data)) + flags + data


def frame24(fid, encoding, text):
    data = bytes([encoding]) + text
    return fid + syncsafe(len(data)) + b"\0\0" + data


def id3v2(frames, version=3, padding=0):
    body = b"".join(frames) + b"\0" * padding
    return b"ID3" + bytes([version, 0, 0]) + syncsafe(len(body)) + body


def id3v1(title, artist, pad=b" "):
    def field(text):
        return text[:30] + pad * (30 - len(text[:30]))
    return b"TAG" + field(title) + field(artist) + b"2001" + b"\0" * 30 + b"\0" * 30 + b"\x0c"


MPEG = b"\xff\xfb\x90\x64" + b"\x00" * 200
UTF16LE = b"\xff\xfe" + "Ünïcode 曲".encode("utf-16-le")
UTF16BE = b"\xfe\xff" + "Ünïcode 曲".encode("utf-16-be")


def tag_reader_seeds():
    # Byte 0 selects a run of leading zeros: 0 is none, 0xF0 to 0xFF a run
    # from the fuzz target's table.
    v23 = id3v2([frame23(b"TIT2", 0, b"Song"), frame23(b"TPE1", 0, b"Band")], padding=64)
    return {
        "v1-only": b"\0" + MPEG + id3v1(b"Title", b"Artist"),
        "v1-trailing-spaces": b"\0" + MPEG + id3v1(b"Four", b"  ", pad=b" "),
        "v1-zero-padded": b"\0" + MPEG + id3v1(b"Four  ", b"Band", pad=b"\0"),
        "v1-thirty-letters": b"\0" + MPEG + id3v1(b"A" * 30, b"B" * 30),
        "v23": b"\0" + v23 + MPEG,
        "v23-and-v1": b"\0" + v23 + MPEG + id3v1(b"Old", b"Older"),
        "v24": b"\0" + id3v2([frame24(b"TIT2", 3, "Titel ä".encode()), frame24(b"TPE1", 3, b"X")], version=4),
        "utf16-le-bom": b"\0" + id3v2([frame23(b"TIT2", 1, UTF16LE), frame23(b"TPE1", 1, UTF16LE)]),
        "utf16-be-bom": b"\0" + id3v2([frame23(b"TIT2", 1, UTF16BE)]),
        "utf16-be": b"\0" + id3v2([frame23(b"TIT2", 2, "Big 端".encode("utf-16-be"))]),
        "utf8": b"\0" + id3v2([frame23(b"TIT2", 3, "日本語のタイトル".encode())]),
        "utf8-bom": b"\0" + id3v2([frame23(b"TIT2", 3, b"\xef\xbb\xbfBOM")]),
        "two-tit2-later-empty": b"\0" + id3v2([frame23(b"TIT2", 0, b"First"), frame23(b"TIT2", 0, b"")]),
        "size-over-255": b"\0" + id3v2([b"TIT2\0\0\x01\x05\0\0\0" + b"x" * 20]),
        "size-byte-high": b"\0" + id3v2([b"TIT2\0\0\0\x90\0\0\0" + b"y" * 20]),
        "longest-text": b"\0" + id3v2([frame23(b"TIT2", 0, b"L" * 126)]),
        "truncated-frame": b"\0" + id3v2([frame23(b"TIT2", 0, b"Cut short")])[:20],
        "frame-at-window-end": b"\0" + b"ID3\3\0\0\0\0\0\0" + b"\0" * 245 + frame23(b"TPE1", 0, b"Edge"),
        "leading-zeros": b"\0" + b"\0" * 10 + v23,
        "zero-run-block-edge": b"\xfb" + v23,
        "zero-run-head-edge": b"\xf5" + b"\xff\xfb",
        "riff": b"\0" + b"RIFF\x24\0\0\0WAVEfmt " + b"\0" * 150,
        "near-miss-fffa": b"\0" + b"\xff\xfa\x90\x64" + id3v1(b"No", b"No"),
        "near-miss-lower-id3": b"\0" + b"id3\3\0" + id3v1(b"No", b"No"),
        "near-miss-rix": b"\0" + b"RIX" + id3v1(b"No", b"No"),
        "short-id3": b"\0" + b"ID",
        "all-zero": b"\0" * 300,
        "empty": b"",
        "mpeg2-layer3": b"\0" + b"\xff\xf3\x48\xc4" + b"\x55" * 100 + id3v1(b"Two", b"Speaker"),
        "mpeg25-crc": b"\0" + b"\xff\xe2\x18\xc4" + b"\x55" * 100 + id3v1(b"Two and a half", b"R"),
        "layer2": b"\0" + b"\xff\xfd\x90\x64" + id3v1(b"No", b"No"),
        "title-behind-picture": b"\0" + id3v2([frame24(b"APIC", 0, b"p" * 3000), frame24(b"TIT2", 0, b"Late")], 4),
        "title-past-first-read": b"\xeb" + id3v2([frame23(b"PRIV", 0, b"p" * 600), frame23(b"TIT2", 0, b"Edge")]),
    }


def planner_seed(flags, settings, texts):
    return bytes(b & 0xFF for b in flags) + struct.pack("<4i", *settings) + b"\0".join(texts)


def planner_seeds():
    ok = (1, 1, 1, 1)
    return {
        "title-only": planner_seed(ok, (1, 2, 2, 0), [b"Old", b"Band", b"Song", b"", b"/music/track01.MP3"]),
        "title-artist": planner_seed(ok, (2, 2, 2, 0), [b"", b"", b"Song", b"Band", b"/music/a.mp3"]),
        "artist-title-v1": planner_seed(ok, (3, 1, 1, 0), [b"T1", b"A1", b"T2", b"A2", b"/m/b.mp3"]),
        "unknown-artist": planner_seed(ok, (2, 2, 2, 0), [b"", b"", b"Song", b"", b"/x/y/z.mp3"]),
        "forbidden": planner_seed(ok, (1, 2, 2, 0), [b"", b"", b'What?"', b"", b"/m/q.mp3"]),
        "no-separator": planner_seed(ok, (1, 2, 2, 0), [b"", b"", b"Song", b"", b"bare.mp3"]),
        "longest-name": planner_seed(ok, (2, 2, 2, 0), [b"", b"", b"T" * 126, b"A" * 126, b"/m/l.mp3"]),
        "not-opened": planner_seed((1, 0, 1, 1), (1, 2, 2, 0), [b"Stale", b"", b"", b"", b"/m/gone.mp3"]),
        "out-of-range": planner_seed((-1, 7, -128, 127), (-5, 0, 99, -1), [b"a", b"b", b"c", b"d", b"/e"]),
    }


def frame_text_seed(encoding, count, data):
    return struct.pack("<bh", encoding, count) + data


def frame_text_seeds():
    return {
        "latin1": frame_text_seed(0, 5, b"Hello"),
        "utf16-le-bom": frame_text_seed(1, len(UTF16LE), UTF16LE),
        "utf16-be-bom": frame_text_seed(1, len(UTF16BE), UTF16BE),
        "utf16-no-bom": frame_text_seed(1, 8, "abcd".encode("utf-16-le")),
        "utf16-surrogates": frame_text_seed(1, 10, b"\xff\xfe" + "😀".encode("utf-16-le") + b"\x00\xd8\x41\x00"),
        "utf16be": frame_text_seed(2, 6, "曲名!".encode("utf-16-be")),
        "utf8": frame_text_seed(3, 12, "日本語です".encode()[:12]),
        "utf8-broken": frame_text_seed(3, 6, b"\xe6\x97\xc3\x28\xf8\xa1"),
        "utf8-four-byte": frame_text_seed(3, 126, "😀".encode() * 32),
        "zero-inside": frame_text_seed(0, 6, b"ab\0cd!"),
        "negative-count": frame_text_seed(0, -3, b"xyz"),
        "huge-count": frame_text_seed(1, 30000, "long ".encode("utf-16-le") * 30),
        "other-encoding": frame_text_seed(7, 4, b"\x80\x81\x82\x83"),
    }


def unsynch(data):
    out = bytearray()
    for i, b in enumerate(data):
        out.append(b)
        if b == 0xFF and (i + 1 == len(data) or data[i + 1] == 0 or data[i + 1] >= 0xE0):
            out.append(0)
    return bytes(out)


def unsynched(version, body):
    body = unsynch(body)
    return b"ID3" + bytes([version, 0, 0x80]) + syncsafe(len(body)) + body


def frame22(fid, encoding, text):
    data = bytes([encoding]) + text
    return fid + struct.pack(">I", len(data))[1:] + data


def frame_walk_seeds():
    # Byte 0 picks how much of the tag the first read brings (14 + 8 * n
    # bytes); the tag follows from "ID3" on.
    title, artist = frame23(b"TIT2", 0, b"Song"), frame23(b"TPE1", 0, b"Band")
    packed = zlib.compress(b"\0Packed")
    picture = b"\xff\xd8\xff\xe0" + b"\xff\xe7" * 100
    seeds = {
        "v22": id3v2([frame22(b"TT2", 1, UTF16LE), frame22(b"TP1", 0, b"Band")], version=2, padding=20),
        "v22-unsync": unsynched(2, frame22(b"PIC", 0, picture) + frame22(b"TT2", 0, b"\xffS")),
        "v23-unsync": unsynched(3, frame23(b"APIC", 0, picture) + title),
        "v24-frame-unsync": id3v2([frame24(b"TIT2", 0, b"\xff\x00Song"), frame24(b"TPE1", 0, b"X")], version=4),
        "v23-zlib": id3v2([b"TIT2" + struct.pack(">I", 4 + len(packed)) + b"\0\x80" + struct.pack(">I", 7) + packed]),
        "v24-zlib": id3v2([b"TIT2" + syncsafe(4 + len(packed)) + b"\0\x09" + syncsafe(7) + packed], version=4),
        "v23-encrypted": id3v2([frame23(b"TIT2", 0, b"x", flags=b"\0\x40"), title]),
        "v23-extended": b"ID3\3\0\x40" + syncsafe(10 + len(title)) + b"\0\0\0\6" + b"\0" * 6 + title,
        "v24-extended": b"ID3\4\0\x40" + syncsafe(6 + len(title)) + b"\0\0\0\6\1\0" + title,
        "v24-plain-sizes": id3v2([b"COMM" + struct.pack(">I", 200) + b"\0\0" + b"c" * 200, title, artist], version=4),
        "padding-first": id3v2([b"\0" * 20, title]),
        "two-titles": id3v2([title, frame23(b"TIT2", 0, b"Second"), artist]),
        "zero-size": id3v2([b"TIT2\0\0\0\0\0\0", title]),
        "past-the-tag": b"ID3\3\0\0" + syncsafe(12) + title,
        "title-behind-private": id3v2([frame23(b"PRIV", 0, b"p" * 1200), title, artist], version=4, padding=9),
    }
    return {name: bytes([(7 * k) % 40]) + tag for k, (name, tag) in enumerate(seeds.items())}


def write(target, seeds):
    folder = os.path.join(HERE, "corpus", target)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    for name, data in seeds.items():
        with open(os.path.join(folder, name), "wb") as f:
            f.write(data)


def main():
    write("fuzz_tag_reader", tag_reader_seeds())
    write("fuzz_rename_planner", planner_seeds())
    write("fuzz_frame_text", frame_text_seeds())
    write("fuzz_frame_walk", frame_walk_seeds())


if __name__ == "__main__":
    main()
