#pragma once
// Runs the window's modal dialogs for the figure run: each is shown without
// blocking and handed to the step the run set for its class, which fills it,
// grabs it and gives its result.

#include "ui/WidgetPrompts.h"

#include <QMap>
#include <QStringList>
#include <functional>

class FigureDialogs : public DialogRunner {
public:
    using Step = std::function<int(QDialog&)>;

    FigureDialogs() { installDialogRunner(this); }
    ~FigureDialogs() override { installDialogRunner(nullptr); }

    // The step for the next dialog of the class (its C++ class name).
    void expect(const QString& className, Step step) { steps_.insert(className, std::move(step)); }
    // Classes of dialogs that came without a step set for them.
    const QStringList& unexpected() const { return unexpected_; }
    // Classes whose step is still waiting for its dialog.
    QStringList pending() const { return steps_.keys(); }

    int exec(QDialog& dialog) override;

private:
    QMap<QString, Step> steps_;
    QStringList unexpected_;
};
