#pragma once

#include <stdexcept>

class QString;

// A failure of the assistant the window may show to the learner or the teacher as it stands:
// what() is a short Italian sentence.
class AssistantError : public std::runtime_error {
public:
    explicit AssistantError(const QString& message);
};
