"""Reads Zarn's windows through AT-SPI as a screen reader does, along the main path, and checks
that every focusable control has a name that holds its visible text (the offset boxes: their
unit). Drives the program only by role and name. Prints a table of what it read."""
import os, re, subprocess, sys, time

import pyatspi
from gi.repository import Atspi

failures = []
processes = []  # each ended in turn, the last started first


def start(command, **options):
    processes.append(subprocess.Popen(command, **options))
    return processes[-1]


try:
    # Xvfb picks a free display itself and writes its number once it takes connections; it must
    # not reset when the bus launcher, its first client, leaves.
    xvfb = start(["Xvfb", "-displayfd", "1", "-noreset", "-nolisten", "tcp", "-screen", "0",
                  "1280x1024x24"], stdout=subprocess.PIPE)
    os.environ["DISPLAY"] = ":" + xvfb.stdout.readline().decode().strip()
    start(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"])
    # The program ends when its standard input closes, also when this script dies.
    app_process = start([sys.argv[1]], stdin=subprocess.PIPE)
    Atspi.set_timeout(5000, 10000)  # milliseconds, for every call on the bus

    def wait_for(what, find, seconds=15):
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            found = find()
            if found:
                return found
            time.sleep(0.2)
        failures.append(f"no {what} within {seconds} s")
        sys.exit(1)

    def walk(node):
        yield node
        if node.getRole() != pyatspi.ROLE_COMBO_BOX:  # its list holds only the values
            for child in node:
                if child is not None:
                    yield from walk(child)

    def application():
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.get_process_id() == app_process.pid:
                app.set_cache_mask(Atspi.Cache.NONE)
                return app

    def window(text, role=pyatspi.ROLE_LABEL, kind=None):
        """The showing window (of role `kind`) titled `text` or with a `role` whose name holds
        it."""
        for top in application() or []:
            if top is not None and top.getState().contains(pyatspi.STATE_SHOWING) and (
                    kind in (None, top.getRole())) and (
                    top.name == text or control(top, role, text)):
                return top

    def control(top, role, name):
        return next((n for n in walk(top) if n.getRole() == role and name in n.name), None)

    def press(top, role, name):
        action = wait_for(f"{role} named {name!r}", lambda: control(top, role, name)).queryAction()
        names = [action.getName(i).lower() for i in range(action.nActions)]
        action.doAction(next((i for i, n in enumerate(names) if n in ("press", "click")), 0))

    def labels(node):
        return [r.getTarget(i).name for r in node.getRelationSet()
                if r.getRelationType() == pyatspi.RELATION_LABELLED_BY
                for i in range(r.getNTargets())]

    def report(title, top, shown=()):
        """Prints what `top` tells; `shown`: texts on screen that some name must hold."""
        print(f"\n== {title}\n{'role':<12} | {'name':<42} | labelled by | description")
        print(f"{top.getRoleName():<12} | {top.name:<42} | | {top.description}")
        for node in walk(top):
            state = node.getState()
            if node == top or not state.contains(pyatspi.STATE_SHOWING):
                continue
            focusable = state.contains(pyatspi.STATE_FOCUSABLE)
            if not focusable and node.getRole() != pyatspi.ROLE_LABEL:
                continue
            by = ", ".join(labels(node))
            print(f"{node.getRoleName():<12} | {node.name:<42} | {by} | {node.description}")
            if focusable and not (node.name or by):
                failures.append(f"{title}: a nameless {node.getRoleName()}")
            if node.getRole() == pyatspi.ROLE_COMBO_BOX:
                said = (node.name + " " + by).lower()
                if sum(unit in said for unit in ("hour", "minute")) != 1:
                    failures.append(f"{title}: offset box {said!r} does not say its unit")
        names = [node.name for node in walk(top)]
        for text in shown:
            if not any(text in name for name in names):
                failures.append(f"{title}: no name holds the visible {text!r}")

    def alert(title):
        top = wait_for(f"alert {title!r}", lambda: window(title, kind=pyatspi.ROLE_ALERT))
        report(title, top)
        press(top, pyatspi.ROLE_PUSH_BUTTON, "OK")
        wait_for(f"{title!r} closed", lambda: not window(title, kind=pyatspi.ROLE_ALERT))

    def type_password(top, text):
        field = control(top, pyatspi.ROLE_PASSWORD_TEXT, "Administrator password")
        field.queryEditableText().setTextContents(text)

    main = wait_for("main window", lambda: window("Date and time"))
    report("main window", main, ["Schedule Task", "Shut down", "Restart", "Sleep"])
    press(main, pyatspi.ROLE_MENU_ITEM, "About Zarn")
    report("about panel", wait_for("about panel", lambda: window("About Zarn")),
           ["Version:", "For Linux with systemd", "Email:"])

    # The picker starts at the launch, earlier than the pressing: a time in the past.
    press(main, pyatspi.ROLE_PUSH_BUTTON, "Schedule Task")
    alert("Date/Time Input Error")
    picker = control(main, pyatspi.ROLE_SPIN_BUTTON, "Date and time")
    # Four years on: a leap day stays a day.
    later = re.sub(r"\b20\d\d\b", lambda year: str(int(year[0]) + 4),
                   picker.queryText().getText(0, -1))
    picker.queryEditableText().setTextContents(later)
    type_password(main, "wrong")
    press(main, pyatspi.ROLE_PUSH_BUTTON, "Schedule Task")
    alert("NOT started")
    type_password(main, "secret")
    press(main, pyatspi.ROLE_PUSH_BUTTON, "Schedule Task")
    alert("Scheduling is complete")
    # Quitting launched Zarn afresh; it finds the task waiting.
    alert("Task already scheduled")
    main = wait_for("End Task", lambda: window("End Task", pyatspi.ROLE_PUSH_BUTTON))
    report("main window, task waiting", main, ["End Task", "Shut down at", "Ending a task"])
    type_password(main, "wrong")
    press(main, pyatspi.ROLE_PUSH_BUTTON, "End Task")
    alert("Task NOT cancelled")
    type_password(main, "secret")
    press(main, pyatspi.ROLE_PUSH_BUTTON, "End Task")
    alert("The Task was cancelled")
finally:
    for process in reversed(processes):
        process.stdin.close() if process.stdin else process.terminate()
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()
    for failure in failures:
        print("FAIL:", failure)
sys.exit(1 if failures else 0)
