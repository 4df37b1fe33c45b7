#!/usr/bin/env python3
"""Tickra's market simulator: a local stand-in for every provider the program talks to.

Serves, on one loopback port, four quote feeds over one random price walk per stock code, the two
daily-history providers (a POST provider and a GET provider, each with its own page layout),
intraday chart images, the update page with its notice, upgrade images and a help page, plus
scripted bad answers, and records every request it receives so that tests can check the exact
bytes on the wire. Python standard library only.

    python3 tools/marketsim/marketsim.py [--port 18400] [--seed 1] [--fault FEED=MODE]...

The first line printed is "marketsim listening on HOST:PORT" (port 0 picks a free one).
--fault (repeatable) sets a feed's fault from the start, as /_sim/feed does.

The quote feeds, each named as /_sim/feed names it:
    classic    GET /HHMMSS?0600000, one code a request: var hq_str_0600000='...;...'; (GB2312)
    sina       GET /list=sh600000,sz000001: a line var hq_str_sh600000="name,open,...,00"; a
               code (GBK), var hq_str_sh600001=""; for a code it does not know. Without a
               Referer on sina.com.cn (https://finance.sina.com.cn/) it answers 403, always.
               Suspended: open, last, high, low, bid and ask 0.000, volumes 0.
    tencent    GET /q=sh600000,sz000001: a line v_sh600000="1~name~600000~last~...."; a code
               (GBK, 64 fields, the local time YYYYMMDDHHMMSS in field 30),
               v_pv_none_match="1"; for each code it does not know. Suspended: kept simple,
               last, open, high, low, bids and asks 0.00, volumes 0.
    eastmoney  GET /api/qt/ulist.np/get?fltt=2&secids=1.600000,0.000001&fields=f1,f2,...: JSON
               (UTF-8) with data.diff holding the fields asked for of each known code (f1 f2 f3
               f4 f5 f6 f12 f13 f14 f15 f16 f17 f18 f124; f124 the unix time); an unknown code
               is left out, and data is null when none is known. Without fltt=2 prices are
               integers in units of the last decimal. Suspended: f2 to f6 and f15 to f17 "-".
Codes take "bj" for 4xxxxx, 8xxxxx and 92xxxx, "sh" for 5xxxxx, 6xxxxx and 90xxxx, "sz" for the
rest; the index 1A0001 is sh000001 (secid 1.000001); a secid's market is 1 for Shanghai, 0 for
Shenzhen and Beijing. A code under another exchange's prefix is unknown to the batch feeds, and
so are codes starting with 9 other than 90xxxx and 92xxxx. Funds (5xxxxx, 1xxxxx) have three
decimals, the rest two. The walk steps at each code a feed answers, whichever feed; a batch feed
shows its price above the walk by 0.01 (sina), 0.02 (tencent) or 0.03 (eastmoney), so that a
test can tell which feed answered; previous close and open are the walk's close. Times are the
simulator's local time (TZ is honoured).

Control endpoints (not recorded):
    GET  /_sim/log                   the recorded requests as JSON
    GET  /_sim/last                  the last recorded request, as the bytes that arrived
    POST /_sim/reset                 forget the log, every scenario, pin and feed fault
    POST /_sim/scenario?code=C&case=K[&delay=S]   answer classic quotes of code C with case K;
         the batch feeds take "suspended" and "unknown" from it too
    POST /_sim/scenario?code=C&case=K&feed=NAME   case K for that feed only (for a batch feed:
         suspended, unknown or normal)
    POST /_sim/scenario?code=C&history=H          answer both history providers for C with H
         (or post=H / get=H for one provider): normal, rows24, rows25, rows30, zeros (days
         without trading in the middle), nocode, nomarkers, attributes, empty, slow (normal,
         two seconds late), baddate (line breaks and sections in the date cell), nonfinite
         (a 1e309 cell), headers (header lines without end)
    POST /_sim/scenario?code=C&chart=K            chart images for C: plain, alpha, html, empty,
         huge (a valid 32768 x 32768 picture of about 130 KB), headers (header lines without
         end, for up to a minute)
    POST /_sim/update?case=K[&delay=S]            the update page: none (no marker), one (one
         marker), same (this version, an announcement), other (version 1.0 with an upgrade
         offer), newer (the version after this one, with an upgrade offer), long (the same
         with a description of 3.6 MB), eight (eight fields), after (text after the second
         marker), headers (header lines without end)
    POST /_sim/upgrade?case=K[&file=PATH]         the upgrade image: valid (the file at PATH),
         html (an error page), truncated (the file, cut short of its length), slow (the file
         in twenty parts over five seconds), changed (one byte changed after signing), foreign
         (signed with another key), nosig (no signature), shortsig (a signature of 63 bytes),
         presigned (the file with the signature in PATH.sig), headers (header lines without
         end); the signature is served at the
         image's address with ".sig" appended
    POST /_sim/price?code=C&close=P&price=Q[&feed=NAME]   pin a stock's previous close and
         price: every feed, or the one named, serves them exactly as pinned, without its offset
         (a pin for one feed wins over one for all)
    POST /_sim/feed?name=FEED&fault=MODE          a feed's fault, until "none" or a reset:
         none; refuse (one port cannot refuse one feed's connections, so the connection is reset
         once the request has been read: closed with a zero linger, an RST); silent (no answer,
         the connection held until the client goes, only that request's thread waiting);
         forbidden (a 403 page); servererror (a 500 page); garbage (a 200 answer with an HTML
         page of 142 bytes that is no feed's format); stale (answers go on, but the time the
         records carry and their prices stay as they were when the mode was set; pins made
         later do not show). A fault comes before the per-code cases, chaos mode and the
         Referer check.
    GET  /_sim/feed                               the faults in force, as JSON
    POST /_sim/chaos?rate=R[&seed=S]              answer that share of classic quote and chart
         requests with a bad answer picked at random (rate 0 switches it off)
Scripted answers for any path: GET /_case/K[?delay=S] answers with case K.
The log's entries name the feed a request was for ("feed": classic, sina, tencent, eastmoney or
null), with the whole path and every header.

Cases of the classic feed: normal, suspended, unknown (a short body), exact50, exact51,
noapostrophe, fewfields, nul (a NUL byte inside the first 512 bytes), notfound (404 page),
servererror (500 page), slow (answers after delay seconds), silent (never answers), reset (resets
the connection), huge (20 MB), truncated (fewer bytes than Content-Length), garbage, drip (one byte
every 0.2 s), redirect (a 302 to itself), headers (header lines without end, for up to a minute),
oddname (the name cut after the first byte of its last character), nonfinite (the last price
"1e309", or the text given as last=TEXT), otherstock (the record of 600519, or of the code given as
other=CODE).
"""
import argparse
import datetime
import functools
import json
import math
import re
import random
import select
import socket
import struct
import sys
import threading
import time
import zlib
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from pathlib import Path
from urllib.parse import parse_qs, unquote, urlsplit

