//===- OptionsUpDown.h - Up-down arrows bound to an edit box ------*- C++ -*-===//
//
// TUpDown is a pair of arrows that steps the whole number shown in a plain
// QLineEdit, its buddy. Unlike a QSpinBox it never judges the buddy's text:
// a typed number outside the range, or a text that is no number at all,
// stays exactly as typed. Only the arrows (and the Up/Down keys in the
// buddy) are held to the range, and they never wrap around.
//
//===----------------------------------------------------------------------===//
#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

namespace qm {

class TUpDown : public QWidget {
    Q_OBJECT

public:
    explicit TUpDown(QWidget* parent = nullptr);

    /// The edit whose text the arrows step. The Up and Down keys pressed in
    /// it step as the arrows do.
    void SetBuddy(QLineEdit* buddy);
    QLineEdit* Buddy() const { return BuddyEdit; }

    void SetRange(int minimum, int maximum);
    int Minimum() const { return Min; }
    int Maximum() const { return Max; }

    /// The last number the arrows started from or wrote; the buddy's text
    /// when that is a whole number.
    int Position() const;
    void SetPosition(int position);

    QToolButton* UpArrow() const { return Up; }
    QToolButton* DownArrow() const { return Down; }

public slots:
    /// Steps from the buddy's number (or from Position() while the buddy
    /// holds no number) by `delta`, held to the range. The buddy's text is
    /// rewritten, in plain decimal, only when the number changes.
    void StepBy(int delta);
    void StepUp() { StepBy(1); }
    void StepDown() { StepBy(-1); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void LayOutArrows();

    QLineEdit* BuddyEdit = nullptr;
    QToolButton* Up = nullptr;
    QToolButton* Down = nullptr;
    int Min = 0;
    int Max = 100;
    int LastPosition = 0;
};

} // namespace qm
