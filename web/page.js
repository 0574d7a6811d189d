// The browser view: builds the form from the table the core exports (web/bindings.cpp),
// hands every event to the score sheet in the WebAssembly module and shows what comes
// back. Like the desktop views it computes nothing and writes no sentence of its own:
// rules, captions, rectangles and sentences all come from the module.
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
    const pictures = JSON.parse(document.getElementById('pictures').textContent);
    const room = document.getElementById('room');
    const root = document.getElementById('form');
    const announcer = document.getElementById('announcer');
    const takesFocus = new Set(['TextBox', 'List', 'Button', 'CheckBox']);
    const px = (value) => value + 'px';

    document.title = form.title;
    document.querySelector('h1').textContent = form.title;
    // The form's face, else the bundled Song-style subset, as the desktop views do.
    const bundled = 'Pelmora Song';
    const font = atob(document.getElementById('font').textContent);
    const bytes = new Uint8Array(font.length);
    for (let i = 0; i < font.length; ++i)
        bytes[i] = font.charCodeAt(i);
    document.fonts.add(new FontFace(bundled, bytes));
    document.documentElement.style.setProperty('--form-face',
        `${JSON.stringify(form.fontFamily)}, ${JSON.stringify(bundled)}`);

    // ---- The controls, from the table ----

    const elements = new Map(); // name -> the element whose id is the name
    const boxes = new Map(); // name -> the element placed at the rectangle
    const containers = new Map([['', root]]);

    function make(c) {
        switch (c.kind) {
        case 'Label': {
            // A caption labels its box where the caption alone tells the box apart, as
            // the Qt view's buddies do (a box with a unit is known by its own name), and
            // its list, which a browser needs named.
            const names = c.names && form.controls.find((o) => o.name === c.names);
            const labels = names && (names.kind === 'List' ||
                (names.kind === 'TextBox' && !form.controls.some((o) => o.describes === c.names)));
            const label = document.createElement(labels ? 'label' : 'div');
            if (labels)
                label.htmlFor = c.names;
            label.className = 'label';
            label.textContent = c.text;
            return label;
        }
        case 'TextBox': {
            const input = document.createElement('input');
            input.type = 'text';
            input.autocomplete = 'off';
            input.spellcheck = false;
            return input;
        }
        case 'List': {
            const list = document.createElement('select');
            for (const item of c.items)
                list.add(new Option(item));
            return list;
        }
        case 'Button': {
            const button = document.createElement('button');
            button.type = 'button';
            button.textContent = c.text;
            return button;
        }
        case 'CheckBox': {
            const box = document.createElement('input');
            box.type = 'checkbox';
            return box;
        }
        case 'Frame': {
            const frame = document.createElement('fieldset');
            if (c.text) {
                const title = document.createElement('legend');
                title.textContent = c.text;
                frame.append(title);
            }
            return frame;
        }
        case 'Picture': {
            const picture = document.createElement('img');
            picture.src = pictures[c.text] || '';
            picture.alt = c.says;
            return picture;
        }
        }
        return document.createElement('div');
    }

    function place(box, [left, top, width, height]) {
        Object.assign(box.style, {left: px(left), top: px(top), width: px(width), height: px(height)});
    }

    form.controls.forEach((c, index) => {
        c.index = index;
        const element = make(c);
        element.id = c.name;
        let box = element;
        if (c.kind === 'CheckBox') {
            // The native box and its caption in one label at the rectangle, opaque so that
            // across a frame's edge it hides the line as a title does.
            box = document.createElement('label');
            box.className = 'check';
            box.append(element, c.text);
        }
        place(box, c.rect);
        box.style.fontSize = c.pointSize + 'pt';
        if (c.underline)
            box.style.textDecoration = 'underline';
        if (c.kind === 'Label' || c.kind === 'TextBox')
            box.style.textAlign = c.align;
        if (c.kind === 'Label')
            box.style.justifyContent = {left: 'flex-start', center: 'center', right: 'flex-end'}[c.align];
        if (c.colour)
            box.style.color = c.colour;
        if (c.link)
            box.style.color = 'LinkText';
        if (c.action && !takesFocus.has(c.kind))
            box.classList.add('clickable');
        if (c.field < 0 && c.says && c.kind !== 'Picture')
            element.setAttribute('aria-description', c.says);
        containers.get(c.container).append(box);
        if (c.kind === 'Frame')
            containers.set(c.name, element);
        elements.set(c.name, element);
        boxes.set(c.name, box);
    });
    for (const c of form.controls) {
        if (c.describes)
            elements.get(c.describes).setAttribute('aria-describedby', c.name);
        // Text boxes are known by their control name; the other fields are described by
        // it, so that a value is read out with what it is ("90, 学历得分").
        if (c.field >= 0 && c.kind === 'TextBox')
            elements.get(c.name).setAttribute('aria-label', c.name);
        else if (c.field >= 0 && c.kind !== 'CheckBox')
            elements.get(c.name).setAttribute('aria-description', c.name);
    }

    // The whole form scales down to a narrower window, never reflowed or clipped.
    const [, , formWidth, formHeight] = form.size;
    function fit() {
        const scale = Math.min(1, document.documentElement.clientWidth / formWidth);
        root.style.width = px(formWidth);
        root.style.height = px(formHeight);
        root.style.transform = scale < 1 ? `scale(${scale})` : '';
        room.style.width = px(formWidth * scale);
        room.style.height = px(formHeight * scale);
    }
    fit();
    window.addEventListener('resize', fit);

    // ---- The sheet's state, and what is heard ----

    const fields = form.controls.filter((c) => c.field >= 0);
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
        if (event.key !== 'Tab' || event.ctrlKey || event.altKey || event.metaKey)
            return;
        const at = chain.indexOf(document.activeElement);
        if (at < 0)
            return;
        event.preventDefault();
        const step = event.shiftKey ? chain.length - 1 : 1;
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
        const message = text(core._pelmora_help(c.index));
        const at = boxes.get(c.name).getBoundingClientRect();
        explanation.textContent = message;
        Object.assign(explanation.style, {left: px(Math.max(0, at.left)), top: px(at.bottom)});
        explanation.hidden = false;
        say(message);
    });

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
            image.src = pictures[q.picture] || '';
            image.alt = q.title;
            place(image, q.image);
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
