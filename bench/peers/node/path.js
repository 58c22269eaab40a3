// Node's path.posix and path.win32 on the paths of the benchmark corpus, read
// NUL-terminated on standard input (corso_corpus posix | windows): the path
// rules are the flavour's, not the host's. Prints the median time a path over
// 11 passes, in the shape of the benchmark's own rows:
//
//   BM_<operation>/node_<call>/<syntax>  <ns> ns/path
//
// Node has no path type, so nothing is timed for parse_copy. relative()
// resolves both paths first, against the working directory when they are
// relative; join() normalizes its result. stem is basename(p, extname(p)).
// relativize and append take the roots and the tail of corso_bench.
// Usage: node path.js posix|windows
'use strict';
const path = require('path');

const syntax = process.argv[2];
if (syntax !== 'posix' && syntax !== 'windows') {
  console.error('usage: node path.js posix|windows');
  process.exit(2);
}
const windows = syntax === 'windows';
const flavour = windows ? path.win32 : path.posix;
const paths = require('fs').readFileSync(0, 'latin1').split('\0').filter((p) => p !== '');
// The root of each path, as in corso_bench: one for absolute paths, one for
// relative ones.
const isAbsolute = windows ? (p) => /^([A-Za-z]:|[\\/])/.test(p) : (p) => p.startsWith('/');
const absRoot = windows ? 'C:\\Program Files\\' : '/usr/share/';
const relRoot = windows ? 'src\\' : 'src/';
const roots = paths.map((p) => (isAbsolute(p) ? absRoot : relRoot));
const tail = windows ? 'include\\corso\\path.hpp' : 'include/corso/path.hpp';

function timeOp(op, call, f) {
  const times = [];
  let sink = 0;
  for (let pass = 0; pass < 11; ++pass) {
    const start = process.hrtime.bigint();
    for (let i = 0; i < paths.length; ++i) sink += f(paths[i], i).length;
    times.push(Number(process.hrtime.bigint() - start) / paths.length);
  }
  times.sort((a, b) => a - b);
  console.log(`BM_${op}/node_${call}/${syntax}  ${times[5].toFixed(1)} ns/path  (${paths.length} paths, checksum ${sink})`);
}

timeOp('normalize', 'normalize', (p) => flavour.normalize(p));
timeOp('relativize', 'relative', (p, i) => flavour.relative(roots[i], p));
timeOp('parent', 'dirname', (p) => flavour.dirname(p));
timeOp('filename', 'basename', (p) => flavour.basename(p));
timeOp('get_ext', 'extname', (p) => flavour.extname(p));
timeOp('stem', 'basename_extname', (p) => flavour.basename(p, flavour.extname(p)));
timeOp('append', 'join', (p) => flavour.join(p, tail));
