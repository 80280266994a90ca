#include "table/cursor.h"

#include "table/textnumber.h"

#include <algorithm>
#include <limits>
#include <numeric>

namespace natalix {

namespace {

QString foldText(const QString& s) {
    QString out;
    out.reserve(s.size() + 4);
    for (const QChar c : s) {
        switch (c.unicode()) {
        case u'ä':
        case u'Ä':
            out += u'a';
            break;
        case u'ö':
        case u'Ö':
            out += u'o';
            break;
        case u'ü':
        case u'Ü':
            out += u'u';
            break;
        case u'ß':
            out += QStringLiteral("ss");
            break;
        default:
            out += c.toCaseFolded();
        }
    }
    return out;
}

} // namespace

int compareText(const QString& a, const QString& b) {
    const int folded = foldText(a).compare(foldText(b));
    return folded != 0 ? folded : a.compare(b);
}

Cursor::Cursor(TableStore& store, QObject* parent) : QObject(parent), m_store(store) {
    m_sort = {{Field::Nummer, false}};
    m_loaded = reload();
}

bool Cursor::failed() {
    emit storeFailed(m_store.lastError());
    return false;
}

bool Cursor::reload() {
    const qint64 current = bookmark();
    bool ok = false;
    std::vector<StoredRow> stored = m_store.loadAll(&ok);
    if (!ok)
        return false;
    m_rows.clear();
    m_rows.reserve(stored.size());
    for (StoredRow& s : stored)
        m_rows.push_back({s.rowid, std::move(s.record)});
    m_pending.reset();
    m_onDeleted = false;
    applySort();
    const int row = current ? rowOfBookmark(current) : -1;
    m_index = row >= 0 ? row : (m_rows.empty() ? -1 : 0);
    emit rowsReset();
    emit currentChanged(absolutePosition() - 1);
    return true;
}

int Cursor::absolutePosition() const {
    if (m_onDeleted || m_index < 0 || m_index >= recordCount())
        return 0;
    return m_index + 1;
}

bool Cursor::setAbsolutePosition(int position) {
    if (position < 1 || position > recordCount())
        return false;
    return moveTo(position - 1);
}

bool Cursor::moveFirst() {
    return moveTo(m_rows.empty() ? -1 : 0);
}

bool Cursor::moveLast() {
    return moveTo(m_rows.empty() ? -1 : recordCount() - 1);
}

bool Cursor::moveNext() {
    if (m_onDeleted)
        return moveTo(m_index);
    return moveTo(std::min(m_index + 1, recordCount()));
}

bool Cursor::movePrevious() {
    return moveTo(std::max(m_index - 1, -1));
}

bool Cursor::eof() const {
    return m_rows.empty() || (!m_onDeleted && m_index >= recordCount());
}

bool Cursor::bof() const {
    return m_rows.empty() || (!m_onDeleted && m_index < 0);
}

bool Cursor::moveTo(int index) {
    if (!storePending())
        return false;
    setIndex(index);
    return true;
}

void Cursor::setIndex(int index) {
    m_index = index;
    m_onDeleted = false;
    emit currentChanged(absolutePosition() - 1);
}

Record Cursor::currentRecord() const {
    if (m_pending)
        return *m_pending;
    const int pos = absolutePosition();
    return pos > 0 ? m_rows[pos - 1].record : Record();
}

QVariant Cursor::field(Field f) const {
    if (absolutePosition() < 1)
        return {};
    const Record r = currentRecord();
    if (isWholeNumberField(f))
        return r.wholeNumber(f);
    return r.text(f);
}

QVariant Cursor::field(const QString& name) const {
    const auto f = fieldByName(name);
    return f ? field(*f) : QVariant();
}

QString Cursor::fieldText(Field f) const {
    return absolutePosition() < 1 ? QString() : currentRecord().display(f);
}

int Cursor::fieldNumber(Field f) const {
    return absolutePosition() < 1 ? 0 : currentRecord().wholeNumber(f);
}

Record& Cursor::pendingRecord() {
    if (!m_pending)
        m_pending = m_rows[m_index].record;
    return *m_pending;
}

bool Cursor::setField(Field f, const QString& value) {
    if (absolutePosition() < 1)
        return false;
    if (isWholeNumberField(f)) {
        const auto n = parseWholeNumberField(value);
        if (!n)
            return false;
        return setField(f, *n);
    }
    Record& r = pendingRecord();
    if (r.text(f) != value) {
        r.setText(f, value);
        emit rowChanged(m_index);
    }
    return true;
}

bool Cursor::setField(Field f, int value) {
    if (absolutePosition() < 1)
        return false;
    if (!isWholeNumberField(f))
        return setField(f, QString::number(value));
    Record& r = pendingRecord();
    if (r.wholeNumber(f) != value) {
        r.setWholeNumber(f, value);
        emit rowChanged(m_index);
    }
    return true;
}

bool Cursor::setField(const QString& name, const QVariant& value) {
    const auto f = fieldByName(name);
    if (!f)
        return false;
    if (isWholeNumberField(*f) && value.typeId() == QMetaType::Int)
        return setField(*f, value.toInt());
    return setField(*f, value.toString());
}

void Cursor::addNew() {
    if (!storePending())
        return;
    m_rows.push_back({0, Record()});
    m_indexValid = false;
    const int row = recordCount() - 1;
    emit rowInserted(row);
    setIndex(row);
    m_pending = m_rows[row].record;
}

bool Cursor::update() {
    return storePending();
}

bool Cursor::storePending() {
    if (!m_pending)
        return true;
    if (m_index < 0 || m_index >= recordCount()) {
        m_pending.reset();
        return true;
    }
    Row& row = m_rows[m_index];
    if (row.rowid == 0) {
        const qint64 id = m_store.insert(*m_pending);
        if (id == 0)
            return failed();
        row.rowid = id;
        m_indexValid = false;
    } else if (!m_store.update(row.rowid, *m_pending)) {
        return failed();
    }
    row.record = std::move(*m_pending);
    m_pending.reset();
    emit rowChanged(m_index);
    return true;
}

bool Cursor::deleteCurrent() {
    if (absolutePosition() < 1)
        return false;
    const Row& row = m_rows[m_index];
    if (row.rowid != 0 && !m_store.remove(row.rowid))
        return failed();
    m_pending.reset();
    m_rows.erase(m_rows.begin() + m_index);
    m_indexValid = false;
    m_onDeleted = true;
    emit rowRemoved(m_index);
    emit currentChanged(-1);
    return true;
}

bool Cursor::setSort(const QString& expression) {
    const auto parsed = parseSortExpression(expression);
    if (!parsed || !storePending())
        return false;
    const qint64 current = bookmark();
    m_sort = *parsed;
    applySort();
    emit rowsReset();
    const int row = current ? rowOfBookmark(current) : -1;
    setIndex(row >= 0 ? row : (m_rows.empty() ? -1 : 0));
    return true;
}

void Cursor::applySort() {
    const int n = recordCount();
    // Text keys are folded once per row, not once per comparison.
    std::vector<std::vector<QString>> folded(m_sort.size());
    for (size_t k = 0; k < m_sort.size(); ++k) {
        if (isWholeNumberField(m_sort[k].field))
            continue;
        folded[k].reserve(n);
        for (const Row& r : m_rows)
            folded[k].push_back(foldText(r.record.text(m_sort[k].field)));
    }
    std::vector<int> order(n);
    std::iota(order.begin(), order.end(), 0);
    auto idOrder = [](qint64 id) { return id == 0 ? std::numeric_limits<qint64>::max() : id; };
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        const Record& ra = m_rows[a].record;
        const Record& rb = m_rows[b].record;
        for (size_t k = 0; k < m_sort.size(); ++k) {
            const SortKey& key = m_sort[k];
            int c = 0;
            if (isWholeNumberField(key.field)) {
                const int va = ra.wholeNumber(key.field);
                const int vb = rb.wholeNumber(key.field);
                c = va < vb ? -1 : (va > vb ? 1 : 0);
            } else {
                c = folded[k][a].compare(folded[k][b]);
                if (c == 0)
                    c = ra.text(key.field).compare(rb.text(key.field));
            }
            if (c != 0)
                return key.descending ? c > 0 : c < 0;
        }
        // Equal keys keep the order in which the records were stored.
        return idOrder(m_rows[a].rowid) < idOrder(m_rows[b].rowid);
    });
    std::vector<Row> sorted;
    sorted.reserve(n);
    for (int i : order)
        sorted.push_back(std::move(m_rows[i]));
    m_rows = std::move(sorted);
    m_indexValid = false;
}

