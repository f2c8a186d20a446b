// The page's client of the board that serves it, in headless Chromium:
//
//   node board_client_test.mjs CASE   (KORVADA_BOARD: the program, KORVADA_WEB_DIR: the page)
//
// round_sent: a ticket, today's round played to its end by Esc, the round
// waiting in the page's storage and then sent through fetch, its score the
// board's and the page's, and the day's list that then holds it.
// bounds: an answer past its bound and a board that never answers, from a
// server of the test's own (which allows the page across origins, as no
// board does).

import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { gameState, holdKeyUntilState, kWait, runCases, sleep, waitFrames, waitState } from './web_harness.mjs';

// korvada-board serving the page, on a free loopback port with a new state folder.
async function startBoard(web) {
  const state = fs.mkdtempSync(path.join(os.tmpdir(), 'korvada-board-client-'));
  const board = spawn(process.env.KORVADA_BOARD, ['--address', '127.0.0.1', '--port', '0', '--state', state, '--web', web],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  const line = await new Promise((resolve, reject) => {
    let text = '';
    board.stdout.on('data', (data) => {
      text += data;
      if (text.includes('\n')) resolve(text);
    });
    board.on('exit', (code) => reject(new Error(`korvada-board ended with ${code}`)));
  });
  return {
    origin: line.match(/http:\/\/127\.0\.0\.1:\d+/)[0],
    close: async () => {
      board.kill('SIGTERM');
      fs.rmSync(state, { recursive: true, force: true });
    },
  };
}

// What the page's board said so far, as Module.page.board hands it over.
async function listen(page) {
  await page.evaluate(() => {
    window.boardSaid = [];
    Module.page.board = (what, data) => window.boardSaid.push({ what, data });
  });
}
async function nextSaid(page, what, after) {
  await page.waitForFunction((w, n) => window.boardSaid.slice(n).some((s) => s.what === w), { timeout: kWait }, what,
                             after);
  return page.evaluate((w, n) => window.boardSaid.slice(n).find((s) => s.what === w).data, what, after);
}
const saidCount = (page) => page.evaluate(() => window.boardSaid.length);
const waiting = (page) => page.evaluate(() => Object.keys(localStorage).filter((k) => k.startsWith('korvada.waiting.')));
const call = (page, name, types, args) => page.evaluate((n, t, a) => Module.ccall(n, 'number', t, a), name, types, args);

await runCases({
  async round_sent({ server, open }) {
    const page = await open('/');
    await waitState(page, 'form');
    await listen(page);
    const origin = server.origin;
    assert.equal(await call(page, 'korvadaBoardStart', ['string', 'string'], [origin, 'en']), 1);
    let mark = await saidCount(page);
    await call(page, 'korvadaBoardTicket', [], []);
    const { ticket } = await nextSaid(page, 'ticket', mark);
    assert.match(ticket, /^[A-Za-z0-9_-]{43}$/);

    assert.equal(await call(page, 'korvadaPlayRound', ['string', 'number', 'string', 'string', 'number', 'number', 'number'],
                            ['0TYAY', 1, 'Jana', ticket, -1, 0, 0]), 1);
    await waitFrames(page, 20);
    await page.evaluate(() => {
      for (const type of ['keydown', 'keyup'])
        window.dispatchEvent(new KeyboardEvent(type, { code: 'Escape', key: 'Escape', keyCode: 27, bubbles: true }));
    });
    await page.waitForFunction(() => JSON.parse(Module.ccall('korvadaState', 'string')).gameOver === 1, { timeout: kWait });
    await page.waitForFunction(() => Object.keys(localStorage).some((k) => k.startsWith('korvada.waiting.')),
                               { timeout: kWait });
    const { score } = await gameState(page);

    mark = await saidCount(page);
    await call(page, 'korvadaBoardSend', [], []);
    const sent = await nextSaid(page, 'line', mark);
    assert.equal(sent.line, `Sent to the board: ${score} ${score === 1 ? 'bubble' : 'bubbles'}.`);
    assert.equal(sent.trouble, false);
    assert.deepEqual(await waiting(page), [], 'the round the board kept waits no more');

    const today = new Date().toISOString().slice(0, 10);
    mark = await saidCount(page);
    await call(page, 'korvadaBoardDay', ['string'], [today]);
    const day = await nextSaid(page, 'day', mark);
    assert.equal(day.rows.length, 1, JSON.stringify(day));
    assert.equal(day.rows[0].name, 'Jana');
    assert.equal(day.rows[0].place, 1);
    assert.equal(day.rows[0].bubbles, sent.line.slice('Sent to the board: '.length, -1));
    assert.match(day.rows[0].id, /^[A-Za-z0-9_-]{16}$/);
    assert.deepEqual(page.problems, []);
  },

  // The player's way: the form served by the board shows its day; Today's
  // round asks a ticket, the round goes at its end, the day lists it, and
  // its Watch plays the round downloaded from the board.
  async form({ server, open }) {
    const page = await open('/', 1024, 768);
    await waitState(page, 'form');
    await page.waitForFunction(() => !document.getElementById('board').hidden, { timeout: kWait });
    assert.equal(await page.$eval('#board-ten', (table) => table.textContent), "Nobody has sent today's round yet.");
    await page.type('#name', 'Jana');
    await page.click('#today');
    await waitState(page, 'playing');
    await waitFrames(page, 20);
    await page.evaluate(() => {
      for (const type of ['keydown', 'keyup'])
        window.dispatchEvent(new KeyboardEvent(type, { code: 'Escape', key: 'Escape', keyCode: 27, bubbles: true }));
    });
    await page.waitForFunction(() => JSON.parse(Module.ccall('korvadaState', 'string')).gameOver === 1, { timeout: kWait });
    await sleep(1800);
    await holdKeyUntilState(page, 'Space', 'form');
    await page.waitForFunction(() => /Sent to the board/.test(document.getElementById('round-line').textContent),
                               { timeout: kWait });
    await page.waitForFunction(() => /Jana/.test(document.getElementById('board-ten').textContent), { timeout: kWait });
    assert.deepEqual(await waiting(page), []);
    const today = new Date().toISOString().slice(0, 10);
    const day = await (await fetch(`${server.origin}/api/days/${today}`)).json();
    assert.deepEqual(day.rounds.map((r) => r.name), ['Jana'], JSON.stringify(day));
    if (process.env.KORVADA_SETUP_SHOTS)
      await page.screenshot({ path: path.join(process.env.KORVADA_SETUP_SHOTS, 'board-page.png') });
    // The game's worker keeps the whole site's scope on a board; the board's
    // own pages are still the board's, in the same browser.
    await page.waitForFunction(() => navigator.serviceWorker.controller !== null, { timeout: kWait });
    for (const [address, heading] of [['/board', "today's round"], [`/r/${day.rounds[0].id}`, 'Jana']]) {
      const other = await open(address);
      await other.waitForFunction((wanted) => document.querySelector('h1')?.textContent.includes(wanted),
                                  { timeout: kWait }, heading).catch(async () => {
        throw new Error(`${address} shows ${JSON.stringify(await other.title())}, not the board's page`);
      });
      await other.close();
    }
    await page.click('#board-watch-1');
    await waitState(page, 'playing');
    assert.match(await page.title(), /Jana/);
    assert.deepEqual(page.problems, []);
  },

  async bounds({ open }) {
    // The test's own server: a day's list past the 64 KB bound, and a
    // board that takes the request and never answers.
    const requests = [];
    const other = http.createServer((request, response) => {
      requests.push(request.url);
      if (request.url.startsWith('/api/days/2026-12-10')) {
        response.writeHead(200, { 'Content-Type': 'application/json', 'Access-Control-Allow-Origin': '*' });
        response.end(`{"day":"2026-12-10","rounds":[],"pad":"${'x'.repeat(70000)}"}`);
      }
    });
    await new Promise((resolve) => other.listen(0, '127.0.0.1', resolve));
    try {
      const page = await open('/');
      await waitState(page, 'form');
      // The page turns to the board that serves it once it has read its own
      // load: only after that is the board the test's to change.
      await page.waitForFunction(() => !document.getElementById('board').hidden, { timeout: kWait });
      await listen(page);
      // Turned to the other board with a day still asked of the page's own:
      // that answer is no longer the page's to show.
      let mark = await saidCount(page);
      assert.equal(await page.evaluate((address) => {
        Module.ccall('korvadaBoardDay', null, ['string'], [new Date().toISOString().slice(0, 10)]);
        return Module.ccall('korvadaBoardStart', 'number', ['string', 'string'], [address, 'en']);
      }, `127.0.0.1:${other.address().port}`), 1);
      await call(page, 'korvadaBoardDay', ['string'], ['2026-12-10']);
      const cut = await nextSaid(page, 'day', mark);
      assert.deepEqual(cut.rows, []);
      assert.equal(cut.line, "The board cannot be shown: the board's answer is longer than 65536 bytes");

      mark = await saidCount(page);
      const started = Date.now();
      await call(page, 'korvadaBoardTicket', [], []);
      await nextSaid(page, 'ticket', mark);
      const seconds = (Date.now() - started) / 1000;
      const said = await page.evaluate((n) => window.boardSaid.slice(n).map((s) => s.data.line).filter(Boolean), mark);
      assert.deepEqual(said, ['Asking the board for a ticket…',
        'The board gave no ticket (no answer within 10 s): the round plays, but cannot go to the board.']);
      assert.ok(seconds >= 9.5 && seconds < 40, `the ticket's wait took ${seconds} s`);
      assert.ok(requests.includes('/api/tickets'), requests.join(' '));
    } finally {
      other.closeAllConnections();
      other.close();
    }
  },
}, { serve: (web) => startBoard(web) });
