#pragma once

#include <QString>

#include <optional>

// What the assistant says and plays at the moments the game reacts to the learner.
namespace reactions {

// Said when the window opens.
QString greeting();

// A cheer at a milestone count of correct answers.
struct Cheer {
    QString animation;
    QString text;

    friend bool operator==(const Cheer&, const Cheer&) = default;
};

// Milestones are exact values, not thresholds: 51 cheers nothing.
std::optional<Cheer> cheerAt(double correctAnswers);

// The first of the two things said after a wrong answer; the number in words follows.
QString correctionLead();

// Whether leaving the answer box calls for the correction: the number shown is not 0 and the
// answer differs from it as text.
bool needsCorrection(double number, const QString& value, const QString& answer);

} // namespace reactions
