#!/usr/bin/python3
"""Drives Pelmora from outside the process, as a user and a screen reader would.

    /usr/bin/python3 tests/outside/outside_test.py PROGRAM

Starts PROGRAM under Xvfb with a private D-Bus session, types and clicks with xdotool (real
XTEST input) and reads every value back over the accessibility bus (AT-SPI, pyatspi).
Prints a line per scenario with its counts, a "FAIL" line with what was expected and what
was seen for each failed check (every check with PELMORA_VERBOSE=1), and a closing
"N passed, M failed" line. Exit status: 0 when every check passed, 1 when one
failed, 2 when the test could not run (missing tool, no program, no display).

Needs the Debian packages xvfb xauth xdotool dbus at-spi2-core python3-pyatspi, and
Debian's /usr/bin/python3 (the only Python here that can import pyatspi).
"""
import contextlib
import ctypes
import datetime
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SESSION_FLAG = "PELMORA_OUTSIDE_SESSION"
DISPLAY_UNUSABLE = 3  # the inner run's status when Xvfb gave it no working display
TIMEOUT = 10.0  # seconds to wait for any one expected value: CI machines are slow and shared
CONSULTATION = "https://www.vastrel.example/consult/"

# Every value has to show within TIMEOUT; a whole run far beyond this is stuck, not slow.
WHOLE_RUN_LIMIT = 900

REQUIRED = [  # (what must be there, how to check, Debian package)
    ("xvfb-run", "xvfb-run", "xvfb"), ("Xvfb", "Xvfb", "xvfb"), ("xauth", "xauth", "xauth"),
    ("xdotool", "xdotool", "xdotool"), ("dbus-run-session", "dbus-run-session", "dbus"),
    ("xclip", "xclip", "xclip"),
    ("the AT-SPI bus launcher", "/usr/libexec/at-spi-bus-launcher", "at-spi2-core"),
]

# ---------------------------------------------------------------------------------------
# What the window should show.

SCORES = ["学历得分", "年龄得分", "房产得分", "生育得分", "个人得分", "养老得分", "医疗得分",
          "工伤得分", "生育险得分", "失业得分", "社保得分", "合计得分"]
LISTS = ["选择学历", "房产状况", "生育状况"]
DESCRIBED = SCORES + LISTS + ["性别", "出生日期", "评分结果"]
MONTHS = ["养老月数", "医疗月数", "工伤月数", "生育险月数", "失业月数"]
ITEMS = ["养老得分", "医疗得分", "工伤得分", "生育险得分", "失业得分"]
BOXES = ["ID", "年龄", "居住时长"] + MONTHS + ["统一月数", "统一年数"]
BUTTONS = {"身份证解读": "身份证解读", "统一月": "统一（月）", "统一年": "统一（年）",
           "重置": "重置", "在线咨询": "在线咨询"}
CHECK_BOX = ("公司申办", "通过公司申办")

START = {**{s: "0" for s in SCORES}, "年龄得分": "5", "评分结果": "综合计算中…",
         "性别": "", "出生日期": "", "选择学历": "", "房产状况": "", "生育状况": "",
         **{b: "0" for b in BOXES}, "ID": "", "年龄": "18",
         **{b + " enabled": True for b in BOXES}, "居住时长 enabled": False,
         "公司申办": False}

# After 重置 the lists hold their first items and the rules have run on the standard inputs.
AFTER_RESET = {**{s: "0" for s in SCORES}, "年龄得分": "5", "个人得分": "5", "合计得分": "5",
               "评分结果": "综合计算中…", "选择学历": "高中或以下学历", "房产状况": "无房产",
               "生育状况": "未育", **{b: "0" for b in BOXES}, "ID": "", "年龄": "18",
               "居住时长 enabled": False, "公司申办": False}

TAB_CHAIN = ["选择学历", "工伤月数", "医疗月数", "养老月数", "生育险月数", "失业月数", "统一月数",
             "统一月", "统一年数", "统一年", "年龄", "生育状况", "房产状况", "ID", "身份证解读",
             "公司申办", "在线咨询", "重置", "评分结果"]

