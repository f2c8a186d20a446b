// The board's pages in headless Chromium: a name that is markup stays
// text wherever it is shown, on the day's board and on the round's page,
// and the page speaks the browser's language; on a phone the day's board
// fits the screen's width. The names are planted in the board's database
// beside it, as no round with such a name is taken.
//   node board_page_test.mjs names_stay_text|phone_fits   (KORVADA_BOARD: the program)

import { execFileSync, spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { runCases } from '../web/web_harness.mjs';

const kNames = ['<img src=x onerror=alert(1)>', '"><script>alert(2)</script>', "'><svg onload=alert(3)>"];

// korvada-board on a free loopback port with a new state folder.
async function startBoard() {
  const state = fs.mkdtempSync(path.join(os.tmpdir(), 'korvada-board-page-'));
  const board = spawn(process.env.KORVADA_BOARD, ['--address', '127.0.0.1', '--port', '0', '--no-web', '--state', state],
    { stdio: ['ignore', 'pipe', 'inherit'] });
  const line = await new Promise((resolve, reject) => {
    let text = '';
    board.stdout.on('data', (data) => {
      text += data;
      if (text.includes('\n')) resolve(text);
    });
    board.on('exit', (code) => reject(new Error(`korvada-board ended with ${code}`)));
  });
  const origin = line.match(/http:\/\/127\.0\.0\.1:\d+/)[0];
  return {
    origin, state,
    close: async () => {
      board.kill('SIGTERM');
      fs.rmSync(state, { recursive: true, force: true });
    },
  };
}

// Rounds of today's by each name, written into the board's database.
function plant(state, names) {
  const now = Date.now();
  const day = Math.floor(now / 86400000);
  const quote = (text) => `'${text.replaceAll("'", "''")}'`;
  const rows = names.map((name, i) => {
    const id = `planted${i}`.padEnd(16, 'A');
    return `INSERT INTO names VALUES (${quote(name)}, 'x', ${now});
      INSERT INTO rounds VALUES ('${id}', 'ticket${i}', 'digest${i}', ${day}, ${quote(name)}, ${9 - i}, 1, 1, 1,
        ${now}, '1.3.0', x'00');
      INSERT INTO day_best VALUES (${day}, ${quote(name)}, '${id}', ${9 - i}, ${now});`;
  });
  execFileSync('sqlite3', [path.join(state, 'board.sqlite'), rows.join('\n')]);
  return names.map((_, i) => `planted${i}`.padEnd(16, 'A'));
}

async function expectText(page, selector, wanted) {
  const shown = await page.$$eval(selector, (elements) => elements.map((element) => element.textContent));
  for (const text of wanted)
    if (!shown.some((line) => line.includes(text))) throw new Error(`${selector} shows ${JSON.stringify(shown)}, not ${text}`);
}

async function expectNoMarkup(page) {
  const planted = await page.evaluate(() => document.querySelectorAll('img, script, svg').length);
  if (planted !== 0) throw new Error(`the page has ${planted} elements from names`);
  if (page.alerts.length) throw new Error(`an alert came: ${page.alerts.join(', ')}`);
}

await runCases({
  async names_stay_text({ server, open }) {
    const ids = plant(server.state, kNames);
    const prepare = async (page) => {
      page.alerts = [];
      page.on('dialog', async (dialog) => {
        page.alerts.push(dialog.message());
        await dialog.dismiss();
      });
      await page.setExtraHTTPHeaders({ 'Accept-Language': 'cs-CZ,cs;q=0.9' });
    };
    const board = await open('/board', 800, 600, { prepare });
    await expectText(board, 'td.name', kNames);
    await expectText(board, 'h1', ['dnešní kolo']);
    await expectNoMarkup(board);
    for (const [i, id] of ids.entries()) {
      const round = await open(`/r/${id}`, 800, 600, { prepare });
      await expectText(round, 'h1', [kNames[i]]);
      await expectText(round, 'title', [kNames[i]]);
      await expectNoMarkup(round);
    }
    if (board.problems.length) throw new Error(`the console: ${board.problems.join('; ')}`);
  },

  // A phone held upright: the day's board fits its width, every row's name,
  // bubbles, time and Watch whole, with names as long as the game takes.
  async phone_fits({ server, open }) {
    plant(server.state, ['Maximilián Dvořáček', 'Jana Nováková', 'Eva K']);
    for (const language of ['en', 'cs']) {
      const prepare = (page) => page.setExtraHTTPHeaders({ 'Accept-Language': language });
      const phone = await open('/board', 375, 740, { touch: true, prepare });
      await phone.waitForSelector('td.name');
      const sideways = await phone.evaluate(() => document.documentElement.scrollWidth - window.innerWidth);
      if (sideways > 0) throw new Error(`${language}: the board is ${sideways} px wider than a 375 px phone`);
      const cut = await phone.$$eval('#rounds td', (cells) => cells
        .filter((cell) => cell.scrollWidth > cell.clientWidth || cell.getBoundingClientRect().right > window.innerWidth)
        .map((cell) => cell.textContent));
      if (cut.length) throw new Error(`${language}: cut on a phone: ${JSON.stringify(cut)}`);
      if (process.env.KORVADA_SHOTS)
        await phone.screenshot({ path: path.join(process.env.KORVADA_SHOTS, `board-phone-${language}.png`), fullPage: true });
      if (phone.problems.length) throw new Error(`the console: ${phone.problems.join('; ')}`);
    }
  },
}, { serve: startBoard, limitSeconds: 120 });
