#pragma once
// One aircraft and its four engine slots as fixed-size 8-bit text fields,
// exactly as the download files carry them (1249 bytes, no padding).

#include <QString>
#include <cstddef>
#include <cstring>
#include <initializer_list>

struct EngineInfo {
    char type[17];
    char serialNumber[11];
    char installDate[21];
};

struct AircraftInfo {
    char registration[17];
    char shopId[11];
    char comment[1025];
    EngineInfo engines[4];  // engine positions 1, 2, 3, 4
};

// The unit reports its engine position as a code, the SDI the database keeps:
// codes 1 to 3 are the position itself, code 0 is position 4.
constexpr int engineNumberOfPositionCode(int code) { return code == 0 ? 4 : code; }
// The engines[] slot of a stored SDI (code 0 is the last slot).
constexpr int engineSlotOfSdi(int sdi) { return engineNumberOfPositionCode(sdi) - 1; }

static_assert(sizeof(EngineInfo) == 49);
static_assert(sizeof(AircraftInfo) == 1249);
static_assert(offsetof(AircraftInfo, shopId) == 17);
static_assert(offsetof(AircraftInfo, comment) == 28);
static_assert(offsetof(AircraftInfo, engines) == 1053);

// Copies at most maxChars bytes of the text in the local 8-bit encoding into
// the field and terminates it; maxChars is below the field's size.
template <std::size_t N>
void copyText(char (&field)[N], const QString& text, std::size_t maxChars = N - 1)
{
    static_assert(N > 1);
    const QByteArray bytes = text.toLocal8Bit();
    const std::size_t n = std::min<std::size_t>({std::size_t(bytes.size()), maxChars, N - 1});
    std::memcpy(field, bytes.constData(), n);
    field[n] = '\0';
}

// Why copyText would not store the text whole in a field of fieldSize bytes:
// a character the local 8-bit encoding lacks, or more than fieldSize - 1
// bytes in it. what names the field in the message ("registration"). Empty
// when the text fits.
QString fieldTextProblem(const QString& what, const QString& text, std::size_t fieldSize);

struct FieldText {
    const char* what;
    QString text;
    std::size_t fieldSize;
};
// The problem of the first text that does not fit its field; empty when all fit.
QString firstFieldTextProblem(std::initializer_list<FieldText> fields);

// Text of a fixed-size 8-bit field, up to its first NUL.
template <std::size_t N>
QString textOf(const char (&field)[N])
{
    return QString::fromLocal8Bit(field, qsizetype(qstrnlen(field, N)));
}
