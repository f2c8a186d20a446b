// The browser generator's last step (linked after the program as --post-js):
// every file it wrote goes to the page, its bytes moved, not copied.
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
