#!/usr/bin/env python3
"""Print what a compiled Win32 resource file (.res) holds.

Every resource's type, name and language; dialog templates (classic and
extended) field by field, with every control; string tables; icon groups,
icons and bitmaps with their header fields. Texts are decoded from UTF-16
and shown with control characters escaped, so that a stray CR or a missing
blank is visible.

Also imported as a module by tests/resources/check_resources.py.

Usage: dump-res.py FILE.res
"""
import struct
import sys

RT_NAMES = {
    1: 'CURSOR', 2: 'BITMAP', 3: 'ICON', 4: 'MENU', 5: 'DIALOG',
    6: 'STRING', 7: 'FONTDIR', 8: 'FONT', 9: 'ACCELERATOR', 10: 'RCDATA',
    11: 'MESSAGETABLE', 12: 'GROUP_CURSOR', 14: 'GROUP_ICON',
    16: 'VERSION', 24: 'MANIFEST',
}
RT_BITMAP, RT_ICON, RT_DIALOG, RT_STRING, RT_GROUP_ICON = 2, 3, 5, 6, 14

# Predefined window classes that templates refer to by atom.
CLASS_ATOMS = {
    0x80: 'BUTTON', 0x81: 'EDIT', 0x82: 'STATIC', 0x83: 'LISTBOX',
    0x84: 'SCROLLBAR', 0x85: 'COMBOBOX',
}

DS_SETFONT = 0x40
DS_SHELLFONT = 0x48


class ResError(Exception):
    pass


class Resource:
    def __init__(self, rtype, name, lang, data, memflags):
        self.type = rtype      # int (ordinal) or str
        self.name = name       # int (ordinal) or str
        self.lang = lang
        self.data = data
        self.memflags = memflags

    def type_label(self):
        if isinstance(self.type, int):
            return '%d (RT_%s)' % (self.type, RT_NAMES.get(self.type, '?'))
        return repr(self.type)


class Reader:
    def __init__(self, data, pos=0):
        self.data = data
        self.pos = pos

    def need(self, n):
        if self.pos + n > len(self.data):
            raise ResError('truncated at offset %d (need %d bytes, have %d)'
                           % (self.pos, n, len(self.data) - self.pos))

    def u8(self):
        self.need(1)
        v = self.data[self.pos]
        self.pos += 1
        return v

    def u16(self):
        self.need(2)
        v, = struct.unpack_from('<H', self.data, self.pos)
        self.pos += 2
        return v

    def s16(self):
        self.need(2)
        v, = struct.unpack_from('<h', self.data, self.pos)
        self.pos += 2
        return v

    def u32(self):
        self.need(4)
        v, = struct.unpack_from('<I', self.data, self.pos)
        self.pos += 4
        return v

    def s32(self):
        self.need(4)
        v, = struct.unpack_from('<i', self.data, self.pos)
        self.pos += 4
        return v

    def align(self, n=4):
        self.pos = (self.pos + n - 1) // n * n

    def wstr(self):
        """NUL-terminated UTF-16LE string."""
        start = self.pos
        while True:
            if self.u16() == 0:
                break
        return self.data[start:self.pos - 2].decode('utf-16-le')

    def sz_or_ord(self):
        """Template field: None (empty), an int (ordinal) or a str."""
        self.need(2)
        first, = struct.unpack_from('<H', self.data, self.pos)
        if first == 0:
            self.pos += 2
            return None
        if first == 0xFFFF:
            self.pos += 2
            return self.u16()
        return self.wstr()


def parse_res(data):
    """Split a .res file into Resource records, skipping the empty lead."""
    out = []
    r = Reader(data)
    while r.pos < len(data):
        if len(data) - r.pos < 8:
            if data[r.pos:].strip(b'\0'):
                raise ResError('junk at end of file')
            break
        start = r.pos
        size = r.u32()
        header_size = r.u32()
        rtype = r.sz_or_ord()
        name = r.sz_or_ord()
        r.align()
        r.u32()                 # data version
        memflags = r.u16()
        lang = r.u16()
        r.u32()                 # version
        r.u32()                 # characteristics
        if r.pos - start != header_size:
            raise ResError('header size mismatch at offset %d' % start)
        r.need(size)
        body = data[r.pos:r.pos + size]
        r.pos += size
        r.align()
        if rtype == 0 and name == 0 and size == 0:
            continue            # the 32-byte marker that opens a .res
        out.append(Resource(rtype, name, lang, body, memflags))
    return out


