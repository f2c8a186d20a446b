// The web app's service worker: it keeps this build's files for offline play
// in one cache named for the build, and answers the page from it.
//
// Installing takes each file from the browser's HTTP cache, where the page
// has just put it, as long as its bytes are this build's (their SHA-256
// digest); only a file the page never loaded (the manifest's large icons),
// or one that is missing or another build's, comes from the server. So a
// first visit downloads every file once. The page itself is found under the
// address it was opened with, launch code and all.
//
// make_webapp.mjs puts `kBuild` before this text: the cache's name and the
// files with their digests.

'use strict';

function hex(buffer) {
  return Array.from(new Uint8Array(buffer), (byte) => byte.toString(16).padStart(2, '0')).join('');
}

async function isThisBuilds(name, response) {
  if (!response.ok) return false;
  const digest = await crypto.subtle.digest('SHA-256', await response.clone().arrayBuffer());
  return hex(digest) === kBuild.files[name];
}

async function keepFile(cache, name, addresses) {
  for (const address of addresses) {
    try {
      const response = await fetch(address, { cache: 'force-cache' });
      if (await isThisBuilds(name, response)) return cache.put(name, response);
    } catch (error) {
      // Not in the HTTP cache and no network: the server's copy below decides.
    }
  }
  const response = await fetch(name, { cache: 'reload' });
  if (!(await isThisBuilds(name, response)))
    throw new Error(`${name}: the server has other bytes than this build's (a newer deployment?)`);
  return cache.put(name, response);
}

self.addEventListener('install', (event) => {
  self.skipWaiting();
  event.waitUntil((async () => {
    const cache = await caches.open(kBuild.cache);
    const pages = await self.clients.matchAll({ type: 'window', includeUncontrolled: true });
    const here = new URL('index.html', self.registration.scope).pathname;
    const pageAddresses = pages.map((page) => page.url).filter((url) => {
      const path = new URL(url).pathname;
      return path === here || `${path}index.html` === here;
    });
    await Promise.all(Object.keys(kBuild.files).map((name) =>
      keepFile(cache, name, name === 'index.html' ? [...pageAddresses, name] : [name])));
  })());
});

// An older build's cache goes once this build is the one in charge.
self.addEventListener('activate', (event) => {
  event.waitUntil((async () => {
    for (const name of await caches.keys())
      if (name.startsWith('korvada-') && name !== kBuild.cache) await caches.delete(name);
    await self.clients.claim();
  })());
});

// The page at the folder's address, whatever its query (the launch code, a
// round to play), and every kept file by name; anything else goes to the
// network: on a board the folder is the whole site, and its day's pages
// and rounds' pages are the board's.
self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET') return;
  const scope = self.registration.scope;
  if (!request.url.startsWith(scope)) return;
  let name = new URL(request.url).pathname.slice(new URL(scope).pathname.length);
  if (name === '') name = 'index.html';
  if (!(name in kBuild.files)) return;
  event.respondWith((async () => {
    const kept = await caches.match(name, { cacheName: kBuild.cache });
    return kept || fetch(request);
  })());
});
