#pragma once

#include "DBusNotifier.h"
#include "reading/Alerts.h"

class QWidget;

namespace reading
{
class OutputList;
}

// Alerts on the desktop for the main window: raised through the notification service, counted
// in the window's title while unseen, and a notification's default action brings the window up
// with the matching line current.
class DesktopAlerts final : public QObject
{
public:
    DesktopAlerts(QWidget& window, reading::OutputList& list, reading::FollowClock& clock);
    reading::Alerts& Logic() { return m_alerts; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowCount();
    void Show(quint64 key);

    QWidget& m_window;
    reading::OutputList& m_list;
    DBusNotifier m_notifier;
    reading::Alerts m_alerts;
    QString m_title; // the window's own title, while a count stands before it
};
