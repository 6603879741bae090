#include "balloonaccessible.h"

#include "balloonwindow.h"

#include <algorithm>

BalloonAccessible::BalloonAccessible(BalloonWindow* balloon)
    : QAccessibleWidget(balloon, QAccessible::Notification)
{}

QAccessibleInterface* BalloonAccessible::create(const QString& key, QObject* object)
{
    if (key == QLatin1String("BalloonWindow"))
        if (auto* balloon = qobject_cast<BalloonWindow*>(object))
            return new BalloonAccessible(balloon);
    return nullptr;
}

QString BalloonAccessible::words() const
{
    return static_cast<const BalloonWindow*>(widget())->text();
}

QString BalloonAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name || t == QAccessible::Value)
        return words();
    return QAccessibleWidget::text(t);
}

QAccessible::Role BalloonAccessible::role() const
{
    return QAccessible::Notification;
}

void* BalloonAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

void BalloonAccessible::selection(int, int* startOffset, int* endOffset) const
{
    *startOffset = 0;
    *endOffset = 0;
}

QString BalloonAccessible::text(int startOffset, int endOffset) const
{
    const QString all = words();
    startOffset = std::clamp(startOffset, 0, int(all.size()));
    if (endOffset < 0 || endOffset > all.size())
        endOffset = int(all.size());
    return all.mid(startOffset, std::max(0, endOffset - startOffset));
}

int BalloonAccessible::characterCount() const
{
    return int(words().size());
}

QRect BalloonAccessible::characterRect(int) const
{
    return {};
}

int BalloonAccessible::offsetAtPoint(const QPoint&) const
{
    return -1;
}

QString BalloonAccessible::attributes(int offset, int* startOffset, int* endOffset) const
{
    *startOffset = offset;
    *endOffset = offset;
    return {};
}
