#!/usr/bin/env bash
# hostsim as a process, on Linux or under Wine: what only the Unix side can
# put in place of the message or of the INI file (a FIFO, a link to a
# device), a run interrupted by a signal while its private folder exists, a
# run whose output pipe is closed, and a run of another PID namespace. Each
# ends with exit 2 or the signal's status, says why on standard error, and
# leaves no private folder. Under Wine, SIGTERM and SIGHUP end the program
# without running any of its code, as kill -9 does: the folder it leaves
# holds no lock, and the next run removes it.
#
# usage: hostsim_processes.sh [WINE] HOSTSIM
set -uo pipefail

wine=()
if [ $# -eq 2 ]; then
  wine=("$1")
  shift
fi
hostsim=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# A run of a case ends on its own in well under this many seconds (Wine's
# start takes some): one that does not has blocked, on a FIFO say, and is
# ended and told, so that the whole script never waits for ctest's limit.
case_seconds=10
[ ${#wine[@]} -eq 0 ] || case_seconds=60
readonly timed_out=124 # timeout's status for a run it ended

run() {
  timeout "$case_seconds" "${wine[@]}" "$hostsim" "$@"
}

if [ ${#wine[@]} -gt 0 ]; then
  # Wine takes the temporary folder from its prefix, whatever TMP says.
  temporary=$("${wine[@]}" cmd /c 'echo %TEMP%' </dev/null | tr -d '\r')
  temporary=$("${wine[@]}" winepath -u "$temporary" </dev/null 2>/dev/null)
  temporary=${temporary%/}
else
  temporary=$work/temporary
  mkdir "$temporary"
  export TMPDIR=$temporary
fi

[ -d "$temporary" ] || {
  echo "no temporary folder to look in: '$temporary'" >&2
  exit 1
}

# The private folders in the temporary folder.
folders() {
  ls "$temporary" | grep -E '^hostsim-[0-9]+-[0-9]+$'
}

# Case $1 ended with status $2, wanted $3; its standard error ($4) holds $5.
check() {
  if [ "$2" = "$timed_out" ] && [ "$3" != "$timed_out" ]; then
    fail "$1: still running after $case_seconds s (blocked on a read or open?), ended"
  elif [ "$2" != "$3" ]; then
    fail "$1: exit $2, not $3"
  fi
  [ -z "$5" ] || grep -qF -- "$5" "$4" || fail "$1: standard error lacks '$5': $(cat "$4")"
  local left
  left=$(folders)
  [ -z "$left" ] || fail "$1: left $left"
}

run info >/dev/null 2>&1  # sweeps what earlier runs may have left

printf 'To: taro@docomo.ne.jp\n\nHi\n' >"$work/message.txt"
mkfifo "$work/fifo.txt"
ln -s /dev/zero "$work/zero.txt"
for kind in fifo zero; do
  mkdir "$work/$kind"
  cp "$(dirname "$hostsim")/TELEPOST.dll" "$work/$kind/"
done
mkfifo "$work/fifo/TELEPOST.ini"
ln -s /dev/zero "$work/zero/TELEPOST.ini"

# case | arguments (no blanks in them) | what standard error says
while IFS='|' read -r name arguments says; do
  # shellcheck disable=SC2086
  run $arguments >/dev/null 2>"$work/err"
  check "$name" $? 2 "$work/err" "$says"
done <<EOF
a FIFO as the message|send $work/fifo.txt --hankaku on|fifo.txt: is a FIFO, socket or device, not a message file
a link to /dev/zero as the message|send $work/zero.txt|zero.txt: is a FIFO, socket or device, not a message file
a FIFO as the INI file, info|info --plugin $work/fifo/TELEPOST.dll|TELEPOST.ini is a FIFO, socket or device, not an INI file
a FIFO as the INI file, setup|setup --emoji on --plugin $work/fifo/TELEPOST.dll|TELEPOST.ini is a FIFO, socket or device, not an INI file
a FIFO as the INI file, send with settings|send $work/message.txt --emoji on --plugin $work/fifo/TELEPOST.dll|TELEPOST.ini is a FIFO, socket or device, not an INI file
a link to /dev/zero as the INI file, setup|setup --emoji on --plugin $work/zero/TELEPOST.dll|TELEPOST.ini is a FIFO, socket or device, not an INI file
a link to /dev/zero as the INI file, send|send $work/message.txt --plugin $work/zero/TELEPOST.dll|TELEPOST.ini is a FIFO, socket or device, not an INI file
EOF

# A report longer than a pipe holds: a run writing it to a pipe nobody reads
# waits there, its private folder made.
{
  printf 'To: taro@docomo.ne.jp\n\n'
  for i in $(seq 3000); do printf '\xef\xbc\xa1\xef\xbc\xa2\xef\xbc\xa3 line %d of a long body\n' "$i"; done
} >"$work/long.txt"
long=(send "$work/long.txt" --hankaku on --yes)

# Waits up to a minute for a run's private folder to be there.
wait_for_folder() {
  for _ in $(seq 600); do
    [ -n "$(folders)" ] && return
    sleep 0.1
  done
}

# Starts a run that waits to write its report, once its folder is there.
start_waiting() {
  rm -f "$work/out"
  mkfifo "$work/out"
  # Not through a function, which would run in a shell of its own: $! is
  # then the process that takes the signal on to the run.
  timeout 120 "${wine[@]}" "$hostsim" "${long[@]}" >"$work/out" 2>"$work/err" &
  waiting=$!
  exec 3<"$work/out"
  wait_for_folder
  [ -n "$(folders)" ] || fail "no private folder while the run waits"
  sleep 1  # at its write
}

# signal | status natively | status under Wine | left under Wine, for the next run
while IFS='|' read -r signal native under_wine leaves; do
  start_waiting
  kill -s "$signal" "$waiting"
  wait "$waiting" 2>/dev/null  # without the shell's word on how it ended
  status=$?
  exec 3<&-
  if [ ${#wine[@]} -eq 0 ]; then
    check "SIG$signal" $status "$native" "$work/err" ""
    continue
  fi
  if [ "$leaves" = yes ]; then
    [ -n "$(folders)" ] || fail "SIG$signal: Wine ran the program's code after all: update this table"
    run info >/dev/null 2>&1
  fi
  check "SIG$signal under Wine" $status "$under_wine" "$work/err" ""
done <<EOF
INT|130|58|no
TERM|143|143|yes
HUP|129|129|yes
EOF

# The reader of its output gone (| head): SIGPIPE ends a run on Linux, and
# where SIGPIPE is ignored, or on Windows, the failed write does. The
# status of the run, started behind the words $@.
closed() {
  timeout 120 "$@" "${wine[@]}" "$hostsim" "${long[@]}" 2>"$work/err" | head -c 100 >/dev/null
  echo "${PIPESTATUS[0]}"
}
if [ ${#wine[@]} -eq 0 ] && env --default-signal=PIPE true 2>/dev/null; then
  check "a closed pipe" "$(closed env --default-signal=PIPE)" 141 "$work/err" ""
fi
check "a closed pipe, SIGPIPE ignored or on Windows" "$(
  trap '' PIPE
  closed
)" 2 "$work/err" "standard output could not be written"

# A live run's folder, seen from another PID namespace where its process
# is not (Linux, where namespaces can be made).
if [ ${#wine[@]} -eq 0 ] && unshare --pid --fork true 2>/dev/null; then
  rm -f "$work/out"
  mkfifo "$work/out"
  unshare --pid --fork sh -c '"$@"; exit $?' sh "$hostsim" "${long[@]}" >"$work/out" 2>"$work/err" &
  waiting=$!
  exec 3<"$work/out"
  wait_for_folder
  live=$(folders)
  unshare --pid --fork "$hostsim" info >/dev/null 2>&1
  [ -n "$live" ] && [ "$(folders)" = "$live" ] || fail "another namespace's run swept '$live'"
  exec 3<&-  # the waiting run then ends on its closed pipe
  wait "$waiting"
  check "a run of another PID namespace, once ended" 0 0 "$work/err" ""
fi

[ "$failures" -eq 0 ] && echo "hostsim_processes: every case held"
exit $((failures > 0))
