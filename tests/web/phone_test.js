// phone_test.js: the show's page on phones and tablets, in Chromium's device emulation:
// touch screens, portrait and landscape, and page elements without the Fullscreen API (as
// in Safari on iPhone) or with a browser that refuses it. Run by scripts/web_test.sh after
// web_test.js:  node tests/web/phone_test.js PAGE_URL
// Prints "ok - ..." or "FAILED - ..." per check; exits 1 on a failure.
'use strict';
const { Browser, sleep } = require('../../tools/browser/devtools.js');

const [pageUrl] = process.argv.slice(2);

let failures = 0;
function check(name, passed, detail) {
  console.log(`${passed ? 'ok' : 'FAILED'} - ${name}${detail ? ` (${detail})` : ''}`);
  if (!passed) failures++;
}

// Safari on iPhone has no full screen for page elements; a refusing browser rejects it.
const kNoFullscreenApi = 'Element.prototype.requestFullscreen = undefined;';
const kFullscreenRefused =
  'Element.prototype.requestFullscreen = function() { return Promise.reject(new TypeError("refused")); };';
// Keeps every wake lock the page is given, so the test can ask whether one is still held.
const kWakeLockRecorder = `(() => {
  window.kelvoTestWakeLocks = [];
  if (!navigator.wakeLock) return;
  const request = navigator.wakeLock.request.bind(navigator.wakeLock);
  navigator.wakeLock.request = (type) => request(type).then((lock) => {
    window.kelvoTestWakeLocks.push(lock);
    return lock;
  });
})();`;
const kWakeLockHeld = 'kelvoTestWakeLocks.some((lock) => !lock.released)';
const kWakeLocksReleased = 'kelvoTestWakeLocks.length > 0 && kelvoTestWakeLocks.every((lock) => lock.released)';

// A phone's or tablet's screen of width x height CSS pixels; portrait when taller.
async function setScreen(page, width, height) {
  const portrait = height >= width;
  await page.send('Emulation.setDeviceMetricsOverride', {
    width, height, deviceScaleFactor: 1, mobile: true, screenWidth: width, screenHeight: height,
    screenOrientation: { type: portrait ? 'portraitPrimary' : 'landscapePrimary', angle: portrait ? 0 : 90 },
  });
}

