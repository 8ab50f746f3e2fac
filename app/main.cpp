#include "app/Families.h"
#include "app/SignalExit.h"
#include "app/StartupProbe.h"
#include "platform/ui/ProgramFonts.h"
#include "shell/MavexApp.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("ZRT Systems"));
    QApplication::setApplicationName(QStringLiteral("qorin01"));
    ui::UseProgramFonts();

    CMavexApp app;
    CSignalExit signalExit(ExitOnSignal(app));
    InstallStartupProbe();
    app.SetFamilies(CFamilyList(ProgramFamilies()));
    if (!app.InitInstance(QApplication::arguments()))
        return 0;
    const int code = QApplication::exec();
    app.ExitInstance();
    return code;
}
