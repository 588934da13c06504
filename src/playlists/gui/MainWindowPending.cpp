// Commands whose features are not in this version yet.
#include "MainWindow.h"

void TfrmPlatterboxMain::btnAddPLClick() {}
void TfrmPlatterboxMain::btnCreatePLClick() {}
void TfrmPlatterboxMain::btnRemovePLClick(QObject*) {}
void TfrmPlatterboxMain::btnMP3CDClick() {}
void TfrmPlatterboxMain::btnOptionsClick() {}
void TfrmPlatterboxMain::miSortClick(QObject*) {}
void TfrmPlatterboxMain::miEditClick(QObject*) {}
void TfrmPlatterboxMain::miRemoveItemsClick() {}
