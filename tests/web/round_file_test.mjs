// A round given to the page as a file, in headless Chromium:
//
//   node round_file_test.mjs CASE
//
// with KORVADA_WEB_DIR the web build's folder and KORVADA_REPLAY the Linux
// korvada-replay. A recording dropped on the page, one the browser hands
// the installed app (its launchQueue's consumer, given the file as the
// browser gives it), and a board's link (?round=URL) each play to
// korvada-replay's end under a title saying whose round it is; a file cut
// short, of a newer game, of a day to come or no round at all, dropped, is
// refused on the form's line. KORVADA_SHOTS names a folder for the pictures
// of a dropped round playing and of a refusal. Exit 0 when the case passed.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { gameState, holdKeyUntilState, kWait, pageState, runCases, sleep, waitState } from './web_harness.mjs';

const kTitle = "Korvada – Jana's round, 9 Dec 2026, 1 bubble";

// korvada-replay's round (twelve bottles knocking, the player catching a
// bubble) and its recording's bytes; `more` replaces the name and day.
function replayRound(more = ['--name', 'Jana', '--day', '2026-12-09']) {
  const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'korvada-given-'));
  const file = path.join(folder, 'round.kvr');
  const printed = execFileSync(process.env.KORVADA_REPLAY, ['--seed', '7', '--bottles', '12', '--steps', '530', '--dt',
                                                            '0.02', '--keys', '1-400:RIGHT,1-20:DOWN', ...more,
                                                            '--record', file], { encoding: 'utf8' });
  const last = printed.split('\n').filter((line) => line.startsWith('bottle 0 ')).at(-1).split(' ');
  const bytes = fs.readFileSync(file);
  fs.rmSync(folder, { recursive: true, force: true });
  return { bytes, end: { x: Number(last[2]), y: Number(last[3]), z: Number(last[4]), score: Number(last[10]) } };
}

const ending = (state) => ({ x: state.x, y: state.y, z: state.z, score: state.score });
const roundOver = (page) => page.waitForFunction(() => JSON.parse(Module.ccall('korvadaState', 'string')).gameOver === 1,
                                                 { timeout: kWait });

// A file dropped on the game's canvas, as the browser hands a dragged file.
function drop(page, bytes, name) {
  return page.evaluate((data, fileName) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([Uint8Array.from(data)], fileName));
    const target = document.getElementById('canvas');
    for (const type of ['dragenter', 'dragover', 'drop'])
      target.dispatchEvent(new DragEvent(type, { dataTransfer: transfer, bubbles: true, cancelable: true }));
  }, [...bytes], name);
}

// The round given plays under its title to korvada-replay's end; Space
// leaves its end screen for the form, and the title is the game's again.
async function playsToTheEnd(page, end) {
  await waitState(page, 'playing');
  assert.equal(await page.title(), kTitle);
  assert.equal((await gameState(page)).watched, 1);
  await roundOver(page);
  assert.deepEqual(ending(await gameState(page)), end, 'the round given ends elsewhere than in korvada-replay');
  await sleep(500);
  await holdKeyUntilState(page, 'Space', 'form');
  assert.equal(await page.title(), 'Korvada');
}

function shot(page, name) {
  if (!process.env.KORVADA_SHOTS) return Promise.resolve();
  return page.screenshot({ path: path.join(process.env.KORVADA_SHOTS, name) });
}

