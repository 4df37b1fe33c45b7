"""Runs Tickra.exe as its own process under Wine and drives it from outside.

The build passes its paths in the environment: TICKRA_WINE_RUN (the build's Wine wrapper),
TICKRA_EXE, TICKRA_DRIVER_EXE, TICKRA_TASKBAR_EXE (the classic taskbar), TICKRA_SIM_PORT (the
port the build's provider hosts point at) and TICKRA_ARTIFACTS (where screenshots go).
"""
import collections
import json
import os
import shutil
import subprocess
import tempfile
import sys
import time
import unittest
import urllib.request
from pathlib import Path

SIMULATOR = Path(__file__).resolve().parents[2] / 'tools' / 'marketsim' / 'marketsim.py'

WM_COMMAND = 0x0111
ID_TRAY_EXIT = 32772
ID_TRAY_SETTINGS = 32773

# One request to the notification area, as the classic taskbar logs it.
TrayRequest = collections.namedtuple('TrayRequest',
                                     'op icon flags title text timeout info_flags')


def wait_for(condition, seconds=20, what='the condition'):
    """Polls condition until it returns something true, which it returns; fails after seconds.
    A driver error counts as not yet: a window still being made has its controls later."""
    deadline = time.monotonic() + seconds
    while True:
        try:
            result = condition()
        except AssertionError:
            result = None
        if result:
            return result
        if time.monotonic() > deadline:
            raise AssertionError(f'{what} did not come within {seconds} s')
        time.sleep(0.1)


def tickra_processes():
    """The Linux processes that run a Tickra.exe under Wine, as {pid: cpu seconds}."""
    found = {}
    for entry in Path('/proc').iterdir():
        if not entry.name.isdigit():
            continue
        try:
            if b'Tickra.exe' not in (entry / 'cmdline').read_bytes():
                continue
            fields = (entry / 'stat').read_text().rsplit(')', 1)[1].split()
        except OSError:
            continue
        found[int(entry.name)] = (int(fields[11]) + int(fields[12])) / os.sysconf('SC_CLK_TCK')
    return found


def _env(name):
    value = os.environ.get(name)
    if not value:
        raise unittest.SkipTest(f'{name} is not set; run this suite through ctest')
    return value


class Driver:
    """The Windows-side driver program, one command per line."""

    def __init__(self):
        self._process = subprocess.Popen(
            [_env('TICKRA_WINE_RUN'), _env('TICKRA_DRIVER_EXE')],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, encoding='utf-8', bufsize=1)

    def __call__(self, *words):
        self._process.stdin.write(' '.join(str(w) for w in words) + '\n')
        self._process.stdin.flush()
        answer = self._process.stdout.readline().strip()
        if not answer.startswith('ok'):
            raise AssertionError(f'driver: {" ".join(map(str, words))} -> {answer!r}')
        return answer[3:]

    def close(self):
        if self._process.poll() is None:
            try:
                self._process.stdin.write('quit\n')
                self._process.stdin.flush()
                self._process.wait(timeout=10)
            except (OSError, subprocess.TimeoutExpired):
                self._process.kill()
        for stream in (self._process.stdin, self._process.stdout):
            stream.close()

    def find(self, cls='-', title='-', timeout_ms=20000):
        return int(self('find', cls, title, timeout_ms))

    def command(self, hwnd, command_id):
        return self('send', hwnd, WM_COMMAND, command_id, 0)

    def visible(self, hwnd):
        return self('visible', hwnd) == '1'

    def text(self, hwnd):
        return bytes.fromhex(self('text', hwnd)).decode('utf-8')

    def set_text(self, hwnd, text):
        self('settext', hwnd, text.encode('utf-8').hex() or '-')

    def list_rows(self, hwnd, columns):
        """A list view's rows, each a list of its cell texts."""
        answer = self('lv-rows', hwnd, columns)
        return [[bytes.fromhex(cell).decode('utf-8') for cell in row.split(',')]
                for row in answer.split(';') if row]

    def rect(self, hwnd):
        return tuple(int(v) for v in self('rect', hwnd).split())

    def find_all(self, cls='-', title='-'):
        """(hwnd, pid) of every matching top-level window."""
        return [tuple(int(v) for v in item.split(':')) for item in self('find-all', cls, title).split()]

    def child(self, parent, cls, timeout_ms=5000):
        return int(self('child', parent, cls, timeout_ms))

    def has_child(self, parent, cls):
        try:
            self.child(parent, cls, 0)
            return True
        except AssertionError:
            return False



