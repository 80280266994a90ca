#pragma once

#include <QAbstractTableModel>

namespace natalix {

class Cursor;

// The grid's view of the table: ten read-only columns, read through the cursor.
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

signals:
    void resetDone();

private:
    void resetAll();
    Cursor& m_cursor;
};

} // namespace natalix
