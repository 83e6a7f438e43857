// checks.js: the checks of the show's web page, written once for every browser engine
// against the drivers' interface (tools/browser/engines.js). Each check's line names the
// engine.
'use strict';
const { spawnSync } = require('child_process');
const fs = require('fs');
const path = require('path');
const { sleep } = require('../../tools/browser/drivers/common.js');
const { serveSite } = require('./site_server.js');
const { variantSite, renameTextures, showFileRequests } = require('./variant_sites.js');

// Frames of the same moment differ by 8-bit against 16-bit colour rounding (measured
// 0.01 to 0.03); frames 20 ms apart differ by 0.08 or more, unrelated ones by 0.2.
const kFrameBound = 0.06;
// The program's title, from the header it is built with.
const kTitle = /^#define KELVO_TITLE "(.*)"$/m.exec(
  fs.readFileSync(path.join(__dirname, '../../app/resources/resource_ids.h'), 'utf8'))[1];

// Normalised RMS difference of two PNG files, from ImageMagick's compare, which writes it
// to stderr and exits 0 for equal images and 1 for different ones.
function difference(a, b) {
  const run = spawnSync('compare', ['-metric', 'RMSE', a, b, 'null:'], { stdio: ['ignore', 'pipe', 'pipe'] });
  const found = /\(([0-9.e-]+)\)/.exec(String(run.stderr));
  return (run.status === 0 || run.status === 1) && found ? Number(found[1]) : Infinity;
}

const visible = (selector) => `(() => { const e = document.querySelector(${JSON.stringify(selector)});
  return !!e && !e.closest('[hidden]') && e.getBoundingClientRect().width > 0; })()`;
const goButton = `Array.from(document.querySelectorAll('#dialog-controls button')).find(b => b.textContent === 'Go')`;
const quitButton = `Array.from(document.querySelectorAll('#dialog-controls button')).find(b => b.textContent === 'Quit')`;
const fullScreenBox = `document.querySelector('#dialog-controls input')`;
const boxCaptions = 'Array.from(document.querySelectorAll(".box .box-caption")).map(e => e.textContent)';
const anyBox = `(() => { const c = ${boxCaptions}; return c.length ? c : null; })()`;

// How much of an endless file may have left the server before the page ends its download
// (the page stops reading at 64 MB). WebKitGTK's network process reads far ahead of the
// page: with the fetch aborted it had 164 to 187 MB sent on an idle machine, and all the
// server will send (256 MB) under load, so there only the closed connection counts.
const kEndlessDownloadMB = { chromium: 128, firefox: 128, webkit: 256 };

// Runs the checks in one browser; context: { baseUrl, work, atTimes }.
class PageChecks {
  constructor(driver, context) {
    this.driver = driver;
    this.engine = driver.engine;
    this.context = context;
    this.failures = 0;
  }

  check(name, passed, detail) {
    console.log(`${passed ? 'ok' : 'FAILED'} - ${this.engine}: ${name}${detail ? ` (${detail})` : ''}`);
    if (!passed) this.failures++;
  }
  file(name) { return path.join(this.context.work, `${this.engine}_${name.replace(/ /g, '-')}.png`); }
  open(variant) { return this.driver.open(`${this.context.baseUrl}/${variant}`); }

  // Runs every group of checks, or those named in the comma-separated list only.
  async all(only) {
    const groups = [this.dialogGoAndEscape, this.musicBehindTheDialog, this.fullScreen, this.framesMatchHeadless,
                    this.missingMusic, this.damagedScene, this.damagedPicture, this.escapeDismissesBox,
                    this.namesStayNames, this.oversizedFiles];
    const wanted = only ? only.split(',') : groups.map((group) => group.name);
    for (const group of groups.filter((g) => wanted.includes(g.name))) {
      const began = Date.now();
      try {
        await group.call(this);
      } catch (error) {
        this.check(`${group.name} ran to its end`, false, String(error.stack || error).split('\n').slice(0, 3).join(' | '));
      }
      console.log(`# ${this.engine}: ${group.name} took ${((Date.now() - began) / 1000).toFixed(1)} s`);
    }
    return this.failures;
  }

