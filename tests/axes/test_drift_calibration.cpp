// The calibration from a drift on the sky: hand-computed corrections of the
// factory file's worm turn, the reading of durations, directions and
// declinations, every refused input with its message, and the report.
//
// Hand values (exact fractions, then one rounding): T = 33 x 708279 x 25600
// / 1e9 = 598.3540992 s; r = 1296000 / 86164.0905 ″/s; e = d / (r t cos δ).

#include "axes/drift_calibration.h"
#include "config/config_record.h"

#include <QtTest>

#include <cmath>

using namespace korval;

namespace
{
CalibrationSettings factory()
{
    ConfigRecord record;
    DriveParameters drive;
    loadFactoryDefaults(record, drive);
    return calibrationSettings(record, drive);
}

CalibrationTexts texts(const char* drift, const char* duration, DriftDirection direction,
                       const char* declination = "", const char* scale = "",
                       const char* rate = "sideral")
{
    CalibrationTexts t;
    t.drift = drift;
    t.duration = duration;
    t.direction = direction;
    t.declination = declination;
    t.plateScale = scale;
    t.rate = rate;
    return t;
}

constexpr auto West = DriftDirection::West;
constexpr auto East = DriftDirection::East;
} // namespace

Q_DECLARE_METATYPE(CalibrationTexts)
Q_DECLARE_METATYPE(CalibrationInput)

class TestDriftCalibration : public QObject
{
    Q_OBJECT
private slots:
    void corrections_data()
    {
        QTest::addColumn<CalibrationTexts>("input");
        QTest::addColumn<double>("error");     // e
        QTest::addColumn<double>("dureeTour"); // the stored float, widened
        QTest::addColumn<QString>("box");
        // e = 15.04 x 86164.0905 / (1296000 x 60) = 0.01666548252469136;
        // 598.3540992 x (1 - e) = 588.38223941..., float 588.3822631835938.
        QTest::newRow("15.04″ west in 60 s at δ 0")
            << texts("15.04", "1:00", West) << 0.01666548252469136 << 588.3822631835938
            << "588.382263";
        QTest::newRow("half the drift at δ 60°: the same error")
            << texts("7.52", "60s", West, "60") << 0.01666548252469136 << 588.3822631835938
            << "588.382263";
        QTest::newRow("pixels x plate scale")
            << texts("4", "1min", West, "", "3.76") << 0.01666548252469136 << 588.3822631835938
            << "588.382263";
        // e = -10 / (r x 300 x cos 45°) = -0.003134115878977437: a longer turn.
        QTest::newRow("southern star, drifting east")
            << texts("10", "5:00", East, "-45") << -0.003134115878977437 << 600.2294311523438
            << "600.229431";
        QTest::newRow("solar rate: r = 15 ″/s")
            << texts("15,04", "60 s", West, "0°", "", "solaire") << 0.01671111111111111
            << 588.3549194335938 << "588.354919";
        // No drift: T itself, the search's own small error included.
        QTest::newRow("no drift") << texts("0", "10min", East) << 0.0 << 598.3541259765625
                                  << "598.354126";
    }
    void corrections()
    {
        QFETCH(CalibrationTexts, input);
        QFETCH(double, error);
        QFETCH(double, dureeTour);
        QFETCH(QString, box);
        const CalibrationOutcome o = computeCalibration(input, factory());
        QVERIFY2(o.result && !o.fault,
                 o.fault ? calibrationFaultText(*o.fault, false).c_str() : "no result");
        QVERIFY2(std::fabs(o.result->error - error) <= 1e-15 * std::fabs(error) + 1e-300,
                 qPrintable(QString::number(o.result->error, 'g', 17)));
        QCOMPARE(o.result->driftPerDay, o.result->error * 86400);
        QCOMPARE(o.result->wormTurn, 598.3540992);
        QCOMPARE(double(o.result->DureeTour), dureeTour);
        QCOMPARE(QString::fromStdString(calibrationBoxText(*o.result)), box);
    }

