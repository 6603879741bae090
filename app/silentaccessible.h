#pragma once

#include <QAccessibleWidget>

// What a screen reader passes over: an element drawn for the eye alone, such as the exponent
// beside a 2 whose power the 2 already says in words. Qt's own reading serves every other one.
class SilentAccessible : public QAccessibleWidget {
public:
    explicit SilentAccessible(QWidget* widget);

    // Marks the widget to be passed over.
    static void silence(QWidget* widget);
    // For QAccessible::installFactory.
    static QAccessibleInterface* create(const QString& key, QObject* object);

    QAccessible::State state() const override;
    QString text(QAccessible::Text t) const override;
};
