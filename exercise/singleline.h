#pragma once

#include <QString>

// Text as a one-line box holds it: what it shows and nothing hidden.
struct SingleLine {
    QString text;
    int cursor = 0;

    // `text` has just had something inserted that ends at `cursor` (a paste, a typed key). A line
    // break can only have come with it: the rest of the insertion from the first break on is
    // dropped, as one-line boxes on the desktop do, and other control characters (tabs, carriage
    // returns) are taken out. Letters, blanks, accents and emoji stay as they are.
    static SingleLine of(const QString& text, int cursor);
};
