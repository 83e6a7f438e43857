// web_show.js: plays the whole show in one browser engine (chromium, firefox or webkit,
// see tools/browser/engines.js) and reports the page's own frame measurements per scene,
// and the time from opening the page to the dialog.
// Run by scripts/web_bench.sh:  node tools/bench/web_show.js PAGE_URL [ENGINE]
// KELVO_BENCH_FRAMES=FILE also writes the page's record of every frame there, as JSON.
'use strict';
const fs = require('fs');
const path = require('path');
const { launch } = require('../browser/engines.js');
const { kWindowSize } = require('./web_window.js');
const { stats } = require('./interval_stats.js');
const { recordBrowserLoad, machineTimes, machineShares } = require('./process_load.js');

// The show's scenes and their lengths (ms), read from the program's own scene table; the
// last one plays on to the show's end.
function readScenes() {
  const source = fs.readFileSync(path.join(__dirname, '../../demo/scene_table.h'), 'utf8');
  const scenes = [];
  for (const row of source.matchAll(/\{"([A-Za-z0-9_]+)\.3ds",\s*(\d+)\}/g)) scenes.push([row[1], Number(row[2])]);
  if (!scenes.length) throw new Error('no scene rows found in demo/scene_table.h');
  scenes[scenes.length - 1][1] = Infinity;
  return scenes;
}
const kScenes = readScenes();

function sceneAt(elapsed) {
  let passed = 0;
  for (const [name, length] of kScenes) {
    if (elapsed < passed + length) return name;
    passed += length;
  }
  return kScenes[kScenes.length - 1][0];
}

const f = (x) => x.toFixed(1).padStart(6);

(async () => {
  const [url, engine = 'chromium'] = process.argv.slice(2);
  const browser = await launch(engine, { windowSize: kWindowSize });
  try {
    const page = await browser.open(url);
    await page.waitFor('!document.getElementById("dialog").hidden', 60000);
    const toDialog = await page.evaluate('performance.now()');
    const renderer = await page.evaluate(`(() => { const g = document.createElement('canvas').getContext('webgl2');
      const e = g && g.getExtension('WEBGL_debug_renderer_info');
      return e ? g.getParameter(e.UNMASKED_RENDERER_WEBGL) : 'unknown'; })()`);
    await page.click(`document.querySelector('#dialog-controls input')`);
    await page.click(`Array.from(document.querySelectorAll('#dialog-controls button')).find(b => b.textContent === 'Go')`);
    const { recorder: gpuLoad, what: loadOf } = await recordBrowserLoad(engine, browser.pid);
    const machineAtStart = machineTimes();
    const ended = await page.waitFor('kelvoPage.ended', 300000);
    const machine = machineShares(machineAtStart, machineTimes());
    if (gpuLoad) gpuLoad.stop();
    const timeOrigin = await page.evaluate('performance.timeOrigin');
    const frames = await page.evaluate('kelvoPage.frames');
    if (process.env.KELVO_BENCH_FRAMES) fs.writeFileSync(process.env.KELVO_BENCH_FRAMES, JSON.stringify(frames));
    console.log(`engine: ${engine}; renderer: ${renderer}; browser window ${kWindowSize[0]} x ${kWindowSize[1]}`);
    console.log(`time from opening the page to the dialog: ${toDialog.toFixed(0)} ms (dialog seen by the driver)`);
    console.log(`show ${ended ? 'ended' : 'did NOT end'}: ${frames.length} frames`);
    console.log(`the machine's cores during the show: ${(machine.busy * 100).toFixed(0)} % busy, ` +
                `${(machine.stolen * 100).toFixed(1)} % taken by its host`);
    const start = frames[0][0];
    const kColumns = ['work', 'intervals', 'drawnAfter'];
    const byScene = new Map();
    const newSpan = () => ({ work: [], intervals: [], drawnAfter: [], from: Infinity, to: -Infinity });
    const all = newSpan();
    for (const [clock, interval, work, drawnAfter] of frames.slice(1)) {
      const name = sceneAt(clock - start);
      if (!byScene.has(name)) byScene.set(name, newSpan());
      for (const s of [byScene.get(name), all]) {
        s.work.push(work);
        s.intervals.push(interval);
        s.drawnAfter.push(drawnAfter);
        s.from = Math.min(s.from, clock);
        s.to = Math.max(s.to, clock);
      }
    }
    // The page's clocks count from its time origin; the load samples carry Date.now().
    const gpuCores = (s) => gpuLoad ? gpuLoad.coresBetween(timeOrigin + s.from, timeOrigin + s.to) : NaN;
    // A refresh missed is one the frame clock skipped: an interval of about two refreshes
    // missed one.
    const refresh = stats(all.intervals).median;
    const missed = (intervals) =>
      intervals.reduce((sum, interval) => sum + Math.max(0, Math.round(interval / refresh) - 1), 0);
    console.log('ms per frame: work = the page\'s own work on the frame; interval = time since the frame');
    console.log('before by the browser\'s frame clock; drawn after = time since the frame before was drawn;');
    console.log(`missed = refreshes of ${refresh.toFixed(1)} ms that showed no new frame;`);
    console.log(`cores = cores kept busy by ${loadOf}; within = p99 interval at most one refresh plus 1 ms`);
    console.log('scene      frames missed |     cores | within |   work: median    p99  worst | interval: median    p99  worst | drawn after: median    p99  worst');
    const row = (name, s) => {
      const cells = kColumns.map((column) => {
        const c = stats(s[column]);
        return `${f(c.median)} ${f(c.p99)} ${f(c.worst)}`;
      });
      const within = stats(s.intervals).p99 <= refresh + 1 ? 'yes' : 'NO';
      console.log(`${name.padEnd(10)} ${String(s.work.length).padStart(6)} ${String(missed(s.intervals)).padStart(6)} | ${gpuCores(s).toFixed(2).padStart(9)} | ${within.padStart(6)} |         ${cells[0]} |           ${cells[1]} |              ${cells[2]}`);
    };
    for (const [name, s] of byScene) row(name, s);
    row('whole show', all);
    for (const line of (await page.consoleLines()).filter((l) => /^frame times|dialog shown/.test(l))) console.log(`page: ${line}`);
  } finally {
    await browser.close();
  }
})().catch((error) => { console.error(error); process.exit(1); });
