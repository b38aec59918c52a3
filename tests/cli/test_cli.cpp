// korvalset24-cli run as a script runs it: each verb's success and failure,
// the exit status, the files it writes or leaves byte for byte, and what it
// says on standard error. Also: it needs no display and no GUI library.

#include "cli_run.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

namespace
{
// The defaults' parameter file and HEX file, written out by hand.
QByteArray defaultFile()
{
    return QByteArray::fromHex("45 23 B7 CE 0A 00 00 21 10 08 06 04 02 01 00 21"
                               "10 08 06 04 02 01 00 21 10 08 06 04 02 01 64 00"
                               "64 00 05 2D 00 00 86 93 9D A7 B3 A1 CD E0 F7 DE"
                               "BC 00 00 E1 00 00 64 00 00 28 97 15 44");
}
const QByteArray kDefaultHex = ":0400000078EF3FF066\r\n"
                               ":107c00004523B7CE0A000021100806040201002116\r\n"
                               ":107c10001008060402010021100806040201640095\r\n"
                               ":107c20006400052D000086939DA7B3A1CDE0F7DE8B\r\n"
                               ":107c3000BC00000000000000000000000000000088\r\n"
                               ":00000001FF\r\n";

QByteArray withByte(QByteArray bytes, int at, int value)
{
    bytes[at] = char(value);
    return bytes;
}

void put(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// What every run starts from.
void fillFolder(const QDir& dir)
{
    put(dir.filePath("m.kv2"), defaultFile());
    put(dir.filePath("m.hex"), kDefaultHex);
    put(dir.filePath("p.kv2"), withByte(defaultFile(), 30, 120)); // JeuAD 120
    put(dir.filePath("short.kv2"), defaultFile().left(60));
    put(dir.filePath("long.kv2"), defaultFile() + "x");
    put(dir.filePath("x%1 %2.kv2"), defaultFile().left(60));          // placeholders in a name
    put(dir.filePath("zero.kv2"), withByte(defaultFile(), 19, 0x80)); // V5AD: 0, half step
    put(dir.filePath("bad.hex"), QByteArray(kDefaultHex).replace("2116\r", "2117\r"));
    put(dir.filePath("ro.kv2"), defaultFile());
    put(dir.filePath("out-ro.hex"), "old");
    put(dir.filePath("k.kv2"), defaultFile());
    put(dir.filePath("k.hex"), kDefaultHex);
    for (const char* name : {"ro.kv2", "out-ro.hex", "k.hex"})
        QFile::setPermissions(dir.filePath(name), QFile::ReadOwner | QFile::ReadGroup);
    dir.mkdir("dir.kv2");
}

QMap<QString, QByteArray> snapshot(const QDir& dir)
{
    QMap<QString, QByteArray> files;
    for (const QString& name : dir.entryList(QDir::Files)) {
        QFile file(dir.filePath(name));
        file.open(QIODevice::ReadOnly);
        files.insert(name, file.readAll());
    }
    return files;
}
} // namespace

class TestCli : public QObject
{
    Q_OBJECT
private slots:
    void runs_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exit");
        QTest::addColumn<QString>("out"); // contained in standard output
        QTest::addColumn<QString>("err"); // contained in standard error
        QTest::addColumn<QStringList>("written");
        const QStringList none;
        const auto row = [](const char* tag, const QStringList& arguments, int exit,
                            const QString& out, const QString& err, const QStringList& written) {
            QTest::newRow(tag) << arguments << exit << out << err << written;
        };
        // Success.
        row("defaults", {"defaults", "-o", "new.kv2"}, 0, "", "", {"new.kv2", "new.hex"});
        row("show", {"show", "m.kv2"}, 0, "25600, soit 23.374 ms par pas", "", none);
        row("set -o", {"set", "m.kv2", "JeuAD=120", "-o", "out.kv2"}, 0, "", "",
            {"out.kv2", "out.hex"});
        row("set in place", {"set", "p.kv2", "JeuAD=100"}, 0, "", "", {"p.kv2", "p.hex"});
        row("search", {"search", "m.kv2"}, 0, "  449490   1.15e-06   1657 X  52 --  416X\n", "",
            none);
        row("search overrides", {"search", "--steps", "11520", "--turn", "1196.7236"}, 0, "\n", "",
            none);
        row("search apply", {"search", "--apply", "1", "-o", "a.kv2"}, 0, "", "",
            {"a.kv2", "a.hex"});
        row("hex", {"hex", "m.kv2"}, 0, ":107c3000BC00000000000000000000000000000088\r\n", "",
            none);
        row("hex -o", {"hex", "m.kv2", "-o", "h.hex"}, 0, "", "", {"h.hex"});
        row("import-hex", {"import-hex", "m.hex", "-o", "i.kv2", "--base", "p.kv2"}, 0, "", "",
            {"i.kv2", "i.hex"});
        row("diff", {"diff", "m.kv2", "p.kv2"}, 1, "JeuAD : 100 pas -> 120 pas\n", "", none);
        row("no diff", {"diff", "m.kv2", "ro.kv2"}, 0, "", "", none);
        row("check clean", {"check", "ro.kv2"}, 0, "", "", none);
        row("check problems", {"check", "zero.kv2"}, 1, "V5AD : nombre d'it 0 (en demi-pas)", "",
            none);
        row("check short", {"check", "short.kv2"}, 1, "60 octets au lieu de 61", "", none);
        row("version", {"--version"}, 0, "korvalset24-cli 2.4.0\n", "", none);
        row("help", {"--help"}, 0, "import-hex IMAGE.hex", "", none);
        for (const char* verb :
             {"defaults", "show", "set", "search", "hex", "import-hex", "diff", "check"})
            QTest::newRow(qPrintable(QStringLiteral("%1 --help").arg(verb)))
                << QStringList{verb, "--help"} << 0
                << QStringLiteral("Utilisation : korvalset24-cli %1").arg(verb) << "" << none;
        row("set --help shows the flag", {"set", "--help"}, 0, "V2AD=17/2", "", none);