def find(resources, rtype, name):
    for res in resources:
        if res.type == rtype and res.name == name:
            return res
    return None


def parse_dialog(data):
    """Decode a DLGTEMPLATE or DLGTEMPLATEEX into a dict."""
    r = Reader(data)
    d = {}
    ver, sig = struct.unpack_from('<HH', data, 0)
    d['extended'] = ver == 1 and sig == 0xFFFF
    if d['extended']:
        r.pos = 4
        d['version'] = ver
        d['helpId'] = r.u32()
        d['exStyle'] = r.u32()
        d['style'] = r.u32()
    else:
        d['style'] = r.u32()
        d['exStyle'] = r.u32()
    d['count'] = r.u16()
    d['rect'] = (r.s16(), r.s16(), r.s16(), r.s16())
    d['menu'] = r.sz_or_ord()
    d['class'] = r.sz_or_ord()
    d['caption'] = r.sz_or_ord()
    d['font'] = None
    if d['style'] & DS_SETFONT or (d['extended']
                                   and d['style'] & DS_SHELLFONT == DS_SHELLFONT):
        font = {'size': r.u16()}
        if d['extended']:
            font['weight'] = r.u16()
            font['italic'] = r.u8()
            font['charset'] = r.u8()
        font['face'] = r.wstr()
        d['font'] = font
    items = []
    for _ in range(d['count']):
        r.align()
        it = {}
        if d['extended']:
            it['helpId'] = r.u32()
            it['exStyle'] = r.u32()
            it['style'] = r.u32()
        else:
            it['style'] = r.u32()
            it['exStyle'] = r.u32()
        it['rect'] = (r.s16(), r.s16(), r.s16(), r.s16())
        it['id'] = r.s32() if d['extended'] else r.s16()
        it['class'] = r.sz_or_ord()
        it['text'] = r.sz_or_ord()
        extra = r.u16()
        it['extra'] = extra
        r.need(extra)
        r.pos += extra
        items.append(it)
    d['items'] = items
    d['trailing'] = len(data) - r.pos
    return d


def parse_stringtable(block, data):
    """Return {id: text} for the non-empty strings of one block."""
    r = Reader(data)
    out = {}
    base = (block - 1) * 16
    for i in range(16):
        n = r.u16()
        r.need(2 * n)
        text = data[r.pos:r.pos + 2 * n].decode('utf-16-le')
        r.pos += 2 * n
        if n:
            out[base + i] = text
    return out


def parse_bitmapinfo(data):
    keys = ('size', 'width', 'height', 'planes', 'bitCount', 'compression',
            'sizeImage', 'xPelsPerMeter', 'yPelsPerMeter', 'clrUsed',
            'clrImportant')
    if len(data) < 40:
        raise ResError('bitmap header truncated')
    return dict(zip(keys, struct.unpack_from('<IiiHHIIiiII', data, 0)))


def parse_group_icon(data):
    r = Reader(data)
    head = {'reserved': r.u16(), 'type': r.u16(), 'count': r.u16()}
    entries = []
    for _ in range(head['count']):
        entries.append({
            'width': r.u8(), 'height': r.u8(), 'colorCount': r.u8(),
            'reserved': r.u8(), 'planes': r.u16(), 'bitCount': r.u16(),
            'bytesInRes': r.u32(), 'id': r.u16()})
    head['entries'] = entries
    return head


