#include "app/windowapp.h"

#include <QApplication>
#include <QMainWindow>

namespace natalix {

int runWindowApp(int argc, char* argv[], const CommandLine&) {
    QApplication app(argc, argv);
    QMainWindow w;
    w.setWindowTitle(QStringLiteral("Natalix"));
    w.resize(800, 600);
    w.show();
    return app.exec();
}

} // namespace natalix
