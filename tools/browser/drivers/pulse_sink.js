// pulse_sink.js: a private PulseAudio server whose only output is a null sink, for a
// browser on a machine without a sound card. Firefox's Web Audio cannot start without an
// audio device (its AudioContext stays suspended and its clock stands still); a null sink
// plays in real time into nothing.
'use strict';
const { spawn } = require('child_process');
const fs = require('fs');
const os = require('os');
const path = require('path');
const { sleep } = require('./common.js');

class PulseSink {
  // Starts the server in a folder of its own; resolves once its socket is there.
  static async start() {
    const folder = fs.mkdtempSync(path.join(os.tmpdir(), 'kelvo-pulse-'));
    const socket = path.join(folder, 'native');
    const child = spawn('pulseaudio', [
      '-n', '--daemonize=no', '--exit-idle-time=-1', '--disallow-exit', '--use-pid-file=no',
      '-L', 'module-null-sink', '-L', `module-native-protocol-unix socket=${socket} auth-anonymous=1`,
    ], { stdio: ['ignore', 'ignore', 'pipe'], env: { ...process.env, HOME: folder, XDG_RUNTIME_DIR: folder } });
    let output = '';
    child.stderr.on('data', (chunk) => { output = (output + chunk).slice(-2000); });
    const sink = new PulseSink(child, folder, `unix:${socket}`);
    for (const end = Date.now() + 10000; !fs.existsSync(socket);) {
      if (Date.now() > end || child.exitCode !== null) {
        await sink.stop();
        throw new Error(`pulseaudio did not start: ${output}`);
      }
      await sleep(50);
    }
    return sink;
  }

  constructor(child, folder, server) {
    this.child = child;
    this.folder = folder;
    this.server = server;  // the value for PULSE_SERVER
  }

  async stop() {
    if (this.child.exitCode === null) {
      this.child.kill();
      await Promise.race([new Promise((resolve) => this.child.on('exit', resolve)), sleep(5000)]);
    }
    fs.rmSync(this.folder, { recursive: true, force: true });
  }
}

module.exports = { PulseSink };
