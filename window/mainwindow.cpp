#include "mainwindow.h"

#include "accessible.h"
#include "clickablelabel.h"
#include "form/actions.h"
#include "form/announce.h"
#include "form/inputrules.h"
#include "frame.h"
#include "keyfilter.h"
#include "present/compose.h"
#include "qtform.h"
#include "scoring/scoresheet.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProxyStyle>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QStyleFactory>
#include <QToolTip>

#include <algorithm>
#include <functional>
#include <limits>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace pelmora {

namespace {

using form::Kind;
using qtform::pixels;
using qtform::qt;

Qt::Alignment horizontalAlignment(unsigned look) {
    if (look & form::Centre)
        return Qt::AlignHCenter;
    if (look & form::Right)
        return Qt::AlignRight;
    return Qt::AlignLeft;
}

// The lists of the form are narrow ("政策内生育" in 83 pixels): their text gets the two
// pixels of margin either side that the styles keep for an editable list's frame.
class ListStyle final : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;

    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override {
        QRect rect = QProxyStyle::subControlRect(control, option, part, widget);
        if (control == CC_ComboBox && part == SC_ComboBoxEditField)
            rect.adjust(-2, 0, 2, 0);
        return rect;
    }
};

QWidget* makeWidget(const form::Control& c, QWidget* parent, QStyle* listStyle) {
    switch (c.kind) {
    case Kind::Label: {
        QLabel* label = c.look & form::Link ? new ClickableLabel(parent) : new QLabel(parent);
        label->setTextFormat(Qt::PlainText); // what the sheet holds is never markup
        label->setText(qt(c.text));
        label->setAlignment(horizontalAlignment(c.look) | Qt::AlignVCenter);
        label->setWordWrap(true); // a label's text wraps within its box
        return label;
    }
    case Kind::TextBox: {
        auto* edit = new QLineEdit(parent);
        edit->setAlignment(horizontalAlignment(c.look) | Qt::AlignVCenter);
        edit->setMaxLength(std::numeric_limits<int>::max()); // a text box has no length limit
        return edit;
    }
    case Kind::List: {
        auto* list = new QComboBox(parent); // not editable: the user can only pick
        list->setStyle(listStyle);
        return list;
    }
    case Kind::Button: {
        auto* button = new QPushButton(qt(c.text), parent);
        button->setAutoDefault(false);
        return button;
    }
    case Kind::CheckBox: {
        auto* box = new QCheckBox(qt(c.text), parent);
        // Opaque, so that lying across a frame's edge it hides the line as a title does.
        box->setAutoFillBackground(true);
        return box;
    }
    case Kind::Frame:
        return new Frame(qt(c.text), parent);
    case Kind::Picture: {
        auto* picture = new ClickableLabel(parent);
        // At natural size from the top-left corner, clipped by the box. A missing picture
        // leaves the box empty.
        picture->setPixmap(qtform::picture(c.text));
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return picture;
    }
    }
    return nullptr;
}

void setTextColour(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

} // namespace

MainWindow::MainWindow(ScoreSheet& sheet, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_sheet(sheet), m_fields(kFieldCount, nullptr) {
    setObjectName(qt(form::kWindowTitle));
    setWindowTitle(qt(form::kWindowTitle));
    setFont(qtform::font(form::Font::D));
    const QRect client = pixels(0, 0, form::kClientWidth, form::kClientHeight);
    setFixedSize(client.size());

    installAccessibleFactory();
    m_announcer = new Announcer(this);
    build();
    m_subscription = m_sheet.subscribe([this](Field field) { refresh(field); });

    // The window's own menu (the text boxes keep theirs) and its key copy the assessment.
    auto* copy = new QAction(qt(form::kCopyAssessment), this);
    copy->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    copy->setShortcutContext(Qt::WindowShortcut);
    connect(copy, &QAction::triggered, this, &MainWindow::copyAssessment);
    addAction(copy);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, this,
            &MainWindow::explainFocus);
}

