// Node's url.pathToFileURL and url.fileURLToPath on the paths of the
// benchmark corpus that are absolute, read NUL-terminated on standard input
// (corso_corpus posix | windows). Prints the median time a path over 11
// passes, in the shape of the benchmark's own rows. Usage: node uri.js posix|windows
'use strict';
const url = require('url');

const syntax = process.argv[2];
const windows = syntax === 'windows';
const input = require('fs').readFileSync(0, 'latin1').split('\0').filter((p) => p !== '');
// Node resolves a relative path against the working directory; Corso refuses
// it, so only the absolute paths are timed, as in corso_bench.
const paths = input.filter((p) => (windows ? /^([A-Za-z]:[\\/]|[\\/][\\/])/.test(p) : p.startsWith('/')));
const options = { windows };

function median(f, items) {
  const times = [];
  let sink = 0;
  for (let pass = 0; pass < 11; ++pass) {
    const start = process.hrtime.bigint();
    for (const item of items) sink += f(item).length;
    times.push(Number(process.hrtime.bigint() - start) / items.length);
  }
  times.sort((a, b) => a - b);
  return [times[5], sink];
}

const [to, sink1] = median((p) => url.pathToFileURL(p, options).href, paths);
const uris = paths.map((p) => url.pathToFileURL(p, options).href);
const [of, sink2] = median((u) => url.fileURLToPath(u, options), uris);
console.log(`BM_to_file_uri/node/${syntax}  ${to.toFixed(1)} ns/path  (${paths.length} paths, ${sink1})`);
console.log(`BM_of_file_uri/node/${syntax}  ${of.toFixed(1)} ns/path  (${uris.length} URIs, ${sink2})`);
