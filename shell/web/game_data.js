// The game's pictures and sounds in the browser. On a first visit the data
// generator (korvada-datagen.js, the desktop build's own, byte for byte)
// makes them in Web Workers, one for each of the device's cores up to four,
// and the first of them keeps them in IndexedDB: later visits, and offline
// play, read them from there. Where the browser keeps nothing for the page
// (storage refused, or full), they are made again on every visit, and the
// page says why. The page's own thread never copies the data: the files come
// from the worker moved, not copied, and the worker stores its own copy.
'use strict';

// The generator's build, set by the web build (tools/webapp/make_webapp.mjs):
// data kept from another generator is made again.
var kGeneratorVersion = '';

// korvadaGameData(making) starts at once and resolves to { files, keep }:
// files maps each file's name to its bytes (an ArrayBuffer), and keep()
// has the worker store files just made in the browser's storage (the first
// call; later ones return the same promise), resolving to null, or to the
// error that kept them out. The page calls it once the game has drawn: the
// storing would otherwise compete with the first frame.
// making(done) hears the generator's progress (0 to 1) while it makes the
// data; not at all when the data was kept.
var korvadaGameData = (function() {
  var kDatabase = 'korvada-data';
  var kStore = 'data';
  var kRecord = 'files';

  function settled(request) {
    return new Promise(function(resolve, reject) {
      request.onsuccess = function() { resolve(request.result); };
      request.onerror = function() { reject(request.error); };
    });
  }

  // fresh() hears that the database is new, so holds no data.
  function openDatabase(fresh) {
    return new Promise(function(resolve) { resolve(indexedDB.open(kDatabase, 1)); }).then(function(opening) {
      opening.onupgradeneeded = function() {
        opening.result.createObjectStore(kStore);
        fresh();
      };
      return settled(opening);
    });
  }

  function keptFiles(database) {
    return settled(database.transaction(kStore).objectStore(kStore).get(kRecord)).then(function(record) {
      performance.mark('korvada:kept-read');
      return record && record.generator === kGeneratorVersion ? record.files : null;
    });
  }

  // The generator's workers start loading; make(making) then asks them for
  // the files. Each worker but the first makes a band of the ground picture
  // and hands it here, to be passed on to the first, which makes the rest,
  // puts the picture together and hands over every file.
  function startGenerator() {
    var parts = Math.min(4, Math.max(1, navigator.hardwareConcurrency || 1));
    var workers = [];
    for (var part = 0; part < parts; ++part) workers.push(new Worker('korvada-datagen.js'));
    var progress = workers.map(function() { return 0; });
    var listener = function() {};
    var stop = function() { workers.forEach(function(worker) { worker.terminate(); }); };
    var filesHeard, madeFailed, storedHeard;
    var made = new Promise(function(resolve, reject) {
      filesHeard = resolve;
      madeFailed = reject;
    });
    var stored = new Promise(function(resolve) { storedHeard = resolve; });
    var failed = function(error) {
      stop();
      madeFailed(error);
      storedHeard(error);
    };
    // The workers' code, fetched and compiled once for all of them.
    var code = WebAssembly.compileStreaming ? WebAssembly.compileStreaming(fetch('korvada-datagen.wasm')) : Promise.reject();
    code.catch(function() {
      // A server that sends .wasm with another type: compiled from its bytes.
      return fetch('korvada-datagen.wasm').then(function(response) { return response.arrayBuffer(); })
                                          .then(function(bytes) { return WebAssembly.compile(bytes); });
    }).then(function(module) {
      workers.forEach(function(worker) { worker.postMessage({ module: module }); });
    }, function(error) {
      failed(new Error('the data generator: ' + ((error && error.message) || error)));
    });
    workers.forEach(function(worker, part) {
      worker.onmessage = function(event) {
        var message = event.data;
        if ('progress' in message) {
          progress[part] = message.progress;
          listener(progress.reduce(function(sum, done) { return sum + done; }, 0) / parts);
          return;
        }
        // The generator's own times, on its clock since the epoch; those of
        // a worker other than the first named for it.
        (message.stamps || []).forEach(function(stamp) {
          performance.mark('korvada:' + stamp[0] + (part ? ' (worker ' + part + ')' : ''),
                           { startTime: stamp[1] - performance.timeOrigin });
        });
        if (message.band) {
          worker.terminate();
          workers[0].postMessage({ band: message.band }, [message.band.bytes]);
        } else if (message.files) {
          filesHeard(message.files);
        } else if ('stored' in message) {
          worker.terminate();
          var error = message.stored && new Error(message.stored.message);
          if (error) error.name = message.stored.name;
          storedHeard(error);
        }
      };
      worker.onerror = function(event) {
        failed(new Error('the data generator: ' + (event.message || 'it did not start')));
      };
    });
    made.catch(function() {});  // heard by make() when asked for, and moot when the data was kept
    return {
      make: function(making) {
        listener = making;
        workers.forEach(function(worker, part) {
          worker.postMessage({ make: { part: part, parts: parts, keep: {
            database: kDatabase, store: kStore, key: kRecord, generator: kGeneratorVersion } } });
        });
        return made;
      },
      keep: function() {
        workers[0].postMessage({ keep: true });
        return stored;
      },
      stop: stop,
    };
  }

  // The generator starts loading only where there is no data to read: as
  // soon as the database turns out new (a first visit), or once the data
  // was not found in it. On a visit with the data kept, its loading would
  // slow the reading and the game's start on a machine with few cores.
  return function(making) {
    var generator = null;
    var generatorStarted = function() {
      generator = generator || startGenerator();  // throws for a page opened as a file, say
      return generator;
    };
    var database = openDatabase(function() {
      try {
        generatorStarted();
      } catch (error) {
        // heard below, when the files are asked for
      }
    });
    return database.then(keptFiles).catch(function() { return null; }).then(function(files) {
      if (files) {
        if (generator) generator.stop();
        return { files: files, keep: function() { return Promise.resolve(null); } };
      }
      making(0);
      var started = generatorStarted();
      return started.make(making).then(function(made) {
        var kept = null;
        var keepMade = function() {
          kept = kept || started.keep();
          return kept;
        };
        return { files: made, keep: keepMade };
      });
    });
  };
})();
