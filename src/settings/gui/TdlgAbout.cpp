#include "TdlgAbout.h"

#include <QLabel>
#include <QVBoxLayout>

TdlgAbout::TdlgAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TdlgAbout"));
    setWindowTitle(QStringLiteral("Platterbox Help"));
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Platterbox 1.3"), this));
}