MainWindow::~MainWindow() {
    m_sheet.unsubscribe(m_subscription);
    // The children outlive this body; nothing they emit while dying may reach the sheet.
    for (QObject* child : findChildren<QObject*>())
        disconnect(child, nullptr, this, nullptr);
}

// The icon's eleven pictures take longer to decode than the rest of the window takes to
// build, and nothing on screen waits for them: they are set once the window has been
// painted, after it is mapped.
void MainWindow::paintEvent(QPaintEvent* event) {
    if (!m_iconSet) {
        m_iconSet = true;
        QMetaObject::invokeMethod(
            this, [this] { setWindowIcon(qtform::programIcon()); }, Qt::QueuedConnection);
    }
    QWidget::paintEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return QWidget::eventFilter(watched, event);
    const std::optional<Field> field = fieldByName(watched->objectName().toStdString());
    const std::string text = field ? tooltipText(m_sheet, *field) : std::string();
    if (text.empty())
        QToolTip::hideText();
    else
        QToolTip::showText(static_cast<QHelpEvent*>(event)->globalPos(), qt(text),
                           static_cast<QWidget*>(watched));
    return true;
}

// Shows at the focused control, until the next key or click, and says what its score is
// made of, the total and the verdict, what is missing and the best step to take.
void MainWindow::explainFocus() {
    QWidget* focus = focusWidget();
    if (!focus)
        return;
    const QString text = qt(helpText(m_sheet, form::helpField(focus->objectName().toStdString())));
    QToolTip::showText(focus->mapToGlobal(QPoint(0, focus->height())), text, focus);
    m_announcer->say(text);
}

void MainWindow::copyAssessment() {
    QGuiApplication::clipboard()->setText(qt(assessmentText(m_sheet, today())));
}

void MainWindow::build() {
    std::map<std::string_view, QWidget*> containers{{std::string_view{}, this}};
    std::map<std::string_view, QWidget*> byName;
    std::vector<std::pair<int, QWidget*>> focusable;
    auto* listStyle = new ListStyle(QStyleFactory::create(style()->name()));
    listStyle->setParent(this);

    for (const form::Control& c : form::controls()) {
        QWidget* widget = makeWidget(c, containers.at(c.container), listStyle);
        widget->setObjectName(qt(c.name));
        widget->setGeometry(pixels(c.left, c.top, c.width, c.height));
        widget->setFont(qtform::font(c.font));
        if (const std::optional<form::Rgb> colour = form::textColour(c.look))
            setTextColour(widget, QColor(colour->red, colour->green, colour->blue));
        if (c.look & form::Link)
            setTextColour(widget, widget->palette().color(QPalette::Highlight));
        if (c.kind == Kind::Frame)
            containers.emplace(c.name, widget);
        byName.emplace(c.name, widget);

        if (std::optional<Field> field = fieldByName(c.name))
            bind(*field, widget, c);
        else if (form::changesSheet(form::actionOf(c.name)))
            bindCommand(widget, c);
        if (!c.says.empty()) {
            // A picture has no words of its own to be named by.
            if (c.kind == Kind::Picture)
                widget->setAccessibleName(qt(c.says));
            else
                widget->setAccessibleDescription(qt(c.says));
        }

        if (widget->focusPolicy() & Qt::TabFocus)
            focusable.emplace_back(c.tab, widget);
    }

    // A caption names its input for assistive technology only where the caption alone
    // tells the input apart: a list or a value is known by what it holds, and a box with a
    // unit label by its own name and the unit ("生育险月数 … 个月", not "生育" twice).
    std::set<std::string_view> described;
    for (const form::Control& c : form::controls()) {
        if (!c.describes.empty()) {
            byName.at(c.describes)->setAccessibleDescription(qt(c.text));
            described.insert(c.describes);
        }
    }
    for (const form::Control& c : form::controls()) {
        QWidget* input = c.names.empty() ? nullptr : byName.at(c.names);
        if (qobject_cast<QLineEdit*>(input) && !described.contains(c.names))
            static_cast<QLabel*>(byName.at(c.name))->setBuddy(input);
    }

    std::ranges::sort(focusable, {}, &std::pair<int, QWidget*>::first);
    for (std::size_t i = 1; i < focusable.size(); ++i)
        QWidget::setTabOrder(focusable[i - 1].second, focusable[i].second);
    byName.at(form::firstFocus().name)->setFocus();
}

