// Rounds started, played and started again with a gamepad only, in headless
// Chromium: a stand-in for navigator.getGamepads() holds one pad in the
// standard mapping whose buttons and stick the test moves, as the page reads
// them once a frame. The form shows the best catch kept for its bottles and,
// after a round, the new best.
//
//   node gamepad_test.mjs gamepad        with KORVADA_WEB_DIR the web build's folder

import assert from 'node:assert/strict';
import { gameState, kWait, openPage, pageState, runCases, sleep, waitFrames, waitState } from './web_harness.mjs';

// Runs in the page before its own scripts.
function padStandIn() {
  const pad = {
    id: 'stand-in pad', index: 0, connected: true, mapping: 'standard', timestamp: 0,
    axes: [0, 0, 0, 0], buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })),
  };
  const list = [null, null, null, null];
  const state = (down) => ({ pressed: down, touched: down, value: down ? 1 : 0 });
  // A tapped button is pressed for the next two readings and let go for the
  // ones after: the page reads the pads twice a frame (the form's reader and
  // the round's), and a press held while the test sees what it did would
  // repeat a held direction once a slow machine takes the form's 400 ms to
  // notice.
  // A tap waits until the page has read the pad with nothing tapped at least
  // once: a tap made while the last one is still down would only lengthen
  // that press, and one made as the pad is plugged in would be its first state.
  let tapped = null;
  let readings = 0;
  let readsSinceLetGo = 0;
  const copy = (p) => p && { ...p, axes: [...p.axes], buttons: p.buttons.map((b) => ({ ...b })) };
  Object.defineProperty(Navigator.prototype, 'getGamepads', {
    value: () => {
      const read = list.map(copy);
      if (!list[0]) return read;
      if (tapped === null) {
        ++readsSinceLetGo;
      } else if (--readings === 0) {
        pad.buttons[tapped] = state(false);
        tapped = null;
        readsSinceLetGo = 0;
      }
      return read;
    },
    configurable: true,
  });
  window.testPad = {
    plug: () => {
      list[0] = pad;
      readsSinceLetGo = 0;
    },
    unplug: () => { list[0] = null; },
    button: (index, down) => { pad.buttons[index] = state(down); },
    tap: (index) => new Promise((resolve) => {
      const press = () => {
        if (tapped !== null || readsSinceLetGo === 0) return setTimeout(press, 5);
        pad.buttons[index] = state(true);
        tapped = index;
        readings = 2;
        resolve();
      };
      press();
    }),
    stick: (x, y) => { pad.axes[0] = x; pad.axes[1] = y; },
  };
}

const kSouth = 0, kEast = 1, kLeftShoulder = 4, kRightShoulder = 5, kStart = 9, kDpadUp = 12, kDpadLeft = 14,
  kDpadRight = 15;

