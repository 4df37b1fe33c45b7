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
    wine_bench.py BUILD_DIR batch [SECONDS]    100 stocks on the 新浪 feed for SECONDS (default
                                               30): requests a tick, how many codes each names,
                                               and how long the main dialog and the ticker take
                                               to answer a sent message, every 200 ms
    wine_bench.py BUILD_DIR wininet [TRANSFERS]
                                               what one transfer leaves in the process's heaps,
                                               through Tickra's HTTP client, bare WinInet calls that
                                               do not ask to keep the connection, and
                                               a plain socket, against a server answering
                                               HTTP/1.0, one answering HTTP/1.1 that keeps the
                                               connection when asked, and one that never does
    wine_bench.py BUILD_DIR biglist [COUNT ...]
                                               start-up with a list of COUNT stocks (default
                                               100 1000 10000), code.ini just written and a
                                               minute old: to the dialog, to the first quote and
                                               to every row listed, and the longest the dialog
                                               took to answer a sent message meanwhile; then
                                               Add, Modify, Delete, Up and Down on the list,
                                               each as a sent command
    wine_bench.py BUILD_DIR every [RUNS]       every kind of transfer stuck at once (headers
                                               without end): the quote, the chart picture with
                                               its window open, a balance run of every stock,
                                               and the upgrade download; then, in as many runs
                                               again, the update check in place of the
                                               download: Exit time to the end of the process,
                                               each run
    wine_bench.py BUILD_DIR stuck shell|chart|both
                                               with the classic taskbar hung for 20 s (shell), or
                                               a chart host that never ends its headers while
                                               the chart window is open (chart, 60 s), or the
                                               quote host too (both, 60 s): how soon
                                               a posted Settings shows the dialog, the share of
                                               ticks that asked for a quote, Exit time and
                                               Tickra's thread count

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


def e2e_driver(build):
    """The driver that the end-to-end tests use, for this build's programs."""
    import os
    from harness import Driver
    os.environ.setdefault('TICKRA_WINE_RUN', str(build / 'wine-run'))
    os.environ.setdefault('TICKRA_DRIVER_EXE', str(build / 'tests' / 'tickra_e2e_driver.exe'))
    return Driver()


