#pragma once

#include "table/record.h"
#include "table/sortexpression.h"
#include "table/tablestore.h"

#include <QHash>
#include <QObject>
#include <QVariant>

#include <functional>
#include <optional>
#include <vector>

namespace natalix {

// The one cursor over the table (adoDaten): the rows in the current sort order, a current
// record with its pending changes, bookmarks that survive re-sorting. Every write reaches
// the database at once; the rows are also kept in memory, so reading is free.
class Cursor : public QObject {
    Q_OBJECT
public:
    explicit Cursor(TableStore& store, QObject* parent = nullptr);

    bool reload(); // rereads every row from the database, keeping the sort
    // False when the rows could not be read when the cursor was made: then it holds none,
    // and that must never pass for an empty list.
    bool loaded() const { return m_loaded; }

    int recordCount() const { return static_cast<int>(m_rows.size()); }
    // 1-based; 0 when there is no current record (empty table, past either end, deleted).
    int absolutePosition() const;
    bool setAbsolutePosition(int position);
    bool moveFirst();
    bool moveLast();
    bool moveNext();
    bool movePrevious();
    bool eof() const;
    bool bof() const;

    QVariant field(Field f) const;
    QVariant field(const QString& name) const;
    QString fieldText(Field f) const;
    int fieldNumber(Field f) const;
    // A write becomes a pending change of the current record. Text is converted to the
    // field's kind; text that holds no whole number for a number field is refused.
    bool setField(Field f, const QString& value);
    bool setField(Field f, int value);
    bool setField(const QString& name, const QVariant& value);
    bool hasPendingChanges() const { return m_pending.has_value(); }
    Record currentRecord() const; // with its pending changes

    void addNew(); // appends a record (stored by update or by moving away) and makes it current
    bool update();
    bool deleteCurrent();

    bool setSort(const QString& expression);
    QString sort() const { return sortExpressionText(m_sort); }

    qint64 bookmark() const; // 0 when there is no current record
    bool setBookmark(qint64 bookmark);
    int rowOfBookmark(qint64 bookmark) const; // 0-based row, -1 when gone

    // Every row in the current order, pending changes of the current record included.
    Snapshot snapshot() const;
    const Record& rowAt(int row) const; // 0-based, as the grid reads it
    qint64 bookmarkAt(int row) const;

    // Whole-table work, in one transaction each.
    // `before` hears the 1-based number of each record before it is stored.
    bool replaceAll(const std::vector<Record>& records,
                    const std::function<void(int)>& before = {});
    bool deleteAllButFirst();
    bool begin();
    bool commit();
    bool rollback(); // also restores the rows in memory
    // Writes a record by bookmark without moving the current record.
    bool writeRecord(qint64 bookmark, const Record& r);
    // Markers another connection has stored (by rowid): taken into the rows in memory and
    // into a pending change, so that no later store of a record writes its old ones back.
    void takeMarkers(const std::vector<std::pair<qint64, std::array<int, 3>>>& stored);

    TableStore& store() { return m_store; }
    QString lastError() const { return m_store.lastError(); }

signals:
    void rowsReset();         // order or contents changed as a whole
    void rowChanged(int row); // one row's values changed (stored or pending)
    void rowInserted(int row);
    void rowRemoved(int row);
    void currentChanged(int row); // -1 when there is no current record
    // A write did not reach the database (a full disk, a locked file): nothing was lost in
    // memory, but the user must know.
    void storeFailed(const QString& error);

private:
    // rowid 0 while a new record has not been stored yet. The rows come from the store as
    // they are, without a copy.
    using Row = StoredRow;
    bool failed(); // reports the store's error; always false
    bool storePending();
    bool moveTo(int index); // stores pending changes first
    void applySort();
    void rebuildIndex() const;
    void setIndex(int index);
    Record& pendingRecord();

    TableStore& m_store;
    std::vector<Row> m_rows;
    SortExpression m_sort;
    int m_index = -1;         // -1 before the first row, size() past the last
    bool m_onDeleted = false; // the current record was just deleted
    bool m_loaded = false;
    std::optional<Record> m_pending;
    mutable QHash<qint64, int> m_rowOfId;
    mutable std::vector<int> m_rowOfIdDense; // by rowid, when rowids are dense
    mutable bool m_indexValid = false;
};

// A text as sorting compares it: case and umlauts folded (ä = a, ß = ss).
QString foldText(const QString& s);
// The order of a sort key over text: case and umlauts folded (ä = a, ß = ss), then exact.
int compareText(const QString& a, const QString& b);

} // namespace natalix
