// The floor of `tolm-cli flights`: the listing of a data tree alone (every raw
// file's header and date words read, nothing printed), in a process of its
// own so that /usr/bin/time measures it as it measures the command. Files
// cut short are told on standard error, as the command tells them.
// Usage: probe_listing DATA_ROOT

#include "flights/RawFileReader.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: probe_listing DATA_ROOT\n");
        return 2;
    }
    const RawFileScan scan = scanRawFiles(QString::fromLocal8Bit(argv[1]));
    std::printf("%lld flights, %lld truncated files\n", static_cast<long long>(scan.flights.size()),
                static_cast<long long>(scan.truncatedFiles.size()));
    return 0;
}