void Cursor::rebuildIndex() const {
    m_rowOfId.clear();
    m_rowOfId.reserve(recordCount());
    for (int i = 0; i < recordCount(); ++i)
        m_rowOfId.insert(m_rows[i].rowid, i);
    m_indexValid = true;
}

qint64 Cursor::bookmark() const {
    const int pos = absolutePosition();
    return pos > 0 ? m_rows[pos - 1].rowid : 0;
}

int Cursor::rowOfBookmark(qint64 bookmark) const {
    if (bookmark == 0)
        return -1;
    if (!m_indexValid)
        rebuildIndex();
    return m_rowOfId.value(bookmark, -1);
}

bool Cursor::setBookmark(qint64 bookmark) {
    // Storing a new record gives it its bookmark, so store before looking it up.
    if (!storePending())
        return false;
    const int row = rowOfBookmark(bookmark);
    if (row < 0)
        return false;
    setIndex(row);
    return true;
}

Snapshot Cursor::snapshot() const {
    Snapshot s;
    s.reserve(m_rows.size());
    for (const Row& r : m_rows)
        s.push_back(r.record);
    if (m_pending && absolutePosition() > 0)
        s[m_index] = *m_pending;
    return s;
}

const Record& Cursor::rowAt(int row) const {
    if (m_pending && row == m_index && !m_onDeleted)
        return *m_pending;
    return m_rows[row].record;
}

