#pragma once

#include <QString>

#include <functional>
#include <utility>

// Desktop notifications. Showing one never waits for the service that shows it: where none
// answers, nothing is shown and nothing fails.
class Notifier
{
public:
    virtual ~Notifier() = default;
    // Shows a notification; `key` comes back to the handler of OnActivated when the user takes
    // its default action.
    virtual void Notify(const QString& summary, const QString& body, quint64 key) = 0;
    void OnActivated(std::function<void(quint64)> handler) { m_activated = std::move(handler); }
    // The handler learns of a notification that no service showed.
    void OnUnshown(std::function<void(quint64)> handler) { m_unshown = std::move(handler); }

protected:
    void Activated(quint64 key) const
    {
        if (m_activated)
            m_activated(key);
    }
    void Unshown(quint64 key) const
    {
        if (m_unshown)
            m_unshown(key);
    }

private:
    std::function<void(quint64)> m_activated;
    std::function<void(quint64)> m_unshown;
};