# The form in twips: (control, container, how to find it over AT-SPI, left, top, width, height).
# Frames are containers too; a control's place is measured from its container's outer corner.
LAYOUT = [
    ("logo", "", ("image",), 0, 120, 5295, 1170),
    ("Label1", "", ("caption", "学历"), 240, 1440, 735, 300),
    ("选择学历", "", ("desc", "选择学历"), 1080, 1440, 3615, 300),
    ("学历得分", "", ("desc", "学历得分"), 4800, 1440, 500, 255),
    ("个人", "", ("frame", "个人"), 120, 1800, 5175, 2655),
    ("社保", "", ("frame", "社保"), 120, 4560, 5175, 2655),
    ("Frame1", "", ("frame", "试算结果"), 120, 7320, 5175, 2655),
    ("Vastrel", "", ("caption", "Vastrel"), 240, 10080, 855, 255),
    ("ver", "", ("caption", "Pelmora 0.1.3"), 4200, 10080, 1095, 255),

    ("Label20", "个人", ("caption", "身份证号码"), 120, 360, 1700, 300),
    ("ID", "个人", ("box", "ID"), 1680, 360, 3255, 270),
    ("Label22", "个人", ("caption", "性别"), 120, 840, 735, 300),
    ("性别", "个人", ("desc", "性别"), 840, 840, 615, 300),
    ("Label21", "个人", ("caption", "出生日期"), 1680, 840, 1215, 300),
    ("出生日期", "个人", ("desc", "出生日期"), 2880, 840, 2055, 300),
    ("Label13", "个人", ("caption", "年龄"), 120, 1320, 600, 300),
    ("年龄", "个人", ("box", "年龄"), 840, 1320, 600, 270),
    ("年龄得分", "个人", ("desc", "年龄得分"), 2280, 1320, 495, 300),
    ("身份证解读", "个人", ("button", "身份证解读"), 2880, 1320, 2055, 255),
    ("Label15", "个人", ("caption", "住房"), 120, 1800, 600, 300),
    ("房产状况", "个人", ("desc", "房产状况"), 840, 1800, 1250, 300),
    ("房产得分", "个人", ("desc", "房产得分"), 2280, 1800, 495, 300),
    ("Label17", "个人", ("caption", "居住时长"), 2880, 1800, 1200, 300),
    ("居住时长", "个人", ("box", "居住时长"), 4080, 1800, 495, 270),
    ("Label18", "个人", ("caption", "日"), 4680, 1800, 300, 300),
    ("Label14", "个人", ("caption", "生育"), 120, 2280, 600, 300),
    ("生育状况", "个人", ("desc", "生育状况"), 840, 2280, 1250, 300),
    ("生育得分", "个人", ("desc", "生育得分"), 2280, 2280, 495, 300),
    ("Label16", "个人", ("caption", "个人得分"), 2880, 2280, 1200, 300),
    ("个人得分", "个人", ("desc", "个人得分"), 4080, 2280, 495, 300),

    ("Label3", "社保", ("caption", "养老"), 120, 360, 600, 300),
    ("养老月数", "社保", ("box", "养老月数"), 840, 360, 600, 270),
    ("Label7", "社保", ("caption", "个月"), 1560, 360, 600, 300),
    ("养老得分", "社保", ("desc", "养老得分"), 2280, 360, 495, 300),
    ("统一月数", "社保", ("box", "统一月数"), 2880, 360, 375, 270),
    ("统一月", "社保", ("button", "统一（月）"), 3360, 360, 1215, 255),
    ("Label4", "社保", ("caption", "医疗"), 120, 840, 600, 300),
    ("医疗月数", "社保", ("box", "医疗月数"), 840, 840, 600, 270),
    ("Label8", "社保", ("caption", "个月"), 1560, 840, 600, 300),
    ("医疗得分", "社保", ("desc", "医疗得分"), 2280, 840, 495, 300),
    ("统一年数", "社保", ("box", "统一年数"), 2880, 840, 375, 270),
    ("统一年", "社保", ("button", "统一（年）"), 3360, 840, 1215, 255),
    ("Label2", "社保", ("caption", "工伤"), 120, 1320, 600, 300),
    ("工伤月数", "社保", ("box", "工伤月数"), 840, 1320, 600, 270),
    ("Label9", "社保", ("caption", "个月"), 1560, 1320, 600, 300),
    ("工伤得分", "社保", ("desc", "工伤得分"), 2280, 1320, 495, 300),
    ("Frame2", "社保", ("frame", None), 2880, 1320, 2055, 855),
    ("公司申办", "社保", ("check", "通过公司申办"), 3120, 1320, 1575, 255),
    ("Label6", "社保", ("caption", "生育"), 120, 1800, 600, 300),
    ("生育险月数", "社保", ("box", "生育险月数"), 840, 1800, 600, 270),
    ("Label10", "社保", ("caption", "个月"), 1560, 1800, 600, 300),
    ("生育险得分", "社保", ("desc", "生育险得分"), 2280, 1800, 495, 300),
    ("Label5", "社保", ("caption", "失业"), 120, 2280, 600, 300),
    ("失业月数", "社保", ("box", "失业月数"), 840, 2280, 600, 270),
    ("Label11", "社保", ("caption", "个月"), 1560, 2280, 600, 300),
    ("失业得分", "社保", ("desc", "失业得分"), 2280, 2280, 495, 300),
    ("Label12", "社保", ("caption", "社保得分"), 2880, 2280, 1200, 300),
    ("社保得分", "社保", ("desc", "社保得分"), 4080, 2280, 495, 300),

    ("Label23", "Frame2", ("caption", "需连续在同一家公司交满一年的五险"), 120, 360, 1800, 420),

    ("扫一扫", "Frame1", ("frame", None), 2880, 240, 2175, 2295),
    ("Label19", "Frame1", ("caption", "合计得分"), 120, 360, 1200, 300),
    ("合计得分", "Frame1", ("desc", "合计得分"), 1320, 360, 500, 300),
    ("评分结果", "Frame1", ("desc", "评分结果"), 360, 840, 2100, 255),
    ("重置", "Frame1", ("button", "重置"), 360, 1200, 2100, 255),
    ("在线咨询", "Frame1", ("button", "在线咨询"), 360, 1560, 2100, 375),
    ("Label27", "Frame1", ("caption", "入深户QQ:"), 120, 2040, 1200, 255),
    ("Label28", "Frame1", ("contact",), 1320, 2040, 1335, 255),
    ("Label24", "Frame1", ("caption", "入深户电话:"), 120, 2280, 1200, 255),
    ("Label25", "Frame1", ("contact",), 1320, 2280, 1575, 255),

    ("Picture1", "扫一扫", ("image",), 120, 240, 1935, 1935),
]
WINDOW_TWIPS = (5385, 10275)


