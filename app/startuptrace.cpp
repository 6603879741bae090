#include "startuptrace.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEvent>
#include <QWidget>
#include <QWindow>

Q_LOGGING_CATEGORY(lcStartup, "perlobin.startup", QtInfoMsg)

namespace {

QElapsedTimer& sinceMain()
{
    static QElapsedTimer timer;
    return timer;
}

} // namespace

namespace startup {

void begin()
{
    sinceMain().start();
    if (lcStartup().isDebugEnabled())
        qCDebug(lcStartup, "main begins at %lld ms since the epoch",
                static_cast<long long>(QDateTime::currentMSecsSinceEpoch()));
}

void stamp(const char* stage)
{
    if (lcStartup().isDebugEnabled() && sinceMain().isValid())
        qCDebug(lcStartup, "%6.2f ms %s", sinceMain().nsecsElapsed() / 1e6, stage);
}

} // namespace startup

namespace {

class FirstFrameWatch : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Expose) {
            watched->removeEventFilter(this);
            startup::stamp("window exposed");
            // The first frame is drawn and flushed while the exposure is handled: handled here,
            // so that the stamp follows it at once and not after whatever the event loop runs
            // next (the character comes on stage then).
            QCoreApplication::sendEvent(watched, event);
            startup::stamp("first frame drawn");
            deleteLater();
            return true;
        }
        return false;
    }
};

} // namespace

void startup::watchFirstFrame(QWidget* window)
{
    if (!lcStartup().isDebugEnabled())
        return;
    if (QWindow* handle = window->windowHandle())
        handle->installEventFilter(new FirstFrameWatch(window));
}
