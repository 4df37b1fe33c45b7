#!/usr/bin/env python3
"""Writes a code.ini for the demo whose levels sit right at the simulator's current prices, so
the ticker's stocks cross them and raise alerts within the first minute.

    demo_code_ini.py HOST:PORT PATH

Does nothing when PATH exists: a user's watch list is never replaced.
"""
import sys
import time
import urllib.request
from pathlib import Path

# (code, feed code) of the demo's watch list.
STOCKS = [('600000', '0600000'), ('000001', '1000001'), ('600036', '0600036'),
          ('1A0001', '0000001')]


def quote(address, feed_code):
    """Previous close and last price from the feed record."""
    url = f'http://{address}/{time.strftime("%H%M%S")}?{feed_code}'
    with urllib.request.urlopen(url, timeout=10) as answer:
        record = answer.read().decode('gb2312')
    fields = record.split("'")[1].split(';')
    return float(fields[2]), float(fields[10])


def main():
    address, path = sys.argv[1], Path(sys.argv[2])
    if path.exists():
        return 0
    lines = []
    for code, feed_code in STOCKS:
        close, price = quote(address, feed_code)
        # Break-below just above the price: the first check already falls through it when the
        # stock opened higher. Cross-above and balance a step away either side.
        under = price + 0.01 if close > price else price * 0.998
        over = price * 1.003
        sale = close
        lines += [f'[{code}]', f'under={under:.2f}', f'over={over:.2f}', f'sale={sale:.2f}', 'cdt=']
    path.write_bytes(('\r\n'.join(lines) + '\r\n').encode('gb2312'))
    return 0


if __name__ == '__main__':
    sys.exit(main())
