#pragma once

#include <QObject>
#include <QString>

namespace natalix {

struct CommandContext;

// "&Wochentag ausgeben": the weekday of the current record's birth date.
class WeekdayCommand : public QObject {
    Q_OBJECT
public:
    WeekdayCommand(const CommandContext& context, QObject* parent);
    void mnuWochentagausgeben_Click();

private:
    const CommandContext& m_ctx;
};

} // namespace natalix
