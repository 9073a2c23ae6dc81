#include "cli/cli.h"

#include <QCoreApplication>
#include <cstdio>

#ifdef __GLIBC__
#include <malloc.h>
#endif

int main(int argc, char **argv)
{
#ifdef __GLIBC__
    // Each picture briefly needs a 120 KB colour copy. Without this, freeing it
    // hands the memory back to the system and the next picture asks again:
    // two system calls and a TLB flush per picture in a long batch.
    mallopt(M_TRIM_THRESHOLD, 4 * 1024 * 1024);
#endif
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quellbit-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUELLBIT_VERSION));
    quellbit::CommandLine commandLine(stdout, stderr);
    return commandLine.run(QCoreApplication::arguments());
}
