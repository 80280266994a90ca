#pragma once

#include <QComboBox>

namespace natalix {

// A combo box a screen reader calls by its accessible name. Qt's own accessible combo box
// on Linux gives its value as the name, so "1. Erinnerung" would read as "1 Tag vorher".
class NamedComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit NamedComboBox(QWidget* parent = nullptr);
};

} // namespace natalix
