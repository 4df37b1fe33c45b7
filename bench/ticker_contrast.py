#!/usr/bin/env python3
"""How the ticker's line reads on a light taskbar, measured on the screen's pixels.

    xvfb-run -a -s "-screen 0 1280x1024x24" bench/ticker_contrast.py EXE PREFIX OUT [PORT]

Starts the market simulator on PORT (default 18471, the address of the windows preset's build)
and EXE in a Wine virtual desktop of the prefix PREFIX, with the taskbar setting light and the
local time at 20:00 (no chart; past the close, so a balance price gives its marker). One stock
is shown unchanged (plain text), up (red), down (green, with the markers ↓ and S) and with its
feed gone (its last line in grey). For each, the screen and the ticker's rectangle are saved in
OUT, and printed: the WCAG contrast with the background that the darkest tenth of the pixels
that differ from it reach, in the text's columns and in the markers', and, when tesseract is
installed, what it reads (-l chi_sim+eng) from the rectangle enlarged four times, by pixel
repetition (-scale) and by interpolation (-resize). PREFIX is used as it is: made by
scripts/wine-prefix, or a plain one from `wineboot -i`.
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request
from pathlib import Path

SIMULATOR = Path(__file__).resolve().parent.parent / 'tools' / 'marketsim' / 'marketsim.py'
LIGHT = (243, 243, 243)
MARKER_COLUMN = 198  # the arrow column at 96 DPI; the text lies left of it
SCREEN = (1280, 1024)
# (name, simulator request, the colour's look) in the order shown.
STAGES = [('plain', 'price?code=600000&close=10&price=10', lambda r, g, b: r == g == b),
          ('red', 'price?code=600000&close=10&price=11', lambda r, g, b: r > max(g, b)),
          ('green', 'price?code=600000&close=10&price=9', lambda r, g, b: g > max(r, b)),
          ('grey', 'scenario?code=600000&case=notfound', lambda r, g, b: r == g == b)]


def contrast(a, b):
    def luminance(colour):
        def linear(v):
            s = v / 255
            return s / 12.92 if s <= 0.03928 else ((s + 0.055) / 1.055) ** 2.4
        r, g, b = (linear(v) for v in colour)
        return 0.2126 * r + 0.7152 * g + 0.0722 * b
    x, y = luminance(a) + 0.05, luminance(b) + 0.05
    return max(x, y) / min(x, y)


def pixels(path):
    """The picture's (R, G, B) pixels, row by row."""
    width = int(subprocess.run(['convert', str(path), '-format', '%w', 'info:'], check=True,
                               capture_output=True, text=True).stdout)
    raw = subprocess.run(['convert', str(path), 'rgb:-'], check=True, capture_output=True).stdout
    flat = [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]
    return [flat[i:i + width] for i in range(0, len(flat), width)]


