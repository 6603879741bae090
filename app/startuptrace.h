#pragma once

#include <QLoggingCategory>

// Stamps of the start-up stages, in milliseconds since main began. Silent unless the category is
// switched on (QT_LOGGING_RULES="perlobin.startup.debug=true"), as the start-up benchmark does.
Q_DECLARE_LOGGING_CATEGORY(lcStartup)

namespace startup {

void begin();
void stamp(const char* stage);

} // namespace startup

class QWidget;

namespace startup {

// Stamps the first exposure and repaint of a shown window.
void watchFirstFrame(QWidget* window);

} // namespace startup
