#pragma once

#include <memory>

class QTranslator;

// Installs Qt's own Italian texts (message box buttons, the text boxes' menus), whatever the
// system's language. Without the translation file the English words stay; nothing else changes.
std::unique_ptr<QTranslator> installQtItalian();
