#!/usr/bin/python3
"""Assembles the browser view's folder.

The form's markup and style are written here, when the page is built, from the form table
and the sheet's texts at start (TABLE: what web/formtable.cpp prints), so that the browser
paints the form with its captions and start values before any script has run; the script
then only binds to the elements it finds by id. Each control is one element whose id is
its name, placed at its rectangle by a rule of the style sheet (the policy allows no style
attribute); a second set of rules, for narrow screens and coarse pointers, puts the same
elements on the lines of a one-column layout.

index.html holds only that markup and the one style sheet: what a phone on a slow link
needs for its first paint. Everything else is a file beside it: the bundled font made
WOFF2 here (swapped in when it arrives; the boxes are fixed, so nothing moves), the
pictures, the icons, and, asked for by a one-line loader once the form is painted, the
WebAssembly module's loader with the module inside (pelmora.js) and the page's own code
(page.js). The manifest and the service worker, which caches exactly those files under a
key of their contents, make the page an app that opens without a network after one visit
over http(s). The Content-Security-Policy lets run only the folder's own scripts, the
loader and the one style sheet, by their hashes.

    assemble.py --table table.json --page page.html --style page.css --phone phone.css
                --module module.js --script page.js --worker serviceworker.js
                --font font.otf --icons icon-32.png icon-192.png icon-512.png
                --pictures a.jpg ... --output SITE
"""
import argparse
import base64
import hashlib
import html
import json
import os
import shutil

# Where the one-column layout applies, unless the user chose a layout.
PHONE_QUERY = "(max-width: 599px), (pointer: coarse)"

# The family name the style sheet gives the bundled font, and its file.
BUNDLED_FACE = "Pelmora Song"
FONT_FILE = "PelmoraSong.woff2"
MODULE_FILE = "pelmora.js"
WORKER_FILE = "serviceworker.js"
# The banner's dominant colour, the manifest's theme: the most frequent of
# its four colours (`convert assets/banner.jpg -colors 4 -format %c histogram:info:-`).
BANNER_COLOUR = "#216e73"
# What an installed page's window shows before the page: the page's own grey (the button
# face of Chromium's light scheme), so that nothing flashes.
PAGE_COLOUR = "#efefef"
TAKES_FOCUS = {"TextBox", "List", "Button", "CheckBox"}
# The phone layout's grid columns: a gutter, caption, value, unit, score, a gutter.
COLUMN = {"Caption": 2, "Value": 3, "Unit": 4, "Score": 5, "Whole": 2}
LAST_COLUMN = 6


def digest(text):
    return "'sha256-%s'" % base64.b64encode(hashlib.sha256(text.encode()).digest()).decode()


def selector(name):
    """An id selector; control names are CSS identifiers but for a leading digit."""
    escaped = "".join(c if c.isalnum() or c in "-_" or ord(c) > 127 else "\\" + c for c in name)
    if escaped[0].isdigit():
        escaped = "\\3%s " % escaped[0] + escaped[1:]
    return "#" + escaped


