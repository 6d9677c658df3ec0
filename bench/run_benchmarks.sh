#!/usr/bin/env bash
# Runs the benchmarks of docs/PERFORMANCE.md (`make bench` builds the two
# trees first, then runs this script):
#
#   kernels   the Google Benchmark kernels, fast against reference, with a
#             table of the medians and the ratios
#   runs      the whole program, fast and reference builds, on a generated
#             series and on the real networks in $DATA when present: wall
#             time, pivot passes, time per pass, peak resident memory, the
#             ratio reference/fast, and whether the outputs are identical
#   capacity  (opt-in) N = 1000 zones, L = 5000 links: peak memory and time
#             per pass over the first passes, fast and reference
#
# Variables (all optional):
#   BENCH_PARTS         parts to run (default "kernels runs"; add "capacity")
#   BENCH_QUICK=1       skip the real networks larger than siouxfalls
#   BENCH_LONG=1        run chicagosketch to the end (~30-40 min) instead of
#                       for LONG_LIMIT seconds
#   BENCH_CAPACITY=1    the same as adding "capacity" to BENCH_PARTS
#   REF_LIMIT=120       seconds a reference run may take; a run cut there is
#                       compared per pass and on the console it printed
#   FAST_LIMIT=900      seconds a fast run may take (0: no limit)
#   LONG_LIMIT=120      seconds of the bounded chicagosketch fast run
#   SERIES="25 50 100 200 400"   zone counts of the generated series (L ~ 3N;
#                       empty: none)
#   SEED=1              seed of the generated networks
#   KERNEL_REPETITIONS=3, KERNEL_MIN_TIME=0.5 (seconds per repetition),
#   KERNEL_FILTER=.     (a --benchmark_filter regular expression)
#   CAPACITY_LIMIT=300, CAPACITY_REF_LIMIT=900   bounds of the capacity runs
#   FAST_BUILD, REF_BUILD  build trees (default build-bench, build-bench-ref)
#   FAST_BIN, REF_BIN, GENERATE, KERNELS   the programs, if elsewhere
#   DATA                a directory of real networks, one subdirectory each
#                       holding base.txt, abstract.txt and flows.txt
#                       (skipped when unset or absent)
#   NETWORKS="siouxfalls siouxfalls-sub anaheim barcelona chicagosketch winnipeg"
#                       the real networks to run, in this order (empty: none)
#   OUT                 working directory (default $FAST_BUILD/bench-runs)
set -u -o pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
FAST_BUILD=${FAST_BUILD:-$ROOT/build-bench}
REF_BUILD=${REF_BUILD:-$ROOT/build-bench-ref}
FAST_BIN=${FAST_BIN:-$FAST_BUILD/veldmark}
REF_BIN=${REF_BIN:-$REF_BUILD/veldmark}
GENERATE=${GENERATE:-$FAST_BUILD/bench/veldmark_generate}
KERNELS=${KERNELS:-$FAST_BUILD/bench/veldmark_kernels_bench}
DATA=${DATA:-}
NETWORKS=${NETWORKS-siouxfalls siouxfalls-sub anaheim barcelona chicagosketch winnipeg}
OUT=${OUT:-$FAST_BUILD/bench-runs}
BENCH_PARTS=${BENCH_PARTS:-kernels runs}
BENCH_QUICK=${BENCH_QUICK:-0}
BENCH_LONG=${BENCH_LONG:-0}
BENCH_CAPACITY=${BENCH_CAPACITY:-0}
REF_LIMIT=${REF_LIMIT:-120}
FAST_LIMIT=${FAST_LIMIT:-900}
LONG_LIMIT=${LONG_LIMIT:-120}
SERIES=${SERIES-25 50 100 200 400}
SEED=${SEED:-1}
KERNEL_REPETITIONS=${KERNEL_REPETITIONS:-3}
KERNEL_MIN_TIME=${KERNEL_MIN_TIME:-0.5}
KERNEL_FILTER=${KERNEL_FILTER:-.}
CAPACITY_LIMIT=${CAPACITY_LIMIT:-300}
CAPACITY_REF_LIMIT=${CAPACITY_REF_LIMIT:-900}
TIME=/usr/bin/time

[ "$BENCH_CAPACITY" = 1 ] && BENCH_PARTS="$BENCH_PARTS capacity"

die() {
  echo "run_benchmarks.sh: $*" >&2
  exit 1
}

wants() {
  case " $BENCH_PARTS " in *" $1 "*) return 0 ;; esac
  return 1
}

