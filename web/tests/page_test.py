#!/usr/bin/python3
"""Drives the browser page in headless Chromium over the DevTools protocol, with real key
and mouse events, and checks what it shows against a native run of the same steps.

    /usr/bin/python3 web/tests/page_test.py SITE STEPS AXE [--measure N] [--screenshots DIR]

SITE is the built folder (build/web/site), STEPS the native helper web_steps (it plays
each step on a score sheet and prints what the page should show), AXE axe-core's
axe.min.js. The page is served from SITE by a server on 127.0.0.1 and opened from disk
too. --measure N loads the page N times and prints the medians of load to first key
handled and of key to the frame that shows the digit; --screenshots saves the page at
desktop width and at 360 px. Exit status 0 when every check passed, 1 when one failed,
2 when the test could not run. Needs Debian's chromium and python3-websocket.
"""
import base64
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import urllib.request

import websocket

TIMEOUT = 10.0  # seconds for anything the page should do

# ---------------------------------------------------------------------------------------
# The DevTools protocol


class Browser:
    def __init__(self):
        self.profile = tempfile.mkdtemp(prefix="pelmora-chromium-")
        self.process = subprocess.Popen(
            ["chromium", "--headless=new", "--no-sandbox", "--remote-debugging-port=0",
             "--user-data-dir=" + self.profile, "--no-first-run", "--disable-gpu",
             "--window-size=1024,768", "about:blank"],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        for line in self.process.stderr:
            found = re.search(r"DevTools listening on (ws://\S+)", line)
            if found:
                break
        else:
            raise RuntimeError("chromium printed no DevTools address")
        threading.Thread(target=lambda: [None for _ in self.process.stderr], daemon=True).start()
        port = re.search(r":(\d+)/", found.group(1)).group(1)
        pages = json.load(urllib.request.urlopen("http://127.0.0.1:%s/json/list" % port))
        page = next(p for p in pages if p["type"] == "page")
        # No Origin header: Chromium refuses DevTools connections that name an origin it was
        # not told to allow (some of Debian's builds do, others not).
        self.socket = websocket.create_connection(page["webSocketDebuggerUrl"], timeout=30,
                                                  suppress_origin=True)
        self.browser = websocket.create_connection(found.group(1), timeout=30,
                                                   suppress_origin=True)
        self.next_id = 0
        self.events = []

    def call(self, method, connection=None, **params):
        connection = connection or self.socket
        self.next_id += 1
        connection.send(json.dumps({"id": self.next_id, "method": method, "params": params}))
        while True:
            message = json.loads(connection.recv())
            if message.get("id") == self.next_id:
                if "error" in message:
                    raise RuntimeError("%s: %s" % (method, message["error"]))
                return message.get("result", {})
            if "method" in message:
                self.events.append(message)

    def browser_call(self, method, **params):
        return self.call(method, self.browser, **params)

    def evaluate(self, expression, wait=False):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True,
                           awaitPromise=wait)
        if "exceptionDetails" in result:
            raise RuntimeError("%s: %s" % (expression, result["exceptionDetails"]))
        return result["result"].get("value")

    def wait_for(self, expression, timeout=TIMEOUT):
        end = time.monotonic() + timeout
        while time.monotonic() < end:
            value = self.evaluate(expression)
            if value:
                return value
            time.sleep(0.005)
        return None

    def close(self):
        self.process.terminate()
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            self.process.kill()
        shutil.rmtree(self.profile, ignore_errors=True)


KEYS = {  # key: (code, Windows virtual key)
    "Tab": ("Tab", 9), "Enter": ("Enter", 13), "Escape": ("Escape", 27), " ": ("Space", 32),
    "ArrowDown": ("ArrowDown", 40), "ArrowUp": ("ArrowUp", 38), "F1": ("F1", 112),
    "Backspace": ("Backspace", 8),
}


def key(browser, name, modifiers=0):
    """One real key press: keydown (with its character, if it types one), keyup."""
    if name in KEYS:
        code, vk = KEYS[name]
    elif len(name) == 1 and name.isalnum():
        code = ("Digit" if name.isdigit() else "Key") + name.upper()
        vk = ord(name.upper())
    else:
        code, vk = "", 0
    typed = "\r" if name == "Enter" else name if (len(name) == 1 and not modifiers & 2) else ""
    shift = 8 if modifiers & 8 else 0
    browser.call("Input.dispatchKeyEvent", type="keyDown" if typed else "rawKeyDown", key=name,
                 code=code, windowsVirtualKeyCode=vk, text=typed, unmodifiedText=typed,
                 modifiers=modifiers | shift)
    browser.call("Input.dispatchKeyEvent", type="keyUp", key=name, code=code,
                 windowsVirtualKeyCode=vk, modifiers=modifiers)


def type_text(browser, text, interval):
    for character in text:
        key(browser, character)
        time.sleep(interval)


def click(browser, name):
    x, y = browser.evaluate(
        "(() => { const r = document.getElementById(%s).getBoundingClientRect();"
        " return [r.x + r.width / 2, r.y + r.height / 2]; })()" % json.dumps(name))
    for kind in ("mousePressed", "mouseReleased"):
        browser.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left",
                     clickCount=1)


# ---------------------------------------------------------------------------------------
# What the page shows, and what it should


class Checks:
    def __init__(self):
        self.passed = self.failed = 0

    def check(self, what, expected, seen):
        if expected == seen:
            self.passed += 1
        else:
            self.failed += 1
            print("FAIL %s\n  expected %r\n  seen     %r" % (what, expected, seen))