        // Failure: exit 2, and nothing written unless named.
        row("no verb", {}, 2, "", "un verbe est attendu", none);
        row("unknown verb", {"montre"}, 2, "", "verbe inconnu « montre »", none);
        row("unknown option", {"show", "m.kv2", "--xml"}, 2, "", "option inconnue « --xml »", none);
        row("defaults without -o", {"defaults"}, 2, "", "-o FICHIER.kv2", none);
        row("not a .kv2", {"defaults", "-o", "new.txt"}, 2, "", "« new.txt » : le fichier", none);
        row("value too big", {"set", "m.kv2", "JeuAD=1", "Pwm0=300"}, 2, "",
            "Pwm0 : « 300 » dépasse 255 ; rien n'est écrit", none);
        row("set nothing", {"set", "m.kv2"}, 2, "", "au moins un CHAMP=VALEUR", none);
        row("missing file", {"set", "none.kv2", "JeuAD=1"}, 2, "",
            "impossible de lire « none.kv2 » : le fichier n'existe pas", none);
        row("short file", {"show", "short.kv2"}, 2, "",
            "« short.kv2 » n'est pas un fichier de "
            "paramètres : 60 octets au lieu de 61",
            none);
        row("long file", {"show", "long.kv2"}, 2, "", "plus de 61 octets", none);
        row("name holding %1", {"show", "x%1 %2.kv2"}, 2, "",
            "« x%1 %2.kv2 » n'est pas un fichier de paramètres : 60 octets au lieu de 61", none);
        row("folder", {"show", "dir.kv2"}, 2, "", "c'est un dossier", none);
        row("read-only target", {"set", "m.kv2", "JeuAD=1", "-o", "ro.kv2"}, 2, "",
            "« ro.kv2 » : le fichier est en lecture seule", none);
        row("read-only HEX beside", {"set", "m.kv2", "JeuAD=1", "-o", "out-ro.kv2"}, 2, "",
            "« out-ro.hex » : le fichier est en lecture seule ; « out-ro.kv2 » reste comme avant",
            none);
        row("read-only HEX in place", {"set", "k.kv2", "JeuAD=1"}, 2, "",
            "« k.hex » : le fichier est en lecture seule ; « k.kv2 » reste comme avant", none);
        row("division by zero", {"search", "--steps", "0"}, 2, "",
            "search : Division par zéro en virgule flottante.\n", none);
        row("invalid operation", {"search", "--turn", "0"}, 2, "",
            "Opération en virgule flottante non valide.", none);
        row("bad quartz", {"search", "--quartz", "14.7e6"}, 2, "", "--quartz : FrequenceQuartz",
            none);
        row("apply without -o", {"search", "--apply", "1"}, 2, "", "vont ensemble", none);
        row("apply line 0", {"search", "--apply", "0", "-o", "a.kv2"}, 2, "",
            "« 0 » n'est pas un numéro", none);
        row("apply beyond", {"search", "--apply", "294", "-o", "a.kv2"}, 2, "",
            "pas de ligne 294, la recherche en donne 293", none);
        row("apply over a zero count", {"search", "zero.kv2", "--apply", "1", "-o", "a.kv2"}, 2, "",
            "Division par zéro en virgule flottante. ; rien n'est écrit", none);
        row("bad checksum", {"import-hex", "bad.hex", "-o", "i.kv2"}, 2, "",
            "« bad.hex » : ligne 2 : somme de contrôle 17 fausse", none);
        row("no table", {"import-hex", "m.kv2", "-o", "i.kv2"}, 2, "", "ligne 1 :", none);
        row("short base", {"import-hex", "m.hex", "-o", "i.kv2", "--base", "short.kv2"}, 2, "",
            "« short.kv2 »", none);
        row("hex to read-only", {"hex", "m.kv2", "-o", "out-ro.hex"}, 2, "", "lecture seule", none);
        row("hex over the .kv2", {"hex", "m.kv2", "-o", "p.kv2"}, 2, "", "doit finir par « .hex »",
            none);
        row("import over its own image", {"import-hex", "m.hex", "-o", "m.kv2"}, 2, "",
            "remplacerait l'image lue", none);
        row("diff one file", {"diff", "m.kv2"}, 2, "", "deux fichiers", none);

