#pragma once

#include "MessageBox.h"

// Message boxes as real modal windows over the active window. Text from outside (paths, lines
// of files) is always shown as plain text.
class QtMessageBox final : public MessageBox
{
public:
    MessageAnswer Show(const Message& message) override;
};
