#pragma once

#include "base/MessageBox.h"

#include <QList>

#include <functional>

// Records every message instead of showing it, and answers with the preset answers in turn,
// then with `answer`.
class FakeMessageBox final : public MessageBox
{
public:
    MessageAnswer Show(const Message& message) override
    {
        shown.append(message);
        if (onShow)
            onShow(message);
        return answers.isEmpty() ? answer : answers.takeFirst();
    }

    QList<Message> shown;
    QList<MessageAnswer> answers;
    MessageAnswer answer = MessageAnswer::Ok;
    std::function<void(const Message&)> onShow; // runs while the box would be open
};