class WineProcess:
    """A Windows program of the build, started in a working folder."""

    def __init__(self, folder, exe, *arguments):
        self.folder = Path(folder)
        self.process = subprocess.Popen([_env('TICKRA_WINE_RUN'), exe, *arguments],
                                        cwd=self.folder, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.DEVNULL)

    def wait(self, timeout):
        return self.process.wait(timeout=timeout)

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.wait()


class TickraTestCase(unittest.TestCase):
    """Gives each test a working folder, a driver and a way to start Tickra."""

    def setUp(self):
        self.folder = Path(tempfile.mkdtemp(prefix='tickra-e2e-'))
        self.driver = Driver()
        self.processes = []

    def tearDown(self):
        for p in reversed(self.processes):
            p.kill()
        if getattr(self, 'simulator', None) is not None:
            self.simulator.terminate()
            self.simulator.wait(timeout=10)
            self.simulator.stdout.close()
        self.driver.close()
        shutil.rmtree(self.folder, ignore_errors=True)

    def start(self, *arguments, code_ini=None, exe=None):
        """Starts Tickra.exe (or another build of it) in the test's folder, with code.ini
        written there when given."""
        if code_ini is not None:
            (self.folder / 'code.ini').write_bytes(code_ini.encode('gb2312'))
        process = WineProcess(self.folder, exe or _env('TICKRA_EXE'), *arguments)
        self.processes.append(process)
        return process

    def start_simulator(self):
        """Starts the market simulator on the port the build's hosts point at."""
        port = _env('TICKRA_SIM_PORT')
        self.simulator = subprocess.Popen([sys.executable, str(SIMULATOR), '--port', port],
                                          stdout=subprocess.PIPE, text=True)
        if 'listening on' not in self.simulator.stdout.readline():
            raise AssertionError(f'the simulator could not listen on port {port}, the build\'s '
                                 'TICKRA_SIM_ADDRESS: another program holds it')
        self.sim_url = f'http://127.0.0.1:{port}'

    def sim(self, control):
        """Sends a control request (for example "update?case=other") to the simulator."""
        request = urllib.request.Request(f'{self.sim_url}/_sim/{control}', method='POST')
        with urllib.request.urlopen(request, timeout=10) as answer:
            return answer.read()

    def simulator_log(self):
        """The request lines the simulator has received."""
        with urllib.request.urlopen(f'{self.sim_url}/_sim/log', timeout=10) as answer:
            return [entry['request_line'] for entry in json.loads(answer.read())]

    def start_taskbar(self, *arguments):
        """Starts the classic taskbar and returns its "Shell_TrayWnd"."""
        self.tray_log = self.folder / 'tray.log'
        self.processes.append(WineProcess(self.folder, _env('TICKRA_TASKBAR_EXE'), '--log',
                                          'tray.log', *arguments))
        # Wine's own tray is a "Shell_TrayWnd" too, but without the bands.
        self.taskbar = wait_for(
            lambda: next((hwnd for hwnd, _ in self.driver.find_all('Shell_TrayWnd')
                          if self.driver.has_child(hwnd, 'TrayNotifyWnd')), None),
            what='the classic taskbar')
        return self.taskbar

    def tray_requests(self):
        """Each request the notification area received, as a TrayRequest."""
        if not self.tray_log.exists():
            return []
        requests = []
        for line in self.tray_log.read_text(encoding='utf-8').splitlines():
            op, icon, flags, title, text, timeout, info_flags = line.split('\t')
            requests.append(TrayRequest(int(op), int(icon), int(flags), title,
                                        text.replace('\\n', '\n'), int(timeout),
                                        int(info_flags)))
        return requests

    def balloons(self):
        """(title, text, time-out in ms, icon flags) of each balloon shown."""
        return [(r.title, r.text, r.timeout, r.info_flags) for r in self.tray_requests()
                if r.op == 1 and r.title]


    def screenshot(self, name, settle=None):
        """Saves the whole virtual screen as a PNG once it has stopped changing."""
        if settle is not None:
            self.driver('settle', settle)
        folder = Path(_env('TICKRA_ARTIFACTS'))
        folder.mkdir(parents=True, exist_ok=True)
        path = folder / name
        previous = None
        for _ in range(20):
            subprocess.run(['import', '-window', 'root', str(path)], check=True, timeout=30)
            pixels = subprocess.run(['convert', str(path), 'rgb:-'], check=True, timeout=30,
                                    stdout=subprocess.PIPE).stdout
            if pixels == previous:
                break
            previous = pixels
        return path
