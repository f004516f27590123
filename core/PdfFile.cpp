#include "core/PdfFile.h"

#include <algorithm>

namespace {

// Nesting beyond this is no document of ours; refusing it keeps a hostile
// file from exhausting the stack.
constexpr int MaxNesting = 64;
constexpr int MaxXrefSections = 64;
constexpr qint64 MaxObjects = 8'388'607;  // the format's own limit

bool isWhite(char c) { return c == 0 || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' '; }

bool isDelimiter(char c)
{
    return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' ||
           c == '/' || c == '%';
}

bool isRegular(char c) { return !isWhite(c) && !isDelimiter(c); }

void skipSpace(const QByteArray& b, qint64& pos)
{
    while (pos < b.size()) {
        if (isWhite(b[pos])) {
            ++pos;
        } else if (b[pos] == '%') {
            while (pos < b.size() && b[pos] != '\n' && b[pos] != '\r')
                ++pos;
        } else {
            return;
        }
    }
}

QByteArray regularRun(const QByteArray& b, qint64& pos)
{
    const qint64 start = pos;
    while (pos < b.size() && isRegular(b[pos]))
        ++pos;
    return b.mid(start, pos - start);
}

// A keyword or number after any blanks and comments.
QByteArray readToken(const QByteArray& b, qint64& pos)
{
    skipSpace(b, pos);
    return regularRun(b, pos);
}

bool isUnsigned(const QByteArray& token)
{
    return !token.isEmpty() && std::all_of(token.begin(), token.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool skipLiteralString(const QByteArray& b, qint64& pos)
{
    int open = 0;
    for (; pos < b.size(); ++pos) {
        const char c = b[pos];
        if (c == '\\')
            ++pos;
        else if (c == '(')
            ++open;
        else if (c == ')' && --open == 0) {
            ++pos;
            return true;
        }
    }
    return false;
}

bool skipValue(const QByteArray& b, qint64& pos, int depth);

bool skipDictionary(const QByteArray& b, qint64& pos, int depth, PdfDictionary* entries)
{
    pos += 2;  // "<<"
    for (;;) {
        skipSpace(b, pos);
        if (b.mid(pos, 2) == ">>") {
            pos += 2;
            return true;
        }
        if (pos >= b.size() || b[pos] != '/')
            return false;
        ++pos;
        const QByteArray key = regularRun(b, pos);
        skipSpace(b, pos);
        const qint64 start = pos;
        if (!skipValue(b, pos, depth + 1))
            return false;
        if (entries)
            entries->append({key, b.mid(start, pos - start)});
    }
}

bool skipArray(const QByteArray& b, qint64& pos, int depth, QList<QByteArray>* elements)
{
    ++pos;  // "["
    for (;;) {
        skipSpace(b, pos);
        if (pos < b.size() && b[pos] == ']') {
            ++pos;
            return true;
        }
        const qint64 start = pos;
        if (!skipValue(b, pos, depth + 1))
            return false;
        if (elements)
            elements->append(b.mid(start, pos - start));
    }
}

// Past a number, or past "number generation R" when the number starts a reference.
void skipNumberOrRef(const QByteArray& b, qint64& pos, const QByteArray& first)
{
    if (!isUnsigned(first))
        return;
    qint64 ahead = pos;
    if (isUnsigned(readToken(b, ahead)) && readToken(b, ahead) == "R")
        pos = ahead;
}

bool skipValue(const QByteArray& b, qint64& pos, int depth)
{
    skipSpace(b, pos);
    if (depth > MaxNesting || pos >= b.size())
        return false;
    const char c = b[pos];
    if (c == '<' && b.mid(pos, 2) == "<<")
        return skipDictionary(b, pos, depth, nullptr);
    if (c == '<') {
        const qint64 end = b.indexOf('>', pos);
        pos = end < 0 ? b.size() : end + 1;
        return end >= 0;
    }
    if (c == '[')
        return skipArray(b, pos, depth, nullptr);
    if (c == '(')
        return skipLiteralString(b, pos);
    if (c == '/') {
        ++pos;
        regularRun(b, pos);
        return true;
    }
    const QByteArray token = regularRun(b, pos);
    skipNumberOrRef(b, pos, token);
    return !token.isEmpty();
}

std::optional<PdfDictionary> parseDictionary(const QByteArray& b, qint64 pos)
{
    skipSpace(b, pos);
    PdfDictionary entries;
    if (b.mid(pos, 2) != "<<" || !skipDictionary(b, pos, 0, &entries))
        return std::nullopt;
    return entries;
}

}  // namespace

QByteArray PdfRef::text() const
{
    return QByteArray::number(number) + ' ' + QByteArray::number(generation) + " R";
}

QByteArray pdfValue(const PdfDictionary& dictionary, const QByteArray& key)
{
    for (const auto& [name, value] : dictionary)
        if (name == key)
            return value;
    return {};
}

std::optional<PdfRef> pdfRef(const QByteArray& value)
{
    const QList<QByteArray> parts = value.simplified().split(' ');
    if (parts.size() != 3 || !isUnsigned(parts[0]) || !isUnsigned(parts[1]) || parts[2] != "R")
        return std::nullopt;
    bool numberOk = false;
    bool generationOk = false;
    const PdfRef ref{parts[0].toInt(&numberOk), parts[1].toInt(&generationOk)};
    if (!numberOk || !generationOk)
        return std::nullopt;
    return ref;
}

std::optional<qint64> pdfInteger(const QByteArray& value)
{
    bool ok = false;
    const qint64 number = value.trimmed().toLongLong(&ok);
    return ok ? std::optional<qint64>(number) : std::nullopt;
}

std::optional<double> pdfNumber(const QByteArray& value)
{
    bool ok = false;
    const double number = value.trimmed().toDouble(&ok);
    return ok ? std::optional<double>(number) : std::nullopt;
}

std::optional<QList<QByteArray>> pdfArray(const QByteArray& value)
{
    const QByteArray text = value.trimmed();
    qint64 pos = 0;
    QList<QByteArray> elements;
    if (!text.startsWith('[') || !skipArray(text, pos, 0, &elements) || pos != text.size())
        return std::nullopt;
    return elements;
}

QByteArray pdfDictionaryText(const PdfDictionary& dictionary)
{
    QByteArray text = "<<\n";
    for (const auto& [key, value] : dictionary)
        text += '/' + key + ' ' + value + '\n';
    return text + ">>";
}

PdfFile::PdfFile(QByteArray bytes)
    : bytes_(std::move(bytes))
{
    if (!bytes_.startsWith("%PDF-")) {
        error_ = QStringLiteral("it is not a PDF file");
        return;
    }
    const qsizetype marker = bytes_.lastIndexOf("startxref");
    qint64 pos = marker + 9;
    const QByteArray offset = marker < 0 ? QByteArray() : readToken(bytes_, pos);
    if (!isUnsigned(offset)) {
        error_ = QStringLiteral("it has no cross-reference offset at its end");
        return;
    }
    lastXrefOffset_ = offset.toLongLong();
    readXref(lastXrefOffset_, 0);
}

bool PdfFile::readXref(qint64 offset, int depth)
{
    qint64 pos = offset;
    if (depth >= MaxXrefSections || offset < 0 || offset >= bytes_.size()) {
        error_ = QStringLiteral("its cross-reference offset %1 lies outside the file").arg(QString::number(offset));
        return false;
    }
    if (readToken(bytes_, pos) != "xref") {
        error_ = QStringLiteral("it has no cross-reference table at offset %1 (cross-reference streams are not "
                                "supported)")
                     .arg(QString::number(offset));
        return false;
    }
    for (;;) {
        const QByteArray first = readToken(bytes_, pos);
        if (first == "trailer")
            break;
        const QByteArray count = readToken(bytes_, pos);
        if (!isUnsigned(first) || !isUnsigned(count) || first.toLongLong() + count.toLongLong() > MaxObjects) {
            error_ = QStringLiteral("its cross-reference table at offset %1 is damaged").arg(QString::number(offset));
            return false;
        }
        for (qint64 number = first.toLongLong(); number < first.toLongLong() + count.toLongLong(); ++number) {
            const QByteArray entryOffset = readToken(bytes_, pos);
            const QByteArray generation = readToken(bytes_, pos);
            const QByteArray kind = readToken(bytes_, pos);
            if (!isUnsigned(entryOffset) || !isUnsigned(generation) || (kind != "n" && kind != "f")) {
                error_ = QStringLiteral("its cross-reference table at offset %1 is damaged").arg(QString::number(offset));
                return false;
            }
            // A later section overrides an earlier one, free entries included.
            if (!offsets_.contains(int(number)))
                offsets_.insert(int(number), {kind == "n" ? entryOffset.toLongLong() : -1, generation.toInt()});
        }
    }
    const std::optional<PdfDictionary> trailer = parseDictionary(bytes_, pos);
    if (!trailer) {
        error_ = QStringLiteral("its trailer after offset %1 is damaged").arg(QString::number(offset));
        return false;
    }
    if (!pdfValue(*trailer, "XRefStm").isEmpty()) {
        error_ = QStringLiteral("it uses cross-reference streams, which are not supported");
        return false;
    }
    if (depth == 0)
        trailer_ = *trailer;
    const QByteArray previous = pdfValue(*trailer, "Prev");
    if (previous.isEmpty())
        return true;
    const std::optional<qint64> previousOffset = pdfInteger(previous);
    if (!previousOffset) {
        error_ = QStringLiteral("its trailer after offset %1 is damaged").arg(QString::number(offset));
        return false;
    }
    return readXref(*previousOffset, depth + 1);
}

std::optional<PdfDictionary> PdfFile::dictionary(const PdfRef& ref)
{
    const auto found = offsets_.constFind(ref.number);
    if (found == offsets_.cend() || found->first < 0 || found->second != ref.generation ||
        found->first >= bytes_.size()) {
        error_ = QStringLiteral("object %1 is missing").arg(QString::number(ref.number));
        return std::nullopt;
    }
    qint64 pos = found->first;
    const QByteArray number = readToken(bytes_, pos);
    const QByteArray generation = readToken(bytes_, pos);
    std::optional<PdfDictionary> entries;
    if (number.toInt() == ref.number && generation.toInt() == ref.generation && readToken(bytes_, pos) == "obj")
        entries = parseDictionary(bytes_, pos);
    if (!entries)
        error_ = QStringLiteral("object %1 is damaged or is no dictionary").arg(QString::number(ref.number));
    return entries;
}
