#include "tools/archivetool/ArchiveTool.h"

#include <QCoreApplication>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    return archivetool::Run(QCoreApplication::arguments().mid(1), out, err);
}
