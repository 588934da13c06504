#include "SharedVariables.h"

TSharedVariables& SharedVariables() {
    static TSharedVariables record;
    return record;
}
