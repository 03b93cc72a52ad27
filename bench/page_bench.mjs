// The page's conversion of one drawing, timed in headless Chromium, for `make bench`: from the
// moment the file is picked to the moment its row reports the result, the .ce3 made and ready to
// download. The page is served from SITE (scripts/serve-web); each run picks the drawing again in
// the same page, its worker and WebAssembly module started by a first pick that is not timed.
//
// Usage: node bench/page_bench.mjs SITE DRAWING RUNS
// Prints one line per run: "<seconds> <state of the row>".
import path from 'node:path';

import puppeteer from 'puppeteer-core';

import {startServer} from '../tests/web/serve_site.mjs';

const kChromium = '/usr/bin/chromium';
const kWaitMs = 120000;

// Picks the drawing and gives the time between the input's change event and the row leaving its
// pending state, both taken in the page.
async function timePick(page, drawing) {
    // An empty list, which a pick fills without asking whether to add to it.
    await page.evaluate(() => document.getElementById('clear').click());
    await page.evaluate(() => {
        window.benchDone = new Promise((resolve) => {
            const input = document.getElementById('pick-files');
            input.addEventListener('change', () => {
                const picked = performance.now();
                const watch = new MutationObserver(() => {
                    const row = document.querySelector('#results tbody tr.file');
                    if (row && row.dataset.state !== 'pending') {
                        watch.disconnect();
                        resolve({seconds: (performance.now() - picked) / 1000,
                                 state: row.dataset.state});
                    }
                });
                watch.observe(document.getElementById('results'),
                              {subtree: true, childList: true, attributes: true});
            }, {capture: true, once: true});
        });
    });
    const input = await page.$('#pick-files');
    await input.uploadFile(drawing);
    const result = await page.evaluate(() => window.benchDone);
    await page.waitForFunction(() => document.body.dataset.busy === 'false', {timeout: kWaitMs});
    return result;
}

async function main() {
    const [site, drawing, runs] = process.argv.slice(2);
    if (runs === undefined) {
        process.stderr.write('usage: page_bench.mjs SITE DRAWING RUNS\n');
        process.exit(2);
    }
    const {server, origin} = await startServer(path.resolve(site));
    let browser = null;
    try {
        browser = await puppeteer.launch({
            executablePath: kChromium,
            headless: true,
            args: process.getuid() === 0 ? ['--no-sandbox'] : [],
        });
        const page = await browser.newPage();
        await page.goto(`${origin}/`, {waitUntil: 'load'});
        await page.waitForFunction(() => document.body?.dataset.busy === 'false',
                                   {timeout: kWaitMs});
        // The first pick starts the worker and its module; the runs timed come after it.
        for (let i = 0; i <= Number(runs); ++i) {
            const {seconds, state} = await timePick(page, path.resolve(drawing));
            if (i > 0) {
                process.stdout.write(`${seconds.toFixed(6)} ${state}\n`);
            }
        }
    } finally {
        await browser?.close();
        server.kill();
    }
}

main().catch((error) => {
    process.stderr.write(`page_bench: ${error.stack ?? error}\n`);
    process.exit(1);
});
