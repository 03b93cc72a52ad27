// One converter of the page: converts or draws one file at a time in a WebAssembly module of its
// own, so that the page stays responsive and a drawing that exhausts this module's memory fails
// alone. Messages in: {id, job: "convert" | "draw", kind, name, file, fonts, drawSvg, kicad,
// existing, lang}.
// Messages out: {id, ...} as the module gives them; {id, unreadable: true, errorName, reason}
// when the file could not be read (the browser's error: a file moved or changed since it was
// picked is a NotFoundError or a NotReadableError); {id, failed: true} when the module ran out of
// memory or stopped: a new module is made for the next file.
"use strict";

importScripts("morvex.js");

let morvex = null;
let language = null;

function startModule(lang) {
  language = lang;
  morvex = createMorvex({
    preRun: [(module) => { module.ENV.LANG = lang; }],
  }).then((module) => {
    module.setUpMessages();
    return module;
  });
  return morvex;
}

function carryOut(module, message, bytes) {
  if (message.job === "draw" && message.kind === "ce3") {
    return module.drawCe3(bytes, message.name, message.kicad);
  }
  const fonts = message.fonts;
  return module.convert(bytes, message.name, fonts.largeFace, fonts.largeSize, fonts.smallFace,
                        fonts.smallSize, message.drawSvg, message.kicad, message.existing ?? null);
}

self.onmessage = async (event) => {
  const message = event.data;
  if (morvex === null || language !== message.lang) {
    startModule(message.lang);
  }
  let reply;
  let bytes = null;
  try {
    bytes = new Uint8Array(await message.file.arrayBuffer());
  } catch (error) {
    reply = { id: message.id, unreadable: true, errorName: error?.name ?? "",
              reason: String(error?.message ?? error) };
  }
  if (bytes !== null) {
    try {
      reply = { id: message.id, ...carryOut(await morvex, message, bytes) };
    } catch (error) {
      // Out of memory while the bytes were copied in or converted, or the module stopped: its
      // state is not to be trusted any more.
      morvex = null;
      reply = { id: message.id, failed: true, reason: String(error) };
    }
  }
  const transfer = [reply.ce3, reply.kicad].filter((data) => data && data.byteLength > 0)
                       .map((data) => data.buffer);
  self.postMessage(reply, transfer);
};
