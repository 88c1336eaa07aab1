// SPDX-License-Identifier: MIT
// The version trail as read from the launcher's settings file. The input is
// the file; what is read must decide as the agreement check decides, and a
// trail written back must read back the same.
#include "FuzzSupport.h"
#include "VersionTrail.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdlib>

namespace {
QTemporaryDir *folder = nullptr;
quint64 counter = 0;

// A new name for every file: the settings classes cache files by name and
// could otherwise hand back what an earlier input held.
QString freshPath()
{
    return folder->filePath(QStringLiteral("settings-%1.ini").arg(++counter));
}

bool isPrefix(const QStringList &prefix, const QStringList &list)
{
    return prefix.size() <= list.size() && list.mid(0, prefix.size()) == prefix;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    zanfuzz::quietProcess();
    static QCoreApplication app(*argc, *argv);
    // Memory-backed when there is such a folder: the settings are flushed to
    // disk on every write, which would otherwise cost most of the time.
    const QString shm = QStringLiteral("/dev/shm");
    folder = QDir(shm).exists() ? new QTemporaryDir(shm + QStringLiteral("/zan-fuzz-trail-XXXXXX"))
                                : new QTemporaryDir;
    // libFuzzer ends with exit(): take the folder along.
    std::atexit([] { delete folder; });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > 65536)
        return 0;
    const QString path = freshPath();
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    std::optional<zan::VersionTrail> stored;
    {
        QSettings settings(path, QSettings::IniFormat);
        const zan::StoredTrail read = zan::readVersionTrail(settings);
        ZAN_FUZZ_CHECK(!(read.trail && !read.problem.isEmpty()));
        stored = read.trail;
    }
    QFile::remove(path);

    const QString version = QStringLiteral("1.0.0");
    const QString build = QStringLiteral("100");
    const zan::EulaDecision decision = zan::decideEula(stored, version, build);
    const zan::VersionTrail &copy = decision.workingCopy;
    ZAN_FUZZ_CHECK(copy.versions.contains(version));
    ZAN_FUZZ_CHECK(copy.builds.contains(build));
    if (stored) {
        // Only ever appended to.
        ZAN_FUZZ_CHECK(isPrefix(stored->versions, copy.versions));
        ZAN_FUZZ_CHECK(isPrefix(stored->builds, copy.builds));
        ZAN_FUZZ_CHECK(copy.accepted == stored->accepted);
        ZAN_FUZZ_CHECK(decision.acceptedForVersion ==
                       (stored->versions.contains(version) && stored->accepted.contains(version)));
    } else {
        ZAN_FUZZ_CHECK(!decision.acceptedForVersion);
    }

    // What the check stores on acceptance reads back unchanged.
    const QString written = freshPath();
    {
        QSettings settings(written, QSettings::IniFormat);
        ZAN_FUZZ_CHECK(zan::storeVersionTrail(settings, copy).isEmpty());
    }
    {
        QSettings settings(written, QSettings::IniFormat);
        const zan::StoredTrail back = zan::readVersionTrail(settings);
        ZAN_FUZZ_CHECK(back.trail.has_value());
        ZAN_FUZZ_CHECK(*back.trail == copy);
    }
    QFile::remove(written);
    return 0;
}
