#pragma once

#include <QLineEdit>
#include <QTimer>

// The learner's answer box. Every key that produces a character is announced with its character
// code before the box handles it; Enter (code 13) is announced and then kept from the box, since
// it submits the answer rather than editing it.
class AnswerBox : public QLineEdit {
    Q_OBJECT

public:
    static constexpr int enterCode = 13;

    explicit AnswerBox(QWidget* parent);

    // How long the caret blinks after the last key before it stays lit, as desktops do: a caret
    // blinking forever wakes the program every half second.
    static constexpr int caretBlinkMs = 10000;

signals:
    void keyTyped(int code);
    // The focus went to another element of the window; not sent when the window itself loses
    // activation or a menu of the box opens.
    void focusLeft();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void wakeCaret();
    void restCaret();

    QTimer caretRest_;
};
