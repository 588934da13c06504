#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QGridLayout;
class QRadioButton;

// A captioned group of mutually exclusive radio buttons, one per item, read and set by the
// index of the checked item. The items sit in column 0 of the group's grid, one per row, so
// that other controls can be placed beside them.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString& name, const QString& caption, const QStringList& items,
               QWidget* parent = nullptr);

    int count() const;
    QRadioButton* item(int index) const;
    QGridLayout* grid() const { return grid_; }

    // The checked item, -1 when none is checked.
    int checkedIndex() const;
    // An index below -1 counts as -1 (nothing checked), one past the last item as the last.
    void setCheckedIndex(int index);

Q_SIGNALS:
    // The checked item changed, by the user or by setCheckedIndex.
    void checkedIndexChanged(int index);

private:
    QButtonGroup* buttons_ = nullptr;
    QGridLayout* grid_ = nullptr;
};
