// Twenty thousand random keys, clicks and pastes on the real window, with a seed of its own for
// each run: every Enter in the answer box counts once and judges right, and nothing breaks.
#include "activation.h"
#include "agentcontrol.h"
#include "game.h"
#include "look.h"
#include "messageboxes.h"
#include "recordingagent.h"
#include "scriptedrandom.h"
#include "tavola.h"
#include "verdict.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

constexpr int kEvents = 20000;
constexpr qint64 kLongestMs = 60000;

const QStringList typed{"0",
                        "1",
                        "2",
                        "3",
                        "5",
                        "7",
                        "9",
                        "a",
                        "z",
                        " ",
                        QStringLiteral("è"),
                        QStringLiteral("ù"),
                        QStringLiteral("🦆"),
                        QStringLiteral("✨")};

} // namespace

class TestMonkey : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { applyLook(); }
    void randomPlay_data();
    void randomPlay();

private:
    bool answerBoxes(QRandomGenerator& random, const QSignalSpy& restarted);
    void enterInTheAnswerBox();
    void oneEvent(QRandomGenerator& random);
    template <typename T> T* element(const char* name) const
    {
        return game->window()->findChild<T*>(QString::fromLatin1(name));
    }

    std::unique_ptr<Game> game;
    QStringList calls;
    int errors = 0;
    int enters = 0;
};

void TestMonkey::randomPlay_data()
{
    QTest::addColumn<bool>("realAssistant");
    QTest::addColumn<quint32>("seed");
    QTest::newRow("test double") << false << 20261207u;
    QTest::newRow("real assistant") << true << 7122026u;
}

void TestMonkey::randomPlay()
{
    QFETCH(bool, realAssistant);
    QFETCH(quint32, seed);
    QRandomGenerator random(seed);
    const qsizetype windowsBefore = QApplication::topLevelWidgets().size();

    game = std::make_unique<Game>([this, realAssistant, &random] {
        std::deque<int> numbers;
        for (int i = 0; i < 2000; ++i)
            numbers.push_back(random.bounded(1, 32));
        std::unique_ptr<Agent> agent;
        if (realAssistant) {
            AgentOptions options;
            options.pace = 25;
            agent = std::make_unique<AgentControl>(options);
        } else {
            agent = std::make_unique<RecordingAgent>(&calls);
        }
        auto window =
            std::make_unique<Tavola>(std::make_unique<ScriptedRandom>(numbers), std::move(agent));
        connect(window.get(), &Tavola::errorReported, this, [this] { ++errors; });
        return window;
    });
    QSignalSpy restarted(game.get(), &Game::restarted);
    game->start();
    QVERIFY(makeActive(game->window()));

    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kEvents && clock.elapsed() < kLongestMs; ++i) {
        if (answerBoxes(random, restarted))
            continue;
        if (random.bounded(8) == 0) {
            QTest::mouseClick(element<QWidget>("Text3"), Qt::LeftButton);
            if (QApplication::focusWidget() == element<QWidget>("Text3"))
                enterInTheAnswerBox();
        } else {
            oneEvent(random);
        }
        if (QTest::currentTestFailed())
            return;
        if (i % 50 == 0)
            QCoreApplication::processEvents();
    }
    qInfo("%d Enter in the answer box, %lld restarts, %lld ms", enters, qlonglong(restarted.size()),
          clock.elapsed());
    QVERIFY2(enters > 50, "the answer box was hardly ever reached");
    QCOMPARE(errors, 0);

    game.reset();
    QCoreApplication::processEvents();
    QCOMPARE(QApplication::topLevelWidgets().size(), windowsBefore);
}

// Answers whichever box is open: the restart question mostly No, now and then Yes; the farewell
// (the test stands in for the end of the program) and any notice with OK.
bool TestMonkey::answerBoxes(QRandomGenerator& random, const QSignalSpy& restarted)
{
    QMessageBox* box = visibleBox(game->window());
    if (!box)
        return false;
    if (box->button(QMessageBox::Yes)) {
        const bool yes = random.bounded(10) == 0;
        const qsizetype before = restarted.size();
        QTest::keyClick(box, yes ? Qt::Key_Y : Qt::Key_Return); // Enter chooses No
        if (yes && box->isVisible())
            box->button(QMessageBox::Yes)->click();
        if (yes) {
            if (!QTest::qWaitFor([&] { return restarted.size() > before; }))
                qWarning("no new game after Yes");
            if (!makeActive(game->window()))
                qWarning("the new game's window is not active");
        }
    } else {
        box->button(QMessageBox::Ok)->click();
    }
    return true;
}

void TestMonkey::enterInTheAnswerBox()
{
    auto* answerBox = element<QLineEdit>("Text3");
    const Score before = game->window()->score();
    const QString answer = answerBox->text();
    const QString value = element<QLineEdit>("Text1")->text();
    const QString numeral = element<QLineEdit>("Text4")->text();
    QTest::keyClick(answerBox, Qt::Key_Return);
    ++enters;
    const Score after = game->window()->score();
    QCOMPARE(after.total(), before.total() + 1);
    const Verdict expected =
        Verdict::isRight(answer, value) ? Verdict::right() : Verdict::wrong(numeral, value);
    QCOMPARE(element<QLabel>("lblMessage")->text(), expected.caption);
}

void TestMonkey::oneEvent(QRandomGenerator& random)
{
    Tavola* window = game->window();
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
    switch (random.bounded(10)) {
    case 0:
    case 1:
    case 2: {
        const QString text = typed.at(random.bounded(int(typed.size())));
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, text, Qt::NoModifier);
        break;
    }
    case 3: {
        constexpr Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Tab,  Qt::Key_Backspace,
                                    Qt::Key_Delete, Qt::Key_Left, Qt::Key_F2};
        QTest::keyClick(target, keys[random.bounded(6)]);
        break;
    }
    case 4:
        QTest::keyClick(target, random.bounded(40) == 0 ? Qt::Key_X : Qt::Key_N, Qt::AltModifier);
        break;
    case 5:
        if (random.bounded(30) == 0)
            element<QAction>("Next")->trigger();
        break;
    case 6: {
        // A paste of up to 10,000 characters with line breaks in it.
        QString pasted;
        const int length = random.bounded(1, 10001);
        for (int i = 0; i < length; ++i)
            pasted += random.bounded(12) == 0 ? QChar(u'\n') : QChar(u'0' + random.bounded(10));
        QApplication::clipboard()->setText(pasted);
        QTest::keyClick(target, Qt::Key_V, Qt::ControlModifier);
        break;
    }
    case 7: {
        const QList<QWidget*> elements = window->findChildren<QWidget*>();
        QWidget* element = elements.at(random.bounded(int(elements.size())));
        if (element->isVisible())
            QTest::mouseClick(element, Qt::LeftButton);
        break;
    }
    default: {
        const QPoint at(random.bounded(window->width()), random.bounded(window->height()));
        QWidget* under = window->childAt(at);
        QTest::mouseClick(under ? under : window, Qt::LeftButton, {},
                          under ? under->mapFrom(window, at) : at);
        break;
    }
    }
}

QTEST_MAIN(TestMonkey)
#include "tst_monkey.moc"
