#include "QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>

namespace
{

QMessageBox::Icon ToQt(Message::Icon icon)
{
    switch (icon) {
    case Message::Icon::Information:
        return QMessageBox::Information;
    case Message::Icon::Exclamation:
        return QMessageBox::Warning;
    case Message::Icon::Critical:
        return QMessageBox::Critical;
    case Message::Icon::Question:
        return QMessageBox::Question;
    case Message::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQt(Message::Buttons buttons)
{
    switch (buttons) {
    case Message::Buttons::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case Message::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Message::Buttons::Ok:
        break;
    }
    return QMessageBox::Ok;
}

MessageAnswer FromQt(int button)
{
    switch (button) {
    case QMessageBox::Cancel:
        return MessageAnswer::Cancel;
    case QMessageBox::Yes:
        return MessageAnswer::Yes;
    case QMessageBox::No:
        return MessageAnswer::No;
    default:
        return MessageAnswer::Ok;
    }
}

} // namespace

MessageAnswer QtMessageBox::Show(const Message& message)
{
    QMessageBox box(ToQt(message.icon), message.title, message.text, ToQt(message.buttons),
                    QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    return FromQt(box.exec());
}
