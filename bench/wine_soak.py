#!/usr/bin/env python3
"""The long soak: where Tickra's memory goes over hours under Wine.

    wine_soak.py BUILD_DIR [MINUTES] [--chart on|off] [--feed flap|good] [--every SECONDS]
                 [--answer HTTP/1.0|HTTP/1.1] [--csv FILE] [--exe PATH] [--folder PATH]
    wine_soak.py CSV --summarize

Runs the soak build (BUILD_DIR/tools/Tickra_soak.exe, Tickra with a probe linked in) with four
stocks for MINUTES (default 120) against the market simulator, behind a front on the build's
provider port that, with --feed flap (the default), answers every request in turn for 4 s each:
good, silent, refused (nothing listens), 500, reset, 404, empty. The first 30 s are good, so the
update check finds its announcement. With --chart on (the default) the chart window is opened
and a chart picture fetched with every tick. Every answer ends its connection; --answer names the
version its status line gives (default HTTP/1.0, as the simulator's). WinInet under Wine 8 keeps
152 bytes for good of every connection it ends itself: after an HTTP/1.0 answer, a reset, or one
it gives up; after an HTTP/1.1 answer it keeps the connection and finds it ended later.

Every SECONDS (default 60) it prints one sample: the process's resident memory (and its
anonymous and file-backed parts), its threads and open files, the bytes the program holds
through operator new, the bytes in use in all the process's heaps, the WinInet handles the
program holds open, and the files in the WinInet cache of the prefix. At the end it prints the
slope per hour of each figure after the first 10 minutes (least squares), with its range, and
how fast its floor rose: the lowest value of the last 30 minutes against that of the first 30,
which a thread's stack made and freed again does not move.
"""
import argparse
import os
import select
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from wine_bench import ROOT, STOCKS, sim_port, wine_pid  # noqa: E402

PHASES = ['good', 'silent', 'refused', '500', 'reset', '404', 'empty']
WARM_UP_SECONDS = 600
NOT_FOUND = b'<html><body><h1>Not Found</h1></body></html>'
SERVER_ERROR = b'<html><body><h1>Internal Server Error</h1></body></html>'


def answer(version, status, body):
    return (f'{version} {status}\r\nContent-Type: text/html\r\nContent-Length: {len(body)}\r\n\r\n'
            .encode() + body)