def launch(build, exe, folder):
    return subprocess.Popen([str(build / 'wine-run'), str(exe)], cwd=folder,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def wine_pid(name, folder):
    """The Linux process of a Windows program started through Wine in folder: the one whose first
    word is the program itself (the shells and runners that started it name it later on), and
    whose working folder is folder, for other runs of the same program may be going on."""
    for status in Path('/proc').glob('[0-9]*/cmdline'):
        try:
            program = status.read_bytes().split(b'\0', 1)[0].decode(errors='replace')
            if (program.replace('\\', '/').lower().endswith('/' + name.lower()) and
                    (status.parent / 'cwd').resolve() == Path(folder).resolve()):
                return int(status.parent.name)
        except OSError:
            continue
    return None


def resident_kib(pid):
    for line in Path(f'/proc/{pid}/status').read_text().splitlines():
        if line.startswith('VmRSS:'):
            return int(line.split()[1])
    return 0


def resident_by_mapping(pid):
    """Resident KiB by what is mapped: a file by its name (a DLL, a font), anonymous memory as
    '(anonymous)' (heaps, thread stacks, what Wine allocates), the rest by its bracketed name."""
    figures = {}
    name = None
    for line in Path(f'/proc/{pid}/smaps').read_text().splitlines():
        fields = line.split()
        if len(fields) >= 5 and '-' in fields[0] and ':' in fields[3]:
            path = ' '.join(fields[5:]) if len(fields) > 5 else ''
            name = Path(path).name if path.startswith('/') else (path or '(anonymous)')
        elif fields and fields[0] == 'Rss:' and name is not None:
            figures[name] = figures.get(name, 0) + int(fields[1])
    return figures


def startup(build, runs):
    driver = e2e_driver(build)
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


def biglist(build, counts):
    """Long lists: see the module's text."""
    from harness import wait_for
    import json
    import os
    import urllib.request
    driver = e2e_driver(build)
    sim = start_simulator(build)
    log_url = f'http://127.0.0.1:{sim_port(build)}/_sim/log'
    wm_command, lvm_getitemcount = 0x0111, 0x1004

    def quotes_asked():
        with urllib.request.urlopen(log_url, timeout=10) as answer:
            return any(e['path'].split('?')[0].strip('/').isdigit() for e in json.loads(answer.read()))

    def timed(*command):
        started = time.monotonic()
        driver(*command)
        return (time.monotonic() - started) * 1000

    try:
        for count in counts:
            for age in ('fresh', 'old'):
                urllib.request.urlopen(urllib.request.Request(
                    f'http://127.0.0.1:{sim_port(build)}/_sim/reset', method='POST'), timeout=10)
                with tempfile.TemporaryDirectory() as folder:
                    ini = Path(folder) / 'code.ini'
                    ini.write_bytes(''.join(f'[{600000 + i}]\r\nunder=0\r\nover=0\r\nsale=0\r\ncdt=\r\n'
                                            for i in range(count)).encode())
                    if age == 'old':
                        os.utime(ini, (time.time() - 60, time.time() - 60))
                    started = time.monotonic()
                    process = launch(build, build / 'Tickra.exe', folder)
                    dialog = driver.find('#32770', 'Tickra', 120000)
                    at_dialog = time.monotonic() - started
                    view = int(wait_for(lambda: driver('item', dialog, 1013), 120, 'the list'))
                    at_rows = at_quote = None
                    worst_wait = 0.0  # while the rows are on their way
                    def listed():  # a list view busy filling itself does not answer in time
                        try:
                            return int(driver('send', view, lvm_getitemcount, 0, 0))
                        except AssertionError:
                            return 0
                    while at_rows is None or at_quote is None:
                        if at_rows is None:
                            worst_wait = max(worst_wait, float(driver('ping', dialog, 60000)))
                        now = time.monotonic() - started
                        if at_rows is None and listed() == count:
                            at_rows = now
                        if at_quote is None and quotes_asked():
                            at_quote = now
                        time.sleep(0.005)
                    line = (f'{count} stocks, code.ini {age}: dialog {at_dialog:.2f} s, first quote '
                            f'{at_quote:.2f} s, every row listed {at_rows:.2f} s, worst sent-message '
                            f'wait while loading {worst_wait:.0f} ms')
                    if age == 'old':
                        driver('settext', int(driver('item', dialog, 1000)), '999999'.encode().hex())
                        add = timed('send', dialog, wm_command, 1001, 0)  # 添加
                        driver('lv-select', view, count // 2)
                        modify = timed('send', dialog, wm_command, 1012, 0)  # 修改
                        driver('settext', int(driver('item', dialog, 1007)), '1.5'.encode().hex())
                        modify += timed('send', dialog, wm_command, 1001, 0)  # and apply it
                        driver('lv-select', view, count // 2)
                        up = timed('send', dialog, wm_command, 1005, 0)
                        driver('lv-select', view, count // 2)
                        down = timed('send', dialog, wm_command, 1006, 0)
                        driver('lv-select', view, count // 2)
                        delete = timed('send', dialog, wm_command, 1003, 0)
                        line += (f'; Add {add:.0f} ms, Modify and apply {modify:.0f} ms, Up {up:.0f} ms, '
                                 f'Down {down:.0f} ms, Delete {delete:.0f} ms')
                    print(line, flush=True)
                    driver.command(dialog, 32772)
                    process.wait(timeout=60)
    finally:
        driver.close()
        sim.terminate()


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
            tickra, empty = wine_pid('Tickra.exe', a), wine_pid('empty_dialog.exe', b)
            t, e = resident_kib(tickra), resident_kib(empty)
            print(f'resident memory after {seconds} s: Tickra {t} KiB, empty dialog {e} KiB, '
                  f'ratio {t / e:.2f}')
            # Where the difference lies, by mapping, largest first: what is above the yardstick.
            mine, theirs = resident_by_mapping(tickra), resident_by_mapping(empty)
            above = {k: mine.get(k, 0) - theirs.get(k, 0) for k in set(mine) | set(theirs)}
            threads = [len(list(Path(f'/proc/{pid}/task').iterdir())) for pid in (tickra, empty)]
            print(f'threads: Tickra {threads[0]}, empty dialog {threads[1]} (Wine\'s own among them)')
            print('KiB above the empty dialog, by mapping:')
            for name, kib in sorted(above.items(), key=lambda item: -abs(item[1])):
                if abs(kib) >= 64:
                    print(f'  {kib:+7d}  {name}')
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


def ping_windows(driver, dialog, ticker, seconds):
    """How long the main dialog and the ticker take to answer a sent message, every 200 ms for
    seconds, in ms; a message not answered in 10 s counts as 10 s."""
    times = {'main dialog': [], 'ticker': []}
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        for name, hwnd in (('main dialog', dialog), ('ticker', ticker)):
            try:
                times[name].append(float(driver('ping', hwnd, 10000)))
            except AssertionError:
                times[name].append(10000.0)
        time.sleep(0.2)
    return times


def responsiveness(build, seconds):
    driver = e2e_driver(build)
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
            times = ping_windows(driver, dialog, ticker, seconds)
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


def batch(build, seconds):
    import json
    import urllib.request
    driver = e2e_driver(build)
    sim = start_simulator(build)
    process = None
    try:
        url = f'http://127.0.0.1:{sim_port(build)}/_sim/'
        with tempfile.TemporaryDirectory() as folder:
            (Path(folder) / 'code.ini').write_bytes(
                ''.join(f'[{600000 + i}]\r\n' for i in range(100)).encode())
            (Path(folder) / 'tickra.ini').write_bytes(b'[Tickra]\r\nSources=sina\r\n')
            process = launch(build, build / 'Tickra.exe', folder)
            dialog = driver.find('#32770', 'Tickra', 30000)
            ticker = driver.child(driver.find('TickraTickerWindow', '-', 30000),
                                  'tickra_progress32', 30000)
            started = time.monotonic()
            times = ping_windows(driver, dialog, ticker, seconds)
            elapsed = time.monotonic() - started
            with urllib.request.urlopen(f'{url}log', timeout=10) as answer:
                log = json.loads(answer.read())
            driver.command(dialog, 32772)
            process.wait(timeout=30)
    finally:
        driver.close()
        if process is not None and process.poll() is None:
            process.kill()
        sim.terminate()
    asked = [entry['path'] for entry in log if entry['feed'] == 'sina']
    codes = sorted({len(path.split('=', 1)[1].split(',')) for path in asked})
    print(f'{len(asked)} requests to the 新浪 feed in {elapsed:.0f} s ({elapsed / 2:.0f} ticks), '
          f'naming {codes} codes; other quote requests: '
          f'{sum(1 for e in log if e["feed"] not in (None, "sina"))}')
    for name, values in times.items():
        print(f'{name} answers a sent message: p50 {percentile(values, 0.5):.2f} ms, p95 '
              f'{percentile(values, 0.95):.2f} ms, max {max(values):.2f} ms '
              f'({len(values)} messages over {seconds} s)')


def threads(pid):
    return len(list(Path(f'/proc/{pid}/task').iterdir()))


def requests_made(sim_url, kind):
    """How many requests of a kind (quote, chart, history, update, upgrade) the simulator has
    received."""
    import json
    import urllib.request
    with urllib.request.urlopen(f'{sim_url}log', timeout=10) as answer:
        log = json.loads(answer.read())
    prefixes = {'chart': ('/chart/',), 'history': ('/q/hp.php', '/corp/1107/'),
                'update': ('/blog/',), 'upgrade': ('/upgrade/',)}
    if kind in prefixes:
        return sum(1 for entry in log if entry['path'].startswith(prefixes[kind]))
    return sum(1 for entry in log
               if entry['path'].split('?')[0].strip('/').isdigit() and '?' in entry['path'])


def stuck(build, case):
    """Tickra beside a hung shell or a chart host that never answers: see the module's text."""
    import urllib.request
    driver = e2e_driver(build)
    sim = start_simulator(build)
    sim_url = f'http://127.0.0.1:{sim_port(build)}/_sim/'
    processes = []
    hang, window = 20, (20 if case == 'shell' else 60)
    settings, ticks_share, exit_seconds, counts, gap_after, full_after = [], 0.0, None, [], None, None
    charts = 0
    try:
        with tempfile.TemporaryDirectory() as folder:
            (Path(folder) / 'code.ini').write_bytes(STOCKS.encode())
            taskbar = None
            if case == 'shell':
                processes.append(launch(build, build / 'tools' / 'classic_taskbar.exe', folder))
                for _ in range(300):
                    taskbar = next((h for h, _ in driver.find_all('Shell_TrayWnd')
                                    if driver.has_child(h, 'TrayNotifyWnd')), None)
                    if taskbar:
                        break
                    time.sleep(0.1)
            else:
                quote = '&case=headers' if case == 'both' else ''
                for code in ('600000', '000001', '600036', '1A0001'):
                    urllib.request.urlopen(urllib.request.Request(
                        f'{sim_url}scenario?code={code}&chart=headers{quote}', method='POST'),
                        timeout=10).read()
            process = launch(build, build / 'Tickra.exe', folder)
            processes.append(process)
            dialog = driver.find('#32770', 'Tickra', 30000)
            time.sleep(3)
            pid = wine_pid('Tickra.exe', folder)
            counts.append(threads(pid))
            if case == 'shell':
                rebar = driver.child(taskbar, 'ReBarWindow32')
                notify = driver.child(taskbar, 'TrayNotifyWnd')
                driver('post', taskbar, 0x8000 + 7, hang, 0)
            else:
                host = driver.find('TickraTickerWindow', '-', 30000)
                driver('post', driver.child(host, 'tickra_progress32'), 0x0201, 1, 0x50005)
            requests_before, started = requests_made(sim_url, 'quote'), time.monotonic()
            while time.monotonic() - started < window - 2:
                asked = time.monotonic()
                driver('post', dialog, 0x0111, 32773, 0)
                driver('wait-visible', dialog, 1, 20000)
                settings.append((time.monotonic() - asked) * 1000)
                driver('post', dialog, 0x0111, 1, 0)
                driver('wait-visible', dialog, 0, 20000)
                time.sleep(1)
            elapsed = time.monotonic() - started
            ticks_share = (requests_made(sim_url, 'quote') - requests_before) / (elapsed / 2)
            if case == 'shell':
                time.sleep(max(0, hang + 3 - elapsed))
                gap_after = driver.rect(notify)[0] - driver.rect(rebar)[2]
            time.sleep(max(0, 60 - (time.monotonic() - started)))
            counts.append(threads(pid))
            charts = requests_made(sim_url, 'chart')
            if case == 'shell':
                driver('post', taskbar, 0x8000 + 7, hang, 0)  # and Exit during this one
                time.sleep(1)
            asked = time.monotonic()
            driver('post', dialog, 0x0111, 32772, 0)
            process.wait(timeout=60)
            exit_seconds = time.monotonic() - asked
            if case == 'shell':
                time.sleep(hang + 2)
                full_after = driver.rect(notify)[0] - driver.rect(rebar)[2]
    finally:
        driver.close()
        for p in processes:
            if p.poll() is None:
                p.kill()
        sim.terminate()
    print(f'{case}: Settings visible after a posted command: p50 '
          f'{percentile(settings, 0.5):.0f} ms, max {max(settings):.0f} ms '
          f'({len(settings)} times)')
    print(f'{case}: share of ticks that asked for a quote: {ticks_share:.0%}')
    print(f'{case}: Exit {exit_seconds:.2f} s to the end of the process')
    print(f'{case}: Tickra threads {counts[0]} at the start, {counts[1]} after 60 s')
    if case == 'chart':
        print(f'{case}: chart requests in all: {charts}')
    if case == 'shell':
        print(f'{case}: gap beside the ReBar after the hang {gap_after} px; after a hung Exit, '
              f'{full_after} px (0: full width again)')


def every_stuck(build, runs):
    """Exit with every kind of transfer stuck: see the module's text."""
    import urllib.request
    driver = e2e_driver(build)
    sim = start_simulator(build)
    sim_url = f'http://127.0.0.1:{sim_port(build)}/_sim/'

    def ask(what):
        urllib.request.urlopen(urllib.request.Request(sim_url + what, method='POST'),
                               timeout=10).read()

    results = {'upgrade download': [], 'update check': []}
    try:
        for stuck_update in [False] * runs + [True] * runs:
            ask('reset')
            for code in ('600000', '000001', '600036', '1A0001'):
                ask(f'scenario?code={code}&case=headers&chart=headers&history=headers')
            ask('update?case=headers' if stuck_update else 'update?case=newer')
            ask(f'upgrade?case=headers&file={build / "Tickra.exe"}')
            with tempfile.TemporaryDirectory() as folder:
                (Path(folder) / 'code.ini').write_bytes(STOCKS.encode())
                process = launch(build, build / 'Tickra.exe', folder)
                try:
                    dialog = driver.find('#32770', 'Tickra', 30000)
                    host = driver.find('TickraTickerWindow', '-', 30000)
                    driver('post', driver.child(host, 'tickra_progress32'), 0x0201, 1, 0x50005)
                    driver('post', dialog, 0x0111, 1014, 0)  # every stock's balance price
                    if not stuck_update:
                        offer = driver.find('#32770', '程序升级', 30000)
                        driver('post', offer, 0x0111, 1, 0)
                    kinds = {'quote', 'chart', 'history', 'update', 'upgrade'} - (
                        {'update'} if not stuck_update else {'upgrade'})
                    for _ in range(200):  # every kind has asked, and is waiting
                        if all(requests_made(sim_url, kind) for kind in kinds):
                            break
                        time.sleep(0.1)
                    else:
                        raise RuntimeError('not every kind of transfer was asked for')
                    time.sleep(1)
                    asked = time.monotonic()
                    driver('post', dialog, 0x0111, 32772, 0)
                    process.wait(timeout=60)
                    results['update check' if stuck_update else 'upgrade download'].append(
                        time.monotonic() - asked)
                finally:
                    if process.poll() is None:
                        process.kill()
    finally:
        driver.close()
        sim.terminate()
    for last, seconds in results.items():
        print(f'every kind stuck, the {last} among them: Exit '
              + ', '.join(f'{s:.2f}' for s in seconds) + ' s to the end of the process '
              f'(median {statistics.median(seconds):.2f} s)')


def wininet(build, transfers):
    """Heap bytes per transfer by each client, against a server answering HTTP/1.0, one answering
    HTTP/1.1 that keeps the connection when asked, as web servers do, and one that never does."""
    import http.server
    import threading

    class Quote(http.server.BaseHTTPRequestHandler):
        def log_message(self, *args):
            pass

        def do_GET(self):
            # Sent in one piece: a head and a body apart would wait for a delayed ACK each time.
            body = b"var hq_str_0600000='0600000;x;10.00;10.00';\n"
            self.close_connection = self.close_connection or self.ends
            head = (f'{self.protocol_version} 200 OK\r\nContent-Length: {len(body)}\r\n'
                    f'Connection: {"close" if self.close_connection else "keep-alive"}\r\n\r\n')
            self.wfile.write(head.encode() + body)

    servers = {'answering HTTP/1.0': ('HTTP/1.0', True),
               'answering HTTP/1.1, keeping the connection when asked': ('HTTP/1.1', False),
               'answering HTTP/1.1, Connection: close': ('HTTP/1.1', True)}
    for name, (version, ends) in servers.items():
        handler = type('Handler', (Quote,), {'protocol_version': version, 'ends': ends})
        server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        try:
            for client in ('tickra', 'wininet', 'sockets'):
                output = subprocess.run(
                    [str(build / 'wine-run'), str(build / 'tools' / 'wininet_heap.exe'),
                     f'127.0.0.1:{server.server_address[1]}', str(transfers), client],
                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                    check=True).stdout
                print(f'a server {name}: {output.strip()}')
        finally:
            server.shutdown()


def paint(build, runs):
    """Runs the in-process repaint test, which times 10,000 repaints, and reports its figures."""
    import os
    for _ in range(runs):
        output = subprocess.run(
            [str(build / 'wine-run'), str(build / 'tests' / 'tickra_win_tests.exe'),
             '--gtest_filter=TickerPaintTest.RepaintsLeakNothing'],
            env=dict(os.environ, TICKRA_REPAINTS='10000'),
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, check=True).stdout
        print(next(line for line in output.splitlines() if line.startswith('ticker repaint')))


if __name__ == '__main__':
    build = Path(sys.argv[1]).resolve()
    if sys.argv[2] == 'startup':
        startup(build, int(sys.argv[3]) if len(sys.argv) > 3 else 5)
    elif sys.argv[2] == 'paint':
        paint(build, int(sys.argv[3]) if len(sys.argv) > 3 else 3)
    elif sys.argv[2] == 'wininet':
        wininet(build, int(sys.argv[3]) if len(sys.argv) > 3 else 500)
    elif sys.argv[2] == 'biglist':
        biglist(build, [int(c) for c in sys.argv[3:]] or [100, 1000, 10000])
    elif sys.argv[2] == 'every':
        every_stuck(build, int(sys.argv[3]) if len(sys.argv) > 3 else 3)
    elif sys.argv[2] == 'stuck':
        stuck(build, sys.argv[3])
    elif sys.argv[2] == 'batch':
        batch(build, int(sys.argv[3]) if len(sys.argv) > 3 else 30)
    elif sys.argv[2] == 'responsiveness':
        responsiveness(build, int(sys.argv[3]) if len(sys.argv) > 3 else 30)
    else:
        memory(build, int(sys.argv[3]) if len(sys.argv) > 3 else 600,
               sys.argv[4] if len(sys.argv) > 4 else 'same')
