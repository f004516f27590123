#pragma once
// The commands of tolm-cli. Each takes the program name followed by its own
// arguments and returns the exit status, or ends by throwing cli::Exit.

#include <QStringList>

int runStatus(const QStringList& arguments);
int runDownload(const QStringList& arguments);
int runFlights(const QStringList& arguments);
int runIndex(const QStringList& arguments);
int runTrend(const QStringList& arguments);
int runFleet(const QStringList& arguments);
int runExport(const QStringList& arguments);
int runSpectrum(const QStringList& arguments);
int runUpload(const QStringList& arguments);
int runRepository(const QStringList& arguments);
int runSync(const QStringList& arguments);
int runFetch(const QStringList& arguments);
int runReport(const QStringList& arguments);
