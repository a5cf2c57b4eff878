# shellcheck shell=bash disable=SC2154  # builds, lib and files come from the script that sources this
# Times two kestrix builds side by side over the files of a library, with
# `cat` of the same files beside them, warm and cold, interleaved: every run
# times, for each output form, the old build, the new build, `cat` and
# `xargs -P N cat`, so that all of them meet the same machine. Sourced by
# scan.sh and library.sh, which set:
#   builds=(OLD NEW)   the two binaries
#   lib                the library folder; files=(...) every file in it
# and then call compare WARM_RUNS COLD_RUNS.
#
# KESTRIX_JOBS lists the thread settings to time each form at: "default"
# (no option) or a number N (`-j N`), e.g. KESTRIX_JOBS="1 default". A
# build that refuses `-j` is timed at "default" only.

forms=(report verify json csv)
declare -A form_args=([report]="--recursive" [verify]="--verify -r" [json]="--json -r"
  [csv]="--csv -r")
read -r -a job_settings <<< "${KESTRIX_JOBS:-default}"
labels=(old new)
# Parallel cat: one process per core, at most 16.
parallel=$(nproc)
((parallel > 16)) && parallel=16

# Sets cmd to the command line of one run: form, thread setting, build
# index; the folder to read comes last.
set_command() {
  local form=$1 jobs=$2 build=$3 args
  read -r -a args <<< "${form_args[$form]}"
  [ "$jobs" = default ] || args=(-j "$jobs" "${args[@]}")
  cmd=("${builds[$build]}" "${args[@]}")
}

# Whether a build takes the options at all: it exits with 2 on a command
# line it refuses, and with 0, 3 or 4 on a file it read.
declare -A accepted
probe_builds() {
  local probe form jobs b status
  probe=$(mktemp -d)
  printf 'not an MP3 file\n' > "$probe/a.mp3"
  for form in "${forms[@]}"; do
    for jobs in "${job_settings[@]}"; do
      for b in 0 1; do
        set_command "$form" "$jobs" "$b"
        status=0
        "${cmd[@]}" "$probe" > /dev/null 2>&1 || status=$?
        [ "$status" -ne 2 ] && accepted[$form/$jobs/$b]=1
      done
    done
  done
  rm -rf "$probe"
}

# Drops the files from the page cache (posix_fadvise DONTNEED, no root
# needed); one process for all files where python3 is there.
evict() {
  if command -v python3 > /dev/null; then
    printf '%s\0' "${files[@]}" | python3 -c '
import os, sys
for path in sys.stdin.buffer.read().split(b"\0")[:-1]:
    fd = os.open(path, os.O_RDONLY)
    os.posix_fadvise(fd, 0, 0, os.POSIX_FADV_DONTNEED)
    os.close(fd)'
  else
    local f
    for f in "${files[@]}"; do
      dd if="$f" iflag=nocache count=0 status=none
    done
  fi
}
warm() { cat "${files[@]}" > /dev/null; }

# Microseconds one command takes, its output to /dev/null. Exit codes 3
# (an error line) and 4 (a bad file) are verdicts, not failures of the run.
elapsed() {
  local start=$EPOCHREALTIME end status=0
  "$@" > /dev/null || status=$?
  end=$EPOCHREALTIME
  if [ "$status" -ne 0 ] && [ "$status" -ne 3 ] && [ "$status" -ne 4 ]; then
    echo "failed with $status: $*" >&2
    return 1
  fi
  echo $((${end/./} - ${start/./}))
}

