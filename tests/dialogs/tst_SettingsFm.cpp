#include "FakeDialogService.h"
#include "FakeShell.h"
#include "LocaleGuard.h"

#include "app/AppError.h"
#include "app/ErrorDisplay.h"
#include "dialogs/SettingsFm.h"
#include "storage/LSUtils.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include <functional>

namespace {

const QString kDataPath = QStringLiteral("/tmp/quorvel-test/Gorvik.Quorvel02/Sessions");
const QString kHelpUrl = QStringLiteral("file:///opt/quorvel/help/index.html");

// A record whose every field differs from the defaults, so that a field
// that is not copied in or out shows.
TLSSettings StoredRecord()
{
    TLSSettings s{QString()};
    s.ReflectorCount = 5;
    s.ReflectorDistances.fill(9.0);
    s.ReflectorDistances[0] = 4.5;
    s.ReflectorDistances[1] = 6.25;
    s.ReflectorDistances[2] = 10.0;
    s.ReflectorDistances[3] = 3.75;
    s.MinSamplesPerReflector = 3;
    s.MaxWaitTimeMs = 45000;
    s.MinSamplesPerReflectorGap = 250;
    s.MaxSensorValue = 80;
    s.MinSensorValue = 7;
    s.MaxFluxValue = 9500;
    s.MinFluxValue = 1200;
    s.IpHost = QStringLiteral("10.1.2.3");
    s.IpPort = 8080;
    s.UseVibro = true;
    s.UseSound = false;
    s.SavePath = QStringLiteral("save");
    s.Autosave = true;
    s.BaseTestName = QStringLiteral("Тест_");
    s.Fix01 = true;
    return s;
}

// Every field of a record, all 256 distances included, for comparisons
// that name the field that differs.
QStringList Dump(const TLSSettings &s)
{
    QStringList d{
        QStringLiteral("IniFileName=%1").arg(s.IniFileName),
        QStringLiteral("ReflectorCount=%1").arg(s.ReflectorCount),
        QStringLiteral("SamplesPerSec=%1").arg(double(s.SamplesPerSec)),
        QStringLiteral("MinSamplesPerReflector=%1").arg(s.MinSamplesPerReflector),
        QStringLiteral("MaxWaitTimeMs=%1").arg(s.MaxWaitTimeMs),
        QStringLiteral("MinSamplesPerReflectorGap=%1").arg(s.MinSamplesPerReflectorGap),
        QStringLiteral("MaxSensorValue=%1").arg(s.MaxSensorValue),
        QStringLiteral("MinSensorValue=%1").arg(s.MinSensorValue),
        QStringLiteral("MaxFluxValue=%1").arg(s.MaxFluxValue),
        QStringLiteral("MinFluxValue=%1").arg(s.MinFluxValue),
        QStringLiteral("IpHost=%1").arg(s.IpHost),
        QStringLiteral("IpPort=%1").arg(s.IpPort),
        QStringLiteral("UseVibro=%1").arg(s.UseVibro),
        QStringLiteral("UseSound=%1").arg(s.UseSound),
        QStringLiteral("SavePath=%1").arg(s.SavePath),
        QStringLiteral("Autosave=%1").arg(s.Autosave),
        QStringLiteral("BaseTestName=%1").arg(s.BaseTestName),
        QStringLiteral("Fix01=%1").arg(s.Fix01),
    };
    for (int i = 0; i < TLSSettings::MaxDistances; ++i)
        d.append(QStringLiteral("d%1=%2").arg(i).arg(s.ReflectorDistances[i], 0, 'g', 17));
    return d;
}

int IntField(const TLSSettings &s, const QString &AName)
{
    const QString prefix = AName + QLatin1Char('=');
    for (const QString &entry : Dump(s))
        if (entry.startsWith(prefix))
            return entry.mid(prefix.size()).toInt();
    qFatal("no field %s", qPrintable(AName));
}

TSettingsMaster Master(IShell *AShell)
{
    TSettingsMaster m;
    m.DataPath = kDataPath;
    m.Shell = AShell;
    m.HelpUrl = kHelpUrl;
    return m;
}

// Runs AForm.Execute on ASettings; AInside acts on the shown window and
// closes it. A window left open is cancelled, so a faulty test cannot hang.
bool RunWindow(TfmSettings &AForm, TLSSettings &ASettings, const std::function<void(TfmSettings &)> &AInside)
{
    QTimer::singleShot(0, &AForm, [&] {
        AInside(AForm);
        if (AForm.isVisible())
            AForm.reject();
    });
    return AForm.Execute(ASettings);
}

// The same for ShowSettings, whose window the test finds as the modal one.
void RunShowSettings(TLSSettings &ASettings, const TSettingsMaster &AMaster,
                     const std::function<void(TfmSettings &)> &AInside)
{
    QTimer::singleShot(0, [&] {
        auto *form = qobject_cast<TfmSettings *>(QApplication::activeModalWidget());
        QVERIFY(form);
        AInside(*form);
        if (form->isVisible())
            form->reject();
    });
    ShowSettings(ASettings, AMaster);
}

QStringList Column(const QTableWidget *AGrid, int AColumn)
{
    QStringList texts;
    for (int r = 0; r < AGrid->rowCount(); ++r)
        texts.append(AGrid->item(r, AColumn)->text());
    return texts;
}

void SetLength(TfmSettings &w, int ARow, const QString &AText)
{
    w.sgReflectors->item(ARow, 1)->setText(AText);
}

void PressLabel(QLabel *ALabel, int ATimes)
{
    for (int i = 0; i < ATimes; ++i)
        QTest::mouseClick(ALabel, Qt::LeftButton);
}

} // namespace

