#pragma once

#include <QtGlobal>

// Asks the system to back a large buffer that is about to be filled with large pages, where it
// offers them: filling 100 MB page by page costs more in page faults than in copying.
void PreferLargePages(char* data, qsizetype size);