run_cat() { cat "${files[@]}"; }
run_parallel_cat() {
  printf '%s\0' "${files[@]}" |
    xargs -0 -P "$parallel" -n $(((${#files[@]} + parallel - 1) / parallel)) cat
}

# times[state/key]: the microseconds of every run, space-separated.
declare -A times
# Times the command and adds the figure to KEY.
record() {
  local key=$1 us
  shift
  us=$(elapsed "$@")
  times[$key]+="$us "
}

# RUNS interleaved runs, PREPARE (warm or evict) before every command.
measure() {
  local state=$1 prepare=$2 runs=$3 i form jobs b
  for ((i = 0; i < runs; i++)); do
    for form in "${forms[@]}"; do
      for jobs in "${job_settings[@]}"; do
        for b in 0 1; do
          [ -n "${accepted[$form/$jobs/$b]:-}" ] || continue
          set_command "$form" "$jobs" "$b"
          $prepare
          record "$state/$form/$jobs/$b" "${cmd[@]}" "$lib"
        done
      done
      $prepare
      record "$state/cat" run_cat
      $prepare
      record "$state/pcat" run_parallel_cat
    done
  done
}

# "fastest median" of a list of microseconds.
fastest_and_median() {
  tr ' ' '\n' <<< "$1" | sed '/^$/d' | sort -n |
    awk '{v[NR] = $1} END {print v[1], v[int((NR + 1) / 2)]}'
}

# One table: every build and form against cat and parallel cat.
report_state() {
  local state=$1 runs=$2 cat pcat form jobs b
  read -r -a cat <<< "$(fastest_and_median "${times[$state/cat]}")"
  read -r -a pcat <<< "$(fastest_and_median "${times[$state/pcat]}")"
  printf '\n%s, fastest and median of %d runs: cat %.1f, %.1f ms; xargs -P %d cat %.1f, %.1f ms\n' \
    "$state" "$runs" "$(bc_ms "${cat[0]}")" "$(bc_ms "${cat[1]}")" "$parallel" \
    "$(bc_ms "${pcat[0]}")" "$(bc_ms "${pcat[1]}")"
  printf '%-7s %-8s %-5s %9s %9s %8s %8s %8s %8s %8s\n' form jobs build "fastest" "median" \
    "x cat" "(med)" "x cat-P" "(med)" "files/s"
  for form in "${forms[@]}"; do
    for jobs in "${job_settings[@]}"; do
      for b in 0 1; do
        [ -n "${times[$state/$form/$jobs/$b]:-}" ] || continue
        read -r -a t <<< "$(fastest_and_median "${times[$state/$form/$jobs/$b]}")"
        awk -v f="$form" -v j="$jobs" -v b="${labels[$b]}" -v t0="${t[0]}" -v t1="${t[1]}" \
          -v c0="${cat[0]}" -v c1="${cat[1]}" -v p0="${pcat[0]}" -v p1="${pcat[1]}" \
          -v n="${#files[@]}" 'BEGIN {
            printf "%-7s %-8s %-5s %6.1f ms %6.1f ms %8.2f %8.2f %8.2f %8.2f %8.0f\n",
              f, j, b, t0 / 1000, t1 / 1000, t0 / c0, t1 / c1, t0 / p0, t1 / p1, n / (t1 / 1e6) }'
      done
    done
  done
}
bc_ms() { awk -v us="$1" 'BEGIN {print us / 1000}'; }

# The peak memory of one warm run of every build and form.
report_memory() {
  local form jobs b kb
  printf '\npeak memory, one warm run:\n'
  for form in "${forms[@]}"; do
    for jobs in "${job_settings[@]}"; do
      for b in 0 1; do
        [ -n "${accepted[$form/$jobs/$b]:-}" ] || continue
        set_command "$form" "$jobs" "$b"
        kb=$({ /usr/bin/time -f %M "${cmd[@]}" "$lib" > /dev/null || true; } 2>&1 | tail -1)
        printf '%-7s %-8s %-5s %6.1f MB\n' "$form" "$jobs" "${labels[$b]}" \
          "$(awk -v kb="$kb" 'BEGIN {print kb / 1000}')"
      done
    done
  done
}

compare() {
  local warm_runs=$1 cold_runs=$2 b
  echo "machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
  for b in 0 1; do
    echo "${labels[$b]}: ${builds[$b]}"
    # The verdict counts, so a library that is not what it should be shows.
    echo "  verdicts: $({ "${builds[$b]}" --utf8 --verify -r "$lib" || true; } | tail -1)"
  done
  probe_builds
  warm
  measure warm warm "$warm_runs"
  if ((cold_runs > 0)); then
    measure cold evict "$cold_runs"
  fi
  report_state warm "$warm_runs"
  if ((cold_runs > 0)); then
    report_state cold "$cold_runs"
  fi
  warm
  report_memory
  echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
}