    // Computed in Extended by its series: exact at 0, within an ulp elsewhere.
    void cosine_data()
    {
        QTest::addColumn<double>("degrees");
        QTest::addColumn<double>("cosine"); // to 20 digits
        QTest::newRow("0") << 0.0 << 1.0;
        QTest::newRow("60") << 60.0 << 0.5;
        QTest::newRow("-45") << -45.0 << 0.70710678118654752440;
        QTest::newRow("89.9") << 89.9 << 0.0017453283658982096; // of the double nearest 89.9
        QTest::newRow("-89") << -89.0 << 0.017452406437283512819;
    }
    void cosine()
    {
        QFETCH(double, degrees);
        QFETCH(double, cosine);
        const double got = double(cosDegrees(degrees));
        QVERIFY2(std::fabs(got - cosine) <= 2e-16 * cosine,
                 qPrintable(QString::number(got, 'g', 20)));
        if (degrees == 0) QVERIFY(cosDegrees(degrees) == Extended(1));
#if defined(KORVAL_X87_EXTENDED)
        // The software arithmetic, as arm64 and the web page run it: the same bits.
        QVERIFY(SoftExtended(cosineOfDegrees<long double>(degrees)) ==
                cosineOfDegrees<SoftExtended>(degrees));
#endif
    }

