#pragma once

namespace reading
{

// Gives assistive tools the output window as a table whose selected rows are its marked lines.
// Qt's own table asks Qt's selection ranges, which the output window leaves empty. Installed
// once; every OutputView then answers with it.
void InstallOutputAccessible();

} // namespace reading
