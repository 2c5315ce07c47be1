// The module travels inside the page's script as a data URL: it is compiled
// from there rather than fetched, so the page fetches nothing at all.
Module['instantiateWasm'] = function(imports, receive) {
  WebAssembly.instantiate(tryParseAsDataURI(wasmBinaryFile), imports).then(function(result) {
    receive(result['instance']);
  });
  return {};
};
