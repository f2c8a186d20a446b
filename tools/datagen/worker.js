// The browser generator's own part (linked after the program as --post-js).
// The page starts its workers at once and asks each for its part of the
// data ({ make }) only once it knows it has none kept. A worker with a part
// other than the first makes its band of the ground's rows and hands it to
// the page, which passes it on to the first. The first makes its band and
// every other file, puts the ground picture together, and hands the page
// every file, its bytes moved, not copied; on the page's word ({ keep }),
// once the game has drawn, it stores its own copy in IndexedDB: the page's
// thread never copies the data.
var making = null;  // the page's request: { part, parts, keep: { database, store, key, generator } }
// When the generator was ready, and started and ended its work, for the
// page's performance timeline: [name, milliseconds since the epoch].
var stamps = [];
// The first worker's files as they come, by name, and the ground's header
// and bands until they are put together.
var files = {};
var ground = null;  // { name, rows, header, bands: [{ top, bottom, bytes }] }
var kept = null;  // copies of the files for the store, until the page asks for it

function stamp(name) {
  stamps.push([name, performance.timeOrigin + performance.now()]);
}

// Every message carries the times stamped since the last.
function tell(message, moved) {
  message.stamps = stamps;
  stamps = [];
  postMessage(message, moved || []);
}

function make() {
  stamp('generating');
  callMain([String(making.part), String(making.parts)]);
}

function bytesAt(data, size) {
  return HEAPU8.slice(data, data + size).buffer;
}

// Called by the program (worker_main.cpp).
function groundBandMade(top, bottom, data, size) {
  stamp('made ground rows ' + top + '-' + bottom);
  var band = { top: top, bottom: bottom, bytes: bytesAt(data, size) };
  if (making.part === 0) {
    addBand(band);
    return;
  }
  stamp('generated');
  tell({ band: band }, [band.bytes]);
}

function groundHeaderMade(name, rows, data, size) {
  ground.name = name;
  ground.rows = rows;
  ground.header = bytesAt(data, size);
  handOverWhenMade();
}

function fileMade(name, data, size) {
  stamp('made ' + name);
  files[name] = bytesAt(data, size);
}

function addBand(band) {
  ground.bands.push(band);
  handOverWhenMade();
}

// Once the header and every band are here (the header comes when the first
// worker's own work is done, its other files made): air.bmp in one piece,
// the bottom rows first as in the file, then every file to the page.
function handOverWhenMade() {
  if (!ground.header) return;
  var rows = 0;
  ground.bands.forEach(function(band) { rows += band.bottom - band.top; });
  if (rows !== ground.rows) return;
  var rowBytes = ground.bands[0].bytes.byteLength / (ground.bands[0].bottom - ground.bands[0].top);
  var whole = new Uint8Array(ground.header.byteLength + ground.rows * rowBytes);
  whole.set(new Uint8Array(ground.header), 0);
  ground.bands.forEach(function(band) {
    whole.set(new Uint8Array(band.bytes), ground.header.byteLength + (ground.rows - band.bottom) * rowBytes);
  });
  files[ground.name] = whole.buffer;
  ground = null;
  stamp('generated');
  kept = {};
  var moved = [];
  for (var name in files) {
    kept[name] = files[name].slice(0);
    moved.push(files[name]);
  }
  tell({ files: files }, moved);
  files = {};
}

// Stores the copies kept, then tells the page: { stored: null } or the
// name and text of the error that kept them out.
function keep() {
  var told = false;
  var stored = function(error) {
    if (told) return;
    told = true;
    kept = null;
    if (!error) stamp('stored');
    tell({ stored: error ? { name: error.name || 'Error', message: error.message || String(error) } : null });
  };
  try {
    var where = making.keep;
    var opening = indexedDB.open(where.database, 1);
    opening.onupgradeneeded = function() { opening.result.createObjectStore(where.store); };
    opening.onerror = function() { stored(opening.error || new Error('the database did not open')); };
    opening.onsuccess = function() {
      var database = opening.result;
      var transaction = database.transaction(where.store, 'readwrite');
      transaction.objectStore(where.store).put({ generator: where.generator, files: kept }, where.key);
      transaction.oncomplete = function() {
        database.close();
        stored(null);
      };
      transaction.onerror = transaction.onabort = function() {
        database.close();
        stored(transaction.error || new Error('the data was not stored'));
      };
    };
  } catch (error) {
    stored(error);
  }
}

Module['onRuntimeInitialized'] = function() {
  stamp('generator-ready');
  if (making) make();
};

onmessage = function(event) {
  var message = event.data;
  if (message.module) {
    receiveModule(message.module);
  } else if (message.make && !making) {
    making = message.make;
    ground = { name: null, rows: 0, header: null, bands: [] };
    if (runtimeInitialized) make();
  } else if (message.band) {
    addBand(message.band);
  } else if (message.keep && kept) {
    keep();
  }
};
