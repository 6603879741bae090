#include "designarea.h"

#include "agentstage.h"

DesignArea::DesignArea(QSize designedSize, QWidget* parent)
    : QWidget(parent)
    , designedSize_(designedSize)
{
    setObjectName(QStringLiteral("design"));
    resize(designedSize);
}

void DesignArea::place(QWidget* element, const QRect& designed)
{
    placed_.push_back({element, designed, element->font()});
    applyTo(placed_.back());
}

QRect DesignArea::designedPlace(const QWidget* element) const
{
    for (const Placed& placed : placed_)
        if (placed.element == element)
            return placed.designed;
    return {};
}

void DesignArea::setScale(qreal scale, QPoint topLeft)
{
    setGeometry(AgentStage::scaled(QRect(QPoint(), designedSize_), scale).translated(topLeft));
    if (qFuzzyCompare(scale, scale_))
        return;
    scale_ = scale;
    for (const Placed& placed : placed_)
        applyTo(placed);
    emit scaleChanged(scale_);
}

void DesignArea::applyTo(const Placed& placed) const
{
    if (!placed.element)
        return;
    if (!qFuzzyCompare(scale_, 1.0) || placed.element->font() != placed.font) {
        QFont font = placed.font;
        font.setPointSizeF(placed.font.pointSizeF() * scale_);
        placed.element->setFont(font);
    }
    placed.element->setGeometry(AgentStage::scaled(placed.designed, scale_));
}
