// The game's pictures and sounds in the browser. On a first visit the data
// generator (korvada-datagen.js, the desktop build's own, byte for byte)
// makes them in a Web Worker, and the page keeps them in IndexedDB: later
// visits, and offline play, read them from there. Where the browser keeps
// nothing for the page (storage refused, or full), they are made again on
// every visit, and the page says why.
'use strict';

// The generator's build, set by the web build (tools/webapp/make_webapp.mjs):
// data kept from another generator is made again.
var kGeneratorVersion = '';

// korvadaGameData(making) starts at once and resolves to { files, keep }:
// files maps each file's name to its bytes (an ArrayBuffer), and keep()
// stores files just made in the browser's storage (the first call; later
// ones return the same promise), resolving to null, or to the error that
// kept them out. The page calls it once the game has drawn: the copy the
// browser takes of 14 MB would otherwise hold up the first frame.
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

  function keep(database, files) {
    return new Promise(function(resolve, reject) {
      var transaction = database.transaction(kStore, 'readwrite');
      transaction.objectStore(kStore).put({ generator: kGeneratorVersion, files: files }, kRecord);
      transaction.oncomplete = function() {
        performance.mark('korvada:stored');
        resolve(null);
      };
      transaction.onerror = transaction.onabort = function() {
        reject(transaction.error || new Error('the data was not stored'));
      };
    });
  }

  // The generator's worker starts loading; make(making) then asks it for
  // the files.
  function startGenerator() {
    var worker = new Worker('korvada-datagen.js');
    var listener = function() {};
    var made = new Promise(function(resolve, reject) {
      worker.onmessage = function(event) {
        if ('progress' in event.data) {
          listener(event.data.progress);
          return;
        }
        worker.terminate();
        // The generator's own times, on its clock since the epoch.
        (event.data.stamps || []).forEach(function(stamp) {
          performance.mark('korvada:' + stamp[0], { startTime: stamp[1] - performance.timeOrigin });
        });
        if (event.data.files) resolve(event.data.files);
        else reject(new Error('the data generator: ' + event.data.error));
      };
      worker.onerror = function(event) {
        worker.terminate();
        reject(new Error('the data generator: ' + (event.message || 'it did not start')));
      };
    });
    made.catch(function() {});  // heard by make() when asked for, and moot when the data was kept
    return {
      make: function(making) {
        listener = making;
        worker.postMessage('make');
        return made;
      },
      stop: function() { worker.terminate(); },
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
      return generatorStarted().make(making).then(function(made) {
        var kept = null;
        var keepMade = function() {
          kept = kept || database.then(function(opened) { return keep(opened, made); }).catch(function(error) {
            return error || new Error('the data was not stored');
          });
          return kept;
        };
        return { files: made, keep: keepMade };
      });
    });
  };
})();
