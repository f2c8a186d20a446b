// The page's share of tests/wine/board_three.sh, in headless Chromium, on a
// board that is already running (the script's, which the Linux and Windows
// dialogs sent their rounds to):
//
//   node board_three_page.mjs round
//
// with KORVADA_BOARD_ORIGIN the board's address, KORVADA_PAGE_NAME the name
// the page plays under, KORVADA_WATCH the rounds the other programs sent, as
// JSON [{"id", "name", "bubbles"}, ...], and KORVADA_REPLAY the Linux
// korvada-replay. The page, opened from the board's own address, lists the
// others' rounds on its day, plays today's round under the name, steered
// with the arrows toward the day's bubbles, ends it and sends it, its line
// saying the count the round ended with: printed as "sent N". Then each
// round of the others plays from its page's Watch link, under a title naming
// its player and bubbles, to an end with that many bubbles.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { gameState, holdKeyUntilState, kWait, runCases, sleep, waitFrames, waitState } from './web_harness.mjs';

const origin = process.env.KORVADA_BOARD_ORIGIN;
const bubbles = (count) => `${count} ${count === 1 ? 'bubble' : 'bubbles'}`;
const roundOver = (page) => page.waitForFunction(() => JSON.parse(Module.ccall('korvadaState', 'string')).gameOver === 1,
                                                 { timeout: kWait });

// Today's bubbles, as korvada-replay lays the day's round: { x, y, z } each.
function dayBubbles() {
  const day = new Date().toISOString().slice(0, 10);
  const printed = execFileSync(process.env.KORVADA_REPLAY, ['--daily', day, '--steps', '1'], { encoding: 'utf8' });
  const first = printed.split('state ')[1];
  return first.split('\n').filter((line) => line.startsWith('bubble ')).map((line) => {
    const [x, y, z] = line.split(' ').slice(2, 5).map(Number);
    return { x, y, z };
  });
}

// The arrows as a player steers toward the next bubble below: a speed toward
// it that shrinks as it comes near, the bottle's own speed told from its
// place a poll ago. Until a bubble is caught or `seconds` have passed; the
// round's catch at the end.
async function steer(page, bubbles, seconds) {
  const held = new Set();
  const hold = async (key, down) => {
    if (down === held.has(key)) return;
    if (down) held.add(key);
    else held.delete(key);
    await (down ? page.keyboard.down(key) : page.keyboard.up(key));
  };
  const until = Date.now() + seconds * 1000;
  let before = null;
  let state = await gameState(page);
  while (Date.now() < until && state.score === 0 && !state.gameOver) {
    const now = performance.now() / 1000;
    const next = bubbles.filter((b) => b.y < state.y + 15).sort((a, b) => b.y - a.y)[0];
    if (!next) break;
    for (const [axis, more, less] of [['x', 'ArrowRight', 'ArrowLeft'], ['z', 'ArrowDown', 'ArrowUp']]) {
      const speed = before && now > before.t ? (state[axis] - before[axis]) / (now - before.t) : 0;
      const wanted = Math.max(-40, Math.min(40, 3 * (next[axis] - state[axis])));
      await hold(more, wanted - speed > 4);
      await hold(less, wanted - speed < -4);
    }
    before = { x: state.x, z: state.z, t: now };
    await sleep(30);
    state = await gameState(page);
  }
  for (const key of [...held]) await hold(key, false);
  return state.score;
}

await runCases({
  async round({ open }) {
    const name = process.env.KORVADA_PAGE_NAME;
    const others = JSON.parse(process.env.KORVADA_WATCH);
    const page = await open('/', 1024, 768);
    await waitState(page, 'form');
    await page.waitForFunction(() => !document.getElementById('board').hidden, { timeout: kWait });
    // The rounds sent from the desktops are on the page's day already.
    for (const other of others)
      await page.waitForFunction((n) => document.getElementById('board-ten').textContent.includes(n), { timeout: kWait },
                                 other.name);
    await page.type('#name', name);
    await page.click('#today');
    await waitState(page, 'playing');
    await waitFrames(page, 20);
    const caught = await steer(page, dayBubbles(), 20);
    console.log(`steered: ${caught} caught, at frame ${(await gameState(page)).frames}`);
    await page.keyboard.press('Escape');
    await roundOver(page);
    const played = (await gameState(page)).score;
    await sleep(1800);
    await holdKeyUntilState(page, 'Space', 'form');
    await page.waitForFunction(() => /Sent to the board/.test(document.getElementById('round-line').textContent),
                               { timeout: kWait });
    const line = await page.$eval('#round-line', (p) => p.textContent);
    assert.equal(line, `Sent to the board: ${bubbles(played)}.`, 'the line says another count than the round ended with');
    console.log(`sent ${played}`);
    assert.deepEqual(page.problems, []);
    await page.close();

    // The board's page of each round links to the game's page, which plays
    // it: the link as the board serves that page, read apart from this
    // browser, whose service worker of the game's page now answers it.
    for (const other of others) {
      const roundPage = await (await fetch(`${origin}/r/${other.id}`, { headers: { 'Accept-Language': 'en' } })).text();
      const link = roundPage.match(/<a id="watch" href="([^"]*)">/);
      assert.ok(link, `no Watch on the page of ${other.id}: ${roundPage}`);
      const watch = link[1].replaceAll('&amp;', '&');
      const watched = await open(watch);
      await waitState(watched, 'playing');
      assert.equal((await gameState(watched)).watched, 1);
      const title = await watched.title();
      assert.match(title, new RegExp(`^Korvada – ${other.name}'s round, .*, ${bubbles(other.bubbles)}$`));
      await roundOver(watched);
      const end = (await gameState(watched)).score;
      assert.equal(end, other.bubbles, `${other.name}'s round (${other.id}) ends with ${end} bubbles in the page`);
      console.log(`watched ${other.id} at ${watch}: '${title}', ended with ${end}`);
      assert.deepEqual(watched.problems, []);
      await watched.close();
    }
  },
}, { serve: async () => ({ origin, close: async () => {} }), limitSeconds: 200 });
