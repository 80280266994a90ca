#pragma once

#include "calendar/icalendar.h"
#include "sync/calendarplan.h"
#include "sync/davxml.h"

#include <QObject>
#include <QUrl>

namespace natalix {

class DavClient;
class TableStore;

struct CalendarSyncOutcome {
    bool ok = false;
    QString message; // German summary, or what failed
    int created = 0, updated = 0, deleted = 0, unchanged = 0;
    int withoutEvent = 0; // records whose date cannot be reminded
    int requests = 0;
    qint64 bytes = 0;
};

// The events of the list's records (the VEVENT of the calendar export, one resource each),
// keyed by the decoded path of their resource in `calendar`. *skipped counts records that
// get none.
std::vector<DesiredEvent> desiredEvents(const Snapshot& records, const QUrl& calendar,
                                        const CalendarContext& context, int* skipped);

// Publishes the list to a CalDAV calendar, asynchronously: new records get an event, changed
// ones an update, removed ones lose theirs (If-Match with its ETag). Events that were not put
// there by this program are never touched. Each event written or deleted is remembered at
// once, so a sync that breaks off goes on where it stopped.
class CalendarSync : public QObject {
    Q_OBJECT
public:
    CalendarSync(TableStore& store, const CalendarContext& context, QObject* parent = nullptr);
    ~CalendarSync() override;

    DavClient& client() { return *m_client; }
    void start(const QUrl& url);

signals:
    void listed();
    void finished(const natalix::CalendarSyncOutcome& outcome);

private:
    void planned(const QUrl& base, const Multistatus& m);
    void next();
    void done(bool ok, const QString& error);
    QUrl resourceUrl(const QString& href) const;

    TableStore& m_store;
    CalendarContext m_context;
    DavClient* m_client;
    QUrl m_calendar;
    QString m_key; // the calendar URL as stored
    CalendarPlan m_plan;
    size_t m_putPos = 0, m_deletePos = 0;
    CalendarSyncOutcome m_outcome;
};

} // namespace natalix