class Server:
    """python3 -m http.server on the folder, in a process of its own (a server thread here
    would wait for this process's polling)."""

    def __init__(self, folder):
        self.process = subprocess.Popen(
            [sys.executable, "-u", "-m", "http.server", "--bind", "127.0.0.1", "0"],
            cwd=folder, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        found = re.search(r"port (\d+)", self.process.stdout.readline())
        if not found:
            raise RuntimeError("http.server printed no port")
        self.port = int(found.group(1))

    def close(self):
        self.process.terminate()
        self.process.wait(10)


SHOWN = """(() => {
    const form = %s;
    const out = {texts: {}, picked: {}, enabled: {}};
    for (const c of form.controls) {
        if (c.field < 0) continue;
        const e = document.getElementById(c.name);
        if (c.kind === 'TextBox') { out.texts[c.name] = e.value; out.enabled[c.name] = !e.disabled; }
        else if (c.kind === 'List') out.picked[c.name] = e.selectedIndex;
        else if (c.kind === 'CheckBox') out.checked = e.checked;
        else out.texts[c.name] = e.textContent;
    }
    out.said = document.getElementById('announcer').textContent;
    out.focus = document.activeElement.id;
    return out;
})()"""


def expected_view(form, state):
    out = {"texts": {}, "picked": {}, "enabled": {}, "checked": state["checked"]}
    for c in form["controls"]:
        if c["field"] < 0:
            continue
        f = c["field"]
        if c["kind"] == "TextBox":
            out["texts"][c["name"]] = state["texts"][f]
            out["enabled"][c["name"]] = state["enabled"][f]
        elif c["kind"] == "List":
            out["picked"][c["name"]] = state["picked"][f]
        elif c["kind"] != "CheckBox":
            out["texts"][c["name"]] = state["texts"][f]
    return out


def absolute_rects(form):
    """Each control's rectangle in pixels from the form's corner, through its containers."""
    by_name = {c["name"]: c for c in form["controls"]}
    rects = {}
    for c in form["controls"]:
        left, top, width, height = c["rect"]
        container = c["container"]
        while container:
            left += by_name[container]["rect"][0]
            top += by_name[container]["rect"][1]
            container = by_name[container]["container"]
        rects[c["name"]] = (left, top, width, height)
    return rects


def tap(browser, name):
    """A finger's tap at the element's centre, scrolled into view first as a phone does."""
    x, y = browser.evaluate(
        "(() => { const e = document.getElementById(%s); e.scrollIntoView({block: 'center'});"
        " const r = e.getBoundingClientRect(); return [r.x + r.width / 2, r.y + r.height / 2];"
        " })()" % json.dumps(name))
    browser.call("Input.dispatchTouchEvent", type="touchStart", touchPoints=[{"x": x, "y": y}])
    browser.call("Input.dispatchTouchEvent", type="touchEnd", touchPoints=[])
    browser.wait_for("document.activeElement.id === %s || !document.getElementById(%s).matches("
                     "'input, select, button')" % (json.dumps(name), json.dumps(name)), 1)


def commit_text(browser, text, interval):
    """What a phone keyboard commits, one key at a time: text input, no key events."""
    for character in text:
        browser.call("Input.insertText", text=character)
        time.sleep(interval)


# The scenario, one step a row: (what the user does, the control, the action, its argument,
# the time between keys). On the desktop the focus moves by Tab, a list's item by Down, a
# button or the check box by Space, and text is typed key by key; on the phone each control
# is tapped, a list's item picked as its picker does, and text committed as a phone keyboard
# commits it. Each mode plays its own events natively, to compare.
STEPS = [
    ("选择学历: the fourth item", "选择学历", "pick", 3, 0),
    ("养老月数: 36 at 120 ms a key", "养老月数", "type", "36", 0.12),
    ("统一月数: 24 at 30 ms a key", "统一月数", "type", "24", 0.03),
    ("统一（月）", "统一月", "press", None, 0),
    ("年龄: 3x5 at 30 ms a key (x refused)", "年龄", "type", "3x5", 0.03),
    ("生育状况: the first item", "生育状况", "pick", 0, 0),
    ("房产状况: the second item", "房产状况", "pick", 1, 0),
    ("居住时长 (enabled now): 400 at 120 ms a key", "居住时长", "type", "400", 0.12),
    ("ID: a number at 30 ms a key", "ID", "type", "000000199001010010", 0.03),
    ("身份证解读", "身份证解读", "press", None, 0),
    ("the check box", "公司申办", "press", None, 0),
]


def scenario(browser, phone):
    """[(what, run, the helper's lines, the focus after it)] for the desktop or the phone."""
    def focus(name):
        if phone:
            tap(browser, name)
            return
        for _ in range(30):
            if browser.evaluate("document.activeElement.id") == name:
                return
            key(browser, "Tab")

    def step(name, action, argument, interval):
        def run():
            if action == "pick" and phone:
                # The picker of a phone's list sets the item and fires change.
                tap(browser, name)
                browser.evaluate("(() => { const e = document.getElementById(%s);"
                                 " e.selectedIndex = %d;"
                                 " e.dispatchEvent(new Event('change', {bubbles: true})); })()"
                                 % (json.dumps(name), argument))
                return
            focus(name)
            if action == "type":
                if phone:  # the box's text selected, as a long press does
                    browser.evaluate("document.activeElement.select()")
                    commit_text(browser, argument, interval)
                else:
                    type_text(browser, argument, interval)
            elif action == "pick":
                while browser.evaluate("document.activeElement.selectedIndex") < argument:
                    key(browser, "ArrowDown")
            elif action == "press" and not phone:
                key(browser, " ")
        return run

    out = []
    picked = {}
    for what, name, action, argument, interval in STEPS:
        if action == "pick":
            before = picked.get(name, -1)
            items = [argument] if phone else range(before + 1, argument + 1)
            lines = ["pick\t%s\t%d" % (name, i) for i in items]
            picked[name] = argument
        elif action == "type":
            lines = ["type\t%s\t%s" % (name, argument)]
        elif name == "公司申办":
            lines = ["check\t%s\t1" % name]
        else:
            lines = ["click\t%s" % name]
        out.append((what, step(name, action, argument, interval), lines, name))
    if not phone:
        out.append(("Shift+Tab back and forth",
                    lambda: (key(browser, "Tab", 8), key(browser, "Tab")), [], "公司申办"))
    return out


def run_scenario(browser, form, steps_program, checks, phone=False):
    plan = scenario(browser, phone)
    mode = "phone: " if phone else ""
    lines = [line for _, _, step_lines, _ in plan for line in step_lines]
    helper = subprocess.run([steps_program], input="\n".join(lines) + "\n", capture_output=True,
                            text=True, check=True)
    results = [json.loads(line) for line in helper.stdout.splitlines()]
    shown = lambda: browser.evaluate(SHOWN % json.dumps(form))

    start = shown()
    checks.check(mode + "first focus", form["firstFocus"], start["focus"])
    checks.check(mode + "the start", expected_view(form, results[0]["state"]),
                 {k: start[k] for k in ("texts", "picked", "enabled", "checked")})
    at = 1
    said = ""
    for what, action, step_lines, focus in plan:
        action()
        at += len(step_lines)
        expected = expected_view(form, results[at - 1]["state"])
        for line in results[at - len(step_lines):at]:
            said = line["said"] or said
        # Everything is shown within the event's own task; the wait is for the key events.
        browser.wait_for("(%s).said === %s" % (SHOWN % json.dumps(form), json.dumps(said)), 2)
        seen = shown()
        checks.check(mode + what + ": fields", expected,
                     {k: seen[k] for k in ("texts", "picked", "enabled", "checked")})
        checks.check(mode + what + ": heard", said, seen["said"])
        checks.check(mode + what + ": focus", focus, seen["focus"])
    final = results[-1]["state"]["texts"]
    total, verdict = final[27], final[28]
    checks.check(mode + "the last sentence ends with the total and the verdict", True,
                 seen["said"].endswith("合计得分 %s，%s" % (total, verdict)))
    return [line for _, _, step_lines, _ in plan for line in step_lines]




def run_more(browser, form, steps_program, checks, played):
    """Paste, an input method, F1, the copy, the menu, the QR code, the links, reset."""
    shown = lambda: browser.evaluate(SHOWN % json.dumps(form))

    def expect(lines):
        out = subprocess.run([steps_program], input="\n".join(played + lines) + "\n",
                             capture_output=True, text=True, check=True).stdout.splitlines()
        played.extend(lines)
        return json.loads(out[-1])

    def fields_now():
        seen = shown()
        return {k: seen[k] for k in ("texts", "picked", "enabled", "checked")}

    # A paste is written whole, filter or not: "12ab" into 医疗月数.
    browser.evaluate("navigator.clipboard.writeText('12ab')", wait=True)
    browser.evaluate("document.getElementById('医疗月数').focus();"
                     "document.getElementById('医疗月数').select()")
    key(browser, "v", 2)
    result = expect(["paste\t医疗月数\t12ab"])
    browser.wait_for("document.getElementById('医疗月数').value === '12ab'", 2)
    checks.check("paste into 医疗月数", expected_view(form, result["state"]), fields_now())

    # An input method's commit is typed text: a full-width digit is refused, "7" taken.
    browser.evaluate("document.getElementById('年龄').focus();"
                     "document.getElementById('年龄').select()")
    for commit in ("５", "7"):
        browser.call("Input.imeSetComposition", text=commit, selectionStart=1, selectionEnd=1)
        browser.call("Input.insertText", text=commit)
    result = expect(["type\t年龄\t７7".replace("７", "５")])
    browser.wait_for("document.getElementById('年龄').value === '7'", 2)
    checks.check("input method into 年龄", expected_view(form, result["state"]), fields_now())

    # F1: the explanation at the control and in the live region, gone at the next key.
    key(browser, "F1")
    help_text = expect(["help\t年龄"])["said"]
    checks.check("F1 shows", help_text, browser.evaluate(
        "(() => { const e = document.getElementById('explanation');"
        " return e.hidden ? null : e.textContent; })()"))
    checks.check("F1 is heard", help_text,
                 browser.evaluate("document.getElementById('announcer').textContent"))
    key(browser, "Escape")
    checks.check("F1's text goes at the next key", True,
                 browser.evaluate("document.getElementById('explanation').hidden"))

    # A tooltip is composed when the pointer comes to its control.
    x, y = browser.evaluate(
        "(() => { const r = document.getElementById('合计得分').getBoundingClientRect();"
        " return [r.x + 3, r.y + 3]; })()")
    browser.call("Input.dispatchMouseEvent", type="mouseMoved", x=x, y=y)
    checks.check("the tooltip of 合计得分", expect(["tooltip\t合计得分"])["said"],
                 browser.wait_for("document.getElementById('合计得分').title", 2))

    # Ctrl+Shift+C with the Clipboard API, then the menu's item where it is refused.
    assessment = expect(["copy\t年龄"])["said"]
    key(browser, "C", 2 | 8)
    copied = browser.wait_for("navigator.clipboard.readText().then(t => t.startsWith("
                              "'Pelmora') && t)", 2)
    browser.wait_for("(async () => (await navigator.clipboard.readText()).includes('年龄：7'))()")
    checks.check("Ctrl+Shift+C copies the assessment", assessment,
                 browser.evaluate("navigator.clipboard.readText()", wait=True))
    del copied
    browser.browser_call("Browser.resetPermissions")
    browser.evaluate("Object.defineProperty(navigator, 'clipboard', {value: undefined})")
    x, y = browser.evaluate(
        "(() => { const r = document.getElementById('合计得分').getBoundingClientRect();"
        " return [r.x + 5, r.y + 5]; })()")
    for kind in ("mousePressed", "mouseReleased"):
        browser.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="right",
                     clickCount=1)
    checks.check("the menu's item", True, browser.wait_for(
        "!document.getElementById('menu').hidden && document.activeElement.textContent === %s"
        % json.dumps(form["copyAssessment"]), 2))
    key(browser, "Enter")
    checks.check("without the Clipboard API the assessment is shown selected", assessment,
                 browser.wait_for("document.activeElement.tagName === 'TEXTAREA' &&"
                                  " document.activeElement.selectionEnd ==="
                                  " document.activeElement.value.length &&"
                                  " document.activeElement.value", 2))
    key(browser, "Escape")

    # Picture1: the large QR code in a dialog that leaves the form usable; Escape closes it.
    click(browser, "Picture1")
    checks.check("Picture1 opens the QR code", True,
                 browser.wait_for("document.querySelector('dialog[open] img') !== null", 2))
    checks.check("the form stays usable beside it", False,
                 browser.evaluate("document.querySelector('dialog[open]').matches(':modal')"))
    key(browser, "Escape")
    checks.check("Escape closes it", True,
                 browser.wait_for("document.querySelector('dialog[open]') === null", 2))

    # The links: 在线咨询 opens the consultation page in a new tab, with no opener.
    checks.check("在线咨询 opens its page in a new tab, with no opener",
                 ("https://www.vastrel.example/consult/", False),
                 opened_tab(browser, lambda: click(browser, "在线咨询")))

    # Space on 重置.
    browser.evaluate("document.getElementById('重置').focus()")
    key(browser, " ")
    result = expect(["click\t重置"])
    browser.wait_for("document.getElementById('评分结果').textContent === %s"
                     % json.dumps(result["state"]["texts"][28]), 2)
    checks.check("Space on 重置", expected_view(form, result["state"]), fields_now())
    checks.check("重置 is heard", result["said"],
                 browser.evaluate("document.getElementById('announcer').textContent"))


