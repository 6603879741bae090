#include "answerbox.h"

#include "singleline.h"

#include <QFocusEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QStyleHints>
#include <QValidator>

namespace {

// The character code of a key, or -1 for keys that type none: arrows, shift, function keys, and
// Delete, Escape or Ctrl+letter, whose text is a control character.
int characterCode(const QKeyEvent& event)
{
    switch (event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return AnswerBox::enterCode;
    case Qt::Key_Backspace:
        return 8;
    default:
        if (event.text().isEmpty() || event.text().at(0).category() == QChar::Other_Control)
            return -1;
        return event.text().at(0).unicode();
    }
}

// A line edit keeps line breaks and tabs from a paste and shows them as blanks; this keeps the
// box's text to what it shows. Every edit passes through here with the cursor at its end.
class OneLineValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override
    {
        SingleLine line = SingleLine::of(input, pos);
        input = std::move(line.text);
        pos = line.cursor;
        return Acceptable;
    }
};

} // namespace

AnswerBox::AnswerBox(QWidget* parent)
    : QLineEdit(parent)
{
    setValidator(new OneLineValidator(this));
    caretRest_.setSingleShot(true);
    caretRest_.setInterval(caretBlinkMs);
    connect(&caretRest_, &QTimer::timeout, this, &AnswerBox::restCaret);
}

void AnswerBox::wakeCaret()
{
    // The desktop's own blink, as it was before any answer box rested it.
    static const int desktopFlashTime = QGuiApplication::styleHints()->cursorFlashTime();
    QGuiApplication::styleHints()->setCursorFlashTime(desktopFlashTime);
    caretRest_.start();
}

void AnswerBox::restCaret()
{
    QGuiApplication::styleHints()->setCursorFlashTime(0);
}

void AnswerBox::focusInEvent(QFocusEvent* event)
{
    wakeCaret();
    QLineEdit::focusInEvent(event);
}

void AnswerBox::keyPressEvent(QKeyEvent* event)
{
    wakeCaret();
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
    caretRest_.stop();
    QLineEdit::focusOutEvent(event);
    // Only a move to another element leaves the box: the menu bar taking the keys (Alt alone,
    // F10) gives them back to it, as do another window and a popup.
    const Qt::FocusReason reason = event->reason();
    if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
        reason != Qt::MenuBarFocusReason)
        emit focusLeft();
}

void AnswerBox::inputMethodEvent(QInputMethodEvent* event)
{
    // Accented letters typed through an input method arrive here rather than as key presses.
    if (!event->commitString().isEmpty())
        emit keyTyped(event->commitString().at(0).unicode());
    QLineEdit::inputMethodEvent(event);
}
