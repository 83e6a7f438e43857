// engines.js: the browser engines the web page is tested and measured in, each behind
// one small driver interface:
//   driver = await launch({ windowSize: [width, height] })
//   driver.engine, driver.pid (the browser's or its driver's process)
//   page = await driver.open(url); await driver.closePage(page); await driver.close()
//   page.evaluate(expression)     value of a page expression, awaited when a promise
//   page.waitFor(expression, ms)  its first truthy value, or null when the time is up
//   page.pressKey('Escape' | 'Enter'), page.click(expression finding an element)
//   page.screenshot(file, clip)   what the screen shows there, as PNG
//   page.consoleLines()           the page's console messages so far
// Firefox and WebKitGTK run headed on the X screen in DISPLAY; Chromium runs headless.
'use strict';

const kEngines = {
  chromium: () => require('./drivers/chromium_devtools.js').ChromiumDriver,
  firefox: () => require('./drivers/firefox_bidi.js').FirefoxDriver,
  webkit: () => require('./drivers/webkit_webdriver.js').WebKitDriver,
};

// The engines named in a comma-separated list, checked; the default is all three.
function enginesNamed(list) {
  const names = (list || Object.keys(kEngines).join(',')).split(',').filter(Boolean);
  for (const name of names)
    if (!kEngines[name]) throw new Error(`unknown browser engine "${name}"; known: ${Object.keys(kEngines).join(', ')}`);
  return names;
}

function launch(name, options) { return kEngines[name]().launch(options); }

module.exports = { enginesNamed, launch, kEngineNames: Object.keys(kEngines) };
