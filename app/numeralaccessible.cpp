#include "numeralaccessible.h"

#include "numeralbox.h"

#include <algorithm>

NumeralAccessible::NumeralAccessible(NumeralBox* box)
    : QAccessibleWidget(box, QAccessible::EditableText)
{}

QAccessibleInterface* NumeralAccessible::create(const QString& key, QObject* object)
{
    if (key == QLatin1String("NumeralBox"))
        if (auto* box = qobject_cast<NumeralBox*>(object))
            return new NumeralAccessible(box);
    return nullptr;
}

NumeralBox* NumeralAccessible::box() const
{
    return static_cast<NumeralBox*>(widget());
}

QString NumeralAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Value)
        return box()->text();
    return QAccessibleWidget::text(t);
}

QAccessible::State NumeralAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.readOnly = true;
    state.selectableText = true;
    return state;
}

void* NumeralAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

void NumeralAccessible::selection(int selectionIndex, int* startOffset, int* endOffset) const
{
    const bool selected = selectionIndex == 0 && box()->hasSelectedText();
    *startOffset = selected ? box()->selectionStart() : 0;
    *endOffset = selected ? box()->selectionEnd() : 0;
}

int NumeralAccessible::selectionCount() const
{
    return box()->hasSelectedText() ? 1 : 0;
}

void NumeralAccessible::addSelection(int startOffset, int endOffset)
{
    setSelection(0, startOffset, endOffset);
}

void NumeralAccessible::removeSelection(int selectionIndex)
{
    if (selectionIndex == 0)
        box()->deselect();
}

void NumeralAccessible::setSelection(int selectionIndex, int startOffset, int endOffset)
{
    if (selectionIndex == 0)
        box()->setSelection(startOffset, endOffset - startOffset);
}

int NumeralAccessible::cursorPosition() const
{
    return box()->cursorPosition();
}

void NumeralAccessible::setCursorPosition(int position)
{
    box()->setCursorPosition(position);
}

QString NumeralAccessible::text(int startOffset, int endOffset) const
{
    const QString all = box()->text();
    startOffset = std::clamp(startOffset, 0, int(all.size()));
    if (endOffset < 0 || endOffset > all.size())
        endOffset = int(all.size());
    return all.mid(startOffset, std::max(0, endOffset - startOffset));
}

int NumeralAccessible::characterCount() const
{
    return int(box()->text().size());
}

QRect NumeralAccessible::characterRect(int) const
{
    return {};
}

int NumeralAccessible::offsetAtPoint(const QPoint& point) const
{
    return box()->cursorPositionAt(box()->mapFromGlobal(point));
}

// One run of attributes over the whole value.
QString NumeralAccessible::attributes(int, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = characterCount();
    return {};
}
