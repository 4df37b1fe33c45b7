"""The ticker's window of its own follows the taskbar's light or dark setting; the tray menu's
start-with-Windows entry makes and removes the Startup folder's shortcut."""
import os
import subprocess
import time
import unittest
from pathlib import Path, PureWindowsPath

from harness import ID_TRAY_EXIT, TickraTestCase, wait_for

ID_TRAY_START_WITH_WINDOWS = 32774
LIGHT_TASKBAR = (243, 243, 243)


def contrast(a, b):
    """WCAG 2 contrast of two (R, G, B) colours."""
    def luminance(colour):
        def linear(v):
            s = v / 255
            return s / 12.92 if s <= 0.03928 else ((s + 0.055) / 1.055) ** 2.4
        r, g, b = (linear(v) for v in colour)
        return 0.2126 * r + 0.7152 * g + 0.0722 * b
    x, y = luminance(a) + 0.05, luminance(b) + 0.05
    return max(x, y) / min(x, y)


def windows_path(path):
    """A Linux path as Wine's programs see it, on drive Z:."""
    return str(PureWindowsPath('Z:' + str(Path(path).resolve()).replace('/', '\\')))


class ThemeTest(TickraTestCase):
    def tearDown(self):
        # The prefix is shared with the tests that follow: leave neither setting behind.
        self.driver('light-taskbar', '-')
        self.driver('startup-shortcut', 'delete')
        super().tearDown()

    def ticker_pixels(self, path, rect):
        """The ticker's pixels in a screenshot, as (R, G, B) tuples."""
        left, top, right, bottom = rect
        raw = subprocess.run(['convert', str(path), '-crop',
                              f'{right - left}x{bottom - top}+{left}+{top}', 'rgb:-'],
                             check=True, capture_output=True).stdout
        return [tuple(raw[i:i + 3]) for i in range(0, len(raw), 3)]

    def save_corner(self, path, rect, name):
        """Saves the screen's corner around the ticker, for the README."""
        left, top = rect[0] - 20, rect[1] - 20
        out = Path(os.environ['TICKRA_ARTIFACTS']) / name
        subprocess.run(['convert', str(path), '-crop', f'{1280 - left}x{1024 - top}+{left}+{top}',
                        '+repage', str(out)], check=True)

    def test_the_ticker_is_light_with_a_light_taskbar_and_dark_within_a_second_after(self):
        self.driver('light-taskbar', 1)
        self.start_simulator()
        self.sim('price?code=600000&close=10&price=10')  # unchanged: plain text
        tickra = self.start(code_ini='[600000]\r\n')
        window = self.driver.find('TickraTickerWindow', '-')
        ticker = self.driver.child(window, 'tickra_progress32')
        # The window's text is the line it shows, for screen readers.
        line = wait_for(lambda: self.driver.text(ticker).startswith('浦发银行') and
                        self.driver.text(ticker), what="the quote in the ticker's text")
        self.assertIn('10.00', line)
        tray = wait_for(lambda: next(iter(self.driver.find_all('Shell_TrayWnd')), None),
                        what="Wine's tray bar")[0]
        wait_for(lambda: self.driver.rect(window)[3] <= self.driver.rect(tray)[1], 10,
                 "the ticker above Wine's tray bar")
        rect = self.driver.rect(window)
        corner = (rect[0] + 1, rect[1] + 1)
        self.assertEqual(self.driver('pixel', *corner), '243 243 243')

        shot = self.screenshot('ticker_light_screen.png', settle=ticker)
        pixels = self.ticker_pixels(shot, rect)
        self.assertEqual(pixels[0], LIGHT_TASKBAR)
        best = max(contrast(p, LIGHT_TASKBAR) for p in pixels)
        self.assertGreaterEqual(best, 4.5, 'the plain text stands out from the light background')
        self.save_corner(shot, rect, 'ticker_light.png')

        self.driver('light-taskbar', 0)
        started = time.monotonic()
        self.driver('setting-change', 'ImmersiveColorSet')
        self.driver('wait-pixel', *corner, 0, 0, 0, 1000)
        elapsed = time.monotonic() - started
        print(f'dark {elapsed * 1000:.0f} ms after the broadcast began')
        self.assertLess(elapsed, 1.0)
        shot = self.screenshot('ticker_dark_screen.png', settle=ticker)
        pixels = self.ticker_pixels(shot, rect)
        self.assertEqual(pixels[0], (0, 0, 0))
        self.assertGreaterEqual(max(contrast(p, (0, 0, 0)) for p in pixels), 4.5)
        self.save_corner(shot, rect, 'ticker_dark.png')

        self.driver.command(self.driver.find('#32770', 'Tickra'), ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)

    def test_start_with_windows_makes_a_startup_shortcut_and_removes_it_again(self):
        self.assertEqual(self.driver('startup-shortcut'), '-')
        tickra = self.start('/BS', code_ini='[600000]\r\n')
        dialog = self.driver.find('#32770', 'Tickra')
        self.driver.command(dialog, ID_TRAY_START_WITH_WINDOWS)
        target, folder, arguments = (bytes.fromhex(v).decode('utf-8')
                                     for v in self.driver('startup-shortcut').split())
        self.assertEqual(target.lower(), windows_path(os.environ['TICKRA_EXE']).lower())
        self.assertEqual(folder.lower(), windows_path(self.folder).lower())
        self.assertEqual(arguments, '/BS')

        self.driver.command(dialog, ID_TRAY_START_WITH_WINDOWS)
        self.assertEqual(self.driver('startup-shortcut'), '-')
        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)


if __name__ == '__main__':
    unittest.main()
