#include "app/SessionBus.h"

#include <QByteArray>
#include <QtGlobal>

#ifdef Q_OS_LINUX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace app {

#ifdef Q_OS_LINUX

namespace {

// The per-user bus as D-Bus itself looks for it: a socket of this user's.
bool userBusRunning()
{
    const QByteArray runtimeDir = qgetenv("XDG_RUNTIME_DIR");
    if (runtimeDir.isEmpty())
        return false;
    const QByteArray socket = runtimeDir + "/bus";
    struct stat status = {};
    return ::lstat(socket.constData(), &status) == 0 && S_ISSOCK(status.st_mode) &&
           status.st_uid == ::getuid();
}

} // namespace

void keepToTheDesktopsSessionBus()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") || userBusRunning())
        return;
    // An address of no known kind: connecting fails at once, and D-Bus only
    // starts a bus of its own when no address is given at all.
    qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
}

#else

// Elsewhere the toolkit reaches the screen reader without D-Bus.
void keepToTheDesktopsSessionBus() {}

#endif

} // namespace app
