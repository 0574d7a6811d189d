#!/usr/bin/python3
"""Uses Pelmora with a real screen reader, Orca, as a blind user would: keyboard only.

    /usr/bin/python3 tests/outside/orca_test.py PROGRAM

Inside its own Xvfb and D-Bus session (the outside test's), starts the accessibility bus,
then Orca with a private settings folder and its debug log, then PROGRAM, and presses keys
with xdotool. Orca logs every utterance as a SPEECH OUTPUT line, but writes its log in
chunks: each step's start is noted, and once Orca has stopped the lines are judged by their
time stamps. Prints each step as it runs, then one line per check and "N passed, M failed".
Exit status as the outside test's: 0 passed, 1 a check failed, 2 could not run.

Needs what the outside test needs, and the Debian packages orca and speech-dispatcher.
Without an audio device the speech server does not start; the log still has the speech.
"""
import datetime
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import outside_test as outside  # noqa: E402  the session, the X and AT-SPI helpers

# After a step's keys, time for Orca to hear the events and speak. Orca works through its
# queue in well under a second on an idle machine; the rest is margin for a loaded one.
SETTLE = 1.6

# The focus announcement of every Tab stop, from 选择学历 round to it again: what Orca must
# say, in this order, among the lines of that step. A text box says its whole value first,
# with the selection Qt makes on focus, then its group when it is new, its own name, role
# and unit (the value in that second part is cut short by Qt: see the README).
def box(name, value="0", unit="个月", group=None):
    return [value, "selected"] + ([f"{group} panel."] if group else []) + \
        [f"{name} text."] + ([f"{unit}."] if unit else [])


TAB_STOPS = [
    ("工伤月数", box("工伤月数", group="社保")),
    ("医疗月数", box("医疗月数")),
    ("养老月数", box("养老月数")),
    ("生育险月数", box("生育险月数")),
    ("失业月数", box("失业月数")),
    ("统一月数", box("统一月数", unit=None)),
    ("统一月", ["统一（月） push button."]),
    ("统一年数", box("统一年数", unit=None)),
    ("统一年", ["统一（年） push button."]),
    ("年龄", box("年龄", "18", unit=None, group="个人")),
    ("生育状况", ["combo box.", "生育状况."]),
    ("房产状况", ["combo box.", "房产状况."]),
    ("ID", ["身份证号码 text."]),
    ("身份证解读", ["身份证解读 push button."]),
    ("公司申办", ["社保 panel.", "通过公司申办 check box not checked.",
              "需连续在同一家公司交满一年的五险."]),
    ("在线咨询", ["试算结果 panel.", "在线咨询 push button."]),
    ("重置", ["重置 push button."]),
    ("评分结果", ["综合计算中… push button.", "评分结果."]),
    ("选择学历", ["高中或以下学历 combo box.", "选择学历."]),
]

# (title, keys, the control that then has the focus, what Orca must say, in order). None for
# a list of what must be said means: nothing at all but the keys' own echo.
def tab(control, said):
    return (f"Tab to {control}", ["Tab"], control, said)


def note(message):
    return f"notification {message}"


def typed(text, delay):
    """Typed whole, at delay ms per key, over the selected text: as people type."""
    return [("type", text, delay)]


STEPS = [
    ("start", [], "选择学历", ["Pelmora.", "combo box.", "选择学历."]),
    ("Down in 选择学历", ["Down"], "选择学历",
     [note("高中或以下学历，个人得分 5，合计得分 5，差一点，考证入户.")]),
    ("Down in 选择学历 again", ["Down"], "选择学历", [note("中专，合计得分 5，差一点，考证入户.")]),
    ("Down to 全日制大专或高技", ["Down"], "选择学历",
     [note("全日制大专或高技，学历得分 70，合计得分 75，差一点，考证入户.")]),
    ("Down to 全日制本科", ["Down"], "选择学历",
     [note("全日制本科，学历得分 90，合计得分 95，差一点，考证入户.")]),
    tab(*TAB_STOPS[0]),
    ("type 12 in 工伤月数 at 120 ms a key", ["ctrl+a"] + typed("12", 120), "工伤月数",
     [note("工伤得分 1，社保得分 1，合计得分 96，差一点，考证入户.")]),
    *[tab(control, said) for control, said in TAB_STOPS[1:3]],
    ("type 12 in 养老月数 at 30 ms a key: 99 is short", ["ctrl+a"] + typed("12", 30), "养老月数",
     [note("养老得分 3，社保得分 4，合计得分 99，差一点，考证入户.")]),
    tab(*TAB_STOPS[3]),
    ("type 12 in 生育险月数 at 120 ms a key: 100 passes", ["ctrl+a"] + typed("12", 120),
     "生育险月数", [note("生育险得分 1，社保得分 5，合计得分 100，积分通过，马上入户.")]),
    *[tab(control, said) for control, said in TAB_STOPS[4:10]],
    # The first key changes the verdict; the second changes no score, and is still heard.
    ("type 42 over 年龄's 18 at 120 ms a key", ["ctrl+a"] + typed("42", 120), "年龄",
     [note("合计得分 95，差一点，考证入户.")]),
    ("type 35 over it at 30 ms a key", ["ctrl+a"] + typed("35", 30), "年龄",
     [note("年龄得分 1，个人得分 1，合计得分 96，差一点，考证入户.")]),
    *[tab(control, said) for control, said in TAB_STOPS[10:14]],
    ("space on 身份证解读, ID empty", ["space"], "身份证解读",
     [note("号码有误，合计得分 96，差一点，考证入户.")]),
    ("space on 身份证解读 again", ["space"], "身份证解读",
     [note("号码有误，合计得分 96，差一点，考证入户.")]),
    tab(*TAB_STOPS[14]),
    ("space on 公司申办", ["space"], "公司申办",
     [note("社保得分 15，合计得分 106，积分通过，马上入户."), "checked"]),
    *[tab(control, said) for control, said in TAB_STOPS[15:17]],
    ("space on 重置", ["space"], "重置", [note("输入已清空，合计得分 5，综合计算中…")]),
    *[tab(control, said) for control, said in TAB_STOPS[17:]],
]

