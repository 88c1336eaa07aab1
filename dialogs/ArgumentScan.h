// SPDX-License-Identifier: MIT
// How the dialog program reads its command line. zanlauncher builds these
// arguments itself, sometimes with stray quotes or padding around an option,
// so options are matched loosely and values are taken almost as given.
//
// The scans take the arguments as the kernel handed them over. An option is
// matched on the argument decoded as UTF-8; a value is a file name and stays
// bytes, which need not be UTF-8 (a name written in a Latin-1 locale, say):
// decoding it would name another file.
#pragma once

#include <QByteArrayList>
#include <QLatin1String>
#include <QStringList>

#include <optional>

namespace zan {

// Removes every double-quote character wherever it stands.
QString withoutQuotes(const QString &argument);
// Removes every 0x22 byte: in UTF-8 that byte is never part of another
// character, so this removes the quote characters and nothing else.
QByteArray withoutQuotes(const QByteArray &argument);

// withoutQuotes, then trims spaces, tabs and the other Unicode space
// separators from both ends. Line breaks are not trimmed.
QString normalizedOption(const QString &argument);

// Whether the argument, normalized, is the option (whole string, any case).
bool isOption(const QString &argument, QLatin1String option);

// The dialog a run shows.
enum class DialogKind {
    ProxyAuth,
    Auth,
    SelectShared,
    SelectSuspend,
    SelectSession,
    SelectNodeGroup,
    Message,
    SelectNode, // the default: no other dialog named
};

struct DispatchChoice {
    DialogKind kind = DialogKind::SelectNode;
    QByteArray filePath; // the value of the option that chose the dialog
};

// The dispatcher's scan: the first recognised option decides for good; its
// value is the next argument without quotes. An option with no value, or an
// empty one, chooses no dialog, and the node dialog runs.
DispatchChoice scanDispatch(const QByteArrayList &arguments);

// The value after the first occurrence of the option, without quotes; unset
// when the option is missing or is the last argument.
std::optional<QByteArray> firstOptionValue(const QByteArrayList &arguments, QLatin1String option);

struct SelectionArguments {
    QByteArray exchangeFilePath; // empty when no option carried one
    QString helpUrl;             // empty when -url was not given a value
};

// The selection dialogs' scan: every occurrence of one of the exchange-file
// options or of -url sets its member (a later one wins) and its value is
// never examined as an option; anything else is passed over one by one.
SelectionArguments scanSelection(const QByteArrayList &arguments,
                                 const QList<QLatin1String> &exchangeFileOptions,
                                 QLatin1String helpTopic);

} // namespace zan
