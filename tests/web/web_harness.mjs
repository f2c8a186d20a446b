// The browser program's test bench: a static server on 127.0.0.1 for the
// build's web folder, headless Chromium driven through the DevTools protocol
// by puppeteer-core, and the few things the tests and measurements do to the
// page. Shared by the *_test.mjs files and bench/web/web_bench.mjs.

import { execFileSync } from 'node:child_process';
import crypto from 'node:crypto';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import { PNG } from 'pngjs';
import puppeteer from 'puppeteer-core';

export const contentTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
};

// Serves `dir` on a free port of 127.0.0.1 only; resolves to { origin, close }.
export async function startServer(dir) {
  const root = path.resolve(dir);
  const server = http.createServer((request, response) => {
    const file = path.join(root, decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname));
    if (!file.startsWith(root + path.sep)) {
      response.writeHead(403).end();
      return;
    }
    fs.readFile(file, (error, body) => {
      if (error) {
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, { 'Content-Type': contentTypes[path.extname(file)] || 'application/octet-stream' });
      response.end(body);
    });
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  return {
    origin: `http://127.0.0.1:${server.address().port}`,
    close: () => new Promise((resolve) => server.close(resolve)),
  };
}

// A static host on 127.0.0.1 as a real one is set up: it sends the build's
// .br/.gz copies the way a host with precompressed files does, and answers
// a request that names the file's current ETag with 304 and no body. It
// counts what it sends: bytes (bodies), and per file the bodies sent
// (`sent`). `edit(name, bytes)` may return other bytes for a file (a newer
// deployment); resolves to the state, with origin and close().
export async function startAppServer(dir) {
  const root = path.resolve(dir);
  const state = { bytes: 0, encodings: {}, sent: {}, edit: null };
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname).slice(1) || 'index.html';
    const file = path.join(root, name);
    if (!file.startsWith(root + path.sep) || !fs.existsSync(file)) {
      response.writeHead(404).end();
      return;
    }
    const headers = { 'Content-Type': contentTypes[path.extname(file)] || 'application/octet-stream', 'Vary': 'Accept-Encoding' };
    let body = fs.readFileSync(file);
    const edited = state.edit?.(name, body);
    if (edited) body = edited;
    headers['ETag'] = `"${crypto.createHash('sha256').update(body).digest('hex').slice(0, 16)}"`;
    if (request.headers['if-none-match'] === headers['ETag']) {
      response.writeHead(304, headers).end();
      return;
    }
    const accepted = request.headers['accept-encoding'] || '';
    for (const [encoding, suffix] of [['br', '.br'], ['gzip', '.gz']]) {
      if (!edited && accepted.includes(encoding) && fs.existsSync(file + suffix)) {
        body = fs.readFileSync(file + suffix);
        headers['Content-Encoding'] = encoding;
        break;
      }
    }
    state.encodings[name] = headers['Content-Encoding'] || 'identity';
    state.sent[name] = (state.sent[name] || 0) + 1;
    headers['Content-Length'] = body.length;
    state.bytes += body.length;
    response.writeHead(200, headers);
    response.end(body);
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  state.origin = `http://127.0.0.1:${server.address().port}`;
  state.close = () => new Promise((resolve) => {
    server.close(resolve);
    server.closeAllConnections();
  });
  return state;
}

// Headless Chromium on SwiftShader's WebGL, with a fresh profile that is
// removed again on close. The DevTools protocol runs over a pipe: no port.
// The page is composited in software: the same pictures for about a tenth
// less processor time than SwiftShader compositing them too (the browser
// tests took 260 CPU-seconds instead of 306).
export const kChromium = process.env.CHROMIUM || '/usr/bin/chromium';
export const kChromiumArgs = [
  '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader', '--disable-gpu-compositing',
  '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
];
export async function openBrowser() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'korvada-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: kChromium, headless: true, pipe: true, userDataDir: profile, args: kChromiumArgs,
  });
  const close = browser.close.bind(browser);
  browser.close = async () => {
    await close();
    fs.rmSync(profile, { recursive: true, force: true });
  };
  return browser;
}

// The browser a case plays in: a fresh context (its own storage, cache and
// workers, nothing kept from the case before) of the browser its ctest lane
// keeps running (lane_browser.mjs; KORVADA_BROWSER names the file with its
// DevTools address), which saves each case a browser's start; a browser of
// its own when it runs alone, or when the lane's is gone. close() ends what
// the case had.
async function caseBrowser() {
  const lane = process.env.KORVADA_BROWSER;
  if (lane && fs.existsSync(lane)) {
    try {
      const shared = await puppeteer.connect({ browserWSEndpoint: JSON.parse(fs.readFileSync(lane, 'utf8')).endpoint });
      const context = await shared.createBrowserContext();
      context.userAgent = () => shared.userAgent();
      const close = context.close.bind(context);
      context.close = async () => {
        await close().catch(() => {});
        await shared.disconnect();
      };
      return context;
    } catch (error) {
      console.error(`the lane's browser (${lane}) does not answer: ${error.message}; a browser of its own`);
    }
  }
  return openBrowser();
}

