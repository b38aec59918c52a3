#include "board_dialog.h"

#include "app/tform1.h"
#include "files/native_board_system.h"
#include "form/form_controls.h"
#include "form/form_texts.h"
#include "form/layout_scale.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTextCursor>

#include <algorithm>
#include <cmath>
#include <string>

using namespace korval;

namespace
{
const char* const kWriteKey = "carte/ecriture";
const char* const kReadKey = "carte/lecture";

QSettings userSettings()
{
    return QSettings(QStringLiteral("korvalset24"), QStringLiteral("korvalset24"));
}

QWidget* makeControl(const BoardControl& control, QWidget* parent)
{
    const QString caption =
        QString::fromStdString(control.mnemonic ? mnemonicCaption(control.text, control.mnemonic)
                                                : std::string(control.text));
    switch (control.kind) {
    case BoardControlKind::Label: {
        auto* label = new QLabel(caption, parent);
        label->setTextFormat(Qt::PlainText);
        return label;
    }
    case BoardControlKind::Edit:
        return new QLineEdit(QString::fromUtf8(control.text), parent);
    case BoardControlKind::Button:
        return new QPushButton(caption, parent);
    case BoardControlKind::Output: {
        auto* output = new QPlainTextEdit(parent);
        output->setReadOnly(true);
        output->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        output->setAccessibleName(QString::fromUtf8(boardTexts().output));
        return output;
    }
    }
    return nullptr;
}

QString firmwareFilter()
{
    return QString::fromStdString(qtNameFilters(firmwareFileFilters()));
}

std::string stemOf(const std::string& path)
{
    return QFileInfo(QString::fromStdString(path)).completeBaseName().toStdString();
}
} // namespace

BoardCommands rememberedBoardCommands()
{
    const QSettings settings = userSettings();
    return {settings.value(QLatin1String(kWriteKey)).toString(),
            settings.value(QLatin1String(kReadKey)).toString()};
}

void rememberBoardCommands(const BoardCommands& commands)
{
    QSettings settings = userSettings();
    settings.setValue(QLatin1String(kWriteKey), commands.write);
    settings.setValue(QLatin1String(kReadKey), commands.read);
}

BoardDialog::BoardDialog(TForm1& form) : QDialog(&form), m_form(form)
{
    setObjectName(QStringLiteral("BoardDialog"));
    setWindowTitle(QString::fromUtf8(boardTexts().title));
    // Layout pixels grow with the font, as the window's do.
    const double scale = std::max(1.0, double(QFontMetrics(font()).height()) / kLayoutLineHeight);
    const auto scaled = [scale](int v) { return int(std::lround(v * scale)); };

    QLabel* pendingBuddy = nullptr;
    for (const BoardControl& control : boardControls()) {
        QWidget* widget = makeControl(control, this);
        widget->setObjectName(QLatin1String(control.name));
        widget->setGeometry(scaled(control.place.x), scaled(control.place.y),
                            scaled(control.place.width), scaled(control.place.height));
        widget->setEnabled(control.enabledAtStart);
        if (control.help) {
            widget->setToolTip(QString::fromUtf8(control.help));
            widget->setAccessibleDescription(QString::fromUtf8(control.help));
        }
        // A label's letter reaches the box after it.
        if (pendingBuddy) pendingBuddy->setBuddy(widget);
        auto* label = qobject_cast<QLabel*>(widget);
        pendingBuddy = label && control.mnemonic ? label : nullptr;
        m_controls[control.id] = widget;
    }
    resize(scaled(kBoardDialogWidth), scaled(kBoardDialogHeight));
    m_output = qobject_cast<QPlainTextEdit*>(control(BoardControlId::Output));

    using I = BoardControlId;
    const BoardCommands commands = rememberedBoardCommands();
    edit(I::WriteEdit)->setText(commands.write);
    edit(I::ReadEdit)->setText(commands.read);
    edit(I::FirmwareEdit)->setText(QString::fromStdString(form.model().hexImageName()));
    for (I id : {I::FirmwareEdit, I::WriteEdit, I::ReadEdit})
        connect(edit(id), &QLineEdit::textChanged, this, &BoardDialog::showEnabled);
    connect(button(I::ChooseFirmware), &QPushButton::clicked, this, &BoardDialog::chooseFirmware);
    connect(button(I::WriteImage), &QPushButton::clicked, this, &BoardDialog::writeWholeImage);
    connect(button(I::Program), &QPushButton::clicked, this, &BoardDialog::program);
    connect(button(I::Stop), &QPushButton::clicked, this, &BoardDialog::stop);
    connect(button(I::Close), &QPushButton::clicked, this, &BoardDialog::reject);
    for (QPushButton* each : findChildren<QPushButton*>())
        each->setAutoDefault(false); // Enter in a command box runs nothing
    showNote();
    showEnabled();
}

BoardDialog::~BoardDialog()
{
    // Kept when the dialog goes, not at each keystroke: a write of the
    // settings' file is slow.
    keepCommands();
    if (!running()) return;
    m_system->requestStop();
    m_worker.join();
}

