#include "Settings.h"

Settings& settingsRecord() {
    static Settings record;
    return record;
}