def px(twips):
    return int(twips / 15 + 0.5)  # never an exact half: twips are whole numbers


def age_points(age, exempt):
    """The age table of the personal score, for the age that an ID number yields."""
    if age < 18:
        return 0
    if age < 35:
        return 5
    if age < 40:
        return 1
    if age < 45:
        return 0 if exempt else -2 * (age - 39)
    if age < 48:
        return 0 if exempt else -(5 * (age - 44) + 10)
    return 0


def verdict(total):
    if total > 99:
        return "积分通过，马上入户"
    return "差一点，考证入户" if total > 0 else "需要补充一点分数…"


# ---------------------------------------------------------------------------------------
# Small helpers: checks, X input, the accessibility tree.

class Report:
    """Counts the checks. A failed check is printed at once, a passed one only with
    PELMORA_VERBOSE=1; each scenario ends with one line of its counts."""

    def __init__(self, verbose=False):
        self.passed = self.failed = 0
        self.display_lost = False
        self.verbose = verbose

    def line(self, ok, what, detail):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
        if self.verbose or not ok:
            print(f"{'ok  ' if ok else 'FAIL'} {what}: {detail}", flush=True)

    def scenario(self, name, run):
        passed, failed, started = self.passed, self.failed, time.monotonic()
        run()
        failed = self.failed - failed
        print(f"  {name}: {self.passed - passed} ok" + (f", {failed} FAILED" if failed else "")
              + f" ({time.monotonic() - started:.1f} s)", flush=True)

    def check(self, what, expected, seen):
        self.line(expected == seen, what,
                  f"{seen!r}" if expected == seen else f"expected {expected!r}, saw {seen!r}")


def poll(read, done, timeout=TIMEOUT):
    """Reads until done(value) or the deadline; returns the last value read."""
    deadline = time.monotonic() + timeout
    while True:
        value = read()
        if done(value) or time.monotonic() > deadline:
            return value
        time.sleep(0.05)


def xdotool(*args, timeout=30):
    result = subprocess.run(["xdotool", *args], capture_output=True, text=True, timeout=timeout)
    return result.stdout.strip()


def walk(node, depth=0):
    yield node
    if depth > 20 or node.getRoleName() == "combo box":  # a list's items are not controls
        return
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def children(node):
    return [c for c in (node.getChildAtIndex(i) for i in range(node.childCount)) if c is not None]


class Window:
    """The main window as an outside client sees it: controls found by name or description."""

    def __init__(self, pyatspi, app):
        self.at = pyatspi
        self.frame = app.getChildAtIndex(0)
        self.controls = {}
        for node in walk(self.frame):
            role, name, desc = node.getRoleName(), node.name, node.description
            if desc in DESCRIBED:
                self.controls.setdefault(desc, node)
            elif role == "text" and name in BOXES:
                self.controls.setdefault(name, node)
            elif role == "push button":
                for control, caption in BUTTONS.items():
                    if name == caption:
                        self.controls.setdefault(control, node)
            elif role == "check box" and name == CHECK_BOX[1]:
                self.controls.setdefault(CHECK_BOX[0], node)

    def missing(self):
        wanted = DESCRIBED + BOXES + list(BUTTONS) + [CHECK_BOX[0]]
        return [c for c in wanted if c not in self.controls]

    def has(self, node, state):
        return node.getState().contains(state)

    def read(self, key):
        """A control's value: a box's text, a list's item, a label's or button's caption;
        "公司申办" is its checked state, "X enabled" the enabled state, "focus" the focused
        control."""
        if key == "focus":
            return self.focused()
        if key.endswith(" enabled"):
            return self.has(self.controls[key[:-8]], self.at.STATE_ENABLED)
        node = self.controls.get(key)
        if node is None:
            return "<not on the accessibility bus>"
        if key == CHECK_BOX[0]:
            return self.has(node, self.at.STATE_CHECKED)
        if node.getRoleName() == "text":
            text = node.queryText()
            return text.getText(0, text.characterCount)
        return node.name  # empty while it holds nothing: never the caption beside it

    def focused(self):
        for control, node in self.controls.items():
            if self.has(node, self.at.STATE_FOCUSED):
                return control
        return None

    def centre(self, key):
        e = self.controls[key].queryComponent().getExtents(self.at.DESKTOP_COORDS)
        return e.x + e.width // 2, e.y + e.height // 2

    def click(self, key):
        x, y = self.centre(key)
        xdotool("mousemove", "--sync", str(x), str(y), "click", "1")


class Driver:
    """Scenario steps: each acts with real input and checks what follows over AT-SPI."""

    def __init__(self, window, report):
        self.w = window
        self.r = report

    def expect(self, title, table, timeout=TIMEOUT):
        """Waits until every entry shows its value (or the deadline), then checks each."""
        def read_all():
            return {key: self.w.read(key) for key in table}
        seen = poll(read_all, lambda values: values == table, timeout)
        for key, value in table.items():
            self.r.check(f"{title}: {key}", value, seen[key])
        return seen == table

    def wait_focus(self, control, title):
        seen = poll(self.w.focused, lambda f: f == control)
        self.r.check(f"{title}: focus", control, seen)
        return seen == control

    def key(self, *keys):
        xdotool("key", "--delay", "40", *keys)

    def tab_to(self, start_box, keys, control):
        """Clicks a text box, then presses the keys one at a time, waiting for each move."""
        self.w.click(start_box)
        poll(self.w.focused, lambda f: f == start_box)
        for k in keys:
            before = self.w.focused()
            self.key(k)
            poll(self.w.focused, lambda f: f != before)
        return self.wait_focus(control, f"focus {control}")

    def type_into(self, box, text):
        """Clicks the box, selects its text and types over it, as a user retypes a value."""
        self.w.click(box)
        if poll(self.w.focused, lambda f: f == box) != box:
            self.r.line(False, f"type into {box}", f"the box did not take the focus "
                        f"(focus on {self.w.focused()!r})")
            return
        self.key("ctrl+a")
        xdotool("type", "--delay", "40", text)

    def reset(self, title):
        self.w.click("重置")
        self.expect(f"{title}, after 重置", AFTER_RESET)


# ---------------------------------------------------------------------------------------
# The scenarios.

def start_up(d):
    d.expect("start-up", {**START, "focus": "选择学历"})


def tab_order(d):
    here = "选择学历"
    for n, control in enumerate(TAB_CHAIN[1:] + TAB_CHAIN[:1], start=1):
        d.key("Tab")
        seen = poll(d.w.focused, lambda f: f == control)
        d.r.check(f"tab order: Tab {n} from {here}", control, seen)
        if seen != control:
            return  # the rest of the chain would only repeat this failure
        here = control


def road_of_one_event(d):
    d.type_into("年龄", "42")
    d.expect("age 42 typed", {"年龄": "42", "年龄得分": "-6", "个人得分": "-6", "合计得分": "-6",
                              "评分结果": "需要补充一点分数…"})
    if not d.tab_to("工伤月数", ["shift+Tab"], "选择学历"):
        return
    # Down on a closed list picks the next item: nothing, 高中…, 中专, 全日制大专或高技.
    d.key("Down", "Down", "Down")
    d.expect("age 42, 全日制大专或高技", {"选择学历": "全日制大专或高技", "学历得分": "70",
                                         "年龄得分": "-6", "个人得分": "-6", "合计得分": "64",
                                         "评分结果": "差一点，考证入户"})
    d.key("Down")
    d.expect("age 42, 全日制本科", {"选择学历": "全日制本科", "学历得分": "90", "年龄得分": "0",
                                   "个人得分": "0", "合计得分": "90",
                                   "评分结果": "差一点，考证入户"})


