#include "ui/AcIdInputDialog.h"

#include "core/AircraftInfo.h"
#include "ui/WidgetPrompts.h"
#include "core/Prompts.h"
#include "core/Registration.h"
#include "ui_AcIdInputDialog.h"

#include <QPushButton>

AcIdInputDialog::AcIdInputDialog(QWidget* parent, Qt::WindowFlags flags)
    : QDialog(parent, flags), ui_(std::make_unique<Ui::AcIdInputDialogClass>())
{
    ui_->setupUi(this);
    connect(ui_->buttonBox, &QDialogButtonBox::accepted, this, &AcIdInputDialog::accept);
    connect(ui_->buttonBox, &QDialogButtonBox::helpRequested, this, &AcIdInputDialog::help);
}

AcIdInputDialog::~AcIdInputDialog() = default;

QLineEdit* AcIdInputDialog::lineEdit() const { return ui_->lineEdit; }

QString AcIdInputDialog::getRegistration(QWidget* parent, const QString& title, const QString& prompt,
                                         QLineEdit::EchoMode echo, const QString& text,
                                         bool* accepted, Qt::WindowFlags flags)
{
    AcIdInputDialog dialog(parent, flags);
    dialog.setWindowTitle(title);
    dialog.ui_->label->setText(prompt);
    dialog.ui_->lineEdit->setEchoMode(echo);
    dialog.ui_->lineEdit->setText(text);
    dialog.ui_->lineEdit->setFocus();
    dialog.ui_->lineEdit->selectAll();
    const bool ok = runDialog(dialog) == QDialog::Accepted;
    if (accepted)
        *accepted = ok;
    return ok ? dialog.ui_->lineEdit->text() : QString();
}

namespace {

// Why a registration cannot be taken: malformed, or too long for its field. Empty when it can.
QString refusalOf(const QString& registration)
{
    if (const QString problem = registrationProblem(registration); !problem.isEmpty())
        return invalidRegistrationMessage(problem);
    return fieldTextProblem(QStringLiteral("registration"), registration, sizeof(AircraftInfo::registration));
}

}  // namespace

void AcIdInputDialog::accept()
{
    if (const QString refusal = refusalOf(ui_->lineEdit->text()); !refusal.isEmpty()) {
        prompts().warning(this, QStringLiteral("Error"), refusal);
        return;
    }
    QDialog::accept();
}

void AcIdInputDialog::help()
{
    prompts().information(this, QString(),
                          QStringLiteral("A valid aircraft registration number is one that:\n- does not "
                                         "contain any white space character\n- does not start/end with "
                                         "a '-' character\n\n"));
}
