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


# The scenario: (what the user does, the steps the native helper plays for it, the
# control that has the focus after it). A step with no helper line changes nothing.
def scenario(browser):
    def keys(*names, interval=0.0):
        def run():
            for name in names:
                key(browser, name)
                time.sleep(interval)
        return run

    def typed(text, interval):
        return lambda: type_text(browser, text, interval)

    picks = [("pick\t选择学历\t%d" % i) for i in range(4)]
    return [
        ("four Down arrows on 选择学历", keys(*["ArrowDown"] * 4), picks, "选择学历"),
        ("Tab to 养老月数, 36 at 120 ms a key", lambda: (keys("Tab", "Tab", "Tab")(),
                                                      typed("36", 0.12)()),
         ["type\t养老月数\t36"], "养老月数"),
        ("Tab to 统一月数, 24 at 30 ms a key", lambda: (keys("Tab", "Tab", "Tab")(),
                                                     typed("24", 0.03)()),
         ["type\t统一月数\t24"], "统一月数"),
        ("Tab, Space on 统一（月）", keys("Tab", " "), ["click\t统一月"], "统一月"),
        ("Tab to 年龄, 3x5 at 30 ms a key (x refused)",
         lambda: (keys("Tab", "Tab", "Tab")(), typed("3x5", 0.03)()),
         ["type\t年龄\t3x5"], "年龄"),
        ("Tab, Down on 生育状况", keys("Tab", "ArrowDown"), ["pick\t生育状况\t0"], "生育状况"),
        ("Tab, Down Down on 房产状况", keys("Tab", "ArrowDown", "ArrowDown"),
         ["pick\t房产状况\t0", "pick\t房产状况\t1"], "房产状况"),
        ("Tab to 居住时长 (enabled now), 400 at 120 ms a key",
         lambda: (keys("Tab")(), typed("400", 0.12)()), ["type\t居住时长\t400"], "居住时长"),
        ("Tab to ID, a number at 30 ms a key",
         lambda: (keys("Tab")(), typed("000000199001010010", 0.03)()),
         ["type\tID\t000000199001010010"], "ID"),
        ("Tab, Space on 身份证解读", keys("Tab", " "), ["click\t身份证解读"], "身份证解读"),
        ("Tab, Space on the check box", keys("Tab", " "), ["check\t公司申办\t1"], "公司申办"),
        ("Shift+Tab back and forth", lambda: (key(browser, "Tab", 8), key(browser, "Tab")),
         [], "公司申办"),
    ]