sys.path.insert(0, str(Path(__file__).resolve().parent))
import p256  # noqa: E402  (beside this file)

# Another key than the test key the build trusts: its signatures must be refused.
FOREIGN_KEY = 0x0F0E0D0C0B0A09080706050403020100F0E0D0C0B0A090807060504030201000

NAMES = {
    '600000': '浦发银行', '600036': '招商银行', '600519': '贵州茅台', '601318': '中国平安',
    '000001': '平安银行', '000002': '万科A', '000858': '五粮液', '300001': '特锐德',
    '510050': '50ETF', '1A0001': '上证指数',
}

# The bad answers chaos mode picks from. "silent" is left out, since each costs a whole time-out,
# and "huge" too: Wine's WinInet reads all of a refused 20 MB body when the request is closed,
# two seconds of a worker each time. Both have tests of their own.
CHAOS_CASES = ['slow', 'reset', 'truncated', 'garbage', 'nul', 'notfound', 'suspended',
               'unknown', 'exact50', 'noapostrophe', 'fewfields']

NOT_FOUND_PAGE = (b'<html><head><title>404 Not Found</title></head><body>'
                  b'<h1>Not Found</h1><p>The requested URL was not found.</p></body></html>')


class Market:
    """Per-code prices: a random walk from a close derived from the code, or pinned values.

    The walk is shared by every feed; a batch feed shows its price a fixed offset above it, so
    that a test can tell which feed answered. Pins are served exactly as pinned, by every feed or
    by the one feed they name."""

    def __init__(self, seed):
        self._lock = threading.Lock()
        self._seed = seed
        self._walk = {}
        self._pinned = {}  # (feed or None for all of them, code) -> (close, price)
        self.scenarios = {}
        self.feed_cases = {}  # (feed, code) -> case, for a scenario that names its feed

    def reset(self):
        with self._lock:
            self._walk.clear()
            self._pinned.clear()
            self.scenarios.clear()
            self.feed_cases.clear()

    def pin(self, code, close, price, feed=None):
        with self._lock:
            self._pinned[(feed, code)] = (close, price)

    def _first(self, code):
        rng = random.Random(f'{self._seed}:{code}')
        return rng, 3000.0 if code == '1A0001' else round(rng.uniform(5, 60), 2)

    @staticmethod
    def _pin_of(pinned, code, feed):
        return pinned.get((feed, code), pinned.get((None, code)))

    def quote(self, code, feed='classic'):
        """Previous close and current price of a code as the feed shows it; steps the walk."""
        with self._lock:
            pin = self._pin_of(self._pinned, code, feed)
            if pin is not None:
                return pin
            if code not in self._walk:
                rng, close = self._first(code)
                self._walk[code] = [rng, close, close]
            rng, close, price = self._walk[code]
            step = rng.gauss(0, close * 0.004)
            price = min(max(price + step, close * 0.9), close * 1.1)
            self._walk[code][2] = price
            return close, with_offset(code, feed, round(price, 2))

    def freeze(self):
        """The pins and the walk as they are now, for a feed whose prices stop here."""
        with self._lock:
            return dict(self._pinned), {c: (w[1], w[2]) for c, w in self._walk.items()}

    def frozen_quote(self, code, feed, state):
        """Previous close and price of a code as the feed showed them when state was taken."""
        pinned, walk = state
        pin = self._pin_of(pinned, code, feed)
        if pin is not None:
            return pin
        close, price = walk.get(code) or (self._first(code)[1],) * 2
        return close, with_offset(code, feed, round(price, 2))


def trading_days(first, last):
    """Weekdays from first to last, newest first."""
    days, day = [], last
    while day >= first:
        if day.weekday() < 5:
            days.append(day)
        day -= datetime.timedelta(days=1)
    return days


def daily_close(code, day):
    """A day's closing price: a slow wave around a level that depends on the code."""
    level = 5 + (sum(map(ord, code)) * 7919 % 5500) / 100
    t = day.toordinal()
    return round(level * (1 + 0.06 * math.sin(t / 9) + 0.01 * math.sin(t * 1.7)), 2)


def history_rows(code, first, last, scenario):
    """(date, close) newest first, shaped by the scenario."""
    rows = [(d, f'{daily_close(code, d):.2f}') for d in trading_days(first, last)]
    count = {'rows24': 24, 'rows25': 25, 'rows30': 30}.get(scenario)
    if count is not None:
        rows = (rows * 3)[:count]
    if scenario == 'zeros':
        rows = rows[:5] + [(d, '0.00') for d, _ in rows[5:8]] + rows[8:]
    if scenario == 'baddate':  # a date cell that would write sections into code.ini
        rows = [('2008-07-08\r\n[999999]\r\nunder=5', rows[0][1])] + rows[1:]
    if scenario == 'nonfinite':
        rows = rows[:3] + [(rows[3][0], '1e309')] + rows[4:]
    return rows


def day_text(day):
    """A row's date as the pages print it; a scenario may put any text there instead."""
    return day if isinstance(day, str) else day.isoformat()


