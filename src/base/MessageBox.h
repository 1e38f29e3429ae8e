#pragma once

#include <QString>

// What a message box shows and which button closed it. The logic asks through MessageBox so
// that tests answer with a fake instead of a modal window.
struct Message {
    enum class Icon { None, Information, Exclamation, Question };
    // RetryQuitCancel: Retry, "Quit without saving" (answered Discard) and Cancel.
    enum class Buttons { Ok, YesNo, SaveDiscardCancel, RetryQuitCancel };

    QString text;
    QString title = QStringLiteral("Tarvisk");
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
};

enum class MessageAnswer { Ok, Cancel, Yes, No, Save, Discard, Retry };

class MessageBox
{
public:
    virtual ~MessageBox() = default;
    virtual MessageAnswer Show(const Message& message) = 0;
};