class Front(threading.Thread):
    """Listens on the build's provider port and answers as the current phase says; good
    requests go on to the simulator."""

    def __init__(self, port, backend, flap, flap_from, version, phase_seconds=4):
        super().__init__(daemon=True)
        self.port, self.backend, self.flap, self.version = port, backend, flap, version.encode()
        self.flap_from, self.phase_seconds = flap_from, phase_seconds
        self.stopped = threading.Event()
        self.served = {phase: 0 for phase in PHASES}

    def phase(self):
        now = time.monotonic()
        if not self.flap or now < self.flap_from:
            return 'good'
        return PHASES[int((now - self.flap_from) // self.phase_seconds) % len(PHASES)]

    def run(self):
        listener = None
        while not self.stopped.is_set():
            phase = self.phase()
            if phase == 'refused':
                if listener is not None:
                    listener.close()
                    listener = None
                time.sleep(0.05)
                continue
            if listener is None:
                listener = socket.socket()
                listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
                listener.bind(('127.0.0.1', self.port))
                listener.listen(64)
            if select.select([listener], [], [], 0.05)[0]:
                connection, _ = listener.accept()
                self.served[phase] += 1
                threading.Thread(target=self.serve, args=(connection, phase), daemon=True).start()
        if listener is not None:
            listener.close()

    def serve(self, connection, phase):
        try:
            connection.settimeout(30)
            request = read_request(connection)
            if phase == 'good':
                with socket.create_connection(('127.0.0.1', self.backend), timeout=30) as sim:
                    sim.sendall(request)
                    first = True
                    while data := sim.recv(65536):
                        if first:
                            data, first = self.version + data[len(self.version):], False
                        connection.sendall(data)
            elif phase == 'silent':
                self.stopped.wait(60)
            elif phase == '500':
                connection.sendall(answer(self.version.decode(), '500 Internal Server Error', SERVER_ERROR))
            elif phase == '404':
                connection.sendall(answer(self.version.decode(), '404 Not Found', NOT_FOUND))
            elif phase == 'empty':
                connection.sendall(self.version + b' 200 OK\r\nContent-Length: 0\r\n\r\n')
            elif phase == 'reset':
                connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack('ii', 1, 0))
        except OSError:
            pass
        finally:
            connection.close()


def read_request(connection):
    data = b''
    while b'\r\n\r\n' not in data:
        chunk = connection.recv(4096)
        if not chunk:
            return data
        data += chunk
    head, _, body = data.partition(b'\r\n\r\n')
    length = 0
    for line in head.split(b'\r\n')[1:]:
        name, _, value = line.partition(b':')
        if name.strip().lower() == b'content-length':
            length = int(value.strip() or 0)
    while len(body) < length:
        chunk = connection.recv(4096)
        if not chunk:
            break
        body += chunk
    return head + b'\r\n\r\n' + body


def process_status(pid):
    figures = {}
    for line in Path(f'/proc/{pid}/status').read_text().splitlines():
        name, _, value = line.partition(':')
        if name in ('VmRSS', 'RssAnon', 'RssFile', 'RssShmem', 'Threads'):
            figures[name] = int(value.split()[0])
    return figures


def cache_folders(build):
    users = build / 'wineprefix' / 'drive_c' / 'users'
    return list(users.glob('*/AppData/Local/Microsoft/Windows/INetCache'))


def cache_files(build):
    return sum(1 for folder in cache_folders(build) for path in folder.glob('**/*')
               if path.is_file())


def slope_per_hour(points):
    """Least-squares slope of (seconds, value) points, per hour."""
    n = len(points)
    if n < 2:
        return 0.0
    mean_t = sum(t for t, _ in points) / n
    mean_v = sum(v for _, v in points) / n
    var = sum((t - mean_t) ** 2 for t, _ in points)
    return sum((t - mean_t) * (v - mean_v) for t, v in points) / var * 3600 if var else 0.0


COLUMNS = ['minute', 'rss_kib', 'anon_kib', 'file_kib', 'shmem_kib', 'threads', 'fds',
           'new_bytes', 'new_blocks', 'heap_bytes', 'heap_blocks', 'heaps', 'internet_handles',
           'cache_files']


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('build', type=Path)
    parser.add_argument('minutes', type=float, nargs='?', default=120)
    parser.add_argument('--chart', choices=['on', 'off'], default='on')
    parser.add_argument('--feed', choices=['flap', 'good'], default='flap')
    parser.add_argument('--every', type=int, default=60)
    parser.add_argument('--answer', choices=['HTTP/1.0', 'HTTP/1.1'], default='HTTP/1.0')
    parser.add_argument('--csv', type=Path)
    parser.add_argument('--exe', type=Path, help='another soak build of the same provider port')
    parser.add_argument('--folder', type=Path, help='run there and keep it (default: a temporary one)')
    parser.add_argument('--summarize', action='store_true',
                        help='BUILD_DIR names the CSV of an earlier run: print its figures only')
    args = parser.parse_args()
    if args.summarize:
        summarize_csv(args.build)
        return
    build = args.build.resolve()
    exe = (args.exe or build / 'tools' / 'Tickra_soak.exe').resolve()
    os.environ.setdefault('TICKRA_WINE_RUN', str(build / 'wine-run'))
    os.environ.setdefault('TICKRA_DRIVER_EXE', str(build / 'tests' / 'tickra_e2e_driver.exe'))
    sys.path.insert(0, str(ROOT / 'tests' / 'e2e'))
    from harness import Driver  # noqa: E402

    for folder in cache_folders(build):  # each run starts with an empty WinInet cache
        shutil.rmtree(folder)
    sim = subprocess.Popen([sys.executable, str(ROOT / 'tools' / 'marketsim' / 'marketsim.py'),
                            '--port', '0'], stdout=subprocess.PIPE, text=True)
    backend = int(sim.stdout.readline().rsplit(':', 1)[1])
    urllib.request.urlopen(urllib.request.Request(
        f'http://127.0.0.1:{backend}/_sim/update?case=same', method='POST'), timeout=10).read()
    front = Front(int(sim_port(build)), backend, args.feed == 'flap', time.monotonic() + 30,
                  args.answer)
    front.start()
    process = None
    samples = []
    csv = open(args.csv, 'w') if args.csv else None
    print(' '.join(COLUMNS), flush=True)
    if csv:
        csv.write(','.join(COLUMNS) + '\n')
    try:
        with tempfile.TemporaryDirectory() as temporary:
            folder = args.folder.resolve() if args.folder else Path(temporary)
            folder.mkdir(parents=True, exist_ok=True)
            (folder / 'code.ini').write_bytes(STOCKS.encode())
            env = dict(os.environ, TICKRA_PROBE_SECONDS=str(args.every))
            process = subprocess.Popen([str(build / 'wine-run'), str(exe)], cwd=folder, env=env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            driver = Driver()
            try:
                host = driver.find('TickraTickerWindow', '-', 180000)
                if args.chart == 'on':
                    driver('post', driver.child(host, 'tickra_progress32'), 0x0201, 1, 0x50005)
            finally:
                driver.close()
            pid = wine_pid('Tickra_soak.exe', folder)
            probe = folder / 'soak_probe.txt'
            seen = 1  # the header line
            end = time.monotonic() + args.minutes * 60
            while time.monotonic() < end and process.poll() is None:
                time.sleep(1)
                lines = probe.read_text().splitlines() if probe.exists() else []
                for line in lines[seen:]:
                    if len(line.split()) != 7:
                        break  # still being written
                    seen += 1
                    seconds, *rest = (int(v) for v in line.split())
                    status = process_status(pid)
                    row = [round(seconds / 60, 1), status['VmRSS'], status['RssAnon'],
                           status['RssFile'], status['RssShmem'], status['Threads'],
                           len(list(Path(f'/proc/{pid}/fd').iterdir())), *rest, cache_files(build)]
                    samples.append((seconds, row))
                    print(' '.join(str(v) for v in row), flush=True)
                    if csv:
                        csv.write(','.join(str(v) for v in row) + '\n')
                        csv.flush()
    finally:
        if process is not None and process.poll() is None:
            process.kill()
        subprocess.run([str(build / 'wine-run'), 'taskkill', '/f', '/im', 'Tickra_soak.exe'],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        front.stopped.set()
        sim.terminate()
        if csv:
            csv.close()

    print(f'requests answered by phase: {front.served}')
    summarize(samples)


def floor_per_hour(points, window=1800):
    """The rise of the lowest value from the first window to the last, per hour: what a figure
    that jumps and falls back (a thread's stack made and freed) keeps for good."""
    first, last = points[0][0], points[-1][0]
    if last - first < 2 * window:
        return None
    early = min(v for t, v in points if t < first + window)
    late = min(v for t, v in points if t > last - window)
    return (late - early) / (last - first - window) * 3600


def summarize(samples):
    after = [(t, row) for t, row in samples if t >= WARM_UP_SECONDS]
    if len(after) < 2:
        print('too short for slopes: they start after the first 10 minutes')
        return
    hours = (after[-1][0] - after[0][0]) / 3600
    print(f'after the first 10 minutes ({len(after)} samples over {hours:.2f} h), per hour:')
    for index, name in enumerate(COLUMNS[1:], start=1):
        values = [(t, row[index]) for t, row in after]
        low, high = min(v for _, v in values), max(v for _, v in values)
        floor = floor_per_hour(values)
        print(f'  {name:16} slope {slope_per_hour(values):+12.1f}/h   '
              f'first {values[0][1]}, last {values[-1][1]}, range {high - low}'
              + (f', floor {floor:+.1f}/h' if floor is not None else ''))


def summarize_csv(path):
    lines = Path(path).read_text().splitlines()
    samples = []
    for line in lines[1:]:
        row = [float(v) for v in line.split(',')]
        samples.append((row[0] * 60, row))
    summarize(samples)


if __name__ == '__main__':
    main()
