#include "ui/widgets.h"

#include "options/options.h"
#include "reminder/remindercodes.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

namespace natalix {

QComboBox* makeListCombo(QWidget* parent, const char* name, const QStringList& items,
                         const QString& toolTip) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(false);
    box->addItems(items);
    box->setMaxVisibleItems(16);
    if (!toolTip.isEmpty())
        box->setToolTip(toolTip);
    return box;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    return l;
}

void showInList(QComboBox* box, const QString& value) {
    int i = box->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (i < 0) {
        // Only one extra entry at a time: the one shown before goes.
        const int extra = box->property("extraItem").toInt() - 1;
        if (extra >= 0 && extra < box->count())
            box->removeItem(extra);
        box->addItem(value);
        i = box->count() - 1;
        box->setProperty("extraItem", i + 1);
    }
    box->setCurrentIndex(i);
}

void ReminderSettingsFields::build(QGroupBox* frame, const QString& offsetTip,
                                   const QString& startTip, const QString& cycleTip) {
    lbl5 = makeLabel(frame, "lbl5", QStringLiteral("1. Erinnerung:"));
    cbo1Erinnerung = makeListCombo(frame, "cbo1Erinnerung", reminderOffsetTexts(), offsetTip);
    lbl6 = makeLabel(frame, "lbl6", QStringLiteral("2. Erinnerung:"));
    cbo2Erinnerung = makeListCombo(frame, "cbo2Erinnerung", reminderOffsetTexts(), offsetTip);
    lbl7 = makeLabel(frame, "lbl7", QStringLiteral("3. Erinnerung:"));
    cbo3Erinnerung = makeListCombo(frame, "cbo3Erinnerung", reminderOffsetTexts(), offsetTip);
    Label1 = makeLabel(frame, "Label1", QStringLiteral("Ab dem:"));
    cboErinnerungsbeginn =
        makeListCombo(frame, "cboErinnerungsbeginn", reminderStartTexts(), startTip);
    cboErinnerungszyklus =
        makeListCombo(frame, "cboErinnerungszyklus", reminderCycleTexts(), cycleTip);
    auto* grid = new QGridLayout(frame);
    grid->addWidget(lbl5, 0, 0);
    grid->addWidget(cbo1Erinnerung, 0, 1, 1, 2);
    grid->addWidget(lbl6, 1, 0);
    grid->addWidget(cbo2Erinnerung, 1, 1, 1, 2);
    grid->addWidget(lbl7, 2, 0);
    grid->addWidget(cbo3Erinnerung, 2, 1, 1, 2);
    grid->addWidget(Label1, 3, 0);
    grid->addWidget(cboErinnerungsbeginn, 3, 1);
    grid->addWidget(cboErinnerungszyklus, 3, 2);
}

void ReminderSettingsFields::preset(const Options& o) {
    showInList(cbo1Erinnerung, o.option1erinnerung);
    showInList(cbo2Erinnerung, o.option2erinnerung);
    showInList(cbo3Erinnerung, o.option3erinnerung);
    showInList(cboErinnerungsbeginn, o.optionabjahr);
    showInList(cboErinnerungszyklus, o.optionzyklus);
}

} // namespace natalix
