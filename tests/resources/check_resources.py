#!/usr/bin/env python3
"""Checks Quillon's resources.

Always: the two 140x140 pictures and the icon in res/ (file formats,
background colour, the yellow lettering of the busy picture, the icon's
single 16-colour image and its mask).

Given a compiled resource file (windres -O res res/quillon.rc), also: the
log window and properties dialog templates field by field, the six outcome
messages (10 bytes each in Shift-JIS, so the log's columns line up), that
the pictures and the icon in it are the ones in res/, the application
manifest, and a version resource that says what the about text says.

Given --exe quillon.exe, the same of the resources linked into the program,
and no link time in its PE header or resource directories; with --shipped
(a release build) also no absolute path of the source tree anywhere in it.

Usage: check_resources.py [--art-dir DIR] [FILE.res] [--exe FILE.exe [--shipped]]
Exits 0 when everything matches, 1 with one line per mismatch otherwise.
"""
import argparse
import importlib.machinery
import os
import struct
import sys
import types
import xml.etree.ElementTree as ET

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, '..', '..'))

SKY = (0, 178, 235)
YELLOW = (255, 255, 0)
WHITE = (255, 255, 255)
SIDE = 140
BMP_SIZE = 14 + 40 + SIDE * SIDE * 3
LANG_JAPANESE = 0x0411

IDI_APP, IDB_IDLE, IDB_BUSY, IDD_PROPERTIES, IDD_LOG = 101, 102, 103, 105, 107
RT_VERSION, RT_MANIFEST = 16, 24

def project_version():
    """The version that project() in CMakeLists.txt gives every program."""
    import re
    with open(os.path.join(ROOT, 'CMakeLists.txt'), encoding='utf-8') as f:
        return re.search(r'project\(Quillon VERSION ([0-9.]+)', f.read()).group(1)


ABOUT_LINES = ('Quillon Ver.' + project_version(), 'for Windows', '(c) 2026 Ombrix, MIT')

# Vista, 7, 8, 8.1, 10 and 11 (one id for the last two).
SUPPORTED_OS = {
    '{e2011457-1546-43c5-a5fe-008deee3d3f0}',
    '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}',
    '{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}',
    '{1f676c76-80e1-4239-95bb-83d0f6d0da78}',
    '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}',
}

# Regions (x0, y0, x1, y1 inclusive, y from the top) that must be plain
# background. The busy picture's scribbles run into its corners, so its
# regions are on the side edges between the bands and the lettering.
BACKGROUND = {
    'idle.bmp': [(0, 0, 3, 3), (136, 0, 139, 3), (0, 136, 3, 139),
                 (136, 136, 139, 139)],
    'busy.bmp': [(0, 34, 3, 54), (136, 84, 139, 104)],
}

LOG_TEMPLATE = {
    'extended': True, 'helpId': 0,
    'style': 0x00C008C0, 'exStyle': 0x00000004,
    'rect': (0, 0, 228, 188), 'menu': None, 'class': None,
    'caption': 'リネームログ',
    'font': {'size': 9, 'weight': 0, 'italic': 0, 'charset': 1,
             'face': 'ＭＳ ゴシック'},
}
LOG_ITEMS = [
    # helpId, exStyle, style, rect, id, class, text
    (0, 0, 0x50B04100, (0, 0, 228, 188), 1007, 'LISTBOX', ''),
]