[ -x "$TIME" ] || die "$TIME (GNU time) is needed for the peak memory"
mkdir -p "$OUT" || die "cannot create $OUT"

# --- The machine and the sources ---------------------------------------------

header() {
  echo "== Veldmark benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC')"
  echo "machine: $(lscpu | sed -n 's/^Model name: *//p' | head -1)," \
    "$(nproc) cores, $(free -m | awk '/^Mem:/ {print $2}') MiB memory"
  if [ "$(git -C "$ROOT" rev-parse --show-toplevel 2>/dev/null)" = "$ROOT" ]; then
    local commit dirty
    commit=$(git -C "$ROOT" rev-parse --short HEAD)
    dirty=$(git -C "$ROOT" status --porcelain -- src include CMakeLists.txt | wc -l)
    echo "sources: $ROOT, commit $commit, $dirty changed file(s) under src/ include/" \
      "CMakeLists.txt"
  else
    echo "sources: $ROOT (not a git checkout)"
  fi
  echo "fast: $FAST_BIN"
  echo "reference: $REF_BIN"
  echo "load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
  echo
}

# --- Kernel benchmarks -------------------------------------------------------

run_kernels() {
  [ -x "$KERNELS" ] || die "$KERNELS not built (is Google Benchmark installed?)"
  echo "== Kernel benchmarks ($KERNEL_REPETITIONS repetitions, single-threaded)"
  local csv=$OUT/kernels.csv
  "$KERNELS" --benchmark_repetitions="$KERNEL_REPETITIONS" \
    --benchmark_min_time="$KERNEL_MIN_TIME" --benchmark_filter="$KERNEL_FILTER" \
    --benchmark_report_aggregates_only=true \
    --benchmark_out="$csv" --benchmark_out_format=csv || die "kernel benchmarks failed"
  echo
  echo "-- Medians (wall and CPU time per call) and the ratio reference/fast"
  # The CSV starts after Google Benchmark's context lines, at the "name" header.
  awk -F, '
    /^name,/ { table = 1; next }
    !table { next }
    {
      name = $1; gsub(/"/, "", name)
      if (name !~ /_median$/) next
      sub(/_median$/, "", name)
      split(name, part, "/")
      kernel = part[1]; size = part[2]
      sub(/^BM_/, "", kernel)
      kind = kernel ~ /Reference$/ ? "ref" : "fast"
      sub(/(Reference|Fast)$/, "", kernel)
      key = kernel "/" size
      if (!(key in seen)) { seen[key] = 1; order[++count] = key }
      real[key, kind] = $3; cpu[key, kind] = $4; unit[key] = $5
    }
    END {
      printf "%-22s %6s %14s %14s %14s %14s %9s %9s\n", "kernel/size", "unit", \
        "ref wall", "ref cpu", "fast wall", "fast cpu", "wall x", "cpu x"
      for (i = 1; i <= count; ++i) {
        key = order[i]
        if ((key, "ref") in real) {
          printf "%-22s %6s %14.4f %14.4f %14.4f %14.4f %9.1f %9.1f\n", key, unit[key], \
            real[key, "ref"], cpu[key, "ref"], real[key, "fast"], cpu[key, "fast"], \
            real[key, "ref"] / real[key, "fast"], cpu[key, "ref"] / cpu[key, "fast"]
        } else {
          printf "%-22s %6s %14s %14s %14.4f %14.4f %9s %9s\n", key, unit[key], \
            "not run", "-", real[key, "fast"], cpu[key, "fast"], "-", "-"
        }
      }
    }' "$csv"
  echo
}

# --- Whole-program runs ------------------------------------------------------

# Pivot passes: the dots after "Pivot move over the linear space " (a pass
# prints its dot when it starts).
count_passes() {
  awk '{ sub(/^   Pivot move over the linear space /, "")
         if (match($0, /^\.+/)) n += RLENGTH }
       END { print n + 0 }' "$1"
}

# The console with the clock digits masked.
mask_console() {
  sed -E 's/^(   Clock\t\t)[0-9]+( : )/\1#\2/; s/^(   CPU time elapsed: )[0-9]+( sec)$/\1#\2/' "$1"
}