# What Orca echoes of the keys themselves: not what the program says.
KEY_ECHO = re.compile(r"^(tab|space|left shift|left control|[0-9a-z]) $")

REQUIRED = [("Orca", "orca", "orca"), ("the speech server", "speech-dispatcher",
                                        "speech-dispatcher")]


def missing_tools():
    return outside.missing_tools() + [(what, package) for what, path, package in REQUIRED
                                      if not shutil.which(path)]


def speech_lines(log_path):
    """(seconds since midnight, text) of every SPEECH OUTPUT line of Orca's debug log."""
    pattern = re.compile(r"^(\d\d):(\d\d):(\d\d\.\d+) - SPEECH OUTPUT: '(.*)' ?\{'established")
    lines = []
    with open(log_path, encoding="utf-8", errors="replace") as log:
        for line in log:
            match = pattern.match(line)
            if match:
                h, m, s, text = match.groups()
                lines.append((int(h) * 3600 + int(m) * 60 + float(s), text))
    return lines


def seconds_of_day():
    now = datetime.datetime.now()
    return now.hour * 3600 + now.minute * 60 + now.second + now.microsecond / 1e6


def in_order(expected, said):
    """True when every expected line is in said, in this order (other lines may come between)."""
    rest = iter(said)
    return all(any(want == line for line in rest) for want in expected)


def judge(report, steps, lines, end):
    for i, (title, keys, _focus, expected, start) in enumerate(steps):
        stop = steps[i + 1][4] if i + 1 < len(steps) else end
        said = [text for at, text in lines if start <= at < stop and not KEY_ECHO.match(text)]
        if expected is None:
            report.check(f"Orca on {title!r}", [], said)
            continue
        report.line(in_order(expected, said), f"Orca on {title!r}",
                    f"{said!r}" if in_order(expected, said)
                    else f"expected {expected!r} in this order, heard {said!r}")
        if any(isinstance(key, tuple) for key in keys):
            # Keys typed without a pause: the last result heard must be the whole result.
            notes = [text for text in said if text.startswith("notification ")]
            report.check(f"last result Orca said on {title!r}", expected[-1],
                         notes[-1] if notes else None)


# Orca listens for these among others; once they are registered it hears the window.
LISTENED = {"Window:Activate:", "Focus::", "Object:StateChanged:Showing"}


