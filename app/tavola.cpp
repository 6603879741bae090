#include "tavola.h"

#include "agent.h"
#include "agentcontrol.h"
#include "agentstage.h"
#include "announcer.h"
#include "answerbox.h"
#include "assistanterror.h"
#include "backgroundcolour.h"
#include "binarydigits.h"
#include "boardlayout.h"
#include "captionlabel.h"
#include "character.h"
#include "characterset.h"
#include "currency.h"
#include "designarea.h"
#include "gameerror.h"
#include "keypad.h"
#include "numlett.h"
#include "picturebutton.h"
#include "pictures.h"
#include "randomsource.h"
#include "reactions.h"
#include "shapeelement.h"
#include "startuptrace.h"
#include "surface.h"
#include "verdict.h"

#include <QAction>
#include <QApplication>
#include <QDate>
#include <QInputDevice>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QTime>
#include <QWindow>

#include <cmath>

namespace {

const QString merlinName = QStringLiteral("Merlin");
const QString merlinFile = QStringLiteral("C:\\WINDOWS\\msagent\\chars\\Merlin.acs");
constexpr QPoint merlinPlace(630, 175);
constexpr int merlinHeight = 205;
// What a window manager's frame takes, until the window has one: borders and a title bar, at
// least as wide as openbox's, mutter's and kwin's (openbox's lower edge is 5 px).
constexpr QMargins usualFrame(8, 32, 8, 8);
constexpr qreal keyMillimetres = 15; // a child's fingertip
constexpr int designedKeySide = 48;  // in designed pixels: the keys grow with the game

QColor toColor(const Rgb& rgb)
{
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// The numeral as digits, "1 1 0 1 0", which a screen reader would read as a number.
QString digitByDigit(const QString& numeral)
{
    QStringList digits;
    for (const QChar digit : numeral)
        digits.append(digit);
    return digits.join(QLatin1Char(' '));
}

bool hasTouchScreen()
{
    const auto devices = QInputDevice::devices();
    return std::any_of(devices.begin(), devices.end(), [](const QInputDevice* device) {
        return device->type() == QInputDevice::DeviceType::TouchScreen;
    });
}

bool isTouch(const QEvent* event)
{
    switch (event->type()) {
    case QEvent::TouchBegin:
        return true;
    case QEvent::MouseButtonPress: {
        const auto* press = static_cast<const QMouseEvent*>(event);
        return press->device() && press->device()->type() == QInputDevice::DeviceType::TouchScreen;
    }
    default:
        return false;
    }
}

} // namespace

Tavola::Tavola(std::unique_ptr<RandomSource> random)
    : Tavola(std::move(random), nullptr)
{}

Tavola::Tavola(std::unique_ptr<RandomSource> random, std::unique_ptr<Agent> agent)
    : random_(random ? std::move(random) : std::make_unique<ClockRandom>())
    , Agent1(agent ? std::move(agent) : std::make_unique<AgentControl>())
{
    ui.setupUi(this);
    announcer_ = new Announcer(this);
    designedMenuFont_ = menuBar()->font();
    designedMenuHeight_ = menuBar()->sizeHint().height();
    resize(ui.design->designedSize() + QSize(0, designedMenuHeight_));
    layout()->activate(); // the elements at their places before the window first shows
    startup::stamp("elements built");
    Agent1->setStage(stage());
    connect(ui.surface, &Surface::resized, this, &Tavola::layoutBoard);
    connect(ui.keypad, &Keypad::keyPressed, this, &Tavola::typeFromKeypad);
    auto* fullScreen = new QAction(this);
    fullScreen->setShortcut(Qt::Key_F11);
    addAction(fullScreen);
    connect(fullScreen, &QAction::triggered, this, &Tavola::toggleFullScreen);
    connect(ui.cmdNext, &QPushButton::clicked, this, &Tavola::cmdNextClick);
    connect(ui.Text3, &AnswerBox::keyTyped, this, &Tavola::text3KeyPress);
    connect(ui.Text3, &AnswerBox::focusLeft, this, &Tavola::text3LostFocus);
    connect(ui.Next, &QAction::triggered, this, &Tavola::nextClick);
    connect(ui.cmdExit, &QPushButton::clicked, this, &Tavola::cmdExitClick);
}

Tavola::~Tavola() = default;

void Tavola::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Touches reach the window before any element, which may turn them into clicks.
    if (QWindow* handle = windowHandle())
        handle->installEventFilter(this);
    // A game starts once per window, when it is first shown: not at every activation, which
    // comes again whenever a message box closes, and may never come without a window manager.
    if (!activated_) {
        activated_ = true;
        startup::stamp("window showing");
        load();
        startup::stamp("loaded");
        activate();
        startup::stamp("activated");
    }
}

