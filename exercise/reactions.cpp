#include "reactions.h"

#include "verdict.h"

#include <array>

namespace reactions {

namespace {

struct Milestone {
    int correctAnswers;
    const char16_t* animation;
    const char16_t* text;
};

constexpr std::array<Milestone, 7> milestones{{
    {5, u"congratulate_2", u"Sei grande"},
    {25, u"congratulate", u"Sei grande"},
    {35, u"congratulate_2", u"Sei grande"},
    {50, u"wave", u"Sei veramente ok. Sei arrivato a 50 punti!"},
    {70, u"wave", u"Sei veramente ok. Sei arrivato a 70 punti!"},
    {100, u"congratulate", u"Eccezionale! Siamo a 100 punti!"},
    {150, u"congratulate_2", u"Eccezionale! Siamo a 150 punti!"},
}};

} // namespace

QString greeting()
{
    return QStringLiteral("Ciao. Vuoi giocare con me con l'abaco? E allora che il gioco abbia "
                          "inizio. Che la magia sia con te");
}

std::optional<Cheer> cheerAt(double correctAnswers)
{
    for (const Milestone& milestone : milestones) {
        if (correctAnswers == milestone.correctAnswers)
            return Cheer{QString::fromUtf16(milestone.animation),
                         QString::fromUtf16(milestone.text)};
    }
    return std::nullopt;
}

QString correctionLead()
{
    return QStringLiteral("Attenzione hai sbagliato! Il numero è");
}

bool needsCorrection(double number, const QString& value, const QString& answer)
{
    return number != 0 && !Verdict::isRight(answer, value);
}

} // namespace reactions
