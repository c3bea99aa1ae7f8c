#include "FakeShell.h"

#include "sound/OpenViewUrl.h"
#include "sound/QtShell.h"

#include <QtTest>

#include <stdexcept>

namespace {

// A shell whose handler fails the way a broken platform service might.
class TThrowingShell final : public IShell
{
public:
    void OpenUrl(const QString &) override { throw std::runtime_error("no handler"); }
    void OpenFolder(const QString &) override { throw std::runtime_error("no handler"); }
};

} // namespace

class TestOpenViewUrl : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void handsAddressToShell_data();
    void handsAddressToShell();
    void failingShellIsSilent();
    void realShellEmptyAddress();
};

void TestOpenViewUrl::handsAddressToShell_data()
{
    QTest::addColumn<QString>("url");
    QTest::newRow("empty") << "";
    QTest::newRow("web") << "https://example.org/help";
    QTest::newRow("local file") << "file:///opt/quorvel/help/index.html";
}

void TestOpenViewUrl::handsAddressToShell()
{
    QFETCH(QString, url);
    TFakeShell shell;
    OpenViewUrl(shell, url);
    QCOMPARE(shell.Urls, QStringList{url});
    QVERIFY(shell.Folders.isEmpty());
}

void TestOpenViewUrl::failingShellIsSilent()
{
    TThrowingShell shell;
    OpenViewUrl(shell, QStringLiteral("https://example.org"));
}

void TestOpenViewUrl::realShellEmptyAddress()
{
    // Nothing is opened and nothing is said: no warning, no exception.
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    TQtShell shell;
    OpenViewUrl(shell, QString());
    shell.OpenFolder(QString());
}

QTEST_MAIN(TestOpenViewUrl)
#include "tst_OpenViewUrl.moc"
