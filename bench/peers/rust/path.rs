// Rust's std::path on the paths of the benchmark corpus, read NUL-terminated
// on standard input (corso_corpus posix). std::path follows the host, so on a
// POSIX host this is the POSIX figure only. Prints the median time a path
// over 11 passes, in the shape of the benchmark's own rows:
//
//     BM_<operation>/rust_<call>/posix  <ns> ns/path
//
// PathBuf::from copies the bytes and checks nothing. file_name, extension,
// file_stem and parent return views; components() skips "." and empty
// segments as it goes, and is counted without collecting. There is no
// lexical normalization, no relative path and no multiple extension: the
// latter is composed here from file_name, from the first '.' after the
// leading dots. bench/peers/run builds it with rustc -O.
use std::ffi::OsStr;
use std::hint::black_box;
use std::io::Read;
use std::os::unix::ffi::OsStrExt;
use std::path::{Path, PathBuf};
use std::time::Instant;

const PASSES: usize = 11;

fn time_op<F: Fn(&Path) -> usize>(row: &str, paths: &[&Path], op: F) {
    let mut sink = 0usize;
    let mut per_path = Vec::with_capacity(PASSES);
    for _ in 0..PASSES {
        let start = Instant::now();
        for p in paths {
            sink = sink.wrapping_add(black_box(op(black_box(p))));
        }
        per_path.push(start.elapsed().as_nanos() as f64 / paths.len() as f64);
    }
    per_path.sort_by(|a, b| a.partial_cmp(b).unwrap());
    println!(
        "{}  {:.1} ns/path  ({} paths, checksum {})",
        row,
        per_path[PASSES / 2],
        paths.len(),
        sink
    );
}

// The multiple extension with its '.': from the first '.' of the file name
// that follows its leading dots, or "".
fn multi_ext(p: &Path) -> &OsStr {
    match p.file_name() {
        None => OsStr::new(""),
        Some(name) => {
            let bytes = name.as_bytes();
            let start = bytes.iter().position(|&b| b != b'.').unwrap_or(bytes.len());
            match bytes[start..].iter().position(|&b| b == b'.') {
                Some(dot) => OsStr::from_bytes(&bytes[start + dot..]),
                None => OsStr::new(""),
            }
        }
    }
}

fn main() {
    let mut data = Vec::new();
    std::io::stdin()
        .read_to_end(&mut data)
        .expect("reading standard input");
    let paths: Vec<&Path> = data
        .split(|&b| b == 0)
        .filter(|s| !s.is_empty())
        .map(|s| Path::new(OsStr::from_bytes(s)))
        .collect();
    if paths.is_empty() {
        eprintln!("path: no paths on standard input");
        std::process::exit(2);
    }
    let tail = Path::new("include/corso/path.hpp");
    let len = |s: Option<&OsStr>| s.map_or(0, |s| s.len());

    time_op("BM_parse_copy/rust_pathbuf_from/posix", &paths, |p| {
        PathBuf::from(p.as_os_str()).as_os_str().len()
    });
    time_op("BM_parent/rust_parent/posix", &paths, |p| {
        p.parent().map_or(0, |q| q.as_os_str().len())
    });
    time_op("BM_filename/rust_file_name/posix", &paths, |p| {
        len(p.file_name())
    });
    time_op("BM_get_ext/rust_extension/posix", &paths, |p| {
        len(p.extension())
    });
    time_op("BM_multi_ext/rust_file_name_by_hand/posix", &paths, |p| {
        multi_ext(p).len()
    });
    time_op("BM_stem/rust_file_stem/posix", &paths, |p| {
        len(p.file_stem())
    });
    time_op("BM_append/rust_join/posix", &paths, |p| {
        p.join(tail).as_os_str().len()
    });
    time_op("BM_segments/rust_components/posix", &paths, |p| {
        p.components().count()
    });
}
