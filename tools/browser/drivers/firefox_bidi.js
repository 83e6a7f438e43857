// firefox_bidi.js: Firefox ESR over WebDriver BiDi with puppeteer-core, behind the
// drivers' common interface (see ../engines.js). Firefox has no WebGL when headless on a
// machine without a GPU, so it runs headed on the X screen in DISPLAY, where it renders
// WebGL 2 with Mesa; its sound goes to a private PulseAudio null sink.
'use strict';
const puppeteer = require('puppeteer-core');
const { waitFor, kDefaultClip } = require('./common.js');
const { PulseSink } = require('./pulse_sink.js');

class FirefoxPage {
  constructor(page) {
    this.page = page;
    this.lines = [];
    page.on('console', (message) => this.lines.push(message.text()));
  }
  // BiDi evaluates with the viewer's activation, as a click would give.
  evaluate(expression) { return this.page.evaluate(expression); }
  waitFor(expression, timeoutMs) { return waitFor(this, expression, timeoutMs); }
  async consoleLines() { return this.lines.slice(); }
  pressKey(name) { return this.page.keyboard.press(name); }

  async click(expression) {
    const element = await this.page.evaluateHandle(expression);
    try { await element.click(); } finally { await element.dispose(); }
  }

  async screenshot(file, clip = kDefaultClip) {
    await this.page.screenshot({ path: file, clip });
  }
}

class FirefoxDriver {
  static async launch({ windowSize = [1000, 600] } = {}) {
    const [width, height] = windowSize;
    const sound = await PulseSink.start();
    try {
      const browser = await puppeteer.launch({
        browser: 'firefox',
        executablePath: process.env.KELVO_FIREFOX || '/usr/bin/firefox-esr',
        headless: false,
        defaultViewport: { width, height },
        args: [`--width=${width}`, `--height=${height}`],
        env: { ...process.env, PULSE_SERVER: sound.server },
        // Web Audio starts without a click, as Chromium's --autoplay-policy lets it.
        extraPrefsFirefox: { 'media.autoplay.default': 0, 'media.autoplay.blocking_policy': 0 },
        protocolTimeout: 120000,
      });
      return new FirefoxDriver(browser, sound);
    } catch (error) {
      await sound.stop();
      throw error;
    }
  }
  constructor(browser, sound) {
    this.engine = 'firefox';
    this.browser = browser;
    this.sound = sound;
    this.pid = browser.process().pid;
  }
  async open(url) {
    const page = new FirefoxPage(await this.browser.newPage());
    await page.page.goto(url, { waitUntil: 'load', timeout: 60000 });
    return page;
  }
  closePage(page) { return page.page.close(); }
  async close() {
    try { await this.browser.close(); } finally { await this.sound.stop(); }
  }
}

module.exports = { FirefoxDriver };
