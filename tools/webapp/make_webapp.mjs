// The web build's last step, after the link:
//
//   node make_webapp.mjs WEB_DIR VERSION
//
// tells the page which data generator this build has (korvada-game-data.js
// keeps data only from the same one), writes WEB_DIR/sw.js, the service
// worker that keeps the game's files for offline play in a cache named for
// this build (version and a hash of the files, service_worker.js beside this
// script), and a gzip and a brotli copy beside each file a static server can
// send precompressed. Needs nothing but node.

import crypto from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import zlib from 'node:zlib';

// The page and everything it loads; the install prompt needs the manifest
// and its icons offline too.
const kFiles = ['index.html', 'korvada.js', 'korvada.wasm', 'korvada-game-data.js', 'korvada-datagen.js',
                'korvada-datagen.wasm', 'korvada.webmanifest', 'korvada-32.png', 'korvada-192.png', 'korvada-512.png'];
// The ones worth compressing: PNGs already are.
const kCompressed = ['index.html', 'korvada.js', 'korvada.wasm', 'korvada-game-data.js', 'korvada-datagen.js',
                     'korvada-datagen.wasm', 'korvada.webmanifest', 'sw.js'];

const sha256 = (bytes) => crypto.createHash('sha256').update(bytes).digest('hex');

function markGenerator(dir) {
  const file = path.join(dir, 'korvada-game-data.js');
  const generator = sha256(Buffer.concat(['korvada-datagen.js', 'korvada-datagen.wasm'].map(
    (name) => fs.readFileSync(path.join(dir, name)))));
  const text = fs.readFileSync(file, 'utf8');
  const marked = text.replace(/^var kGeneratorVersion = '[0-9a-f]*';$/m, `var kGeneratorVersion = '${generator}';`);
  if (marked === text && !text.includes(generator)) throw new Error(`${file}: no kGeneratorVersion line to set`);
  fs.writeFileSync(file, marked);
}

function writeServiceWorker(dir, version) {
  const files = {};
  for (const name of kFiles) files[name] = sha256(fs.readFileSync(path.join(dir, name)));
  const build = sha256(Object.entries(files).map(([name, digest]) => `${name} ${digest}\n`).join('')).slice(0, 12);
  const cache = `korvada-${version}-${build}`;
  const template = fs.readFileSync(path.join(path.dirname(fileURLToPath(import.meta.url)), 'service_worker.js'), 'utf8');
  fs.writeFileSync(path.join(dir, 'sw.js'), `const kBuild = ${JSON.stringify({ cache, files }, null, 2)};\n\n${template}`);
  return cache;
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

const [dir, version] = process.argv.slice(2);
if (!dir || !version) {
  console.error('usage: node make_webapp.mjs WEB_DIR VERSION');
  process.exit(2);
}
try {
  markGenerator(dir);
  const cache = writeServiceWorker(dir, version);
  compress(dir);
  console.log(`make_webapp: sw.js with cache ${cache}`);
} catch (error) {
  console.error(`make_webapp: ${error.message}`);
  process.exit(1);
}
