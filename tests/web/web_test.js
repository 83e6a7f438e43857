// web_test.js: the show's page in each browser engine (tools/browser/engines.js), one set
// of checks (checks.js). Run by scripts/web_test.sh, which builds the page, serves it on
// 127.0.0.1, writes the headless layer's frames and gives Firefox and WebKitGTK an X
// screen:
//   node tests/web/web_test.js BASE_URL WORK_FOLDER AT_TIMES [ENGINES]
// BASE_URL serves page/ (the show), no-music/ (its MP3 missing) and damaged/ (a scene file
// damaged); WORK_FOLDER/headless/frame_MS.png are the headless frames of AT_TIMES
// (comma-separated ms). The checks of names and oversized files build their own variants
// under WORK_FOLDER and serve them themselves (site_server.js). ENGINES is a
// comma-separated list of chromium, firefox and webkit (all three by default);
// KELVO_WEB_CHECKS=NAME,... runs only those groups of checks (the method names in
// checks.js). Prints "ok - ENGINE: ..." or "FAILED - ENGINE: ..." per check and how long
// each engine took; exits 1 on a failure.
'use strict';
const { PageChecks } = require('./checks.js');
const { enginesNamed, launch } = require('../../tools/browser/engines.js');

const [baseUrl, work, atList, engineList] = process.argv.slice(2);
const context = { baseUrl, work, atTimes: atList.split(',').map(Number) };

async function testEngine(name) {
  const began = Date.now();
  let failures = 0;
  let driver = null;
  try {
    driver = await launch(name, { windowSize: [1000, 600] });
    failures = await new PageChecks(driver, context).all(process.env.KELVO_WEB_CHECKS);
  } catch (error) {
    console.log(`FAILED - ${name}: the browser could not be driven (${error.message})`);
    failures++;
  } finally {
    if (driver) await driver.close().catch(() => {});
  }
  console.log(`${name}: ${failures ? `${failures} failed` : 'all passed'} in ${((Date.now() - began) / 1000).toFixed(0)} s`);
  return failures;
}

(async () => {
  let failures = 0;
  for (const name of enginesNamed(engineList)) failures += await testEngine(name);
  console.log(failures ? `web test: ${failures} failed` : 'web test: all passed');
  process.exit(failures ? 1 : 0);
})().catch((error) => { console.error(error); process.exit(1); });