        // A HEX image, such as the board's program memory read back: its table only.
        const char* tableOnly = "diff : image HEX : seuls les champs de la table sont comparés";
        row("show an image", {"show", "m.hex"}, 0,
            "  Fréquence du quartz (FrequenceQuartz)  (absent de l'image HEX)\n", "", none);
        row("show an image as JSON", {"show", "m.hex", "--json"}, 0,
            "  \"JeuAD\": 100,\n  \"JeuDe\": 100,", "", none);
        row("diff a file and its image", {"diff", "m.kv2", "m.hex"}, 0, "", tableOnly, none);
        row("diff an image and a file", {"diff", "m.hex", "p.kv2"}, 1,
            "JeuAD : 100 pas -> 120 pas\n", tableOnly, none);
        row("diff a broken image", {"diff", "m.kv2", "bad.hex"}, 2, "",
            "« bad.hex » : ligne 2 : somme de contrôle 17 fausse", none);

        // The mount assistant.
        const QStringList train = {"monture", "--dents", "144", "--pas-moteur", "200"};
        row("monture", train + QStringList{"--reduction", "128"}, 0,
            "DureeTour : 598.361755 s (suivi sidéral, 86164.0905 s par tour d'axe / 144 dents)\n"
            "PasParTour : 25600 (200 pas x 128)\n",
            "", none);
        row("monture stored", train + QStringList{"--reduction", "50 x 3", "m.kv2", "-o", "t.kv2"},
            0, "PasParTour : 30000 (200 pas x 150)", "", {"t.kv2", "t.hex"});
        row("monture speeds from the file", train + QStringList{"--reduction", "128", "zero.kv2"},
            0, "  V5AD     0 1/2  immobile (nombre d'it nul)", "", none);
        row("monture no teeth",
            {"monture", "--dents", "0", "--pas-moteur", "200", "--reduction", "3", "m.kv2", "-o",
             "t.kv2"},
            2, "", "monture : --dents : « 0 » : il faut un entier positif ; rien n'est écrit\n",
            none);
        row("monture empty stage",
            train + QStringList{"--reduction", "50 x", "m.kv2", "-o", "t.kv2"}, 2, "",
            "--reduction : « 50 x » : un étage est vide ; rien n'est écrit", none);
        row("monture without reduction", train, 2, "", "--reduction est attendu", none);
        row("monture -o without a file", train + QStringList{"--reduction", "3", "-o", "t.kv2"}, 2,
            "", "-o SORTIE.kv2 part d'un FICHIER.kv2", none);
        // A mount of the table: its row, explicit options winning; an unknown name.
        row("monture of the table", {"monture", "--monture", "Héq5"}, 0,
            "DureeTour : 638.252502 s (suivi sidéral, 86164.0905 s par tour d'axe / 135 dents)\n"
            "PasParTour : 9400/9 = 1044.444 n'est pas entier (200 pas x 47/9)\n",
            "", none);
        row("monture of the table, options win",
            {"monture", "--monture", "neq6", "--dents", "144", "--reduction", "128"}, 0,
            "DureeTour : 598.361755 s (suivi sidéral, 86164.0905 s par tour d'axe / 144 dents)\n"
            "PasParTour : 25600 (200 pas x 128)\n",
            "", none);
        row("monture unknown", {"monture", "--monture", "EQ7", "m.kv2", "-o", "t.kv2"}, 2, "",
            "monture : --monture : « EQ7 » n'est pas une monture connue ; montures connues : "
            "EQ3-2, EQ5, HEQ5, EQ6, G11, GM8, LXD55\n",
            none);
        row("monture without stock motor", {"monture", "--monture", "G11", "--reduction", "3"}, 2,
            "", "--pas-moteur est attendu : la Losmandy G11 n'a pas de moteur d'origine publié",
            none);
        row("monture list", {"monture", "--liste"}, 0,
            "EQ6    Sky-Watcher EQ6 (SynScan) : 180 dents, moteur 200 pas, réduction 47/12\n"
            "       source : AstroEQ, AstroEQ-ConfigUtility/mounts/EQ6-Synscan.conf",
            "", none);
        row("monture to read-only",
            train + QStringList{"--reduction", "3", "m.kv2", "-o", "ro.kv2"}, 2, "",
            "« ro.kv2 » : le fichier est en lecture seule", none);

