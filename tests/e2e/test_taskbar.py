"""The ticker in the taskbar, seen from outside: its place, a second copy, and Exit."""
import time
import unittest

from harness import (ID_TRAY_EXIT, ID_TRAY_SETTINGS, WM_COMMAND, TickraTestCase, WineProcess,
                     _env, tickra_processes, wait_for)

TICKER_CLASS = 'tickra_progress32'
NIM_ADD, NIM_MODIFY, NIM_DELETE = 0, 1, 2
TRAY_ICON_ID = 4
HANG_MESSAGE = 0x8000 + 7  # the classic taskbar widens its ReBar, then hangs for WPARAM seconds


class TaskbarTest(TickraTestCase):
    def ticker_geometry(self):
        """The ticker's rectangle in the taskbar, and the ReBar's and notification area's."""
        ticker = self.driver.child(self.taskbar, TICKER_CLASS)
        rebar = self.driver.rect(self.driver.child(self.taskbar, 'ReBarWindow32'))
        notify = self.driver.rect(self.driver.child(self.taskbar, 'TrayNotifyWnd'))
        bar = self.driver.rect(self.taskbar)
        t = self.driver.rect(ticker)
        return (t[0] - bar[0], t[1] - bar[1], t[2] - bar[0], t[3] - bar[1]), rebar, notify

    def test_ticker_sits_in_the_gap_and_exit_gives_the_room_back(self):
        self.start_taskbar()
        tickra = self.start(code_ini='[600000]\r\n')
        dialog = self.driver.find('#32770', 'Tickra')
        ticker, rebar, notify = self.ticker_geometry()
        self.assertEqual(notify[0] - rebar[2], 220, 'the ReBar ends 220 pixels early')
        self.assertEqual(ticker, (rebar[2], 5, rebar[2] + 215, 27))

        # The icon is added on the shell's thread, which may come after the ticker.
        requests = wait_for(self.tray_requests, what='the tray icon')
        self.assertEqual(requests[0][:2], (NIM_ADD, TRAY_ICON_ID))
        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)
        self.assertEqual(self.tray_requests()[-1][:2], (NIM_DELETE, TRAY_ICON_ID))
        rebar_after = self.driver.rect(self.driver.child(self.taskbar, 'ReBarWindow32'))
        self.assertEqual(rebar_after[2], notify[0], 'the ReBar reaches the notification area')
        with self.assertRaises(AssertionError):
            self.driver.child(self.taskbar, TICKER_CLASS, 0)

    def test_a_second_copy_warns_and_runs_without_a_ticker(self):
        self.start_taskbar()
        first = self.start(code_ini='[600000]\r\n')
        first_dialog = self.driver.find('#32770', 'Tickra')
        self.driver.child(self.taskbar, TICKER_CLASS)

        second = self.start()
        warning = self.driver.find('#32770', '提示')
        self.assertEqual(self.driver.text(self.driver('item', warning, 0xFFFF)),
                         '程序已经运行,不需再启动.')
        self.driver.command(warning, 1)
        second_dialog = wait_for(
            lambda: next((h for h, _ in self.driver.find_all('#32770', 'Tickra')
                          if h != first_dialog), None), what="the second copy's dialog")
        tickers = self.driver.find_all(TICKER_CLASS)  # top-level: none
        self.assertEqual(tickers, [])
        self.assertEqual(self.count_tickers(), 1)

        self.driver.command(second_dialog, ID_TRAY_EXIT)
        self.assertEqual(second.wait(timeout=20), 0)
        self.assertEqual(self.count_tickers(), 1, "the first copy's ticker stays")
        self.driver.command(first_dialog, ID_TRAY_EXIT)
        self.assertEqual(first.wait(timeout=20), 0)

    def test_exit_while_the_second_copy_warns_runs_once_the_warning_is_answered(self):
        self.start_taskbar()
        first = self.start(code_ini='[600000]\r\n')
        first_dialog = self.driver.find('#32770', 'Tickra')
        self.driver.child(self.taskbar, TICKER_CLASS)
        before = set(tickra_processes())

        second = self.start()
        warning = self.driver.find('#32770', '提示')
        second_dialog = next(h for h, _ in self.driver.find_all('#32770', 'Tickra')
                             if h != first_dialog)
        (pid,) = set(tickra_processes()) - before
        self.driver('post', second_dialog, 0x0111, ID_TRAY_EXIT, 0)  # from its tray icon
        time.sleep(0.5)
        cpu = tickra_processes()[pid]
        time.sleep(2)
        self.assertLess(tickra_processes()[pid] - cpu, 0.3, 'the waiting copy stays idle')
        self.driver('settle', warning)  # the box still answers
        self.assertTrue(self.driver.visible(warning))
        self.driver.command(warning, 1)
        self.assertEqual(second.wait(timeout=20), 0, 'Exit ran after the start-up')
        self.assertEqual(self.count_tickers(), 1, "the first copy's ticker stays")
        self.driver.command(first_dialog, ID_TRAY_EXIT)
        self.assertEqual(first.wait(timeout=20), 0)

    def test_a_hung_shell_holds_neither_settings_nor_exit(self):
        self.start_taskbar()
        tickra = self.start(code_ini='[600000]\r\n')
        dialog = self.driver.find('#32770', 'Tickra')
        rebar = self.driver.child(self.taskbar, 'ReBarWindow32')
        notify = self.driver.child(self.taskbar, 'TrayNotifyWnd')
        self.driver('post', self.taskbar, HANG_MESSAGE, 20, 0)
        wait_for(lambda: self.driver.rect(rebar)[2] == self.driver.rect(notify)[0], 10,
                 'the shell taking the gap back before it hangs')
        # The next ticks want the gap back, and a balloon may fall due: neither may wait.
        time.sleep(4)
        self.driver('post', dialog, WM_COMMAND, ID_TRAY_SETTINGS, 0)
        self.driver('wait-visible', dialog, 1, 3000)
        started = time.monotonic()
        self.driver('post', dialog, WM_COMMAND, ID_TRAY_EXIT, 0)
        self.assertEqual(tickra.wait(timeout=20), 0)
        # Under a second when measured alone (bench/wine_bench.py); the hang lasts 20.
        self.assertLess(time.monotonic() - started, 2.5, 'Exit does not wait for the shell')

    def test_a_secondary_taskbar_gets_a_ticker_of_its_own_and_its_room_back(self):
        self.start_taskbar()
        self.processes.append(WineProcess(self.folder, _env('TICKRA_TASKBAR_EXE'),
                                          '--secondary', '0', '0', '1280', '30'))
        secondary = wait_for(lambda: next(iter(self.driver.find_all('Shell_SecondaryTrayWnd')),
                                          None), what='the secondary taskbar')[0]
        task_list = self.driver.child(secondary, 'WorkerW')
        clock = self.driver.rect(self.driver.child(secondary, 'ClockButton'))
        first = self.driver.rect(task_list)
        (self.folder / 'tickra.ini').write_bytes(b'[Tickra]\r\nTaskbars=all\r\n')
        tickra = self.start(code_ini='[600000]\r\n')
        dialog = self.driver.find('#32770', 'Tickra')
        tickers = [self.driver.child(taskbar, TICKER_CLASS) for taskbar in (self.taskbar, secondary)]
        wait_for(lambda: len({self.driver.text(t) for t in tickers}) == 1, what='the same line')
        ticker = self.driver.rect(tickers[1])
        wait_for(lambda: self.driver.rect(task_list)[2] <= ticker[0], what='the gap')
        self.assertLessEqual(ticker[2], clock[0], 'the ticker ends before the clock')
        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)
        wait_for(lambda: self.driver.rect(task_list) == first, what='the task list back')

    def count_tickers(self):
        count, after = 0, 0
        while True:
            try:
                after = int(self.driver('child-after', self.taskbar, after, TICKER_CLASS))
            except AssertionError:
                return count
            count += 1


if __name__ == '__main__':
    unittest.main()
