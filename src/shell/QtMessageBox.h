#pragma once

#include "base/MessageBox.h"

#include <memory>

class QMessageBox;
class QWidget;

// Message boxes as real modal windows over the active window. Text from outside (paths, lines
// of files) is always shown as plain text.
class QtMessageBox final : public MessageBox
{
public:
    MessageAnswer Show(const Message& message) override;
};

// The box Show runs. A message quoting a long line wraps inside it (an invisible break chance
// in every run of more than 48 characters without a blank), yet copies and reads unchanged.
std::unique_ptr<QMessageBox> MakeMessageBox(const Message& message, QWidget* parent);
