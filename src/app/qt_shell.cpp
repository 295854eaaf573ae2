#include "qt_shell.h"

#include "catalogue/drive_lookup.h"
#include "platform/desktop.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>
#ifdef VERDAN_HAVE_QTDBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#endif

using verdan::platform::DesktopResult;

namespace {

QString qpath(const std::string& path) {
    return QString::fromStdString(path);
}

// The system's own call when it has one, else the desktop's through Qt.
bool openLocal(const std::string& path, DesktopResult systemResult) {
    if (systemResult != DesktopResult::NotHandled) return systemResult == DesktopResult::Done;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(qpath(path)));
}

#ifdef VERDAN_HAVE_QTDBUS
// The file manager of the desktop, asked to show the file selected in its folder.
bool showItemsOverDBus(const std::string& path) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    QDBusMessage call =
        QDBusMessage::createMethodCall("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                                       "org.freedesktop.FileManager1", "ShowItems");
    call << QStringList{QUrl::fromLocalFile(qpath(path)).toString()} << QString();
    // A file manager that is not running is started by the bus; a few seconds are enough.
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage;
}
#endif

} // namespace

bool QtShell::openDocument(const std::string& path) {
    return openLocal(path, verdan::platform::openDocument(path));
}

bool QtShell::showInFileManager(const std::string& path) {
    const DesktopResult result = verdan::platform::showInFileManager(path);
    if (result == DesktopResult::Done) return true;
#ifdef VERDAN_HAVE_QTDBUS
    if (result == DesktopResult::NotHandled && showItemsOverDBus(path)) return true;
#endif
    // Without a file manager that selects, its folder at least.
    return openFolder(verdan::folderOfPath(path));
}

bool QtShell::openFolder(const std::string& path) {
    return openLocal(path, verdan::platform::openFolder(path));
}