using TTexts = QList<QPair<int, QString>>;

class TestSettingsFm : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void designedWindow();
    void controls_data();
    void controls();
    void filledFromRecord_data();
    void filledFromRecord();
    void readBack_data();
    void readBack();
    void switches_data();
    void switches();
    void waitTime_data();
    void waitTime();
    void closedWithoutOk_data();
    void closedWithoutOk();
    void hiddenPageRoundTrip_data();
    void hiddenPageRoundTrip();
    void proMode_data();
    void proMode();
    void proModeNotKept();
    void reflectorRows_data();
    void reflectorRows();
    void lengthFormat_data();
    void lengthFormat();
    void countChange_data();
    void countChange();
    void lengthRead_data();
    void lengthRead();
    void lengthEditor();
    void badLengthCell_data();
    void badLengthCell();
    void windowWritesNoFile();
    void links();
    void linksWithoutShell();
    void helpPage();
};

void TestSettingsFm::designedWindow()
{
    TfmSettings w;
    QCOMPARE(w.windowTitle(), QStringLiteral("Настройки"));
    QCOMPARE(w.size(), QSize(597, 366));

    QTabWidget *tabs = w.TabControl1;
    const QList<QWidget *> pages{w.tbMain, w.tbReflectors, w.tbUI, w.tbOther};
    const QStringList texts{QStringLiteral("Основное"), QStringLiteral("Рефлекторы"), QStringLiteral("Прочие"),
                            QStringLiteral("Справка")};
    QCOMPARE(tabs->count(), 4);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(tabs->widget(i), pages[i]);
        QCOMPARE(tabs->tabText(i), texts[i]);
        QCOMPARE(tabs->isTabVisible(i), i != 0);
    }
    QCOMPARE(tabs->currentWidget(), w.tbReflectors);

    QCOMPARE(w.btOk->text(), QStringLiteral("OK"));
    QCOMPARE(w.btCancel->text(), QStringLiteral("Отмена"));
    QCOMPARE(w.btOk->size(), QSize(80, 33));
    QCOMPARE(w.btCancel->size(), QSize(80, 33));
    QCOMPARE(w.pnlBottom->height(), 42);

    QCOMPARE(w.sgReflectors->columnCount(), 2);
    QCOMPARE(w.sgReflectors->horizontalHeaderItem(0)->text(), QStringLiteral("Участок"));
    QCOMPARE(w.sgReflectors->horizontalHeaderItem(1)->text(), QStringLiteral("Длина, м"));
    QCOMPARE(w.sgReflectors->itemDelegateForColumn(1), w.FValueCol);
    QCOMPARE(w.chkSound->text(), QStringLiteral("Звук при проезде рефлектора"));
    QCOMPARE(w.chkVibro->text(), QStringLiteral("Вибрация при проезде рефлектора"));
    QCOMPARE(w.lPathLabel->text(), QStringLiteral("Путь к файлам:"));
    QCOMPARE(w.btBrowse->text(), QStringLiteral("Просмотр файлов"));
    QCOMPARE(w.Label10->text(), QStringLiteral("Онлайн справка"));
    QCOMPARE(w.Label10->cursor().shape(), Qt::PointingHandCursor);
    QCOMPARE(w.findChild<QGroupBox *>(QStringLiteral("gbDetectionZone"))->title(),
             QStringLiteral("Зона детекции рефлекторов (от лыжи)"));
    QCOMPARE(w.findChild<QGroupBox *>(QStringLiteral("gbLayout"))->title(), QStringLiteral("Расстановка"));
    QCOMPARE(w.findChild<QGroupBox *>(QStringLiteral("gbUserInterface"))->title(),
             QStringLiteral("Интерфейс пользователя"));
    QCOMPARE(w.findChild<QGroupBox *>(QStringLiteral("gbNetwork"))->title(),
             QStringLiteral("Сетевые параметры датчика"));
    QCOMPARE(w.findChild<QGroupBox *>(QStringLiteral("gbTiming"))->title(), QStringLiteral("Временны́е параметры"));

    // Shown, the window keeps its size and lays "OK" out at the right end.
    TLSSettings s = StoredRecord();
    w.Master = Master(nullptr);
    RunWindow(w, s, [](TfmSettings &f) {
        QCOMPARE(f.size(), QSize(597, 366));
        QCOMPARE(f.TabControl1->tabBar()->tabRect(1).height(), 49);
        QVERIFY(f.btOk->geometry().left() > f.btCancel->geometry().right());
        QVERIFY(f.btOk->geometry().right() > f.pnlBottom->width() - 20);
        QCOMPARE(f.lPath->text(), QDir::toNativeSeparators(kDataPath));
        QCOMPARE(f.Label10->toolTip(), kHelpUrl);
        f.btCancel->click();
    });
}

