#include "tform1.h"

#include "app/accessibility.h"
#include "app/board_dialog.h"
#include "app/mount_dialog.h"
#include "app/night_look.h"
#include "app/stored_value_mark.h"
#include "app/user_dialogs.h"
#include "files/file_store.h"
#include "form/form_help.h"
#include "form/layout_scale.h"

#include <QCheckBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QScopeGuard>
#include <QTextLayout>
#include <QToolButton>
#include <QtMath>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <utility>
#include <vector>

using namespace korval;

namespace
{
// The model's name of a key of the candidate list.
ListKey listKeyOf(const QKeyEvent& key)
{
    switch (key.key()) {
    case Qt::Key_F4:
        return ListKey::F4;
    case Qt::Key_Down:
        return key.modifiers().testFlag(Qt::AltModifier) ? ListKey::AltDown : ListKey::Other;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return ListKey::Enter;
    case Qt::Key_Escape:
        return ListKey::Escape;
    default:
        return ListKey::Other;
    }
}
} // namespace

TForm1::TForm1(std::unique_ptr<UserDialogs> dialogs, std::unique_ptr<FileStore> files,
               QWidget* parent)
    : QWidget(parent), m_model(std::make_unique<FormModel>(static_cast<FormView*>(this))),
      m_shown(*m_model), currentRecord(m_model->editCurrentRecord()),
      referenceRecord(m_model->editReferenceRecord()), drive(m_model->editDriveParameters()),
      m_dialogs(dialogs ? std::move(dialogs) : std::make_unique<StandardDialogs>()),
      m_files(files ? std::move(files) : std::make_unique<FileStore>())
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QString::fromUtf8(kFormTitle));
    useLookStyleSheet();
    buildForm(*this, m_form);
    m_form.ListBoxValeurTimer->setUniformItemSizes(true);
    m_form.ListBoxValeurTimer->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    scaleLayout();
    move(205, 128);
    bindControls();
    setAcceptDrops(true);
    // A file dropped on an edit box opens too, instead of typing its name in.
    for (QLineEdit* box : findChildren<QLineEdit*>())
        box->setAcceptDrops(false);
    describeControls(*this);
    showModel();
}

TForm1::~TForm1() = default;

QLineEdit* TForm1::levelEdit(Axis axis, int level) const
{
    return qobject_cast<QLineEdit*>(m_form.widget(FormModel::levelEditName(axis, level)));
}

QCheckBox* TForm1::halfStepBox(Axis axis, int level) const
{
    return qobject_cast<QCheckBox*>(m_form.widget(FormModel::halfStepName(axis, level)));
}

QLineEdit* TForm1::ratioDisplay(Axis axis, int level) const
{
    return qobject_cast<QLineEdit*>(m_form.widget(FormModel::ratioName(axis, level)));
}

QLineEdit* TForm1::msDisplay(int level) const
{
    return qobject_cast<QLineEdit*>(m_form.widget(FormModel::msName(level)));
}

QLineEdit* TForm1::pwmEdit(int entry) const
{
    return qobject_cast<QLineEdit*>(m_form.widget(FormModel::pwmName(entry)));
}

void TForm1::bindControls()
{
    const std::vector<std::string> names = m_model->controlNames();
    for (const std::string& name : names) {
        QWidget* widget = m_form.widget(name);
        m_widgets.push_back(widget);
        if (auto* box = qobject_cast<QLineEdit*>(widget)) {
            // Typing runs the same handler as a write from code.
            connect(box, &QLineEdit::textEdited, this, [this, box, name] {
                run([this, box, name] { m_model->userTyped(name, box->text().toStdString()); });
            });
        } else if (auto* check = qobject_cast<QCheckBox*>(widget)) {
            connect(check, &QCheckBox::clicked, this, [this, name](bool checked) {
                run([this, name, checked] { m_model->userSetChecked(name, checked); });
            });
        } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
            connect(button, &QPushButton::clicked, this,
                    [this, name] { run([this, name] { m_model->userClicked(name); }); });
        }
    }
    // The tool buttons; their names and help come with the others' (describeControls).
    connect(m_form.ButtonMonture, &QToolButton::clicked, this, [this] { openMountDialog(*this); });
    connect(m_form.ButtonComparer, &QToolButton::clicked, this, [this] { ButtonComparerClick(); });
    connect(qobject_cast<QToolButton*>(m_form.widget(kBoardButtonName)), &QToolButton::clicked,
            this, [this] { openBoardDialog(*this); });
    connect(m_form.ButtonNuit, &QToolButton::clicked, this, &TForm1::toggleNightLook);
    installNightKey(*this, [this] { toggleNightLook(); });

    // A click into the period box searches; the list applies a line on a
    // double-click or Enter and hides on Escape.
    m_form.EditPeriodeTimer->installEventFilter(this);
    m_form.ListBoxValeurTimer->installEventFilter(this);
    m_form.ListBoxValeurTimer->viewport()->installEventFilter(this);
}

