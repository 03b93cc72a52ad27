// .ce2 drawings for the page's test, composed record by record: sound ones, and hostile ones that
// stop the reading early, leave elements out, or hold texts and values at the limits. Each is
// {name, bytes}; names are as a user's files would be, one with an upper-case suffix and one in
// Japanese with a space.

const kMagic = [0x20, ...Buffer.from('CE DATA FILE $0001', 'latin1'), 0x1a];

function int16(value) {
    return [value & 0xff, (value >> 8) & 0xff];
}

// Texts are CP932 bytes, given as a string of byte values (latin1).
function bytesOf(text) {
    return [...Buffer.from(text, 'latin1')];
}

function field(text, capacity) {
    const bytes = bytesOf(text).slice(0, capacity);
    return [...bytes, ...new Array(capacity - bytes.length).fill(0)];
}

const junction = (flags, x, y) => [0, flags, ...int16(x), ...int16(y)];
const entry = (flags, x, y) => [1, flags, ...int16(x), ...int16(y)];
const kBus = 2;
const kWire = 3;
const kDash = 4;
const line = (type, flags, x1, y1, x2, y2) => [
    type, flags, ...int16(x1), ...int16(y1), ...int16(x2), ...int16(y2),
];

function textRecord(type, {flags = 0, x = 0, y = 0, text = '', lengthByte}) {
    const length = lengthByte ?? bytesOf(text).length;
    return [type, flags, ...int16(x), ...int16(y), length & 0xff, ...field(text, 11)];
}
const label = (t) => textRecord(5, t);
const tag = (t) => textRecord(6, t);

function component({flags = 0, x = 0, y = 0, direction = 0, block = 0, name = '', reference = '',
                    library = ''}) {
    return [
        8, flags, ...int16(x), ...int16(y), 0, 0, 0, 0, direction & 0xff, block & 0xff,
        bytesOf(name).length, ...field(name, 15), ...int16(2), ...int16(20),
        bytesOf(reference).length, ...field(reference, 7), ...int16(2), ...int16(10),
        ...field(library, 16),
    ];
}

// recordLength is the whole record's length, which the reader takes only from 14 to 77.
function comment({flags = 0, x = 0, y = 0, sizeClass = 0, text = '', lengthByte, recordLength}) {
    const size = recordLength ?? 14 + bytesOf(text).length;
    const variable = [sizeClass, (lengthByte ?? bytesOf(text).length) & 0xff,
                      ...field(text, Math.max(size - 14, 0))];
    return [
        16, flags, ...int16(x), ...int16(y), 0, 0, 0, 0, ...int16(size),
        ...variable.slice(0, Math.max(size - 12, 0)),
    ];
}

function header({sizeIndex = 0, width = 0, height = 0, corruptMagicAt} = {}) {
    const magic = [...kMagic];
    if (corruptMagicAt !== undefined) {
        magic[corruptMagicAt] ^= 1;
    }
    return [
        9, ...magic, ...new Array(13).fill(0), sizeIndex, 0, 0, 0, 0, ...int16(width),
        ...int16(height), ...int16(1), ...int16(2), ...new Array(13).fill(0),
    ];
}

// A repeatable sequence of 32-bit numbers (xorshift), so that every run tests the same drawings.
function randomNumbers(seed) {
    let state = seed;
    return () => {
        state ^= state << 13;
        state ^= state >>> 17;
        state ^= state << 5;
        return state >>> 0;
    };
}

// A header and then `count` records of every kind with random fields, the same for the same seed.
export function randomRecords(seed, count) {
    const next = randomNumbers(seed);
    const coordinate = () => (next() % 4000) - 500;
    const text = (capacity) => String.fromCharCode(
        ...Array.from({length: next() % (capacity + 1)}, () => 0x20 + (next() % 0xdf)));
    const makers = [
        () => junction(next() & 0xff, coordinate(), coordinate()),
        () => entry(next() & 0xff, coordinate(), coordinate()),
        () => line(kBus + (next() % 3), next() & 0xff, coordinate(), coordinate(), coordinate(),
                   coordinate()),
        () => label({flags: next() & 0xff, x: coordinate(), y: coordinate(), text: text(11)}),
        () => tag({flags: next() & 0xff, x: coordinate(), y: coordinate(), text: text(11)}),
        () => component({x: coordinate(), y: coordinate(), direction: next(), block: next(),
                         name: text(15), reference: text(7), library: text(16)}),
        () => comment({x: coordinate(), y: coordinate(), sizeClass: next() & 1, text: text(63)}),
    ];
    const records = [...header({sizeIndex: next() % 5})];
    for (let i = 0; i < count; ++i) {
        records.push(...makers[next() % makers.length]());
    }
    return records;
}

