#include "table/cursor.h"

#include "table/textnumber.h"

#include <QVarLengthArray>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <limits>
#include <memory>
#include <string_view>

namespace natalix {

namespace {

// How each unit below U+0100 folds: case and umlauts (ä = a); 0 for ß, which becomes "ss".
struct LatinFolds {
    char16_t unit[256];
    LatinFolds() {
        for (char16_t u = 0; u < 256; ++u)
            unit[u] = QChar(u).toCaseFolded().unicode();
        for (char16_t u : {u'ä', u'Ä'})
            unit[u] = u'a';
        for (char16_t u : {u'ö', u'Ö'})
            unit[u] = u'o';
        for (char16_t u : {u'ü', u'Ü'})
            unit[u] = u'u';
        unit[u'ß'] = 0;
    }
};

// Case and umlauts folded (ä = a, ß = ss), written from `out` on (room for two units a
// character); returns the end.
char16_t* foldInto(char16_t* out, QStringView s) {
    static const LatinFolds latin;
    const char16_t* p = s.utf16();
    const char16_t* const end = p + s.size();
    while (p < end) {
        const char16_t u = *p++;
        if (u >= 0x100) {
            *out++ = QChar(u).toCaseFolded().unicode();
        } else if (const char16_t f = latin.unit[u]; f != 0 || u == 0) {
            *out++ = f;
        } else {
            *out++ = u's';
            *out++ = u's';
        }
    }
    return out;
}

// One text key of a sort, folded for every row into one buffer.
struct FoldedKey {
    std::unique_ptr<char16_t[]> chars; // room for two units a character, never cleared first
    std::vector<size_t> start;         // row i is chars[start[i], start[i + 1])
    bool narrow = true;                // every folded unit lies below U+0100

    // How many units the head holds.
    size_t headUnits() const { return narrow ? 32 : 16; }

