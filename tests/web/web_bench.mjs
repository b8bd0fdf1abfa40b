// The browser build's figures, in headless Chromium on this machine: the game's frame (the
// benchmark page, bench/web), the first frame of the game's page after the page began loading
// (median of several fresh loads), and the page's files, as served and compressed with gzip.
// Prints a table with the targets beside the figures. Asserts nothing.
//
// usage: node tests/web/web_bench.mjs PAGE_FOLDER BENCH_FOLDER [LOADS]
import { readdirSync, readFileSync, statSync } from 'node:fs';
import { join } from 'node:path';
import { gzipSync } from 'node:zlib';
import { serve } from '../../scripts/web-serve.mjs';
import { Browser } from './cdp.mjs';

const [pageDir, benchDir, loadsArg] = process.argv.slice(2);
if (!benchDir) {
    console.error('usage: node tests/web/web_bench.mjs PAGE_FOLDER BENCH_FOLDER [LOADS]');
    process.exit(2);
}
const loads = Number(loadsArg ?? 5);

let total = 0, packed = 0;
console.log('| page file | size | gzip |\n|---|---|---|');
for (const name of readdirSync(pageDir).sort()) {
    const file = join(pageDir, name);
    if (!statSync(file).isFile())
        continue;
    const bytes = readFileSync(file);
    const compressed = gzipSync(bytes, { level: 9 }).length;
    total += bytes.length;
    packed += compressed;
    console.log(`| ${name} | ${(bytes.length / 1e6).toFixed(2)} MB | ${(compressed / 1e6).toFixed(2)} MB |`);
}
console.log(`| all | ${(total / 1e6).toFixed(2)} MB | ${(packed / 1e6).toFixed(2)} MB (target: under 8 MB) |\n`);

const game = await serve(pageDir, 0);
const bench = await serve(benchDir, 0);
const browser = await Browser.launch();
try {
    const firsts = [];
    for (let i = 0; i < loads; ++i) {
        // A fresh page each time: nothing compiled or cached in memory from the last load.
        const page = await browser.newPage();
        await page.send('Network.enable');
        await page.send('Network.setCacheDisabled', { cacheDisabled: true });
        await page.navigate(`http://127.0.0.1:${game.address().port}/`);
        await page.waitFor('window.Module && Module.kosmorraFirstFrame !== undefined', 'the first frame', 60000);
        firsts.push(await page.evaluate('Module.kosmorraFirstFrame'));
        await page.send('Page.close').catch(() => {});
    }
    firsts.sort((a, b) => a - b);
    console.log(`first frame: median ${firsts[firsts.length >> 1].toFixed(0)} ms after the page began ` +
                `loading (${firsts.map(f => f.toFixed(0)).join(', ')} ms over ${loads} loads; target 1500 ms)\n`);

    const page = await browser.newPage();
    await page.navigate(`http://127.0.0.1:${bench.address().port}/`);
    await page.waitFor(`document.getElementById('out') && document.getElementById('out').textContent.includes('bench done')`,
                       'the frame benchmark', 300000);
    console.log((await page.evaluate(`document.getElementById('out').textContent`))
        .replace('Measuring…\n', '').replace('bench done\n', ''));
} finally {
    await browser.close();
    game.close();
    bench.close();
}
