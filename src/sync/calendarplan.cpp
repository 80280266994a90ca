#include "sync/calendarplan.h"

#include <QUrl>

#include <set>

namespace natalix {

QString eventResourceName(const QString& uid) {
    return QString::fromLatin1(QUrl::toPercentEncoding(uid, "@")) + QStringLiteral(".ics");
}

QString calendarObjectUid(const QByteArray& ics) {
    // Unfolded, a content line "UID:..." or "UID;param=...:...".
    QByteArray text = ics;
    text.replace("\r\n ", "").replace("\r\n\t", "").replace("\n ", "").replace("\n\t", "");
    for (QByteArray line : text.split('\n')) {
        line = line.trimmed();
        if (!line.toUpper().startsWith("UID") || line.size() < 4 ||
            (line[3] != ':' && line[3] != ';'))
            continue;
        const qsizetype colon = line.indexOf(':');
        return colon < 0 ? QString() : QString::fromUtf8(line.mid(colon + 1));
    }
    return {};
}

CalendarPlan planCalendarSync(const std::vector<DesiredEvent>& desired,
                              const PublishedEvents& published,
                              const std::map<QString, QString>& server) {
    CalendarPlan plan;
    std::set<QString> wanted;
    for (const DesiredEvent& d : desired) {
        if (!wanted.insert(d.href).second)
            continue; // two records with one number: the first one has the event
        const auto p = published.find(d.href);
        const auto s = server.find(d.href);
        if (p == published.end()) {
            if (s != server.end())
                plan.foreign.push_back(d.href);
            else
                plan.puts.push_back({d, {}, false, false});
        } else if (s == server.end()) {
            plan.puts.push_back({d, {}, false, true}); // deleted in the calendar
        } else if (p->second.etag.isEmpty()) {
            // Published before ETags were kept: what the server has now is ours.
            if (p->second.digest == d.digest) {
                ++plan.unchanged;
                plan.learnEtags.emplace(d.href, s->second);
            } else {
                plan.puts.push_back({d, s->second.toUtf8(), true, false});
            }
        } else if (p->second.etag != s->second) {
            plan.puts.push_back({d, s->second.toUtf8(), true, true}); // edited in the calendar
        } else if (p->second.digest != d.digest) {
            plan.puts.push_back({d, p->second.etag.toUtf8(), true, false});
        } else {
            ++plan.unchanged;
        }
    }
    for (const auto& [href, event] : published) {
        if (wanted.count(href))
            continue;
        const auto s = server.find(href);
        if (s == server.end())
            plan.forget.push_back(href);
        else
            plan.deletes.push_back({href, s->second.toUtf8()});
    }
    return plan;
}

PendingFate settlePending(const PendingEvent& pending, const PublishedEvent* published,
                          const QString* serverEtag) {
    if (pending.action == PendingEvent::Action::Delete)
        return serverEtag ? PendingFate::NotArrived : PendingFate::Done;
    if (!serverEtag || (published && published->etag == *serverEtag))
        return PendingFate::NotArrived;
    return PendingFate::Verify;
}

} // namespace natalix
