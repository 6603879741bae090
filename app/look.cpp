#include "look.h"

#include <QApplication>
#include <QPalette>
#include <QStringList>
#include <QStyleFactory>

QColor systemColour(SystemColour role)
{
    const QPalette palette = QGuiApplication::palette();
    switch (role) {
    case SystemColour::WindowBackground:
        return palette.color(QPalette::Base);
    case SystemColour::WindowText:
        return palette.color(QPalette::Text);
    case SystemColour::ButtonText:
        return palette.color(QPalette::ButtonText);
    case SystemColour::ScrollBars:
        return palette.color(QPalette::Window);
    case SystemColour::InactiveTitleText:
        return palette.color(QPalette::Inactive, QPalette::WindowText);
    }
    return {};
}

QFont designFont(const QString& family, qreal points, bool bold, bool italic)
{
    QStringList families;
    if (family == u"Times New Roman")
        families = {QStringLiteral("Liberation Serif"), QStringLiteral("DejaVu Serif")};
    else // "MS Sans Serif" and "Arial": the sans faces measure alike at these sizes
        families = {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")};
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

void applyLook()
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}
