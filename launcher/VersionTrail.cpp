// SPDX-License-Identifier: MIT
#include "VersionTrail.h"

#include <QSettings>

namespace zan {
namespace {
const QString groupKey = QString::fromLatin1(kZanVersionTrailKey);
const QString versionKey = QString::fromLatin1(kVersionKey);
const QString buildKey = QString::fromLatin1(kBuildKey);
const QString acceptedKey = QString::fromLatin1(kEULAAcceptedKey);

// The settings file cannot tell a list of one from a single text, and stores
// an empty list as an invalid value; all three read back as lists here.
std::optional<QStringList> readList(QSettings &settings, const QString &key)
{
    if (!settings.contains(key))
        return std::nullopt;
    const QVariant value = settings.value(key);
    switch (value.typeId()) {
    case QMetaType::QStringList:
        return value.toStringList();
    case QMetaType::QString:
        return QStringList{value.toString()};
    case QMetaType::UnknownType:
        return QStringList();
    default:
        return std::nullopt;
    }
}

void appendMissing(QStringList &to, const QStringList &from)
{
    for (const QString &entry : from) {
        if (!to.contains(entry))
            to.append(entry);
    }
}

// The stored lists, followed by what the working copy has that they lack.
VersionTrail mergeTrails(const VersionTrail &stored, const VersionTrail &working)
{
    VersionTrail merged = stored;
    appendMissing(merged.versions, working.versions);
    appendMissing(merged.builds, working.builds);
    appendMissing(merged.accepted, working.accepted);
    return merged;
}
} // namespace

QVariantMap VersionTrail::toVariantMap() const
{
    return {{versionKey, versions}, {buildKey, builds}, {acceptedKey, accepted}};
}

StoredTrail readVersionTrail(QSettings &settings)
{
    StoredTrail stored;
    const bool plainValue = settings.contains(groupKey);
    settings.beginGroup(groupKey);
    const bool anyEntry = !settings.childKeys().isEmpty() || !settings.childGroups().isEmpty();
    const std::optional<QStringList> versions = readList(settings, versionKey);
    const std::optional<QStringList> builds = readList(settings, buildKey);
    const std::optional<QStringList> accepted = readList(settings, acceptedKey);
    settings.endGroup();

    if (versions && builds && accepted) {
        stored.trail = VersionTrail{*versions, *builds, *accepted};
    } else if (plainValue || anyEntry) {
        stored.problem = QStringLiteral("The stored version trail is not readable and is ignored.");
    }
    return stored;
}

QString storeVersionTrail(QSettings &settings, const VersionTrail &trail)
{
    // Removing the key first also clears a value that was not a group.
    settings.remove(groupKey);
    settings.beginGroup(groupKey);
    settings.setValue(versionKey, trail.versions);
    settings.setValue(buildKey, trail.builds);
    settings.setValue(acceptedKey, trail.accepted);
    settings.endGroup();
    settings.sync();
    switch (settings.status()) {
    case QSettings::NoError:
        return QString();
    case QSettings::AccessError:
        return QStringLiteral("The version trail could not be written to %1.")
            .arg(settings.fileName());
    case QSettings::FormatError:
        // The status stays from reading a file with lines it could not parse;
        // sync writes the file all the same, those lines re-encoded.
        return QStringLiteral("The settings file %1 held lines that could not be read; it was "
                              "written anew with the version trail.")
            .arg(settings.fileName());
    }
    return QString();
}

EulaDecision decideEula(const std::optional<VersionTrail> &stored,
                        const std::optional<QString> &version, const std::optional<QString> &build)
{
    EulaDecision decision;
    if (stored)
        decision.workingCopy = *stored;
    VersionTrail &trail = decision.workingCopy;
    if (version) {
        if (trail.versions.contains(*version))
            decision.acceptedForVersion = trail.accepted.contains(*version);
        else
            trail.versions.append(*version);
    }
    if (build && !trail.builds.contains(*build))
        trail.builds.append(*build);
    return decision;
}

EulaCheck checkEula(QSettings &settings, const std::optional<QString> &version,
                    const std::optional<QString> &build, const std::function<qint64()> &prompt)
{
    EulaCheck check;
    const StoredTrail stored = readVersionTrail(settings);
    if (settings.status() == QSettings::FormatError)
        check.problems.append(
            QStringLiteral("The settings file %1 held lines that could not be read.")
                .arg(settings.fileName()));
    if (!stored.problem.isEmpty())
        check.problems.append(stored.problem);
    if (!version)
        check.problems.append(QStringLiteral(
            "The bundle names no version (CFBundleShortVersionString); an acceptance cannot be "
            "recorded."));

    EulaDecision decision = decideEula(stored.trail, version, build);
    check.workingCopy = decision.workingCopy;
    if (decision.acceptedForVersion) {
        check.outcome = EulaOutcome::OnRecord;
        return check;
    }
    if (!prompt || prompt() != kEulaAccept) {
        check.outcome = EulaOutcome::Declined;
        return check;
    }
    check.outcome = EulaOutcome::Accepted;
    // Without a version there is nothing to record; the user is asked again
    // next time, which is the safe side.
    if (version) {
        check.workingCopy.accepted.append(*version);
        // The prompt may have stood open for minutes while another launcher
        // recorded something; the lists only ever grow, so keep what it
        // added rather than writing over it.
        settings.sync();
        const StoredTrail now = readVersionTrail(settings);
        if (now.trail && (!stored.trail || *now.trail != *stored.trail))
            check.workingCopy = mergeTrails(*now.trail, check.workingCopy);
        const QString error = storeVersionTrail(settings, check.workingCopy);
        if (!error.isEmpty())
            check.problems.append(error);
    }
    return check;
}

} // namespace zan
