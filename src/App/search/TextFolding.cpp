#include "search/TextFolding.h"

#include <QTextBoundaryFinder>

namespace TextFolding {

namespace {

bool isCombiningMark(QChar::Category category)
{
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
           category == QChar::Mark_Enclosing;
}

// The text in canonical decomposition without its combining marks.
QString decomposedWithoutMarks(const QString &text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_D);
    QString stripped;
    stripped.reserve(decomposed.size());
    const qsizetype size = decomposed.size();
    for (qsizetype i = 0; i < size;) {
        char32_t codePoint = decomposed.at(i).unicode();
        qsizetype length = 1;
        if (QChar::isHighSurrogate(codePoint) && i + 1 < size && decomposed.at(i + 1).isLowSurrogate()) {
            codePoint = QChar::surrogateToUcs4(decomposed.at(i), decomposed.at(i + 1));
            length = 2;
        }
        if (!isCombiningMark(QChar::category(codePoint)))
            stripped.append(decomposed.constData() + i, length);
        i += length;
    }
    return stripped;
}

} // namespace

QString fold(QStringView text)
{
    // Marks go before folding, so a capital with a mark (İ) folds like its bare letter; folding
    // can yield decomposable letters again (the Ångström sign), hence the second pass.
    return decomposedWithoutMarks(decomposedWithoutMarks(text.toString()).toCaseFolded());
}

int graphemeCount(QStringView text, int limit)
{
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text.constData(), int(text.size()));
    int count = 0;
    while (count < limit && finder.toNextBoundary() != -1)
        ++count;
    return count;
}

} // namespace TextFolding
