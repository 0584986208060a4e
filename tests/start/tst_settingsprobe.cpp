// The settings probe at start-up: whatever "ImpostazioniQo.dat" is in the
// working folder, the start window loads as usual, nothing is read from the
// file and nothing is written. A watchdog turns a hang into a failure.

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "TestSupport.h"
#include "app/Windows.h"
#include "layout/Controls.h"
#include "start/FrmInizio.h"

namespace {

constexpr auto kSettingsFile = "ImpostazioniQo.dat";
constexpr std::chrono::seconds kHangLimit{30};
constexpr qint64 kHugeSize = qint64(8) << 30; // sparse: takes no room on disk
const QByteArray kPipeContent = "dati nel tubo";

// Ends the test run with a failure if it is not destroyed within the limit.
class Watchdog
{
public:
    explicit Watchdog(const char *what)
        : m_thread([this, what] {
              std::unique_lock lock(m_mutex);
              if (!m_finished.wait_for(lock, kHangLimit, [this] { return m_done; })) {
                  std::fprintf(stderr, "FAIL: %s hung\n", what);
                  std::_Exit(EXIT_FAILURE);
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_finished.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_finished;
    bool m_done = false;
    std::thread m_thread;
};

struct FileState
{
    bool exists = false;
    qint64 size = 0;
    QDateTime modified;
    QStringList folder;
    bool operator==(const FileState &) const = default;
};

FileState stateOf(const QDir &folder)
{
    const QFileInfo info(folder.filePath(QString::fromLatin1(kSettingsFile)));
    return {
        info.exists(), info.size(), info.lastModified(),
        folder.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)};
}

} // namespace

class SettingsProbeTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_folder;
    QString m_previousFolder;
    int m_pipeEnd = -1;

    QString settingsPath() const { return m_folder.filePath(QString::fromLatin1(kSettingsFile)); }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_folder.isValid());
        m_previousFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_folder.path()));
    }

    void cleanup()
    {
        app::Unload<FrmInizio>();
        testing::flushDeletes();
        QDir::setCurrent(m_previousFolder);
        if (m_pipeEnd >= 0)
            ::close(m_pipeEnd);
        m_pipeEnd = -1;
        ::chmod(settingsPath().toLocal8Bit().constData(), 0600);
        QFileInfo(settingsPath()).isDir() ? QDir(settingsPath()).removeRecursively()
                                          : QFile::remove(settingsPath());
    }

    void theStartIsTheSameWhateverTheFileIs_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("missing") << "missing";
        QTest::newRow("ordinary") << "ordinary";
        // As root the permission bits do not stop the open; elsewhere they do.
        QTest::newRow("unreadable") << "unreadable";
        QTest::newRow("a folder") << "folder";
        QTest::newRow("named pipe, no writer") << "pipe";
        QTest::newRow("named pipe with data waiting") << "pipe with data";
        QTest::newRow("huge sparse file") << "huge";
        QTest::newRow("link to nowhere") << "dangling link";
    }

    void theStartIsTheSameWhateverTheFileIs()
    {
        QFETCH(QString, file);
        const QByteArray path = settingsPath().toLocal8Bit();
        if (file == "ordinary" || file == "unreadable") {
            QFile ordinary(settingsPath());
            QVERIFY(ordinary.open(QIODevice::WriteOnly));
            ordinary.write("[impostazioni]\n");
            ordinary.close();
            if (file == "unreadable")
                QCOMPARE(::chmod(path.constData(), 0), 0);
        } else if (file == "folder") {
            QVERIFY(QDir(m_folder.path()).mkdir(QString::fromLatin1(kSettingsFile)));
        } else if (file.startsWith("pipe")) {
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
            if (file == "pipe with data") {
                // Both ends held here, so that anything the probe read would be missing.
                m_pipeEnd = ::open(path.constData(), O_RDWR | O_NONBLOCK);
                QVERIFY(m_pipeEnd >= 0);
                QCOMPARE(::write(m_pipeEnd, kPipeContent.constData(), kPipeContent.size()),
                         kPipeContent.size());
            }
        } else if (file == "huge") {
            QFile huge(settingsPath());
            QVERIFY(huge.open(QIODevice::WriteOnly));
            QVERIFY(huge.resize(kHugeSize));
        } else if (file == "dangling link") {
            QVERIFY(QFile::link(m_folder.filePath("nowhere"), settingsPath()));
        }
        const FileState before = stateOf(QDir(m_folder.path()));

        FrmInizio *window = nullptr;
        {
            Watchdog watchdog("loading the start window");
            window = app::Load<FrmInizio>();
        }

        QVERIFY(window);
        QCOMPARE(window->Label7()->caption(), QStringLiteral("Vers.1.0\rMouse "));
        QCOMPARE(stateOf(QDir(m_folder.path())), before);
        if (m_pipeEnd >= 0) {
            QByteArray left(kPipeContent.size() + 1, '\0');
            QCOMPARE(::read(m_pipeEnd, left.data(), left.size()), kPipeContent.size());
            QCOMPARE(left.left(kPipeContent.size()), kPipeContent);
        }
    }
};

QTEST_MAIN(SettingsProbeTest)
#include "tst_settingsprobe.moc"
