#include "cli/CliUnit.h"

#include "cli/CliCommand.h"
#include "core/MessageText.h"

#include <QTcpSocket>

namespace {

// A unit on the station's network answers a connection at once; this leaves
// room for a busy one. With the part-number answer's own limit a command knows
// within 15 s whether the unit is there.
constexpr int kConnectLimitMs = 5000;

}  // namespace

CliUnit::CliUnit() : link_(nullptr)
{
    QObject::connect(&link_, &LinkClient::linkStatusChanged, [this](const QString& text) { lastStatus_ = text; });
    QObject::connect(&link_, &LinkClient::partNumbersReceived, [this] { identified_ = true; });
    // Disabled commands mean the connection failed or the answer could not be decoded.
    QObject::connect(&link_, &LinkClient::unitCommandsEnabled, [this](bool enabled) { failed_ = !enabled; });
    // The window tries again; a command gives up at the first refused answer and says why.
    QObject::connect(&link_, &LinkClient::partNumbersFailed, [this](const QString& reason) {
        failed_ = true;
        failure_ = reason;
    });
}

QString CliUnit::endpoint() const
{
    return messageText(link_.currentAddress()) + QLatin1Char(':') + QString::number(link_.currentPort());
}

void CliUnit::identify()
{
    link_.connectToUnit();
    const int limit = kConnectLimitMs + LinkClient::timing().partNumberAnswerMs;
    cli::waitUntil([this] { return identified_ || failed_; }, limit);
    if (identified_ && !failed_)
        return;
    const QString cause = !failure_.isEmpty()    ? failure_
                          : !lastStatus_.isEmpty() ? lastStatus_
                                                   : QStringLiteral("no answer");
    throw cli::Exit{cli::StepFailed, QStringLiteral("The unit at %1 could not be identified: %2").arg(endpoint(), cause)};
}

void CliUnit::lend(const std::function<void(LinkContext&, PartNumberRecord&)>& borrower)
{
    bool lent = false;
    link_.lend([&](LinkContext& context, PartNumberRecord& partNumbers) {
        lent = true;
        borrower(context, partNumbers);
        return 0;
    });
    if (!lent)
        throw cli::Exit{cli::StepFailed, {}};
}