void TestSettingsFm::controls_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::newRow("near") << "Label6" << "Ближняя граница, см" << "eMinSensorValue" << 0 << 12000;
    QTest::newRow("far") << "Label7" << "Дальняя граница, см" << "eMaxSensorValue" << 0 << 12000;
    QTest::newRow("flux min") << "lMinFluxValue" << "[pro] Fмин" << "eMinFluxValue" << 0 << 2000;
    QTest::newRow("flux max") << "lMaxFluxValue" << "[pro] Fмакс" << "eMaxFluxValue" << 0 << 20000;
    QTest::newRow("count") << "Label9" << "Кол-во" << "eReflectorCount" << 2 << 100;
    QTest::newRow("port") << "Label2" << "Порт" << "eIpPort" << 1 << 65535;
    QTest::newRow("time") << "Label3" << "Макс. время замера (скатки), с" << "eMaxWaitTime" << 0 << 6000;
    QTest::newRow("samples") << "Label4" << "Кол-во выборок на рефлектор" << "eMinSamplesPerReflector" << 0 << 2000;
    QTest::newRow("gap") << "Label5" << "Минимум выборок между рефл." << "eMinSamplesPerReflectorGap" << 0 << 1000;
}

void TestSettingsFm::controls()
{
    QFETCH(QString, label);
    QFETCH(QString, text);
    QFETCH(QString, field);
    QFETCH(int, min);
    QFETCH(int, max);
    TfmSettings w;
    QCOMPARE(w.findChild<QLabel *>(label)->text(), text);
    auto *spin = w.findChild<QSpinBox *>(field);
    QVERIFY(spin);
    QCOMPARE(spin->minimum(), min);
    QCOMPARE(spin->maximum(), max);
    QCOMPARE(w.findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral("IP адрес"));
}

void TestSettingsFm::filledFromRecord_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("shown");
    QTest::newRow("samples") << "eMinSamplesPerReflector" << 3;
    QTest::newRow("time in seconds") << "eMaxWaitTime" << 45;
    QTest::newRow("gap") << "eMinSamplesPerReflectorGap" << 250;
    QTest::newRow("port") << "eIpPort" << 8080;
    QTest::newRow("near") << "eMinSensorValue" << 7;
    QTest::newRow("far") << "eMaxSensorValue" << 80;
    QTest::newRow("flux min") << "eMinFluxValue" << 1200;
    QTest::newRow("flux max") << "eMaxFluxValue" << 9500;
    QTest::newRow("count") << "eReflectorCount" << 5;
}

