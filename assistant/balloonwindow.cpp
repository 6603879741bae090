#include "balloonwindow.h"

#include "balloonaccessible.h"

#include <QAccessible>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <algorithm>

namespace {

constexpr int kMaxTextWidth = 240;
constexpr int kPadding = 12;
constexpr int kTail = 18; // how far the tail reaches out of the body
constexpr int kRadius = 14;

QRect screenArea(const QRect& figure)
{
    QScreen* screen = QGuiApplication::screenAt(figure.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

} // namespace

BalloonWindow::BalloonWindow()
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                           Qt::WindowDoesNotAcceptFocus | Qt::WindowTransparentForInput)
{
    static const bool accessible = [] {
        QAccessible::installFactory(&BalloonAccessible::create);
        return true;
    }();
    Q_UNUSED(accessible);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(11.5);
    font.setBold(true);
    setFont(font);
}

void BalloonWindow::showText(const QString& text, const QRect& figure)
{
    announce(text);
    const QRect needed =
        fontMetrics().boundingRect(QRect(0, 0, kMaxTextWidth, 4000), Qt::TextWordWrap, text_);
    resize(std::max(needed.width(), 40) + 2 * kPadding + kTail,
           std::max(needed.height(), fontMetrics().height()) + 2 * kPadding);
    follow(figure);
    setMask(QRegion(outline().toFillPolygon().toPolygon()));
    update();
    show();
}

// Left of the figure when there is room, otherwise right of it, its tail at mouth height.
void BalloonWindow::follow(const QRect& figure)
{
    const QRect area = screenArea(figure);
    const int mouthY = figure.top() + figure.height() * 45 / 100;
    const int overlap = figure.width() / 5;
    tailOnRight_ = figure.left() + overlap - width() >= area.left();
    const int x = tailOnRight_ ? figure.left() + overlap - width() : figure.right() - overlap;
    const int y = std::clamp(mouthY - height() + kPadding, area.top(),
                             std::max(area.top(), area.bottom() - height()));
    move(x, y);
    if (!text_.isEmpty())
        setMask(QRegion(outline().toFillPolygon().toPolygon()));
}

// Screen readers learn of the new words without the learner moving the focus.
void BalloonWindow::announce(const QString& text)
{
    const QString before = text_;
    text_ = text;
    QAccessibleEvent named(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
    QAccessibleTextUpdateEvent changed(this, 0, before, text_);
    QAccessible::updateAccessibility(&changed);
}

QRect BalloonWindow::textArea() const
{
    const QRect body =
        tailOnRight_ ? rect().adjusted(0, 0, -kTail, 0) : rect().adjusted(kTail, 0, 0, 0);
    return body.adjusted(kPadding, kPadding, -kPadding, -kPadding);
}

QPainterPath BalloonWindow::outline() const
{
    const QRectF body = tailOnRight_ ? QRectF(rect()).adjusted(1, 1, -kTail, -1)
                                     : QRectF(rect()).adjusted(kTail, 1, -1, -1);
    QPainterPath path;
    path.addRoundedRect(body, kRadius, kRadius);
    const double baseY = body.bottom() - kRadius - 4;
    QPainterPath tail;
    if (tailOnRight_) {
        tail.moveTo(body.right() - 2, baseY - 12);
        tail.lineTo(width() - 1, body.bottom() - 2);
        tail.lineTo(body.right() - 2, baseY);
    } else {
        tail.moveTo(body.left() + 2, baseY - 12);
        tail.lineTo(1, body.bottom() - 2);
        tail.lineTo(body.left() + 2, baseY);
    }
    tail.closeSubpath();
    return path.united(tail);
}

void BalloonWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x3b, 0x2a, 0x6b), 2));
    painter.setBrush(QColor(0xff, 0xfb, 0xe8));
    painter.drawPath(outline());
    painter.setPen(QColor(0x2b, 0x1d, 0x3f));
    painter.drawText(textArea(), Qt::TextWordWrap | Qt::AlignCenter, text_);
}
