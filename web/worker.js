// One converter of the page: converts or draws one file at a time in a WebAssembly module of its
// own, so that the page stays responsive and a drawing that exhausts this module's memory fails
// alone. Messages in: {id, job: "convert" | "draw", kind, name, file, fonts, drawSvg, kicad,
// existing, lang}.
// Messages out: {id, ...} as the module gives them, or {id, failed: true} when the file did not
// fit in memory or the module stopped; a new module is made for the next file.
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

async function carryOut(module, message) {
  const bytes = new Uint8Array(await message.file.arrayBuffer());
  if (message.job === "draw" && message.kind === "ce3") {
    return module.drawCe3(bytes, message.name, message.kicad);
  }
  const fonts = message.fonts;
  const result = module.convert(bytes, message.name, fonts.largeFace, fonts.largeSize,
                                fonts.smallFace, fonts.smallSize, message.drawSvg, message.kicad,
                                message.existing ?? null);
  return result;
}

self.onmessage = async (event) => {
  const message = event.data;
  if (morvex === null || language !== message.lang) {
    startModule(message.lang);
  }
  let reply;
  try {
    const module = await morvex;
    const result = await carryOut(module, message);
    reply = { id: message.id, ...result };
  } catch (error) {
    // Out of memory while the bytes were read or copied in, or the module stopped: its state is
    // not to be trusted any more.
    morvex = null;
    reply = { id: message.id, failed: true, reason: String(error) };
  }
  const transfer = [reply.ce3, reply.kicad].filter((bytes) => bytes && bytes.byteLength > 0)
                       .map((bytes) => bytes.buffer);
  self.postMessage(reply, transfer);
};
