#pragma once
// Everything a figure run needs and nothing of the user's: a settings store
// and data directory in a temporary folder, the clock fixed, one style, font
// and palette, and a simulated unit in this process on 127.0.0.1 whose
// engine's vibration creeps up from one download to the next.

#include <QString>
#include <QTemporaryDir>
#include <memory>

class Server;

class FigureWorld {
public:
    // Call after the application object exists and before anything reads the settings.
    FigureWorld();
    ~FigureWorld();

    // Empty when the world is ready; otherwise why not.
    QString failure() const { return failure_; }
    QString path() const { return dir_.path(); }
    QString dataRoot() const;

private:
    void fixLooks();
    void seedSettings();
    void startUnit();

    QTemporaryDir dir_;
    std::unique_ptr<Server> unit_;
    QString failure_;
};