qint64 Cursor::bookmarkAt(int row) const {
    return row >= 0 && row < recordCount() ? m_rows[row].rowid : 0;
}

bool Cursor::replaceAll(const std::vector<Record>& records,
                        const std::function<void(int)>& before) {
    std::vector<qint64> ids;
    if (!m_store.replaceAll(records, &ids, before))
        return failed();
    m_pending.reset();
    m_rows.clear();
    m_rows.reserve(records.size());
    for (size_t i = 0; i < records.size(); ++i)
        m_rows.push_back({ids[i], records[i]});
    applySort();
    emit rowsReset();
    setIndex(m_rows.empty() ? -1 : 0);
    return true;
}

bool Cursor::deleteAllButFirst() {
    if (!storePending() || m_rows.empty())
        return false;
    const qint64 keep = m_rows.front().rowid;
    if (!m_store.begin())
        return failed();
    if (!m_store.removeAllExcept(keep) || !m_store.commit()) {
        failed();
        rollback();
        return false;
    }
    m_rows.resize(1);
    m_indexValid = false;
    emit rowsReset();
    setIndex(0);
    return true;
}

bool Cursor::begin() {
    if (!storePending())
        return false;
    return m_store.begin() || failed();
}

bool Cursor::commit() {
    if (!storePending()) {
        rollback();
        return false;
    }
    if (!m_store.commit()) {
        failed();
        rollback();
        return false;
    }
    return true;
}

bool Cursor::rollback() {
    m_pending.reset();
    const bool ok = m_store.rollback();
    reload();
    return ok;
}

bool Cursor::writeRecord(qint64 bookmark, const Record& r) {
    const int row = rowOfBookmark(bookmark);
    if (row < 0)
        return false;
    if (row == m_index && m_pending && !storePending())
        return false;
    if (!m_store.update(bookmark, r))
        return failed();
    m_rows[row].record = r;
    emit rowChanged(row);
    return true;
}

} // namespace natalix
