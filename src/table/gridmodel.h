#pragma once

#include <QAbstractTableModel>

namespace natalix {

class Cursor;

// The grid's view of the table: ten read-only columns, read through the cursor. The current
// record is marked in the row header and tinted, so the user sees which record a command
// without a selection acts on.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit GridModel(Cursor& cursor, QObject* parent = nullptr);

    static constexpr int columnCount_ = 10;
    static int columnWidthPixels(int column); // laid out in twips, 15 to a pixel

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    static QString currentRowMarker() { return QStringLiteral("\u25B6"); }

signals:
    void resetDone();

private:
    void resetAll();
    void currentMoved(int row);
    Cursor& m_cursor;
    int m_current = -1;
};

} // namespace natalix