QLineEdit* BoardDialog::edit(BoardControlId id) const
{
    return qobject_cast<QLineEdit*>(control(id));
}

QPushButton* BoardDialog::button(BoardControlId id) const
{
    return qobject_cast<QPushButton*>(control(id));
}

void BoardDialog::keepCommands()
{
    rememberBoardCommands(
        {edit(BoardControlId::WriteEdit)->text(), edit(BoardControlId::ReadEdit)->text()});
}

void BoardDialog::showEnabled()
{
    using I = BoardControlId;
    const bool idle = !running();
    const bool firmware = !edit(I::FirmwareEdit)->text().trimmed().isEmpty();
    const bool command = !edit(I::WriteEdit)->text().trimmed().isEmpty();
    button(I::WriteImage)->setEnabled(firmware);
    button(I::Program)->setEnabled(idle && command);
    button(I::Stop)->setEnabled(!idle);
    for (I id : {I::FirmwareEdit, I::ChooseFirmware, I::WriteEdit, I::ReadEdit})
        control(id)->setEnabled(idle);
}

void BoardDialog::showNote()
{
    qobject_cast<QLabel*>(control(BoardControlId::Note))
        ->setText(QString::fromStdString(boardTableNote(m_form.model().hasUnsavedChanges())));
}

void BoardDialog::chooseFirmware()
{
    const QString path = m_form.dialogs().openFileName(this, firmwareFilter());
    if (!path.isEmpty()) edit(BoardControlId::FirmwareEdit)->setText(path);
}

void BoardDialog::writeWholeImage()
{
    const std::string firmware = edit(BoardControlId::FirmwareEdit)->text().toStdString();
    const FormModel& model = m_form.model();
    const std::string table =
        !model.saveFileName().empty() ? model.saveFileName() : model.openFileName();
    const QString output =
        m_form.dialogs().saveFileNameProposing(this, firmwareFilter(), QStringLiteral("hex"),
                                               QString::fromStdString(wholeImageName(table)));
    if (output.isEmpty()) return;
    std::string reason;
    std::string warning;
    if (!files::writeWholeImageFile(m_form.currentRecord, firmware, output.toStdString(), reason,
                                    warning)) {
        m_form.dialogs().showError(this, QString::fromStdString(wholeImageFailure(reason)));
        return;
    }
    if (!warning.empty()) m_form.dialogs().showNote(this, QString::fromStdString(warning));
}

void BoardDialog::append(const QString& text)
{
    QTextCursor end(m_output->document());
    end.movePosition(QTextCursor::End);
    end.insertText(text);
    m_output->moveCursor(QTextCursor::End);
    m_output->ensureCursorVisible();
}

void BoardDialog::program()
{
    if (running()) return;
    using I = BoardControlId;
    showNote();
    keepCommands();
    const FormModel& model = m_form.model();
    BoardRequest request;
    request.record = m_form.currentRecord; // what the window shows, saved or not
    request.writeCommand = edit(I::WriteEdit)->text().toStdString();
    request.readCommand = edit(I::ReadEdit)->text().toStdString();
    request.firmwarePath = edit(I::FirmwareEdit)->text().trimmed().toStdString();
    request.baseName =
        stemOf(!model.saveFileName().empty() ? model.saveFileName() : model.openFileName());
    m_output->clear();

    // The thread posts what it has to say; the dialog outlives it (the
    // destructor waits), so `this` stays valid for what is queued.
    const auto post = [this](const std::string& text) {
        QMetaObject::invokeMethod(
            this, [this, shown = QString::fromStdString(text)] { append(shown); },
            Qt::QueuedConnection);
    };
    m_system = std::make_unique<files::NativeBoardSystem>(
        post, [post](const std::string& line) { post(line + "\n"); });
    files::NativeBoardSystem* system = m_system.get();
    m_worker = std::thread([this, request, system] {
        const BoardReport report = programBoard(request, *system);
        QMetaObject::invokeMethod(
            this, [this, report] { finished(report); }, Qt::QueuedConnection);
    });
    showEnabled();
}

void BoardDialog::finished(const BoardReport& report)
{
    m_worker.join();
    m_system.reset();
    const QString text = QString::fromStdString(report.text());
    if (!m_output->document()->isEmpty() && !m_output->toPlainText().endsWith(QLatin1Char('\n')))
        append(QStringLiteral("\n"));
    append(text + QLatin1Char('\n'));
    showEnabled();
    if (m_closeWhenDone) QDialog::reject();
}

void BoardDialog::stop()
{
    if (running()) m_system->requestStop();
}

void BoardDialog::reject()
{
    if (running()) {
        m_closeWhenDone = true;
        stop();
        return;
    }
    QDialog::reject();
}

void BoardDialog::closeEvent(QCloseEvent* event)
{
    if (running()) {
        event->ignore();
        reject();
        return;
    }
    QDialog::closeEvent(event);
}

BoardDialog* openBoardDialog(TForm1& form)
{
    auto* dialog = new BoardDialog(form);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}
