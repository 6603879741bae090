#include "activation.h"
#include "announcer.h"
#include "captionlabel.h"
#include "look.h"
#include "picturebutton.h"
#include "recordingagent.h"
#include "scriptedrandom.h"
#include "shapeelement.h"
#include "surface.h"
#include "tavola.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>
#include <numeric>

namespace {

struct Bead {
    const char* name;
    int index;
    int placeValue;
    const char* column; // the column's title, by its name
};
constexpr Bead beads[] = {{"Shape3", 1, 1, "Label2"},
                          {"Shape4", 1, 2, "Label4"},
                          {"Shape5", 1, 4, "Label5"},
                          {"Shape6", 1, 8, "Label7"},
                          {"Shape8", 0, 16, "Label8"}};

// Types `text` one character at a time, as a keyboard would, accents and emoji included.
void typeText(QWidget* widget, const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text.at(i).isHighSurrogate() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, text.mid(i, length),
                            Qt::NoModifier);
        i += length - 1;
    }
}

QImage pictureOf(const QIcon& icon)
{
    return icon.pixmap(QSize(32, 32), 1.0).toImage();
}

} // namespace

class TestTavola : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void freshWindow();
    void textsAsDesigned_data();
    void textsAsDesigned();
    void readableByAScreenReader();
    void heardWithoutTheScreen();
    void dealingShowsTheNumber_data();
    void dealingShowsTheNumber();
    void answers_data();
    void answers();
    void rightAnswerCountsAtTheNextDealing();
    void wrongAnswerAfterEarlierAnswers();
    void closingRefreshesLabelsAndBackground();
    void bandsCoverTheWindowUntilAKey();
    void topBarInvertsWhatLiesBeneath();
    void verdictStaysInsideTheBar();
    void numeralCannotBeTypedOver();
    void pasteKeepsWhatTheBoxShows_data();
    void pasteKeepsWhatTheBoxShows();
    void tabOrder();
    void accessKeys();
    void buttonFacesInTheirBackColours_data();
    void buttonFacesInTheirBackColours();
    void pressedPicture();
    void countAtItsLimitIsReportedAndKept_data();
    void countAtItsLimitIsReportedAndKept();
    void totalPastTheLimitIsShownExactly();
    void gameStartsOncePerWindow();
    void answerBoxTakesAnyText_data();
    void answerBoxTakesAnyText();
    void answerBoxLimit();

private:
    void start(std::deque<int> numbers = {5});
    template <typename T = QWidget> T* element(const char* name, int index = -1) const;
    QString text(const char* name) const { return element<QLineEdit>(name)->text(); }
    QString caption(const char* name) const { return element<QLabel>(name)->text(); }
    QColor captionColour(const char* name) const
    {
        return element<CaptionLabel>(name)->foreColour();
    }
    void answer(const QString& typed);
    QColor surfacePixel(int x, int y) const;

    std::unique_ptr<Tavola> window;
    ScriptedRandom* random = nullptr; // owned by the window
    RecordingAgent* agent = nullptr;  // owned by the window
    QStringList assistantCalls;
};

void TestTavola::initTestCase()
{
    applyLook();
}

void TestTavola::cleanup()
{
    window.reset();
    random = nullptr;
    assistantCalls.clear();
}

void TestTavola::start(std::deque<int> numbers)
{
    auto source = std::make_unique<ScriptedRandom>(std::move(numbers));
    random = source.get();
    auto recording = std::make_unique<RecordingAgent>(&assistantCalls);
    agent = recording.get();
    window = std::make_unique<Tavola>(std::move(source), std::move(recording));
    // A screen reader's pace, quickened.
    using namespace std::chrono_literals;
    window->findChild<Announcer*>()->setPace(0ms, 50ms, 2s);
    window->show();
    QVERIFY(makeActive(window.get()));
}

template <typename T> T* TestTavola::element(const char* name, int index) const
{
    for (T* found : window->findChildren<T*>(QString::fromLatin1(name)))
        if (index < 0 || found->property("index").toInt() == index)
            return found;
    qFatal("no element %s(%d)", name, index);
}

