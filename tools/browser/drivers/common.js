// common.js: what the three browser drivers share: waiting for a page's condition by
// polling, pausing, and cutting a rectangle out of a screenshot.
'use strict';
const { spawnSync } = require('child_process');

function sleep(ms) { return new Promise((resolve) => setTimeout(resolve, ms)); }

// Polls page.evaluate(expression) until it is truthy; returns its value, or null after
// timeoutMs. A page between documents cannot evaluate: that counts as not yet.
async function waitFor(page, expression, timeoutMs) {
  const end = Date.now() + timeoutMs;
  while (Date.now() < end) {
    const value = await page.evaluate(expression).catch(() => null);
    if (value) return value;
    await sleep(100);
  }
  return null;
}

// Crops the PNG file in place to clip ({x, y, width, height} in CSS pixels, which are
// device pixels on the test screens), with ImageMagick.
function cropPng(file, clip) {
  const geometry = `${Math.round(clip.width)}x${Math.round(clip.height)}+${Math.round(clip.x)}+${Math.round(clip.y)}`;
  const run = spawnSync('convert', [file, '-crop', geometry, '+repage', file], { stdio: ['ignore', 'ignore', 'pipe'] });
  if (run.status !== 0) throw new Error(`convert -crop ${geometry}: ${String(run.stderr).trim()}`);
}

// What a screenshot holds unless told: the windowed canvas's place.
const kDefaultClip = { x: 0, y: 0, width: 640, height: 480 };

module.exports = { sleep, waitFor, cropPng, kDefaultClip };