def check_tab_order(browser, form, checks):
    """Tab from the first stop goes round the table's tab order, past a disabled box."""
    stops = [c["name"] for c in sorted(form["controls"], key=lambda c: c["tab"])
             if c["kind"] in ("TextBox", "List", "Button", "CheckBox")]
    disabled = browser.evaluate("[...document.querySelectorAll('#form :disabled')].map(e => e.id)")
    expected = [name for name in stops if name not in disabled]
    browser.evaluate("document.getElementById(%s).focus()" % json.dumps(form["firstFocus"]))
    seen = []
    for _ in expected:
        key(browser, "Tab")
        seen.append(browser.evaluate("document.activeElement.id"))
    checks.check("the tab order, with %s disabled" % ", ".join(disabled),
                 expected[1:] + expected[:1], seen)


def check_geometry(browser, form, checks, mode=""):
    rects = absolute_rects(form)
    seen = browser.evaluate("""(() => {
        const origin = document.getElementById('form').getBoundingClientRect();
        const out = {};
        for (const e of document.querySelectorAll('#form [id]')) {
            const box = e.type === 'checkbox' ? e.parentElement : e;
            const r = box.getBoundingClientRect();
            out[e.id] = [r.left - origin.left, r.top - origin.top, r.width, r.height];
        }
        return out;
    })()""")
    for name, expected in rects.items():
        got = seen.get(name)
        close = got is not None and all(abs(a - b) <= 1 for a, b in zip(expected, got))
        checks.check(mode + "rectangle of %s" % name, list(expected),
                     got if not close else list(expected))


