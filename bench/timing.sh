# Shared by the benchmark scripts: a command's wall time (its output kept in $work/out), and a median.
seconds() {
  local s e
  s=$(date +%s.%N)
  "$@" >"$work/out" 2>/dev/null </dev/null
  e=$(date +%s.%N)
  awk -v s="$s" -v e="$e" 'BEGIN { printf "%.3f", e - s }'
}
median() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }
