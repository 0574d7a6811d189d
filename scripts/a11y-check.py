#!/usr/bin/python3
"""Checks Pelmora as a screen reader sees it, through AT-SPI from outside the program.

    scripts/a11y-check.py [PROGRAM]     (PROGRAM defaults to build/release/app/pelmora)

Starts the program under Xvfb with its own D-Bus session, then, as an assistive
technology: finds every score label (and 性别, 出生日期, the verdict, the three lists) by
its description and reads its value; finds every text box by its name; writes a number
into 养老月数 through the editable-text interface and reads the scores that follow.
Prints what it found and exits non-zero if anything is missing.

Needs: xvfb xauth dbus at-spi2-core python3-pyatspi (Debian's /usr/bin/python3).
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

SCORES = ["学历得分", "年龄得分", "房产得分", "生育得分", "个人得分", "养老得分", "医疗得分",
          "工伤得分", "生育险得分", "失业得分", "社保得分", "合计得分"]
DESCRIBED = SCORES + ["性别", "出生日期", "评分结果", "选择学历", "房产状况", "生育状况"]
TEXT_BOXES = ["ID", "年龄", "居住时长", "养老月数", "医疗月数", "工伤月数", "生育险月数",
              "失业月数", "统一月数", "统一年数"]


def relaunch_in_session(program):
    """Runs this script again inside Xvfb and a private D-Bus session."""
    for tool in ("xvfb-run", "dbus-run-session"):
        if not shutil.which(tool):
            sys.exit(f"missing {tool}")
    env = dict(os.environ, PELMORA_A11Y_SESSION="1")
    command = ["xvfb-run", "-a", "-s", "-screen 0 1024x768x24", "dbus-run-session", "--",
               "/usr/bin/python3", os.path.abspath(__file__), program]
    sys.exit(subprocess.call(command, env=env))


def walk(node, depth=0):
    yield node
    if depth > 30:
        return
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child, depth + 1)


def find_application(pyatspi, deadline):
    desktop = pyatspi.Registry.getDesktop(0)
    while time.monotonic() < deadline:
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if app is not None and app.name.lower() == "pelmora" and app.childCount > 0:
                return app
        time.sleep(0.1)
    return None


def check(program):
    import pyatspi

    runtime = tempfile.mkdtemp()
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb",
               XDG_RUNTIME_DIR=runtime)
    process = subprocess.Popen([program], env=env)
    failures = 0
    try:
        app = find_application(pyatspi, time.monotonic() + 20)
        if app is None:
            print("FAIL: Pelmora is not on the accessibility bus")
            return 1

        def nodes():
            return list(walk(app))

        by_description = {}
        by_name = {}
        for node in nodes():
            role = node.getRoleName()
            if node.description:
                by_description.setdefault(node.description, (role, node))
            if role in ("text", "entry", "password text"):
                by_name.setdefault(node.name, node)

        print("Described controls, read as a screen reader reads them:")
        for name in DESCRIBED:
            found = by_description.get(name)
            if found is None:
                print(f"  FAIL  {name}: no control with this description")
                failures += 1
                continue
            role, node = found
            print(f"  ok    {name:<6} role={role:<12} value={node.name!r}")

        print("Text boxes by name:")
        for name in TEXT_BOXES:
            node = by_name.get(name)
            if node is None:
                print(f"  FAIL  {name}: no text box with this name")
                failures += 1
                continue
            text = node.queryText()
            content = text.getText(0, text.characterCount)
            state = "enabled" if node.getState().contains(pyatspi.STATE_ENABLED) else "disabled"
            print(f"  ok    {name:<6} text={content!r} {state}")

        print("Edit without keys: 养老月数 := 36 through EditableText")
        box = by_name.get("养老月数")
        if box is not None:
            box.queryEditableText().setTextContents("36")
            time.sleep(0.3)
            for name in ("养老得分", "社保得分", "合计得分", "评分结果"):
                found = [n for n in nodes() if n.description == name]
                value = found[0].name if found else None
                print(f"  {name:<6} value={value!r}")
                if name == "养老得分" and value in (None, "0"):
                    print("  FAIL  the score did not follow the edit")
                    failures += 1
    finally:
        process.terminate()
        process.wait(timeout=10)
        shutil.rmtree(runtime, ignore_errors=True)
    print("all found" if failures == 0 else f"{failures} failure(s)")
    return 1 if failures else 0


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    program = os.path.abspath(sys.argv[1]) if len(sys.argv) > 1 else os.path.join(
        root, "build", "release", "app", "pelmora")
    if not os.access(program, os.X_OK):
        sys.exit(f"no program at {program}: build it first")
    if not os.environ.get("PELMORA_A11Y_SESSION"):
        relaunch_in_session(program)
    sys.exit(check(program))


if __name__ == "__main__":
    main()
