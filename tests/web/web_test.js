// web_test.js: the show's page in headless Chromium. Run by scripts/web_test.sh, which
// builds the page, serves it on 127.0.0.1 and writes the headless layer's frames:
//   node web_test.js BASE_URL WORK_FOLDER AT_TIMES
// BASE_URL serves page/ (the show), no-music/ (its MP3 missing) and damaged/ (a scene
// file damaged); WORK_FOLDER/headless/frame_MS.png are the headless frames of AT_TIMES
// (comma-separated ms). The checks of names and oversized files build their own variants
// under WORK_FOLDER and serve them themselves (site_server.js). Prints "ok - ..." or
// "FAILED - ..." per check; exits 1 on a failure.
'use strict';
const { spawnSync } = require('child_process');
const fs = require('fs');
const path = require('path');
const { Browser, sleep } = require('./devtools.js');
const { serveSite } = require('./site_server.js');

const [baseUrl, work, atList] = process.argv.slice(2);
const atTimes = atList.split(',').map(Number);
// Frames of the same moment differ by 8-bit against 16-bit colour rounding (measured
// 0.01 to 0.03); frames 20 ms apart differ by 0.08 or more, unrelated ones by 0.2.
const kFrameBound = 0.06;
// The program's title, from the header it is built with.
const kTitle = /^#define KELVO_TITLE "(.*)"$/m.exec(
  fs.readFileSync(path.join(__dirname, '../../app/resources/resource_ids.h'), 'utf8'))[1];

let failures = 0;
function check(name, passed, detail) {
  console.log(`${passed ? 'ok' : 'FAILED'} - ${name}${detail ? ` (${detail})` : ''}`);
  if (!passed) failures++;
}

// Normalised RMS difference of two PNG files, from ImageMagick's compare, which writes it
// to stderr and exits 0 for equal images and 1 for different ones.
function difference(a, b) {
  const run = spawnSync('compare', ['-metric', 'RMSE', a, b, 'null:'], { stdio: ['ignore', 'pipe', 'pipe'] });
  const found = /\(([0-9.e-]+)\)/.exec(String(run.stderr));
  return (run.status === 0 || run.status === 1) && found ? Number(found[1]) : Infinity;
}

const visible = (selector) => `(() => { const e = document.querySelector(${JSON.stringify(selector)});
  return !!e && !e.closest('[hidden]') && e.getBoundingClientRect().width > 0; })()`;
const clickGo = `Array.from(document.querySelectorAll('#dialog-controls button')).find(b => b.textContent === 'Go').click()`;
const boxCaptions = 'Array.from(document.querySelectorAll(".box .box-caption")).map(e => e.textContent)';

// What reaches the screen, not only the canvas: two screenshots of the canvas's place
// half a second apart differ as two moments of the show do.
async function checkCanvasMovesOnScreen(page, name) {
  const rect = await page.evaluate(`(() => { const r = document.getElementById('canvas')
    .getBoundingClientRect(); return { x: r.x, y: r.y, width: r.width, height: r.height }; })()`);
  const shots = [1, 2].map((n) => path.join(work, `${name.replace(/ /g, "-")}_${n}.png`));
  await page.screenshot(shots[0], rect);
  await sleep(500);
  await page.screenshot(shots[1], rect);
  const moved = difference(shots[0], shots[1]);
  check(`${name}: the screen shows the show moving`, moved > kFrameBound && moved < Infinity,
        `RMS difference ${moved.toFixed(4)} over 0.5 s`);
}

