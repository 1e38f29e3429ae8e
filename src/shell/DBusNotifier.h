#pragma once

#include "base/Notifier.h"

#include <QHash>
#include <QObject>

// Notifications through the desktop's notification service on the session bus
// (org.freedesktop.Notifications). Every call is asynchronous: a service that never answers
// times out without holding anything up, and no bus, no service or a bus that goes away only
// means that nothing is shown. The default action of a notification comes back as activated.
class DBusNotifier final : public QObject, public Notifier
{
    Q_OBJECT

public:
    explicit DBusNotifier(QObject* parent = nullptr);
    void Notify(const QString& summary, const QString& body, quint64 key) override;

private Q_SLOTS:
    void ActionInvoked(uint id, const QString& action);

private:
    bool m_listening = false;
    QHash<uint, quint64> m_keys; // by the service's notification id, the latest ones
};
