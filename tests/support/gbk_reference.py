#!/usr/bin/env python3
"""What Python's own GBK codec makes of text, for tst_gbktext to hold the
program's codec against (a codec of another origin than the one under test).

Prints, one line each, in hexadecimal:
  D LLTT: c c ...   every two bytes, lead 81..FE and trail 00..FF, decoded
                    with errors replaced (U+FFFD)
  S BB: c ...       every single byte, decoded the same way
  E CCCC: BBBB      every character of the Basic Multilingual Plane that the
                    codec can write, and its bytes
"""
import sys


def code_points(data):
    return ' '.join('%04X' % ord(c) for c in data.decode('gbk', errors='replace'))


def main():
    out = []
    for lead in range(0x81, 0xFF):
        for trail in range(0x100):
            out.append('D %02X%02X: %s' % (lead, trail, code_points(bytes([lead, trail]))))
    for byte in range(0x100):
        out.append('S %02X: %s' % (byte, code_points(bytes([byte]))))
    for c in range(0x10000):
        if 0xD800 <= c < 0xE000:
            continue
        try:
            written = chr(c).encode('gbk')
        except UnicodeEncodeError:
            continue
        out.append('E %04X: %s' % (c, written.hex().upper()))
    sys.stdout.write('\n'.join(out) + '\n')


if __name__ == '__main__':
    main()