void TestSettingsFm::filledFromRecord()
{
    QFETCH(QString, field);
    QFETCH(int, shown);
    TLSSettings s = StoredRecord();
    TfmSettings w;
    RunWindow(w, s, [&](TfmSettings &f) {
        QCOMPARE(f.findChild<QSpinBox *>(field)->value(), shown);
        QCOMPARE(f.eIpHost->text(), QStringLiteral("10.1.2.3"));
        QVERIFY(f.chkVibro->isChecked());
        QVERIFY(!f.chkSound->isChecked());
        f.btCancel->click();
    });
}

void TestSettingsFm::readBack_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("stored");
    QTest::newRow("samples") << "eMinSamplesPerReflector" << 17 << "MinSamplesPerReflector" << 17;
    QTest::newRow("time") << "eMaxWaitTime" << 90 << "MaxWaitTimeMs" << 90000;
    QTest::newRow("gap") << "eMinSamplesPerReflectorGap" << 999 << "MinSamplesPerReflectorGap" << 999;
    QTest::newRow("port") << "eIpPort" << 65535 << "IpPort" << 65535;
    QTest::newRow("near") << "eMinSensorValue" << 0 << "MinSensorValue" << 0;
    QTest::newRow("far") << "eMaxSensorValue" << 12000 << "MaxSensorValue" << 12000;
    QTest::newRow("flux min, hidden") << "eMinFluxValue" << 2000 << "MinFluxValue" << 2000;
    QTest::newRow("flux max, hidden") << "eMaxFluxValue" << 20000 << "MaxFluxValue" << 20000;
    QTest::newRow("count") << "eReflectorCount" << 3 << "ReflectorCount" << 3;
}

void TestSettingsFm::readBack()
{
    QFETCH(QString, control);
    QFETCH(int, value);
    QFETCH(QString, field);
    QFETCH(int, stored);
    TLSSettings s = StoredRecord();
    TfmSettings w;
    const bool ok = RunWindow(w, s, [&](TfmSettings &f) {
        f.findChild<QSpinBox *>(control)->setValue(value);
        f.btOk->click();
    });
    QVERIFY(ok);
    QCOMPARE(IntField(s, field), stored);
}

void TestSettingsFm::switches_data()
{
    QTest::addColumn<bool>("sound");
    QTest::addColumn<bool>("vibro");
    QTest::newRow("sound on") << true << false;
    QTest::newRow("both on") << true << true;
    QTest::newRow("both off") << false << false;
}

void TestSettingsFm::switches()
{
    QFETCH(bool, sound);
    QFETCH(bool, vibro);
    TLSSettings s = StoredRecord();
    s.UseSound = !sound;
    s.UseVibro = !vibro;
    TfmSettings w;
    RunWindow(w, s, [&](TfmSettings &f) {
        if (f.chkSound->isChecked() != sound)
            f.chkSound->click();
        if (f.chkVibro->isChecked() != vibro)
            f.chkVibro->click();
        f.btOk->click();
    });
    QCOMPARE(s.UseSound, sound);
    QCOMPARE(s.UseVibro, vibro);
}

void TestSettingsFm::waitTime_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("shown");
    QTest::addColumn<int>("after");
    QTest::newRow("30500, OK") << 30500 << true << 30 << 30000;
    QTest::newRow("30500, Отмена") << 30500 << false << 30 << 30500;
    QTest::newRow("30999 truncated") << 30999 << true << 30 << 30000;
    QTest::newRow("999 truncated to 0") << 999 << true << 0 << 0;
    QTest::newRow("above the range") << 7000000 << true << 6000 << 6000000;
}

void TestSettingsFm::waitTime()
{
    QFETCH(int, stored);
    QFETCH(bool, ok);
    QFETCH(int, shown);
    QFETCH(int, after);
    TLSSettings s = StoredRecord();
    s.MaxWaitTimeMs = stored;
    TfmSettings w;
    const bool result = RunWindow(w, s, [&](TfmSettings &f) {
        QCOMPARE(f.eMaxWaitTime->value(), shown);
        (ok ? f.btOk : f.btCancel)->click();
    });
    QCOMPARE(result, ok);
    QCOMPARE(s.MaxWaitTimeMs, after);
}

void TestSettingsFm::closedWithoutOk_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("Отмена") << "cancel";
    QTest::newRow("close box") << "close";
    QTest::newRow("Escape") << "escape";
}

