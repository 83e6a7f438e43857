// web_window.js: the browser window the web benchmarks use. By default it is the show's
// own 640 x 480, which the windowed canvas fills from the page's top-left corner;
// KELVO_BENCH_WINDOW=WIDTHxHEIGHT picks another. Headless Chromium reads every frame
// it composites back from the GPU, which costs in proportion to the window's area.
'use strict';
function windowSize() {
  const chosen = /^(\d+)x(\d+)$/.exec(process.env.KELVO_BENCH_WINDOW || '640x480');
  if (!chosen) throw new Error('KELVO_BENCH_WINDOW must be WIDTHxHEIGHT, e.g. 1000x600');
  return [Number(chosen[1]), Number(chosen[2])];
}
module.exports = { kWindowSize: windowSize() };
