#pragma once

#include <stdexcept>
#include <string>

// An error that ends the handler in which it happens. Its text is shown to the learner, so it is
// short and in Italian.
class GameError : public std::runtime_error {
public:
    explicit GameError(const std::string& message)
        : std::runtime_error(message)
    {}
};

// A counter or a sum went past what it can hold.
class OverflowError : public GameError {
public:
    using GameError::GameError;
};
