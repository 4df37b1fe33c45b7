#!/usr/bin/env python3
"""Start-up time and resident memory of Tickra.exe under Wine, against an empty dialog program
built and run the same way.

    wine_bench.py BUILD_DIR startup [RUNS]     time from start to the ticker on screen
    wine_bench.py BUILD_DIR memory [SECONDS] [UPDATE_CASE]
                                               resident memory after SECONDS (default 600), the
                                               update page answering UPDATE_CASE (default same:
                                               an announcement; none: no notice)
    wine_bench.py BUILD_DIR paint [RUNS]       one ticker repaint: wall and CPU time, per run
    wine_bench.py BUILD_DIR responsiveness [SECONDS]
                                               with the quote feed silent for SECONDS (default
                                               30): how long the main dialog and the ticker take
                                               to answer a sent message, every 200 ms, and how
                                               long Exit takes during a silent transfer

Both run Tickra in a folder of its own with four stocks and the simulator on the build's port.
"""
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / 'tests' / 'e2e'))

STOCKS = '[600000]\r\n[000001]\r\n[600036]\r\n[1A0001]\r\n'


def sim_port(build):
    for line in (build / 'CMakeCache.txt').read_text().splitlines():
        if line.startswith('TICKRA_SIM_ADDRESS:'):
            return line.rsplit(':', 1)[1]
    return '18400'


def start_simulator(build):
    sim = subprocess.Popen([sys.executable, str(ROOT / 'tools' / 'marketsim' / 'marketsim.py'),
                            '--port', sim_port(build)], stdout=subprocess.PIPE, text=True)
    sim.stdout.readline()
    return sim


def launch(build, exe, folder):
    return subprocess.Popen([str(build / 'wine-run'), str(exe)], cwd=folder,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def wine_pid(name):
    """The Linux process of a Windows program started through Wine."""
    for status in Path('/proc').glob('[0-9]*/cmdline'):
        try:
            if name.lower() in status.read_bytes().decode(errors='replace').lower():
                return int(status.parent.name)
        except OSError:
            pass
    return None


def resident_kib(pid):
    for line in Path(f'/proc/{pid}/status').read_text().splitlines():
        if line.startswith('VmRSS:'):
            return int(line.split()[1])
    return 0


def startup(build, runs):
    from harness import Driver  # the driver that the end-to-end tests use
    import os
    os.environ.setdefault('TICKRA_WINE_RUN', str(build / 'wine-run'))
    os.environ.setdefault('TICKRA_DRIVER_EXE', str(build / 'tests' / 'tickra_e2e_driver.exe'))
    driver = Driver()
    sim = start_simulator(build)
    figures = {'Tickra': [], 'empty dialog': []}
    try:
        for _ in range(runs):
            for name, exe, window in (('Tickra', build / 'Tickra.exe', 'TickraTickerWindow'),
                                      ('empty dialog', build / 'tools' / 'empty_dialog.exe',
                                       '#32770 Empty')):
                with tempfile.TemporaryDirectory() as folder:
                    (Path(folder) / 'code.ini').write_bytes(STOCKS.encode())
                    started = time.monotonic()
                    process = launch(build, exe, folder)
                    cls, _, title = window.partition(' ')
                    hwnd = driver.find(cls, title or '-', 30000)
                    driver('wait-visible', hwnd, 1, 30000)
                    figures[name].append(time.monotonic() - started)
                    process.kill()
                    process.wait()
                    driver('wait-gone', hwnd, 30000)  # the next run must not find this window
    finally:
        driver.close()
        sim.terminate()
    for name, values in figures.items():
        print(f'start-up to the first window on screen, {name}: median '
              f'{statistics.median(values):.2f} s (min {min(values):.2f}, max {max(values):.2f}, '
              f'{len(values)} runs)')


def memory(build, seconds, update_case):
    sim = start_simulator(build)
    import urllib.request
    urllib.request.urlopen(urllib.request.Request(
        f'http://127.0.0.1:{sim_port(build)}/_sim/update?case={update_case}', method='POST'),
        timeout=10).read()
    processes = []
    try:
        with tempfile.TemporaryDirectory() as a, tempfile.TemporaryDirectory() as b:
            (Path(a) / 'code.ini').write_bytes(STOCKS.encode())
            processes = [launch(build, build / 'Tickra.exe', a),
                         launch(build, build / 'tools' / 'empty_dialog.exe', b)]
            time.sleep(seconds)
            tickra, empty = wine_pid('Tickra.exe'), wine_pid('empty_dialog.exe')
            t, e = resident_kib(tickra), resident_kib(empty)
            print(f'resident memory after {seconds} s: Tickra {t} KiB, empty dialog {e} KiB, '
                  f'ratio {t / e:.2f}')
    finally:
        for p in processes:
            p.kill()
        subprocess.run([str(build / 'wine-run'), 'taskkill', '/f', '/im', 'Tickra.exe'],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        subprocess.run([str(build / 'wine-run'), 'taskkill', '/f', '/im', 'empty_dialog.exe'],
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        sim.terminate()


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))]


