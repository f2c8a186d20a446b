// The browser generator's start (linked before the program as --pre-js):
// the page fetches and compiles the generator's code once and hands the
// compiled module to each of its workers ({ module }), which then need not
// fetch and compile it each for itself.
var receiveModule = null;
var compiledModule = new Promise(function(resolve) { receiveModule = resolve; });

Module['instantiateWasm'] = function(imports, receiveInstance) {
  compiledModule.then(function(module) {
    return WebAssembly.instantiate(module, imports).then(function(instance) { receiveInstance(instance, module); });
  }).catch(function(error) {
    // Heard by the page as the worker's error.
    setTimeout(function() { throw error; });
  });
  return {};
};
