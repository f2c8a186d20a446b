// Round after round in one page, as a player plays them: the round, Esc,
// Space on the end screen, Play on the form; KORVADA_ROUNDS times (20 unless
// told), the clock moving a quarter of a second a frame. Whatever a round
// leaves behind piles up in the page: after the last round the page's
// renderer and the GPU process are resident within 5 % of what they were
// after round 10 (after round 5 in a run of fewer than 20), and the page
// holds no more WebGL objects, event listeners and workers than then; no key
// stays held, and nothing is said on the console.
//
//   node long_play_test.mjs rounds
//
// A line per measured round gives the figures, every process of the browser's
// by its kind among them.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import { gameState, holdKeyUntilState, kWait, runCases, sleep, waitFrames, waitState } from './web_harness.mjs';

const kRounds = Number(process.env.KORVADA_ROUNDS || 20);
const kBaseline = kRounds >= 20 ? 10 : 5;

// Live WebGL objects of every context in the page, by kind, counted as the
// page makes and deletes them (installed before the page's own scripts).
function countWebGlObjects() {
  const live = {};
  window.liveWebGlObjects = live;
  for (const kind of ['Texture', 'Buffer', 'Framebuffer', 'Renderbuffer', 'Program', 'Shader']) {
    live[kind] = 0;
    for (const context of [window.WebGLRenderingContext, window.WebGL2RenderingContext]) {
      if (!context) continue;
      const create = context.prototype[`create${kind}`];
      const remove = context.prototype[`delete${kind}`];
      context.prototype[`create${kind}`] = function (...args) {
        const made = create.apply(this, args);
        if (made) ++live[kind];
        return made;
      };
      context.prototype[`delete${kind}`] = function (object) {
        if (object && !object.korvadaDeleted) {
          object.korvadaDeleted = true;
          --live[kind];
        }
        return remove.call(this, object);
      };
    }
  }
}

// The kilobytes the browser's processes have resident, by their kind, as
// the browser lists them (whichever way it was started).
async function residentByType(browserSession) {
  const { processInfo } = await browserSession.send('SystemInfo.getProcessInfo');
  const resident = {};
  for (const { type, id } of processInfo) {
    try {
      const kB = Number(/VmRSS:\s+(\d+)/.exec(fs.readFileSync(`/proc/${id}/status`, 'utf8'))?.[1] ?? 0);
      resident[type] = (resident[type] ?? 0) + kB;
    } catch {
      // ended meanwhile
    }
  }
  return resident;
}

// What the page holds now, once its garbage is collected.
async function measure(page, session, browserSession) {
  await session.send('HeapProfiler.collectGarbage');
  await sleep(500);
  const listeners = async (expression) => {
    const { result } = await session.send('Runtime.evaluate', { expression });
    const { listeners: found } = await session.send('DOMDebugger.getEventListeners',
                                                     { objectId: result.objectId, depth: -1, pierce: true });
    await session.send('Runtime.releaseObject', { objectId: result.objectId });
    return found.length;
  };
  const resident = await residentByType(browserSession);
  return {
    resident,
    // The page's own processes: its renderer, and the GPU process that holds
    // its WebGL objects. The browser's services come and go with their own
    // work (a utility process started meanwhile adds tens of megabytes).
    residentPage: (resident.renderer ?? 0) + (resident.GPU ?? 0),
    jsHeap: (await page.metrics()).JSHeapUsedSize,
    wasmMemory: await page.evaluate(() => Module.HEAP8.length),
    webGl: await page.evaluate(() => ({ ...window.liveWebGlObjects })),
    listeners: (await listeners('window')) + (await listeners('document')),
    workers: page.workers().length,
  };
}

const cases = {
  async rounds({ browser, open }) {
    const page = await open('/index.html?code=0TYAY&dt=0.25', 800, 600,
                            { prepare: (p) => p.evaluateOnNewDocument(countWebGlObjects) });
    const session = await page.target().createCDPSession();
    const browserSession = await browser.target().createCDPSession();
    const figures = {};
    const started = Date.now();
    for (let round = 1; round <= kRounds; ++round) {
      if (round > 1) await page.click('#play');
      await waitState(page, 'playing');
      await waitFrames(page, 3);
      await page.keyboard.press('Escape');
      await page.waitForFunction(() => JSON.parse(Module.ccall('korvadaState', 'string')).gameOver === 1,
                                 { timeout: kWait });
      await holdKeyUntilState(page, 'Space', 'form');
      assert.equal((await gameState(page)).held, 0, `round ${round}: a key stays held`);
      if (round === kBaseline || round === kRounds) {
        figures[round] = await measure(page, session, browserSession);
        console.log(`after round ${round}: ${JSON.stringify(figures[round])}`);
      }
    }
    console.log(`${kRounds} rounds in ${((Date.now() - started) / 1000).toFixed(0)} s`);

    const [before, after] = [figures[kBaseline], figures[kRounds]];
    assert.ok(after.residentPage <= before.residentPage * 1.05,
              `resident ${before.residentPage} kB after round ${kBaseline}, ${after.residentPage} kB after ${kRounds}`);
    for (const kind of Object.keys(after.webGl))
      assert.ok(after.webGl[kind] <= before.webGl[kind], `WebGL ${kind}s: ${before.webGl[kind]}, then ${after.webGl[kind]}`);
    assert.ok(after.listeners <= before.listeners, `listeners: ${before.listeners}, then ${after.listeners}`);
    assert.ok(after.workers <= before.workers, `workers: ${before.workers}, then ${after.workers}`);
    assert.deepEqual(page.problems, []);
  },
};

await runCases(cases, { limitSeconds: 120 + 6 * kRounds });