async function dialogGoAndEscape(browser) {
  const page = await browser.open(`${baseUrl}/page/`);
  const shown = await page.waitFor(visible('#dialog'), 30000);
  check('the settings dialog appears', !!shown);
  const titles = await page.evaluate(`[document.title, document.getElementById('dialog-caption').textContent]`);
  check('the page and the dialog carry the program\'s title',
        titles[0] === kTitle && titles[1] === kTitle, JSON.stringify(titles));
  const controls = await page.evaluate(`Array.from(document.querySelectorAll('#dialog-controls > *'))
    .map(e => (e.querySelector('input') ? 'checkbox:' + e.querySelector('input').checked + ':' : e.tagName + ':') + e.textContent.trim())`);
  check('it holds the full-screen box (checked), "Quit" and "Go", left to right',
        JSON.stringify(controls) === JSON.stringify(['checkbox:true:Full Screen', 'BUTTON:Quit', 'BUTTON:Go']),
        JSON.stringify(controls));

  // Windowed: the full-screen box cleared, then Go.
  await page.evaluate(`document.querySelector('#dialog-controls input').click()`);
  await page.evaluate(clickGo);
  const playing = await page.waitFor(`${visible('#canvas')} && kelvoPage.frames.length > 10 && kelvoPage.audioTime() > 0`, 60000);
  check('"Go" starts the show: the canvas draws frames and the music plays', !!playing);
  const audioBefore = await page.evaluate('kelvoPage.audioTime()');
  const framesBefore = await page.evaluate('kelvoPage.frames.length');
  await sleep(2000);
  const audioAfter = await page.evaluate('kelvoPage.audioTime()');
  const framesAfter = await page.evaluate('kelvoPage.frames.length');
  check('the music clock advances with the show', audioAfter - audioBefore > 1.0,
        `${(audioAfter - audioBefore).toFixed(2)} s of music in 2 s, ${framesAfter - framesBefore} frames`);
  check('no message box came up', (await page.evaluate(boxCaptions)).length === 0);
  await checkCanvasMovesOnScreen(page, 'windowed');

  await page.pressKey('Escape', 'Escape', 27);
  const ended = await page.waitFor(`${visible('#ended')} && !${visible('#canvas')}`, 10000);
  check('Escape ends the show and the page says so', !!ended);
  check('the music stops with the show', (await page.evaluate('kelvoPage.audioTime()')) < 0);
  await browser.closePage(page);
}

// The browser's screen is 1000 x 600: full screen shows the canvas 800 x 600 between bars.
async function fullScreen(browser) {
  const page = await browser.open(`${baseUrl}/page/`);
  await page.waitFor(visible('#dialog'), 30000);
  await page.evaluate(clickGo, true);  // the full-screen box is checked to begin with
  await page.waitFor('kelvoPage.frames.length > 10', 60000);
  const layout = await page.evaluate(`(() => {
    const r = document.getElementById('canvas').getBoundingClientRect();
    return { element: document.fullscreenElement && document.fullscreenElement.id,
             rect: [r.x, r.y, r.width, r.height].map(Math.round),
             background: getComputedStyle(document.getElementById('screen')).backgroundColor };
  })()`);
  check('full screen: the canvas is scaled to the screen at 4:3 between black bars',
        layout.element === 'screen' && JSON.stringify(layout.rect) === '[100,0,800,600]' &&
        layout.background === 'rgb(0, 0, 0)', JSON.stringify(layout));
  await checkCanvasMovesOnScreen(page, 'full screen');
  await page.pressKey('Escape', 'Escape', 27);
  const ended = await page.waitFor(`kelvoPage.ended && !document.fullscreenElement && ${visible('#ended')}`, 10000);
  check('Escape in full screen ends the show and leaves full screen', !!ended);
  await browser.closePage(page);
}

async function framesMatchHeadless(browser) {
  for (const at of atTimes) {
    const page = await browser.open(`${baseUrl}/page/?at=${at}`);
    const ready = await page.waitFor('window.kelvoPage && kelvoPage.ready', 60000);
    const shot = path.join(work, `web_${at}.png`);
    if (ready) await page.screenshot(shot);
    const headless = path.join(work, 'headless', `frame_${String(at).padStart(6, '0')}.png`);
    const rms = ready ? difference(shot, headless) : Infinity;
    check(`?at=${at}: the page's frame is the headless frame of that moment`, rms <= kFrameBound,
          `RMS difference ${rms.toFixed(4)}`);
    await browser.closePage(page);
  }
}

async function missingMusic(browser) {
  const page = await browser.open(`${baseUrl}/no-music/`);
  const box = await page.waitFor(`(() => { const c = ${boxCaptions}; return c.length ? c : null; })()`, 30000);
  check('a missing MP3 shows the "ERROR!" box', !!box && box[0] === 'ERROR!', JSON.stringify(box));
  check('the box is written to the console as CAPTION: TEXT',
        page.console.some((line) => line.startsWith('ERROR!: ')));
  await browser.closePage(page);
}

