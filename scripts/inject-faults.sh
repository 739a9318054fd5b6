#!/usr/bin/env bash
# Shows that the native tests catch each fault of scripts/injected-faults.txt:
# puts one fault into its file, builds the native preset (incrementally),
# runs the tests until one fails, and puts the file back as it was, whatever
# happens (Ctrl+C included). Run by hand, not in CI: it builds once a fault.
#
#   scripts/inject-faults.sh                 every fault, after a run without any
#   scripts/inject-faults.sh NAME...         only those
#   scripts/inject-faults.sh --list          the faults' names and what each breaks
#   scripts/inject-faults.sh --check         only that each old text occurs exactly
#                                            once in its file (no build, fast)
#
# Options: --timeout SECONDS, each test's limit (default 300; a test that
# hangs counts as catching the fault); --no-baseline, to skip the run without
# any fault that first shows the tests pass.
#
# The tests, in this order, the first that fails ending a fault's run: the
# ctest tests unit, send_rules and integration (GoogleTest programs, stopped
# at their first failing test), then every other ctest test of the preset
# (hostsim as a process, the differential tests, ...). A failure counts once
# the failed test, run again alone, fails again (a hang is not run again).
# The tests keep their temporary files in a folder of this run's own, apart
# from those of tests run at the same time from other trees. An entry with
# "whole: TEST" also has that GoogleTest program run every one of its tests
# to the end of its summary, even past a failure.
#
# Exit status: 0 when every fault is caught; 1 when one is not (or only by a
# test that passes when run again), its entry is stale (its old text not
# found exactly once) or its build fails; 2 for a wrong argument or tests
# that fail without any fault. Each run's output is kept in
# build/native/injected-faults/.
set -uo pipefail
export LC_ALL=C # texts are compared byte for byte
cd "$(dirname "$0")/.." || exit 2

readonly faults_file=scripts/injected-faults.txt
readonly preset=native
readonly build_dir=build/native
readonly logs=$build_dir/injected-faults
# The GoogleTest programs' ctest tests, run first and one at a time.
readonly gtest_tests=(unit send_rules integration)
timeout_seconds=300

usage() {
  sed -n '2,/^set -uo/s/^# \{0,1\}//p' "$0" >&2
  exit 2
}

# ---- the list ----

names=() files=() whats=() olds=() news=() wholes=()

fail_list() {
  echo "$faults_file:$1: $2" >&2
  exit 2
}