void TestTavola::answer(const QString& typed)
{
    typeText(element("Text3"), typed);
    QTest::keyClick(element("Text3"), Qt::Key_Return);
}

QColor TestTavola::surfacePixel(int x, int y) const
{
    return element<Surface>("surface")->grab().toImage().pixelColor(x, y);
}

void TestTavola::freshWindow()
{
    window = std::make_unique<Tavola>();
    QCOMPARE(window->windowTitle(), "Perlobin");
    QCOMPARE(element("surface")->size(), QSize(754, 556));
    QCOMPARE(text("Text1"), "0");
    QCOMPARE(text("Text2"), "Testo");
    QCOMPARE(text("Text3"), "Text3");
    QCOMPARE(text("Text4"), "");
    QCOMPARE(caption("lblMessage"), "io");
    for (const char* score : {"lblScore", "lblScore1", "lblScore2"})
        QCOMPARE(caption(score), "0");
    for (const Bead& bead : beads)
        QVERIFY(element(bead.name, bead.index)->isVisibleTo(window.get()));
    QVERIFY(!element("Text1")->isVisibleTo(window.get()));
    QVERIFY(!element("Text2")->isVisibleTo(window.get()));

    auto* next = element<PictureButton>("cmdNext");
    QVERIFY(!next->isEnabled());
    QCOMPARE(pictureOf(next->currentPicture()),
             pictureOf(QIcon(QStringLiteral(":/icons/face-neutral.svg"))));
}

void TestTavola::textsAsDesigned_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("toolTip");
    QTest::addColumn<QString>("fontFamily");

    QTest::newRow("answer box") << "Text3"
                                << "Scrivi il numero e poi premi  il tasto Return (Invio)"
                                << "Liberation Sans";
    QTest::newRow("next button") << "cmdNext"
                                 << "Usa il tasto Return(invio) per l'esercizio successivo"
                                 << "Liberation Sans";
    QTest::newRow("exit button") << "cmdExit"
                                 << "Ti prego resta ancora, forse riuscirai a farmi uscire "
                                 << "Liberation Sans";
    QTest::newRow("score") << "lblScore"
                           << QStringLiteral("Questo è il tuo punteggio. Forza con il  record")
                           << "Liberation Serif";
}

void TestTavola::textsAsDesigned()
{
    QFETCH(QString, name);
    QFETCH(QString, toolTip);
    QFETCH(QString, fontFamily);
    window = std::make_unique<Tavola>();
    QWidget* widget = window->findChild<QWidget*>(name);
    QVERIFY(widget);
    QCOMPARE(widget->toolTip(), toolTip);
    QCOMPARE(QFontInfo(widget->font()).family(), fontFamily);
}

void TestTavola::readableByAScreenReader()
{
    window = std::make_unique<Tavola>();
    const auto readable = [this](const char* name) {
        return QAccessible::queryAccessibleInterface(element(name));
    };
    QCOMPARE(readable("Text3")->text(QAccessible::Name), "La tua risposta");
    QCOMPARE(readable("Text3")->text(QAccessible::Description), element("Text3")->toolTip());
    QCOMPARE(readable("Text4")->text(QAccessible::Name), "Numero in base 2");

    // Each 2 says its power; the exponents and the red 2 are passed over.
    const std::pair<const char*, QString> powers[] = {{"Label17", "2 alla 4"},
                                                      {"Label15", "2 alla 3"},
                                                      {"Label13", "2 alla 2"},
                                                      {"Label12", "2 alla 1"},
                                                      {"Label10", "2 alla 0"}};
    for (const auto& [two, power] : powers)
        QCOMPARE(readable(two)->text(QAccessible::Name), power);
    for (const char* silent : {"Label18", "Label16", "Label14", "Label11", "Label9"}) {
        QVERIFY2(readable(silent)->state().invisible, silent);
        QCOMPARE(readable(silent)->text(QAccessible::Name), QString());
        QVERIFY(element(silent)->isVisibleTo(window.get())); // still there for the eye
    }

    const std::pair<const char*, QString> counts[] = {{"lblScore", "Risposte esatte"},
                                                      {"lblScore1", "Risposte errate"},
                                                      {"lblScore2", "Risposte totali"}};
    for (const auto& [score, legend] : counts) {
        QCOMPARE(readable(score)->text(QAccessible::Name), "0");
        QStringList labels;
        for (const auto& [other, relation] : readable(score)->relations(QAccessible::Label))
            labels << other->text(QAccessible::Name);
        QCOMPARE(labels, QStringList{legend});
    }
}

