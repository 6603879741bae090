#include "assistanterror.h"

#include <QString>

AssistantError::AssistantError(const QString& message)
    : std::runtime_error(message.toStdString())
{}