def expected_accessibility(form):
    """Each control's accessible name and description as the Qt view gives them on Linux
    (window/mainwindow.cpp), from the table's columns; None where the browser's own rule
    applies. Lists differ: Qt on Linux names a list by its current item, a select is
    named by its caption and reads its item as its value."""
    described = {c["describes"]: c["text"] for c in form["controls"] if c["describes"]}
    caption = {c["names"]: c["text"] for c in form["controls"] if c["names"]}
    out = {}
    for c in form["controls"]:
        name = description = None
        if c["kind"] == "Picture":
            name = c["says"]
        elif c["field"] >= 0 and c["kind"] == "TextBox":
            name = c["name"]
        elif c["field"] >= 0 and c["kind"] == "List":
            name, description = caption[c["name"]], c["name"]
        elif c["field"] >= 0 and c["kind"] != "CheckBox":
            description = c["name"]
        elif c["kind"] in ("Button", "CheckBox", "Frame"):
            name = c["text"] or None
        if c["says"] and c["kind"] != "Picture":
            description = c["says"]
        if c["name"] in described:
            description = described[c["name"]]
        out[c["name"]] = (name, description)
    return out


def check_accessibility(browser, form, checks):
    tree = browser.call("Accessibility.getFullAXTree")["nodes"]
    by_dom = {n.get("backendDOMNodeId"): n for n in tree}
    document = browser.call("DOM.getDocument", depth=-1, pierce=False)["root"]
    ids = {}

    def walk(node):
        attributes = node.get("attributes", [])
        for i in range(0, len(attributes), 2):
            if attributes[i] == "id":
                ids[attributes[i + 1]] = node["backendNodeId"]
        for child in node.get("children", []):
            walk(child)
    walk(document)
    seen = {}
    for name, expected in expected_accessibility(form).items():
        node = by_dom.get(ids.get(name), {})
        value = lambda key: (node.get(key) or {}).get("value") or None
        got = (value("name"), value("description"))
        seen[name] = tuple(g if e is not None else None for e, g in zip(expected, got))
    checks.check("accessible names and descriptions", expected_accessibility(form), seen)


def audit(browser, form, axe, checks, allowed=True):
    """axe-core's audit; on the desktop the form's own red is let pass, on a phone nothing."""
    with open(axe, encoding="utf-8") as f:
        browser.evaluate(f.read())
    result = browser.evaluate("axe.run(document).then(r => r.violations.map(v => "
                              "({id: v.id, targets: v.nodes.map(n => n.target.join(' '))})))",
                              wait=True)
    red = {"#" + c["name"] for c in form["controls"] if c.get("colour") and allowed}
    other = []
    for violation in result:
        for target in violation["targets"]:
            # The form's own red on the window's grey is below 4.5:1 where it is not large.
            if violation["id"] == "color-contrast" and target in red:
                print("   allowed: color-contrast %s (the form's red)" % target)
                continue
            other.append("%s %s" % (violation["id"], target))
    checks.check("accessibility audit (axe-core)%s" % ("" if allowed else " on a phone"), [],
                 other)

