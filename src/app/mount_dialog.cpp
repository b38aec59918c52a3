#include "mount_dialog.h"

#include "app/tform1.h"
#include "axes/mount_assistant.h"
#include "config/fp_fault.h"
#include "config/number_text.h"
#include "ui_tform1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
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
} // namespace

MountDialog::MountDialog(TForm1& form) : QDialog(&form), m_form(form)
{
    setObjectName(QStringLiteral("MountDialog"));
    setWindowTitle(QStringLiteral("Monture"));

    m_teeth = inputBox(this, "EditDents",
                       QStringLiteral("Nombre de dents de la roue de l'axe AD (144, 359...)."));
    m_motorSteps = inputBox(this, "EditPasMoteur",
                            QStringLiteral("Pas du moteur par tour (200, 400, 48...)."));
    m_reduction = inputBox(this, "EditReduction",
                           QStringLiteral("Réduction entre le moteur et la vis, un ou plusieurs "
                                          "étages : 3, 120, 50 x 3, 60/17 ; 1 sans réducteur."));
    m_halfStep = new QCheckBox(QStringLiteral("V1 en demi-pas (deux fois plus de pas)"), this);
    m_halfStep->setObjectName(QStringLiteral("CheckBoxDemiPas"));
    m_rate = new QComboBox(this);
    m_rate->setObjectName(QStringLiteral("ComboSuivi"));
    m_rate->setEditable(true);
    m_rate->addItems({QStringLiteral("sidéral"), QStringLiteral("solaire"),
                      QStringLiteral("lunaire"), QStringLiteral("King")});
    m_rate->setToolTip(QStringLiteral("sidéral (l'axe tourne en 86164.0905 s), solaire (15.0 ″/s), "
                                      "lunaire (14.685 ″/s), King (15.0369 ″/s), ou une vitesse "
                                      "tapée en ″/s."));

    auto* inputs = new QFormLayout;
    inputs->addRow(QString::fromUtf8(mountInputCaption(MountInput::Teeth)), m_teeth);
    inputs->addRow(QString::fromUtf8(mountInputCaption(MountInput::MotorSteps)), m_motorSteps);
    inputs->addRow(QString::fromUtf8(mountInputCaption(MountInput::Reduction)), m_reduction);
    inputs->addRow(QString(), m_halfStep);
    inputs->addRow(QString::fromUtf8(mountInputCaption(MountInput::Rate)), m_rate);

    m_results = new QPlainTextEdit(this);
    m_results->setObjectName(QStringLiteral("TextResultats"));
    m_results->setReadOnly(true);
    m_results->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_results->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_results->setAccessibleName(QStringLiteral("Résultats"));
    const QFontMetrics metrics(m_results->font());
    // Room for the widest line of the results and both axes' levels.
    m_results->setMinimumSize(metrics.horizontalAdvance(QLatin1Char('0')) * 92,
                              metrics.lineSpacing() * 26);

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
    layout->addLayout(inputs);
    layout->addWidget(m_results, 1);
    layout->addWidget(buttons);

    for (QLineEdit* box : {m_teeth, m_motorSteps, m_reduction})
        connect(box, &QLineEdit::textChanged, this, &MountDialog::recompute);
    connect(m_halfStep, &QCheckBox::toggled, this, &MountDialog::recompute);
    connect(m_rate, &QComboBox::currentTextChanged, this, &MountDialog::recompute);
    recompute();
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
    m_apply->setEnabled(!m_dureeTour.isEmpty());
}

void MountDialog::apply()
{
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
