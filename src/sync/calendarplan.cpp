#include "sync/calendarplan.h"

#include <QUrl>

#include <set>

namespace natalix {

QString eventResourceName(const QString& uid) {
    return QString::fromLatin1(QUrl::toPercentEncoding(uid, "@")) + QStringLiteral(".ics");
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
                plan.puts.push_back({d, {}, false});
        } else if (s == server.end()) {
            plan.puts.push_back({d, {}, false});
        } else if (p->second.digest == d.digest &&
                   (p->second.etag == s->second || p->second.etag.isEmpty())) {
            ++plan.unchanged;
            if (p->second.etag.isEmpty())
                plan.learnEtags.emplace(d.href, s->second);
        } else {
            plan.puts.push_back({d, s->second.toUtf8(), true});
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

} // namespace natalix
