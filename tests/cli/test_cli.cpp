#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

// The window's program run as scripts run it, with no display at all: it hands
// the command line to the headless program, which needs none.
class TestCommandLine : public QObject
{
    Q_OBJECT

    struct Run
    {
        int status = -1;
        QString output;
        QString errors;
    };

    Run terravik(const QStringList& arguments,
                 const QString& program = QStringLiteral(TERRAVIK_PROGRAM)) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            environment.remove(QString::fromLatin1(name));
        }
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder_.path());
        process.start(program, arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
            return {};
        }
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }

    void write(const QString& name, const QByteArray& contents) const
    {
        QFile file(folder_.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size());
    }

    QByteArray read(const QString& name) const
    {
        QFile file(folder_.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder_;

private slots:
    void initTestCase()
    {
        write(QStringLiteral("bad.terravik"), "{\"format\": 1, \"generator\": ");
        write(QStringLiteral("mean.json"),
              R"({"name": "Mean", "coefficients": [1,1,1,1,1, 1,1,1,1,1, 1,1,1,1,1,
                                                  1,1,1,1,1, 1,1,1,1,1]})");
        write(QStringLiteral("wide.json"), R"({"name": "Wide", "coefficients": [1]})");
        write(QStringLiteral("a-file"), "not a folder");
    }

    void failuresHaveTheirStatusAndSayWhy_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message");
        const QString world = QStringLiteral("--generator peaks --seed a --size 9x9 ");
        QTest::newRow("no export") << world << 2 << "--export is missing";
        QTest::newRow("format") << world + "--export w.bmp" << 2
                                << "w.bmp: unknown export format: give a file name ending in "
                                   ".png, .r16, .asc, .obj or .terravik";
        QTest::newRow("generator") << "--export w.png --generator hills --seed a --size 9x9" << 2
                                   << "--generator hills is not a generator";
        QTest::newRow("no seed") << "--export w.png --generator peaks --size 9x9" << 2
                                 << "give either --seed TEXT or --clock-seed";
        QTest::newRow("width") << "--export w.png --generator peaks --seed a --size 4097x9" << 2
                               << "--size 4097x9: give WxL";
        QTest::newRow("length") << "--export w.png --generator peaks --seed a --size 9x4097" << 2
                                << "--size 9x4097: give WxL";
        QTest::newRow("two exports") << world + "--export w.png --export w.obj" << 2
                                     << "give --export and --world once each";
        QTest::newRow("world and size")
            << "--export w.png --world bad.terravik --size 9x9" << 2 << "leave out --generator";
        QTest::newRow("empty world") << "--export w.png --generator peaks --seed a --size 0x5" << 2
                                     << "w.png: the world is empty (0 x 5 points)";
        QTest::newRow("drop not a number") << world + "--export w.png --drop 1,north" << 2
                                           << "--drop 1,north: give the start as X,Y";
        QTest::newRow("drop off the surface") << world + "--export w.png --drop 8.5,1" << 2
                                              << "--drop 8.5,1: the entered coordinates are not "
                                                 "within the 9 x 9 map";
        QTest::newRow("missing world")
            << "--export w.png --world none.terravik" << 3 << "none.terravik: cannot open";
        QTest::newRow("bad world")
            << "--export w.png --world bad.terravik" << 3 << "bad.terravik: not valid JSON";
        QTest::newRow("bad filter") << world + "--export w.png --filter wide.json" << 3
                                    << "wide.json: \"coefficients\" must hold 25 numbers, not 1";
        QTest::newRow("write") << world + "--export a-file/w.png" << 4
                               << "a-file/w.png: cannot write";
    }

    void failuresHaveTheirStatusAndSayWhy()
    {
        QFETCH(QString, arguments);
        QFETCH(int, status);
        QFETCH(QString, message);
        const Run run = terravik(arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts));
        QCOMPARE(run.status, status);
        QVERIFY2(run.errors.startsWith(QStringLiteral("terravik: ")) &&
                     run.errors.contains(message),
                 qPrintable(run.errors));
        QCOMPARE(run.errors.count(QLatin1Char('\n')), 1);
    }

    // A world written by the command line and rebuilt from that file gives the
    // same bytes, and filter files come after the world's own filters; help and
    // version need no display either.
    void worldsAreWrittenAndRebuiltWithoutADisplay()
    {
        const QStringList make{"--generator", "chain",    "--seed=Terravik", "--size",
                               "60x40",       "--filter", "mean.json",       "--drop",
                               "20,20",       "--drop",   "41.5,3"};
        QCOMPARE(terravik(make + QStringList{"--export", "a.obj"}).status, 0);
        QCOMPARE(terravik(make + QStringList{"--export", "a.terravik"}).status, 0);
        QCOMPARE(terravik({"--world", "a.terravik", "--export", "b.obj"}).status, 0);
        QVERIFY(read(QStringLiteral("a.obj")).count("\nl ") == 2);
        QCOMPARE(read(QStringLiteral("b.obj")), read(QStringLiteral("a.obj")));
        QVERIFY(read(QStringLiteral("a.terravik")).contains("\"text\": \"Terravik\""));
        write(QStringLiteral("edge.json"), R"({"name": "Edge", "coefficients": [0,0,0,0,0,
            0,-1,-1,-1,0, 0,-1,8,-1,0, 0,-1,-1,-1,0, 0,0,0,0,0]})");
        QCOMPARE(
            terravik({"--world", "a.terravik", "--filter", "edge.json", "--export", "c.terravik"})
                .status,
            0);
        const QByteArray both = read(QStringLiteral("c.terravik"));
        QVERIFY(both.indexOf("\"Mean\"") >= 0 &&
                both.indexOf("\"Mean\"") < both.indexOf("\"Edge\""));
        // A seed is its bytes, also those that are no text in the locale.
        const QString script = QStringLiteral("\"$0\" --export s.terravik --generator peaks "
                                              "--size 3x3 --seed \"$(printf 'a\\377\\200')\"");
        QCOMPARE(terravik({"-c", script, TERRAVIK_PROGRAM}, QStringLiteral("/bin/sh")).status, 0);
        QVERIFY(read(QStringLiteral("s.terravik")).contains("\"base64\": \"Yf+A\""));
        const Run help = terravik({"--help"});
        QVERIFY(help.status == 0 && help.output.contains(QStringLiteral("--export <file>")));
        QCOMPARE(terravik({"--version"}).output, QStringLiteral("terravik " TERRAVIK_VERSION "\n"));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_cli.moc"
