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

struct CalendarPlan {
    struct Put {
        DesiredEvent event;
        QByteArray ifMatch; // empty: a new resource (If-None-Match: *)
        bool update = false;
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
// (`server`: decoded path -> ETag). Only published events are ever changed or deleted; an
// event changed or removed on the server by someone else is written again.
CalendarPlan planCalendarSync(const std::vector<DesiredEvent>& desired,
                              const PublishedEvents& published,
                              const std::map<QString, QString>& server);

} // namespace natalix
