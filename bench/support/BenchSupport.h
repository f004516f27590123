#pragma once
// What the benchmark programs share: prompts that never block, and a console
// reporter that keeps the medians for the summary lines.

#include "core/Prompts.h"

namespace repository { class PgConnection; }

#include <QList>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <string>

// Answers every box with its default button and shows nothing. Every message
// is counted; critical boxes and warnings also count as failures.
class QuietPrompts : public HeadlessPrompts {
public:
    int messages = 0;
    int failures = 0;
    QString lastFailure;

    Button message(Kind kind, QObject*, const QString& title, const QString& text, Buttons,
                   Button defaultButton) override;
};

// A temporary home for one run: a folder removed with everything below it
// when it goes, the settings store inside it, and prompts that show nothing.
class BenchHome {
public:
    // False, said on standard error, when the folder could not be made.
    bool prepare(Prompts* prompts);
    QString path() const { return dir_.path(); }
    QString dataRoot() const { return dir_.path() + QLatin1String("/Mirvak"); }

private:
    QTemporaryDir dir_;
};

// Shows the runs as usual and keeps the medians of each benchmark, in seconds,
// under its name and its arguments ("BM_Name" or "BM_Name/arg:1").
class MedianKeeper : public benchmark::ConsoleReporter {
public:
    struct Median {
        double real = 0.0;
        double cpu = 0.0;
    };
    std::map<std::string, Median> medians;

    MedianKeeper();
    void ReportRuns(const std::vector<Run>& reports) override;
};

// The middle of the values (the upper one of an even count).
double medianOf(QList<double> values);

// Runs this program again under a throw-away PostgreSQL (pg_virtualenv) unless
// it already runs under one (PGHOST set); returns only in that case.
void runUnderThrowawayServer(int argc, char* argv[]);

// Fills a migrated repository with 1 000 000 generated flights of 5000 engines
// (ten downloads each), then prints the time it took and the database's size.
// False, said on standard error, when a statement failed.
bool fillGeneratedFleet(repository::PgConnection& connection);
// Opens the throw-away server's database, migrates it and fills it unless the
// command line says --filled (a repository filled by an earlier run).
// False, said on standard error, when it failed.
bool openGeneratedFleet(repository::PgConnection& connection);
