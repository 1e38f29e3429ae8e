#include "DBusNotifier.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace
{
const char* const Service = "org.freedesktop.Notifications";
const char* const ObjectPath = "/org/freedesktop/Notifications";
// The program's icon and menu entry by the name they are installed under.
const char* const AppId = "com.quorvel.Tarvisk";
constexpr int CallTimeoutMs = 5000;
constexpr qsizetype KeptIds = 256;
} // namespace

DBusNotifier::DBusNotifier(QObject* parent) : QObject(parent) {}

void DBusNotifier::Notify(const QString& summary, const QString& body, quint64 key)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        Unshown(key);
        return;
    }
    if (!m_listening) // any sender: asking the bus who owns the name would wait for its answer
        m_listening =
            bus.connect(QString(), QLatin1String(ObjectPath), QLatin1String(Service),
                        QStringLiteral("ActionInvoked"), this, SLOT(ActionInvoked(uint, QString)));
    QDBusMessage call =
        QDBusMessage::createMethodCall(QLatin1String(Service), QLatin1String(ObjectPath),
                                       QLatin1String(Service), QStringLiteral("Notify"));
    const QVariantMap hints{{QStringLiteral("desktop-entry"), QLatin1String(AppId)}};
    call << QStringLiteral("Tarvisk") << uint(0) << QLatin1String(AppId) << summary << body
         << QStringList{QStringLiteral("default"), QStringLiteral("Show")} << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, CallTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, key](auto* done) {
        const QDBusPendingReply<uint> reply = *done;
        done->deleteLater();
        if (!reply.isValid()) {
            Unshown(key); // no service, or none that answered
            return;
        }
        if (m_keys.size() >= KeptIds)
            m_keys.clear();
        m_keys.insert(reply.value(), key);
    });
}

void DBusNotifier::ActionInvoked(uint id, const QString& action)
{
    if (action == QStringLiteral("default") && m_keys.contains(id))
        Activated(m_keys.value(id));
}
