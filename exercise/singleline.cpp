#include "singleline.h"

#include <algorithm>

namespace {

bool isLineBreak(QChar c)
{
    return c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' || c == QChar(0x85) ||
           c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph;
}

} // namespace

SingleLine SingleLine::of(const QString& text, int cursor)
{
    SingleLine line{text, std::clamp(cursor, 0, int(text.size()))};
    const auto found = std::find_if(line.text.cbegin(), line.text.cend(), isLineBreak);
    if (found != line.text.cend()) {
        const int at = int(found - line.text.cbegin());
        const int end = std::max(at, line.cursor);
        line.text.remove(at, end - at);
        line.cursor = at;
    }
    for (int i = int(line.text.size()) - 1; i >= 0; --i) {
        const QChar c = line.text.at(i);
        if (c.category() == QChar::Other_Control || isLineBreak(c)) {
            line.text.remove(i, 1);
            if (i < line.cursor)
                --line.cursor;
        }
    }
    return line;
}
