#include "qt_shell.h"

#include "catalogue/drive_lookup.h"

#include <QString>

#ifdef _WIN32
#include <windows.h>

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#else
#include <QDesktopServices>
#include <QUrl>
#ifdef VERDAN_HAVE_QTDBUS
#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#endif
#endif

namespace {

QString qpath(const std::string& path) {
    return QString::fromStdString(path);
}

#ifdef _WIN32
std::wstring wide(const std::string& path) {
    return qpath(path).toStdWString();
}

bool shellOpen(const std::string& path) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", wide(path).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32;
}

// The folder opened with the file selected in it.
bool selectInExplorer(const std::string& path) {
    const HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    PIDLIST_ABSOLUTE item = nullptr;
    bool ok = SUCCEEDED(SHParseDisplayName(wide(path).c_str(), nullptr, &item, 0, nullptr));
    if (ok) {
        ok = SUCCEEDED(SHOpenFolderAndSelectItems(item, 0, nullptr, 0));
        CoTaskMemFree(item);
    }
    if (SUCCEEDED(init)) CoUninitialize();
    return ok;
}
#else
bool openLocal(const std::string& path) {
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
#endif

} // namespace

bool QtShell::openDocument(const std::string& path) {
#ifdef _WIN32
    return shellOpen(path);
#else
    return openLocal(path);
#endif
}

bool QtShell::showInFileManager(const std::string& path) {
#ifdef _WIN32
    if (selectInExplorer(path)) return true;
#elif defined(VERDAN_HAVE_QTDBUS)
    if (showItemsOverDBus(path)) return true;
#endif
    // Without a file manager that selects, its folder at least.
    return openFolder(verdan::folderOfPath(path));
}

bool QtShell::openFolder(const std::string& path) {
#ifdef _WIN32
    return shellOpen(path);
#else
    return openLocal(path);
#endif
}
