#pragma once

#include "support/windowharness.h"
#include "table/gridselection.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

#include <optional>

namespace natalix::test {

// Focus events only reach the fields of an active window.
inline bool activate(FrmMain& window) {
    window.show();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

inline Record marked(Record r, int e1 = 2024, int e2 = 2024, int e3 = 2024) {
    r.marker = {e1, e2, e3};
    return r;
}

inline std::optional<Record> storedNumber(WindowHarness& h, int nummer) {
    for (const Record& r : h.storedRecords()) {
        if (r.nummer == nummer)
            return r;
    }
    return std::nullopt;
}

// Types text key by key, also characters beyond ASCII (as a keyboard layout would send them).
inline void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 128) {
            QTest::keyClick(w, c.toLatin1());
        } else {
            QTest::sendKeyEvent(QTest::Press, w, Qt::Key(c.toUpper().unicode()), QString(c),
                                Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, w, Qt::Key(c.toUpper().unicode()), QString(c),
                                Qt::NoModifier);
        }
    }
}

// Replaces the whole text of a date box by typing, as the user would.
inline void typeInto(QComboBox* box, const QString& text) {
    box->setFocus(Qt::TabFocusReason);
    box->lineEdit()->selectAll();
    if (text.isEmpty())
        QTest::keyClick(box, Qt::Key_Backspace);
    else
        QTest::keyClicks(box, text);
}

} // namespace natalix::test
