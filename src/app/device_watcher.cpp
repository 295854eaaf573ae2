#include "device_watcher.h"

#include "platform/device_change.h"

#include <QCoreApplication>
#include <QSocketNotifier>

namespace platform = verdan::platform;

DeviceWatcher::DeviceWatcher(QObject* parent) : QObject(parent) {
    // Linux tells mount changes on a descriptor, Windows by messages to the windows.
    m_fd = platform::openMountTableWatch();
    if (m_fd >= 0) {
        m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Exception, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] {
            platform::drainMountTableWatch(m_fd);
            emit devicesChanged();
        });
    } else {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
}

DeviceWatcher::~DeviceWatcher() {
    if (m_fd < 0) {
        if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
    } else {
        delete m_notifier;
        platform::closeMountTableWatch(m_fd);
    }
}

bool DeviceWatcher::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType == "windows_generic_MSG" &&
        platform::deviceChangeOfNativeMessage(message) != platform::DeviceChange::Neither) {
        // After the window's normal handling of the message.
        QMetaObject::invokeMethod(this, &DeviceWatcher::devicesChanged, Qt::QueuedConnection);
    }
    return false;
}
