#include "RadioGroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

RadioGroup::RadioGroup(const QString& name, const QString& caption, const QStringList& items,
                       QWidget* parent)
    : QGroupBox(caption, parent), buttons_(new QButtonGroup(this)), grid_(new QGridLayout(this)) {
    setObjectName(name);
    for (int index = 0; index < items.size(); ++index) {
        auto* button = new QRadioButton(items.at(index), this);
        button->setObjectName(name + QLatin1String("Item") + QString::number(index));
        buttons_->addButton(button, index);
        grid_->addWidget(button, index, 0);
    }
    grid_->setRowStretch(int(items.size()), 1);
    connect(buttons_, &QButtonGroup::idToggled, this,
            [this](int, bool) { Q_EMIT checkedIndexChanged(checkedIndex()); });
}

int RadioGroup::count() const {
    return int(buttons_->buttons().size());
}

QRadioButton* RadioGroup::item(int index) const {
    return qobject_cast<QRadioButton*>(buttons_->button(index));
}

int RadioGroup::checkedIndex() const {
    return buttons_->checkedId();
}

void RadioGroup::setCheckedIndex(int index) {
    index = qBound(-1, index, count() - 1);
    if (index >= 0) {
        item(index)->setChecked(true);
        return;
    }
    if (QAbstractButton* checked = buttons_->checkedButton()) {
        // An exclusive group keeps one button checked; let go of it for a moment.
        buttons_->setExclusive(false);
        checked->setChecked(false);
        buttons_->setExclusive(true);
    }
}
