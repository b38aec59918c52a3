#include "tform1.h"

#include "app/accessibility.h"
#include "app/box_text.h"
#include "app/user_dialogs.h"
#include "axes/drive_settings.h"
#include "files/file_store.h"
#include "ui_tform1.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopedValueRollback>

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

using namespace korval;

namespace
{
const char* axisSuffix(Axis axis)
{
    return axis == Axis::AD ? "AD" : axis == Axis::De ? "De" : "Foc";
}

// The layout is drawn for an 8-point font whose text is 13 pixels high.
constexpr int kLayoutLineHeight = 13;
constexpr int kLayoutClientWidth = 788;
constexpr int kLayoutClientHeight = 290;

// F4 and Alt+Down open a list from its box, as in a combo box.
bool opensCandidateList(const QKeyEvent& key)
{
    return key.key() == Qt::Key_F4 ||
           (key.key() == Qt::Key_Down && key.modifiers().testFlag(Qt::AltModifier));
}
} // namespace

TForm1::TForm1(std::unique_ptr<UserDialogs> dialogs, std::unique_ptr<FileStore> files,
               QWidget* parent)
    : QWidget(parent), ui(std::make_unique<Ui::TForm1>()),
      m_dialogs(dialogs ? std::move(dialogs) : std::make_unique<StandardDialogs>()),
      m_files(files ? std::move(files) : std::make_unique<FileStore>())
{
    setObjectName(QStringLiteral("Form1"));
    ui->setupUi(this);
    // setupUi names the window after its class; the instance is Form1.
    setObjectName(QStringLiteral("Form1"));
    // These displays start with one blank, which the form file cannot hold.
    for (QLineEdit* display : {ui->EditVmax, ui->EditErreur, ui->EditPeriodeMax})
        display->setText(QStringLiteral(" "));
    ui->ListBoxValeurTimer->setUniformItemSizes(true);
    ui->ListBoxValeurTimer->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    scaleLayout();
    move(205, 128);
    bindHandlers();
    setAcceptDrops(true);
    // A file dropped on an edit box opens too, instead of typing its name in.
    for (QLineEdit* box : findChildren<QLineEdit*>())
        box->setAcceptDrops(false);
    describeControls(*this);
    bindStoredNotes();
}

TForm1::~TForm1() = default;

QLineEdit* TForm1::levelEdit(Axis axis, int level) const
{
    return findChild<QLineEdit*>(
        QStringLiteral("EditV%1%2").arg(level).arg(QLatin1String(axisSuffix(axis))));
}

QCheckBox* TForm1::halfStepBox(Axis axis, int level) const
{
    return findChild<QCheckBox*>(
        QStringLiteral("CheckBox%1%2").arg(QLatin1String(axisSuffix(axis))).arg(level));
}

QLineEdit* TForm1::ratioDisplay(Axis axis, int level) const
{
    return findChild<QLineEdit*>(
        QStringLiteral("EditX%1%2").arg(QLatin1String(axisSuffix(axis))).arg(level));
}

QLineEdit* TForm1::msDisplay(int level) const
{
    return findChild<QLineEdit*>(QStringLiteral("EditMsFoc%1").arg(level));
}

QLineEdit* TForm1::pwmEdit(int entry) const
{
    return findChild<QLineEdit*>(QStringLiteral("EditPwm%1").arg(entry));
}

