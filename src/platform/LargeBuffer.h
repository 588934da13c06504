#pragma once

#include <QtGlobal>

// Asks the system to back the bulk of a large buffer with huge pages before it is written: a
// buffer of megabytes then costs a few page faults instead of thousands, and, while another
// thread of the program runs, as few interruptions of that thread.
void adviseHugePages(char* data, qsizetype size);
