#include "ProcessMemory.h"
#include "TestMain.h"

#include <QFile>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

qint64 residentAnonymousBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("RssAnon:"))
            return line.mid(8).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return -1;
}

// What a decoder thread does with a stream's buffers: takes them, fills them, frees them, ends.
void useAndFreeOnAnotherThread(size_t blockBytes, int blocks)
{
    std::thread([blockBytes, blocks] {
        std::vector<void *> taken;
        for (int i = 0; i < blocks; ++i) {
            void *block = std::malloc(blockBytes);
            std::memset(block, 1, blockBytes);
            taken.push_back(block);
        }
        for (void *block : taken)
            std::free(block);
    }).join();
}

} // namespace

class TestProcessMemory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // glibc would keep what another thread freed once a large block had raised its thresholds
    // (malloc_trim leaves the top of a thread's arena alone): 10 MB here, tens of MB per channel.
    void memoryFreedOnAnotherThreadGoesBack()
    {
#if !defined(__GLIBC__)
        QSKIP("the thresholds are glibc's");
#else
        ProcessMemory::returnFreedPromptly();
        constexpr size_t largeBlock = 8 * 1024 * 1024; // a frame or a picture: mapped, then unmapped
        void *large = std::malloc(largeBlock);
        std::memset(large, 1, largeBlock);
        std::free(large);
        malloc_trim(0);
        const qint64 before = residentAnonymousBytes();
        QVERIFY(before > 0);

        useAndFreeOnAnotherThread(64 * 1024, 160); // 10 MB in blocks below the mapping threshold
        malloc_trim(0);
        const qint64 kept = residentAnonymousBytes() - before;
        QVERIFY2(kept < 3 * 1024 * 1024, qPrintable(QStringLiteral("%1 KB still resident").arg(kept / 1024)));
#endif
    }
};

NORVANE_TEST_MAIN(TestProcessMemory)
#include "tst_processmemory.moc"
