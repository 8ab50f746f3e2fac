// The yardstick of the start-up benchmark: a Qt widget program that shows
// one main window with a menu and a tool bar, probed as the program is.
#include "app/StartupProbe.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QToolBar>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    InstallStartupProbe();
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("&Soubor"))->addAction(QStringLiteral("&Konec"));
    window.addToolBar(QStringLiteral("Přístroje"))->addAction(QStringLiteral("Přidat přístroj"));
    window.resize(1024, 700);
    window.show();
    return QApplication::exec();
}
