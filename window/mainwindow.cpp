#include "mainwindow.h"

#include "accessible.h"
#include "clickablelabel.h"
#include "form.h"
#include "frame.h"
#include "inputrules.h"
#include "keyfilter.h"
#include "scoring/scoresheet.h"

#include <QCheckBox>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QProxyStyle>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyleFactory>

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

QString qt(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QRect pixels(int left, int top, int width, int height) {
    auto px = [](int twips) { return qRound(twips / double(form::kTwipsPerPixel)); };
    return {px(left), px(top), px(width), px(height)};
}

QFont fontFor(form::Font letter) {
    QFont font(QStringLiteral("宋体"));
    font.setPointSizeF(form::pointSize(letter));
    font.setUnderline(form::isUnderlined(letter));
    return font;
}

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
        picture->setPixmap(QPixmap(qt(c.text)));
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

QIcon pelmoraIcon() {
    QIcon icon(QStringLiteral(":/assets/pelmora.ico"));
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/assets/icon-%1.png").arg(size), QSize(size, size));
    return icon;
}

} // namespace

MainWindow::MainWindow(ScoreSheet& sheet, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_sheet(sheet), m_fields(kFieldCount, nullptr) {
    setObjectName(QStringLiteral("Pelmora"));
    setWindowTitle(QStringLiteral("Pelmora"));
    setFont(fontFor(form::Font::D));
    const QRect client = pixels(0, 0, form::kClientWidth, form::kClientHeight);
    setFixedSize(client.size());

    installAccessibleFactory();
    m_announcer = new Announcer(this);
    build();
    m_subscription = m_sheet.subscribe([this](Field field) { refresh(field); });
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
            this, [this] { setWindowIcon(pelmoraIcon()); }, Qt::QueuedConnection);
    }
    QWidget::paintEvent(event);
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
        widget->setFont(fontFor(c.font));
        if (c.look & form::Red)
            setTextColour(widget, QColor(255, 0, 0));
        if (c.look & form::Link)
            setTextColour(widget, widget->palette().color(QPalette::Highlight));
        if (c.kind == Kind::Frame)
            containers.emplace(c.name, widget);
        byName.emplace(c.name, widget);

        if (std::optional<Field> field = fieldByName(c.name))
            bind(*field, widget, heardAfter(c));
        else if (c.kind == Kind::Button)
            bindButton(c.name, widget, heardAfter(c));
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
    if (!focusable.empty())
        focusable.front().second->setFocus();
}

// Shows the field's text and writes the user's edits of it into the sheet. Text boxes are
// known to assistive technology by their control name; the other fields' names are
// their descriptions, so that a value is read out with what it is ("90, 学历得分").
void MainWindow::bind(Field field, QWidget* widget, std::vector<Field> heard) {
    m_fields[index(field)] = widget;
    const QString name = widget->objectName();

    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setAccessibleName(name);
        if (isFilteredBox(field))
            edit->installEventFilter(new KeyFilter(field, edit));
        // textChanged, not textEdited: an assistive technology sets the text without keys.
        connect(edit, &QLineEdit::textChanged, this, [this, field, heard](const QString& text) {
            const QByteArray utf8 = text.toUtf8();
            act(heard,
                [&] { m_sheet.setText(field, std::string_view(utf8.constData(), utf8.size())); });
        });
    } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
        list->setAccessibleDescription(name);
        for (std::string_view item : listItems(field))
            list->addItem(qt(item));
        // activated, not currentIndexChanged: picking the item already shown is a pick too.
        connect(list, &QComboBox::activated, this, [this, field, list, heard](int index) {
            const QByteArray utf8 = list->itemText(index).toUtf8();
            act(heard,
                [&] { m_sheet.setText(field, std::string_view(utf8.constData(), utf8.size())); });
        });
    } else if (auto* box = qobject_cast<QCheckBox*>(widget)) {
        connect(box, &QCheckBox::toggled, this,
                [this, heard](bool on) { act(heard, [&] { m_sheet.setChecked(on); }); });
    } else {
        widget->setAccessibleDescription(name); // score labels, 性别, 出生日期, the verdict
    }
    refresh(field);
}

void MainWindow::bindButton(std::string_view name, QWidget* widget, std::vector<Field> heard) {
    auto* button = static_cast<QPushButton*>(widget);
    if (name == "重置") {
        connect(button, &QPushButton::clicked, this,
                [this, heard] { act(heard, [this] { resetInputs(m_sheet); }); });
        return;
    }
    for (Command command : {Command::统一月, Command::统一年, Command::身份证解读}) {
        if (name == commandName(command)) {
            connect(button, &QPushButton::clicked, this,
                    [this, command, heard] { act(heard, [&] { m_sheet.click(command); }); });
        }
    }
}

// The fields a screen reader hears of after the user acts on the control: its own, then
// the total and the verdict.
std::vector<Field> MainWindow::heardAfter(const form::Control& c) {
    std::vector<Field> heard;
    std::string_view rest = c.heard;
    while (!rest.empty()) {
        const std::size_t space = rest.find(' ');
        heard.push_back(fieldByName(rest.substr(0, space)).value());
        rest = space == std::string_view::npos ? std::string_view{} : rest.substr(space + 1);
    }
    for (Field always : {Field::合计得分, Field::评分结果}) {
        if (std::ranges::find(heard, always) == heard.end())
            heard.push_back(always);
    }
    return heard;
}

// Runs a user's action, then tells a screen reader, in one message, which of the heard
// fields it changed: what a sighted user sees change. Nothing changed, nothing is said.
void MainWindow::act(const std::vector<Field>& heard, const std::function<void()>& action) {
    std::vector<std::string> before;
    before.reserve(heard.size());
    for (Field field : heard)
        before.push_back(m_sheet.text(field));
    action();
    QStringList changed;
    for (std::size_t i = 0; i < heard.size(); ++i) {
        const std::string& now = m_sheet.text(heard[i]);
        if (now == before[i])
            continue;
        const QString value = QString::fromStdString(now);
        // A list's item and the verdict say what they are; a number needs its name.
        const FieldKind kind = fieldKind(heard[i]);
        changed << (kind == FieldKind::List || kind == FieldKind::Button
                        ? value
                        : qt(fieldName(heard[i])) + QLatin1Char(' ') + value);
    }
    m_announcer->say(changed.join(QStringLiteral("，")));
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
        if (field == Field::居住时长)
            edit->setEnabled(m_sheet.isResidenceEnabled());
    } else if (auto* list = qobject_cast<QComboBox*>(widget)) {
        const int picked = list->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
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
