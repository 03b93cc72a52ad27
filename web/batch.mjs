// The rules of the page's list of files, apart from the page so that Node runs them too: which
// files a pick gives and in which order, how a new pick joins the list, the state of each row
// through a run and its cancellation, what the progress and the summary count, why a file could
// not be read, how names are shown, and the names of the zip's entries. Which outputs collide is
// the converter's rule (refusedBeforeConverting); this module only says which rows to ask about.

const encoder = new TextEncoder();

// The states of a row. A row is worked on from "pending" through "running" to one of the others.
export const State = Object.freeze({
  pending: "pending",
  running: "running",
  converted: "converted",
  notConverted: "not-converted",
  unreadable: "unreadable",  // not converted: the browser could not read the file
  drawn: "drawn",
  failed: "failed",          // a .ce3 drawing not drawn
  ignored: "ignored",
  cancelled: "cancelled",
});

const failures = new Set([State.notConverted, State.unreadable, State.failed, State.cancelled]);

// Byte order of the UTF-8 names, as the converter sorts what it finds in a folder.
export function compareNames(a, b) {
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

// "ce2", "ce3" or "other", by the extension of the final component, in any case.
export function kindOf(name) {
  const final = name.slice(name.lastIndexOf("/") + 1);
  const dot = final.lastIndexOf(".");
  const extension = dot < 0 ? "" : final.slice(dot + 1).toLowerCase();
  return extension === "ce2" || extension === "ce3" ? extension : "other";
}

// A file picked by itself: a .ce2 drawing is converted, a .ce3 drawing drawn.
export function pickedFile(name, file) {
  return { name, file, kind: kindOf(name) };
}

// The files of one folder, sorted: its .ce2 drawings to convert, then the rest, ignored (a .ce3
// file in a folder is most likely an earlier output).
export function folderFiles(found) {
  const sorted = [...found].sort(compareNames);
  const drawings = sorted.filter((entry) => kindOf(entry.name) === "ce2");
  const others = sorted.filter((entry) => kindOf(entry.name) !== "ce2");
  return [...drawings.map((entry) => ({ ...entry, kind: "ce2" })),
          ...others.map((entry) => ({ ...entry, kind: "other" }))];
}

// A row of the list for a file picked.
export function newRow(entry) {
  return { ...entry, state: State.pending, line: entry.name };
}

// The list after a new pick: "replace" gives the new files alone; "add" puts them after the rows
// listed, leaving out a file whose name is listed already (picked twice, it would write the same
// output). Gives {rows, added}, added being the new rows.
export function joinPick(rows, entries, how) {
  const listed = new Set(how === "add" ? rows.map((row) => row.name) : []);
  const added = [];
  for (const entry of entries) {
    if (!listed.has(entry.name)) {
      listed.add(entry.name);
      added.push(newRow(entry));
    }
  }
  return { rows: how === "add" ? [...rows, ...added] : added, added };
}

// The .ce2 rows whose outputs the converter's plan decides, in the list's order: an earlier row
// keeps its output, so rows already done count as well as the new ones.
export function plannedRows(rows) {
  return rows.filter((row) => row.kind === "ce2");
}

// Whether a row is worked on in a run: a .ce2 drawing to convert or a .ce3 drawing to draw.
export function isWork(row) {
  return row.kind === "ce2" || row.kind === "ce3";
}

// The next row to start, in the list's order, or null.
export function nextPending(rows) {
  return rows.find((row) => row.state === State.pending) ?? null;
}

// Whether any row is still pending or under way.
export function isBusy(rows) {
  return rows.some((row) => row.state === State.pending || row.state === State.running);
}

// Cancels the rows not started: they become "cancelled"; rows under way finish. Gives them.
export function cancelPending(rows) {
  const cancelled = rows.filter((row) => row.state === State.pending);
  for (const row of cancelled) {
    row.state = State.cancelled;
  }
  return cancelled;
}

// The rows that "Retry" takes again: those the browser could not read.
export function retryable(rows) {
  return rows.filter((row) => row.state === State.unreadable);
}

// Whether a row is shown under "failures only".
export function isFailure(row) {
  return failures.has(row.state);
}

// The progress of a run: the rows it took on (`run`, a set) done so far, and their number.
export function progressOf(run) {
  let done = 0;
  for (const row of run) {
    done += row.state === State.pending || row.state === State.running ? 0 : 1;
  }
  return { done, total: run.size };
}

// The counts of the summary: converted (inPart of them in part), not converted (those not read
// and those cancelled among them), and cancelled, which the page tells of after the converter's
// summary.
export function summaryCounts(rows) {
  const counts = { converted: 0, inPart: 0, notConverted: 0, cancelled: 0 };
  for (const row of rows.filter((r) => r.kind === "ce2")) {
    if (row.state === State.converted) {
      ++counts.converted;
      counts.inPart += row.inPart ? 1 : 0;
    } else if (row.state === State.cancelled) {
      ++counts.cancelled;
      ++counts.notConverted;
    } else if (row.state === State.notConverted || row.state === State.unreadable) {
      ++counts.notConverted;
    }
  }
  return counts;
}

// What an error of reading a picked file means: "moved" when the file is gone or changed since it
// was picked (the browser keeps a snapshot of it: Chromium says NotFoundError or NotReadableError,
// Firefox an AbortError, the page aborting no read), "memory" when its bytes did not fit, "other"
// for anything else.
export function readFailure(error) {
  const name = error?.name ?? "";
  if (name === "NotFoundError" || name === "NotReadableError" || name === "AbortError") {
    return "moved";
  }
  if (name === "RangeError" || name === "QuotaExceededError" ||
      /out of memory|allocation failed/i.test(String(error?.message ?? error ?? ""))) {
    return "memory";
  }
  return "other";
}

// Characters that change how the text around them is ordered (bidi controls), or that are not
// shown at all (control characters).
const hidden = /[\u0000-\u001f\u007f-\u009f\u061c\u200e\u200f\u202a-\u202e\u2066-\u2069]/gu;

// A text with its control and bidi characters made visible as ⟨U+XXXX⟩, so that a name can
// neither hide part of itself nor reorder the line it is in.
export function visibleText(text) {
  return text.replace(hidden, (c) =>
      `\u27e8U+${c.codePointAt(0).toString(16).toUpperCase().padStart(4, "0")}\u27e9`);
}

const reservedNames = /^(con|prn|aux|nul|com[1-9]|lpt[1-9])(\..*)?$/i;

// One component of a name to save under: control and bidi characters and those that no common
// file system takes become "_", as do leading and trailing dots and spaces; a Windows device name
// gets a leading "_". Never empty, never "." or "..".
export function safeFileName(component) {
  let name = component.replace(hidden, "_").replace(/[<>:"/\\|?*]/g, "_")
                 .replace(/^[. ]+|[. ]+$/g, (ends) => "_".repeat(ends.length));
  if (reservedNames.test(name)) {
    name = `_${name}`;
  }
  return name === "" ? "_" : name;
}

// The path of an output in the zip: the folders below what was picked, each component saved
// safely; no absolute path, no empty, "." or ".." component, "/" alone between folders.
export function zipEntryName(path) {
  const parts = path.split(/[/\\]+/).filter((part) => part !== "" && part !== "." && part !== "..");
  return parts.length === 0 ? "_" : parts.map(safeFileName).join("/");
}

// The entries of the zip in the list's order, [name, data]: every .ce3 file and every KiCad file
// made, as the rows hold them. A name that an earlier entry took (names that differ only in what
// is made safe) gets " (2)", " (3)"... before its extension. Names are compared as most file
// systems do, in any case.
export function zipEntries(rows) {
  const taken = new Set();
  const entries = [];
  const add = (path, bytes) => {
    const name = zipEntryName(path);
    const dot = name.lastIndexOf(".") > name.lastIndexOf("/") ? name.lastIndexOf(".") : name.length;
    let unique = name;
    for (let n = 2; taken.has(unique.toLowerCase()); ++n) {
      unique = `${name.slice(0, dot)} (${n})${name.slice(dot)}`;
    }
    taken.add(unique.toLowerCase());
    entries.push([unique, bytes]);
  };
  for (const row of rows) {
    if (row.ce3) {
      add(row.outputPath, row.ce3);
    }
    if (row.kicad) {
      add(row.kicadPath, row.kicad);
    }
  }
  return entries;
}

// The name a single download is saved under: the final component of its zip entry.
export function downloadName(path) {
  const entry = zipEntryName(path);
  return entry.slice(entry.lastIndexOf("/") + 1);
}