// Without the screen: each number digit by digit, each verdict, each change of the counts, once,
// as notices shown one at a time, and none while Merlin speaks.
void TestTavola::heardWithoutTheScreen()
{
    start({26, 26, 7, 1});
    auto* announcer = window->findChild<Announcer*>();
    // What a screen reader is given: a notification shown anew, named by the notice.
    QStringList heard;
    connect(announcer, &Announcer::announced, this, [&heard, announcer] {
        QAccessibleInterface* notice = QAccessible::queryAccessibleInterface(announcer);
        if (announcer->isVisible() && notice->role() == QAccessible::Notification)
            heard.append(notice->text(QAccessible::Name));
    });
    QSignalSpy announced(announcer, &Announcer::announced);
    RecordingCharacter* merlin = agent->character();
    const auto merlinSays = [merlin, &announced](const QString& text) {
        emit merlin->speechStarted(text);
        QVERIFY(!announced.wait(300)); // nothing while he speaks
        emit merlin->speechFinished(text);
    };

    // Merlin's greeting, asked for first, is heard first.
    QVERIFY(!announced.wait(300));
    merlinSays(QStringLiteral("Ciao."));
    QTRY_COMPARE(heard, QStringList{"1 1 0 1 0"});
    QTRY_VERIFY(!announcer->isVisible()); // out of the way once read

    answer("25");
    QVERIFY(!announced.wait(300));
    merlinSays(QStringLiteral("Attenzione hai sbagliato! Il numero è"));
    merlinSays(QStringLiteral("ventisei"));
    const QStringList wrong{"1 1 0 1 0", "Sbagliato!! 1 1 0 1 0 in base 2 è uguale a 26",
                            "Risposte esatte: 0. Risposte errate: 1. Risposte totali: 1."};
    QTRY_COMPARE(heard, wrong);

    // The same number again is heard again; a correction never spoken is not waited for.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_COMPARE(heard.size(), 4);
    QCOMPARE(heard.last(), "1 1 0 1 0");
    answer("27");
    QTRY_COMPARE(heard.size(), 6);
    QCOMPARE(heard.last(), "Risposte esatte: 0. Risposte errate: 2. Risposte totali: 2.");

    // A number answered before it is heard is not heard after its verdict. A right answer's
    // counts change on the screen, and are heard, with the next number.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    answer("7");
    QTRY_COMPARE(heard.size(), 7);
    QCOMPARE(heard.last(), "Esatto, è incredibile!!!");
    QVERIFY(!announced.wait(300));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTRY_COMPARE(heard.size(), 9);
    QCOMPARE(heard.mid(7),
             QStringList({"Risposte esatte: 1. Risposte errate: 2. Risposte totali: 3.", "1"}));
}

void TestTavola::dealingShowsTheNumber_data()
{
    QTest::addColumn<int>("n");
    QTest::addColumn<QString>("numeral");
    QTest::addColumn<QString>("words");

    QTest::newRow("1") << 1 << "1"
                       << "uno";
    QTest::newRow("2") << 2 << "10"
                       << "due";
    QTest::newRow("5") << 5 << "101"
                       << "cinque";
    QTest::newRow("8") << 8 << "1000"
                       << "otto";
    QTest::newRow("16") << 16 << "10000"
                        << "sedici";
    QTest::newRow("17") << 17 << "10001"
                        << "diciassette";
    QTest::newRow("21") << 21 << "10101"
                        << "ventuno";
    QTest::newRow("31") << 31 << "11111"
                        << "trentuno";
}