read_faults() {
  local line key value number=0 last='' i=-1
  while IFS= read -r line || [[ -n $line ]]; do
    number=$((number + 1))
    if [[ -z $line || $line == '#'* ]]; then
      last=
      continue
    fi
    if [[ $line =~ ^\[([a-z0-9-]+)\]$ ]]; then
      i=$((i + 1))
      names[i]=${BASH_REMATCH[1]}
      files[i]='' whats[i]='' olds[i]='' news[i]='' wholes[i]=''
      last=
      continue
    fi
    ((i >= 0)) || fail_list $number "a line before the first [name]"
    [[ $line == *:* ]] || fail_list $number "not KEY: VALUE"
    key=${line%%:*}
    value=${line#*:}
    value=${value# }
    case $key in
      file) files[i]=$value ;;
      what) whats[i]=$value ;;
      whole) wholes[i]=$value ;;
      old | new)
        local -n texts=${key}s
        if [[ $last == "$key" ]]; then
          texts[i]+=$'\n'$value
        elif [[ -n ${texts[i]} ]]; then
          fail_list $number "a second $key: in [${names[i]}]"
        else
          texts[i]=$value
        fi
        unset -n texts
        ;;
      *) fail_list $number "unknown key '$key'" ;;
    esac
    last=$key
  done <"$faults_file"
  local j k
  for ((j = 0; j < ${#names[@]}; ++j)); do
    for k in files whats olds news; do
      local -n field=$k
      [[ -n ${field[j]} ]] || fail_list 0 "[${names[j]}] has no ${k%s}:"
      unset -n field
    done
    [[ ${olds[j]} != "${news[j]}" ]] || fail_list 0 "[${names[j]}]: new: is old:"
    if [[ -n ${wholes[j]} && " ${gtest_tests[*]} " != *" ${wholes[j]} "* ]]; then
      fail_list 0 "[${names[j]}]: whole: is none of ${gtest_tests[*]}"
    fi
    for ((k = 0; k < j; ++k)); do
      [[ ${names[k]} != "${names[j]}" ]] || fail_list 0 "[${names[j]}] twice"
    done
  done
}

# ---- the files ----

# Sets `content` to the file's bytes, trailing line breaks included.
content=
read_content() {
  content=$(cat -- "$1" && printf x) || return 1
  content=${content%x}
}

# How often TEXT occurs in FILE: 0, 1, or 2 for twice or more; "missing" when
# there is no such file.
occurrences() {
  local file=$1 text=$2 rest
  if [[ ! -f $file ]]; then
    echo missing
    return
  fi
  read_content "$file" || return 1
  rest=${content//"$text"/}
  local count=$(((${#content} - ${#rest}) / ${#text}))
  echo $((count < 2 ? count : 2))
}

# Why entry I is stale, or nothing when its old text occurs exactly once.
stale_reason() {
  case $(occurrences "${files[$1]}" "${olds[$1]}") in
    missing) echo "stale: ${files[$1]} does not exist" ;;
    0) echo "stale: its old text is not in ${files[$1]}" ;;
    2) echo "stale: its old text occurs more than once in ${files[$1]}" ;;
  esac
}

# The file being changed, and its bytes before; put back on any exit.
changed_file=''
saved_copy=''
running_pid=''
test_tmpdir=''

restore() {
  [[ -n $changed_file ]] || return 0
  cat -- "$saved_copy" >"$changed_file"
  if ! git diff --quiet HEAD -- "$changed_file"; then
    echo "error: $changed_file is not as it was; its bytes before are in $saved_copy" >&2
    changed_file=
    return 1
  fi
  changed_file=
}

on_exit() {
  local status=$?
  if [[ -n $running_pid ]]; then
    kill -TERM -- "-$running_pid" 2>/dev/null
    wait "$running_pid" 2>/dev/null
    running_pid=''
  fi
  [[ -z $test_tmpdir ]] || rm -rf -- "$test_tmpdir"
  [[ -z $tests_per_program ]] ||
    cmake --preset "$preset" -DTELEPOST_TEST_EACH=ON >/dev/null 2>&1
  if [[ -n $changed_file ]]; then
    local file=$changed_file
    restore && echo "$file put back as it was" >&2
    echo "note: $build_dir still holds that fault's objects until the next build" >&2
  fi
  exit "$status"
}
tests_per_program=''  # set once the preset is configured for this run
trap on_exit EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

inject() {
  local i=$1
  changed_file=${files[i]}
  saved_copy=$logs/saved-file
  cp -- "$changed_file" "$saved_copy" || return 1
  read_content "$changed_file" || return 1
  printf '%s' "${content/"${olds[i]}"/"${news[i]}"}" >"$changed_file"
}

# ---- building and testing ----

# Runs COMMAND, appending its output to LOG, in a process group of its own,
# so that an interruption ends it at once with every process it started.
run_logged() {
  local log=$1 status
  shift
  setsid "$@" >>"$log" 2>&1 </dev/null &
  running_pid=$!
  wait "$running_pid"
  status=$?
  running_pid=''
  return "$status"
}

# Builds the preset, appending its output to LOG.
build() {
  if [[ -z $tests_per_program ]]; then
    # Each GoogleTest program one ctest test, stopped at its first failure;
    # the preset's one test per GoogleTest test again at the end.
    run_logged "$1" cmake --preset "$preset" -DTELEPOST_TEST_EACH=OFF || return 1
    tests_per_program=1
  fi
  run_logged "$1" cmake --build --preset "$preset" -j2
}

# Runs ctest with ARGS, appending its output to LOG. The tests get a folder
# for temporary files of their own: those of tests run at the same time from
# another tree would otherwise meet them in /tmp.
run_ctest() {
  local log=$1
  shift
  TMPDIR=$test_tmpdir run_logged "$log" ctest --preset "$preset" \
    --timeout "$timeout_seconds" -V "$@"
}

# What failed in the ctest run whose output is in LOG, from its per-test
# lines: the first test not passed nor skipped, as "NAME STATUS".
first_failed_ctest() {
  sed -nE 's/^ *[0-9]+\/[0-9]+ Test +#[0-9]+: ([^ ]+) [ .]*(.*[^ ]) +[0-9.]+ sec$/\1 \2/p' "$1" |
    grep -v -E ' (Passed|\*+Skipped)' | head -n 1
}

# How ctest's STATUS of a failed test reads in the report: nothing for a plain
# failure; a hang or a crash said so.
failure_note() {
  case $1 in
    *Failed) ;;
    *Timeout*) echo " - timed out after ${timeout_seconds}s: it hangs" ;;
    *) echo " - $(echo "$1" | sed -E 's/\*+/ /g; s/ +/ /g; s/ $//')" ;;
  esac
}

# The GoogleTest lines of LOG as the program wrote them: ctest -V puts the
# test's number before each, and shows a failed test's output once more
# without it.
gtest_lines() {
  sed -nE 's/^[0-9]+: (\[.*)/\1/p' "$1"
}

# The first failing GoogleTest test in LOG; else the test running when the
# program stopped (crashed, aborted or hung); else nothing.
first_failed_gtest() {
  local failed running
  failed=$(gtest_lines "$1" | sed -nE 's/^\[  FAILED  \] ([^ ,]+).*/\1/p' | head -n 1)
  if [[ -n $failed ]]; then
    echo "$failed"
    return
  fi
  running=$(gtest_lines "$1" | sed -nE 's/^\[ RUN      \] ([^ ]+).*/\1/p' | tail -n 1)
  if [[ -n $running ]] &&
    ! gtest_lines "$1" | grep -qE "^\[ +(OK|FAILED|SKIPPED) +\] $running( |$)"; then
    echo "$running (it stopped there)"
  fi
}

# Whether the GoogleTest program in LOG ran every test it started with to its
# summary; else says how far it got.
ran_whole() {
  local planned ran
  planned=$(gtest_lines "$1" | sed -nE 's/^\[==========\] Running ([0-9]+) tests? from.*/\1/p' |
    head -n 1)
  ran=$(gtest_lines "$1" | sed -nE 's/^\[==========\] ([0-9]+) tests? from .* ran\..*/\1/p' |
    head -n 1)
  if [[ -z $planned ]]; then
    echo "it did not start"
    return 1
  fi
  if [[ $ran != "$planned" ]]; then
    local started
    started=$(gtest_lines "$1" | grep -cE '^\[ RUN      \]')
    echo "it stopped after starting $started of its $planned tests, with no summary"
    return 1
  fi
}

# Runs the ctest test TEST once more, alone, appending to LOG; for a
# GoogleTest program only its test FILTER. True when it fails again.
fails_again() {
  local log=$1 test=$2 filter=$3 again=$1.again
  : >"$again"
  if [[ -n $filter ]]; then
    GTEST_FILTER=$filter run_ctest "$again" -R "^$test\$"
  else
    run_ctest "$again" -R "^$test\$"
  fi
  local what
  what=$(first_failed_ctest "$again")
  { echo "== run again alone: $test $filter"; cat -- "$again"; } >>"$log"
  rm -f -- "$again"
  [[ -n $what ]]
}

# Runs the tests, appending to LOG and setting `caught` to what failed first
# (empty when all passed); a failure is only counted once the test, run again
# alone, fails again, else `unconfirmed` names it. WHOLE names a test whose
# every test must run to the end; `whole_note` says when it did not.
# `test_error` says when ctest failed without a test failing.
caught='' unconfirmed='' whole_note='' test_error=''
run_tests() {
  local log=$1 whole=$2 test program_log what status failed
  caught='' unconfirmed='' whole_note='' test_error=''
  for test in "${gtest_tests[@]}"; do
    if [[ -n $caught && $test != "$whole" ]]; then
      continue
    fi
    program_log=$log.$test
    : >"$program_log"
    if [[ $test == "$whole" ]]; then
      run_ctest "$program_log" -R "^$test\$"
    else
      GTEST_FAIL_FAST=1 run_ctest "$program_log" -R "^$test\$"
    fi
    status=$?
    cat -- "$program_log" >>"$log"
    what=$(first_failed_ctest "$program_log")
    if [[ -n $what && -z $caught ]]; then
      failed=$(first_failed_gtest "$program_log")
      caught="$test: $failed"
      caught="${caught%: }$(failure_note "${what#* }")"
      # A hang is not waited for twice.
      if [[ $what != *Timeout* ]] && ! fails_again "$log" "$test" "${failed%% *}"; then
        unconfirmed=$caught
        caught=''
      fi
    elif ((status != 0)) && [[ -z $what ]]; then
      test_error="ctest ended with status $status without naming a failed test"
    fi
    if [[ $test == "$whole" ]]; then
      whole_note=$(ran_whole "$program_log") && whole_note=''
    fi
    rm -f -- "$program_log"
  done
  [[ -z $caught ]] || return 0
  local others
  others="^($(
    IFS='|'
    echo "${gtest_tests[*]}"
  ))\$"
  run_ctest "$log" -E "$others" --stop-on-failure
  status=$?
  what=$(first_failed_ctest "$log")
  if [[ -n $what ]]; then
    caught="${what%% *}$(failure_note "${what#* }")"
    if [[ $what != *Timeout* ]] && ! fails_again "$log" "${what%% *}" ""; then
      unconfirmed=$caught
      caught=''
    fi
  elif ((status != 0)); then
    test_error="ctest ended with status $status without naming a failed test"
  fi
}

# ---- the commands ----

list_faults() {
  local i
  for ((i = 0; i < ${#names[@]}; ++i)); do
    printf '%-40s %s\n  %s\n' "${names[i]}" "${files[i]}" "${whats[i]}"
  done
}

check_faults() {
  local i reason stale=0
  for i in "$@"; do
    reason=$(stale_reason "$i")
    if [[ -n $reason ]]; then
      printf '%-40s %s\n' "${names[i]}" "$reason"
      stale=$((stale + 1))
    fi
  done
  echo "$# faults checked, $stale stale"
  ((stale == 0))
}

run_faults() {
  local i n=0 total=$# reason log result bad=0 results=()
  mkdir -p "$logs"
  test_tmpdir=$(mktemp -d /tmp/telepost-faults.XXXXXX) || exit 2
  if [[ -n $baseline ]]; then
    echo "building and testing without any fault..."
    : >"$logs/baseline.log"
    if ! build "$logs/baseline.log"; then
      echo "the build fails without any fault: see $logs/baseline.log" >&2
      exit 2
    fi
    run_tests "$logs/baseline.log" ""
    if [[ -n $caught$unconfirmed$test_error ]]; then
      echo "the tests fail without any fault ($caught$unconfirmed$test_error):" \
        "see $logs/baseline.log" >&2
      exit 2
    fi
  fi
  for i in "$@"; do
    n=$((n + 1))
    log=$logs/${names[i]}.log
    : >"$log"
    printf '[%d/%d] %s: %s\n' $n "$total" "${names[i]}" "${whats[i]}"
    reason=$(stale_reason "$i")
    if [[ -z $reason ]] && ! git diff --quiet HEAD -- "${files[i]}"; then
      reason="skipped: ${files[i]} has changes not committed"
    fi
    if [[ -n $reason ]]; then
      result="STALE - $reason"
    elif ! inject "$i"; then
      result="FAILED - the fault could not be put in"
    elif ! build "$log"; then
      result="BUILD FAILED - see $log"
    else
      run_tests "$log" "${wholes[i]}"
      if [[ -n $test_error ]]; then
        result="ERROR - $test_error: see $log"
      elif [[ -n $caught && -n $whole_note ]]; then
        result="caught by $caught, but ${wholes[i]} did not run to the end: $whole_note"
      elif [[ -n $caught ]]; then
        result="caught by $caught"
      elif [[ -n $unconfirmed ]]; then
        result="UNCONFIRMED - $unconfirmed failed, but passed when run again alone: see $log"
      else
        result="NOT CAUGHT"
      fi
    fi
    restore || exit 1
    [[ $result == caught* && $result != *", but "* ]] || bad=$((bad + 1))
    results+=("$(printf '%-40s %s' "${names[i]}" "$result")")
    echo "  $result"
  done
  echo "building the tree as it is again..."
  : >"$logs/rebuild.log"
  build "$logs/rebuild.log" || echo "the build fails: see $logs/rebuild.log" >&2
  echo
  echo "== summary: $((total - bad)) of $total faults caught"
  printf '%s\n' "${results[@]}"
  ((bad == 0))
}

mode=run baseline=yes
selected=()
while (($#)); do
  case $1 in
    --list) mode=list ;;
    --check) mode=check ;;
    --no-baseline) baseline= ;;
    --timeout)
      [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || usage
      timeout_seconds=$2
      shift
      ;;
    -h | --help) usage ;;
    -*) usage ;;
    *) selected+=("$1") ;;
  esac
  shift
done

read_faults
chosen=()
if ((${#selected[@]} == 0)); then
  chosen=("${!names[@]}")
else
  for name in "${selected[@]}"; do
    found=
    for i in "${!names[@]}"; do
      [[ ${names[i]} == "$name" ]] && found=$i
    done
    if [[ -z $found ]]; then
      echo "no fault named '$name' in $faults_file (--list shows them)" >&2
      exit 2
    fi
    chosen+=("$found")
  done
fi

case $mode in
  list) list_faults ;;
  check) check_faults "${chosen[@]}" ;;
  run) run_faults "${chosen[@]}" ;;
esac