# Copies standard input to standard output unchanged and appends to file $1
# the time (seconds since the epoch) at which each pass dot arrived: a dot
# right after "   Pivot move over the linear space " or after other such
# dots, or at the start of a line (as count_passes counts them). The program
# flushes every dot, so the times are those of the pass starts.
stamp_dots() {
  local c line="" dots=1
  local prefix="   Pivot move over the linear space "
  while IFS= read -r -N 1 c; do
    printf '%s' "$c"
    if [ "$c" = $'\n' ]; then
      line="" dots=1
    elif [ "$dots" = 1 ] && [ "$c" = . ]; then
      echo "$EPOCHREALTIME" >> "$1"
    else
      dots=0
      if [ ${#line} -lt ${#prefix} ]; then
        line+=$c
        [ "$line" = "$prefix" ] && dots=1
      fi
    fi
  done
}

# run_program TAG BIN LIMIT DIR [stamp]: runs BIN on DIR's three files in
# $WORK, bounded by LIMIT seconds (0: none); with "stamp" the pass starts are
# timed as they arrive. Sets R_RC, R_CUT (1 when the limit stopped the run),
# R_WALL and R_CPU (user + system) in seconds, R_KB (peak resident set, KiB),
# R_PASSES (passes started), R_PP (wall ms per pass), R_BOUND (1 when R_PP is
# only a lower bound) and R_LOAD (the 1-minute load average at the start).
#
# R_PP is the whole wall time over the passes for a complete run (reading,
# line searches and writing included), and for a cut run the time from the
# first to the last pass start over the passes between them; with a single
# pass started, the time since its start (a lower bound).
run_program() {
  local tag=$1 bin=$2 limit=$3 dir=$4 stamp=${5:-}
  rm -f "$WORK/$tag".*
  R_LOAD=$(cut -d' ' -f1 /proc/loadavg)
  local start end
  start=$(date +%s%N)
  if [ "$stamp" = stamp ]; then
    (
      cd "$WORK" || exit 2
      "$TIME" -f '%M %U %S' -o "$tag.time" timeout "$limit" "$bin" \
        "$dir/base.txt" "$dir/abstract.txt" "$dir/flows.txt" "$tag.trips" 2> "$tag.stderr" |
        stamp_dots "$tag.stamps" > "$tag.console"
      exit "${PIPESTATUS[0]}"
    )
  else
    (cd "$WORK" && "$TIME" -f '%M %U %S' -o "$tag.time" timeout "$limit" "$bin" \
      "$dir/base.txt" "$dir/abstract.txt" "$dir/flows.txt" "$tag.trips" \
      > "$tag.console" 2> "$tag.stderr")
  fi
  R_RC=$?
  end=$(date +%s%N)
  R_WALL=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')
  local stats
  stats=$(tail -n 1 "$WORK/$tag.time")
  R_KB=$(echo "$stats" | awk '{ print $1 }')
  R_CPU=$(echo "$stats" | awk '{ printf "%.2f", $2 + $3 }')
  R_PASSES=$(count_passes "$WORK/$tag.console")
  R_CUT=0
  [ "$R_RC" = 124 ] && R_CUT=1
  R_BOUND=0
  if [ "$R_CUT" = 1 ] && [ -s "$WORK/$tag.stamps" ]; then
    R_PP=$(awk -v end="$end" '{ t[NR] = $1 }
      END { if (NR >= 2) printf "%.3f", 1000 * (t[NR] - t[1]) / (NR - 1)
            else printf "%.3f", 1000 * (end / 1e9 - t[1]) }' "$WORK/$tag.stamps")
    [ "$(wc -l < "$WORK/$tag.stamps")" -lt 2 ] && R_BOUND=1
  else
    R_PP=$(per_pass_ms "$R_WALL" "$R_PASSES")
  fi
  mask_console "$WORK/$tag.console" > "$WORK/$tag.masked"
}

per_pass_ms() { # SECONDS PASSES
  awk -v w="$1" -v p="$2" 'BEGIN { if (p > 0) printf "%.3f", 1000 * w / p; else print "-" }'
}

ratio() { # A B: A / B with one decimal, "-" when either is missing
  awk -v a="$1" -v b="$2" 'BEGIN { if (a != "-" && b != "-" && b + 0 > 0) printf "%.1f", a / b
                                   else print "-" }'
}

ROWS=()

# run_state RC CUT LIMIT EXPECTED_RC: how a run ended, for the tables.
run_state() {
  if [ "$2" = 1 ]; then
    echo "cut at ${3}s"
  elif [ "$1" != "$4" ]; then
    echo "EXIT $1 (expected $4)"
  elif [ "$1" = 0 ]; then
    echo complete
  else
    echo "exit $1"
  fi
}

# compare_outputs FAST_CUT REF_CUT FAST_RC REF_RC: sets C_TRIPS and
# C_CONSOLE. Two complete runs: the trip table files, and the masked console,
# standard error and exit code. Otherwise the console both printed (the
# shorter one against the start of the longer).
compare_outputs() {
  if [ "$1" = 0 ] && [ "$2" = 0 ]; then
    if [ -f "$WORK/fast.trips" ] || [ -f "$WORK/ref.trips" ]; then
      cmp -s "$WORK/fast.trips" "$WORK/ref.trips" && C_TRIPS=yes || C_TRIPS=NO
    else
      C_TRIPS="none written"
    fi
    if cmp -s "$WORK/fast.masked" "$WORK/ref.masked" &&
      cmp -s "$WORK/fast.stderr" "$WORK/ref.stderr" && [ "$3" = "$4" ]; then
      C_CONSOLE=yes
    else
      C_CONSOLE=NO
    fi
  else
    local f_size r_size n
    f_size=$(stat -c %s "$WORK/fast.masked")
    r_size=$(stat -c %s "$WORK/ref.masked")
    n=$((f_size < r_size ? f_size : r_size))
    C_TRIPS="not compared"
    if cmp -s -n "$n" "$WORK/fast.masked" "$WORK/ref.masked"; then
      C_CONSOLE="prefix yes ($n bytes)"
    else
      C_CONSOLE="prefix NO"
    fi
  fi
}

network_size() { # DIR: "N L" of the abstract network
  awk 'NR > 8 { seen[$1]; seen[$2]; ++links } END { print length(seen), links + 0 }' \
    "$1/abstract.txt"
}

# run_case NAME DIR FAST_LIMIT [EXPECTED_RC]
run_case() {
  local name=$1 dir=$2 fast_limit=$3 expected=${4:-0}
  WORK=$OUT/runs/$name
  mkdir -p "$WORK"
  local zones links
  read -r zones links <<< "$(network_size "$dir")"
  echo "-- $name (N=$zones, L=$links)"

  run_program fast "$FAST_BIN" "$fast_limit" "$dir"
  local f_rc=$R_RC f_wall=$R_WALL f_cpu=$R_CPU f_kb=$R_KB f_passes=$R_PASSES f_cut=$R_CUT
  local f_pp=$R_PP f_load=$R_LOAD
  run_program ref "$REF_BIN" "$REF_LIMIT" "$dir" stamp
  local r_rc=$R_RC r_wall=$R_WALL r_cpu=$R_CPU r_kb=$R_KB r_passes=$R_PASSES r_cut=$R_CUT
  local r_pp=$R_PP r_bound=$R_BOUND r_load=$R_LOAD

  # CPU per pass: CPU time over the passes started. For a cut reference run
  # that is a lower bound (the last pass is unfinished), and so is the ratio.
  local f_cpp r_cpp wall_ratio cpu_ratio whole=- mark="" cpu_mark=""
  f_cpp=$(per_pass_ms "$f_cpu" "$f_passes")
  r_cpp=$(per_pass_ms "$r_cpu" "$r_passes")
  [ "$r_bound" = 1 ] && mark=">="
  [ "$r_cut" = 1 ] && cpu_mark=">="
  wall_ratio=$mark$(ratio "$r_pp" "$f_pp")
  cpu_ratio=$cpu_mark$(ratio "$r_cpp" "$f_cpp")
  r_cpp=$cpu_mark$r_cpp
  [ "$f_cut" = 0 ] && [ "$r_cut" = 0 ] && whole=$(ratio "$r_wall" "$f_wall")
  compare_outputs "$f_cut" "$r_cut" "$f_rc" "$r_rc"

  local f_state r_state
  f_state=$(run_state "$f_rc" "$f_cut" "$fast_limit" "$expected")
  r_state=$(run_state "$r_rc" "$r_cut" "$REF_LIMIT" "$expected")
  echo "   fast: $f_state, $f_passes passes, wall $f_wall s, cpu $f_cpu s," \
    "$f_pp ms/pass (cpu $f_cpp), peak $((f_kb / 1024)) MiB, load $f_load"
  echo "   ref:  $r_state, $r_passes passes, wall $r_wall s, cpu $r_cpu s," \
    "$mark$r_pp ms/pass (cpu $r_cpp), peak $((r_kb / 1024)) MiB, load $r_load"
  echo "   ref/fast per pass: wall $wall_ratio, cpu $cpu_ratio; whole run: $whole;" \
    "trip table identical: $C_TRIPS; console identical: $C_CONSOLE"
  [ "$expected" != 0 ] && echo "   fast stderr: $(head -c 300 "$WORK/fast.stderr")"
  ROWS+=("$name	$zones	$links	$f_state	$f_passes	$f_wall	$f_pp	$f_cpp	$((f_kb / 1024))	$r_state	$r_passes	$r_wall	$mark$r_pp	$r_cpp	$((r_kb / 1024))	$wall_ratio	$cpu_ratio	$whole	$C_TRIPS	$C_CONSOLE")
}

print_summary() {
  local tsv=$OUT/runs.tsv
  {
    echo "case	N	L	fast	passes	wall_s	ms/pass	cpu_ms/pass	peak_MiB	ref	ref_passes	ref_wall_s	ref_ms/pass	ref_cpu_ms/pass	ref_peak_MiB	ratio/pass	cpu_ratio/pass	whole_ratio	trips_identical	console_identical"
    printf '%s\n' "${ROWS[@]}"
  } > "$tsv"
  echo
  echo "-- Summary (also in $tsv)"
  column -t -s '	' "$tsv"
  echo
}

run_runs() {
  [ -x "$FAST_BIN" ] || die "$FAST_BIN not built"
  [ -x "$REF_BIN" ] || die "$REF_BIN not built"
  [ -x "$GENERATE" ] || die "$GENERATE not built"
  echo "== Whole runs (reference bounded to ${REF_LIMIT}s, fast to ${FAST_LIMIT}s; 0 = none)"
  local n
  for n in $SERIES; do
    local dir=$OUT/networks/grid-$n
    mkdir -p "$dir"
    "$GENERATE" "$dir" "$n" "$SEED" || die "veldmark_generate $n failed"
    run_case "grid-$n" "$dir" "$FAST_LIMIT"
  done
  if [ -n "$DATA" ] && [ -d "$DATA" ]; then
    local name
    for name in $NETWORKS; do
      [ -f "$DATA/$name/abstract.txt" ] || continue
      case $name in
        siouxfalls | siouxfalls-sub) ;;
        *) [ "$BENCH_QUICK" = 1 ] && continue ;;
      esac
      case $name in
        chicagosketch)
          if [ "$BENCH_LONG" = 1 ]; then
            run_case "$name" "$DATA/$name" 0
          else
            run_case "$name" "$DATA/$name" "$LONG_LIMIT"
          fi
          ;;
        winnipeg) run_case "$name" "$DATA/$name" "$FAST_LIMIT" 1 ;;
        *) run_case "$name" "$DATA/$name" "$FAST_LIMIT" ;;
      esac
    done
  else
    echo "-- DATA ${DATA:-unset}: real networks skipped"
  fi
  print_summary
}

