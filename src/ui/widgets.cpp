#include "ui/widgets.h"

#include <QComboBox>
#include <QLabel>

namespace natalix {

QComboBox* makeListCombo(QWidget* parent, const char* name, const QStringList& items,
                         const QString& toolTip) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(false);
    box->addItems(items);
    box->setMaxVisibleItems(16);
    if (!toolTip.isEmpty())
        box->setToolTip(toolTip);
    return box;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

void showInList(QComboBox* box, const QString& value) {
    int i = box->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i < 0) {
        // Only one extra entry at a time: the one shown before goes.
        const int extra = box->property("extraItem").toInt() - 1;
        if (extra >= 0 && extra < box->count())
            box->removeItem(extra);
        box->addItem(value);
        i = box->count() - 1;
        box->setProperty("extraItem", i + 1);
    }
    box->setCurrentIndex(i);
}

} // namespace natalix