// Moved, the window may leave Merlin more room beside it, or less.
void Tavola::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    layoutBoard();
}

void Tavola::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        layoutBoard();
}

bool Tavola::eventFilter(QObject* watched, QEvent* event)
{
    if (!touched_ && watched == windowHandle() && isTouch(event)) {
        touched_ = true;
        layoutBoard();
    }
    return QMainWindow::eventFilter(watched, event);
}

void Tavola::openWithin(const QRect& workArea)
{
    const int menu = menuBar()->sizeHint().height();
    const QRect room = workArea.marginsRemoved(usualFrame); // for the window within its frame
    const QSize space = room.size() - QSize(0, menu);
    // The window itself, not its frame, at the designed place, as it has always stood; where its
    // frame would pass the work area's edge, at the area's corner, frame and all.
    const auto openAt = [&](QSize client) {
        const QRect window(designedPlace, client + QSize(0, menu));
        setGeometry(QRect(room.contains(window) ? designedPlace : room.topLeft(), window.size()));
        return qreal(client.width()) / ui.design->designedSize().width();
    };
    BoardLayout::Pieces pieces{ui.design->designedSize(), {}, {}, {}};
    const qreal scale = openAt(BoardLayout::openingSize(pieces, space));
    // Larger by Merlin's stage where he will have no room beside it.
    if (!AgentStage::roomBeside(this, scale, merlinHeight)) {
        addStage(pieces);
        openAt(BoardLayout::openingSize(pieces, space));
    }
}

void Tavola::openAs(const Tavola& previous)
{
    touched_ = previous.touched_;
    setGeometry(previous.normalGeometry());
    setWindowState(previous.windowState() & (Qt::WindowFullScreen | Qt::WindowMaximized));
}

bool Tavola::wantsKeypad() const
{
    return touched_ || (isFullScreen() && hasTouchScreen());
}

void Tavola::layoutBoard()
{
    growChrome();
    const BoardLayout layout = boardLayout(ui.surface->size());
    ui.design->setScale(layout.scale, layout.design.topLeft());
    ui.keypad->setGeometry(layout.keypad);
    ui.keypad->setVisible(!layout.keypad.isNull());
    // Hidden before it shrinks to nothing; shown once it stands where it will.
    if (layout.stage.isNull())
        ui.stage->hide();
    ui.stage->setGeometry(layout.stage);
    ui.stage->setVisible(!layout.stage.isNull());
    // Pointers as large as what they point at.
    if (!qFuzzyCompare(cursorScale_, layout.scale)) {
        cursorScale_ = layout.scale;
        ui.surface->setCursor(pictures::duckCursor(layout.scale));
        const QCursor icon = pictures::iconCursor(layout.scale);
        ui.cmdNext->setCursor(icon);
        ui.lblMessage->setCursor(icon);
    }
}

// Above the designed size the menu bar, its menus and the game's boxes grow with the window, to be
// read and touched on a whiteboard. Their scale comes from the whole window, menu bar and all:
// from what the menu bar leaves, it would shrink as the menu bar grows.
void Tavola::growChrome()
{
    const QSize designed = ui.design->designedSize() + QSize(0, designedMenuHeight_);
    const qreal scale = std::max(1.0, BoardLayout::aloneScale(size(), designed));
    if (qFuzzyCompare(scale, chromeScale_))
        return;
    chromeScale_ = scale;
    const QFont font = grown(designedMenuFont_);
    menuBar()->setFont(font);
    for (QMenu* menu : menuBar()->findChildren<QMenu*>())
        menu->setFont(font);
}

QFont Tavola::grown(QFont font) const
{
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * chromeScale_);
    else
        font.setPixelSize(int(std::lround(font.pixelSize() * chromeScale_)));
    return font;
}

