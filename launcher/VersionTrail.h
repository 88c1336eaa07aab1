// SPDX-License-Identifier: MIT
// The version trail: which versions and builds of the launcher have run, and
// for which versions the user accepted the licence agreement.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <optional>

class QSettings;

namespace zan {

// Settings keys. The trail is stored as a settings group of three string
// lists, which keeps it readable in the settings file:
//
//     [kZanVersionTrail]
//     kBuild=100, 101
//     kEULAAccepted=1.0.0
//     kVersion=1.0.0
inline constexpr char kZanVersionTrailKey[] = "kZanVersionTrail";
inline constexpr char kVersionKey[] = "kVersion";
inline constexpr char kBuildKey[] = "kBuild";
inline constexpr char kEULAAcceptedKey[] = "kEULAAccepted";

// Entries compare by exact string equality and are only ever appended.
struct VersionTrail {
    QStringList versions; // "kVersion"
    QStringList builds;   // "kBuild"
    QStringList accepted; // "kEULAAccepted"

    // The dictionary form kept in AppDelegate::versionTrail.
    QVariantMap toVariantMap() const;

    bool operator==(const VersionTrail &other) const
    {
        return versions == other.versions && builds == other.builds && accepted == other.accepted;
    }
    bool operator!=(const VersionTrail &other) const { return !(*this == other); }
};

struct StoredTrail {
    std::optional<VersionTrail> trail; // unset: nothing usable is stored
    // Set when something is stored under the key but it is not a trail (not
    // a group, a list missing, a value that is not text); it is then read as
    // no trail at all and replaced by the next acceptance.
    QString problem;
};

// Reads the trail from the settings as they are now.
StoredTrail readVersionTrail(QSettings &settings);

// Replaces whatever is stored under "kZanVersionTrail" with the trail and
// writes it to disk. Returns an error text when the settings could not be
// written, empty on success.
QString storeVersionTrail(QSettings &settings, const VersionTrail &trail);

// Steps of the agreement check that need no user: the working copy built from
// what is stored (or three empty lists), the current version appended when it
// was never recorded, the current build when it is new, and whether the
// current version's agreement is on record.
struct EulaDecision {
    VersionTrail workingCopy;
    bool acceptedForVersion = false;
};
EulaDecision decideEula(const std::optional<VersionTrail> &stored,
                        const std::optional<QString> &version, const std::optional<QString> &build);

// The result the prompt gives when the user accepts.
inline constexpr qint64 kEulaAccept = 1;

enum class EulaOutcome {
    OnRecord, // accepted before; nothing was asked, nothing stored
    Accepted, // asked and accepted; the trail is stored
    Declined, // asked and declined; nothing stored
};

struct EulaCheck {
    EulaOutcome outcome = EulaOutcome::Declined;
    VersionTrail workingCopy;
    // Things worth a log entry: a stored value that was not a trail, a
    // missing version, a trail that could not be written.
    QStringList problems;
};

// The whole agreement check: reads the trail from the settings, decides, and
// when the agreement is not on record asks through prompt (kEulaAccept means
// accepted). On acceptance the version is appended to "kEULAAccepted" and the
// whole working copy, with the version and build it gained, is stored and
// flushed. Declining leaves the settings untouched.
EulaCheck checkEula(QSettings &settings, const std::optional<QString> &version,
                    const std::optional<QString> &build, const std::function<qint64()> &prompt);

} // namespace zan
