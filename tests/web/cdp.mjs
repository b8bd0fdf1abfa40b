// A small client of Chromium's DevTools protocol over --remote-debugging-pipe: the browser reads
// commands from its descriptor 3 and writes answers and events to descriptor 4, each a JSON
// text ended by a NUL byte. No WebSocket and no package needed.
import { spawn } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';

export class Browser {
    static async launch(executable = process.env.CHROMIUM || 'chromium') {
        const profile = mkdtempSync(join(tmpdir(), 'kosmorra-chromium-'));
        const child = spawn(executable, [
            '--headless=new', '--remote-debugging-pipe', `--user-data-dir=${profile}`,
            // Root in a container has no sandbox to enter.
            '--no-sandbox', '--no-first-run', '--no-default-browser-check', '--mute-audio',
            '--disable-gpu', '--window-size=1280,1024', 'about:blank',
        ], { stdio: ['ignore', 'ignore', 'pipe', 'pipe', 'pipe'] });
        const browser = new Browser(child, profile);
        await browser.send('Target.setDiscoverTargets', { discover: true });
        return browser;
    }

    constructor(child, profile) {
        this.child = child;
        this.profile = profile;
        this.nextId = 1;
        this.waiting = new Map();
        this.listeners = [];
        this.stderr = '';
        this.exited = false;
        let pending = Buffer.alloc(0);
        child.stdio[4].on('data', chunk => {
            pending = Buffer.concat([pending, chunk]);
            for (let end; (end = pending.indexOf(0)) >= 0; pending = pending.subarray(end + 1))
                this.receive(JSON.parse(pending.subarray(0, end).toString('utf8')));
        });
        child.stderr.on('data', chunk => { this.stderr = (this.stderr + chunk).slice(-4000); });
        child.on('exit', () => {
            this.exited = true;
            for (const { fail } of this.waiting.values())
                fail(new Error(`chromium ended: ${this.stderr}`));
            this.waiting.clear();
        });
    }

    receive(message) {
        if (message.id !== undefined) {
            const call = this.waiting.get(message.id);
            this.waiting.delete(message.id);
            if (!call)
                return;
            if (message.error)
                call.fail(new Error(`${call.method}: ${message.error.message}`));
            else
                call.done(message.result);
        } else {
            for (const listener of this.listeners)
                listener(message);
        }
    }

    send(method, params = {}, sessionId = undefined) {
        if (this.exited)
            return Promise.reject(new Error('chromium is not running'));
        const id = this.nextId++;
        const message = { id, method, params };
        if (sessionId)
            message.sessionId = sessionId;
        this.child.stdio[3].write(JSON.stringify(message) + '\0');
        return new Promise((done, fail) => this.waiting.set(id, { done, fail, method }));
    }

    on(listener) {
        this.listeners.push(listener);
    }

    // A new tab whose viewport, and screen (what full screen fills), are width x height.
    async newPage(width = 1024, height = 768) {
        const { targetId } = await this.send('Target.createTarget', { url: 'about:blank' });
        const { sessionId } = await this.send('Target.attachToTarget', { targetId, flatten: true });
        const page = new Page(this, sessionId);
        await page.send('Page.enable');
        await page.send('Runtime.enable');
        await page.send('Emulation.setDeviceMetricsOverride', {
            width, height, deviceScaleFactor: 1, mobile: false, screenWidth: width, screenHeight: height,
        });
        return page;
    }

    async close() {
        if (!this.exited) {
            await this.send('Browser.close').catch(() => {});
            await new Promise(done => (this.exited ? done() : this.child.once('exit', done)));
        }
        rmSync(this.profile, { recursive: true, force: true });
    }
}

export class Page {
    constructor(browser, sessionId) {
        this.browser = browser;
        this.sessionId = sessionId;
        this.console = [];
        browser.on(message => {
            if (message.sessionId !== sessionId)
                return;
            if (message.method === 'Runtime.consoleAPICalled')
                this.console.push(message.params.args.map(a => a.value ?? a.description).join(' '));
            else if (message.method === 'Runtime.exceptionThrown')
                this.console.push('exception: ' + message.params.exceptionDetails.text + ' ' +
                                  (message.params.exceptionDetails.exception?.description ?? ''));
        });
    }

    send(method, params = {}) {
        return this.browser.send(method, params, this.sessionId);
    }

    // The value of a JavaScript expression (awaited when it is a promise).
    async evaluate(expression) {
        const { result, exceptionDetails } = await this.send('Runtime.evaluate', {
            expression, awaitPromise: true, returnByValue: true,
        });
        if (exceptionDetails)
            throw new Error(`${expression}: ${exceptionDetails.exception?.description ?? exceptionDetails.text}`);
        return result.value;
    }

    // Waits until the expression is true, or fails after timeout milliseconds saying what.
    async waitFor(expression, what, timeout = 30000) {
        const end = Date.now() + timeout;
        for (;;) {
            // A page that is navigating has no context to ask for a moment.
            const met = await this.evaluate(`!!(${expression})`).catch(e => {
                if (/navigated|context/i.test(e.message))
                    return false;
                throw e;
            });
            if (met)
                return;
            if (Date.now() > end)
                throw new Error(`timed out waiting for ${what}\nconsole:\n${this.console.join('\n')}`);
            await new Promise(done => setTimeout(done, 50));
        }
    }

    async navigate(url) {
        await this.send('Page.navigate', { url });
    }

    async reload() {
        await this.send('Page.reload', { ignoreCache: false });
    }

    // A click at page coordinates: a move first, since SDL takes the place of a click from the
    // last motion.
    async click(x, y) {
        await this.send('Input.dispatchMouseEvent', { type: 'mouseMoved', x, y });
        await this.send('Input.dispatchMouseEvent', { type: 'mousePressed', x, y, button: 'left', clickCount: 1 });
        await this.send('Input.dispatchMouseEvent', { type: 'mouseReleased', x, y, button: 'left', clickCount: 1 });
    }

    async move(x, y) {
        await this.send('Input.dispatchMouseEvent', { type: 'mouseMoved', x, y });
    }

    async keyDown(key, code, keyCode) {
        await this.send('Input.dispatchKeyEvent', {
            type: 'rawKeyDown', key, code, windowsVirtualKeyCode: keyCode, nativeVirtualKeyCode: keyCode,
        });
    }

    async keyUp(key, code, keyCode) {
        await this.send('Input.dispatchKeyEvent', {
            type: 'keyUp', key, code, windowsVirtualKeyCode: keyCode, nativeVirtualKeyCode: keyCode,
        });
    }
}