  // What reaches the screen, not only the canvas: two screenshots of the canvas's place
  // half a second apart differ as two moments of the show do.
  async checkCanvasMovesOnScreen(page, name) {
    const rect = await page.evaluate(`(() => { const r = document.getElementById('canvas')
      .getBoundingClientRect(); return { x: r.x, y: r.y, width: r.width, height: r.height }; })()`);
    const shots = [1, 2].map((n) => this.file(`${name}_${n}`));
    await page.screenshot(shots[0], rect);
    await sleep(500);
    await page.screenshot(shots[1], rect);
    const moved = difference(shots[0], shots[1]);
    this.check(`${name}: the screen shows the show moving`, moved > kFrameBound && moved < Infinity,
               `RMS difference ${moved.toFixed(4)} over 0.5 s`);
  }

  async dialogGoAndEscape() {
    const page = await this.open('page/');
    const shown = await page.waitFor(visible('#dialog'), 30000);
    this.check('the settings dialog appears', !!shown);
    const titles = await page.evaluate(`[document.title, document.getElementById('dialog-caption').textContent]`);
    this.check('the page and the dialog carry the program\'s title',
               titles[0] === kTitle && titles[1] === kTitle, JSON.stringify(titles));
    const controls = await page.evaluate(`Array.from(document.querySelectorAll('#dialog-controls > *'))
      .map(e => (e.querySelector('input') ? 'checkbox:' + e.querySelector('input').checked + ':' : e.tagName + ':') + e.textContent.trim())`);
    this.check('it holds the full-screen box (checked), "Quit" and "Go", left to right',
               JSON.stringify(controls) === JSON.stringify(['checkbox:true:Full Screen', 'BUTTON:Quit', 'BUTTON:Go']),
               JSON.stringify(controls));

    // Windowed: the full-screen box cleared, then Go, both clicked as the viewer would.
    await page.click(fullScreenBox);
    await page.click(goButton);
    const playing = await page.waitFor(`${visible('#canvas')} && kelvoPage.frames.length > 10 && kelvoPage.audioTime() > 0`, 60000);
    this.check('"Go" starts the show: the canvas draws frames and the music plays', !!playing);
    const audioBefore = await page.evaluate('kelvoPage.audioTime()');
    const framesBefore = await page.evaluate('kelvoPage.frames.length');
    await sleep(2000);
    const audioAfter = await page.evaluate('kelvoPage.audioTime()');
    const framesAfter = await page.evaluate('kelvoPage.frames.length');
    this.check('the music clock advances with the show', audioAfter - audioBefore > 1.0,
               `${(audioAfter - audioBefore).toFixed(2)} s of music in 2 s, ${framesAfter - framesBefore} frames`);
    this.check('no message box came up', (await page.evaluate(boxCaptions)).length === 0);
    await this.checkCanvasMovesOnScreen(page, 'windowed');

    await page.pressKey('Escape');
    const ended = await page.waitFor(`${visible('#ended')} && !${visible('#canvas')}`, 10000);
    this.check('Escape ends the show and the page says so', !!ended);
    this.check('the music stops with the show', (await page.evaluate('kelvoPage.audioTime()')) < 0);
    await this.driver.closePage(page);
  }

