"""The main dialog as the user meets it: hidden at start, shown by Settings, ended by Exit."""
import unittest

from harness import ID_TRAY_EXIT, ID_TRAY_SETTINGS, TickraTestCase

IDOK = 1

THREE_STOCKS = '[600000]\r\nunder=9.50\r\n[000001]\r\nover=12\r\n[1A0001]\r\nsale=2800\r\n'


class MainDialogTest(TickraTestCase):
    def test_hidden_at_start_shown_by_settings_and_ended_by_exit(self):
        self.start_taskbar()
        tickra = self.start(code_ini=THREE_STOCKS)
        dialog = self.driver.find('#32770', 'Tickra')
        self.assertFalse(self.driver.visible(dialog), 'the dialog must start hidden')

        self.driver.command(dialog, ID_TRAY_SETTINGS)
        self.driver('wait-visible', dialog, 1, 5000)
        self.assertEqual(self.driver.text(dialog), 'Tickra')
        self.screenshot('main_dialog.png', settle=dialog)
        shown_at = self.driver.rect(dialog)

        self.driver.command(dialog, IDOK)  # "关闭"
        self.driver('wait-visible', dialog, 0, 5000)
        self.driver.command(dialog, ID_TRAY_SETTINGS)
        self.driver('wait-visible', dialog, 1, 5000)
        self.assertEqual(self.driver.rect(dialog), shown_at)

        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)


if __name__ == '__main__':
    unittest.main()
