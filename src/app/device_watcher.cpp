#include "device_watcher.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

DeviceWatcher::DeviceWatcher(QObject* parent) : QObject(parent) {
#ifdef _WIN32
    QCoreApplication::instance()->installNativeEventFilter(this);
#else
    // The kernel flags /proc/self/mountinfo with POLLPRI (an exception condition) on every mount change.
    m_fd = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
    if (m_fd >= 0) {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Exception, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] {
            // Reading the file to its end re-arms the notification.
            char buffer[4096];
            ::lseek(m_fd, 0, SEEK_SET);
            while (::read(m_fd, buffer, sizeof buffer) > 0) {
            }
            emit devicesChanged();
        });
    }
#endif
}

DeviceWatcher::~DeviceWatcher() {
#ifdef _WIN32
    if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
#else
    delete m_notifier;
    if (m_fd >= 0) ::close(m_fd);
#endif
}

bool DeviceWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
#ifdef _WIN32
    if (eventType == "windows_generic_MSG") {
        const MSG* msg = static_cast<const MSG*>(message);
        if (msg->message == WM_DEVICECHANGE && (msg->wParam == 0x8000 || msg->wParam == 0x8004)) {
            // After the window's normal handling of the message.
            QMetaObject::invokeMethod(this, &DeviceWatcher::devicesChanged, Qt::QueuedConnection);
        }
    }
#else
    (void)eventType;
    (void)message;
#endif
    return false;
}
