#pragma once

#include <QString>

// What the voice is given to say for a written text. espeak-ng stresses the compounds of "tre"
// written without their accent ("ventitre") on the wrong syllable; they are said as written with
// it ("ventitré"). Same length as the text, so the word marks still index the written text.
QString spokenForm(const QString& written);