def residence_joins_tab_order(d):
    if not d.tab_to("年龄", ["Tab", "Tab"], "房产状况"):
        return
    d.key("Down")
    d.expect("无房产", {"房产状况": "无房产", "房产得分": "0", "居住时长 enabled": False})
    d.key("Down")
    d.expect("居住证", {"房产状况": "居住证", "房产得分": "0", "居住时长 enabled": True})
    d.key("Tab")
    d.wait_focus("居住时长", "tab order with 居住时长 enabled: Tab from 房产状况")
    d.key("Tab")
    d.wait_focus("ID", "tab order with 居住时长 enabled: Tab from 居住时长")

    d.type_into("居住时长", "1000")
    d.expect("居住证, 1000 days", {"居住时长": "1000", "房产得分": "2", "个人得分": "2",
                                  "合计得分": "92", "评分结果": "差一点，考证入户"})
    if not d.tab_to("居住时长", ["shift+Tab"], "房产状况"):
        return
    d.key("Down")
    d.expect("有房无按揭", {"房产状况": "有房无按揭", "房产得分": "30", "居住时长 enabled": False,
                         "居住时长": "1000", "个人得分": "30", "合计得分": "120",
                         "评分结果": "积分通过，马上入户"})
    d.key("Up")
    d.expect("居住证 again, box unchanged", {"房产状况": "居住证", "房产得分": "0",
                                           "居住时长 enabled": True, "合计得分": "90"})
    d.reset("personal")


def tick_employer(d):
    if d.tab_to("ID", ["Tab", "Tab"], "公司申办"):
        d.key("space")


def social_insurance(d):
    for box, months in zip(MONTHS, ["35", "35", "11", "12", "24"]):
        d.type_into(box, months)
    d.expect("months 35 35 11 12 24", {**dict(zip(MONTHS, ["35", "35", "11", "12", "24"])),
                                       **dict(zip(ITEMS, ["6", "2", "0", "1", "2"])),
                                       "社保得分": "11", "合计得分": "16",
                                       "评分结果": "差一点，考证入户"})
    tick_employer(d)
    d.expect("with 公司申办", {"公司申办": True, "社保得分": "21", "合计得分": "26"})
    d.reset("social insurance")


def unify(d):
    d.type_into("统一月数", "36")
    d.w.click("统一月")
    d.expect("统一（月） 36", {**{b: "36" for b in MONTHS},
                             **dict(zip(ITEMS, ["9", "3", "3", "3", "3"])),
                             "社保得分": "21", "合计得分": "26", "评分结果": "差一点，考证入户"})
    tick_employer(d)
    d.expect("统一（月） 36 with 公司申办", {"公司申办": True, "社保得分": "31", "合计得分": "36"})
    d.type_into("统一年数", "1.5")  # the unify boxes have no key filter
    d.w.click("统一年")
    d.expect("统一（年） 1.5 with 公司申办", {**{b: "18" for b in MONTHS},
                                           **dict(zip(ITEMS, ["3", "1", "1", "1", "1"])),
                                           "社保得分": "17", "合计得分": "22"})
    d.reset("unify")


def id_numbers(d):
    year = datetime.date.today().year  # the age counts calendar years only
    cases = [  # (number, birth date, sex, year of birth); the check character is never read
        ("11010119850307003X", "1985年03月07日", "男", 1985),
        ("110101920815004", "1992年08月15日", "女", 1992),
    ]
    for number, born, sex, birth_year in cases:
        d.type_into("ID", number)
        d.expect(f"ID {number} typed", {"ID": number})
        d.w.click("身份证解读")
        age = year - birth_year
        points = age_points(age, exempt=False)
        d.expect(f"ID {number}", {"出生日期": born, "性别": sex, "年龄": str(age),
                                  "年龄得分": str(points), "个人得分": str(points),
                                  "合计得分": str(points), "评分结果": verdict(points)})
    d.type_into("ID", "11010119850307003")  # 17 characters
    d.w.click("身份证解读")
    points = age_points(year - 1992, exempt=False)
    d.expect("ID of 17 characters", {"出生日期": "号码有误", "性别": "女",
                                     "年龄": str(year - 1992), "合计得分": str(points)})
    d.w.click("重置")
    d.expect("ID, after 重置", {**AFTER_RESET, "出生日期": "号码有误", "性别": "女"})


def key_filters(d):
    rows = [  # (box, keys typed over its selected text, text expected, another value)
        ("养老月数", "7x-.y2", "72", ("养老得分", "18")),
        ("年龄", "1aX2-.3", "123", ("年龄得分", "0")),
        ("ID", "1x2X", "12X", None),
        ("医疗月数", "岁5", "5", ("医疗得分", "0")),
        ("统一月数", "3a", "3a", None),  # no filter on the unify boxes
    ]
    for box, keys, text, other in rows:
        d.type_into(box, keys)
        d.expect(f"typing {keys!r} into {box}", {box: text, **dict([other] if other else [])})
    d.type_into("养老月数", "24")
    d.key("BackSpace")
    d.expect("BackSpace in 养老月数", {"养老月数": "2", "养老得分": "0"})
    d.key("BackSpace")  # the emptied box is refilled
    d.expect("BackSpace on the last digit of 养老月数", {"养老月数": "0", "养老得分": "0"})
    d.reset("key filters")


