// The browser program on a phone, played with fingers only, in headless
// Chromium with touch emulation:
//
//   node touch_test.mjs CASE
//
// with KORVADA_WEB_DIR the web build's folder. With KORVADA_SCREENSHOTS set to
// a folder, the phone cases also leave their pictures there (playing and at
// the end screen). Exit 0 when the case passed.

import assert from 'node:assert/strict';
import path from 'node:path';
import {
  gameState, kWait, pageState, runCases, sleep, waitFrames, waitState,
} from './web_harness.mjs';

const kPhoneAgent = 'Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) ' +
                    'Chrome/126.0 Mobile Safari/537.36';
const kControls = ['#touch-left', '#touch-up', '#touch-right', '#touch-down', '#touch-camera', '#touch-pause',
                   '#touch-end'];

// Fingers on the emulated touch screen: each a touch point of its own, so
// that Chromium fires Pointer Events of type touch, several at once.
function fingers(session) {
  let nextId = 1;
  const touch = (type, point) => session.send('Input.dispatchTouchEvent', { type, touchPoints: point ? [point] : [] });
  return {
    async down(x, y) {
      const point = { x: Math.round(x), y: Math.round(y), id: nextId++ };
      await touch('touchStart', point);
      return { up: () => touch('touchEnd', point) };
    },
    cancelAll: () => touch('touchCancel'),
  };
}

async function centreOf(page, selector) {
  const box = await (await page.$(selector)).boundingBox();
  assert.ok(box, `${selector} is shown`);
  return [box.x + box.width / 2, box.y + box.height / 2];
}

async function press(hand, page, selector) {
  return hand.down(...await centreOf(page, selector));
}

async function tap(hand, page, selector) {
  await (await press(hand, page, selector)).up();
}

async function cameraBecomes(page, camera) {
  await page.waitForFunction((wanted) => JSON.parse(Module.ccall('korvadaState', 'string')).camera === wanted,
                             { timeout: kWait }, camera);
}

// The rectangles of the controls shown, and the picture's own rectangle in
// the canvas (the canvas keeps the picture's aspect inside its box).
const layout = (page) => page.evaluate((selectors) => {
  const rect = (r) => ({ left: r.left, top: r.top, right: r.right, bottom: r.bottom });
  const canvas = document.getElementById('canvas');
  const box = canvas.getBoundingClientRect();
  const scale = Math.min(box.width / canvas.width, box.height / canvas.height);
  const width = canvas.width * scale, height = canvas.height * scale;
  const left = box.left + (box.width - width) / 2, top = box.top + (box.height - height) / 2;
  return {
    picture: { left, top, right: left + width, bottom: top + height },
    controls: selectors.map((s) => document.querySelector(s)).filter((e) => e.offsetParent !== null)
                       .map((e) => rect(e.getBoundingClientRect())),
    hint: document.getElementById('turn-hint').offsetParent !== null,
    viewport: { width: innerWidth, height: innerHeight },
  };
}, kControls);

// The lines of these paragraphs whose last word stands alone on a line of
// the screen: it lies lower than the word before it.
const linesEndingAlone = (page, selectors) => page.evaluate((ids) => ids.flatMap((id) => {
  const text = document.querySelector(id).firstChild;
  let start = 0;
  return text.textContent.split('\n').filter((line) => {
    const words = [...line.matchAll(/\S+/g)].map((word) => start + word.index);
    start += line.length + 1;
    if (words.length < 2) return false;
    const top = (at) => {
      const range = document.createRange();
      range.setStart(text, at);
      range.setEnd(text, at + 1);
      return range.getClientRects()[0].top;
    };
    return top(words.at(-1)) > top(words.at(-2));
  });
}), selectors);

const overlaps = (a, b) => a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;

async function screenshot(page, name) {
  if (process.env.KORVADA_SCREENSHOTS)
    await page.screenshot({ path: path.join(process.env.KORVADA_SCREENSHOTS, `${name}.png`) });
}

// The element at a point of the page, as "#id" (or its tag).
const elementAt = (page, [x, y]) => page.evaluate((px, py) => {
  const element = document.elementFromPoint(px, py);
  return element && (element.id ? `#${element.id}` : element.tagName);
}, x, y);

