#include "answerbox.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace {

// The character code of a key, or -1 for keys that produce none (arrows, shift, F keys).
int characterCode(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return AnswerBox::enterCode;
    case Qt::Key_Backspace:
        return 8;
    default:
        return event.text().isEmpty() ? -1 : event.text().at(0).unicode();
    }
}

} // namespace

AnswerBox::AnswerBox(QWidget* parent)
    : QLineEdit(parent)
{}

void AnswerBox::keyPressEvent(QKeyEvent* event)
{
    const int code = characterCode(*event);
    if (code >= 0)
        emit keyTyped(code);
    if (code == enterCode) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void AnswerBox::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
        emit focusLeft();
}

void AnswerBox::inputMethodEvent(QInputMethodEvent* event)
{
    // Accented letters typed through an input method arrive here rather than as key presses.
    if (!event->commitString().isEmpty())
        emit keyTyped(event->commitString().at(0).unicode());
    QLineEdit::inputMethodEvent(event);
}
