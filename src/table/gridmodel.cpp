#include "table/gridmodel.h"

#include "table/birthyear.h"
#include "table/cursor.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

namespace natalix {

namespace {
constexpr int widthTwips[GridModel::columnCount_] = {495,  2445, 600,  600,  600,
                                                     2250, 1500, 1500, 1500, 1500};
constexpr const char16_t* captions[GridModel::columnCount_] = {u"Nr.",
                                                               u"Name",
                                                               u"Jahr",
                                                               u"Monat",
                                                               u"Tag",
                                                               u"Erinnerung 1",
                                                               u"Erinnerung 2",
                                                               u"Erinnerung 3",
                                                               u"Erinnerungsbeginn",
                                                               u"Erinnerungszyklus"};
} // namespace

GridModel::GridModel(Cursor& cursor, QObject* parent)
    : QAbstractTableModel(parent), m_cursor(cursor) {
    // The cursor reports after the fact, so whole-table changes become a reset.
    connect(&cursor, &Cursor::rowsReset, this, &GridModel::resetAll);
    connect(&cursor, &Cursor::rowInserted, this, &GridModel::resetAll);
    connect(&cursor, &Cursor::rowRemoved, this, &GridModel::resetAll);
    connect(&cursor, &Cursor::currentChanged, this, &GridModel::currentMoved);
    connect(&cursor, &Cursor::rowChanged, this, [this](int row) {
        if (row >= 0 && row < rowCount())
            emit dataChanged(index(row, 0), index(row, columnCount_ - 1));
    });
}

int GridModel::columnWidthPixels(int column) {
    return widthTwips[column] / 15;
}

void GridModel::currentMoved(int row) {
    const int before = m_current;
    m_current = row;
    for (int r : {before, row}) {
        if (r >= 0 && r < rowCount()) {
            emit dataChanged(index(r, 0), index(r, columnCount_ - 1), {Qt::BackgroundRole});
            emit headerDataChanged(Qt::Vertical, r, r);
        }
    }
}

void GridModel::resetAll() {
    m_current = m_cursor.absolutePosition() - 1;
    beginResetModel();
    endResetModel();
    emit resetDone();
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_cursor.recordCount();
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columnCount_;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_cursor.recordCount())
        return {};
    const Record& r = m_cursor.rowAt(index.row());
    const auto field = static_cast<Field>(index.column());
    if (role == Qt::DisplayRole && field == Field::Jahr)
        return yearBoxText(r.jahr);
    if (role == Qt::DisplayRole)
        return r.display(field);
    if (role == Qt::TextAlignmentRole && isWholeNumberField(field))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::BackgroundRole && index.row() == m_current) {
        QColor tint = QGuiApplication::palette().color(QPalette::Highlight);
        tint.setAlpha(48);
        return tint;
    }
    return {};
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columnCount_)
        return QString::fromUtf16(captions[section]);
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return section == m_current ? currentRowMarker() : QString();
    return {};
}

Qt::ItemFlags GridModel::flags(const QModelIndex& index) const {
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled;
}

} // namespace natalix
