#pragma once

#include <QAccessibleWidget>

class BalloonWindow;

// What a screen reader sees of the speech balloon: a notification whose name and text are the
// words it shows.
class BalloonAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit BalloonAccessible(BalloonWindow* balloon);

    // For QAccessible::installFactory.
    static QAccessibleInterface* create(const QString& key, QObject* object);

    QString text(QAccessible::Text t) const override;
    QAccessible::Role role() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    // The text interface: read-only, with no selection and the caret at the start; the word
    // being heard is marked for the eye alone.
    void selection(int, int* startOffset, int* endOffset) const override;
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    QString words() const;
};
