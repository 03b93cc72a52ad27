// The page's list rules (web/batch.mjs) in Node, table by table.
//   node --test tests/web/batch_test.mjs
import assert from 'node:assert/strict';
import {test} from 'node:test';

import {cancelPending, downloadName, folderFiles, isBusy, isFailure, joinPick, kindOf,
        nextPending, progressOf, readFailure, retryable, safeFileName, State, summaryCounts,
        visibleText, zipEntries, zipEntryName} from '../../web/batch.mjs';

const row = (name, state, more = {}) => ({name, kind: kindOf(name), state, ...more});

test('kind of a file by its final extension', () => {
    for (const [name, kind] of [
        ['a.ce2', 'ce2'], ['A.CE2', 'ce2'], ['dir.ce2/a.ce3', 'ce3'], ['dir.ce2/readme', 'other'],
        ['ce2', 'other'], ['.ce2', 'ce2'], ['a.ce2.txt', 'other'], ['a.ce22', 'other'],
    ]) {
        assert.equal(kindOf(name), kind, name);
    }
});

test('a folder: drawings first in byte order of UTF-8, the rest after, ignored', () => {
    const found = ['b/z.ce2', 'b/回路.ce2', 'b/a.txt', 'b/B.ce2', 'b/old.ce3', 'b/a.ce2']
                      .map((name) => ({name}));
    const files = folderFiles(found);
    assert.deepEqual(files.map((f) => `${f.name}:${f.kind}`), [
        'b/B.ce2:ce2', 'b/a.ce2:ce2', 'b/z.ce2:ce2', 'b/回路.ce2:ce2', 'b/a.txt:other',
        'b/old.ce3:other']);
});

test('a new pick joins the list', () => {
    const listed = [row('a.ce2', State.converted), row('b.ce2', State.running)];
    const picked = ['b.ce2', 'c.ce2', 'c.ce2', 'd.ce3'].map((name) => ({name, kind: kindOf(name)}));
    for (const [how, names, added] of [
        ['add', ['a.ce2', 'b.ce2', 'c.ce2', 'd.ce3'], ['c.ce2', 'd.ce3']],
        ['replace', ['b.ce2', 'c.ce2', 'd.ce3'], ['b.ce2', 'c.ce2', 'd.ce3']],
    ]) {
        const joined = joinPick(listed, picked, how);
        assert.deepEqual(joined.rows.map((r) => r.name), names, how);
        assert.deepEqual(joined.added.map((r) => r.name), added, how);
        assert.ok(joined.added.every((r) => r.state === State.pending), how);
        // The rows listed before keep their states.
        assert.equal(joined.rows.find((r) => r.name === 'a.ce2')?.state,
                     how === 'add' ? State.converted : undefined, how);
    }
});

test('a run: next row, cancellation, retry, busy, progress', () => {
    const rows = [row('a.ce2', State.converted), row('b.ce2', State.running),
                  row('c.ce2', State.pending), row('d.ce3', State.pending),
                  row('e.ce2', State.unreadable), row('f.txt', State.ignored)];
    const run = new Set(rows.slice(0, 4));
    assert.equal(nextPending(rows)?.name, 'c.ce2');
    assert.deepEqual(progressOf(run), {done: 1, total: 4});
    assert.equal(isBusy(rows), true);
    const cancelled = cancelPending(rows);
    assert.deepEqual(cancelled.map((r) => r.name), ['c.ce2', 'd.ce3']);
    assert.deepEqual(rows.map((r) => r.state), [State.converted, State.running, State.cancelled,
                                                State.cancelled, State.unreadable, State.ignored]);
    assert.equal(nextPending(rows), null);
    // Under way is still busy; done once the running row finishes.
    assert.equal(isBusy(rows), true);
    rows[1].state = State.notConverted;
    assert.equal(isBusy(rows), false);
    assert.deepEqual(progressOf(run), {done: 4, total: 4});
    assert.deepEqual(retryable(rows).map((r) => r.name), ['e.ce2']);
    assert.deepEqual(rows.filter(isFailure).map((r) => r.name),
                     ['b.ce2', 'c.ce2', 'd.ce3', 'e.ce2']);
});

