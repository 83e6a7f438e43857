// web_dialog_throttled.js: the time from opening the show's page to its settings dialog
// over a slow network (Chromium's DevTools throttling, the HTTP cache off), and when each
// file the page needs first was asked for and arrived. Run by scripts/web_bench.sh:
//   node tools/bench/web_dialog_throttled.js PAGE_URL [RUNS]
// KELVO_BENCH_MBIT picks the download rate in Mbit/s (10 by default).
'use strict';
const { Browser } = require('../browser/devtools.js');
const { stats } = require('./interval_stats.js');

const kMbit = Number(process.env.KELVO_BENCH_MBIT || 10);
const kLatencyMs = 20;
// Files asked for before the dialog; each line shows when it was asked for and arrived.
const kFiles = ['kelvo.js', 'kelvo.wasm', 'kelvo32.mp3'];

async function openThrottled(browser, url, requests) {
  return browser.open(url, async (page) => {
    page.onEvent = (message) => {
      if (message.method === 'Network.requestWillBeSent') requests.push(message.params.request.url);
    };
    await page.send('Network.enable');
    await page.send('Network.setCacheDisabled', { cacheDisabled: true });
    const bytesPerSecond = kMbit * 1e6 / 8;
    await page.send('Network.emulateNetworkConditions', {
      offline: false, latency: kLatencyMs, downloadThroughput: bytesPerSecond, uploadThroughput: bytesPerSecond,
    });
  });
}

// The page writes "dialog shown after N ms" (since navigation) when its dialog opens.
function dialogTime(page) {
  for (const line of page.console) {
    const found = /^dialog shown after (\d+) ms/.exec(line);
    if (found) return Number(found[1]);
  }
  return NaN;
}

async function oneRun(browser, url) {
  const requests = [];
  const page = await openThrottled(browser, url, requests);
  const shown = await page.waitFor('!document.getElementById("dialog").hidden', 120000);
  const timings = await page.evaluate(`performance.getEntriesByType('resource').map((e) =>
    ({ name: e.name, start: e.startTime, end: e.responseEnd, bytes: e.encodedBodySize }))`);
  const result = { toDialog: shown ? dialogTime(page) : NaN, files: {} };
  for (const file of kFiles) {
    const entry = timings.find((t) => t.name.endsWith('/' + file));
    const asked = requests.filter((r) => r.endsWith('/' + file)).length;
    result.files[file] = entry ? { ...entry, asked } : { asked };
  }
  await browser.closePage(page);
  return result;
}

const ms = (x) => (Number.isFinite(x) ? x.toFixed(0) : '-').padStart(6);

(async () => {
  const [url, runsText] = process.argv.slice(2);
  const runs = Number(runsText || 3);
  const browser = await Browser.launch();
  try {
    console.log(`download ${kMbit} Mbit/s, ${kLatencyMs} ms latency, no cache; ms since navigation`);
    const times = [];
    for (let run = 1; run <= runs; ++run) {
      const result = await oneRun(browser, url);
      times.push(result.toDialog);
      console.log(`run ${run}: dialog at ${ms(result.toDialog)} ms`);
      for (const [file, t] of Object.entries(result.files))
        console.log(`  ${file.padEnd(12)} asked at ${ms(t.start)}, arrived at ${ms(t.end)}, ` +
                    `${t.bytes === undefined ? '-' : t.bytes} bytes, requested ${t.asked} time(s)`);
    }
    const s = stats(times);
    console.log(`time from opening the page to the dialog at ${kMbit} Mbit/s: median ${ms(s.median)} ms, ` +
                `worst ${ms(s.worst)} ms over ${runs} runs`);
  } finally {
    await browser.close();
  }
})().catch((error) => { console.error(error); process.exit(1); });