PROP_TEMPLATE = {
    'extended': False,
    'style': 0x80C808C0, 'exStyle': 0,
    'rect': (0, 0, 127, 187), 'menu': None, 'class': None,
    'caption': 'プロパティ',
    'font': {'size': 9, 'face': 'ＭＳ Ｐゴシック'},
}
ABOUT = None  # the about text is checked line by line below
PROP_ITEMS = [
    # exStyle, style, rect, id, class, text
    (0, 0x50010009, (10, 20, 43, 10), 1000, 'BUTTON', '曲名のみ'),
    (0, 0x50010009, (10, 34, 79, 10), 1001, 'BUTTON', '曲名 - アーティスト名'),
    (0, 0x50010009, (10, 48, 79, 10), 1002, 'BUTTON', 'アーティスト名 - 曲名'),
    (0, 0x50030009, (10, 84, 46, 10), 1003, 'BUTTON', 'ID3v1 Tag'),
    (0, 0x50010009, (58, 84, 46, 10), 1004, 'BUTTON', 'ID3v2 Tag'),
    (0, 0x50030009, (10, 122, 42, 10), 1005, 'BUTTON', '表示する'),
    (0, 0x50010009, (58, 122, 47, 10), 1006, 'BUTTON', '表示しない'),
    (0, 0x50010001, (9, 170, 50, 14), 1, 'BUTTON', 'OK'),
    (0, 0x50010000, (67, 170, 50, 14), 2, 'BUTTON', 'ｷｬﾝｾﾙ'),
    (0, 0x50000007, (4, 6, 118, 58), -1, 'BUTTON', 'ファイル名の形式'),
    (0, 0x50000007, (4, 70, 118, 30), -1, 'BUTTON', '優先するID3 Tag'),
    (0, 0x50000007, (4, 108, 118, 30), -1, 'BUTTON', '変換ログ・ウィンドウ'),
    (0, 0x50020001, (7, 142, 112, 24), -1, 'STATIC', ABOUT),
]

def outcome_messages():
    """The six outcome texts by result code, from the table the Linux programs
    print (core/outcome_messages.cpp): the string table must hold the same."""
    import re
    with open(os.path.join(ROOT, 'core', 'outcome_messages.cpp'), encoding='utf-8') as f:
        table = re.search(r'kMessages\[\] = \{(.*?)\};', f.read(), re.S).group(1)
    texts = re.findall(r'"([^"]*)"', table)
    return {code: text for code, text in enumerate(texts) if code > 0}


MESSAGES = outcome_messages()


class Checker:
    def __init__(self):
        self.failures = []
        self.passed = 0

    def expect(self, what, got, want):
        if got == want:
            self.passed += 1
        else:
            self.failures.append('%s: got %r, expected %r' % (what, got, want))

    def that(self, what, ok, detail=''):
        if ok:
            self.passed += 1
        else:
            self.failures.append(what + (': ' + detail if detail else ''))


def load_dump_res():
    # The tool's file name has a hyphen, so it is loaded by path.
    path = os.path.join(ROOT, 'tools', 'dump-res.py')
    loader = importlib.machinery.SourceFileLoader('dump_res', path)
    mod = types.ModuleType(loader.name)
    loader.exec_module(mod)
    return mod


def read(path, ck):
    try:
        with open(path, 'rb') as f:
            return f.read()
    except OSError as e:
        ck.that('read %s' % path, False, str(e))
        return None


# ------------------------------------------------------------------ art

def check_bmp(path, ck):
    name = os.path.basename(path)
    data = read(path, ck)
    if data is None:
        return None
    if len(data) < 54:
        ck.that(name + ' header', False, 'file is only %d bytes' % len(data))
        return None
    sig, size, _, _, off = struct.unpack_from('<2sIHHI', data, 0)
    (hsize, width, height, planes, bits, comp, _simage, _xppm, _yppm,
     used, _important) = struct.unpack_from('<IiiHHIIiiII', data, 14)
    ck.expect(name + ' signature', sig, b'BM')
    ck.expect(name + ' file size field', size, BMP_SIZE)
    ck.expect(name + ' actual file size', len(data), BMP_SIZE)
    ck.expect(name + ' pixel data offset', off, 54)
    ck.expect(name + ' info header size', hsize, 40)
    ck.expect(name + ' width', width, SIDE)
    ck.expect(name + ' height (positive: bottom-up)', height, SIDE)
    ck.expect(name + ' planes', planes, 1)
    ck.expect(name + ' bit count', bits, 24)
    ck.expect(name + ' compression', comp, 0)
    ck.expect(name + ' colours used', used, 0)
    if len(data) != BMP_SIZE or off != 54 or bits != 24 or width != SIDE \
            or height != SIDE:
        return None

    def pixel(x, y):
        o = 54 + (SIDE - 1 - y) * SIDE * 3 + x * 3
        b, g, r = data[o:o + 3]
        return (r, g, b)

    pixels = [pixel(x, y) for y in range(SIDE) for x in range(SIDE)]
    for x0, y0, x1, y1 in BACKGROUND.get(name, []):
        wrong = [(x, y, pixel(x, y)) for y in range(y0, y1 + 1)
                 for x in range(x0, x1 + 1) if pixel(x, y) != SKY]
        ck.that('%s background at (%d,%d)-(%d,%d) is exactly %r'
                % (name, x0, y0, x1, y1, SKY), not wrong,
                'first wrong pixel %r' % (wrong[:1],))
    sky = pixels.count(SKY)
    ck.that('%s is mostly sky blue' % name, sky >= len(pixels) * 0.35,
            'only %d of %d pixels are %r' % (sky, len(pixels), SKY))
    return pixels