def show_text(s):
    """Quote a text with its control characters visible."""
    if s is None:
        return '(none)'
    if isinstance(s, int):
        return '#%d' % s
    out = []
    for ch in s:
        o = ord(ch)
        if ch == '\n':
            out.append('\\n')
        elif ch == '\r':
            out.append('\\r')
        elif ch == '\t':
            out.append('\\t')
        elif ch in '"\\':
            out.append('\\' + ch)
        elif o < 0x20 or o == 0x7F:
            out.append('\\x%02x' % o)
        else:
            out.append(ch)
    return '"%s"' % ''.join(out)


def cp932_len(s):
    try:
        return '%d' % len(s.encode('cp932'))
    except UnicodeEncodeError:
        return 'not representable'


def show_class(c):
    if isinstance(c, int):
        return 'atom 0x%04X (%s)' % (c, CLASS_ATOMS.get(c, '?'))
    return show_text(c)


def dump_dialog(d, w):
    if d['extended']:
        w('  format   DLGTEMPLATEEX version %d' % d['version'])
        w('  helpId   %d' % d['helpId'])
    else:
        w('  format   DLGTEMPLATE (classic)')
    w('  style    0x%08X' % d['style'])
    w('  exStyle  0x%08X' % d['exStyle'])
    w('  items    %d' % d['count'])
    w('  rect     x=%d y=%d cx=%d cy=%d' % d['rect'])
    w('  menu     %s' % show_text(d['menu']))
    w('  class    %s' % show_text(d['class']))
    w('  caption  %s' % show_text(d['caption']))
    f = d['font']
    if f is None:
        w('  font     (none)')
    elif d['extended']:
        w('  font     size=%d weight=%d italic=%d charset=%d face=%s'
          % (f['size'], f['weight'], f['italic'], f['charset'],
             show_text(f['face'])))
    else:
        w('  font     size=%d face=%s' % (f['size'], show_text(f['face'])))
    for i, it in enumerate(d['items'], 1):
        head = '  item %2d:' % i
        if d['extended']:
            head += ' helpId=%d' % it['helpId']
        w('%s exStyle=0x%08X style=0x%08X rect=(%d,%d,%d,%d) id=%d'
          % ((head, it['exStyle'], it['style']) + it['rect'] + (it['id'],)))
        w('           class=%s text=%s creationData=%d'
          % (show_class(it['class']), show_text(it['text']), it['extra']))
    if d['trailing']:
        w('  (%d bytes after the last item)' % d['trailing'])


def dump(resources, w=print):
    for res in resources:
        name = show_text(res.name) if isinstance(res.name, str) else res.name
        w('%s name=%s lang=0x%04X size=%d'
          % (res.type_label(), name, res.lang, len(res.data)))
        if res.type == RT_DIALOG:
            dump_dialog(parse_dialog(res.data), w)
        elif res.type == RT_STRING:
            for sid, text in sorted(parse_stringtable(res.name, res.data).items()):
                w('  %5d %s  (CP932 bytes: %s)' % (sid, show_text(text),
                                                   cp932_len(text)))
        elif res.type == RT_GROUP_ICON:
            g = parse_group_icon(res.data)
            w('  type=%d count=%d' % (g['type'], g['count']))
            for e in g['entries']:
                w('  %dx%d colours=%d planes=%d bitCount=%d bytes=%d icon id=%d'
                  % (e['width'] or 256, e['height'] or 256, e['colorCount'],
                     e['planes'], e['bitCount'], e['bytesInRes'], e['id']))
        elif res.type in (RT_ICON, RT_BITMAP):
            b = parse_bitmapinfo(res.data)
            w('  header=%d %dx%d planes=%d bitCount=%d compression=%d '
              'clrUsed=%d' % (b['size'], b['width'], b['height'],
                              b['planes'], b['bitCount'], b['compression'],
                              b['clrUsed']))


def main(argv):
    if len(argv) != 2:
        sys.stderr.write('usage: dump-res.py FILE.res\n')
        return 2
    with open(argv[1], 'rb') as f:
        data = f.read()
    try:
        dump(parse_res(data))
    except ResError as e:
        sys.stderr.write('dump-res: %s: %s\n' % (argv[1], e))
        return 1
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