def edit_without_keys(d):
    d.w.controls["养老月数"].queryEditableText().setTextContents("36")
    d.expect("养老月数 set through EditableText", {"养老月数": "36", "养老得分": "9",
                                                 "社保得分": "9", "合计得分": "14",
                                                 "评分结果": "差一点，考证入户"})
    d.reset("edit without keys")


def copy_assessment(d):
    """Ctrl+Shift+C puts the assessment on the X clipboard, with what the window shows."""
    d.type_into("年龄", "42")
    d.expect("age 42", {"年龄": "42", "合计得分": "-6"})
    d.key("ctrl+shift+c")

    def clipboard():
        result = subprocess.run(["xclip", "-o", "-selection", "clipboard"], capture_output=True,
                                text=True, timeout=10)
        return result.stdout if result.returncode == 0 else ""
    text = poll(clipboard, lambda t: "合计得分" in t)
    lines = text.splitlines()
    for name in ("年龄", "年龄得分", "个人得分", "合计得分", "评分结果"):
        d.r.check(f"copied line {name}", f"{name}：{d.w.read(name)}",
                  next((line for line in lines if line.startswith(f"{name}：")), None))
    d.reset("copy")


def read_lines(path):
    try:
        with open(path, encoding="utf-8") as f:
            return f.read().splitlines()
    except FileNotFoundError:
        return []


def outbound_links(d, opened):
    # The clicks that must open nothing are counted once the program has ended.
    d.w.click("评分结果")  # shows 综合计算中…: opens nothing
    d.w.click("在线咨询")
    d.r.check("在线咨询 opens the consultation page",
              [CONSULTATION], poll(lambda: read_lines(opened), lambda lines: len(lines) >= 1))
    d.type_into("年龄", "45")
    d.expect("age 45", {"合计得分": "-15", "评分结果": "需要补充一点分数…"})
    d.w.click("评分结果")  # needs points: opens nothing
    d.type_into("年龄", "30")
    d.expect("age 30", {"合计得分": "5", "评分结果": "差一点，考证入户"})
    d.w.click("评分结果")
    d.r.check("评分结果 showing a result opens the consultation page",
              [CONSULTATION] * 2, poll(lambda: read_lines(opened), lambda lines: len(lines) >= 2))
    d.reset("links")


def geometry(w, r):
    at = w.at
    home = w.frame.queryComponent().getExtents(at.DESKTOP_COORDS)
    r.check("window size in pixels", tuple(px(t) for t in WINDOW_TWIPS),
            (home.width, home.height))
    origin = {"": (0, 0)}
    nodes = {"": w.frame}
    compared = 0
    for row in LAYOUT:
        control, container, find, left, top, width, height = row
        parent = nodes.get(container)
        if parent is None:
            r.line(False, f"geometry {control}", f"its frame {container} was not found")
            continue
        same = [other for other in LAYOUT if other[1] == container and other[2] == find]
        found = [c for c in children(parent) if matches(c, find)]
        if len(found) != len(same):
            r.line(False, f"geometry {control}", f"expected {len(same)} such controls in "
                   f"{container or 'the window'}, found {len(found)}")
            continue
        # Controls that look alike (the five 个月 labels) are told apart by their order.
        extents = [c.queryComponent().getExtents(at.DESKTOP_COORDS) for c in found]
        order = sorted(range(len(found)), key=lambda i: (extents[i].y, extents[i].x))
        rank = sorted(same, key=lambda other: (other[4], other[3])).index(row)
        node, e = found[order[rank]], extents[order[rank]]
        ox, oy = origin[container]
        expected = (ox + px(left), oy + px(top), px(width), px(height))
        seen = (e.x - home.x, e.y - home.y, e.width, e.height)
        r.check(f"geometry {control} (x, y, width, height)", expected, seen)
        compared += 1
        if find[0] == "frame":
            nodes[control] = node
            origin[control] = expected[:2]
    r.line(compared == len(LAYOUT), "geometry", f"{compared} of {len(LAYOUT)} controls compared")


