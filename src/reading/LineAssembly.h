#pragma once

#include <QByteArrayView>

#include <functional>

namespace modMain
{

// Whether a NUL byte belongs to the line (following a file) or is dropped (the Tail command).
enum class NulByte { Skipped, Character };

// Receives each piece that a line break ends, numbered from 1.
using PieceSink = std::function<void(qsizetype number, QByteArrayView piece)>;

// Splits bytes at line breaks: CR, LF, CR LF and LF CR each end one piece, and after a break
// one LF and then one CR are absorbed, so CR LF CR LF leaves an empty piece but LF LF and
// CR CR do not. Nothing is looked at beyond the bytes given. The unterminated rest is not
// handed on. Returns the number of pieces ended.
qsizetype SplitLines(QByteArrayView bytes, NulByte nul, const PieceSink& sink);

} // namespace modMain