        // The calibration from a drift on the sky, from the file's own values.
        const QStringList drift = {"monture", "m.kv2", "--derive", "15.04", "--pendant", "1:00"};
        row("calibration", drift, 0,
            "Tour de vis du fichier : T = 33 (V1AD) x 708279 ns x 25600 pas = 598.354099 s\n"
            "  (DureeTour du fichier : 598.361816 s)\n"
            "DureeTour corrigée : T x (1 - e) = 588.382263 s : plus courte",
            "", none);
        row("calibration stored", drift + QStringList{"-o", "c.kv2"}, 0, "588.382263", "",
            {"c.kv2", "c.hex"});
        row("calibration in pixels, southern star",
            {"monture", "m.kv2", "--derive", "4", "--echelle", "3.76", "--pendant", "90s", "--vers",
             "est", "--declinaison", "-30"},
            0, "Dérive : 4 pixels x 3.76 ″/pixel = 15.04 ″ vers l'est en 90 s", "", none);
        row("calibration, a time of 0", {"monture", "m.kv2", "--derive", "3", "--pendant", "0:00"},
            2, "",
            "monture : --pendant : « 0:00 » : la durée doit être positive ; rien n'est écrit\n",
            none);
        row("calibration, empty plate scale", drift + QStringList{"--echelle", ""}, 2, "",
            "--echelle : aucune échelle", none);
        row("calibration without time", {"monture", "m.kv2", "--derive", "3"}, 2, "",
            "--pendant est attendu avec --derive", none);
        row("calibration, direction", drift + QStringList{"--vers", "nord"}, 2, "",
            "--vers : « nord » : est ou ouest est attendu", none);
        row("calibration with the gear train", drift + QStringList{"--dents", "144"}, 2, "",
            "--dents ne va pas avec --derive", none);
        row("calibration without a file", {"monture", "--derive", "3", "--pendant", "1:00"}, 2, "",
            "un FICHIER.kv2 est attendu", none);
        row("calibration of a short file",
            {"monture", "short.kv2", "--derive", "3", "--pendant", "1:00"}, 2, "",
            "« short.kv2 » n'est pas un fichier de paramètres", none);
    }
    void runs()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exit);
        QFETCH(QString, out);
        QFETCH(QString, err);
        QFETCH(QStringList, written);
        QTemporaryDir temporary;
        QVERIFY(temporary.isValid());
        const QDir dir(temporary.path());
        fillFolder(dir);
        const QMap<QString, QByteArray> before = snapshot(dir);

        const CliRun run = runCli(arguments, dir.path());
        QCOMPARE(run.exit, exit);
        QVERIFY2(QString::fromUtf8(run.out).contains(out), run.out.constData());
        if (err.isEmpty())
            QCOMPARE(run.err, QByteArray());
        else
            QVERIFY2(QString::fromUtf8(run.err).contains(err), run.err.constData());
        if (exit == 2) QCOMPARE(run.out, QByteArray());

        const QMap<QString, QByteArray> after = snapshot(dir);
        for (const QString& name : written) {
            QVERIFY2(after.contains(name), qPrintable(name));
            QCOMPARE(after.value(name).size(), name.endsWith(".kv2") ? 61 : 214);
        }
        for (auto it = after.cbegin(); it != after.cend(); ++it)
            if (!written.contains(it.key())) {
                QVERIFY2(before.contains(it.key()), qPrintable(it.key() + " was written"));
                QVERIFY2(before.value(it.key()) == it.value(), qPrintable(it.key() + " changed"));
            }
        for (const QString& name : before.keys())
            QVERIFY2(after.contains(name), qPrintable(name + " went away"));
    }

    // The bytes the writing verbs leave, against hand-written expectations.
    void writes_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("defaults") << QStringList{"defaults", "-o", "n.kv2"} << "n.kv2"
                                  << defaultFile();
        QTest::newRow("defaults' HEX")
            << QStringList{"defaults", "-o", "n.kv2"} << "n.hex" << kDefaultHex;
        QTest::newRow("set") << QStringList{"set", "m.kv2", "V2AD=17/2", "MaintienFoc=180.61ms",
                                            "-o",  "o.kv2"}
                             << "o.kv2" << withByte(withByte(defaultFile(), 16, 0x91), 34, 255);
        QTest::newRow("set in place")
            << QStringList{"set", "p.kv2", "JeuAD=100"} << "p.kv2" << defaultFile();
        QTest::newRow("import keeps the base's drive")
            << QStringList{"import-hex", "m.hex", "-o", "i.kv2", "--base", "q.kv2"} << "i.kv2"
            << withByte(defaultFile(), 55, 0x2D); // PasParTour from q.kv2
        // 144 teeth at the sidereal rate, 200 half steps x 50 x 3: DureeTour
        // 0x44159727 (598.3617553710938) and PasParTour 60000 (0xEA60).
        QTest::newRow("monture")
            << QStringList{"monture",     "p.kv2",  "--dents",    "144", "--pas-moteur", "200",
                           "--reduction", "50 x 3", "--demi-pas", "-o",  "o.kv2"}
            << "o.kv2"
            << withByte(
                   withByte(withByte(withByte(withByte(withByte(defaultFile(), 30, 120), 53, 0x60),
                                              54, 0xEA),
                                     55, 0),
                            56, 0),
                   57, 0x27);
        // 15.04″ west in 60 s on the factory file: DureeTour 0x44131877 (588.3822631835938).
        QTest::newRow("monture calibration")
            << QStringList{"monture",   "p.kv2", "--derive", "15.04",
                           "--pendant", "60s",   "-o",       "o.kv2"}
            << "o.kv2"
            << withByte(withByte(withByte(withByte(withByte(defaultFile(), 30, 120), 57, 0x77), 58,
                                          0x18),
                                 59, 0x13),
                        60, 0x44);
        // 10″ east in 5 min at δ -45°: 0x44160EAF (600.2294311523438).
        QTest::newRow("monture calibration, southern star")
            << QStringList{"monture", "m.kv2", "--derive",      "10",  "--pendant", "5:00",
                           "--vers",  "est",   "--declinaison", "-45", "-o",        "o.kv2"}
            << "o.kv2"
            << withByte(withByte(withByte(withByte(defaultFile(), 57, 0xAF), 58, 0x0E), 59, 0x16),
                        60, 0x44);
    }
    void writes()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QTemporaryDir temporary;
        const QDir dir(temporary.path());
        fillFolder(dir);
        put(dir.filePath("q.kv2"), withByte(withByte(defaultFile(), 30, 7), 55, 0x2D));
        const CliRun run = runCli(arguments, dir.path());
        QCOMPARE(run.exit, 0);
        QCOMPARE(snapshot(dir).value(file).toHex(' '), bytes.toHex(' '));
    }

    void jsonHoldsEveryField()
    {
        QTemporaryDir temporary;
        fillFolder(QDir(temporary.path()));
        const CliRun run = runCli({"show", "m.kv2", "--json"}, temporary.path());
        QCOMPARE(run.exit, 0);
        QJsonParseError error;
        const QJsonObject json = QJsonDocument::fromJson(run.out, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(json.value("MarqueDebut").toInt(), 0x2345);
        QCOMPARE(json.value("PeriodeTimer").toInt(), 708279);
        QCOMPARE(json.value("V1AD").toInt(), 33);
        QCOMPARE(json.value("Pwm8").toInt(), 247);
        QCOMPARE(json.value("MarqueFin").toInt(), 0xBCDE);
        QCOMPARE(json.value("FrequenceQuartz").toInt(), 14745600);
        // The worm turn reads back to the very float the file holds.
        const float turn = float(json.value("DureeTour").toDouble());
        quint32 bits;
        std::memcpy(&bits, &turn, 4);
        QCOMPARE(bits, 0x44159728u);
        const QStringList names = json.keys();
        QCOMPARE(names.size(), 41 + 3 + 1);
        for (const char* name : {"V0De", "V7De", "V0Foc", "JeuDe", "MaintienFoc", "PasParTranche",
                                 "TranchePec", "Pwm0", "Derivees"})
            QVERIFY2(names.contains(name), name);
        QCOMPARE(float(json.value("Derivees").toObject().value("MaintienFocMs").toDouble()),
                 3.54139495f);
    }

    // The board keeps none of the three drive values: null, never the factory ones.
    void imageJsonHasNoDriveValues()
    {
        QTemporaryDir temporary;
        fillFolder(QDir(temporary.path()));
        const CliRun run = runCli({"show", "m.hex", "--json"}, temporary.path());
        QCOMPARE(run.exit, 0);
        const QJsonObject json = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(json.value("PeriodeTimer").toInt(), 708279);
        for (const char* name : {"FrequenceQuartz", "PasParTour", "DureeTour"})
            QVERIFY2(json.contains(name) && json.value(name).isNull(), name);
        QVERIFY(json.value("Derivees").toObject().value("PerPasMs").isNull());
    }

    void searchJsonCarriesTheDrift()
    {
        QTemporaryDir temporary;
        const CliRun run = runCli({"search", "--json"}, temporary.path());
        QCOMPARE(run.exit, 0);
        const QJsonArray lines = QJsonDocument::fromJson(run.out).array();
        QCOMPARE(lines.size(), 293);
        const QJsonObject best = lines.first().toObject();
        QCOMPARE(best.value("ligne").toInt(), 1);
        QCOMPARE(best.value("periode").toInt(), 449490);
        QCOMPARE(best.value("k").toInt(), 1657);
        QCOMPARE(best.value("n").toInt(), 52);
        QCOMPARE(QString::number(best.value("erreur").toDouble(), 'e', 2), QString("1.15e-06"));
        QCOMPARE(best.value("deriveSecondesParJour").toDouble(),
                 best.value("erreur").toDouble() * 86400);
    }

    void montureJson()
    {
        QTemporaryDir temporary;
        const CliRun run = runCli(
            {"monture", "--dents", "144", "--pas-moteur", "200", "--reduction", "60/17", "--json"},
            temporary.path());
        QCOMPARE(run.exit, 0);
        const QJsonObject json = QJsonDocument::fromJson(run.out).object();
        QCOMPARE(float(json.value("DureeTour").toDouble()), 598.3617553710938f);
        QCOMPARE(json.value("PasParTour").toInt(), 706);
        const QJsonArray roundings = json.value("Arrondis").toArray();
        QCOMPARE(roundings.size(), 2);
        QCOMPARE(roundings.at(0).toObject().value("PasParTour").toInt(), 705);
        QCOMPARE(
            QString::number(roundings.at(1).toObject().value("erreurSuivi").toDouble(), 'e', 3),
            QString("1.667e-04"));
        const QJsonObject v7 =
            json.value("Vitesses").toObject().value("AD").toArray().at(6).toObject();
        QCOMPARE(v7.value("niveau").toString(), QString("V7AD"));
        QCOMPARE(v7.value("basculement90Secondes").toDouble() *
                     v7.value("secondesArcParSeconde").toDouble(),
                 324000.0);
    }

    void calibrationJson()
    {
        QTemporaryDir temporary;
        fillFolder(QDir(temporary.path()));
        const CliRun run = runCli({"monture", "m.kv2", "--derive", "7.52", "--pendant", "1:00",
                                   "--declinaison", "60", "--json"},
                                  temporary.path());
        QCOMPARE(run.exit, 0);
        QJsonParseError error;
        const QJsonObject json = QJsonDocument::fromJson(run.out, &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(float(json.value("DureeTour").toDouble()), 588.3822631835938f);
        QCOMPARE(json.value("TourDeVis").toDouble(), 598.3540992);
        QVERIFY(qAbs(json.value("ErreurSuivi").toDouble() - 0.01666548252469136) < 1e-17);
        QCOMPARE(json.value("DeriveSecondesParJour").toDouble(),
                 json.value("ErreurSuivi").toDouble() * 86400);
        const QJsonObject best = json.value("Meilleure").toObject();
        QCOMPARE(best.value("ligne").toString(),
                 QString("  337999   1.13e-05   1246 X  68 --  544X"));
        QCOMPARE(best.value("deriveSecondesParJour").toDouble(),
                 best.value("erreur").toDouble() * 86400);
    }

    // A redirection onto a full disk is a failed write, not a success.
    void fullStandardOutputFails()
    {
        QTemporaryDir temporary;
        fillFolder(QDir(temporary.path()));
        QProcess process;
        process.setWorkingDirectory(temporary.path());
        process.setStandardOutputFile("/dev/full");
        startProgram(process, QStringLiteral(KORVAL_CLI), {"hex", "m.kv2"});
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 2);
        QVERIFY(process.readAllStandardError().contains("sortie standard"));
    }

    // It must start on a machine without a display, and without Qt at all.
    void linksNoGuiLibrary()
    {
        QProcess ldd;
        if (programsEmulated()) {
            // ldd cannot load a foreign binary: the emulated loader lists
            // what it maps, as ldd has it do natively.
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert("QEMU_SET_ENV", "LD_TRACE_LOADED_OBJECTS=1");
            ldd.setProcessEnvironment(environment);
            startProgram(ldd, QStringLiteral(KORVAL_CLI), {});
        } else {
            ldd.start("ldd", {QStringLiteral(KORVAL_CLI)});
        }
        QVERIFY(ldd.waitForFinished(30000));
        const QByteArray libraries = ldd.readAllStandardOutput();
        QVERIFY2(libraries.contains("libc."), libraries.constData()); // the listing is real
        QVERIFY2(!libraries.contains("libQt6Core"), libraries.constData());
        QVERIFY2(!libraries.contains("libQt6Gui"), libraries.constData());
        QVERIFY2(!libraries.contains("libQt6Widgets"), libraries.constData());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