def find_ticker(rows):
    """The ticker's window (x, y, width, height): the light pixels at the bottom right."""
    points = [(x, y) for y in range(SCREEN[1] * 3 // 4, SCREEN[1])
              for x in range(SCREEN[0] // 2, SCREEN[0]) if rows[y][x] == LIGHT]
    if not points:
        return None
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return min(xs), min(ys), max(xs) - min(xs) + 1, max(ys) - min(ys) + 1


def darkest_tenth(rows, x0, x1):
    """(contrast, colour) that the darkest tenth of the pixels unlike the background reach;
    None when there are none."""
    background = rows[1][1]
    found = sorted((contrast(p, background), p) for row in rows for p in row[x0:x1]
                   if p != background)
    return found[len(found) * 9 // 10] if found else None


def ocr(crop):
    """What tesseract reads from the picture enlarged each way; nothing without tesseract."""
    if not shutil.which('tesseract'):
        return {}
    read = {}
    for how in ('-scale', '-resize'):
        big = crop.with_name(crop.stem + how + '.png')
        subprocess.run(['convert', str(crop), how, '400%', str(big)], check=True)
        read[how] = subprocess.run(['tesseract', str(big), '-', '-l', 'chi_sim+eng', '--psm', '7'],
                                   capture_output=True, text=True).stdout.strip()
    return read


def main():
    exe, prefix, out = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve(), Path(sys.argv[3])
    port = sys.argv[4] if len(sys.argv) > 4 else '18471'
    out.mkdir(parents=True, exist_ok=True)
    hour = (20 - time.gmtime().tm_hour) % 24
    env = dict(os.environ, WINEPREFIX=str(prefix), WINEDEBUG='-all',
               WINEDLLOVERRIDES='mscoree,mshtml=', LANG='zh_CN.UTF-8', LC_ALL='zh_CN.UTF-8',
               TZ=f'MKT-{hour}' if hour <= 12 else f'MKT+{24 - hour}')
    folder = Path(tempfile.mkdtemp(prefix='ticker-contrast-'))
    (folder / 'code.ini').write_bytes(b'[600000]\r\nunder=9.50\r\nover=\r\nsale=9.70\r\ncdt=\r\n')
    sim = subprocess.Popen([sys.executable, str(SIMULATOR), '--port', port],
                           stdout=subprocess.PIPE, text=True)
    tickra = None
    try:
        if 'listening on' not in sim.stdout.readline():
            sys.exit(f'the simulator could not listen on port {port}')
        control = lambda what: urllib.request.urlopen(urllib.request.Request(
            f'http://127.0.0.1:{port}/_sim/{what}', method='POST'), timeout=10).read()
        subprocess.run(['wine', 'reg', 'add',
                        r'HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize',
                        '/v', 'SystemUsesLightTheme', '/t', 'REG_DWORD', '/d', '1', '/f'],
                       env=env, check=True, capture_output=True)
        tickra = subprocess.Popen(['wine', 'explorer', '/desktop=TickerContrast,1280x1024',
                                   str(exe)], cwd=folder, env=env, stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        quotes = lambda: sum('?0600000 ' in entry['request_line'] for entry in json.loads(
            urllib.request.urlopen(f'http://127.0.0.1:{port}/_sim/log', timeout=10).read()))
        first = None  # the ticker's rectangle; an alert's balloon may cover it for a while
        previous = None
        for name, request, looks in STAGES:
            asked = quotes()
            control(request)
            # A second quote asked after the change comes only once the first answer has been
            # shown; then the screen is taken until two looks agree on a new line of the colour.
            deadline, last = time.monotonic() + 60, None
            while time.monotonic() < deadline:
                time.sleep(1)
                if quotes() < asked + 2:
                    continue
                screen = out / f'{name}_screen.png'
                subprocess.run(['import', '-window', 'root', str(screen)], check=True)
                rows = pixels(screen)
                rect = find_ticker(rows)
                crop = rect and [row[rect[0]:rect[0] + rect[2]]
                                 for row in rows[rect[1]:rect[1] + rect[3]]]
                shows_line = crop and darkest_tenth(crop, 0, MARKER_COLUMN)
                if (shows_line and looks(*shows_line[1]) and crop == last and crop != previous and
                        rect == (first or rect)):
                    first, previous = rect, crop
                    break
                last = crop
            else:
                sys.exit(f'{name}: the ticker did not show the line within a minute')
            subprocess.run(['convert', str(screen), '-crop', '{2}x{3}+{0}+{1}'.format(*rect),
                            '+repage', str(out / f'{name}.png')], check=True)
            shown = [f'{name}: ticker at {rect}']
            for part, x0, x1 in (('text', 0, MARKER_COLUMN), ('markers', MARKER_COLUMN, rect[2])):
                found = darkest_tenth(crop, x0, x1)
                shown.append(f'{part} {found[0]:.2f} : 1 (RGB {found[1]})' if found else
                             f'no {part}')
            print(', '.join(shown))
            for how, line in ocr(out / f'{name}.png').items():
                print(f'  tesseract {how} 400%: {line}')
    finally:
        if tickra is not None:
            subprocess.run(['wineserver', '-k'], env=env)
            tickra.wait(timeout=30)
        sim.terminate()
        sim.wait(timeout=10)
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == '__main__':
    main()
