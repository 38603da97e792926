#!/usr/bin/env python3
"""Formatting without a window as a shell user drives it: one table of command lines.

Each row is a bash script run in a fresh folder with $DW set to the program; what the script
prints on its standard output (the program's output, its messages sent there with 2>&1, exit
statuses, the folder's listing) must equal the row's expected bytes exactly.
Usage: command_lines.py PROGRAM [ROW-NAME...]
"""
import os
import signal
import subprocess
import sys
import tempfile

# Helpers every script may use.
PRELUDE = r"""
set -u
ulimit -c 0
# Waits until the program has begun its hidden temporary file beside out.txt.
wait_temp() { for _ in $(seq 200); do ls -A | grep -q '^\.out\.txt\.' && return; sleep 0.05; done; echo "no temporary file"; }
show() { echo "rc=$1"; ls -A | tr '\n' ' '; echo; }
"""

SIGNALS = "USR1 USR2 ALRM XFSZ XCPU VTALRM PROF HUP INT TERM PIPE QUIT ABRT RTMIN+2"

ROWS = [
    # --- names are bytes ---
    ("names with bytes that are not UTF-8",
     r"""printf '6034343563\n' > $'caf\xe9.txt'; printf '10\tx-x\n' > $'r\xe9.txt'
     $DW --format --lines --rules $'r\xe9.txt' --output $'res\xe9.txt' $'caf\xe9.txt'; echo "rc=$?"
     cat $'res\xe9.txt'""",
     b"rc=0\n603434356-3\n"),
    ("a name with a newline and a Latin-1 byte is named as its bytes, escaped",
     r"""$DW --format $'gone\n\xe9\\.txt' 2>&1; echo "rc=$?" """,
     b"dialwright: gone\\n\xe9\\\\.txt: No such file or directory\nrc=1\n"),

    # --- memory ---
    ("a line that never ends stops before memory runs out; the old file stays",
     r"""echo good > out.txt
     (ulimit -v 1500000; $DW --format --lines --output out.txt /dev/zero 2>&1; show $?); cat out.txt""",
     b"dialwright: /dev/zero: line 1: Out of memory\nrc=1\nout.txt \ngood\n"),
    ("--unique out of memory in a CSV file: the records before the one named, whole",
     r"""cat > check.py <<'EOF'
import re, sys
def record(i, formatted):
    n = str(1000000000 + i)
    phone = n[:3] + '-' + n[3:6] + '-' + n[6:] if formatted else n
    return '%d;%s;%s\n' % (i, phone, '"a\nb"' if i % 2 == 0 else 'c')
if sys.argv[1:] == ['make']:
    sys.stdout.write('Name;Phone;Note\n' + ''.join(record(i, False) for i in range(2500000)))
    sys.exit()
line = int(re.fullmatch(r'dialwright: u.csv: line (\d+): Out of memory\n', open('err').read())[1])
# An even record takes two lines, an odd one one: record i starts on this line.
start = lambda i: 2 + i // 2 * 3 + i % 2 * 2
k = next((i for i in range(2500000) if start(i) >= line), -1)
expected = 'Name;Phone;Note\n' + ''.join(record(i, True) for i in range(k))
print('named where a record starts' if start(k) == line else 'named inside a record')
print('every record before it, whole' if open('out').read() == expected else 'output differs')
EOF
     python3 check.py make > u.csv
     (ulimit -v 200000; $DW --format --rule 10=xxx-xxx-xxxx --column 2 --delimiter ';' --unique \
       u.csv > out 2> err); echo "rc=$?"; python3 check.py""",
     b"rc=1\nnamed where a record starts\nevery record before it, whole\n"),
    ("a CSV input that fails inside a record leaves that record out",
     r"""{ echo 'A,6034343563,b'; printf 'B,7978118,"'; yes "$(printf '%0999d' 0)" | head -n 1100; } |
       $DW --format --rule 10=xxx-xxx-xxxx --column 2 2>err | head -c 300; echo "rc=${PIPESTATUS[1]}"
     cat err""",
     b"A,603-434-3563,b\nrc=1\n"
     b"dialwright: standard input: line 2: a quote opened here is never closed\n"),
    ("several hard links: rewritten in place with memory flat",
     r"""seq 1000000000 1005000000 > in.txt; echo x > a.txt; ln a.txt b.txt
     /usr/bin/time -f %M -o kb $DW --format --lines --output a.txt in.txt; echo "rc=$?"
     [ "$(cat kb)" -lt 60000 ] && echo flat || echo "$(cat kb) KB"
     cmp -s a.txt b.txt && wc -l < b.txt""",
     b"rc=0\nflat\n5000001\n"),

    # --- signals ---
    ("every ending signal leaves the old file and no temporary one",
     r"""seq 1 100000 > in.txt; mkfifo feed
     for s in """ + SIGNALS + r"""; do
       echo good > out.txt
       (cat in.txt; exec sleep 30) > feed & feeder=$!
       # A background job starts with SIGINT and SIGQUIT ignored; these start as a terminal's.
       env --default-signal $DW --format --output out.txt < feed & pid=$!
       wait_temp; kill -s $s $pid; wait $pid; r=$?; kill $feeder; wait $feeder
       echo "$s $r $(ls -A | tr '\n' ' ')$(cat out.txt)"
     done""",
     b"".join(b"%s %d feed in.txt out.txt good\n" % (name.encode(), 128 + number) for name, number in [
         ("USR1", 10), ("USR2", 12), ("ALRM", 14), ("XFSZ", 25), ("XCPU", 24), ("VTALRM", 26),
         ("PROF", 27), ("HUP", 1), ("INT", 2), ("TERM", 15), ("PIPE", 13), ("QUIT", 3),
         ("ABRT", 6), ("RTMIN+2", signal.SIGRTMIN + 2)])),
    ("signals ignored at start stay ignored (nohup, a background shell's SIGINT)",
     r"""echo good > out.txt
     (seq 1 1000; exec sleep 30) | nohup $DW --format --output out.txt >/dev/null 2>&1 & pid=$!
     wait_temp; kill -HUP $pid; sleep 0.3; kill -0 $pid && echo "HUP ignored"
     kill -INT $pid; sleep 0.3; kill -0 $pid && echo "INT ignored"
     kill -TERM $pid; wait $pid; echo "TERM $?"; cat out.txt""",
     b"HUP ignored\nINT ignored\nTERM 143\ngood\n"),
    ("a closed standard error stops the run and keeps the old file",
     r"""echo good > out.txt; seq 1 100 > in.txt
     $DW --format --output out.txt nosuch.txt in.txt 2>&1 | true; echo "rc=${PIPESTATUS[0]}"
     ls -A | tr '\n' ' '; cat out.txt""",
     b"rc=141\nin.txt out.txt good\n"),

    # --- a failed input never replaces --output ---
    ("a missing input keeps the old file",
     r"""echo good > res.txt; $DW --format --output res.txt nosuch.txt 2>&1; show $?; cat res.txt""",
     b"dialwright: nosuch.txt: No such file or directory\nrc=1\nres.txt \ngood\n"),
    ("a stop signal before the results are in place keeps the old file; one during a rewrite "
     "in place lets it finish whole; both end as the signal would",
     r"""cat > shim.c <<'END'
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <stdlib.h>
#include <string.h>
#include <sys/types.h>
#include <unistd.h>
static int fired, syncs;
static void fire(const char *when) {
    const char *want = getenv("STOP_AT");
    const char *with = getenv("STOP_WITH");
    if (!fired && want && strcmp(want, when) == 0) { fired = 1; kill(getpid(), with ? atoi(with) : SIGTERM); }
}
int fsync(int fd) {
    fire(++syncs == 1 ? "fsync" : "folder sync");
    int (*real)(int) = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
    return real(fd);
}
ssize_t pwrite64(int fd, const void *bytes, size_t size, off_t at) {
    fire("pwrite");
    ssize_t (*real)(int, const void *, size_t, off_t) =
        (ssize_t (*)(int, const void *, size_t, off_t))dlsym(RTLD_NEXT, "pwrite64");
    return real(fd, bytes, size, at);
}
ssize_t pwrite(int fd, const void *bytes, size_t size, off_t at) { return pwrite64(fd, bytes, size, at); }
END
     cc -shared -fPIC -o shim.so shim.c -ldl || echo "no shim"
     seq 1 100000 > in.txt; echo good > out.txt
     STOP_AT=fsync LD_PRELOAD=./shim.so $DW --format --lines --output out.txt in.txt
     echo "final sync: $? $(ls -A | tr '\n' ' ')$(cat out.txt)"
     STOP_AT="folder sync" LD_PRELOAD=./shim.so $DW --format --lines --output out.txt in.txt
     echo "renamed in: $? $(cmp -s out.txt in.txt && echo new)"
     echo good > a.txt; ln a.txt b.txt
     STOP_AT=pwrite LD_PRELOAD=./shim.so $DW --format --lines --output a.txt in.txt
     echo "in place: $? $(cmp -s b.txt in.txt && echo whole)"
     echo good > a.txt
     STOP_AT=pwrite STOP_WITH=3 LD_PRELOAD=./shim.so $DW --format --lines --output a.txt in.txt
     echo "in place, SIGQUIT: $? $(cmp -s b.txt in.txt && echo whole)" """,
     b"final sync: 143 in.txt out.txt shim.c shim.so good\nrenamed in: 0 new\n"
     b"in place: 143 whole\nin place, SIGQUIT: 131 whole\n"),
    ("--column names: a Latin-1 name meets a heading of either encoding; a name that is not "
     "there is shown escaped; inputs of other encodings fail, saying which",
     r"""printf 'Nom;T\xe9l\n1;6034343563\n' > a.csv; printf 'Nom;T\xc3\xa9l\n2;7978118\n' > b.csv
     $DW --format --rule 10=xxx-xxx-xxxx --rule 7=xxx/xxxx --column $'T\xe9l' --delimiter ';' a.csv b.csv
     $DW --format --column $'a\nb\xe9' --delimiter ';' a.csv 2>&1; echo "rc=$?"
     printf '\xff\xfeA\x00\n\x00' > le.csv; printf '\xfe\xff\x00A\x00\n' > be.csv
     $DW --format --column 1 le.csv be.csv 2>&1 >/dev/null; echo "rc=$?"
     : > empty.csv; $DW --format --column 1 empty.csv le.csv | od -An -c | tr -s ' '; echo "rc=$?"
     $DW --format --column ' 2' --delimiter ';' a.csv 2>&1 | head -n 1; $DW --format --column 99999999999999999999 a.csv 2>&1 | head -n 1""",
     b"Nom;T\xe9l\n1;603-434-3563\n2;797/8118\n"
     b"dialwright: a.csv: no column is named a\\nb\xc3\xa9 (the heading has: Nom, T\xc3\xa9l)\nrc=1\n"
     b"dialwright: be.csv: it is UTF-16 big-endian where the first input is UTF-16 little-endian, "
     b"so its records cannot be written beside that input's\nrc=1\n"
     b" 377 376 A \\0 \\n \\0\nrc=0\n"
     b"dialwright: a.csv: no column is named  2 (the heading has: Nom, T\xc3\xa9l)\n"
     b"dialwright: --column counts fields from 1 to 1099511627776, not 99999999999999999999\n"),
    ("each line is decoded on its own: a Windows-1252 line costs no other line its UTF-8",
     r"""printf 'Zo\xc3\xab\r\nJos\xe9\r\n\xe2\x98\x8e\r\n' | $DW --format --lines""",
     b"Zo\xc3\xab\nJos\xc3\xa9\n\xe2\x98\x8e\n"),
    ("--column on a terminal shows each record as soon as it is whole",
     r"""mkfifo feed
     script -qfec "$DW --format --rule 10=xxx-xxx-xxxx --column 2 < feed" /dev/null > shown &
     exec 3> feed; printf 'a,6034343563\n' >&3
     for _ in $(seq 100); do grep -q 603-434-3563 shown && break; sleep 0.05; done
     grep -q 603-434-3563 shown && echo "shown at once" || echo "held back"
     printf 'b,7978118\n' >&3; exec 3>&-; wait; tr -d '\r' < shown""",
     b"shown at once\na,603-434-3563\nb,7978118\n"),
    ("on standard output the results already written stay",
     r"""echo 1 > a.txt; $DW --format --lines a.txt nosuch.txt 2>/dev/null; echo "rc=$?" """,
     b"1\nrc=1\n"),

    # --- --lines and the final line ---
    ("--lines: a final LF ends the last line; an empty line inside stays",
     r"""seq 3 | $DW --format --lines | wc -l; printf '1\n\n2\n' | $DW --format --lines | tr '\n' '|'
     echo; printf '1\n' | $DW --format | tr '\r\n' 'RN'; echo""",
     b"3\n1||2|\n1,RNRN\n"),
    ("pieces join: parallel --pipe --keep-order gives the bytes of one process",
     r"""awk 'BEGIN { for (i = 0; i < 1000000; i++) printf "%010d\n", i * 7919 }' > in.txt
     parallel --will-cite --pipe --keep-order $DW --format --lines --rule 10=xxx-xxx-xxxx < in.txt > a
     $DW --format --lines --rule 10=xxx-xxx-xxxx < in.txt > b; cmp a b && wc -l < a""",
     b"1000000\n"),

    # --- special files ---
    ("special files as --output are written straight into",
     r"""echo 6034343563 > in.txt; mkfifo f; cat f > got & reader=$!
     $DW --format --lines --output /dev/null in.txt; echo "null $?"
     $DW --format --lines --output /dev/stdout in.txt | cat
     $DW --format --lines --output f in.txt; wait $reader; cat got; ls -A | tr '\n' ' '""",
     b"null 0\n6034343563\n6034343563\nf got in.txt "),
    ("--rules from a pipe, -, /dev/stdin, a FIFO and a process substitution",
     r"""echo 6034343563 > in.txt; mkfifo r; printf '10\t{x}\n' > r &
     printf '10\tx-x\n' | $DW --format --lines --rules - in.txt
     printf '10\t[x]\n' | $DW --format --lines --rules /dev/stdin in.txt
     $DW --format --lines --rules r in.txt
     $DW --format --lines --rules <(printf '10\t(x)\n') in.txt
     $DW --format --rules - < /dev/null 2>&1 | head -n1; echo "rc=${PIPESTATUS[0]}"
     echo 1 | $DW --format --rules /dev/stdin 2>&1; echo "rc=$?" """,
     b"603434356-3\n[6034343563]\n{6034343563}\n(6034343563)\n"
     b"dialwright: standard input cannot hold both the rules (--rules -) and the numbers; "
     b"name the numbers' file\nrc=2\n"
     b"dialwright: standard input cannot hold both the rules (--rules /dev/stdin) and the "
     b"numbers; name the numbers' file\nrc=2\n"),

    ("/dev/stdout onto a file opened for appending is written where the shell put it",
     r"""seq 2 > in.txt; echo HEAD > log
     { $DW --format --lines --output /dev/stdout in.txt; echo TAIL; } >> log; cat log""",
     b"HEAD\n1\n2\nTAIL\n"),
    ("a closed standard input fails and keeps the old file; a closed output fails",
     r"""echo good > out.txt; $DW --format --lines --output out.txt <&- 2>&1; show $?
     cat out.txt; echo 1 | $DW --format --lines 2>&1 >&-; echo "rc=$?" """,
     b"dialwright: standard input: Bad file descriptor\nrc=1\nout.txt \ngood\n"
     b"dialwright: standard output: Bad file descriptor\nrc=1\n"),
    ("an input that is the output is refused, not read for ever",
     r"""seq 3 > same.txt; $DW --format --lines same.txt >> same.txt 2>err; echo "rc=$?"
     cat err; wc -l < same.txt""",
     b"rc=1\ndialwright: same.txt: input file is output file\n3\n"),
    ("the --output file may be an input too: each is read whole before the file is replaced",
     r"""printf 'a,6034343563\n' > in.csv; ln in.csv link.csv
     $DW --format --rule 10=xxx-xxx-xxxx --column 2 --output in.csv in.csv link.csv; show $?
     cat in.csv; cmp -s in.csv link.csv && echo linked""",
     b"rc=0\nin.csv link.csv \na,603-434-3563\na,603-434-3563\nlinked\n"),
    ("a stop signal ends a write that a reader no longer takes",
     r"""seq 1 3000000 > in.txt
     { $DW --format --lines in.txt & echo $! > pid; wait; } | sleep 20 &
     sleep 1; pid=$(cat pid); kill -TERM $pid
     for _ in $(seq 40); do kill -0 $pid 2>/dev/null || break; sleep 0.05; done
     kill -0 $pid 2>/dev/null && echo "still writing" || echo ended""",
     b"ended\n"),
    ("CSV inputs by heading name: the first heading read is written; one that differs fails",
     r""": > empty.csv; printf 'Name,Phone\n' > a.csv; printf 'A,6034343563\n' >> a.csv
     printf 'Name,Phone\nB,7978118\n' > b.csv; printf 'Phone,Name\n456,C\n' > c.csv
     $DW --format --rule 7=xxx/xxxx --column Phone empty.csv a.csv b.csv; echo "rc=$?"
     echo good > out.csv
     $DW --format --column Phone --output out.csv a.csv c.csv 2>&1; echo "rc=$?"; cat out.csv""",
     b"Name,Phone\nA,6034343563\nB,797/8118\nrc=0\n"
     b"dialwright: c.csv: its heading differs from the first input's, so its fields would not "
     b"line up under it\nrc=1\ngood\n"),
    # --- rules that can never fit ---
    ("a rule that can never fit is a usage error before any output",
     r"""printf '7\tx\n40000\tx\n-1\tx\n' > r.txt
     echo 1 | $DW --format --rule 10=x --rule abc=x --rules r.txt --rule 0=x --output o.txt 2>&1
     show $?""",
     b'dialwright: --rule 2: unknown region "abc"\n'
     b'dialwright: r.txt:2: length "40000": Overflow\n'
     b'dialwright: r.txt:3: length "-1": no number has -1 characters\n'
     b'dialwright: --rule 3: length "0": no number has 0 characters\n'
     b"rc=2\nr.txt \n"),

    # --- country rules ---
    ("country rules read numbers by their country's plan, mixed with length rules in order",
     r'''printf '(603) 434-3563\n020 7946 0958\n+44 (0)20 7946 0958\n1-800-FLOWERS\n603.434.3563 ext. 12\n6034343563\n7978118\n+49 30 1234567\njunk\n' > in.txt
     printf 'gb\tnational\n7\txxx/xxxx\n+\tinternational\n' > r.txt
     $DW --format --lines --rules r.txt --rule US=e164 in.txt; echo "rc=$?"
     $DW --format --lines --rule US=xxx.xxx.xxxx --rule 10=x-x --rule GB=rfc3966 in.txt | head -n 3''',
     b"+16034343563\n020 7946 0958\n020 7946 0958\n+18003569377\n+16034343563;ext=12\n"
     b"+16034343563\n797/8118\n+49 30 1234567\njunk\nrc=0\n"
     b"603.434.3563\ntel:+44-20-7946-0958\ntel:+44-20-7946-0958\n"),
    ("--unique with a country rule compares its numbers by E.164 and extension, notes stay notes; "
     "--tidy leaves the + to country rules; --column changes the field alone",
     r'''printf '(603) 434-3563\n+1 603 434 3563\n6034343563\n603-434-3563 x5\n603-434-3563 ext 5\n1-800-FLOWERS\n18003569377\njunk\njunk\nSee 603 for more\n+1 603 367 6673\n' |
       $DW --format --lines --unique --rule US=national; echo "rc=$?"
     echo '+44 20 7946 0958' | $DW --format --lines --tidy --rule DE=e164 --rule +=e164
     printf 'Name,Phone\nAnn,"(603) 434-3563"\nBob,7978118\n' | $DW --format --rule US=e164 --column Phone''',
     b"(603) 434-3563\n(603) 434-3563 ext. 5\n(800) 356-9377\njunk\nSee 603 for more\n"
     b"(603) 367-6673\nrc=0\n+442079460958\n"
     b"Name,Phone\nAnn,+16034343563\nBob,7978118\n"),
    ("an unknown region or layout is a usage error naming it, before any output",
     r'''echo 6034343563 > in.txt; printf 'XX\tnational\n' > r.txt
     $DW --format --rule US=e.164 --rule ZZ=e164 --rule USA=national --rule $'us=\e' --output o.txt in.txt 2>&1; show $?
     $DW --format --rules r.txt in.txt 2>&1; echo "rc=$?"''',
     b'dialwright: --rule 1: unknown layout "e.164"\n'
     b'dialwright: --rule 2: unknown region "ZZ"\n'
     b'dialwright: --rule 3: unknown region "USA"\n'
     b'dialwright: --rule 4: unknown layout "\\033"\n'
     b"rc=2\nin.txt r.txt \n"
     b"dialwright: r.txt: skipped 1 line that is not a rule: line 1 (a region or layout the "
     b"country rules do not know)\n6034343563,\r\n\r\nrc=0\n"),

    # --- messages ---
    ("messages name the path and say what happened",
     r"""echo 1 > in.txt; mkdir d
     $DW --format --rules d in.txt 2>&1; $DW --format --output d in.txt 2>&1
     $DW --format --rules nosuch.txt in.txt 2>&1
     (ulimit -f 1; seq 1 100000 | $DW --format --output big.txt 2>&1); show $?""",
     b"dialwright: d: Is a directory\ndialwright: d: Is a directory\n"
     b"dialwright: nosuch.txt: No such file or directory\n"
     b"dialwright: big.txt: File too large\nrc=1\nd in.txt \n"),
    ("an argument shown in a message has its control characters and stray bytes escaped",
     r"""for d in '' $'\n' $'\xe9' $'\xc2\x85' ab; do $DW --format --column 1 --delimiter "$d" 2>&1 |
       head -n1; done
     $DW --format --rule $'7\tx' 2>&1 | head -n1; $DW --format --colour$'\e[2J' 2>&1 | head -n1""",
     b"dialwright: --delimiter takes one ASCII character other than a quote or a line break, not "
     b"''\n"
     b"dialwright: --delimiter takes one ASCII character other than a quote or a line break, not "
     b"'\\n'\n"
     b"dialwright: --delimiter takes one ASCII character other than a quote or a line break, not "
     b"'\\351'\n"
     b"dialwright: --delimiter takes one ASCII character other than a quote or a line break, not "
     b"'\\302\\205'\n"
     b"dialwright: --delimiter takes one ASCII character other than a quote or a line break, not "
     b"'ab'\n"
     b"dialwright: --rule takes LENGTH=PATTERN, not 7\\tx\n"
     b"dialwright: unknown option --colour\\033[2J\n"),
    ("skipped rule lines are named: the first ten, then how many more, and why",
     r"""for i in $(seq 12); do echo "$i xxx"; done > r.txt; printf '10\tx\n' >> r.txt
     $DW --format --rules r.txt < /dev/null 2>&1; echo "rc=$?" """,
     b"dialwright: r.txt: skipped 12 lines that are not rules: lines 1, 2, 3, 4, 5, 6, 7, 8, 9, "
     b"10 and 2 more (a space where the TAB should be)\nrc=0\n"),
]


def run(program, name, script, expected):
    with tempfile.TemporaryDirectory() as folder:
        environment = dict(os.environ, DW=program, LC_ALL="C.UTF-8")
        for variable in ("DISPLAY", "WAYLAND_DISPLAY"):
            environment.pop(variable, None)
        process = subprocess.Popen(["bash", "-c", PRELUDE + script], cwd=folder, env=environment,
                                   stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                   stdin=subprocess.DEVNULL, start_new_session=True)
        try:
            out, err = process.communicate(timeout=120)
        finally:
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
    if out == expected:
        return True
    print(f"FAILED: {name}\n  expected: {expected!r}\n  got:      {out!r}\n  stderr: {err!r}")
    return False


def main():
    program = os.path.realpath(sys.argv[1])
    chosen = sys.argv[2:]
    failed = 0
    for name, script, expected in ROWS:
        if chosen and name not in chosen:
            continue
        failed += not run(program, name, script, expected)
    print(f"{len(ROWS) - failed} of {len(ROWS)} command lines as expected")
    sys.exit(1 if failed else 0)


main()
