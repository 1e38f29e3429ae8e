#include "DesktopAlerts.h"

#include "reading/OutputList.h"

#include <QEvent>
#include <QWidget>

DesktopAlerts::DesktopAlerts(QWidget& window, reading::OutputList& list,
                             reading::FollowClock& clock)
    : m_window(window), m_list(list), m_alerts(m_notifier, clock)
{
    m_alerts.SetActive(false); // until the window is first brought to the front
    m_window.installEventFilter(this);
    connect(&m_alerts, &reading::Alerts::UnseenChanged, this, &DesktopAlerts::ShowCount);
    m_notifier.OnActivated([this](quint64 key) { Show(key); });
}

bool DesktopAlerts::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &m_window && event->type() == QEvent::ActivationChange)
        m_alerts.SetActive(m_window.isActiveWindow());
    return false;
}

void DesktopAlerts::ShowCount()
{
    if (m_title.isEmpty())
        m_title = m_window.windowTitle();
    m_window.setWindowTitle(m_alerts.Title(m_title));
    if (m_alerts.Unseen() == 0)
        m_title.clear();
}

void DesktopAlerts::Show(quint64 key)
{
    m_window.setWindowState(m_window.windowState() & ~Qt::WindowMinimized);
    m_window.raise();
    m_window.activateWindow();
    if (const auto source = m_alerts.SourceOf(key)) {
        if (const qsizetype row = reading::Alerts::RowOf(m_list, *source); row >= 0)
            m_list.SetCurrent(row);
    }
}