void TestTavola::dealingShowsTheNumber()
{
    QFETCH(int, n);
    QFETCH(QString, numeral);
    QFETCH(QString, words);

    start({n});
    QCOMPARE(text("Text1"), QString::number(n));
    QCOMPARE(text("Text4"), numeral);
    QCOMPARE(text("Text2"), words);
    for (const Bead& bead : beads) {
        const bool there = (n & bead.placeValue) != 0;
        QCOMPARE(element(bead.name, bead.index)->isVisible(), there);
        // Heard as seen: the column's title and whether its bead is there.
        QCOMPARE(
            QAccessible::queryAccessibleInterface(element(bead.column))->text(QAccessible::Name),
            caption(bead.column) + (there ? ": pallina" : ": nessuna pallina"));
    }
    QCOMPARE(text("Text3"), "");
    QCOMPARE(QApplication::focusWidget(), element("Text3"));
    QCOMPARE(caption("lblMessage"), "");
    QVERIFY(element("cmdNext")->isEnabled());
    QCOMPARE(window->score(), Score());
}

void TestTavola::answers_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("right");

    QTest::newRow("right") << "21" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("leading zero") << "021" << false;
    QTest::newRow("blank after") << "21 " << false;
    QTest::newRow("in words") << "ventuno" << false;
    QTest::newRow("another number") << "12" << false;
}

void TestTavola::answers()
{
    QFETCH(QString, typed);
    QFETCH(bool, right);

    start({21});
    answer(typed);

    QCOMPARE(QApplication::focusWidget(), element("cmdNext"));
    if (right) {
        QCOMPARE(window->score(), Score(1, 0));
        QCOMPARE(caption("lblMessage"), QStringLiteral("Esatto, è incredibile!!!"));
        QCOMPARE(captionColour("lblMessage"), QColor(255, 255, 0));
        QCOMPARE(caption("lblScore"), "0"); // until the next exercise
    } else {
        QCOMPARE(window->score(), Score(0, 1));
        QCOMPARE(caption("lblMessage"),
                 QStringLiteral("Sbagliato!! 10101 in base 2 è uguale a 21"));
        QCOMPARE(captionColour("lblMessage"), QColor(255, 0, 0));
        QCOMPARE(caption("lblScore1"), "1");
        QCOMPARE(caption("lblScore2"), "1");
    }
    QCOMPARE(text("Text3"), typed); // answering empties nothing
}

void TestTavola::rightAnswerCountsAtTheNextDealing()
{
    start({6, 9});
    answer("6");
    QCOMPARE(caption("lblScore"), "0");

    // The focus is on the button: the second Enter deals the next exercise.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(text("Text1"), "9");
    QCOMPARE(caption("lblScore"), "1");
    QCOMPARE(caption("lblScore1"), "0");
    QCOMPARE(caption("lblScore2"), "1");
    QCOMPARE(caption("lblMessage"), "");
    QCOMPARE(QApplication::focusWidget(), element("Text3"));
}

void TestTavola::wrongAnswerAfterEarlierAnswers()
{
    start({7});
    window->setScore(Score(3, 1));
    answer("8");
    QCOMPARE(caption("lblScore1"), "2");
    QCOMPARE(caption("lblScore"), "3");
    QCOMPARE(caption("lblScore2"), "5");
}

void TestTavola::closingRefreshesLabelsAndBackground()
{
    start({4, 4});
    window->setScore(Score(3, 2));
    QTest::mouseClick(element("cmdNext"), Qt::LeftButton); // moving on without answering
    QCOMPARE(window->score(), Score(3, 2));
    QCOMPARE(caption("lblScore"), "3");
    QCOMPARE(caption("lblScore1"), "2");
    QCOMPARE(caption("lblScore2"), "5");
    QCOMPARE(element<Surface>("surface")->backColour(), QColor(22, 128, 125));
}