// Emscripten's OpenGL emulation announces itself on every start, and the
// software compositing above reads each WebGL frame back, which the GL
// driver notes; anything else the console calls a warning or an error counts
// as a problem.
const knownNotices = [
  /^WARNING: using emscripten GL (immediate mode )?emulation/,
  /^\[\.WebGL-\w+\]GL Driver Message \(OpenGL, Performance, \w+, High\): GPU stall due to ReadPixels/,
];

// A page of the given size whose console errors, warnings and uncaught
// exceptions collect in page.problems; with `touch`, a phone's page (touch
// screen, mobile viewport) under the given `userAgent`; `prepare(page)` runs
// before the page is loaded.
// Its whole console, with what failed to load, collects in page.console: a
// failing case keeps it (keepEvidence).
export async function openPage(browser, url, width = 800, height = 600, { touch = false, userAgent, prepare } = {}) {
  const page = await browser.newPage();
  page.problems = [];
  page.console = [];
  const seconds = () => (performance.now() / 1000).toFixed(3);
  page.on('console', (message) => {
    const type = message.type();
    page.console.push(`${seconds()} ${type}: ${message.text()}`);
    if ((type === 'error' || type === 'warn' || type === 'warning') &&
        !knownNotices.some((notice) => notice.test(message.text())))
      page.problems.push(`${type}: ${message.text()}`);
  });
  page.on('pageerror', (error) => {
    page.console.push(`${seconds()} uncaught: ${error.stack || error.message}`);
    page.problems.push(`uncaught: ${error.message}`);
  });
  page.on('requestfailed', (request) =>
    page.console.push(`${seconds()} failed to load: ${request.url()} (${request.failure()?.errorText})`));
  page.on('framenavigated', (frame) => {
    if (frame === page.mainFrame()) page.console.push(`${seconds()} at ${frame.url()}`);
  });
  if (userAgent) await page.setUserAgent(userAgent);
  await page.setViewport({ width, height, isMobile: touch, hasTouch: touch });
  if (prepare) await prepare(page);
  await page.goto(url);
  return page;
}

// Every wait returns as soon as its condition holds and gives up only after
// what a busy two-core machine needs: a software-rendering browser beside
// other tests draws a frame in hundreds of milliseconds.
export const kWait = 60000;

// The page's state: loading, form, playing, held (a test round's frame limit).
export async function waitState(page, state, timeout = kWait) {
  await page.waitForFunction((wanted) => document.documentElement.dataset.state === wanted, { timeout }, state);
}

export const pageState = (page) => page.evaluate(() => document.documentElement.dataset.state);

// The round as the game sees it: frames, camera (1..6), the player's x, y, z,
// gameOver, roundOn and the number of keys held (any device).
export async function gameState(page) {
  return JSON.parse(await page.evaluate(() => Module.ccall('korvadaState', 'string')));
}

export async function waitFrames(page, count, timeout = kWait) {
  await page.waitForFunction(
    (wanted) => JSON.parse(Module.ccall('korvadaState', 'string')).frames >= wanted, { timeout }, count);
}

// window.keptRecord() in every document of the page from now on: the record
// of the game's data the page keeps in IndexedDB (undefined when there is
// none), read without making the database where there is none.
export async function watchKeptData(page) {
  await page.evaluateOnNewDocument(() => {
    window.keptRecord = async () => {
      if (!(await indexedDB.databases()).some((database) => database.name === 'korvada-data')) return undefined;
      return new Promise((resolve, reject) => {
        const opening = indexedDB.open('korvada-data');
        opening.onerror = () => reject(opening.error);
        opening.onsuccess = () => {
          const database = opening.result;
          const reading = database.transaction('data').objectStore('data').get('files');
          reading.onsuccess = () => {
            database.close();
            resolve(reading.result);
          };
          reading.onerror = () => reject(reading.error);
        };
      });
    };
  });
}

// Until the page has kept the game's data (after watchKeptData).
export async function waitDataKept(page) {
  await page.waitForFunction(() => window.keptRecord().then((record) => record !== undefined), { timeout: kWait, polling: 200 });
}

export const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// A key held down for `ms`, long enough for the game's frames to see it.
export async function holdKey(page, key, ms = 150) {
  await page.keyboard.down(key);
  await sleep(ms);
  await page.keyboard.up(key);
}

// A key held until the page reaches `state` (a frame may take long to see it).
export async function holdKeyUntilState(page, key, state) {
  await page.keyboard.down(key);
  try {
    await waitState(page, state);
  } finally {
    await page.keyboard.up(key);
  }
}