class Form:
    def __init__(self, table):
        self.form = table["form"]
        self.state = table["state"]
        self.verdict_why = table["verdictWhy"]
        self.controls = self.form["controls"]
        self.by_name = {c["name"]: c for c in self.controls}

    def depth(self, c):
        depth, container = 0, c["container"]
        while container:
            depth, container = depth + 1, self.by_name[container]["container"]
        return depth

    def absolute(self, c):
        left, top, width, height = c["rect"]
        container = c["container"]
        while container:
            left += self.by_name[container]["rect"][0]
            top += self.by_name[container]["rect"][1]
            container = self.by_name[container]["container"]
        return left, top, width, height

    def members(self, frame):
        """Everything inside a frame, through the frames inside it."""
        inside = [c for c in self.controls if c["container"] == frame["name"]]
        return inside + [m for c in inside if c["kind"] == "Frame" for m in self.members(c)]

    def text(self, c):
        """What a control shows at start: its caption, or its field's text."""
        shows_field = c["field"] >= 0 and c["kind"] != "CheckBox"
        return self.state["texts"][c["field"]] if shows_field else c["text"]

    # ---- the phone's lines ----

    def lines(self):
        """{line number: its controls in cell order}, for the controls placed on a line."""
        out = {}
        for c in self.controls:
            number, cell = c["line"]
            if cell in COLUMN:
                out.setdefault(number, []).append(c)
        for line in out.values():
            line.sort(key=lambda c: (COLUMN[c["line"][1]], c["line"][1] != "Whole"))
        return out

    def document_order(self):
        """The controls in the order of the document: by the tab place of each line's first
        stop, so that the next stop on the page is the next in the tab order. A line with
        no stop follows the line above it; a frame's title comes before the line below it.
        The result bar's controls come where its stop does, together."""
        lines = self.lines()
        numbers = sorted(lines)
        keys = {}
        for number in numbers:
            stops = [c["tab"] for c in lines[number] if c["kind"] in TAKES_FOCUS]
            keys[number] = min(stops) if stops else None
        for number in reversed(numbers):  # a frame's title: before what follows it
            if keys[number] is None and lines[number][0]["kind"] == "Frame" and \
                    number + 1 in keys and keys[number + 1] is not None:
                keys[number] = keys[number + 1]
        last = -1
        for number in numbers:  # otherwise after what stands above it
            if keys[number] is None:
                keys[number] = last
            last = keys[number]
        order = [(keys[n], n, i, c) for n in numbers for i, c in enumerate(lines[n])]
        held = [c for c in self.controls if c["line"][1] == "Held"]
        held_key = min(c["tab"] for c in held if c["kind"] in TAKES_FOCUS)
        order += [(held_key, 1 << 30, i, c) for i, c in enumerate(held)]
        hidden = [c for c in self.controls if c["line"][1] == "Hidden"]
        order += [(c["tab"], 0, 0, c) for c in hidden]
        return [c for *_, c in sorted(order, key=lambda t: t[:3])]


# ---------------------------------------------------------------------------------------
# The markup


def attributes(pairs):
    return "".join(" %s" % k if v is True else ' %s="%s"' % (k, html.escape(str(v)))
                   for k, v in pairs if v is not None and v is not False)


def element(f, c, pictures):
    """One control's element: its tag, attributes and content, as the views build theirs."""
    name, kind = c["name"], c["kind"]
    a = [("id", name)]
    described_by = [o["name"] for o in f.controls if o["describes"] == name]
    if described_by:
        a.append(("aria-describedby", " ".join(described_by)))
    # Text boxes are known by their control name; the other fields are described by it, so
    # that a value is read out with what it is ("90, 学历得分").
    if c["field"] >= 0 and kind == "TextBox":
        a.append(("aria-label", name))
    elif c["field"] >= 0 and kind != "CheckBox":
        a.append(("aria-description", name))
    elif c["says"] and kind != "Picture":
        a.append(("aria-description", c["says"]))
    classes = []
    if c["action"] and kind not in TAKES_FOCUS:
        classes.append("clickable")
    if c["describes"]:
        classes.append("note")
    text = html.escape(f.text(c))

    if kind == "Label":
        # A caption labels its box where the caption alone tells the box apart, as the Qt
        # view's buddies do (a box with a unit is known by its own name), and its list,
        # which a browser needs named.
        names = f.by_name.get(c["names"]) if c["names"] else None
        labels = names is not None and (names["kind"] == "List" or (
            names["kind"] == "TextBox" and not any(o["describes"] == c["names"]
                                                   for o in f.controls)))
        classes.insert(0, "label")
        tag = "label" if labels else "div"
        if labels:
            a.append(("for", c["names"]))
        if c["text"] == f.form["telephone"] and c["field"] < 0:
            # A phone dials the number from a tel: link.
            tag = "a"
            a.append(("href", "tel:" + c["text"]))
        return "<%s%s>%s</%s>" % (tag, attributes(a + [("class", " ".join(classes))]), text, tag)
    if kind == "TextBox":
        a += [("type", "text"), ("value", f.text(c)), ("autocomplete", "off"),
              ("autocapitalize", "off"), ("spellcheck", "false"), ("inputmode", c["keyboard"]),
              ("enterkeyhint", "next"), ("disabled", not f.state["enabled"][c["field"]])]
        return "<input%s>" % attributes(a)
    if kind == "List":
        picked = f.state["picked"][c["field"]]
        options = "".join("<option%s>%s</option>" % (" selected" if i == picked else "",
                                                     html.escape(item))
                          for i, item in enumerate(c["items"]))
        return "<select%s>%s</select>" % (attributes(a), options)
    if kind == "Button":
        return '<button type="button"%s>%s</button>' % (attributes(a), text)
    if kind == "CheckBox":
        # The native box and its caption in one label at the rectangle, opaque so that
        # across a frame's edge it hides the line as a title does.
        box = '<input type="checkbox"%s%s>' % (attributes(a), " checked" if f.state["checked"]
                                               else "")
        return '<label class="check" id="%s">%s%s</label>' % (
            html.escape(check_id(c)), box, text)
    if kind == "Frame":
        title = "<legend>%s</legend>" % text if c["text"] else ""
        return "<fieldset%s>%s</fieldset>" % (attributes(a), title)
    if kind == "Picture":
        a += [("src", c["text"] if c["text"] in pictures else ""), ("alt", c["says"])]
        return "<img%s>" % attributes(a + [("class", " ".join(classes) or None)])
    return "<div%s></div>" % attributes(a)


