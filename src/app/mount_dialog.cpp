#include "mount_dialog.h"

#include "app/tform1.h"
#include "axes/drift_calibration.h"
#include "axes/mount_assistant.h"
#include "axes/mount_dialog_texts.h"
#include "axes/mount_table.h"
#include "config/fp_fault.h"
#include "config/number_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace korval;

namespace
{
QLineEdit* inputBox(QWidget* parent, const char* name, const QString& help)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setToolTip(help);
    box->setAccessibleDescription(help);
    return box;
}

QComboBox* rateBox(QWidget* parent, const char* name)
{
    auto* rate = new QComboBox(parent);
    rate->setObjectName(QLatin1String(name));
    rate->setEditable(true);
    for (const char* rateName : kTrackingRateNames)
        rate->addItem(QString::fromUtf8(rateName));
    rate->setToolTip(QString::fromUtf8(kTrackingRateHelp));
    return rate;
}

QPlainTextEdit* resultsBox(QWidget* parent, const char* name)
{
    auto* results = new QPlainTextEdit(parent);
    results->setObjectName(QLatin1String(name));
    results->setReadOnly(true);
    results->setLineWrapMode(QPlainTextEdit::NoWrap);
    results->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    results->setAccessibleName(QStringLiteral("Résultats"));
    const QFontMetrics metrics(results->font());
    // Room for the widest line of the results and both axes' levels.
    results->setMinimumSize(metrics.horizontalAdvance(QLatin1Char('0')) * 92,
                            metrics.lineSpacing() * 26);
    return results;
}
} // namespace

MountDialog::MountDialog(TForm1& form) : QDialog(&form), m_form(form)
{
    setObjectName(QStringLiteral("MountDialog"));
    setWindowTitle(QString::fromUtf8(kMountDialogTitle));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("OngletsMonture"));
    m_tabs->addTab(gearTrainTab(), QString::fromUtf8(mountPageTitle(MountPage::GearTrain)));
    m_tabs->addTab(calibrationTab(), QString::fromUtf8(mountPageTitle(MountPage::Calibration)));

    auto* buttons = new QDialogButtonBox(this);
    m_apply =
        buttons->addButton(QString::fromUtf8(kMountApplyCaption), QDialogButtonBox::AcceptRole);
    m_apply->setObjectName(QStringLiteral("ButtonAppliquer"));
    QPushButton* close =
        buttons->addButton(QString::fromUtf8(kMountCloseCaption), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("ButtonFermer"));
    connect(m_apply, &QPushButton::clicked, this, &MountDialog::apply);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs, 1);
    layout->addWidget(buttons);

    for (QLineEdit* box : {m_teeth, m_motorSteps, m_reduction})
        connect(box, &QLineEdit::textChanged, this, &MountDialog::recompute);
    connect(m_halfStep, &QCheckBox::toggled, this, &MountDialog::recompute);
    connect(m_rate, &QComboBox::currentTextChanged, this, &MountDialog::recompute);
    for (QLineEdit* box : {m_drift, m_plateScale, m_duration, m_declination})
        connect(box, &QLineEdit::textChanged, this, &MountDialog::recomputeCalibration);
    connect(m_west, &QRadioButton::toggled, this, &MountDialog::recomputeCalibration);
    connect(m_calibrationRate, &QComboBox::currentTextChanged, this,
            &MountDialog::recomputeCalibration);
    connect(m_tabs, &QTabWidget::currentChanged, this, &MountDialog::showApplicable);
    connect(m_mount, QOverload<int>::of(&QComboBox::activated), this, &MountDialog::chooseMount);
    recompute();
    recomputeCalibration();
}

QWidget* MountDialog::gearTrainTab()
{
    auto* tab = new QWidget(this);
    m_mount = new QComboBox(tab);
    m_mount->setObjectName(QStringLiteral("ComboMonture"));
    for (const std::string& entry : mountListEntries())
        m_mount->addItem(QString::fromStdString(entry));
    const auto help = [](MountInput input) { return QString::fromUtf8(mountInputHelp(input)); };
    m_teeth = inputBox(tab, "EditDents", help(MountInput::Teeth));
    m_motorSteps = inputBox(tab, "EditPasMoteur", help(MountInput::MotorSteps));
    m_reduction = inputBox(tab, "EditReduction", help(MountInput::Reduction));
    m_halfStep = new QCheckBox(QString::fromUtf8(kHalfStepCaption), tab);
    m_halfStep->setObjectName(QStringLiteral("CheckBoxDemiPas"));
    m_rate = rateBox(tab, "ComboSuivi");

    auto* inputs = new QFormLayout;
    inputs->addRow(QString::fromUtf8(kMountListCaption), m_mount);
    inputs->addRow(QString::fromUtf8(mountInputCaption(MountInput::Teeth)), m_teeth);
    inputs->addRow(QString::fromUtf8(mountInputCaption(MountInput::MotorSteps)), m_motorSteps);
    inputs->addRow(QString::fromUtf8(mountInputCaption(MountInput::Reduction)), m_reduction);
    inputs->addRow(QString(), m_halfStep);
    inputs->addRow(QString::fromUtf8(mountInputCaption(MountInput::Rate)), m_rate);

    m_results = resultsBox(tab, "TextResultats");

    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(inputs);
    layout->addWidget(m_results, 1);
    return tab;
}

