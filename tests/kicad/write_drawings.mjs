// Writes COUNT drawings of random records (the page test's generator, seeds 1001 on) into
// FOLDER as random-N.ce2, from a few records to a few hundred, the same on every run.
//   node tests/kicad/write_drawings.mjs FOLDER COUNT
import {mkdirSync, writeFileSync} from 'node:fs';
import path from 'node:path';

import {randomRecords} from '../web/ce2_drawings.mjs';

const [folder, count] = process.argv.slice(2);
if (!folder || !(Number(count) > 0)) {
    process.stderr.write('usage: write_drawings.mjs FOLDER COUNT\n');
    process.exit(2);
}
mkdirSync(folder, {recursive: true});
for (let n = 1; n <= Number(count); ++n) {
    const records = randomRecords(1000 + n, 5 + ((n * 37) % 400));
    writeFileSync(path.join(folder, `random-${n}.ce2`), Uint8Array.from(records));
}
