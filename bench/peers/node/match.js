// Node's path.matchesGlob on the paths of the benchmark corpus, read
// NUL-terminated on standard input (corso_corpus posix | windows), against
// the pattern set of corso_bench's match benchmark. matchesGlob came in
// Node 22.5 and 20.17 (experimental); an older Node says so in a line
// "# skipped node_matchesglob: ..." and times nothing. Prints the median time
// of one path against one pattern over 11 passes, in the shape of the
// benchmark's own rows. Usage: node match.js posix|windows
'use strict';
const path = require('path');

const syntax = process.argv[2];
const flavour = syntax === 'windows' ? path.win32 : path.posix;
if (typeof flavour.matchesGlob !== 'function') {
  console.log(`# skipped node_matchesglob: Node ${process.version} has no path.matchesGlob (it came in 22.5 and 20.17)`);
  process.exit(0);
}
const paths = require('fs').readFileSync(0, 'latin1').split('\0').filter((p) => p !== '');
const patterns = ['**/*.cpp', 'src/**/test_*.py', '*.d/', '/usr/lib/**/*.py'];
const times = [];
let matched = 0;
for (let pass = 0; pass < 11; ++pass) {
  const start = process.hrtime.bigint();
  for (const pat of patterns) {
    for (const p of paths) matched += flavour.matchesGlob(p, pat) ? 1 : 0;
  }
  times.push(Number(process.hrtime.bigint() - start) / (paths.length * patterns.length));
}
times.sort((a, b) => a - b);
console.log(`BM_match/node_matchesglob/${syntax}  ${times[5].toFixed(1)} ns/path  (${paths.length} paths, ${matched / 11} matches)`);
