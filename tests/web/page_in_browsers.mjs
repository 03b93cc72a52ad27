// The page in headless Chromium, against morvex-cli --kicad on the same files: the report line of
// every .ce2 file, the batch summary, the CSV report, the .ce3 files downloaded through the page's
// links and in its zip, the KiCad files of its links and of the zip with them (byte for byte), the
// preview of the rows clicked, axe-core in the light and dark schemes, a second batch of one file,
// the reports in Japanese, a batch cancelled, a file gone before it is read, hostile and long
// names, a zip of 300 drawings with no long task on the page's thread, the headers, the page
// opened as a file, offline and installable, a folder converted with its outputs written beside
// the drawings (morvex-cli without --kicad), a file of it read on retry, and that neither the page
// nor its workers ask anything of any server but the page's own. Then the same files in Firefox,
// report for report, with their KiCad files, axe-core, cancelling, names, and offline.
// MORVEX_PAGE_TEST_VERBOSE=1 prints each step's time as it ends.
//   node tests/web/page_in_browsers.mjs MORVEX_CLI MAKE_SEEDS SITE_FOLDER
// Exits 1 with what differed, 2 on a wrong invocation.
import {execFileSync, spawnSync} from 'node:child_process';
import {once} from 'node:events';
import {copyFileSync, existsSync, mkdirSync, mkdtempSync, readFileSync, readdirSync, rmSync,
        statSync, writeFileSync} from 'node:fs';
import {createRequire} from 'node:module';
import {tmpdir} from 'node:os';
import path from 'node:path';

import {unzipSync} from 'fflate';
import puppeteer from 'puppeteer-core';

import {ce2Drawings} from './ce2_drawings.mjs';
import {startServer} from './serve_site.mjs';

const kChromium = '/usr/bin/chromium';
const kFirefox = '/usr/bin/firefox-esr';
// Chromium without its own calls home, which this machine's closed network refuses.
const kChromiumQuiet = ['--disable-background-networking', '--disable-component-update',
                        '--disable-sync', '--no-first-run', '--disable-gpu'];
// Long enough for a slow machine; the whole test takes far less.
const kWaitMs = 45000;
// A click that starts a download has started it well within this.
const kDownloadStartMs = 1500;
const kWatchdogMs = 150000;
// The file of a batch of one.
const kOneFile = 'outside-sheet.ce2';
// A batch of many files, for cancelling it and for its zip.
const kManyFiles = 300;
// The longest the page's own thread may be kept busy while it makes a zip.
const kLongestTaskMs = 200;
const kAxe = createRequire(import.meta.url).resolve('axe-core/axe.min.js');

const started = performance.now();
const failures = [];
let serverProcess = null;
// What the page's workers asked for, as their own sessions report it.
const workerRequests = new Set();
const timings = [];
let lapStart = started;

function lap(what) {
    const now = performance.now();
    timings.push(`${what} ${((now - lapStart) / 1000).toFixed(2)} s`);
    if (process.env.MORVEX_PAGE_TEST_VERBOSE) {
        process.stderr.write(`page_in_browsers: ${timings.at(-1)}\n`);
    }
    lapStart = now;
}

function fail(message) {
    failures.push(message);
}

function expectEqual(what, actual, expected) {
    if (actual !== expected) {
        fail(`${what}\n    page:     ${JSON.stringify(actual)}\n` +
             `    expected: ${JSON.stringify(expected)}`);
    }
}

// The files the page is given, in order: the .ce2 drawings with a text file and an earlier .ce3
// among them. The command-line converter gets the .ce2 files alone, in the same order.
function makeFiles(work, makeSeeds, cli) {
    const seedsDir = path.join(work, 'seeds');
    execFileSync(makeSeeds, [seedsDir]);
    const seeds = readdirSync(path.join(seedsDir, 'ce2')).sort().map((seed) => ({
        name: `${seed.replace('seed', 'seed-')}.ce2`,
        bytes: readFileSync(path.join(seedsDir, 'ce2', seed)),
    }));
    const drawings = [...ce2Drawings(), ...seeds];

    const earlierDir = path.join(work, 'earlier');
    mkdirSync(earlierDir);
    const everyKind = drawings.find((d) => d.name === 'every-kind.ce2');
    writeFileSync(path.join(earlierDir, 'earlier.ce2'), everyKind.bytes);
    runCli(cli, earlierDir, ['earlier.ce2'], {});

    const picked = path.join(work, 'picked');
    mkdirSync(picked);
    for (const {name, bytes} of drawings) {
        writeFileSync(path.join(picked, name), bytes);
    }
    writeFileSync(path.join(picked, 'notes.txt'), 'Drawings of the second board.\n');
    copyFileSync(path.join(earlierDir, 'earlier.ce3'), path.join(picked, 'earlier.ce3'));
    const names = drawings.map((d) => d.name);
    names.splice(3, 0, 'notes.txt');
    names.splice(12, 0, 'earlier.ce3');
    return {picked, names, ce2Names: drawings.map((d) => d.name), ce3Name: 'earlier.ce3'};
}

// Runs the converter in the folder on the bare names (or on the paths given), one file at a time,
// and gives its report line for each name and its summary line.
function runCli(cli, folder, names, languageVariables, paths = names, options = []) {
    const env = {...process.env};
    for (const variable of ['LC_ALL', 'LC_CTYPE', 'LC_MESSAGES', 'LANG', 'LANGUAGE']) {
        delete env[variable];
    }
    Object.assign(env, {LC_ALL: 'C.UTF-8'}, languageVariables);
    const run = spawnSync(cli, ['--jobs', '1', '--quiet', ...options, ...paths],
                          {cwd: folder, env, encoding: 'utf8'});
    if (run.error || run.status === null || run.status > 1) {
        throw new Error(`${cli} failed (${run.error ?? run.status}): ${run.stderr}`);
    }
    const lines = [...run.stdout.split('\n'), ...run.stderr.split('\n')].filter((l) => l !== '');
    const reports = new Map();
    for (const name of names) {
        const own = lines.filter((l) => l.startsWith(`${name} -> `) || l.startsWith(`${name}: `));
        if (own.length !== 1) {
            throw new Error(`morvex-cli gave ${own.length} report lines for ${name}`);
        }
        reports.set(name, own[0]);
    }
    // What is left of standard error is the summary, which a single file goes without.
    const own = new Set(reports.values());
    const rest = run.stderr.split('\n').filter((l) => l !== '' && !own.has(l));
    if (rest.length > 1) {
        throw new Error(`morvex-cli printed more than a summary: ${rest.join('\n')}`);
    }
    return {reports, summary: rest[0] ?? ''};
}