void TestSettingsFm::closedWithoutOk()
{
    QFETCH(QString, how);
    TLSSettings s = StoredRecord();
    const QStringList before = Dump(s);
    TfmSettings w;
    const bool result = RunWindow(w, s, [&](TfmSettings &f) {
        for (QSpinBox *spin : f.findChildren<QSpinBox *>())
            spin->setValue(spin->minimum() + 1);
        f.eReflectorCount->setValue(8);
        for (int r = 0; r < f.sgReflectors->rowCount(); ++r)
            SetLength(f, r, QStringLiteral("1.5"));
        f.eIpHost->setText(QStringLiteral("1.1.1.1"));
        f.chkSound->click();
        f.chkVibro->click();
        if (how == QLatin1String("cancel"))
            f.btCancel->click();
        else if (how == QLatin1String("close"))
            f.close();
        else
            QTest::keyClick(&f, Qt::Key_Escape);
        QVERIFY(!f.isVisible());
    });
    QVERIFY(!result);
    QCOMPARE(Dump(s), before);
}

void TestSettingsFm::hiddenPageRoundTrip_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<int>("port");
    QTest::addColumn<int>("waitMs");
    QTest::addColumn<int>("samples");
    QTest::addColumn<int>("gap");
    QTest::addColumn<int>("portAfter");
    QTest::addColumn<int>("samplesAfter");
    QTest::addColumn<int>("gapAfter");
    QTest::newRow("defaults") << "192.168.0.180" << 9750 << 30000 << 1 << 300 << 9750 << 1 << 300;
    QTest::newRow("own values") << "10.0.0.7" << 8080 << 45000 << 7 << 250 << 8080 << 7 << 250;
    QTest::newRow("range ends") << "" << 1 << 0 << 0 << 1000 << 1 << 0 << 1000;
    QTest::newRow("outside the ranges") << "h" << 0 << 60000 << 2500 << 1200 << 1 << 2000 << 1000;
}

void TestSettingsFm::hiddenPageRoundTrip()
{
    QFETCH(QString, host);
    QFETCH(int, port);
    QFETCH(int, waitMs);
    QFETCH(int, samples);
    QFETCH(int, gap);
    QFETCH(int, portAfter);
    QFETCH(int, samplesAfter);
    QFETCH(int, gapAfter);
    TLSSettings s = StoredRecord();
    s.IpHost = host;
    s.IpPort = port;
    s.MaxWaitTimeMs = waitMs;
    s.MinSamplesPerReflector = samples;
    s.MinSamplesPerReflectorGap = gap;
    TfmSettings w;
    const bool ok = RunWindow(w, s, [](TfmSettings &f) {
        QVERIFY(!f.TabControl1->isTabVisible(f.TabControl1->indexOf(f.tbMain)));
        f.btOk->click();
    });
    QVERIFY(ok);
    QCOMPARE(s.IpHost, host);
    QCOMPARE(s.IpPort, portAfter);
    QCOMPARE(s.MaxWaitTimeMs, waitMs);
    QCOMPARE(s.MinSamplesPerReflector, samplesAfter);
    QCOMPARE(s.MinSamplesPerReflectorGap, gapAfter);
}

void TestSettingsFm::proMode_data()
{
    QTest::addColumn<int>("near");
    QTest::addColumn<int>("far");
    QTest::addColumn<bool>("shown");
    QTest::newRow("6 + 4") << 6 << 4 << true;
    QTest::newRow("10 on the near label") << 10 << 0 << true;
    QTest::newRow("10 on the far label") << 0 << 10 << true;
    QTest::newRow("12 + 3") << 12 << 3 << true;
    QTest::newRow("5 + 4") << 5 << 4 << false;
    QTest::newRow("none") << 0 << 0 << false;
}

void TestSettingsFm::proMode()
{
    QFETCH(int, near);
    QFETCH(int, far);
    QFETCH(bool, shown);
    TLSSettings s = StoredRecord();
    TfmSettings w;
    RunWindow(w, s, [&](TfmSettings &f) {
        QVERIFY(!f.eMinFluxValue->isVisible());
        PressLabel(f.Label6, near);
        PressLabel(f.Label7, far);
        QCOMPARE(f.ProClickCounter(), near + far);
        for (QWidget *widget : {static_cast<QWidget *>(f.eMinFluxValue), static_cast<QWidget *>(f.lMinFluxValue),
                                static_cast<QWidget *>(f.eMaxFluxValue), static_cast<QWidget *>(f.lMaxFluxValue)})
            QCOMPARE(widget->isVisible(), shown);
        f.btOk->click();
    });
    // Pro mode shows the fields; it changes nothing of the record.
    QCOMPARE(s.MinFluxValue, 1200);
    QCOMPARE(s.MaxFluxValue, 9500);
}