const cases = {
  async dropped_file({ open }) {
    const { bytes, end } = replayRound();
    const page = await open('/index.html?dt=0.02');
    await waitState(page, 'form');
    await drop(page, bytes, 'round.kvr');
    await waitState(page, 'playing');
    await shot(page, 'pack-dropped-round.png');
    await playsToTheEnd(page, end);

    const cut = bytes.subarray(0, 100);
    const newer = Buffer.from(bytes);
    newer.writeUInt32LE(3, 8);
    const later = replayRound(['--name', 'Jana', '--day', '2099-01-01']).bytes;
    const refusals = [
      [cut, 'damaged: 100 bytes where its counts make'],
      [newer, 'a recording of version 3, made by a newer game'],
      [later, 'a round of 2099-01-01, a day that has not come yet'],
      [Buffer.from('a shopping list\n'), 'not a Korvada recording'],
    ];
    for (const [refused, reason] of refusals) {
      await page.$eval('#round-line', (line) => { line.textContent = ''; line.hidden = true; });
      await drop(page, refused, 'round.kvr');
      await page.waitForFunction(() => !document.getElementById('round-line').hidden, { timeout: kWait });
      const line = await page.$eval('#round-line', (p) => p.textContent);
      assert.ok(line.includes(reason), `refused with '${line}', not '${reason}'`);
      assert.ok(!line.includes('given.kvr'), `the line names the page's own file: ${line}`);
      assert.equal(await pageState(page), 'form');
      assert.equal(await page.$eval('#error', (box) => box.open), false, 'a box is open');
      console.log(`refused: ${line}`);
      if (refused === newer) await shot(page, 'pack-refused-line.png');
    }
    assert.deepEqual(page.problems, []);
  },

  // The installed app opened with a file: the browser hands the page's
  // launchQueue consumer the file's handle. The consumer the page sets is
  // caught and given a handle, as the browser would, once the page is up.
  async launch_queue({ open }) {
    const { bytes, end } = replayRound();
    const manifest = JSON.parse(fs.readFileSync(path.join(process.env.KORVADA_WEB_DIR, 'korvada.webmanifest'), 'utf8'));
    assert.deepEqual(manifest.file_handlers.map((handler) => handler.accept),
                     [{ 'application/x-korvada-round': ['.kvr'] }]);
    const page = await open('/index.html?dt=0.02', 800, 600, {
      prepare: (shown) => shown.evaluateOnNewDocument(() => {
        const queue = window.launchQueue || {};
        const own = queue.setConsumer;
        queue.setConsumer = (consumer) => {
          window.korvadaLaunchConsumer = consumer;
          if (own) own.call(window.launchQueue, consumer);
        };
        if (!window.launchQueue) window.launchQueue = queue;
      }),
    });
    await waitState(page, 'form');
    assert.equal(await page.evaluate(() => typeof window.korvadaLaunchConsumer), 'function', 'no launchQueue consumer');
    await page.evaluate((data) => {
      const file = new File([Uint8Array.from(data)], 'round.kvr');
      window.korvadaLaunchConsumer({ files: [{ kind: 'file', name: 'round.kvr', getFile: () => Promise.resolve(file) }] });
    }, [...bytes]);
    await playsToTheEnd(page, end);
    assert.deepEqual(page.problems, []);
  },

  // A round's page on a board links to the game's page with ?round=URL.
  async board_link({ open }) {
    const { bytes, end } = replayRound();
    const served = [];
    const page = await open('/index.html?dt=0.02&round=%2Fapi%2Frounds%2FgZ7myHfvZIV0Tn-_.kvr', 800, 600, {
      prepare: async (shown) => {
        await shown.setRequestInterception(true);
        shown.on('request', (request) => {
          if (!request.url().includes('/api/rounds/')) return request.continue();
          served.push(new URL(request.url()).pathname);
          const known = request.url().endsWith('/gZ7myHfvZIV0Tn-_.kvr');
          return request.respond(known ? { status: 200, contentType: 'application/octet-stream', body: bytes }
                                       : { status: 404, body: 'Nothing here.' });
        });
      },
    });
    await playsToTheEnd(page, end);
    assert.deepEqual(served, ['/api/rounds/gZ7myHfvZIV0Tn-_.kvr']);

    const missing = await open('/index.html?round=%2Fapi%2Frounds%2Fnone.kvr', 800, 600, {
      prepare: async (shown) => {
        await shown.setRequestInterception(true);
        shown.on('request', (request) => (request.url().includes('/api/rounds/')
          ? request.respond({ status: 404, body: 'Nothing here.' }) : request.continue()));
      },
    });
    await waitState(missing, 'form');
    await missing.waitForFunction(() => !document.getElementById('round-line').hidden, { timeout: kWait });
    assert.match(await missing.$eval('#round-line', (p) => p.textContent), /404/);
  },
};

runCases(cases);