// The converter with --kicad on copies of the files named, in a folder of their own where no
// output exists yet.
function runCliOnCopies(cli, picked, dir, names, languageVariables) {
    mkdirSync(dir);
    for (const name of names) {
        copyFileSync(path.join(picked, name), path.join(dir, name));
    }
    return {dir, ...runCli(cli, dir, names, languageVariables, names, ['--kicad'])};
}

// The KiCad files that morvex-cli wrote in dir, by name.
function kicadFilesIn(dir) {
    return new Map(readdirSync(dir).filter((name) => name.endsWith('.kicad_sch')).sort()
                       .map((name) => [name, readFileSync(path.join(dir, name))]));
}

// Compares KiCad files the page made ({name: bytes}) with those morvex-cli wrote.
function compareKicad(what, made, cliDir) {
    const written = kicadFilesIn(cliDir);
    expectEqual(`${what}: the KiCad files`, Object.keys(made).sort().join(' | '),
                [...written.keys()].join(' | '));
    for (const [name, bytes] of Object.entries(made)) {
        if (written.has(name) && !Buffer.from(bytes).equals(written.get(name))) {
            fail(`${what}: ${name} differs from what morvex-cli --kicad wrote`);
        }
    }
}

// Keeps every blob the page makes a URL of, for the test to read back without a download:
// window.blobBytes(url) gives its bytes as base64, window.zipUrl() the URL of the last zip made,
// window.csvUrl() that of the last CSV report.
function recordBlobs() {
    const made = new Map();
    let zip = null;
    let csv = null;
    const createObjectURL = URL.createObjectURL;
    URL.createObjectURL = (object) => {
        const url = createObjectURL.call(URL, object);
        made.set(url, object);
        zip = object.type === 'application/zip' ? url : zip;
        csv = object.type?.startsWith('text/csv') ? url : csv;
        return url;
    };
    window.csvUrl = () => csv;
    window.blobBytes = async (url) => {
        const bytes = new Uint8Array(await made.get(url).arrayBuffer());
        let text = '';
        for (let i = 0; i < bytes.length; i += 0x8000) {
            text += String.fromCharCode(...bytes.subarray(i, i + 0x8000));
        }
        return btoa(text);
    };
    window.zipUrl = () => zip;
}

// The page's CSV report of its list against morvex-cli --kicad --report on the same files in the
// same order (the page's ignored file left out).
async function checkReport(page, cli, picked, work, names) {
    const given = names.filter((name) => name !== 'notes.txt');
    const dir = path.join(work, 'cli-report');
    mkdirSync(dir);
    for (const name of given) {
        copyFileSync(path.join(picked, name), path.join(dir, name));
    }
    runCli(cli, dir, given, {}, given, ['--kicad', '--report', 'report.csv']);
    await page.click('#save-report');
    await page.waitForFunction(() => window.csvUrl() !== null, {timeout: kWaitMs});
    const saved = Buffer.from(await page.evaluate(() => window.blobBytes(window.csvUrl())),
                              'base64');
    const written = readFileSync(path.join(dir, 'report.csv'));
    if (!saved.equals(written)) {
        fail(`CSV report: the page's differs from morvex-cli's\n    page:     ` +
             `${JSON.stringify(saved.toString())}\n    expected: ` +
             JSON.stringify(written.toString()));
    }
}

// The KiCad file of every row's link, by the name it downloads as.
async function kicadOfLinks(page) {
    const links = await page.$$eval('#results tbody tr.file a.kicad', (as) => as.map((a) => ({
        name: a.getAttribute('download'), href: a.getAttribute('href')})));
    const made = {};
    for (const {name, href} of links) {
        if (made[name] !== undefined) {
            fail(`two links download ${name}`);
        }
        made[name] = Buffer.from(await page.evaluate((url) => window.blobBytes(url), href),
                                 'base64');
    }
    return made;
}

// The KiCad files of a zip's entries, by name.
function kicadOfZip(zipped) {
    return Object.fromEntries(Object.entries(zipped).filter(([name]) => name.endsWith('.kicad_sch')));
}

// The site's server, on a free port, logging every request's path.
// Opens the page (in Japanese when asked), watching what it asks for, and waits until it is ready.
async function openPage(browser, origin, japanese) {
    const page = await browser.newPage();
    if (japanese) {
        await page.evaluateOnNewDocument(() => {
            Object.defineProperty(navigator, 'languages', {get: () => ['ja-JP']});
            Object.defineProperty(navigator, 'language', {get: () => 'ja-JP'});
        });
    }
    await page.evaluateOnNewDocument(recordBlobs);
    const what = japanese ? 'Japanese page' : 'page';
    const checkUrl = (url) => {
        if (!url.startsWith(`${origin}/`) && !url.startsWith('blob:') && !url.startsWith('data:')) {
            fail(`${what}: request outside the page's server: ${url}`);
        }
    };
    page.on('request', (request) => checkUrl(request.url()));
    // A worker's requests reach no page event: its own session reports them. Puppeteer holds a new
    // worker until it has announced it, so none is missed.
    page.on('workercreated', (worker) => {
        worker.client.on('Network.requestWillBeSent', (event) => {
            checkUrl(event.request.url);
            workerRequests.add(event.request.url.replace(origin, ''));
        });
        worker.client.send('Network.enable').catch((error) => {
            fail(`${what}: a worker's requests cannot be watched: ${error.message}`);
        });
    });
    page.on('pageerror', (error) => fail(`${what}: uncaught error: ${error.message}`));
    await page.goto(`${origin}/`, {waitUntil: 'load'});
    await page.waitForFunction(() => document.body?.dataset.busy === 'false', {timeout: kWaitMs});
    return page;
}

// Picks the files in the page; into a list that holds files already, they are added or replace
// it (how), as the page asks.
async function pickFiles(page, paths, how) {
    const listed = await page.$$eval('#results tbody tr.file', (trs) => trs.length);
    const input = await page.$('#pick-files');
    if (input === null) {
        throw new Error('the page has no #pick-files');
    }
    await input.uploadFile(...paths);
    if (listed > 0) {
        await page.waitForSelector('#join[open]', {timeout: kWaitMs});
        await page.click(`#join button[value="${how}"]`);
    }
}

