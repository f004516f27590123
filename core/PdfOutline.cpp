#include "core/PdfOutline.h"

#include "core/CheckedSaveFile.h"
#include "core/MessageText.h"
#include "core/PdfFile.h"

#include <QFile>
#include <QSet>

namespace {

constexpr int MaxPageTreeDepth = 64;

struct Page {
    PdfRef ref;
    double top = 0;  // the upper edge of its media box
};

// The outline as a tree over the entries' indices.
struct Tree {
    QList<int> topLevel;
    QList<QList<int>> children;
    QList<int> parent;
    QList<bool> open;
    QList<int> shownBelow;  // descendants shown when the entry is open
};

std::optional<double> mediaBoxTop(const QByteArray& value)
{
    const std::optional<QList<QByteArray>> box = pdfArray(value);
    if (!box || box->size() != 4)
        return std::nullopt;
    const std::optional<double> bottom = pdfNumber(box->at(1));
    const std::optional<double> top = pdfNumber(box->at(3));
    if (!bottom || !top)
        return std::nullopt;
    return std::max(*bottom, *top);
}

// The pages below a node of the page tree, in reading order.
QString collectPages(PdfFile& file, const PdfRef& node, std::optional<double> inheritedTop, QList<Page>& pages,
                     QSet<int>& visited, int depth)
{
    if (depth > MaxPageTreeDepth || visited.contains(node.number))
        return QStringLiteral("its page tree loops or nests too deep");
    visited.insert(node.number);
    const std::optional<PdfDictionary> dictionary = file.dictionary(node);
    if (!dictionary)
        return file.error();
    const QByteArray box = pdfValue(*dictionary, "MediaBox");
    const std::optional<double> top = box.isEmpty() ? inheritedTop : mediaBoxTop(box);
    const QByteArray type = pdfValue(*dictionary, "Type");
    if (type == "/Page") {
        if (!top)
            return QStringLiteral("page object %1 has no readable media box").arg(QString::number(node.number));
        pages.append({node, *top});
        return {};
    }
    const std::optional<QList<QByteArray>> kids = pdfArray(pdfValue(*dictionary, "Kids"));
    if (type != "/Pages" || !kids)
        return QStringLiteral("object %1 of its page tree is neither a page nor a page list")
            .arg(QString::number(node.number));
    for (const QByteArray& kid : *kids) {
        const std::optional<PdfRef> ref = pdfRef(kid);
        if (!ref)
            return QStringLiteral("the page list %1 names a page without a reference").arg(QString::number(node.number));
        if (QString failure = collectPages(file, *ref, top, pages, visited, depth + 1); !failure.isEmpty())
            return failure;
    }
    return {};
}

QByteArray textString(const QString& text)
{
    const bool plain = std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u' ' && c <= u'~'; });
    if (!plain) {
        QByteArray utf16 = "\xFE\xFF";
        for (const QChar c : text) {
            utf16 += char(c.unicode() >> 8);
            utf16 += char(c.unicode() & 0xFF);
        }
        return '<' + utf16.toHex().toUpper() + '>';
    }
    QByteArray literal = "(";
    for (const QChar c : text) {
        if (c == u'(' || c == u')' || c == u'\\')
            literal += '\\';
        literal += char(c.unicode());
    }
    return literal + ')';
}

Tree buildTree(const QList<PdfOutlineEntry>& entries)
{
    Tree tree;
    const qsizetype count = entries.size();
    tree.children.resize(count);
    tree.parent.fill(-1, count);
    tree.open.fill(false, count);
    tree.shownBelow.fill(0, count);
    QList<int> ancestors;
    for (int i = 0; i < count; ++i) {
        while (!ancestors.isEmpty() && entries[ancestors.last()].level >= entries[i].level)
            ancestors.removeLast();
        if (ancestors.isEmpty()) {
            tree.topLevel.append(i);
            tree.open[i] = true;
        } else {
            tree.parent[i] = ancestors.last();
            tree.children[ancestors.last()].append(i);
        }
        ancestors.append(i);
    }
    // Children come after their parent, so one backward pass sums them up.
    for (qsizetype i = count - 1; i >= 0; --i)
        for (const int child : tree.children[i])
            tree.shownBelow[i] += 1 + (tree.open[child] ? tree.shownBelow[child] : 0);
    return tree;
}