def responsiveness(build, seconds):
    from harness import Driver
    import os
    os.environ.setdefault('TICKRA_WINE_RUN', str(build / 'wine-run'))
    os.environ.setdefault('TICKRA_DRIVER_EXE', str(build / 'tests' / 'tickra_e2e_driver.exe'))
    driver = Driver()
    sim = start_simulator(build)
    process = None
    try:
        url = f'http://127.0.0.1:{sim_port(build)}/_sim/'
        import urllib.request
        for code in ('600000', '000001', '600036', '1A0001'):
            urllib.request.urlopen(urllib.request.Request(
                f'{url}scenario?code={code}&case=silent', method='POST'), timeout=10).read()
        with tempfile.TemporaryDirectory() as folder:
            (Path(folder) / 'code.ini').write_bytes(STOCKS.encode())
            process = launch(build, build / 'Tickra.exe', folder)
            dialog = driver.find('#32770', 'Tickra', 30000)
            ticker = driver.child(driver.find('TickraTickerWindow', '-', 30000),
                                  'tickra_progress32', 30000)
            times = {'main dialog': [], 'ticker': []}
            end = time.monotonic() + seconds
            while time.monotonic() < end:
                for name, hwnd in (('main dialog', dialog), ('ticker', ticker)):
                    try:
                        times[name].append(float(driver('ping', hwnd, 10000)))
                    except AssertionError:
                        times[name].append(10000.0)
                time.sleep(0.2)
            started = time.monotonic()
            driver.command(dialog, 32772)
            process.wait(timeout=30)
            exit_seconds = time.monotonic() - started
    finally:
        driver.close()
        if process is not None and process.poll() is None:
            process.kill()
        sim.terminate()
    for name, values in times.items():
        print(f'{name} answers a sent message with the feed silent: p50 '
              f'{percentile(values, 0.5):.2f} ms, p95 {percentile(values, 0.95):.2f} ms, '
              f'max {max(values):.2f} ms ({len(values)} messages over {seconds} s)')
    print(f'Exit during a silent transfer: {exit_seconds:.2f} s to the end of the process')


def paint(build, runs):
    """Runs the in-process repaint test, which times 10,000 repaints, and reports its figures."""
    for _ in range(runs):
        output = subprocess.run(
            [str(build / 'wine-run'), str(build / 'tests' / 'tickra_win_tests.exe'),
             '--gtest_filter=TickerPaintTest.TenThousandRepaintsLeakNothing'],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, check=True).stdout
        print(next(line for line in output.splitlines() if line.startswith('ticker repaint')))


if __name__ == '__main__':
    build = Path(sys.argv[1]).resolve()
    if sys.argv[2] == 'startup':
        startup(build, int(sys.argv[3]) if len(sys.argv) > 3 else 5)
    elif sys.argv[2] == 'paint':
        paint(build, int(sys.argv[3]) if len(sys.argv) > 3 else 3)
    elif sys.argv[2] == 'responsiveness':
        responsiveness(build, int(sys.argv[3]) if len(sys.argv) > 3 else 30)
    else:
        memory(build, int(sys.argv[3]) if len(sys.argv) > 3 else 600,
               sys.argv[4] if len(sys.argv) > 4 else 'same')
