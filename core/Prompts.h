#pragma once
// Every message box, question, text input and file chooser goes through this
// one interface, so that the same logic runs under the window, on a command
// line and in tests, which script the answers and check the exact titles and
// texts. It names no widget: the owner of a prompt is an opaque object (the
// window it belongs to, when there is one).

#include <QObject>
#include <QString>
#include <optional>

class Prompts {
    Q_GADGET
public:
    enum class Kind { Critical, Warning, Information, Question };
    // The values match the toolkit's standard buttons, so a widget front end maps them 1:1.
    enum Button { NoButton = 0, Ok = 0x00000400, Yes = 0x00004000, No = 0x00010000, Cancel = 0x00400000 };
    Q_ENUM(Button)
    Q_DECLARE_FLAGS(Buttons, Button)
    enum class Echo { Normal, Password };

    virtual ~Prompts() = default;

    virtual Button message(Kind kind, QObject* owner, const QString& title, const QString& text, Buttons buttons,
                           Button defaultButton) = 0;
    // Empty optional when the technician cancels.
    virtual std::optional<QString> textInput(QObject* owner, const QString& title, const QString& label,
                                             Echo echo, const QString& text) = 0;
    virtual QString openFileName(QObject* owner, const QString& caption, const QString& dir,
                                 const QString& filter) = 0;
    virtual QString saveFileName(QObject* owner, const QString& caption, const QString& dir,
                                 const QString& filter) = 0;
    // The chosen name and the filter it was chosen with ("" when cancelled).
    // Without a front end that shows filters: the first of `filters`.
    struct SaveChoice {
        QString fileName;
        QString filter;
    };
    virtual SaveChoice saveFileNameAndFilter(QObject* owner, const QString& caption, const QString& dir,
                                             const QString& filters);
    // Directories only; symbolic links are not resolved.
    virtual QString existingDirectory(QObject* owner, const QString& caption, const QString& dir) = 0;
    // A modeless note without icon or buttons ("Please wait..."), shown until closed.
    virtual void showNote(QObject* owner, const QString& title, const QString& text) = 0;
    virtual void closeNote() = 0;

    // Shorthands for the common boxes with a single OK button.
    void critical(QObject* owner, const QString& title, const QString& text);
    void warning(QObject* owner, const QString& title, const QString& text);
    void information(QObject* owner, const QString& title, const QString& text);
    Button question(QObject* owner, const QString& title, const QString& text, Buttons buttons,
                    Button defaultButton);
};
Q_DECLARE_OPERATORS_FOR_FLAGS(Prompts::Buttons)

// Prompts of a program without a window: every message goes to the debug
// output, every question takes its default answer, nothing is chosen or typed.
class HeadlessPrompts : public Prompts {
public:
    Button message(Kind kind, QObject* owner, const QString& title, const QString& text, Buttons buttons,
                   Button defaultButton) override;
    std::optional<QString> textInput(QObject*, const QString&, const QString&, Echo, const QString&) override
    {
        return std::nullopt;
    }
    QString openFileName(QObject*, const QString&, const QString&, const QString&) override { return {}; }
    QString saveFileName(QObject*, const QString&, const QString&, const QString&) override { return {}; }
    QString existingDirectory(QObject*, const QString&, const QString&) override { return {}; }
    void showNote(QObject*, const QString&, const QString&) override {}
    void closeNote() override {}
};

// The prompts in use: those installed by the front end (the window's, the
// command line's, a test's). Without any, every message is written to the
// debug output and every question takes its default answer.
Prompts& prompts();
// Installs replacement prompts (not owned); nullptr restores the default ones.
void installPrompts(Prompts* replacement);
