#!/usr/bin/python3
"""End-to-end checks of the real Dialwright binary in a real X server.

Each scenario starts its own Xvfb, a private D-Bus session with the accessibility bus, and the
program; it drives the program only with real pointer clicks and typed keys (xdotool), reads
boxes, dialogs and list rows as text over AT-SPI, reads the clipboard with xclip, and kills
everything it started. Every wait is bounded.

usage: e2e.py PROGRAM SCENARIO
"""

import os
import signal
import subprocess
import sys
import tempfile
import time

WAIT_SECONDS = 15
START_ATTEMPTS = 3


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_until(what, probe, seconds=WAIT_SECONDS):
    deadline = time.monotonic() + seconds
    while True:
        try:
            value = probe()
        except Exception:  # the accessibility tree changes under us while windows come and go
            value = None
        if value:
            return value
        if time.monotonic() > deadline:
            raise Failure("timed out waiting for " + what)
        time.sleep(0.05)


class Session:
    """Xvfb, a D-Bus session with the accessibility bus, and the program."""

    def __init__(self, program, arguments=()):
        self.program = program
        self.arguments = list(arguments)
        self.processes = []
        self.work = tempfile.TemporaryDirectory(prefix="dialwright-e2e-")

    def start(self, args, env=None, **kwargs):
        process = subprocess.Popen(args, env=env or os.environ, start_new_session=True, **kwargs)
        self.processes.append(process)
        return process

    def __enter__(self):
        # Bringing up the X server and the buses can fail on a loaded machine (the registry
        # has been seen to leave the bus before answering); that is the machine, not the
        # program, so start-up is tried again. The scenario itself runs once.
        for attempt in range(1, START_ATTEMPTS + 1):
            try:
                return self.begin()
            except (Failure, subprocess.SubprocessError, OSError) as failure:
                sys.stderr.write("start-up attempt %d failed: %s\n" % (attempt, failure))
                self.stop_all()
                # Once the accessibility client has joined a bus it cannot join another.
                if attempt == START_ATTEMPTS or hasattr(self, "atspi"):
                    self.work.cleanup()
                    raise
            except BaseException:
                self.__exit__(*sys.exc_info())
                raise

    def stop_all(self):
        for process in reversed(self.processes):
            try:
                os.killpg(process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            process.wait()
        self.processes = []

    def phase(self, what):
        self.phases.append("%.2fs %s" % (time.monotonic() - self.started, what))

    def begin(self):
        self.started = time.monotonic()
        self.phases = []
        home = tempfile.mkdtemp(prefix="home-", dir=self.work.name)
        runtime = tempfile.mkdtemp(prefix="runtime-", dir=self.work.name)
        os.environ.update(HOME=home, XDG_RUNTIME_DIR=runtime, LANG="C.UTF-8", LC_ALL="C.UTF-8",
                          QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORMTHEME="")
        os.environ.pop("QT_QPA_PLATFORM", None)

        read_end, write_end = os.pipe()
        self.start(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24",
                    "-nolisten", "tcp", "-noreset"], pass_fds=(write_end,),
                   stderr=subprocess.DEVNULL)
        os.close(write_end)
        import select
        ready, _, _ = select.select([read_end], [], [], WAIT_SECONDS)
        check(ready, "Xvfb did not start")
        with os.fdopen(read_end) as display:
            number = display.readline().strip()
        check(number, "Xvfb gave no display")
        self.phase("Xvfb on :" + number)
        os.environ["DISPLAY"] = ":" + number

        bus = self.start(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        os.environ["DBUS_SESSION_BUS_ADDRESS"] = bus.stdout.readline().strip()
        reply = subprocess.run(["dbus-send", "--session", "--dest=org.a11y.Bus", "--print-reply",
                                "/org/a11y/bus", "org.a11y.Bus.GetAddress"], check=True,
                               capture_output=True, text=True, timeout=WAIT_SECONDS).stdout
        address = reply.split('"')[1]
        # Start the registry before the program, which would otherwise wait for it at start-up.
        # On a loaded machine the registry has been seen to leave the bus before its first
        # answer; the bus starts it again for the next call.
        wait_until("the accessibility registry", lambda: subprocess.run(
            ["dbus-send", "--bus=" + address, "--print-reply", "--dest=org.a11y.atspi.Registry",
             "/org/a11y/atspi/registry", "org.freedesktop.DBus.Peer.Ping"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            timeout=WAIT_SECONDS).returncode == 0)
        self.phase("accessibility bus and registry up")

        self.log = open(os.path.join(self.work.name, "program.log"), "w")
        self.launch(self.arguments)
        return self

    def launch(self, arguments):
        """Starts the program and waits until its window can be driven."""
        self.app = self.start([self.program, *arguments], stdout=self.log,
                              stderr=subprocess.STDOUT)
        # Only a mapped window takes the focus; its name is set before it is mapped.
        self.window = wait_until("the main window", lambda: self.xdotool(
            "search", "--onlyvisible", "--name", "^Dialwright$").split()[0])
        self.phase("window shown")
        self.xdotool("windowfocus", self.window)
        import pyatspi  # only now: it joins the accessibility bus of this session
        self.atspi = pyatspi
        self.root = wait_until("the window over AT-SPI", lambda: self.find_window("filler"))
        self.phase("window readable over AT-SPI")

    def __exit__(self, kind, value, trace):
        if kind is not None:
            sys.stderr.write("start-up: %s\n" % "; ".join(getattr(self, "phases", [])))
            if hasattr(self, "app"):
                sys.stderr.write("program exit status: %r\n" % (self.app.poll(),))
            if hasattr(self, "log"):
                self.log.flush()
                with open(self.log.name) as log:
                    sys.stderr.write(log.read())
        self.stop_all()
        self.work.cleanup()
        return False

    # The desktop, as a user meets it.

    def xdotool(self, *args):
        return subprocess.run(["xdotool", *args], check=True, capture_output=True, text=True,
                              timeout=WAIT_SECONDS).stdout

    def application(self):
        desktop = self.atspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name == "Dialwright":
                return app
        return None

    def find_window(self, role, name=None):
        app = self.application()
        if app is None:
            return None
        for i in range(app.childCount):
            window = app.getChildAtIndex(i)
            if window.getRoleName() == role and (name is None or window.name == name):
                return window
        return None

    def find(self, node, role, name=None, nth=0):
        found = []

        def walk(each):
            if each.getRoleName() == role and (name is None or each.name == name):
                found.append(each)
            for i in range(each.childCount):
                walk(each.getChildAtIndex(i))

        walk(node)
        check(len(found) > nth, "no %s named %r" % (role, name))
        return found[nth]

    def click(self, node):
        box = node.queryComponent().getExtents(self.atspi.DESKTOP_COORDS)
        check(box.width > 0 and box.height > 0, "%r is not on the screen" % node.name)
        self.xdotool("mousemove", str(box.x + box.width // 2), str(box.y + box.height // 2),
                     "click", "1")

    def press(self, caption, nth=0):
        self.click(self.find(self.root, "push button", caption, nth))

    def type(self, text):
        self.xdotool("type", "--delay", "5", text)

    def key(self, *keys):
        self.xdotool("key", *keys)

    def box(self, role="alert"):
        """Waits for a box, then gives it time to take input."""
        window = wait_until("a " + role, lambda: self.find_window(role))
        time.sleep(0.1)
        return window

    def read_and_close_message(self):
        self.box("alert")

        # The title and the text reach the accessibility bus a moment after the box.
        def shown():
            alert = self.find_window("alert")
            texts = [label.name for label in self.labels(alert) if label.name]
            return (alert, alert.name, texts) if alert.name and texts else None

        alert, title, texts = wait_until("the box's text", shown)
        self.click(self.find(alert, "push button", "OK"))

        # Closed, or followed at once by another box.
        def closed():
            now = self.find_window("alert")
            return now is None or [label.name for label in self.labels(now)] != texts

        wait_until("the box to close", closed)
        return title, "\n".join(texts)

    def labels(self, node):
        out = []
        for i in range(node.childCount):
            child = node.getChildAtIndex(i)
            if child.getRoleName() == "label":
                out.append(child)
        return out

    def answer_input(self, title, text, seconds=WAIT_SECONDS):
        dialog = wait_until("input box " + title, lambda: self.find_window("dialog", title),
                            seconds)
        time.sleep(0.1)
        self.key("ctrl+a")
        self.type(text)
        self.key("Return")
        wait_until("input box to close", lambda: self.find_window("dialog", title) is None)
        return dialog

    def choose_file(self, title, path, seconds=WAIT_SECONDS):
        wait_until("file dialog " + title, lambda: self.find_window("dialog", title), seconds)
        time.sleep(0.3)
        self.key("ctrl+a")
        self.type(path)
        self.key("Return")
        wait_until("file dialog to close", lambda: self.find_window("dialog", title) is None,
                   seconds)

    def rows(self, nth_table):
        table = self.find(self.root, "table", None, nth_table).queryTable()
        return [table.getAccessibleAt(r, 0).name for r in range(table.nRows)]

    def cells(self, nth_table, column):
        table = self.find(self.root, "table", None, nth_table).queryTable()
        return [table.getAccessibleAt(r, column).name for r in range(table.nRows)]

    def clipboard(self):
        return subprocess.run(["xclip", "-selection", "clipboard", "-o", "-t", "UTF8_STRING"],
                              check=True, capture_output=True, timeout=WAIT_SECONDS).stdout

    def pointer_image(self):
        """The size and hot spot of the pointer the X server shows now."""
        from Xlib import display
        screen = display.Display()
        screen.xfixes_query_version()
        image = screen.xfixes_get_cursor_image(screen.screen().root)
        return image.width, image.height, image.xhot, image.yhot

    def close_and_expect_the_end(self):
        """Closes the window; the program must end at once, with status 0."""
        self.close_window()
        try:
            status = self.app.wait(timeout=WAIT_SECONDS)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end when its window closed")
        check(status == 0, "exit status %d" % status)

    def close_window(self):
        """What a window manager does when the user clicks the close button."""
        from Xlib import X, display, protocol
        screen = display.Display()
        window = screen.create_resource_object("window", int(self.window))
        protocols = screen.intern_atom("WM_PROTOCOLS")
        delete = screen.intern_atom("WM_DELETE_WINDOW")
        event = protocol.event.ClientMessage(window=window, client_type=protocols,
                                             data=(32, [delete, X.CurrentTime, 0, 0, 0]))
        window.send_event(event)
        screen.flush()


PHONES, RULES, RESULTS = 0, 1, 2


LOAD_TITLE = "Load List(s) - Hold Ctrl to select multiple list files"


def run_sample_and_start(s):
    s.press("Load Sample/Example Data")
    start_run(s)


def start_run(s, seconds=WAIT_SECONDS):
    """A formatting run, which must end saying it is done."""
    s.press("Start Formatting Phone Numbers")
    wait_until("the run to end", lambda: s.find_window("alert"), seconds=seconds)
    said = s.read_and_close_message()
    check(said == ("Dialwright", "Done."), "the run said %r" % (said,))


def load_through_dialog(s, source, seconds=WAIT_SECONDS):
    s.press("Load Phone Numbers From File")
    s.choose_file(LOAD_TITLE, source, seconds)


def save_comma_delimited(s, seconds=WAIT_SECONDS, button=None):
    """The results saved as a new comma-delimited file; gives what the file holds. A button found
    beforehand spares walking long lists for it."""
    target = os.path.join(s.work.name, "results.txt")
    if button is None:
        s.press("Save As Comma Delimited")
    else:
        s.click(button)
    s.choose_file("Save", target, seconds)
    # The save writes beside the target and renames: once it exists, it is whole.
    wait_until("the saved file", lambda: os.path.exists(target) and s.find_window("dialog") is None,
               seconds=seconds)
    with open(target, "rb") as saved:
        return saved.read()


def scenario_window(s):
    geometry = s.xdotool("getwindowgeometry", s.window)
    check("1064x458" in geometry, "window size: " + geometry)
    check(s.xdotool("getwindowname", s.window).strip() == "Dialwright", "window title")
    for table, caption in ((PHONES, "Phone Number(s)"), (RESULTS, "Result(s)")):
        header = s.find(s.find(s.root, "table", None, table), "table column header")
        check(header.name == caption, "column header " + header.name)


def scenario_copy_results(s):
    run_sample_and_start(s)
    s.press("Copy Results To Clipboard")
    title, text = s.read_and_close_message()
    check(text.startswith("Results have been copied to the clipboard."), "confirmation: " + text)
    copied = s.clipboard()
    check(copied == b"603-434-3563\r\n717-393-3292\r\n797/8118\r\n", "clipboard: %r" % copied)


def scenario_rule_by_hand(s):
    s.press("Add Length and Format Combo")
    s.answer_input("Input Length", "11")
    s.answer_input("Input Format", "x (xxx) xxx-xxxx")
    s.press("Add Phone Number or Numbers")
    s.answer_input("Add Phone Number", "16034343563, 7978118")
    start_run(s)
    results = s.rows(RESULTS)
    check(results == ["1 (603) 434-3563", "7978118"], "results: %r" % results)


def scenario_save_comma(s):
    run_sample_and_start(s)
    data = save_comma_delimited(s)
    check(data == b"603-434-3563,\r\n717-393-3292,\r\n797/8118\r\n", "saved: %r" % data)


def scenario_load_file(s):
    source = os.path.join(s.work.name, "numbers.txt")
    with open(source, "wb") as numbers:
        numbers.write(b"6034343563\r\n(555) 0102\r\n\r\n7978118\r\n")
    load_through_dialog(s, source)
    phones = wait_until("the loaded rows", lambda: s.rows(PHONES) if len(s.rows(PHONES)) == 4 else None)
    check(phones == ["6034343563", "(555) 0102", "", "7978118"], "phones: %r" % phones)


LONG_ROW_CHARACTERS = 20000000
# What a list shows of a text, and tells over the accessibility bus: its beginning, then this.
SHOWN_CHARACTERS = 2000
ELLIPSIS = "\u2026"


def scenario_long_row(s):
    """A 20 MB file without a line break (a base64 export, a wrong file picked) is one row:
    loaded, formatted and saved whole, the lists show its beginning, and the window answers."""
    import base64
    import random
    # Not periodic, so a block lost or repeated anywhere cannot go unseen.
    text = base64.b64encode(random.Random(20).randbytes(LONG_ROW_CHARACTERS * 3 // 4))
    check(len(text) == LONG_ROW_CHARACTERS, "the row is %d characters" % len(text))
    source = os.path.join(s.work.name, "export.b64")
    with open(source, "wb") as export:
        export.write(text)
    shown = [text[:SHOWN_CHARACTERS].decode() + ELLIPSIS]
    slow = 60  # generous: the work is large and the machine may be busy

    load_through_dialog(s, source, slow)
    phones = wait_until("the long row", lambda: s.rows(PHONES) or None, seconds=slow)
    check(phones == shown, "phone rows: %d, the first %d characters long"
          % (len(phones), len(phones[0])))
    start_run(s, seconds=slow)
    results = wait_until("the long result", lambda: s.rows(RESULTS) or None, seconds=slow)
    check(results == shown, "result rows: %d, the first %d characters long"
          % (len(results), len(results[0])))
    data = save_comma_delimited(s, seconds=slow)
    # One result: the last line, which has no comma.
    expected = text + b"\r\n"
    if data != expected:
        differ = next((i for i, (a, b) in enumerate(zip(data, expected)) if a != b),
                      min(len(data), len(expected)))
        raise Failure("saved %d bytes of %d, the first difference at byte %d"
                      % (len(data), len(expected), differ))

    # Still answering: a number typed in lands below the long row.
    s.press("Add Phone Number or Numbers")
    s.answer_input("Add Phone Number", "6034343563", slow)
    phones = wait_until("the added number", lambda: s.rows(PHONES) if len(s.rows(PHONES)) == 2
                        else None, seconds=slow)
    check(phones == shown + ["6034343563"], "phone rows after adding: %r"
          % [row[:20] for row in phones])


def scenario_load_utf16(s):
    """A spreadsheet's "Unicode text": UTF-16LE behind its mark, CR LF line ends."""
    source = os.path.join(s.work.name, "unicode.txt")
    with open(source, "wb") as numbers:
        numbers.write(b"\xff\xfe" + "6034343563\r\n7978118\r\n".encode("utf-16-le"))
    load_through_dialog(s, source)
    phones = wait_until("the loaded rows", lambda: s.rows(PHONES) if s.rows(PHONES) else None)
    check(phones == ["6034343563", "7978118"], "phones: %r" % phones)


def scenario_rules_round_trip(s):
    """Rules typed in, saved as text, cleared, and given to a new start with --rules come
    back the same, in the same order."""
    typed = [("10", "(xxx) xxx-xxxx"), (" 7", "xxx/xxxx"), ("11", "x xxx xxx xxxx")]
    for length, pattern in typed:
        s.press("Add Length and Format Combo")
        s.answer_input("Input Length", length)
        s.answer_input("Input Format", pattern)
    wait_until("the typed rules", lambda: len(s.rows(RULES)) == len(typed))
    target = os.path.join(s.work.name, "rules.txt")
    s.press("Save Results As Text File")
    s.choose_file("Save", target)
    wait_until("the saved file", lambda: os.path.exists(target) and s.find_window("dialog") is None)
    s.press("Clear List", 1)
    wait_until("the cleared rules", lambda: s.rows(RULES) == [])
    s.close_and_expect_the_end()

    s.launch(["--rules", target])
    loaded = list(zip(s.cells(RULES, 0), s.cells(RULES, 1)))
    check(loaded == typed, "rules read back: %r" % loaded)
    # And they are rules: the run uses them.
    s.press("Add Phone Number or Numbers")
    s.answer_input("Add Phone Number", "6034343563, 7978118")
    start_run(s)
    results = s.rows(RESULTS)
    check(results == ["(603) 434-3563", "797/8118"], "results: %r" % results)


OPENED_FILE = ("numbers from the command line.txt", b"6034343563\r\n7978118\r\n")


def scenario_open_with(s):
    """The program started with a file to open, as a file manager's "Open With" starts it:
    the file's lines are in the phone list."""
    phones = wait_until("the opened file's rows",
                        lambda: s.rows(PHONES) if s.rows(PHONES) else None)
    check(phones == ["6034343563", "7978118"], "phones: %r" % phones)


def scenario_pointer_files(s):
    """The pointer files beside the program are found: the hand over buttons, the drag
    pointer while a number is moved."""
    s.press("Load Sample/Example Data")
    button = s.find(s.root, "push button", "Help")
    box = button.queryComponent().getExtents(s.atspi.DESKTOP_COORDS)
    s.xdotool("mousemove", str(box.x + 20), str(box.y + 10))
    s.xdotool("mousemove", str(box.x + 24), str(box.y + 12))
    hand = wait_until("the hand pointer", lambda: s.pointer_image() == (32, 32, 10, 0))
    check(hand, "no hand pointer")
    row = s.find(s.find(s.root, "table", None, PHONES), "table cell", "6034343563")
    box = row.queryComponent().getExtents(s.atspi.DESKTOP_COORDS)
    s.xdotool("mousemove", str(box.x + 10), str(box.y + box.height // 2), "mousedown", "1")
    try:
        wait_until("the drag pointer", lambda: s.pointer_image() == (32, 32, 16, 16))
    finally:
        s.xdotool("mouseup", "1")


def scenario_drag_past_list(s):
    """A number pressed and dragged straight past the list's bottom moves nothing: only the
    rows the user can see are under the pointer."""
    numbers = [str(n) for n in range(12)]
    s.press("Add Phone Number or Numbers")
    s.answer_input("Add Phone Number", ", ".join(numbers))
    wait_until("the twelve numbers", lambda: len(s.rows(PHONES)) == 12)
    table = s.find(s.root, "table", None, PHONES)
    first = s.find(table, "table cell", "0").queryComponent().getExtents(s.atspi.DESKTOP_COORDS)
    box = table.queryComponent().getExtents(s.atspi.DESKTOP_COORDS)
    x = str(first.x + 10)
    s.xdotool("mousemove", x, str(first.y + first.height // 2), "mousedown", "1")
    try:
        # One fast move onto the buttons below the list, then further down the window.
        s.xdotool("mousemove", x, str(box.y + box.height + 40))
        s.xdotool("mousemove", x, str(box.y + box.height + 150))
    finally:
        s.xdotool("mouseup", "1")
    time.sleep(0.2)
    phones = s.rows(PHONES)
    check(phones == numbers, "phones after the drag: %r" % phones)


def scenario_paste_numbers(s):
    """3,500 ten-digit numbers, 38,499 characters, pasted into the input box: every one of them
    in the phone list, none cut short."""
    numbers = [str(6034340000 + n) for n in range(3500)]
    text = ",".join(numbers).encode()
    check(len(text) == 38499, "the pasted text is %d characters" % len(text))
    holder = s.start(["xclip", "-selection", "clipboard", "-quiet", "-i"],
                     stdin=subprocess.PIPE, stderr=subprocess.DEVNULL)
    holder.stdin.write(text)
    holder.stdin.close()
    wait_until("the clipboard's text", lambda: s.clipboard() == text)
    # Found while the list is empty: a walk of the accessibility tree visits every row.
    table = s.find(s.root, "table", None, PHONES).queryTable()
    s.press("Add Phone Number or Numbers")
    wait_until("the input box", lambda: s.find_window("dialog", "Add Phone Number"))
    time.sleep(0.1)
    s.key("ctrl+v")
    s.key("Return")
    # The numbers are appended in one go: once there are any, they are all there.
    wait_until("the pasted numbers", lambda: table.nRows > 0)
    check(table.nRows == len(numbers), "%d numbers in the list" % table.nRows)
    # Reading a row over the bus takes a while; these are the rows a cut paste gets wrong (it
    # kept 2,979 numbers, the last cut to nine digits) and the ends.
    for row in (0, 1, 2977, 2978, 2979, 3498, 3499):
        phone = table.getAccessibleAt(row, 0).name
        check(phone == numbers[row], "row %d: %r" % (row, phone))


def scenario_copy_cut_short(s):
    """Clearing the results while a copy works leaves the clipboard as it was: one error
    report, then the message that nothing was copied."""
    # Another program owns the clipboard, holding text of its own.
    holder = s.start(["xclip", "-selection", "clipboard", "-quiet", "-i"],
                     stdin=subprocess.PIPE, stderr=subprocess.DEVNULL)
    holder.stdin.write(b"held before")
    holder.stdin.close()
    wait_until("the clipboard's text", lambda: s.clipboard() == b"held before")
    clear = s.find(s.root, "push button", "Clear List", 2)
    results = s.find(s.root, "table", None, RESULTS).queryTable()
    buttons = long_results(s, ["Copy Results To Clipboard"])
    check(results.nRows == 1000003, "results: %d" % results.nRows)
    spots = []
    for button in (buttons["Copy Results To Clipboard"], clear):
        box = button.queryComponent().getExtents(s.atspi.DESKTOP_COORDS)
        spots.append((str(box.x + box.width // 2), str(box.y + box.height // 2)))
    # Both clicks at once: the second is handled while the copy yields.
    s.xdotool("mousemove", *spots[0], "mousedown", "1", "mouseup", "1", "mousemove", *spots[1],
              "mousedown", "1", "mouseup", "1")
    title, text = s.read_and_close_message()
    check(title == "Application Error", "first box: %r %r" % (title, text))
    check(text.startswith("Subscript out of range\nin Tessaline2021/08/31.Form1.PushButton8_Click "
                          "at line 106"), "report: %r" % text)
    title, text = s.read_and_close_message()
    check(text.startswith("Results have not been copied to the clipboard."), "then: %r" % text)
    check(results.nRows == 0, "the results were not cleared")
    copied = s.clipboard()
    check(copied == b"held before", "clipboard: %r" % copied)


def long_results(s, buttons, lines=1000000):
    """Long results, a million by default, found buttons in hand: walking the accessibility
    tree visits every row, so what is needed is found while the lists are small."""
    source = os.path.join(s.work.name, "many.txt")
    with open(source, "wb") as numbers:
        # Long lines make long work, so a second action surely comes while it runs.
        numbers.write(b"(603) 434-3563 extension 1234, ask for the front desk\r\n" * lines)
    found = {caption: s.find(s.root, "push button", caption)
             for caption in ("Load Sample/Example Data", "Start Formatting Phone Numbers")
             + tuple(buttons)}
    s.click(found["Load Sample/Example Data"])
    load_through_dialog(s, source)
    s.click(found["Start Formatting Phone Numbers"])
    wait_until("the run to end", lambda: s.find_window("alert"), seconds=90)
    check(s.read_and_close_message()[1] == "Done.", "the run did not say Done.")
    return found


OLD_RESULTS = b"the old results\r\n"
LONG_SAVE_LINES = 3000000


def start_long_save(s, *links):
    """A comma save of three million results over an old file (with further hard links to it,
    if named), started and answered Yes; returns the target once the save works on it, and a
    way to start the same save again."""
    target = os.path.join(s.work.name, "saved", "results.txt")
    os.mkdir(os.path.dirname(target))
    with open(target, "wb") as old:
        old.write(OLD_RESULTS)
    for link in links:
        os.link(target, os.path.join(os.path.dirname(target), link))
    # Enough to keep the save at work while a loaded machine notices it and ends it.
    buttons = long_results(s, ["Save As Comma Delimited"], lines=LONG_SAVE_LINES)

    def save():
        s.click(buttons["Save As Comma Delimited"])
        s.choose_file("Save", target)
        s.box("alert")  # "Are you sure you wish to overwrite ...?"
        s.key("Return")  # Yes; the save starts

    save()
    return target, save


def wait_for(what, probe, seconds=WAIT_SECONDS):
    """Polls quickly, for a moment that passes quickly."""
    deadline = time.monotonic() + seconds
    while not probe():
        check(time.monotonic() < deadline, what)
        time.sleep(0.002)


def temporaries(folder):
    """The hidden files a save writes before it renames one over its target."""
    return [os.path.join(folder, name) for name in os.listdir(folder) if name.startswith(".")]


def end_during_save(s, end, status):
    """Ends the program while a save writes its temporary file; afterwards nothing is left
    beside the target, which keeps its old text."""
    target, save_again = start_long_save(s)
    folder = os.path.dirname(target)
    for _ in range(3):
        wait_for("the save never began", lambda: temporaries(folder))
        # Held still while the ending is sent, so a busy machine that is slow to send it cannot
        # let the save finish first; the ending is waiting when the program goes on.
        os.kill(s.app.pid, signal.SIGSTOP)
        written = sum(os.stat(name).st_size for name in temporaries(folder))
        if written < LONG_SAVE_LINES * 40:
            break
        # Seen only near its end: the save finishes, the old file is put back, and it starts
        # again.
        os.kill(s.app.pid, signal.SIGCONT)
        wait_for("the save to end", lambda: not temporaries(folder))
        with open(target, "wb") as old:
            old.write(OLD_RESULTS)
        save_again()
    else:
        raise Failure("three saves were seen only near their end")
    end()
    os.kill(s.app.pid, signal.SIGCONT)
    try:
        ended = s.app.wait(timeout=WAIT_SECONDS)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not end")
    check(ended == status, "exit status %d" % ended)
    left = sorted(os.listdir(folder))
    check(left == ["results.txt"], "left in the folder: %r" % left)
    with open(target, "rb") as kept:
        data = kept.read()
    check(data == OLD_RESULTS, "the old file became %d bytes" % len(data))


def scenario_close_during_save(s):
    """Closing the window while a save works ends the program and leaves nothing behind."""
    end_during_save(s, s.close_window, 0)


def scenario_sigterm_during_save(s):
    """SIGTERM (a logout, a service manager) during a save ends the program as closing the
    window does."""
    end_during_save(s, lambda: os.kill(s.app.pid, signal.SIGTERM), 0)


def scenario_display_lost_during_save(s):
    """The X server going away during a save ends the program (Qt's exit status 1) and leaves
    nothing behind either."""
    xvfb = s.processes[0]
    end_during_save(s, lambda: os.kill(xvfb.pid, signal.SIGKILL), 1)


def scenario_sigterm_during_rewrite(s):
    """A file with two hard links is rewritten in place, which cannot be undone halfway: SIGTERM
    while the new text goes over the old lets it finish, then ends the program."""
    target, _ = start_long_save(s, "other.txt")
    before = os.stat(target)

    def writing():
        now = os.stat(target)
        return (now.st_mtime_ns, now.st_blocks) != (before.st_mtime_ns, before.st_blocks)

    wait_for("the rewrite never began", writing, seconds=120)
    os.kill(s.app.pid, signal.SIGTERM)
    try:
        ended = s.app.wait(timeout=WAIT_SECONDS)
    except subprocess.TimeoutExpired:
        raise Failure("the program did not end")
    check(ended == 0, "exit status %d" % ended)
    folder = os.path.dirname(target)
    left = sorted(os.listdir(folder))
    check(left == ["other.txt", "results.txt"], "left in the folder: %r" % left)
    with open(target, "rb") as saved:
        data = saved.read()
    lines = data.count(b"\r\n")
    # The three sample numbers, then every loaded line; the last without its comma.
    check(lines == LONG_SAVE_LINES + 3 and data.endswith(b"front desk\r\n"),
          "the file holds %d bytes in %d lines" % (len(data), lines))


RUN_LINES = 3000000


def formatted(number):
    """A ten-digit number laid into xxx-xxx-xxxx, a seven-digit one into xxx/xxxx."""
    return "%s-%s-%s" % (number[:3], number[3:6], number[6:]) if len(number) == 10 else \
        "%s/%s" % (number[:3], number[3:])


def scenario_hold_still_during_run(s):
    """During a run over three million numbers, a drag in the phone list and a click on the
    result list's Clear List change nothing: after "Done." the results are the phone list's
    numbers formatted, row for row."""
    sample = ["6034343563", "7173933292", "7978118"]
    numbers = sample + [str(6030000000 + n) for n in range(RUN_LINES)]
    source = os.path.join(s.work.name, "numbers.txt")
    with open(source, "wb") as out:
        out.write("\r\n".join(numbers[3:]).encode() + b"\r\n")
    # Found while the lists are small: walking the accessibility tree visits every row.
    s.press("Load Sample/Example Data")
    wait_until("the sample numbers", lambda: s.rows(PHONES) == sample)
    phones_table = s.find(s.root, "table", None, PHONES)
    phones = phones_table.queryTable()
    results = s.find(s.root, "table", None, RESULTS).queryTable()
    save = s.find(s.root, "push button", "Save As Comma Delimited")
    spots = {}
    for name, node in (("first", s.find(phones_table, "table cell", sample[0])),
                       ("third", s.find(phones_table, "table cell", sample[2])),
                       ("start", s.find(s.root, "push button", "Start Formatting Phone Numbers")),
                       ("clear", s.find(s.root, "push button", "Clear List", 2))):
        box = node.queryComponent().getExtents(s.atspi.DESKTOP_COORDS)
        spots[name] = (str(box.x + min(box.width // 2, 40)), str(box.y + box.height // 2))
    load_through_dialog(s, source, seconds=60)
    wait_until("the loaded numbers", lambda: phones.nRows == len(numbers), seconds=60)
    # One stream of events: the run starts at the click's release, and the drag of the first
    # number onto the third and the click on the results' Clear List come while it works.
    s.xdotool("mousemove", *spots["start"], "click", "1",
              "mousemove", *spots["first"], "mousedown", "1",
              "mousemove", *spots["third"], "mouseup", "1",
              "mousemove", *spots["clear"], "click", "1")
    wait_until("the run to end", lambda: s.find_window("alert"), seconds=90)
    said = s.read_and_close_message()
    check(said == ("Dialwright", "Done."), "the run said %r" % (said,))
    shown = [phones.getAccessibleAt(row, 0).name for row in range(3)]
    check(shown == sample, "the phone list begins %r" % shown)
    check(results.nRows == len(numbers), "%d results for %d numbers" % (results.nRows, len(numbers)))
    saved = save_comma_delimited(s, seconds=60, button=save)
    expected = ",\r\n".join(formatted(number) for number in numbers).encode() + b"\r\n"
    if saved != expected:
        lines = saved.split(b"\r\n")
        wrong = next((row for row, (got, want) in enumerate(zip(lines, expected.split(b"\r\n")))
                      if got != want), min(len(lines), len(numbers)))
        raise Failure("the saved results differ from row %d: %r" % (wrong, lines[wrong:wrong + 3]))


def scenario_undo_clear(s):
    s.press("Load Sample/Example Data")
    sample = ["6034343563", "7173933292", "7978118"]
    wait_until("the sample numbers", lambda: s.rows(PHONES) == sample)
    s.press("Clear List")
    wait_until("the cleared list", lambda: s.rows(PHONES) == [])
    s.key("ctrl+z")
    wait_until("the numbers back after Ctrl+Z", lambda: s.rows(PHONES) == sample)
    s.key("ctrl+shift+z")
    wait_until("the list cleared again after Ctrl+Shift+Z", lambda: s.rows(PHONES) == [])
    s.key("ctrl+z")
    wait_until("the numbers back once more", lambda: s.rows(PHONES) == sample)
    check(s.rows(RULES) == ["10", "7"], "rules: %r" % s.rows(RULES))


def scenario_phone_list_menu(s):
    """The phone list's menu in a real X server: the Menu key, Shift+F10 and a right-click each
    open one menu; Tidy Numbers and Remove Duplicate Numbers rewrite the list, say what they did,
    and come undone with Ctrl+Z."""
    people = ["(603) 434-3563", "603.434.3563", "+1 603 434 3563", "1-800-FLOWERS",
              "603-434-3563 ext. 12", "6034343563"]
    tidied = ["6034343563", "6034343563", "16034343563", "1-800-FLOWERS",
              "603-434-3563 ext. 12", "6034343563"]
    distinct = ["(603) 434-3563", "+1 603 434 3563", "1-800-FLOWERS", "603-434-3563 ext. 12"]
    s.press("Add Phone Number or Numbers")
    s.answer_input("Add Phone Number", ",".join(people))
    wait_until("the numbers", lambda: s.rows(PHONES) == people)
    phones = s.find(s.root, "table", None, PHONES)
    first = s.find(phones, "table cell", people[0])
    s.click(first)  # the list has the keyboard

    def windows():
        return s.xdotool("search", "--onlyvisible", "--pid", str(s.app.pid), ".*").split()

    shown = len(windows())

    def choose(opening, downs, said, rows):
        opening()
        wait_until("the menu", lambda: len(windows()) > shown)
        time.sleep(0.3)
        check(len(windows()) == shown + 1, "%d windows shown" % len(windows()))
        s.key(*["Down"] * downs, "Return")
        check(s.read_and_close_message() == ("Dialwright", said), "the box")
        wait_until("the rewritten list", lambda: s.rows(PHONES) == rows)
        # The window has the keyboard again once the box has gone, as a window manager gives it.
        s.xdotool("windowfocus", s.window)
        s.key("ctrl+z")
        wait_until("the list back after Ctrl+Z", lambda: s.rows(PHONES) == people)

    tidy_said = ("Tidied 3 numbers; 2 texts were left as they were: 1 holding letters, 1 with "
                 "an extension.")
    choose(lambda: s.key("Menu"), 1, tidy_said, tidied)
    choose(lambda: s.key("shift+F10"), 2, "Removed 2 duplicate numbers.", distinct)
    box = first.queryComponent().getExtents(s.atspi.DESKTOP_COORDS)
    choose(lambda: s.xdotool("mousemove", str(box.x + 20), str(box.y + box.height // 2),
                             "click", "3"), 1, tidy_said, tidied)


def scenario_close(s):
    s.press("Load Sample/Example Data")
    s.close_and_expect_the_end()


SCENARIOS = {name[len("scenario_"):]: f for name, f in globals().items()
             if name.startswith("scenario_")}


def main():
    if len(sys.argv) != 3 or sys.argv[2] not in SCENARIOS:
        print("usage: e2e.py PROGRAM " + "|".join(SCENARIOS), file=sys.stderr)
        return 64
    arguments = []
    with tempfile.TemporaryDirectory(prefix="dialwright-open-") as folder:
        if sys.argv[2] == "open_with":
            arguments.append(os.path.join(folder, OPENED_FILE[0]))
            with open(arguments[0], "wb") as opened:
                opened.write(OPENED_FILE[1])
        return run(sys.argv[1], sys.argv[2], arguments)


def run(program, scenario, arguments):
    try:
        with Session(os.path.abspath(program), arguments) as session:
            SCENARIOS[scenario](session)
    except Failure as failure:
        print("FAILED %s: %s" % (scenario, failure), file=sys.stderr)
        return 1
    print("passed " + scenario)
    return 0


if __name__ == "__main__":
    sys.exit(main())
