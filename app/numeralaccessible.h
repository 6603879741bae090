#pragma once

#include <QAccessibleWidget>

class NumeralBox;

// What a screen reader reads of the number in base 2: a read-only text whose attributes run over
// the whole value. Qt 6.4's line edit gives a range of no length at each character, which Orca
// joins into the value less its last character ("1101" for 11010).
class NumeralAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit NumeralAccessible(NumeralBox* box);

    // For QAccessible::installFactory.
    static QAccessibleInterface* create(const QString& key, QObject* object);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    void selection(int selectionIndex, int* startOffset, int* endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int, int) override {}
    QString attributes(int offset, int* startOffset, int* endOffset) const override;

private:
    NumeralBox* box() const;
};
