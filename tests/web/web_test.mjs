// The browser build played in headless Chromium: the menu against the desktop's golden picture,
// the audio started by the first click, full screen switched off on the options screen
// (Config.ini written), level 1 started with a click and won with the keyboard, level 2 (which
// only a loaded level 2 can be) won too, then the page reloaded: the level selection shows both
// levels completed, against the desktop's golden picture of that screen, so the progress file
// (and Config.ini) came back from the browser's storage. Prints the start-up figure it saw.
// Fails with what it waited for, the page's console, and the game's picture in OUT.
//
// usage: node tests/web/web_test.mjs PAGE_FOLDER GOLDEN_FOLDER OUT_FOLDER
import { mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { join } from 'node:path';
import { serve } from '../../scripts/web-serve.mjs';
import { Browser } from './cdp.mjs';

const [pageDir, goldenDir, outDir] = process.argv.slice(2);
if (!outDir) {
    console.error('usage: node tests/web/web_test.mjs PAGE_FOLDER GOLDEN_FOLDER OUT_FOLDER');
    process.exit(2);
}
mkdirSync(outDir, { recursive: true });

// A pixel differs when a channel is off by more than this; the pictures match when at most
// kMaxDifferent of their pixels differ. The desktop's golden pictures come from the same
// software device, so the differences allowed are for the text's faces (the page packs DejaVu
// where fontconfig may choose another face for "Arial") and nothing else.
const kChannelTolerance = 8;
const kMaxDifferentShare = 0.01;

const server = await serve(pageDir, 0);
const url = `http://127.0.0.1:${server.address().port}/`;
const browser = await Browser.launch();
let page;
let failed = false;

async function frames() {
    return page.evaluate('(window.Module && Module.kosmorraFrames) || 0');
}

// Waits until the game has shown count more frames.
async function waitFrames(count) {
    const start = await frames();
    await page.waitFor(`(Module.kosmorraFrames || 0) >= ${start + count}`, `${count} frames`);
}

const sleep = ms => new Promise(done => setTimeout(done, ms));

// Page coordinates of a point of the game's 1024 x 768 picture, which the game centres in its
// canvas at the largest scale that fits (in full screen the canvas is the screen's size).
async function at(x, y) {
    const r = await page.evaluate(`(() => { const r = Module.canvas.getBoundingClientRect();
        return { left: r.left, top: r.top, width: r.width, height: r.height,
                 w: Module.canvas.width, h: Module.canvas.height }; })()`);
    const scale = Math.min(r.w / 1024, r.h / 768);
    const cx = (r.w - 1024 * scale) / 2 + (x + 0.5) * scale;
    const cy = (r.h - 768 * scale) / 2 + (y + 0.5) * scale;
    return [r.left + cx * r.width / r.w, r.top + cy * r.height / r.h];
}

async function click(x, y) {
    await page.click(...(await at(x, y)));
    await waitFrames(3);
}

const keys = {
    Up: ['ArrowUp', 38], Down: ['ArrowDown', 40], Left: ['ArrowLeft', 37], Right: ['ArrowRight', 39],
};

// One step of the rover: the key held for a few frames, as a hand holds it (the game reads the
// keyboard's state each frame), then time for the move to end.
async function press(name) {
    const [code, keyCode] = keys[name];
    await page.keyDown(code, code, keyCode);
    await sleep(60);
    await waitFrames(1);
    await page.keyUp(code, code, keyCode);
    await sleep(600);
    await waitFrames(2);
}

async function progress() {
    return page.evaluate(`(() => { try { return Array.from(FS.readFile('/compleated.cmp').subarray(0, 4)); }
                                   catch (e) { return null; } })()`);
}

// The game's picture against a golden one; saves both on a mismatch.
async function compareWithGolden(name) {
    const golden = readFileSync(join(goldenDir, `screen-${name}.png`)).toString('base64');
    const result = await page.evaluate(`(async () => {
        const blob = await (await fetch('data:image/png;base64,${golden}')).blob();
        const picture = await createImageBitmap(blob, { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
        const scratch = new OffscreenCanvas(picture.width, picture.height).getContext('2d');
        scratch.drawImage(picture, 0, 0);
        const want = scratch.getImageData(0, 0, picture.width, picture.height).data;
        const canvas = Module.canvas;
        if (canvas.width !== picture.width || canvas.height !== picture.height)
            return { size: canvas.width + ' x ' + canvas.height, wanted: picture.width + ' x ' + picture.height };
        const got = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
        let different = 0, first = null, worst = 0;
        for (let i = 0; i < got.length; i += 4) {
            const off = Math.max(Math.abs(got[i] - want[i]), Math.abs(got[i + 1] - want[i + 1]),
                                 Math.abs(got[i + 2] - want[i + 2]));
            worst = Math.max(worst, off);
            if (off > ${kChannelTolerance}) {
                if (first === null) first = [(i / 4) % canvas.width, Math.floor(i / 4 / canvas.width)];
                ++different;
            }
        }
        return { different, share: different / (got.length / 4), first, worst,
                 shot: canvas.toDataURL('image/png') };
    })()`);
    if (result.size)
        throw new Error(`${name}: the game's picture is ${result.size}, the golden one ${result.wanted}`);
    const ok = result.share <= kMaxDifferentShare;
    console.log(`${name}: ${result.different} pixels differ by more than ${kChannelTolerance} ` +
                `(${(100 * result.share).toFixed(3)} %, largest difference ${result.worst})` +
                (ok ? '' : `, first at ${result.first}`));
    if (!ok) {
        writeFileSync(join(outDir, `${name}-actual.png`), Buffer.from(result.shot.split(',')[1], 'base64'));
        writeFileSync(join(outDir, `${name}-expected.png`), readFileSync(join(goldenDir, `screen-${name}.png`)));
        throw new Error(`${name} differs from the golden picture (pictures in ${outDir})`);
    }
}

try {
    page = await browser.newPage();
    await page.navigate(url);
    await page.waitFor('window.Module && Module.kosmorraFrames >= 5', 'the menu', 60000);
    const start = await page.evaluate('Module.kosmorraFirstFrame - Module.kosmorraPageStart');
    console.log(`first frame ${start.toFixed(0)} ms after the page began loading`);

    // The golden menu has the pointer over the new-game button.
    await page.move(...(await at(512, 334)));
    await waitFrames(5);
    await compareWithGolden('game-menu');

    // The song waits for the first click or key: a browser starts no sound before.
    const audio = 'Module.SDL2 && Module.SDL2.audioContext && Module.SDL2.audioContext.state';
    const before = await page.evaluate(audio);
    if (before !== 'suspended')
        throw new Error(`the audio before any click is ${before}, not suspended`);

    // The game starts in full screen, which a browser grants at the first click: the options
    // screen switches it off, and OK writes Config.ini.
    await click(512, 430);
    await page.waitFor(`(${audio}) === 'running'`, 'the audio running after the first click');
    await sleep(500);
    await waitFrames(5);
    await click(295, 250);
    await click(136, 738);
    await page.waitFor(`(() => { try { return FS.readFile('/Config.ini', { encoding: 'utf8' }).includes('Full=0'); }
                                 catch (e) { return false; } })()`, 'Config.ini with full screen off');
    await page.waitFor('!document.fullscreenElement && Module.canvas.width === 1024', 'the game in its canvas again');
    await waitFrames(5);

    await click(512, 334);
    await waitFrames(10);
    await press('Right');
    await page.waitFor(`(() => { try { return FS.readFile('/compleated.cmp')[0] === 1; } catch (e) { return false; } })()`,
                       'level 1 won');
    // Level 2 by its shortest solution: won only if level 2 is what loaded. The win's pause
    // and the next level's start come first.
    await sleep(1500);
    await waitFrames(5);
    for (const step of ['Up', 'Right', 'Down', 'Down', 'Right', 'Down', 'Left', 'Left'])
        await press(step);
    await page.waitFor(`(() => { try { return FS.readFile('/compleated.cmp')[1] === 1; } catch (e) { return false; } })()`,
                       'level 2 won');
    console.log(`progress after two levels: ${await progress()}`);

    await page.evaluate('window.kosmorraBeforeReload = true');
    await page.reload();
    await page.waitFor('!window.kosmorraBeforeReload && window.Module && Module.kosmorraFrames >= 5',
                       'the menu after the reload', 60000);
    const kept = await progress();
    if (!kept || kept[0] !== 1 || kept[1] !== 1)
        throw new Error(`the progress did not survive the reload: ${kept}`);
    const config = await page.evaluate(`(() => { try { return FS.readFile('/Config.ini', { encoding: 'utf8' }); }
                                                catch (e) { return null; } })()`);
    if (!config || !config.includes('Full=0'))
        throw new Error(`Config.ini did not survive the reload: ${config}`);
    await click(512, 382);
    await waitFrames(5);
    await compareWithGolden('game-load');
    console.log('web test passed');
} catch (e) {
    failed = true;
    console.error(`web test failed: ${e.message}`);
    if (page) {
        const shot = await page.evaluate('Module.canvas.toDataURL("image/png")').catch(() => null);
        if (shot) {
            writeFileSync(join(outDir, 'failure.png'), Buffer.from(shot.split(',')[1], 'base64'));
            console.error(`the game's picture at the failure: ${join(outDir, 'failure.png')}`);
        }
    }
} finally {
    await browser.close();
    server.close();
}
process.exit(failed ? 1 : 0);