// Gives the page the files and waits until it has reported on every one: its rows and summary.
async function convertInPage(page, what, picked, names) {
    await pickFiles(page, names.map((name) => path.join(picked, name)), 'replace');
    const readRows = () => page.$$eval('#results tbody tr.file', (trs) => trs.map((tr) => {
        const link = tr.querySelector('a.download');
        const kicad = tr.querySelector('a.kicad');
        return {
            name: tr.dataset.name,
            state: tr.dataset.state,
            report: tr.querySelector('.report')?.textContent ?? null,
            download: link ? link.getAttribute('download') : null,
            href: link ? link.getAttribute('href') : null,
            kicad: kicad ? kicad.getAttribute('download') : null,
        };
    }));
    try {
        await page.waitForFunction((count) => {
            const rows = document.querySelectorAll('#results tbody tr.file');
            return document.body.dataset.busy === 'false' && rows.length === count &&
                   ![...rows].some((row) => row.dataset.state === 'pending');
        }, {timeout: kWaitMs, polling: 50}, names.length);
    } catch (error) {
        const states = (await readRows()).map((row) => `${row.name}: ${row.state}`);
        const busy = await page.evaluate(() => document.body.dataset.busy);
        throw new Error(`${what}: not done with ${names.length} files after ${kWaitMs / 1000} s ` +
                        `(${error.message}); busy ${busy}, rows:\n    ${states.join('\n    ')}`);
    }
    const rows = await readRows();
    const summary = await page.$eval('#summary', (element) => element.textContent);
    return {rows, summary};
}

// Files made in the page and picked through its file input, as a user's pick gives them: count
// copies of one drawing named `${prefix}NNN.ce2`. In the same task, the button clickAfter (if
// any) is clicked: the page has started the batch, and nothing of it has come back yet.
async function pickCopies(page, prefix, count, bytes, clickAfter = null) {
    await page.evaluate((prefixIn, countIn, base64, clickId) => {
        const data = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
        const transfer = new DataTransfer();
        for (let i = 1; i <= countIn; ++i) {
            transfer.items.add(new File([data], `${prefixIn}${String(i).padStart(3, '0')}.ce2`));
        }
        const input = document.getElementById('pick-files');
        input.files = transfer.files;
        input.dispatchEvent(new Event('change', {bubbles: true}));
        if (clickId !== null) {
            document.getElementById(clickId).click();
        }
    }, prefix, count, bytes.toString('base64'), clickAfter);
}

function waitIdle(page) {
    return page.waitForFunction(() => document.body.dataset.busy === 'false' &&
                                    ![...document.querySelectorAll('#results tr.file')].some(
                                        (tr) => tr.dataset.state === 'pending'),
                                {timeout: kWaitMs, polling: 50});
}

const readStates = (page) => page.$$eval('#results tbody tr.file', (trs) => trs.map((tr) => ({
    name: tr.dataset.name, state: tr.dataset.state, report: tr.querySelector('.report').textContent,
    shown: tr.offsetParent !== null, tabIndex: tr.tabIndex})));

// Cancel in the middle of a batch, a file gone before it is read, the failures filter, the skip
// link and the one Tab stop of the rows.
async function checkCancel(page, what, picked, work) {
    await page.bringToFront();  // a page behind others gets no input events
    await page.click('#clear');
    expectEqual(`${what}: rows after Clear`, (await readStates(page)).length, 0);
    await pickCopies(page, 'copy', kManyFiles, readFileSync(path.join(picked, 'every-kind.ce2')),
                     'cancel');
    await waitIdle(page);
    const rows = await readStates(page);
    const converted = rows.filter((row) => row.state === 'converted').length;
    const cancelled = rows.filter((row) => row.state === 'cancelled');
    // Only the files already given to a worker (one per processor, eight at most) finish.
    if (rows.length !== kManyFiles || converted < 1 || converted > 8 ||
        cancelled.length !== kManyFiles - converted) {
        fail(`${what}: cancelled mid-batch: ${rows.length} rows, ${converted} converted, ` +
             `${cancelled.length} cancelled`);
    }
    for (const row of cancelled.filter((r) => !r.report.startsWith(`${r.name}: `))) {
        fail(`${what}: cancelled row ${row.name} reads ${row.report}`);
    }
    const summary = await page.$eval('#summary', (element) => element.textContent);
    if (!summary.endsWith(` ${cancelled.length} files cancelled.`)) {
        fail(`${what}: summary after Cancel: ${summary}`);
    }
    expectEqual(`${what}: progress after Cancel`, await page.$eval('#run', (run) => run.hidden),
                true);
    expectEqual(`${what}: rows in the Tab order`, rows.filter((r) => r.tabIndex === 0).length, 1);
    await page.click('#failures-only');
    const shown = (await readStates(page)).filter((row) => row.shown);
    expectEqual(`${what}: rows shown by "failures only"`, shown.length, cancelled.length);
    await page.click('#failures-only');
    await page.focus('a.skip');
    await page.keyboard.press('Enter');
    expectEqual(`${what}: focus after the skip link`,
                await page.evaluate(() => document.activeElement?.id), 'actions');

    // Picked, then gone before it is read: the file is added to the list only once the page has
    // been told to, and then read.
    const gone = path.join(work, `gone-${what}.ce2`);
    copyFileSync(path.join(picked, kOneFile), gone);
    await (await page.$('#pick-files')).uploadFile(gone);
    await page.waitForSelector('#join[open]', {timeout: kWaitMs});
    rmSync(gone);
    await page.click('#join button[value="add"]');
    await waitIdle(page);
    const after = await readStates(page);
    expectEqual(`${what}: rows after adding one`, after.length, kManyFiles + 1);
    expectEqual(`${what}: a file gone since it was picked`, after.at(-1)?.report,
                `${path.basename(gone)}: not converted: cannot be read: it was moved or changed ` +
                'after it was picked');
    expectEqual(`${what}: Retry offered`, await page.$eval('#retry', (b) => b.hidden), false);
    await page.click('#clear');
}

