#include "cli/cli.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quellbit-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUELLBIT_VERSION));
    quellbit::CommandLine commandLine(stdout, stderr);
    return commandLine.run(QCoreApplication::arguments());
}