QWidget* MountDialog::calibrationTab()
{
    auto* tab = new QWidget(this);
    const auto help = [](CalibrationInput input) {
        return QString::fromUtf8(calibrationInputHelp(input));
    };
    m_drift = inputBox(tab, "EditDerive", help(CalibrationInput::Drift));
    m_plateScale = inputBox(tab, "EditEchelle", help(CalibrationInput::PlateScale));
    m_duration = inputBox(tab, "EditDureeMesure", help(CalibrationInput::Duration));
    m_declination = inputBox(tab, "EditDeclinaison", help(CalibrationInput::Declination));
    m_declination->setPlaceholderText(QStringLiteral("0"));
    m_west = new QRadioButton(QString::fromUtf8(driftDirectionName(DriftDirection::West)), tab);
    m_west->setObjectName(QStringLiteral("RadioOuest"));
    m_west->setChecked(true);
    m_east = new QRadioButton(QString::fromUtf8(driftDirectionName(DriftDirection::East)), tab);
    m_east->setObjectName(QStringLiteral("RadioEst"));
    auto* directions = new QHBoxLayout;
    directions->addWidget(m_east);
    directions->addWidget(m_west);
    directions->addStretch(1);
    auto* directionHelp = new QLabel(QString::fromUtf8(driftDirectionHelp()), tab);
    directionHelp->setObjectName(QStringLiteral("LabelSensDerive"));
    directionHelp->setWordWrap(true);
    for (QRadioButton* button : {m_east, m_west})
        button->setAccessibleDescription(directionHelp->text());
    m_calibrationRate = rateBox(tab, "ComboSuiviCalibration");

    auto* inputs = new QFormLayout;
    const auto caption = [](CalibrationInput input) {
        return QString::fromUtf8(calibrationInputCaption(input));
    };
    inputs->addRow(caption(CalibrationInput::Drift), m_drift);
    inputs->addRow(caption(CalibrationInput::PlateScale), m_plateScale);
    inputs->addRow(caption(CalibrationInput::Duration), m_duration);
    inputs->addRow(QString::fromUtf8(kDriftDirectionCaption), directions);
    inputs->addRow(QString(), directionHelp);
    inputs->addRow(caption(CalibrationInput::Declination), m_declination);
    inputs->addRow(caption(CalibrationInput::Rate), m_calibrationRate);

    m_calibrationResults = resultsBox(tab, "TextCalibration");
    const QFontMetrics metrics(m_calibrationResults->font());
    // The report's widest line, with the frame and the scroll bar's room.
    m_calibrationResults->setMinimumSize(metrics.horizontalAdvance(QLatin1Char('0')) * 96,
                                         metrics.lineSpacing() * 10);
    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(inputs);
    layout->addWidget(m_calibrationResults, 1);
    return tab;
}

void MountDialog::recompute()
{
    MountTexts texts;
    texts.teeth = m_teeth->text().toStdString();
    texts.motorSteps = m_motorSteps->text().toStdString();
    texts.reduction = m_reduction->text().toStdString();
    texts.halfStep = m_halfStep->isChecked();
    texts.rate = m_rate->currentText().toStdString();
    // A filled box edited by hand: the list goes back to the free entry.
    m_mount->setCurrentIndex(mountListChoice(m_mount->currentIndex(), texts));
    m_mount->setToolTip(QString::fromStdString(mountListHelp(m_mount->currentIndex())));
    m_state.gearTrain = mountPanel(texts, m_form.currentRecord);
    m_results->setPlainText(QString::fromStdString(m_state.gearTrain.results));
    showApplicable();
}

void MountDialog::chooseMount(int choice)
{
    if (choice <= 0) return recompute(); // « Autre (saisie libre) » changes nothing
    MountTexts texts;
    texts.motorSteps = m_motorSteps->text().toStdString();
    texts.reduction = m_reduction->text().toStdString();
    texts = filledByModel(mountModels()[std::size_t(choice - 1)], texts);
    {
        // One computation once all three boxes hold the row, not one per box.
        const QSignalBlocker blockTeeth(m_teeth), blockSteps(m_motorSteps),
            blockReduction(m_reduction);
        m_teeth->setText(QString::fromStdString(texts.teeth));
        m_motorSteps->setText(QString::fromStdString(texts.motorSteps));
        m_reduction->setText(QString::fromStdString(texts.reduction));
    }
    recompute();
}

void MountDialog::recomputeCalibration()
{
    CalibrationTexts texts;
    texts.drift = m_drift->text().toStdString();
    texts.plateScale = m_plateScale->text().toStdString();
    texts.duration = m_duration->text().toStdString();
    texts.direction = m_west->isChecked() ? DriftDirection::West : DriftDirection::East;
    texts.declination = m_declination->text().toStdString();
    texts.rate = m_calibrationRate->currentText().toStdString();
    m_state.calibration = calibrationPanel(texts, m_form.currentRecord, m_form.drive);
    m_calibrationResults->setPlainText(QString::fromStdString(m_state.calibration.results));
    showApplicable();
}

void MountDialog::showApplicable()
{
    m_state.page = MountPage(m_tabs->currentIndex());
    m_apply->setEnabled(m_state.applicable());
    m_apply->setToolTip(QString::fromUtf8(mountApplyHelp(m_state.page)));
}

void MountDialog::apply()
{
    const std::vector<BoxText> writes = m_state.applyWrites();
    if (writes.empty()) return;
    for (const BoxText& write : writes)
        m_form.writeText(qobject_cast<QLineEdit*>(m_form.form()->widget(write.control)),
                         QString::fromStdString(write.text));
    accept();
}

MountDialog* openMountDialog(TForm1& form)
{
    auto* dialog = new MountDialog(form);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}
