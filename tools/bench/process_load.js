// process_load.js: how many of the machine's cores a browser process keeps busy, read
// from /proc. The web benchmarks watch Chromium's GPU process, where SwiftShader renders
// and composites every frame: on a machine without a GPU that is where frames are lost.
// Firefox and WebKitGTK render elsewhere in their own ways: for them, all the browser's
// processes together are watched.
'use strict';
const fs = require('fs');
const { execFileSync } = require('child_process');

const kTicksPerSecond = Number(execFileSync('getconf', ['CLK_TCK']).toString()) || 100;

// The fields of /proc/PID/stat after the command name, which is in parentheses and may
// itself hold spaces: [0] is the state, [1] the parent, [11] and [12] user and system time.
function statFields(pid) {
  const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
  return stat.slice(stat.lastIndexOf(')') + 2).split(' ');
}

function cpuSeconds(pid) {
  const fields = statFields(pid);
  return (Number(fields[11]) + Number(fields[12])) / kTicksPerSecond;
}

// Each process's children, from /proc.
function childrenByParent() {
  const children = new Map();
  for (const entry of fs.readdirSync('/proc')) {
    if (!/^\d+$/.test(entry)) continue;
    try {
      const parent = Number(statFields(entry)[1]);
      if (!children.has(parent)) children.set(parent, []);
      children.get(parent).push(Number(entry));
    } catch (e) { /* the process ended while being read */ }
  }
  return children;
}

// The GPU process among the browser's descendants (Chromium forks it from a zygote, and
// the launcher may be a script), or 0 while there is none.
function gpuProcessOf(browserPid) {
  const children = childrenByParent();
  for (const pending = [browserPid]; pending.length;) {
    for (const pid of children.get(pending.pop()) || []) {
      try {
        if (fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8').includes('--type=gpu-process')) return pid;
      } catch (e) { continue; }
      pending.push(pid);
    }
  }
  return 0;
}

// The CPU time of a process and all its descendants now alive.
function treeCpuSeconds(rootPid) {
  const children = childrenByParent();
  let total = 0;
  for (const pending = [rootPid]; pending.length;) {
    const pid = pending.pop();
    try { total += cpuSeconds(pid); } catch (e) { continue; }
    pending.push(...(children.get(pid) || []));
  }
  return total;
}

// Samples a process's CPU time every few hundred milliseconds, stamped with Date.now(),
// so that its load over any stretch of wall-clock time can be read afterwards.
// readCpu: reads the CPU seconds to record, by default those of the process alone.
class LoadRecorder {
  constructor(pid, everyMs = 250, readCpu = cpuSeconds) {
    this.pid = pid;
    this.readCpu = readCpu;
    this.samples = [];
    this.sample();
    this.timer = setInterval(() => this.sample(), everyMs);
  }

  sample() {
    try { this.samples.push([Date.now(), this.readCpu(this.pid)]); } catch (e) { this.stop(); }
  }

  stop() {
    if (!this.timer) return;
    clearInterval(this.timer);
    this.timer = null;
    this.sample();
  }

  // Cores in use on average from `from` to `to` (Date.now() times), within the time
  // the samples cover; NaN for a stretch outside it.
  coresBetween(from, to) {
    const s = this.samples;
    from = Math.max(from, s[0][0]);
    to = Math.min(to, s[s.length - 1][0]);
    if (!(to > from)) return NaN;
    const cpu = (t) => {
      const i = s.findIndex(([time]) => time >= t);
      if (i === 0) return s[0][1];
      const [t0, c0] = s[i - 1], [t1, c1] = s[i];
      return c0 + (c1 - c0) * (t - t0) / (t1 - t0);
    };
    return (cpu(to) - cpu(from)) / ((to - from) / 1000);
  }

  coresOverall() { return this.coresBetween(-Infinity, Infinity); }
}

// Starts recording the browser's GPU process once it exists (within `waitMs`); null if
// it never appears.
async function recordGpuProcess(browserPid, waitMs = 10000) {
  for (const start = Date.now(); Date.now() - start < waitMs;) {
    const pid = gpuProcessOf(browserPid);
    if (pid) return new LoadRecorder(pid);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  return null;
}

// Starts recording a browser's load: Chromium's GPU process, or for another engine all
// the processes under rootPid (its driver or launcher). Returns { recorder, what }, the
// recorder null when Chromium's GPU process never appears.
async function recordBrowserLoad(engine, rootPid) {
  if (engine === 'chromium') return { recorder: await recordGpuProcess(rootPid), what: "the browser's GPU process" };
  return { recorder: new LoadRecorder(rootPid, 250, treeCpuSeconds), what: "all the browser's processes" };
}

// The machine's CPU time so far, from /proc/stat: [all, idle (with I/O wait), stolen by
// the host]. machineShares(before, after) turns two readings into the shares of the time
// between them that the machine was busy and that the host took away.
function machineTimes() {
  const [user, nice, system, idle, iowait, irq, softirq, steal] = fs.readFileSync('/proc/stat', 'utf8')
    .split('\n')[0].trim().split(/\s+/).slice(1).map(Number);
  return [user + nice + system + idle + iowait + irq + softirq + steal, idle + iowait, steal];
}

function machineShares(before, after) {
  const [all, idle, steal] = after.map((value, i) => value - before[i]);
  return { busy: all > 0 ? 1 - idle / all : NaN, stolen: all > 0 ? steal / all : NaN };
}

module.exports = { recordGpuProcess, recordBrowserLoad, LoadRecorder, machineTimes, machineShares };