async function damagedScene(browser) {
  const page = await browser.open(`${baseUrl}/damaged/`);
  await page.waitFor(visible('#dialog'), 30000);
  await page.evaluate(`document.querySelector('#dialog-controls input').click()`);
  await page.evaluate(clickGo);
  const box = await page.waitFor(`(() => { const c = ${boxCaptions}; return c.length ? c : null; })()`, 60000);
  const text = await page.evaluate('kelvoPage.boxes.length ? kelvoPage.boxes[0].text : ""');
  check('a damaged scene file shows its "Error !" box', !!box && box[0] === 'Error !' && /roulet3\.3ds/.test(text), text);
  await page.evaluate('document.querySelector(".box button").click()');
  const running = await page.waitFor('kelvoPage.frames.length > 30', 60000);
  await sleep(1500);
  check('after OK the show goes on, and the box came once',
        !!running && (await page.evaluate('kelvoPage.boxes.length')) === 1,
        `${await page.evaluate('kelvoPage.frames.length')} frames, ${await page.evaluate('kelvoPage.boxes.length')} boxes`);
  await browser.closePage(page);
}

// On the desktop a message box is modal and takes the key that dismisses it: Escape on the
// box leaves the show playing.
async function escapeDismissesBox(browser) {
  const page = await browser.open(`${baseUrl}/damaged/`);
  await page.waitFor(visible('#dialog'), 30000);
  await page.evaluate(`document.querySelector('#dialog-controls input').click()`);
  await page.evaluate(clickGo);
  const box = await page.waitFor(`(() => { const c = ${boxCaptions}; return c.length ? c : null; })()`, 60000);
  await page.pressKey('Escape', 'Escape', 27);
  const gone = await page.waitFor(`document.querySelectorAll('.box').length === 0`, 5000);
  const framesBefore = await page.waitFor('kelvoPage.frames.length > 10 && kelvoPage.frames.length', 30000);
  const clockBefore = await page.evaluate('kelvoPage.clock()');
  await sleep(1500);
  const after = await page.evaluate('[kelvoPage.frames.length, kelvoPage.clock(), kelvoPage.ended]');
  check('Escape dismisses a box and the show goes on',
        !!box && !!gone && !!framesBefore && after[0] > framesBefore && after[1] - clockBefore > 1000 && !after[2],
        `${framesBefore} then ${after[0]} frames, ended ${after[2]}`);
  await browser.closePage(page);
}

// A site of one variant of the page, built for one check: WORK/NAME/NAME/ holds links to
// the page's files and its data files, except those in replaced (name: a file to link, or
// a Buffer to write; null leaves the name out). Returns the variant's folder.
function variantSite(name, replaced = {}) {
  const page = fs.realpathSync(path.join(work, 'site', 'page'));
  const root = path.join(work, name);
  fs.rmSync(root, { recursive: true, force: true });
  const site = path.join(root, name);
  fs.mkdirSync(path.join(site, 'data'), { recursive: true });
  for (const file of fs.readdirSync(page))
    if (file !== 'data') fs.symlinkSync(path.join(page, file), path.join(site, file));
  const data = path.join(page, 'data');
  const files = Object.fromEntries(fs.readdirSync(data).map((file) => [file, path.join(data, file)]));
  for (const [file, source] of Object.entries({ ...files, ...replaced })) {
    if (source === null) continue;
    if (Buffer.isBuffer(source)) fs.writeFileSync(path.join(site, 'data', file), source);
    else fs.symlinkSync(source, path.join(site, 'data', file));
  }
  return root;
}

// A 3DS file with its materials' texture names changed (from: to); the chunks that hold
// them get their new sizes.
function renameTextures(bytes, names) {
  const kContainers = new Set([0x4D4D, 0x3D3D, 0xAFFF, 0xA200]);  // main, editor, material, map
  const kMapName = 0xA300;
  const parts = [];
  for (let at = 0; at + 6 <= bytes.length;) {
    const id = bytes.readUInt16LE(at), size = bytes.readUInt32LE(at + 2);
    let body = bytes.subarray(at + 6, at + size);
    if (kContainers.has(id)) body = renameTextures(body, names);
    else if (id === kMapName) {
      const name = body.toString('latin1', 0, body.indexOf(0));
      if (name in names) body = Buffer.from(`${names[name]}\0`, 'latin1');
    }
    const head = Buffer.alloc(6);
    head.writeUInt16LE(id, 0);
    head.writeUInt32LE(body.length + 6, 2);
    parts.push(head, body);
    at += size;
  }
  return Buffer.concat(parts);
}