# ---------------------------------------------------------------------------------------
# A phone: 360 x 740 CSS pixels, 3 device pixels to one, touch


def as_phone(browser, width=360, height=740):
    browser.call("Emulation.setDeviceMetricsOverride", width=width, height=height,
                 deviceScaleFactor=3, mobile=True)
    browser.call("Emulation.setTouchEmulationEnabled", enabled=True, maxTouchPoints=5)


def opened_tab(browser, action):
    """The address of the page that action opens in a new tab, and whether it may reach
    its opener; the tab is closed again."""
    browser.call("Target.setDiscoverTargets", discover=True)
    browser.events.clear()
    action()
    created = None
    end = time.monotonic() + TIMEOUT
    while not created and time.monotonic() < end:
        browser.evaluate("1")
        for event in browser.events:
            info = event["params"].get("targetInfo", {})
            if event["method"] in ("Target.targetCreated", "Target.targetInfoChanged") and \
                    info.get("type") == "page" and info.get("url", "").startswith("https:"):
                created = info
    browser.call("Target.setDiscoverTargets", discover=False)
    if created:
        browser.call("Target.closeTarget", targetId=created["targetId"])
    return created and (created["url"], bool(created.get("canAccessOpener")))


TARGETS = """[...document.querySelectorAll(
    '#form input, #form select, #form button, #form a, #form .clickable, #layouts button')].filter(e => e.getClientRects().length).map(e => {
    const box = e.type === 'checkbox' ? e.parentElement : e;
    const r = box.getBoundingClientRect();
    return [e.id, Math.round(r.width * 10) / 10, Math.round(r.height * 10) / 10];
})"""

# Every element's own text, with its font size and the element's kind.
TEXTS = """[...document.querySelectorAll('main *')].filter(e => e.getClientRects().length &&
    [...e.childNodes].some(n => n.nodeType === 3 && n.textContent.trim())).map(e =>
    [e.id || e.tagName, e.tagName, parseFloat(getComputedStyle(e).fontSize)])"""

IN_SIGHT = """(() => {
    const v = window.visualViewport, seen = (e) => {
        const r = e.getBoundingClientRect();
        const x = r.left + r.width / 2, y = r.top + r.height / 2;
        return y >= 0 && y <= v.height && e.contains(document.elementFromPoint(x, y));
    };
    const box = document.activeElement;
    return [seen(document.getElementById('合计得分')), seen(document.getElementById('评分结果')),
            seen(box.type === 'checkbox' ? box.parentElement : box)];
})()"""


def check_phone(browser, form, steps_program, checks, played):
    def expect(lines):
        out = subprocess.run([steps_program], input="\n".join(played + lines) + "\n",
                             capture_output=True, text=True, check=True).stdout.splitlines()
        return json.loads(out[-1])

    small = [t for t in browser.evaluate(TARGETS) if t[1] < 44 or t[2] < 44]
    checks.check("phone: every target at least 44 x 44", [], small)
    texts = browser.evaluate(TEXTS)
    checks.check("phone: boxes and lists at 16 px or more", [],
                 [t for t in browser.evaluate("[...document.querySelectorAll('#form input[type=text],"
                                              " #form select')].map(e => [e.id,"
                                              " parseFloat(getComputedStyle(e).fontSize)])")
                  if t[1] < 16])
    checks.check("phone: other text at 14 px or more", [], [t for t in texts if t[2] < 14])
    keyboards = browser.evaluate(
        "[...document.querySelectorAll('#form input[type=text]')].map(e => [e.id, e.inputMode,"
        " e.getAttribute('autocomplete'), e.getAttribute('autocapitalize'), e.spellcheck,"
        " e.enterKeyHint])")
    checks.check("phone: each box's keyboard, no correction", sorted(
        [c["name"], c["keyboard"], "off", "off", False, "next"]
        for c in form["controls"] if c["kind"] == "TextBox"), sorted(keyboards))
    checks.check("phone: the seven digit boxes have the digits' keyboard", 7,
                 sum(k[1] == "numeric" for k in keyboards))

    # The keyboard up leaves 400 of the 740 pixels: the total and the verdict stay in sight
    # beside each box.
    hidden = []
    for c in form["controls"]:
        if c["kind"] != "TextBox" or not browser.evaluate(
                "!document.getElementById(%s).disabled" % json.dumps(c["name"])):
            continue
        tap(browser, c["name"])
        as_phone(browser, height=400)
        browser.evaluate("document.activeElement.scrollIntoView({block: 'nearest'})")
        time.sleep(0.05)
        seen = browser.evaluate(IN_SIGHT)
        if seen != [True, True, True]:
            hidden.append([c["name"]] + seen)
        as_phone(browser)
    checks.check("phone: with the keyboard up, the total, the verdict and the box in sight",
                 [], hidden)

    # No hover on a phone: the verdict's explanation stands in the result's frame.
    checks.check("phone: the verdict's explanation shown", expect(["tooltip\t评分结果"])["said"],
                 browser.evaluate("document.getElementById('verdict-why').textContent"))
    tap(browser, "学历得分")
    checks.check("phone: a tap on a score shows its explanation, inside the window",
                 [expect(["tooltip\t学历得分"])["said"], True], browser.evaluate(
                     "(() => { const e = document.getElementById('explanation');"
                     " const r = e.getBoundingClientRect();"
                     " return [e.hidden ? null : e.textContent, r.left >= 0 &&"
                     " r.right <= document.documentElement.clientWidth"
                     " && parseFloat(getComputedStyle(e).fontSize) >= 14]; })()"))
    checks.check("phone: a tap on the verdict opens the consultation page",
                 ("https://www.vastrel.example/consult/", False),
                 opened_tab(browser, lambda: tap(browser, "评分结果")))
    checks.check("phone: the telephone number is a tel: link named by its number",
                 ["tel:" + form["telephone"], form["telephone"]], browser.evaluate(
                     "[document.getElementById('Label25').getAttribute('href'),"
                     " document.getElementById('Label25').textContent]"))
    # The share sheet, where the browser has one.
    browser.evaluate("navigator.share = (data) => { window.__shared = data.text;"
                     " return Promise.resolve(); }")
    tap(browser, "share")
    checks.check("phone: 复制评分明细 shares the assessment", expect(["copy\t年龄"])["said"],
                 browser.wait_for("window.__shared", 2))
    tap(browser, "Picture1")
    checks.check("phone: a tap on Picture1 opens the QR code", True,
                 browser.wait_for("document.querySelector('dialog[open] img') !== null", 2))
    browser.evaluate("document.querySelector('dialog[open]').close()")
    # The layouts, switched by hand and back; nothing typed is lost.
    total = browser.evaluate("document.getElementById('合计得分').textContent")
    tap(browser, "desktopLayout")
    checks.check("phone: 电脑版 shows the form, scaled to the width, with what was typed",
                 [True, total], browser.evaluate(
                     "[getComputedStyle(document.getElementById('form')).display === 'block',"
                     " document.getElementById('合计得分').textContent]"))
    tap(browser, "phoneLayout")
    checks.check("phone: 手机版 goes back", "grid",
                 browser.evaluate("getComputedStyle(document.getElementById('form')).display"))