// The design, the keypad where it is wanted, and Merlin's stage where he has no room beside the
// window.
BoardLayout Tavola::boardLayout(QSize client)
{
    BoardLayout::Pieces pieces{ui.design->designedSize(), keypadSize(client), {}, {}};
    const BoardLayout alone = BoardLayout::fit(client, pieces);
    if (AgentStage::roomBeside(this, alone.scale, merlinHeight))
        return alone;
    addStage(pieces);
    return BoardLayout::fit(client, pieces);
}

void Tavola::addStage(BoardLayout::Pieces& pieces)
{
    pieces.stageBeside = AgentStage::room(merlinHeight, Qt::Vertical);
    pieces.stageUnder = AgentStage::room(merlinHeight, Qt::Horizontal);
}

// Keys a fingertip wide at least, and as large as the design makes them; none while no keypad is
// wanted.
QSize Tavola::keypadSize(QSize client)
{
    if (!wantsKeypad())
        return {};
    const QScreen* screen = this->screen();
    const qreal millimetre =
        screen ? screen->physicalDotsPerInch() / 25.4 / screen->devicePixelRatio() : 96 / 25.4;
    // From the design's scale alone: the scale beside the keypad hangs on the keys' size.
    const qreal scale = BoardLayout::aloneScale(client, ui.design->designedSize());
    const int side = int(std::ceil(std::max(keyMillimetres * millimetre, designedKeySide * scale)));
    ui.keypad->setKeySide(side);
    return Keypad::sizeFor(side);
}

// Full screen and back, the game going on as it was: the same answer, focus, bands and score.
void Tavola::toggleFullScreen()
{
    setWindowState(windowState() ^ Qt::WindowFullScreen);
}