void TestSettingsFm::proModeNotKept()
{
    TLSSettings s = StoredRecord();
    {
        TfmSettings first;
        RunWindow(first, s, [](TfmSettings &f) {
            PressLabel(f.Label6, 10);
            QVERIFY(f.eMaxFluxValue->isVisible());
            f.btOk->click();
        });
    }
    TfmSettings second;
    QVERIFY(!second.ProMode());
    QCOMPARE(second.ProClickCounter(), 0);
    RunWindow(second, s, [](TfmSettings &f) {
        QVERIFY(!f.eMinFluxValue->isVisible());
        QVERIFY(!f.lMaxFluxValue->isVisible());
        PressLabel(f.Label7, 9);
        QVERIFY(!f.eMaxFluxValue->isVisible());
        f.btCancel->click();
    });
}

void TestSettingsFm::reflectorRows_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("2") << 2 << QStringList{"1-2"};
    QTest::newRow("5") << 5 << QStringList{"1-2", "2-3", "3-4", "4-5"};
    QStringList hundred;
    for (int i = 1; i < 100; ++i)
        hundred.append(QStringLiteral("%1-%2").arg(i).arg(i + 1));
    QTest::newRow("100") << 100 << hundred;
}

void TestSettingsFm::reflectorRows()
{
    QFETCH(int, count);
    QFETCH(QStringList, names);
    TLSSettings s = StoredRecord();
    s.ReflectorCount = count;
    TfmSettings w;
    RunWindow(w, s, [&](TfmSettings &f) {
        QCOMPARE(Column(f.sgReflectors, 0), names);
        const QTableWidgetItem *name = f.sgReflectors->item(0, 0);
        QVERIFY(!(name->flags() & Qt::ItemIsEditable));
        QVERIFY(!(name->flags() & Qt::ItemIsEnabled));
        QVERIFY(f.sgReflectors->item(0, 1)->flags() & Qt::ItemIsEditable);
        f.btCancel->click();
    });
}

void TestSettingsFm::lengthFormat_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QStringList>("lengths");
    QTest::newRow("ru") << "ru_RU" << QStringList{"4,50", "6,25", "10,00", "3,75"};
    QTest::newRow("en") << "en_US" << QStringList{"4.50", "6.25", "10.00", "3.75"};
}

void TestSettingsFm::lengthFormat()
{
    QFETCH(QString, locale);
    QFETCH(QStringList, lengths);
    TLocaleGuard guard(locale);
    TLSSettings s = StoredRecord();
    TfmSettings w;
    RunWindow(w, s, [&](TfmSettings &f) {
        QCOMPARE(Column(f.sgReflectors, 1), lengths);
        f.btCancel->click();
    });
    QCOMPARE(TfmSettings::FormatLength(1234.567), locale == QLatin1String("ru_RU") ? QStringLiteral("1234,57")
                                                                                 : QStringLiteral("1234.57"));
    QCOMPARE(TfmSettings::FormatLength(5.0), locale == QLatin1String("ru_RU") ? QStringLiteral("5,00")
                                                                            : QStringLiteral("5.00"));
}

