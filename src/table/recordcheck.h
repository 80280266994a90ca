#pragma once

#include "table/record.h"

#include <QString>
#include <QStringView>

namespace natalix {

// A record's name and date as the record check leaves them.
struct CheckedFields {
    QString name;
    int jahr = 0;
    int monat = 1;
    int tag = 1;
    bool operator==(const CheckedFields&) const = default;
};

// The record check, run before a record is left or stored: the fields as the edit and the
// date boxes hold them, each number cut to its box's width and pulled into range, the day
// fitted to the month, the name never empty and without blanks around it.
CheckedFields checkedFields(const QString& name, QStringView jahr, QStringView monat,
                            QStringView tag);

// The value a date box holds once the cursor leaves it: pulled into range, not cut; an empty
// or unreadable year box is the unknown year.
int leftDateBoxValue(Field field, QStringView text);

} // namespace natalix