def registered_events():
    """The event names registered with the AT-SPI registry, by any client."""
    from gi.repository import Gio, GLib
    session = Gio.bus_get_sync(Gio.BusType.SESSION)
    address = session.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                                None, GLib.VariantType("(s)"), 0, -1, None).unpack()[0]
    bus = Gio.DBusConnection.new_for_address_sync(
        address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT
        | Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
    try:
        reply = bus.call_sync("org.a11y.atspi.Registry", "/org/a11y/atspi/registry",
                              "org.a11y.atspi.Registry", "GetRegisteredEvents", None, None, 0,
                              -1, None)
        return {event for _bus, event in reply.unpack()[0]}
    finally:
        bus.close_sync(None)


def wait_for_orca(orca, timeout):
    """Orca is ready once it has registered its event listeners with the AT-SPI registry."""
    started = heartbeat = time.monotonic()
    while time.monotonic() - started < timeout and orca.poll() is None:
        try:
            if LISTENED <= registered_events():
                print(f"Orca is listening after {time.monotonic() - started:.1f} s", flush=True)
                return True
        except Exception:  # the registry is still starting
            pass
        if time.monotonic() - heartbeat > 5:
            print("waiting for Orca", flush=True)
            heartbeat = time.monotonic()
        time.sleep(0.2)
    return False


def stop(process, how=signal.SIGTERM, timeout=outside.TIMEOUT):
    """Stops a child, saying so while it takes its time; kills it after timeout seconds."""
    if process.poll() is None:
        process.send_signal(how)
        deadline = time.monotonic() + timeout
        while process.poll() is None and time.monotonic() < deadline:
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                print(f"waiting for {os.path.basename(str(process.args[0]))} to end", flush=True)
        if process.poll() is None:
            process.kill()
            process.wait()


def run_checks(program):
    import pyatspi

    if not outside.display_usable():
        print("the X display of xvfb-run cannot be opened", flush=True)
        return outside.DISPLAY_UNUSABLE
    report = outside.Report(verbose=os.environ.get("PELMORA_VERBOSE") == "1")
    started = time.monotonic()
    scratch = tempfile.mkdtemp(prefix="pelmora-orca-")
    runtime = os.path.join(scratch, "runtime")
    os.mkdir(runtime, 0o700)
    log_path = os.path.join(scratch, "orca.log")
    program_log = os.path.join(scratch, "program.log")
    # Orca's own words in English, so that the lines read the same on every machine.
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime, LANG="C.UTF-8", LANGUAGE="C")
    children = []
    try:
        print("starting the accessibility bus and Orca", flush=True)
        children.append(subprocess.Popen(["/usr/libexec/at-spi-bus-launcher",
                                          "--launch-immediately"], env=env))
        orca = subprocess.Popen(["orca", "-u", os.path.join(scratch, "orca-settings"),
                                 f"--debug-file={log_path}"], env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        children.append(orca)
        if not wait_for_orca(orca, timeout=30):
            report.line(False, "start", "Orca did not register its event listeners")
            return outside.finish(report, program_log, started)
        print("starting the program", flush=True)
        with open(program_log, "w") as out:
            process = subprocess.Popen(
                [program], stdout=out, stderr=subprocess.STDOUT,
                env=dict(env, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1",
                         QT_QPA_PLATFORM="xcb"))
        children.append(process)
        steps = drive(pyatspi, process, report)
        end = seconds_of_day()
        stop(process)
        print("stopping Orca", flush=True)
        stop(orca, signal.SIGINT, timeout=20)  # it writes the rest of its log as it ends
        if steps is not None:
            judge(report, steps, speech_lines(log_path), end)
    except Exception as error:  # a broken bus or a vanished window: say so, don't hang
        report.line(False, "run", f"stopped by {type(error).__name__}: {error}")
    finally:
        for child in reversed(children):
            stop(child)
    if report.failed and os.path.exists(log_path):
        kept = os.path.join(tempfile.gettempdir(), "pelmora-orca-failed.log")
        shutil.copyfile(log_path, kept)
        print(f"Orca's debug log is kept in {kept}")
    code = outside.finish(report, program_log, started)
    shutil.rmtree(scratch, ignore_errors=True)
    return code


def drive(pyatspi, process, report):
    """Runs the steps; returns them with the time each started, or None if it could not."""
    app = outside.find_application(pyatspi, process)
    if app in (None, "exited"):
        report.line(False, "start", "Pelmora " + ("exited" if app else "is not on the bus"))
        return None
    wids = outside.xdotool("search", "--sync", "--onlyvisible", "--name", "^Pelmora$").split()
    window = outside.poll(lambda: outside.Window(pyatspi, app), lambda w: not w.missing())
    if not wids or window.missing():
        report.line(False, "start", "no window, or controls missing on the bus")
        return None
    done = []
    for n, (title, keys, focus, expected) in enumerate(STEPS, start=1):
        print(f"step {n}/{len(STEPS)}: {title}", flush=True)
        start = seconds_of_day()
        if not keys:
            outside.xdotool("windowfocus", "--sync", wids[0])
        for key in keys:
            if isinstance(key, tuple):
                _, text, delay = key
                outside.xdotool("type", "--delay", str(delay), text)
            else:
                outside.xdotool("key", key)
        seen = outside.poll(window.focused, lambda f: f == focus)
        if seen != focus:
            report.check(f"focus after {title!r}", focus, seen)
            return None  # the rest would only repeat this failure
        time.sleep(SETTLE)
        done.append((title, keys, focus, expected, start))
    return done


def main():
    return outside.main(run_checks, __file__, missing_tools)


if __name__ == "__main__":
    sys.exit(main())