// Counts are set one after another; typed lengths are (row, text) pairs
// typed before the first count change.
void TestSettingsFm::countChange_data()
{
    QTest::addColumn<QList<int>>("counts");
    QTest::addColumn<TTexts>("typed");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QList<double>>("stored");

    // Rows beyond the stored count show the default length, not what the
    // caller's record holds beyond its count (9.0 here).
    QTest::newRow("5 to 7 adds 5-6 and 6-7") << QList<int>{7} << TTexts{}
                                             << QStringList{"4.50", "6.25", "10.00", "3.75", "5.00", "5.00"}
                                             << QList<double>{4.5, 6.25, 10.0, 3.75, 5.0, 5.0, 9.0};
    QTest::newRow("typed lengths stay") << QList<int>{7} << TTexts{{0, "7.5"}, {3, "2.25"}}
                                        << QStringList{"7.5", "6.25", "10.00", "2.25", "5.00", "5.00"}
                                        << QList<double>{7.5, 6.25, 10.0, 2.25, 5.0, 5.0, 9.0};
    QTest::newRow("5 to 3 keeps the first two") << QList<int>{3} << TTexts{{1, "8"}, {3, "1"}}
                                                << QStringList{"4.50", "8"}
                                                << QList<double>{4.5, 8.0, 10.0, 3.75, 9.0};
    QTest::newRow("5 to 3 to 5 restores typed rows") << QList<int>{3, 5} << TTexts{{3, "1.125"}}
                                                     << QStringList{"4.50", "6.25", "10.00", "1.125"}
                                                     << QList<double>{4.5, 6.25, 10.0, 1.125, 9.0};
    QTest::newRow("step by step 5 to 8") << QList<int>{6, 7, 8} << TTexts{{2, "12"}}
                                         << QStringList{"4.50", "6.25", "12", "3.75", "5.00", "5.00", "5.00"}
                                         << QList<double>{4.5, 6.25, 12.0, 3.75, 5.0, 5.0, 5.0, 9.0};
}

void TestSettingsFm::countChange()
{
    QFETCH(QList<int>, counts);
    QFETCH(TTexts, typed);
    QFETCH(QStringList, shown);
    QFETCH(QList<double>, stored);
    TLocaleGuard guard(QStringLiteral("en_US"));
    TLSSettings s = StoredRecord();
    TfmSettings w;
    const bool ok = RunWindow(w, s, [&](TfmSettings &f) {
        for (const auto &[row, text] : typed)
            SetLength(f, row, text);
        for (int count : counts)
            f.eReflectorCount->setValue(count);
        QCOMPARE(f.sgReflectors->rowCount(), counts.last() - 1);
        QStringList names;
        for (int r = 0; r < counts.last() - 1; ++r)
            names.append(QStringLiteral("%1-%2").arg(r + 1).arg(r + 2));
        QCOMPARE(Column(f.sgReflectors, 0), names);
        QCOMPARE(Column(f.sgReflectors, 1), shown);
        f.btOk->click();
    });
    QVERIFY(ok);
    QCOMPARE(s.ReflectorCount, counts.last());
    // Entries beyond the new count are the caller's own, untouched.
    for (int i = 0; i < stored.size(); ++i)
        QCOMPARE(s.ReflectorDistances[i], stored[i]);
}

void TestSettingsFm::lengthRead_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("length");
    QTest::newRow("ru, comma") << "ru_RU" << "5,25" << 5.25;
    QTest::newRow("ru, point") << "ru_RU" << "5.25" << 5.25;
    QTest::newRow("ru, shown text") << "ru_RU" << "10,00" << 10.0;
    QTest::newRow("en, point") << "en_US" << "12.5" << 12.5;
    QTest::newRow("en, whole") << "en_US" << "100" << 100.0;
}

void TestSettingsFm::lengthRead()
{
    QFETCH(QString, locale);
    QFETCH(QString, text);
    QFETCH(double, length);
    TLocaleGuard guard(locale);
    TLSSettings s = StoredRecord();
    TfmSettings w;
    const bool ok = RunWindow(w, s, [&](TfmSettings &f) {
        SetLength(f, 2, text);
        f.btOk->click();
    });
    QVERIFY(ok);
    QCOMPARE(s.ReflectorDistances[2], length);
    QCOMPARE(s.ReflectorDistances[1], 6.25);
}

void TestSettingsFm::lengthEditor()
{
    TLocaleGuard guard(QStringLiteral("ru_RU"));
    TLSSettings s = StoredRecord();
    TfmSettings w;
    const bool ok = RunWindow(w, s, [&](TfmSettings &f) {
        const QModelIndex index = f.sgReflectors->model()->index(1, 1);
        f.sgReflectors->setCurrentIndex(index);
        f.sgReflectors->edit(index);
        auto *editor = qobject_cast<QLineEdit *>(f.sgReflectors->indexWidget(index));
        QVERIFY(editor);
        QCOMPARE(editor->text(), QStringLiteral("6,25"));
        editor->clear();
        // Letters and a second separator are refused as they are typed.
        QTest::keyClicks(editor, QStringLiteral("7x,5,1a"));
        QCOMPARE(editor->text(), QStringLiteral("7,51"));
        // "OK" takes the length still in its editor.
        f.btOk->click();
    });
    QVERIFY(ok);
    QCOMPARE(s.ReflectorDistances[1], 7.51);
}

