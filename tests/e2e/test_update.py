"""The update check as the user meets it: an offer that is cancelled, and Exit while it runs."""
import time
import unittest

from harness import ID_TRAY_EXIT, TickraTestCase

IDCANCEL = 2


class UpdateTest(TickraTestCase):
    def test_an_offer_is_shown_and_cancelled(self):
        self.start_simulator()
        self.sim('update?case=other')
        self.start_taskbar()
        tickra = self.start(code_ini='[600000]\r\n')
        offer = self.driver.find('#32770', '程序升级')
        self.assertTrue(self.driver.visible(offer))
        self.driver.command(offer, IDCANCEL)
        self.driver('wait-gone', offer, 10000)
        dialog = self.driver.find('#32770', 'Tickra')
        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)

    def test_exit_while_the_update_page_is_slow(self):
        self.start_simulator()
        self.sim('update?case=other&delay=5')
        self.start_taskbar()
        tickra = self.start(code_ini='[600000]\r\n')
        dialog = self.driver.find('#32770', 'Tickra')
        started = time.monotonic()
        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)
        self.assertLess(time.monotonic() - started, 4, 'Exit does not wait for the update page')


if __name__ == '__main__':
    unittest.main()