test('the counts of the summary', () => {
    const rows = [row('a.ce2', State.converted, {inPart: true}), row('b.ce2', State.converted),
                  row('c.ce2', State.notConverted), row('d.ce2', State.unreadable),
                  row('e.ce2', State.cancelled), row('f.ce3', State.cancelled),
                  row('g.ce3', State.failed), row('h.txt', State.ignored)];
    assert.deepEqual(summaryCounts(rows), {converted: 2, inPart: 1, notConverted: 3, cancelled: 1});
});

test('what an error of reading means', () => {
    const named = (name, message = '') => Object.assign(new Error(message), {name});
    for (const [error, meaning] of [
        [named('NotFoundError'), 'moved'], [named('NotReadableError'), 'moved'],
        [named('AbortError', 'The operation was aborted. '), 'moved'],
        [new RangeError('Array buffer allocation failed'), 'memory'],
        [named('QuotaExceededError'), 'memory'], [new Error('Out of memory'), 'memory'],
        [named('SecurityError'), 'other'], [new Error('Aborted()'), 'other'], [undefined, 'other'],
    ]) {
        assert.equal(readFailure(error), meaning, String(error?.name));
    }
});

test('names shown with their hidden characters visible', () => {
    for (const [name, shown] of [
        ['plain 回路.ce2', 'plain 回路.ce2'],
        ['invoice\u202Egpj.ce2', 'invoice⟨U+202E⟩gpj.ce2'],
        ['a\nb\u0000c\u007F', 'a⟨U+000A⟩b⟨U+0000⟩c⟨U+007F⟩'],
        ['\u2066x\u2069\u200F\u061C', '⟨U+2066⟩x⟨U+2069⟩⟨U+200F⟩⟨U+061C⟩'],
        ['שלום.ce2', 'שלום.ce2'],  // right-to-left letters stay: the page isolates them
    ]) {
        assert.equal(visibleText(name), shown, JSON.stringify(name));
    }
});

test('names saved: zip entries and single downloads', () => {
    for (const [path, entry, download] of [
        ['a.ce3', 'a.ce3', 'a.ce3'],
        ['board/sub/回路 図.ce3', 'board/sub/回路 図.ce3', '回路 図.ce3'],
        ['..\\..\\evil.ce3', 'evil.ce3', 'evil.ce3'],
        ['/etc/../x.ce3', 'etc/x.ce3', 'x.ce3'],
        ['C:\\x.ce3', 'C_/x.ce3', 'x.ce3'],
        ['a/./b//c.ce3', 'a/b/c.ce3', 'c.ce3'],
        ['line\nbreak.ce3', 'line_break.ce3', 'line_break.ce3'],
        ['invoice\u202Egpj.ce3', 'invoice_gpj.ce3', 'invoice_gpj.ce3'],
        ['q"<>|?*.ce3', 'q______.ce3', 'q______.ce3'],
        ['dir/ .hidden. ', 'dir/__hidden__', '__hidden__'],
        ['nul.ce3', '_nul.ce3', '_nul.ce3'],
        ['CON', '_CON', '_CON'],
        ['console.ce3', 'console.ce3', 'console.ce3'],
        ['../..', '_', '_'],
    ]) {
        assert.equal(zipEntryName(path), entry, JSON.stringify(path));
        assert.equal(downloadName(path), download, JSON.stringify(path));
        assert.equal(safeFileName(entry.split('/').at(-1)), entry.split('/').at(-1));
    }
});

test('zip entries are unique, in the list order, KiCad files after their .ce3', () => {
    const bytes = (text) => new TextEncoder().encode(text);
    const rows = [
        {outputPath: 'a.ce3', ce3: bytes('1'), kicadPath: 'a.kicad_sch', kicad: bytes('k')},
        {outputPath: 'no output'},
        {outputPath: 'a\u202E.ce3', ce3: bytes('2')},
        {outputPath: 'a_.ce3', ce3: bytes('3')},
        {outputPath: 'A_.CE3', ce3: bytes('4')},
        {outputPath: 'dir.v2/noext', ce3: bytes('5')},
        {outputPath: 'dir.v2\\noext', ce3: bytes('6')},
    ];
    const entries = zipEntries(rows);
    assert.deepEqual(entries.map(([name, data]) => `${name}=${new TextDecoder().decode(data)}`), [
        'a.ce3=1', 'a.kicad_sch=k', 'a_.ce3=2', 'a_ (2).ce3=3', 'A_ (3).CE3=4', 'dir.v2/noext=5',
        'dir.v2/noext (2)=6']);
});
