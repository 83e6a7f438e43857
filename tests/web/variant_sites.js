// variant_sites.js: sites built for single checks of the page: a variant of the page with
// some of its data files replaced, and a scene file whose texture names are changed.
'use strict';
const fs = require('fs');
const path = require('path');

// A site of one variant of the page, built for one check under work: WORK/NAME/NAME/
// holds links to the page's files and its data files, except those in replaced (name: a
// file to link, or a Buffer to write; null leaves the name out). Returns WORK/NAME.
function variantSite(work, name, replaced = {}) {
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

module.exports = { variantSite, renameTextures, showFileRequests };
