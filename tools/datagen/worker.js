// The browser generator's own part (linked after the program as --post-js).
// The page starts the worker at once but asks for the data ("make") only
// once it knows it has none kept; then every file goes to the page, its
// bytes moved, not copied.
var makingAsked = false;

function handOverGameData(dir) {
  var files = {};
  var buffers = [];
  FS.readdir(dir).forEach(function(name) {
    if (name === '.' || name === '..') return;
    var bytes = FS.readFile(dir + '/' + name);
    files[name] = bytes.buffer;
    buffers.push(bytes.buffer);
  });
  postMessage({ files: files }, buffers);
}

Module['onRuntimeInitialized'] = function() {
  if (makingAsked) callMain([]);
};

onmessage = function(event) {
  if (event.data !== 'make' || makingAsked) return;
  makingAsked = true;
  if (runtimeInitialized) callMain([]);
};
