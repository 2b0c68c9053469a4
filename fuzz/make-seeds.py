#!/usr/bin/env python3
"""Writes the seed corpus of each fuzz target into fuzz/corpus/<target>/.

Seeds are small, real tag layouts; libFuzzer mutates from them. Run again after
changing a layout here; the files are committed with this script.
"""
import os
import shutil
import struct

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


if __name__ == "__main__":
    main()
