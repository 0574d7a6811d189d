// What the links need of a main window and no more: the five controls, by object name,
// with the verdict button's caption kept in step with a score sheet the way the real
// window keeps it.
#pragma once

#include "links/outbound.h"
#include "window/clickablelabel.h"
#ifndef Q_MOC_RUN // moc cannot parse the Chinese enumerators of the score sheet's fields
#include "scoring/scoresheet.h"
#endif

#include <QPushButton>
#include <QWidget>

#include <utility>
#include <vector>

namespace pelmora {

class StandInWindow : public QWidget {
  public:
    explicit StandInWindow(ScoreSheet& sheet) : m_sheet(sheet) {
        setObjectName(QStringLiteral("Pelmora"));
        resize(359, 685);
        logo = addLabel("logo", QRect(0, 0, 353, 78));
        picture = addLabel("Picture1", QRect(10, 90, 129, 129));
        site = addLabel("Vastrel", QRect(10, 650, 120, 20));
        consult = addButton("在线咨询", QRect(150, 90, 100, 30));
        verdict = addButton("评分结果", QRect(150, 130, 200, 30));
        verdict->setText(QString::fromUtf8(sheet.text(Field::评分结果)));
        m_subscription = sheet.subscribe([this](Field field) {
            if (field == Field::评分结果)
                verdict->setText(QString::fromUtf8(m_sheet.text(field)));
        });
    }
    ~StandInWindow() override { m_sheet.unsubscribe(m_subscription); }

    ClickableLabel* logo;
    ClickableLabel* picture;
    ClickableLabel* site;
    QPushButton* consult;
    QPushButton* verdict;

  private:
    ClickableLabel* addLabel(const char* name, const QRect& rect) {
        auto* label = new ClickableLabel(this);
        label->setObjectName(QString::fromUtf8(name));
        label->setGeometry(rect);
        return label;
    }
    QPushButton* addButton(const char* name, const QRect& rect) {
        auto* button = new QPushButton(QString::fromUtf8(name), this);
        button->setObjectName(QString::fromUtf8(name));
        button->setGeometry(rect);
        return button;
    }

    ScoreSheet& m_sheet;
    ScoreSheet::SubscriptionId m_subscription;
};

// Remembers every launch instead of starting anything.
class RecordingLauncher final : public outbound::Launcher {
  public:
    using Launch = std::pair<QString, int>;
    explicit RecordingLauncher(std::vector<Launch>& launches) : m_launches(launches) {}
    void launch(std::u16string_view commandLine, int windowStyle) override {
        m_launches.emplace_back(
            QString::fromUtf16(commandLine.data(), qsizetype(commandLine.size())), windowStyle);
    }

  private:
    std::vector<Launch>& m_launches;
};

} // namespace pelmora
