#include "balloonwindow.h"

#include "balloonaccessible.h"

#include <QAccessible>

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTextLayout>
#include <QWindow>
#include <algorithm>

namespace {

// The words wrapped to narrower widths may fit beside the figure where the widest does not.
constexpr int kTextWidths[] = {240, 200, 160};
constexpr int kPadding = 12;
constexpr int kTail = BalloonPlacement::kTail;
constexpr int kRadius = 14;
constexpr qreal kPoints = 11.5;

QFont wordsFont(qreal scale)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(kPoints * scale);
    font.setBold(true);
    return font;
}

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
    setFont(wordsFont(1.0));
}

QSize BalloonWindow::room(int lines)
{
    const QFontMetrics metrics(wordsFont(1.0));
    return {kTextWidths[0] + 2 * kPadding + kTail,
            lines * metrics.lineSpacing() + 2 * kPadding + kTail};
}

void BalloonWindow::keepWithin(const QRect& area)
{
    area_ = area;
    setAttribute(Qt::WA_TransparentForMouseEvents, !area.isNull());
}

void BalloonWindow::showText(const QString& text, const QRect& figure)
{
    markStart_ = -1;
    markLength_ = 0;
    announce(text);
    measure();
    follow(figure);
    setMask(QRegion(outline().toFillPolygon().toPolygon()));
    update();
    show();
}

void BalloonWindow::setScale(qreal scale)
{
    if (qFuzzyCompare(scale, scale_))
        return;
    scale_ = scale;
    setFont(wordsFont(scale));
    if (!text_.isEmpty())
        measure();
}

// The balloon's body for the words wrapped to each width tried.
void BalloonWindow::measure()
{
    bodies_.clear();
    for (const int width : kTextWidths) {
        const QRect needed = fontMetrics().boundingRect(QRect(0, 0, qRound(width * scale_), 4000),
                                                        Qt::TextWordWrap, text_);
        bodies_.append(
            QSize(std::max(needed.width(), scaled(40)) + 2 * scaled(kPadding),
                  std::max(needed.height(), fontMetrics().height()) + 2 * scaled(kPadding)));
    }
}

// Chosen again at every move of the figure, so that a drag never leaves the balloon over the game.
void BalloonWindow::follow(const QRect& figure)
{
    if (bodies_.isEmpty())
        return;
    const BalloonPlacement::Choice choice =
        !area_.isNull() ? BalloonPlacement::choose(figure, bodies_, area_, {}, side_, scale_)
                        : BalloonPlacement::choose(figure, bodies_, screenArea(figure),
                                                   hostWindows(), side_, scale_);
    side_ = choice.side;
    tip_ = choice.tip - choice.rect.topLeft();
    setGeometry(choice.rect);
    if (!text_.isEmpty())
        setMask(QRegion(outline().toFillPolygon().toPolygon()));
    update();
}

// The program's own windows, message boxes included; not the character's frameless tool windows
// (figures and balloons), nor menus and tooltips, which come and go.
QList<QRect> BalloonWindow::hostWindows() const
{
    QList<QRect> hosts;
    for (const QWindow* window : QGuiApplication::topLevelWindows()) {
        const Qt::WindowFlags flags = window->flags();
        const Qt::WindowType type = window->type();
        const bool companion = type == Qt::Tool && flags.testFlag(Qt::FramelessWindowHint);
        const bool transient = type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen;
        if (window == windowHandle() || !window->isVisible() || companion || transient ||
            type == Qt::Desktop || window->windowStates().testFlag(Qt::WindowMinimized))
            continue;
        hosts.append(window->frameGeometry());
    }
    return hosts;
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
    // New words in a balloon already showing: shown anew, so that they are read as it was.
    if (isVisible()) {
        QAccessibleEvent shown(this, QAccessible::ObjectShow);
        QAccessible::updateAccessibility(&shown);
    }
}

