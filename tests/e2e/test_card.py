"""The ticker explains itself: the card on a resting pointer, the hold and the wheel, and the
ticker's window of its own clear of Tickra's balloons."""
import re
import time
import unittest

from harness import ID_TRAY_EXIT, WM_COMMAND, TickraTestCase, wait_for

ID_TICKER_HOLD = 32778
WM_MOUSEWHEEL = 0x020A
STOCKS = '[600000]\r\n[000001]\r\n[600036]\r\n'


class CardTest(TickraTestCase):
    def ticker(self):
        window = self.driver.find('TickraTickerWindow', '-')
        return self.driver.child(window, 'tickra_progress32')

    def quotes_asked(self):
        """The stock code of each quote request, in order."""
        return [m.group(1) for m in (re.match(r'GET /\d+\?\d(\w+) ', line)
                                     for line in self.simulator_log()) if m]

    def test_resting_on_the_ticker_shows_the_quote_and_then_what_went_wrong(self):
        self.start_simulator()
        self.sim('scenario?code=000001&case=servererror')
        tickra = self.start(code_ini='[600000]\r\nunder=9.5\r\ncost=9.800\r\nshares=1000\r\n'
                                     '[000001]\r\n')
        ticker = self.ticker()
        wait_for(lambda: self.driver.text(ticker).startswith('浦发银行'), what='the quote')
        left, top, _, _ = self.driver.rect(ticker)
        self.driver('cursor', left + 20, top + 6)
        self.driver('cursor', left + 30, top + 8)  # a move the ticker sees
        started = time.monotonic()
        card = self.driver.find('TickraQuoteCard', '-', 3000)
        self.driver('wait-visible', card, 1, 3000)
        self.assertLess(time.monotonic() - started, 1.0)
        text = self.driver.text(card)
        for part in ('浦发银行', '600000', '昨收', '今开', '下破 9.5', '第 1/2 只', '持股 1000 成本 9.800',
                     '当日盈亏 ', '账户 当日 '):
            self.assertIn(part, text)
        self.assertRegex(text, r'时间 \d\d:\d\d:\d\d')
        self.screenshot('card.png', settle=card)

        self.driver('post', ticker, WM_MOUSEWHEEL, (-120 & 0xFFFF) << 16, 0)  # to 000001
        wait_for(lambda: 'HTTP 500' in self.driver.text(card), what='the HTTP status')
        self.simulator.terminate()  # nothing listens any more
        self.simulator.wait(timeout=10)
        self.simulator.stdout.close()
        self.simulator = None
        wait_for(lambda: '连接被拒绝' in self.driver.text(card), 10, 'the refused connection')
        self.assertIn('上次行情', self.driver.text(card))
        self.driver.command(self.driver.find('#32770', 'Tickra'), ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)

    def test_a_hold_keeps_the_stock_and_the_wheel_asks_for_the_next_at_once(self):
        self.start_simulator()
        tickra = self.start(code_ini=STOCKS)
        dialog = self.driver.find('#32770', 'Tickra')
        ticker = self.ticker()
        wait_for(self.quotes_asked, what='a quote')
        self.driver('post', dialog, WM_COMMAND, ID_TICKER_HOLD, 0)
        held = len(self.quotes_asked())
        wait_for(lambda: len(self.quotes_asked()) >= held + 6, 30, 'six more quotes')
        asked = self.quotes_asked()
        self.assertEqual(len(set(asked[held + 1:held + 6])), 1, f'the same stock: {asked}, {held}')

        shown = self.quotes_asked()[-1]
        asked = len(self.quotes_asked())
        self.driver('post', ticker, WM_MOUSEWHEEL, (-120 & 0xFFFF) << 16, 0)
        started = time.monotonic()
        wait_for(lambda: self.quotes_asked()[asked:], what='the next quote')
        self.assertLess(time.monotonic() - started, 1.0)
        codes = ['600000', '000001', '600036']
        self.assertEqual(self.quotes_asked()[asked], codes[(codes.index(shown) + 1) % 3])
        self.driver('post', dialog, WM_COMMAND, ID_TICKER_HOLD, 0)  # and the rotation goes on
        wait_for(lambda: len(set(self.quotes_asked()[asked:])) > 1, 30, 'the rotation')
        self.driver.command(dialog, ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)

    def test_the_ticker_moves_aside_for_a_balloon_of_tickra(self):
        tickra = self.start(code_ini='')  # an empty list: a balloon says how to add a stock
        window = self.driver.find('TickraTickerWindow', '-')
        balloon = wait_for(lambda: next((h for h, _ in self.driver.find_all('tooltips_class32')
                                         if self.driver.visible(h)), None), what='the balloon')

        def apart():
            b, t = self.driver.rect(balloon), self.driver.rect(window)
            return b[2] <= t[0] or t[2] <= b[0] or b[3] <= t[1] or t[3] <= b[1]
        wait_for(apart, 1, 'the ticker clear of the balloon')
        self.driver.command(self.driver.find('#32770', 'Tickra'), ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)


if __name__ == '__main__':
    unittest.main()
