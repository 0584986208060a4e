#include "app/Application.h"

#include <QApplication>
#include <QFont>
#include <QList>
#include <QPair>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/Accessibility.h"
#include "app/SessionBus.h"
#include "app/Windows.h"

namespace app {

namespace {
[[maybe_unused]] constexpr auto kSans = "Liberation Sans";

QByteArray g_program = "pinnuvo";
QtMessageHandler g_previousHandler = nullptr;
QList<QPair<QtMsgType, QString>> g_startupMessages;

void sayNoDisplay(const char *why)
{
    std::fprintf(stderr, "pinnuvo: %s; to run it without a screen use: xvfb-run -a %s\n", why,
                 g_program.constData());
}

// While the toolkit starts, its messages are held back: when it cannot reach
// the display it would print several lines and abort, where one line saying
// what to do is enough. Any other failure to start is told in its own words.
void holdStartupMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtFatalMsg) {
        g_startupMessages.append({type, message});
        return;
    }
    const QByteArray display = qgetenv("DISPLAY");
    const bool unreachable =
        std::any_of(g_startupMessages.cbegin(), g_startupMessages.cend(), [](const auto &held) {
            return held.second.contains(QLatin1String("could not connect to display"));
        });
    if (display.isEmpty()) {
        sayNoDisplay("cannot open a window: no X display (DISPLAY is not set)");
    } else if (unreachable) {
        sayNoDisplay(QByteArray("cannot reach the display " + display).constData());
    } else {
        for (const auto &[heldType, held] : std::as_const(g_startupMessages))
            std::fprintf(stderr, "%s\n", qPrintable(held));
        std::fprintf(stderr, "%s\n", qPrintable(message));
    }
    std::_Exit(EXIT_FAILURE);
}

void releaseStartupMessages()
{
    qInstallMessageHandler(g_previousHandler);
    for (const auto &[type, message] : std::as_const(g_startupMessages))
        qt_message_output(type, QMessageLogContext(), message);
    g_startupMessages.clear();
}
} // namespace

void installFontSubstitutions()
{
    // Windows has both of the design's fonts; elsewhere Liberation Sans,
    // drawn to Arial's measures, stands in for them.
#ifndef Q_OS_WIN
    for (const char *family : {"Arial", "MS Sans Serif"})
        QFont::insertSubstitution(QString::fromLatin1(family), QString::fromLatin1(kSans));
#endif
}

bool haveDisplay()
{
#ifdef Q_OS_WIN
    return true; // a Windows program always has its desktop
#else
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#endif
}

int run(int argc, char *argv[], const std::function<void()> &showFirstWindow)
{
    if (argc > 0 && argv[0] && *argv[0])
        g_program = argv[0];
    if (!haveDisplay()) {
        sayNoDisplay("no display found (DISPLAY is not set)");
        return EXIT_FAILURE;
    }
    keepToTheDesktopsSessionBus();
    g_previousHandler = qInstallMessageHandler(holdStartupMessage);
    QApplication application(argc, argv);
    releaseStartupMessages();
    QApplication::setApplicationName(QStringLiteral("Pinnuvo"));
    QApplication::setQuitOnLastWindowClosed(false);
    installFontSubstitutions();
    installAccessibility();
    setOnAllUnloaded([] { QCoreApplication::exit(0); });

    showFirstWindow();
    const int status = QApplication::exec();
    // The windows unloaded last are still waiting to be destroyed.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return status;
}

} // namespace app