// Every request the page made for a file of the show, by the page's folder and the rest.
const showFileRequests = (server, pagePath) => server.requests.filter((r) => /\.(3ds|png|mp3)$/i.test(r.path))
  .map((r) => ({ ...r, inData: r.path.startsWith(`${pagePath}data/`) }));

// Texture names that are not plain URL parts: '#' and '?' belong to the name, and
// percent-encoded dots do not climb out of data/.
async function namesStayNames(browser) {
  const data = path.join(work, 'site', 'page', 'data');
  const scene = renameTextures(fs.readFileSync(path.join(data, 'roulet3.3ds')), {
    'roulette.png': 'rou#lette.png', 'grid.png': 'grid?.png', 'ring.png': '%2e%2e/%2e%2e/ring.png',
  });
  const root = variantSite('names', {
    'roulet3.3ds': scene, 'rou#lette.png': path.join(data, 'roulette.png'), 'grid?.png': path.join(data, 'grid.png'),
  });
  fs.symlinkSync(path.join(data, 'ring.png'), path.join(root, 'ring.png'));  // where ../.. would lead
  const server = await serveSite(root);
  const page = await browser.open(`${server.base}/names/?at=100001`);
  const ready = await page.waitFor('window.kelvoPage && kelvoPage.ready', 60000);
  const boxes = ready ? await page.evaluate('kelvoPage.boxes.map(b => b.text)') : [];
  const asked = showFileRequests(server, '/names/');
  const found = (p) => asked.some((r) => r.path === `/names/data/${p}` && r.status === 200);
  check('texture names with "#" and "?" fetch exactly those files',
        !!ready && found('rou%23lette.png') && found('grid%3F.png') && !boxes.some((t) => /rou#|grid\?/.test(t)),
        JSON.stringify(asked.filter((r) => /rou|grid/.test(r.path)).map((r) => `${r.path} ${r.status}`)));
  const outside = asked.filter((r) => !r.inData).map((r) => r.path);
  check('percent-encoded dots fetch nothing outside data/, and the file cannot be read',
        !!ready && outside.length === 0 && asked.some((r) => r.path === '/names/data/%252e%252e/%252e%252e/ring.png') &&
        boxes.some((t) => t.includes('%2e%2e/%2e%2e/ring.png')),
        `outside data/: ${JSON.stringify(outside)}; boxes ${JSON.stringify(boxes)}`);
  await browser.closePage(page);
  await server.close();
}

// A file larger than any the show uses is one that cannot be read: the box a missing file
// gives, then the show goes on, whether the server declares the size or never ends.
async function oversizedFiles(browser) {
  const root = variantSite('oversized');
  const server = await serveSite(root, { oversized: {
    '/oversized/data/roulet2.3ds': 'declared', '/oversized/data/roulet3.3ds': 'endless',
  } });
  const page = await browser.open(`${server.base}/oversized/?at=100001`);
  const ready = await page.waitFor('window.kelvoPage && kelvoPage.ready', 60000);
  const boxes = ready ? await page.evaluate('kelvoPage.boxes.map(b => b.caption + ": " + b.text)') : [];
  const endless = server.requests.find((r) => r.path === '/oversized/data/roulet3.3ds');
  const sent = endless ? endless.bytesSent / (1 << 20) : 0;
  const missingBox = (file) => `Error !: Load3ds error : Can't load 3ds file data\\${file}`;
  check('a file over 64 MB gives the box of a file that cannot be read, and the show goes on',
        !!ready && JSON.stringify(boxes) === JSON.stringify([missingBox('roulet2.3ds'), missingBox('roulet3.3ds')]) &&
        sent < 128, `boxes ${JSON.stringify(boxes)}; ${sent} MB of the endless file sent`);
  await browser.closePage(page);
  await server.close();
}

(async () => {
  const browser = await Browser.launch();
  try {
    await dialogGoAndEscape(browser);
    await fullScreen(browser);
    await framesMatchHeadless(browser);
    await missingMusic(browser);
    await damagedScene(browser);
    await escapeDismissesBox(browser);
    await namesStayNames(browser);
    await oversizedFiles(browser);
  } finally {
    await browser.close();
  }
  console.log(failures ? `web test: ${failures} failed` : 'web test: all passed');
  process.exit(failures ? 1 : 0);
})().catch((error) => { console.error(error); process.exit(1); });