def matches(node, find):
    role, name, desc = node.getRoleName(), node.name, node.description
    kind = find[0]
    if kind == "desc":
        return desc == find[1]
    if kind == "box":
        return role == "text" and name == find[1]
    if kind == "button":
        return role == "push button" and name == find[1]
    if kind == "check":
        return role == "check box" and name == find[1]
    if kind == "caption":  # a value label's description is its control name; a link's says more
        return role == "label" and desc not in DESCRIBED and name == find[1]
    if kind == "frame":
        return role == "panel" and (find[1] is None or name == find[1])
    if kind == "image":
        return role == "image"
    if kind == "contact":  # the two contact numbers: captions the form leaves to us
        known = {f[1] for _, _, f, *_ in LAYOUT if f[0] == "caption"}
        return role == "label" and desc not in DESCRIBED and name not in known
    return False


def close_window(wid):
    """Sends WM_DELETE_WINDOW, as a window manager's close button does."""
    from ctypes import c_char_p, c_int, c_long, c_ulong, c_void_p

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", c_int), ("serial", c_ulong), ("send_event", c_int),
                    ("display", c_void_p), ("window", c_ulong), ("message_type", c_ulong),
                    ("format", c_int), ("data", c_long * 5)]

    class Event(ctypes.Union):
        _fields_ = [("xclient", ClientMessage), ("pad", c_long * 24)]

    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = c_void_p
    x11.XOpenDisplay.argtypes = [c_char_p]
    x11.XInternAtom.restype = c_ulong
    x11.XInternAtom.argtypes = [c_void_p, c_char_p, c_int]
    x11.XSendEvent.argtypes = [c_void_p, c_ulong, c_int, c_long, ctypes.POINTER(Event)]
    x11.XFlush.argtypes = x11.XCloseDisplay.argtypes = [c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        return False
    event = Event()
    event.xclient.type = 33  # ClientMessage
    event.xclient.window = wid
    event.xclient.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.xclient.format = 32
    event.xclient.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    event.xclient.data[1] = 0  # CurrentTime
    sent = x11.XSendEvent(display, wid, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)
    return bool(sent)


# ---------------------------------------------------------------------------------------
# The run inside the session, and the relaunch into it.

def display_usable(timeout=TIMEOUT):
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]

    def try_open():
        display = x11.XOpenDisplay(None)
        if display:
            x11.XCloseDisplay(display)
        return bool(display)
    return poll(try_open, bool, timeout)


def find_application(pyatspi, process, timeout=20.0):
    desktop = pyatspi.Registry.getDesktop(0)

    def look():
        if process.poll() is not None:
            return "exited"
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name == "Pelmora" and app.childCount > 0:
                return app
        return None
    return poll(look, lambda found: found is not None, timeout)


def run_checks(program):
    import pyatspi

    if not display_usable():
        print("the X display of xvfb-run cannot be opened", flush=True)
        return DISPLAY_UNUSABLE
    report = Report(verbose=os.environ.get("PELMORA_VERBOSE") == "1")
    scratch = tempfile.mkdtemp(prefix="pelmora-outside-")
    runtime = os.path.join(scratch, "runtime")
    stubs = os.path.join(scratch, "bin")
    os.mkdir(runtime, 0o700)
    os.mkdir(stubs)
    opened = os.path.join(scratch, "opened")
    # Stands in for the desktop's opener: records each address the program hands it.
    with open(os.path.join(stubs, "xdg-open"), "w") as stub:
        stub.write(f'#!/bin/sh\nprintf "%s\\n" "$*" >> "{opened}"\n')
    os.chmod(os.path.join(stubs, "xdg-open"), 0o755)
    log_path = os.path.join(scratch, "program.log")
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
               XDG_RUNTIME_DIR=runtime, PATH=stubs + os.pathsep + os.environ.get("PATH", ""))
    started = time.monotonic()
    with open(log_path, "w") as log:
        process = subprocess.Popen([program], env=env, stdout=log, stderr=subprocess.STDOUT)
        try:
            drive(pyatspi, process, report, opened, log_path)
        except Exception as error:  # a broken bus or a vanished window: say so, don't hang
            report.line(False, "run", f"stopped by {type(error).__name__}: {error}")
        finally:
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(timeout=TIMEOUT)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
    if report.display_lost:
        print("the program could not connect to the X display:", *read_lines(log_path)[:3],
              sep="\n  ", flush=True)
        code = DISPLAY_UNUSABLE
    else:
        code = finish(report, log_path, started)
    shutil.rmtree(scratch, ignore_errors=True)
    return code


