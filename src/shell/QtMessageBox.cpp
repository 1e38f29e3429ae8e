#include "QtMessageBox.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
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
    case Message::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Message::Buttons::SaveDiscardCancel:
        return QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel;
    case Message::Buttons::RetryQuitCancel:
        return QMessageBox::Retry | QMessageBox::Discard | QMessageBox::Cancel;
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
    case QMessageBox::Save:
        return MessageAnswer::Save;
    case QMessageBox::Discard:
        return MessageAnswer::Discard;
    case QMessageBox::Retry:
        return MessageAnswer::Retry;
    default:
        return MessageAnswer::Ok;
    }
}

constexpr QChar BreakChance(0x200B);

QString Breakable(const QString& text)
{
    // A message box wraps only between words, so a long path or configuration line would
    // widen it past the screen; an invisible break chance every so often lets it wrap. A text
    // that holds that character already is left alone, so every one removed was ours.
    constexpr int Run = 48;
    if (text.contains(BreakChance))
        return text;
    QString out;
    out.reserve(text.size() + text.size() / Run);
    int run = 0;
    for (const QChar c : text) {
        run = c.isSpace() ? 0 : run + 1;
        if (run > Run) {
            out += BreakChance;
            run = 1;
        }
        out += c;
    }
    return out;
}

// Shows the text with break chances, but what the user copies from it and what assistive
// tools read is the message itself.
class PlainMessageBox final : public QMessageBox
{
public:
    PlainMessageBox(const Message& message, QWidget* parent)
        : QMessageBox(ToQt(message.icon), message.title, Breakable(message.text),
                      ToQt(message.buttons), parent)
    {
        setTextFormat(Qt::PlainText);
        // Discard ends the program here; the platform's own caption may say "Close without
        // Saving" or nothing about quitting.
        if (QAbstractButton* discard = button(QMessageBox::Discard))
            discard->setText(message.buttons == Message::Buttons::RetryQuitCancel
                                 ? QStringLiteral("&Quit without saving")
                                 : QStringLiteral("&Discard"));
        if (auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
            label->setAccessibleName(message.text);
        if (text() == message.text)
            return;
        // The label copies its selection as shown; take our break chances out again.
        QClipboard* clipboard = QGuiApplication::clipboard();
        connect(clipboard, &QClipboard::dataChanged, this, [this, clipboard] {
            QString copied = clipboard->text();
            if (copied.contains(BreakChance) && text().contains(copied))
                clipboard->setText(copied.remove(BreakChance));
        });
    }
};

} // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(const Message& message, QWidget* parent)
{
    return std::make_unique<PlainMessageBox>(message, parent);
}

MessageAnswer QtMessageBox::Show(const Message& message)
{
    return FromQt(MakeMessageBox(message, QApplication::activeWindow())->exec());
}