// Names that hide or reorder characters, and a name of 244 characters: shown with every
// character visible and isolated, saved under the same safe names by their links and in the zip,
// and a table that stays beside the preview, where a click on a row selects it.
async function checkNames(page, what, picked, work) {
    // Wide enough for the results and the preview side by side.
    await page.setViewport({width: 1280, height: 800});
    const dir = path.join(work, `names-${what}`);
    mkdirSync(dir);
    const spoofed = 'invoice\u202Egpj.ce2';
    const long = `${'n'.repeat(240)}.ce2`;
    for (const name of [spoofed, long]) {
        copyFileSync(path.join(picked, 'every-kind.ce2'), path.join(dir, name));
    }
    await pickFiles(page, [spoofed, long].map((name) => path.join(dir, name)), 'replace');
    await waitIdle(page);
    const rows = await page.$$eval('#results tbody tr.file', (trs) => trs.map((tr) => ({
        report: tr.querySelector('.report').textContent,
        isolated: tr.querySelector('.report bdi')?.textContent ?? null,
        download: tr.querySelector('a.download')?.getAttribute('download') ?? null})));
    expectEqual(`${what}: the spoofed name shown`, rows[0]?.isolated, 'invoice⟨U+202E⟩gpj.ce2');
    if (!rows[0]?.report.startsWith('invoice⟨U+202E⟩gpj.ce2 -> invoice⟨U+202E⟩gpj.ce3: ')) {
        fail(`${what}: the spoofed name's line: ${rows[0]?.report}`);
    }
    expectEqual(`${what}: downloads`, rows.map((row) => row.download).join(' | '),
                `invoice_gpj.ce3 | ${'n'.repeat(240)}.ce3`);
    const zipped = await makeZip(page);
    expectEqual(`${what}: zip entries`, Object.keys(zipped).filter((n) => n.endsWith('.ce3'))
                    .join(' | '), rows.map((row) => row.download).join(' | '));
    const box = (selector) => page.$eval(selector, (element) => {
        const {left, right} = element.getBoundingClientRect();
        return {left, right};
    });
    const table = await box('#results');
    const preview = await box('#preview-pane');
    if (table.right > preview.left) {
        fail(`${what}: the table reaches under the preview (${table.right} > ${preview.left})`);
    }
    const cell = await page.$('#results tbody tr.file:nth-child(2) .report');
    await cell.click();
    expectEqual(`${what}: the row of the long name selected by a click`,
                await page.$eval('#results tbody tr.file:nth-child(2)',
                                 (tr) => tr.getAttribute('aria-selected')), 'true');
}

// Clicks "Download all" and gives the entries of the zip the page makes. Once the zip is made,
// and before the test reads it, whenMade is called.
async function makeZip(page, whenMade = async () => {}) {
    await page.evaluate(() => { window.zipUrlBefore = window.zipUrl(); });
    await page.click('#all-zip');
    await page.waitForFunction(() => window.zipUrl() !== window.zipUrlBefore, {timeout: kWaitMs});
    await whenMade();
    return unzipSync(Buffer.from(await page.evaluate(() => window.blobBytes(window.zipUrl())),
                                 'base64'));
}

// A zip of many drawings: made while the page's own thread is never busy for long.
async function checkZipTasks(page, picked) {
    await page.click('#clear');
    await pickCopies(page, 'zip', kManyFiles, readFileSync(path.join(picked, 'many-elements.ce2')));
    await waitIdle(page);
    // The preview of the first row, drawn once the batch is done, and the scroll to the button
    // are no part of the zip.
    await page.waitForFunction(() => document.querySelector('#preview img')?.complete,
                               {timeout: kWaitMs, polling: 50});
    await page.$eval('#all-zip', (button) => button.scrollIntoView());
    await page.evaluate(() => new Promise((resolve) => requestAnimationFrame(
        () => requestAnimationFrame(resolve))));
    const watched = await page.evaluate(() => {
        window.longTasks = [];
        new PerformanceObserver((list) => window.longTasks.push(
            ...list.getEntries().map((entry) => entry.duration))).observe({type: 'longtask'});
        return PerformanceObserver.supportedEntryTypes.includes('longtask');
    });
    expectEqual('zip of many drawings: long tasks watched', watched, true);
    // The tasks are taken before the test reads the zip on the page's thread.
    let tasks = [];
    const zipped = await makeZip(page, async () => {
        tasks = await page.evaluate(() => window.longTasks);
    });
    const longest = Math.max(0, ...tasks);
    if (longest > kLongestTaskMs) {
        fail(`zip of ${kManyFiles} drawings: a task of ${longest} ms on the page's thread`);
    }
    expectEqual('zip of many drawings: entries', Object.keys(zipped).length, kManyFiles);
    await page.click('#clear');
    return longest;
}

// axe-core on the page with its rows, in the light and the dark scheme, or (schemes null) in
// the scheme the browser was started with.
async function checkAccessibility(page, what, schemes) {
    await page.evaluate(readFileSync(kAxe, 'utf8'));
    for (const scheme of schemes ?? ['default']) {
        if (schemes !== null) {
            await page.emulateMediaFeatures([{name: 'prefers-color-scheme', value: scheme}]);
        }
        const violations = await page.evaluate(async () => (await window.axe.run(document))
            .violations.map((v) => `${v.id} (${v.nodes.length}): ${v.nodes[0]?.target} ` +
                                   `${v.nodes[0]?.any?.[0]?.message ?? ''}`));
        for (const violation of violations) {
            fail(`${what}, ${scheme} scheme: ${violation}`);
        }
    }
}

// The site's headers: the policy of _headers on every file, the workers' included.
async function checkHeaders(origin, site) {
    const policy = readFileSync(path.join(site, '_headers'), 'utf8')
                       .match(/^\s*Content-Security-Policy: (.*)$/m)?.[1];
    if (!policy?.includes("frame-ancestors 'none'")) {
        fail(`_headers: no policy that forbids framing: ${policy}`);
    }
    const files = ['/', '/worker.js', '/zip_worker.js', '/service_worker.js', '/morvex.wasm'];
    for (const file of files) {
        const response = await fetch(`${origin}${file}`);
        expectEqual(`${file}: Content-Security-Policy`,
                    response.headers.get('content-security-policy'), policy);
        expectEqual(`${file}: X-Content-Type-Options`,
                    response.headers.get('x-content-type-options'), 'nosniff');
        await response.arrayBuffer();
    }
}