// A round from the form to the form again with touches only, on a phone held
// upright or sideways. The tap that closes the end screen lies where the
// form's `under` control (#play or #fullscreen) comes back: it must not reach
// it. A best no round beats keeps the form's lines, and so its layout, as
// they were before the round.
async function phoneRound(open, width, height, name, under) {
  const prepare = (page) => page.evaluateOnNewDocument(() => {
    localStorage.setItem('korvada.best', 'korvada best catches\n4 30 2026-01-01\n');
  });
  // Every frame moves the round's clock by 0.02 s, however long it takes to
  // draw: the end screen's 1.6 s are 80 frames on a busy machine too.
  const page = await open('/index.html?dt=0.02', width, height, { touch: true, userAgent: kPhoneAgent, prepare });
  await waitState(page, 'form');
  const hand = fingers(await page.createCDPSession());

  // The form fits the screen's width, Play shows whole without scrolling,
  // and it says what the fingers do, not what keys do, no line ending in a
  // word alone.
  const form = await page.evaluate(() => ({
    overflow: document.documentElement.scrollWidth - innerWidth,
    playBelow: document.getElementById('play').getBoundingClientRect().bottom - innerHeight,
    line: document.getElementById('touch-line').offsetParent !== null,
    keys: document.getElementById('controls').offsetParent !== null,
    select: document.getElementById('size').getBoundingClientRect().height,
  }));
  assert.ok(form.overflow <= 0, `the form is ${form.overflow} px wider than the screen`);
  assert.ok(form.playBelow <= 0, `Play ends ${form.playBelow} px below the screen`);
  assert.ok(form.line, 'the touch line shows');
  assert.ok(!form.keys, 'the keys\' help shows on a phone');
  assert.ok(form.select >= 36, `the size choice is ${form.select} px high`);
  assert.deepEqual(await linesEndingAlone(page, ['#touch-line']), []);

  // Where `under` lies in the form as it opens, and comes back, unscrolled.
  const spot = await centreOf(page, under);
  await page.$eval('#play', (play) => play.scrollIntoView());
  await tap(hand, page, '#play');
  await waitState(page, 'playing');
  await waitFrames(page, 10);

  // Every control shows inside the screen, none over the middle of the picture.
  const seen = await layout(page);
  assert.equal(seen.controls.length, kControls.length);
  const { picture } = seen;
  const pw = picture.right - picture.left, ph = picture.bottom - picture.top;
  const middle = { left: picture.left + pw / 4, right: picture.right - pw / 4,
                   top: picture.top + ph / 4, bottom: picture.bottom - ph / 4 };
  for (const control of seen.controls) {
    assert.ok(!overlaps(control, middle), `a control at ${JSON.stringify(control)} covers the middle`);
    assert.ok(control.left >= 0 && control.top >= 0 && control.right <= seen.viewport.width &&
              control.bottom <= seen.viewport.height, `a control at ${JSON.stringify(control)} is off the screen`);
  }
  assert.ok(Math.abs(pw / ph - 4 / 3) < 0.01, 'the picture keeps its aspect');
  assert.ok(pw >= seen.viewport.width - 1 || ph >= seen.viewport.height - 1, 'the picture fills the screen');
  assert.equal(seen.hint, width < height, 'the turn hint shows only upright');

  // Two pads held at once: left and down steer together.
  const start = await gameState(page);
  const left = await press(hand, page, '#touch-left');
  const down = await press(hand, page, '#touch-down');
  assert.equal((await gameState(page)).held, 2);
  // Held until the bottle has gone both ways: a busy machine draws few frames.
  await page.waitForFunction((from) => {
    const now = JSON.parse(Module.ccall('korvadaState', 'string'));
    return now.x < from.x - 5 && now.z > from.z + 5;
  }, { timeout: kWait }, start);
  await left.up();
  assert.equal((await gameState(page)).held, 1, 'down is still held');
  await down.up();
  assert.equal((await gameState(page)).held, 0);
  await screenshot(page, `${name}-playing`);

  // A lost finger lets go of its pad: a cancelled touch, a page that loses the focus.
  await press(hand, page, '#touch-right');
  assert.equal((await gameState(page)).held, 1);
  await hand.cancelAll();
  assert.equal((await gameState(page)).held, 0, 'held after the cancel');
  const finger = await press(hand, page, '#touch-up');
  await page.evaluate(() => window.dispatchEvent(new Event('blur')));
  assert.equal((await gameState(page)).held, 0, 'held after the focus went');
  await finger.up();

  // The camera button walks the presets, 6 wrapping to 1.
  for (const camera of [2, 3, 4, 5, 6, 1]) {
    await tap(hand, page, '#touch-camera');
    await cameraBecomes(page, camera);
  }

  // The pause button holds the round and goes on, saying which it does next.
  for (const [paused, label] of [[1, 'Continue'], [0, 'Pause']]) {
    await tap(hand, page, '#touch-pause');
    await page.waitForFunction((wanted) => JSON.parse(Module.ccall('korvadaState', 'string')).paused === wanted,
                               { timeout: kWait }, paused);
    await page.waitForFunction((text) => document.getElementById('touch-pause').textContent === text,
                               { timeout: kWait }, label);
    if (paused) await screenshot(page, `${name}-paused`);
  }

  // A finger on the end screen from its first frame for 5 frames (0.1 s of
  // its 1.6) leaves it open. Put down and lifted in the page, on its frames,
  // through the pointer events a finger gives: a loaded machine's DevTools
  // round trips may outlast the 1.6 s. The tap that closes it below is a
  // real one, and may come late.
  const onPicture = await centreOf(page, '#canvas');
  await tap(hand, page, '#touch-end');
  const ended = await page.evaluate(([x, y]) => new Promise((resolve) => {
    const canvas = document.getElementById('canvas');
    const finger = { pointerId: 99, pointerType: 'touch', isPrimary: true, bubbles: true, clientX: x, clientY: y };
    const frames = () => JSON.parse(Module.ccall('korvadaState', 'string')).frames;
    const when = (test, then) => {
      const check = () => (test() ? then() : requestAnimationFrame(check));
      check();
    };
    when(() => JSON.parse(Module.ccall('korvadaState', 'string')).gameOver === 1, () => {
      const first = frames();
      canvas.dispatchEvent(new PointerEvent('pointerdown', finger));
      when(() => frames() >= first + 5, () => {
        canvas.dispatchEvent(new PointerEvent('pointerup', finger));
        resolve(first);
      });
    });
  }), onPicture);
  await waitFrames(page, ended + 10);
  assert.equal(await pageState(page), 'playing', 'a finger in the end screen\'s first 0.1 s closed it');
  await screenshot(page, `${name}-end`);

  await waitFrames(page, ended + 90);
  assert.equal(await elementAt(page, spot), '#canvas', `the end screen's tap at ${spot} is not on the picture`);
  const tapping = await hand.down(...spot);
  await waitState(page, 'form');
  assert.equal(await elementAt(page, spot), under, `the form's ${under} is not where it was`);
  await tapping.up();
  await sleep(1000);
  assert.equal(await pageState(page), 'form', `the tap that closed the end screen reached ${under}`);
  assert.equal((await gameState(page)).roundOn, 0);
  assert.equal(await page.$eval('#fullscreen', (box) => box.checked), true, 'Full screen was unticked');
  assert.deepEqual(page.problems, []);
  return page;
}