void TestTavola::bandsCoverTheWindowUntilAKey()
{
    start({3});
    // Column 2 lies left of every element, from top to bottom.
    const int height = element("surface")->height();
    for (int y : {0, 100, 278, 400, height - 1}) {
        const int band = y * 256 / height;
        const QColor pixel = surfacePixel(2, y);
        QCOMPARE(pixel.red(), 180);
        QCOMPARE(pixel.green(), 0);
        QVERIFY2(qAbs(pixel.blue() - band) <= 1, qPrintable(QString::number(pixel.blue())));
    }

    // Keys that type nothing leave the bands; Delete's text is a control character.
    QTest::sendKeyEvent(QTest::Click, element("Text3"), Qt::Key_Delete, QChar(0x7f),
                        Qt::NoModifier);
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_F5, Qt::Key_Escape, Qt::Key_Shift})
        QTest::keyClick(element("Text3"), key);
    QCOMPARE(surfacePixel(2, 0).red(), 180);

    QTest::keyClick(element("Text3"), Qt::Key_3);
    QCOMPARE(text("Text3"), "3");
    for (int y : {0, 278, height - 1})
        QCOMPARE(surfacePixel(2, y), QColor(20, 125, 25));
}

void TestTavola::verdictStaysInsideTheBar()
{
    std::deque<int> numbers(32);
    std::iota(numbers.begin(), numbers.end(), 0); // 0 stands for a first exercise answered right
    numbers.front() = 31;
    start(numbers);
    auto* verdict = element<CaptionLabel>("lblMessage");
    const QRect bar = element("Shape1")->geometry();
    const QFont font = verdict->font();

    answer(text("Text1")); // a right verdict fits where it was designed to stand
    QCOMPARE(verdict->pos(), QPoint(328, 328));
    QTest::keyClick(element("cmdNext"), Qt::Key_Return);
    for (int n = 1; n <= 31; ++n) {
        answer("0");
        const QString said = caption("lblMessage");
        QVERIFY2(said.endsWith(QStringLiteral(" uguale a %1").arg(n)), qPrintable(said));
        QVERIFY2(bar.contains(verdict->geometry()), qPrintable(said));
        // All of it is drawn: one line as wide as its text, or wrapped lines that fit.
        const QFontMetrics metrics(verdict->font());
        const QRect needed =
            metrics.boundingRect(QRect(0, 0, verdict->width(), 1000), Qt::TextWordWrap, said);
        QVERIFY2(needed.width() <= verdict->width() && needed.height() <= verdict->height(),
                 qPrintable(said));
        QCOMPARE(verdict->font(), font);
        QCOMPARE(captionColour("lblMessage"), QColor(255, 0, 0));
        QTest::keyClick(element("cmdNext"), Qt::Key_Return);
    }
}

void TestTavola::numeralCannotBeTypedOver()
{
    start({21});
    auto* numeral = element<QLineEdit>("Text4");
    numeral->setFocus();
    QTest::mouseClick(numeral, Qt::LeftButton);
    typeText(numeral, "ciao");
    QTest::keyClick(numeral, Qt::Key_Backspace);
    QCOMPARE(numeral->text(), "10101");
    numeral->selectAll();
    numeral->copy();
    QCOMPARE(QApplication::clipboard()->text(), "10101");

    // Read whole by a screen reader, selected as it is: one run of attributes over the value,
    // where a run of no length at each character had it read less its last digit.
    QAccessibleInterface* readable = QAccessible::queryAccessibleInterface(numeral);
    QVERIFY(readable->state().readOnly);
    QAccessibleTextInterface* text = readable->textInterface();
    QVERIFY(text);
    QCOMPARE(text->text(0, text->characterCount()), "10101");
    for (int offset = 0; offset < 5; ++offset) {
        int from = -1;
        int to = -1;
        text->attributes(offset, &from, &to);
        QCOMPARE(std::pair(from, to), std::pair(0, 5));
    }
    int from = -1;
    int to = -1;
    QCOMPARE(text->selectionCount(), 1);
    text->selection(0, &from, &to);
    QCOMPARE(std::pair(from, to), std::pair(0, 5));
}