  // Over a slow network the dialog does not wait for the music: it is up while the MP3
  // still comes, and the show starts, with its music, once the MP3 is all there.
  async musicBehindTheDialog() {
    const name = `slow-music-${this.engine}`;
    const server = await serveSite(variantSite(this.context.work, name),
                                   { answers: { [`/${name}/data/kelvo32.mp3`]: 'slow' } });
    try {
      const page = await this.driver.open(`${server.base}/${name}/`);
      const shown = await page.waitFor(visible('#dialog'), 30000);
      // The page's preload and the program's own fetch may each be a request.
      const musicRequests = () => server.requests.filter((r) => r.path === `/${name}/data/kelvo32.mp3`);
      const music = musicRequests()[0];
      this.check('the dialog appears while the music is still downloading',
                 !!shown && !!music && musicRequests().every((r) => !r.doneAt),
                 music ? `${(music.bytesSent / (1 << 20)).toFixed(1)} MB of the MP3 sent` : 'the MP3 was not asked for');
      await page.click(fullScreenBox);
      await page.click(goButton);
      const playing = await page.waitFor(`kelvoPage.frames.length > 0 && kelvoPage.audioTime() >= 0`, 60000);
      const firstFrame = playing ? await page.evaluate('Date.now()') : 0;
      this.check('"Go" before the music has arrived: the show starts with its music once it has',
                 !!playing && musicRequests().every((r) => r.doneAt && r.doneAt <= firstFrame),
                 music && music.doneAt ? `the MP3 arrived ${firstFrame - music.doneAt} ms before the show's first frame was seen` : 'the MP3 never arrived');
      this.check('no message box came up', (await page.evaluate(boxCaptions)).length === 0);
      await page.pressKey('Escape');
      await page.waitFor(visible('#ended'), 10000);
      await this.driver.closePage(page);

      // "Quit" does not wait for the music it will never play.
      const again = await this.driver.open(`${server.base}/${name}/`);
      await again.waitFor(visible('#dialog'), 30000);
      const quitAt = Date.now();
      await again.click(quitButton);
      const ended = await again.waitFor(visible('#ended'), 10000);
      const took = Date.now() - quitAt;
      const latest = musicRequests()[musicRequests().length - 1];
      this.check('"Quit" while the music downloads ends the page at once',
                 !!ended && took < 2000 && !!latest && !latest.doneAt,
                 `ended after ${took} ms; the MP3 ${latest && latest.doneAt ? 'had' : 'had not'} all arrived`);
      await this.driver.closePage(again);
    } finally {
      await server.close();
    }
  }

  // Full screen shows the canvas as large as fits at 4:3, centred between black bars.
  async fullScreen() {
    const page = await this.open('page/');
    await page.waitFor(visible('#dialog'), 30000);
    await page.click(goButton);  // the full-screen box is checked to begin with
    await page.waitFor('kelvoPage.frames.length > 10', 60000);
    const layout = await page.evaluate(`(() => {
      const r = document.getElementById('canvas').getBoundingClientRect();
      const s = document.getElementById('screen').getBoundingClientRect();
      return { element: document.fullscreenElement && document.fullscreenElement.id,
               screen: [s.width, s.height].map(Math.round), rect: [r.x, r.y, r.width, r.height].map(Math.round),
               background: getComputedStyle(document.getElementById('screen')).backgroundColor };
    })()`);
    const [width, height] = layout.screen;
    const fitted = Math.min(width, height * 4 / 3);
    const expected = [(width - fitted) / 2, (height - fitted * 3 / 4) / 2, fitted, fitted * 3 / 4].map(Math.round);
    this.check('full screen: the canvas is scaled to the screen at 4:3 between black bars',
               layout.element === 'screen' && JSON.stringify(layout.rect) === JSON.stringify(expected) &&
               layout.background === 'rgb(0, 0, 0)', JSON.stringify(layout));
    await this.checkCanvasMovesOnScreen(page, 'full screen');
    await page.pressKey('Escape');
    const ended = await page.waitFor(`kelvoPage.ended && !document.fullscreenElement && ${visible('#ended')}`, 10000);
    this.check('Escape in full screen ends the show and leaves full screen', !!ended);
    await this.driver.closePage(page);
  }

  // The canvas's own pixels (its drawing buffer is kept in the test mode), so no engine's
  // screenshot scaling stands between the page's frame and the headless one.
  async framesMatchHeadless() {
    for (const at of this.context.atTimes) {
      const page = await this.open(`page/?at=${at}`);
      const ready = await page.waitFor('window.kelvoPage && kelvoPage.ready', 60000);
      const shot = this.file(`at_${at}`);
      if (ready) {
        const url = await page.evaluate(`document.getElementById('canvas').toDataURL('image/png')`);
        fs.writeFileSync(shot, Buffer.from(url.replace(/^data:image\/png;base64,/, ''), 'base64'));
      }
      const headless = path.join(this.context.work, 'headless', `frame_${String(at).padStart(6, '0')}.png`);
      const rms = ready ? difference(shot, headless) : Infinity;
      this.check(`?at=${at}: the page's frame is the headless frame of that moment`, rms <= kFrameBound,
                 `RMS difference ${rms.toFixed(4)}`);
      await this.driver.closePage(page);
    }
  }

