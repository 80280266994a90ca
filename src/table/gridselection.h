#pragma once

#include <QList>
#include <QObject>

class QTableView;

namespace natalix {

class Cursor;

// The grid's selected rows as an ordered list of bookmarks, in the order they were selected.
// It survives re-sorting, and a deleted record leaves it.
class GridSelection : public QObject {
    Q_OBJECT
public:
    GridSelection(QTableView& view, Cursor& cursor, QObject* parent = nullptr);

    int count() const { return static_cast<int>(m_bookmarks.size()); }
    qint64 at(int i) const { return m_bookmarks.at(i); }
    const QList<qint64>& bookmarks() const { return m_bookmarks; }
    void add(qint64 bookmark);
    void removeFirst();
    void clear();

    // Puts the view's highlighting back after the model was reset.
    void reapply();

    // Changes inside a batch reach the view once, at its end.
    class Batch {
    public:
        explicit Batch(GridSelection& s) : m_s(s) { ++m_s.m_batchDepth; }
        ~Batch() {
            if (--m_s.m_batchDepth == 0)
                m_s.syncView();
        }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        GridSelection& m_s;
    };

private:
    void onViewSelectionChanged();
    void syncView();

    QTableView& m_view;
    Cursor& m_cursor;
    QList<qint64> m_bookmarks;
    bool m_updatingView = false;
    int m_batchDepth = 0;
};

} // namespace natalix
