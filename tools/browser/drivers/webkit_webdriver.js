// webkit_webdriver.js: WebKitGTK's MiniBrowser driven by WebKitWebDriver over W3C
// WebDriver (plain HTTP), behind the drivers' common interface (see ../engines.js). It
// runs headed on the X screen in DISPLAY, where it renders WebGL 2 with Mesa.
'use strict';
const { spawn } = require('child_process');
const fs = require('fs');
const net = require('net');
const { sleep, waitFor, cropPng, kDefaultClip } = require('./common.js');

const kMiniBrowser = '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';
const kElement = 'element-6066-11e4-a52e-4f735466cecf';  // W3C WebDriver's element key
const kKeys = { Escape: '\uE00C', Enter: '\uE007' };

// WebKitWebDriver gives no access to the console (it has no BiDi, and pages under
// automation do not write their messages out), so each page's console methods are
// wrapped once it has loaded. The show writes its messages after loading its program
// and data, well after the load event.
const kConsoleHook = `if (!window.kelvoConsole) {
  window.kelvoConsole = [];
  for (const level of ['log', 'info', 'warn', 'error']) {
    const original = console[level];
    console[level] = function(...args) {
      window.kelvoConsole.push(args.map(String).join(' '));
      return original.apply(this, args);
    };
  }
}`;

// Evaluates arguments[0] in the page's global scope and waits for it when it is a promise.
const kEvaluate = `const expression = arguments[0], done = arguments[arguments.length - 1];
Promise.resolve().then(() => (0, eval)(expression))
  .then((value) => done({ value: value === undefined ? null : value }),
        (error) => done({ error: String(error) }));`;

function freePort() {
  return new Promise((resolve, reject) => {
    const server = net.createServer();
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

class WebKitPage {
  constructor(driver) { this.driver = driver; }

  async evaluate(expression) {
    const reply = await this.driver.command('POST', '/execute/async', { script: kEvaluate, args: [expression] });
    if (reply.error) throw new Error(`${expression}: ${reply.error}`);
    return reply.value;
  }
  waitFor(expression, timeoutMs) { return waitFor(this, expression, timeoutMs); }
  async consoleLines() { return (await this.evaluate('window.kelvoConsole || []')) || []; }

  async pressKey(name) {
    const value = kKeys[name];
    if (!value) throw new Error(`no WebDriver key for ${name}`);
    await this.driver.command('POST', '/actions',
      { actions: [{ type: 'key', id: 'keyboard', actions: [{ type: 'keyDown', value }, { type: 'keyUp', value }] }] });
    await this.driver.command('DELETE', '/actions');
  }

  async click(expression) {
    const element = await this.driver.command('POST', '/execute/sync', { script: `return (${expression});`, args: [] });
    if (!element || !element[kElement]) throw new Error(`${expression}: no element to click`);
    await this.driver.command('POST', `/element/${element[kElement]}/click`, {});
  }

  // WebDriver's screenshot is the whole viewport; the clip is cut out of it.
  async screenshot(file, clip = kDefaultClip) {
    const data = await this.driver.command('GET', '/screenshot');
    fs.writeFileSync(file, Buffer.from(data, 'base64'));
    cropPng(file, clip);
  }
}

class WebKitDriver {
  static async launch({ windowSize = [1000, 600] } = {}) {
    const port = await freePort();
    const child = spawn(process.env.KELVO_WEBKIT_DRIVER || 'WebKitWebDriver', [`--port=${port}`],
                        { stdio: ['ignore', 'ignore', 'pipe'] });
    let output = '';
    child.stderr.on('data', (chunk) => { output = (output + chunk).slice(-2000); });
    const driver = new WebKitDriver(child, `http://127.0.0.1:${port}`);
    try {
      await driver.startSession(windowSize, () => output);
    } catch (error) {
      child.kill();
      throw error;
    }
    return driver;
  }

  constructor(child, base) {
    this.engine = 'webkit';
    this.child = child;
    this.pid = child.pid;
    this.base = base;
    this.session = null;
  }

  async startSession([width, height], output) {
    const end = Date.now() + 20000;
    while (!(await this.request('GET', '/status').catch(() => null))) {
      if (Date.now() > end || this.child.exitCode !== null)
        throw new Error(`WebKitWebDriver did not start: ${output()}`);
      await sleep(100);
    }
    const browserOptions = {
      binary: process.env.KELVO_MINIBROWSER || kMiniBrowser,
      args: ['--automation', '--autoplay-policy=allow'],
    };
    const created = await this.request('POST', '/session',
      { capabilities: { alwaysMatch: { 'webkitgtk:browserOptions': browserOptions } } });
    this.session = created.sessionId;
    this.windowSize = [width, height];
    this.blankWindow = await this.command('GET', '/window');
    await this.command('POST', '/timeouts', { script: 120000, pageLoad: 60000 });
    await this.sizeViewport(width, height);
  }

  // MiniBrowser's window holds a toolbar above the page: it is made as much larger as
  // that, so that the page gets width x height as the other engines' pages do.
  async sizeViewport(width, height) {
    await this.command('POST', '/window/rect', { x: 0, y: 0, width, height });
    const inner = await this.command('POST', '/execute/sync', { script: 'return [innerWidth, innerHeight];', args: [] });
    if (inner[0] !== width || inner[1] !== height)
      await this.command('POST', '/window/rect', { width: 2 * width - inner[0], height: 2 * height - inner[1] });
  }

  async request(method, path, body) {
    const response = await fetch(this.base + path, {
      method,
      headers: { 'Content-Type': 'application/json' },
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const reply = await response.json();
    if (!response.ok) throw new Error(`WebDriver ${method} ${path}: ${reply.value && reply.value.message}`);
    return reply.value;
  }
  command(method, path, body) { return this.request(method, `/session/${this.session}${path}`, body); }

  // Each page gets a window (and so a web process) of its own: in a window reused, the
  // next page's program took 10 s and more to start. The session's first window stays
  // blank, so that closing a page's window never ends the session.
  async open(url) {
    const { handle } = await this.command('POST', '/window/new', { type: 'window' });
    await this.command('POST', '/window', { handle });
    await this.sizeViewport(...this.windowSize);
    await this.command('POST', '/url', { url });
    await this.command('POST', '/execute/sync', { script: kConsoleHook, args: [] });
    return new WebKitPage(this);
  }
  async closePage() {
    await this.command('DELETE', '/window');
    await this.command('POST', '/window', { handle: this.blankWindow });
  }

  async close() {
    if (this.session) await this.request('DELETE', `/session/${this.session}`).catch(() => {});
    this.child.kill();
    await Promise.race([new Promise((resolve) => this.child.on('exit', resolve)), sleep(5000)]);
  }
}

module.exports = { WebKitDriver };
