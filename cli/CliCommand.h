#pragma once
// What every command of tolm-cli shares, so that each follows the same rules:
// its exit statuses, its parser with --help (naming "tolm-cli", never the
// path it was started by) and the run-only options (--data-dir, --address,
// --port), enumerations matched whatever their case, a read-only command that
// never creates the data tree it reads, the data tree and database as the
// window opens them, and waiting on the event loop. CliJson holds the rules of
// JSON output, CliConsole those of standard error, CliInterrupt those of Ctrl+C.

#include "flights/FlightRecord.h"

#include <QCommandLineParser>
#include <QString>
#include <functional>

namespace cli {

enum ExitStatus {
    Success = 0,
    StepFailed = 1,  // a step failed; its message was printed
    BadInput = 2,    // bad arguments, input the station's rules refuse, or a question declined for want of its flag
    Interrupted = 130,  // Ctrl+C cancelled the job (128 + SIGINT, as a shell reports it)
};

// Thrown to end a command: the status, and a message for standard error
// (none when the reason was already told).
struct Exit {
    int status;
    QString message;
};

class CommandLine {
public:
    // A command that reads the data tree needs it to exist and creates
    // nothing there, settings included; one that reaches the unit may create
    // it; one that reaches only the fleet repository needs no tree; one that
    // reads either (it takes --repository) needs the tree only without it.
    enum Reach { ReadsData, ReachesUnit, ReachesRepository, ReadsDataOrRepository };

    // command: its name ("download"). Every command takes --data-dir; one
    // that reaches the unit also --address and --port. The help ends with
    // the examples, one command line each.
    CommandLine(const QString& command, const QString& description, Reach reach, const QStringList& examples);

    QCommandLineParser& parser() { return parser_; }
    void add(const QCommandLineOption& option) { parser_.addOption(option); }

    // Parses the program name and the command's arguments and applies the
    // run-only options. --help prints the help and ends with Success; a bad
    // argument ends with BadInput; a missing data tree ends a reading command
    // with StepFailed.
    void parse(const QStringList& arguments);

    bool isSet(const QString& name) const { return parser_.isSet(name); }
    QString value(const QString& name) const { return parser_.value(name); }
    QStringList positional() const { return parser_.positionalArguments(); }
    // The option's value as a whole number within [min, max]; ends with BadInput otherwise.
    int number(const QString& name, int min, int max) const;
    // The option's value among the choices, in any case; its index.
    int choice(const QString& name, const QStringList& choices) const;
    // The option's comma-separated values among the choices, in any case; their indices.
    QList<int> choiceList(const QString& name, const QStringList& choices) const;

private:
    void applyRunOptions() const;
    void printHelp() const;

    QString command_;
    Reach reach_;
    QStringList examples_;
    QCommandLineParser parser_;
};

// Ends with BadInput and the message unless the condition holds.
void require(bool condition, const QString& message);
// Ends with BadInput when the command stopped because a question was answered
// No for want of its flag, naming the flag; notDone says what was not done.
void endIfDeclined(const QString& notDone);

// The flight a RAW:FLIGHT or RAW@SLOT argument names. Ends with StepFailed
// when its raw file cannot be read or is refused, with BadInput when the
// argument names no flight of it.
std::shared_ptr<const FlightRecord> flightNamed(const QString& reference);

// The data tree as the window checks it at start-up (answers from the unit
// pass through its tmp directory); ends with StepFailed when it cannot be used.
void openDataTree();
// The data tree and the database as the window opens them at start-up.
void openStation();

// Processes events until done() holds or timeoutMs passes (negative: no
// limit); returns done().
bool waitUntil(const std::function<bool()>& done, int timeoutMs = -1);

// A line on standard output.
void printLine(const QString& text);

}  // namespace cli