void TForm1::bindHandlers()
{
    const auto onEdit = [this](QLineEdit* box, std::function<void()> handler) {
        m_changeHandlers.insert(box, handler);
        // Typing runs the same handler as a write from code.
        connect(box, &QLineEdit::textEdited, this, [this, handler] { guarded(handler); });
    };
    const auto onClick = [this](QCheckBox* box, std::function<void()> handler) {
        m_clickHandlers.insert(box, handler);
        connect(box, &QCheckBox::clicked, this, [this, handler] { guarded(handler); });
    };
    const auto onButton = [this](QPushButton* button, std::function<void()> handler) {
        connect(button, &QPushButton::clicked, this, [this, handler] { guarded(handler); });
    };

    onButton(ui->ButtonOuvrir, [this] { ButtonOuvrirClick(); });
    onButton(ui->ButtonValider, [this] { ButtonValiderClick(); });
    onButton(ui->ButtonSauvegarder, [this] { ButtonSauvegarderClick(); });

    onEdit(ui->EditFrequenceQuartz, [this] { EditFrequenceQuartzChange(); });
    onEdit(ui->EditDureeTour, [this] { EditDureeTourChange(); });
    onEdit(ui->EditPasParTour, [this] { EditPasParTourChange(); });
    onEdit(ui->EditTranchePec, [this] { EditTranchePecChange(); });
    onEdit(ui->EditPasParTranche, [this] { EditPasParTrancheChange(); });
    onEdit(ui->EditPeriodeTimer, [this] { EditPeriodeTimerChange(); });

    for (int level = 1; level <= kLevelCount; ++level) {
        for (Axis axis : {Axis::AD, Axis::De}) {
            onEdit(levelEdit(axis, level), [this, axis, level] { levelChange(axis, level); });
            // A half-step click re-runs its level's change handler.
            onClick(halfStepBox(axis, level), [this, axis, level] { levelChange(axis, level); });
        }
        onEdit(levelEdit(Axis::Foc, level), [this, level] { focuserLevelChange(level); });
    }

    onEdit(ui->EditJeuAD, [this] { EditJeuADChange(); });
    onEdit(ui->EditJeuDe, [this] { EditJeuDeChange(); });
    onEdit(ui->EditMaintienFoc, [this] { EditMaintienFocChange(); });
    for (int entry = 0; entry < kPwmCount; ++entry)
        onEdit(pwmEdit(entry), [this, entry] { pwmChange(entry); });

    // A click into the period box searches; the list applies a line on a
    // double-click or Enter and hides on Escape.
    ui->EditPeriodeTimer->installEventFilter(this);
    ui->ListBoxValeurTimer->installEventFilter(this);
    ui->ListBoxValeurTimer->viewport()->installEventFilter(this);
}

void TForm1::scaleLayout()
{
    // Captions were measured for a smaller font than most platforms use:
    // every position and size grows by what three captions in four need, and
    // each label then fits its own text.
    std::vector<double> growth;
    const QList<QLabel*> labels = findChildren<QLabel*>();
    for (const QLabel* label : labels) {
        if (label->width() > 0)
            growth.push_back(double(QFontMetrics(label->font()).horizontalAdvance(label->text())) /
                             label->width());
    }
    double scale = double(QFontMetrics(font()).height()) / kLayoutLineHeight;
    if (!growth.empty()) {
        const auto upperQuartile = growth.begin() + std::ptrdiff_t(growth.size() * 3 / 4);
        std::nth_element(growth.begin(), upperQuartile, growth.end());
        scale = std::max(scale, *upperQuartile);
    }
    m_scale = std::clamp(scale, 1.0, 3.0);

    const auto scaled = [this](int v) { return int(std::lround(v * m_scale)); };
    const QList<QWidget*> widgets = findChildren<QWidget*>();
    for (QWidget* w : widgets) {
        // The controls of the layout sit on the window or in a group box; the
        // list's own parts follow their owner.
        if (w->parentWidget() != this && !qobject_cast<QGroupBox*>(w->parentWidget())) continue;
        const QRect g = w->geometry();
        QRect r(scaled(g.x()), scaled(g.y()), scaled(g.width()), scaled(g.height()));
        if (auto* label = qobject_cast<QLabel*>(w))
            r.setSize(r.size().expandedTo(label->sizeHint())); // labels fit their text
        w->setGeometry(r);
        // Group boxes are opaque: what they cover stays hidden.
        if (qobject_cast<QGroupBox*>(w)) w->setAutoFillBackground(true);
    }
    resize(scaled(kLayoutClientWidth), scaled(kLayoutClientHeight));
}

void TForm1::showError(const QString& message)
{
    m_dialogs->showError(this, message);
}

void TForm1::guarded(const std::function<void()>& handler)
{
    if (!handler) return;
    try {
        handler();
    } catch (const std::exception& error) { // FloatingPointError above all
        showError(QString::fromUtf8(error.what()));
    }
}

void TForm1::writeText(QLineEdit* box, const QString& text)
{
    box->setText(text);
    guarded(m_changeHandlers.value(box));
    refreshStoredNote(box);
}