def post_provider_page(code, rows, scenario):
    """The POST provider's layout: the table after the form field "ss", oldest row first."""
    cell = '<td align=right>' if scenario == 'attributes' else '<td>'
    title = '' if scenario == 'nocode' else code
    form = '' if scenario == 'nomarkers' else '<select name=ss><option value=d>日线</option></select>'
    lines = [f'<html><head><title>{title} 历史行情</title></head><body>',
             f'<form action=/q/hp.php method=post>{form}</form>',
             '<table width=100% border=1 cellspacing=0>',
             '<tr><td>日期</td><td>开盘</td><td>最高</td><td>最低</td><td>收盘</td>'
             '<td>成交量</td><td>成交金额(万)</td></tr>']
    for day, close in reversed(rows):
        lines.append(f'<tr>{cell}<b>{day_text(day)}</b></td>{cell}{close}</td>{cell}{close}</td>'
                     f'{cell}{close}</td>{cell}{close}</td>{cell}1,234,567</td>{cell}12,345</td>'
                     '</tr>')
    lines.append('</table>' if scenario == 'nomarkers' else '</TABLE>')
    return ('\n'.join(lines) + '\n</body></html>').encode('gb2312')


def get_provider_page(code, rows, scenario):
    """The GET provider's layout: the second table after the code, two heading rows, newest
    first."""
    cell = '<td align=right>' if scenario == 'attributes' else '<td>'
    title = '' if scenario == 'nocode' else code
    lines = [f'<html><body><h1>{title} 历史交易</h1>']
    if scenario != 'nomarkers':
        lines.append('<table class=nav><tr><td>首页</td><td>行情</td></tr></table>')
    lines += ['<table class=data>', '<tr><th colspan=5>历史交易数据</th></tr>',
              '<tr><th>日期</th><th>开盘</th><th>收盘</th><th>最高</th><th>最低</th></tr>']
    for day, close in rows:
        lines.append(f'<tr>{cell}{day_text(day)}</td>{cell}{close}</td>{cell}{close}</td>'
                     f'{cell}{close}</td>{cell}{close}</td></tr>')
    lines.append('</table>')
    return ('\n'.join(lines) + '\n</body></html>').encode('gb2312')


def png_file(header, data):
    """A PNG file from its IHDR fields and its compressed image data."""
    def chunk(kind, body):
        return (struct.pack('>I', len(body)) + kind + body
                + struct.pack('>I', zlib.crc32(kind + body) & 0xFFFFFFFF))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', data)
            + chunk(b'IEND', b''))


def png(width, height, pixels, alpha):
    """A PNG file from rows of (r, g, b, a) pixels."""
    raw = b''.join(b'\0' + b''.join(bytes(p if alpha else p[:3]) for p in row) for row in pixels)
    header = struct.pack('>IIBBBBB', width, height, 8, 6 if alpha else 2, 0, 0, 0)
    return png_file(header, zlib.compress(raw))