async function openOnTouchScreen(browser, width, height, fullscreenScript) {
  return browser.open(pageUrl, async (page) => {
    await setScreen(page, width, height);
    await page.send('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 5 });
    await page.send('Page.addScriptToEvaluateOnNewDocument', { source: fullscreenScript + kWakeLockRecorder });
  });
}

// The element's rectangle in CSS pixels, or null when the page has no such element.
const rectOf = (selector) => `(() => { const e = document.querySelector(${JSON.stringify(selector)});
  if (!e) return null;
  const r = e.getBoundingClientRect();
  return { x: r.x, y: r.y, width: r.width, height: r.height }; })()`;

async function tapOn(page, selector) {
  const r = await page.evaluate(rectOf(selector));
  if (r) await page.tap(r.x + r.width / 2, r.y + r.height / 2);
}

const kLayout = `(() => {
  const rect = (e) => { const r = e.getBoundingClientRect(); return [r.x, r.y, r.width, r.height]; };
  const canvas = document.getElementById('canvas'), screen = document.getElementById('screen');
  return { canvas: rect(canvas), screen: rect(screen), buffer: [canvas.width, canvas.height],
           layoutViewport: [innerWidth, innerHeight],
           scrolls: [document.scrollingElement.scrollWidth, document.scrollingElement.scrollHeight],
           background: getComputedStyle(screen).backgroundColor };
})()`;

const near = (a, b) => Math.abs(a - b) <= 1;

// What is wrong with the picture's place on a width x height screen, or '' when it is the
// show's 640 x 480 buffer drawn as a 4:3 rectangle of the expected width, centred, inside
// the viewport, and the page cannot scroll.
function layoutFault(layout, width, height, expectedWidth) {
  const [x, y, w, h] = layout.canvas;
  if (layout.buffer.join('x') !== '640x480') return 'the drawing buffer is not 640 x 480';
  if (layout.layoutViewport.join('x') !== `${width}x${height}`) return 'the layout viewport is not the screen';
  if (layout.scrolls[0] > width || layout.scrolls[1] > height) return 'the page scrolls';
  if (x < -0.5 || y < -0.5 || x + w > width + 0.5 || y + h > height + 0.5) return 'the picture is cut off';
  if (!near(w * 3, h * 4)) return 'the picture is not 4:3';
  if (!near(w, expectedWidth)) return `the picture is not ${expectedWidth} pixels wide`;
  if (!near(x, (width - w) / 2) || !near(y, (height - h) / 2)) return 'the picture is not centred';
  return '';
}

async function checkLayout(page, name, width, height, expectedWidth) {
  // A resize or rotation is laid out with the next frame: wait for it.
  const expected = `Math.abs(document.getElementById('canvas').getBoundingClientRect().width - ${expectedWidth}) <= 1`;
  await page.waitFor(`innerWidth === ${width} && innerHeight === ${height} && ${expected}`, 3000);
  const layout = await page.evaluate(kLayout);
  const fault = layoutFault(layout, width, height, expectedWidth);
  check(name, !fault, fault ? `${fault}: ${JSON.stringify(layout)}` : `canvas ${layout.canvas.map(Math.round).join(', ')}`);
  return layout;
}

const isShown = (selector) => `(() => { const e = document.querySelector(${JSON.stringify(selector)});
  return !!e && !e.closest('[hidden]') && e.getBoundingClientRect().width > 0; })()`;

async function tapGoAndWaitForShow(page) {
  await tapOn(page, '#dialog-controls button:last-child');
  return page.waitFor(`${isShown('#canvas')} && kelvoPage.frames.length > 10`, 60000);
}

// The "End" control: a tap on the show brings it up inside the screen; tapping it ends
// the show, which lets go of the screen's wake lock.
async function endByTap(page, name, width, height) {
  await tapOn(page, '#canvas');
  const shown = await page.waitFor(isShown('#end-show'), 2000);
  const r = await page.evaluate(rectOf('#end-show'));
  check(`${name}: a tap on the show brings up the "End" control, inside the screen and large enough to tap`,
        !!shown && r.x >= 0 && r.y >= 0 && r.x + r.width <= width && r.y + r.height <= height &&
        r.width >= 44 && r.height >= 44, JSON.stringify(r));
  await tapOn(page, '#end-show');
  const ended = await page.waitFor(`kelvoPage.ended && ${isShown('#ended')}`, 10000);
  check(`${name}: tapping "End" ends the show`, !!ended);
  // Without the control the show is ended with the keyboard, for the checks that follow.
  if (!ended) await page.pressKey('Escape', 'Escape', 27);
  check(`${name}: the wake lock is released after the show`, !!(await page.waitFor(kWakeLocksReleased, 3000)));
}

// Windowed on phones: the settings form on the narrowest phone, then the show at the
// largest 4:3 size in portrait and landscape, and no larger than 640 x 480 on a large
// screen.
async function windowedOnPhone(browser) {
  const page = await openOnTouchScreen(browser, 320, 568, kNoFullscreenApi);
  await page.waitFor(isShown('#dialog'), 30000);
  const form = await page.evaluate(`(() => {
    const r = document.getElementById('dialog').getBoundingClientRect();
    const sizes = Array.from(document.querySelectorAll('#dialog-controls button, #dialog-controls label'))
      .map((e) => [Math.round(e.getBoundingClientRect().width), Math.round(e.getBoundingClientRect().height)]);
    return { dialog: [r.x, r.y, r.width, r.height].map(Math.round), sizes, layoutWidth: innerWidth,
             scrollWidth: document.scrollingElement.scrollWidth };
  })()`);
  check('the settings form fits a 320-pixel-wide screen and its controls are large enough to tap',
        form.dialog[0] >= 0 && form.dialog[0] + form.dialog[2] <= 320 && form.layoutWidth === 320 &&
        form.scrollWidth <= 320 && form.sizes.length === 3 && form.sizes.every(([w, h]) => w >= 44 && h >= 44),
        JSON.stringify(form));

  await setScreen(page, 390, 844);
  await tapOn(page, '#dialog-controls label');
  check('a tap on "Full Screen" clears it',
        (await page.evaluate(`document.querySelector('#dialog-controls input').checked`)) === false);
  const playing = await tapGoAndWaitForShow(page);
  check('a tap on "Go" starts the show', !!playing);
  await checkLayout(page, 'windowed, 390 x 844 portrait: the picture is as wide as the screen, at 4:3', 390, 844, 390);
  check('the show holds a screen wake lock while it plays', !!(await page.waitFor(kWakeLockHeld, 3000)));
  await setScreen(page, 844, 390);
  await checkLayout(page, 'windowed, turned to 844 x 390 landscape: the picture is as high as the screen', 844, 390, 520);
  await setScreen(page, 1024, 768);
  await checkLayout(page, 'windowed on a 1024 x 768 screen: the picture stays 640 x 480', 1024, 768, 640);
  await setScreen(page, 390, 844);
  await checkLayout(page, 'windowed, back to portrait', 390, 844, 390);

  // The control goes away by itself after a few seconds.
  await tapOn(page, '#canvas');
  const cameAndWent = await page.waitFor(isShown('#end-show'), 2000) &&
                      await page.waitFor(`!${isShown('#end-show')}`, 8000);
  check('the "End" control goes away by itself and the show plays on',
        !!cameAndWent && !(await page.evaluate('kelvoPage.ended')));
  await endByTap(page, 'windowed', 390, 844);
  await browser.closePage(page);
}

// "Full Screen" where the page cannot have the browser's full screen: the show fills the
// viewport at 4:3 between black bars, in portrait and landscape.
async function fullScreenWithoutApi(browser) {
  const page = await openOnTouchScreen(browser, 390, 844, kNoFullscreenApi);
  await page.waitFor(isShown('#dialog'), 30000);
  check('without the Fullscreen API, a tap on "Go" starts the show', !!(await tapGoAndWaitForShow(page)));
  const layout = await checkLayout(page, 'full screen without the API, 390 x 844 portrait: the picture fills the width at 4:3',
                                   390, 844, 390);
  check('the show covers the whole viewport in black around the picture',
        layout.screen.map(Math.round).join(',') === '0,0,390,844' && layout.background === 'rgb(0, 0, 0)',
        JSON.stringify(layout.screen) + ' ' + layout.background);
  await setScreen(page, 844, 390);
  await checkLayout(page, 'full screen without the API, turned to 844 x 390: the picture fills the height at 4:3',
                    844, 390, 520);
  const scrolled = await page.evaluate('window.scrollTo(0, 400), window.scrollY');
  check('the page does not scroll under the show', scrolled === 0, `scrollY ${scrolled}`);
  check('the wake lock is held in full screen', !!(await page.waitFor(kWakeLockHeld, 3000)));
  await endByTap(page, 'full screen without the API', 844, 390);
  await browser.closePage(page);
}

// A tablet whose browser refuses full screen: the picture fills its 1024 x 768 viewport,
// larger than the windowed 640 x 480.
async function fullScreenRefused(browser) {
  const page = await openOnTouchScreen(browser, 1024, 768, kFullscreenRefused);
  await page.waitFor(isShown('#dialog'), 30000);
  check('with full screen refused, a tap on "Go" starts the show', !!(await tapGoAndWaitForShow(page)));
  await checkLayout(page, 'full screen refused on a 1024 x 768 tablet: the picture fills the viewport', 1024, 768, 1024);
  await endByTap(page, 'full screen refused', 1024, 768);
  await browser.closePage(page);
}

(async () => {
  const browser = await Browser.launch();
  const began = Date.now();
  try {
    await windowedOnPhone(browser);
    await fullScreenWithoutApi(browser);
    await fullScreenRefused(browser);
  } finally {
    await browser.close();
  }
  console.log(`phone test: ${((Date.now() - began) / 1000).toFixed(0)} s`);
  console.log(failures ? `phone test: ${failures} failed` : 'phone test: all passed');
  process.exit(failures ? 1 : 0);
})().catch((error) => { console.error(error); process.exit(1); });