QByteArray destination(const PdfOutlineEntry& entry, const Page& page)
{
    if (entry.top < 0)
        return '[' + page.ref.text() + " /Fit]";
    return '[' + page.ref.text() + " /XYZ null " + QByteArray::number(page.top - entry.top, 'f', 2) + " null]";
}

class UpdateWriter {
public:
    UpdateWriter(const PdfFile& file, int firstNumber)
        : out_(file.bytes()), nextNumber_(firstNumber)
    {
        if (!out_.endsWith('\n'))
            out_ += '\n';
    }

    int reserve() { return nextNumber_++; }
    int size() const { return nextNumber_; }

    void write(const PdfRef& ref, const PdfDictionary& dictionary)
    {
        offsets_.append({ref, out_.size()});
        out_ += QByteArray::number(ref.number) + ' ' + QByteArray::number(ref.generation) + " obj\n" +
                pdfDictionaryText(dictionary) + "\nendobj\n";
    }

    // One subsection per object keeps the table simple; the update is small.
    QByteArray finish(const PdfDictionary& trailer)
    {
        const qint64 xrefOffset = out_.size();
        out_ += "xref\n";
        for (const auto& [ref, offset] : offsets_) {
            out_ += QByteArray::number(ref.number) + " 1\n";
            out_ += QByteArray::number(offset).rightJustified(10, '0') + ' ' +
                    QByteArray::number(ref.generation).rightJustified(5, '0') + " n \n";
        }
        out_ += "trailer\n" + pdfDictionaryText(trailer) + "\nstartxref\n" + QByteArray::number(xrefOffset) +
                "\n%%EOF\n";
        return out_;
    }

private:
    QByteArray out_;
    int nextNumber_;
    QList<QPair<PdfRef, qint64>> offsets_;
};

PdfRef objectRef(int number) { return {number, 0}; }

PdfDictionary itemDictionary(const PdfOutlineEntry& entry, const Page& page, const Tree& tree, int index,
                             int rootNumber, int firstItemNumber)
{
    const auto ref = [&](int item) { return objectRef(firstItemNumber + item).text(); };
    const int parent = tree.parent[index];
    const QList<int>& siblings = parent < 0 ? tree.topLevel : tree.children[parent];
    const qsizetype position = siblings.indexOf(index);
    PdfDictionary item{{"Title", textString(entry.title)},
                       {"Parent", parent < 0 ? objectRef(rootNumber).text() : ref(parent)}};
    if (position > 0)
        item.emplaceBack("Prev", ref(siblings[position - 1]));
    if (position + 1 < siblings.size())
        item.emplaceBack("Next", ref(siblings[position + 1]));
    const QList<int>& children = tree.children[index];
    if (!children.isEmpty()) {
        item.emplaceBack("First", ref(children.first()));
        item.emplaceBack("Last", ref(children.last()));
        const int shown = tree.shownBelow[index];
        item.emplaceBack("Count", QByteArray::number(tree.open[index] ? shown : -shown));
    }
    item.emplaceBack("Dest", destination(entry, page));
    return item;
}

PdfDictionary rootDictionary(const Tree& tree, int firstItemNumber)
{
    PdfDictionary root{{"Type", "/Outlines"}};
    int shown = 0;
    for (const int item : tree.topLevel)
        shown += 1 + tree.shownBelow[item];
    if (!tree.topLevel.isEmpty()) {
        root.emplaceBack("First", objectRef(firstItemNumber + tree.topLevel.first()).text());
        root.emplaceBack("Last", objectRef(firstItemNumber + tree.topLevel.last()).text());
    }
    root.emplaceBack("Count", QByteArray::number(shown));
    return root;
}