async function padPlaysARound(browser, origin) {
  const page = await openPage(browser, 'about:blank');
  await page.evaluateOnNewDocument(padStandIn);
  const pad = (call, ...args) => page.evaluate((c, a) => window.testPad[c](...a), call, args);
  // The page reads the pads once a frame, and a loaded machine draws slowly:
  // each change waits for frames that have seen it.
  const frames = async (count) => waitFrames(page, (await gameState(page)).frames + count);
  const state = (test) => page.waitForFunction(test, { timeout: kWait });
  const stateOf = 'JSON.parse(Module.ccall("korvadaState", "string"))';
  const press = async (index, seen) => {
    await pad('button', index, true);
    await state(seen);
    await pad('button', index, false);
    await frames(2);
  };

  // Every frame moves the round's clock by 0.02 s, however long it takes to
  // draw: the end screen's 1.6 s are 80 frames on a busy machine too, and
  // the steps below fit well inside them.
  await page.goto(`${origin}/index.html?dt=0.02`);
  await waitState(page, 'form');
  const controls = await page.$eval('#controls', (p) => p.textContent);
  assert.match(controls, /LB \/ RB:\s(kamera|camera)\n/, `the form shows the controls: ${controls}`);
  const text = (id) => page.$eval(id, (element) => (element.hidden ? '' : element.textContent));
  const shows = (id, wanted) => page.waitForFunction((i, w) => !document.querySelector(i).hidden &&
    document.querySelector(i).textContent === w, { timeout: kWait }, id, wanted);
  assert.equal(await text('#best'), 'Best: none kept yet');

  // The form with the pad: up for more bottles, each with its best; right
  // and left through the sizes; A plays.
  const table = 'korvada best catches\n4 3 2026-12-01\n5 2 2026-12-02\n';
  await page.evaluate((t) => localStorage.setItem('korvada.best', t), table);
  await pad('plug');
  const tap = async (index, seen) => {
    await pad('tap', index);
    await page.waitForFunction(seen, { timeout: kWait });
  };
  await tap(kDpadUp, '$("bottles").value === "5"');
  assert.equal(await text('#best'), 'Best: 2 bubbles (2 Dec 2026)');
  await tap(kDpadUp, '$("bottles").value === "6"');
  assert.equal(await text('#best'), 'Best: none kept yet');
  await tap(kDpadRight, '$("size").value === "1"');
  await tap(kDpadLeft, '$("size").value === "0"');
  await tap(kSouth, 'document.documentElement.dataset.state === "playing"');
  assert.match(page.url(), /code=0TYGY/);
  await waitFrames(page, 10);

  // Meanwhile a round elsewhere keeps 4 bubbles for 6 bottles: this round,
  // which catches nothing, leaves that best, and the form then names it new.
  const better = `${table}6 4 2026-12-09\n`;
  await page.evaluate((t) => localStorage.setItem('korvada.best', t), better);

  // Pulled out and plugged in mid-round; a stick leaning less than its dead
  // zone steers nothing.
  await pad('unplug');
  await frames(2);
  await pad('plug');
  await pad('stick', 0.3, -0.3);
  const start = await gameState(page);
  await frames(10);
  const rest = await gameState(page);
  assert.deepEqual([rest.x, rest.z], [start.x, start.z], 'a stick inside the dead zone');
  await pad('stick', 1, 0);
  await state(`${stateOf}.x > ${rest.x + 5}`);
  await pad('stick', 0, 0);
  await press(kDpadUp, `${stateOf}.z < ${rest.z - 5}`);

  // The d-pad holds right as another window takes the focus, the page still
  // shown: the key lets go and stays let go while the page is away, though
  // the browser goes on telling the page what the pad holds (the stand-in
  // does, as Chromium does for a page it shows); back, the pad holds right
  // again. Headless Chromium moves no focus between windows: the page gets
  // the events it would get.
  await pad('button', kDpadRight, true);
  await state(`${stateOf}.held === 1`);
  await page.evaluate(() => window.dispatchEvent(new FocusEvent('blur')));
  await frames(10);
  assert.equal((await gameState(page)).held, 0, 'the d-pad held through the blur still holds its key');
  await page.evaluate(() => window.dispatchEvent(new FocusEvent('focus')));
  await state(`${stateOf}.held === 1`);
  await pad('button', kDpadRight, false);
  await state(`${stateOf}.held === 0`);

  // The shoulders step the camera, wrapping; Start pauses and goes on (the
  // Start that played above, read first by the round, paused nothing).
  await press(kRightShoulder, `${stateOf}.camera === 2`);
  await press(kLeftShoulder, `${stateOf}.camera === 1`);
  await press(kLeftShoulder, `${stateOf}.camera === 6`);
  assert.equal((await gameState(page)).paused, 0);
  await press(kStart, `${stateOf}.paused === 1`);
  await press(kStart, `${stateOf}.paused === 0`);

  // B ends the round. A pulled out while it holds A lets go: the end screen
  // stays past its 1.6 s (80 of the round's frames), until the pad is back
  // and A pressed again. A goes down the frame the end screen shows and the
  // pad out two frames later, in the page: a loaded machine's answers to the
  // test may take longer than 80 frames.
  await pad('tap', kEast);
  const unplugged = await page.evaluate((south) => new Promise((resolve) => {
    const round = () => JSON.parse(Module.ccall('korvadaState', 'string'));
    const when = (test, then) => {
      const check = () => (test() ? then() : requestAnimationFrame(check));
      check();
    };
    when(() => round().gameOver === 1, () => {
      window.testPad.button(south, true);
      const at = round().frames + 2;
      when(() => round().frames >= at, () => {
        window.testPad.unplug();
        window.testPad.button(south, false);
        resolve(round().frames);
      });
    });
  }), kSouth);
  const past = unplugged + 90;
  await state(`${stateOf}.frames >= ${past} || document.documentElement.dataset.state !== 'playing'`);
  assert.equal(await pageState(page), 'playing', 'the end screen stays');
  await pad('plug');
  await pad('button', kSouth, true);
  await waitState(page, 'form');
  await shows('#round-line', 'New best: 4 bubbles!');
  assert.equal(await text('#best'), 'Best: 4 bubbles (9 Dec 2026)');
  // The round that caught nothing is kept all the same, second of the ten
  // best for its count, with the next recording free.
  const today = await page.evaluate(() => new Date().toLocaleDateString('sv'));
  const kept = `${better}6 0 ${today} 1\n`;
  assert.equal(await page.evaluate(() => localStorage.getItem('korvada.best')), kept);

  // The A that left the end screen, still held, plays nothing; let go, up
  // for 7 bottles and Start play again. That round's catch, the first with
  // 7 bottles, is kept, and the form says no news of it: it caught nothing.
  await sleep(1000);
  assert.equal(await pageState(page), 'form', 'the A held from the end screen played again');
  await pad('button', kSouth, false);
  await sleep(100);
  await tap(kDpadUp, '$("bottles").value === "7"');
  await tap(kStart, 'document.documentElement.dataset.state === "playing"');
  await frames(2);
  await press(kEast, `${stateOf}.gameOver === 1`);
  await pad('button', kSouth, true);
  await waitState(page, 'form');
  assert.equal(await page.evaluate(() => localStorage.getItem('korvada.best')), `${kept}7 0 ${today}\n`);
  assert.equal(await text('#round-line'), '');
  // Named with today's day (how each language writes a date is the setup
  // texts' unit test's).
  const [year, , day] = today.split('-').map(Number);
  assert.match(await text('#best'), new RegExp(`^Best: 0 bubbles \\(${day} [A-Z][a-z]{2} ${year}\\)$`));
  assert.deepEqual(page.problems, []);
}

runCases({ gamepad: ({ browser, server }) => padPlaysARound(browser, server.origin) }, { limitSeconds: 90 });
