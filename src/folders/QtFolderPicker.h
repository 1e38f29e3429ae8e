#pragma once

#include "base/FolderPicker.h"

#include <QFileDialog>
#include <QPointer>

// The desktop's folder dialog, over the window that asks, which owns it.
class QtFolderPicker final : public QObject, public FolderPicker
{
public:
    explicit QtFolderPicker(QWidget* owner) : QObject(owner), m_owner(owner) {}
    QString PickFolder(const QString& start) override
    {
        return QFileDialog::getExistingDirectory(m_owner, QStringLiteral("Choose the log folder"),
                                                 start);
    }

private:
    QPointer<QWidget> m_owner;
};
