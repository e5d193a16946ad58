# Whole-process timing shared by the bench scripts (sourced, not run). The
# script that sources it sets `runs`, the number of timed runs of a command.

# The wall times of every name, in seconds, separated by spaces.
declare -A times
# Names whose command times itself and prints the seconds, which are taken
# instead of the wall time (the window leaves its start-up out).
declare -A self_timed=()

# seconds NAME COMMAND...: the time of one run, appended to the list of NAME.
seconds() {
  local name=$1
  shift
  local start=$EPOCHREALTIME printed
  if [ -n "${self_timed[$name]:-}" ]; then
    printed=$("$@" 2>/dev/null) || true
    [[ $printed =~ ^[0-9.]+$ ]] || { echo "${0##*/}: $name printed no time: $printed" >&2; exit 1; }
    times[$name]+="$printed "
    return
  fi
  "$@" >/dev/null 2>&1 || true
  local end=$EPOCHREALTIME
  times[$name]+="$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f", b - a }') "
}

median() {
  tr ' ' '\n' <<<"${times[$1]}" | grep -v '^$' | sort -g |
    awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# alternate NAME=COMMAND ...: one warm-up run of each, then RUNS rounds in which every command runs once.
alternate() {
  local entry
  for entry in "$@"; do eval "${entry#*=}" >/dev/null 2>&1 || true; done
  for ((round = 0; round < runs; ++round)); do
    for entry in "$@"; do eval "seconds ${entry%%=*} ${entry#*=}"; done
  done
}

# peak COMMAND...: the largest resident set of RUNS runs, in kilobytes.
peak() {
  local most=0 kb round
  for ((round = 0; round < runs; ++round)); do
    kb=$(/usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -1)
    [ "$kb" -gt "$most" ] && most=$kb
  done
  echo "$most"
}

# figure LABEL NUMERATOR DENOMINATOR LIMIT: a ratio of two medians, the label
# padded to figure_width; a ratio over the limit sets status to 1.
figure_width=42
figure() {
  local label=$1 a=$2 b=$3 limit=$4
  awk -v label="$label" -v width="$figure_width" -v a="$a" -v b="$b" -v ma="$(median "$a")" -v mb="$(median "$b")" \
    -v limit="$limit" 'BEGIN {
    ratio = ma / mb
    printf "%-" width "s %5.2f  (target <= %-4s) %s  median %s %.1f ms / %s %.1f ms\n", label, ratio, limit,
           ratio <= limit ? "ok  " : "MISS", a, ma * 1000, b, mb * 1000
    exit ratio <= limit ? 0 : 1 }' || status=1
}
