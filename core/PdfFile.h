#pragma once
// Just enough of a PDF reader to update a finished file incrementally: the
// classic cross-reference tables (following /Prev), the trailer, and the
// dictionaries of plain objects, each value kept as the bytes the file holds
// so that a changed dictionary can be written back with everything else as it
// was. Streams, object streams and cross-reference streams are not read:
// a file that needs them is refused, never guessed at.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

struct PdfRef {
    int number = 0;
    int generation = 0;
    QByteArray text() const;  // "12 0 R"
};

// Keys without their slash, values as written ("/Catalog", "2 0 R", "[0 0 595 842]").
using PdfDictionary = QList<QPair<QByteArray, QByteArray>>;

QByteArray pdfValue(const PdfDictionary& dictionary, const QByteArray& key);
std::optional<PdfRef> pdfRef(const QByteArray& value);
std::optional<qint64> pdfInteger(const QByteArray& value);
std::optional<double> pdfNumber(const QByteArray& value);
// The elements of an array value, each as written; nothing when it is no array.
std::optional<QList<QByteArray>> pdfArray(const QByteArray& value);
// "<<\n/Key value\n...>>"
QByteArray pdfDictionaryText(const PdfDictionary& dictionary);

class PdfFile {
public:
    // Reads the cross-reference tables and the trailer of the file's bytes;
    // error() says why when they cannot be read.
    explicit PdfFile(QByteArray bytes);

    const QString& error() const { return error_; }
    const QByteArray& bytes() const { return bytes_; }
    const PdfDictionary& trailer() const { return trailer_; }
    qint64 lastXrefOffset() const { return lastXrefOffset_; }

    // The dictionary of an object in use; sets error() when it has none.
    std::optional<PdfDictionary> dictionary(const PdfRef& ref);

private:
    bool readXref(qint64 offset, int depth);

    QByteArray bytes_;
    QString error_;
    PdfDictionary trailer_;
    qint64 lastXrefOffset_ = -1;
    QHash<int, QPair<qint64, int>> offsets_;  // object number -> (offset, generation)
};
