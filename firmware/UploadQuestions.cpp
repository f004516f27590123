#include "firmware/UploadQuestions.h"

#include "core/AppIdentity.h"

#include <QRegularExpression>

namespace {

struct FileKind {
    const char* filterName;
    const char* pattern;
    const char* description;  // for the question on a file name that does not match
};

const FileKind kFileKinds[] = {
    {"Main Processor SW Files", "614_205*.dat", "a main processor software file"},
    {"DSP SW Files", "614_207*.dat", "a DSP software file"},
    {"DSP Configuration Tables", "614_208*.dat", "a DSP configuration table"},
};

bool matchesPattern(const QString& fileName, const FileKind& kind)
{
    const QRegularExpression pattern(QRegularExpression::wildcardToRegularExpression(QLatin1String(kind.pattern)),
                                     QRegularExpression::CaseInsensitiveOption);
    return pattern.match(fileName).hasMatch();
}

UploadQuestion fileNameQuestion(const FileKind& kind)
{
    return {Prompts::Kind::Question, app::kShortTitle,
            QStringLiteral("The file name does not look like %1 (%2). Upload it anyway?")
                .arg(QLatin1String(kind.description), QLatin1String(kind.pattern))};
}

UploadQuestion warning(const QString& text) { return {Prompts::Kind::Warning, QStringLiteral("Warning"), text}; }

}  // namespace

QString uploadModeRefusal(FirmwareUpload::Kind kind, const PartNumberRecord& unit)
{
    const bool uploadMode = unitInUploadMode(unit);
    if (uploadMode && kind != FirmwareUpload::MainSoftware)
        return QStringLiteral("The unit runs its main-software upload mode: only main software can be uploaded.");
    if (!uploadMode && kind == FirmwareUpload::MainSoftware)
        return QStringLiteral("The unit runs its normal software: main software can be uploaded only in its upload "
                              "mode.");
    return {};
}

QString updateFileFilter(FirmwareUpload::Kind kind)
{
    const FileKind& fileKind = kFileKinds[kind];
    return QStringLiteral("%1 (%2)").arg(QLatin1String(fileKind.filterName), QLatin1String(fileKind.pattern));
}

QList<UploadQuestion> uploadQuestions(FirmwareUpload::Kind kind, const QString& fileName,
                                      const PartNumberRecord& unit)
{
    QList<UploadQuestion> questions;
    if (!matchesPattern(fileName, kFileKinds[kind]))
        questions << fileNameQuestion(kFileKinds[kind]);
    switch (kind) {
    case FirmwareUpload::MainSoftware:
        break;
    case FirmwareUpload::DspSoftware:
        if (!partNumbersCompatible(fileName, fieldText(unit.dspConfigTablePartNumber)))
            questions << warning(QStringLiteral(
                "The DSP SW you are about to upload is not compatible with the Configuration Table currently "
                "loaded in the Korvel.\n\nAfter this operation, you shall imperatively load a compatible "
                "Configuration Table version.\n\nDo you want to continue?"));
        break;
    case FirmwareUpload::DspConfigTable:
        if (!partNumbersCompatible(fileName, fieldText(unit.dspProgPartNumber)))
            questions << warning(QStringLiteral(
                "The Configuration Table you are about to upload is not compatible with the DSP software "
                "currently loaded in the Korvel.\n\nAfter this operation, you shall imperatively load a "
                "compatible DSP software version.\n\nDo you want to continue?"));
        questions << warning(kTableEraseQuestion);
        break;
    }
    return questions;
}

bool askUploadQuestions(QObject* owner, const QList<UploadQuestion>& questions, const std::function<bool()>& stopped)
{
    for (const UploadQuestion& question : questions) {
        const Prompts::Button answer = prompts().message(question.kind, owner, question.title, question.text,
                                                         Prompts::Yes | Prompts::No, Prompts::No);
        if (answer != Prompts::Yes || (stopped && stopped()))
            return false;
    }
    return true;
}
