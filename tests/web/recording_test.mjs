// The recording's reader in the page's own build, in headless Chromium:
//
//   node recording_test.mjs CASE
//
// with KORVADA_WEB_DIR the web build's folder. WebAssembly's size_t has 32
// bits: a recording whose counts are made to wrap its size round to its own
// small length, its checksum right, must be refused there as on the desktop,
// before the reader makes room for its billions of key changes. Today's
// round of a fixed day, played in a page whose clock says that day, is laid
// out as korvada-replay lays out that day's round (KORVADA_REPLAY, the Linux
// one; wine.replay holds the Windows one to the same bytes), started by the
// form's Today's round under the name typed, which its recording carries
// and the form's day line then counts; its row's Save round… downloads the
// stored recording. Exit 0 when
// the case passed.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import zlib from 'node:zlib';
import { gameState, kWait, pageState, runCases, waitFrames, waitState } from './web_harness.mjs';

const kRefused = 'Záznam kola nelze přehrát!';

// A version-1 header of a 4-bottle round with these counts, `fill` bytes
// after it and its CRC-32 (zlib's, the standard one the file names).
function crafted({ version = 1, frames, keys, fill }) {
  const head = Buffer.alloc(28 + fill, 0x25);
  head.write('KVREC\r\n\x1a', 0, 'latin1');
  head.writeUInt32LE(version, 8);
  head.writeUInt32LE(7, 12);
  head.set([4, 30, 0, 0], 16);
  head.writeUInt32LE(frames, 20);
  head.writeUInt32LE(keys, 24);
  const crc = Buffer.alloc(4);
  crc.writeUInt32LE(zlib.crc32(head), 0);
  return Buffer.concat([head, crc]);
}

