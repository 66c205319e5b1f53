#!/usr/bin/env bash
# scripts/results on copies: several reports of one machine become one pooled
# row, a machine of one report keeps its own, and only the table between the
# README's markers changes.
#   results_script_test.sh SOURCE_DIR CALLBENCH_REPORT
set -euo pipefail
source_dir=$1
tool=$2
command -v jq >/dev/null || { echo "jq is missing" >&2; exit 77; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/scripts" "$work/docs/results"
cp "$source_dir/scripts/results" "$work/scripts/"
printf 'before\n<!-- results:start -->\nold table\n<!-- results:end -->\nafter\n' > "$work/README.md"

# The EPYC's 40 runs as three reports (13, 13 and 14 runs), as if made at three times.
epyc=$source_dir/docs/results/amd-epyc-kvm-2026-12-09.json
for part in "0 13" "13 26" "26 40"; do
  read -r from to <<<"$part"
  jq --argjson from "$from" --argjson to "$to" '.series[0].runs |= .[$from:$to]' "$epyc" > "$work/docs/results/epyc-$from.json"
done
cp "$source_dir/docs/results/intel-xeon-kvm-2026-12-09.json" "$work/docs/results/"

fail() { echo "results_script_test: $*" >&2; cat "$work/README.md" >&2; exit 1; }
"$work/scripts/results" "$tool" > "$work/said.txt"
grep -qx 'scripts/results: 4 reports of 2 machines in the README'"'"'s table' "$work/said.txt" || fail "$(cat "$work/said.txt")"
[ "$(head -n 2 "$work/README.md")" = "$(printf 'before\n<!-- results:start -->')" ] || fail "the text before the table changed"
[ "$(tail -n 2 "$work/README.md")" = "$(printf '<!-- results:end -->\nafter')" ] || fail "the text after the table changed"
grep -q '^| Machine | Processor | Reports | Runs | ' "$work/README.md" || fail "no header"
[ "$(grep -c '^| [AI]' "$work/README.md")" = 2 ] || fail "not one row per machine"
# The pooled row: three reports, every run, figures with intervals and verdicts.
row=$(grep '^| AMD EPYC (KVM), 2 cores | AMD EPYC | 3 | 40 | ' "$work/README.md") || fail "no pooled EPYC row"
cells=$(awk -F ' [|] ' '{ print NF }' <<<"$row")
[ "$cells" = 11 ] || fail "the EPYC row has $cells cells"
grep -Eq '\| [0-9]+\.[0-9]{2} \[[0-9]+\.[0-9]{2}, [0-9]+\.[0-9]{2}\] (slower|faster|equivalent|inconclusive) \|$' <<<"$row" ||
  fail "the EPYC row's last ratio is not an interval and a verdict"
grep -q '^| Intel Xeon (KVM guest, TSC 2.6 GHz), Linux | Intel(R) Xeon(R) Processor | 1 | 40 | 29814 \[29778, 29850\] | ' \
  "$work/README.md" || fail "the Xeon's own figures are not kept"
# Again: the same table.
cp "$work/README.md" "$work/first.md"
"$work/scripts/results" "$tool" > /dev/null
cmp -s "$work/README.md" "$work/first.md" || fail "a second run changed the table"
echo "results_script_test: pooled rows as expected"
