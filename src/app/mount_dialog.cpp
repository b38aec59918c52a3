#include "mount_dialog.h"

#include "app/tform1.h"
#include "axes/drift_calibration.h"
#include "axes/mount_assistant.h"
#include "config/fp_fault.h"
#include "config/number_text.h"
#include "ui_tform1.h"

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
    rate->addItems({QStringLiteral("sidéral"), QStringLiteral("solaire"), QStringLiteral("lunaire"),
                    QStringLiteral("King")});
    rate->setToolTip(QStringLiteral("sidéral (l'axe tourne en 86164.0905 s), solaire (15.0 ″/s), "
                                    "lunaire (14.685 ″/s), King (15.0369 ″/s), ou une vitesse "
                                    "tapée en ″/s."));
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
    setWindowTitle(QStringLiteral("Monture"));

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("OngletsMonture"));
    m_tabs->addTab(gearTrainTab(), QStringLiteral("Train d'engrenages"));
    m_tabs->addTab(calibrationTab(), QStringLiteral("Calibration"));

    auto* buttons = new QDialogButtonBox(this);
    m_apply = buttons->addButton(QStringLiteral("Appliquer"), QDialogButtonBox::AcceptRole);
    m_apply->setObjectName(QStringLiteral("ButtonAppliquer"));
    m_apply->setToolTip(QStringLiteral("Écrit DureeTour et PasParTour dans la fenêtre ; "
                                       "cliquez ensuite dans « Période IT (ns) »."));
    QPushButton* close = buttons->addButton(QStringLiteral("Fermer"), QDialogButtonBox::RejectRole);
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
    recompute();
    recomputeCalibration();
}

QWidget* MountDialog::gearTrainTab()
{
    auto* tab = new QWidget(this);
    m_teeth = inputBox(tab, "EditDents",
                       QStringLiteral("Nombre de dents de la roue de l'axe AD (144, 359...)."));
    m_motorSteps =
        inputBox(tab, "EditPasMoteur", QStringLiteral("Pas du moteur par tour (200, 400, 48...)."));
    m_reduction = inputBox(tab, "EditReduction",
                           QStringLiteral("Réduction entre le moteur et la vis, un ou plusieurs "
                                          "étages : 3, 120, 50 x 3, 60/17 ; 1 sans réducteur."));
    m_halfStep = new QCheckBox(QStringLiteral("V1 en demi-pas (deux fois plus de pas)"), tab);
    m_halfStep->setObjectName(QStringLiteral("CheckBoxDemiPas"));
    m_rate = rateBox(tab, "ComboSuivi");

    auto* inputs = new QFormLayout;
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
    m_west = new QRadioButton(QStringLiteral("vers l'ouest"), tab);
    m_west->setObjectName(QStringLiteral("RadioOuest"));
    m_west->setChecked(true);
    m_east = new QRadioButton(QStringLiteral("vers l'est"), tab);
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
    inputs->addRow(QStringLiteral("Sens de la dérive"), directions);
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
    const MountPanel panel = mountPanel(texts, m_form.currentRecord);
    m_dureeTour = QString::fromStdString(panel.dureeTour);
    m_pasParTour = QString::fromStdString(panel.pasParTour);
    m_results->setPlainText(QString::fromStdString(panel.results));
    showApplicable();
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
    const CalibrationPanel panel = calibrationPanel(texts, m_form.currentRecord, m_form.drive);
    m_correctedDureeTour = QString::fromStdString(panel.dureeTour);
    m_calibrationResults->setPlainText(QString::fromStdString(panel.results));
    showApplicable();
}

void MountDialog::showApplicable()
{
    const bool calibration = m_tabs->currentIndex() == 1;
    m_apply->setEnabled(calibration ? !m_correctedDureeTour.isEmpty() : !m_dureeTour.isEmpty());
    m_apply->setToolTip(calibration
                            ? QStringLiteral("Écrit la DureeTour corrigée dans la fenêtre ; "
                                             "cliquez ensuite dans « Période IT (ns) ».")
                            : QStringLiteral("Écrit DureeTour et PasParTour dans la fenêtre ; "
                                             "cliquez ensuite dans « Période IT (ns) »."));
}

void MountDialog::apply()
{
    if (m_tabs->currentIndex() == 1) {
        if (m_correctedDureeTour.isEmpty()) return;
        m_form.writeText(m_form.form()->EditDureeTour, m_correctedDureeTour);
        accept();
        return;
    }
    if (m_dureeTour.isEmpty()) return;
    m_form.writeText(m_form.form()->EditDureeTour, m_dureeTour);
    m_form.writeText(m_form.form()->EditPasParTour, m_pasParTour);
    accept();
}

MountDialog* openMountDialog(TForm1& form)
{
    auto* dialog = new MountDialog(form);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
    return dialog;
}
