#include "table/gridselection.h"

#include "table/cursor.h"

#include <QItemSelectionModel>
#include <QSet>
#include <QTableView>

#include <algorithm>

namespace natalix {

GridSelection::GridSelection(QTableView& view, Cursor& cursor, QObject* parent)
    : QObject(parent), m_view(view), m_cursor(cursor) {
    connect(view.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &GridSelection::onViewSelectionChanged);
}

void GridSelection::onViewSelectionChanged() {
    if (m_updatingView)
        return;
    // Rows the user selected are added at the end, in row order; rows no longer selected
    // leave the list.
    const QModelIndexList rows = m_view.selectionModel()->selectedRows();
    QSet<qint64> nowSelected;
    nowSelected.reserve(rows.size());
    for (const QModelIndex& i : rows)
        nowSelected.insert(m_cursor.bookmarkAt(i.row()));
    m_bookmarks.removeIf([&](qint64 b) { return !nowSelected.contains(b); });
    const QSet<qint64> kept(m_bookmarks.cbegin(), m_bookmarks.cend());
    std::vector<int> added;
    for (const QModelIndex& i : rows) {
        if (!kept.contains(m_cursor.bookmarkAt(i.row())))
            added.push_back(i.row());
    }
    std::sort(added.begin(), added.end());
    for (int row : added)
        m_bookmarks << m_cursor.bookmarkAt(row);
}

void GridSelection::add(qint64 bookmark) {
    if (bookmark == 0 || m_bookmarks.contains(bookmark))
        return;
    m_bookmarks << bookmark;
    syncView();
}

void GridSelection::removeFirst() {
    if (m_bookmarks.isEmpty())
        return;
    m_bookmarks.removeFirst();
    syncView();
}

void GridSelection::clear() {
    m_bookmarks.clear();
    syncView();
}

void GridSelection::reapply() {
    m_bookmarks.removeIf([&](qint64 b) { return m_cursor.rowOfBookmark(b) < 0; });
    syncView();
}

void GridSelection::syncView() {
    if (m_batchDepth > 0)
        return;
    m_updatingView = true;
    QItemSelection selection;
    const int lastColumn = m_view.model()->columnCount() - 1;
    for (qint64 b : m_bookmarks) {
        const int row = m_cursor.rowOfBookmark(b);
        if (row >= 0)
            selection.select(m_view.model()->index(row, 0), m_view.model()->index(row, lastColumn));
    }
    m_view.selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    m_updatingView = false;
}

} // namespace natalix
