// The browser generator's own part (linked after the program as --post-js).
// The page starts the worker at once but asks for the data ("make") only
// once it knows it has none kept; then every file goes to the page, its
// bytes moved, not copied.
var makingAsked = false;
// When the generator was ready, and started and ended its work, for the
// page's performance timeline: [name, milliseconds since the epoch].
var stamps = [];

function stamp(name) {
  stamps.push([name, performance.timeOrigin + performance.now()]);
}

function make() {
  stamp('generating');
  callMain([]);
}

function handOverGameData(dir) {
  var files = {};
  var buffers = [];
  FS.readdir(dir).forEach(function(name) {
    if (name === '.' || name === '..') return;
    var bytes = FS.readFile(dir + '/' + name);
    files[name] = bytes.buffer;
    buffers.push(bytes.buffer);
  });
  stamp('generated');
  postMessage({ files: files, stamps: stamps }, buffers);
}

Module['onRuntimeInitialized'] = function() {
  stamp('generator-ready');
  if (makingAsked) make();
};

onmessage = function(event) {
  if (event.data !== 'make' || makingAsked) return;
  makingAsked = true;
  if (runtimeInitialized) make();
};
