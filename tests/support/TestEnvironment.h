#pragma once
// A private world for one test program: settings store and data directory in a
// temporary folder, the unit address pointed at 127.0.0.1, and scripted prompts.

#include "ScriptedPrompts.h"

#include <QString>
#include <QTemporaryDir>

class TestEnvironment {
public:
    // Call before anything reads the settings (for example in initTestCase()).
    TestEnvironment();
    virtual ~TestEnvironment();

    QString path() const { return dir_.path(); }
    QString dataDir() const { return dir_.path() + QStringLiteral("/data"); }
    QString dataRoot() const { return dataDir() + QStringLiteral("/Mirvak"); }
    ScriptedPrompts& prompts() { return prompts_; }
    // Forgets what the prompts recorded and the answers still queued.
    virtual void clearPrompts() { prompts_.clear(); }

    // Empties the settings store and seeds the loopback address again.
    void resetSettings();

private:
    QTemporaryDir dir_;
    ScriptedPrompts prompts_;
};
