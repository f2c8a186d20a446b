// The browser program's figures in headless Chromium: what a static host
// sends, time to the first frame on a first and on a repeat visit, the
// longest task of the page's thread while a first visit's round plays, and
// frames per second at 4 and 61 bottles.
//
//   node bench/web/web_bench.mjs build-web [--runs N] [--seconds S] [--shots DIR] [--cpu-slowdown K]
//
// Needs the browser tests' node packages (npm ci in tests/web). Every run is
// a first visit in a fresh browser profile, by a link that starts a round
// (?code=0TYAY), from a local server that sends the build's brotli copies;
// the round is ended (the page starts its worker then), and once the worker
// keeps the files and the page the data, the same address again is the
// repeat visit. The bytes are the bodies the server sent, to
// the page and its workers together; time to the first frame counts from
// navigation to the end of the first animation frame the game drew, the data
// made (or read back) on the way; then the way's stages, from the page's
// performance marks (korvada:*, the generator's own among them), each as the
// time since navigation when it ended. The long tasks are the page's own
// (a PerformanceObserver for 'longtask' from before the page loads), from
// its first frame until the worker has stored the data. --shots saves the
// form and a game frame as PNG files. --cpu-slowdown K slows every page K
// times with DevTools' CPU throttling, for a phone's figures on a computer.
// It slows one thread of a renderer, the page's: the generator's workers run
// at the computer's speed (asked to slow them too, DevTools slows the last
// thread asked, and the page's runs at full speed).

import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import {
  canvasPicture, holdKeyUntilState, kWait, openBrowser, openPage, savePicture, sleep, startAppServer, waitDataKept,
  waitFrames, waitState, watchKeptData,
} from '../../tests/web/web_harness.mjs';

const args = process.argv.slice(2);
const option = (name, otherwise) => (args.includes(name) ? args[args.indexOf(name) + 1] : otherwise);
const dir = args[0];
const runs = Number(option('--runs', 5));
const seconds = Number(option('--seconds', 5));
const shots = option('--shots', null);
const slowdown = Number(option('--cpu-slowdown', 1));
if (!dir || !fs.existsSync(path.join(dir, 'index.html')) || !(slowdown >= 1)) {
  console.error('usage: node bench/web/web_bench.mjs BUILD-WEB-DIR [--runs N] [--seconds S] [--shots DIR] [--cpu-slowdown K]');
  process.exit(2);
}

const kb = (bytes) => `${(bytes / 1024).toFixed(1)} KB`;
const sizeOf = (file) => (fs.existsSync(file) ? fs.statSync(file).size : 0);
let plain = 0, packed = 0;
console.log('file                     plain       brotli');
for (const name of ['index.html', 'korvada.js', 'korvada.wasm', 'korvada-game-data.js', 'korvada-datagen.js',
                    'korvada-datagen.wasm', 'sw.js']) {
  const body = fs.readFileSync(path.join(dir, name));
  const brotli = sizeOf(path.join(dir, `${name}.br`)) || zlib.brotliCompressSync(body).length;
  plain += body.length;
  packed += brotli;
  console.log(`${name.padEnd(22)} ${kb(body.length).padStart(11)} ${kb(brotli).padStart(12)}`);
}
console.log(`${'all'.padEnd(22)} ${kb(plain).padStart(11)} ${kb(packed).padStart(12)}`);

function median(values) {
  const sorted = [...values].sort((a, b) => a - b);
  const middle = sorted.length >> 1;
  return sorted.length % 2 ? sorted[middle] : (sorted[middle - 1] + sorted[middle]) / 2;
}

// Median and range of a list of numbers, as text with the unit.
function summary(values, unit, digits = 0) {
  return `median ${median(values).toFixed(digits)} ${unit}, ${Math.min(...values).toFixed(digits)}-${Math.max(...values).toFixed(digits)} ${unit}`;
}

// A page of the bench: throttled with --cpu-slowdown, and watching the long
// tasks of its thread from before it loads.
async function benchPage(browser, address, width, height) {
  return openPage(browser, address, width, height, {
    async prepare(page) {
      await watchKeptData(page);
      await page.evaluateOnNewDocument(() => {
        window.korvadaLongTasks = [];
        new PerformanceObserver((list) => {
          for (const entry of list.getEntries()) window.korvadaLongTasks.push([entry.startTime, entry.duration]);
        }).observe({ type: 'longtask', buffered: true });
      });
      if (slowdown > 1) await page.emulateCPUThrottling(slowdown);
    },
  });
}

// The longest task of the page's thread that ended after its first frame,
// in ms (0 when none took over 50 ms, the shortest a long task is): the
// first frame's own task counts, and what it went on to do.
function longestTaskAfterFirstFrame(page) {
  return page.evaluate(() => Math.max(0, ...window.korvadaLongTasks
    .filter(([start, duration]) => start + duration > window.korvadaFirstFrameAt).map(([, duration]) => duration)));
}

// The page's way to its first frame: when each of its marks (korvada:*)
// fell, in ms since navigation, and when the game's wasm had arrived.
async function firstFrameAfter(page, address, stages) {
  await page.goto(address);
  await page.waitForFunction(() => window.korvadaFirstFrameAt !== undefined, { timeout: kWait });
  const { at, marks } = await page.evaluate(() => ({
    at: window.korvadaFirstFrameAt,
    marks: [
      ...performance.getEntriesByType('resource').filter((entry) => entry.name.endsWith('/korvada.wasm'))
        .map((entry) => ['korvada.wasm arrived', entry.responseEnd]),
      ...performance.getEntriesByType('mark').filter((entry) => entry.name.startsWith('korvada:'))
        .map((entry) => [entry.name.slice(8), entry.startTime]),
    ],
  }));
  for (const [name, time] of marks) (stages[name] ??= []).push(time);
  return at;
}