void TForm1::toggleNightLook()
{
    showNightLook(!nightLookOn());
    rememberNightLook(nightLookOn());
}

void TForm1::showNightLook(bool night)
{
    setNightLook(night);
    m_form.ButtonNuit->setChecked(night);
}

namespace
{
// A label's caption laid out once: its advance (what QFontMetrics gives)
// weighs the layout's scale, its whole pixels (what the label's size hint
// gives) are the label's least size. Asking each of them would lay the same
// text out four times, and laying texts out is most of the window's start-up.
struct Caption {
    double advance = 0;
    QSize size;
};

Caption measureCaption(const QLabel& label)
{
    if (label.text().contains(QLatin1Char('\n')))
        return {double(QFontMetrics(label.font()).horizontalAdvance(label.text())),
                label.sizeHint()};
    QTextLayout layout(label.text(), label.font());
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(1e6); // one line, however long
    layout.endLayout();
    const qreal width = line.naturalTextWidth();
    return {double(qRound(width)), QSize(qCeil(width), qCeil(line.height()))};
}
} // namespace

void TForm1::scaleLayout()
{
    std::unordered_map<const QWidget*, Caption> captions;
    for (const auto& [name, w] : m_form.byName)
        if (const auto* label = qobject_cast<const QLabel*>(w))
            captions.emplace(label, measureCaption(*label));

    // Qt scales for the DPI itself; the font's line height is weighed too.
    const double scale = layoutScale(
        [this, &captions](const ControlInfo& info) {
            return captions.at(m_form.widget(info.name)).advance;
        },
        double(QFontMetrics(font()).height()) / kLayoutLineHeight, 1.0);

    const auto scaled = [scale](int v) { return int(std::lround(v * scale)); };
    // The controls and tool buttons; the list's own parts follow their owner.
    for (const auto& [name, w] : m_form.byName) {
        const QRect g = w->geometry();
        QRect r(scaled(g.x()), scaled(g.y()), scaled(g.width()), scaled(g.height()));
        if (const auto caption = captions.find(w); caption != captions.end())
            r.setSize(r.size().expandedTo(caption->second.size)); // labels fit their text
        w->setGeometry(r);
    }
    resize(scaled(kFormWidth), scaled(kFormHeight));
}

void TForm1::run(const std::function<void()>& action)
{
    if (m_depth++ == 0) {
        m_model->setOpenFileName(openFileName.toStdString());
        m_model->setSaveFileName(saveFileName.toStdString());
        m_openSeen = m_model->openFileName();
        m_saveSeen = m_model->saveFileName();
    }
    const auto shown = qScopeGuard([this] {
        if (--m_depth == 0) showModel();
    });
    action();
}

void TForm1::guarded(const std::function<void()>& action)
{
    run([this, &action] { m_model->guarded(action); });
}

void TForm1::showModel()
{
    for (const std::size_t i : m_shown.changedControls()) {
        if (!m_widgets[i]) continue;
        const ControlState& state = m_model->controlAt(i);
        if (auto* box = qobject_cast<QLineEdit*>(m_widgets[i])) {
            const QString text = QString::fromStdString(state.text);
            // Setting the same text would move the cursor of a box being typed in.
            if (box->text() != text) box->setText(text);
            const std::string name = box->objectName().toStdString();
            setHelpText(box, QString::fromStdString(m_model->helpText(name)));
            showStoredMark(box, QString::fromStdString(m_model->storedNote(name)));
        } else if (auto* check = qobject_cast<QCheckBox*>(m_widgets[i])) {
            if (check->isChecked() != state.checked) check->setChecked(state.checked);
        }
    }
    showList();
    if (m_model->openFileName() != m_openSeen) {
        m_openSeen = m_model->openFileName();
        openFileName = QString::fromStdString(m_openSeen);
    }
    if (m_model->saveFileName() != m_saveSeen) {
        m_saveSeen = m_model->saveFileName();
        saveFileName = QString::fromStdString(m_saveSeen);
    }
}