void TestTavola::pasteKeepsWhatTheBoxShows_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("held");

    QTest::newRow("line break") << ""
                                << "11\n"
                                << "11";
    QTest::newRow("tab in the middle") << ""
                                       << "1\t1"
                                       << "11";
    QTest::newRow("into what was typed") << "2"
                                         << "1\n9"
                                         << "21";
    QTest::newRow("accents and emoji")
        << "" << QStringLiteral("undici è 🦆") << QStringLiteral("undici è 🦆");
    QTest::newRow("joined emoji") << "" << QStringLiteral("👩‍👧\n")
                                  << QStringLiteral("👩‍👧");
}

void TestTavola::pasteKeepsWhatTheBoxShows()
{
    QFETCH(QString, before);
    QFETCH(QString, pasted);
    QFETCH(QString, held);
    start({11});
    auto* box = element<QLineEdit>("Text3");
    typeText(box, before);
    QApplication::clipboard()->setText(pasted);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box->text(), held);
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(window->score(), held == "11" ? Score(1, 0) : Score(0, 1));
}

void TestTavola::topBarInvertsWhatLiesBeneath()
{
    start({3});
    // The top bar paints white, then blue hatch lines, each as NOT (colour AND pixel beneath).
    const int y = 45;
    const QImage shot = element<Surface>("surface")->grab().toImage();
    const QColor band = shot.pixelColor(2, y);
    const QColor gap(255 - band.red(), 255 - band.green(), 255 - band.blue());
    const QColor line(255, 255, band.blue());
    int gaps = 0;
    int lines = 0;
    for (int x = 12; x < 60; ++x) {
        const QColor pixel = shot.pixelColor(x, y);
        gaps += pixel == gap;
        lines += pixel == line;
    }
    QVERIFY2(gaps + lines == 48, qPrintable(QStringLiteral("%1 + %2").arg(gaps).arg(lines)));
    QVERIFY(lines >= 48 / 8);
    QVERIFY(gaps > lines);
}

void TestTavola::tabOrder()
{
    start();
    element("cmdExit")->setFocus();
    for (const char* next : {"Text3", "cmdNext", "Text4", "cmdExit"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), next);
        // The number in base 2 is reached to be read: a selection would be read out too.
        QVERIFY(!element<QLineEdit>("Text4")->hasSelectedText());
    }
}

void TestTavola::accessKeys()
{
    start({12, 30});
    // An access key presses the button briefly, as a click would look.
    QTest::keyClick(element("Text3"), Qt::Key_N, Qt::AltModifier);
    QTRY_COMPARE(text("Text1"), "30");

    QSignalSpy exitClicked(element<PictureButton>("cmdExit"), &QPushButton::clicked);
    QTest::keyClick(element("Text3"), Qt::Key_X, Qt::AltModifier);
    QTRY_COMPARE(exitClicked.count(), 1);
}

void TestTavola::buttonFacesInTheirBackColours_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("down");
    QTest::addColumn<QColor>("back");
    QTest::newRow("Nuovo calcolo") << "cmdNext" << false << QColor(255, 128, 255);
    QTest::newRow("Nuovo calcolo held down") << "cmdNext" << true << QColor(255, 128, 255);
    QTest::newRow("Exit") << "cmdExit" << false << QColor(0, 192, 192);
}

// Top, middle and bottom of the face, beside the picture and the caption, in the one back colour.
void TestTavola::buttonFacesInTheirBackColours()
{
    QFETCH(QString, name);
    QFETCH(bool, down);
    QFETCH(QColor, back);
    start();
    auto* button = window->findChild<PictureButton*>(name);
    button->setDown(down);
    const QImage face = button->grab().toImage();
    button->setDown(false);
    for (const QPoint& at :
         {QPoint(6, 6), QPoint(6, face.height() / 2), QPoint(face.width() - 7, face.height() - 7)})
        QCOMPARE(face.pixelColor(at), back);
}