  async missingMusic() {
    const page = await this.open('no-music/');
    const box = await page.waitFor(anyBox, 30000);
    this.check('a missing MP3 shows the "ERROR!" box', !!box && box[0] === 'ERROR!', JSON.stringify(box));
    this.check('the box is written to the console as CAPTION: TEXT',
               (await page.consoleLines()).some((line) => line.startsWith('ERROR!: ')));
    await this.driver.closePage(page);
  }

  async damagedScene() {
    const page = await this.open('damaged/');
    await page.waitFor(visible('#dialog'), 30000);
    await page.click(fullScreenBox);
    await page.click(goButton);
    const box = await page.waitFor(anyBox, 60000);
    const text = await page.evaluate('kelvoPage.boxes.length ? kelvoPage.boxes[0].text : ""');
    this.check('a damaged scene file shows its "Error !" box', !!box && box[0] === 'Error !' && /roulet3\.3ds/.test(text), text);
    await page.click('document.querySelector(".box button")');
    const running = await page.waitFor('kelvoPage.frames.length > 30', 60000);
    await sleep(1500);
    const [frames, boxes] = await page.evaluate('[kelvoPage.frames.length, kelvoPage.boxes.length]');
    this.check('after OK the show goes on, and the box came once', !!running && boxes === 1,
               `${frames} frames, ${boxes} boxes`);
    await this.driver.closePage(page);
  }

  // A picture whose data stops halfway: libpng gives up inside its decoder, and the page
  // still shows the box once and draws the frame.
  async damagedPicture() {
    const name = `damaged-picture-${this.engine}`;
    const whole = fs.readFileSync(path.join(this.context.work, 'site', 'page', 'data', 'chinois3.png'));
    const root = variantSite(this.context.work, name, { 'chinois3.png': whole.subarray(0, whole.length >> 1) });
    const server = await serveSite(root);
    try {
      const page = await this.driver.open(`${server.base}/${name}/?at=100001`);
      const ready = await page.waitFor('window.kelvoPage && kelvoPage.ready', 60000);
      const boxes = ready ? await page.evaluate('kelvoPage.boxes.map(b => b.caption + ": " + b.text)') : [];
      this.check('a picture cut short gives one "Error LibPNG" box, and the frame is drawn',
                 !!ready && JSON.stringify(boxes) === JSON.stringify(["Error !: Error LibPNG : can't read structure"]),
                 `boxes ${JSON.stringify(boxes)}`);
      await this.driver.closePage(page);
    } finally {
      await server.close();
    }
  }

  // On the desktop a message box is modal and takes the key that dismisses it: Escape on
  // the box leaves the show playing.
  async escapeDismissesBox() {
    const page = await this.open('damaged/');
    await page.waitFor(visible('#dialog'), 30000);
    await page.click(fullScreenBox);
    await page.click(goButton);
    const box = await page.waitFor(anyBox, 60000);
    await page.pressKey('Escape');
    const gone = await page.waitFor(`document.querySelectorAll('.box').length === 0`, 5000);
    const framesBefore = await page.waitFor('kelvoPage.frames.length > 10 && kelvoPage.frames.length', 30000);
    const clockBefore = await page.evaluate('kelvoPage.clock()');
    await sleep(1500);
    const after = await page.evaluate('[kelvoPage.frames.length, kelvoPage.clock(), kelvoPage.ended]');
    this.check('Escape dismisses a box and the show goes on',
               !!box && !!gone && !!framesBefore && after[0] > framesBefore && after[1] - clockBefore > 1000 && !after[2],
               `${framesBefore} then ${after[0]} frames, ended ${after[2]}`);
    await this.driver.closePage(page);
  }

