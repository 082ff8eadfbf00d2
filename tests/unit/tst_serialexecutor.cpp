// The one thread the router model and the line history run on: jobs in order, results on the
// owner's thread, and what a stop does with the jobs still waiting.

#include "core/serialexecutor.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <atomic>
#include <mutex>
#include <vector>

using vantrel::core::SerialExecutor;

class TestSerialExecutor : public QObject {
    Q_OBJECT
private slots:
    void runsInOrderAndDeliversOnOwnersThread();
    void stop_data();
    void stop();
};

void TestSerialExecutor::runsInOrderAndDeliversOnOwnersThread() {
    QObject owner;
    SerialExecutor executor(&owner);
    std::vector<int> ran;
    std::vector<int> delivered;
    std::atomic<bool> offOwnersThread{true};
    for (int i = 0; i < 50; ++i)
        executor.Run<int>(
            [&, i] {
                offOwnersThread = offOwnersThread && QThread::currentThread() != owner.thread();
                ran.push_back(i);
                return i * i;
            },
            [&](int &square) {
                QCOMPARE(QThread::currentThread(), owner.thread());
                delivered.push_back(square);
            });
    QTRY_COMPARE(delivered.size(), std::size_t(50));
    QVERIFY(offOwnersThread);
    for (int i = 0; i < 50; ++i) {
        QCOMPARE(ran[std::size_t(i)], i);
        QCOMPARE(delivered[std::size_t(i)], i * i);
    }
}

void TestSerialExecutor::stop_data() {
    QTest::addColumn<bool>("finish");
    QTest::addColumn<int>("ranAfterBlocker"); // of the 5 jobs queued behind a running one
    QTest::addRow("finish runs what waits") << true << 5;
    QTest::addRow("drop discards what waits") << false << 0;
}

// A job holds the thread while five more wait; Stop then runs or drops them, interrupts the one
// that is running, and nothing is delivered afterwards.
void TestSerialExecutor::stop() {
    QFETCH(bool, finish);
    QFETCH(int, ranAfterBlocker);
    QObject owner;
    SerialExecutor executor(&owner);
    std::atomic<bool> release{false};
    std::atomic<bool> started{false};
    std::atomic<int> ran{0};
    int delivered = 0;
    executor.Post([&] {
        started = true;
        while (!release.load())
            QThread::usleep(100);
    });
    for (int i = 0; i < 5; ++i)
        executor.Run<int>([&] { return ++ran; }, [&](int &) { ++delivered; });
    QTRY_VERIFY(started.load());
    executor.Stop(finish ? SerialExecutor::Pending::Finish : SerialExecutor::Pending::Drop,
                  [&] { release = true; });
    QCOMPARE(ran.load(), ranAfterBlocker);
    QVERIFY(executor.Stopping());
    QVERIFY(!executor.Post([] {}));
    QCoreApplication::processEvents();
    QCOMPARE(delivered, 0);
}

QTEST_GUILESS_MAIN(TestSerialExecutor)
#include "tst_serialexecutor.moc"
