// The web build's last step, after the link:
//
//   node make_webapp.mjs WEB_DIR VERSION
//
// writes WEB_DIR/sw.js, a Workbox service worker that keeps the game's files
// for offline play in a cache named for this build (version and a hash of the
// files), and a gzip and a brotli copy beside each file a static server can
// send precompressed. Runs offline, from this folder's node_modules (npm ci).

import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';

// The page and everything it loads; the install prompt needs the manifest
// and its icons offline too.
const kFiles = ['index.html', 'korvada.js', 'korvada.wasm', 'korvada.data', 'korvada.webmanifest',
                'korvada-32.png', 'korvada-192.png', 'korvada-512.png'];
// The ones worth compressing: PNGs already are.
const kCompressed = ['index.html', 'korvada.js', 'korvada.wasm', 'korvada.data', 'korvada.webmanifest', 'sw.js'];

async function loadWorkbox() {
  try {
    return await import('workbox-build');
  } catch (error) {
    console.error(`make_webapp: ${error.message}\nInstall the build's node packages first: (cd tools/webapp && npm ci)`);
    process.exit(1);
  }
}

function buildHash(dir) {
  const hash = crypto.createHash('sha256');
  for (const name of kFiles) hash.update(name).update('\0').update(fs.readFileSync(path.join(dir, name)));
  return hash.digest('hex').slice(0, 12);
}

function compress(dir) {
  for (const name of kCompressed) {
    const file = path.join(dir, name);
    const bytes = fs.readFileSync(file);
    fs.writeFileSync(`${file}.gz`, zlib.gzipSync(bytes, { level: 9 }));
    fs.writeFileSync(`${file}.br`, zlib.brotliCompressSync(bytes, {
      params: {
        [zlib.constants.BROTLI_PARAM_QUALITY]: zlib.constants.BROTLI_MAX_QUALITY,
        [zlib.constants.BROTLI_PARAM_SIZE_HINT]: bytes.length,
      },
    }));
  }
}

async function main() {
  const [dir, version] = process.argv.slice(2);
  if (!dir || !version) {
    console.error('usage: node make_webapp.mjs WEB_DIR VERSION');
    process.exit(2);
  }
  const { generateSW } = await loadWorkbox();
  const cacheId = `korvada-${version}-${buildHash(dir)}`;
  const { warnings } = await generateSW({
    globDirectory: dir,
    globPatterns: kFiles,
    swDest: path.join(dir, 'sw.js'),
    cacheId,
    // The worker's precache is named after cacheId, so an older build's
    // cache is one of the "outdated" ones and goes once the new worker runs.
    cleanupOutdatedCaches: true,
    skipWaiting: true,
    clientsClaim: true,
    maximumFileSizeToCacheInBytes: 64 * 1024 * 1024,
    directoryIndex: 'index.html',
    // The page's address carries the launch code and the tests' values.
    ignoreURLParametersMatching: [/./],
    inlineWorkboxRuntime: true,
    mode: 'production',
    sourcemap: false,
  });
  for (const warning of warnings) console.error(`make_webapp: ${warning}`);
  if (warnings.length > 0) process.exit(1);
  compress(dir);
  console.log(`make_webapp: sw.js with cache ${cacheId}`);
}

main().catch((error) => {
  console.error(error);
  process.exit(1);
});
