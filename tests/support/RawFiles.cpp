#include "RawFiles.h"

#include "download/RawFileWriter.h"

#include <QDir>
#include <QFile>
#include <cstring>

namespace {

template <typename T>
void put(QByteArray& image, qsizetype offset, T value)
{
    std::memcpy(image.data() + offset, &value, sizeof value);
}

}  // namespace

quint16 dateWord(int year, int month, int day) { return quint16((year - 2000) << 9 | month << 5 | day); }
quint16 timeWord(int hour, int minute) { return quint16(hour << 11 | minute << 5); }

QString writeRaw(const QString& dataRoot, const QString& registration, int engine, const QString& name,
                 const QList<RawSlot>& slotList)
{
    QByteArray bytes(EngineDataImage::kSize, 0);
    for (int i = 0; i < slotList.size(); ++i) {
        const qsizetype slot = qsizetype(i) * engine::kSlotSize;
        put(bytes, slot + 24, slotList[i].flight);
        put(bytes, slot + 32, slotList[i].memoryType);
        put(bytes, slot + 152, qint16(1000 + slotList[i].flight));  // first steady-state sample
        put(bytes, slot + 279696, slotList[i].date);
        put(bytes, slot + 279698, slotList[i].time);
    }
    ReportContext context;
    copyText(context.aircraft.registration, registration);
    copyText(context.partNumbers.unitPartNumber, QStringLiteral("PN"));
    context.engineNumber = engine;
    const QString directory = dataRoot + '/' + registration + "_data/engine_" + QString::number(engine);
    QDir().mkpath(directory);
    const QString path = directory + '/' + name;
    writeRawFile(path, context, EngineDataImage(bytes));
    return path;
}

QString makeOlder(const QString& current, const QString& older)
{
    QFile in(current);
    in.open(QIODevice::ReadOnly);
    QByteArray bytes = in.readAll();
    bytes.remove(340, 300);
    quint32 magic = kRawMagicV1;
    std::memcpy(bytes.data(), &magic, 4);
    QFile out(older);
    out.open(QIODevice::WriteOnly);
    out.write(bytes);
    return older;
}
