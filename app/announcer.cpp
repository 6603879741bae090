#include "announcer.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>

#include <algorithm>

Announcer::Announcer(QWidget* parent)
    : QWidget(parent)
{
    static const bool installed = [] {
        QAccessible::installFactory(&Announcer::accessible);
        return true;
    }();
    Q_UNUSED(installed);
    setObjectName(QStringLiteral("announcer"));
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(0, 0, 0, 0);
    hide();
    quiet_.setSingleShot(true);
    connect(&quiet_, &QTimer::timeout, this, &Announcer::next);
    giveUp_.setSingleShot(true);
    giveUp_.setInterval(std::chrono::seconds(8));
    connect(&giveUp_, &QTimer::timeout, this, [this] {
        expected_ = 0;
        next();
    });
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget*, QWidget* now) { followFocus(now); });
}

QAccessibleInterface* Announcer::accessible(const QString&, QObject* object)
{
    if (auto* announcer = qobject_cast<Announcer*>(object))
        return new QAccessibleWidget(announcer, QAccessible::Notification);
    return nullptr;
}

void Announcer::announce(const QString& text)
{
    if (text.isEmpty() || waiting_.contains(text))
        return;
    waiting_.append(text);
    next();
}

void Announcer::withdraw(const QString& text)
{
    waiting_.removeAll(text);
}

void Announcer::hearing(const QString& text)
{
    holdFor(readingTime(text));
}

void Announcer::expectSpeech()
{
    ++expected_;
    giveUp_.start();
}

void Announcer::speechStarted(const QString& text)
{
    expected_ = std::max(0, expected_ - 1);
    if (expected_ > 0)
        giveUp_.start();
    ++speaking_;
    hearing(text);
}

void Announcer::speechFinished(const QString&)
{
    speaking_ = std::max(0, speaking_ - 1);
    // His balloon is read from when it shows, a little after his voice begins.
    holdFor(settle_);
}

std::chrono::milliseconds Announcer::readingTime(const QString& text) const
{
    return settle_ + perCharacter_ * text.size();
}

void Announcer::setPace(std::chrono::milliseconds perCharacter, std::chrono::milliseconds settle,
                        std::chrono::milliseconds giveUp)
{
    perCharacter_ = perCharacter;
    settle_ = settle;
    giveUp_.setInterval(giveUp);
}

// The screen reader reads the new focus: its name and its description.
void Announcer::followFocus(QWidget* now)
{
    if (!now || now->window() != window())
        return;
    if (QAccessibleInterface* read = QAccessible::queryAccessibleInterface(now))
        hearing(read->text(QAccessible::Name) + read->text(QAccessible::Description));
}

void Announcer::holdFor(std::chrono::milliseconds time)
{
    if (!quiet_.isActive() || quiet_.remainingTimeAsDuration() < time)
        quiet_.start(time);
}

void Announcer::next()
{
    if (expected_ > 0 || speaking_ > 0 || quiet_.isActive())
        return;
    if (waiting_.isEmpty()) {
        hide();
        return;
    }
    const QString text = waiting_.takeFirst();
    // Shown anew, the notification is read anew; hidden, it is out of the way of a review.
    hide();
    setAccessibleName(text);
    show();
    emit announced(text);
    holdFor(readingTime(text));
}
