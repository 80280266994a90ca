#include "sync/contactplan.h"

#include <algorithm>
#include <climits>
#include <map>

namespace natalix {

bool removalsNeedConfirmation(int removals, int linkedRecords) {
    return removals > 0 &&
           (removals >= linkedRecords || (linkedRecords >= 5 && 2 * removals > linkedRecords));
}

int linkedRecordCount(const ContactLinks& links, const std::vector<StoredRow>& rows) {
    std::set<qint64> present;
    for (const StoredRow& row : rows)
        present.insert(row.rowid);
    std::set<qint64> linked;
    for (const auto& [href, link] : links)
        if (link.record && present.count(link.record))
            linked.insert(link.record);
    return static_cast<int>(linked.size());
}

std::vector<QString> hrefsToFetch(const ContactLinks& links, const AddressBookState& state) {
    std::vector<QString> out;
    for (const RemoteContact& c : state.contacts) {
        if (c.removed)
            continue;
        const auto it = links.find(c.href);
        // Without an ETag nothing tells whether the contact changed.
        if (it == links.end() || c.etag.isEmpty() || it->second.etag != c.etag)
            out.push_back(c.href);
    }
    return out;
}

ContactPlan planContactSync(const ContactLinks& links, const std::vector<StoredRow>& rows,
                            const std::set<qint64>& linkedElsewhere, const AddressBookState& state,
                            const SameBirthday& same) {
    ContactPlan plan;
    plan.syncToken = state.syncToken;
    std::map<qint64, const Record*> byRowid;
    int highest = 0;
    for (const StoredRow& row : rows) {
        byRowid.emplace(row.rowid, &row.record);
        highest = std::max(highest, row.record.nummer);
    }
    auto linkedRecord = [&](const QString& href) -> qint64 {
        const auto it = links.find(href);
        return it != links.end() && byRowid.count(it->second.record) ? it->second.record : 0;
    };
    std::set<qint64> taken = linkedElsewhere; // records that belong to a contact already
    for (const auto& [href, link] : links)
        if (link.record)
            taken.insert(link.record);
    std::set<qint64> removed;
    auto remove = [&](qint64 rowid) {
        if (rowid && removed.insert(rowid).second)
            plan.removals.push_back(rowid);
    };

    // First what happens to records that are linked already, so that a record about to go
    // is never taken for a new contact's duplicate.
    std::set<QString> listed;
    std::vector<const RemoteContact*> unlinked;
    for (const RemoteContact& c : state.contacts) {
        listed.insert(c.href);
        const qint64 current = linkedRecord(c.href);
        if (c.removed) {
            remove(current);
            if (links.count(c.href))
                plan.linkRemovals.push_back(c.href);
            continue;
        }
        if (!c.reading)
            continue; // unchanged since the last sync
        const ContactReading& reading = *c.reading;
        if (!current) {
            unlinked.push_back(&c);
            continue;
        }
        if (!reading.record) {
            remove(current);
            plan.linkWrites.push_back({c.href, {reading.uid, c.etag, 0}, -1});
            ++plan.skipped;
            continue;
        }
        const Record& now = *byRowid.at(current);
        const Record& from = *reading.record;
        const bool dateChanged =
            now.jahr != from.jahr || now.monat != from.monat || now.tag != from.tag;
        if (dateChanged || now.name != from.name) {
            Record r = now;
            r.name = from.name;
            r.jahr = from.jahr;
            r.monat = from.monat;
            r.tag = from.tag;
            // A renamed friend is not reminded twice; a new date starts afresh.
            if (dateChanged)
                r.marker = {0, 0, 0};
            plan.updates.push_back({current, r, dateChanged});
        }
        plan.linkWrites.push_back({c.href, {reading.uid, c.etag, current}, -1});
    }
    if (state.complete) {
        for (const auto& [href, link] : links) {
            if (listed.count(href))
                continue;
            remove(linkedRecord(href));
            plan.linkRemovals.push_back(href);
        }
    }

    // New records are numbered in the order of their hrefs, whatever order the server used.
    std::sort(unlinked.begin(), unlinked.end(),
              [](const RemoteContact* a, const RemoteContact* b) { return a->href < b->href; });
    for (const RemoteContact* c : unlinked) {
        const ContactReading& reading = *c->reading;
        if (!reading.record) {
            plan.linkWrites.push_back({c->href, {reading.uid, c->etag, 0}, -1});
            ++plan.skipped;
            continue;
        }
        const Record& from = *reading.record;
        qint64 match = 0;
        bool duplicate = false;
        for (const StoredRow& row : rows) {
            if (removed.count(row.rowid) || !same(row.record, from))
                continue;
            duplicate = true;
            if (!taken.count(row.rowid)) {
                match = row.rowid;
                break;
            }
        }
        duplicate = duplicate || std::any_of(plan.adds.begin(), plan.adds.end(),
                                             [&](const Record& r) { return same(r, from); });
        if (match) {
            taken.insert(match);
            ++plan.linked;
            plan.linkWrites.push_back({c->href, {reading.uid, c->etag, match}, -1});
        } else if (duplicate || highest == INT_MAX) {
            // Known from now on, so that it is fetched again only when it changes.
            ++plan.skipped;
            plan.linkWrites.push_back({c->href, {reading.uid, c->etag, 0}, -1});
        } else {
            Record r = from;
            r.nummer = ++highest;
            plan.adds.push_back(r);
            plan.linkWrites.push_back(
                {c->href, {reading.uid, c->etag, 0}, static_cast<int>(plan.adds.size()) - 1});
        }
    }
    return plan;
}

} // namespace natalix