void TestTavola::pressedPicture()
{
    start();
    auto* next = element<PictureButton>("cmdNext");
    const QImage smile = pictureOf(QIcon(QStringLiteral(":/icons/face-smile.svg")));
    QCOMPARE(pictureOf(next->currentPicture()), smile);
    QTest::mousePress(next, Qt::LeftButton);
    QCOMPARE(pictureOf(next->currentPicture()),
             pictureOf(QIcon(QStringLiteral(":/icons/face-laugh.svg"))));
    QTest::mouseRelease(next, Qt::LeftButton);
    QCOMPARE(pictureOf(next->currentPicture()), smile);
}

void TestTavola::countAtItsLimitIsReportedAndKept_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<Score>("score");
    QTest::newRow("right") << "9" << Score(32767, 4);
    QTest::newRow("wrong") << "90" << Score(4, 32767);
}

void TestTavola::countAtItsLimitIsReportedAndKept()
{
    QFETCH(QString, typed);
    QFETCH(Score, score);

    start({9, 10});
    window->setScore(score);
    QSignalSpy reported(window.get(), &Tavola::errorReported);
    answer(typed);

    QCOMPARE(reported.count(), 1);
    QVERIFY(!reported.first().first().toString().isEmpty());
    QCOMPARE(window->score(), score);
    QCOMPARE(caption("lblMessage"), ""); // no verdict for an answer not counted
    QCOMPARE(caption("lblScore1"), "0");
    QCOMPARE(window->focusWidget(), element("cmdNext")); // the focus had moved before the count
    auto* box = window->findChild<QMessageBox*>();
    QVERIFY(box && box->isVisible());
    QCOMPARE(box->text(), reported.first().first().toString());

    // The game goes on.
    qDeleteAll(window->findChildren<QMessageBox*>());
    QTest::mouseClick(element("cmdNext"), Qt::LeftButton);
    QCOMPARE(text("Text1"), "10");
    QCOMPARE(caption("lblScore"), QString::number(score.esatte()));
}

void TestTavola::totalPastTheLimitIsShownExactly()
{
    start({1});
    window->setScore(Score(32767, 100));
    QSignalSpy reported(window.get(), &Tavola::errorReported);
    answer("2");
    QCOMPARE(reported.count(), 0);
    QCOMPARE(caption("lblScore1"), "101");
    QCOMPARE(caption("lblScore2"), "32868");
}

void TestTavola::gameStartsOncePerWindow()
{
    start({3, 4});
    QCOMPARE(random->draws(), 1);
    answer("3");

    window->hide();
    window->show();
    QTimer::singleShot(0, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            box->accept();
    });
    QMessageBox::information(window.get(), "Perlobin", "ok");
    QVERIFY(makeActive(window.get()));

    QCOMPARE(random->draws(), 1);
    QCOMPARE(text("Text1"), "3");
    QCOMPARE(window->score(), Score(1, 0));
}

void TestTavola::answerBoxTakesAnyText_data()
{
    QTest::addColumn<QString>("typed");
    QTest::newRow("letters and blanks") << "ven tuno";
    QTest::newRow("accents") << QStringLiteral("perché è così");
    QTest::newRow("emoji") << QStringLiteral("🦆🎩✨");
    QTest::newRow("symbols") << "<>&%$\\\"'";
}

void TestTavola::answerBoxTakesAnyText()
{
    QFETCH(QString, typed);
    start({7});
    typeText(element("Text3"), typed);
    QCOMPARE(text("Text3"), typed);
    // Control keys reach the box too, and clear nothing but the bands.
    QTest::keyClick(element("Text3"), Qt::Key_Escape);
    QTest::keyClick(element("Text3"), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(element("Text3"), Qt::Key_Return);
    QCOMPARE(window->score(), Score(0, 1));
    QCOMPARE(text("Text3"), typed);
}

void TestTavola::answerBoxLimit()
{
    start({7});
    auto* box = element<QLineEdit>("Text3");
    box->insert(QString(300, QLatin1Char('7'))); // as a paste does
    QCOMPARE(box->text().size(), 250);
    QTest::keyClick(box, Qt::Key_7);
    QCOMPARE(box->text().size(), 250);
}

QTEST_MAIN(TestTavola)
#include "tst_tavola.moc"