def check_narrow_phone(browser, checks):
    """At 320 pixels: no sideways scrolling, and no text cut by its element's box."""
    as_phone(browser, width=320)
    time.sleep(0.1)
    checks.check("phone at 320 px: no sideways scrolling", [320, 320], browser.evaluate(
        "[document.documentElement.scrollWidth, document.documentElement.clientWidth]"))
    cut = browser.evaluate("""[...document.querySelectorAll('#form [id], #layouts [id]')]
        .filter(e => e.getClientRects().length && e.tagName !== 'SELECT' && e.tagName !== 'INPUT'
            && (e.scrollWidth > e.clientWidth + 1 || e.getBoundingClientRect().right > 320))
        .map(e => e.id)""")
    checks.check("phone at 320 px: nothing cut", [], cut)
    as_phone(browser)


# ---------------------------------------------------------------------------------------
# A caption's ink inside its button's border


def png_pixels(data):
    """The rows of an 8-bit RGB or RGBA PNG, as lists of pixel tuples."""
    import struct
    import zlib
    at, chunks, header = 8, [], None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            chunks.append(body)
        at += 12 + length
    width, height, depth, colour = header[:4]
    assert depth == 8 and colour in (2, 6), header
    size = 4 if colour == 6 else 3
    raw = zlib.decompress(b"".join(chunks))
    stride = width * size
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - size] if i >= size else 0
            up, corner = previous[i], previous[i - size] if i >= size else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc
                                      else corner)) & 255
        rows.append([tuple(line[i:i + size]) for i in range(0, stride, size)])
        previous = line
    return rows


def caption_ink(browser, name, scale):
    """The caption's ink, in CSS pixels from the button's corner: its drawing compared with
    the same button whose caption is transparent. None if nothing differs."""
    r = browser.evaluate("(() => { const r = document.getElementById(%s).getBoundingClientRect();"
                         " return [r.x + scrollX, r.y + scrollY, r.width, r.height]; })()"
                         % json.dumps(name))
    clip = {"x": r[0], "y": r[1], "width": r[2], "height": r[3], "scale": 1}
    shots = []
    for colour in ("", "transparent"):
        browser.evaluate("document.getElementById(%s).style.color = %s" % (json.dumps(name),
                                                                          json.dumps(colour)))
        shot = browser.call("Page.captureScreenshot", format="png", clip=clip)
        shots.append(png_pixels(base64.b64decode(shot["data"])))
    ink = [(x, y) for y, (a, b) in enumerate(zip(*shots)) for x, (p, q) in enumerate(zip(a, b))
           if p != q]
    if not ink:
        return None
    xs, ys = [x for x, _ in ink], [y for _, y in ink]
    return [min(xs) / scale, min(ys) / scale, (max(xs) + 1) / scale, (max(ys) + 1) / scale]


def check_captions(browser, checks, layout):
    """Every button's caption within its border, at 1, 2 and 3 device pixels to one."""
    names = browser.evaluate("[...document.querySelectorAll('main button[id]')]"
                             ".filter(e => e.getClientRects().length).map(e => e.id)")
    metrics = browser.call("Page.getLayoutMetrics")["cssLayoutViewport"]
    mobile = layout == "phone"
    cut = []
    for scale in (1, 2, 3):
        browser.call("Emulation.setDeviceMetricsOverride", width=metrics["clientWidth"],
                     height=metrics["clientHeight"], deviceScaleFactor=scale, mobile=mobile)
        time.sleep(0.1)
        for name in names:
            browser.evaluate("document.getElementById(%s).scrollIntoView({block: 'center'})"
                             % json.dumps(name))
            inside = browser.evaluate(
                "(() => { const e = document.getElementById(%s), s = getComputedStyle(e);"
                " const r = e.getBoundingClientRect();"
                " return [parseFloat(s.borderLeftWidth), parseFloat(s.borderTopWidth),"
                " r.width - parseFloat(s.borderRightWidth),"
                " r.height - parseFloat(s.borderBottomWidth)]; })()" % json.dumps(name))
            ink = caption_ink(browser, name, scale)
            if ink is None or ink[0] < inside[0] or ink[1] < inside[1] or \
                    ink[2] > inside[2] or ink[3] > inside[3]:
                cut.append("%s at %d: ink %s, inside %s" % (name, scale, ink, inside))
    checks.check("%s: every button's caption inside its border" % layout, [], cut)
    if mobile:
        as_phone(browser)
    else:
        browser.call("Emulation.clearDeviceMetricsOverride")



def navigate(browser, url):
    """Navigates and waits for the load event only: for a page whose scripts are held."""
    browser.call("Page.navigate", url=url)
    return browser.wait_for("location.href === %s && document.readyState === 'complete'"
                            % json.dumps(url))


