// Commands whose features are not in this version yet.
#include "MainWindow.h"

void TfrmPlatterboxMain::btnAddPLClick() {}
void TfrmPlatterboxMain::btnCreatePLClick() {}
void TfrmPlatterboxMain::btnMP3CDClick() {}
void TfrmPlatterboxMain::btnOptionsClick() {}
