#pragma once
#include <QAbstractNativeEventFilter>
#include <QObject>

class QSocketNotifier;

// Tells when a drive arrives or goes: on Windows the device-change messages (arrival 0x8000,
// removal complete 0x8004), on Linux a change of the mount table.
class DeviceWatcher : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit DeviceWatcher(QObject* parent = nullptr);
    ~DeviceWatcher() override;
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    void devicesChanged();

private:
    QSocketNotifier* m_notifier = nullptr;
    int m_fd = -1;
};