  // Texture names that are not plain URL parts: '#' and '?' belong to the name, and
  // percent-encoded dots do not climb out of data/.
  async namesStayNames() {
    const data = path.join(this.context.work, 'site', 'page', 'data');
    const scene = renameTextures(fs.readFileSync(path.join(data, 'roulet3.3ds')), {
      'roulette.png': 'rou#lette.png', 'grid.png': 'grid?.png', 'ring.png': '%2e%2e/%2e%2e/ring.png',
    });
    const root = variantSite(this.context.work, `names-${this.engine}`, {
      'roulet3.3ds': scene, 'rou#lette.png': path.join(data, 'roulette.png'), 'grid?.png': path.join(data, 'grid.png'),
    });
    fs.symlinkSync(path.join(data, 'ring.png'), path.join(root, 'ring.png'));  // where ../.. would lead
    const server = await serveSite(root);
    const folder = `/names-${this.engine}/`;
    try {
      const page = await this.driver.open(`${server.base}${folder}?at=100001`);
      const ready = await page.waitFor('window.kelvoPage && kelvoPage.ready', 60000);
      const boxes = ready ? await page.evaluate('kelvoPage.boxes.map(b => b.text)') : [];
      const asked = showFileRequests(server, folder);
      const found = (p) => asked.some((r) => r.path === `${folder}data/${p}` && r.status === 200);
      this.check('texture names with "#" and "?" fetch exactly those files',
                 !!ready && found('rou%23lette.png') && found('grid%3F.png') && !boxes.some((t) => /rou#|grid\?/.test(t)),
                 JSON.stringify(asked.filter((r) => /rou|grid/.test(r.path)).map((r) => `${r.path} ${r.status}`)));
      const outside = asked.filter((r) => !r.inData).map((r) => r.path);
      this.check('percent-encoded dots fetch nothing outside data/, and the file cannot be read',
                 !!ready && outside.length === 0 && asked.some((r) => r.path === `${folder}data/%252e%252e/%252e%252e/ring.png`) &&
                 boxes.some((t) => t.includes('%2e%2e/%2e%2e/ring.png')),
                 `outside data/: ${JSON.stringify(outside)}; boxes ${JSON.stringify(boxes)}`);
      await this.driver.closePage(page);
    } finally {
      await server.close();
    }
  }

  // A file larger than any the show uses is one that cannot be read: the box a missing
  // file gives, then the show goes on, whether the server declares the size or never ends.
  async oversizedFiles() {
    const name = `oversized-${this.engine}`;
    const root = variantSite(this.context.work, name);
    const server = await serveSite(root, { answers: {
      [`/${name}/data/roulet2.3ds`]: 'declared', [`/${name}/data/roulet3.3ds`]: 'endless',
    } });
    try {
      const page = await this.driver.open(`${server.base}/${name}/?at=100001`);
      const ready = await page.waitFor('window.kelvoPage && kelvoPage.ready', 60000);
      const boxes = ready ? await page.evaluate('kelvoPage.boxes.map(b => b.caption + ": " + b.text)') : [];
      const endless = server.requests.find((r) => r.path === `/${name}/data/roulet3.3ds`);
      // The connection's end reaches the server a moment after the page gives up on the file.
      for (let waited = 0; endless && !endless.endedByPage && waited < 15000; waited += 100)
        await new Promise((resolve) => setTimeout(resolve, 100));
      const sent = endless ? endless.bytesSent / (1 << 20) : 0;
      const missingBox = (file) => `Error !: Load3ds error : Can't load 3ds file data\\${file}`;
      this.check('a file over 64 MB gives the box of a file that cannot be read, and the show goes on',
                 !!ready && JSON.stringify(boxes) === JSON.stringify([missingBox('roulet2.3ds'), missingBox('roulet3.3ds')]),
                 `boxes ${JSON.stringify(boxes)}`);
      this.check('the page ends the download of an endless file',
                 !!endless && endless.endedByPage && sent <= kEndlessDownloadMB[this.engine],
                 `${sent} MB of the endless file sent, ${endless && endless.endedByPage ? '' : 'not '}ended by the page`);
      await this.driver.closePage(page);
    } finally {
      await server.close();
    }
  }
}

module.exports = { PageChecks };
