// devtools.js: a small driver of headless Chromium over the DevTools protocol, for the
// web page's tests and benchmarks: start the browser, open a page, evaluate, press keys,
// take screenshots, collect console messages.
'use strict';
const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const WebSocket = require('ws');
const { sleep, waitFor } = require('./drivers/common.js');

const kFlags = [
  '--headless=new', '--no-sandbox', '--use-angle=swiftshader', '--enable-unsafe-swiftshader',
  '--autoplay-policy=no-user-gesture-required', '--disable-background-networking',
  '--disable-component-update', '--no-first-run', '--disable-sync',
  '--remote-debugging-port=0',
];


class Page {
  constructor(browser, sessionId) {
    this.browser = browser;
    this.sessionId = sessionId;
    this.console = [];
    this.onEvent = null;  // when set, called with every event the page sends
  }
  send(method, params) { return this.browser.send(method, params, this.sessionId); }

  // userGesture: the page sees the call as the viewer's action (full screen needs one).
  async evaluate(expression, userGesture = false) {
    const reply = await this.send('Runtime.evaluate',
                                  { expression, returnByValue: true, awaitPromise: true, userGesture });
    if (reply.exceptionDetails) throw new Error(`${expression}: ${reply.exceptionDetails.text}`);
    return reply.result.value;
  }

  // Polls expression until it is truthy; returns its value, or null after timeoutMs.
  waitFor(expression, timeoutMs) { return waitFor(this, expression, timeoutMs); }

  async pressKey(key, code, keyCode) {
    for (const type of ['keyDown', 'keyUp'])
      await this.send('Input.dispatchKeyEvent',
                      { type, key, code, windowsVirtualKeyCode: keyCode, nativeVirtualKeyCode: keyCode });
  }

  // Touches the screen at (x, y) CSS pixels and lifts the finger: a tap.
  async tap(x, y) {
    await this.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [{ x, y }] });
    await this.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [] });
  }

  // The page's pixels in clip (by default the top-left 640 x 480) as a PNG file.
  async screenshot(file, clip = { x: 0, y: 0, width: 640, height: 480 }) {
    const shot = await this.send('Page.captureScreenshot',
      { format: 'png', clip: { ...clip, scale: 1 } });
    fs.writeFileSync(file, Buffer.from(shot.data, 'base64'));
  }
}

class Browser {
  // windowSize: the browser window's size in pixels, [width, height]; the screen is as
  // large. The tests' default leaves room round the dialog and the boxes.
  static async launch({ windowSize = [1000, 600] } = {}) {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'kelvo-chromium-'));
    const [width, height] = windowSize;
    const child = spawn(process.env.KELVO_CHROMIUM || '/usr/bin/chromium',
                        [...kFlags, `--window-size=${width},${height}`, `--screen-info={${width}x${height}}`,
                         `--user-data-dir=${profile}`, 'about:blank'],
                        { stdio: ['ignore', 'ignore', 'pipe'] });
    const address = await new Promise((resolve, reject) => {
      let text = '';
      const timer = setTimeout(() => reject(new Error('chromium did not start')), 30000);
      child.stderr.on('data', (chunk) => {
        text += chunk;
        const found = /DevTools listening on (ws:\/\/\S+)/.exec(text);
        if (found) { clearTimeout(timer); resolve(found[1]); }
      });
      child.on('exit', () => reject(new Error(`chromium exited: ${text.slice(-500)}`)));
    });
    const socket = new WebSocket(address, { perMessageDeflate: false, maxPayload: 256 << 20 });
    await new Promise((resolve, reject) => { socket.on('open', resolve); socket.on('error', reject); });
    return new Browser(child, socket, profile);
  }

  constructor(child, socket, profile) {
    this.child = child;
    this.socket = socket;
    this.profile = profile;
    this.nextId = 1;
    this.waiting = new Map();
    this.pages = new Map();
    socket.on('message', (data) => this.receive(JSON.parse(data)));
  }

  receive(message) {
    if (message.id) {
      const waiter = this.waiting.get(message.id);
      this.waiting.delete(message.id);
      if (!waiter) return;
      if (message.error) waiter.reject(new Error(`${waiter.method}: ${message.error.message}`));
      else waiter.resolve(message.result);
      return;
    }
    const page = this.pages.get(message.sessionId);
    if (page && page.onEvent) page.onEvent(message);
    if (page && message.method === 'Runtime.consoleAPICalled')
      page.console.push(message.params.args.map((a) => a.value !== undefined ? String(a.value) : a.description || '').join(' '));
  }

  send(method, params = {}, sessionId = undefined) {
    const id = this.nextId++;
    this.socket.send(JSON.stringify({ id, method, params, sessionId }));
    return new Promise((resolve, reject) => this.waiting.set(id, { resolve, reject, method }));
  }

  // prepare(page), when given, runs before the page is navigated to url (device
  // emulation, scripts injected into the document, network conditions).
  async open(url, prepare = null) {
    const { targetId } = await this.send('Target.createTarget', { url: 'about:blank' });
    const { sessionId } = await this.send('Target.attachToTarget', { targetId, flatten: true });
    const page = new Page(this, sessionId);
    page.targetId = targetId;
    this.pages.set(sessionId, page);
    await page.send('Runtime.enable');
    await page.send('Page.enable');
    if (prepare) await prepare(page);
    await page.send('Page.navigate', { url });
    return page;
  }

  async closePage(page) {
    await this.send('Target.closeTarget', { targetId: page.targetId });
    this.pages.delete(page.sessionId);
  }

  async close() {
    try { await this.send('Browser.close'); } catch (e) { /* already gone */ }
    await Promise.race([new Promise((r) => this.child.on('exit', r)), sleep(5000)]);
    if (this.child.exitCode === null) this.child.kill();
    this.socket.terminate();
    fs.rmSync(this.profile, { recursive: true, force: true });
  }
}

module.exports = { Browser, sleep };
