// site_server.js: a static web server on 127.0.0.1 for the page's tests that need to see
// what the page asks for, or to answer otherwise than a plain server would. It records
// every path asked for, and answers the paths it is told to in one of these ways:
//   'declared': a Content-Length far above any file, a few bytes, then nothing more;
//   'endless': a body without a length that goes on (up to kEndlessCeiling, then stalls,
//   never ending by itself);
//   'slow': the file itself, sent over kSlowSeconds, as a slow network brings it.
'use strict';
const fs = require('fs');
const http = require('http');
const path = require('path');

// The endless body stops growing here so that a page that never stops reading costs the
// machine a bounded amount of memory; the page still never sees its end.
const kEndlessCeiling = 256 << 20;
const kChunk = Buffer.alloc(1 << 20, 0x41);
const kSlowSeconds = 4;
const kSlowSteps = 40;
const kTypes = {
  '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm',
  '.png': 'image/png', '.mp3': 'audio/mpeg',
};

function sendDeclared(response) {
  response.writeHead(200, { 'Content-Type': 'application/octet-stream', 'Content-Length': String(2 ** 40) });
  response.write(kChunk.subarray(0, 1024));
}

// Writes as fast as the page reads; bytesSent counts what left the server.
function sendEndless(response, record) {
  response.writeHead(200, { 'Content-Type': 'application/octet-stream' });
  // The server never ends this body, so a closed connection is the page ending the download.
  record.endedByPage = false;
  response.once('close', () => { record.endedByPage = true; });
  const more = () => {
    while (record.bytesSent < kEndlessCeiling && !response.destroyed) {
      record.bytesSent += kChunk.length;
      if (!response.write(kChunk)) { response.once('drain', more); return; }
    }
  };
  more();
}

// The file in kSlowSteps equal parts kSlowSeconds / kSlowSteps apart; record.doneAt is
// when the last part left (Date.now()).
function sendSlowly(file, response, record) {
  fs.readFile(file, (error, bytes) => {
    if (error) { notFound(response); return; }
    response.writeHead(200, { 'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream',
                              'Content-Length': String(bytes.length) });
    const part = Math.ceil(bytes.length / kSlowSteps);
    const step = () => {
      if (response.destroyed) return;
      const next = bytes.subarray(record.bytesSent, record.bytesSent + part);
      record.bytesSent += next.length;
      if (record.bytesSent < bytes.length) {
        response.write(next);
        setTimeout(step, kSlowSeconds * 1000 / kSlowSteps);
      } else {
        response.end(next);
        record.doneAt = Date.now();
      }
    };
    step();
  });
}

function notFound(response) {
  response.writeHead(404, { 'Content-Type': 'text/plain' });
  response.end('not found');
}

// pathname: the decoded path asked for; only files inside root are served, a folder by
// its index.html.
function sendFile(root, pathname, response) {
  const file = path.join(root, pathname.endsWith('/') ? `${pathname}index.html` : pathname);
  if (!file.startsWith(root + path.sep) || file.includes('\0')) { notFound(response); return; }
  fs.stat(file, (error, info) => {
    if (error || !info.isFile()) { notFound(response); return; }
    response.writeHead(200, { 'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream',
                              'Content-Length': String(info.size) });
    fs.createReadStream(file).pipe(response);
  });
}

// serveSite(ROOT, {answers: {'/site/data/x.3ds': 'endless', ...}}) resolves to
// {base, requests, close}: base is "http://127.0.0.1:PORT"; requests holds
// {path, status, bytesSent, endedByPage, doneAt} per request, path as the page sent it
// (still encoded).
function serveSite(root, { answers = {} } = {}) {
  const requests = [];
  const sockets = new Set();
  const server = http.createServer((request, response) => {
    const pathname = new URL(request.url, 'http://127.0.0.1').pathname;
    const record = { path: pathname, bytesSent: 0 };
    // The status sent, once the answer has begun.
    Object.defineProperty(record, 'status', { enumerable: true, get: () => response.statusCode });
    requests.push(record);
    const kind = answers[pathname];
    if (kind === 'declared') sendDeclared(response);
    else if (kind === 'endless') sendEndless(response, record);
    else if (kind === 'slow') sendSlowly(path.join(path.resolve(root), decodeURIComponent(pathname)), response, record);
    else {
      let decoded = null;
      try { decoded = decodeURIComponent(pathname); } catch (e) { /* not a name: 404 */ }
      if (decoded === null) notFound(response);
      else sendFile(path.resolve(root), decoded, response);
    }
  });
  server.on('connection', (socket) => {
    sockets.add(socket);
    socket.on('close', () => sockets.delete(socket));
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve({
    base: `http://127.0.0.1:${server.address().port}`,
    requests,
    close: () => {
      for (const socket of sockets) socket.destroy();
      return new Promise((done) => server.close(done));
    },
  })));
}

module.exports = { serveSite };
