"""Runs Tickra.exe as its own process under Wine and drives it from outside.

The build passes its paths in the environment: TICKRA_WINE_RUN (the build's Wine wrapper),
TICKRA_EXE, TICKRA_DRIVER_EXE and TICKRA_ARTIFACTS (where screenshots go).
"""
import os
import shutil
import subprocess
import tempfile
import unittest
from pathlib import Path

WM_CLOSE = 0x0010
WM_COMMAND = 0x0111
ID_TRAY_EXIT = 32772
ID_TRAY_SETTINGS = 32773


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
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)

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

    def find(self, cls='-', title='-', timeout_ms=20000):
        return int(self('find', cls, title, timeout_ms))

    def command(self, hwnd, command_id):
        return self('send', hwnd, WM_COMMAND, command_id, 0)

    def visible(self, hwnd):
        return self('visible', hwnd) == '1'

    def text(self, hwnd):
        return bytes.fromhex(self('text', hwnd)).decode('utf-8')


class TickraProcess:
    """Tickra.exe started in a working folder of its own."""

    def __init__(self, folder, *arguments):
        self.folder = Path(folder)
        self.process = subprocess.Popen([_env('TICKRA_WINE_RUN'), _env('TICKRA_EXE'), *arguments],
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
        for p in self.processes:
            p.kill()
        self.driver.close()
        shutil.rmtree(self.folder, ignore_errors=True)

    def start(self, *arguments, code_ini=None):
        if code_ini is not None:
            (self.folder / 'code.ini').write_bytes(code_ini.encode('gb2312'))
        process = TickraProcess(self.folder, *arguments)
        self.processes.append(process)
        return process

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
