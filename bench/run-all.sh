#!/usr/bin/env bash
# Runs every benchmark and prints their figures as one table.
#
#   bench/run-all.sh [--small | --full] [--build-dir DIR]
#
#   --small  (the default) each benchmark at a size that takes seconds: this only shows that every benchmark
#            runs and prints its figures, and the test command runs it so
#   --full   each benchmark at the size its figures are quoted for (minutes; run it by hand on a quiet machine)
#
# A benchmark that fails, or prints no figure, makes the script fail after the table.
set -uo pipefail

size=small
build_dir="$(cd "$(dirname "$0")/.." && pwd)/build"
while (($# > 0)); do
    case "$1" in
    --small) size=small ;;
    --full) size=full ;;
    --build-dir)
        build_dir="${2:?--build-dir needs a folder}"
        shift
        ;;
    -h | --help)
        sed -n '2,9s/^# \{0,1\}//p' "$0"
        exit 0
        ;;
    *)
        echo "run-all.sh: unknown argument \"$1\" (try --help)" >&2
        exit 64
        ;;
    esac
    shift
done
bench_dir="$build_dir/bench"
if [[ ! -d "$bench_dir" ]]; then
    echo "run-all.sh: no benchmarks in $bench_dir; build first (./scripts/build.sh)" >&2
    exit 1
fi
export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"

# Each run: a name for the table, then the program and its arguments at each size.
small_runs=(
    "x12 report|x12_bench report 5"
    "x12 listing|x12_bench listing 500"
    "x12 listing of one file|x12_bench listing-large 5"
    "x12 identification|x12_bench identify 500"
    "IBR|bench_availity_ibr 2 300"
    "archive run|archive_bench 100 2000 100"
    "folder listing|listing_bench 1000"
    "report list|report_list_bench 1000"
    "view|view_bench --pages 20"
)
full_runs=(
    "x12 report|x12_bench report 100"
    "x12 listing|x12_bench listing 10000"
    "x12 listing of one file|x12_bench listing-large 108"
    "x12 identification|x12_bench identify 10000"
    "IBR|bench_availity_ibr 100 10000"
    "archive run|archive_bench"
    "folder listing|listing_bench 20000"
    "report list|report_list_bench 20000"
    "view|view_bench"
)
if [[ "$size" == full ]]; then
    runs=("${full_runs[@]}")
else
    runs=("${small_runs[@]}")
fi

table=()
failed=()
errors="$(mktemp)"
trap 'rm -f "$errors"' EXIT
started=$SECONDS
for run in "${runs[@]}"; do
    name="${run%%|*}"
    read -r -a command <<<"${run#*|}"
    program="$bench_dir/${command[0]}"
    echo "== $name: ${command[*]}" >&2
    output="$("$program" "${command[@]:1}" 2>"$errors")"
    status=$?
    if ((status != 0)); then
        failed+=("$name (exit status $status: $(tail -n 1 "$errors"))")
        continue
    fi
    figures=0
    while IFS= read -r line; do
        # A figure line: what, value and unit, "baseline", its value and unit, "ratio", the ratio.
        if [[ "$line" =~ ^[[:space:]]*(.*[^[:space:]])[[:space:]]+([0-9.]+)[[:space:]]+([^[:space:]]+)[[:space:]]+baseline[[:space:]]+([0-9.]+)[[:space:]]+(.*[^[:space:]])[[:space:]]+ratio[[:space:]]+([0-9.]+)$ ]]; then
            table+=("$(printf '%-24s %-56s %12s %-8s %12s %-14s %8s' "$name" "${BASH_REMATCH[1]}" \
                "${BASH_REMATCH[2]}" "${BASH_REMATCH[3]}" "${BASH_REMATCH[4]}" "${BASH_REMATCH[5]}" \
                "${BASH_REMATCH[6]}")")
            figures=$((figures + 1))
        elif [[ "$line" =~ ^[[:space:]]*(peak resident memory.*[^[:space:]])[[:space:]]+([0-9.]+)[[:space:]]+MiB$ ]]; then
            table+=("$(printf '%-24s %-56s %12s %-8s' "$name" "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}" MiB)")
        fi
    done <<<"$output"
    if ((figures == 0)); then
        failed+=("$name (printed no figure)")
    fi
done

printf '%-24s %-56s %12s %-8s %12s %-14s %8s\n' benchmark figure value unit baseline "" ratio
printf '%s\n' "${table[@]}"
echo "($size size, $((SECONDS - started)) s)"
if ((${#failed[@]} > 0)); then
    printf 'failed: %s\n' "${failed[@]}" >&2
    exit 1
fi
