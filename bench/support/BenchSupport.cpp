#include "BenchSupport.h"

#include <QSettings>
#include <algorithm>
#include <cstdlib>
#include <vector>
#include <cstdio>
#include <unistd.h>

Prompts::Button QuietPrompts::message(Kind kind, QObject*, const QString& title, const QString& text, Buttons,
                                      Button defaultButton)
{
    ++messages;
    if (kind == Kind::Critical || kind == Kind::Warning) {
        ++failures;
        lastFailure = title + QLatin1String(": ") + text;
        std::fprintf(stderr, "message: %s\n", qPrintable(lastFailure));
    }
    return defaultButton == NoButton ? Ok : defaultButton;
}

bool BenchHome::prepare(Prompts* prompts)
{
    if (!dir_.isValid()) {
        std::fprintf(stderr, "cannot create a temporary directory\n");
        return false;
    }
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path() + QLatin1String("/settings"));
    installPrompts(prompts);
    return true;
}

MedianKeeper::MedianKeeper() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

void MedianKeeper::ReportRuns(const std::vector<Run>& reports)
{
    for (const Run& run : reports) {
        if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median" || run.error_occurred)
            continue;
        const double unit = benchmark::GetTimeUnitMultiplier(run.time_unit);
        const std::string name = run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
        medians[name] = {run.GetAdjustedRealTime() / unit, run.GetAdjustedCPUTime() / unit};
    }
    ConsoleReporter::ReportRuns(reports);
}

double medianOf(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void runUnderThrowawayServer(int argc, char* argv[])
{
    if (!qEnvironmentVariableIsEmpty("PGHOST"))
        return;
    std::vector<char*> arguments{const_cast<char*>("pg_virtualenv")};
    arguments.insert(arguments.end(), argv, argv + argc);
    arguments.push_back(nullptr);
    execvp("pg_virtualenv", arguments.data());
    std::perror("pg_virtualenv");
    std::exit(1);
}