// Each key as if typed: to the window's element that has the focus, as a keyboard's key would go.
void Tavola::typeFromKeypad(int key, const QString& text)
{
    QWidget* target = focusWidget();
    if (!target)
        target = ui.Text3;
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

void Tavola::load()
{
    guarded([this] {
        score_.reset();
        Agent1->Characters().Load(merlinName, merlinFile);
        Character& character = merlin();
        // Queued: the notice joins the character's requests after the one that found the voice
        // missing, not from inside it.
        connect(&character, &Character::voiceUnavailable, this, &Tavola::tellVoiceUnavailable,
                Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
        connect(&character, &Character::speechStarted, announcer_, &Announcer::speechStarted,
                Qt::UniqueConnection);
        connect(&character, &Character::speechFinished, announcer_, &Announcer::speechFinished,
                Qt::UniqueConnection);
        character.Show();
        character.MoveTo(merlinPlace.x(), merlinPlace.y());
        character.Play(QStringLiteral("Announce"));
        character.setHeight(merlinHeight);
        say(character, reactions::greeting());
    });
}

void Tavola::activate()
{
    guarded([this] {
        dealExercise();
        score_.reset();
    });
}

void Tavola::cmdNextClick()
{
    guarded([this] { dealExercise(); });
}

void Tavola::text3KeyPress(int keyAscii)
{
    guarded([this, keyAscii] {
        ui.surface->clearDrawing();
        if (keyAscii != AnswerBox::enterCode)
            return;

        // Answered, the number is no longer news: still waiting, it would follow the verdict.
        announcer_->withdraw(digitByDigit(ui.Text4->text()));
        ui.cmdNext->setFocus();
        const QString answer = ui.Text3->text();
        const QString value = ui.Text1->text();
        if (Verdict::isRight(answer, value)) {
            score_.raiseEsatte();
            showVerdict(Verdict::right());
            announceVerdict();
            return; // the score labels catch up at the next exercise
        }
        score_.raiseErrate();
        showVerdict(Verdict::wrong(ui.Text4->text(), value));
        showScore();
        announceVerdict();
        announceScore();
    });
}

void Tavola::text3LostFocus()
{
    guarded([this] {
        Character& character = merlin();
        character.Show();
        const QString value = ui.Text1->text();
        const QString answer = ui.Text3->text();
        const double number = Currency::fromText(value).toDouble();
        if (reactions::needsCorrection(number, value, answer)) {
            say(character, reactions::correctionLead());
            say(character, ui.Text2->text());
        }
    });
}

void Tavola::nextClick()
{
    guarded([this] {
        QMessageBox* box = openBox(QMessageBox::Question, QStringLiteral("INIZIARE NUOVA GARA"),
                                   QStringLiteral("INIZIAMO UNA NUOVA GARA  ?"),
                                   QMessageBox::Yes | QMessageBox::No);
        box->setDefaultButton(QMessageBox::No);
        connect(box, &QMessageBox::finished, this,
                [this, box] { restartAnswered(box->standardButton(box->clickedButton())); });
    });
}

void Tavola::restartAnswered(QMessageBox::StandardButton answer)
{
    if (answer == QMessageBox::No)
        return;
    emit restartChosen();
}

void Tavola::cmdExitClick()
{
    guarded([this] {
        const QLocale locale = QLocale::system();
        const QString time = locale.toString(QTime::currentTime(), QLocale::ShortFormat);
        const QString date = locale.toString(QDate::currentDate(), QLocale::ShortFormat);
        QMessageBox* box = openBox(QMessageBox::NoIcon, QStringLiteral("Data ") + date,
                                   QStringLiteral("Ciao a presto. Ore ") + time, QMessageBox::Ok);
        connect(box, &QMessageBox::finished, this, &Tavola::farewellClosed);
    });
}

void Tavola::dealExercise()
{
    verifica();
    announceScore();
    showAllBeads();
    ui.Text2->setText(QString());
    ui.lblMessage->setCaption(QString());

    const int n = drawExerciseNumber(*random_);
    ui.Text1->setText(countText(n));
    const BinaryDigits digits =
        BinaryDigits::of(static_cast<int>(Currency::fromText(ui.Text1->text()).toDouble()));
    Currency words = Currency::fromText(ui.Text1->text());
    ui.Text2->setText(numlett(words));

    milestoneCheer();
    hideZeroBeads(digits);
    const QString numeral = digits.numeral();
    ui.Text3->setText(QString());
    ui.Text3->setFocus();
    paintScoreBackground();
    ui.Text4->setText(numeral);
    ui.describeColumns();
    announcer_->announce(digitByDigit(numeral));
}

void Tavola::verifica()
{
    const QString value = ui.Text1->text();
    const QString answer = ui.Text3->text();
    if (Verdict::isRight(answer, value)) {
        showVerdict(Verdict::closedRight());
    } else {
        showVerdict(Verdict::closedWrong(ui.Text2->text()));
        ui.lblScore1->setCaption(countText(score_.errate()));
        enableAndFocusNext();
    }
    ui.lblScore->setCaption(countText(score_.esatte()));
    enableAndFocusNext();
    ui.lblScore2->setCaption(countText(score_.total()));
    enableAndFocusNext();
}

void Tavola::showAllBeads()
{
    ui.Shape3[1]->show();
    ui.Shape4[1]->show();
    ui.Shape5[1]->show();
    ui.Shape6[1]->show();
    ui.Shape8[0]->show();
}

void Tavola::hideZeroBeads(const BinaryDigits& digits)
{
    if (digits.units == 0)
        ui.Shape3[1]->hide();
    if (digits.twos == 0)
        ui.Shape4[1]->hide();
    if (digits.fours == 0)
        ui.Shape5[1]->hide();
    if (digits.eights == 0)
        ui.Shape6[1]->hide();
    if (digits.sixteens == 0)
        ui.Shape8[0]->hide();
}

void Tavola::milestoneCheer()
{
    Character& character = merlin();
    character.Show();
    const double correct = Currency::fromText(ui.lblScore->text()).toDouble();
    if (const auto cheer = reactions::cheerAt(correct)) {
        character.Play(cheer->animation);
        say(character, cheer->text);
    }
}

void Tavola::paintScoreBackground()
{
    ui.surface->setBackColour(toColor(backgroundColour(score_)));
    ui.surface->paintBands();
}

void Tavola::showVerdict(const Verdict& verdict)
{
    ui.lblMessage->setForeColour(toColor(verdict.colour));
    ui.lblMessage->setCaption(verdict.caption);
}

void Tavola::showScore()
{
    ui.lblScore1->setCaption(countText(score_.errate()));
    ui.lblScore->setCaption(countText(score_.esatte()));
    ui.lblScore2->setCaption(countText(score_.total()));
}

// The numeral in it read as digits too, not as a number in the thousands.
void Tavola::announceVerdict()
{
    QString read = ui.lblMessage->text();
    if (const QString numeral = ui.Text4->text(); !numeral.isEmpty())
        read.replace(numeral, digitByDigit(numeral));
    announcer_->announce(read);
}

// When the counts change, and only then: not the zeros of the first dealing.
void Tavola::announceScore()
{
    const QString read = ui.scoreRead();
    const bool changed = !scoreAnnounced_.isNull() && read != scoreAnnounced_;
    scoreAnnounced_ = read;
    if (changed)
        announcer_->announce(read);
}

void Tavola::enableAndFocusNext()
{
    ui.cmdNext->setEnabled(true);
    ui.cmdNext->setFocus();
}

// Merlin belongs to this window, and never stands on it: beside it, or on the stage the board
// keeps for him.
AgentStage Tavola::stage() const
{
    return {ui.design, designedPlace, ui.design->designedSize(), merlinHeight, ui.stage};
}

// Notices for a screen reader wait for what he is asked to say.
void Tavola::say(Character& character, const QString& text)
{
    character.Speak(text);
    announcer_->expectSpeech();
}

Character& Tavola::merlin()
{
    return Agent1->Characters()(merlinName);
}

// Window-modal and opened, not exec()'d: no handler waits inside a nested event loop.
QMessageBox* Tavola::openBox(QMessageBox::Icon icon, const QString& title, const QString& prompt,
                             QMessageBox::StandardButtons buttons)
{
    auto* box = new QMessageBox(icon, title, prompt, buttons, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Its label and buttons hold fonts of their own; its margins grow too.
    // Each from its own font as it was: a part takes its parent's grown font as soon as it is set.
    QList<std::pair<QWidget*, QFont>> parts;
    for (QWidget* part : box->findChildren<QWidget*>())
        parts.append({part, part->font()});
    for (const auto& [part, font] : parts)
        part->setFont(grown(font));
    growIcon(box);
    if (QLayout* layout = box->layout()) {
        const QMargins margins = layout->contentsMargins();
        layout->setContentsMargins(
            QMargins(int(margins.left() * chromeScale_), int(margins.top() * chromeScale_),
                     int(margins.right() * chromeScale_), int(margins.bottom() * chromeScale_)));
    }
    box->open();
    return box;
}

// The box's icon drawn anew at the grown size, from the style's largest picture.
void Tavola::growIcon(QMessageBox* box) const
{
    auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgboxex_icon_label"));
    if (!label || chromeScale_ <= 1.0)
        return;
    QStyle::StandardPixmap kind;
    switch (box->icon()) {
    case QMessageBox::Question:
        kind = QStyle::SP_MessageBoxQuestion;
        break;
    case QMessageBox::Information:
        kind = QStyle::SP_MessageBoxInformation;
        break;
    case QMessageBox::Warning:
        kind = QStyle::SP_MessageBoxWarning;
        break;
    case QMessageBox::Critical:
        kind = QStyle::SP_MessageBoxCritical;
        break;
    default:
        return;
    }
    const qreal ratio = box->devicePixelRatioF();
    const int grownSide =
        int(std::lround(label->pixmap().deviceIndependentSize().width() * chromeScale_ * ratio));
    // The style's largest picture, enlarged where it has none as large.
    QPixmap picture =
        box->style()
            ->standardIcon(kind, nullptr, box)
            .pixmap(QSize(grownSide, grownSide) / ratio, ratio)
            .scaled(grownSide, grownSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    picture.setDevicePixelRatio(ratio);
    label->setPixmap(picture);
}

template <typename Handler> void Tavola::guarded(Handler&& handler)
{
    try {
        handler();
    } catch (const GameError& error) {
        reportError(QString::fromStdString(error.what()));
    } catch (const AssistantError& error) {
        reportError(QString::fromUtf8(error.what()));
    } catch (const std::exception&) {
        reportError(QStringLiteral("Qualcosa non ha funzionato."));
    }
}

void Tavola::reportError(const QString& message)
{
    const QString text = message + QStringLiteral(" Il gioco continua.");
    emit errorReported(text);
    openBox(QMessageBox::Information, windowTitle(), text, QMessageBox::Ok);
}

void Tavola::tellVoiceUnavailable(const QString& message)
{
    if (voiceNoticeGiven_)
        return;
    voiceNoticeGiven_ = true;
    emit voiceNoticeShown(message);
    // In his balloon, where his words are read: a box would stop the game at every start in a
    // room without speakers.
    guarded([this, &message] { say(merlin(), message); });
}