PdfDictionary without(PdfDictionary dictionary, const QList<QByteArray>& keys)
{
    dictionary.removeIf([&](const auto& entry) { return keys.contains(entry.first); });
    return dictionary;
}

// The file's bytes with the outline added, or why it cannot be.
QString updatedFile(PdfFile& file, const QList<PdfOutlineEntry>& entries, QByteArray& updated)
{
    if (!file.error().isEmpty())
        return file.error();
    const PdfDictionary& trailer = file.trailer();
    if (!pdfValue(trailer, "Encrypt").isEmpty())
        return QStringLiteral("it is encrypted");
    const std::optional<PdfRef> catalogRef = pdfRef(pdfValue(trailer, "Root"));
    const std::optional<qint64> size = pdfInteger(pdfValue(trailer, "Size"));
    if (!catalogRef || !size || *size <= 0)
        return QStringLiteral("its trailer names no catalog or no size");
    const std::optional<PdfDictionary> catalog = file.dictionary(*catalogRef);
    if (!catalog)
        return file.error();
    const std::optional<PdfRef> pagesRef = pdfRef(pdfValue(*catalog, "Pages"));
    if (!pagesRef)
        return QStringLiteral("its catalog names no pages");
    QList<Page> pages;
    QSet<int> visited;
    if (QString failure = collectPages(file, *pagesRef, std::nullopt, pages, visited, 0); !failure.isEmpty())
        return failure;
    for (const PdfOutlineEntry& entry : entries)
        if (entry.page < 0 || entry.page >= pages.size())
            return QStringLiteral("the bookmark %1 points to page %2 of %3")
                .arg(messageText(entry.title), QString::number(entry.page + 1), QString::number(pages.size()));

    const Tree tree = buildTree(entries);
    UpdateWriter writer(file, int(*size));
    const int rootNumber = writer.reserve();
    const int firstItemNumber = writer.size();
    for (qsizetype i = 0; i < entries.size(); ++i)
        writer.reserve();
    writer.write(objectRef(rootNumber), rootDictionary(tree, firstItemNumber));
    for (int i = 0; i < entries.size(); ++i)
        writer.write(objectRef(firstItemNumber + i),
                     itemDictionary(entries[i], pages[entries[i].page], tree, i, rootNumber, firstItemNumber));
    PdfDictionary newCatalog = without(*catalog, {"Outlines", "PageMode"});
    newCatalog.emplaceBack("Outlines", objectRef(rootNumber).text());
    newCatalog.emplaceBack("PageMode", "/UseOutlines");
    writer.write(*catalogRef, newCatalog);

    PdfDictionary newTrailer{{"Size", QByteArray::number(writer.size())},
                             {"Prev", QByteArray::number(file.lastXrefOffset())}};
    newTrailer += without(trailer, {"Size", "Prev"});
    updated = writer.finish(newTrailer);
    return {};
}

}  // namespace

QString PdfOutline::append(const QString& pdfPath, const QList<PdfOutlineEntry>& entries)
{
    const auto failed = [&](const QString& reason) {
        return QStringLiteral("Cannot add bookmarks to %1: %2.").arg(messageText(pdfPath), reason);
    };
    QFile source(pdfPath);
    if (!source.open(QIODevice::ReadOnly))
        return failed(source.errorString());
    PdfFile file(source.readAll());
    source.close();
    QByteArray updated;
    if (QString failure = updatedFile(file, entries, updated); !failure.isEmpty())
        return failed(failure);

    CheckedSaveFile target(pdfPath);
    if (!target.open(QIODevice::WriteOnly))
        return failed(target.errorString());
    target.write(updated);
    if (QString failure = target.commitWhole(); !failure.isEmpty())
        return failed(failure);
    return {};
}
