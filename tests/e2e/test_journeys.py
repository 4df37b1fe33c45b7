"""The main user journeys, with Tickra as its own process, driven only from outside: window
messages, the files it writes, the simulator and the tray traffic the classic taskbar logs."""
import unittest

from harness import ID_TRAY_EXIT, ID_TRAY_SETTINGS, WM_COMMAND, TickraTestCase, wait_for

# Control and command ids of the main dialog.
IDC_CODE, IDC_APPLY, IDC_DELETE, IDC_MOVE_UP = 1000, 1001, 1003, 1005
IDC_UNDER, IDC_OVER, IDC_SALE, IDC_COMPUTE, IDC_MODIFY = 1007, 1008, 1010, 1011, 1012
IDC_WATCH_LIST, IDC_MESSAGE_LIST = 1013, 1016
IDOK = 1
NIM_ADD = 0
NIIF_INFO, NIIF_WARNING = 1, 2
WM_KEYDOWN, WM_LBUTTONDOWN = 0x0100, 0x0201
VK_ESCAPE = 0x1B


class JourneyTest(TickraTestCase):
    def dialog(self):
        return self.driver.find('#32770', 'Tickra')

    def item(self, dialog, control):
        return int(self.driver('item', dialog, control))

    def rows(self, dialog):
        return self.driver.list_rows(self.item(dialog, IDC_WATCH_LIST), 5)

    def quote_requests(self):
        return sum(1 for line in self.simulator_log() if line.endswith('?0600000 HTTP/1.0'))

    def code_ini(self):
        path = self.folder / 'code.ini'
        return path.read_bytes().decode('gb2312') if path.exists() else None

    def test_first_start_without_code_ini(self):
        self.start_taskbar()
        tickra = self.start()
        dialog = self.dialog()
        wait_for(lambda: self.balloons(), what='the start-up hint')
        self.assertEqual(self.balloons()[0], ('使用提示', '双击图标增加股票代码.', 500, NIIF_INFO))
        self.assertEqual(self.tray_requests()[0][:2], (NIM_ADD, 4))
        self.assertEqual(self.rows(dialog), [])
        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)
        self.assertIsNone(self.code_ini(), 'nothing is written without an edit')

    def test_adding_changing_ordering_and_deleting_then_restarting(self):
        self.start_taskbar()
        tickra = self.start()
        dialog = self.dialog()
        wait_for(lambda: self.balloons(), what='the end of the start-up')
        self.driver.command(dialog, ID_TRAY_SETTINGS)

        def add(code, under, over, sale):
            for control, text in ((IDC_CODE, code), (IDC_UNDER, under), (IDC_OVER, over),
                                  (IDC_SALE, sale)):
                self.driver.set_text(self.item(dialog, control), text)
            self.driver.command(dialog, IDC_APPLY)

        add('600000', '9.50', '', '')
        add('1a0001', '2800', '3000', '')
        add('000001', '', '', '12.5')
        self.assertEqual([r[0] for r in self.rows(dialog)], ['600000', '1A0001', '000001'])
        self.assertEqual(self.rows(dialog)[0], ['600000', '9.50', '0', '0', ''])

        self.driver('lv-select', self.item(dialog, IDC_WATCH_LIST), 2)
        self.driver.command(dialog, IDC_MOVE_UP)
        self.assertEqual([r[0] for r in self.rows(dialog)], ['600000', '000001', '1A0001'])

        self.driver('lv-select', self.item(dialog, IDC_WATCH_LIST), 0)
        self.driver.command(dialog, IDC_MODIFY)
        self.assertEqual(self.driver.text(self.item(dialog, IDC_APPLY)), '修改')
        self.driver.set_text(self.item(dialog, IDC_UNDER), '9.80')
        self.driver.command(dialog, IDC_APPLY)
        self.assertEqual(self.rows(dialog)[0], ['600000', '9.80', '0', '0', ''])

        self.driver('lv-select', self.item(dialog, IDC_WATCH_LIST), 1)
        self.driver.command(dialog, IDC_DELETE)
        self.assertEqual([r[0] for r in self.rows(dialog)], ['600000', '1A0001'])
        self.assertNotIn('[000001]', self.code_ini())
        self.assertIn('[600000]\r\nunder=9.80\r\nover=0\r\nsale=0\r\ncdt=\r\n', self.code_ini())

        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)
        self.driver('wait-gone', dialog, 10000)  # so that the next find meets the new dialog
        again = self.start()
        restarted = self.dialog()
        self.assertEqual(wait_for(lambda: self.rows(restarted), what='the loaded list'),
                         [['600000', '9.80', '0', '0', ''], ['1A0001', '2800', '3000', '0', '']])
        self.driver.command(self.dialog(), ID_TRAY_EXIT)
        self.assertEqual(again.wait(timeout=20), 0)

    def test_alerts_cross_and_rearm(self):
        self.start_simulator()
        self.sim('price?code=600000&close=10&price=9.4')
        self.start_taskbar()
        tickra = self.start(code_ini='[600000]\r\nunder=9.50\r\n')
        dialog = self.dialog()
        alert = ('到价提示', '浦发银行价格下破,设定价是9.500元,当前9.400元', 3000, NIIF_WARNING)
        wait_for(lambda: alert in self.balloons(), what='the first alert')

        self.sim('price?code=600000&close=10&price=9.6')  # back above: nothing
        checked = self.quote_requests()
        wait_for(lambda: self.quote_requests() >= checked + 2, what='two ticks at 9.60')
        self.sim('price?code=600000&close=10&price=9.45')  # crosses again
        again = ('到价提示', '浦发银行价格下破,设定价是9.500元,当前9.450元', 3000, NIIF_WARNING)
        wait_for(lambda: again in self.balloons(), what='the alert after re-arming')
        self.assertEqual(self.balloons().count(alert), 1, 'one alert per crossing')

        # The balloon goes out just before its message line is written.
        message_list = self.item(dialog, IDC_MESSAGE_LIST)
        lines = wait_for(lambda: rows if len(rows := self.driver.list_rows(message_list, 2)) == 2
                         else None, what='the second message line')
        self.assertEqual(lines[0][0], '价格下破：浦发银行设定价是9.500元,当前9.450元')
        self.assertRegex(lines[0][1], r'^\d\d:\d\d:\d\d$')
        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)

    def test_the_chart_is_toggled_by_clicks_on_the_ticker(self):
        self.start_simulator()
        tickra = self.start(code_ini='[600000]\r\n')
        window = self.driver.find('TickraTickerWindow', '-')
        ticker = self.driver.child(window, 'tickra_progress32')
        chart = self.driver.find('#32770', '分时图')
        self.assertFalse(self.driver.visible(chart))
        self.driver('post', ticker, WM_LBUTTONDOWN, 1, 0)
        self.driver('wait-visible', chart, 1, 10000)
        wait_for(lambda: any('/chart/bf/0/600000.png?' in line
                                  for line in self.simulator_log()), what='a chart download')
        self.driver('post', ticker, WM_LBUTTONDOWN, 1, 0)
        self.driver('wait-visible', chart, 0, 10000)

        # Escape in the chart window closes it as its close box does; a click brings it back.
        self.driver('post', ticker, WM_LBUTTONDOWN, 1, 0)
        self.driver('wait-visible', chart, 1, 10000)
        self.driver('post', chart, WM_KEYDOWN, VK_ESCAPE, 1)
        self.driver('wait-visible', chart, 0, 10000)
        self.driver('post', ticker, WM_LBUTTONDOWN, 1, 0)
        self.driver('wait-visible', chart, 1, 10000)
        self.driver.command(self.dialog(), ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)

    def test_a_failed_computation_leaves_no_data_date_for_the_next_stock(self):
        self.start_simulator()
        self.sim('scenario?code=600001&history=rows24')
        self.start_taskbar()
        tickra = self.start()
        dialog = self.dialog()
        wait_for(lambda: self.balloons(), what='the end of the start-up')
        self.driver.command(dialog, ID_TRAY_SETTINGS)
        self.driver.set_text(self.item(dialog, IDC_CODE), '600001')
        self.driver('post', dialog, WM_COMMAND, IDC_COMPUTE, 0)
        box = wait_for(lambda: next((h for h, _ in self.driver.find_all('#32770', 'Tickra')
                                     if h != dialog), None), what='the failure box')
        self.assertEqual(self.driver.text(self.driver('item', box, 0xFFFF)), '提取数据出错。')
        self.driver.command(box, IDOK)
        for control, text in ((IDC_CODE, '600002'), (IDC_SALE, '5')):
            self.driver.set_text(self.item(dialog, control), text)
        self.driver.command(dialog, IDC_APPLY)
        self.assertIn('[600002]\r\nunder=0\r\nover=0\r\nsale=5\r\ncdt=\r\n', self.code_ini())
        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)


if __name__ == '__main__':
    unittest.main()
