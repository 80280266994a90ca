#pragma once

#include <QDateTime>
#include <QStringList>

#include <vector>

namespace natalix {

class TableStore;

// A reminder window shown but not yet answered: its lines and when it appeared.
struct OpenWindow {
    qint64 id = 0;
    QDateTime shown;
    QStringList lines;
};

// The open reminder windows, kept in the database beside the list (table OpenReminders), so
// that a window the program could not keep open (a logout, a crash) comes back at the next
// start. Markers and open lines go into one transaction: a reminder is never marked as given
// without its lines kept.
class OpenLines {
public:
    explicit OpenLines(TableStore& store) : m_store(store) {}

    // Creates the table where it is missing.
    bool prepare();
    // A new window's lines, inside the caller's transaction; its id, 0 on failure.
    qint64 keep(const QDateTime& shown, const QStringList& lines);
    // Every open window, oldest first.
    std::vector<OpenWindow> windows(bool* ok = nullptr);
    // The user answered the window: its lines are no longer open.
    bool forget(qint64 id);

private:
    TableStore& m_store;
};

} // namespace natalix
