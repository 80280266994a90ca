#pragma once

#include "contacts/contact.h"

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <vector>

namespace natalix {

// vCard 2.1, 3.0 and 4.0 (RFC 2426, RFC 6350): folded lines, parameters, QUOTED-PRINTABLE
// and CHARSET= in 2.1, UTF-8 otherwise. Only what a birthday list needs is kept.

// True when the bytes (after an optional byte order mark and blank lines) begin a vCard.
bool looksLikeVCard(QByteArrayView bytes);

// Every BEGIN:VCARD ... END:VCARD block in file order; a card without END is taken up to the
// end of the file. Properties other than UID, FN, N and BDAY are skipped.
std::vector<Contact> readVCards(QByteArrayView bytes);

// One card, as a CardDAV server hands it out; nothing when the bytes hold no card.
std::optional<Contact> readVCard(QByteArrayView bytes);

// The BDAY value with its parameters as written: "1980-03-07", "19800307", "--0307",
// "--03-07", a date with a time part (dropped); VALUE=text is never a date; Apple's
// X-APPLE-OMIT-YEAR=Y turns year Y into the unknown year 0.
ContactBirthday parseVCardBirthday(const QString& value, bool textValue, int omitYear);

} // namespace natalix
