#pragma once

#include "sync/linkstore.h"

#include <QByteArray>
#include <QString>

#include <map>
#include <vector>

namespace natalix {

// The event a record should have in the calendar. `href` is the decoded path of its resource.
struct DesiredEvent {
    QString href;
    QString uid;
    QByteArray ics;
    QString digest;
};

// The resource name of an event: its UID, made safe for a path, with ".ics".
QString eventResourceName(const QString& uid);

// The UID of the first component of an iCalendar object; empty when it has none.
QString calendarObjectUid(const QByteArray& ics);

struct CalendarPlan {
    struct Put {
        DesiredEvent event;
        QByteArray ifMatch; // empty: a new resource (If-None-Match: *)
        bool update = false;
        bool overwrite = false; // puts back an event that was edited or deleted in the calendar
    };
    struct Delete {
        QString href;
        QByteArray etag;
    };
    std::vector<Put> puts;
    std::vector<Delete> deletes;
    std::vector<QString> forget;           // published once, gone from the server and from the list
    std::map<QString, QString> learnEtags; // unchanged events whose ETag was not known yet
    std::vector<QString> foreign;          // the name is taken by an event not made here
    int unchanged = 0;
};

// Compares the list's events with what was published and with the calendar's members
// (`server`: decoded path -> ETag). Only published events are ever changed or deleted. The
// list owns its events: one edited or deleted in the calendar since its publication (its ETag
// is not the one stored then) is written again, as an overwrite the user is told of.
CalendarPlan planCalendarSync(const std::vector<DesiredEvent>& desired,
                              const PublishedEvents& published,
                              const std::map<QString, QString>& server);

// What the calendar's members say of a request that was sent but never confirmed.
enum class PendingFate {
    NotArrived, // nothing to settle: plan as if it had never been sent
    Done,       // a DELETE that the server carried out
    Verify,     // a PUT whose resource changed: ours if it carries our UID
};
PendingFate settlePending(const PendingEvent& pending, const PublishedEvent* published,
                          const QString* serverEtag);

} // namespace natalix
