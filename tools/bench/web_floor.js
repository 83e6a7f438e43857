// web_floor.js: the frame intervals that a browser engine itself gives on this machine,
// with nothing of the show: a 640 x 480 WebGL canvas, made as the show's page makes it,
// cleared to a new colour on every animation frame. The show's own intervals cannot be
// steadier than these. Run by scripts/web_bench.sh:
//   node tools/bench/web_floor.js [SECONDS] [ENGINE]
'use strict';
const { launch } = require('../browser/engines.js');
const { kWindowSize } = require('./web_window.js');
const { stats } = require('./interval_stats.js');
const { recordBrowserLoad } = require('./process_load.js');

const seconds = Number(process.argv[2] || 30);
const engine = process.argv[3] || 'chromium';

// Runs in the page: returns the intervals between animation frames, in ms.
const kPageScript = `new Promise((resolve) => {
  const canvas = document.createElement('canvas');
  canvas.width = 640;
  canvas.height = 480;
  document.body.style.margin = '0';
  document.body.appendChild(canvas);
  const gl = canvas.getContext('webgl2', { alpha: false, antialias: false, depth: true,
                                           stencil: false, premultipliedAlpha: false });
  const intervals = [];
  let last = 0, start = 0;
  function frame(now) {
    gl.clearColor((now % 1000) / 1000, 0.2, 0.4, 1);
    gl.clear(gl.COLOR_BUFFER_BIT | gl.DEPTH_BUFFER_BIT);
    if (last) intervals.push(now - last); else start = now;
    last = now;
    if (now - start < ${seconds * 1000}) requestAnimationFrame(frame); else resolve(intervals);
  }
  requestAnimationFrame(frame);
})`;

(async () => {
  const browser = await launch(engine, { windowSize: kWindowSize });
  try {
    const page = await browser.open('about:blank');
    await page.waitFor('document.readyState === "complete"', 10000);
    const { recorder: gpuLoad, what: loadOf } = await recordBrowserLoad(engine, browser.pid);
    const intervals = await page.evaluate(kPageScript);
    if (gpuLoad) gpuLoad.stop();
    const s = stats(intervals);
    console.log(`${engine}: empty WebGL page, window ${kWindowSize[0]} x ${kWindowSize[1]}, ${seconds} s: ${intervals.length} frames, interval ms: ` +
                `median ${s.median.toFixed(1)}, p99 ${s.p99.toFixed(1)}, worst ${s.worst.toFixed(1)}; ` +
                `${loadOf} ${gpuLoad ? gpuLoad.coresOverall().toFixed(2) : 'not found'} cores`);
  } finally {
    await browser.close();
  }
})().catch((error) => { console.error(error); process.exit(1); });