void TForm1::writeChecked(QCheckBox* box, bool checked)
{
    if (box->isChecked() == checked) return;
    box->setChecked(checked);
    if (const auto handler = m_clickHandlers.value(box)) handler();
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The defaults are loaded once, when the window first appears: message
    // boxes and file dialogs that close later must not wipe the user's work.
    if (!m_activated) {
        m_activated = true;
        guarded([this] { FormOnActivate(); });
        if (!m_pathAtFirstShow.isEmpty()) queueOpen(std::exchange(m_pathAtFirstShow, QString()));
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    QListWidget* list = ui->ListBoxValeurTimer;
    if (watched == ui->EditPeriodeTimer) {
        if (event->type() == QEvent::MouseButtonPress) {
            guarded([this] { EditPeriodeClick(); });
        } else if (event->type() == QEvent::KeyPress &&
                   opensCandidateList(*static_cast<QKeyEvent*>(event))) {
            searchFromKeyboard();
            return true;
        } else if (event->type() == QEvent::KeyPress && list->isVisible() &&
                   static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            hideCandidateList();
            return true;
        }
    } else if (watched == list->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        guarded([this] { ListBoxValeurTimerDblClick(); });
        return true;
    } else if (watched == list && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            guarded([this] { ListBoxValeurTimerDblClick(); });
            return true;
        }
        if (key == Qt::Key_Escape) {
            hideCandidateList();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::hideCandidateList()
{
    const bool hadFocus = ui->ListBoxValeurTimer->hasFocus();
    ui->ListBoxValeurTimer->hide();
    if (hadFocus) ui->EditPeriodeTimer->setFocus(); // keyboard users stay where they were
}

void TForm1::FormOnActivate()
{
    loadFactoryDefaults(referenceRecord, drive);
    ShowRecord();
    copyReferenceToCurrent(referenceRecord, currentRecord);
}

void TForm1::ButtonValiderClick()
{
    // Every edit takes effect as it is typed: there is nothing to validate.
}

void TForm1::ShowRecord()
{
    const QScopedValueRollback<bool> showing(m_showingRecord, true);
    const ConfigRecord& ref = referenceRecord;
    const auto integer = [](long value) { return qs(formatText("%d", int(value))); };
    // Quartz, steps per turn and period are shown signed, as "%ld" of 32 bits.
    const auto signed32 = [](std::uint32_t value) {
        return qs(formatText("%ld", long(std::int32_t(value))));
    };

    writeText(ui->EditFrequenceQuartz, signed32(drive.FrequenceQuartz)); // blanks the period box
    writeText(ui->EditDureeTour, qs(formatFloatForBox(drive.DureeTour)));
    writeText(ui->EditPasParTour, signed32(drive.PasParTour));
    writeText(ui->EditPeriodeTimer, signed32(ref.PeriodeTimer()));
    writeText(ui->EditJeuAD, integer(ref.JeuAD()));
    writeText(ui->EditJeuDe, integer(ref.JeuDe()));
    writeText(ui->EditPasParTranche, integer(ref.PasParTranche()));
    writeText(ui->EditTranchePec, integer(ref.TranchePec()));

    // AD: the half-step boxes before the texts; V1 last, so that every ratio
    // is computed from the new V1.
    for (int level = 2; level <= kLevelCount; ++level)
        writeChecked(halfStepBox(Axis::AD, level), halfStep(ref.level(Axis::AD, level)));
    writeChecked(halfStepBox(Axis::AD, 1), halfStep(ref.level(Axis::AD, 1)));
    for (int level = 2; level <= kLevelCount; ++level)
        writeText(levelEdit(Axis::AD, level), integer(levelCount(ref.level(Axis::AD, level))));
    writeText(levelEdit(Axis::AD, 1), integer(levelCount(ref.level(Axis::AD, 1))));

    // De: the texts before the boxes. V3 De is the acceleration time in whole
    // seconds: all eight bits are its value and it never carries a flag.
    for (int level = 2; level <= kLevelCount; ++level) {
        const std::uint8_t byte = ref.level(Axis::De, level);
        writeText(levelEdit(Axis::De, level), integer(level == 3 ? byte : levelCount(byte)));
    }
    writeText(levelEdit(Axis::De, 1), integer(levelCount(ref.level(Axis::De, 1))));
    for (int level = 2; level <= kLevelCount; ++level)
        writeChecked(halfStepBox(Axis::De, level),
                     level != 3 && halfStep(ref.level(Axis::De, level)));
    writeChecked(halfStepBox(Axis::De, 1), halfStep(ref.level(Axis::De, 1)));

    for (int level = 2; level <= kLevelCount; ++level)
        writeText(levelEdit(Axis::Foc, level), integer(ref.level(Axis::Foc, level)));
    writeText(levelEdit(Axis::Foc, 1), integer(ref.level(Axis::Foc, 1)));

    for (int entry = 0; entry < kPwmCount; ++entry)
        writeText(pwmEdit(entry), integer(ref.Pwm(entry)));

    // The period box was written above, so the current period is the shown one.
    writeText(ui->EditMaintienFoc, qs(holdText(ref.MaintienFoc(), currentRecord.PeriodeTimer())));
}
