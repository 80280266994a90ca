#pragma once

#include "calendar/icalendar.h"
#include "sync/calendarplan.h"
#include "sync/davxml.h"

#include <QObject>
#include <QUrl>

namespace natalix {

class DavClient;
struct DavResponse;
class TableStore;

struct CalendarSyncOutcome {
    bool ok = false;
    QString message; // German summary, or what failed
    int created = 0, updated = 0, deleted = 0, unchanged = 0;
    int overwritten = 0; // events edited or deleted in the calendar, written back

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
// ones an update (If-Match with the ETag of its publication), removed ones lose theirs.
// Events that were not put there by this program are never touched. Every request is written
// down before it is sent and its answer at once, so a run that breaks off anywhere (killed,
// a reply lost) is settled by the next: the calendar then holds one event per record.
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
    void listedMembers(const QUrl& base, const Multistatus& m);
    void verifyNext();
    void plan();
    void next();
    void sendPut();
    void putAnswered(const DavResponse& r);
    void putConfirmed(const QByteArray& etag);
    void sendDelete();
    void deleteAnswered(const DavResponse& r);
    // A refusal of one event: the run goes on with the others. False: the run ends here.
    bool refused(const DavResponse& r, const QString& line);
    void done(bool ok, const QString& error);
    QUrl resourceUrl(const QString& href) const;

    TableStore& m_store;
    CalendarContext m_context;
    DavClient* m_client;
    QUrl m_calendar;
    QString m_key;                       // the calendar URL as stored
    std::map<QString, QString> m_server; // the calendar's members: decoded path -> ETag
    PendingEvents m_pending;
    std::vector<QString> m_verify;
    size_t m_verifyPos = 0;
    CalendarPlan m_plan;
    size_t m_putPos = 0, m_deletePos = 0;
    QStringList m_refusals;
    CalendarSyncOutcome m_outcome;
};

} // namespace natalix
