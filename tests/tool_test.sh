#!/usr/bin/env bash
# The installed shape of the tool: real process, real exit codes and streams.
# Usage: tool_test.sh [EMULATOR...] CORSO (an emulator runs a cross build).
set -u
corso=("$@")
fail=0
check() {  # check NAME EXPECTED ACTUAL
  if [ "$2" != "$3" ]; then
    printf 'FAIL %s\n  expected: %q\n  actual:   %q\n' "$1" "$2" "$3"
    fail=1
  fi
}

out=$("${corso[@]}" --posix normalize a/./b/../c); check "normalize output" "a/c" "$out"

# Without --posix or --windows, the syntax is the host's.
host_sep='/'
[ "${CORSO_TEST_HOST_OS_TYPE:-Unix}" = Win32 ] && host_sep='\'
out=$("${corso[@]}" normalize a/b); check "the host's syntax by default" "a${host_sep}b" "$out"
out=$("${corso[@]}" dir-sep); check "the host's separator" "$host_sep" "$out"
"${corso[@]}" --posix is-file-path a/; check "false exits 1" 1 $?
"${corso[@]}" --posix is-file-path a >/dev/null; check "true exits 0" 0 $?

err=$("${corso[@]}" --windows parent 'C:' 2>&1 >/dev/null); status=$?
check "invalid input exits 2" 2 $status
check "message on stderr" 'corso: "C:": invalid path' "$err"

"${corso[@]}" nope 2>/dev/null; check "usage error exits 2" 2 $?

out=$(printf 'a/../b\0a\0\0c//d\0' | "${corso[@]}" --posix -z normalize 2>/dev/null | tr "\0" "|")
check "-z goes on after a failed record" "b|a||c/d|" "$out"
err=$(printf 'a\0\0b\0' | "${corso[@]}" --posix -z normalize 2>&1 >/dev/null)
check "-z message names the record" 'corso: record 2: "": invalid path' "$err"
printf 'a\0\0' | "${corso[@]}" --posix -z normalize >/dev/null 2>&1; check "-z failed record exits 2" 2 $?

# Write errors: a full disk is reported; a reader that has gone ends the run
# at once, by SIGPIPE or, where the caller ignores it, with status 2 and no
# message. Each pipeline is bounded, so that a run that goes on fails.
if [ -w /dev/full ]; then
  err=$("${corso[@]}" --posix normalize a 2>&1 >/dev/full); status=$?
  check "a full disk exits 2" 2 $status
  check "a full disk is reported" 'corso: write error: No space left on device' "$err"
  err=$(printf 'a\0' | "${corso[@]}" --posix -z normalize 2>&1 >/dev/full); status=$?
  check "-z: a full disk exits 2" 2 $status
  check "-z: a full disk is reported" 'corso: write error: No space left on device' "$err"
fi
err=$("${corso[@]}" --posix -z normalize 2>&1 </ >/dev/null); status=$?
check "input that cannot be read exits 2" 2 $status
check "input that cannot be read is reported" 'corso: read error: ' "${err%%: read error: *}: read error: "
endless() { yes a 2>/dev/null | tr '\n' '\0' 2>/dev/null; }
out=$(endless | timeout 20 "${corso[@]}" --posix -z normalize | head -c 4 | tr '\0' '|'; echo "${PIPESTATUS[1]}")
case $out in
  'a|a|141' | 'a|a|2') ;;  # killed by SIGPIPE, or the caller ignores it
  *) check "a reader that has gone ends the run" 'a|a|141' "$out" ;;
esac
errors=$(mktemp)
out=$(trap '' PIPE; endless | timeout 20 "${corso[@]}" --posix -z normalize 2>"$errors" | head -c 4 >/dev/null
      echo "${PIPESTATUS[1]}")
check "SIGPIPE ignored: a reader that has gone exits 2" 2 "$out"
check "SIGPIPE ignored: no message" "" "$(cat "$errors")"
rm -f "$errors"

exit $fail
