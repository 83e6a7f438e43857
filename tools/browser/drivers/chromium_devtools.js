// chromium_devtools.js: headless Chromium with SwiftShader over the DevTools protocol
// (../devtools.js), behind the drivers' common interface (see ../engines.js).
'use strict';
const { Browser } = require('../devtools.js');
const { waitFor, kDefaultClip } = require('./common.js');

class ChromiumPage {
  constructor(browser, page) {
    this.browser = browser;
    this.page = page;
  }
  evaluate(expression) { return this.page.evaluate(expression); }
  waitFor(expression, timeoutMs) { return waitFor(this, expression, timeoutMs); }
  async consoleLines() { return this.page.console.slice(); }

  async pressKey(name) {
    const codes = { Escape: 27, Enter: 13 };
    await this.page.pressKey(name, name, codes[name]);
  }

  // A mouse click in the middle of the element that expression finds, as the viewer's.
  async click(expression) {
    const centre = await this.evaluate(`(() => { const r = (${expression}).getBoundingClientRect();
      return { x: r.x + r.width / 2, y: r.y + r.height / 2 }; })()`);
    for (const type of ['mousePressed', 'mouseReleased'])
      await this.page.send('Input.dispatchMouseEvent', { type, ...centre, button: 'left', clickCount: 1 });
  }

  screenshot(file, clip = kDefaultClip) { return this.page.screenshot(file, clip); }
}

class ChromiumDriver {
  static async launch({ windowSize = [1000, 600] } = {}) {
    return new ChromiumDriver(await Browser.launch({ windowSize }));
  }
  constructor(browser) {
    this.engine = 'chromium';
    this.browser = browser;
    this.pid = browser.child.pid;
  }
  async open(url) { return new ChromiumPage(this, await this.browser.open(url)); }
  closePage(page) { return this.browser.closePage(page.page); }
  close() { return this.browser.close(); }
}

module.exports = { ChromiumDriver };
