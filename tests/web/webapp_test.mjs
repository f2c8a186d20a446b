// The browser program as an installable web app, in headless Chromium:
//
//   node webapp_test.mjs CASE
//
// with KORVADA_WEB_DIR the web build's folder. The server here sends the
// build's .br/.gz copies the way a static host with precompressed files does,
// counts the bytes it sends and can be switched to a newer deployment or off.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import http from 'node:http';
import path from 'node:path';
import {
  contentTypes, gameState, holdKey, holdKeyUntilState, kWait, openBrowser, openPage, runCases, sleep, waitFrames,
  waitState,
} from './web_harness.mjs';

// A static server on 127.0.0.1. `edit(name, bytes)` may return other bytes
// for a file (a newer deployment); `slowData` sends korvada.data in slices.
async function startAppServer(dir) {
  const root = path.resolve(dir);
  const state = { bytes: 0, encodings: {}, edit: null, slowData: false };
  const server = http.createServer(async (request, response) => {
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
    const accepted = request.headers['accept-encoding'] || '';
    for (const [encoding, suffix] of [['br', '.br'], ['gzip', '.gz']]) {
      if (!edited && accepted.includes(encoding) && fs.existsSync(file + suffix)) {
        body = fs.readFileSync(file + suffix);
        headers['Content-Encoding'] = encoding;
        break;
      }
    }
    state.encodings[name] = headers['Content-Encoding'] || 'identity';
    headers['Content-Length'] = body.length;
    state.bytes += body.length;
    response.writeHead(200, headers);
    if (state.slowData && name === 'korvada.data') {
      for (let at = 0; at < body.length; at += 1 << 20) {
        response.write(body.subarray(at, at + (1 << 20)));
        await sleep(150);
      }
      response.end();
    } else {
      response.end(body);
    }
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  state.origin = `http://127.0.0.1:${server.address().port}`;
  state.close = () => new Promise((resolve) => {
    server.close(resolve);
    server.closeAllConnections();
  });
  return state;
}

// A page in a browser whose languages are `languages` (Accept-Language and
// navigator.languages), collecting console errors and warnings.
function openPageIn(browser, url, languages) {
  return openPage(browser, url, 800, 600, {
    async prepare(page) {
      const session = await page.createCDPSession();
      await session.send('Emulation.setUserAgentOverride', { userAgent: await browser.userAgent(), acceptLanguage: languages });
      page.session = session;
      // Every text of the Play button, the loading line's among them.
      await page.evaluateOnNewDocument(() => {
        window.playTexts = [];
        new MutationObserver(() => {
          const text = document.getElementById('play')?.textContent;
          if (text && text !== window.playTexts.at(-1)) window.playTexts.push(text);
        }).observe(document, { subtree: true, childList: true, characterData: true });
      });
    },
  });
}

const labels = (page) => page.$$eval('#setup label > span', (spans) => spans.map((s) => s.textContent));
const formValues = (page) => page.evaluate(() => [
  document.getElementById('size').value, document.getElementById('bottles').value,
  document.getElementById('blending').checked, document.getElementById('sound').checked,
  document.getElementById('fullscreen').checked]);

async function waitControlled(page) {
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, { timeout: kWait });
  return page.evaluate(() => caches.keys());
}

// A round from the form: frames drawn, Esc, the end screen, Space, the form again.
async function playRound(page) {
  await page.click('#play');
  await waitState(page, 'playing');
  await waitFrames(page, 30);
  await holdKey(page, 'Escape', 50);
  await sleep(1800);
  // Held until the form is back: on a busy machine a frame that sees it
  // past the end screen's 1.6 s may come late.
  await holdKeyUntilState(page, 'Space', 'form');
}

const cases = {
  // Chromium's own reading of the manifest finds nothing wrong; its icons,
  // and the favicon, load at their sizes.
  async manifest_and_icons({ server, browser }) {
    const page = await openPageIn(browser, `${server.origin}/`, 'cs');
    await waitState(page, 'form');
    const { errors, data } = await page.session.send('Page.getAppManifest');
    assert.deepEqual(errors, []);
    const manifest = JSON.parse(data);
    assert.equal(manifest.name, 'Korvada');
    assert.ok(['standalone', 'fullscreen'].includes(manifest.display));
    assert.equal(manifest.orientation, 'landscape');
    assert.match(manifest.theme_color, /^#[0-9a-f]{6}$/);
    assert.match(manifest.background_color, /^#[0-9a-f]{6}$/);
    const icons = [...manifest.icons.map((icon) => [icon.src, icon.sizes]),
                   [await page.$eval('link[rel=icon]', (link) => link.getAttribute('href')), '32x32']];
    assert.deepEqual(manifest.icons.map((icon) => icon.sizes).sort(), ['192x192', '512x512']);
    for (const [src, sizes] of icons) {
      const loaded = await page.evaluate((url) => new Promise((resolve) => {
        const image = new Image();
        image.onload = () => resolve(`${image.naturalWidth}x${image.naturalHeight}`);
        image.onerror = () => resolve('failed');
        image.src = url;
      }), src);
      assert.equal(loaded, sizes, src);
    }
    await waitControlled(page);
    const { installabilityErrors } = await page.session.send('Page.getInstallabilityErrors');
    assert.deepEqual(installabilityErrors, []);
    assert.deepEqual(page.problems, []);
  },

  // The worker takes control and keeps the build's files in one cache named
  // for it; with the server gone, a reload shows the form and plays a round.
  // The files came precompressed, and the repeat visit costs almost nothing.
  async offline_reload({ server, browser }) {
    const page = await openPageIn(browser, `${server.origin}/index.html`, 'cs');
    await waitState(page, 'form');
    const cachesNow = await waitControlled(page);
    assert.equal(cachesNow.length, 1);
    assert.match(cachesNow[0], /^korvada-\d+\.\d+\.\d+-[0-9a-f]{12}-precache-/);
    assert.notEqual(server.encodings['korvada.data'], 'identity', 'the data came precompressed');
    const firstVisit = server.bytes;

    await page.reload();
    await waitState(page, 'form');
    const repeatVisit = server.bytes - firstVisit;
    console.log(`bytes sent: first visit ${firstVisit} (page and worker), repeat visit ${repeatVisit}`);
    assert.ok(repeatVisit < 50000, `the repeat visit downloaded ${repeatVisit} bytes`);

    await server.close();
    await page.reload();
    await waitState(page, 'form');
    await playRound(page);
    assert.deepEqual(page.problems, []);
  },

  // A newer deployment (another index.html and another worker) installs on
  // the next visit, deletes the older cache, and is the page from then on.
  async new_deployment({ server, browser }) {
    const page = await openPageIn(browser, `${server.origin}/index.html`, 'cs');
    await waitState(page, 'form');
    const [older] = await waitControlled(page);

    server.edit = (name, body) => {
      if (name === 'index.html') return Buffer.from(body.toString().replace('<title>Korvada</title>', '<title>Korvada 2</title>'));
      if (name === 'sw.js') return Buffer.from(body.toString().replace(/korvada-(\d+\.\d+\.\d+)-[0-9a-f]{12}/g, 'korvada-$1-000000000002'));
      return undefined;
    };
    await page.reload();
    await waitState(page, 'form');
    await page.waitForFunction((name) => caches.keys().then((names) => names.length === 1 && names[0] !== name),
                               { timeout: kWait, polling: 500 }, older);
    await page.reload();
    await waitState(page, 'form');
    assert.equal(await page.title(), 'Korvada 2');
    assert.match((await page.evaluate(() => caches.keys()))[0], /-000000000002-precache-/);
  },

  // The page speaks the browser's language: the setup dialog's own labels,
  // and a loading line with the download's size.
  async language({ server, browser }) {
    server.slowData = true;
    const expected = {
      'en-US,en': { lang: 'en', loading: /^Loading… \d+ % of \d+(\.\d)? MB$/,
                    labels: ['Resolution', 'Bottles', 'Blending (translucent bottles)', 'Sound', 'Full screen'], play: 'Play' },
      'cs-CZ,cs': { lang: 'cs', loading: /^Načítání… \d+ % z \d+(,\d)? MB$/,
                    labels: ['Rozlišení', 'Počet lahví', 'Průhlednost (blending)', 'Zvuk', 'Celá obrazovka'], play: 'Hrát' },
    };
    for (const [languages, want] of Object.entries(expected)) {
      // A browser of its own, which has not kept the data from the last one.
      const own = await openBrowser();
      const page = await openPageIn(own, `${server.origin}/index.html`, languages);
      await waitState(page, 'form');
      const lines = await page.evaluate(() => window.playTexts);
      assert.ok(lines.some((line) => want.loading.test(line)), lines.join(' | '));
      assert.equal(await page.evaluate(() => document.documentElement.lang), want.lang);
      assert.deepEqual(await labels(page), want.labels);
      assert.equal(await page.$eval('#play', (button) => button.textContent), want.play);
      assert.deepEqual(page.problems, []);
      await own.close();
    }
  },

  // Play keeps the form's choice for the next visit; a stored choice the
  // game would refuse, or that is no choice at all, leaves the defaults.
  async form_remembered({ server, browser }) {
    const page = await openPageIn(browser, `${server.origin}/index.html`, 'cs');
    await waitState(page, 'form');
    const defaults = await formValues(page);
    assert.deepEqual(defaults, ['0', '4', true, true, false]);
    await page.select('#size', '3');
    await page.$eval('#bottles', (input) => { input.value = '7'; });
    await page.click('#blending');
    await page.click('#sound');
    await page.click('#fullscreen');
    await page.click('#play');
    await waitState(page, 'playing');
    await page.goto(`${server.origin}/index.html`);
    await waitState(page, 'form');
    assert.deepEqual(await formValues(page), ['3', '7', false, false, true]);

    for (const stored of ['{"code":"9TYAY","fullscreen":true}', '{"code":"3TNHN "}', '{"code":"3TN@N"}', '"3TNHN"', 'null', '{',
                          '{"code":"0TYAY","fullscreen":"yes"}']) {
      await page.evaluate((value) => localStorage.setItem('korvada.form', value), stored);
      await page.reload();
      await waitState(page, 'form');
      assert.deepEqual(await formValues(page), defaults, stored);
      assert.equal(await page.$('#error[open]'), null, `${stored}: no message for a stored value`);
    }
    assert.deepEqual(page.problems, []);
  },

  // A lost WebGL context stops the round with a message; its button brings
  // the form back, and a new round plays.
  async context_lost({ server, browser }) {
    const page = await openPageIn(browser, `${server.origin}/index.html?code=0TYAN`, 'en-US');
    await waitState(page, 'playing');
    await waitFrames(page, 10);
    await page.evaluate(() => GLctx.getExtension('WEBGL_lose_context').loseContext());
    await page.waitForSelector('#lost[open]', { timeout: kWait });
    assert.match(await page.$eval('#lost', (box) => box.textContent), /WebGL context was lost/);
    const stopped = await gameState(page);
    assert.equal(stopped.roundOn, 0);
    await sleep(300);
    assert.equal((await gameState(page)).frames, stopped.frames, 'no frames on a lost context');

    await page.click('#back');
    await waitState(page, 'form');
    assert.equal(new URL(page.url()).searchParams.has('code'), false);
    await playRound(page);
    assert.deepEqual(page.problems, []);
  },
};

runCases(cases, { serve: startAppServer, limitSeconds: 150 });
