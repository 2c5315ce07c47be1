// The module travels inside the page's script as a data URL: it is compiled
// from there rather than fetched, so the page fetches nothing at all. The
// browser's own base64 decoder, where it has one, is the fastest way in.
Module['instantiateWasm'] = function(imports, receive) {
  var base64 = wasmBinaryFile.slice(wasmBinaryFile.indexOf(',') + 1);
  var bytes = Uint8Array.fromBase64 ? Uint8Array.fromBase64(base64) : tryParseAsDataURI(wasmBinaryFile);
  WebAssembly.instantiate(bytes, imports).then(function(result) {
    receive(result['instance']);
  });
  return {};
};
