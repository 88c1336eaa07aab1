// SPDX-License-Identifier: MIT
// The desktop's launch token: the text that lets a program's window come to
// the front for the user's click. On X11 it is the ID of a startup sequence
// (the busy pointer or "starting…" entry) that the program ends when its
// window shows; on Wayland it is an activation token that the compositor
// accepts once, from a window that asks for the keyboard.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QVariantMap>

namespace zan {

// Whether a text can be a launch token. Real ones are a few dozen printable
// characters; a token that holds control characters or runs past 1024
// characters came from something else, and would end up in another
// program's environment and in an X message.
bool isUsableLaunchToken(QStringView token);

// Takes the token a desktop put in the environment of a program it started
// (XDG_ACTIVATION_TOKEN, else DESKTOP_STARTUP_ID) and removes both
// variables, so that neither Qt nor a child process picks up a token that
// is not theirs. Call before QGuiApplication exists: Qt's X11 support takes
// DESKTOP_STARTUP_ID for itself when it starts. Empty when there is no
// usable token.
QString takeLaunchTokenFromEnvironment();

// The token taken at start-up: saved by main, read by the application.
void saveLaunchToken(const QString &token);
QString savedLaunchToken();

// The environment variable through which a program started now receives a
// launch token, by the display platform in use (QGuiApplication's
// platformName): DESKTOP_STARTUP_ID on X11 ("xcb"), XDG_ACTIVATION_TOKEN
// everywhere else.
QByteArray launchTokenVariable(QStringView platformName);

// The launch token in the platform data of an org.freedesktop.Application
// call: "activation-token" (a Wayland compositor's token), else
// "desktop-startup-id" (an X11 startup ID; GLib before 2.76 puts the Wayland
// token there too). Empty when there is no usable one.
QString launchTokenFromPlatformData(const QVariantMap &platformData);

// Platform data that hands a launch token on, under both names, as newer
// GLib sends it; empty without a token.
QVariantMap platformDataForLaunchToken(const QString &token);

} // namespace zan