// Opened once, then again after its server has stopped: the page comes from its service worker
// and converts. Chromium (cdp true) finds nothing that keeps it from installing the page as an app.
async function checkOffline(browser, what, site, picked, cdp) {
    const {server, origin} = await startServer(site);
    try {
        const page = await browser.newPage();
        page.on('pageerror', (error) => fail(`${what} offline: uncaught error: ${error.message}`));
        await page.goto(`${origin}/`, {waitUntil: 'load'});
        await page.waitForFunction(() => navigator.serviceWorker?.controller != null,
                                   {timeout: kWaitMs, polling: 50});
        if (cdp) {
            const session = await page.createCDPSession();
            const {installabilityErrors} = await session.send('Page.getInstallabilityErrors');
            expectEqual(`${what}: what keeps the page from installing`,
                        installabilityErrors.map((error) => error.errorId).join(', '), '');
        }
        server.kill();
        await once(server, 'exit');
        await page.reload({waitUntil: 'load'});
        await page.waitForFunction(() => document.body?.dataset.busy === 'false',
                                   {timeout: kWaitMs});
        const {rows} = await convertInPage(page, `${what} offline`, picked, [kOneFile]);
        if (rows[0]?.state !== 'converted' || !rows[0].download) {
            fail(`${what} offline: ${kOneFile} not converted: ${JSON.stringify(rows[0])}`);
        }
        await page.close();
    } finally {
        server.kill();
    }
}

// Opened as a file, the page says why it cannot run and shows no control.
async function checkFileUrl(browser, site) {
    const page = await browser.newPage();
    await page.goto(`file://${path.join(site, 'index.html')}`, {waitUntil: 'load'});
    await page.waitForFunction(() => document.body.dataset.busy === 'unavailable',
                               {timeout: kWaitMs});
    const shown = await page.evaluate(() => ({
        message: document.getElementById('privacy').textContent,
        controls: [...document.querySelectorAll('button, label, input, a')]
                      .filter((e) => e.offsetParent !== null && !e.closest('footer')).length}));
    if (!shown.message.includes('web server') || shown.controls !== 0) {
        fail(`file: page: ${JSON.stringify(shown)}`);
    }
    await page.close();
}

// Every row against the converter's report for its name; the text file ignored, the .ce3 drawn.
function compareRows(what, rows, summary, names, cliRun) {
    for (let i = 0; i < Math.max(rows.length, names.length); ++i) {
        expectEqual(`${what}: the name of row ${i + 1}`, rows[i]?.name, names[i]);
    }
    for (const row of rows) {
        if (row.name === 'notes.txt' || row.name === 'earlier.ce3') {
            expectEqual(`${what}: state of ${row.name}`, row.state,
                        row.name === 'notes.txt' ? 'ignored' : 'drawn');
            // A drawing's line tells what was drawn, then what morvex-cli --kicad tells of it.
            const kicadLine = cliRun.reports.get(row.name);
            const told = kicadLine?.slice(`${row.name}: `.length);
            if (told !== undefined && !row.report?.endsWith(`; ${told}`)) {
                fail(`${what}: report of ${row.name} does not end in "; ${told}": ${row.report}`);
            }
            continue;
        }
        const line = cliRun.reports.get(row.name);
        if (line === undefined) {
            continue;
        }
        expectEqual(`${what}: report of ${row.name}`, row.report, line);
        const converted = line.startsWith(`${row.name} -> `);
        expectEqual(`${what}: state of ${row.name}`, row.state,
                    converted ? 'converted' : 'not-converted');
        const outputAt = row.name.length + ' -> '.length;
        const output = converted ? line.slice(outputAt, line.indexOf(': ', outputAt)) : null;
        expectEqual(`${what}: download name of ${row.name}`, row.download, output);
        expectEqual(`${what}: KiCad download name of ${row.name}`, row.kicad,
                    output?.replace(/\.ce3$/, '.kicad_sch') ?? null);
        if (converted && !row.href?.startsWith('blob:')) {
            fail(`${what}: the link of ${row.name} is not a blob: URL: ${row.href}`);
        }
    }
    expectEqual(`${what}: summary`, summary, cliRun.summary);
}

// Clicks every .ce3 download link and compares the files Chromium saved with those the converter
// wrote; then the zip, with the KiCad files, and the KiCad files of the links.
async function compareDownloads(browser, page, downloads, cliDir, cliNames) {
    const cdp = await browser.target().createCDPSession();
    let begun = 0;
    const finished = new Set();
    cdp.on('Browser.downloadWillBegin', () => ++begun);
    cdp.on('Browser.downloadProgress', (event) => {
        if (event.state !== 'inProgress') {
            finished.add(event.guid);
            if (event.state !== 'completed') {
                fail(`a download was ${event.state}`);
            }
        }
    });
    await cdp.send('Browser.setDownloadBehavior',
                   {behavior: 'allow', downloadPath: downloads, eventsEnabled: true});
    // One at a time, each clicked where it is: a mouse click at the link's place could miss it
    // when a preview that loads meanwhile moves the rows. After ten downloads in quick succession
    // Chromium lets the next click start nothing (the 11th and the 21st here); such a click is
    // repeated.
    const until = async (done, ms) => {
        const deadline = performance.now() + ms;
        while (!done() && performance.now() < deadline) {
            await new Promise((resolve) => setTimeout(resolve, 20));
        }
    };
    const links = await page.$$('#results tbody tr.file a.download');
    let repeated = 0;
    for (const link of links) {
        const before = begun;
        for (let attempt = 0; attempt < 3 && begun === before; ++attempt) {
            repeated += attempt === 0 ? 0 : 1;
            await link.evaluate((a) => a.click());
            await until(() => begun > before, kDownloadStartMs);
        }
        await until(() => finished.size >= begun, kWaitMs);
    }
    // Then all of them in one zip, with the KiCad files the batch made.
    const zipBefore = begun;
    await page.click('#all-zip');
    await until(() => begun > zipBefore && finished.size >= begun, kWaitMs);
    const zipPath = path.join(downloads, 'morvex-ce3.zip');
    const zipped = existsSync(zipPath) ? unzipSync(readFileSync(zipPath)) : {};
    rmSync(zipPath, {force: true});
    const saved = readdirSync(downloads).sort();
    const zippedCe3 = Object.keys(zipped).filter((name) => !name.endsWith('.kicad_sch'));
    expectEqual('zip: the .ce3 files in it', zippedCe3.sort().join(' | '), saved.join(' | '));
    for (const name of saved.filter((n) => zipped[n] !== undefined)) {
        if (!Buffer.from(zipped[name]).equals(readFileSync(path.join(downloads, name)))) {
            fail(`zip: ${name} differs from its download`);
        }
    }
    compareKicad('zip', kicadOfZip(zipped), cliDir);
    compareKicad('KiCad links', await kicadOfLinks(page), cliDir);
    const given = new Set(cliNames);
    const written = readdirSync(cliDir)
                        .filter((name) => !given.has(name) && name.endsWith('.ce3')).sort();
    expectEqual('downloads: the files saved', saved.join(' | '), written.join(' | '));
    for (const name of saved.filter((n) => written.includes(n))) {
        const cliBytes = readFileSync(path.join(cliDir, name));
        if (!readFileSync(path.join(downloads, name)).equals(cliBytes)) {
            fail(`downloads: ${name} differs from what morvex-cli wrote`);
        }
    }
    return {count: saved.length, repeated};
}

