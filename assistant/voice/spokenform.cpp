#include "spokenform.h"

#include <QRegularExpression>

QString spokenForm(const QString& written)
{
    // venti-, trenta-, quaranta- ... cento-, mille- followed by "tre" closing the word.
    static const QRegularExpression compoundOfTre(
        QStringLiteral(R"((?:venti|nta|cento|mille)tr(e)\b)"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::UseUnicodePropertiesOption);
    QString spoken = written;
    for (const QRegularExpressionMatch& match : compoundOfTre.globalMatch(written)) {
        const qsizetype at = match.capturedStart(1);
        spoken[at] = spoken[at].isUpper() ? QChar(0x00C9) : QChar(0x00E9);
    }
    return spoken;
}