const cases = {
  // Watch best of a kept round the reader must refuse: its one line in the
  // page's box, the page still at its form and alive for the next refusal.
  async crafted_counts({ open }) {
    const page = await open('/index.html');
    await waitState(page, 'form');
    const refusals = [
      // 28 + 2 * 4 + 715827883 * 6 + 4 is 42 in 32 bits.
      [crafted({ frames: 2, keys: 715827883, fill: 10 }),
       'damaged: 2 frames and 715827883 key changes, more than a round records'],
      // 28 + 1073741825 * 4 + 4 is 36 in 32 bits.
      [crafted({ frames: 1073741825, keys: 0, fill: 4 }),
       'damaged: 1073741825 frames and 0 key changes, more than a round records'],
      [crafted({ version: 0, frames: 0, keys: 0, fill: 0 }), 'damaged: version 0, which no game writes'],
      [crafted({ version: 99, frames: 0, keys: 0, fill: 0 }),
       'a recording of version 99, made by a newer game: this one plays versions 1 and 2'],
    ];
    assert.equal(refusals[0][0].length, 42);
    assert.equal(refusals[1][0].length, 36);
    for (const [bytes, line] of refusals) {
      await page.evaluate((text) => localStorage.setItem('korvada.round.4', text), bytes.toString('base64'));
      const started = await page.evaluate(() => Module.ccall('korvadaWatch', 'number', ['string', 'number', 'number'],
                                                             ['0TYAN', 0, 0]));
      assert.equal(started, 0, `${line}: a round started`);
      await page.waitForSelector('#error[open]', { timeout: kWait });
      assert.equal(await page.$eval('#error-text', (p) => p.textContent), `${kRefused}\n${line}`);
      assert.equal(await pageState(page), 'form');
      await page.click('#error button');
      await page.waitForSelector('#error:not([open])', { timeout: kWait });
    }
    assert.deepEqual(page.problems.map((problem) => problem.replace(/^\w+: /, '')),
                     refusals.flatMap(([, line]) => [kRefused, line]));
  },
  // The page's clock at noon (UTC) of 2026-12-09: its today's round is that
  // day's. The layout is what the round's recording plays from: its
  // generator's state, bottles and bubbles as korvada-replay prints them
  // before the first step.
  async daily_layout({ open }) {
    const page = await open('/index.html?dt=0.02', 800, 600, {
      prepare: (shown) => shown.evaluateOnNewDocument(() => {
        const realNow = Date.now.bind(Date);
        const shift = Date.UTC(2026, 11, 9, 12) - realNow();
        Date.now = () => realNow() + shift;
      }),
    });
    await waitState(page, 'form');
    const todayBest = () => page.$eval('#today-best', (line) => line.textContent);
    assert.equal(await todayBest(), 'Today: not played yet');
    // Today's round, as a player starts it: the name typed, the button.
    await page.type('#name', 'Jana');
    await page.click('#today');
    await waitState(page, 'playing');
    await waitFrames(page, 10);
    await page.evaluate(() => {
      for (const type of ['keydown', 'keyup'])
        window.dispatchEvent(new KeyboardEvent(type, { code: 'Escape', key: 'Escape', keyCode: 27, bubbles: true }));
    });
    await page.waitForFunction(() => localStorage.getItem('korvada.round.8') !== null, { timeout: kWait });
    assert.equal((await gameState(page)).gameOver, 1);
    const kept = Buffer.from(await page.evaluate(() => localStorage.getItem('korvada.round.8')), 'base64');
    const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'korvada-daily-')), 'page.kvr');
    fs.writeFileSync(file, kept);
    const layout = (printed) => printed.split('\n').slice(0, printed.split('\n').findIndex((line, i) => i > 0 &&
                                                                                             line.startsWith('state ')));
    const replay = (args) => execFileSync(process.env.KORVADA_REPLAY, args, { encoding: 'utf8' });
    const day = layout(replay(['--daily', '2026-12-09', '--steps', '1']));
    assert.equal(day.filter((line) => line.startsWith('bottle ')).length, 8);
    assert.deepEqual(layout(replay(['--recording', file])), day, 'the page laid out another round');
    assert.notDeepEqual(layout(replay(['--daily', '2026-12-10', '--steps', '1'])), day, 'the next day has its own');
    assert.match(await page.evaluate(() => localStorage.getItem('korvada.best')), /^day 2026-12-09 0 Jana$/m);
    assert.ok(kept.includes(Buffer.from('Jana')), 'the recording carries the name');
    // The form back: the day's best beside the button.
    await page.evaluate(() => {
      for (const type of ['keydown', 'keyup'])
        window.dispatchEvent(new KeyboardEvent(type, { code: 'Enter', key: 'Enter', keyCode: 13, bubbles: true }));
    });
    await page.waitForFunction(() => {
      if (document.documentElement.dataset.state === 'form') return true;
      for (const type of ['keydown', 'keyup'])
        window.dispatchEvent(new KeyboardEvent(type, { code: 'Enter', key: 'Enter', keyCode: 13, bubbles: true }));
      return false;
    }, { timeout: kWait, polling: 500 });
    assert.equal(await todayBest(), 'Today: 0 bubbles');
    // Save round… of the 8 bottles' row, today's round's: a download of the
    // stored recording's bytes under the name the dialogs offer.
    await page.$eval('#bottles', (input) => {
      input.value = '8';
      input.dispatchEvent(new Event('input'));
    });
    await page.waitForSelector('#save-1', { timeout: kWait });
    await page.evaluate(() => {
      document.addEventListener('click', (event) => {
        const link = event.target;
        if (link.tagName !== 'A' || !link.download) return;
        window.savedRound = fetch(link.href).then((answer) => answer.arrayBuffer()).then((buffer) =>
          ({ name: link.download, bytes: btoa(String.fromCharCode(...new Uint8Array(buffer))) }));
      }, true);
    });
    await page.click('#save-1');
    const saved = await page.evaluate(() => window.savedRound);
    assert.equal(saved.name, 'korvada-2026-12-09-0.kvr');
    assert.deepEqual(Buffer.from(saved.bytes, 'base64'), kept, 'the download is not the stored recording');
  },
};

runCases(cases);