// Shows the field's text and writes the user's edits of it into the sheet. Text boxes are
// known to assistive technology by their control name; the other fields' names are
// their descriptions, so that a value is read out with what it is ("90, 学历得分").
void MainWindow::bind(Field field, QWidget* widget, const form::Control& row) {
    m_fields[index(field)] = widget;
    const QString name = widget->objectName();

    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setAccessibleName(name);
        if (isFilteredBox(field))
            edit->installEventFilter(new KeyFilter(field, edit));
        // textChanged, not textEdited: an assistive technology sets the text without keys.
        connect(edit, &QLineEdit::textChanged, this,
                [this, field, row = &row](const QString& text) {
                    const QByteArray utf8 = text.toUtf8();
                    act(*row, [&] {
                        m_sheet.setText(field, std::string_view(utf8.constData(), utf8.size()));
                    });
                });
    } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
        list->setAccessibleDescription(name);
        for (std::string_view item : listItems(field))
            list->addItem(qt(item));
        // activated, not currentIndexChanged: picking the item already shown is a pick too.
        connect(list, &QComboBox::activated, this, [this, field, row = &row](int index) {
            const auto items = listItems(field);
            if (index >= 0 && std::size_t(index) < items.size())
                act(*row, [&] { m_sheet.setText(field, items[std::size_t(index)]); });
        });
    } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        connect(box, &QCheckBox::toggled, this,
                [this, row = &row](bool on) { act(*row, [&] { m_sheet.setChecked(on); }); });
    } else {
        widget->setAccessibleDescription(name); // score labels, 性别, 出生日期, the verdict
        widget->installEventFilter(this);       // their tooltips say why
    }
    refresh(field);
}

// A command runs on the sheet through the form's actions; its results are heard.
void MainWindow::bindCommand(QWidget* widget, const form::Control& row) {
    connect(static_cast<QPushButton*>(widget), &QPushButton::clicked, this, [this, row = &row] {
        act(*row, [&] { form::run(m_sheet, form::actionOf(row->name)); });
    });
}

// Runs a user's action, then delivers to a screen reader the one message the form
// composes of its results.
void MainWindow::act(const form::Control& row, const std::function<void()>& action) {
    const form::Heard heard(m_sheet, row);
    action();
    m_announcer->say(qt(heard.message(m_sheet)));
}

void MainWindow::refresh(Field field) {
    QWidget* widget = m_fields[index(field)];
    if (!widget)
        return;
    const QString text = QString::fromStdString(m_sheet.text(field));

    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        // Only a different text is set: setting it moves the caret to the end.
        if (edit->text() != text) {
            const QSignalBlocker blocker(edit);
            edit->setText(text);
        }
        edit->setEnabled(form::isEnabled(m_sheet, field));
    } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
        const int picked = form::pickedIndex(field, m_sheet.text(field));
        if (list->currentIndex() != picked) {
            const QSignalBlocker blocker(list);
            list->setCurrentIndex(picked);
        }
    } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        if (box->isChecked() != m_sheet.isChecked()) {
            const QSignalBlocker blocker(box);
            box->setChecked(m_sheet.isChecked());
        }
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        if (label->text() != text)
            label->setText(text);
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        if (button->text() != text)
            button->setText(text);
    }
}

} // namespace pelmora