# Every element with an id, where it is drawn.
ALL_RECTS = """Object.fromEntries([...document.querySelectorAll('[id]')].map(e => {
    const r = e.getBoundingClientRect();
    return [e.id, [r.left, r.top, r.width, r.height]];
}))"""

BUNDLED_FACE = """document.fonts.ready.then(() => [...document.fonts].filter(f =>
    f.family.replace(/"/g, '') === 'Pelmora Song').map(f => f.status).join())"""


def check_painted_first(browser, form, url, checks):
    """Before a script or the font has arrived (both held back), the form is there at its
    rectangles with its start texts; on a phone the bundled face's arrival moves nothing."""
    scripts = ["*/pelmora.js", "*/page.js"]
    browser.call("Network.setBlockedURLs", urls=scripts + ["*.woff2"])
    try:
        navigate(browser, url)
        checks.check("painted first: no script ran, 合计得分 shows its start text",
                     ["undefined", "0"], browser.evaluate(
                         "[typeof createPelmora, document.getElementById('合计得分').textContent]"))
        check_geometry(browser, form, checks, "painted first: ")
        as_phone(browser)
        navigate(browser, url)
        faces = [browser.evaluate(BUNDLED_FACE, wait=True)]
        before = browser.evaluate(ALL_RECTS)
        browser.call("Network.setBlockedURLs", urls=scripts)
        navigate(browser, url)
        faces.append(browser.evaluate(BUNDLED_FACE, wait=True))
        checks.check("phone: the bundled face held back, then arrived", ["error", "loaded"], faces)
        # A system face and the bundled one round an ideograph's advance differently, by
        # a sixty-fourth of a pixel: no movement anyone sees.
        after = browser.evaluate(ALL_RECTS)
        moved = {name: [rect, after.get(name)] for name, rect in before.items()
                 if after.get(name) is None or
                 any(abs(a - b) > 0.5 for a, b in zip(rect, after[name]))}
        checks.check("phone: nothing moves when the bundled face arrives", {}, moved)
    finally:
        browser.call("Network.setBlockedURLs", urls=[])
        browser.call("Emulation.clearDeviceMetricsOverride")
        browser.call("Emulation.setTouchEmulationEnabled", enabled=False)


def check_offline(browser, form, url, steps_program, server, checks):
    """After one visit the worker alone serves the page: with the server stopped, the
    network cut and the HTTP cache bypassed, the page loads and computes."""
    controlled = "navigator.serviceWorker.controller !== null"
    if not browser.wait_for(controlled, 5):
        load(browser, url)
    checks.check("a worker controls the page after one visit", True,
                 bool(browser.wait_for(controlled)))
    server.close()
    browser.call("Network.emulateNetworkConditions", offline=True, latency=0,
                 downloadThroughput=-1, uploadThroughput=-1)
    browser.call("Network.setCacheDisabled", cacheDisabled=True)
    try:
        usable = bool(load(browser, url))
        checks.check("offline: usable after loading", True, usable)
        if not usable:
            return
        browser.evaluate("document.getElementById('年龄').focus();"
                         "document.getElementById('年龄').select()")
        type_text(browser, "3", 0)
        helper = subprocess.run([steps_program], input="type\t年龄\t3\n", capture_output=True,
                                text=True, check=True).stdout.splitlines()
        expected = expected_view(form, json.loads(helper[-1])["state"])
        browser.wait_for("document.getElementById('年龄得分').textContent === %s"
                         % json.dumps(expected["texts"]["年龄得分"]), 2)
        seen = browser.evaluate(SHOWN % json.dumps(form))
        checks.check("offline: 3 typed into 年龄", expected,
                     {k: seen[k] for k in ("texts", "picked", "enabled", "checked")})
    finally:
        browser.call("Network.emulateNetworkConditions", offline=False, latency=0,
                     downloadThroughput=-1, uploadThroughput=-1)
        browser.call("Network.setCacheDisabled", cacheDisabled=False)


def load(browser, url):
    browser.events.clear()
    browser.call("Page.navigate", url=url)
    return browser.wait_for("document.activeElement && document.activeElement.id === %s"
                            % json.dumps("选择学历"))


# Records, from the page's first script on, when the first key's pick is handled and how
# long each typed digit takes to reach the frame that shows it.
PROBE = """
window.__violations = [];
document.addEventListener('securitypolicyviolation', e => window.__violations.push(e.violatedDirective));
window.__frames = [];
document.addEventListener('keydown', e => { window.__down = e.timeStamp; }, true);
window.addEventListener('change', () => { window.__firstKey ??= performance.now(); });
// A phone keyboard's text comes with no key: timed from its beforeinput.
document.addEventListener('beforeinput', e => { window.__before = e.timeStamp; }, true);
window.addEventListener('input', () => {
    window.__firstText ??= performance.now();
    const down = window.__phone ? window.__before : window.__down;
    requestAnimationFrame(() => window.__frames.push(performance.now() - down));
});
"""


def measure(browser, url, runs, phone=False):
    """On the desktop a key picks 选择学历's next item and digits are typed into 养老月数; on a
    phone 年龄 gets the focus as a tap gives it and the digits are committed as a phone
    keyboard commits them."""
    loads = []
    for _ in range(runs):
        load(browser, url)
        if phone:
            browser.evaluate("window.__phone = true; document.getElementById('年龄').focus()")
            browser.call("Input.insertText", text="3")
            loads.append(browser.wait_for("window.__firstText"))
        else:
            key(browser, "ArrowDown")
            loads.append(browser.wait_for("window.__firstKey"))
    if not phone:
        key(browser, "Tab")
    frames = []
    for _ in range(3):
        browser.evaluate("window.__frames = []; document.activeElement.select()")
        if phone:
            commit_text(browser, "123456789", 0.05)
        else:
            type_text(browser, "123456789", 0.05)
        time.sleep(0.1)
        frames += browser.evaluate("window.__frames")
    what = "text committed" if phone else "key down"
    print("   load to first %s handled: median %.1f ms of %d loads (min %.1f, max %.1f)"
          % ("text" if phone else "key", statistics.median(loads), runs, min(loads), max(loads)))
    print("   %s to the frame that shows the digit: median %.1f ms, max %.1f ms of %d"
          % (what, statistics.median(frames), max(frames), len(frames)))
    return statistics.median(loads), statistics.median(frames)


