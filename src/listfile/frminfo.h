#pragma once

#include "table/record.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace natalix {

// The part of a list path after its last separator, at most 255 characters.
QString listFileNameOfPath(const QString& path);
// "4,88 KB (5.000 Bytes)": kilobytes cut to two decimals, bytes with digit grouping.
QString listFileSizeText(qint64 bytes);

// "Eigenschaften": name, path, type, size and record count of the current list.
class FrmInfo : public QDialog {
    Q_OBJECT
public:
    FrmInfo(const QString& dateinamemitpfad, const Snapshot& table, QWidget* parent = nullptr);

    QLineEdit* txt1 = nullptr;
    QLineEdit* txt2 = nullptr;
    QLabel* lbl3 = nullptr;
    QLabel* lbl4 = nullptr;
    QLabel* lbl5 = nullptr;
    QPushButton* cmdOK = nullptr;
};

} // namespace natalix
