#!/usr/bin/env python3
"""Write the scalable icon: res/app.ico's design drawn in vectors.

The same card as the 32x32 icon (light grey, a white edge above and left, a
two-pixel grey shadow below and right), the black question mark and the blue
eighth note rimmed in navy, in the icon's own 32-unit grid and its colours
(read from make-icon.py), so that rendered at 32 pixels it is the icon again
and at 48 to 256 pixels (the desktop's and the software centres' sizes) it
stays sharp. Python standard library only; the same input gives the same
bytes.

Usage: make-svg-icon.py OUTPUT.svg
"""
import importlib.machinery
import os
import sys
import types


def icon_design():
    """make-icon.py as a module: its palette, ink letters and card extent."""
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'make-icon.py')
    loader = importlib.machinery.SourceFileLoader('make_icon', path)
    module = types.ModuleType(loader.name)
    loader.exec_module(module)
    return module


def colour(design, letter):
    return '#%02x%02x%02x' % design.PALETTE[design.INK[letter]]


def svg(design):
    ink = {letter: colour(design, letter) for letter in design.INK}
    # The card's outer edge: the grid's inclusive pixel extent as an area.
    left, top = design.CARD_LEFT, design.CARD_TOP
    right, bottom = design.CARD_RIGHT + 1, design.CARD_BOTTOM + 1
    # Stem and flag of the note: one stroke, navy three units wide under blue
    # one unit wide, as the grid's NBN rows are.
    note = 'M20.5 4.6V23 M20.5 5C22.6 6.6 24.5 8.1 24.5 10.6V13.2'
    parts = [
        # Card: shadow, highlight with mitred corners, face.
        '<rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>' % (left, top, right - left, bottom - top, ink['D']),
        '<path d="M%d %dH%dL%d %dH%dV%dL%d %dZ" fill="%s"/>' % (
            left, top, right, right - 2, top + 1, left + 1, bottom - 2, left, bottom, ink['W']),
        '<rect x="%d" y="%d" width="%d" height="%d" fill="%s"/>' % (
            left + 1, top + 1, right - left - 3, bottom - top - 3, ink['L']),
        # Question mark.
        '<path d="M7 7.5A2.5 2.5 0 0 1 12 7.5C12 9.2 10 9.4 10 10.8V12" fill="none" stroke="%s" '
        'stroke-width="2"/>' % ink['K'],
        '<rect x="9" y="13" width="2" height="2" rx="0.5" fill="%s"/>' % ink['K'],
        # Eighth note: the rim, then the blue inside it.
        '<g transform="rotate(-22 15.4 24.2)">',
        '<ellipse cx="15.4" cy="24.2" rx="6.9" ry="3.6" fill="%s"/>' % ink['N'],
        '<ellipse cx="15.4" cy="24.2" rx="5.9" ry="2.6" fill="%s"/>' % ink['B'],
        '</g>',
        '<path d="%s" fill="none" stroke="%s" stroke-width="3" stroke-linecap="round" '
        'stroke-linejoin="round"/>' % (note, ink['N']),
        '<path d="%s" fill="none" stroke="%s" stroke-width="1" stroke-linecap="round" '
        'stroke-linejoin="round"/>' % (note, ink['B']),
        '<g transform="rotate(-22 15.4 24.2)">',
        '<ellipse cx="15.4" cy="24.2" rx="5.9" ry="2.6" fill="%s"/>' % ink['B'],
        '</g>',
    ]
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" viewBox="0 0 32 32">\n'
            '<title>Quillon</title>\n' + ''.join('  %s\n' % p for p in parts) + '</svg>\n')


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], 'w', encoding='utf-8', newline='\n') as f:
        f.write(svg(icon_design()))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