void TestSettingsFm::badLengthCell_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("letters") << "abc";
    QTest::newRow("empty") << "";
    QTest::newRow("comma in a point locale") << "5,5";
    QTest::newRow("two points") << "1.2.3";
}

void TestSettingsFm::badLengthCell()
{
    QFETCH(QString, text);
    TLocaleGuard guard(QStringLiteral("en_US"));
    TLSSettings s = StoredRecord();
    const QStringList before = Dump(s);

    // Execute raises the conversion error after the window has closed.
    {
        TfmSettings w;
        QVERIFY_THROWS_EXCEPTION(EConvertError, RunWindow(w, s, [&](TfmSettings &f) {
            f.eMinSensorValue->setValue(20);
            SetLength(f, 2, text);
            f.btOk->click();
        }));
        QVERIFY(!w.isVisible());
    }
    QCOMPARE(Dump(s), before);

    // Opened from the main window, the error reaches its error display.
    TFakeDialogService dialogs;
    TErrorDisplay errors(dialogs);
    TFakeShell shell;
    const bool done = errors.Guard([&] {
        RunShowSettings(s, Master(&shell), [&](TfmSettings &f) {
            f.eMaxSensorValue->setValue(99);
            SetLength(f, 2, text);
            f.btOk->click();
        });
    });
    QVERIFY(!done);
    QCOMPARE(dialogs.Dialogs.size(), 1);
    QCOMPARE(dialogs.Dialogs[0].type, TMsgDlgType::mtError);
    QVERIFY2(dialogs.Dialogs[0].message.contains(QStringLiteral("3-4")), qPrintable(dialogs.Dialogs[0].message));
    QCOMPARE(Dump(s), before);
    QVERIFY(!QApplication::activeModalWidget());
}

void TestSettingsFm::windowWritesNoFile()
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Gorvik/Quorvel02.ini"));
    TLSSettings s{ini};
    TFakeShell shell;
    RunShowSettings(s, Master(&shell), [](TfmSettings &f) {
        f.eReflectorCount->setValue(6);
        f.btOk->click();
    });
    QCOMPARE(s.ReflectorCount, 6);
    QCOMPARE(s.IniFileName, ini);
    QVERIFY(!QFileInfo::exists(ini));
    QVERIFY(!QFileInfo::exists(dir.filePath(QStringLiteral("Gorvik"))));
}

void TestSettingsFm::links()
{
    TLSSettings s = StoredRecord();
    TFakeShell shell;
    RunShowSettings(s, Master(&shell), [&](TfmSettings &f) {
        f.TabControl1->setCurrentWidget(f.tbOther);
        f.btBrowse->click();
        QCOMPARE(shell.Folders, QStringList{kDataPath});
        QTest::mouseClick(f.Label10, Qt::LeftButton);
        QCOMPARE(shell.Urls, QStringList{kHelpUrl});
        QVERIFY(f.isVisible());
        f.btCancel->click();
    });
    QCOMPARE(shell.Folders.size(), 1);
    QCOMPARE(shell.Urls.size(), 1);
}

void TestSettingsFm::linksWithoutShell()
{
    TLSSettings s = StoredRecord();
    RunShowSettings(s, Master(nullptr), [](TfmSettings &f) {
        f.btBrowse->click();
        QTest::mouseClick(f.Label10, Qt::LeftButton);
        QVERIFY(f.isVisible());
        f.btCancel->click();
    });
}

void TestSettingsFm::helpPage()
{
    const QUrl url(HelpPageUrl());
    QVERIFY(url.isLocalFile());
    QCOMPARE(url.toLocalFile(), QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("help/index.html")));

    // The build puts the page next to the program.
    QFile page(QStringLiteral(QUORVEL_HELP_PAGE));
    QVERIFY2(page.open(QIODevice::ReadOnly), QUORVEL_HELP_PAGE);
    const QString html = QString::fromUtf8(page.readAll());
    for (const char *heading : {"Подготовка трассы", "Подключение", "Заезд", "Чтение графика"})
        QVERIFY2(html.contains(QString::fromUtf8(heading)), heading);
}

QTEST_MAIN(TestSettingsFm)
#include "tst_SettingsFm.moc"
