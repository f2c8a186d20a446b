// The browser program's figures in headless Chromium: download sizes, time to
// the first frame, and frames per second at 4 and 61 bottles.
//
//   node bench/web/web_bench.mjs build-web [--runs N] [--seconds S] [--shots DIR]
//
// Needs the browser tests' node packages (npm ci in tests/web). Time to the
// first frame counts from navigation to the end of the first animation frame
// the game drew, with the page, script, wasm and data served from 127.0.0.1.
// --shots saves the form and a game frame as PNG files.

import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import {
  canvasPicture, kWait, openBrowser, openPage, savePicture, sleep, startServer, waitFrames, waitState,
} from '../../tests/web/web_harness.mjs';

const args = process.argv.slice(2);
const option = (name, otherwise) => (args.includes(name) ? args[args.indexOf(name) + 1] : otherwise);
const dir = args[0];
const runs = Number(option('--runs', 5));
const seconds = Number(option('--seconds', 5));
const shots = option('--shots', null);
if (!dir || !fs.existsSync(path.join(dir, 'index.html'))) {
  console.error('usage: node bench/web/web_bench.mjs BUILD-WEB-DIR [--runs N] [--seconds S] [--shots DIR]');
  process.exit(2);
}

const kb = (bytes) => `${(bytes / 1024).toFixed(1)} KB`;
let plain = 0, packed = 0;
console.log('file            plain        gzip -9');
for (const name of ['index.html', 'korvada.js', 'korvada.wasm', 'korvada.data']) {
  const body = fs.readFileSync(path.join(dir, name));
  const gzip = zlib.gzipSync(body, { level: 9 }).length;
  plain += body.length;
  packed += gzip;
  console.log(`${name.padEnd(14)} ${kb(body.length).padStart(11)} ${kb(gzip).padStart(12)}`);
}
console.log(`${'all'.padEnd(14)} ${kb(plain).padStart(11)} ${kb(packed).padStart(12)}`);

const server = await startServer(dir);
const browser = await openBrowser();
try {
  const firstFrames = [];
  for (let run = 0; run < runs; ++run) {
    const page = await openPage(browser, `${server.origin}/index.html?code=0TYAY`);
    await page.waitForFunction(() => window.korvadaFirstFrameAt !== undefined, { timeout: kWait });
    firstFrames.push(await page.evaluate(() => window.korvadaFirstFrameAt));
    await page.close();
  }
  firstFrames.sort((a, b) => a - b);
  console.log(`time to first frame over ${runs} loads: median ${firstFrames[runs >> 1].toFixed(0)} ms, ` +
              `${firstFrames[0].toFixed(0)}-${firstFrames[runs - 1].toFixed(0)} ms`);

  for (const [bottles, code] of [[4, '0TYAN'], [61, '0TY~N']]) {
    const page = await openPage(browser, `${server.origin}/index.html?code=${code}`);
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
    const page = await openPage(browser, `${server.origin}/index.html`);
    await waitState(page, 'form');
    await page.screenshot({ path: path.join(shots, 'web-form.png') });
    await page.close();
  }
} finally {
  await browser.close();
  await server.close();
}
