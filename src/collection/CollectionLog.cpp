#include "CollectionLog.h"

// Warnings are the most the program logs: at Critical the category stays silent until enabled.
Q_LOGGING_CATEGORY(lcCollection, "platterbox.collection", QtCriticalMsg)
