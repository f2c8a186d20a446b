// The one Chromium of a lane of browser tests, started and ended by ctest's
// fixtures (CMakeLists.txt here):
//
//   node lane_browser.mjs start FILE   starts it, FILE its DevTools address
//   node lane_browser.mjs stop FILE    ends it and removes its profile
//
// Each case of the lane connects to it and plays in a context of its own
// (web_harness.mjs, caseBrowser): a browser's start saved per case, nothing
// kept from one case to the next. The DevTools port listens on 127.0.0.1 only.

import { spawn } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';
import { kChromium, kChromiumArgs, kWait, sleep } from './web_harness.mjs';

const [command, file] = process.argv.slice(2);

// Ends the browser FILE names, if any, and forgets it.
async function stop() {
  if (!fs.existsSync(file)) return;
  const lane = JSON.parse(fs.readFileSync(file, 'utf8'));
  try {
    const browser = await puppeteer.connect({ browserWSEndpoint: lane.endpoint });
    let timer;
    await Promise.race([browser.close(), new Promise((resolve) => { timer = setTimeout(resolve, 10000); })]);
    clearTimeout(timer);
  } catch {
    // Gone already, or not answering: the signal below ends it.
  }
  try {
    process.kill(-lane.pid, 'SIGKILL');
  } catch {
    // Ended.
  }
  fs.rmSync(lane.profile, { recursive: true, force: true });
  fs.rmSync(file, { force: true });
}

async function start() {
  // A browser left by a run that was cut short goes first.
  await stop();
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'korvada-lane-chromium-'));
  const log = fs.openSync(`${file}.log`, 'w');
  const args = puppeteer.defaultArgs({ headless: true, userDataDir: profile, args: kChromiumArgs });
  const browser = spawn(kChromium, [...args, '--remote-debugging-address=127.0.0.1', '--remote-debugging-port=0'],
    { detached: true, stdio: ['ignore', log, log] });
  browser.unref();
  // Chromium writes the port it picked, then the browser's path, into the profile.
  const portFile = path.join(profile, 'DevToolsActivePort');
  const deadline = Date.now() + kWait;
  let lines = [];
  while (lines.length < 2 || !lines[1]) {
    if (Date.now() > deadline || browser.exitCode !== null)
      throw new Error(`Chromium did not start (see ${file}.log)`);
    await sleep(100);
    lines = fs.existsSync(portFile) ? fs.readFileSync(portFile, 'utf8').split('\n') : [];
  }
  const endpoint = `ws://127.0.0.1:${lines[0]}${lines[1]}`;
  (await puppeteer.connect({ browserWSEndpoint: endpoint })).disconnect();
  fs.writeFileSync(file, JSON.stringify({ endpoint, pid: browser.pid, profile }));
  console.log(`Chromium ${browser.pid} at ${endpoint}`);
}

if (command === 'start') await start();
else if (command === 'stop') await stop();
else {
  console.error('usage: node lane_browser.mjs start|stop FILE');
  process.exit(2);
}
