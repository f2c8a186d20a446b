// The player's keys beyond the round's own, and the best round watched
// again, in headless Chromium:
//
//   node keys_test.mjs CASE
//
// with KORVADA_WEB_DIR the web build's folder and KORVADA_REPLAY the Linux
// korvada-replay. With KORVADA_SCREENSHOTS set to a folder, the paused page
// is kept there for a look. Exit 0 when the case passed.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { PNG } from 'pngjs';
import {
  canvasPicture, gameState, holdKeyUntilState, kWait, pageState, runCases, sleep, waitFrames, waitState,
} from './web_harness.mjs';

// The mean light (red + green + blue) of a box of a picture.
function light(picture, x, y, width, height) {
  let total = 0;
  for (let row = y; row < y + height; row++)
    for (let column = x; column < x + width; column++) {
      const at = (row * picture.width + column) * 4;
      total += picture.data[at] + picture.data[at + 1] + picture.data[at + 2];
    }
  return total / (width * height);
}

// The share of a box's pixels that are near white (every channel above 200):
// the game's lettering, on its dark band over a dimmed picture.
function lettered(picture, [x, y, width, height]) {
  let found = 0;
  for (let row = y; row < y + height; row++)
    for (let column = x; column < x + width; column++) {
      const at = (row * picture.width + column) * 4;
      found += Math.min(picture.data[at], picture.data[at + 1], picture.data[at + 2]) > 200;
    }
  return found / (width * height);
}
const hintBox = [250, 372, 300, 62], noticeBox = [250, 90, 300, 45];

// Canvas pictures until `holds` holds of one, or kWait passes.
async function canvasUntil(page, holds, what) {
  for (const started = Date.now(); Date.now() - started < kWait; await sleep(100))
    if (holds(await canvasPicture(page))) return;
  assert.fail(what);
}

const roundOver = (page) => page.waitForFunction(() => JSON.parse(Module.ccall('korvadaState', 'string')).gameOver === 1,
                                                 { timeout: kWait });
const consoleSays = (page, line) => page.console.some((entry) => entry.endsWith(`: ${line}`));

// korvada-replay's round and its recording: "x y z score" of its end.
function replayRound(args, file) {
  const printed = execFileSync(process.env.KORVADA_REPLAY, [...args, '--record', file], { encoding: 'utf8' });
  const last = printed.split('\n').filter((line) => line.startsWith('bottle 0 ')).at(-1).split(' ');
  return { x: Number(last[2]), y: Number(last[3]), z: Number(last[4]), score: Number(last[10]) };
}

const ending = (state) => ({ x: state.x, y: state.y, z: state.z, score: state.score });

