#pragma once

#include "sync/linkstore.h"
#include "table/record.h"
#include "table/tablestore.h"

#include <QString>

#include <functional>
#include <optional>
#include <set>
#include <vector>

namespace natalix {

// What one contact contributes, read by the rules of the contacts import.
struct ContactReading {
    QString uid;
    std::optional<Record> record; // name and date filled in; none: no readable birthday
};

// One member of the address book as the server reported it.
struct RemoteContact {
    QString href;
    QString etag;
    bool removed = false;                  // gone from the server (or lost its data)
    std::optional<ContactReading> reading; // set for every contact that was fetched
};

struct AddressBookState {
    QString addressBook;   // collection URL, the key of its links
    bool complete = false; // every member listed; otherwise only the changes since the token
    std::vector<RemoteContact> contacts;
    QString syncToken; // to store for the next delta, empty when the server has none
};

// The import's duplicate rule: the same person with the same birthday.
using SameBirthday = std::function<bool(const Record& inList, const Record& fromContact)>;

struct ContactPlan {
    struct Update {
        qint64 rowid = 0;
        Record record;
        bool dateChanged = false;
    };
    struct LinkWrite {
        QString href;
        ContactLink link; // link.record 0 with addIndex >= 0: the rowid of that add
        int addIndex = -1;
    };
    std::vector<Record> adds;
    std::vector<Update> updates;
    std::vector<qint64> removals;
    std::vector<LinkWrite> linkWrites;
    std::vector<QString> linkRemovals;
    QString syncToken;
    int linked = 0;  // existing records that were linked to a contact
    int skipped = 0; // contacts changed or new without a record: no birthday, or a duplicate

    bool changesList() const { return !adds.empty() || !updates.empty() || !removals.empty(); }
};

// A sync that would remove every record linked to the address book, or more than half of at
// least five, waits for the user's word: an emptied or replaced address book looks just so.
bool removalsNeedConfirmation(int removals, int linkedRecords);
// Records of the list that are linked to a contact of this address book.
int linkedRecordCount(const ContactLinks& links, const std::vector<StoredRow>& rows);

// Which contacts the server must still send: those new or with another ETag than last time.
std::vector<QString> hrefsToFetch(const ContactLinks& links, const AddressBookState& state);

// The changes that bring the list in line with the address book. Only records linked to this
// address book are changed or removed; `linkedElsewhere` are records linked to another one.
// New records are numbered from the highest number in `rows` on.
ContactPlan planContactSync(const ContactLinks& links, const std::vector<StoredRow>& rows,
                            const std::set<qint64>& linkedElsewhere, const AddressBookState& state,
                            const SameBirthday& same);

} // namespace natalix
