// The manual, the manual page and "natalix --help" name every menu item and every
// command-line mode: read from the real window's menus and the real parser, so that a new
// command fails here until it is written down.
#include "app/commandline.h"
#include "support/windowharness.h"

#include <QFile>
#include <QMenuBar>
#include <QRegularExpression>
#include <QtTest>

#include <set>

using namespace natalix;
using namespace natalix::test;

namespace {

QString sourceText(const char* path) {
    QFile f(QStringLiteral(NATALIX_TEST_SOURCES "/../") + QLatin1String(path));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

// What a reader sees (the manual writes its characters, not entities): no tags, blanks
// collapsed.
QString plain(QString html) {
    return html.remove(QRegularExpression(QStringLiteral("<[^>]*>"))).simplified();
}

// A menu item as the manual names it: "Geburtstagsliste neu (Strg+N)", its caption without
// the access key, its keys in German ("Ctrl++": only a "+" with a key after it joins two).
QString asInManual(const QAction* action) {
    const QString keys = action->shortcut()
                             .toString(QKeySequence::PortableText)
                             .replace(QRegularExpression(QStringLiteral(R"(\bCtrl\+)")), "Strg+")
                             .replace(QRegularExpression(QStringLiteral(R"(\bDel\b)")), "Entf");
    const QString caption = QString(action->text()).remove(u'&');
    return keys.isEmpty() ? caption : caption + QStringLiteral(" (%1)").arg(keys);
}

} // namespace

class TestManual : public QObject {
    Q_OBJECT

private slots:
    // Each menu's items, in the menu's order and with their keys, are the manual's list
    // under the menu's heading.
    void everyMenuItem() {
        const QString html = sourceText("html/dokumentation.htm");
        QVERIFY(!html.isEmpty());
        WindowHarness h;
        for (QAction* menu : h.window().menuBar()->actions()) {
            QStringList items, listed;
            for (const QAction* a : menu->menu()->actions())
                if (!a->isSeparator())
                    items << asInManual(a);
            const QRegularExpression section(
                QStringLiteral("<h2[^>]*>[^<]*Menü „%1“</h2>(.*?)<h2")
                    .arg(QRegularExpression::escape(menu->text().remove(u'&'))),
                QRegularExpression::DotMatchesEverythingOption);
            const QRegularExpression item(QStringLiteral("<dt>(.*?)</dt>"),
                                          QRegularExpression::DotMatchesEverythingOption);
            for (auto it = item.globalMatch(section.match(html).captured(1)); it.hasNext();)
                listed << plain(it.next().captured(1));
            QCOMPARE(listed, items);
        }
    }

    // Every option --help names is one the program takes and one the manual explains, and
    // every mode of the program has one.
    void everyMode() {
        const QString manual = plain(sourceText("html/dokumentation.htm"));
        const QString manPage = sourceText("packaging/natalix.1").remove(u'\\');
        std::set<CommandLine::Mode> modes;
        const QRegularExpression option(QStringLiteral(R"((?<![\w/-])(--[a-z][a-z-]*|/auto)\b)"));
        for (auto it = option.globalMatch(commandLineHelp()); it.hasNext();) {
            const QString name = it.next().captured(1);
            QVERIFY2(manual.contains(name) && manPage.contains(name), qPrintable(name));
            // A modifier is tried with the command it modifies.
            const CommandLine cl = parseCommandLine(name == u"--allow-removals"
                                                        ? QStringList{"--sync-contacts", "x", name}
                                                        : QStringList{name, QStringLiteral("x")});
            QVERIFY2(cl.mode != CommandLine::Mode::Invalid, qPrintable(name));
            modes.insert(cl.mode);
        }
        for (int m = 0; m < int(CommandLine::Mode::Invalid); ++m)
            QVERIFY2(modes.count(CommandLine::Mode(m)), qPrintable(QString::number(m)));
    }
};

QTEST_MAIN(TestManual)
#include "test_manual.moc"