const kKanji = '\x89\xf1\x98\x48';  // two characters of CP932
const kEveryKind = [
    ...header({sizeIndex: 2}),
    ...junction(0x10, 100, 100),
    ...entry(0x00, 200, 200), ...entry(0x01, 220, 200), ...entry(0x02, 240, 200),
    ...entry(0x03, 260, 200),
    ...line(kBus, 0, 10, 20, 300, 20), ...line(kWire, 0xf0, 10, 40, 300, 40),
    ...line(kDash, 0x80, 10, 60, 10, 300),
    ...label({x: 50, y: 80, text: 'A1'}), ...label({flags: 8, x: 60, y: 80, text: kKanji}),
    ...tag({flags: 0, x: 70, y: 90, text: 'IN'}), ...tag({flags: 9, x: 70, y: 110, text: 'OUT'}),
    ...tag({flags: 2, x: 70, y: 130, text: 'IO'}), ...tag({flags: 3, x: 70, y: 150, text: 'X'}),
    ...component({x: 400, y: 400, direction: 0x0d, block: -1, name: 'U1', reference: '74LS00',
                  library: '74LS00'}),
    ...component({x: 600, y: 400, name: 'R12', reference: '10k', library: 'RESISTOR-CARBON-X'}),
    ...comment({x: 120, y: 340, sizeClass: 1, text: `${kKanji} large`}),
    ...comment({x: 120, y: 360, text: 'small'}),
];

export function ce2Drawings() {
    const wires = (n, y0) => Array.from({length: n}, (_, i) => line(kWire, 0, 10, y0 + 10 * i,
                                                                     200, y0 + 10 * i)).flat();
    const drawings = {
        'wires.ce2': [...header({sizeIndex: 1}), ...wires(5, 20)],
        'every-kind.ce2': kEveryKind,
        'one-element.ce2': junction(0, 10, 10),
        'two-elements.ce2': wires(2, 50),
        'bad-magic.ce2': [...header({sizeIndex: 2, corruptMagicAt: 7}), ...wires(3, 20)],
        'cut-record.ce2': [...wires(3, 20), ...line(kWire, 0, 1, 2, 3, 4).slice(0, 6)],
        'cut-every-kind.ce2': kEveryKind.slice(0, kEveryKind.length - 30),
        'unknown-type.ce2': [...wires(3, 20), 7, ...wires(3, 100)],
        'comment-too-short.ce2': [...wires(2, 20), ...comment({text: 'x', recordLength: 13})],
        'comment-too-long.ce2': [...wires(2, 20), ...comment({text: 'x', recordLength: 78})],
        'outside-sheet.ce2': [
            ...wires(3, 20), ...line(kWire, 0, -32768, -32768, -32000, -32000),
            ...junction(0, 32767, 32767), ...label({x: -5000, y: 20, text: 'far'}),
        ],
        'all-outside.ce2': [
            ...line(kWire, 0, -9000, -9000, -8000, -9000), ...junction(0, 30000, 30000),
        ],
        'large-sheet.ce2': [
            ...header({sizeIndex: 7, width: 5000, height: 4000}),
            ...line(kWire, 0, 4000, 3000, 4900, 3900), ...junction(0, 4500, 3500),
        ],
        'sheet-too-wide.ce2': [
            ...header({sizeIndex: 7, width: 6000, height: 3000}), ...wires(2, 20),
            ...line(kWire, 0, 1400, 900, 1600, 900),
        ],
        'header-after-element.ce2': [
            ...wires(1, 20), ...header({sizeIndex: 0}), ...wires(2, 600),
        ],
        'many-elements.ce2': [...header({sizeIndex: 4}), ...wires(40000, 0)],
        // More elements on the sheet than the page draws without asking.
        'large.ce2': Array.from({length: 16000}, (_, i) => line(kWire, 0, 10, 10 + i % 900,
                                                                 1400, 10 + i % 900)).flat(),
        'text-limits.ce2': [
            ...label({x: 10, y: 10, text: 'AB', lengthByte: 0xf0}),
            ...label({x: 10, y: 30, text: 'ABCDEFGHIJK', lengthByte: 20}),
            ...label({x: 10, y: 50, text: 'ABC\0EFG', lengthByte: 7}),
            ...tag({x: 10, y: 70, text: 'LONGTAGTEXT', lengthByte: 0x7f}),
            ...comment({x: 10, y: 90, text: 'ABCDEF', lengthByte: 63, recordLength: 20}),
            ...comment({x: 10, y: 110, sizeClass: 1, text: 'Z'.repeat(63)}),
            ...component({x: 100, y: 100, name: 'N'.repeat(15), reference: 'R'.repeat(7),
                          library: 'L'.repeat(16)}),
        ],
        'hostile-texts.ce2': [
            ...label({x: 10, y: 10, text: '<&"\'>'}),
            ...label({x: 10, y: 30, text: '\x01\x1b\x7f\x80\xff'}),
            ...tag({x: 10, y: 50, text: ']]>\x81'}),
            ...comment({x: 10, y: 70, text: '%00%\r\n\t\x82'}),
            ...component({x: 200, y: 200, name: '&amp;', reference: '\x1b', library: '<lib>'}),
        ],
        'random-records-1.ce2': randomRecords(1, 300),
        'random-records-2.ce2': randomRecords(2, 2000),
        'random-bytes.ce2': (() => {
            const next = randomNumbers(3);
            return Array.from({length: 4096}, () => next() & 0xff);
        })(),
        'all-ff.ce2': new Array(1000).fill(0xff),
        'UPPER.CE2': [...header({sizeIndex: 3}), ...wires(4, 40)],
        '回路 図.ce2': [
            ...header({sizeIndex: 2}), ...wires(2, 20),
            ...comment({x: 100, y: 200, sizeClass: 1, text: kKanji}),
        ],
    };
    return Object.entries(drawings).map(([name, bytes]) => ({name, bytes: Uint8Array.from(bytes)}));
}
