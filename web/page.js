// The page: takes drawings picked or dropped, converts them in workers (worker.js), one row per
// file with the line a batch gives for it, the batch's summary, a preview of the selected row,
// downloads (each .ce3 file and its KiCad schematic), and, where the browser can write to a
// folder, the outputs beside their sources.
// The rules (which files collide, which outputs are kept, every text shown) come from the
// converter's module; this script only moves files and fills the page.
"use strict";

(() => {
  const $ = (id) => document.getElementById(id);
  const FONTS_KEY = "morvex.fonts";
  const KICAD_KEY = "morvex.kicad";
  // Above this many elements a drawing is shown only when asked for: the browser draws an SVG
  // image on the page's own thread, about a second per 15,000 elements.
  const LARGE_DRAWING = 15000;
  const ZOOM_STEP = 1.5;
  const MAX_ZOOM = 32;
  const FONT_FIELDS = ["largeFace", "largeSize", "smallFace", "smallSize"];
  const FIELD_IDS = { largeFace: "large-face", largeSize: "large-size",
                      smallFace: "small-face", smallSize: "small-size" };
  const browserLanguage = (navigator.languages && navigator.languages[0]) ||
                          navigator.language || "en";
  const japanese = browserLanguage.toLowerCase().startsWith("ja");
  const LANG = japanese ? "ja_JP.UTF-8" : "en_US.UTF-8";

  let morvex = null;  // the page's own module: rules and texts
  let texts = {};
  let defaults = {};
  let batch = null;   // the rows of the batch shown
  let batchNumber = 0;

  // ---- Workers: one per processor, each converting one file at a time.

  const slots = [];
  const queue = [];
  let nextJob = 1;

  function workerCount() {
    return Math.max(1, Math.min(navigator.hardwareConcurrency || 2, 8));
  }

  function newSlot(slot) {
    slot.worker = new Worker("worker.js");
    slot.worker.onmessage = (event) => finishJob(slot, event.data);
    // A worker that dies (its memory exhausted beyond what its module can report) is replaced;
    // the file it held fails.
    slot.worker.onerror = (event) => {
      event.preventDefault();
      slot.worker.terminate();
      const job = slot.job;
      newSlot(slot);
      if (job) {
        finishJob(slot, { id: job.message.id, failed: true });
      }
    };
    return slot;
  }

  function startWorkers() {
    while (slots.length < workerCount()) {
      slots.push(newSlot({ worker: null, job: null }));
    }
  }

  // Runs a job on the next free worker; a preview goes before the files waiting.
  function runJob(message, first = false) {
    return new Promise((resolve) => {
      const job = { message: { ...message, id: nextJob++, lang: LANG }, resolve };
      if (first) {
        queue.unshift(job);
      } else {
        queue.push(job);
      }
      dispatch();
    });
  }

  function dispatch() {
    for (const slot of slots) {
      if (slot.job === null && queue.length > 0) {
        slot.job = queue.shift();
        slot.worker.postMessage(slot.job.message);
      }
    }
  }

  function finishJob(slot, reply) {
    const job = slot.job;
    slot.job = null;
    if (job && job.message.id === reply.id) {
      job.resolve(reply);
    }
    dispatch();
  }

  // ---- Files picked or dropped: {name, file | handle, dir, kind}.

  const encoder = new TextEncoder();

  // Byte order of the UTF-8 names, as the converter sorts what it finds in a folder.
  function compareNames(a, b) {
    const x = encoder.encode(a.name);
    const y = encoder.encode(b.name);
    const n = Math.min(x.length, y.length);
    for (let i = 0; i < n; ++i) {
      if (x[i] !== y[i]) {
        return x[i] - y[i];
      }
    }
    return x.length - y.length;
  }

  function kindOf(name) {
    const final = name.slice(name.lastIndexOf("/") + 1);
    const extension = final.slice(final.lastIndexOf(".") + 1).toLowerCase();
    if (final.includes(".") && (extension === "ce2" || extension === "ce3")) {
      return extension;
    }
    return "other";
  }

  // A file picked by itself: a .ce2 drawing is converted, a .ce3 drawing drawn.
  function pickedFile(name, file) {
    return { name, file, kind: kindOf(name) };
  }

  // The files of one folder, sorted: its .ce2 drawings to convert, then the rest, ignored.
  function folderFiles(found) {
    found.sort(compareNames);
    const drawings = found.filter((entry) => kindOf(entry.name) === "ce2");
    const others = found.filter((entry) => kindOf(entry.name) !== "ce2");
    return [...drawings.map((entry) => ({ ...entry, kind: "ce2" })),
            ...others.map((entry) => ({ ...entry, kind: "other" }))];
  }

  function readEntries(reader) {
    return new Promise((resolve, reject) => reader.readEntries(resolve, reject));
  }

  function fileOfEntry(entry) {
    return new Promise((resolve, reject) => entry.file(resolve, reject));
  }

  async function walkEntry(entry, found) {
    if (entry.isFile) {
      found.push({ name: entry.fullPath.replace(/^\//, ""), file: await fileOfEntry(entry) });
      return;
    }
    const reader = entry.createReader();
    for (let entries = await readEntries(reader); entries.length > 0;
         entries = await readEntries(reader)) {
      for (const child of entries) {
        await walkEntry(child, found);
      }
    }
  }

  async function droppedFiles(roots, files) {
    const picked = [];
    for (let i = 0; i < roots.length; ++i) {
      const root = roots[i];
      if (root && root.isDirectory) {
        const found = [];
        await walkEntry(root, found);
        picked.push(...folderFiles(found));
      } else if (root) {
        picked.push(pickedFile(root.name, await fileOfEntry(root)));
      } else if (files[i]) {
        picked.push(pickedFile(files[i].name, files[i]));
      }
    }
    return picked;
  }

  async function walkDirectory(dir, prefix, found) {
    for await (const handle of dir.values()) {
      const name = prefix + "/" + handle.name;
      if (handle.kind === "file") {
        found.push({ name, handle, dir });
      } else {
        await walkDirectory(handle, name, found);
      }
    }
  }

  // ---- Font fields, remembered in the browser.

  function storedFonts() {
    try {
      const stored = JSON.parse(localStorage.getItem(FONTS_KEY) || "{}");
      return Object.fromEntries(FONT_FIELDS.map((field) => [
        field, typeof stored[field] === "string" ? stored[field] : defaults[field]]));
    } catch {
      return { ...defaults };
    }
  }

  function typedFonts() {
    return Object.fromEntries(FONT_FIELDS.map((field) => [field, $(FIELD_IDS[field]).value]));
  }

  function showFonts(fonts) {
    for (const field of FONT_FIELDS) {
      $(FIELD_IDS[field]).value = fonts[field];
    }
  }

  // What is wrong with the fields, one text each, in the fields' order.
  function fontProblems(fonts) {
    return [morvex.faceProblem(fonts.largeFace), morvex.pointsProblem(fonts.largeSize),
            morvex.faceProblem(fonts.smallFace), morvex.pointsProblem(fonts.smallSize)]
        .filter((problem) => problem !== "");
  }

  function fontsChanged() {
    const fonts = typedFonts();
    try {
      localStorage.setItem(FONTS_KEY, JSON.stringify(fonts));
    } catch {
      // Storage refused (private windows, quotas): the fields still hold what was typed.
    }
    showFontProblems(fontProblems(fonts));
  }

  function showFontProblems(problems) {
    const box = $("font-problems");
    box.replaceChildren(...problems.map((problem) => {
      const line = document.createElement("p");
      line.textContent = problem;
      return line;
    }));
    if (problems.length > 0) {
      $("fonts").open = true;
    }
  }

  // The options a conversion takes: faces as CP932 bytes, sizes as typed.
  function conversionFonts(fonts) {
    return { largeFace: morvex.faceBytes(fonts.largeFace), largeSize: fonts.largeSize,
             smallFace: morvex.faceBytes(fonts.smallFace), smallSize: fonts.smallSize };
  }

  // ---- Whether a batch makes KiCad schematics too, remembered in the browser. Only a batch
  // started with the box ticked makes them, as a run of morvex-cli --kicad does: a large drawing
  // takes much longer as a schematic than as a .ce3 file.

  function storedKicad() {
    try {
      return localStorage.getItem(KICAD_KEY) === "true";
    } catch {
      return false;
    }
  }

  function kicadChanged() {
    try {
      localStorage.setItem(KICAD_KEY, String($("kicad").checked));
    } catch {
      // Storage refused: the box still holds what was chosen.
    }
  }

  // The files of the zip, by their paths in it: every .ce3 file, and the KiCad files made.
  function zipFiles() {
    const files = {};
    for (const row of batch.rows) {
      if (row.ce3) {
        files[row.outputPath.replace(/^\/+/, "")] = row.ce3;
      }
      if (row.kicad) {
        files[row.kicadPath.replace(/^\/+/, "")] = row.kicad;
      }
    }
    return files;
  }

  function enableZip() {
    $("all-zip").disabled = document.body.dataset.busy !== "false" ||
                            Object.keys(zipFiles()).length === 0;
  }

  // ---- Rows.

  function clearBatch() {
    if (batch) {
      for (const row of batch.rows) {
        for (const url of [row.ce3Url, row.kicadUrl, row.svgUrl]) {
          if (url) {
            URL.revokeObjectURL(url);
          }
        }
      }
    }
    $("results").tBodies[0].replaceChildren();
    $("summary").textContent = "";
    $("all-zip").disabled = true;
    showPreviewText(texts.previewHint, "");
  }

  function addRow(entry) {
    const tr = document.createElement("tr");
    tr.className = "file";
    tr.tabIndex = 0;
    tr.dataset.name = entry.name;
    tr.dataset.state = "pending";
    tr.setAttribute("aria-selected", "false");
    const report = document.createElement("td");
    report.className = "report";
    report.textContent = entry.name;
    const output = document.createElement("td");
    output.className = "output";
    tr.append(report, output);
    $("results").tBodies[0].append(tr);
    const row = { ...entry, tr, ce3: null, ce3Url: null, kicad: null, kicadUrl: null,
                  svgUrl: null, notDrawn: null, elements: 0 };
    tr.addEventListener("click", () => select(row));
    tr.addEventListener("keydown", (event) => rowKey(event, row));
    return row;
  }

  function setRow(row, state, line) {
    row.tr.dataset.state = state;
    row.tr.querySelector(".report").textContent = line;
  }

  // A link that saves the bytes under the final name of path; gives its URL.
  function addDownload(row, className, path, bytes) {
    const link = document.createElement("a");
    link.className = className;
    link.href = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
    link.download = finalName(path);
    link.textContent = link.download;
    row.tr.querySelector(".output").append(link);
    return link;
  }

  function offerDownload(row, outputPath, ce3) {
    row.ce3 = ce3;
    row.outputPath = outputPath;
    row.ce3Url = addDownload(row, "download", outputPath, ce3).href;
  }

  // The KiCad schematic of a row's drawing, when the module made one.
  function offerKicad(row, reply) {
    if (!reply.kicad || reply.kicad.byteLength === 0) {
      return;
    }
    row.kicad = reply.kicad;
    row.kicadPath = reply.kicadOutput;
    const link = addDownload(row, "kicad", reply.kicadOutput, reply.kicad);
    link.title = texts.downloadKicad;
    row.kicadUrl = link.href;
  }

  function noteWritten(row) {
    const note = document.createElement("span");
    note.className = "written";
    note.textContent = " " + texts.written;
    row.tr.querySelector(".output").append(note);
  }

  function rowKey(event, row) {
    if (event.key === "Enter" || event.key === " ") {
      event.preventDefault();
      select(row);
    } else if (event.key === "ArrowDown" || event.key === "ArrowUp") {
      event.preventDefault();
      const next = event.key === "ArrowDown" ? row.tr.nextElementSibling
                                             : row.tr.previousElementSibling;
      if (next) {
        next.focus();
      }
    }
  }

  // ---- The preview.

  function showPreviewText(text, name) {
    const paragraph = document.createElement("p");
    paragraph.textContent = text;
    $("preview").replaceChildren(paragraph);
    $("preview").dataset.name = name;
  }

  // The drawing fitted to the pane's width, zoomed by steps about the middle of what is seen.
  function showPreviewSvg(row) {
    const sheet = document.createElement("div");
    sheet.className = "sheet";
    const image = document.createElement("img");
    image.src = row.svgUrl;
    image.alt = row.name;
    sheet.append(image);
    let zoom = 1;
    const zoomTo = (next) => {
      const middleX = (sheet.scrollLeft + sheet.clientWidth / 2) / sheet.scrollWidth;
      const middleY = (sheet.scrollTop + sheet.clientHeight / 2) / sheet.scrollHeight;
      zoom = Math.min(MAX_ZOOM, Math.max(1, next));
      image.style.width = `${zoom * 100}%`;
      sheet.scrollLeft = middleX * sheet.scrollWidth - sheet.clientWidth / 2;
      sheet.scrollTop = middleY * sheet.scrollHeight - sheet.clientHeight / 2;
    };
    const bar = document.createElement("div");
    bar.className = "zoom";
    for (const [label, text, factor] of [["zoomOut", "−", 1 / ZOOM_STEP], ["zoomFit", null, 0],
                                         ["zoomIn", "+", ZOOM_STEP]]) {
      const button = document.createElement("button");
      button.type = "button";
      button.textContent = text ?? texts[label];
      button.setAttribute("aria-label", texts[label]);
      button.title = texts[label];
      button.addEventListener("click", () => zoomTo(factor === 0 ? 1 : zoom * factor));
      bar.append(button);
    }
    const whole = document.createElement("a");
    whole.href = row.svgUrl;
    whole.target = "_blank";
    whole.rel = "noopener";
    whole.textContent = texts.openDrawing;
    bar.append(whole);
    $("preview").replaceChildren(bar, sheet);
    $("preview").dataset.name = row.name;
  }

  function offerLargeDrawing(row) {
    const notice = document.createElement("p");
    notice.textContent = texts.largeDrawing.replace("%lu", String(row.elements));
    const show = document.createElement("button");
    show.type = "button";
    show.textContent = texts.showLarge;
    show.addEventListener("click", () => select(row, true));
    $("preview").replaceChildren(notice, show);
    $("preview").dataset.name = row.name;
  }

  // Shows the drawing of a row; a large one only once the user confirms.
  async function select(row, confirmed = false) {
    for (const other of batch.rows) {
      other.tr.setAttribute("aria-selected", String(other === row));
    }
    if (row.elements > LARGE_DRAWING && !confirmed) {
      offerLargeDrawing(row);
      return;
    }
    const number = batchNumber;
    if (!row.svgUrl && row.kind === "ce2" && row.tr.dataset.state === "converted" &&
        !row.notDrawn) {
      showPreviewText("…", row.name);
      const file = row.file || await row.handle.getFile();
      const reply = await runJob({ job: "draw", kind: "ce2", name: row.name, file,
                                   fonts: batch.fonts, drawSvg: true, kicad: false }, true);
      if (number !== batchNumber) {
        return;
      }
      if (reply.svg) {
        row.svgUrl = URL.createObjectURL(new Blob([reply.svg], { type: "image/svg+xml" }));
      } else {
        row.notDrawn = reply.notDrawn || morvex.notEnoughMemoryLine(row.name);
      }
    }
    if (row.tr.getAttribute("aria-selected") !== "true") {
      return;  // another row was selected meanwhile
    }
    if (row.svgUrl) {
      showPreviewSvg(row);
    } else {
      showPreviewText(row.notDrawn || texts.noPreview, row.name);
    }
  }

  // ---- A batch.

  function showProgress(done, total) {
    let text = texts.converting;
    for (const n of [done, total]) {
      text = text.replace("%lu", String(n));
    }
    $("progress").textContent = text;
  }

  // Runs task(item) for every item, at most `limit` at once.
  async function forEachAtOnce(items, limit, task) {
    let next = 0;
    const runner = async () => {
      while (next < items.length) {
        await task(items[next++]);
      }
    };
    await Promise.all(Array.from({ length: Math.min(limit, items.length) }, runner));
  }

  function refusedLines(rows) {
    const names = new morvex.Names();
    for (const row of rows) {
      names.push_back(row.name);
    }
    const lines = morvex.refusedBeforeConverting(names);
    names.delete();
    return lines;
  }

  // What the output of a file beside its source holds now: null when it does not exist.
  async function existingOutput(row) {
    try {
      const handle = await row.dir.getFileHandle(finalName(row.outputPath));
      return new Uint8Array(await (await handle.getFile()).arrayBuffer());
    } catch (error) {
      if (error.name === "NotFoundError") {
        return null;
      }
      throw error;
    }
  }

  async function writeBesideSource(row, ce3) {
    const handle = await row.dir.getFileHandle(finalName(row.outputPath), { create: true });
    const writable = await handle.createWritable();
    await writable.write(ce3);
    await writable.close();  // the file is replaced as a whole, only now
  }

  function finalName(path) {
    return path.slice(path.lastIndexOf("/") + 1);
  }

  async function convertRow(row, counts, writeBeside, number) {
    let existing = null;
    if (writeBeside) {
      try {
        existing = await existingOutput(row);
      } catch (error) {
        setRow(row, "not-converted", morvex.cannotWriteLine(row.name, error.message));
        ++counts.notConverted;
        return;
      }
    }
    let reply;
    try {
      const file = row.file || await row.handle.getFile();
      // A folder written beside its drawings gets its .ce3 files alone, and no KiCad file.
      reply = await runJob({ job: "convert", kind: "ce2", name: row.name, file,
                             fonts: batch.fonts, drawSvg: false, kicad: batch.kicad && !writeBeside,
                             existing });
    } catch {
      reply = { failed: true };
    }
    if (number !== batchNumber) {
      return;  // a newer batch took the page's place: nothing of this one is written
    }
    if (reply.failed) {
      setRow(row, "not-converted", morvex.notEnoughMemoryLine(row.name));
      ++counts.notConverted;
      return;
    }
    if (reply.converted && writeBeside) {
      try {
        await writeBesideSource(row, reply.ce3);
      } catch (error) {
        setRow(row, "not-converted", morvex.cannotWriteLine(row.name, error.message));
        ++counts.notConverted;
        return;
      }
    }
    setRow(row, reply.converted ? "converted" : "not-converted", reply.line);
    if (reply.converted) {
      row.elements = reply.elements;
      ++counts.converted;
      counts.inPart += reply.inPart ? 1 : 0;
      offerDownload(row, reply.output, reply.ce3);
      if (writeBeside) {
        noteWritten(row);
      }
      offerKicad(row, reply);
    } else {
      ++counts.notConverted;
    }
  }

  async function drawRow(row) {
    const reply = await runJob({ job: "draw", kind: "ce3", name: row.name, file: row.file,
                                 kicad: batch.kicad });
    if (reply.failed) {
      setRow(row, "failed", morvex.notEnoughMemoryLine(row.name));
      return;
    }
    setRow(row, reply.drawn ? "drawn" : "failed", reply.line);
    if (reply.drawn) {
      row.elements = reply.elements;
      row.svgUrl = URL.createObjectURL(new Blob([reply.svg], { type: "image/svg+xml" }));
      offerKicad(row, reply);
    }
  }

  // Converts the files in the order given; writeBeside also writes each output beside its
  // source, in the folder picked.
  async function runBatch(entries, writeBeside) {
    const fonts = typedFonts();
    const problems = fontProblems(fonts);
    if (problems.length > 0) {
      showFontProblems([...problems, texts.fontsRefused]);
      return;
    }
    const number = ++batchNumber;
    // The files of an earlier batch not started yet are not converted any more.
    for (const job of queue.splice(0)) {
      job.resolve({ failed: true });
    }
    clearBatch();
    document.body.dataset.busy = "true";
    batch = { rows: entries.map(addRow), fonts: conversionFonts(fonts), kicad: $("kicad").checked };
    const drawings = batch.rows.filter((row) => row.kind === "ce2");
    const refused = refusedLines(drawings);
    const counts = { converted: 0, inPart: 0, notConverted: 0 };
    const toConvert = [];
    drawings.forEach((row, i) => {
      row.outputPath = morvex.outputPath(row.name);
      if (refused[i] !== null) {
        setRow(row, "not-converted", refused[i]);
        ++counts.notConverted;
      } else {
        toConvert.push(row);
      }
    });
    for (const row of batch.rows.filter((r) => r.kind === "other")) {
      setRow(row, "ignored", morvex.ignoredLine(row.name));
    }
    const work = [...toConvert, ...batch.rows.filter((row) => row.kind === "ce3")];
    let done = 0;
    showProgress(done, work.length);
    await forEachAtOnce(work, slots.length * 2, async (row) => {
      if (row.kind === "ce2") {
        await convertRow(row, counts, writeBeside, number);
      } else {
        await drawRow(row);
      }
      if (number === batchNumber) {
        showProgress(++done, work.length);
      }
    });
    if (number !== batchNumber) {
      return;
    }
    $("summary").textContent =
        morvex.batchSummary(counts.converted, counts.inPart, counts.notConverted);
    const first = batch.rows.find((row) => row.svgUrl ||
                                           row.tr.dataset.state === "converted");
    if (first) {
      await select(first);
    }
    document.body.dataset.busy = "false";
    enableZip();
  }

  function downloadAll() {
    const zipped = fflate.zipSync(zipFiles(), { level: 6 });
    const link = document.createElement("a");
    link.href = URL.createObjectURL(new Blob([zipped], { type: "application/zip" }));
    link.download = "morvex-ce3.zip";
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  async function pickFolderToWrite() {
    let dir;
    try {
      dir = await window.showDirectoryPicker({ mode: "readwrite" });
    } catch {
      return;  // cancelled or refused
    }
    const found = [];
    await walkDirectory(dir, dir.name, found);
    await runBatch(folderFiles(found), true);
  }

  // ---- Start.

  function placeTexts() {
    for (const element of document.querySelectorAll("[data-text]")) {
      element.textContent = texts[element.dataset.text];
    }
    document.title = texts.title;
    document.documentElement.lang = japanese ? "ja" : "en";
  }

  function connect() {
    $("pick-files").addEventListener("change", (event) => {
      const picked = [...event.target.files].map((file) => pickedFile(file.name, file));
      event.target.value = "";
      runBatch(picked, false);
    });
    $("pick-folder").addEventListener("change", (event) => {
      const found = [...event.target.files].map((file) => ({
        name: file.webkitRelativePath || file.name, file }));
      event.target.value = "";
      runBatch(folderFiles(found), false);
    });
    document.addEventListener("dragover", (event) => {
      event.preventDefault();
      document.body.classList.add("dragging");
    });
    document.addEventListener("dragleave", (event) => {
      if (event.relatedTarget === null) {
        document.body.classList.remove("dragging");
      }
    });
    document.addEventListener("drop", (event) => {
      event.preventDefault();
      document.body.classList.remove("dragging");
      // The entries are taken now: the drop's data is gone once the handler returns.
      const items = [...event.dataTransfer.items].filter((item) => item.kind === "file");
      const roots = items.map((item) => item.webkitGetAsEntry ? item.webkitGetAsEntry() : null);
      const files = items.map((item) => item.getAsFile());
      droppedFiles(roots, files).then((picked) => runBatch(picked, false));
    });
    for (const field of FONT_FIELDS) {
      $(FIELD_IDS[field]).addEventListener("input", fontsChanged);
    }
    $("font-defaults").addEventListener("click", () => {
      showFonts(defaults);
      fontsChanged();
    });
    $("all-zip").addEventListener("click", downloadAll);
    $("kicad").addEventListener("change", kicadChanged);
    if (typeof window.showDirectoryPicker === "function") {
      $("beside").hidden = false;
      $("write-beside").addEventListener("click", pickFolderToWrite);
    }
  }

  createMorvex({ preRun: [(module) => { module.ENV.LANG = LANG; }] }).then((module) => {
    morvex = module;
    morvex.setUpMessages();
    texts = morvex.pageTexts();
    // Faces are CP932 bytes; the browser's Shift_JIS decoder is Windows-31J, that is CP932.
    const stored = morvex.fontDefaults();
    const cp932 = new TextDecoder("shift_jis");
    defaults = { largeFace: cp932.decode(stored.largeFace), largeSize: stored.largeSize,
                 smallFace: cp932.decode(stored.smallFace), smallSize: stored.smallSize };
    placeTexts();
    showFonts(storedFonts());
    $("kicad").checked = storedKicad();
    showFontProblems(fontProblems(typedFonts()));
    startWorkers();
    connect();
    batch = { rows: [], fonts: null };
    showPreviewText(texts.previewHint, "");
    document.body.dataset.busy = "false";
  }, () => {
    // Before the module runs there are no translated texts.
    $("privacy").textContent = "The converter could not be started in this browser. A page " +
        "opened as a file cannot start it: open it through a web server (make web-serve).";
  });
})();