# --- Memory at the capacity --------------------------------------------------

# A grid of 1000 zones holds at most 3872 links; 1128 parallel links bring
# the abstract network to the 5000-link capacity.
run_capacity() {
  echo "== Capacity: N = 1000, L = 5000 (fast bounded to ${CAPACITY_LIMIT}s," \
    "reference to ${CAPACITY_REF_LIMIT}s)"
  local dir=$OUT/networks/capacity
  mkdir -p "$dir"
  "$GENERATE" "$dir" 1000 "$SEED" --links-per-zone 5 --parallel 1128 ||
    die "veldmark_generate (capacity) failed"
  WORK=$OUT/runs/capacity
  mkdir -p "$WORK"
  local zones links
  read -r zones links <<< "$(network_size "$dir")"
  echo "   generated: N=$zones, L=$links"
  local tag bin limit state mark
  for tag in fast ref; do
    if [ $tag = fast ]; then
      bin=$FAST_BIN limit=$CAPACITY_LIMIT
    else
      bin=$REF_BIN limit=$CAPACITY_REF_LIMIT
    fi
    run_program "$tag" "$bin" "$limit" "$dir" stamp
    state=$(run_state "$R_RC" "$R_CUT" "$limit" 0)
    mark=""
    [ "$R_BOUND" = 1 ] && mark=">="
    echo "   $tag: $state, $R_PASSES passes started, wall $R_WALL s, cpu $R_CPU s," \
      "$mark$R_PP ms/pass (cpu $(per_pass_ms "$R_CPU" "$R_PASSES") over the passes started)," \
      "peak $((R_KB / 1024)) MiB ($R_KB KiB), load $R_LOAD"
  done
  compare_outputs 1 1 0 0
  echo "   console identical: $C_CONSOLE"
  echo
}

header
wants kernels && run_kernels
wants runs && run_runs
wants capacity && run_capacity
echo "load average at end: $(cut -d' ' -f1-3 /proc/loadavg)"
