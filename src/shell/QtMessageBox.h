#pragma once

#include "MessageBox.h"

// Message boxes as real modal windows over the active window. Text from outside (paths, lines
// of files) is always shown as plain text.
class QtMessageBox final : public MessageBox
{
public:
    MessageAnswer Show(const Message& message) override;
};

// The text with an invisible break chance in every run of more than 48 characters without a
// blank, so that a message quoting a long line wraps inside the box.
QString Breakable(const QString& text);