    void durations_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("seconds"); // 0: refused
        QTest::addColumn<QString>("reason");
        QTest::newRow("MM:SS") << "10:00" << 600.0 << "";
        QTest::newRow("MM:SS, decimal seconds") << "1:30,5" << 90.5 << "";
        QTest::newRow("s") << "600s" << 600.0 << "";
        QTest::newRow("min, blank, upper case") << "2.5 MIN" << 150.0 << "";
        QTest::newRow("empty") << " " << 0.0 << "aucune durée : 10:00, 600s ou 10min";
        QTest::newRow("zero") << "0:00" << 0.0 << "« 0:00 » : la durée doit être positive";
        QTest::newRow("negative") << "-5min" << 0.0 << "« -5min » : la durée doit être positive";
        QTest::newRow("no unit") << "600" << 0.0 << "« 600 » : l'unité manque";
        QTest::newRow("letters") << "dix" << 0.0 << "« dix » n'est pas une durée";
        QTest::newRow("60 seconds after the colon")
            << "1:60" << 0.0 << "« 1:60 » : les secondes après « : » vont de 0 à 59";
        QTest::newRow("minutes not whole") << "1.5:00" << 0.0 << "n'est pas une durée";
    }
    void durations()
    {
        QFETCH(QString, text);
        QFETCH(double, seconds);
        QFETCH(QString, reason);
        double got = -1;
        const auto why = parseMeasureDuration(text.toStdString(), got);
        if (seconds > 0) {
            QVERIFY2(!why, why ? why->c_str() : "");
            QCOMPARE(got, seconds);
        } else {
            QVERIFY(why);
            QVERIFY2(QString::fromStdString(*why).contains(reason), why->c_str());
            QCOMPARE(got, -1.0); // untouched
        }
    }

    // Each refusal names its field, in the window and on the command line.
    void refusals_data()
    {
        QTest::addColumn<CalibrationTexts>("input");
        QTest::addColumn<CalibrationInput>("field");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("commandLine");
        const auto row = [](const char* tag, const CalibrationTexts& t, CalibrationInput field,
                            const char* window, const char* commandLine) {
            QTest::newRow(tag) << t << field << QString::fromUtf8(window)
                               << QString::fromUtf8(commandLine);
        };
        using In = CalibrationInput;
        row("no drift", texts("", "1:00", West), In::Drift,
            "Dérive mesurée : aucune dérive (0 si l'étoile reste en place)",
            "--derive : aucune dérive");
        row("letters for the drift", texts("12x", "1:00", West), In::Drift,
            "Dérive mesurée : « 12x » n'est pas un nombre", "--derive : « 12x »");
        row("negative drift", texts("-3", "1:00", West), In::Drift,
            "Dérive mesurée : « -3 » : la dérive est une longueur positive",
            "--derive : « -3 » : la dérive");
        row("a time of 0", texts("3", "0min", West), In::Duration,
            "Durée de la mesure : « 0min » : la durée doit être positive", "--pendant : « 0min »");
        row("declination 90", texts("3", "1:00", West, "90"), In::Declination,
            "Déclinaison de l'étoile : « 90 » : il faut une déclinaison entre -90° et 90° exclus",
            "--declinaison : « 90 »");
        row("declination beyond", texts("3", "1:00", West, "120.5"), In::Declination,
            "« 120.5 » : il faut une déclinaison", "--declinaison");
        row("negative plate scale", texts("3", "1:00", West, "", "-1.2"), In::PlateScale,
            "Échelle (″/pixel) : « -1.2 » : l'échelle doit être positive", "--echelle : « -1.2 »");
        row("rate 0", texts("3", "1:00", West, "", "", "0"), In::Rate,
            "Vitesse de suivi : « 0 » : la vitesse doit être positive", "--suivi : « 0 »");
        row("a drift of a whole turn", texts("902.47", "60s", West), In::Drift,
            "« 902.47 » : une erreur de suivi de 100 % ou plus", "--derive : « 902.47 »");
    }
    void refusals()
    {
        QFETCH(CalibrationTexts, input);
        QFETCH(CalibrationInput, field);
        QFETCH(QString, window);
        QFETCH(QString, commandLine);
        const CalibrationOutcome o = computeCalibration(input, factory());
        QVERIFY(o.fault && !o.result);
        QCOMPARE(int(o.fault->input), int(field));
        const QString inWindow = QString::fromStdString(calibrationFaultText(*o.fault, false));
        QVERIFY2(inWindow.contains(window), qPrintable(inWindow));
        QVERIFY2(inWindow.startsWith(QString::fromUtf8(calibrationInputCaption(field))),
                 qPrintable(inWindow));
        const QString onLine = QString::fromStdString(calibrationFaultText(*o.fault, true));
        QVERIFY2(onLine.startsWith(commandLine), qPrintable(onLine));
    }

    // A file whose worm does not turn has nothing to correct.
    void stillWorm_data()
    {
        QTest::addColumn<int>("v1");
        QTest::addColumn<quint32>("period");
        QTest::addColumn<quint32>("steps");
        QTest::addColumn<QString>("reason");
        QTest::newRow("V1AD 0, half step") << 0x80 << 708279u << 25600u << "V1AD vaut 0";
        QTest::newRow("PeriodeTimer 0") << 33 << 0u << 25600u << "PeriodeTimer vaut 0";
        QTest::newRow("PasParTour 0") << 33 << 708279u << 0u << "PasParTour vaut 0";
    }
    void stillWorm()
    {
        QFETCH(int, v1);
        QFETCH(quint32, period);
        QFETCH(quint32, steps);
        QFETCH(QString, reason);
        ConfigRecord record;
        DriveParameters drive;
        loadFactoryDefaults(record, drive);
        record.setLevel(Axis::AD, 1, std::uint8_t(v1));
        record.setPeriodeTimer(period);
        drive.PasParTour = steps;
        const CalibrationOutcome o =
            computeCalibration(texts("3", "1:00", West), calibrationSettings(record, drive));
        QVERIFY(o.fault);
        QCOMPARE(int(o.fault->input), int(CalibrationInput::Settings));
        QVERIFY2(QString::fromStdString(o.fault->reason).startsWith(reason),
                 o.fault->reason.c_str());
    }

    // The report every front end shows: the arithmetic's figures and the
    // search's best line for the corrected value.
    void report()
    {
        const CalibrationOutcome o = computeCalibration(texts("15.04", "1:00", West), factory());
        QVERIFY(o.result);
        const std::vector<Candidate> lines =
            searchCandidates(prepareSearch(14745600, 588.3822631835938f, 25600));
        QVERIFY(!lines.empty());
        QCOMPARE(o.result->lineCount, lines.size());
        const QString report = QString::fromStdString(calibrationReport(*o.result));
        for (const QString& shown :
             {QStringLiteral("Dérive : 15.04 ″ vers l'ouest en 60 s (1 min 00 s), déclinaison 0° "
                             "(cos δ = 1.000000)\n"),
              QStringLiteral("e = d / (r x t x cos δ) = +1.666548e-02, soit +1440 s/jour\n  la "
                             "monture retarde, elle suit trop lentement\n"),
              QStringLiteral("T = 33 (V1AD) x 708279 ns x 25600 pas = 598.354099 s\n  (DureeTour "
                             "du fichier : 598.361816 s)\n"),
              QStringLiteral("DureeTour corrigée : T x (1 - e) = 588.382263 s : plus courte"),
              QString::fromStdString(candidateLine(lines.front()) + "\n")})
            QVERIFY2(report.contains(shown), qPrintable(report));
    }
};

QTEST_APPLESS_MAIN(TestDriftCalibration)
#include "test_drift_calibration.moc"
