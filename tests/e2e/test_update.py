"""The update check as the user meets it: an offer that is cancelled, and Exit while it runs."""
import os
import shutil
import subprocess
import time
import unittest
from pathlib import Path

from harness import ID_TRAY_EXIT, WM_COMMAND, TickraTestCase, wait_for

IDOK, IDCANCEL = 1, 2
WM_APP = 0x8000
PACKAGE = Path(__file__).resolve().parents[2] / 'tools' / 'release' / 'package.py'


def _env_path(name):
    return os.environ[name]


class UpdateTest(TickraTestCase):
    def start_with_update_page(self, case):
        """Tickra with the classic taskbar, its update page answering with the case."""
        self.start_simulator()
        self.sim(f'update?{case}')
        self.start_taskbar()
        return self.start(code_ini='[600000]\r\n')

    def upgrade_and_answer_the_hand_over(self, tickra):
        """Presses 升级 in the offer, answers the hand-over box, and sees Tickra end."""
        dialog = self.driver.find('#32770', 'Tickra')
        offer = self.driver.find('#32770', '程序升级')
        self.driver('wait-visible', offer, 1, 5000)
        self.driver('post', offer, WM_COMMAND, IDOK, 0)
        box = wait_for(lambda: next((h for h, _ in self.driver.find_all('#32770', 'Tickra')
                                     if h != dialog), None), 30, 'the hand-over box')
        self.driver.command(box, IDOK)
        self.assertEqual(tickra.wait(timeout=20), 0)

    def test_an_offer_is_shown_and_cancelled(self):
        tickra = self.start_with_update_page('case=other')
        offer = self.driver.find('#32770', '程序升级')
        self.driver('wait-visible', offer, 1, 5000)
        self.driver.command(offer, IDCANCEL)
        self.driver('wait-gone', offer, 10000)
        dialog = self.driver.find('#32770', 'Tickra')
        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)

    def test_a_complete_program_is_handed_to_the_renamer_and_tickra_ends(self):
        shutil.copy(_env_path('TICKRA_RENAMER_EXE'), self.folder / 'rename.exe')
        tickra = self.start_with_update_page('case=newer')
        # Neither a forged "run your tasks" message nor one that once carried a pointer harms it.
        for window in (self.driver.find('#32770', 'Tickra'), self.driver.find('#32770', '程序升级')):
            self.driver('post', window, WM_APP + 1, 0, 0x10)
        self.sim(f'upgrade?case=valid&file={_env_path("TICKRA_NEXT_EXE")}')
        self.upgrade_and_answer_the_hand_over(tickra)
        self.assertEqual((self.folder / 'Tickra.upg').read_bytes(),
                         Path(_env_path('TICKRA_NEXT_EXE')).read_bytes())
        self.assertFalse((self.folder / 'Tickra.upg.part').exists())
        wait_for(lambda: (self.folder / 'renamer-ran').exists(), what='the renamer')

    def test_an_older_signed_release_is_not_handed_over(self):
        """A replay: the notice offers version 1.0, and a signed image of this very version."""
        shutil.copy(_env_path('TICKRA_RENAMER_EXE'), self.folder / 'rename.exe')
        tickra = self.start_with_update_page('case=other')
        self.sim(f'upgrade?case=valid&file={_env_path("TICKRA_EXE")}')
        offer = self.driver.find('#32770', '程序升级')
        self.driver('wait-visible', offer, 1, 5000)
        text = int(self.driver('item', offer, 1018))
        self.driver('post', offer, WM_COMMAND, IDOK, 0)
        wait_for(lambda: '不是所提供的 Tickra 新版本' in self.driver.text(text), 30, 'the refusal')
        self.assertEqual([p.name for p in self.folder.glob('Tickra.upg*')], [])
        self.driver.command(self.driver.find('#32770', 'Tickra'), ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)
        self.assertFalse((self.folder / 'renamer-ran').exists(), 'no renamer ran')

    def test_exit_during_a_download_leaves_no_unchecked_file(self):
        (self.folder / 'Tickra.upg.part').write_bytes(b'MZ left by an earlier run')
        tickra = self.start_with_update_page('case=newer')
        self.sim(f'upgrade?case=slow&file={_env_path("TICKRA_NEXT_EXE")}')
        offer = self.driver.find('#32770', '程序升级')
        self.driver('wait-visible', offer, 1, 5000)
        self.assertFalse((self.folder / 'Tickra.upg.part').exists(), 'removed at start')
        self.driver('post', offer, WM_COMMAND, IDOK, 0)
        wait_for(lambda: (self.folder / 'Tickra.upg.part').exists(), 10, 'the download')
        self.driver.command(self.driver.find('#32770', 'Tickra'), ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)
        self.assertFalse((self.folder / 'Tickra.upg').exists(), 'nothing unchecked under the name')

    def test_a_changed_image_is_refused_and_removed(self):
        shutil.copy(_env_path('TICKRA_RENAMER_EXE'), self.folder / 'rename.exe')
        tickra = self.start_with_update_page('case=newer')
        self.sim(f'upgrade?case=changed&file={_env_path("TICKRA_NEXT_EXE")}')
        offer = self.driver.find('#32770', '程序升级')
        self.driver('wait-visible', offer, 1, 5000)
        text = int(self.driver('item', offer, 1018))
        self.driver('post', offer, WM_COMMAND, IDOK, 0)
        wait_for(lambda: '签名无法验证' in self.driver.text(text), 30, 'the refusal')
        self.assertFalse((self.folder / 'Tickra.upg').exists())
        self.assertFalse((self.folder / 'renamer-ran').exists())
        self.driver.command(self.driver.find('#32770', 'Tickra'), ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)
        self.assertFalse((self.folder / 'renamer-ran').exists(), 'no renamer ran')

    def test_a_release_accepts_an_upgrade_signed_with_its_key(self):
        """scripts/release's program, offered the next version signed by the release tools."""
        release = os.environ.get('TICKRA_RELEASE_EXE')
        key = os.environ.get('TICKRA_RELEASE_KEY')
        if not release or not key:
            self.skipTest('TICKRA_RELEASE_EXE and TICKRA_RELEASE_KEY are not set; '
                          'scripts/test makes a release for this')
        upgrade = self.folder / 'Tickra-new.exe'
        cert = os.environ.get('TICKRA_RELEASE_CERT')
        if cert:  # published as scripts/release publishes: Authenticode first, then our signature
            subprocess.run(['osslsigncode', 'sign', '-certs', cert,
                            '-key', _env_path('TICKRA_RELEASE_CERT_KEY'), '-h', 'sha256',
                            '-in', _env_path('TICKRA_NEXT_EXE'), '-out', upgrade],
                           check=True, stdout=subprocess.DEVNULL)
        else:
            shutil.copy(_env_path('TICKRA_NEXT_EXE'), upgrade)
        subprocess.run(['/usr/bin/python3', str(PACKAGE), 'sign', key, str(upgrade)], check=True)
        shutil.copy(_env_path('TICKRA_RENAMER_EXE'), self.folder / 'rename.exe')
        self.start_simulator()
        self.sim('update?case=newer')
        self.sim(f'upgrade?case=presigned&file={upgrade}')
        self.start_taskbar()
        tickra = self.start(code_ini='[600000]\r\n', exe=release)
        self.upgrade_and_answer_the_hand_over(tickra)
        self.assertEqual((self.folder / 'Tickra.upg').read_bytes(), upgrade.read_bytes())
        wait_for(lambda: (self.folder / 'renamer-ran').exists(), what='the renamer')

    def test_exit_while_the_update_page_is_slow(self):
        tickra = self.start_with_update_page('case=other&delay=5')
        dialog = self.driver.find('#32770', 'Tickra')
        started = time.monotonic()
        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)
        self.assertLess(time.monotonic() - started, 4, 'Exit does not wait for the update page')


if __name__ == '__main__':
    unittest.main()