@functools.cache
def huge_png():
    """A valid 32768 x 32768 black-and-white PNG of about 130 KB: small on the wire, gigabytes
    once decoded. Made once."""
    side = 32768
    packer = zlib.compressobj(9)
    row = b'\0' * (1 + side // 8)
    data = b''.join(packer.compress(row) for _ in range(side)) + packer.flush()
    return png_file(struct.pack('>IIBBBBB', side, side, 1, 0, 0, 0, 0), data)


def chart_image(code, alpha):
    """A day's minute chart: the price line over the previous close, red above, green below."""
    width, height = 300, 200
    background = (0, 0, 0, 0) if alpha else (16, 20, 28, 255)
    pixels = [[background] * width for _ in range(height)]
    close = daily_close(code, datetime.date.today() - datetime.timedelta(days=1))
    prices = [close * (1 + 0.02 * math.sin((x + len(code) * 13) / 23) + 0.004 * math.sin(x / 3))
              for x in range(width)]
    low, high = min(prices + [close]), max(prices + [close])
    row = lambda p: int((high - p) / ((high - low) or 1) * (height - 1))
    for x in range(width):
        pixels[row(close)][x] = (128, 128, 128, 255)
    for x, p in enumerate(prices):
        colour = (230, 40, 40, 255) if p >= close else (40, 200, 80, 255)
        for y in range(min(row(p), row(close)), max(row(p), row(close)) + 1):
            if y == row(p) or x % 4 == 0:
                pixels[y][x] = colour
    return png(width, height, pixels, alpha)


# The program's version, as CMakeLists.txt gives it: the notices that name "this version" use it.
VERSION = re.search(r'project\(Tickra VERSION ([0-9.]+)',
                    (Path(__file__).resolve().parents[2] / 'CMakeLists.txt').read_text()).group(1)
# The version after it, which the tests' upgrade image carries.
NEXT_VERSION = '.'.join(VERSION.split('.')[:-1] + [str(int(VERSION.split('.')[-1]) + 1)])


def update_page(case, host):
    """The update page, a blog page with the notice between two "[/]" markers."""
    announcement = ('&lt;b&gt;Tickra 公告&lt;/b&gt;：行情数据由本地模拟器提供，'
                    '&lt;a href="app:run"&gt;测试链接&lt;/a&gt;')
    notices = {
        'none': '',
        'one': f'[/]{VERSION}|||||公告|',
        'same': f'[/]{VERSION}|||||{announcement}|[/]',
        'other': (f'[/]1.0|http://{host}/upgrade/Tickra.exe||新版本 2.1\\n修正了若干问题'
                  f'\\n请升级||{announcement}|http://{host}/download.html[/]'),
        'newer': (f'[/]{NEXT_VERSION}|http://{host}/upgrade/Tickra.exe||新版本\\n修正了若干问题'
                  f'||{announcement}|http://{host}/download.html[/]'),
        'long': (f'[/]{NEXT_VERSION}|http://{host}/upgrade/Tickra.exe||{"新版本说明。" * 300000}'
                 f'||公告|http://{host}/download.html[/]'),
        'eight': f'[/]1.0|http://{host}/upgrade/Tickra.exe||说明||{announcement}|x|y[/]',
        'after': f'[/]{VERSION}|||||短公告|[/]后面的文字[/]1.0|a|b|c|d|e|f[/]',
    }
    body = f'<html><body><div class=post>{notices.get(case, "")}</div></body></html>'
    return body.encode('gb2312')


def feed_code_of(code):
    """The seven-character feed code of a watch-list code."""
    return '0000001' if code == '1A0001' else ('0' if code[:1] in '56' else '1') + code


def stock_code(feed_code):
    """The watch-list code of a seven-character feed code."""
    return '1A0001' if feed_code == '0000001' else feed_code[1:]


def quote_record(feed_code, name, close, price, suspended=False, last=None, when=None):
    """The feed's record; last, when given, is the last price's text as sent; when, the local
    time it carries (now when not given)."""
    change = price - close
    opening = '0.000' if suspended else f'{close:.2f}'
    when = when or time.localtime()
    fields = [feed_code, name, f'{close:.2f}', opening, f'{max(close, price):.2f}',
              f'{min(close, price):.2f}', '1234567', f'{change:.2f}', '98765432', '0.00',
              last or f'{price:.2f}', time.strftime('%Y-%m-%d', when),
              time.strftime('%H:%M:%S', when)]
    return f"var hq_str_{feed_code}='{';'.join(fields)}';\n".encode('gb2312')


# --- the batch feeds ------------------------------------------------------------------------------
FEEDS = ('classic', 'sina', 'tencent', 'eastmoney')
FAULTS = ('none', 'refuse', 'silent', 'forbidden', 'servererror', 'garbage', 'stale')
# How far above the shared walk each feed's price sits, so that a test can tell who answered.
FEED_OFFSETS = {'classic': 0.0, 'sina': 0.01, 'tencent': 0.02, 'eastmoney': 0.03}

FORBIDDEN_PAGE = (b'<html>\r\n<head><title>403 Forbidden</title></head>\r\n<body>\r\n'
                  b'<center><h1>403 Forbidden</h1></center>\r\n</body>\r\n</html>\r\n')
SERVER_ERROR_PAGE = b'<html><body>Internal Server Error</body></html>'
# What a captive portal or a proxy's error page puts where a feed's answer should be: no
# apostrophe, quotation mark, tilde or brace, so no feed's reader can take it for its own.
GARBAGE_PAGE = ('<html><head><title>上网认证</title></head><body><h1>请先登录</h1>'
                '<p>本网络需要认证后才能访问互联网。</p></body></html>').encode('utf-8')


def decimals(code):
    """Price decimals: three for funds (codes 5xxxxx and 1xxxxx), two for the rest."""
    return 3 if code[:1] in '15' and code != '1A0001' else 2


def with_offset(code, feed, price):
    """A price as a feed shows it: the walk's, a feed's offset above."""
    offset = FEED_OFFSETS.get(feed, 0.0)
    return round(price + offset, decimals(code)) if offset else price


def exchange_of(code):
    """The exchange prefix the batch feeds give a watch-list code: bj, sh or sz."""
    if code == '1A0001':
        return 'sh'
    if code[:1] in '48' or code[:2] == '92':
        return 'bj'
    if code[:1] in '56' or code[:2] == '90':
        return 'sh'
    return 'sz'


def batch_symbol(code):
    """A watch-list code as the batch feeds name it, "sh600000"; the index is sh000001."""
    return 'sh000001' if code == '1A0001' else exchange_of(code) + code


def watch_code(symbol):
    """The watch-list code of a batch feed's symbol, or None when no stock bears that symbol (a
    code under another exchange's prefix, or no code of six digits)."""
    if symbol == 'sh000001':
        return '1A0001'
    code = symbol[2:]
    if len(code) == 6 and code.isascii() and code.isdigit() and exchange_of(code) == symbol[:2]:
        return code
    return None


def secid_code(secid):
    """The watch-list code of an Eastmoney secid ("1.600000": 1 Shanghai, 0 Shenzhen and
    Beijing), or None."""
    market, _, code = secid.partition('.')
    if market == '1':
        return watch_code('sh' + code)
    if market == '0' and exchange_of(code) in ('sz', 'bj'):
        return watch_code(exchange_of(code) + code)
    return None


def known_to_batch_feeds(code):
    """Codes starting with 9 are unknown, as to the classic feed, except the Shanghai B shares
    (90xxxx) and Beijing's 92xxxx."""
    return not code.startswith('9') or code[:2] in ('90', '92')


def book(code, price, suspended):
    """Five bids and five asks, (volume in shares, price) each, a tick apart about the price."""
    if suspended:
        return [(0, 0.0)] * 5, [(0, 0.0)] * 5
    tick = 10 ** -decimals(code)
    rng = random.Random(f'book:{code}')
    bids = [(rng.randrange(1, 900) * 100, price - i * tick) for i in range(5)]
    asks = [(rng.randrange(1, 900) * 100, price + (i + 1) * tick) for i in range(5)]
    return bids, asks


def day_volume(code):
    """The day's volume in shares, fixed per code."""
    return 1_000_000 + sum(map(ord, code)) * 7919 % 50_000_000


class BatchQuote:
    """One stock's quote as a batch feed shows it. Suspended: no trade, open and last zero."""

    def __init__(self, code, close, price, suspended, when):
        self.code, self.close, self.suspended, self.when = code, close, suspended, when
        self.name = NAMES.get(code, f'股票{code}')
        self.decimals = decimals(code)
        self.price = 0.0 if suspended else price
        self.open = 0.0 if suspended else close
        self.high = 0.0 if suspended else max(close, price)
        self.low = 0.0 if suspended else min(close, price)
        self.change = 0.0 if suspended else price - close
        self.percent = 0.0 if suspended or not close else (price - close) / close * 100
        self.volume = 0 if suspended else day_volume(code)
        self.amount = self.volume * price
        self.bids, self.asks = book(code, price, suspended)

    def text(self, value, places=None):
        return f'{value:.{self.decimals if places is None else places}f}'


def sina_record(symbol, quote):
    """One line of the Sina answer; prices with three decimals, the local date and time."""
    if quote is None:
        return f'var hq_str_{symbol}="";\n'
    q, p3 = quote, (lambda v: quote.text(v, 3))
    when = time.localtime(q.when)
    fields = [q.name, p3(q.open), p3(q.close), p3(q.price), p3(q.high), p3(q.low),
              p3(q.bids[0][1]), p3(q.asks[0][1]), str(q.volume), f'{q.amount:.3f}']
    for volume, price in q.bids + q.asks:
        fields += [str(volume), p3(price)]
    fields += [time.strftime('%Y-%m-%d', when), time.strftime('%H:%M:%S', when), '00']
    return f'var hq_str_{symbol}="{",".join(fields)}";\n'


def tencent_record(symbol, quote):
    """One line of the Tencent answer: 64 fields joined by "~"; an unknown code is one line
    v_pv_none_match="1"."""
    if quote is None:
        return 'v_pv_none_match="1";\n'
    q, t = quote, quote.text
    lots = q.volume // 100
    market = {'sh': '1', 'sz': '51', 'bj': '62'}[symbol[:2]]
    amplitude = 0.0 if q.suspended else (q.high - q.low) / q.close * 100
    fields = [market, q.name, symbol[2:], t(q.price), t(q.close), t(q.open), str(lots),
              str(lots // 2), str(lots - lots // 2)]
    for volume, price in q.bids + q.asks:
        fields += [t(price), str(volume // 100)]
    fields += ['', time.strftime('%Y%m%d%H%M%S', time.localtime(q.when)), t(q.change),
               f'{q.percent:.2f}', t(q.high), t(q.low),
               f'{t(q.price)}/{lots}/{q.amount:.0f}', str(lots), f'{q.amount / 1e4:.0f}',
               '0.27', '6.83', '', t(q.high), t(q.low), f'{amplitude:.2f}', '2935.21',
               '3082.67', '0.43', t(q.close * 1.1), t(q.close * 0.9), '1.07', '0', t(q.price),
               '5.69', '6.31', '', '', '0.66', f'{q.amount:.0f}', '', '', '', '', 'GP-A', '']
    return f'v_{symbol}="{"~".join(fields)}";\n'


# The Eastmoney fields it knows, in the order it sends them.
EASTMONEY_FIELDS = ('f1', 'f2', 'f3', 'f4', 'f5', 'f6', 'f12', 'f13', 'f14', 'f15', 'f16', 'f17',
                    'f18', 'f124')


def eastmoney_item(quote, fields, floats):
    """One element of "diff": the fields asked for that it knows; prices as numbers with fltt=2,
    else as integers in units of the last decimal, as the real one sends them."""
    q = quote

    def price(value):
        return '-' if q.suspended else (round(value, q.decimals) if floats
                                        else round(value * 10 ** q.decimals))

    def close(value):
        return round(value, q.decimals) if floats else round(value * 10 ** q.decimals)
    values = {
        'f1': q.decimals, 'f2': price(q.price),
        'f3': '-' if q.suspended else (round(q.percent, 2) if floats else round(q.percent * 100)),
        'f4': price(q.change), 'f5': '-' if q.suspended else q.volume // 100,
        'f6': '-' if q.suspended else round(q.amount, 1),
        'f12': '000001' if q.code == '1A0001' else q.code,
        'f13': 1 if exchange_of(q.code) == 'sh' else 0, 'f14': q.name,
        'f15': price(q.high), 'f16': price(q.low), 'f17': price(q.open), 'f18': close(q.close),
        'f124': int(q.when),
    }
    return {name: values[name] for name in EASTMONEY_FIELDS if fields is None or name in fields}


def eastmoney_answer(items):
    data = {'total': len(items), 'diff': items} if items else None
    return json.dumps({'rc': 0, 'rt': 11, 'svr': 181216, 'lt': 1, 'full': 1, 'dlmkts': '',
                       'data': data}, ensure_ascii=False, separators=(',', ':')).encode('utf-8')


class Handler(BaseHTTPRequestHandler):
    server_version = 'marketsim/1.0'
    protocol_version = 'HTTP/1.0'

    def log_message(self, *args):
        pass

    # --- plumbing ---------------------------------------------------------------------------
    def _body(self):
        length = int(self.headers.get('Content-Length') or 0)
        return self.rfile.read(length) if length > 0 else b''

    def _record(self, body, feed=None):
        raw = (self.requestline + '\r\n' + ''.join(f'{k}: {v}\r\n' for k, v in self.headers.items())
               + '\r\n').encode('latin-1') + body
        self.server.last = raw
        self.server.log.append({
            'method': self.command,
            'request_line': self.requestline,
            'path': self.path,
            'headers': [[k, v] for k, v in self.headers.items()],
            'body_hex': body.hex(),
            'feed': feed,
        })

    def _send(self, status, body, content_type='text/html; charset=gb2312', length=None):
        self.send_response(status)
        self.send_header('Content-Type', content_type)
        self.send_header('Content-Length', str(len(body) if length is None else length))
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        self._dispatch(b'')

    def do_POST(self):
        self._dispatch(self._body())

    @staticmethod
    def _feed_of(url):
        """The quote feed a request is for, or None."""
        if url.path.strip('/').isdigit() and len(url.query) == 7:
            return 'classic'
        if url.path.startswith('/list='):
            return 'sina'
        if url.path.startswith('/q='):
            return 'tencent'
        if url.path == '/api/qt/ulist.np/get':
            return 'eastmoney'
        return None

    def _dispatch(self, body):
        url = urlsplit(self.path)
        query = parse_qs(url.query)
        if url.path.startswith('/_sim/'):
            return self._control(url.path[len('/_sim/'):], query)
        feed = self._feed_of(url)
        self._record(body, feed)
        if url.path.startswith('/_case/'):
            return self._case(url.path[len('/_case/'):], query, b'scripted answer\n' * 8)
        if feed is not None and self._fault(feed):
            return None
        if feed == 'classic':
            return self._quote(url.query)
        if feed == 'sina':
            return self._sina(unquote(url.path[len('/list='):]))
        if feed == 'tencent':
            return self._tencent(unquote(url.path[len('/q='):]))
        if feed == 'eastmoney':
            return self._eastmoney(query)
        if url.path == '/q/hp.php' and self.command == 'POST':
            return self._post_history(body)
        if url.path.startswith('/corp/1107/'):
            return self._get_history(url.path)
        if url.path.startswith('/chart/bf/') and url.path.endswith('.png'):
            return self._chart(url.path.rsplit('/', 1)[1][:-4])
        if url.path.startswith('/blog/static/7008789200853043922656/'):
            return self._update_page()
        if url.path == '/upgrade/Tickra.exe':
            return self._upgrade_image()
        if url.path == '/upgrade/Tickra.exe.sig':
            return self._upgrade_signature()
        if url.path in ('/help.html', '/download.html'):
            return self._send(200, '<html><body><h1>Tickra 使用说明</h1></body></html>'
                              .encode('gb2312'))
        self._send(404, NOT_FOUND_PAGE)

    def _control(self, what, query):
        market = self.server.market
        one = {k: v[0] for k, v in query.items()}
        if what == 'log':
            return self._send(200, json.dumps(self.server.log).encode(), 'application/json')
        if what == 'last':
            return self._send(200, self.server.last, 'application/octet-stream')
        if what == 'reset':
            self.server.log.clear()
            market.reset()
            self.server.faults.clear()
            self.server.update = {}
            self.server.upgrade = {}
            with self.server.chaos_lock:
                self.server.chaos = {'rate': 0.0, 'rng': random.Random(1)}
        elif what == 'scenario':
            feed = one.pop('feed', None)
            if feed is not None and feed not in FEEDS:
                return self._send(400, f'no feed {feed}\n'.encode(), 'text/plain')
            if feed in (None, 'classic'):
                market.scenarios[one['code']] = one
            else:
                market.feed_cases[(feed, one['code'])] = one.get('case', 'normal')
        elif what == 'price':
            feed = one.get('feed')
            if feed is not None and feed not in FEEDS:
                return self._send(400, f'no feed {feed}\n'.encode(), 'text/plain')
            market.pin(one['code'], float(one['close']), float(one['price']), feed)
        elif what == 'feed':
            if 'name' not in one:  # the faults in force
                return self._send(200, json.dumps(self.server.fault_modes()).encode(),
                                  'application/json')
            try:
                self.server.set_fault(one['name'], one.get('fault', 'none'))
            except ValueError as error:
                return self._send(400, f'{error}\n'.encode(), 'text/plain')
        elif what == 'update':
            self.server.update = one
        elif what == 'chaos':
            with self.server.chaos_lock:
                self.server.chaos = {'rate': float(one.get('rate', 0)),
                                     'rng': random.Random(one.get('seed', '1'))}
        elif what == 'upgrade':
            self.server.upgrade = one
        else:
            return self._send(404, NOT_FOUND_PAGE)
        self._send(200, b'ok\n', 'text/plain')

    # --- the quote feed -----------------------------------------------------------------------
    def _chaos(self):
        """A bad case picked at random in chaos mode, or None."""
        chaos = self.server.chaos
        with self.server.chaos_lock:
            if chaos['rate'] > 0 and chaos['rng'].random() < chaos['rate']:
                return chaos['rng'].choice(CHAOS_CASES)
        return None

    def _quote(self, feed_code):
        code = stock_code(feed_code)
        scenario = self.server.market.scenarios.get(code, {})
        case = scenario.get('case', 'unknown' if code.startswith('9') else 'normal')
        chaos = self._chaos()
        if chaos is not None:
            case, scenario = chaos, {'delay': '0.3'}
        name = NAMES.get(code, f'股票{code}')
        close, price = self._feed_quote('classic', code)
        when = time.localtime(self._feed_time('classic'))
        record = quote_record(feed_code, name, close, price, suspended=(case == 'suspended'),
                              when=when)
        if case in ('normal', 'suspended'):
            return self._send(200, record)
        if case == 'oddname':  # the name cut after the first byte of its last character
            encoded = name.encode('gb2312')
            return self._send(200, record.replace(encoded, encoded[:-1], 1))
        if case == 'nonfinite':  # a last price that is no finite number
            return self._send(200, quote_record(feed_code, name, close, price,
                                                last=scenario.get('last', '1e309'), when=when))
        if case == 'otherstock':  # another stock's record, named as that stock's
            other = scenario.get('other', '600519')
            other_close, other_price = self._feed_quote('classic', other)
            record = quote_record(feed_code_of(other), NAMES.get(other, f'股票{other}'),
                                  other_close, other_price, when=when)
            return self._send(200, record)
        self._case(case, {k: [v] for k, v in scenario.items()}, record)

    # --- every feed's faults, the batch feeds -------------------------------------------------
    def _feed_quote(self, feed, code):
        """Previous close and price of a code as the feed shows it: now, or, when the feed is
        stale, as they were when it went stale."""
        fault = self.server.faults.get(feed)
        if fault is not None and fault['mode'] == 'stale':
            return self.server.market.frozen_quote(code, feed, fault['state'])
        return self.server.market.quote(code, feed)

    def _feed_time(self, feed):
        """The time, in seconds since the epoch, that the feed's records carry."""
        fault = self.server.faults.get(feed)
        return fault['since'] if fault is not None and fault['mode'] == 'stale' else time.time()

    def _fault(self, feed):
        """Answers with the feed's fault, if it has one that replaces the answer; True then."""
        mode = self.server.faults.get(feed, {}).get('mode', 'none')
        if mode == 'refuse':
            # One port cannot refuse one feed's connections, so the connection is reset instead:
            # closed at once with a zero linger, which sends RST where a FIN would come first
            # after a shutdown.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                       struct.pack('ii', 1, 0))
            self.connection.close()
            self.close_connection = True
        elif mode == 'silent':
            self._hold()
        elif mode == 'forbidden':
            self._send(403, FORBIDDEN_PAGE)
        elif mode == 'servererror':
            self._send(500, SERVER_ERROR_PAGE)
        elif mode == 'garbage':
            self._send(200, GARBAGE_PAGE, 'text/html; charset=utf-8')
        else:
            return False
        return True

    def _hold(self, limit=3600):
        """Keeps the connection without a byte of answer until the client goes (or an hour
        passes); only this request's thread waits."""
        self.close_connection = True
        end = time.monotonic() + limit
        try:
            while time.monotonic() < end:
                readable, _, _ = select.select([self.connection], [], [], 1.0)
                if readable and not self.connection.recv(4096):
                    return
        except OSError:
            pass

    def _batch_quote(self, feed, code):
        """A code's quote as a batch feed shows it, or None when the feed knows no such stock."""
        market = self.server.market
        case = market.feed_cases.get((feed, code), market.scenarios.get(code, {}).get('case'))
        if code is None or not known_to_batch_feeds(code) or case == 'unknown':
            return None
        close, price = self._feed_quote(feed, code)
        return BatchQuote(code, close, price, case == 'suspended', self._feed_time(feed))

    def _sina(self, symbols):
        referer = urlsplit(self.headers.get('Referer', '')).hostname or ''
        if referer != 'sina.com.cn' and not referer.endswith('.sina.com.cn'):
            return self._send(403, FORBIDDEN_PAGE)
        lines = [sina_record(s, self._batch_quote('sina', watch_code(s)))
                 for s in symbols.split(',') if s]
        self._send(200, ''.join(lines).encode('gbk'), 'application/javascript; charset=GBK')

    def _tencent(self, symbols):
        lines = [tencent_record(s, self._batch_quote('tencent', watch_code(s)))
                 for s in symbols.split(',') if s]
        self._send(200, ''.join(lines).encode('gbk'), 'text/html; charset=GBK')

    def _eastmoney(self, query):
        secids = [s for s in ','.join(query.get('secids', [])).split(',') if s]
        fields = query.get('fields')
        fields = set(','.join(fields).split(',')) if fields else None
        floats = query.get('fltt', [''])[0] == '2'
        quotes = [self._batch_quote('eastmoney', secid_code(s)) for s in secids]
        items = [eastmoney_item(q, fields, floats) for q in quotes if q is not None]
        self._send(200, eastmoney_answer(items), 'application/json; charset=utf-8')

    # --- chart, update page, upgrade image ------------------------------------------------------
    def _chart(self, code):
        case = self.server.market.scenarios.get(code, {}).get('chart', 'plain')
        chaos = self._chaos()
        if chaos is not None:
            return self._case(chaos, {'delay': ['0.3']}, chart_image(code, False))
        if case == 'html':
            return self._send(404, NOT_FOUND_PAGE)
        if case == 'empty':
            return self._send(200, b'', 'image/png')
        if case == 'huge':
            return self._send(200, huge_png(), 'image/png')
        if case == 'headers':  # a host that takes the request and never ends its headers
            return self._case('headers', {}, b'')
        self._send(200, chart_image(code, case == 'alpha'), 'image/png')

    def _update_page(self):
        scenario = self.server.update
        if 'delay' in scenario:
            time.sleep(float(scenario['delay']))
        if scenario.get('case') == 'headers':
            return self._case('headers', {}, b'')
        host = f'{self.server.server_address[0]}:{self.server.server_address[1]}'
        self._send(200, update_page(scenario.get('case', 'same'), host))

    def _upgrade_signature(self):
        """The signature of the image as published: r then s, signed with the test key."""
        scenario = self.server.upgrade
        case = scenario.get('case', 'html')
        if case in ('html', 'nosig') or 'file' not in scenario:
            return self._send(404, NOT_FOUND_PAGE)
        if case == 'presigned':  # a release signed with its publisher's own key
            with open(scenario['file'] + '.sig', 'rb') as f:
                return self._send(200, f.read(), 'application/octet-stream')
        with open(scenario['file'], 'rb') as f:
            image = f.read()
        signature = p256.sign(image, FOREIGN_KEY if case == 'foreign' else p256.TEST_PRIVATE_KEY)
        if case == 'shortsig':
            signature = signature[:63]
        self._send(200, signature, 'application/octet-stream')

    def _upgrade_image(self):
        scenario = self.server.upgrade
        case = scenario.get('case', 'html')
        if case == 'headers':
            return self._case('headers', {}, b'')
        if case == 'html' or 'file' not in scenario:
            return self._send(200, b'<html><body>upgrade not available</body></html>')
        with open(scenario['file'], 'rb') as f:
            image = f.read()
        if case == 'changed':  # one byte changed on the way, after the publisher signed it
            image = image[:1000] + bytes([image[1000] ^ 1]) + image[1001:]
        if case == 'truncated':
            return self._send(200, image[: len(image) // 2], 'application/octet-stream',
                              length=len(image))
        if case == 'slow':  # the whole file in twenty parts over five seconds
            self.send_response(200)
            self.send_header('Content-Type', 'application/octet-stream')
            self.send_header('Content-Length', str(len(image)))
            self.end_headers()
            part = len(image) // 20 + 1
            try:
                for start in range(0, len(image), part):
                    self.wfile.write(image[start:start + part])
                    self.wfile.flush()
                    time.sleep(0.25)
            except OSError:
                pass
            return None
        self._send(200, image, 'application/octet-stream')

    # --- the history providers ---------------------------------------------------------------
    def _history_scenario(self, code, provider):
        scenario = self.server.market.scenarios.get(code, {})
        scenario = scenario.get(provider, scenario.get('history', 'normal'))
        if scenario == 'slow':  # a normal page, two seconds late
            time.sleep(2)
            return 'normal'
        return scenario

    def _post_history(self, body):
        form = {k: v[0] for k, v in parse_qs(body.decode('latin-1')).items()}
        try:
            code = form['code']
            first = datetime.date(int(form['start_year']), int(form['start_month']),
                                  int(form['start_day']))
            last = datetime.date(int(form['end_year']), int(form['end_month']),
                                 int(form['end_day']))
        except (KeyError, ValueError):
            return self._send(200, b'<html><body>bad request</body></html>')
        scenario = self._history_scenario(code, 'post')
        if scenario == 'empty':
            return self._send(200, b'')
        if scenario == 'headers':
            return self._case('headers', {}, b'')
        self._send(200, post_provider_page(code, history_rows(code, first, last, scenario),
                                           scenario))

    def _get_history(self, path):
        match = re.search(r'start=(\d{4})(\d{2}),end=(\d{4})(\d{2}),code=([^,]*),now=', path)
        if not match:
            return self._send(404, NOT_FOUND_PAGE)
        sy, sm, ey, em, code = match.groups()
        first = datetime.date(int(sy), int(sm), 1)
        last = min(datetime.date(int(ey), int(em), 28) + datetime.timedelta(days=4),
                   datetime.date.today())
        scenario = self._history_scenario(code, 'get')
        if scenario == 'empty':
            return self._send(200, b'')
        if scenario == 'headers':
            return self._case('headers', {}, b'')
        self._send(200, get_provider_page(code, history_rows(code, first, last, scenario),
                                          scenario))

    # --- scripted answers ---------------------------------------------------------------------
    def _case(self, case, query, normal_body):
        delay = float(query.get('delay', ['3'])[0])
        if case == 'normal':
            self._send(200, normal_body)
        elif case == 'unknown':
            self._send(200, b"var hq_str_x='';\n")
        elif case == 'exact50':
            self._send(200, b"'a;b;10;10;;;;0;;;10;".ljust(50, b' '))
        elif case == 'exact51':
            self._send(200, b"'a;b;10;10;;;;0;;;10;".ljust(51, b' '))
        elif case == 'noapostrophe':
            self._send(200, b'x' * 80)
        elif case == 'fewfields':
            self._send(200, b"var hq='a;b;c;d;e;f;g;h;i;j';".ljust(80, b' '))
        elif case == 'nul':
            self._send(200, b'A' * 100 + b'\0' + b'B' * 411 + b'C' * 512)
        elif case == 'notfound':
            self._send(404, NOT_FOUND_PAGE)
        elif case == 'servererror':
            self._send(500, b'<html><body>Internal Server Error</body></html>')
        elif case == 'slow':
            time.sleep(delay)
            self._send(200, normal_body)
        elif case == 'silent':
            time.sleep(delay if 'delay' in query else 60)
            self.close_connection = True
        elif case == 'reset':
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER,
                                       struct.pack('ii', 1, 0))
            self.close_connection = True
        elif case == 'huge':
            self.send_response(200)
            self.send_header('Content-Length', str(20 << 20))
            self.end_headers()
            block = b'x' * 65536
            try:
                for _ in range(320):
                    self.wfile.write(block)
            except OSError:
                pass
        elif case == 'truncated':
            self._send(200, normal_body[: len(normal_body) // 2], length=len(normal_body))
        elif case == 'drip':  # one byte every 0.2 s
            self.send_response(200)
            self.send_header('Content-Length', str(len(normal_body)))
            self.end_headers()
            try:
                for byte in normal_body:
                    self.wfile.write(bytes([byte]))
                    self.wfile.flush()
                    time.sleep(0.2)
            except OSError:
                pass
        elif case == 'redirect':  # to itself
            self.send_response(302)
            self.send_header('Location', self.path)
            self.send_header('Content-Length', '0')
            self.end_headers()
        elif case == 'headers':  # header lines without end, for up to a minute
            self.wfile.write(b'HTTP/1.0 200 OK\r\n')
            try:
                for i in range(3000):
                    self.wfile.write(b'X-Line-%d: %s\r\n' % (i, b'x' * 60))
                    self.wfile.flush()
                    time.sleep(0.02)
            except OSError:
                pass
            self.close_connection = True
        elif case == 'garbage':
            rng = random.Random(len(self.server.log))
            self._send(200, bytes(rng.randrange(256) for _ in range(700)))
        else:
            self._send(404, NOT_FOUND_PAGE)


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def __init__(self, address, seed):
        super().__init__(address, Handler)
        self.market = Market(seed)
        self.faults = {}  # feed -> {'mode', 'since' (epoch seconds), 'state' (frozen market)}
        self.log = []
        self.last = b''
        self.update = {}
        self.upgrade = {}
        self.chaos_lock = threading.Lock()
        self.chaos = {'rate': 0.0, 'rng': random.Random(1)}

    def set_fault(self, feed, mode):
        if feed not in FEEDS:
            raise ValueError(f'no feed {feed!r}: one of {", ".join(FEEDS)}')
        if mode not in FAULTS:
            raise ValueError(f'no fault {mode!r}: one of {", ".join(FAULTS)}')
        if mode == 'none':
            self.faults.pop(feed, None)
        else:
            self.faults[feed] = {'mode': mode, 'since': time.time(),
                                 'state': self.market.freeze() if mode == 'stale' else None}

    def fault_modes(self):
        return {feed: self.faults.get(feed, {}).get('mode', 'none') for feed in FEEDS}


def fault_option(text):
    """FEED=MODE of --fault."""
    feed, _, mode = text.partition('=')
    if feed not in FEEDS or mode not in FAULTS:
        raise argparse.ArgumentTypeError(f'{text!r}: FEED=MODE with FEED one of '
                                         f'{", ".join(FEEDS)} and MODE one of {", ".join(FAULTS)}')
    return feed, mode


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--host', default='127.0.0.1')
    parser.add_argument('--port', type=int, default=18400)
    parser.add_argument('--seed', default='1')
    parser.add_argument('--fault', type=fault_option, action='append', default=[],
                        metavar='FEED=MODE', help='a feed\'s fault from the start (repeatable)')
    args = parser.parse_args()
    server = Server((args.host, args.port), args.seed)
    for feed, mode in args.fault:
        server.set_fault(feed, mode)
    host, port = server.server_address[:2]
    print(f'marketsim listening on {host}:{port}', flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == '__main__':
    sys.exit(main())
