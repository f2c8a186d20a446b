// The browser program as an installable web app, in headless Chromium:
//
//   node webapp_test.mjs CASE
//
// with KORVADA_WEB_DIR the web build's folder and KORVADA_DATA_DIR the
// desktop build's data folder. The server here sends the build's .br/.gz
// copies the way a static host with precompressed files does, counts what it
// sends and can be switched to a newer deployment or off.

import assert from 'node:assert/strict';
import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import {
  gameState, holdKey, holdKeyUntilState, kWait, openBrowser, openPage, pageState, runCases, sleep, startAppServer, waitDataKept,
  waitFrames, waitState, watchKeptData,
} from './web_harness.mjs';

// A page in a browser whose languages are `languages` (Accept-Language and
// navigator.languages), collecting console errors and warnings.
function openPageIn(browser, url, languages) {
  return openPage(browser, url, 800, 600, {
    async prepare(page) {
      const session = await page.createCDPSession();
      await session.send('Emulation.setUserAgentOverride', { userAgent: await browser.userAgent(), acceptLanguage: languages });
      page.session = session;
      await watchKeptData(page);
      // Every text of the Play button, the loading line's among them, and
      // every task of the page's thread over 50 ms: [start, duration].
      await page.evaluateOnNewDocument(() => {
        window.longTasks = [];
        new PerformanceObserver((list) => {
          for (const entry of list.getEntries()) window.longTasks.push([entry.startTime, entry.duration]);
        }).observe({ type: 'longtask', buffered: true });
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

const sha256 = (bytes) => crypto.createHash('sha256').update(bytes).digest('hex');

// What the build's worker keeps, from its own list: the name of its cache
// and the files.
const builtWorker = () => fs.readFileSync(path.join(process.env.KORVADA_WEB_DIR, 'sw.js'), 'utf8');
const kBuild = JSON.parse(/^const kBuild = (\{[\s\S]*?\n\});/.exec(builtWorker())[1]);

async function waitControlled(page) {
  await page.waitForFunction(() => navigator.serviceWorker.controller !== null, { timeout: kWait });
  return page.evaluate(() => caches.keys());
}

// A round from the form: frames drawn, Esc, the end screen, Space, the form again.
async function playRound(page) {
  await page.click('#play');
  await waitState(page, 'playing');
  await endRound(page);
}

async function endRound(page) {
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

  // A first visit by a link plays with the data made in the browser, not
  // downloaded, and the generator's worker stores it while the round plays:
  // from the first frame until the data is stored, the page's thread, which
  // never copies the data, spends no task over 50 ms of its own processor
  // time (the long tasks a longtask observer reports, which a loaded machine
  // lengthens with waits for the compositor, named in a failure). After the
  // round the service worker keeps the files. The page and the workers get
  // each file from the server once, precompressed. A repeat visit downloads
  // nothing and, the data kept, does not load the generator; with the server
  // gone a reload plays.
  async offline_reload({ server, browser }) {
    const page = await openPageIn(browser, 'about:blank', 'cs');
    await page.tracing.start({ categories: ['toplevel', 'blink.user_timing'] });
    await page.goto(`${server.origin}/index.html?code=0TYAN`);
    await waitState(page, 'playing');
    // The stored mark, not the record: reading it back would be the page's own work.
    await page.waitForFunction(() => performance.getEntriesByName('korvada:stored').length > 0, { timeout: kWait });
    const events = JSON.parse(Buffer.from(await page.tracing.stop()).toString()).traceEvents;
    const firstFrame = events.find((event) => event.name === 'korvada:first-frame');
    const tasks = events.filter((event) => event.name === 'ThreadControllerImpl::RunTask' && event.ph === 'X' &&
                                           event.tid === firstFrame.tid && event.ts + event.dur > firstFrame.ts);
    const busiest = Math.max(...tasks.map((task) => task.tdur ?? 0)) / 1000;
    const longTasks = await page.evaluate(() => window.longTasks.filter(([start, duration]) =>
      start + duration > window.korvadaFirstFrameAt));
    assert.ok(busiest <= 50, `the page's thread spent ${busiest.toFixed(0)} ms on a task after the first frame; ` +
              `long tasks: ${longTasks.map(([, duration]) => `${duration.toFixed(0)} ms`).join(', ')}`);
    await endRound(page);
    const cachesNow = await waitControlled(page);
    assert.deepEqual(cachesNow, [kBuild.cache]);
    await waitDataKept(page);
    assert.equal(server.sent['korvada.data'], undefined, 'korvada.data was asked for');
    assert.deepEqual(Object.keys(server.sent).sort(), [...Object.keys(kBuild.files), 'sw.js'].sort());
    for (const [name, count] of Object.entries(server.sent)) assert.equal(count, 1, `${name} was sent ${count} times`);
    for (const name of ['index.html', 'korvada.js', 'korvada.wasm', 'korvada-datagen.wasm'])
      assert.equal(server.encodings[name], 'br', name);
    const firstVisit = server.bytes;

    await page.goto(`${server.origin}/index.html`);
    await waitState(page, 'form');
    const repeatVisit = server.bytes - firstVisit;
    console.log(`bytes sent: first visit ${firstVisit} (page and worker), repeat visit ${repeatVisit}`);
    assert.equal(repeatVisit, 0, `the repeat visit downloaded ${repeatVisit} bytes`);
    const loaded = await page.evaluate(() => performance.getEntriesByType('resource').map((entry) => entry.name));
    assert.ok(!loaded.some((name) => name.endsWith('/korvada-datagen.js')), loaded.join(' '));

    await server.close();
    await page.reload();
    await waitState(page, 'form');
    await playRound(page);
    assert.deepEqual(page.problems, []);
  },

  // The files the game reads are the desktop build's data folder, byte for
  // byte, and so are the ones kept for the next visit, whatever the number
  // of workers that made them: one on a device with one core, three on one
  // with three (this machine's two make it in the other cases).
  async data_as_desktop({ server, browser }) {
    const page = await openPageIn(browser, 'about:blank', 'en-US');
    const desktop = {};
    for (const name of fs.readdirSync(process.env.KORVADA_DATA_DIR))
      desktop[name] = sha256(fs.readFileSync(path.join(process.env.KORVADA_DATA_DIR, name)));
    assert.equal(Object.keys(desktop).length, 13);
    for (const cores of [1, 3]) {
      await page.session.send('Storage.clearDataForOrigin', { origin: server.origin, storageTypes: 'all' });
      await page.session.send('Emulation.setHardwareConcurrencyOverride', { hardwareConcurrency: cores });
      await page.goto(`${server.origin}/index.html`);
      await waitState(page, 'form');
      await waitDataKept(page);
      const [game, kept, workers] = await page.evaluate(async () => {
        const digests = async (files) => Object.fromEntries(await Promise.all(Object.entries(files).map(async ([name, bytes]) => [
          name, Array.from(new Uint8Array(await crypto.subtle.digest('SHA-256', bytes)),
                           (byte) => byte.toString(16).padStart(2, '0')).join('')])));
        const inGame = Object.fromEntries(Module.FS.readdir('/').filter((name) => Module.FS.isFile(Module.FS.stat(`/${name}`).mode))
                                                               .map((name) => [name, Module.FS.readFile(`/${name}`)]));
        const bands = performance.getEntriesByType('mark').filter((mark) => mark.name.startsWith('korvada:made ground rows'));
        return [await digests(inGame), await digests(await window.keptRecord().then((record) => record.files)), bands.length];
      });
      assert.equal(workers, cores, `bands of the ground made with ${cores} cores`);
      assert.deepEqual(game, desktop, `the game's files, made by ${cores} workers`);
      assert.deepEqual(kept, desktop, `the files kept, made by ${cores} workers`);
    }
  },

  // Storage cleared, the next visit makes the data again and plays. A
  // browser that cannot keep it (here: a quota too small) plays all the
  // same, says why, and makes the data again on the next visit.
  async storage_cleared_or_full({ server, browser }) {
    const page = await openPageIn(browser, `${server.origin}/index.html`, 'en-US');
    await waitState(page, 'form');
    await waitDataKept(page);
    await page.session.send('Storage.clearDataForOrigin', { origin: server.origin, storageTypes: 'all' });
    assert.equal(await page.evaluate(() => window.keptRecord()), undefined);
    await page.goto(`${server.origin}/index.html?code=0TYAN`);
    await waitState(page, 'playing');
    await waitFrames(page, 30);
    assert.ok((await page.evaluate(() => window.playTexts)).includes('Preparing the landscape… 0\u00a0%'));
    await waitDataKept(page);

    await page.session.send('Storage.clearDataForOrigin', { origin: server.origin, storageTypes: 'all' });
    await page.session.send('Storage.overrideQuotaForOrigin', { origin: server.origin, quotaSize: 4 << 20 });
    for (const visit of [1, 2]) {
      await page.goto(`${server.origin}/index.html`);
      await waitState(page, 'form');
      await page.waitForSelector('#data-line:not([hidden])', { timeout: kWait });
      assert.equal(await page.$eval('#data-line', (line) => line.textContent),
                   'The landscape cannot be kept in this browser (not enough space): it is prepared again on every visit.');
      assert.ok((await page.evaluate(() => window.playTexts)).includes('Preparing the landscape… 0\u00a0%'), `visit ${visit}`);
      assert.equal(await page.evaluate(() => window.keptRecord()), undefined);
    }
    await playRound(page);
    assert.deepEqual(page.problems, []);
  },

  // A newer deployment (another index.html and another worker) installs on
  // the next visit, deletes the older cache, and is the page from then on.
  async new_deployment({ server, browser }) {
    const page = await openPageIn(browser, `${server.origin}/index.html`, 'cs');
    await waitState(page, 'form');
    const [older] = await waitControlled(page);

    const newer = Buffer.from(fs.readFileSync(path.join(process.env.KORVADA_WEB_DIR, 'index.html')).toString()
                                .replace('<title>Korvada</title>', '<title>Korvada 2</title>'));
    server.edit = (name, body) => {
      if (name === 'index.html') return newer;
      if (name === 'sw.js') {
        return Buffer.from(body.toString().replace(/korvada-(\d+\.\d+\.\d+)-[0-9a-f]{12}/g, 'korvada-$1-000000000002')
                                          .replace(/("index\.html": ")[0-9a-f]{64}/, `$1${sha256(newer)}`));
      }
      return undefined;
    };
    await page.reload();
    await waitState(page, 'form');
    await page.waitForFunction((name) => caches.keys().then((names) => names.length === 1 && names[0] !== name),
                               { timeout: kWait, polling: 500 }, older);
    await page.reload();
    await waitState(page, 'form');
    assert.equal(await page.title(), 'Korvada 2');
    assert.deepEqual(await page.evaluate(() => caches.keys()), [older.replace(/[0-9a-f]{12}$/, '000000000002')]);
  },

  // The page speaks the browser's language: the setup dialog's own labels,
  // and a loading line with the data's progress while it is made.
  async language({ server }) {
    const expected = {
      'en-US,en': { lang: 'en', preparing: /^Preparing the landscape… (\d+)\u00a0%$/,
                    labels: ['Resolution', 'Bottles', 'Blending (translucent bottles)', 'Sound', 'Full screen', 'Name'], play: 'Play',
                    today: "Today's round" },
      'cs-CZ,cs': { lang: 'cs', preparing: /^Připravuji krajinu… (\d+)\u00a0%$/,
                    labels: ['Rozlišení', 'Počet lahví', 'Průhlednost (blending)', 'Zvuk', 'Na celou obrazovku', 'Jméno'], play: 'Hrát',
                    today: 'Dnešní kolo' },
    };
    for (const [languages, want] of Object.entries(expected)) {
      // A browser of its own, which has not kept the data from the last one.
      const own = await openBrowser();
      // Closed on a failure too: an open browser keeps node running to ctest's timeout.
      try {
        const page = await openPageIn(own, `${server.origin}/index.html`, languages);
        await waitState(page, 'form');
        const lines = await page.evaluate(() => window.playTexts);
        const percents = lines.map((line) => want.preparing.exec(line)?.[1]).filter(Boolean).map(Number);
        assert.ok(percents[0] === 0 && percents.some((percent) => percent > 0 && percent < 100), lines.join(' | '));
        assert.deepEqual(percents, [...percents].sort((a, b) => a - b), 'the progress only grows');
        assert.equal(await page.evaluate(() => document.documentElement.lang), want.lang);
        assert.deepEqual(await labels(page), want.labels);
        assert.equal(await page.$eval('#play', (button) => button.textContent), want.play);
        assert.equal(await page.$eval('#today', (button) => button.textContent), want.today);
        // The progress reads as plainly as the form's other text (WCAG's 4.5:1).
        const ratio = await page.$eval('#play', (button) => {
          button.disabled = true;
          const style = getComputedStyle(button);
          const [text, ground] = [style.color, style.backgroundColor].map((colour) => colour.match(/[\d.]+/g).map(Number));
          button.disabled = false;
          const luminance = ([r, g, b, a = 1]) => {
            const lit = (c) => ((c /= 255) <= 0.03928 ? c / 12.92 : ((c + 0.055) / 1.055) ** 2.4);
            return a < 1 ? NaN : 0.2126 * lit(r) + 0.7152 * lit(g) + 0.0722 * lit(b);
          };
          const [light, dark] = [luminance(text), luminance(ground)].sort((x, y) => y - x);
          return (light + 0.05) / (dark + 0.05);
        });
        assert.ok(ratio >= 4.5, `the progress's contrast is ${ratio}`);
        assert.deepEqual(page.problems, []);
      } finally {
        await own.close();
      }
    }
  },

  // Play keeps the form's choice and the name for the next visit; a stored
  // choice the game would refuse, or that is no choice at all, leaves the
  // defaults; a refused name is said in the page's language and not kept.
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
    // A name the rule refuses is said on the line in Czech, plays nothing
    // and is not kept.
    await page.type('#name', ' Jana');
    await page.click('#play');
    await page.waitForFunction(() => !document.getElementById('round-line').hidden, { timeout: kWait });
    assert.equal(await page.$eval('#round-line', (line) => line.textContent),
                 'Jméno nelze použít: jméno nesmí začínat mezerou');
    assert.equal(await pageState(page), 'form');
    assert.equal(await page.evaluate(() => localStorage.getItem('korvada.name')), null);
    assert.equal(await page.evaluate(() => document.activeElement.id), 'name');
    await page.$eval('#name', (input) => { input.value = 'Jana K'; });
    await page.click('#play');
    await waitState(page, 'playing');
    assert.match(page.url(), /[?&]code=3TNHN\b/);
    // A reload shows the form, though Play's code is in the address.
    await page.reload();
    await page.waitForFunction(() => document.documentElement.dataset.state !== 'loading', { timeout: kWait });
    assert.equal(await pageState(page), 'form', 'a reload started a round');
    assert.deepEqual(await formValues(page), ['3', '7', false, false, true]);
    assert.equal(await page.$eval('#name', (input) => input.value), 'Jana K');
    await page.goto(`${server.origin}/index.html`);
    await waitState(page, 'form');
    assert.deepEqual(await formValues(page), ['3', '7', false, false, true]);
    assert.equal(await page.$eval('#name', (input) => input.value), 'Jana K');
    // A name stored that the rule refuses is no name.
    await page.evaluate(() => localStorage.setItem('korvada.name', 'Ja<b>na'));
    await page.reload();
    await waitState(page, 'form');
    assert.equal(await page.$eval('#name', (input) => input.value), '');

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
