"""Hostile answers and files, met by Tickra.exe as a process."""
import time
import unittest

from harness import ID_TRAY_EXIT, ID_TRAY_SETTINGS, WM_COMMAND, TickraTestCase, wait_for, \
    tickra_processes

IDC_CODE, IDC_APPLY, IDC_COMPUTE_ALL, IDC_WATCH_LIST = 1000, 1001, 1014, 1013
IDC_MESSAGE_LIST = 1016
LVM_GETITEMCOUNT = 0x1004
IDOK = 1
NIIF_WARNING = 2
WM_LBUTTONDOWN = 0x0201


class HostileTest(TickraTestCase):
    def code_ini(self):
        return (self.folder / 'code.ini').read_bytes()

    def test_a_huge_picture_is_refused_and_the_program_stays_small(self):
        self.start_simulator()
        self.sim('scenario?code=600000&chart=huge')
        before = set(tickra_processes())
        tickra = self.start(code_ini='[600000]\r\n')
        window = self.driver.find('TickraTickerWindow', '-')
        ticker = self.driver.child(window, 'tickra_progress32')
        (pid,) = set(tickra_processes()) - before
        self.driver('post', ticker, WM_LBUTTONDOWN, 1, 0)
        wait_for(lambda: sum('/chart/bf/' in line for line in self.simulator_log()) >= 2,
                 what='two chart downloads')
        self.assertLess(float(self.driver('ping', ticker, 2000)), 200)
        resident = int(next(line.split()[1] for line in open(f'/proc/{pid}/status')
                            if line.startswith('VmRSS:')))
        self.assertLess(resident, 200 * 1024, 'KiB: nothing was decoded')
        self.driver.command(self.driver.find('#32770', 'Tickra'), ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)

    def test_a_history_page_cannot_write_into_code_ini(self):
        self.start_simulator()
        self.sim('scenario?code=600000&history=baddate')
        original = '[600000]\r\nunder=1\r\n'
        tickra = self.start(code_ini=original)
        dialog = self.driver.find('#32770', 'Tickra')
        self.driver.command(dialog, ID_TRAY_SETTINGS)
        button = int(self.driver('item', dialog, IDC_COMPUTE_ALL))
        self.driver('post', dialog, WM_COMMAND, IDC_COMPUTE_ALL, 0)
        # Both providers are asked (the first one's date is refused), then the button is back.
        wait_for(lambda: any('/corp/1107/' in line for line in self.simulator_log()),
                 what='the second provider')
        wait_for(lambda: self.driver.text(button) == '计', what='the end of the computation')
        self.assertEqual(self.code_ini(), original.encode())
        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)

    def test_hostile_feeds_neither_hold_the_program_nor_loop(self):
        self.start_simulator()
        for code, case in (('600000', 'redirect'), ('000001', 'drip'), ('600036', 'headers')):
            self.sim(f'scenario?code={code}&case={case}')
        tickra = self.start(code_ini='[600000]\r\n[000001]\r\n[600036]\r\n')
        dialog = self.driver.find('#32770', 'Tickra')
        # From the first request on, past start-up, whose own work is no hold by the feeds.
        wait_for(lambda: any('?0600000 ' in line for line in self.simulator_log()),
                 what='a quote request')
        deadline = time.monotonic() + 8
        while time.monotonic() < deadline:
            self.assertLess(float(self.driver('ping', dialog, 2000)), 200)
            time.sleep(0.2)
        redirects = sum('?0600000 ' in line for line in self.simulator_log())
        self.assertLess(redirects, 10, 'a redirect to itself is not followed')
        started = time.monotonic()
        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)
        self.assertLess(time.monotonic() - started, 2)

    def test_quotes_that_are_no_price_of_this_stock_raise_nothing(self):
        self.start_simulator()
        self.sim('price?code=600000&close=10&price=10.5')
        self.sim('price?code=600519&close=1700&price=1800')
        self.start_taskbar()
        tickra = self.start(code_ini='[600000]\r\nover=10.20\r\n')
        dialog = self.driver.find('#32770', 'Tickra')
        asked = lambda: sum('?0600000 ' in line for line in self.simulator_log())
        for scenario in ('case=nonfinite', 'case=nonfinite&last=nan', 'case=otherstock'):
            self.sim(f'scenario?code=600000&{scenario}')
            seen = asked()
            wait_for(lambda: asked() >= seen + 2, what=f'two answers with {scenario}')
            self.assertEqual(self.balloons(), [], scenario)
        # Each was a missing quote, which leaves 0 as the last price: the real crossing fires.
        self.sim('scenario?code=600000&case=normal')
        crossed = ('到价提示', '浦发银行价格上穿,设定价是10.200元,当前10.500元', 3000, NIIF_WARNING)
        wait_for(lambda: crossed in self.balloons(), what='the crossing after them')
        self.assertEqual(len(self.balloons()), 1)
        self.assertEqual(len(self.driver.list_rows(
            int(self.driver('item', dialog, IDC_MESSAGE_LIST)), 1)), 1)
        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)

    def test_a_long_code_ini_loads_every_row_while_the_window_answers(self):
        codes = [str(600000 + i) for i in range(100000)]
        tickra = self.start(code_ini=''.join(f'[{code}]\r\nunder=1\r\n' for code in codes))
        dialog = self.driver.find('#32770', 'Tickra')
        view = int(wait_for(lambda: self.driver('item', dialog, IDC_WATCH_LIST)))
        deadline = time.monotonic() + 60
        # The wait first: a window thread that read the list itself would give the count only
        # once every row was in.
        while True:
            self.assertLess(float(self.driver('ping', dialog, 2000)), 100, 'a sent message waits')
            if int(self.driver('send', view, LVM_GETITEMCOUNT, 0, 0)) == len(codes):
                break
            self.assertLess(time.monotonic(), deadline, 'every row in time')
        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)

    def test_a_locked_code_ini_is_reported_and_the_list_keeps_what_the_file_holds(self):
        original = '[600000]\r\n'
        tickra = self.start(code_ini=original)
        dialog = self.driver.find('#32770', 'Tickra')
        self.driver.command(dialog, ID_TRAY_SETTINGS)
        codes = lambda: [r[0] for r in self.driver.list_rows(
            int(self.driver('item', dialog, IDC_WATCH_LIST)), 5)]
        wait_for(lambda: codes() == ['600000'], what='the loaded list')
        windows_path = 'Z:' + str(self.folder / 'code.ini').replace('/', '\\')
        self.driver('lock', windows_path.encode('utf-8').hex())
        self.driver.set_text(int(self.driver('item', dialog, IDC_CODE)), '000001')
        self.driver('post', dialog, WM_COMMAND, IDC_APPLY, 0)
        box = wait_for(lambda: next((h for h, _ in self.driver.find_all('#32770', 'Tickra')
                                     if h != dialog), None), what='the box')
        self.assertIn('code.ini 无法保存', self.driver.text(self.driver('item', box, 0xFFFF)))
        self.driver.command(box, IDOK)
        self.driver('unlock')
        self.assertEqual(codes(), ['600000'])
        self.assertEqual(self.code_ini(), original.encode())
        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)


if __name__ == '__main__':
    unittest.main()
