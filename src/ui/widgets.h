#pragma once

#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QWidget;

namespace natalix {

// A combo box that offers only the entries of its list.
QComboBox* makeListCombo(QWidget* parent, const char* name, const QStringList& items,
                         const QString& toolTip = QString());
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text);
// Selects the value in a list-only combo box. A value the list does not hold (from a list
// file or a hand-edited options file) is shown as one extra entry, so that it is neither
// hidden nor changed unasked.
void showInList(QComboBox* box, const QString& value);

} // namespace natalix
