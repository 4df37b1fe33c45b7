"""Tickra while the quote feed accepts connections and then says nothing."""
import time
import unittest

from harness import ID_TRAY_EXIT, TickraTestCase, wait_for


class SilentFeedTest(TickraTestCase):
    def test_windows_answer_and_exit_is_prompt_while_the_feed_is_silent(self):
        self.start_simulator()
        self.sim('scenario?code=600000&case=silent')
        tickra = self.start(code_ini='[600000]\r\n')
        dialog = self.driver.find('#32770', 'Tickra')
        window = self.driver.find('TickraTickerWindow', '-')
        ticker = self.driver.child(window, 'tickra_progress32')
        wait_for(lambda: any('?0600000 ' in line for line in self.simulator_log()),
                 what='a quote request')
        # Each transfer waits five seconds for the silent feed: every ping below meets one.
        for _ in range(10):
            for hwnd in (dialog, ticker):
                self.assertLess(float(self.driver('ping', hwnd, 2000)), 200)
            time.sleep(0.2)
        started = time.monotonic()
        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)
        self.assertLess(time.monotonic() - started, 2, 'Exit does not wait for the feed')


if __name__ == '__main__':
    unittest.main()
