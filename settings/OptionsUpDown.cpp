//===- OptionsUpDown.cpp - Up-down arrows bound to an edit box ------------===//
#include "settings/OptionsUpDown.h"
#include "settings/SettingNumbers.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

#include <algorithm>

namespace qm {

namespace {

QToolButton* MakeArrow(QWidget* parent, Qt::ArrowType direction, const char* name) {
    auto* arrow = new QToolButton(parent);
    arrow->setObjectName(QLatin1String(name));
    arrow->setArrowType(direction);
    arrow->setAutoRepeat(true);
    arrow->setFocusPolicy(Qt::NoFocus);
    return arrow;
}

} // namespace

TUpDown::TUpDown(QWidget* parent) : QWidget(parent) {
    Up = MakeArrow(this, Qt::UpArrow, "UpArrow");
    Down = MakeArrow(this, Qt::DownArrow, "DownArrow");
    connect(Up, &QToolButton::clicked, this, &TUpDown::StepUp);
    connect(Down, &QToolButton::clicked, this, &TUpDown::StepDown);
    setFocusPolicy(Qt::TabFocus);
    LayOutArrows();
}

void TUpDown::SetBuddy(QLineEdit* buddy) {
    if (BuddyEdit)
        BuddyEdit->removeEventFilter(this);
    BuddyEdit = buddy;
    if (BuddyEdit)
        BuddyEdit->installEventFilter(this);
}

void TUpDown::SetRange(int minimum, int maximum) {
    Min = std::min(minimum, maximum);
    Max = std::max(minimum, maximum);
    LastPosition = std::clamp(LastPosition, Min, Max);
}

int TUpDown::Position() const {
    if (BuddyEdit) {
        if (const auto shown = ReadWholeNumber(BuddyEdit->text().toStdString()))
            return *shown;
    }
    return LastPosition;
}

void TUpDown::SetPosition(int position) {
    LastPosition = std::clamp(position, Min, Max);
    if (BuddyEdit)
        BuddyEdit->setText(QString::number(LastPosition));
}

void TUpDown::StepBy(int delta) {
    const long long from = Position();
    const int to = static_cast<int>(std::clamp<long long>(from + delta, Min, Max));
    LastPosition = to;
    if (BuddyEdit && to != from)
        BuddyEdit->setText(QString::number(to));
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == BuddyEdit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            StepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TUpDown::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up:
        StepUp();
        break;
    case Qt::Key_Down:
        StepDown();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TUpDown::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    LayOutArrows();
}

void TUpDown::LayOutArrows() {
    const int upper = height() / 2;
    Up->setGeometry(0, 0, width(), upper);
    Down->setGeometry(0, upper, width(), height() - upper);
}

} // namespace qm
