#!/usr/bin/python3
"""Measures the page's first load as a phone on a slow link sees it: Lighthouse's default
mobile profile (simulated slow 4G, a 4x slower CPU) on the page, and on a static copy of it
with every <script> element removed (what the markup and style alone paint). Prints, per
page, the first contentful paint and the performance, accessibility and best-practices
scores, then the ratio of the two first contentful paints.

    /usr/bin/python3 web/tests/lighthouse.py SITE [LIGHTHOUSE]

SITE is the built folder (build/web/site); LIGHTHOUSE the npm package's program (by
default build/web-tests/node_modules/.bin/lighthouse, as dev.sh installs it). Both are
served by python3 -m http.server on 127.0.0.1, which compresses nothing.

The figures are printed, never judged: the exit status is 0 whenever Lighthouse reported
on both pages, however poor the figures (a page that paints nothing is reported as such),
and 2 only when it could not run at all (no Chromium, no Lighthouse, no report).
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

from page_test import Server  # the same server the page test uses

CATEGORIES = ("performance", "accessibility", "best-practices")
RUN_SECONDS = 300  # Lighthouse gives up on a load by itself after 45 s; this is for a hang
SCRIPT = re.compile(r"<script\b[^>]*>.*?</script\s*>\s*", re.S | re.I)


def static_copy(site, folder):
    shutil.copytree(site, folder, dirs_exist_ok=True)
    index = os.path.join(folder, "index.html")
    with open(index, encoding="utf-8") as f:
        page = f.read()
    with open(index, "w", encoding="utf-8") as f:
        f.write(SCRIPT.sub("", page))


def lighthouse(program, url, report):
    """Lighthouse's JSON report on url, or None when it gave none. It exits 1 on a page it
    could not measure (no paint, for one) but still writes the report that says why."""
    environment = dict(os.environ, CHROME_PATH=shutil.which("chromium"))
    try:
        run = subprocess.run(
            [program, url, "--chrome-flags=--headless=new --no-sandbox --disable-gpu",
             "--output=json", "--output-path=" + report,
             "--only-categories=" + ",".join(CATEGORIES), "--quiet"],
            env=environment, stdin=subprocess.DEVNULL, capture_output=True, text=True,
            timeout=RUN_SECONDS)
    except subprocess.TimeoutExpired:
        print("   Lighthouse took over %d s on %s" % (RUN_SECONDS, url))
        return None
    try:
        with open(report, encoding="utf-8") as f:
            return json.load(f)
    except (OSError, ValueError):
        # What it said is the only clue then.
        print("\n".join("   | " + line for line in run.stderr.splitlines()[-20:]))
        return None


def figures(what, report):
    """Prints the page's line; returns its first contentful paint in ms, or None."""
    error = report.get("runtimeError")
    if error:
        print("   %-12s no figures: %s" % (what, error.get("message") or error.get("code")))
        return None
    paint = report["audits"]["first-contentful-paint"].get("numericValue")
    scores = []
    for name in CATEGORIES:
        score = report["categories"][name]["score"]
        scores.append("%s %s" % (name, "-" if score is None else round(score * 100)))
    print("   %-12s first contentful paint %s, %s" % (
        what, "-" if paint is None else "%.0f ms" % paint, ", ".join(scores)))
    return paint


def main():
    args = sys.argv[1:]
    if len(args) not in (1, 2):
        print(__doc__)
        return 2
    site = args[0]
    program = args[1] if len(args) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "build", "web-tests",
        "node_modules", ".bin", "lighthouse")
    if not os.path.exists(os.path.join(site, "index.html")):
        print("missing %s" % os.path.join(site, "index.html"))
        return 2
    if not shutil.which(program):
        print("missing Lighthouse at %s (npm ci --prefix build/web-tests)" % program)
        return 2
    if not shutil.which("chromium"):
        print("missing chromium (Debian package chromium)")
        return 2

    work = tempfile.mkdtemp(prefix="pelmora-lighthouse-")
    servers = []
    try:
        copy = os.path.join(work, "static")
        static_copy(site, copy)
        paints = []
        for what, folder, name in (("page", site, "page.json"),
                                   ("static copy", copy, "static.json")):
            servers.append(Server(folder))
            url = "http://127.0.0.1:%d/index.html" % servers[-1].port
            report = lighthouse(program, url, os.path.join(work, name))
            if report is None:
                print("   Lighthouse gave no report on the %s (%s)" % (what, url))
                return 2
            paints.append(figures(what, report))
            servers.pop().close()
        if None not in paints:
            print("   the page's first contentful paint is %.2fx the static copy's"
                  % (paints[0] / paints[1]))
        return 0
    except (OSError, RuntimeError, subprocess.SubprocessError) as error:
        print("   Lighthouse could not run: %s" % error)
        return 2
    finally:
        for server in servers:
            server.close()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
