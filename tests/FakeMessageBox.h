#pragma once

#include "base/MessageBox.h"

#include <QList>

// Records every message instead of showing it, and answers with a preset answer.
class FakeMessageBox final : public MessageBox
{
public:
    MessageAnswer Show(const Message& message) override
    {
        shown.append(message);
        return answer;
    }

    QList<Message> shown;
    MessageAnswer answer = MessageAnswer::Ok;
};
