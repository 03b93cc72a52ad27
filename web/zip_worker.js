// Makes the page's zip away from its thread: entries in, [[name, Blob or bytes], ...], as they
// were listed; a message {done} after each entry, then {zip}, a Blob. The page stops it by ending
// the worker.
"use strict";

importScripts("fflate.js");

self.onmessage = (event) => {
  const { entries } = event.data;
  const chunks = [];
  const zip = new fflate.Zip((error, chunk) => {
    if (error) {
      throw error;
    }
    chunks.push(chunk);
  });
  const reader = new FileReaderSync();
  entries.forEach(([name, data], i) => {
    const entry = new fflate.ZipDeflate(name, { level: 6 });
    zip.add(entry);
    entry.push(data instanceof Blob ? new Uint8Array(reader.readAsArrayBuffer(data)) : data, true);
    self.postMessage({ done: i + 1 });
  });
  zip.end();
  self.postMessage({ zip: new Blob(chunks, { type: "application/zip" }) });
};