def check_id(c):
    return c["name"] + "-box"


def markup(f, pictures):
    out = []
    held = False
    for c in f.document_order():
        if c["line"][1] == "Held" and not held:
            out.append('<div id="bar">')
            held = True
        elif c["line"][1] != "Held" and held:
            out.append("</div>")
            held = False
        if c["name"] == f.by_name[first_line_after_title(f)]["name"]:
            # On a phone the verdict's explanation stands here; at start too, so that
            # nothing moves down when the script fills it.
            out.append('<div id="verdict-why" aria-live="off">%s</div>'
                       % html.escape(f.verdict_why))
        out.append(element(f, c, pictures))
    if held:
        out.append("</div>")
    return "\n".join(out)


def verdict_frame(f):
    """The frame of the result: where the verdict's explanation stands on a phone."""
    held = [c for c in f.controls if c["line"][1] == "Held"]
    return f.by_name[held[0]["container"]]


def first_line_after_title(f):
    frame = verdict_frame(f)
    lines = f.lines()
    after = min(n for n in lines if n > frame["line"][0])
    return lines[after][0]["name"]


# ---------------------------------------------------------------------------------------
# The style: the form's rectangles, then the phone's lines


def desktop_style(f):
    # The form's face, else the bundled Song-style subset, as the desktop views do. The
    # subset comes after the markup: until it has, the fallback face paints.
    rules = ["@font-face{font-family:%s;src:url(%s) format(\"woff2\");font-display:swap}" % (
        json.dumps(BUNDLED_FACE), FONT_FILE),
        ":root{--form-face:%s,%s}" % (json.dumps(f.form["fontFamily"]), json.dumps(BUNDLED_FACE))]
    width, height = f.form["size"][2], f.form["size"][3]
    rules.append("#room,#form{width:%dpx;height:%dpx}" % (width, height))
    for c in f.controls:
        left, top, w, h = f.absolute(c)
        target = selector(check_id(c) if c["kind"] == "CheckBox" else c["name"])
        props = ["left:%dpx" % left, "top:%dpx" % top, "width:%dpx" % w, "height:%dpx" % h,
                 "font-size:%gpt" % c["pointSize"]]
        # Frames behind what they hold, and a frame inside a frame in front of its own.
        depth = f.depth(c)
        z = 2 * depth if c["kind"] == "Frame" else 2 * depth + 1
        if z:
            props.append("z-index:%d" % z)
        if c["underline"]:
            props.append("text-decoration:underline")
        if c["kind"] in ("Label", "TextBox"):
            props.append("text-align:%s" % c["align"])
        if c["kind"] == "Label":
            props.append("justify-content:%s" % {"left": "flex-start", "center": "center",
                                                  "right": "flex-end"}[c["align"]])
        if c.get("colour"):
            props.append("color:%s" % c["colour"])
        if c["link"]:
            props.append("color:LinkText")
        rules.append(":where(%s){%s}" % (target, ";".join(props)))
    return "\n".join(rules)


