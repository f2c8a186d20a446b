#!/usr/bin/env python3
"""Writes core/unicode_classes.inc: the code points a player's name may hold
beside space, '-' and '_', as ranges of one class each, in rising order:
letters (general categories L*), marks (M*) and digits and other numbers
(N*), from Python's own Unicode database (unicodedata, whose version the
file names). core/player_name.cpp searches it.

    python3 scripts/unicode_classes.py > core/unicode_classes.inc
"""
import sys
import unicodedata

KINDS = {'L': 'NameLetter', 'M': 'NameMark', 'N': 'NameNumber'}


def ranges():
    start = kind = None
    for code in range(0x110000):
        category = unicodedata.category(chr(code))[0]
        now = category if category in KINDS else None
        if now != kind:
            if kind is not None:
                yield start, code - 1, kind
            start, kind = code, now
    if kind is not None:
        yield start, 0x10FFFF, kind


def main():
    rows = list(ranges())
    out = sys.stdout
    out.write('// Made by scripts/unicode_classes.py from Unicode %s (Python %d.%d\'s unicodedata):\n'
              % (unicodedata.unidata_version, sys.version_info[0], sys.version_info[1]))
    out.write('// letters, marks and numbers as %d ranges of one class each, in rising order. Not edited by hand.\n'
              % len(rows))
    out.write('constexpr const char* kNameUnicodeVersion = "%s";\n' % unicodedata.unidata_version)
    out.write('constexpr NameRange kNameRanges[] = {\n')
    for first, last, kind in rows:
        out.write('    {0x%X, 0x%X, %s},\n' % (first, last, KINDS[kind]))
    out.write('};\n')


if __name__ == '__main__':
    main()
