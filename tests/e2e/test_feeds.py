"""Quotes from four feeds: a feed that fails is left in the same tick, and a feed that takes many
codes is asked for the whole list at once."""
import json
import re
import time
import unittest
import urllib.request

from harness import ID_TRAY_EXIT, TickraTestCase, wait_for

NIIF_WARNING = 2


class FeedsTest(TickraTestCase):
    def feed_requests(self, feed):
        with urllib.request.urlopen(f'{self.sim_url}/_sim/log', timeout=10) as answer:
            return [entry for entry in json.loads(answer.read()) if entry['feed'] == feed]

    def ticker_text(self):
        window = self.driver.find('TickraTickerWindow', '-')
        return self.driver.text(self.driver.child(window, 'tickra_progress32'))

    def test_a_refused_feed_is_left_in_the_same_tick_and_the_card_says_why(self):
        self.start_simulator()
        self.sim('feed?name=classic&fault=refuse')
        self.sim('price?code=600000&close=10&price=10.1&feed=sina')
        tickra = self.start(code_ini='[600000]\r\n')
        wait_for(lambda: self.feed_requests('classic'), what='a request to the first feed')
        started = time.monotonic()
        wait_for(lambda: self.ticker_text() == '浦发银行 10.100 1.00%', 10, "the next feed's price")
        self.assertLess(time.monotonic() - started, 4.5, 'within two ticks')

        window = self.driver.find('TickraTickerWindow', '-')
        left, top, _, _ = self.driver.rect(self.driver.child(window, 'tickra_progress32'))
        self.driver('cursor', left + 20, top + 6)
        self.driver('cursor', left + 30, top + 8)
        card = self.driver.find('TickraQuoteCard', '-', 3000)
        wait_for(lambda: '来源 新浪' in self.driver.text(card), 5, 'the feed in the card')
        self.assertRegex(self.driver.text(card), r'基本行情 连接中断 自 \d\d:\d\d:\d\d 起')
        self.screenshot('card-feed.png', settle=card)
        # The first choice waits a minute before it is asked again; the others go on each tick.
        asked = len(self.feed_requests('classic'))
        time.sleep(6)
        self.assertEqual(len(self.feed_requests('classic')), asked)
        self.driver.command(self.driver.find('#32770', 'Tickra'), ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)

    def test_a_batch_feed_asks_for_the_whole_list_and_alerts_a_stock_not_shown(self):
        self.start_simulator()
        codes = [str(600000 + i) for i in range(30)]
        for code in codes:
            self.sim(f'price?code={code}&close=10.5&price=10.6')
        self.start_taskbar()
        (self.folder / 'tickra.ini').write_bytes(b'[Tickra]\r\nSources=sina\r\n')
        tickra = self.start(code_ini=''.join(f'[{code}]\r\n' for code in codes[:-1]) +
                            f'[{codes[-1]}]\r\nunder=10.00\r\n')
        wait_for(lambda: len(self.feed_requests('sina')) >= 3, what='three requests')
        for entry in self.feed_requests('sina'):
            listed = re.match(r'/list=([\w,]+)$', entry['path']).group(1).split(',')
            self.assertEqual(sorted(listed), sorted(f'sh{code}' for code in codes))
            self.assertIn(['Referer', 'https://finance.sina.com.cn/'], entry['headers'])
        self.assertEqual(self.feed_requests('classic'), [])

        # The stock that crosses is shown only once in 30 ticks: its balloon comes in one.
        self.sim(f'price?code={codes[-1]}&close=10.5&price=9.9')
        started = time.monotonic()
        wait_for(lambda: [b for b in self.balloons() if b[0] == '到价提示'], 10, 'the balloon')
        self.assertLess(time.monotonic() - started, 4.5, 'within a tick')
        title, text, _, flags = next(b for b in self.balloons() if b[0] == '到价提示')
        self.assertIn('价格下破,设定价是10.000元,当前9.900元', text)
        self.assertEqual(flags, NIIF_WARNING)
        self.driver.command(self.driver.find('#32770', 'Tickra'), ID_TRAY_EXIT)
        self.assertEqual(tickra.wait(timeout=20), 0)


if __name__ == '__main__':
    unittest.main()
