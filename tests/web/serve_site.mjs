// Serves a folder over HTTP on 127.0.0.1 (scripts/serve-web) on a free port, for a browser to open:
// resolves to the server's process and its origin once it listens. With a log, the path of every
// request is appended to that file.
import {spawn} from 'node:child_process';
import {fileURLToPath} from 'node:url';

const kServeWeb = fileURLToPath(new URL('../../scripts/serve-web', import.meta.url));

export async function startServer(site, log = null) {
    const server = spawn(process.execPath,
                         [kServeWeb, '--port', '0', ...(log ? ['--log', log] : []), site],
                         {stdio: ['ignore', 'pipe', 'inherit']});
    const origin = await new Promise((resolve, reject) => {
        let out = '';
        server.stdout.on('data', (chunk) => {
            out += chunk;
            const match = out.match(/serving (http:\/\/127\.0\.0\.1:\d+)\//);
            if (match) {
                resolve(match[1]);
            }
        });
        server.on('exit', (code) => reject(new Error(`serve-web exited (${code})`)));
    });
    return {server, origin};
}
