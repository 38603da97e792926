#!/usr/bin/env bash
# A short, bounded fuzzing pass: two million inputs for the number rules, then a few seconds
# each for the rule-file reader, the reading of phone-number files and the CSV column pass.
# Below builds and tests in priority, since it runs beside them.
#   tests/fuzz/pass.sh BUILD_FOLDER
set -euo pipefail
targets="$1/tests/fuzz"
nice -n 10 "$targets/apply_digit_pattern_fuzz" -runs=2000000 -max_len=96 -seed=1 \
  -print_final_stats=0
for target in rule_file_fuzz text_lines_fuzz csv_column_fuzz; do
  nice -n 10 "$targets/$target" -runs=300000 -max_total_time=5 -max_len=256 -seed=1 \
    -print_final_stats=0
done