def drive(pyatspi, process, report, opened, log_path):
    app = find_application(pyatspi, process)
    if app == "exited" and any("could not connect to display" in line
                               for line in read_lines(log_path)):
        report.display_lost = True  # the X session's fault, not the program's
        return
    if app in (None, "exited"):
        report.line(False, "start", "Pelmora " + ("exited" if app else "is not on the bus"))
        return
    wids = xdotool("search", "--sync", "--onlyvisible", "--name", "^Pelmora$").split()
    if not wids:
        report.line(False, "start", "no visible X window titled Pelmora")
        return
    wid = int(wids[0])
    window = poll(lambda: Window(pyatspi, app), lambda w: not w.missing())
    report.check("controls on the accessibility bus: missing", [], window.missing())
    if window.missing():
        return
    xdotool("windowfocus", "--sync", str(wid))
    driver = Driver(window, report)

    for scenario in (start_up, tab_order, road_of_one_event, residence_joins_tab_order,
                     social_insurance, unify, id_numbers, key_filters, edit_without_keys,
                     copy_assessment):
        report.scenario(scenario.__name__, lambda: scenario(driver))
    report.scenario("outbound_links", lambda: outbound_links(driver, opened))
    report.scenario("geometry", lambda: geometry(window, report))

    report.check("close request sent", True, close_window(wid))
    try:
        status = process.wait(timeout=TIMEOUT)
    except subprocess.TimeoutExpired:
        status = "still running"
    report.check("exit status after the close request", 0, status)
    report.check("pages opened in the whole run", [CONSULTATION] * 2, read_lines(opened))


def finish(report, log_path, started):
    if report.failed:
        with open(log_path, encoding="utf-8", errors="replace") as f:
            tail = f.read().splitlines()[-20:]
        if tail:
            print("program output (last lines):\n  " + "\n  ".join(tail))
    print(f"wall time: {time.monotonic() - started:.1f} s")
    print(f"{report.passed} passed, {report.failed} failed", flush=True)
    return 1 if report.failed else 0


def missing_tools():
    missing = [(what, package) for what, path, package in REQUIRED
               if not (shutil.which(path) or os.access(path, os.X_OK))]
    if not os.access("/usr/bin/python3", os.X_OK) or subprocess.run(
            ["/usr/bin/python3", "-c", "import pyatspi"], capture_output=True).returncode:
        missing.append(("pyatspi for /usr/bin/python3", "python3-pyatspi"))
    return missing


def relaunch_in_session(program, script=__file__, missing_tools=missing_tools):
    """Runs the script (this file unless told) again inside its own Xvfb and D-Bus session."""
    missing = missing_tools()
    if missing:
        for what, package in missing:
            print(f"FAIL missing {what}: install the Debian package {package}")
        print("apt-get install " + " ".join(sorted({package for _, package in missing})))
        return 2
    env = dict(os.environ, **{SESSION_FLAG: "1"})
    for attempt in (1, 2):
        # Parallel runs start their search for a free display at different numbers.
        first = str(100 + (os.getpid() * 7 + attempt * 131) % 800)
        # -noreset: Xvfb otherwise resets when its last client leaves (the bus launcher
        # or a probe), and a program connecting at that moment finds no display.
        command = ["xvfb-run", "-a", "-n", first, "-s", "-screen 0 1280x1024x24 -noreset",
                   "dbus-run-session", "--", "/usr/bin/python3", os.path.abspath(script), program]
        # What the session's daemons say on stderr (D-Bus's "Activating service …") is
        # chatter: it goes to the log named by PELMORA_SESSION_LOG, when one is named.
        chatter = os.environ.get("PELMORA_SESSION_LOG")
        with open(chatter, "a") if chatter else contextlib.nullcontext() as log:
            session = subprocess.Popen(command, env=env, start_new_session=True, stderr=log)
        try:
            code = session.wait(timeout=WHOLE_RUN_LIMIT)
        except subprocess.TimeoutExpired:
            os.killpg(session.pid, signal.SIGKILL)
            session.wait()
            print(f"FAIL the run did not end within {WHOLE_RUN_LIMIT} s and was killed")
            return 1
        if code != DISPLAY_UNUSABLE:
            return code
        if attempt == 1:
            print("no usable X display: starting a new X session once more", flush=True)
    print("FAIL no usable X display in two X sessions\n0 passed, 1 failed")
    return 2


def main(checks=run_checks, script=__file__, missing=missing_tools):
    """The command line of this test, and of a test built on its session (orca_test.py)."""
    if len(sys.argv) != 2:
        print(f"usage: /usr/bin/python3 {sys.argv[0]} PROGRAM", file=sys.stderr)
        return 2
    program = os.path.abspath(sys.argv[1])
    if not os.access(program, os.X_OK):
        print(f"FAIL no executable program at {program}: build it first", file=sys.stderr)
        return 2
    if os.environ.get(SESSION_FLAG):
        return checks(program)
    return relaunch_in_session(program, script, missing)


if __name__ == "__main__":
    sys.exit(main())