// What the player sees of the game: the canvas as the browser shows it.
export async function canvasPicture(page) {
  const box = await (await page.$('#canvas')).boundingBox();
  return PNG.sync.read(Buffer.from(await page.screenshot({ clip: box, type: 'png' })));
}

// korvada-shot's frame of the same round, drawn offscreen from the data folder.
export function shotPicture(args) {
  const out = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'korvada-shot-')), 'shot.png');
  execFileSync(process.env.KORVADA_SHOT, [...args, '--out', out], { cwd: process.env.KORVADA_DATA_DIR, timeout: kWait });
  const picture = PNG.sync.read(fs.readFileSync(out));
  fs.rmSync(path.dirname(out), { recursive: true, force: true });
  return picture;
}

// The share of pixels whose red, green or blue differs by more than
// `threshold` (0..255) between two pictures of the same size.
export function differingShare(a, b, threshold) {
  if (a.width !== b.width || a.height !== b.height)
    throw new Error(`pictures of different sizes: ${a.width}x${a.height} and ${b.width}x${b.height}`);
  let differing = 0;
  for (let i = 0; i < a.data.length; i += 4) {
    if (Math.abs(a.data[i] - b.data[i]) > threshold || Math.abs(a.data[i + 1] - b.data[i + 1]) > threshold ||
        Math.abs(a.data[i + 2] - b.data[i + 2]) > threshold)
      ++differing;
  }
  return differing / (a.width * a.height);
}

export function savePicture(picture, file) {
  fs.writeFileSync(file, PNG.sync.write(picture));
}

// keepEvidence(browser, error): what each open page of a failed case showed
// and said, in KORVADA_EVIDENCE (ctest sets build/test-evidence/TEST) or a
// new temporary folder: page-N.png, and page-N.txt with its address, state,
// the round's state and its console (openPage's). Prints the folder.
async function keepEvidence(browser, error) {
  const dir = process.env.KORVADA_EVIDENCE || fs.mkdtempSync(path.join(os.tmpdir(), 'korvada-web-evidence-'));
  fs.rmSync(dir, { recursive: true, force: true });
  fs.mkdirSync(dir, { recursive: true });
  fs.writeFileSync(path.join(dir, 'error.txt'), `${error?.stack || error}\n`);
  const pages = browser ? await browser.pages().catch(() => []) : [];
  for (const [n, page] of pages.entries()) {
    const within = (promise) => Promise.race([promise, sleep(10000).then(() => 'no answer in 10 s')])
      .catch((problem) => `${problem.message}`);
    const state = await within(page.evaluate(() => JSON.stringify({
      state: document.documentElement.dataset.state, visibility: document.visibilityState,
      round: globalThis.Module?.ccall?.('korvadaState', 'string'),
    })));
    // A hidden page draws no frame to take, and would hold up the next page's picture.
    const shot = state.includes('"visibility":"visible"')
      ? await within(page.screenshot({ path: path.join(dir, `page-${n + 1}.png`) }).then(() => `page-${n + 1}.png`))
      : 'none: the page is not shown';
    fs.writeFileSync(path.join(dir, `page-${n + 1}.txt`),
      [`address: ${page.url()}`, `screenshot: ${shot}`, `state: ${state}`, 'console:',
        ...(page.console ?? ['(not recorded)'])].join('\n') + '\n');
  }
  console.error(`evidence kept in ${dir}: ${fs.readdirSync(dir).join(' ')}`);
}

// A test file's main: runs the case named on the command line,
//   node FILE CASE
// on a fresh server (`serve(dir)`, by default startServer) for KORVADA_WEB_DIR
// and a fresh browser context (caseBrowser). The case gets { server, browser,
// open }, where open(address, width, height, options) opens a page of the
// server. Exit 0 when the case passed, 1 when it failed or outlived
// `limitSeconds` (keeping its evidence), 2 for an unknown case.
export async function runCases(cases, { serve = startServer, limitSeconds = 240 } = {}) {
  const name = process.argv[2];
  if (!(name in cases)) {
    console.error(`usage: node ${path.basename(process.argv[1])} CASE, one of: ${Object.keys(cases).join(' ')}`);
    process.exit(2);
  }
  let server;
  let browser;
  let timer;
  try {
    server = await serve(process.env.KORVADA_WEB_DIR);
    browser = await caseBrowser();
    const open = (address, ...rest) => openPage(browser, server.origin + address, ...rest);
    await Promise.race([
      cases[name]({ server, browser, open }),
      new Promise((_, reject) => {
        timer = setTimeout(() => reject(new Error(`timed out after ${limitSeconds} s`)), limitSeconds * 1000);
      }),
    ]);
    console.log(`${name}: passed`);
  } catch (error) {
    console.error(error);
    process.exitCode = 1;
    await keepEvidence(browser, error).catch((problem) => console.error(`no evidence kept: ${problem.message}`));
  } finally {
    clearTimeout(timer);
    await browser?.close();
    await server?.close();
  }
}
