#include "cli/cli.h"
#include "common/output_file.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char **argv)
{
    quellbit::guardTemporaryFiles();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quellbit-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUELLBIT_VERSION));
    quellbit::CommandLine commandLine(stdout, stderr);
    return commandLine.run(QCoreApplication::arguments());
}
