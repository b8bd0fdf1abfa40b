// Serves a folder (the browser build's page, build/web) on 127.0.0.1 and prints its address.
// A plain static server: the page needs no special headers (it is built without WebAssembly
// threads, so no cross-origin isolation). Used by `make web-run` and the browser test.
//
// usage: node scripts/web-serve.mjs FOLDER [PORT]   (PORT 0: any free port)
import { createServer } from 'node:http';
import { readFile } from 'node:fs/promises';
import { extname, join, normalize, resolve } from 'node:path';

const types = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript',
    '.wasm': 'application/wasm',
    '.data': 'application/octet-stream',
    '.png': 'image/png',
};

export function serve(folder, port = 0) {
    const root = resolve(folder);
    const server = createServer(async (request, response) => {
        const path = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
        const file = normalize(join(root, path.endsWith('/') ? path + 'index.html' : path));
        if (!file.startsWith(root)) {
            response.writeHead(403).end();
            return;
        }
        try {
            const body = await readFile(file);
            response.writeHead(200, {
                'Content-Type': types[extname(file)] || 'application/octet-stream',
                'Cache-Control': 'no-cache',
            });
            response.end(body);
        } catch {
            response.writeHead(404).end('not found');
        }
    });
    return new Promise((done, fail) => {
        server.once('error', fail);
        server.listen(port, '127.0.0.1', () => done(server));
    });
}

if (import.meta.url === `file://${process.argv[1]}`) {
    const [folder, port] = process.argv.slice(2);
    if (!folder) {
        console.error('usage: node scripts/web-serve.mjs FOLDER [PORT]');
        process.exit(2);
    }
    const server = await serve(folder, Number(port ?? 8000));
    console.log(`Serving ${folder} at http://127.0.0.1:${server.address().port}/ (Ctrl+C stops)`);
}
