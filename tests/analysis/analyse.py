#!/usr/bin/env python3
"""clang-tidy over the product code, the tests and the benchmarks, and clazy's Qt checks over the
product code; prints every finding and fails when there is one.

Most of a checker's time goes into reading Qt's and the standard library's headers and walking
what they declare, once per file it is given. So the files are checked in batches: one generated
file includes about two dozen of ours, and the libraries' headers are read once for all of them. Our own
files then count as headers of the batch, which the header filters of both tools let through. A
batch that does not compile as one (two files that both define the same helper) is split until
each part does, so a clash never hides a file. Programs' entries (main, the fuzzing targets'
entry) are renamed within a batch, so that several programs share one.

usage: analyse.py ROOT JOBS COMPILE_COMMANDS.json...
(ANALYSE_TRACE=1 prints each run of a checker, its size and its time.)
"""
import concurrent.futures
import itertools
import json
import os
import re
import shlex
import subprocess
import sys
import time

BATCH = 24
CLAZY_CHECKS = "level0,level1,qstring-allocations,reserve-candidates"
# A program's entry, which every program has under the same name: renamed in a batch.
ENTRIES = ("main", "LLVMFuzzerTestOneInput")
ENTRY = re.compile(r"^(int main\(|BENCHMARK_MAIN\(|extern \"C\" int LLVMFuzzerTestOneInput\()",
                   re.MULTILINE)
FINDING = re.compile(r"^(/[^:]+):(\d+):(\d+): (warning|error): (.*)$")


# Flags that change only the code a compiler makes, or its warnings, not what a checker reads;
# NDEBUG and QT_NO_DEBUG go too, so that assertions are read in every file.
IGNORED = re.compile(r"^(-O.*|-g.*|-f(no-)?sanitize.*|-fno-omit-frame-pointer|-fPIC|-Werror|"
                     r"-Winvalid-pch|-DNDEBUG|-DQT_NO_DEBUG)$")


def compile_arguments(entry):
    """The flags that matter to a checker, without the output, the file itself and the
    precompiled header (gcc's .gch files are not clang's); our own headers forced into that
    header (the tests' printers) stay forced in."""
    words = iter(entry["arguments"] if "arguments" in entry else shlex.split(entry["command"]))
    next(words)  # the compiler
    kept = []
    for word in words:
        if word == "-Xclang":  # clang's precompiled header comes in -Xclang pairs
            word = next(words)
            if word not in ("-include", "-include-pch"):
                kept += ["-Xclang", word]
                continue
            next(words)  # the -Xclang before its path
        if word == "-o":
            next(words)
        elif word == "-include-pch":
            next(words)
        elif word == "-include":
            included = next(words)
            if included.endswith(("cmake_pch.hxx", "cmake_pch.hxx.cxx")):
                for ours in re.findall(r'#include "(.*)"', open(included).read()):
                    kept += ["-include", ours]
            else:
                kept += ["-include", included]
        elif word in ("-c", entry["file"]) or IGNORED.match(word):
            continue
        else:
            kept.append(word)
    return kept


