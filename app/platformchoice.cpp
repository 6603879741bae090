#include "platformchoice.h"

#include <QProcessEnvironment>
#include <QStringList>

namespace platformchoice {

QByteArray preferred(const QProcessEnvironment& environment, const QStringList& arguments)
{
    const bool chosen = !environment.value(QStringLiteral("QT_QPA_PLATFORM")).isEmpty() ||
                        arguments.contains(QStringLiteral("-platform")) ||
                        arguments.contains(QStringLiteral("--platform"));
    const bool wayland =
        !environment.value(QStringLiteral("WAYLAND_DISPLAY")).isEmpty() ||
        environment.value(QStringLiteral("XDG_SESSION_TYPE")) == QLatin1String("wayland");
    const bool x11 = !environment.value(QStringLiteral("DISPLAY")).isEmpty();
    if (chosen || !wayland || !x11)
        return {};
    return QByteArrayLiteral("xcb;wayland");
}

void apply(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const QByteArray platform = preferred(QProcessEnvironment::systemEnvironment(), arguments);
    if (!platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
}

} // namespace platformchoice
