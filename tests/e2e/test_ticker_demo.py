"""Tickra under Wine as a user sees it: the ticker at the bottom right with live prices."""
import subprocess
import unittest

from harness import ID_TRAY_EXIT, TickraTestCase, wait_for

DEMO_STOCKS = ('[600000]\r\nunder=5\r\nover=80\r\n[000001]\r\n[600036]\r\nover=1\r\n'
               '[1A0001]\r\n')


class TickerDemoTest(TickraTestCase):
    def test_the_ticker_shows_live_prices_at_the_bottom_right(self):
        self.start_simulator()
        tickra = self.start(code_ini=DEMO_STOCKS)
        window = self.driver.find('TickraTickerWindow', '-')
        ticker = self.driver.child(window, 'tickra_progress32')
        # Wine's tray bar comes with the first icon, which the shell thread adds; the ticker then
        # moves above it, at the latest with the next tick.
        tray = wait_for(lambda: next(iter(self.driver.find_all('Shell_TrayWnd')), None),
                        what="Wine's tray bar")[0]
        wait_for(lambda: self.driver.rect(window)[3] <= self.driver.rect(tray)[1], 10,
                 "the ticker above Wine's tray bar")
        left, top, right, bottom = self.driver.rect(window)
        self.assertEqual((right - left, bottom - top), (215, 22))
        self.assertGreater(left, 1280 // 2, 'at the right')
        self.assertGreater(top, 1024 // 2, 'at the bottom')

        path = self.screenshot('ticker_demo.png', settle=ticker)
        crop = subprocess.run(
            ['convert', str(path), '-crop', f'{right - left}x{bottom - top}+{left}+{top}',
             '-format', '%k', 'info:'], check=True, capture_output=True, text=True)
        # The line is drawn in whole pixels of one colour: the background and that colour at least.
        self.assertGreaterEqual(int(crop.stdout), 2, 'the line drawn on the background')
        quotes = [line for line in self.simulator_log() if line.startswith('GET /')]
        self.assertTrue(quotes, 'the ticker asked the feed')

        dialog = self.driver.find('#32770', 'Tickra')
        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)
        self.driver('wait-gone', window, 5000)


if __name__ == '__main__':
    unittest.main()
