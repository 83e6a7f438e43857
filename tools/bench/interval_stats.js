// interval_stats.js: median, p99 and worst of a list of times, for the web benchmarks.
'use strict';
function stats(values) {
  const sorted = values.slice().sort((a, b) => a - b);
  const at = (q) => sorted[Math.min(sorted.length - 1, Math.floor(sorted.length * q))];
  return { median: at(0.5), p99: at(0.99), worst: sorted[sorted.length - 1] };
}
module.exports = { stats };
