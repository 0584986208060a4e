#include "app/Application.h"

#include <QApplication>
#include <QFont>
#include <cstdio>
#include <cstdlib>

#include "app/Accessibility.h"
#include "app/Windows.h"
#include "start/FrmInizio.h"

namespace app {

namespace {
constexpr auto kSans = "Liberation Sans";
} // namespace

void installFontSubstitutions()
{
    for (const char *family : {"Arial", "MS Sans Serif"})
        QFont::insertSubstitution(QString::fromLatin1(family), QString::fromLatin1(kSans));
}

bool haveDisplay()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return true;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

int run(int argc, char *argv[])
{
    if (!haveDisplay()) {
        std::fprintf(stderr, "pinnuvo: no display found (DISPLAY is not set); "
                             "to run without a screen use: xvfb-run -a pinnuvo\n");
        return EXIT_FAILURE;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pinnuvo"));
    QApplication::setQuitOnLastWindowClosed(false);
    installFontSubstitutions();
    installAccessibility();
    setOnAllUnloaded([] { QCoreApplication::exit(0); });

    Load<FrmInizio>();
    Show<FrmInizio>(Modality::Modeless);
    return QApplication::exec();
}

} // namespace app
