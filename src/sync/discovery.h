#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <functional>

namespace natalix {

class DavClient;

struct DiscoveredBooks {
    QUrl book;         // the address book to sync
    QList<QUrl> other; // further address books found beside it, not synced
    QString error;     // German; empty on success
};

// From an address book itself or from a server root: the root's (or /.well-known/carddav's)
// current-user-principal, its addressbook-home-set and the address books in that home.
// Several: the first by href is taken, the others are named.
void discoverAddressBook(DavClient& client, const QUrl& start,
                         std::function<void(const DiscoveredBooks&)> done);

} // namespace natalix