def phone_style(f, prefix):
    """The phone's grid: each control on its line's row, from its cell to the next
    control's; a frame from its title's row down to its last member's. Rows go two to a
    line, so that the verdict's explanation can stand under its frame's title."""
    lines = f.lines()
    rules = []
    for number, line in lines.items():
        for i, c in enumerate(line):
            start = COLUMN[c["line"][1]]
            end = COLUMN[line[i + 1]["line"][1]] if i + 1 < len(line) else LAST_COLUMN
            row = 2 * number
            target = selector(check_id(c) if c["kind"] == "CheckBox" else c["name"])
            if c["kind"] == "Frame":
                # A frame inside a frame ends a row sooner, so that both bottoms show.
                last = max(m["line"][0] for m in f.members(c))
                nested = bool(c["container"])
                rules.append("%s %s{grid-area:%d/%d/%d/%d}" % (
                    prefix, target, row, start if nested else 1, 2 * last + (1 if nested else 2),
                    end if nested else LAST_COLUMN + 1))
            else:
                rules.append("%s %s{grid-area:%d/%d/auto/%d}" % (prefix, target, row, start, end))
            if c["line"][1] == "Caption":  # captions start their lines, whatever their look
                rules.append("%s %s{justify-content:flex-start;text-align:left}" % (prefix, target))
    for c in f.controls:
        if c.get("colour"):
            rules.append("%s %s{color:%s}" % (prefix, selector(c["name"]), f.form["phoneRed"]))
        if c["line"][1] == "Hidden":
            rules.append("%s %s{display:none}" % (prefix, selector(c["name"])))
    frame = verdict_frame(f)
    rules.append("%s #verdict-why{grid-area:%d/2/auto/%d}" % (prefix, 2 * frame["line"][0] + 1,
                                                             LAST_COLUMN))
    # Frame titles take a row of their own.
    rows = ["auto"] * (2 * max(lines) + 2)
    for c in f.controls:
        if c["kind"] == "Frame" and c["line"][1] in COLUMN:
            rows[2 * c["line"][0] - 1] = "var(--title-row)"
            rows[2 * max(m["line"][0] for m in f.members(c))] = "var(--frame-end)"
    rules.append("%s #form{grid-template-rows:%s}" % (prefix, " ".join(rows)))
    return "\n".join(rules)


def style(f, page_css, phone_css):
    """The desktop's rules, then the phone's twice: under the media query unless the user
    chose the desktop, and wherever the user chose the phone."""
    marker = ":root.phone"
    phone = phone_css + "\n" + phone_style(f, marker)
    automatic = phone.replace(marker, ":root:not(.desktop)")
    return "%s\n%s\n@media %s {\n%s\n}\n%s\n" % (page_css, desktop_style(f), PHONE_QUERY,
                                                 automatic, phone)


def woff2(source, target):
    """The bundled font as WOFF2 (Brotli): a quarter smaller than the OTF."""
    from fontTools.ttLib import TTFont
    font = TTFont(source, recalcTimestamp=False)  # the same bytes from the same font
    font.flavor = "woff2"
    font.save(target)