const cases = {
  // P pauses: the bottle holds, the picture dims under the two bars, and the
  // pause outlasts a hidden tab, saying how to go on; F12 offers the frame
  // without the veil as a PNG download named by the time; M mutes; Pause
  // goes on. The console says what F12 and M did, as a log line, and the
  // canvas too for a while, never in the picture offered.
  async pause_mute_picture({ open }) {
    const downloads = fs.mkdtempSync(path.join(os.tmpdir(), 'korvada-downloads-'));
    // The page's clock steps a fixed 10 ms a frame: a notice shows for 150
    // frames, however slowly a loaded machine draws them and the test reads
    // them back (by the wall clock its 1.5 s passed between two readings).
    const page = await open('/index.html?code=0TYAN&dt=0.01');
    const session = await page.target().createCDPSession();
    await session.send('Page.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    await waitState(page, 'playing');
    await waitFrames(page, 10);

    await page.keyboard.press('KeyP');
    await page.waitForFunction(() => JSON.parse(Module.ccall('korvadaState', 'string')).paused === 1,
                               { timeout: kWait });
    const held = await gameState(page);
    await waitFrames(page, held.frames + 5);
    assert.equal((await gameState(page)).y, held.y, 'the paused round moved');
    const paused = await canvasPicture(page);
    if (process.env.KORVADA_SCREENSHOTS)
      await page.screenshot({ path: path.join(process.env.KORVADA_SCREENSHOTS, 'web-paused.png') });
    const bars = Math.min(light(paused, 365, 270, 18, 60), light(paused, 417, 270, 18, 60));
    assert.ok(bars > 600, `no pause mark in the middle of the picture (light ${bars})`);
    assert.ok(lettered(paused, hintBox) > 0.03, 'no \'P: continue\' under the pause mark');

    await page.keyboard.press('F12');
    await canvasUntil(page, (now) => lettered(now, noticeBox) > 0.03, 'F12: no notice in the canvas');
    let saved = [];
    for (const started = Date.now(); saved.length === 0 && Date.now() - started < kWait; await sleep(200))
      saved = fs.readdirSync(downloads).filter((name) => name.endsWith('.png'));
    assert.equal(saved.length, 1, `downloads: ${fs.readdirSync(downloads)}`);
    assert.match(saved[0], /^korvada-20\d\d-[01]\d-[0-3]\d-[0-2]\d-[0-5]\d-[0-5]\d\.png$/);
    assert.ok(consoleSays(page, `korvada: the picture is saved as ${saved[0]} (a download)`), page.console.join('\n'));
    const picture = PNG.sync.read(fs.readFileSync(path.join(downloads, saved[0])));
    assert.deepEqual([picture.width, picture.height], [800, 600]);
    const dim = light(paused, 40, 40, 300, 200), full = light(picture, 40, 40, 300, 200);
    console.log(`picture ${saved[0]}: light ${full}, paused ${dim}`);
    assert.ok(dim > 0.4 * full && dim < 0.6 * full, `the picture is not the paused frame undimmed (${full}, ${dim})`);
    // Where the notice shows, the picture offered is the paused frame undimmed too.
    const [before, offered] = [light(paused, ...noticeBox), light(picture, ...noticeBox)];
    assert.ok(before > 0.4 * offered && before < 0.6 * offered, `the picture offered holds the notice (${offered})`);
    await canvasUntil(page, (now) => lettered(now, noticeBox) < 0.002, 'F12\'s notice stayed in the canvas');

    const other = await page.browserContext().newPage();
    await other.bringToFront();
    await page.waitForFunction(() => document.visibilityState === 'hidden', { timeout: kWait });
    await sleep(1000);
    await page.bringToFront();
    await waitFrames(page, (await gameState(page)).frames + 5);
    const back = await gameState(page);
    assert.deepEqual([back.paused, back.y], [1, held.y], 'the pause did not outlast the hidden tab');

    await page.keyboard.press('KeyM');
    await page.waitForFunction(() => JSON.parse(Module.ccall('korvadaState', 'string')).muted === 1,
                               { timeout: kWait });
    assert.ok(consoleSays(page, 'korvada: the cues are muted'));
    await page.keyboard.press('Pause');
    await page.waitForFunction((y) => JSON.parse(Module.ccall('korvadaState', 'string')).y < y, { timeout: kWait },
                               held.y);
    const going = await gameState(page);
    assert.deepEqual([going.paused, going.held], [0, 0], 'the shell\'s keys reached the game');
    fs.rmSync(downloads, { recursive: true, force: true });
    assert.deepEqual(page.problems, []);
  },

  // The round played in the page is the best for its bottles: Watch best
  // plays it back to the same end, whatever the viewer presses, keeping
  // nothing; korvada-replay's recording, put in the page's storage, plays to
  // korvada-replay's end; one damaged since it was offered is refused on the
  // form's line (in English, and in a Czech browser in Czech) and no longer
  // offered. A new best whose recording the storage refuses takes the older
  // round away: Watch best would play that round as the new best's.
  async watch_best({ open }) {
    const page = await open('/index.html?code=0TYAN&seed=3&dt=0.05');
    await waitState(page, 'playing');
    await page.keyboard.down('ArrowRight');
    await waitFrames(page, 20);
    await page.keyboard.up('ArrowRight');
    await waitFrames(page, 40);
    await page.keyboard.press('Escape');
    await roundOver(page);
    const played = ending(await gameState(page));
    await sleep(500);
    await holdKeyUntilState(page, 'Space', 'form');
    const kept = await page.evaluate(() => [localStorage.getItem('korvada.best'), localStorage.getItem('korvada.round.4')]);
    assert.ok(kept[1], 'no recording kept for 4 bottles');
    assert.equal(await page.$eval('#watch', (button) => button.disabled), false, 'Watch best is not offered');

    await page.click('#watch');
    await waitState(page, 'playing');
    assert.equal((await gameState(page)).watched, 1);
    await page.keyboard.down('ArrowLeft');
    await page.keyboard.press('Digit5');
    await roundOver(page);
    await page.keyboard.up('ArrowLeft');
    assert.deepEqual(ending(await gameState(page)), played, 'watched, the round ends elsewhere');
    await sleep(500);
    await holdKeyUntilState(page, 'Space', 'form');
    assert.deepEqual(await page.evaluate(() => [localStorage.getItem('korvada.best'), localStorage.getItem('korvada.round.4')]),
                     kept, 'watching changed what is kept');
    assert.equal(await page.$eval('#round-line', (line) => line.hidden), true);

    // The list of the ten best under the form: a better, named row of an
    // earlier day whose round is kept under its own key, and a row whose
    // round is gone; the first row's Watch plays its own round.
    await page.evaluate(([table, bytes]) => {
      localStorage.setItem('korvada.best', table + '4 30 2026-12-01 2 Jana Nováková\n4 0 2026-12-05 3\n');
      localStorage.setItem('korvada.round.4-2', bytes);
    }, kept);
    await page.$eval('#bottles', (field) => { field.value = '4'; field.dispatchEvent(new Event('input')); });
    const listed = await page.$$eval('#best-ten tr', (rows) => rows.map((row) => {
      const button = row.querySelector('button');
      return [...row.cells].map((cell) => cell.textContent).join('|') + (button && !button.disabled ? '+' : '');
    }));
    assert.equal(listed.length, 3, listed.join('\n'));
    // A row with its round kept has its Save round… beside its Watch; one
    // whose round is gone has none.
    assert.equal(listed[0], '1.|30 bubbles|1 Dec 2026|Jana Nováková|WatchSave round…+');
    assert.equal(listed.filter((row) => row.endsWith('|—|WatchSave round…+')).length, 1, 'the round played here is watchable');
    assert.equal(listed.filter((row) => row.endsWith('|—|Watch')).length, 1, 'the row whose round is gone is offered');
    if (process.env.KORVADA_SETUP_SHOTS) {
      await page.screenshot({ path: path.join(process.env.KORVADA_SETUP_SHOTS, 'best-ten-page.png') });
      // A phone's viewport reloads the page it is set on: a page of its own.
      const phone = await page.browserContext().newPage();
      await phone.setViewport({ width: 375, height: 740, isMobile: true });
      await phone.goto(new URL('index.html', page.url()).href);
      await waitState(phone, 'form');
      await phone.$eval('#bottles', (field) => { field.value = '4'; field.dispatchEvent(new Event('input')); });
      await phone.screenshot({ path: path.join(process.env.KORVADA_SETUP_SHOTS, 'best-ten-phone.png'), fullPage: true });
      await phone.close();
      await page.bringToFront();
    }
    await page.click('#watch-1');
    await waitState(page, 'playing');
    assert.equal((await gameState(page)).watched, 1);
    await roundOver(page);
    assert.deepEqual(ending(await gameState(page)), played, 'the first row\'s Watch played another round');
    await sleep(500);
    await holdKeyUntilState(page, 'Space', 'form');
    await page.evaluate(([table]) => {
      localStorage.setItem('korvada.best', table);
      localStorage.removeItem('korvada.round.4-2');
    }, kept);

    // korvada-replay's: twelve bottles knocking, the player catching a bubble.
    const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'korvada-replay-')), 'round.kvr');
    const replayed = replayRound(['--seed', '7', '--bottles', '12', '--steps', '530', '--dt', '0.02', '--keys',
                                  '1-400:RIGHT,1-20:DOWN'], file);
    assert.equal(replayed.score, 1);
    const bytes = fs.readFileSync(file);
    const replayBytes = Buffer.from(bytes);
    fs.rmSync(path.dirname(file), { recursive: true, force: true });
    await page.evaluate((text) => localStorage.setItem('korvada.round.12', text), bytes.toString('base64'));
    await page.$eval('#bottles', (field) => { field.value = '12'; field.dispatchEvent(new Event('input')); });
    await page.click('#watch');
    await waitState(page, 'playing');
    await roundOver(page);
    assert.deepEqual(ending(await gameState(page)), replayed, 'korvada-replay\'s recording ends elsewhere in the page');
    console.log(`korvada-replay's recording ends at ${JSON.stringify(replayed)} in the page too`);
    await sleep(500);
    await holdKeyUntilState(page, 'Space', 'form');

    // Damaged since it was offered: refused on the form's line, in the
    // page's language, and no longer offered; the console says why in full.
    const good = bytes.toString('base64');
    bytes[100] ^= 0xFF;
    const damaged = bytes.toString('base64');
    const refusedOnTheLine = async (shown, line) => {
      await shown.evaluate((text) => localStorage.setItem('korvada.round.12', text), damaged);
      await shown.click('#watch');
      assert.equal(await shown.$eval('#round-line', (p) => (p.hidden ? '' : p.textContent)), line);
      assert.equal(await pageState(shown), 'form');
      assert.equal(await shown.$eval('#watch', (button) => button.disabled), true, 'the damaged round is offered');
      assert.equal(await shown.$eval('#error', (box) => box.open), false);
    };
    await refusedOnTheLine(page, 'The best round cannot be played back: damaged: its checksum does not match');
    assert.deepEqual(page.problems.map((problem) => problem.replace(/^\w+: /, '')),
                     ['korvada: damaged: its checksum does not match']);

    // korvada-replay's round under 12 bottles' key, no best for 12 in the
    // table: the page's round with 12 bottles is a new best, and the storage,
    // full, refuses its recording as a browser does.
    await page.evaluate((text) => localStorage.setItem('korvada.round.12', text), replayBytes.toString('base64'));
    await page.evaluate(() => {
      const setItem = Storage.prototype.setItem;
      Storage.prototype.setItem = function (key, value) {
        if (key.startsWith('korvada.round.')) throw new DOMException('the storage is full', 'QuotaExceededError');
        return setItem.call(this, key, value);
      };
    });
    await page.click('#play');
    await waitState(page, 'playing');
    await waitFrames(page, 10);
    await page.keyboard.press('Escape');
    await roundOver(page);
    await sleep(500);
    await holdKeyUntilState(page, 'Space', 'form');
    assert.match(await page.evaluate(() => localStorage.getItem('korvada.best')), /\n12 \d+ \d{4}-\d\d-\d\d\n/);
    assert.equal(await page.evaluate(() => localStorage.getItem('korvada.round.12') !== null), false,
                 'the older round stays under the new best\'s key');
    assert.equal(await page.$eval('#watch', (button) => button.disabled), true, 'Watch best offers the older round');
    assert.deepEqual(page.problems.slice(1).map((problem) => problem.replace(/^\w+: /, '')),
                     ['korvada: the round\'s recording is not kept: the page\'s storage refused it']);

    // The same in a Czech browser, the good round kept again first.
    const czech = await open('/index.html', 800, 600, {
      prepare: (shown) => shown.evaluateOnNewDocument(() => {
        Object.defineProperty(navigator, 'languages', { get: () => ['cs-CZ', 'cs'] });
      }),
    });
    await waitState(czech, 'form');
    await czech.evaluate((text) => localStorage.setItem('korvada.round.12', text), good);
    await czech.$eval('#bottles', (field) => { field.value = '12'; field.dispatchEvent(new Event('input')); });
    assert.equal(await czech.$eval('#watch', (button) => button.disabled), false, 'the kept round is not offered');
    await refusedOnTheLine(czech, 'Nejlepší kolo nelze přehrát: záznam je poškozený');
  },
};

runCases(cases);
