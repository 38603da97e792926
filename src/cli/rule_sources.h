#pragma once

#include "cli/format_options.h"
#include "core/number_format.h"

#include <optional>
#include <vector>

// The rules of the command line in the order given: --rule texts, and rule files read whole
// from a regular file or as a stream (a pipe, a FIFO, <(...), /dev/stdin, or - for standard
// input). Skipped rule-file lines are reported with their numbers. A rule that can never fit
// (a length that is not a number, too large, zero or below) is refused, naming where it came
// from (--rule 3, rules.txt:7).
struct ReadRulesOutcome {
    std::vector<RuleText> rules;
    int exitStatus = 0;  // 1: a rule file could not be read; 2: a rule can never fit
};

ReadRulesOutcome ReadCommandLineRules(const FormatOptions& options, bool (*keepGoing)());