def groups_of(root, databases):
    """Files that can share a batch: the same forced includes and language flags. Their include
    folders and definitions are joined, since every target's names are distinct."""
    ours = re.compile(re.escape(root) + "/(src|tests|bench)/")
    groups, seen = {}, set()
    for database in databases:
        for entry in json.load(open(database)):
            source = entry["file"]
            if not ours.match(source) or source in seen or not source.endswith(".cpp"):
                continue
            seen.add(source)
            arguments = compile_arguments(entry)
            words, paths, defines, flags, forced = iter(arguments), [], {}, [], []
            for word in words:
                if word in ("-I", "-isystem"):
                    paths.append((word, next(words)))
                elif word.startswith("-I"):
                    paths.append(("-I", word[2:]))
                elif word.startswith("-D"):
                    defines.setdefault(word[2:].split("=")[0], word)
                elif word == "-include":
                    forced.append(next(words))
                else:
                    flags.append(word)
            key = (tuple(forced), tuple(flags))
            group = groups.setdefault(key, {"paths": [], "defines": {}, "files": [],
                                            "directory": entry["directory"]})
            group["paths"] += [path for path in paths if path not in group["paths"]]
            for name, define in defines.items():
                group["defines"].setdefault(name, define)
            group["files"].append(source)
    batches = []
    for (forced, flags), group in groups.items():
        arguments = list(flags) + list(group["defines"].values())
        for kind, path in group["paths"]:
            arguments += [kind, path]
        for header in forced:
            arguments += ["-include", header]
        arguments.append("-ferror-limit=0")
        files = sorted(group["files"])
        count = max(1, round(len(files) / BATCH))
        for index in range(count):
            batches.append((group["directory"], arguments,
                            files[index * len(files) // count:(index + 1) * len(files) // count]))
    return batches


class Checker:
    def __init__(self, root, folder):
        # Batches are written from several threads: each takes its own number.
        self.root, self.folder, self.numbers = root, folder, itertools.count(1)

    def unity(self, files):
        path = os.path.join(self.folder, f"batch_{next(self.numbers)}.cpp")
        with open(path, "w") as out:
            out.write("// Generated: these files are checked together.\n")
            for number, source in enumerate(files):
                entry = ENTRY.search(open(source).read())
                for name in ENTRIES if entry else ():
                    out.write(f"#define {name} {name}_{number}\n")
                out.write(f'#include "{source}" // NOLINT(bugprone-suspicious-include)\n')
                for name in ENTRIES if entry else ():
                    out.write(f"#undef {name}\n")
        return path

    def run(self, tool, directory, arguments, files):
        """The findings in our files; a batch that does not compile is split."""
        unity = self.unity(files)
        if tool == "clang-tidy":
            command = ["clang-tidy", "-quiet", unity]
        else:
            command = ["clazy-standalone", f"--checks={CLAZY_CHECKS}",
                       f"--header-filter={self.root}/src/.*", unity]
        began = time.monotonic()
        result = subprocess.run(["nice", "-n", "10"] + command + ["--"] + arguments,
                                cwd=directory, capture_output=True, text=True)
        lines = (result.stdout + result.stderr).splitlines()
        if os.environ.get("ANALYSE_TRACE"):
            print(f"{tool} {len(files)} files {time.monotonic() - began:.1f} s "
                  f"{os.path.basename(files[0])}", file=sys.stderr)
        broken = {match.group(1) for match in map(FINDING.match, lines)
                  if match and match.group(4) == "error" and (
                      "[" not in match.group(5) or "[clang-diagnostic-error]" in match.group(5))}
        if broken and len(files) > 1:
            # Files that clash with one before them are where the errors are: they go to a batch
            # of their own. Errors anywhere else split the batch in two.
            clashing = [source for source in files if source in broken]
            if clashing and len(clashing) < len(files):
                rest = [source for source in files if source not in broken]
                return (self.run(tool, directory, arguments, rest) +
                        self.run(tool, directory, arguments, clashing))
            half = len(files) // 2
            return (self.run(tool, directory, arguments, files[:half]) +
                    self.run(tool, directory, arguments, files[half:]))
        findings = []
        for index, line in enumerate(lines):
            match = FINDING.match(line)
            if match and match.group(1).startswith(self.root + "/") and \
                    not match.group(1).startswith(self.folder):
                # The finding and the source line and marker under it.
                findings.append("\n".join(lines[index:index + 3]))
        if result.returncode != 0 and not findings:
            findings.append(f"{tool} failed on {', '.join(files)}:\n" + "\n".join(lines[-20:]))
        return findings


def main():
    root, jobs, databases = sys.argv[1], int(sys.argv[2]), sys.argv[3:]
    folder = os.path.join(root, "build", "analysis")
    os.makedirs(folder, exist_ok=True)
    for old in os.listdir(folder):
        if old.startswith("batch_"):
            os.remove(os.path.join(folder, old))
    checker, started = Checker(root, folder), time.monotonic()
    batches = groups_of(root, databases)
    work = [("clang-tidy",) + batch for batch in batches]
    # clazy reads the product code only.
    work += [("clazy",) + (directory, arguments, [f for f in files if f.startswith(root + "/src/")])
             for directory, arguments, files in batches]
    work = [item for item in work if item[3]]
    findings = set()
    with concurrent.futures.ThreadPoolExecutor(jobs) as pool:
        for found in pool.map(lambda item: checker.run(*item), work):
            findings.update(found)
    for finding in sorted(findings):
        print(finding, file=sys.stderr)
    files = sum(len(batch[2]) for batch in batches)
    seconds = round(time.monotonic() - started)
    if findings:
        print(f"Static analysis: {len(findings)} findings in {files} files ({seconds} s)",
              file=sys.stderr)
        return 1
    print(f"Static analysis: no findings in {files} files ({seconds} s)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
