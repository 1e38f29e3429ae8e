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

QString Breakable(const QString& text)
{
    // A message box wraps only between words, so a long path or configuration line would
    // widen it past the screen; an invisible break chance every so often lets it wrap.
    constexpr int Run = 48;
    QString out;
    out.reserve(text.size() + text.size() / Run);
    int run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > Run) {
            out += QChar(0x200B);
            run = 1;
        }
        out += c;
    }
    return out;
}

MessageAnswer QtMessageBox::Show(const Message& message)
{
    QMessageBox box(ToQt(message.icon), message.title, Breakable(message.text),
                    ToQt(message.buttons), QApplication::activeWindow());
    box.setTextFormat(Qt::PlainText);
    return FromQt(box.exec());
}