def check_art(art_dir, ck):
    idle = check_bmp(os.path.join(art_dir, 'idle.bmp'), ck)
    busy = check_bmp(os.path.join(art_dir, 'busy.bmp'), ck)
    if idle is not None:
        ck.that('idle.bmp has its white eighth note',
                idle.count(WHITE) >= 300,
                '%d white pixels' % idle.count(WHITE))
        dark = sum(1 for p in idle if max(p) < 64)
        ck.that('idle.bmp has black lettering', dark >= 300,
                '%d near-black pixels' % dark)
    if busy is not None:
        ck.that('busy.bmp has yellow %r lettering' % (YELLOW,),
                busy.count(YELLOW) >= 200,
                '%d yellow pixels' % busy.count(YELLOW))
        ck.that('busy.bmp has a white figure', busy.count(WHITE) >= 200,
                '%d white pixels' % busy.count(WHITE))
    if idle is not None and busy is not None:
        ck.that('idle.bmp and busy.bmp differ', idle != busy)
    check_icon(os.path.join(art_dir, 'app.ico'), ck)


def check_icon(path, ck):
    data = read(path, ck)
    if data is None:
        return
    if len(data) < 22 + 40:
        ck.that('app.ico size', False, 'file is only %d bytes' % len(data))
        return
    reserved, itype, count = struct.unpack_from('<HHH', data, 0)
    ck.expect('app.ico reserved', reserved, 0)
    ck.expect('app.ico type (1 = icon)', itype, 1)
    ck.expect('app.ico image count', count, 1)
    (w, h, colours, res2, planes, bits, nbytes,
     offset) = struct.unpack_from('<BBBBHHII', data, 6)
    ck.expect('app.ico entry width', w, 32)
    ck.expect('app.ico entry height', h, 32)
    ck.expect('app.ico entry colour count', colours, 16)
    ck.expect('app.ico entry reserved', res2, 0)
    ck.expect('app.ico entry planes', planes, 1)
    ck.expect('app.ico entry bit count', bits, 4)
    ck.expect('app.ico entry offset', offset, 22)
    ck.expect('app.ico entry byte count', nbytes, len(data) - 22)
    image = data[22:]
    check_icon_image('app.ico', image, ck)


