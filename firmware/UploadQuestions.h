#pragma once
// What the technician is asked before an upload starts, decided from the
// chosen file's name and the part numbers the unit reported. The questions
// are asked in order with Yes and No, No the default; any answer but Yes
// stops the upload before anything is sent.

#include "core/Prompts.h"
#include "firmware/FirmwareUpload.h"

#include <QList>
#include <functional>

struct UploadQuestion {
    Prompts::Kind kind;
    QString title;
    QString text;
};

// The last question before a configuration table: the erase that follows it.
inline const QString kTableEraseQuestion = QStringLiteral("The Tessel memory will be erased. Do you want to continue?");

// Why the unit cannot take this kind in the mode it runs, empty when it can:
// main software only in its main-software upload mode, DSP software and the
// configuration table only in its normal software.
QString uploadModeRefusal(FirmwareUpload::Kind kind, const PartNumberRecord& unit);

// The file chooser's filter for a kind: "DSP SW Files (614_207*.dat)".
QString updateFileFilter(FirmwareUpload::Kind kind);

// The questions before uploading the file named fileName (without directory)
// into a unit with these part numbers: a name that does not look like the
// kind's files, a file not compatible with the software or table the unit
// keeps, and the erase that follows a configuration table.
QList<UploadQuestion> uploadQuestions(FirmwareUpload::Kind kind, const QString& fileName,
                                      const PartNumberRecord& unit);

// Asks the questions in order, as warnings or questions with Yes and No, No
// the default. False as soon as one is not answered Yes, or stopped() holds
// once one is answered.
bool askUploadQuestions(QObject* owner, const QList<UploadQuestion>& questions,
                        const std::function<bool()>& stopped = {});