const cases = {
  phone_portrait: ({ open }) => phoneRound(open, 390, 844, 'phone-portrait', '#play'),

  // Sideways; and while a gamepad is connected the controls step aside.
  async phone_landscape({ open }) {
    const page = await phoneRound(open, 844, 390, 'phone-landscape', '#fullscreen');
    const hand = fingers(await page.createCDPSession());
    await page.$eval('#play', (play) => play.scrollIntoView());
    await tap(hand, page, '#play');
    await waitState(page, 'playing');
    const shown = () => page.$eval('#touch-left', (e) => e.offsetParent !== null);
    const plug = (pads) => page.evaluate((count) => {
      navigator.getGamepads = () => Array.from({ length: 4 }, (_, i) => (i < count ? { index: i } : null));
      window.dispatchEvent(new Event(count ? 'gamepadconnected' : 'gamepaddisconnected'));
    }, pads);
    assert.equal(await shown(), true);
    await plug(1);
    assert.equal(await shown(), false, 'hidden while a pad is connected');
    await plug(0);
    assert.equal(await shown(), true, 'back once the pad is gone');
  },

  // A desktop page without touch shows no touch control, in the form or the
  // round; at 1280 × 800 its form needs no scrolling, and its keys' help
  // breaks its lines between phrases only.
  async desktop_no_touch({ open }) {
    for (const languages of [['en-US', 'en'], ['cs-CZ', 'cs']]) {
      const form = await open('/index.html', 1280, 800, {
        prepare: (page) => page.evaluateOnNewDocument((tags) => {
          Object.defineProperty(navigator, 'languages', { get: () => tags });
        }, languages),
      });
      await waitState(form, 'form');
      const scroll = await form.evaluate(() => document.scrollingElement.scrollHeight - innerHeight);
      assert.ok(scroll <= 0, `the form scrolls by ${scroll} px`);
      // Each phrase on one line, inside the form.
      const broken = await form.$$eval('#controls .phrase', (phrases) => phrases.filter((phrase) => {
        const lines = new Set([...phrase.getClientRects()].map((rect) => Math.round(rect.top)));
        const right = document.getElementById('controls').getBoundingClientRect().right;
        return lines.size !== 1 || phrase.getBoundingClientRect().right > right + 0.5;
      }).map((phrase) => phrase.textContent));
      assert.deepEqual(broken, [], `${languages[0]}: phrases of the keys' help broken or past the form`);
      assert.ok((await form.$$('#controls .phrase')).length >= 8, 'the keys\' help is not in phrases');
      await screenshot(form, `desktop-form-${languages[1]}`);
      await form.close();
    }
    const page = await open('/index.html?code=0TYAN');
    await waitState(page, 'playing');
    await waitFrames(page, 5);
    assert.deepEqual((await layout(page)).controls, []);
    assert.equal(await page.$eval('#touch-line', (e) => e.offsetParent !== null), false);
    assert.equal(await page.evaluate(() => navigator.maxTouchPoints), 0);
  },
};

runCases(cases);