// Clicks the row's report and waits for the preview to show that row's drawing; a large drawing
// once its offer to show it is taken.
async function checkPreview(page, rows, name, large = false) {
    const index = rows.findIndex((row) => row.name === name);
    const cell = await (await page.$$('#results tbody tr.file'))[index].$('.report');
    await cell.click();
    if (large) {
        // Drawn only when asked, and not in the pane: a link opens the drawing by itself.
        await page.waitForFunction((wanted) => {
            const preview = document.querySelector('#preview');
            return preview?.dataset.name === wanted && preview.querySelector('button.draw-large');
        }, {timeout: kWaitMs, polling: 50}, name);
        await page.click('#preview button.draw-large');
        await page.waitForFunction((wanted) => {
            const preview = document.querySelector('#preview');
            return preview?.dataset.name === wanted &&
                   preview.querySelector('a.large')?.href.startsWith('blob:');
        }, {timeout: kWaitMs, polling: 50}, name);
        const href = await page.$eval('#preview a.large', (a) => a.href);
        const svg = Buffer.from(await page.evaluate((url) => window.blobBytes(url), href),
                                'base64');
        expectEqual(`preview of ${name}: the drawing opened by itself`,
                    svg.toString('utf8', 0, 5), '<?xml');
        expectEqual(`preview of ${name}: nothing drawn in the pane`,
                    await page.$$eval('#preview img', (imgs) => imgs.length), 0);
        return;
    }
    try {
        await page.waitForFunction((wanted) => {
            const preview = document.querySelector('#preview');
            const img = preview?.querySelector('img');
            return preview?.dataset.name === wanted && img?.src.startsWith('blob:') &&
                   img.complete && img.naturalWidth > 0;
        }, {timeout: kWaitMs, polling: 50}, name);
    } catch {
        const shown = await page.evaluate(() => {
            const preview = document.querySelector('#preview');
            const img = preview?.querySelector('img');
            return {name: preview?.dataset.name, src: img?.src, width: img?.naturalWidth};
        });
        fail(`preview of ${name}: not shown (${JSON.stringify(shown)})`);
    }
}

// The paths the server was asked for must all be files of the site.
function checkServerLog(log, site) {
    const paths = [...new Set(readFileSync(log, 'utf8').split('\n').filter((p) => p !== ''))];
    for (const urlPath of paths) {
        let file = null;
        try {
            file = path.join(site, decodeURIComponent(urlPath === '/' ? '/index.html' : urlPath));
        } catch {
            // Not a path that names a file.
        }
        if (file === null || urlPath.includes('..') || !existsSync(file) ||
            !statSync(file).isFile()) {
            fail(`server: asked for ${urlPath}, which is no file of the site`);
        }
    }
    if (!paths.includes('/morvex.wasm')) {
        fail(`server: the module was never asked for (${paths.join(' ')})`);
    }
    return paths;
}

// A folder for "write beside the sources": the page's folder picker gives an in-memory folder
// (the File System Access calls the page makes), seeded with these files, which the test reads
// back afterwards. On disk the same files are converted by morvex-cli.
const kBoard = 'board';
function boardFiles(picked) {
    const read = (name) => readFileSync(path.join(picked, name));
    const everyKind = read('every-kind.ce2');
    const converted = read('earlier.ce3');
    const edited = Buffer.concat([converted.subarray(0, converted.length - 19),
                                  Buffer.from('+PARTLIB,N:R,-PARTLIB\r\n-TOVR3_DATA_V.1.0\r\n')]);
    return {
        'a.ce2': everyKind,
        'b.ce2': everyKind,
        'b.ce3': edited,             // saved from the editor: kept
        'c.ce2': read('outside-sheet.ce2'),
        'c.ce3': converted,          // what a conversion writes: replaced
        'one.ce2': read('one-element.ce2'),
        'sub/d.ce2': read('回路 図.ce2'),
        'x.CE2': everyKind,
        'x.ce2': everyKind,          // writes x.ce3 after x.CE2: refused
        'readme.txt': Buffer.from('Board 2\n'),
    };
}

// goneOnce names files that cannot be read the first time the page asks for them, as a file moved
// away after the pick and back again.
function installFolder(name, files, goneOnce = []) {
    const gone = new Set(goneOnce);
    const bytesOf = (base64) => Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
    class FileHandle {
        constructor(dir, fileName) {
            Object.assign(this, {kind: 'file', name: fileName, dir});
        }
        async getFile() {
            if (gone.delete(this.name)) {
                throw new DOMException(`${this.name} not found`, 'NotFoundError');
            }
            return new File([this.dir.files.get(this.name)], this.name);
        }
        async createWritable() {
            const parts = [];
            return {
                write: async (data) => parts.push(data),
                close: async () => this.dir.files.set(this.name, new Blob(parts)),
            };
        }
    }
    class DirectoryHandle {
        constructor(dirName) {
            Object.assign(this, {kind: 'directory', name: dirName, files: new Map(),
                                 dirs: new Map()});
        }
        async *values() {
            for (const fileName of this.files.keys()) {
                yield new FileHandle(this, fileName);
            }
            yield* this.dirs.values();
        }
        async getFileHandle(fileName, options = {}) {
            if (!this.files.has(fileName)) {
                if (!options.create) {
                    throw new DOMException(`${fileName} not found`, 'NotFoundError');
                }
                this.files.set(fileName, new Blob([]));
            }
            return new FileHandle(this, fileName);
        }
    }
    const root = new DirectoryHandle(name);
    for (const [relative, base64] of Object.entries(files)) {
        const parts = relative.split('/');
        let dir = root;
        for (const part of parts.slice(0, -1)) {
            if (!dir.dirs.has(part)) {
                dir.dirs.set(part, new DirectoryHandle(part));
            }
            dir = dir.dirs.get(part);
        }
        dir.files.set(parts.at(-1), new Blob([bytesOf(base64)]));
    }
    window.showDirectoryPicker = async () => root;
    // Every file of the folder afterwards, as base64.
    window.folderNow = async () => {
        const found = {};
        const walk = async (dir, prefix) => {
            for (const [fileName, blob] of dir.files) {
                const bytes = new Uint8Array(await blob.arrayBuffer());
                found[prefix + fileName] = btoa(String.fromCharCode(...bytes));
            }
            for (const [dirName, child] of dir.dirs) {
                await walk(child, `${prefix}${dirName}/`);
            }
        };
        await walk(root, '');
        return found;
    };
}