def run_scenario(browser, form, steps_program, checks):
    plan = scenario(browser)
    lines = [line for _, _, step_lines, _ in plan for line in step_lines]
    helper = subprocess.run([steps_program], input="\n".join(lines) + "\n", capture_output=True,
                            text=True, check=True)
    results = [json.loads(line) for line in helper.stdout.splitlines()]
    shown = lambda: browser.evaluate(SHOWN % json.dumps(form))

    start = shown()
    checks.check("first focus", form["firstFocus"], start["focus"])
    checks.check("the start", expected_view(form, results[0]["state"]),
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
        checks.check(what + ": fields", expected,
                     {k: seen[k] for k in ("texts", "picked", "enabled", "checked")})
        checks.check(what + ": heard", said, seen["said"])
        checks.check(what + ": focus", focus, seen["focus"])
    final = results[-1]["state"]["texts"]
    total, verdict = final[27], final[28]
    checks.check("the last sentence ends with the total and the verdict", True,
                 seen["said"].endswith("合计得分 %s，%s" % (total, verdict)))
    return results[-1]


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
    browser.call("Target.setDiscoverTargets", discover=True)
    click(browser, "在线咨询")
    created = None
    end = time.monotonic() + TIMEOUT
    while not created and time.monotonic() < end:
        browser.evaluate("1")
        for event in browser.events:
            info = event["params"].get("targetInfo", {})
            if event["method"] in ("Target.targetCreated", "Target.targetInfoChanged") and \
                    info.get("type") == "page" and info.get("url", "").startswith("https:"):
                created = info
    checks.check("在线咨询 opens its page in a new tab",
                 "https://www.vastrel.example/consult/", created and created["url"])
    checks.check("with no opener", False, bool(created and created.get("canAccessOpener")))
    if created:
        browser.call("Target.closeTarget", targetId=created["targetId"])
    browser.call("Target.setDiscoverTargets", discover=False)

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


def check_geometry(browser, form, checks):
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
        checks.check("rectangle of %s" % name, list(expected), got if not close else list(expected))
    # Narrower than the form: the whole form scaled to the width, nothing reflowed or cut.
    browser.call("Emulation.setDeviceMetricsOverride", width=320, height=640,
                 deviceScaleFactor=1, mobile=False)
    time.sleep(0.1)
    width, height, scroll, room = browser.evaluate(
        "(() => { const r = document.getElementById('form').getBoundingClientRect();"
        " const d = document.documentElement;"
        " return [r.width, r.height, d.scrollWidth, document.body.clientWidth]; })()")
    scale = room / form["size"][2]
    checks.check("scaled to a 320 px window", [room, form["size"][3] * scale, room],
                 [width, height, scroll] if abs(width - room) > 1 or
                 abs(height - form["size"][3] * scale) > 1 or scroll > room
                 else [room, form["size"][3] * scale, room])
    browser.call("Emulation.clearDeviceMetricsOverride")


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


def audit(browser, form, axe, checks):
    with open(axe, encoding="utf-8") as f:
        browser.evaluate(f.read())
    result = browser.evaluate("axe.run(document).then(r => r.violations.map(v => "
                              "({id: v.id, targets: v.nodes.map(n => n.target.join(' '))})))",
                              wait=True)
    red = {"#" + c["name"] for c in form["controls"] if c.get("colour")}
    other = []
    for violation in result:
        for target in violation["targets"]:
            # The form's own red on the window's grey is below 4.5:1 where it is not large.
            if violation["id"] == "color-contrast" and target in red:
                print("   allowed: color-contrast %s (the form's red)" % target)
                continue
            other.append("%s %s" % (violation["id"], target))
    checks.check("accessibility audit (axe-core)", [], other)


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
window.addEventListener('input', () => {
    const down = window.__down;
    requestAnimationFrame(() => window.__frames.push(performance.now() - down));
});
"""


def measure(browser, url, runs):
    loads = []
    for _ in range(runs):
        load(browser, url)
        key(browser, "ArrowDown")
        loads.append(browser.wait_for("window.__firstKey"))
    key(browser, "Tab")
    frames = []
    for _ in range(3):
        browser.evaluate("window.__frames = []")
        type_text(browser, "123456789", 0.05)
        time.sleep(0.1)
        frames += browser.evaluate("window.__frames")
        for _ in range(9):
            key(browser, "Backspace")
    print("   load to first key handled: median %.1f ms of %d loads (min %.1f, max %.1f)"
          % (statistics.median(loads), runs, min(loads), max(loads)))
    print("   key down to the frame that shows the digit: median %.1f ms, max %.1f ms of %d"
          % (statistics.median(frames), max(frames), len(frames)))
    return statistics.median(loads), statistics.median(frames)


def screenshots(browser, url, folder):
    """The page with the example of scripts/screenshot.sh --typed, at a desktop's width and
    at a phone's (360 px, whose scrollbars take no room)."""
    for width, name in ((1024, "screenshot-web.png"), (360, "screenshot-web-360.png")):
        browser.call("Emulation.setDeviceMetricsOverride", width=width, height=768,
                     deviceScaleFactor=1, mobile=width < 400)
        load(browser, url)
        for _, action, _, _ in scenario(browser)[:10]:
            action()
        time.sleep(0.2)
        height = browser.evaluate("document.getElementById('room').getBoundingClientRect().height")
        shot = browser.call("Page.captureScreenshot", format="png", clip={
            "x": 0, "y": 0, "width": form_width(browser) if width > 400 else width, "height": height,
            "scale": 1})
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
            for where in (url, "file://" + os.path.abspath(site) + "/index.html"):
                print("   %s" % where.split(":")[0])
                measure(browser, where, int(options["--measure"]))
            return 0
        if "--screenshots" in options:
            screenshots(browser, url, options["--screenshots"])
            return 0

        # From disk: the page works without a server.
        checks.check("opened from disk", True,
                     bool(load(browser, "file://" + os.path.abspath(site) + "/index.html")))
        checks.check("the form from disk", "0",
                     browser.evaluate("document.getElementById('合计得分').textContent"))

        checks.check("usable after loading", True, bool(load(browser, url)))
        requests = []
        played = []
        last = run_scenario(browser, form, steps_program, checks)
        played += [line for _, _, lines, _ in scenario(browser) for line in lines]
        run_more(browser, form, steps_program, checks, played)
        check_tab_order(browser, form, checks)
        check_geometry(browser, form, checks)
        check_accessibility(browser, form, checks)
        audit(browser, form, axe, checks)
        for event in browser.events:
            if event["method"] == "Network.requestWillBeSent":
                requests.append(event["params"]["request"]["url"])
        strangers = [u for u in requests if u != url and not u.startswith("data:")]
        checks.check("no request beyond the page's own", [], strangers)
        checks.check("nothing the policy refused", [], browser.evaluate("window.__violations"))
        checks.check("nothing stored", ["", 0],
                     browser.evaluate("[document.cookie, localStorage.length + sessionStorage.length]"))
        del last
    finally:
        browser.close()
        server.close()
    print("%d passed, %d failed" % (checks.passed, checks.failed))
    return 1 if checks.failed else 0


if __name__ == "__main__":
    sys.exit(main())
