#include "CollectionLog.h"

Q_LOGGING_CATEGORY(collectionLog, "platterbox.collection", QtWarningMsg)
