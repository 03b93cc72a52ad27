// The page: takes drawings picked or dropped into a list, converts them in workers (worker.js),
// one row per file with the line a batch gives for it, the summary, a preview of the selected
// row, downloads (each .ce3 file and its KiCad schematic, or all in a zip made by zip_worker.js),
// and, where the browser can write to a folder, the outputs beside their sources.
// The converter's rules (which files collide, which outputs are kept, every text shown) come from
// its module; the list's own rules from batch.mjs; this script moves files and fills the page.
"use strict";

(() => {
  const $ = (id) => document.getElementById(id);
  const FONTS_KEY = "morvex.fonts";
  const KICAD_KEY = "morvex.kicad";
  // Above this many elements a drawing is not drawn in the pane but opened by itself: the browser
  // draws an SVG image on the page's own thread, in one task (240 ms for 16,000 elements in
  // headless Chromium), and a task over 200 ms is felt.
  const LARGE_DRAWING = 10000;
  const ZOOM_STEP = 1.5;
  const MAX_ZOOM = 32;
  const FONT_FIELDS = ["largeFace", "largeSize", "smallFace", "smallSize"];
  const FIELD_IDS = { largeFace: "large-face", largeSize: "large-size",
                      smallFace: "small-face", smallSize: "small-size" };
  const browserLanguage = (navigator.languages && navigator.languages[0]) ||
                          navigator.language || "en";
  const japanese = browserLanguage.toLowerCase().startsWith("ja");
  const LANG = japanese ? "ja_JP.UTF-8" : "en_US.UTF-8";

  let rules = null;   // batch.mjs
  let morvex = null;  // the page's own module: the converter's rules and texts
  let texts = {};
  let defaults = {};
  let rows = [];      // the list shown
  let run = new Set();  // the rows taken on since the page was last idle, for the progress
  let listNumber = 0;   // changes when the list is replaced or cleared
  let active = 0;       // rows under way

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

  // The jobs of the list not given to a worker yet end as cancelled; previews stay.
  function dropQueuedFiles() {
    for (let i = queue.length - 1; i >= 0; --i) {
      if (queue[i].message.preview !== true) {
        queue.splice(i, 1)[0].resolve({ cancelled: true });
      }
    }
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
        picked.push(...rules.folderFiles(found));
      } else if (root) {
        picked.push(rules.pickedFile(root.name, await fileOfEntry(root)));
      } else if (files[i]) {
        picked.push(rules.pickedFile(files[i].name, files[i]));
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

  // ---- Whether a batch makes KiCad schematics too, remembered in the browser. Only files picked
  // with the box ticked make them, as a run of morvex-cli --kicad does: a large drawing takes much
  // longer as a schematic than as a .ce3 file.

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

  // ---- Rows.

  function revokeUrls(list) {
    for (const row of list) {
      for (const url of [row.ce3Url, row.kicadUrl, row.svgUrl]) {
        if (url) {
          URL.revokeObjectURL(url);
        }
      }
    }
  }

  // The report cell: the name isolated from the rest of the line, so that right-to-left letters
  // in it reorder nothing else, and every hidden character shown.
  function showLine(row) {
    const cell = row.tr.querySelector(".report");
    const name = document.createElement("bdi");
    name.textContent = rules.visibleText(row.name);
    const rest = row.line.startsWith(row.name) ? row.line.slice(row.name.length) : "";
    const parts = [name];
    if (rest !== "") {
      parts.push(rules.visibleText(rest));
    } else if (row.line !== row.name) {
      parts[0].textContent = rules.visibleText(row.line);
    }
    cell.replaceChildren(...parts);
    cell.title = rules.visibleText(row.name);
  }

  function addRow(row) {
    const tr = document.createElement("tr");
    tr.className = "file";
    tr.tabIndex = -1;
    tr.dataset.name = row.name;
    tr.setAttribute("aria-selected", "false");
    const report = document.createElement("td");
    report.className = "report";
    const output = document.createElement("td");
    output.className = "output";
    tr.append(report, output);
    $("results").tBodies[0].append(tr);
    Object.assign(row, { tr, ce3: null, ce3Url: null, kicad: null, kicadUrl: null, svgUrl: null,
                         notDrawn: null, elements: 0 });
    tr.addEventListener("click", () => select(row));
    tr.addEventListener("keydown", (event) => rowKey(event, row));
    setRow(row, row.state, row.line, row.csv);
  }

  // Sets a row's state, its line and its rows in the CSV report (bytes).
  function setRow(row, state, line, csv = "") {
    row.state = state;
    row.line = line;
    row.csv = csv;
    // A file not read is shown as not converted; the page tells it apart to retry it.
    row.tr.dataset.state = state === rules.State.unreadable ? "not-converted" : state;
    row.tr.classList.toggle("failure", rules.isFailure(row));
    showLine(row);
  }

  // Only one row is in the Tab order: the one selected, or the first; arrows move between rows.
  function updateTabStop() {
    const current = rows.find((row) => row.tr.getAttribute("aria-selected") === "true") ?? rows[0];
    for (const row of rows) {
      row.tr.tabIndex = row === current ? 0 : -1;
    }
  }

  // A link that saves the bytes under the name a single download gets; gives the Blob it saves,
  // which the row keeps for the zip (a Blob goes to the zip's worker without being copied).
  function addDownload(row, className, path, bytes) {
    const blob = new Blob([bytes], { type: "application/octet-stream" });
    const link = document.createElement("a");
    link.className = className;
    link.href = URL.createObjectURL(blob);
    link.download = rules.downloadName(path);
    link.textContent = link.download;
    row.tr.querySelector(".output").append(link);
    return { link, blob };
  }

  function offerDownload(row, outputPath, ce3) {
    row.outputPath = outputPath;
    const { link, blob } = addDownload(row, "download", outputPath, ce3);
    row.ce3 = blob;
    row.ce3Url = link.href;
  }

  // The KiCad schematic of a row's drawing, when the module made one.
  function offerKicad(row, reply) {
    if (!reply.kicad || reply.kicad.byteLength === 0) {
      return;
    }
    row.kicadPath = reply.kicadOutput;
    const { link, blob } = addDownload(row, "kicad", reply.kicadOutput, reply.kicad);
    link.title = texts.downloadKicad;
    row.kicad = blob;
    row.kicadUrl = link.href;
  }

  function noteWritten(row) {
    const note = document.createElement("span");
    note.className = "written";
    note.textContent = " " + texts.written;
    row.tr.querySelector(".output").append(note);
  }

  function rowKey(event, row) {
    if (event.target !== row.tr) {
      return;  // a link of the row
    }
    if (event.key === "Enter" || event.key === " ") {
      event.preventDefault();
      select(row);
    } else if (event.key === "ArrowDown" || event.key === "ArrowUp") {
      event.preventDefault();
      let next = row.tr;
      do {
        next = event.key === "ArrowDown" ? next.nextElementSibling : next.previousElementSibling;
      } while (next && next.offsetParent === null);  // rows hidden by the filter are passed
      if (next) {
        row.tr.tabIndex = -1;
        next.tabIndex = 0;
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

  function openLink(row) {
    const whole = document.createElement("a");
    whole.href = row.svgUrl;
    whole.target = "_blank";
    whole.rel = "noopener";
    whole.textContent = texts.openDrawing;
    return whole;
  }

  // The drawing fitted to the pane's width, zoomed by steps about the middle of what is seen.
  function showPreviewSvg(row) {
    const sheet = document.createElement("div");
    sheet.className = "sheet";
    // Scrolled by the keyboard too.
    sheet.tabIndex = 0;
    sheet.setAttribute("role", "region");
    sheet.setAttribute("aria-label", rules.visibleText(row.name));
    const image = document.createElement("img");
    image.src = row.svgUrl;
    image.alt = rules.visibleText(row.name);
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
    bar.append(openLink(row));
    $("preview").replaceChildren(bar, sheet);
    $("preview").dataset.name = row.name;
  }

  // What the pane says of a large drawing instead of showing it.
  function largeNotice(row) {
    const notice = document.createElement("p");
    notice.textContent = texts.largeDrawing.replace("%lu", String(row.elements));
    return notice;
  }

  // A large drawing is drawn only when asked: drawing it takes seconds and much memory.
  function offerToDrawLarge(row) {
    const button = document.createElement("button");
    button.type = "button";
    button.className = "draw-large";
    button.textContent = texts.showLarge;
    button.addEventListener("click", () => select(row, true));
    $("preview").replaceChildren(largeNotice(row), button);
    $("preview").dataset.name = row.name;
  }

  // A large drawing is not drawn in the pane, where it would keep the page busy for seconds: it
  // opens by itself in a tab of its own.
  function offerLargeDrawing(row) {
    const link = openLink(row);
    link.className = "large";
    $("preview").replaceChildren(largeNotice(row), link);
    $("preview").dataset.name = row.name;
  }

  // Shows the drawing of a row; a large one once `drawLarge` says that the user asked for it.
  async function select(row, drawLarge = false) {
    for (const other of rows) {
      other.tr.setAttribute("aria-selected", String(other === row));
    }
    updateTabStop();
    const number = listNumber;
    if (!row.svgUrl && row.kind === "ce2" && row.state === rules.State.converted &&
        !row.notDrawn) {
      if (row.elements > LARGE_DRAWING && !drawLarge) {
        offerToDrawLarge(row);
        return;
      }
      showPreviewText("…", row.name);
      let reply;
      try {
        const file = row.file || await row.handle.getFile();
        reply = await runJob({ job: "draw", kind: "ce2", name: row.name, file, preview: true,
                               fonts: row.fonts, drawSvg: true, kicad: false }, true);
      } catch (error) {
        reply = { unreadable: true, errorName: error.name, reason: String(error) };
      }
      if (number !== listNumber) {
        return;
      }
      if (reply.svg) {
        row.svgUrl = URL.createObjectURL(new Blob([reply.svg], { type: "image/svg+xml" }));
      } else {
        row.notDrawn = reply.notDrawn || failureTold(row, reply).line;
      }
    }
    if (row.tr.getAttribute("aria-selected") !== "true") {
      return;  // another row was selected meanwhile
    }
    if (row.svgUrl && row.elements > LARGE_DRAWING) {
      offerLargeDrawing(row);
    } else if (row.svgUrl) {
      showPreviewSvg(row);
    } else {
      showPreviewText(row.notDrawn || texts.noPreview, row.name);
    }
  }

  // ---- Converting the list.

  function filledIn(text, ...numbers) {
    for (const n of numbers) {
      text = text.replace("%lu", String(n));
    }
    return text;
  }

  function showProgress() {
    const { done, total } = rules.progressOf(run);
    $("progress-bar").max = Math.max(total, 1);
    $("progress-bar").value = done;
    $("progress").textContent = filledIn(texts.converting, done, total);
  }

  function refusedLines(list) {
    const names = new morvex.Names();
    for (const row of list) {
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

  // {line, csv} of a file whose job failed outside the conversion, by the cause: a file the
  // browser could not read (gone or changed since it was picked, or for the reason it gives), or
  // memory that ran out while it was read or converted.
  function failureTold(row, reply) {
    if (reply.unreadable) {
      const cause = rules.readFailure({ name: reply.errorName, message: reply.reason });
      if (cause !== "memory") {
        return morvex.cannotRead(row.name, cause === "moved" ? "" : reply.reason ?? "");
      }
    }
    return morvex.notEnoughMemory(row.name);
  }

  // Converts a .ce2 row, or draws a .ce3 one; nothing is shown of a list replaced meanwhile.
  async function workOn(row) {
    const number = listNumber;
    let existing = null;
    if (row.writeBeside && row.kind === "ce2") {
      try {
        existing = await existingOutput(row);
      } catch (error) {
        return morvex.cannotWrite(row.name, error.message);
      }
    }
    let reply;
    try {
      const file = row.file || await row.handle.getFile();
      reply = row.kind === "ce2"
          // A folder written beside its drawings gets its .ce3 files alone, and no KiCad file.
          ? await runJob({ job: "convert", kind: "ce2", name: row.name, file, fonts: row.fonts,
                           drawSvg: false, kicad: row.makeKicad && !row.writeBeside, existing })
          : await runJob({ job: "draw", kind: "ce3", name: row.name, file, kicad: row.makeKicad });
    } catch (error) {
      reply = { unreadable: true, errorName: error.name, reason: String(error) };
    }
    if (number !== listNumber || reply.cancelled) {
      return reply;
    }
    if (reply.converted && row.writeBeside) {
      try {
        await writeBesideSource(row, reply.ce3);
      } catch (error) {
        return morvex.cannotWrite(row.name, error.message);
      }
    }
    return reply;
  }

  function showReply(row, reply) {
    const State = rules.State;
    if (reply.cancelled) {
      const told = morvex.cancelled(row.name);
      setRow(row, State.cancelled, told.line, told.csv);
    } else if (reply.unreadable || reply.failed) {
      const failed = row.kind === "ce2" ? State.notConverted : State.failed;
      const unread = reply.unreadable && rules.readFailure(
          { name: reply.errorName, message: reply.reason }) !== "memory";
      const told = failureTold(row, reply);
      setRow(row, unread && row.kind === "ce2" ? State.unreadable : failed, told.line, told.csv);
    } else if (row.kind === "ce3") {
      setRow(row, reply.drawn ? State.drawn : State.failed, reply.line, reply.csv);
      if (reply.drawn) {
        row.elements = reply.elements;
        row.svgUrl = URL.createObjectURL(new Blob([reply.svg], { type: "image/svg+xml" }));
        offerKicad(row, reply);
      }
    } else if (reply.converted) {
      setRow(row, State.converted, reply.line, reply.csv);
      row.elements = reply.elements;
      row.inPart = reply.inPart;
      offerDownload(row, reply.output, reply.ce3);
      if (row.writeBeside) {
        noteWritten(row);
      }
      offerKicad(row, reply);
    } else {
      setRow(row, State.notConverted, reply.line, reply.csv);
    }
  }

  // Starts rows while workers can take them, twice as many as workers so that none waits.
  function pump() {
    const number = listNumber;
    for (let row = rules.nextPending(rows); row !== null && active < slots.length * 2;
         row = rules.nextPending(rows)) {
      row.state = rules.State.running;
      ++active;
      // An error that nothing above foresaw ends the row as a file that could not be read.
      workOn(row).catch((error) => ({ unreadable: true, errorName: error?.name ?? "",
                                      reason: String(error?.message ?? error) })).then((reply) => {
        if (number !== listNumber) {
          return;
        }
        --active;
        showReply(row, reply);
        showProgress();
        pump();
      });
    }
    if (active === 0 && !rules.isBusy(rows)) {
      finishRun();
    }
  }

  function showSummary() {
    const counts = rules.summaryCounts(rows);
    let summary = morvex.batchSummary(counts.converted, counts.inPart, counts.notConverted);
    if (counts.cancelled > 0) {
      summary += (summary === "" ? "" : " ") + filledIn(texts.cancelledCount, counts.cancelled);
    }
    $("summary").textContent = summary;
  }

  function finishRun() {
    run = new Set();
    $("run").hidden = true;
    $("progress").textContent = "";
    showSummary();
    document.body.dataset.busy = "false";
    showActions();
    if (!rows.some((row) => row.tr.getAttribute("aria-selected") === "true")) {
      const first = rows.find((row) => row.svgUrl || row.state === rules.State.converted);
      if (first) {
        select(first);
      }
    }
    updateTabStop();
  }

  function showActions() {
    const idle = document.body.dataset.busy === "false";
    $("all-zip").disabled = !idle || rules.zipEntries(rows).length === 0;
    $("retry").hidden = !idle || rules.retryable(rows).length === 0;
    $("clear").disabled = rows.length === 0;
    $("save-report").disabled = !idle || !rows.some((row) => row.kind === "ce2");
  }

  // Takes the new rows into the list and starts them: the converter's plan refuses a file whose
  // output an earlier one writes.
  function startRows(added) {
    const drawings = rules.plannedRows(rows);
    const refused = refusedLines(drawings);
    drawings.forEach((row, i) => {
      row.outputPath = morvex.outputPath(row.name);
      if (refused[i] !== null && row.state === rules.State.pending) {
        row.state = rules.State.notConverted;
        row.line = refused[i].line;
        row.csv = refused[i].csv;
      }
    });
    for (const row of added) {
      if (row.kind === "other") {
        row.state = rules.State.ignored;
        row.line = morvex.ignoredLine(row.name);
      }
      addRow(row);
      if (rules.isWork(row)) {
        run.add(row);
      }
    }
    document.body.dataset.busy = "true";
    $("summary").textContent = "";
    $("run").hidden = false;
    showActions();
    showProgress();
    updateTabStop();
    pump();
  }

  function clearList() {
    ++listNumber;
    dropQueuedFiles();
    revokeUrls(rows);
    rows = [];
    run = new Set();
    active = 0;
    $("results").tBodies[0].replaceChildren();
    $("summary").textContent = "";
    $("progress").textContent = "";
    $("run").hidden = true;
    showPreviewText(texts.previewHint, "");
    document.body.dataset.busy = "false";
    showActions();
  }

  // Asks whether files picked while the list holds some join it or take its place: "add",
  // "replace", or null when the pick is let go.
  function askHowToJoin() {
    const dialog = $("join");
    if (dialog.open) {
      return Promise.resolve(null);  // a pick while the question is asked is let go
    }
    return new Promise((resolve) => {
      dialog.addEventListener("close", () => resolve(dialog.returnValue || null), { once: true });
      dialog.returnValue = "";
      dialog.showModal();
    });
  }

  // Takes files picked: the fonts must be right; into a list that holds files already they are
  // added or replace it, as the user says. writeBeside also writes each output beside its
  // source, in the folder picked.
  async function takePick(entries, writeBeside) {
    const fonts = typedFonts();
    const problems = fontProblems(fonts);
    if (problems.length > 0) {
      showFontProblems([...problems, texts.fontsRefused]);
      $("summary").textContent = texts.fontsRefused;
      return;
    }
    let how = "replace";
    if (rows.length > 0) {
      how = await askHowToJoin();
      if (how === null) {
        return;
      }
    }
    if (how === "replace") {
      clearList();
    }
    const settings = { fonts: conversionFonts(fonts), makeKicad: $("kicad").checked, writeBeside };
    const joined = rules.joinPick(rows, entries.map((entry) => ({ ...entry, ...settings })), how);
    rows = joined.rows;
    startRows(joined.added);
  }

  function cancelList() {
    for (const row of rules.cancelPending(rows)) {
      const told = morvex.cancelled(row.name);
      setRow(row, rules.State.cancelled, told.line, told.csv);
    }
    dropQueuedFiles();  // their rows end as cancelled when their jobs resolve
    showProgress();
    pump();
  }

  function retryUnread() {
    const again = rules.retryable(rows);
    for (const row of again) {
      setRow(row, rules.State.pending, row.name);
      run.add(row);
    }
    document.body.dataset.busy = "true";
    $("run").hidden = false;
    showActions();
    showProgress();
    pump();
  }

  // Saves the CSV report of the list, the rows morvex-cli --report writes for the same files.
  function saveReport() {
    const parts = [morvex.csvHeader(), ...rows.map((row) => row.csv ?? "")];
    saveAs(new Blob(parts, { type: "text/csv;charset=utf-8" }), "morvex-report.csv");
  }

  function saveAs(blob, name) {
    const link = document.createElement("a");
    link.href = URL.createObjectURL(blob);
    link.download = name;
    document.body.append(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
  }

  // ---- The zip, made in a worker of its own, kept for the next zip; Cancel ends it.

  let zipWorker = null;

  function showZipping(zipping) {
    $("zipping").hidden = !zipping;
    $("all-zip").hidden = zipping;
  }

  function cancelZip() {
    zipWorker?.terminate();
    zipWorker = null;
    showZipping(false);
    $("all-zip").focus();
  }

  function downloadAll() {
    const entries = rules.zipEntries(rows);
    zipWorker ??= new Worker("zip_worker.js");
    showZipping(true);
    $("zip-bar").max = entries.length;
    $("zip-bar").value = 0;
    $("zip-progress").textContent = filledIn(texts.zipping, 0, entries.length);
    zipWorker.onmessage = (event) => {
      const message = event.data;
      if (message.zip) {
        showZipping(false);
        saveAs(message.zip, "morvex-ce3.zip");
        $("all-zip").focus();
      } else {
        $("zip-bar").value = message.done;
        $("zip-progress").textContent = filledIn(texts.zipping, message.done, entries.length);
      }
    };
    zipWorker.onerror = (event) => {
      event.preventDefault();
      cancelZip();
    };
    zipWorker.postMessage({ entries });
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
    await takePick(rules.folderFiles(found), true);
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
      const picked = [...event.target.files].map((file) => rules.pickedFile(file.name, file));
      event.target.value = "";
      takePick(picked, false);
    });
    $("pick-folder").addEventListener("change", (event) => {
      const found = [...event.target.files].map((file) => ({
        name: file.webkitRelativePath || file.name, file }));
      event.target.value = "";
      takePick(rules.folderFiles(found), false);
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
      droppedFiles(roots, files).then((picked) => takePick(picked, false));
    });
    for (const field of FONT_FIELDS) {
      $(FIELD_IDS[field]).addEventListener("input", fontsChanged);
    }
    $("font-defaults").addEventListener("click", () => {
      showFonts(defaults);
      fontsChanged();
    });
    $("cancel").addEventListener("click", cancelList);
    $("clear").addEventListener("click", clearList);
    $("retry").addEventListener("click", retryUnread);
    $("save-report").addEventListener("click", saveReport);
    $("all-zip").addEventListener("click", downloadAll);
    $("cancel-zip").addEventListener("click", cancelZip);
    $("failures-only").addEventListener("change", (event) => {
      $("results").classList.toggle("failures-only", event.target.checked);
    });
    $("kicad").addEventListener("change", kicadChanged);
    if (typeof window.showDirectoryPicker === "function") {
      $("beside").hidden = false;
      $("write-beside").addEventListener("click", pickFolderToWrite);
    }
  }

  // Opened as a file, the page cannot load its module (browsers refuse it to file: pages): it
  // says so and shows none of its controls. Before the module runs there are no translated texts.
  function cannotStart() {
    document.body.dataset.busy = "unavailable";
    $("privacy").textContent = "The converter could not be started in this browser. A page " +
        "opened as a file cannot start it: it works when opened from a web server.";
  }

  if (location.protocol === "file:") {
    cannotStart();
    return;
  }
  const loaded = import("./batch.mjs").then((module) => {
    rules = module;
    return createMorvex({ preRun: [(m) => { m.ENV.LANG = LANG; }] });
  });
  loaded.then((module) => {
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
    showPreviewText(texts.previewHint, "");
    document.body.dataset.busy = "false";
    showActions();
    // The site's files kept for use offline; the page works without them as well.
    navigator.serviceWorker?.register("service_worker.js").catch(() => {});
  }, cannotStart);
})();