def check_icon_image(name, image, ck):
    if len(image) < 40:
        ck.that(name + ' image header', False, 'truncated')
        return
    (hsize, width, height, planes, bits, comp, _simage, _x, _y, used,
     _imp) = struct.unpack_from('<IiiHHIIiiII', image, 0)
    ck.expect(name + ' image header size', hsize, 40)
    ck.expect(name + ' image width', width, 32)
    ck.expect(name + ' image height (XOR + AND)', height, 64)
    ck.expect(name + ' image planes', planes, 1)
    ck.expect(name + ' image bit count', bits, 4)
    ck.expect(name + ' image compression', comp, 0)
    ck.that(name + ' palette has 16 entries', used in (0, 16),
            'biClrUsed = %d' % used)
    palette, xor_size, and_size = 16 * 4, 32 * 16, 32 * 4
    ck.expect(name + ' image size (header + palette + XOR + AND)', len(image),
              40 + palette + xor_size + and_size)
    if len(image) != 40 + palette + xor_size + and_size:
        return
    mask = image[40 + palette + xor_size:]

    def transparent(x, y):
        row = 31 - y
        return bool(mask[row * 4 + x // 8] & (0x80 >> (x % 8)))

    clear = sum(transparent(x, y) for y in range(32) for x in range(32))
    ck.that(name + ' AND mask leaves the corners transparent',
            all(transparent(x, y) for x, y in ((0, 0), (31, 0), (0, 31),
                                               (31, 31))))
    ck.that(name + ' AND mask keeps the card opaque',
            not transparent(16, 16) and 0 < clear < 400,
            '%d transparent pixels' % clear)


# ------------------------------------------------------------------ .res

def class_name(dr, c):
    if isinstance(c, int):
        return dr.CLASS_ATOMS.get(c, 'atom 0x%04X' % c)
    return c.upper()


def check_template(dr, res, label, want, want_items, ck):
    ck.expect(label + ' language', res.lang, LANG_JAPANESE)
    try:
        d = dr.parse_dialog(res.data)
    except dr.ResError as e:
        ck.that(label + ' template decodes', False, str(e))
        return
    for key, value in want.items():
        got = d.get(key)
        if key in ('style', 'exStyle') and isinstance(got, int):
            got, value = '0x%08X' % got, '0x%08X' % value
        ck.expect('%s %s' % (label, key), got, value)
    ck.expect(label + ' control count', d['count'], len(want_items))
    ck.expect(label + ' bytes after the last control', d['trailing'], 0)
    for n, (it, w) in enumerate(zip(d['items'], want_items), 1):
        where = '%s control %d' % (label, n)
        if d['extended']:
            help_id = w[0]
            w = w[1:]
            ck.expect(where + ' helpId', it['helpId'], help_id)
        ex, style, rect, cid, cls, text = w
        ck.expect(where + ' exStyle', '0x%08X' % it['exStyle'], '0x%08X' % ex)
        ck.expect(where + ' style', '0x%08X' % it['style'], '0x%08X' % style)
        ck.expect(where + ' rect', it['rect'], rect)
        ck.expect(where + ' id', it['id'], cid)
        ck.expect(where + ' class', class_name(dr, it['class']), cls)
        ck.expect(where + ' creation data', it['extra'], 0)
        got = it['text'] if it['text'] is not None else ''
        if text is ABOUT:
            check_about(where, got, ck)
        else:
            ck.expect(where + ' text', got, text)


def check_about(where, text, ck):
    ck.that(where + ' text has no carriage return', '\r' not in text,
            repr(text))
    lines = text.split('\n')
    ck.expect(where + ' text line count', len(lines), 3)
    if len(lines) == 3:
        for n in range(3):
            ck.expect('%s text line %d' % (where, n + 1), lines[n],
                      ABOUT_LINES[n])


def check_res(path, art_dir, ck):
    dr = load_dump_res()
    data = read(path, ck)
    if data is None:
        return
    try:
        resources = dr.parse_res(data)
    except dr.ResError as e:
        ck.that('%s decodes' % path, False, str(e))
        return
    check_resources(dr, resources, art_dir, ck)


def check_resources(dr, resources, art_dir, ck):
    def get(rtype, name, label):
        res = dr.find(resources, rtype, name)
        ck.that(label + ' is present', res is not None)
        return res

    for res in resources:
        ck.expect('language of resource type %r name %r' % (res.type, res.name),
                  res.lang, LANG_JAPANESE)

    res = get(dr.RT_DIALOG, IDD_LOG, 'IDD_LOG (107)')
    if res:
        check_template(dr, res, 'IDD_LOG', LOG_TEMPLATE, LOG_ITEMS, ck)
    res = get(dr.RT_DIALOG, IDD_PROPERTIES, 'IDD_PROPERTIES (105)')
    if res:
        check_template(dr, res, 'IDD_PROPERTIES', PROP_TEMPLATE, PROP_ITEMS,
                       ck)

    res = get(dr.RT_STRING, 1, 'string table block 1 (ids 0-15)')
    if res:
        strings = dr.parse_stringtable(1, res.data)
        ck.expect('string ids', sorted(strings), sorted(MESSAGES))
        for sid, want in MESSAGES.items():
            got = strings.get(sid)
            ck.expect('string %d' % sid, got, want)
            if got is not None:
                try:
                    n = len(got.encode('cp932'))
                except UnicodeEncodeError:
                    n = None
                ck.expect('string %d length in CP932' % sid, n, 10)

    for rid, fname in ((IDB_IDLE, 'idle.bmp'), (IDB_BUSY, 'busy.bmp')):
        res = get(dr.RT_BITMAP, rid, 'bitmap %d' % rid)
        disk = read(os.path.join(art_dir, fname), ck)
        if res and disk:
            ck.that('bitmap %d is res/%s' % (rid, fname), res.data == disk[14:])

    group = get(dr.RT_GROUP_ICON, IDI_APP, 'icon group IDI_APP (101)')
    if group:
        g = dr.parse_group_icon(group.data)
        ck.expect('IDI_APP image count', g['count'], 1)
        if g['count'] == 1:
            e = g['entries'][0]
            ck.expect('IDI_APP image size', (e['width'], e['height']),
                      (32, 32))
            ck.expect('IDI_APP colours', e['colorCount'], 16)
            ck.expect('IDI_APP bit count', e['bitCount'], 4)
            icon = get(dr.RT_ICON, e['id'], 'icon image %d' % e['id'])
            if icon:
                ck.expect('IDI_APP byte count', e['bytesInRes'],
                          len(icon.data))
                check_icon_image('IDI_APP image', icon.data, ck)
                disk = read(os.path.join(art_dir, 'app.ico'), ck)
                if disk:
                    ck.that('IDI_APP image is res/app.ico',
                            icon.data == disk[22:])

    check_manifest(get(RT_MANIFEST, 1, 'manifest (24, 1)'), ck)
    check_version(get(RT_VERSION, 1, 'version resource (16, 1)'), ck)


def check_manifest(res, ck):
    if res is None:
        return
    disk = read(os.path.join(ROOT, 'res', 'quillon.manifest'), ck)
    ck.that('manifest is res/quillon.manifest', res.data == disk)
    try:
        root = ET.fromstring(res.data)
    except ET.ParseError as e:
        ck.that('manifest is well-formed XML', False, str(e))
        return
    levels = [e.get('level') for e in root.iter()
              if e.tag.endswith('}requestedExecutionLevel')]
    ck.expect('manifest execution levels', levels, ['asInvoker'])
    ids = {e.get('Id') for e in root.iter() if e.tag.endswith('}supportedOS')}
    ck.expect('manifest supportedOS ids (Vista to 11)', ids, SUPPORTED_OS)
    # The 140-pixel pictures are scaled by the system, and the dialogs keep
    # the look of the templates' classic controls.
    dpi = [e.tag for e in root.iter()
           if e.tag.rsplit('}', 1)[-1] in ('dpiAware', 'dpiAwareness')]
    ck.expect('manifest DPI awareness settings', dpi, [])
    deps = [e.get('name') for e in root.iter()
            if e.tag.endswith('}assemblyIdentity') and e.get('name')
            and 'Common-Controls' in e.get('name')]
    ck.expect('manifest common controls dependencies', deps, [])


def version_blocks(data, pos=0, end=None):
    """The VS_VERSIONINFO tree as (key, value bytes, type, children)."""
    end = len(data) if end is None else end
    out = []
    while pos + 6 <= end:
        length, value_length, vtype = struct.unpack_from('<HHH', data, pos)
        if length == 0:
            break
        key_end = pos + 6
        while data[key_end:key_end + 2] != b'\0\0':
            key_end += 2
        key = data[pos + 6:key_end].decode('utf-16-le')
        value_at = (key_end + 2 + 3) & ~3
        size = value_length * 2 if vtype == 1 else value_length
        value = data[value_at:value_at + size]
        children_at = (value_at + size + 3) & ~3
        out.append((key, value, vtype,
                    version_blocks(data, children_at, pos + length)))
        pos = (pos + length + 3) & ~3
    return out


def check_version(res, ck):
    if res is None:
        return
    try:
        (key, fixed, _, children), = version_blocks(res.data)
    except (ValueError, UnicodeDecodeError, struct.error) as e:
        ck.that('version resource decodes', False, str(e))
        return
    ck.expect('version resource key', key, 'VS_VERSION_INFO')
    sig, _, fms, fls, pms, pls = struct.unpack_from('<IIIIII', fixed, 0)
    ck.expect('version signature', hex(sig), hex(0xFEEF04BD))
    strings = {}
    for block in children:
        for table in block[3]:
            for k, v, vtype, _ in table[3]:
                if block[0] == 'StringFileInfo':
                    strings[table[0] + '/' + k] = v.decode('utf-16-le').rstrip('\0')
            if block[0] == 'VarFileInfo':
                ck.expect('version translation', table[1], struct.pack('<HH', 0x411, 932))
    # Line 1 of the about text is the product and its version, line 3 the
    # company; the version resource must agree with both.
    name, version = ABOUT_LINES[0].split(' Ver.')
    major, minor = (int(n) for n in version.split('.'))
    ck.expect('version FILEVERSION', (fms, fls), (major << 16 | minor, 0))
    ck.expect('version PRODUCTVERSION', (pms, pls), (major << 16 | minor, 0))
    for k, want in (('ProductName', name), ('FileDescription', name),
                    ('FileVersion', version), ('ProductVersion', version),
                    ('CompanyName', ABOUT_LINES[2].split()[2].rstrip(','))):
        ck.expect('version string ' + k, strings.get('041103A4/' + k), want)


def parse_pe(dr, data):
    """The resources of a PE image as dump-res Resources, and its header."""
    pe = struct.unpack_from('<I', data, 0x3C)[0]
    if data[pe:pe + 4] != b'PE\0\0':
        raise ValueError('no PE signature')
    machine, sections, stamp, _, _, opt_size, _ = struct.unpack_from('<HHIIIHH', data, pe + 4)
    opt = pe + 24
    magic, = struct.unpack_from('<H', data, opt)
    dirs = opt + (96 if magic == 0x10B else 112)
    checksum, = struct.unpack_from('<I', data, opt + 64)
    rva, _ = struct.unpack_from('<II', data, dirs + 2 * 8)
    table = opt + opt_size
    base = None
    for n in range(sections):
        _, vsize, vaddr, _, raw = struct.unpack_from('<8sIIII', data, table + 40 * n)
        if vaddr <= rva < vaddr + vsize:
            base = raw + (rva - vaddr)
            delta = raw - vaddr
    if base is None:
        raise ValueError('no resource section')
    stamps = []

    def directory(at):
        chars, dstamp, _, _, named, ids = struct.unpack_from('<IIHHHH', data, base + at)
        stamps.append(dstamp)
        for k in range(named + ids):
            name, target = struct.unpack_from('<II', data, base + at + 16 + 8 * k)
            if name & 0x80000000:
                o = base + (name & 0x7FFFFFFF)
                n, = struct.unpack_from('<H', data, o)
                name = data[o + 2:o + 2 + 2 * n].decode('utf-16-le')
            yield name, target

    resources = []
    for rtype, t in directory(0):
        for name, nm in directory(t & 0x7FFFFFFF):
            for lang, leaf in directory(nm & 0x7FFFFFFF):
                drva, size, _, _ = struct.unpack_from('<IIII', data, base + leaf)
                body = data[drva + delta:drva + delta + size]
                resources.append(dr.Resource(rtype, name, lang, body, 0))
    return resources, {'machine': machine, 'stamp': stamp,
                       'checksum': checksum, 'directory stamps': set(stamps)}


def check_exe(path, art_dir, shipped, ck):
    dr = load_dump_res()
    data = read(path, ck)
    if data is None:
        return
    try:
        resources, header = parse_pe(dr, data)
    except (ValueError, struct.error) as e:
        ck.that('%s is a PE image with resources' % path, False, str(e))
        return
    check_resources(dr, resources, art_dir, ck)
    ck.expect('PE header time stamp', header['stamp'], 0)
    ck.expect('resource directory time stamps', header['directory stamps'], {0})
    if not shipped:
        return
    build = os.path.realpath(ROOT).encode()
    ck.that('no build path in the program', build not in data
            and build.decode().encode('utf-16-le') not in data, build.decode())


def main():
    ap = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    ap.add_argument('--art-dir', default=os.path.join(ROOT, 'res'),
                    help='directory with idle.bmp, busy.bmp, app.ico')
    ap.add_argument('res', nargs='?', help='compiled resource file (.res)')
    ap.add_argument('--exe', help='linked program (quillon.exe)')
    ap.add_argument('--shipped', action='store_true',
                    help='the exe is a release build: no build path in it')
    args = ap.parse_args()

    ck = Checker()
    check_art(args.art_dir, ck)
    if args.res:
        check_res(args.res, args.art_dir, ck)
    if args.exe:
        check_exe(args.exe, args.art_dir, args.shipped, ck)

    for f in ck.failures:
        print('FAIL: ' + f)
    if ck.failures:
        print('check_resources: %d of %d checks failed'
              % (len(ck.failures), len(ck.failures) + ck.passed))
        return 1
    print('check_resources: all %d checks passed%s'
          % (ck.passed, '' if args.res or args.exe
             else ' (pictures and icon only)'))
    return 0


if __name__ == '__main__':
    sys.exit(main())