// The balloon without its tail, which takes the edge facing the figure.
QRect BalloonWindow::body() const
{
    switch (side_) {
    case BalloonPlacement::Side::Right:
        return rect().adjusted(scaled(kTail), 0, 0, 0);
    case BalloonPlacement::Side::Left:
        return rect().adjusted(0, 0, -scaled(kTail), 0);
    case BalloonPlacement::Side::Above:
        return rect().adjusted(0, 0, 0, -scaled(kTail));
    case BalloonPlacement::Side::Below:
        return rect().adjusted(0, scaled(kTail), 0, 0);
    }
    return rect();
}

QRect BalloonWindow::textArea() const
{
    const int padding = scaled(kPadding);
    return body().adjusted(padding, padding, -padding, -padding);
}

QPainterPath BalloonWindow::outline() const
{
    using Side = BalloonPlacement::Side;
    const QRectF round = QRectF(body()).adjusted(1, 1, -1, -1);
    const qreal radius = kRadius * scale_;
    QPainterPath path;
    path.addRoundedRect(round, radius, radius);
    const QRectF inside = QRectF(rect()).adjusted(1, 1, -1, -1);
    const QPointF tip(std::clamp<double>(tip_.x(), inside.left(), inside.right()),
                      std::clamp<double>(tip_.y(), inside.top(), inside.bottom()));
    // The tail leaves the straight part of the edge facing the figure a little before the tip,
    // towards the middle of the balloon, and ends at the tip.
    const double halfBase = 6 * scale_;
    const bool sideways = side_ == Side::Right || side_ == Side::Left;
    const double from = (sideways ? round.top() : round.left()) + radius + halfBase;
    const double to = (sideways ? round.bottom() : round.right()) - radius - halfBase;
    const double along = sideways ? tip.y() : tip.x();
    const double middle = sideways ? round.center().y() : round.center().x();
    const double lean = 8 * scale_;
    const double base =
        std::clamp(along + (middle < along ? -lean : lean), from, std::max(from, to));
    double edge = 0;
    switch (side_) {
    case Side::Right:
        edge = round.left() + 2;
        break;
    case Side::Left:
        edge = round.right() - 2;
        break;
    case Side::Above:
        edge = round.bottom() - 2;
        break;
    case Side::Below:
        edge = round.top() + 2;
        break;
    }
    const auto onEdge = [&](double at) {
        return sideways ? QPointF(edge, at) : QPointF(at, edge);
    };
    QPainterPath tail;
    tail.moveTo(onEdge(base - halfBase));
    tail.lineTo(tip);
    tail.lineTo(onEdge(base + halfBase));
    tail.closeSubpath();
    return path.united(tail);
}

void BalloonWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(0x3b, 0x2a, 0x6b), 2 * scale_));
    painter.setBrush(QColor(0xff, 0xfb, 0xe8));
    painter.drawPath(outline());
    painter.setPen(QColor(0x2b, 0x1d, 0x3f));

    // Laid out by hand, so the word being heard can be found on its line.
    const QRect area = textArea();
    QTextLayout layout(text_, font(), this);
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    qreal height = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(area.width());
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    QList<QTextLayout::FormatRange> marks;
    if (markStart_ >= 0 && markLength_ > 0) {
        QTextCharFormat heard;
        heard.setBackground(QColor(0xff, 0xd5, 0x4f));
        heard.setForeground(QColor(0x2b, 0x1d, 0x3f));
        marks.push_back({markStart_, markLength_, heard});
    }
    layout.draw(&painter, QPointF(area.left(), area.top() + (area.height() - height) / 2), marks);
}

void BalloonWindow::markWord(int start, int length)
{
    if (start < 0 || length <= 0 || start + length > text_.size()) {
        start = -1;
        length = 0;
    }
    if (start == markStart_ && length == markLength_)
        return;
    markStart_ = start;
    markLength_ = length;
    // For the eye alone: a screen reader reads the words once, whole, and would read a moving
    // selection or caret as a stream of words over the voice.
    update();
}
