// web_show.js: plays the whole show in headless Chromium and reports the page's own
// frame measurements per scene, and the time from opening the page to the dialog.
// Run by scripts/web_bench.sh:  node tools/bench/web_show.js PAGE_URL
'use strict';
const fs = require('fs');
const path = require('path');
const { Browser, sleep } = require(path.join(__dirname, '../../tests/web/devtools.js'));
const { kWindowSize } = require('./web_window.js');

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

function stats(values) {
  const sorted = values.slice().sort((a, b) => a - b);
  const at = (q) => sorted[Math.min(sorted.length - 1, Math.floor(sorted.length * q))];
  return { median: at(0.5), p99: at(0.99), worst: sorted[sorted.length - 1] };
}

const f = (x) => x.toFixed(1).padStart(6);

(async () => {
  const url = process.argv[2];
  const browser = await Browser.launch({ windowSize: kWindowSize });
  try {
    const page = await browser.open(url);
    await page.waitFor('!document.getElementById("dialog").hidden', 60000);
    const toDialog = await page.evaluate('performance.now()');
    const renderer = await page.evaluate(`(() => { const g = document.createElement('canvas').getContext('webgl2');
      const e = g && g.getExtension('WEBGL_debug_renderer_info');
      return e ? g.getParameter(e.UNMASKED_RENDERER_WEBGL) : 'unknown'; })()`);
    await page.evaluate(`document.querySelector('#dialog-controls input').click()`);
    await page.evaluate(`Array.from(document.querySelectorAll('#dialog-controls button')).find(b => b.textContent === 'Go').click()`);
    const ended = await page.waitFor('kelvoPage.ended', 300000);
    const frames = await page.evaluate('kelvoPage.frames');
    console.log(`renderer: ${renderer}; browser window ${kWindowSize[0]} x ${kWindowSize[1]}`);
    console.log(`time from opening the page to the dialog: ${toDialog.toFixed(0)} ms (dialog seen by the driver)`);
    console.log(`show ${ended ? 'ended' : 'did NOT end'}: ${frames.length} frames`);
    const start = frames[0][0];
    const byScene = new Map();
    for (const [clock, interval, work] of frames.slice(1)) {
      const name = sceneAt(clock - start);
      if (!byScene.has(name)) byScene.set(name, { intervals: [], work: [] });
      byScene.get(name).intervals.push(interval);
      byScene.get(name).work.push(work);
    }
    console.log('scene      frames |  work ms: median    p99  worst | interval ms: median    p99  worst');
    const all = { intervals: [], work: [] };
    for (const [name, s] of byScene) {
      const w = stats(s.work), i = stats(s.intervals);
      all.intervals.push(...s.intervals);
      all.work.push(...s.work);
      console.log(`${name.padEnd(10)} ${String(s.work.length).padStart(6)} |          ${f(w.median)} ${f(w.p99)} ${f(w.worst)} |             ${f(i.median)} ${f(i.p99)} ${f(i.worst)}`);
    }
    const w = stats(all.work), i = stats(all.intervals);
    console.log(`${'whole show'.padEnd(10)} ${String(all.work.length).padStart(6)} |          ${f(w.median)} ${f(w.p99)} ${f(w.worst)} |             ${f(i.median)} ${f(i.p99)} ${f(i.worst)}`);
    for (const line of page.console.filter((l) => /^frame times|dialog shown/.test(l))) console.log(`page: ${line}`);
  } finally {
    await browser.close();
  }
})().catch((error) => { console.error(error); process.exit(1); });