def manifest(form, icons):
    sizes = [(os.path.basename(p), int(os.path.basename(p).split("-")[1].split(".")[0]))
             for p in icons]
    return json.dumps({
        "name": form.form["title"],
        "short_name": form.form["title"],
        "start_url": "./",
        "scope": "./",
        "display": "standalone",
        "theme_color": BANNER_COLOUR,
        "background_color": PAGE_COLOUR,
        "icons": [{"src": name, "sizes": "%dx%d" % (size, size), "type": "image/png"}
                  for name, size in sizes if size >= 192],
    }, ensure_ascii=False, indent=1) + "\n"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--table", required=True)
    parser.add_argument("--page", required=True)
    parser.add_argument("--style", required=True)
    parser.add_argument("--phone", required=True)
    parser.add_argument("--module", required=True)
    parser.add_argument("--script", required=True)
    parser.add_argument("--worker", required=True)
    parser.add_argument("--font", required=True)
    parser.add_argument("--icons", nargs="+", required=True)
    parser.add_argument("--pictures", nargs="*", default=[])
    parser.add_argument("--output", required=True)
    args = parser.parse_args()

    with open(args.table, encoding="utf-8") as f:
        form = Form(json.load(f))
    with open(args.style, encoding="utf-8") as f:
        page_css = f.read()
    with open(args.phone, encoding="utf-8") as f:
        phone_css = f.read()
    pictures = {os.path.basename(p) for p in args.pictures}
    css = style(form, page_css, phone_css)
    if "</" in css:
        raise SystemExit("assemble.py: '</' would end the style element early")

    site = args.output
    os.makedirs(site, exist_ok=True)
    files = []  # the site's own files, but for the worker, as the page names them
    for source, name in [(args.module, MODULE_FILE), (args.script, "page.js")] + \
            [(p, os.path.basename(p)) for p in args.icons + args.pictures]:
        shutil.copyfile(source, os.path.join(site, name))
        files.append(name)
    woff2(args.font, os.path.join(site, FONT_FILE))
    files.append(FONT_FILE)
    with open(os.path.join(site, "manifest.webmanifest"), "w", encoding="utf-8") as f:
        f.write(manifest(form, args.icons))
    files.append("manifest.webmanifest")

    # The scripts are asked for once the form is painted (its first contentful paint, as
    # the browser times it): before, they would share a slow link with the page and the
    # font, which the first paint needs more. In order, as page.js runs on the module. A
    # tab opened in the background asks for them when it is first shown; a browser that
    # times no paint, at once; and should the paint never be reported, three seconds on.
    loader = ("let asked=0;const load=()=>{if(asked++)return;for(const src of %s){"
              "const s=document.createElement('script');"
              "s.src=src;s.async=false;document.body.append(s)}};"
              "PerformanceObserver.supportedEntryTypes.includes('paint')?"
              "new PerformanceObserver((l,o)=>{if(l.getEntriesByName('first-contentful-paint')"
              ".length){o.disconnect();load()}}).observe({type:'paint',buffered:true}):load();"
              "setTimeout(load,3000)"
              % json.dumps([MODULE_FILE, "page.js"]))
    policy = "; ".join([
        "default-src 'none'",
        "script-src 'self' %s 'wasm-unsafe-eval'" % digest(loader),
        "style-src %s" % digest(css),
        "img-src 'self'",
        "font-src 'self'",
        "worker-src 'self'",
        "manifest-src 'self'",
        "base-uri 'none'",
        "form-action 'none'",
    ])
    title = html.escape(form.form["title"])
    layouts = "".join('<button type="button" id="%s" aria-pressed="false">%s</button>' % (
        key, html.escape(form.form[key])) for key in ("desktopLayout", "phoneLayout"))
    with open(args.page, encoding="utf-8") as f:
        page = f.read()
    for mark, value in [("@POLICY@", policy), ("@ICON@", os.path.basename(args.icons[0])),
                        ("@TITLE@", title), ("@FORM@", markup(form, pictures)),
                        ("@LAYOUTS@", layouts),
                        ("@SHARE@", html.escape(form.form["copyAssessment"])),
                        ("@LOADER@", loader), ("@STYLE@", css)]:
        if page.count(mark) != (2 if mark == "@TITLE@" else 1):
            raise SystemExit("assemble.py: %s is missing from %s, or repeated" % (mark, args.page))
        page = page.replace(mark, value)
    with open(os.path.join(site, "index.html"), "w", encoding="utf-8") as f:
        f.write(page)
    files[:0] = ["./", "index.html"]

    # The worker's cache is keyed by all the files it keeps: any change makes a new one.
    key = hashlib.sha256()
    for name in files[1:]:
        with open(os.path.join(site, name), "rb") as f:
            key.update(name.encode() + b"\0" + hashlib.sha256(f.read()).digest())
    with open(args.worker, encoding="utf-8") as f:
        worker = f.read()
    for mark, value in [("@VERSION@", key.hexdigest()[:16]), ("@FILES@", json.dumps(files))]:
        if worker.count(mark) != 1:
            raise SystemExit("assemble.py: %s is missing from %s, or repeated"
                             % (mark, args.worker))
        worker = worker.replace(mark, value)
    with open(os.path.join(site, WORKER_FILE), "w", encoding="utf-8") as f:
        f.write(worker)


if __name__ == "__main__":
    main()
