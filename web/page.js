// The browser view: binds to the form's elements, which the page holds from its build (one
// per control of the table the core exports, web/bindings.cpp, with its id the control's
// name), hands every event to the score sheet in the WebAssembly module and shows what
// comes back. Like the desktop views it computes nothing and writes no sentence of its
// own: rules, captions, rectangles and sentences all come from the module.
'use strict';

// The module is ready at once (compiled synchronously); a promise of it would do as well.
Promise.resolve(createPelmora()).then((core) => {
    const text = (pointer) => core.UTF8ToString(pointer);
    const json = (pointer) => JSON.parse(core.UTF8ToString(pointer));
    const withText = (value, call) => {
        const size = core.lengthBytesUTF8(value) + 1;
        const pointer = core._malloc(size);
        core.stringToUTF8(value, pointer, size);
        try {
            return call(pointer);
        } finally {
            core._free(pointer);
        }
    };

    const form = json(core._pelmora_form());
    const room = document.getElementById('room');
    const root = document.getElementById('form');
    const announcer = document.getElementById('announcer');
    const verdictWhy = document.getElementById('verdict-why');
    const takesFocus = new Set(['TextBox', 'List', 'Button', 'CheckBox']);
    const px = (value) => value + 'px';

    const style = getComputedStyle(document.documentElement);

    // ---- The controls, written into the page from the table when it was built ----

    const elements = new Map(); // name -> the element whose id is the name
    const boxes = new Map(); // name -> the element placed at the rectangle
    form.controls.forEach((c, index) => {
        c.index = index;
        const element = document.getElementById(c.name);
        elements.set(c.name, element);
        boxes.set(c.name, c.kind === 'CheckBox' ? element.parentElement : element);
    });

    // ---- The layout: the form, or on a narrow screen or under a finger one column ----

    const html = document.documentElement;
    const layoutButtons = [document.getElementById('desktopLayout'),
        document.getElementById('phoneLayout')];
    const isPhone = () => style.getPropertyValue('--bar-height') !== '';
    // The whole form scales down to a narrower window, never reflowed or clipped.
    const [, , formWidth, formHeight] = form.size;
    function fit() {
        const scale = isPhone() ? 1 : Math.min(1, html.clientWidth / formWidth);
        root.style.transform = scale < 1 ? `scale(${scale})` : '';
        room.style.width = scale < 1 ? px(formWidth * scale) : '';
        room.style.height = scale < 1 ? px(formHeight * scale) : '';
        layoutButtons[0].setAttribute('aria-pressed', String(!isPhone()));
        layoutButtons[1].setAttribute('aria-pressed', String(isPhone()));
    }
    // A user's choice holds until the page is loaded again; nothing is stored.
    layoutButtons.forEach((button, phone) => button.addEventListener('click', () => {
        html.classList.toggle('phone', phone === 1);
        html.classList.toggle('desktop', phone === 0);
        fit();
        refresh();
    }));
    fit();
    window.addEventListener('resize', () => {
        fit();
        refresh();
    });
    // The result bar stays at the top of what is visible while a phone's keyboard is up.
    const viewport = window.visualViewport;
    if (viewport) {
        const follow = () => html.style.setProperty('--viewport-top', px(Math.max(0, viewport.offsetTop)));
        viewport.addEventListener('resize', follow);
        viewport.addEventListener('scroll', follow);
    }

    // ---- The sheet's state, and what is heard ----

    const fields = form.controls.filter((c) => c.field >= 0);
    const verdict = form.controls.find((c) => c.kind === 'Button' && c.field >= 0);
    function refresh() {
        const state = json(core._pelmora_state());
        for (const c of fields) {
            const element = elements.get(c.name);
            const value = state.texts[c.field];
            switch (c.kind) {
            case 'TextBox':
                // Only a different text is set: setting it moves the caret to the end.
                if (element.value !== value)
                    element.value = value;
                element.disabled = !state.enabled[c.field];
                break;
            case 'List':
                if (element.selectedIndex !== state.picked[c.field])
                    element.selectedIndex = state.picked[c.field];
                break;
            case 'CheckBox':
                element.checked = state.checked;
                break;
            default:
                if (element.textContent !== value)
                    element.textContent = value;
            }
        }
        // A phone has no hover: there the verdict's explanation stands under the result's
        // title.
        const why = isPhone() ? text(core._pelmora_tooltip(verdict.index)) : '';
        if (verdictWhy.textContent !== why)
            verdictWhy.textContent = why;
    }

    // One polite, atomic live region: a new text node each time, so that the same
    // sentence twice is heard twice.
    function say(message) {
        if (message)
            announcer.replaceChildren(document.createTextNode(message));
    }

    function heard(pointer) {
        const message = text(pointer);
        refresh();
        say(message);
    }

    // ---- Events to the sheet ----

    const accepts = (c, typed) => {
        for (let i = 0; i < typed.length; ++i) {
            if (!core._pelmora_accepts(c.index, typed.charCodeAt(i)))
                return false;
        }
        return true;
    };
    const edit = (c, value) => withText(value, (pointer) => heard(core._pelmora_edit(c.index, pointer)));

    for (const c of form.controls) {
        const element = elements.get(c.name);
        if (c.kind === 'TextBox') {
            // Typed characters go through the box's filter; pasted or dropped text is
            // written whole, as on the desktop.
            element.addEventListener('beforeinput', (event) => {
                if (event.inputType === 'insertText' && event.data && !accepts(c, event.data))
                    event.preventDefault();
            });
            element.addEventListener('input', (event) => {
                if (!event.isComposing)
                    edit(c, element.value);
            });
            // An input method's commit is typed text: filtered whole. A refused one leaves
            // the box as it was, its selection too.
            let selection = null;
            element.addEventListener('compositionstart', () => {
                selection = [element.selectionStart, element.selectionEnd];
            });
            element.addEventListener('compositionend', (event) => {
                if (accepts(c, event.data || '')) {
                    edit(c, element.value);
                } else {
                    refresh();
                    element.setSelectionRange(...selection);
                }
            });
        } else if (c.kind === 'List') {
            element.addEventListener('change', () =>
                heard(core._pelmora_pick(c.index, element.selectedIndex)));
        } else if (c.kind === 'CheckBox') {
            element.addEventListener('change', () =>
                heard(core._pelmora_check(c.index, element.checked ? 1 : 0)));
        } else if (c.action) {
            element.addEventListener('click', () => {
                const effect = json(core._pelmora_click(c.index));
                refresh();
                say(effect.said);
                if (effect.address)
                    window.open(effect.address, '_blank', 'noopener');
                if (effect.qrCode)
                    openQrCode();
            });
        }
        // The scores, 性别, 出生日期 and the verdict explain themselves on hover and focus.
        if (c.field >= 0 && (c.kind === 'Label' || c.kind === 'Button')) {
            const explain = () => {
                const tip = text(core._pelmora_tooltip(c.index));
                if (tip)
                    element.title = tip;
                else
                    element.removeAttribute('title');
            };
            element.addEventListener('mouseenter', explain);
            element.addEventListener('focus', explain);
        }
    }

    // ---- Focus: the form's tab order, first focus on its first stop ----

    const chain = form.controls.filter((c) => takesFocus.has(c.kind)).sort((a, b) => a.tab - b.tab)
        .map((c) => elements.get(c.name));
    document.addEventListener('keydown', (event) => {
        // A phone keyboard's "next" key (enterkeyhint) goes on as Tab does.
        const next = event.key === 'Enter' && isPhone() && event.target.type === 'text';
        if ((event.key !== 'Tab' && !next) || event.ctrlKey || event.altKey || event.metaKey)
            return;
        const at = chain.indexOf(document.activeElement);
        if (at < 0)
            return;
        event.preventDefault();
        const step = event.shiftKey && !next ? chain.length - 1 : 1;
        for (let i = (at + step) % chain.length; i !== at; i = (i + step) % chain.length) {
            if (!chain[i].disabled) {
                chain[i].focus();
                // As on the desktop, a box reached by Tab has its text selected.
                if (chain[i].type === 'text')
                    chain[i].select();
                return;
            }
        }
    });

    // ---- F1, the copy, the menu ----

    const explanation = document.createElement('div');
    explanation.id = 'explanation';
    explanation.setAttribute('role', 'tooltip');
    explanation.hidden = true;
    const main = document.querySelector('main');
    main.append(explanation);
    const hideExplanation = () => {
        explanation.hidden = true;
    };
    document.addEventListener('keydown', hideExplanation, true);
    document.addEventListener('mousedown', hideExplanation, true);
    document.addEventListener('keydown', (event) => {
        if (event.key !== 'F1')
            return;
        const c = form.controls.find((o) => elements.get(o.name) === document.activeElement);
        if (!c)
            return;
        event.preventDefault();
        explainAt(c, text(core._pelmora_help(c.index)));
    });
    // Shown under the control as a tooltip is, inside the window, and heard.
    function explainAt(c, message) {
        const at = boxes.get(c.name).getBoundingClientRect();
        explanation.textContent = message;
        explanation.hidden = false;
        const left = Math.min(at.left, html.clientWidth - explanation.offsetWidth);
        Object.assign(explanation.style, {left: px(Math.max(0, left)), top: px(at.bottom)});
        say(message);
    }
    // A phone has no hover: there a tap on a score, 性别 or 出生日期 shows its explanation.
    for (const c of form.controls) {
        if (c.field < 0 || c.kind !== 'Label')
            continue;
        elements.get(c.name).addEventListener('click', () => {
            const tip = isPhone() ? text(core._pelmora_tooltip(c.index)) : '';
            if (tip)
                explainAt(c, tip);
        });
    }

    function dialog(title) {
        const window = document.createElement('dialog');
        window.setAttribute('aria-label', title);
        const header = document.createElement('header');
        const close = document.createElement('button');
        close.type = 'button';
        close.textContent = form.close;
        close.addEventListener('click', () => window.close());
        header.append(title, close);
        window.append(header);
        // Not modal: the form stays usable, as beside the desktop's second window.
        window.addEventListener('keydown', (event) => {
            if (event.key === 'Escape') {
                event.preventDefault();
                window.close();
            }
        });
        document.body.append(window);
        return window;
    }

    let qrCode = null;
    function openQrCode() {
        if (!qrCode) {
            const q = form.qrCode;
            qrCode = dialog(q.title);
            const client = document.createElement('div');
            client.className = 'client';
            Object.assign(client.style, {width: px(q.client[2]), height: px(q.client[3])});
            const image = document.createElement('img');
            image.src = q.picture; // a file beside the page
            image.alt = q.title;
            const [left, top, width, height] = q.image;
            Object.assign(image.style, {left: px(left), top: px(top), width: px(width), height: px(height)});
            client.append(image);
            qrCode.append(client);
        }
        const [left, top] = json(core._pelmora_qr_rect(document.documentElement.clientWidth,
            document.documentElement.clientHeight));
        Object.assign(qrCode.style, {left: px(left), top: px(top)});
        qrCode.show();
        qrCode.querySelector('button').focus();
    }

    // Where the Clipboard API is refused (a page over plain http is no secure context),
    // the text is shown selected, for the user to copy.
    let copyWindow = null;
    async function copyAssessment() {
        const assessment = text(core._pelmora_assessment());
        try {
            await navigator.clipboard.writeText(assessment);
        } catch {
            if (!copyWindow) {
                copyWindow = dialog(form.copyAssessment);
                const area = document.createElement('textarea');
                area.setAttribute('aria-label', form.copyAssessment);
                copyWindow.append(area);
                copyWindow.style.left = copyWindow.style.top = '0';
            }
            const area = copyWindow.querySelector('textarea');
            area.readOnly = true;
            area.value = assessment;
            copyWindow.show();
            area.focus();
            area.select();
        }
    }
    // On a phone the assessment goes to the system's share sheet, where there is one.
    document.getElementById('share').addEventListener('click', async () => {
        if (!navigator.share)
            return copyAssessment();
        try {
            await navigator.share({text: text(core._pelmora_assessment())});
        } catch (error) {
            if (error.name !== 'AbortError')
                copyAssessment();
        }
    });
    document.addEventListener('keydown', (event) => {
        if (event.ctrlKey && event.shiftKey && event.code === 'KeyC') {
            event.preventDefault();
            copyAssessment();
        }
    });

    // The window's menu, with its one command; the text boxes keep theirs.
    const menu = document.createElement('div');
    menu.id = 'menu';
    menu.setAttribute('role', 'menu');
    menu.hidden = true;
    const item = document.createElement('button');
    item.type = 'button';
    item.setAttribute('role', 'menuitem');
    item.textContent = form.copyAssessment;
    menu.append(item);
    main.append(menu);
    let before = null;
    const closeMenu = () => {
        if (menu.hidden)
            return;
        menu.hidden = true;
        if (before)
            before.focus();
    };
    item.addEventListener('click', () => {
        closeMenu();
        copyAssessment();
    });
    menu.addEventListener('keydown', (event) => {
        if (event.key === 'Escape')
            closeMenu();
    });
    document.addEventListener('mousedown', (event) => {
        if (!menu.contains(event.target))
            closeMenu();
    });
    root.addEventListener('contextmenu', (event) => {
        if (event.target instanceof HTMLInputElement && event.target.type === 'text')
            return;
        event.preventDefault();
        before = document.activeElement;
        const at = event.target.getBoundingClientRect();
        const x = event.clientX || at.left;
        const y = event.clientY || at.bottom;
        Object.assign(menu.style, {left: px(x), top: px(y)});
        menu.hidden = false;
        item.focus();
    });

    refresh();
    elements.get(form.firstFocus).focus();
});

// Over http(s) a worker keeps the page's own files for a visit without a network (nothing
// typed: see web/serviceworker.js). Opened from disk there is none; where it fails to
// register or install, the page goes on from the network.
if (location.protocol.startsWith('http') && 'serviceWorker' in navigator)
    navigator.serviceWorker.register('serviceworker.js').catch(() => {});
