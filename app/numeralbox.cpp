#include "numeralbox.h"

#include "numeralaccessible.h"

#include <QAccessible>
#include <QFocusEvent>

NumeralBox::NumeralBox(QWidget* parent)
    : QLineEdit(parent)
{
    static const bool readable = [] {
        QAccessible::installFactory(&NumeralAccessible::create);
        return true;
    }();
    Q_UNUSED(readable);
    setReadOnly(true);
    // One Qt made while the line edit was being built, as a line edit of its own, is made anew.
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(this);
    if (made && !dynamic_cast<NumeralAccessible*>(made))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

void NumeralBox::focusInEvent(QFocusEvent* event)
{
    QFocusEvent reached(event->type(), Qt::OtherFocusReason);
    QLineEdit::focusInEvent(&reached);
}
