#include "silentaccessible.h"

#include <QAccessible>
#include <QWidget>

namespace {

const char* const kSilent = "perlobin-silent";

} // namespace

SilentAccessible::SilentAccessible(QWidget* widget)
    : QAccessibleWidget(widget, QAccessible::StaticText)
{}

void SilentAccessible::silence(QWidget* widget)
{
    static const bool installed = [] {
        QAccessible::installFactory(&SilentAccessible::create);
        return true;
    }();
    Q_UNUSED(installed);
    widget->setProperty(kSilent, true);
    // One Qt made already (for a caption set while a screen reader listens) is made anew.
    QAccessibleInterface* made = QAccessible::queryAccessibleInterface(widget);
    if (made && !dynamic_cast<SilentAccessible*>(made))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

QAccessibleInterface* SilentAccessible::create(const QString&, QObject* object)
{
    auto* widget = qobject_cast<QWidget*>(object);
    return widget && widget->property(kSilent).toBool() ? new SilentAccessible(widget) : nullptr;
}

// Not shown to a screen reader, which reads what shows.
QAccessible::State SilentAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.invisible = true;
    return state;
}

QString SilentAccessible::text(QAccessible::Text) const
{
    return {};
}