    FoldedKey(const std::vector<QStringView>& texts) {
        size_t room = 0;
        for (QStringView t : texts)
            room += static_cast<size_t>(t.size()) * 2;
        chars.reset(new char16_t[room + 1]);
        start.reserve(texts.size() + 1);
        char16_t* out = chars.get();
        start.push_back(0);
        char16_t all = 0;
        for (QStringView t : texts) {
            char16_t* const from = out;
            out = foldInto(out, t);
            for (const char16_t* u = from; u < out; ++u)
                all |= *u;
            start.push_back(static_cast<size_t>(out - chars.get()));
        }
        narrow = all < 0x100;
    }
    std::u16string_view at(int row) const {
        return std::u16string_view(chars.get() + start[row], start[row + 1] - start[row]);
    }
    // The first units as four numbers that order as the texts do (shorter first): thirty-two
    // of a byte each where every unit fits one (most names, whole), else sixteen.
    std::array<quint64, 4> head(int row) const {
        const std::u16string_view t = at(row);
        // Big-endian bytes of the units, so that each word orders as its units do.
        uchar bytes[32] = {};
        if (narrow) {
            for (size_t k = 0, n = std::min<size_t>(t.size(), 32); k < n; ++k)
                bytes[k] = static_cast<uchar>(t[k]);
        } else {
            for (size_t k = 0, n = std::min<size_t>(t.size(), 16); k < n; ++k) {
                bytes[2 * k] = static_cast<uchar>(t[k] >> 8);
                bytes[2 * k + 1] = static_cast<uchar>(t[k]);
            }
        }
        return {qFromBigEndian<quint64>(bytes), qFromBigEndian<quint64>(bytes + 8),
                qFromBigEndian<quint64>(bytes + 16), qFromBigEndian<quint64>(bytes + 24)};
    }
};

// What a sort moves around: the leading keys packed into two numbers, so that most
// comparisons are two integer comparisons on memory that lies together.
struct SortItem {
    std::array<quint64, 4> head;
    int row;
    int length; // of the leading text, folded
};

// The order of two heads: two words at a time, which spares most branches.
bool headBefore(const SortItem& a, const SortItem& b) {
#ifdef __SIZEOF_INT128__
    using Wide = unsigned __int128;
    const Wide a01 = Wide(a.head[0]) << 64 | a.head[1], b01 = Wide(b.head[0]) << 64 | b.head[1];
    if (a01 != b01)
        return a01 < b01;
    return (Wide(a.head[2]) << 64 | a.head[3]) < (Wide(b.head[2]) << 64 | b.head[3]);
#else
    return a.head < b.head;
#endif
}

} // namespace

QString foldText(const QString& s) {
    QString out(s.size() * 2, Qt::Uninitialized);
    auto* begin = reinterpret_cast<char16_t*>(out.data());
    out.truncate(foldInto(begin, s) - begin);
    return out;
}

int compareText(const QString& a, const QString& b) {
    // Folded on the stack: sorting compares many a pair of names alike in their first letters.
    QVarLengthArray<char16_t, 128> fa(2 * a.size() + 1), fb(2 * b.size() + 1);
    const std::u16string_view va(fa.data(), foldInto(fa.data(), a) - fa.data());
    const std::u16string_view vb(fb.data(), foldInto(fb.data(), b) - fb.data());
    const int folded = va.compare(vb);
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
    m_rows = std::move(stored);
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
    m_indexValid = false;
    const int n = recordCount();
    const size_t keys = m_sort.size();
    // Every key is read once per row, not once per comparison: whole numbers as unsigned
    // values that order ascending (turned round for DESC), texts folded.
    std::vector<quint32> numbers(static_cast<size_t>(n) * keys);
    std::vector<std::unique_ptr<FoldedKey>> folded(keys);
    for (size_t k = 0; k < keys; ++k) {
        const SortKey& key = m_sort[k];
        if (isWholeNumberField(key.field)) {
            const quint32 flip = key.descending ? 0x7fffffffu : 0x80000000u;
            for (int i = 0; i < n; ++i)
                numbers[static_cast<size_t>(i) * keys + k] =
                    static_cast<quint32>(m_rows[i].record.wholeNumber(key.field)) ^ flip;
            continue;
        }
        std::vector<QStringView> texts;
        texts.reserve(n);
        for (const Row& r : m_rows)
            texts.push_back(r.record.text(key.field));
        folded[k] = std::make_unique<FoldedKey>(texts);
    }
    // Equal keys keep the order in which the records were stored; new ones come last.
    std::vector<qint64> stored(n);
    for (int i = 0; i < n; ++i)
        stored[i] = m_rows[i].rowid == 0 ? std::numeric_limits<qint64>::max() : m_rows[i].rowid;
    const auto before = [&](int a, int b) {
        const quint32* na = numbers.data() + static_cast<size_t>(a) * keys;
        const quint32* nb = numbers.data() + static_cast<size_t>(b) * keys;
        for (size_t k = 0; k < keys; ++k) {
            const SortKey& key = m_sort[k];
            if (!folded[k]) {
                if (na[k] != nb[k])
                    return na[k] < nb[k];
                continue;
            }
            int c = folded[k]->at(a).compare(folded[k]->at(b));
            if (c == 0)
                c = m_rows[a].record.text(key.field).compare(m_rows[b].record.text(key.field));
            if (c != 0)
                return key.descending ? c > 0 : c < 0;
        }
        return stored[a] < stored[b];
    };
    // The head: up to four leading number keys, or the first units of a leading text (turned
    // round for DESC). Equal heads fall back to the full comparison.
    std::vector<SortItem> items(n);
    for (int i = 0; i < n; ++i) {
        SortItem& item = items[i];
        item.row = i;
        item.head = {0, 0, 0, 0};
        item.length = 0;
        if (keys == 0)
            continue;
        if (folded[0]) {
            item.head = folded[0]->head(i);
            item.length = static_cast<int>(folded[0]->at(i).size());
            if (m_sort[0].descending)
                for (quint64& h : item.head)
                    h = ~h;
            continue;
        }
        size_t packed = 0;
        for (; packed < keys && packed < 4 && !folded[packed]; ++packed)
            item.head[packed / 2] |=
                static_cast<quint64>(numbers[static_cast<size_t>(i) * keys + packed])
                << (packed % 2 ? 0 : 32);
        // All number keys packed: the stored order follows, and the head decides alone.
        if (packed == keys)
            item.head[2] = static_cast<quint64>(stored[i]) ^ (quint64(1) << 63);
    }
    const auto itemBefore = [&](const SortItem& a, const SortItem& b) {
        return a.head != b.head ? headBefore(a, b) : before(a.row, b.row);
    };
    // A table already in this order (a repeated scan, say) keeps its rows where they are.
    if (std::is_sorted(items.begin(), items.end(), itemBefore))
        return;
    // By the heads alone; rows of equal heads (the same name twice, say) are put in the whole
    // order afterwards, once they lie side by side: reading rows spread over the memory at
    // every step of the sort would cost more than all the rest.
    std::sort(items.begin(), items.end(), headBefore);
    std::vector<Row> sorted;
    sorted.reserve(n);
    for (size_t i = 0; i < items.size(); ++i) {
#if defined(__GNUC__)
        // The rows are fetched in a new order: ask for them a little ahead.
        if (i + 8 < items.size())
            __builtin_prefetch(&m_rows[items[i + 8].row]);
#endif
        sorted.push_back(std::move(m_rows[items[i].row]));
    }
    // Rows whose leading texts lie whole in their equal heads need no folding to compare.
    const auto rowBefore = [&](const Row& a, const Row& b, bool leadingFoldedEqual) {
        for (size_t k = 0; k < keys; ++k) {
            const SortKey& key = m_sort[k];
            int c = 0;
            if (isWholeNumberField(key.field)) {
                const int x = a.record.wholeNumber(key.field), y = b.record.wholeNumber(key.field);
                c = x < y ? -1 : (x > y ? 1 : 0);
            } else if (k == 0 && leadingFoldedEqual) {
                c = a.record.text(key.field).compare(b.record.text(key.field));
            } else {
                c = compareText(a.record.text(key.field), b.record.text(key.field));
            }
            if (c != 0)
                return key.descending ? c > 0 : c < 0;
        }
        const auto storedOf = [](const Row& r) {
            return r.rowid == 0 ? std::numeric_limits<qint64>::max() : r.rowid;
        };
        return storedOf(a) < storedOf(b);
    };
    const int whole = folded[0] ? static_cast<int>(folded[0]->headUnits()) : 0;
    for (size_t run = 0; run < items.size();) {
        size_t end = run + 1;
        bool inHeads = folded[0] && items[run].length <= whole;
        for (; end < items.size() && items[end].head == items[run].head; ++end)
            inHeads = inHeads && items[end].length <= whole;
        if (end - run > 1)
            std::sort(sorted.begin() + run, sorted.begin() + end,
                      [&](const Row& a, const Row& b) { return rowBefore(a, b, inHeads); });
        run = end;
    }
    m_rows = std::move(sorted);
    m_indexValid = false;
}

void Cursor::rebuildIndex() const {
    m_rowOfId.clear();
    m_rowOfIdDense.clear();
    qint64 smallest = 0, largest = 0;
    for (const Row& r : m_rows) {
        smallest = std::min(smallest, r.rowid);
        largest = std::max(largest, r.rowid);
    }
    // Rowids mostly run from 1 to the record count: an array then, a hash for a sparse table.
    if (smallest >= 0 && largest <= 4LL * recordCount() + 1024) {
        m_rowOfIdDense.assign(static_cast<size_t>(largest) + 1, -1);
        for (int i = 0; i < recordCount(); ++i)
            if (m_rows[i].rowid > 0)
                m_rowOfIdDense[static_cast<size_t>(m_rows[i].rowid)] = i;
    } else {
        m_rowOfId.reserve(recordCount());
        for (int i = 0; i < recordCount(); ++i)
            m_rowOfId.insert(m_rows[i].rowid, i);
    }
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
    if (m_rowOfIdDense.empty())
        return m_rowOfId.value(bookmark, -1);
    return bookmark > 0 && bookmark < static_cast<qint64>(m_rowOfIdDense.size())
               ? m_rowOfIdDense[static_cast<size_t>(bookmark)]
               : -1;
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

void Cursor::takeMarkers(const std::vector<std::pair<qint64, std::array<int, 3>>>& stored) {
    const qint64 current = bookmark();
    for (const auto& [rowid, marker] : stored) {
        const int row = rowOfBookmark(rowid);
        if (row < 0)
            continue;
        m_rows[row].record.marker = marker;
        if (m_pending && rowid == current)
            m_pending->marker = marker;
    }
}

} // namespace natalix
