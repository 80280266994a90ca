#include "table/record.h"

namespace natalix {

namespace {
const std::array<QString, fieldCount>& names() {
    static const std::array<QString, fieldCount> n{QStringLiteral("Nummer"),
                                                   QStringLiteral("Name"),
                                                   QStringLiteral("Jahr"),
                                                   QStringLiteral("Monat"),
                                                   QStringLiteral("Tag"),
                                                   QStringLiteral("Erinnerung 1"),
                                                   QStringLiteral("Erinnerung 2"),
                                                   QStringLiteral("Erinnerung 3"),
                                                   QStringLiteral("Erinnerungsbeginn"),
                                                   QStringLiteral("Erinnerungszyklus"),
                                                   QStringLiteral("E1"),
                                                   QStringLiteral("E2"),
                                                   QStringLiteral("E3")};
    return n;
}
} // namespace

QString fieldName(Field f) {
    return names()[static_cast<int>(f)];
}

std::optional<Field> fieldByName(QStringView name) {
    for (int i = 0; i < fieldCount; ++i) {
        if (names()[i] == name)
            return static_cast<Field>(i);
    }
    return std::nullopt;
}

bool isWholeNumberField(Field f) {
    switch (f) {
    case Field::Nummer:
    case Field::Jahr:
    case Field::Monat:
    case Field::Tag:
    case Field::E1:
    case Field::E2:
    case Field::E3:
        return true;
    default:
        return false;
    }
}

int Record::wholeNumber(Field f) const {
    switch (f) {
    case Field::Nummer:
        return nummer;
    case Field::Jahr:
        return jahr;
    case Field::Monat:
        return monat;
    case Field::Tag:
        return tag;
    case Field::E1:
        return marker[0];
    case Field::E2:
        return marker[1];
    case Field::E3:
        return marker[2];
    default:
        return 0;
    }
}

void Record::setWholeNumber(Field f, int value) {
    switch (f) {
    case Field::Nummer:
        nummer = value;
        break;
    case Field::Jahr:
        jahr = value;
        break;
    case Field::Monat:
        monat = value;
        break;
    case Field::Tag:
        tag = value;
        break;
    case Field::E1:
        marker[0] = value;
        break;
    case Field::E2:
        marker[1] = value;
        break;
    case Field::E3:
        marker[2] = value;
        break;
    default:
        break;
    }
}

const QString& Record::text(Field f) const {
    switch (f) {
    case Field::Name:
        return name;
    case Field::Erinnerung1:
        return erinnerung[0];
    case Field::Erinnerung2:
        return erinnerung[1];
    case Field::Erinnerung3:
        return erinnerung[2];
    case Field::Erinnerungsbeginn:
        return erinnerungsbeginn;
    case Field::Erinnerungszyklus:
        return erinnerungszyklus;
    default: {
        static const QString empty;
        return empty;
    }
    }
}

void Record::setText(Field f, const QString& value) {
    switch (f) {
    case Field::Name:
        name = value;
        break;
    case Field::Erinnerung1:
        erinnerung[0] = value;
        break;
    case Field::Erinnerung2:
        erinnerung[1] = value;
        break;
    case Field::Erinnerung3:
        erinnerung[2] = value;
        break;
    case Field::Erinnerungsbeginn:
        erinnerungsbeginn = value;
        break;
    case Field::Erinnerungszyklus:
        erinnerungszyklus = value;
        break;
    default:
        break;
    }
}

QString Record::display(Field f) const {
    if (isWholeNumberField(f))
        return QString::number(wholeNumber(f));
    return text(f);
}

Record newRecord(int nummer, const ReminderDefaults& defaults) {
    Record r;
    r.nummer = nummer;
    r.name = QStringLiteral(" ");
    r.jahr = 1900;
    r.monat = 1;
    r.tag = 1;
    r.erinnerung = {defaults.erinnerung1, defaults.erinnerung2, defaults.erinnerung3};
    r.erinnerungsbeginn = defaults.abjahr;
    r.erinnerungszyklus = defaults.zyklus;
    return r;
}

Record sampleRecord(const ReminderDefaults& defaults) {
    Record r = newRecord(1, defaults);
    r.name = QStringLiteral("Zellwig (der Programmierer)");
    r.jahr = 1971;
    r.monat = 12;
    r.tag = 22;
    return r;
}

} // namespace natalix