// Converts the folder in the page, writing beside the sources, and compares the rows and what the
// folder holds afterwards with morvex-cli's run on the same files on disk.
async function checkWriteBeside(browser, origin, picked, work, cli) {
    const files = boardFiles(picked);
    const disk = path.join(work, 'cli-board');
    for (const [relative, bytes] of Object.entries(files)) {
        mkdirSync(path.dirname(path.join(disk, kBoard, relative)), {recursive: true});
        writeFileSync(path.join(disk, kBoard, relative), bytes);
    }
    const sources = Object.keys(files).filter((name) => /\.ce2$/i.test(name))
                        .map((name) => `${kBoard}/${name}`);
    const cliRun = runCli(cli, disk, sources, {}, [kBoard]);
    const page = await browser.newPage();
    const seeded = Object.fromEntries(Object.entries(files).map(([name, bytes]) => [
        name, bytes.toString('base64')]));
    await page.evaluateOnNewDocument(installFolder, kBoard, seeded);
    page.on('pageerror', (error) => fail(`folder page: uncaught error: ${error.message}`));
    await page.goto(`${origin}/`, {waitUntil: 'load'});
    await page.waitForFunction(() => document.body?.dataset.busy === 'false', {timeout: kWaitMs});
    await page.click('#write-beside');
    await page.waitForFunction((count) => {
        const rows = document.querySelectorAll('#results tbody tr.file');
        return document.body.dataset.busy === 'false' && rows.length === count &&
               ![...rows].some((row) => row.dataset.state === 'pending');
    }, {timeout: kWaitMs, polling: 50}, Object.keys(files).length);
    const rows = await page.$$eval('#results tbody tr.file', (trs) => trs.map((tr) => ({
        name: tr.dataset.name, report: tr.querySelector('.report').textContent})));
    // The page has no --overwrite to offer.
    const expected = [...cliRun.reports.entries()].sort(([a], [b]) => Buffer.compare(
        Buffer.from(a), Buffer.from(b)));
    expected.forEach(([name, line], i) => {
        expectEqual(`folder: row ${i + 1}`, rows[i]?.name, name);
        expectEqual(`folder: report of ${name}`, rows[i]?.report,
                    line.replace('; --overwrite replaces it', ''));
    });
    // Then the other files, ignored, the earlier outputs among them.
    const others = Object.keys(files).filter((name) => !/\.ce2$/i.test(name))
                       .map((name) => `${kBoard}/${name}`).sort();
    expectEqual('folder: the files ignored', rows.slice(expected.length).map((r) => r.name)
                    .join(' | '), others.join(' | '));
    const after = await page.evaluate(() => window.folderNow());
    const onDisk = (relative) => readFileSync(path.join(disk, kBoard, relative));
    const ce3 = (names) => names.filter((name) => name.endsWith('.ce3')).sort();
    const cliOutputs = ce3(readdirSync(path.join(disk, kBoard), {recursive: true}));
    expectEqual('folder: the .ce3 files after', ce3(Object.keys(after)).join(' | '),
                cliOutputs.join(' | '));
    for (const name of cliOutputs.filter((n) => after[n] !== undefined)) {
        if (!Buffer.from(after[name], 'base64').equals(onDisk(name))) {
            fail(`folder: ${name} differs from what morvex-cli left`);
        }
    }
    if (!Buffer.from(after['b.ce3'] ?? '', 'base64').equals(files['b.ce3'])) {
        fail('folder: the drawing saved from the editor was replaced');
    }
    await page.close();
}

// A folder one of whose drawings cannot be read at first: its row tells why, and "Retry"
// converts it once it can be read.
async function checkRetry(browser, origin, picked) {
    const page = await browser.newPage();
    const drawing = readFileSync(path.join(picked, kOneFile)).toString('base64');
    await page.evaluateOnNewDocument(installFolder, kBoard, {'a.ce2': drawing, 'b.ce2': drawing},
                                     ['b.ce2']);
    await page.goto(`${origin}/`, {waitUntil: 'load'});
    await page.waitForFunction(() => document.body?.dataset.busy === 'false', {timeout: kWaitMs});
    await page.click('#write-beside');
    await waitIdle(page);
    const states = async () => (await readStates(page)).map((row) => `${row.name}: ${row.state}`)
                                   .join(' | ');
    expectEqual('retry: before', await states(),
                `${kBoard}/a.ce2: converted | ${kBoard}/b.ce2: not-converted`);
    expectEqual('retry: the line of the file not read', (await readStates(page))[1]?.report,
                `${kBoard}/b.ce2: not converted: cannot be read: it was moved or changed after ` +
                'it was picked');
    await page.click('#retry');
    await waitIdle(page);
    expectEqual('retry: after', await states(),
                `${kBoard}/a.ce2: converted | ${kBoard}/b.ce2: converted`);
    expectEqual('retry: offered after', await page.$eval('#retry', (b) => b.hidden), true);
    await page.close();
}

// The page in Firefox: the same files, the same report lines and summary, and the same KiCad files
// in its links and its zip, read where the page made them rather than downloaded.
async function checkFirefox(origin, site, picked, names, cliRun, work) {
    // In its dark scheme, which Chromium's run does not test but by emulation.
    const firefox = await puppeteer.launch({
        product: 'firefox', protocol: 'webDriverBiDi', executablePath: kFirefox, headless: true,
        extraPrefsFirefox: {'layout.css.prefers-color-scheme.content-override': 0}});
    try {
        const page = await firefox.newPage();
        page.on('pageerror', (error) => fail(`Firefox: uncaught error: ${error.message}`));
        await page.evaluateOnNewDocument(recordBlobs);
        await page.evaluateOnNewDocument(() => document.addEventListener('click', (event) => {
            if (event.target.closest?.('a[download]')) {
                event.preventDefault();
            }
        }, true));
        await page.goto(`${origin}/`, {waitUntil: 'load'});
        await page.waitForFunction(() => document.body?.dataset.busy === 'false',
                                   {timeout: kWaitMs});
        await page.click('#kicad');
        const {rows, summary} = await convertInPage(page, 'Firefox', picked, names);
        compareRows('Firefox', rows, summary, names, cliRun);
        compareKicad('Firefox: KiCad links', await kicadOfLinks(page), cliRun.dir);
        const zipped = await makeZip(page);
        compareKicad('Firefox: zip', kicadOfZip(zipped), cliRun.dir);
        expectEqual('Firefox: the dark scheme', await page.evaluate(
            () => matchMedia('(prefers-color-scheme: dark)').matches), true);
        await checkAccessibility(page, 'Firefox: axe-core', null);
        await checkCancel(page, 'Firefox', picked, work);
        await checkNames(page, 'Firefox', picked, work);
        await checkOffline(firefox, 'Firefox', site, picked, false);
    } finally {
        await firefox.close();
    }
}