void TForm1::showList()
{
    QListWidget* list = m_form.ListBoxValeurTimer;
    if (m_shown.listChanged()) {
        list->clear();
        const std::vector<std::string>& lines = m_model->listLines();
        QStringList items;
        items.reserve(int(lines.size()));
        for (const std::string& line : lines)
            items << QString::fromStdString(line);
        list->addItems(items); // one batch, one repaint
        // Beside the line, not in it: the apply step reads the line's text.
        for (int row = 0; row < list->count(); ++row) {
            const QString drift = QString::fromStdString(m_model->listLineHelp(row));
            list->item(row)->setToolTip(drift);
            list->item(row)->setData(Qt::AccessibleDescriptionRole, drift);
        }
        if (m_model->listSelected() >= 0) list->setCurrentRow(m_model->listSelected());
        if (m_model->listVisible()) {
            list->show();
            list->raise();
            list->repaint();
        }
    }
    if (m_model->listVisible() && list->isHidden()) {
        list->show();
        list->raise();
    } else if (!m_model->listVisible() && !list->isHidden()) {
        hideCandidateList();
    }
}

void TForm1::writeText(QLineEdit* box, const QString& text)
{
    run([&] { m_model->writeText(box->objectName().toStdString(), text.toStdString()); });
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // The defaults are loaded once, when the window first appears: message
    // boxes and file dialogs that close later must not wipe the user's work.
    if (!m_activated) {
        m_activated = true;
        guarded([this] { m_model->FormOnActivate(); });
        if (!m_pathAtFirstShow.isEmpty()) queueOpen(std::exchange(m_pathAtFirstShow, QString()));
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    QListWidget* list = m_form.ListBoxValeurTimer;
    if (watched == m_form.EditPeriodeTimer) {
        if (event->type() == QEvent::MouseButtonPress)
            run([this] { m_model->userClicked("EditPeriodeTimer"); });
        else if (event->type() == QEvent::KeyPress)
            return listKey(ListKeyPlace::PeriodBox, *static_cast<QKeyEvent*>(event));
    } else if (watched == list->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        ListBoxValeurTimerDblClick();
        return true;
    } else if (watched == list && event->type() == QEvent::KeyPress) {
        return listKey(ListKeyPlace::List, *static_cast<QKeyEvent*>(event));
    }
    return QWidget::eventFilter(watched, event);
}

bool TForm1::listKey(ListKeyPlace place, const QKeyEvent& key)
{
    switch (listKeyAction(place, listKeyOf(key), m_form.ListBoxValeurTimer->isVisible())) {
    case ListKeyAction::Open:
        searchFromKeyboard();
        return true;
    case ListKeyAction::Apply:
        ListBoxValeurTimerDblClick();
        return true;
    case ListKeyAction::Close:
        hideCandidateList();
        return true;
    case ListKeyAction::None:
        break;
    }
    return false;
}

int TForm1::selectedLine() const
{
    const QList<QListWidgetItem*> selected = m_form.ListBoxValeurTimer->selectedItems();
    return selected.isEmpty() ? -1 : m_form.ListBoxValeurTimer->row(selected.constFirst());
}

void TForm1::ListBoxValeurTimerDblClick()
{
    // The list's own selection is the line; a fault is shown.
    const int line = selectedLine();
    run([this, line] { m_model->userDoubleClickedLine(line); });
}

void TForm1::hideCandidateList()
{
    m_model->hideList();
    const bool hadFocus = m_form.ListBoxValeurTimer->hasFocus();
    m_form.ListBoxValeurTimer->hide();
    if (hadFocus) m_form.EditPeriodeTimer->setFocus(); // keyboard users stay where they were
}

void TForm1::searchFromKeyboard()
{
    run([this] { m_model->searchFromKeyboard(); });
    QListWidget* list = m_form.ListBoxValeurTimer;
    if (!list->isVisible()) return; // the search stopped on a fault, shown already
    list->setFocus(Qt::OtherFocusReason);
    if (list->count() > 0) list->setCurrentRow(0);
}

void TForm1::showError(const std::string& message)
{
    showModel(); // the boxes as the fault left them, behind the message
    m_dialogs->showError(this, QString::fromStdString(message));
}