def screenshots(browser, url, folder):
    """The page with the example of scripts/screenshot.sh --typed: at a desktop's width, the
    form's rectangle; on a phone (360 px, 3 device pixels to one), the whole page."""
    for phone, name in ((False, "screenshot-web.png"), (True, "screenshot-web-360.png")):
        if phone:
            as_phone(browser)
        else:
            browser.call("Emulation.setDeviceMetricsOverride", width=1024, height=768,
                         deviceScaleFactor=1, mobile=False)
        load(browser, url)
        for _, action, _, _ in scenario(browser, phone)[:10]:
            action()
        browser.evaluate("document.activeElement.blur(); window.scrollTo(0, 0)")
        time.sleep(0.3)
        if phone:
            width, height = browser.evaluate("[document.documentElement.clientWidth,"
                                             " document.documentElement.scrollHeight]")
        else:
            width = form_width(browser)
            height = browser.evaluate(
                "document.getElementById('room').getBoundingClientRect().height")
        shot = browser.call("Page.captureScreenshot", format="png", captureBeyondViewport=phone,
                            clip={"x": 0, "y": 0, "width": width, "height": height, "scale": 1})
        with open(os.path.join(folder, name), "wb") as f:
            f.write(base64.b64decode(shot["data"]))
        print("   saved %s" % os.path.join(folder, name))
    browser.call("Emulation.clearDeviceMetricsOverride")


def form_width(browser):
    return browser.evaluate("document.getElementById('room').getBoundingClientRect().width")


def main():
    args = sys.argv[1:]
    options = {}
    while len(args) > 3 and args[-2].startswith("--"):
        options[args[-2]] = args[-1]
        args = args[:-2]
    if len(args) != 3:
        print(__doc__)
        return 2
    site, steps_program, axe = args
    for path in (os.path.join(site, "index.html"), steps_program, axe):
        if not os.path.exists(path):
            print("missing %s" % path)
            return 2
    if not shutil.which("chromium"):
        print("missing chromium (Debian package chromium)")
        return 2
    form = json.loads(subprocess.run([steps_program, "--form"], capture_output=True, text=True,
                                     check=True).stdout)
    server = Server(site)
    url = "http://127.0.0.1:%d/index.html" % server.port
    browser = Browser()
    checks = Checks()
    try:
        browser.call("Page.enable")
        browser.call("Network.enable")
        browser.call("Page.addScriptToEvaluateOnNewDocument", source=PROBE)
        browser.browser_call("Browser.grantPermissions", origin="http://127.0.0.1:%d" % server.port,
                             permissions=["clipboardReadWrite", "clipboardSanitizedWrite"])
        browser.call("Emulation.setFocusEmulationEnabled", enabled=True)
        if "--measure" in options:
            for phone in (False, True):
                if phone:
                    as_phone(browser)
                for where in (url, "file://" + os.path.abspath(site) + "/index.html"):
                    print("   %s%s" % ("phone, " if phone else "", where.split(":")[0]))
                    measure(browser, where, int(options["--measure"]), phone)
            return 0
        if "--screenshots" in options:
            screenshots(browser, url, options["--screenshots"])
            return 0

        # From disk: the page works without a server.
        checks.check("opened from disk", True,
                     bool(load(browser, "file://" + os.path.abspath(site) + "/index.html")))
        checks.check("the form from disk", "0",
                     browser.evaluate("document.getElementById('合计得分').textContent"))

        check_painted_first(browser, form, url, checks)
        checks.check("usable after loading", True, bool(load(browser, url)))
        checks.check("installable", [], [e["errorId"] for e in browser.call(
            "Page.getInstallabilityErrors")["installabilityErrors"]])
        requests = []
        played = []
        played += run_scenario(browser, form, steps_program, checks)
        run_more(browser, form, steps_program, checks, played)
        check_tab_order(browser, form, checks)
        check_geometry(browser, form, checks)
        check_accessibility(browser, form, checks)
        audit(browser, form, axe, checks)
        check_captions(browser, checks, "desktop")

        # The same steps on a phone, then what a phone needs beyond them.
        as_phone(browser)
        checks.check("phone: usable after loading", True, bool(load(browser, url)))
        played = run_scenario(browser, form, steps_program, checks, phone=True)
        check_phone(browser, form, steps_program, checks, played)
        check_accessibility(browser, form, checks)
        audit(browser, form, axe, checks, allowed=False)
        check_captions(browser, checks, "phone")
        check_narrow_phone(browser, checks)
        browser.call("Emulation.clearDeviceMetricsOverride")
        browser.call("Emulation.setTouchEmulationEnabled", enabled=False)
        for event in browser.events:
            if event["method"] == "Network.requestWillBeSent":
                requests.append(event["params"]["request"]["url"])
        # The page's own files, from its folder on the server; nothing else.
        own = "http://127.0.0.1:%d/" % server.port
        strangers = [u for u in requests if not u.startswith(own) or not os.path.isfile(
            os.path.join(site, urllib.parse.unquote(u[len(own):].split("?")[0]) or "index.html"))]
        checks.check("no request beyond the page's own files", [], strangers)
        checks.check("nothing the policy refused", [], browser.evaluate("window.__violations"))
        checks.check("nothing stored", ["", 0],
                     browser.evaluate("[document.cookie, localStorage.length + sessionStorage.length]"))
        check_offline(browser, form, url, steps_program, server, checks)
    finally:
        browser.close()
        server.close()
    print("%d passed, %d failed" % (checks.passed, checks.failed))
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())