async function main() {
    const [cli, makeSeeds, site] = process.argv.slice(2).map((arg) => path.resolve(arg));
    if (site === undefined || !existsSync(path.join(site, 'index.html'))) {
        process.stderr.write('usage: page_in_browsers.mjs MORVEX_CLI MAKE_SEEDS SITE_FOLDER' +
                             ' (a folder with index.html)\n');
        process.exit(2);
    }
    const work = mkdtempSync(path.join(tmpdir(), 'morvex-page-'));
    const {picked, names, ce2Names, ce3Name} = makeFiles(work, makeSeeds, cli);
    // The .ce3 drawing gives a KiCad file too.
    const cliNames = [...ce2Names, ce3Name];
    const cliRuns = {
        en: runCliOnCopies(cli, picked, path.join(work, 'cli-en'), cliNames, {}),
        ja: runCliOnCopies(cli, picked, path.join(work, 'cli-ja'), cliNames, {LANGUAGE: 'ja'}),
        one: runCliOnCopies(cli, picked, path.join(work, 'cli-one'), [kOneFile], {}),
    };
    lap(`${ce2Names.length} drawings made and converted by morvex-cli:`);

    const log = path.join(work, 'requests.log');
    const {server, origin} = await startServer(site, log);
    serverProcess = server;
    let browser = null;
    try {
        browser = await puppeteer.launch({
            executablePath: kChromium,
            headless: true,
            args: [...kChromiumQuiet, ...(process.getuid() === 0 ? ['--no-sandbox'] : [])],
        });
        lap('server and Chromium started:');
        const page = await openPage(browser, origin, false);
        // Without the box, a batch makes no KiCad file; the batches below tick it.
        const plain = await convertInPage(page, 'No KiCad', picked, [kOneFile]);
        expectEqual('No KiCad: links', plain.rows.map((row) => row.kicad).join(), '');
        expectEqual('No KiCad: the line', plain.rows[0]?.report?.includes('KiCad'), false);
        await page.click('#kicad');
        const english = await convertInPage(page, 'English', picked, names);
        lap(`${names.length} files converted in the page:`);
        compareRows('English', english.rows, english.summary, names, cliRuns.en);
        await checkReport(page, cli, picked, work, names);
        const downloads = path.join(work, 'downloads');
        mkdirSync(downloads);
        const {count, repeated} = await compareDownloads(browser, page, downloads, cliRuns.en.dir,
                                                         cliNames);
        lap(`${count} .ce3 files downloaded (${repeated} clicks repeated), KiCad files read:`);
        // The page shows the first converted row at first; a .ce3 drawing is previewed too.
        for (const name of ['every-kind.ce2', '回路 図.ce2', 'earlier.ce3']) {
            await checkPreview(page, english.rows, name);
        }
        await checkPreview(page, english.rows, 'large.ce2', true);
        lap('previews shown:');
        await checkAccessibility(page, 'axe-core', ['light', 'dark']);
        lap('axe-core in both schemes:');
        // A second batch takes the place of the first; one file has no summary.
        const one = await convertInPage(page, 'One file', picked, [kOneFile]);
        compareRows('One file', one.rows, one.summary, [kOneFile], cliRuns.one);
        const japanesePage = await openPage(browser, origin, true);
        expectEqual('Japanese page: KiCad files made, as chosen before',
                    await japanesePage.$eval('#kicad', (box) => box.checked), true);
        const japanese = await convertInPage(japanesePage, 'Japanese', picked, names);
        compareRows('Japanese', japanese.rows, japanese.summary, names, cliRuns.ja);
        lap('one file, and the files in the Japanese page:');
        await checkCancel(page, 'Chromium', picked, work);
        await checkNames(page, 'Chromium', picked, work);
        await page.click('#kicad');  // many large KiCad files would only take long
        const longest = await checkZipTasks(page, picked);
        lap(`cancel, names, the zip of ${kManyFiles} drawings (longest task ${longest} ms):`);
        await checkHeaders(origin, site);
        await checkFileUrl(browser, site);
        await checkOffline(browser, 'Chromium', site, picked, true);
        lap('headers, file: and offline:');
        await checkWriteBeside(browser, origin, picked, work, cli);
        await checkRetry(browser, origin, picked);
        lap('a folder written beside its drawings:');
        await browser.close();
        browser = null;
        await checkFirefox(origin, site, picked, names, cliRuns.en, work);
        lap('the files in Firefox:');
    } finally {
        await browser?.close();
        server.kill();
    }
    const paths = checkServerLog(log, site);
    // The watch on workers saw something, or it would vouch for nothing.
    if (workerRequests.size === 0) {
        fail('no request of a worker was seen');
    }
    timings.push(`total ${((performance.now() - started) / 1000).toFixed(2)} s`);
    process.stdout.write(`page_in_browsers: ${timings.join('; ')}\n`);
    process.stdout.write(`page_in_browsers: the server was asked for ${paths.join(' ')}; ` +
                         `the workers for ${[...workerRequests].join(' ')}\n`);
    if (failures.length > 0) {
        process.stderr.write(`page_in_browsers: ${failures.length} differences ` +
                             `(files in ${work}):\n${failures.join('\n')}\n`);
        process.exit(1);
    }
    rmSync(work, {recursive: true, force: true});
    process.stdout.write('page_in_browsers: the page agrees with morvex-cli\n');
}

setTimeout(() => {
    serverProcess?.kill();
    process.stderr.write(`page_in_browsers: still running after ${kWatchdogMs / 1000} s\n` +
                         `${failures.join('\n')}\n`);
    process.exit(1);
}, kWatchdogMs).unref();
main().catch((error) => {
    serverProcess?.kill();
    process.stderr.write(`page_in_browsers: ${error.stack ?? error}\n${failures.join('\n')}\n`);
    process.exit(1);
});