// The stages but the generator's steps (made ...), which printWork shows.
function printStages(title, stages) {
  console.log(`${title}, ms since navigation:`);
  for (const [name, times] of Object.entries(stages).sort((a, b) => median(a[1]) - median(b[1]))) {
    if (name.startsWith('made ')) continue;
    console.log(`  ${name.padEnd(22)} ${summary(times, 'ms')}${times.length < runs ? ` (${times.length} runs)` : ''}`);
  }
}

// The generator's work in each worker, step by step: each file or band of
// the ground from the end of the step before it (from 'generating' for the
// first), by the workers' marks.
function printWork(stages) {
  const steps = Object.keys(stages).map((name) => /^(made .*?|generating)(?: \(worker (\d+)\))?$/.exec(name))
    .filter(Boolean).map(([name, step, worker]) => ({ name, step, worker: Number(worker || 0) }));
  console.log('the generator\'s work on a first visit, ms, step by step in each worker:');
  for (const worker of [...new Set(steps.map((s) => s.worker))].sort()) {
    const mine = steps.filter((s) => s.worker === worker).sort((a, b) => median(stages[a.name]) - median(stages[b.name]));
    for (let i = 1; i < mine.length; ++i) {
      const took = stages[mine[i].name].map((time, run) => time - stages[mine[i - 1].name][run]);
      console.log(`  worker ${worker}: ${mine[i].step.padEnd(28)} ${summary(took, 'ms')}`);
    }
  }
}

const server = await startAppServer(dir);
try {
  const figures = { firstFrame: [], firstBytes: [], repeatFrame: [], repeatBytes: [], longTask: [] };
  const firstStages = {}, repeatStages = {};
  const address = `${server.origin}/index.html?code=0TYAY`;
  for (let run = 0; run < runs; ++run) {
    const browser = await openBrowser();
    try {
      const page = await benchPage(browser, 'about:blank', 800, 600);
      const before = server.bytes;
      figures.firstFrame.push(await firstFrameAfter(page, address, firstStages));
      // The round plays on while the worker stores the data.
      await waitDataKept(page);
      figures.longTask.push(await longestTaskAfterFirstFrame(page));
      await page.keyboard.press('Escape');
      await page.waitForFunction(() => JSON.parse(Module.ccall('korvadaState', 'string')).gameOver === 1, { timeout: kWait });
      await sleep(1700);
      await holdKeyUntilState(page, 'Space', 'form');
      await page.waitForFunction(() => navigator.serviceWorker.controller !== null, { timeout: kWait });
      await waitDataKept(page);
      const stored = await page.evaluate(() => performance.getEntriesByName('korvada:stored')[0]?.startTime);
      if (stored !== undefined) (firstStages.stored ??= []).push(stored);
      const afterFirst = server.bytes;
      figures.firstBytes.push(afterFirst - before);
      figures.repeatFrame.push(await firstFrameAfter(page, address, repeatStages));
      figures.repeatBytes.push(server.bytes - afterFirst);
      if (server.sent['korvada.data']) throw new Error('the page asked for korvada.data');
    } finally {
      await browser.close();
    }
  }
  console.log(`over ${runs} first visits, each in a fresh profile, and the repeat visit after each` +
              `${slowdown > 1 ? `, the page's thread ${slowdown} times slower (not the workers')` : ''}:`);
  console.log(`first visit, bytes sent (brotli): ${summary(figures.firstBytes.map((bytes) => bytes / 1024), 'KB', 1)}`);
  console.log(`first visit, time to first frame: ${summary(figures.firstFrame, 'ms')}`);
  console.log(`first visit, longest task of the page's thread from its first frame to the data stored: ${summary(figures.longTask, 'ms')}`);
  console.log(`repeat visit, bytes sent:         ${summary(figures.repeatBytes, 'B')}`);
  console.log(`repeat visit, time to first frame: ${summary(figures.repeatFrame, 'ms')}`);
  printStages('first visit', firstStages);
  printWork(firstStages);
  printStages('repeat visit', repeatStages);

  const browser = await openBrowser();
  try {
    for (const [bottles, code] of [[4, '0TYAN'], [61, '0TY~N']]) {
      const page = await benchPage(browser, `${server.origin}/index.html?code=${code}`);
      await waitFrames(page, 30);
      const count = () => page.evaluate(() => JSON.parse(Module.ccall('korvadaState', 'string')).frames);
      const start = [await count(), Date.now()];
      await sleep(seconds * 1000);
      const end = [await count(), Date.now()];
      const fps = ((end[0] - start[0]) * 1000) / (end[1] - start[1]);
      console.log(`${bottles} bottles at 800 x 600: ${fps.toFixed(1)} frames per second over ${seconds} s`);
      if (shots && bottles === 4) savePicture(await canvasPicture(page), path.join(shots, 'web-frame.png'));
      await page.close();
    }

    if (shots) {
      const page = await benchPage(browser, `${server.origin}/index.html`);
      await waitState(page, 'form');
      await page.screenshot({ path: path.join(shots, 'web-form.png') });
      await page.close();
    }
  } finally {
    await browser.close();
  }
} finally {
  await server.close();
}
